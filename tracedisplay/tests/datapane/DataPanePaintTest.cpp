#include "graph/tests/support/Canvas.h"
#include "tracedisplay/drawers/GraticuleDrawer.h"
#include "tracedisplay/drawers/PolyLineTraceDrawer.h"
#include "tracedisplay/timescale/TimeLabelDrawer.h"
#include "tracedisplay/tests/support/TestDataPane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace StrixDraw
{
namespace
{

using GraphTest::DibCanvas;
using TraceTest::FakePaneSource;
using TraceTest::TestDataPane;

constexpr COLORREF Blue = RGB(0, 0, 255);
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Frame = RGB(195, 195, 195);

// Two lanes in a 300 x 200 pane over 1000 strip units of a sine of period 100, the newest at the right.
class PaintedPane : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        source.store.extent = 1000;
        source.store.host.source.value = [](LONGLONG p) { return std::sin(p * 2 * 3.14159265358979 / 100.0); };
        pane.AttachSource(0, &source, nullptr);
        pane.SetWindow(nullptr, nullptr);
        pane.SetChannelCount(2);
        pane.SetClientSize(OWL::TSize(300, 200));
        pane.JumpToLatest();
        AddTrace(0, Blue);
        AddTrace(1, Red);
    }
    void AddTrace(LONG lane, COLORREF colour)
    {
        // Values from -1 to 1 fill the lane, upwards; rows count from the lane's top.
        const OWL::TRect& rect = pane.Lane(lane)->Rect();
        const double half = rect.Height() / 2.0 - 2;
        const ScalePair upright{-half, -(rect.Height() / 2.0) / half};
        Orv::ComPtr<PolyLineTraceDrawer> drawer(new PolyLineTraceDrawer(1, &colour, {lane + 1, 0}));
        ASSERT_EQ(S_OK, pane.AddLaneDrawer(lane, nullptr, drawer.Get()));
        drawer->SetScaling(1, 0, &upright, nullptr);
    }
    void Paint(DibCanvas& canvas)
    {
        pane.PaintRect(canvas.Dc(), OWL::TRect(0, 0, 300, 200), nullptr);
    }
    int CountIn(const DibCanvas& canvas, const OWL::TRect& rect, COLORREF colour) const
    {
        int count = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                count += canvas.Pixel(x, y) == colour ? 1 : 0;
        return count;
    }

    FakePaneSource source;
    TestDataPane pane{nullptr, 0, 0x80000000u, 0x80000000u | (GetParam() ? 0 : PaneState::DrawingOnly)};
};

TEST_P(PaintedPane, DrawsEachLanesTraceInsideItsFrame)
{
    DibCanvas canvas(300, 200, RGB(0, 128, 0));
    Paint(canvas);
    canvas.SavePng(GetParam() ? "tracedisplay-datapane-cached" : "tracedisplay-datapane-direct");
    const OWL::TRect top = pane.Lane(0)->Rect();
    const OWL::TRect bottom = pane.Lane(1)->Rect();
    // Each lane's trace stays in its lane and crosses the whole visible width.
    EXPECT_GT(CountIn(canvas, top, Blue), 290);
    EXPECT_EQ(0, CountIn(canvas, bottom, Blue));
    EXPECT_GT(CountIn(canvas, bottom, Red), 290);
    EXPECT_EQ(0, CountIn(canvas, top, Red));
    for (int x : {2, 150, 297})
    {
        EXPECT_TRUE(canvas.HasPixelNear(x, top.top + top.Height() / 2, Blue, top.Height() / 2)) << x;
    }
    // The trace sits on the lane's white background, and the lanes keep their frames.
    EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(top.left + 1, top.top + 1));
    if (GetParam())
    {
        EXPECT_EQ(Frame, canvas.Pixel(150, top.top - 1));
    }
}

TEST_P(PaintedPane, ScrollingBackShowsTheSameWaveAtItsNewPlace)
{
    DibCanvas before(300, 200);
    Paint(before);
    // A whole period back: the sine looks the same.
    ASSERT_EQ(S_OK, pane.ScrollToPosition(0.0, 900));
    ASSERT_EQ(900, pane.ScrollPosition());
    DibCanvas after(300, 200);
    Paint(after);
    const OWL::TRect top = pane.Lane(0)->Rect();
    int differing = 0;
    for (int x = top.left + 2; x < top.right - 2; ++x)
        for (int y = top.top; y < top.bottom; ++y)
            differing += (before.Pixel(x, y) == Blue) != (after.Pixel(x, y) == Blue) ? 1 : 0;
    EXPECT_LT(differing, 20);
}

// A repaint with nothing changed still shows what each strip drew: the time scale keeps its ticks and
// labels (black) below the lanes.
TEST_P(PaintedPane, PaintingAgainKeepsTheTimeScalesTicksAndLabels)
{
    const OWL::TRect below(0, pane.Lane(1)->Rect().bottom + 1, 300, 200);
    for (int paint = 0; paint < 2; ++paint)
    {
        DibCanvas canvas(300, 200);
        Paint(canvas);
        EXPECT_GT(CountIn(canvas, below, RGB(0, 0, 0)), 10) << "paint " << paint;
    }
}

