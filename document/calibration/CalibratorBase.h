// A calibrator turns one calibration of the workflow into a units conversion of the host: it never
// rescales samples itself, but asks the host's units service for a two-point conversion and hands it to
// the document, which applies it to the channel. It keeps, per channel, the conversion the channel had
// before, so that a calibration is always built from, compared with and undone to the channel's own
// units, and saves that cache with the document.
#pragma once

#include "document/models/Model.h"
#include "document/models/ModelOwner.h"
#include "foundation/com/ComPtr.h"
#include "foundation/streams/BinaryStream.h"
#include "hostframework/services/UnitConversion.h"
#include "hostapi/HostDocument.h"

#include <cstdint>
#include <optional>
#include <unordered_map>

namespace Sistra
{

// What a calibrator needs of the document that owns it, besides its models.
class CalibratorOwner : public ModelOwner
{
public:
    virtual IHostDocument* GetHostDocument() = 0;
    // The channel's conversion at the host's current selection; null when there is none.
    virtual Orv::ComPtr<IUnitConversion> GetConversionAtSelection(int32_t channel) = 0;

protected:
    ~CalibratorOwner() = default;
};

// Two (raw value, calibrated value) points: raw values in the channel's unprefixed units, calibrated
// values in the calibrated unit with its prefix.
struct CalibrationPoints
{
    double raw[2];
    double calibrated[2];
    UnitInfo unit;
};

class CalibratorBase
{
public:
    static constexpr std::uint32_t RecordVersion = 1;

    explicit CalibratorBase(CalibratorOwner& owner);
    virtual ~CalibratorBase();
    CalibratorBase(const CalibratorBase&) = delete;
    CalibratorBase& operator=(const CalibratorBase&) = delete;

    // The calibrated conversion of the channel, or its own conversion while the calibration is not in
    // force; on true the caller owns the one reference in conversion.
    virtual bool Apply(int32_t channel, IUnitConversion** conversion);
    virtual bool IsActive() = 0;
    virtual UnitInfo GetUnit(int32_t channel) = 0;

    // The cached conversion of the channel; null when it has none.
    Orv::ComPtr<IUnitConversion> FindConversion(int32_t channel) const;
    // Forgets the channel's cached conversion (the host changed the channel's units itself).
    void DropConversion(int32_t channel) { cache_.erase(channel); }
    // The channel's cached conversion replaced by the host's default conversion.
    void ResetToDefaultConversion(int32_t channel);
    // The host's conversion of the channel in the record; null when it shows the channel without one.
    Orv::ComPtr<IUnitConversion> ConversionInRecord(int32_t record, int32_t channel) const
    {
        return HostConversion(record, channel);
    }
    // Reads the channel's conversion from the host into the cache: the one of the analysed region's
    // first record, else at the selection, else for new recordings, else the default conversion.
    void FetchChannelConversion(int32_t channel);
    // Caches the conversion the host shows the channel with, when that is its recorded units (no
    // calibration in force on it): a conversion that came with settings made on another recording
    // describes that recording's channel, whose unit may differ.
    void AdoptShownConversion(int32_t channel);
    // The cached conversion when it tells a unit; null otherwise.
    Orv::ComPtr<IUnitConversion> GetUnitsConversion(int32_t channel) const;
    // Whether the host shows the channel with the conversion Apply builds, in every record (a record
    // without a conversion counts as calibrated) and for new recordings.
    bool IsAppliedToChannel(int32_t channel);

    // The record: version, count, (channel, conversion as the units service writes it) per entry,
    // version again. Load gives E_ORV_NEWER_VERSION for a newer record (cache untouched) and
    // E_ORV_READ_FAILED for a damaged one (the entries read so far stay).
    void Save(Orv::BinOStream& out) const;
    HRESULT Load(Orv::BinIStream& in);
    // Takes over the conversions another calibrator loaded (one read apart, applied once whole).
    void TakeCacheFrom(CalibratorBase& other) { cache_ = std::move(other.cache_); }

    // The unit a conversion shows values in; empty for null.
    static UnitInfo GetConversionUnitText(IUnitConversion* conversion);

    // What the channel would show through its own conversion, of a value it shows now (both in base
    // units): the reading a calibration's points are taken in. Taken while the calibration is in force,
    // the reading had passed through it already and the calibration was drawn through itself. The value
    // as it is while none of this calibrator's conversions is in force.
    double ShownWithoutCalibration(double shown, int32_t channel);

protected:
    CalibratorOwner& Owner() const { return *owner_; }
    ModelPtr Model(int kind) const { return owner_->GetModel(kind); }
    // The calibration's points for the channel with its conversion's units; none when the calibration
    // cannot be built.
    virtual std::optional<CalibrationPoints> PointsFor(int32_t channel, const ConversionUnits& channelUnits) = 0;
    // The recorded value (base units) behind a value the channel shows (base units) through this
    // calibrator's conversion; none while that conversion is not in force or its points draw no line.
    std::optional<double> RecordedBehind(double shown, int32_t channel);
    // A recorded value (base units) as the channel's own conversion shows it, in that conversion's
    // prefixed unit, whose prefix factor goes to factor.
    double OwnConversionStage(double raw, int32_t channel, double& factor) const;
    // The unit of the channel's own conversion: the cached one, else the host's for new recordings, else
    // the default.
    UnitInfo ChannelUnit(int32_t channel) const;

private:
    bool BlockMatches(IUnitConversion* shown, IUnitConversion& expected) const;
    Orv::ComPtr<IUnitConversion> HostConversion(int32_t record, int32_t channel) const;

    CalibratorOwner* owner_;
    std::unordered_map<int32_t, Orv::ComPtr<IUnitConversion>> cache_;
};

// 10 to the power of the unit's prefix exponent; 1.0 without a prefix.
double PrefixFactor(const UnitInfo& unit);
// The prefix code of a unit's prefix letter.
int PrefixCodeOf(const UnitInfo& unit);

} // namespace Sistra
