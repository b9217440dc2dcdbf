#include "views/loop/LoopView.h"
#include "views/loop/TextClickAnnotation.h"

#include "views/tests/ViewTestSupport.h"

#include "graph/tests/support/Canvas.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/tests/FrameworkTestSupport.h"

#include <gtest/gtest.h>

using namespace Sistra;

namespace
{

struct ShownLoopView
{
    explicit ShownLoopView(double ped = 10.0, bool workflowMode = false, int loops = 20)
    {
        document.Analyse(loops, ped);
        document.Document().GetSetupModel()->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, workflowMode);
        view = std::make_unique<SistraAnalysisGraphView>(&frame.window, nullptr, nullptr, document.Document().Outer(),
                                                         nullptr, nullptr);
        frame.Show(*view);
    }
    // Sets a model property as the document's commands do, and tells the view as the host would.
    template <PropertyType T, class Value>
    void Set(int kind, int id, const Value& value)
    {
        const auto model = document.Document().GetModel(kind);
        model->SetValue<T>(id, value);
        model->CommitChanges();
        ModelChangedRecord record{static_cast<ISubject*>(model.get()), PropertyIdSet{id}.Words()};
        view->Proxy()->Notify(nullptr,
                              MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelPropertiesChanged>::Id(), 0,
                              &record);
        ViewTesting::PumpMessages();
    }
    void ShowRelations(int32_t espvrType)
    {
        Set<PropertyType::Bool>(ModelKind::LoopView, PropertyId::ShowEspvrRegression, true);
        Set<PropertyType::Bool>(ModelKind::LoopView, PropertyId::ShowEdpvrRegression, true);
        Set<PropertyType::Int>(ModelKind::LoopView, PropertyId::EdpvrRegressionType, EdpvrLinear);
        Set<PropertyType::Int>(ModelKind::LoopView, PropertyId::EspvrRegressionType, espvrType);
    }
    ViewTesting::AnalysedDocument document;
    ViewTesting::Frame frame;
    std::unique_ptr<SistraAnalysisGraphView> view;
};

bool Shown(OWL::TWindow& window)
{
    return IsWindowVisible(window.GetHandle()) != FALSE;
}

bool Enabled(OWL::TWindow& window)
{
    return IsWindowEnabled(window.GetHandle()) != FALSE;
}

} // namespace

// The relations belong to the analysis of an occlusion: outside workflow mode always, in it only in the
// analyse step with occlusion data.
TEST(LoopView, TheRegressionControlsShowOnlyWhereTheRelationsApply)
{
    const struct
    {
        bool workflowMode;
        int32_t step;
        int32_t analysis;
        bool available;
    } cases[] = {{false, 1, 0, true}, {true, AnalyseStepId, OcclusionAnalysis, true},
                 {true, AnalyseStepId, BaselineAnalysis, false}, {true, 3, OcclusionAnalysis, false}};
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.step * 10 + test.analysis);
        ShownLoopView shown(10.0, test.workflowMode);
        shown.Set<PropertyType::Int>(ModelKind::AnalysisStep, PropertyId::AnalysisType, test.analysis);
        shown.Set<PropertyType::Int>(ModelKind::WorkflowView, PropertyId::CurrentStep, test.step);
        SistraAnalysisGraphView& view = *shown.view;
        EXPECT_EQ(test.available, view.RegressionsAvailable());
        for (OWL::TWindow* control : std::initializer_list<OWL::TWindow*>{
                 &view.EspvrCheck(), &view.EspvrTypeCombo(), &view.EsPointsCombo(), &view.EdpvrCheck(),
                 &view.EdpvrTypeCombo()})
            EXPECT_EQ(test.available, Shown(*control));
        // Unavailable relations draw neither points nor lines: only the 21 loop series remain.
        shown.ShowRelations(EspvrLinear);
        EXPECT_EQ(test.available ? 21 + 2 + 2 : 21, view.GraphWindow().GetPlotterCount());
    }
}

