#include "document/models/StepModels.h"

#include "document/models/ModelFactory.h"
#include "document/models/ModelRecords.h"

namespace Sistra
{
namespace
{

const ModelClassObj<SamplingStep> samplingFactory;
const ModelClassObj<AnalysisStep> analysisFactory;

} // namespace

SamplingStep::SamplingStep(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
{
    for (int kind : {ModelKind::PressureCalib, ModelKind::ConductanceCalib, ModelKind::VolumeCalib,
                     ModelKind::WorkflowSetup, ModelKind::KnownVolumeCalib})
        SubscribeToModel(kind);
    RegisterProperty<PropertyType::Bool>(PropertyId::SamplingComplete, &complete_);
}

bool SamplingStep::Load(Orv::BinIStream& in, int)
{
    Records::ReadBool(in, complete_);
    return in.IsGood();
}

void SamplingStep::Save(Orv::BinOStream& out) const
{
    Records::WriteBool(out, complete_);
}

ValidationResult SamplingStep::CheckPrerequisites()
{
    return complete_ ? ValidationResult::Ok() : ValidationResult::NotReady();
}

void SamplingStep::OnModelChanged(Model* source, const PropertyIdSet& changed)
{
    if (source->GetModelId() == ModelKind::WorkflowSetup && !changed.Test(PropertyId::WorkflowKind) &&
        !changed.Test(PropertyId::PressureChannel) && !changed.Test(PropertyId::VolumeChannel))
        return;
    WithdrawFlag(PropertyId::SamplingComplete);
}

AnalysisStep::AnalysisStep(ModelOwner* owner, ModelRole role) : ModelBase(owner, role)
{
    RegisterProperty<PropertyType::Int>(PropertyId::AnalysisType, &analysisType_);
}

bool AnalysisStep::Load(Orv::BinIStream& in, int)
{
    Records::ReadInt(in, analysisType_);
    return in.IsGood();
}

void AnalysisStep::Save(Orv::BinOStream& out) const
{
    Records::WriteInt(out, analysisType_);
}

} // namespace Sistra
