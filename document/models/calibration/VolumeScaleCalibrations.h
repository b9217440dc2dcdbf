// Calibrations that scale the volume: the alpha factor against a reference cardiac output or stroke
// volume, and the echo workflow's calibration from two known volumes of the loop.
#pragma once

#include "document/models/ModelBase.h"

namespace Sistra
{

class AlphaCalib final : public ModelBase<ModelKind::AlphaCalib>
{
public:
    AlphaCalib(ModelOwner* owner, ModelRole role);

    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;
    ValidationResult ValidateValues() override;
    ValidationResult CheckPrerequisites() override;
    void OnModelChanged(Model* source, const PropertyIdSet& changed) override;

    static constexpr int32_t FromCardiacOutput = 1;
    static constexpr int32_t FromStrokeVolume = 2;

private:
    double alpha_ = BlankMarker();
    bool applied_ = false;
    int32_t source_ = FromStrokeVolume;
    double baseCardiacOutput_ = BlankMarker();
    double scaledCardiacOutput_ = BlankMarker();
    double baseStrokeVolume_ = BlankMarker();
    double scaledStrokeVolume_ = BlankMarker();
};

class KnownVolumeCalib final : public ModelBase<ModelKind::KnownVolumeCalib>
{
public:
    KnownVolumeCalib(ModelOwner* owner, ModelRole role);

    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;
    ValidationResult ValidateValues() override;
    ValidationResult CheckPrerequisites() override;
    void OnModelChanged(Model* source, const PropertyIdSet& changed) override;

    // The pair chosen by property 63: ESV and EDV, ESV and SV, EDV and SV.
    static constexpr int32_t EsvAndEdv = 0;
    static constexpr int32_t EsvAndSv = 1;
    static constexpr int32_t EdvAndSv = 2;

private:
    // The chosen pair's first base, second base, first converted, second converted; none for a pair
    // outside 0 to 2.
    template <class Self>
    static auto PairOf(Self& self) -> std::vector<decltype(&self.baseEsv_)>;
    ValidationResult CheckPairRelation();

    int32_t pair_ = EsvAndEdv;
    bool applied_ = false;
    double baseEsv_ = BlankMarker();
    double baseEdv_ = BlankMarker();
    double baseSv_ = BlankMarker();
    double convertedEsv_ = BlankMarker();
    double convertedEdv_ = BlankMarker();
    double convertedSv_ = BlankMarker();
    UnitInfo unit_{L"L", L'm'};
};

} // namespace Sistra
