#include "views/graph/SistraGraphViewBase.h"
#include "views/graph/ViewPlotData.h"

#include "views/tests/ViewTestSupport.h"

#include "graph/tests/support/Canvas.h"
#include "hostframework/messaging/SistraIds.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>
#include <string>
#include <vector>

using namespace Sistra;
using ViewTesting::AnalysedDocument;

namespace
{

// A graph view of the analysis's stroke work against EDV with fixed texts, which records the view
// steps it runs and can be given the extents it ranges its axes on.
class TestGraphView final : public SistraGraphViewBase
{
public:
    TestGraphView(const ViewCreation& creation) : SistraGraphViewBase(creation, Orv::String(L"Test Plot"), 3) {}

    Orv::String GetTitle() override { return Orv::String(L"Test Plot"); }
    bool GetRegression(ViewRegression& regression) override
    {
        FittedLine line;
        if (!AnalysisData() || !AnalysisData()->FitPrsw(line, true))
            return false;
        regression = {line.intercept, line.slope, line.fit};
        return true;
    }
    ViewChannel GetDomainChannel() override { return {}; }
    Orv::String GetDomainTitle() override { return Orv::String(L"Volume"); }
    Orv::String GetDomainSymbol() override { return Orv::String(L"V"); }
    ViewChannel GetRangeChannel() override { return {}; }
    Orv::String GetRangeTitle() override { return Orv::String(L"Work"); }
    Orv::String GetRangeSymbol() override { return Orv::String(L"W"); }
    int32_t GetSeriesId() override { return 1; }
    int32_t GetFunctionIndex() override { return 0; }
    bool GetDataExtents(ViewExtents& result) override
    {
        result = extents;
        return hasExtents;
    }
    Orv::String GetTooltipFormat() override { return Orv::String(L"%1 %2%3%4 %5"); }
    Orv::String GetHelpText() override { return Orv::String(L"help"); }
    Orv::String GetHelpTopic() override { return Orv::String(L"topic"); }
    void UpdatePart(uint32_t step) override
    {
        steps.push_back(step);
        if (step == UpdateStep::LastViewStep)
            for (uint32_t more : requestAfterLast)
                RequestStep(more);
    }

    std::vector<uint32_t> steps;
    std::vector<uint32_t> requestAfterLast;
    ViewExtents extents;
    bool hasExtents = false;
};

COLORREF SeriesColour()
{
    return 0xE1;
}

} // namespace

TEST(GraphViewBase, BatchesCutTheLoopsIntoHundredsFromTheFirstSeries)
{
    const struct
    {
        int loops;
        int32_t end;
        int32_t lastFirstLoop;
        int32_t lastCount;
    } cases[] = {{0, 1, 0, 0}, {200, 3, 100, 100}, {250, 4, 200, 50}, {1, 2, 0, 1}};
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.loops);
        AnalysedDocument document;
        document.Analyse(test.loops);
        TestGraphView view(document.CreationIn(nullptr));
        const auto batches = view.GetBatches();
        ASSERT_TRUE(batches);
        EXPECT_EQ(1, batches->firstSeries);
        EXPECT_EQ(test.end, batches->endSeries);
        if (test.loops == 0)
            continue;
        const auto last = view.GetBatchRange(batches->endSeries - 1);
        ASSERT_TRUE(last);
        EXPECT_EQ(test.lastFirstLoop, last->firstLoop);
        EXPECT_EQ(test.lastCount, last->loopCount);
        EXPECT_FALSE(view.GetBatchRange(0));
    }
}

TEST(GraphViewBase, TheUpdateCycleRunsTheLowestStepFirstAndAtMost102AtATime)
{
    AnalysedDocument document;
    document.Analyse(3);
    TestGraphView view(document.CreationIn(nullptr));
    view.requestAfterLast = {5, 3, 4};
    view.DataChanged(0);
    // Steps 0 to 99 and the two lowest of those asked for meanwhile; step 5 waits for the next paint.
    ASSERT_EQ(99u, view.steps.size());
    EXPECT_EQ(3u, view.steps.front());
    EXPECT_EQ((std::vector<uint32_t>{99, 3, 4}), std::vector<uint32_t>(view.steps.end() - 3, view.steps.end()));
    EXPECT_TRUE(view.PendingSteps().Test(5));
    view.steps.clear();
    view.RunUpdateCycle();
    EXPECT_EQ(std::vector<uint32_t>{5}, view.steps);
    EXPECT_TRUE(view.PendingSteps().None());
}