TEST(LoopView, TheStripFollowsTheModelAndLaysItsControlsOutSideBySide)
{
    ShownLoopView shown;
    SistraAnalysisGraphView& view = *shown.view;
    EXPECT_GT(view.EspvrCheck().GetWindowRect().Width(), 0);
    const std::vector<OWL::TWindow*> leftToRight{&view.EspvrCheck(), &view.EspvrTypeCombo(), &view.EsPointsCombo(),
                                                 &view.EdpvrCheck(), &view.EdpvrTypeCombo()};
    for (size_t i = 0; i + 1 < leftToRight.size(); ++i)
        EXPECT_LE(leftToRight[i]->GetWindowRect().right, leftToRight[i + 1]->GetWindowRect().left) << i;
    // The strip ends 2 pixels inside the view's right edge, and the last combo with it.
    POINT corner{view.EdpvrTypeCombo().GetWindowRect().right, 0};
    ScreenToClient(view.GetHandle(), &corner);
    EXPECT_EQ(view.GetClientRect().right - 2, corner.x);
    // A narrow view keeps every control of the strip inside it, apart from the others, and every combo
    // wide enough for its longest item beside its drop button.
    view.MoveWindow(OWL::TRect(0, 0, 400, 300), true);
    ViewTesting::PumpMessages();
    const OWL::TRect inside = view.GetWindowRect();
    for (size_t i = 0; i < leftToRight.size(); ++i)
    {
        const OWL::TRect place = leftToRight[i]->GetWindowRect();
        EXPECT_TRUE(ViewTesting::Contains(inside, place)) << i;
        RECT common{};
        for (size_t j = i + 1; j < leftToRight.size(); ++j)
        {
            const OWL::TRect other = leftToRight[j]->GetWindowRect();
            EXPECT_FALSE(IntersectRect(&common, &place, &other)) << i << " " << j;
        }
    }
    for (OWL::TComboBox* combo : {&view.EspvrTypeCombo(), &view.EsPointsCombo(), &view.EdpvrTypeCombo()})
        for (int item = 0; item < combo->GetCount(); ++item)
            EXPECT_LE(ViewTesting::TextExtent(*combo, combo->GetString(item)) + GetSystemMetrics(SM_CXVSCROLL),
                      combo->GetWindowRect().Width())
                << combo->GetString(item).c_str();

    // The point kinds apply to the tangent fit alone.
    for (const auto& [type, pointsEnabled] : {std::pair{EspvrTangent, true}, std::pair{EspvrLinear, false}})
    {
        shown.ShowRelations(type);
        EXPECT_EQ(BST_CHECKED, view.EspvrCheck().GetCheck());
        EXPECT_EQ(type, view.EspvrTypeCombo().GetSelIndex());
        EXPECT_EQ(pointsEnabled, Enabled(view.EsPointsCombo()));
    }
    // The detection method names the per-beat points in the texts.
    for (const auto& [mode, text] : {std::pair{1, L"Linear (sine fit ES)"}, std::pair{0, L"Linear (max (P/V) ES)"}})
    {
        shown.Set<PropertyType::Int>(ModelKind::WorkflowSetup, PropertyId::EndSystolicMode, mode);
        EXPECT_EQ(text, view.EspvrTypeCombo().GetString(0));
    }
}

// Sized to the least size it names, the view keeps a plot the loops and their equations can be read
// in, with the list and the strip beside and above it, not over it.
TEST(LoopView, ItsLeastSizeLeavesAReadablePlotBesideTheListAndBelowTheStrip)
{
    ShownLoopView shown;
    shown.ShowRelations(EspvrTangent);
    SistraAnalysisGraphView& view = *shown.view;
    const RECT plot = ViewTesting::PlotAtLeastSize(view);
    MGraph1::Graph2DWindow& graph = view.GraphWindow();
    EXPECT_GE(plot.bottom - plot.top, 120);
    EXPECT_GE(plot.right - plot.left, 120);
    const OWL::TRect graphPlace = graph.GetWindowRect();
    EXPECT_LE(view.LoopList().GetWindowRect().right, graphPlace.left);
    for (OWL::TWindow* control : std::initializer_list<OWL::TWindow*>{&view.EspvrTypeCombo(), &view.EsPointsCombo(),
                                                                       &view.EdpvrCheck(), &view.EdpvrTypeCombo()})
    {
        EXPECT_LE(control->GetWindowRect().top + 22, graphPlace.top);
        EXPECT_TRUE(ViewTesting::Contains(view.GetWindowRect(), control->GetWindowRect()));
    }
    for (OWL::TComboBox* combo : {&view.EspvrTypeCombo(), &view.EsPointsCombo(), &view.EdpvrTypeCombo()})
        for (int item = 0; item < combo->GetCount(); ++item)
            EXPECT_LE(ViewTesting::TextExtent(*combo, combo->GetString(item)) + GetSystemMetrics(SM_CXVSCROLL),
                      combo->GetWindowRect().Width())
                << combo->GetString(item).c_str();
}

