// The workflow panel on a host document: a pane per step of the workflow in force, each opening onto its
// step's page and making its step current, rebuilt when the workflow changes, scrolled as a column, closed
// from its header's image; with a picture of the panel.
#include "host/tests/module/DocumentOnHost.h"
#include "host/tests/module/HostedView.h"
#include "testsupport/VyrTestSupport.h"
#include "hostframework/tests/FrameworkTestSupport.h"

#include "views/workflow/WorkflowView.h"

#include "dialogs/framework/StepFactory.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

namespace
{

using HostTests::DocumentOnHost;
using Sistra::ModelPtr;
using Sistra::PropertyType;
using Sistra::Workflow;
using Sistra::WorkflowView;
namespace ModelKind = Sistra::ModelKind;
namespace PropertyId = Sistra::PropertyId;
namespace StepId = Sistra::StepId;

bool HasPage(int32_t stepId)
{
    for (const auto* factory = Sistra::StepDlgClassObjBase::Head(); factory; factory = factory->Next())
        if (factory->GetStepId() == stepId)
            return true;
    return false;
}

// The frame the host puts the panel in: it only counts the panel's requests to close it.
class PanelFrame : public OWL::TWindow
{
public:
    PanelFrame() : OWL::TWindow(nullptr, L"workflow test") {}
    DECLARE_RESPONSE_TABLE(PanelFrame);
    void EvClose() { ++closeRequests; }
    int closeRequests = 0;
};
DEFINE_RESPONSE_TABLE1(PanelFrame, OWL::TWindow)
    EV_WM_CLOSE,
END_RESPONSE_TABLE;

class WorkflowViewOnHost : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { recording = std::make_unique<Host::Recording>(HostTests::SteadyVentricle(2000)); }
    static void TearDownTestSuite() { recording.reset(); }

    void SetUp() override { document = std::make_unique<DocumentOnHost>(*recording, false, false); }
    void TearDown() override
    {
        view.Close();
        document.reset();
    }
    Sistra::SistraDocument& Doc() { return document->Document(); }
    ModelPtr ViewModel() { return Doc().GetModel(ModelKind::WorkflowView); }
    int32_t CurrentStep() { return ViewModel()->GetValue<PropertyType::Int>(PropertyId::CurrentStep); }
    void SetWorkflow(int32_t kind, bool on = true)
    {
        const ModelPtr setup = Doc().GetSetupModel();
        setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, on);
        setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, kind);
        setup->CommitChanges();
    }
    void SetCurrentStep(int32_t step)
    {
        ViewModel()->SetValue<PropertyType::Int>(PropertyId::CurrentStep, step);
        ViewModel()->CommitChanges();
    }
    void Open(int height = 700) { ASSERT_TRUE(view.Open(Doc(), 320, height)); }
    std::vector<size_t> ExpandedPanes()
    {
        std::vector<size_t> expanded;
        for (size_t i = 0; i < view->PaneCount(); ++i)
            if (view->Pane(i).IsExpanded())
                expanded.push_back(i);
        return expanded;
    }
    void Send(HWND window, UINT message, const POINT& at)
    {
        ::SendMessageW(window, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(at.x, at.y));
    }

    static inline std::unique_ptr<Host::Recording> recording;
    std::unique_ptr<DocumentOnHost> document;
    HostTests::HostedView<WorkflowView, PanelFrame> view;
};

// Every workflow shows one pane per step, titled with the step, and opens the current step's pane; each
// pane opened shows its step's page (when the step has one), closes the others and makes its step current.
TEST_F(WorkflowViewOnHost, EachWorkflowShowsItsStepsAndEachPaneOpensItsStep)
{
    const struct
    {
        int32_t kind;
        bool on;
        size_t panes;
        int32_t current;
        size_t currentPane;
    } workflows[] = {
        {Sistra::WorkflowKind::SmallMammal, true, 8, StepId::PressureStep, 1},
        {Sistra::WorkflowKind::LargeMammal, true, 7, StepId::VolumeMPVSStep, 2},
        {Sistra::WorkflowKind::Echo, true, 5, StepId::AnalyseStep, 4},
        {Sistra::WorkflowKind::SmallMammal, false, 1, StepId::SetupStep, 0},
    };
    for (const auto& workflow : workflows)
    {
        SCOPED_TRACE(testing::Message() << "kind " << workflow.kind << (workflow.on ? " on" : " off"));
        SetUp();
        SetWorkflow(workflow.kind, workflow.on);
        SetCurrentStep(workflow.current);
        Open();
        ASSERT_EQ(workflow.panes, view->PaneCount());
        EXPECT_EQ(std::vector<size_t>{workflow.currentPane}, ExpandedPanes());
        const int32_t kind = workflow.on ? workflow.kind : Sistra::WorkflowKind::None;
        for (size_t i = 0; i < view->PaneCount(); ++i)
        {
            const int32_t step = Workflow::GetStepByIndex(kind, i)->stepId;
            view->Pane(i).Expand(true);
            EXPECT_EQ(std::vector<size_t>{i}, ExpandedPanes());
            EXPECT_EQ(step, CurrentStep());
            EXPECT_EQ(HasPage(step), view->Pane(i).Content() != nullptr) << "step " << step;
            EXPECT_EQ(Workflow(&Doc()).GetStepTitle(i).c_str(), view->Pane(i).GetWindowText());
            EXPECT_EQ(WorkflowView::FirstPaneId + static_cast<int>(i), view->Pane(i).GetDlgCtrlID());
        }
        TearDown();
    }
}