TEST(GraphViewBase, AxesPutTheDataInTheirMiddleHalfUnlessTheUserMovedThem)
{
    AnalysedDocument document;
    TestGraphView view(document.CreationIn(nullptr));
    MGraph1::Graph2DDrawer& graph = view.GraphWindow();
    const auto domain = [&] {
        double low = 0.0, high = 0.0;
        graph.GetDomain(low, high);
        return std::pair{low, high};
    };
    const auto range = [&] {
        double low = 0.0, high = 0.0;
        graph.GetRange(low, high);
        return std::pair{low, high};
    };
    view.hasExtents = true;
    view.extents = {0.0f, 50.0f, 100.0f, 200.0f};
    view.DataChanged(0);
    EXPECT_EQ(std::pair(50.0, 250.0), domain());
    EXPECT_EQ(std::pair(-25.0, 75.0), range());
    // No spread: a tenth of the value either side.
    view.extents = {10.0f, 10.0f, 100.0f, 100.0f};
    view.DataChanged(0);
    EXPECT_EQ(std::pair(90.0, 110.0), domain());
    EXPECT_EQ(std::pair(9.0, 11.0), range());
    // A display the user moved stays where it is.
    graph.SetDomain(0.0, 10.0);
    view.extents = {0.0f, 50.0f, 100.0f, 200.0f};
    view.DataChanged(0);
    EXPECT_EQ(std::pair(0.0, 10.0), domain());
    EXPECT_EQ(std::pair(-25.0, 75.0), range());
}

TEST(GraphViewBase, AxesWithoutPointsToShowGoBackToTheSpanTheyStartedWith)
{
    constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
    using Limits = std::pair<double, double>;
    const struct
    {
        const char* handed;
        int loops;
        bool handedOut;
        ViewExtents extents;
        Limits domain, range;
    } cases[] = {
        {"a range widened by no value", 3, true, {FLT_MAX, -FLT_MAX, 100.0f, 200.0f}, {0.0, 1.0}, {0.0, 1.0}},
        {"values that are not finite", 3, true, {NaN, 5.0f, 100.0f, 200.0f}, {0.0, 1.0}, {0.0, 1.0}},
        {"nothing, without loops", 0, false, {}, {0.0, 1.0}, {0.0, 1.0}},
        {"nothing, for too few loops", 3, false, {}, {50.0, 250.0}, {-25.0, 75.0}},
        {"values of 0 without spread", 3, true, {0.0f, 0.0f, 0.0f, 0.0f}, {-1.0, 1.0}, {-1.0, 1.0}},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.handed);
        AnalysedDocument document;
        TestGraphView view(document.CreationIn(nullptr));
        view.hasExtents = true;
        view.extents = {0.0f, 50.0f, 100.0f, 200.0f};
        view.DataChanged(0);
        document.Analyse(test.loops);
        view.hasExtents = test.handedOut;
        view.extents = test.extents;
        view.DataChanged(0);
        Limits domain, range;
        view.GraphWindow().GetDomain(domain.first, domain.second);
        view.GraphWindow().GetRange(range.first, range.second);
        EXPECT_EQ(test.domain, domain);
        EXPECT_EQ(test.range, range);
    }
}

TEST(GraphViewBase, TheRegressionTextSignsTheInterceptBeforeItsSize)
{
    constexpr FitMeasure Squared = FitMeasure::RSquared, Correlation = FitMeasure::Correlation;
    const struct
    {
        double intercept, fit;
        FitMeasure measure;
        const wchar_t* expected;
    } cases[] = {{-2.5, 0.9, Squared, L"W = 3 * V - 2.5, r\u00b2 = 0.9"},
                 {0.0, 0.9, Squared, L"W = 3 * V + 0, r\u00b2 = 0.9"},
                 {4.0, 0.9, Squared, L"W = 3 * V + 4, r\u00b2 = 0.9"},
                 // A fit worse than the points' mean offers no equation.
                 {4.0, -0.25, Squared, L"W: no fit, r\u00b2 = -0.25 is below 0"},
                 // A negative correlation is a falling relation, not a bad fit.
                 {4.0, -0.25, Correlation, L"W = 3 * V + 4, r = -0.25"}};
    for (const auto& test : cases)
        EXPECT_STREQ(test.expected,
                     SistraGraphViewBase::RegressionText(Orv::String(L"W"), Orv::String(L"V"),
                                                         {test.intercept, 3.0, test.fit, test.measure}, 1.0, 1.0)
                         .c_str());
}