TEST(LoopView, EquationsSignTheInterceptAndTheCopyLeavesOutWhatCannotBeFitted)
{
    ShownLoopView shown;
    SistraAnalysisGraphView& view = *shown.view;
    shown.ShowRelations(EspvrLinear);
    // Pes = 2 Ves + 5; every loop has the same Ped, so no EDPVR can be fitted.
    EXPECT_STREQ(L"ESPVR: Pes = 2 * Ves + 5, r\u00b2 = 1", view.EspvrText(EspvrLinear)->c_str());
    EXPECT_FALSE(view.EdpvrText(EdpvrLinear));
    EXPECT_STREQ(view.EspvrText(EspvrLinear)->c_str(), view.GetRegressionText()->c_str());
    EXPECT_TRUE(view.CanCopyRegression());
    shown.Set<PropertyType::Bool>(ModelKind::LoopView, PropertyId::ShowEspvrRegression, false);
    EXPECT_FALSE(view.GetRegressionText());
    EXPECT_FALSE(view.CanCopyRegression());
}

// The major-axis ESPVR states its measure of fit as what it is, the correlation r; a falling relation's r is
// negative, which makes it no less a fit: its line is drawn and its equation given.
TEST(LoopView, TheMajorAxisStatesItsCorrelationAndDrawsItsLineRisingOrFalling)
{
    const struct
    {
        double pesSlope;
        const wchar_t* text;
    } cases[] = {{2.0, L"ESPVR: Pes = 2 * Ves + 5, r = 1"}, {-2.0, L"ESPVR: Pes = -2 * Ves + 5, r = -1"}};
    for (const auto& test : cases)
    {
        ShownLoopView shown;
        shown.document.Analyse(20, 10.0, 1.0, -40.0, test.pesSlope);
        shown.view->DataChanged(0);
        shown.ShowRelations(EspvrPerpendicular);
        EXPECT_STREQ(test.text, shown.view->EspvrText(EspvrPerpendicular)->c_str());
        // The line runs on to the plot's left edge, left of every end-systolic point and below the corner its
        // text is written in, rising or falling.
        GraphTest::DibCanvas canvas(640, 480);
        shown.view->Render(canvas.Dc(), nullptr, RECT{0, 0, 640, 480});
        int drawn = 0;
        for (int y = canvas.Height() / 10; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width() / 4; ++x)
                drawn += canvas.Pixel(x, y) == SistraAnalysisGraphView::EspvrColour ? 1 : 0;
        EXPECT_GT(drawn, 50) << test.pesSlope;
    }
}

TEST(LoopView, TheListHasARowPerLoopAndAChosenRowSelectsItsLoop)
{
    ShownLoopView shown;
    SistraAnalysisGraphView& view = *shown.view;
    shown.document.Data().SetLoopState(3, LoopStateExcluded);
    view.DataChanged(0);
    OWL::TCheckList& list = view.LoopList();
    ASSERT_EQ(20, list.GetCount());
    EXPECT_FALSE(list.GetItem(3)->IsChecked());
    EXPECT_TRUE(list.GetItem(4)->IsChecked());
    list.SetSelIndex(3);
    view.LoopRowChosen();
    EXPECT_EQ(3, shown.document.Document().GetSetupModel()->GetValue<PropertyType::Int>(PropertyId::SelectedLoop));
    EXPECT_TRUE(view.ViewModel()->GetCheckedItems().count(3));
    list.GetItem(3)->Check();
    view.LoopRowChosen();
    EXPECT_FALSE(view.ViewModel()->GetCheckedItems().count(3));
}

TEST(LoopView, NegativeEndDiastolicPressuresRaiseTheCalibrationWarning)
{
    for (const auto& [ped, warned] : {std::pair{0.0009, true}, std::pair{0.001, false}, std::pair{10.0, false}})
    {
        ShownLoopView shown(ped);
        EXPECT_EQ(warned, Shown(shown.view->WarningIcon())) << ped;
        EXPECT_EQ(warned ? Orv::String(L"Negative Pressure Values") : Orv::String(), shown.view->WarningIcon().Title());
        EXPECT_EQ(warned, static_cast<bool>(shown.view->WarningIcon().linkCallback)) << "\"Learn more\" with the warning";
        if (warned)
        {
            shown.view->WarningIcon().linkCallback();
            EXPECT_EQ(L"SistraHelp: pv_pressure_error", TestSupport::LastHelpRequest());
        }
    }
}

