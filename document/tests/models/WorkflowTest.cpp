#include "ModelTestSupport.h"
#include "document/models/workflow/Workflow.h"
#include "document/models/workflow/WorkflowModelReader.h"

namespace ModelTests
{
namespace
{

struct StepCase
{
    int32_t kind;
    size_t index;
    int32_t stepId;     // 0: no row
    int32_t modelKind;
};

TEST(Workflow, TheStepTablesHoldEachWorkflowsStepsInOrder)
{
    const StepCase cases[] = {
        {1, 0, 1, 1},  {1, 4, 5, 5},  {1, 6, 8, 10}, {1, 7, 7, 7}, {1, 8, 0, 0},
        {2, 2, 9, 11}, {2, 4, 6, 6},  {2, 6, 7, 7},  {2, 7, 0, 0},
        {3, 2, 10, 14}, {3, 4, 7, 7}, {3, 5, 0, 0},
        {0, 0, 1, 1},  {7, 0, 1, 1},  {0, 1, 0, 0},
    };
    for (const StepCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " index " << c.index);
        const WorkflowStep* step = Workflow::GetStepByIndex(c.kind, c.index);
        ASSERT_EQ(c.stepId != 0, step != nullptr);
        if (step)
        {
            EXPECT_EQ(c.stepId, step->stepId);
            EXPECT_EQ(c.modelKind, step->modelKind);
        }
    }
    EXPECT_EQ(nullptr, Workflow::FindStep(2, StepId::CuvetteStep));
    EXPECT_EQ(11, Workflow::FindStep(2, StepId::VolumeMPVSStep)->modelKind);
    const WorkflowStep* echoVolume = Workflow::FindStep(3, StepId::VolumeKnownStep);
    EXPECT_EQ(14, echoVolume->modelKind);
    EXPECT_STREQ(L"pv_volume_calibration_echo", echoVolume->helpTopic);
    EXPECT_EQ(nullptr, Workflow::FindStep(3, StepId::SalineStep));
    EXPECT_EQ(nullptr, Workflow::FindStep(3, StepId::AlphaDlg));
}

class WorkflowQueries : public ::testing::Test
{
protected:
    void Choose(int32_t kind, int32_t step, int32_t analysisType)
    {
        owner.Setup()->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, kind);
        owner.GetModel(ModelKind::WorkflowView)->SetValue<PropertyType::Int>(PropertyId::CurrentStep, step);
        owner.GetModel(ModelKind::AnalysisStep)->SetValue<PropertyType::Int>(PropertyId::AnalysisType, analysisType);
    }
    std::vector<ViewLayoutItem> Layout()
    {
        std::vector<ViewLayoutItem> items{{1, 2, 3, 4, 5}};
        workflow.GetViewLayout(items);
        return items;
    }
    std::vector<int32_t> Excluded()
    {
        std::vector<int32_t> parameters{99};
        workflow.GetExcludedParameters(parameters);
        return parameters;
    }
    static ULONG CommandId(USHORT number) { return MessageId(number); }
    std::vector<USHORT> AvailableCommands()
    {
        std::vector<USHORT> available;
        for (USHORT number = 13; number <= 29; ++number)
            if (workflow.IsCommandAvailable(CommandId(number)))
                available.push_back(number);
        return available;
    }

    TestOwner owner;
    Workflow workflow{&owner};
};

TEST_F(WorkflowQueries, WithWorkflowModeOffEverythingFallsBackToTheSetupRow)
{
    Choose(1, StepId::AnalyseStep, 0);
    owner.Setup()->SetWorkflowModeOn(false);
    EXPECT_TRUE(workflow.IsOff());
    EXPECT_EQ(0, workflow.GetKind());
    EXPECT_STREQ(L"Setup Sistra", workflow.GetStepTitle(0).c_str());
    EXPECT_TRUE(workflow.GetStepTitle(1).IsEmpty());
    EXPECT_STREQ(L"pv_workflows", workflow.GetStepHelpTopic(StepId::SetupStep).c_str());
    EXPECT_STREQ(L"pv_workflows", workflow.GetStepHelpTopic(StepId::AnalyseStep).c_str());
    EXPECT_EQ(17u, AvailableCommands().size());
    EXPECT_TRUE(Layout().empty());
    EXPECT_TRUE(Excluded().empty());
}

TEST_F(WorkflowQueries, TitlesAndHelpTopicsComeFromTheWorkflowInForce)
{
    Choose(1, StepId::SetupStep, 0);
    EXPECT_EQ(1, workflow.GetKind());
    EXPECT_STREQ(L"Alpha calibration", workflow.GetStepTitle(6).c_str());
    EXPECT_STREQ(L"Analyze", workflow.GetStepTitle(7).c_str());
    EXPECT_STREQ(L"pv_cuvette_calibration_small", workflow.GetStepHelpTopic(StepId::CuvetteStep).c_str());
    Choose(2, StepId::SetupStep, 0);
    EXPECT_STREQ(L"Volume calibration", workflow.GetStepTitle(2).c_str());
    EXPECT_STREQ(L"pv_workflows", workflow.GetStepHelpTopic(StepId::CuvetteStep).c_str());
}

