#include "document/calibration/CalibratorBase.h"

#include "document/calibration/CalibrationText.h"
#include "document/models/ModelRecords.h"
#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "hostframework/services/HostServices.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <vector>

namespace Sistra
{

namespace
{

constexpr std::size_t InitialBuckets = 11;
constexpr int32_t WholeRecordingMode = 1;
constexpr int32_t UnsetWord = 0x7FFFFFFF;
constexpr int NumberDigits = 15;
// The channel index of an entry; the conversion after it is at least its version word.
constexpr uint32_t SmallestEntryBytes = 2 * sizeof(uint32_t);

// Numbers handed to the host are read there in the classic locale, whatever the user's.
Orv::String NumberText(double value)
{
    Orv::String text;
    FormatNumberText(text, value, NumberDigits, NumberTextMode::ClassicFixed);
    return text;
}

std::wstring WithoutSpaces(const Orv::String& text)
{
    std::wstring kept;
    for (const wchar_t* c = text.c_str(); *c; ++c)
        if (!std::iswspace(*c))
            kept.push_back(*c);
    return kept;
}

bool SameDescription(const ConversionDescription& a, const ConversionDescription& b)
{
    return a.kind == b.kind &&
           std::equal(a.texts.begin(), a.texts.end(), b.texts.begin(), b.texts.end(),
                      [](const Orv::String& x, const Orv::String& y) { return WithoutSpaces(x) == WithoutSpaces(y); });
}

} // namespace

double PrefixFactor(const UnitInfo& unit)
{
    return unit.prefix ? UnitPrefixFactor(unit.prefix) : 1.0;
}

int PrefixCodeOf(const UnitInfo& unit)
{
    Orv::PrefixedUnit prefixed(unit.text);
    prefixed.SetPrefix(unit.prefix);
    return prefixed.GetPrefixCode();
}

CalibratorBase::CalibratorBase(CalibratorOwner& owner) : owner_(&owner), cache_(InitialBuckets)
{
    cache_.max_load_factor(1.0f);
}

CalibratorBase::~CalibratorBase() = default;

Orv::ComPtr<IUnitConversion> CalibratorBase::FindConversion(int32_t channel) const
{
    const auto found = cache_.find(channel);
    return found == cache_.end() ? nullptr : found->second;
}

Orv::ComPtr<IUnitConversion> CalibratorBase::HostConversion(int32_t record, int32_t channel) const
{
    Orv::ComPtr<IUnitConversion> conversion;
    if (IHostDocument* host = owner_->GetHostDocument())
        host->GetChannelConversion(HostUnsetPosition, record, channel, conversion.Put());
    return conversion;
}

void CalibratorBase::FetchChannelConversion(int32_t channel)
{
    const ModelPtr setup = Model(ModelKind::WorkflowSetup);
    RecordingPosition start = setup->GetValue<PropertyType::Position>(PropertyId::RegionStart);
    RecordingPosition end = setup->GetValue<PropertyType::Position>(PropertyId::RegionEnd);
    int32_t records = 0, current = 0;
    IHostDocument* host = owner_->GetHostDocument();
    if (host && setup->GetValue<PropertyType::Int>(PropertyId::RegionMode) == WholeRecordingMode && start == end &&
        SUCCEEDED(host->GetRecordCount(&records, &current)) && records > 0)
    {
        start = RecordingPosition{0, 0};
        end = RecordingPosition{UnsetWord, records - 1};
    }
    Orv::ComPtr<IUnitConversion>& entry = cache_[channel];
    entry.Reset();
    const bool regionSet = !(start == end) && start.block != UnsetWord;
    entry = HostConversion(regionSet ? start.block : HostDefaultRecord, channel);
    if (!entry)
        entry = owner_->GetConversionAtSelection(channel);
    if (!entry)
        entry = HostConversion(HostNewRecordings, channel);
    if (!entry)
        if (IUnitsService* units = UnitsServiceAccessor::Get())
            units->CreateDefaultConversion(entry.Put());
}

void CalibratorBase::ResetToDefaultConversion(int32_t channel)
{
    Orv::ComPtr<IUnitConversion>& entry = cache_[channel];
    entry.Reset();
    if (IUnitsService* units = UnitsServiceAccessor::Get())
        units->CreateDefaultConversion(entry.Put());
}

void CalibratorBase::AdoptShownConversion(int32_t channel)
{
    const Orv::ComPtr<IUnitConversion> kept = FindConversion(channel);
    FetchChannelConversion(channel);
    const Orv::ComPtr<IUnitConversion> shown = FindConversion(channel);
    ConversionUnits units;
    if (kept && (!shown || FAILED(ReadConversionUnits(*shown.Get(), units)) || units.inUse))
        cache_[channel] = kept;
}

Orv::ComPtr<IUnitConversion> CalibratorBase::GetUnitsConversion(int32_t channel) const
{
    Orv::ComPtr<IUnitConversion> conversion = FindConversion(channel);
    ConversionUnits units;
    if (!conversion || FAILED(ReadConversionUnits(*conversion.Get(), units)) || units.unitText.IsEmpty())
        return nullptr;
    return conversion;
}

UnitInfo CalibratorBase::GetConversionUnitText(IUnitConversion* conversion)
{
    ConversionUnits units;
    if (!conversion || FAILED(ReadConversionUnits(*conversion, units)))
        return UnitInfo{};
    return UnitInfo{units.unitText.c_str(), units.Unit().Prefix()};
}

bool CalibratorBase::Apply(int32_t channel, IUnitConversion** conversion)
{
    *conversion = nullptr;
    Orv::ComPtr<IUnitConversion> cached = FindConversion(channel);
    const bool active = IsActive();
    if (!cached && active)
    {
        FetchChannelConversion(channel);
        cached = FindConversion(channel);
    }
    if (!cached)
        return false;
    if (!active)
    {
        *conversion = cached.Detach();
        return true;
    }
    ConversionUnits channelUnits;
    if (FAILED(ReadConversionUnits(*cached.Get(), channelUnits)))
        return false;
    const std::optional<CalibrationPoints> points = PointsFor(channel, channelUnits);
    // An infinite point (two equal base values) is refused as a missing one is: the host would be
    // handed "inf" for a number.
    if (!points || !std::all_of(std::begin(points->raw), std::end(points->raw), [](double v) { return std::isfinite(v); }) ||
        !std::all_of(std::begin(points->calibrated), std::end(points->calibrated), [](double v) { return std::isfinite(v); }))
        return false;
    const Orv::PrefixedUnit shown = channelUnits.Unit();
    const Orv::String unitText(shown.GetText());
    Orv::String raw[2], calibrated[2];
    for (int point = 0; point < 2; ++point)
    {
        raw[point] = NumberText(shown.FromBaseValue(points->raw[point]));
        raw[point] += unitText;
        calibrated[point] = NumberText(points->calibrated[point]);
    }
    IUnitsService* units = UnitsServiceAccessor::Get();
    Orv::ComPtr<IUnitConversion> made;
    if (!units || units->CreateTwoPointConversion(cached.Get(), raw[0].c_str(), raw[1].c_str(), calibrated[0].c_str(),
                                                  calibrated[1].c_str(), points->unit.text.c_str(),
                                                  PrefixCodeOf(points->unit), made.Put()) != S_OK ||
        !made)
        return false;
    *conversion = made.Detach();
    return true;
}

std::optional<double> CalibratorBase::RecordedBehind(double shown, int32_t channel)
{
    if (!std::isfinite(shown) || !IsActive() || !IsAppliedToChannel(channel))
        return std::nullopt;
    const Orv::ComPtr<IUnitConversion> cached = FindConversion(channel);
    ConversionUnits units;
    if (!cached || FAILED(ReadConversionUnits(*cached.Get(), units)))
        return std::nullopt;
    const std::optional<CalibrationPoints> points = PointsFor(channel, units);
    if (!points || points->calibrated[0] == points->calibrated[1])
        return std::nullopt;
    // The host's conversion draws its line through the points, the calibrated ones in their prefixed unit.
    const double calibrated = shown / PrefixFactor(points->unit);
    return points->raw[0] + (calibrated - points->calibrated[0]) * (points->raw[1] - points->raw[0]) /
                                (points->calibrated[1] - points->calibrated[0]);
}

double CalibratorBase::ShownWithoutCalibration(double shown, int32_t channel)
{
    const std::optional<double> raw = RecordedBehind(shown, channel);
    if (!raw)
        return shown;
    double factor = 1.0;
    return OwnConversionStage(*raw, channel, factor) * factor;
}

double CalibratorBase::OwnConversionStage(double raw, int32_t channel, double& factor) const
{
    const Orv::ComPtr<IUnitConversion> cached = FindConversion(channel);
    ConversionUnits units;
    if (cached && SUCCEEDED(ReadConversionUnits(*cached.Get(), units)) && units.inUse)
    {
        factor = UnitPrefixFactor(units.Unit().Prefix());
        return (units.scale * raw + units.offset) / factor;
    }
    // The channel as recorded: the raw value, in base units, in the channel's prefixed unit, which the
    // corrections and the conversion's calibrated points are in. Taken as it stands, a channel recorded
    // in microlitres became a million times smaller once the parallel conductance or alpha was applied.
    factor = PrefixFactor(ChannelUnit(channel));
    return raw / factor;
}

UnitInfo CalibratorBase::ChannelUnit(int32_t channel) const
{
    Orv::ComPtr<IUnitConversion> conversion = FindConversion(channel);
    if (!conversion)
        if (IHostDocument* host = Owner().GetHostDocument())
            host->GetChannelConversion(HostUnsetPosition, HostNewRecordings, channel, conversion.Put());
    if (!conversion)
        if (IUnitsService* units = UnitsServiceAccessor::Get())
            units->CreateDefaultConversion(conversion.Put());
    return GetConversionUnitText(conversion.Get());
}

bool CalibratorBase::BlockMatches(IUnitConversion* shown, IUnitConversion& expected) const
{
    if (!shown)
        return true;
    ConversionUnits shownUnits, expectedUnits;
    if (FAILED(ReadConversionUnits(*shown, shownUnits)) || !shownUnits.inUse ||
        FAILED(ReadConversionUnits(expected, expectedUnits)))
        return false;
    if (!(shownUnits.unitText == expectedUnits.unitText) || shownUnits.Unit().Prefix() != expectedUnits.Unit().Prefix())
        return false;
    ConversionDescription shownDescription, expectedDescription;
    return SUCCEEDED(ReadConversionDescription(*shown, shownDescription)) &&
           SUCCEEDED(ReadConversionDescription(expected, expectedDescription)) &&
           SameDescription(shownDescription, expectedDescription);
}

bool CalibratorBase::IsAppliedToChannel(int32_t channel)
{
    if (!FindConversion(channel))
        return false;
    Orv::ComPtr<IUnitConversion> expected;
    if (!Apply(channel, expected.Put()) || !expected)
        return false;
    int32_t records = 0, current = 0;
    IHostDocument* host = owner_->GetHostDocument();
    if (host && SUCCEEDED(host->GetRecordCount(&records, &current)))
        for (int32_t record = 0; record < records; ++record)
            if (!BlockMatches(HostConversion(record, channel).Get(), *expected.Get()))
                return false;
    // A channel that is not set up for recording has no conversion for new recordings, which matches.
    return BlockMatches(HostConversion(HostNewRecordings, channel).Get(), *expected.Get());
}

void CalibratorBase::Save(Orv::BinOStream& out) const
{
    // Sorted, so that the same cache always writes the same bytes; entries without a conversion have
    // nothing the units service could write and are left out.
    std::vector<std::pair<int32_t, IUnitConversion*>> entries;
    for (const auto& [channel, conversion] : cache_)
        if (conversion)
            entries.emplace_back(channel, conversion.Get());
    std::sort(entries.begin(), entries.end());
    IUnitsService* units = UnitsServiceAccessor::Get();
    if (!units)
        entries.clear();
    out.WriteU32(RecordVersion);
    out.WriteU32(static_cast<uint32_t>(entries.size()));
    for (const auto& [channel, conversion] : entries)
    {
        out.WriteInt32(channel);
        units->WriteConversion(&out, conversion);
    }
    out.WriteU32(RecordVersion);
}

HRESULT CalibratorBase::Load(Orv::BinIStream& in)
{
    try
    {
        const uint32_t version = in.ReadU32();
        if (version > RecordVersion)
            return Orv::E_ORV_NEWER_VERSION;
        cache_.clear();
        if (version == 0)
            return Orv::E_ORV_READ_FAILED;
        const uint32_t count = Records::ReadCount(in, SmallestEntryBytes, L"calibrated channels");
        IUnitsService* units = UnitsServiceAccessor::Get();
        for (uint32_t i = 0; i < count && in.IsGood(); ++i)
        {
            const int32_t channel = in.ReadInt32();
            Orv::ComPtr<IUnitConversion> conversion;
            if (!units || FAILED(units->ReadConversion(&in, conversion.Put())))
                return Orv::E_ORV_READ_FAILED;
            cache_[channel] = conversion;
        }
        const uint32_t trailer = in.ReadU32();
        return in.IsGood() && trailer == version ? S_OK : Orv::E_ORV_READ_FAILED;
    }
    catch (const XOrv& e)
    {
        return e.Code();
    }
}

} // namespace Sistra
