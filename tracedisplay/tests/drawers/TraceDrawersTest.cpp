#include "graph/tests/support/Canvas.cpp"
#include "tracedisplay/drawers/EventDrawer.h"
#include "tracedisplay/drawers/PolyLineTraceDrawer.h"
#include "tracedisplay/tests/support/FakeTraceHost.h"

#include <gtest/gtest.h>

#include <cmath>

namespace StrixDraw
{
namespace
{

using GraphTest::DibCanvas;
using TraceTest::FakeEvents;
using TraceTest::FakePane;

constexpr COLORREF Blue = RGB(0, 0, 255);
const RECT Strip{0, 0, 200, 100};

// A drawer attached to the stand-in host and pane, laid out over the strip.
template <class Drawer>
void Attached(Drawer& drawer, FakePane& pane)
{
    drawer.AddRef();
    drawer.SetEnvironment(&pane);
    drawer.SetBounds(0, &Strip);
    drawer.Attach(0, &pane.host);
}

// Rows grow downwards: value v sits at row 100 - v.
const ScalePair Upright{-1.0, -100.0};

TEST(PolyLineTraceDrawerTest, DrawsRisingValuesUpwards)
{
    FakePane pane;
    pane.host.source.value = [](LONGLONG p) { return static_cast<double>(p); };
    PolyLineTraceDrawer drawer(7, &Blue, {1, 0});
    Attached(drawer, pane);
    drawer.SetScaling(7, 0, &Upright, nullptr);
    DibCanvas canvas(200, 100);
    drawer.Draw(canvas.Dc(), 0, 80, 0, 0, 10, &Strip, 0, 0, 0);
    canvas.SavePng("tracedisplay-trace-rising");
    EXPECT_TRUE(canvas.HasPixelNear(10, 99, Blue, 1));
    EXPECT_TRUE(canvas.HasPixelNear(89, 21, Blue, 1));
    EXPECT_FALSE(canvas.HasPixelNear(89, 99, Blue, 2));
    EXPECT_EQ(90, drawer.DrawnCount());
    EXPECT_FALSE(drawer.HasCachedRun());
}

TEST(PolyLineTraceDrawerTest, AStretchOneBeforeTheCachedEndDrawsOnlyTheNewSamplesOnePixelRight)
{
    FakePane pane;
    PolyLineTraceDrawer drawer(7, &Blue, {1, 0});
    Attached(drawer, pane);
    DibCanvas canvas(200, 100);
    drawer.Draw(canvas.Dc(), 0, 50, 0, 0, 0, &Strip, DrawFlag::KeepCache, 0, 0);
    const auto opens = pane.host.source.requests.size();
    drawer.Draw(canvas.Dc(), 49, 60, 0, 0, 49, &Strip, DrawFlag::KeepCache, 0, 0);
    EXPECT_EQ(opens, pane.host.source.requests.size());
    EXPECT_EQ(50, pane.host.source.lastRun->fetchStarts.back());
    EXPECT_EQ(60, drawer.DrawnCount());
}

TEST(PolyLineTraceDrawerTest, FetchesAgainOnlyAfterAFullBatch)
{
    struct Case
    {
        LONG pointLimit;
        size_t fetches;
    };
    for (const Case c : {Case{256, 3}, Case{254, 1}})
    {
        FakePane pane;
        pane.host.source.runPointLimit = c.pointLimit;
        PolyLineTraceDrawer drawer(7, &Blue, {1, 0});
        Attached(drawer, pane);
        DibCanvas canvas(400, 100);
        const RECT wide{0, 0, 400, 100};
        drawer.Draw(canvas.Dc(), 0, 300, 0, 0, 0, &wide, DrawFlag::KeepCache, 0, 0);
        EXPECT_EQ(c.fetches, pane.host.source.lastRun->fetchStarts.size()) << c.pointLimit;
    }
}

TEST(PolyLineTraceDrawerTest, AStretchBeforeTheTriggerDrawsNothing)
{
    FakePane pane;
    PolyLineTraceDrawer drawer(7, &Blue, {1, 0});
    Attached(drawer, pane);
    DibCanvas canvas(200, 100);
    drawer.Draw(canvas.Dc(), 0, 40, -50, 0, 0, &Strip, 0, 0, 0);
    EXPECT_EQ(0, drawer.DrawnCount());
    EXPECT_EQ(nullptr, pane.host.source.lastRun);
    EXPECT_EQ(0, canvas.CountPixels(Blue));
}

// A level trace at row 50, scaled upright, on a strip-wide canvas.
struct LevelTrace
{
    LevelTrace()
    {
        pane.host.source.value = [](LONGLONG) { return 50.0; };
        Attached(drawer, pane);
        drawer.SetScaling(7, 0, &Upright, nullptr);
    }
    FakePane pane;
    PolyLineTraceDrawer drawer{7, &Blue, {1, 0}};
    DibCanvas canvas{200, 100};
};

// The settings preview drew no trace for a recording narrower than its strip: the stretch asked for began
// before the record, where the host's run has nothing.
TEST(PolyLineTraceDrawerTest, AStretchFromBeforeTheRecordDrawsTheRecordWhereItStarts)
{
    LevelTrace trace;
    trace.drawer.Draw(trace.canvas.Dc(), -40, 100, 0, 0, 10, &Strip, DrawFlag::KeepCache, 0, 0);
    ASSERT_NE(nullptr, trace.pane.host.source.lastRun);
    EXPECT_EQ(0, trace.pane.host.source.lastRun->fetchStarts.front());
    EXPECT_FALSE(trace.canvas.HasPixelNear(45, 50, Blue, 2));
    EXPECT_TRUE(trace.canvas.HasPixelNear(52, 50, Blue, 0));
    EXPECT_TRUE(trace.canvas.HasPixelNear(100, 50, Blue, 0));
}

TEST(PolyLineTraceDrawerTest, StartsAtTheTriggerAndKeepsTheCallersClip)
{
    LevelTrace trace;
    DibCanvas& canvas = trace.canvas;
    IntersectClipRect(canvas.Dc(), 0, 0, 150, 100);
    trace.drawer.Draw(canvas.Dc(), 0, 190, -30, 0, 10, &Strip, 0, 0, 0);
    EXPECT_FALSE(canvas.HasPixelNear(35, 50, Blue, 2));
    EXPECT_TRUE(canvas.HasPixelNear(45, 50, Blue, 0));
    RECT clip{};
    GetClipBox(canvas.Dc(), &clip);
    EXPECT_EQ(150, clip.right);
    EXPECT_FALSE(canvas.HasPixelNear(160, 50, Blue, 2));
}

TEST(DrawerBaseTest, DisplaySourceFallsBackToTheSourceWhileTheDisplayChannelIsUnset)
{
    PolyLineTraceDrawer unset(1, &Blue, {3, 2}, {UnsetDisplayChannel, 5});
    PolyLineTraceDrawer set(1, &Blue, {3, 2}, {6, 5});
    ChannelPair pair{};
    unset.GetDisplaySource(&pair);
    EXPECT_EQ(3, pair.channel);
    EXPECT_EQ(2u, pair.subIndex);
    set.GetDisplaySource(&pair);
    EXPECT_EQ(6, pair.channel);
    EXPECT_EQ(5u, pair.subIndex);
}

TEST(DrawerBaseTest, QuerySourceWithoutASourceChannelLeavesTheDataSourceAlone)
{
    FakePane pane;
    PolyLineTraceDrawer drawer(1, &Blue, {-1, 0});
    Attached(drawer, pane);
    IUnknown* object = &pane.host;
    EXPECT_EQ(S_FALSE, drawer.QuerySource(10, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(0, pane.host.source.sampleInfoCalls);
}

TEST(DrawerBaseTest, AClonedDrawerStartsDetached)
{
    FakePane pane;
    pane.host.source.value = [](LONGLONG) { return 42.0; };
    PolyLineTraceDrawer drawer(1, &Blue, {1, 0});
    Attached(drawer, pane);
    double value = 0;
    EXPECT_EQ(S_OK, drawer.GetValueAt(1, 5, &value, nullptr));
    EXPECT_EQ(42.0, value);
    IStrixRecordDrawer* clone = nullptr;
    ASSERT_EQ(S_OK, drawer.Clone(0, &clone));
    EXPECT_EQ(S_FALSE, clone->GetValueAt(1, 5, &value, nullptr));
    DibCanvas canvas(200, 100);
    clone->Draw(canvas.Dc(), 0, 80, 0, 0, 0, &Strip, 0, 0, 0);
    EXPECT_EQ(0, canvas.CountPixels(Blue));
    EXPECT_EQ(E_INVALIDARG, drawer.Clone(0, nullptr));
    clone->Release();
}

OrvEventBase Event(int32_t tick, double value)
{
    OrvEventBase event;
    event.tick = tick;
    event.value = value;
    return event;
}

TEST(EventDrawerTest, MarksEventsFromTheStretchStartUpToButNotAtItsEnd)
{
    FakePane pane;
    pane.host.source.events = {Event(10, 1), Event(20, 1), Event(50, 1), Event(70, NAN), Event(100, 1)};
    pane.host.source.eventType = 3;
    EventDrawer drawer({4, 0});
    Attached(drawer, pane);
    DibCanvas canvas(200, 100);
    drawer.Draw(canvas.Dc(), 20, 100, 0, 0, 20, &Strip, 0, 0, 0);
    canvas.SavePng("tracedisplay-event-marks");
    const COLORREF red = pane.host.typeColours.colour;
    EXPECT_TRUE(canvas.HasPixelNear(20, 3, red, 1));
    EXPECT_TRUE(canvas.HasPixelNear(50, 3, red, 1));
    EXPECT_FALSE(canvas.HasPixelNear(70, 3, red, 2));
    EXPECT_FALSE(canvas.HasPixelNear(100, 3, red, 2));
    EXPECT_FALSE(canvas.HasPixelNear(10, 3, red, 2));
    EXPECT_TRUE(canvas.HasPixelNear(50, 60, EventDrawer::LineColour, 1));
    EXPECT_EQ(0, FakeEvents::alive);
}

TEST(EventDrawerTest, KeepsItsEnumeratorOnlyWhenAsked)
{
    FakePane pane;
    EventDrawer drawer({4, 0});
    Attached(drawer, pane);
    DibCanvas canvas(200, 100);
    drawer.Draw(canvas.Dc(), 0, 100, 0, 0, 0, &Strip, 0, 0, 0);
    EXPECT_EQ(1, pane.host.source.eventOpens);
    EXPECT_FALSE(drawer.HasOpenEvents());
    drawer.Draw(canvas.Dc(), 0, 100, 0, 0, 0, &Strip, DrawFlag::KeepCache, 0, 0);
    EXPECT_TRUE(drawer.HasOpenEvents());
    EXPECT_EQ(1, FakeEvents::alive);
    drawer.OnRecordEnd(0, 100);
    EXPECT_EQ(0, FakeEvents::alive);
    EXPECT_EQ(canvas.Width() * canvas.Height(), canvas.CountPixels(RGB(255, 255, 255)));
}

TEST(EventDrawerTest, AnEventBeyondAKeptStretchIsDrawnByTheNextOne)
{
    FakePane pane;
    pane.host.source.events = {Event(30, 1), Event(120, 1)};
    EventDrawer drawer({4, 0});
    Attached(drawer, pane);
    DibCanvas canvas(200, 100);
    drawer.Draw(canvas.Dc(), 0, 100, 0, 0, 0, &Strip, DrawFlag::KeepCache, 0, 0);
    drawer.Draw(canvas.Dc(), 100, 200, 0, 0, 100, &Strip, DrawFlag::KeepCache, 0, 0);
    EXPECT_TRUE(canvas.HasPixelNear(120, 60, EventDrawer::LineColour, 1));
    drawer.DropCache(0);
}

} // namespace
} // namespace StrixDraw