TEST(GraphViewBase, AClickedPointSelectsTheLoopItStandsFor)
{
    // The third batch's sixth point: loop 205, whether or not a loop before the batch is excluded.
    for (const bool excludeEarlyLoop : {false, true})
    {
        AnalysedDocument document;
        document.Analyse(250);
        if (excludeEarlyLoop)
            document.Data().SetLoopState(3, LoopStateExcluded);
        TestGraphView view(document.CreationIn(nullptr));
        EXPECT_EQ(205, view.LoopOfPoint(200, 5)) << excludeEarlyLoop;
        EXPECT_EQ(-1, view.LoopOfPoint(200, 50)) << excludeEarlyLoop;
    }
}

TEST(ViewPlotData, OnlyTheStrictlyNearestSeriesTakesTheMarker)
{
    AnalysedDocument document;
    TestGraphView view(document.CreationIn(nullptr));
    const struct
    {
        int firstColumn;   // where each series has its one point, in plot pixels; the mouse is at 50
        int secondColumn;
        bool firstShown;
        bool secondShown;
        int32_t marked;
    } cases[] = {
        {55, 60, true, false, 0}, {60, 52, true, true, 1}, {55, 45, true, false, 0}, {90, 95, false, false, -1}};
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.secondColumn);
        const auto state = std::make_shared<SharedTrackingState>();
        ViewPlotData first(view, 0, 0, 100, state), second(view, 1, 100, 100, state);
        for (auto [data, column] : {std::pair{&first, test.firstColumn}, std::pair{&second, test.secondColumn}})
        {
            data->BeginPlot(100, 100, nullptr);
            data->InsertPoint(column, 50, MGraph1::PointRecord{-1, double(column), 50.0, 0, 1, 0});
            data->EndPlot();
        }
        view.SetHintText(L"before");
        MGraph1::TrackInfo asked;
        asked.relX = asked.relY = 50;
        asked.valueX = asked.valueY = 50.0;
        MGraph1::TrackInfo one = asked, two = asked;
        first.Track(0, one);
        second.Track(1, two);
        EXPECT_EQ(test.firstShown, one.show);
        EXPECT_EQ(test.secondShown, two.show);
        // The marking series names its point to the graph's hints; the others name none.
        EXPECT_EQ(test.firstShown, !one.label.empty());
        EXPECT_EQ(test.secondShown, !two.label.empty());
        EXPECT_EQ(test.marked, state->series);
        if (test.marked == -1)
        {
            EXPECT_EQ(L"before", view.HintText());
        }
    }
}

TEST(GraphViewBase, DrawingOnScreenStopsAfter700MsButOutputDrawsEverything)
{
    AnalysedDocument document;
    document.Analyse(20);
    ViewTesting::Frame frame;
    TestGraphView view(document.CreationIn(&frame.window));
    view.hasExtents = true;
    view.extents = {0.0f, 300.0f, 100.0f, 120.0f};
    frame.Show(view);
    ViewPlotData* series = view.SeriesObject(1);
    ASSERT_NE(nullptr, series);
    DWORD now = 0;
    view.SetDrawingClock([&] { return now; });
    const MGraph1::RedrawInfo info{};
    view.GraphWindow().redrawSender.Send(MGraph1::MsgGraph2DDrawerNotifyBeginRedraw(0, &info));
    EXPECT_TRUE(series->ContinueDrawing(1));
    now = 700;
    EXPECT_TRUE(series->ContinueDrawing(1));
    now = 701;
    EXPECT_FALSE(series->ContinueDrawing(1));
    EXPECT_TRUE(view.TimedOut());
    GraphTest::DibCanvas canvas(400, 300);
    view.Render(canvas.Dc(), nullptr, RECT{0, 0, 400, 300});
    canvas.SavePng("graph-view-output-after-timeout");
    EXPECT_GT(canvas.CountPixels(SeriesColour()), 20);
    EXPECT_GT(canvas.CountPixels(SistraGraphViewBase::RegressionColour), 50);
    // The output tells no time-out; the screen does, once.
    EXPECT_TRUE(view.TimedOut());
    const auto notePixels = [&] {
        GraphTest::DibCanvas note(400, 300);
        AbandonedDrawingAnnotation(&document.Document(), view).OnDraw(note.Dc(), nullptr, RECT{0, 0, 400, 300}, {});
        return 400 * 300 - note.CountPixels(RGB(255, 255, 255));
    };
    EXPECT_GT(notePixels(), 100);
    EXPECT_FALSE(view.TimedOut());
    // A selected loop alone is no time-out.
    document.Document().SelectLoop(3);
    EXPECT_EQ(0, notePixels());
}