// A new workflow rebuilds every pane after the first, which keeps its window and its open page.
TEST_F(WorkflowViewOnHost, ChangingTheWorkflowRebuildsAllPanesButTheFirst)
{
    SetWorkflow(Sistra::WorkflowKind::SmallMammal);
    SetCurrentStep(StepId::SetupStep);
    Open();
    const HWND first = view->Pane(0).m_hWnd;
    const HWND page = view->Pane(0).Content();
    ASSERT_NE(nullptr, page);
    SetWorkflow(Sistra::WorkflowKind::Echo);
    ASSERT_EQ(5u, view->PaneCount());
    EXPECT_EQ(first, view->Pane(0).m_hWnd);
    EXPECT_EQ(page, view->Pane(0).Content());
    EXPECT_EQ(Workflow(&Doc()).GetStepTitle(2).c_str(), view->Pane(2).GetWindowText());
    EXPECT_EQ(std::vector<size_t>{0}, ExpandedPanes());
}

// The scroll range is the column's height; a column that fits never scrolls, a longer one scrolls by
// at most what lies below the view, and a relayout keeps the column where it was scrolled to.
TEST_F(WorkflowViewOnHost, TheColumnScrollsOnlyAsFarAsItReaches)
{
    for (const int height : {700, 250})
    {
        SCOPED_TRACE(height);
        SetUp();
        SetWorkflow(Sistra::WorkflowKind::SmallMammal);
        // A step of another workflow: no pane opens.
        SetCurrentStep(StepId::VolumeKnownStep);
        Open(height);
        ASSERT_TRUE(ExpandedPanes().empty());
        RECT pane{};
        view->Pane(0).GetClientRect(&pane);
        const HWND column = view->Layout().GetHandle();
        SCROLLINFO info{sizeof info, SIF_ALL};
        ::GetScrollInfo(column, SB_VERT, &info);
        EXPECT_EQ(WorkflowView::PaneGap + 8 * (pane.bottom + WorkflowView::PaneGap), info.nMax);
        const int reach = std::max(0, info.nMax - static_cast<int>(info.nPage));
        view->ScrollPanes(SB_PAGEDOWN);
        view->ScrollPanes(SB_PAGEDOWN);
        view->ScrollPanes(SB_LINEDOWN);
        EXPECT_EQ(reach, ::GetScrollPos(column, SB_VERT));
        const OWL::TRect size = view->Layout().GetClientRect();
        ::SendMessageW(column, WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.Width(), size.Height()));
        RECT first{};
        ::GetWindowRect(view->Pane(0).m_hWnd, &first);
        ::MapWindowPoints(nullptr, column, reinterpret_cast<POINT*>(&first), 2);
        EXPECT_EQ(WorkflowView::PaneGap - reach, first.top);
        TearDown();
    }
}

// The close image lights under the mouse and asks the frame to close the panel only when the button
// goes down and up on it.
TEST_F(WorkflowViewOnHost, TheCloseImageClosesThePanelOnlyWhenReleasedOnIt)
{
    Open();
    const OWL::TRect image = view->CloseImageRect();
    const POINT on{(image.left + image.right) / 2, (image.top + image.bottom) / 2};
    const POINT off{on.x - 60, on.y};
    Send(view->GetHandle(), WM_MOUSEMOVE, on);
    EXPECT_TRUE(view->IsCloseImageHot());
    Send(view->GetHandle(), WM_LBUTTONDOWN, on);
    Send(view->GetHandle(), WM_LBUTTONUP, off);
    EXPECT_EQ(0, view.Frame().closeRequests);
    Send(view->GetHandle(), WM_LBUTTONDOWN, off);
    Send(view->GetHandle(), WM_LBUTTONUP, on);
    EXPECT_EQ(0, view.Frame().closeRequests);
    Send(view->GetHandle(), WM_LBUTTONDOWN, on);
    Send(view->GetHandle(), WM_LBUTTONUP, on);
    EXPECT_EQ(1, view.Frame().closeRequests);
    Send(view->GetHandle(), WM_MOUSELEAVE, off);
    EXPECT_FALSE(view->IsCloseImageHot());
}

