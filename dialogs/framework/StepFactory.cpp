#include "dialogs/framework/StepFactory.h"

#include "document/models/PropertyIds.h"

namespace Sistra
{

int ModelKindOfStep(int stepId)
{
    switch (stepId)
    {
    case StepId::Setup: return ModelKind::WorkflowSetup;
    case StepId::Pressure: return ModelKind::PressureCalib;
    case StepId::Conductance: return ModelKind::ConductanceCalib;
    case StepId::Sampling: return ModelKind::SamplingStep;
    case StepId::Cuvette: return ModelKind::CuvetteCalib;
    case StepId::Saline: return ModelKind::SalineCalib;
    case StepId::Analyse: return ModelKind::AnalysisStep;
    case StepId::Alpha: return ModelKind::AlphaCalib;
    case StepId::VolumeMpvs: return ModelKind::VolumeCalib;
    case StepId::VolumeKnown: return ModelKind::KnownVolumeCalib;
    default: return 0;
    }
}

HWND CreateStepPage(int stepId, HWND parent, SistraDocument* document)
{
    for (const StepDlgClassObjBase* factory = StepDlgClassObjBase::Head(); factory; factory = factory->Next())
        if (factory->GetStepId() == stepId)
            return factory->Create(parent, document);
    return nullptr;
}

} // namespace Sistra
