#include "dialogs/framework/StepFactory.h"

#include "document/models/PropertyIds.h"

namespace Sistra
{

int ModelKindOfStep(int stepId)
{
    switch (stepId)
    {
    case StepId::SetupStep: return ModelKind::WorkflowSetup;
    case StepId::PressureStep: return ModelKind::PressureCalib;
    case StepId::ConductanceStep: return ModelKind::ConductanceCalib;
    case StepId::SamplingStep: return ModelKind::SamplingStep;
    case StepId::CuvetteStep: return ModelKind::CuvetteCalib;
    case StepId::SalineStep: return ModelKind::SalineCalib;
    case StepId::AnalyseStep: return ModelKind::AnalysisStep;
    case StepId::AlphaDlg: return ModelKind::AlphaCalib;
    case StepId::VolumeMPVSStep: return ModelKind::VolumeCalib;
    case StepId::VolumeKnownStep: return ModelKind::KnownVolumeCalib;
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
