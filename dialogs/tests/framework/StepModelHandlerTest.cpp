#include "dialogs/framework/StepModelHandler.h"

#include "dialogs/tests/DialogTestSupport.h"
#include "document/models/ModelValues.h"
#include "hostframework/messaging/SistraIds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Sistra;

namespace
{

// A page that writes down each call it gets, in order.
class RecordingPage final : public StepDlgModelHandler
{
public:
    using StepDlgModelHandler::StepDlgModelHandler;

    void OnModelChanged(const PropertyIdSet& changed) override { calls.push_back(L"changed " + std::to_wstring(changed.Count())); }
    void OnValidationProblem() override { calls.push_back(L"problem"); }
    void OnStepReady() override { calls.push_back(L"ready"); }
    void OnStepNotReady() override { calls.push_back(L"not ready"); }
    void OnDocumentRefresh() override { calls.push_back(L"refresh"); }
    void ShowPaneProblem(const Orv::String& title, const Orv::String& text) override
    {
        calls.push_back(L"pane problem " + std::wstring(title.c_str()) + L": " + text.c_str());
    }
    void ClearPaneProblem() override { calls.push_back(L"pane clear"); }
    void SetPaneReady(bool ready) override { calls.push_back(ready ? L"pane ready" : L"pane not ready"); }

    std::vector<std::wstring> calls;
};

ULONG DocumentMessageId(USHORT number)
{
    return MsgIdClass<&SistraDocumentGUID, 0>::Id() | number;
}

} // namespace

TEST(StepModelHandler, ModelEventsReachThePageInThePanesOrder)
{
    DialogTests::DocumentFixture fixture;
    // Outside the workflow the pressure step needs no setup step first.
    const ModelPtr setup = fixture.Document().GetSetupModel();
    setup->SetWorkflowModeOn(false);
    setup->CommitChanges();
    const ModelPtr model = fixture.Document().GetModel(ModelKind::PressureCalib);
    RecordingPage page(&fixture.Document(), model);

    model->SetPressureBase1(1.0);
    model->SetPressureBase2(2.0);
    model->SetValue<PropertyType::Double>(PropertyId::PressureConverted1, 0.0);
    model->SetValue<PropertyType::Double>(PropertyId::PressureConverted2, 100.0);
    page.CommitModel();
    EXPECT_EQ((std::vector<std::wstring>{L"changed 4", L"pane not ready", L"pane clear", L"not ready"}), page.calls)
        << "values without the applied flag";
    page.calls.clear();
    model->SetPressureCalibrationApplied(true);
    page.CommitModel();
    EXPECT_EQ((std::vector<std::wstring>{L"changed 1", L"refresh", L"pane ready", L"pane clear", L"ready"}), page.calls)
        << "the calibration applied runs the analysis again, whose results the page hears";

    page.calls.clear();
    model->SetPressureBase2(1.0);
    page.CommitModel();
    ASSERT_EQ(2u, page.calls.size());
    EXPECT_EQ(L"pane problem Invalid Calibration Value: The base pressure values cannot be equal.", page.calls[0]);
    EXPECT_EQ(L"problem", page.calls[1]);
    model->DiscardChanges();

    // The analysis cleared: every control is refreshed as if every property had changed.
    page.calls.clear();
    page.Notify(nullptr, DocumentMessageId(DocumentNotification::AnalysisCleared), 0, nullptr);
    page.Notify(nullptr, DocumentMessageId(DocumentNotification::AnalysisResultsChanged), 0, nullptr);
    page.Notify(nullptr, DocumentMessageId(99), 0, nullptr);
    EXPECT_EQ((std::vector<std::wstring>{L"changed " + std::to_wstring(model->GetPropertyIds().Count()), L"refresh"}),
              page.calls);
}
