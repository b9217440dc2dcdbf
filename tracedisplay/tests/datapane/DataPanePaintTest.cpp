#include "graph/tests/support/Canvas.h"
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

INSTANTIATE_TEST_SUITE_P(CachedAndDirect, PaintedPane, ::testing::Values(true, false));

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
