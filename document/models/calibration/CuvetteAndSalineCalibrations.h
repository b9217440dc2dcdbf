// The calibrations that turn conductance into volume in the small-mammal workflow: the cuvette
// calibration (a line from known well volumes and their sampled conductances) and the saline
// calibration (the parallel conductance found from saline boluses).
#pragma once

#include "document/models/ModelBase.h"

namespace Sistra
{

class CuvetteCalib final : public ModelBase<ModelKind::CuvetteCalib>
{
public:
    CuvetteCalib(ModelOwner* owner, ModelRole role);

    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;
    bool LoadSettings(Orv::BinIStream& in, int version) override;
    void SaveSettings(Orv::BinOStream& out) const override;
    ValidationResult ValidateValues() override;
    ValidationResult CheckPrerequisites() override;
    void OnModelChanged(Model* source, const PropertyIdSet& changed) override;

    static constexpr double Limit = 100000.0;   // slope and intercept lie within +-Limit

private:
    double slope_ = BlankMarker();
    double intercept_ = BlankMarker();
    bool applied_ = false;
    UnitInfo unit_{L"L", L'\u00B5'};
    std::vector<double> knownVolumes_;
    DoubleMatrix table_;
};

class SalineCalib final : public ModelBase<ModelKind::SalineCalib>
{
public:
    SalineCalib(ModelOwner* owner, ModelRole role);

    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;
    bool LoadSettings(Orv::BinIStream& in, int version) override;
    void SaveSettings(Orv::BinOStream& out) const override;
    ValidationResult ValidateValues() override;
    ValidationResult CheckPrerequisites() override;
    void OnModelChanged(Model* source, const PropertyIdSet& changed) override;

    // Settings records carry the selection from version 11 and each bolus's loop items from 12.
    static constexpr int SelectionVersion = 11;
    static constexpr int LoopItemsVersion = 12;

private:
    void ReadLegacySettings(Orv::BinIStream& in);

    double parallelConductance_ = BlankMarker();
    bool applied_ = false;
    std::vector<BolusEntry> boluses_;
    IntSet selected_;
};

} // namespace Sistra