// The grid behind a lane: its vertical lines stand where the time scale has its ticks, major and minor.
TEST_P(PaintedPane, TheGridsVerticalLinesStandAtTheTimeScalesTicks)
{
    Orv::ComPtr<GraticuleDrawer> grid(new GraticuleDrawer(1, RGB(0, 160, 160), {1, 0}));
    ASSERT_EQ(S_OK, pane.AddLaneDrawer(0, nullptr, grid.Get()));
    DibCanvas canvas(300, 200);
    Paint(canvas);
    canvas.SavePng(GetParam() ? "tracedisplay-datapane-grid-cached" : "tracedisplay-datapane-grid-direct");
    const OWL::TRect lane = pane.Lane(0)->Rect();
    const OWL::TRect strip = pane.TimeScaleStrip()->Rect();
    const auto isGrid = [&](int x, int y) {
        const COLORREF c = canvas.Pixel(x, y);
        return c != RGB(255, 255, 255) && c != Blue && c != Frame && c != RGB(0, 0, 0);
    };
    std::vector<int> lines, ticks;
    for (int x = lane.left + 1; x < lane.right - 1; ++x)
    {
        int rows = 0;
        for (int y = lane.top + 1; y < lane.bottom - 1; ++y)
            rows += isGrid(x, y) ? 1 : 0;
        if (rows > (lane.Height() - 2) * 3 / 4)
            lines.push_back(x);
        if (canvas.Pixel(x, strip.top) == RGB(0, 0, 0))
            ticks.push_back(x);
    }
    EXPECT_GE(ticks.size(), 4u);
    EXPECT_EQ(ticks, lines);
}

INSTANTIATE_TEST_SUITE_P(CachedAndDirect, PaintedPane, ::testing::Values(true, false));

// What the host keeps of how it shows a channel: its grid and its trace colour.
class HostChannelSettings : public IGridOptions, public IChannelDrawSettings
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid == IID_IGridOptions)
            *out = static_cast<IGridOptions*>(this);
        else if (iid == IID_IChannelDrawSettings)
            *out = static_cast<IChannelDrawSettings*>(this);
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetOptions(COLORREF* colour, SHORT* show, ULONG* style) override
    {
        return *colour = grid, *show = 1, *style = 0, S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetShowTrigger(SHORT* show) override { return *show = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetStyle(ULONG, LONG, ULONG* style) override { return *style = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetColour(ULONG, LONG channel, ULONG, COLORREF* colour) override
    {
        return *colour = channel == 1 ? trace : Blue, S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLineWidth(LONG, LONG* width) override { return *width = 1, S_OK; }

    COLORREF grid = RGB(10, 20, 30);
    COLORREF trace = RGB(40, 50, 60);
};

// A drawer that joins a pane draws as the host shows the channel, whatever its maker gave it.
TEST(DataPaneChannelSettingsTest, DrawersJoiningThePaneTakeTheHostsChannelSettings)
{
    HostChannelSettings settings;
    FakePaneSource source;
    source.store.channelSettings = static_cast<IGridOptions*>(&settings);
    TestDataPane pane{nullptr, 0, 0x80000000u, 0x80000000u};
    pane.AttachSource(0, &source, nullptr);
    pane.SetWindow(nullptr, nullptr);
    pane.SetChannelCount(1);
    Orv::ComPtr<GraticuleDrawer> grid(new GraticuleDrawer(1, Red, {1, 0}));
    Orv::ComPtr<PolyLineTraceDrawer> trace(new PolyLineTraceDrawer(1, &Red, {1, 0}));
    ASSERT_EQ(S_OK, pane.AddLaneDrawer(0, nullptr, grid.Get()));
    ASSERT_EQ(S_OK, pane.AddLaneDrawer(0, nullptr, trace.Get()));
    EXPECT_EQ(settings.grid, grid->GridColour());
    EXPECT_EQ(settings.trace, trace->Colour());
}

// The time labels follow the record's sample interval and the pane's samples per pixel: the time a
// label step stands for, over the pixels between two major ticks, is the time of one pixel.
TEST(DataPaneTimeScaleTest, LabelsReadTheRecordsTimeAtThePanesScale)
{
    struct Row
    {
        double interval;
        LONGLONG numerator;
        LONGLONG denominator;
        double secondsPerPixel;
    };
    const Row rows[] = {{0.001, 10, 1, 0.01}, {0.0005, 1, 1, 0.0005}, {0.0005, 1, 2, 0.00025}, {0.02, 3, 1, 0.06}};
    for (const Row& row : rows)
    {
        FakePaneSource source;
        source.store.extent = 100000;
        source.store.interval = row.interval;
        TestDataPane pane{nullptr, 0, 0x80000000u, 0x80000000u};
        pane.AttachSource(0, &source, nullptr);
        pane.SetWindow(nullptr, nullptr);
        pane.SetChannelCount(1);
        pane.SetClientSize(OWL::TSize(1000, 120));
        pane.SetScaleRatio(row.numerator, row.denominator);
        pane.JumpToLatest();
        DibCanvas canvas(1000, 120);
        pane.PaintRect(canvas.Dc(), OWL::TRect(0, 0, 1000, 120), nullptr);
        canvas.SavePng("tracedisplay-datapane-time-scale-" + std::to_string(static_cast<int>(1.0 / row.interval)) + "hz-" +
                       std::to_string(row.numerator) + "to" + std::to_string(row.denominator));
        const OWL::TRect strip = pane.TimeScaleStrip()->Rect();
        std::vector<int> majorTicks;
        for (int x = strip.left; x < strip.right; ++x)
            if (canvas.Pixel(x, strip.top + 1) == RGB(0, 0, 0))
                majorTicks.push_back(x);
        ASSERT_GE(majorTicks.size(), 3u) << row.interval;
        const double pixelsPerStep = (majorTicks.back() - majorTicks.front()) / (majorTicks.size() - 1.0);
        const auto* drawer = dynamic_cast<TimeLabelDrawer*>(pane.TimeScaleStrip()->Drawer(0));
        ASSERT_NE(nullptr, drawer);
        EXPECT_NEAR(row.secondsPerPixel, drawer->Step().seconds / pixelsPerStep, row.secondsPerPixel * 0.01)
            << row.interval << " s at " << row.numerator << ":" << row.denominator;
    }
}

} // namespace
} // namespace StrixDraw