// The help button asks the host for the loop view's topic of the module's help file.
TEST(LoopView, TheHelpButtonAsksTheHostForTheViewsTopic)
{
    ShownLoopView shown;
    ASSERT_TRUE(Shown(shown.view->HelpButton()));
    shown.view->SendMessage(WM_COMMAND, MAKEWPARAM(SistraGraphViewBase::HelpButtonId, BN_CLICKED),
                            reinterpret_cast<LPARAM>(shown.view->HelpButton().GetHandle()));
    EXPECT_EQ(L"SistraHelp: sistra_view", TestSupport::LastHelpRequest());
}

TEST(LoopView, VolumeRunsAcrossAndPressureUpWithTheRelationsDrawnOver)
{
    ShownLoopView shown;
    SistraAnalysisGraphView& view = *shown.view;
    shown.ShowRelations(EspvrLinear);
    double low = 0.0, high = 0.0;
    view.GraphWindow().GetDomain(low, high);
    // Volumes run from 60 (the smallest Ves) to 119 (the largest Ved).
    EXPECT_NEAR((60.0 + 119.0) / 2, (low + high) / 2, 1e-3);
    view.GraphWindow().GetRange(low, high);
    EXPECT_NEAR((10.0 + 163.0) / 2, (low + high) / 2, 1e-3);
    GraphTest::DibCanvas canvas(640, 480);
    view.Render(canvas.Dc(), nullptr, RECT{0, 0, 640, 480});
    canvas.SavePng("loop-view-relations");
    EXPECT_GT(canvas.CountPixels(SistraAnalysisGraphView::EspvrColour), 50);
}

// A drawing of many loops that runs past the time limit asks for no further loop once it is cut short,
// and says so in the corner; the graph shows that picture again, notice and all, until a drawing within
// the limit replaces it.
TEST(LoopView, ADrawingPastTheTimeLimitStopsAndSaysSoUntilADrawingWithinItReplacesIt)
{
    ShownLoopView shown(10.0, false, 300);
    SistraAnalysisGraphView& view = *shown.view;
    // The loops of the test's analysis have no curves to draw: with the relations hidden, the notice is
    // all that tells the two drawings apart.
    shown.Set<PropertyType::Bool>(ModelKind::LoopView, PropertyId::ShowEspvrRegression, false);
    shown.Set<PropertyType::Bool>(ModelKind::LoopView, PropertyId::ShowEdpvrRegression, false);
    constexpr DWORD Step = 100;
    DWORD readings = 0, step = Step;
    view.SetDrawingClock([&] { return step * readings++; });
    MGraph1::Graph2DWindow& graph = view.GraphWindow();
    const auto drawnWhite = [&] {
        GraphTest::DibCanvas canvas(500, 400);
        graph.Draw(canvas.Dc(), true, RECT{0, 0, 500, 400});
        return canvas.CountPixels(RGB(255, 255, 255));
    };
    const auto rebuild = [&] {
        view.RequestStep(UpdateStep::Plot);
        view.RunUpdateCycle();
    };
    rebuild();
    const int cutShort = drawnWhite();
    // One reading as the redraw begins, then one per loop until the first at or past the limit.
    EXPECT_EQ(1 + (SistraGraphViewBase::DrawingTimeLimitMs + Step - 1) / Step, readings);
    EXPECT_FALSE(view.TimedOut()) << "cleared as the redraw ends";
    EXPECT_EQ(cutShort, drawnWhite()) << "the same picture, with its notice";
    step = 0;
    rebuild();
    const int whole = drawnWhite();
    EXPECT_GT(whole - cutShort, 100) << "the notice's text";
    EXPECT_EQ(whole, drawnWhite());
}

TEST(TextClickAnnotation, AClickShowsAllLoopsOnlyWhileSomeAreHidden)
{
    ShownLoopView shown;
    TextClickAnnotation notice(&shown.document.Document(), *shown.view);
    const RECT plot{0, 0, 300, 200};
    const auto noticePixels = [&] {
        GraphTest::DibCanvas canvas(300, 200);
        notice.OnDraw(canvas.Dc(), nullptr, plot, plot);
        return 300 * 200 - canvas.CountPixels(RGB(255, 255, 255));
    };
    EXPECT_EQ(0, noticePixels());
    EXPECT_FALSE(notice.HandleClick(plot, 0, {10, 10}, {10, 10}));
    shown.document.Data().SetHostRange(2, 9);
    EXPECT_GT(noticePixels(), 50);
    EXPECT_TRUE(notice.HandleClick(plot, 0, {10, 10}, {10, 10}));
    EXPECT_EQ(0x7FFFFFFFu, shown.document.Data().HostRange().second);
    EXPECT_EQ(0, noticePixels());
}
