// The models of the sampling and analysis steps.
#pragma once

#include "document/models/ModelBase.h"

namespace Sistra
{

// Whether the user declared sampling complete; any change of a calibration or of the setup's kind or
// channels makes it incomplete again.
class SamplingStep final : public ModelBase<ModelKind::SamplingStep>
{
public:
    SamplingStep(ModelOwner* owner, ModelRole role);

    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;
    ValidationResult CheckPrerequisites() override;
    void OnModelChanged(Model* source, const PropertyIdSet& changed) override;

private:
    bool complete_ = false;
};

// Baseline (0) or occlusion (1) analysis; the analyse step never counts as complete.
class AnalysisStep final : public ModelBase<ModelKind::AnalysisStep>
{
public:
    AnalysisStep(ModelOwner* owner, ModelRole role);

    bool Load(Orv::BinIStream& in, int version) override;
    void Save(Orv::BinOStream& out) const override;
    ValidationResult CheckPrerequisites() override { return ValidationResult::NotReady(); }

private:
    int32_t analysisType_ = 0;
};

} // namespace Sistra