struct LayoutCase
{
    int32_t step;
    int32_t analysisType;
    std::vector<USHORT> views;       // view numbers; 0 for the host's own view
    std::vector<USHORT> commands;    // available document commands among 13 to 29
    std::vector<int32_t> excluded;
};

TEST_F(WorkflowQueries, EachStepArrangesItsViewsAndOffersItsCommands)
{
    const std::vector<USHORT> outside = {13, 15, 16, 17, 18, 19, 20, 29};
    auto with = [&](std::vector<USHORT> extra) {
        extra.insert(extra.end(), outside.begin(), outside.end());
        std::sort(extra.begin(), extra.end());
        return extra;
    };
    const LayoutCase cases[] = {
        {StepId::SamplingStep, 0, {}, with({}), {26, 27, 28}},
        {StepId::CuvetteStep, 0, {11, 0}, with({22, 28}), {26, 27, 28}},
        {StepId::SalineStep, 0, {8, 4, 0}, with({21, 22, 27}), {26, 27, 28}},
        {StepId::AnalyseStep, 0, {2, 4, 0}, with({14, 21, 23, 24, 25, 26}), {26, 27, 28}},
        {StepId::AnalyseStep, 1, {5, 9, 10, 4, 0}, with({14, 21, 22, 23, 24, 25, 26}), {}},
        {StepId::AnalyseStep, 2, {}, with({14, 21, 22, 23, 24, 25, 26}), {}},
        {StepId::AlphaDlg, 0, {2, 4, 0}, with({14, 21}), {26, 27, 28}},
    };
    USHORT documentCode = 0;
    GetDocumentMessagePrefix(&documentCode);
    for (const LayoutCase& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "step " << c.step << " type " << c.analysisType);
        Choose(1, c.step, c.analysisType);
        std::vector<USHORT> views;
        for (const ViewLayoutItem& item : Layout())
            views.push_back((item.viewType >> 16) == documentCode ? static_cast<USHORT>(item.viewType & 0xFFFF) : 0);
        EXPECT_EQ(c.views, views);
        EXPECT_EQ(c.commands, AvailableCommands());
        EXPECT_EQ(c.excluded, Excluded());
    }
    Choose(1, StepId::AnalyseStep, 1);
    const std::vector<ViewLayoutItem> occlusion = Layout();
    EXPECT_EQ((ViewLayoutItem{occlusion[1].viewType, 33, 0, 66, 50}), occlusion[1]);
    EXPECT_EQ((ViewLayoutItem{occlusion[4].viewType, 40, 50, 100, 100}), occlusion[4]);
    EXPECT_EQ((TypeIdClass<&HostTypeGUID, 2>::Id()), occlusion[4].viewType);
}

// The analysis texts read each property from the model that owns it: the Tau model setting from the
// Tau model, everything else from the setup model.
TEST(WorkflowModelReader, TheAnalyzerTextReadsEachPropertyFromItsOwnModel)
{
    TestOwner owner;
    const ModelPtr setup = owner.Setup();
    setup->SetPressureChannel(0);
    setup->SetVolumeChannel(2);
    setup->SetMinimumPeriod(0.05);
    setup->SetRegionStart({250, 1});
    setup->SetRegionEnd({4000, 3});
    setup->SetValue<PropertyType::Int>(PropertyId::StrokeVolumeMode, 1);
    setup->SetValue<PropertyType::Int>(PropertyId::EndSystolicMode, 1);
    owner.GetModel(ModelKind::TauModel)->SetValue<PropertyType::Int>(PropertyId::TauModel, 2);
    const WorkflowModelReader reader(owner);
    EXPECT_STREQ(L"SistraAnalyzer(ch1, ch3, PVEdpDet(ch1, CMPeakDet(ch1, 20, 0.05), 20, 1, 250, 3, 4000), 2, 1, 1, 250, "
                 L"3, 4000, 1)",
                 BuildLoopAnalyzerExpressionWithVolumeChannel(reader, RangeWords{}).c_str());
    EXPECT_EQ(nullptr, reader.GetInt(PropertyId::PressureChannel)) << "a channel is not an int";
    EXPECT_EQ(nullptr, reader.GetInt(PropertyId::Count));
    EXPECT_EQ(2, *reader.GetInt(PropertyId::TauModel));
    EXPECT_EQ((uint64_t{3} << 32 | 4000u), reader.GetPosition(PropertyId::RegionEnd));
}

} // namespace
} // namespace ModelTests
