#include "document/models/workflow/Workflow.h"

#include "document/models/Model.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/SistraIds.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <span>

namespace Sistra
{
namespace
{

constexpr const wchar_t* DefaultHelpTopic = L"pv_workflows";

constexpr WorkflowStep SmallMammalSteps[] = {
    {IDS_STEP_SETUP, StepId::SetupStep, ModelKind::WorkflowSetup, L"pv_setup_sistra_small"},
    {IDS_STEP_PRESSURE, StepId::PressureStep, ModelKind::PressureCalib, L"pv_pressure_calibration_small"},
    {IDS_STEP_CONDUCTANCE, StepId::ConductanceStep, ModelKind::ConductanceCalib, L"pv_conductance_calibration_small"},
    {IDS_STEP_SAMPLING, StepId::SamplingStep, ModelKind::SamplingStep, L"pv_sampling_small"},
    {IDS_STEP_CUVETTE, StepId::CuvetteStep, ModelKind::CuvetteCalib, L"pv_cuvette_calibration_small"},
    {IDS_STEP_SALINE, StepId::SalineStep, ModelKind::SalineCalib, L"pv_saline_calibration_small"},
    {IDS_STEP_ALPHA, StepId::AlphaDlg, ModelKind::AlphaCalib, L"pv_alpha_calibration_small"},
    {IDS_STEP_ANALYZE, StepId::AnalyseStep, ModelKind::AnalysisStep, L"pv_analyze_small"},
};

constexpr WorkflowStep LargeMammalSteps[] = {
    {IDS_STEP_SETUP, StepId::SetupStep, ModelKind::WorkflowSetup, L"pv_setup_sistra_large"},
    {IDS_STEP_PRESSURE, StepId::PressureStep, ModelKind::PressureCalib, L"pv_pressure_calibration_large"},
    {IDS_STEP_VOLUME, StepId::VolumeMPVSStep, ModelKind::VolumeCalib, L"pv_volume_calibration_large"},
    {IDS_STEP_SAMPLING, StepId::SamplingStep, ModelKind::SamplingStep, L"pv_sampling_large"},
    {IDS_STEP_SALINE, StepId::SalineStep, ModelKind::SalineCalib, L"pv_saline_calibration_large"},
    {IDS_STEP_ALPHA, StepId::AlphaDlg, ModelKind::AlphaCalib, L"pv_alpha_calibration_large"},
    {IDS_STEP_ANALYZE, StepId::AnalyseStep, ModelKind::AnalysisStep, L"pv_analyze_large"},
};

constexpr WorkflowStep EchoSteps[] = {
    {IDS_STEP_SETUP, StepId::SetupStep, ModelKind::WorkflowSetup, L"pv_setup_sistra_echo"},
    {IDS_STEP_PRESSURE, StepId::PressureStep, ModelKind::PressureCalib, L"pv_pressure_calibration_echo"},
    {IDS_STEP_VOLUME, StepId::VolumeKnownStep, ModelKind::KnownVolumeCalib, L"pv_volume_calibration_echo"},
    {IDS_STEP_SAMPLING, StepId::SamplingStep, ModelKind::SamplingStep, L"pv_sampling_echo"},
    {IDS_STEP_ANALYZE, StepId::AnalyseStep, ModelKind::AnalysisStep, L"pv_analyze_echo"},
};

constexpr WorkflowStep NoWorkflowSteps[] = {
    {IDS_STEP_SETUP, StepId::SetupStep, ModelKind::WorkflowSetup, DefaultHelpTopic},
};

std::span<const WorkflowStep> StepsOf(int32_t kind)
{
    switch (kind)
    {
    case WorkflowKind::SmallMammal: return SmallMammalSteps;
    case WorkflowKind::LargeMammal: return LargeMammalSteps;
    case WorkflowKind::Echo: return EchoSteps;
    default: return NoWorkflowSteps;
    }
}

template <USHORT Number>
uint32_t ViewTypeOf()
{
    return MsgIdClass<&SistraDocumentGUID, Number>::Id();
}

uint32_t HostViewType()
{
    return TypeIdClass<&HostTypeGUID, 2>::Id();
}

// The number of a document command id; -1 for an id under another code.
int32_t DocumentCommandNumber(ULONG commandId)
{
    USHORT code = 0;
    GetDocumentMessagePrefix(&code);
    return (commandId >> 16) == code ? static_cast<int32_t>(commandId & 0xFFFF) : -1;
}

} // namespace

const WorkflowStep* Workflow::GetStepByIndex(int32_t kind, size_t index)
{
    const std::span<const WorkflowStep> steps = StepsOf(kind);
    return index < steps.size() ? &steps[index] : nullptr;
}

const WorkflowStep* Workflow::FindStep(int32_t kind, int32_t stepId)
{
    const std::span<const WorkflowStep> steps = StepsOf(kind);
    const auto found = std::find_if(steps.begin(), steps.end(), [&](const WorkflowStep& s) { return s.stepId == stepId; });
    return found == steps.end() ? nullptr : &*found;
}

bool Workflow::IsOff()
{
    const ModelPtr setup = document_->GetModel(ModelKind::WorkflowSetup);
    return !setup || !setup->GetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn);
}