// "Automatically tile views" writes the model's property and follows it.
// The host asks the panel's window for its context and gets the host object of the document's frame.
TEST_F(WorkflowViewOnHost, ThePanelsWindowAnswersTheHostWithItsFramesObject)
{
    Open();
    Orv::ComPtr<IVyrDocumentFrame> frame;
    ASSERT_EQ(S_OK, Doc().Outer()->QueryInterface(IID_IVyrDocumentFrame, frame.PutVoid()));
    Orv::ComPtr<IUnknown> object;
    ASSERT_EQ(S_OK, frame->GetHostObject(object.Put()));
    ASSERT_NE(nullptr, object.Get());
    const UINT askContext = ::RegisterWindowMessageW(L"VyrGetWindowContext");
    EXPECT_EQ(reinterpret_cast<LRESULT>(object.Get()), ::SendMessageW(view->GetHandle(), askContext, 0, 0));
}

TEST_F(WorkflowViewOnHost, TheTileBoxAndTheModelFollowEachOther)
{
    Open();
    const HWND box = ::GetDlgItem(view->GetHandle(), WorkflowView::AutoTileId);
    ASSERT_EQ(BST_CHECKED, ::SendMessageW(box, BM_GETCHECK, 0, 0));
    ::SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
    ::SendMessageW(view->GetHandle(), WM_COMMAND, MAKEWPARAM(WorkflowView::AutoTileId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(box));
    EXPECT_FALSE(ViewModel()->GetValue<PropertyType::Bool>(PropertyId::AutoTileViews));
    ViewModel()->SetValue<PropertyType::Bool>(PropertyId::AutoTileViews, true);
    ViewModel()->CommitChanges();
    EXPECT_EQ(BST_CHECKED, ::SendMessageW(box, BM_GETCHECK, 0, 0));
}

// Help shows the topic of the step the panel has open.
TEST_F(WorkflowViewOnHost, HelpAsksTheHostForTheCurrentStepsTopic)
{
    SetWorkflow(Sistra::WorkflowKind::Echo);
    Open();
    for (const int32_t step : {StepId::SetupStep, StepId::AnalyseStep})
    {
        SetCurrentStep(step);
        const HWND help = ::GetDlgItem(view->GetHandle(), WorkflowView::HelpId);
        ::SendMessageW(view->GetHandle(), WM_COMMAND, MAKEWPARAM(WorkflowView::HelpId, BN_CLICKED),
                       reinterpret_cast<LPARAM>(help));
        EXPECT_EQ(L"SistraHelp: " + std::wstring(Sistra::Workflow(&Doc()).GetStepHelpTopic(step).c_str()),
                  TestSupport::LastHelpRequest())
            << step;
    }
}

// A picture: the title band on top, the step panes with the current one open, the bottom band.
TEST_F(WorkflowViewOnHost, Picture)
{
    SetWorkflow(Sistra::WorkflowKind::SmallMammal);
    SetCurrentStep(StepId::PressureStep);
    Open();
    view.Show();
    // The current step's pane unfolds on its timer: the picture waits until it has, however long that takes.
    OrvControls::Accordion& current = view->Pane(1);
    for (int look = 0; look < 3000 && (current.GetState() == OrvControls::Accordion::Expanding ||
                                       current.GetState() == OrvControls::Accordion::Collapsing);
         ++look)
    {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        OwlTest::PumpMessages();
    }
    OwlTest::PumpMessages();
    EXPECT_FALSE(view.SavePicture(L"workflow_view").empty());
    const HDC dc = ::GetDC(view->GetHandle());
    const OWL::TRect client = view->GetClientRect();
    EXPECT_EQ(WorkflowView::BandColour, ::GetPixel(dc, 3, 3));
    EXPECT_EQ(WorkflowView::BandColour, ::GetPixel(dc, client.right - 3, client.bottom - 3));
    EXPECT_EQ(WorkflowView::BandEdgeColour, ::GetPixel(dc, 3, view->BandHeight() - 1));
    ::ReleaseDC(view->GetHandle(), dc);
    RECT pressure{};
    ::GetWindowRect(view->Pane(1).m_hWnd, &pressure);
    RECT setup{};
    ::GetWindowRect(view->Pane(0).m_hWnd, &setup);
    EXPECT_LT(setup.bottom, pressure.top);
}

} // namespace
