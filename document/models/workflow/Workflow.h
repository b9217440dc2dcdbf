// The three workflows as fixed step tables, and what the document, the views and the pages ask of the
// workflow in force: its steps, a step's title and help topic, the views of the current step and how
// they are arranged, the commands the current step offers, and the parameters it leaves out.
#pragma once

#include "document/models/ModelOwner.h"
#include "foundation/text/String.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace Sistra
{

namespace StepId
{
constexpr int32_t SetupStep = 1;
constexpr int32_t PressureStep = 2;
constexpr int32_t ConductanceStep = 3;
constexpr int32_t SamplingStep = 4;
constexpr int32_t CuvetteStep = 5;
constexpr int32_t SalineStep = 6;
constexpr int32_t AnalyseStep = 7;
constexpr int32_t AlphaDlg = 8;
constexpr int32_t VolumeMPVSStep = 9;
constexpr int32_t VolumeKnownStep = 10;
} // namespace StepId

namespace WorkflowKind
{
constexpr int32_t None = 0;
constexpr int32_t SmallMammal = 1;
constexpr int32_t LargeMammal = 2;
constexpr int32_t Echo = 3;
} // namespace WorkflowKind

struct WorkflowStep
{
    uint32_t titleId;
    int32_t stepId;
    int32_t modelKind;
    const wchar_t* helpTopic;   // in the help file "SistraHelp"
};

// Where the host puts one view, in percent of the area it arranges the views in.
struct ViewLayoutItem
{
    uint32_t viewType;
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;

    bool operator==(const ViewLayoutItem&) const = default;
};
static_assert(sizeof(ViewLayoutItem) == 20);

class Workflow
{
public:
    explicit Workflow(ModelOwner* document) : document_(document) {}

    // Row index of the kind's table; past the end of a known kind's table null, and for any other kind
    // the setup row at index 0.
    static const WorkflowStep* GetStepByIndex(int32_t kind, size_t index);
    static const WorkflowStep* FindStep(int32_t kind, int32_t stepId);

    // The workflow kind in force: 0 with workflow mode off.
    int32_t GetKind();
    bool IsOff();
    Orv::String GetStepTitle(size_t index);
    Orv::String GetStepHelpTopic(int32_t stepId);
    void GetViewLayout(std::vector<ViewLayoutItem>& items);
    bool IsCommandAvailable(ULONG commandId);
    // Parameter indices the current analysis type leaves out.
    void GetExcludedParameters(std::vector<int32_t>& parameters);

private:
    int32_t CurrentStep();
    int32_t AnalysisType();

    ModelOwner* document_;
};

} // namespace Sistra