int32_t Workflow::GetKind()
{
    if (IsOff())
        return WorkflowKind::None;
    return document_->GetModel(ModelKind::WorkflowSetup)->GetValue<PropertyType::Int>(PropertyId::WorkflowKind);
}

Orv::String Workflow::GetStepTitle(size_t index)
{
    const WorkflowStep* step = GetStepByIndex(GetKind(), index);
    return step ? Orv::String(Orv::ThisModule(), step->titleId, true) : Orv::String();
}

Orv::String Workflow::GetStepHelpTopic(int32_t stepId)
{
    const WorkflowStep* step = FindStep(GetKind(), stepId);
    return Orv::String(step ? step->helpTopic : DefaultHelpTopic);
}

int32_t Workflow::CurrentStep()
{
    return document_->GetModel(ModelKind::WorkflowView)->GetValue<PropertyType::Int>(PropertyId::CurrentStep);
}

int32_t Workflow::AnalysisType()
{
    return document_->GetModel(ModelKind::AnalysisStep)->GetValue<PropertyType::Int>(PropertyId::AnalysisType);
}

void Workflow::GetViewLayout(std::vector<ViewLayoutItem>& items)
{
    items.clear();
    if (IsOff())
        return;
    const int32_t step = CurrentStep();
    const int32_t analysisType = AnalysisType();
    const uint32_t loopView = ViewTypeOf<ViewType::AnalysisGraph>();
    if (step == StepId::CuvetteStep)
        items = {{ViewTypeOf<ViewType::CuvetteCalibration>(), 0, 0, 100, 50}, {HostViewType(), 0, 50, 100, 100}};
    else if (step == StepId::SalineStep)
        items = {{ViewTypeOf<ViewType::SalineCalibration>(), 0, 0, 50, 60},
                 {loopView, 50, 0, 100, 60},
                 {HostViewType(), 0, 60, 100, 100}};
    else if ((step == StepId::AnalyseStep && analysisType == 0) || step == StepId::AlphaDlg)
        items = {{ViewTypeOf<ViewType::HemodynamicsTable>(), 0, 0, 100, 50},
                 {loopView, 0, 50, 40, 100},
                 {HostViewType(), 40, 50, 100, 100}};
    else if (step == StepId::AnalyseStep && analysisType == 1)
        items = {{ViewTypeOf<ViewType::Prsw>(), 0, 0, 33, 50},
                 {ViewTypeOf<ViewType::PvaEdv>(), 33, 0, 66, 50},
                 {ViewTypeOf<ViewType::PvaEsp>(), 66, 0, 100, 50},
                 {loopView, 0, 50, 40, 100},
                 {HostViewType(), 40, 50, 100, 100}};
}

bool Workflow::IsCommandAvailable(ULONG commandId)
{
    if (IsOff())
        return true;
    const int32_t step = CurrentStep();
    auto inSteps = [step](std::initializer_list<int32_t> steps) {
        return std::find(steps.begin(), steps.end(), step) != steps.end();
    };
    switch (DocumentCommandNumber(commandId))
    {
    case Command::OpenHemodynamicsTable: return inSteps({StepId::AnalyseStep, StepId::AlphaDlg});
    case Command::Analyze: return inSteps({StepId::AnalyseStep, StepId::AlphaDlg, StepId::SalineStep});
    case Command::OpenPrswPlot:
    case Command::OpenDpDtMaxEdvPlot:
    case Command::OpenPvaEdvPlot:
    case Command::OpenPvaEspPlot: return step == StepId::AnalyseStep;
    case Command::OpenSalineCalibration: return step == StepId::SalineStep;
    case Command::OpenCuvetteCalibration: return step == StepId::CuvetteStep;
    case Command::PlotsPopup:
        return inSteps({StepId::SalineStep, StepId::CuvetteStep}) ||
               (step == StepId::AnalyseStep && AnalysisType() != 0);
    default: return true;
    }
}

void Workflow::GetExcludedParameters(std::vector<int32_t>& parameters)
{
    parameters.clear();
    if (IsOff())
        return;
    if (AnalysisType() == 0)
        parameters = {26, 27, 28};
}

} // namespace Sistra
