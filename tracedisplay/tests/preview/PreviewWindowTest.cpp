#include "tracedisplay/drawers/GraticuleDrawer.h"
#include "tracedisplay/drawers/PolyLineTraceDrawer.h"
#include "tracedisplay/preview/PreviewDataWin.h"
#include "tracedisplay/tests/support/FakePaneStore.h"
#include "tracedisplay/tests/support/ScaleDrawer.h"
#include "tracedisplay/tests/support/TestFrame.h"

#include "platform/owl/tests/Screenshot.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

namespace StrixDraw
{
namespace
{

using TraceTest::FakePaneSource;
using TraceTest::ScaleDrawer;
using TraceTest::TestFrame;

constexpr ULONG BothAxes = AxisFlag::FirstAxis | AxisFlag::SecondAxis;

// A preview window with buttons over a frame, as the loop preview shows it.
struct Preview
{
    explicit Preview(ULONG state = 0x80000000u)
        : frame(420, 260), window(new PreviewDataWinWButtons(&frame, &source, PreviewBarsBesideScales, BothAxes, state))
    {
        window->Attr.W = 420;
        window->Attr.H = 260;
        window->SetControlFlags(PreviewFlag::TraceBar);
        EXPECT_TRUE(frame.Create());
    }
    ~Preview() { frame.Destroy(); }

    FakePaneSource source;
    TestFrame frame;
    PreviewDataWinWButtons* window;
};

TEST(PreviewDataPaneTest, LanesShowTheChannelOfTheirIndex)
{
    Preview preview;
    PreviewDataWinWButtons& pane = *preview.window;
    pane.SetLaneCount(2);
    EXPECT_EQ(1, pane.DescribeLane(1).channel);
    EXPECT_EQ(DataPane::NoLane, pane.DescribeLane(2).channel);
    EXPECT_EQ(PaneChannelPolicy::NoPosition, pane.DescribeLane(2).position);
    EXPECT_EQ(0, pane.LaneOfChannel(0, PaneChannelPolicy::NoPosition));
    EXPECT_EQ(DataPane::NoLane, pane.LaneOfChannel(2, 0));

    std::vector<ULONG> modes;
    pane.SetTraceModeHandler(0, [&](ULONG mode) { modes.push_back(mode); });
    pane.SetTraceMode(257);
    EXPECT_EQ(std::vector<ULONG>{1}, modes);
}

TEST(PreviewDataWinTest, SecondAxisTracesLeaveTheLaneWhileOnlyTheSourceShows)
{
    Preview preview;
    PreviewDataWinWButtons& window = *preview.window;
    ChannelPane& lane = *window.Lane(0);
    const size_t graticule = lane.DrawerCount();
    window.AddTraceDrawer(Orv::ComPtr<IStrixRecordDrawer>(new ScaleDrawer(1, L"mmHg", true, 0, 1)).Get());
    window.SetShowAllTraces(false);
    window.AddTraceDrawer(Orv::ComPtr<IStrixRecordDrawer>(new ScaleDrawer(2, L"uL", true, 0, 1)).Get());
    EXPECT_EQ(2u, window.ItemCount());
    EXPECT_EQ(graticule + 1, lane.DrawerCount());
    window.SetShowAllTraces(true);
    EXPECT_EQ(graticule + 2, lane.DrawerCount());
    window.SetShowAllTraces(false);
    ASSERT_EQ(1u, lane.DrawerCount());
    ULONG scaleId = 0;
    lane.Drawer(0)->GetScaleId(&scaleId);
    EXPECT_EQ(1u, scaleId);

    // The trace bar's source-only toggle reaches the window through the pane.
    window.OnTraceCommand(TraceCommand::SourceOnly, 2);
    EXPECT_TRUE(window.ShowsAllTraces());
    window.OnTraceCommand(TraceCommand::SourceOnly, 1);
    EXPECT_FALSE(window.ShowsAllTraces());
}

TEST(PreviewDataWinTest, TheLanesOwnDrawersStayWhileTheTracesAreHiddenAndShown)
{
    Preview preview;
    PreviewDataWinWButtons& window = *preview.window;
    ChannelPane& lane = *window.Lane(0);
    const Orv::ComPtr<IStrixRecordDrawer> grid(new GraticuleDrawer(1, RGB(0, 128, 0), {0, 0}));
    window.AddLaneDrawer(0, nullptr, grid.Get());
    window.AddTraceDrawer(Orv::ComPtr<IStrixRecordDrawer>(new ScaleDrawer(2, L"uL", true, 0, 1)).Get());
    const auto holdsGrid = [&] {
        for (size_t i = 0; i < lane.DrawerCount(); ++i)
            if (lane.Drawer(i) == grid.Get())
                return true;
        return false;
    };
    for (const bool show : {false, true})
    {
        window.SetShowAllTraces(show);
        EXPECT_TRUE(holdsGrid()) << show;
        EXPECT_EQ(show ? 2u : 1u, lane.DrawerCount()) << show;
    }
}

TEST(PreviewDataWinTest, StackingPutsTheFirstAxisAboveTheSecond)
{
    Preview preview;
    PreviewDataWinWButtons& window = *preview.window;
    preview.source.store.extent = 1000;
    window.AddTraceDrawer(Orv::ComPtr<IStrixRecordDrawer>(new ScaleDrawer(1, L"mmHg", true, 0.0, 100.0)).Get());
    window.AddTraceDrawer(Orv::ComPtr<IStrixRecordDrawer>(new ScaleDrawer(2, L"uL", true, 20.0, 60.0)).Get());
    window.JumpToLatest();
    window.OnTraceCommand(TraceCommand::Stack, 0);
    double low = 0.0, high = 0.0;
    window.GetAxisUnitRange(1, &low, &high);
    EXPECT_EQ(-100.0, low);
    EXPECT_EQ(100.0, high);
    window.GetAxisUnitRange(2, &low, &high);
    EXPECT_EQ(20.0, low);
    EXPECT_EQ(100.0, high);
    window.OnTraceCommand(TraceCommand::Overlay, 0);
    window.GetAxisUnitRange(2, &low, &high);
    EXPECT_EQ(60.0, high);
}

TEST(PreviewDataWinTest, CtrlWheelKeepsTheSampleUnderThePointer)
{
    Preview preview;
    PreviewDataWinWButtons& window = *preview.window;
    preview.source.store.extent = 2000;
    window.JumpToLatest();
    const LONG x = 100;
    const LONGLONG before = window.StripAtX(x);
    // The wheel reports the pointer on the screen; the pane lies right of the scales and the bars.
    POINT screen{window.ClientOrigin().x + x, window.ClientOrigin().y + 20};
    ClientToScreen(window.GetHandle(), &screen);
    window.OnMouseWheel(MK_CONTROL, -120, OWL::TPoint(screen.x, screen.y));
    EXPECT_EQ(20, preview.source.store.numerator);
    EXPECT_NEAR(static_cast<double>(before) / 2, static_cast<double>(window.StripAtX(x)), 2.0);
}

TEST(PreviewDataWinTest, ScrollKeysGoToTheScrollBarOnlyWhenThereIsOne)
{
    for (const ULONG state : {ULONG{0x80000000u}, ULONG{0x80000000u | PaneState::NoControls}})
    {
        Preview preview(state);
        const bool bar = !(state & PaneState::NoControls);
        for (const UINT command : {TraceKeyCommand::ScrollLeft, TraceKeyCommand::ScrollRight, TraceKeyCommand::PageLeft})
            EXPECT_EQ(bar ? 0 : 1, preview.window->EvCommand(command, nullptr, 0)) << state;
    }
}

TEST(PreviewDataWinTest, AWindowWithoutHeightLaysNothingOut)
{
    Preview preview;
    OWL::TRect before;
    before = preview.window->Lane(0)->Rect();
    SendMessageW(preview.window->GetHandle(), WM_SIZE, 0, MAKELPARAM(300, 0));
    EXPECT_EQ(before, preview.window->Lane(0)->Rect());
    SendMessageW(preview.window->GetHandle(), WM_SIZE, 0, MAKELPARAM(300, 150));
    EXPECT_NE(before, preview.window->Lane(0)->Rect());
}

TEST(PreviewDataWinTest, ShowsTwoTracesBetweenTheirScalesWithTheBarsBesideTheScrollBar)
{
    Preview preview;
    PreviewDataWinWButtons& window = *preview.window;
    preview.source.store.host.source.value = [](LONGLONG p) { return 50.0 + 40.0 * std::sin(p / 25.0); };
    preview.source.store.extent = 2000;
    const COLORREF red = RGB(220, 0, 0), blue = RGB(0, 0, 220);
    window.AddTraceDrawer(Orv::ComPtr<IStrixRecordDrawer>(new PolyLineTraceDrawer(1, &red, {1, 0})).Get());
    window.AddTraceDrawer(Orv::ComPtr<IStrixRecordDrawer>(new PolyLineTraceDrawer(2, &blue, {2, 0})).Get());
    window.JumpToLatest();
    window.Lane(0)->SetAxisRange(1, 0.0, 100.0, true, true);
    window.Lane(0)->SetAxisRange(2, -100.0, 100.0, true, true);
    preview.frame.ShowWindow(SW_SHOWNORMAL);
    RedrawWindow(preview.frame.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(preview.frame.GetHandle(), L"tracedisplay-preview-window");

    // The bars sit in the row under the lanes, left of the scroll bar; the traces right of the left scale.
    auto* samplingBar = dynamic_cast<OWL::TWindow*>(window.SamplingBar());
    auto* traceBar = dynamic_cast<OWL::TWindow*>(window.TraceBar());
    auto* scrollBar = dynamic_cast<OWL::TWindow*>(window.ScrollBarControl());
    ASSERT_TRUE(samplingBar && traceBar && scrollBar);
    const auto placed = [&](OWL::TWindow& child) {
        RECT r = child.GetWindowRect();
        MapWindowPoints(nullptr, window.GetHandle(), reinterpret_cast<POINT*>(&r), 2);
        return OWL::TRect(r);
    };
    EXPECT_EQ(0, placed(*traceBar).left);
    EXPECT_EQ(placed(*traceBar).right, placed(*samplingBar).left);
    EXPECT_LE(placed(*samplingBar).right, placed(*scrollBar).left);
    EXPECT_GE(placed(*samplingBar).top, window.Client().height);
    EXPECT_GE(window.ClientOrigin().x, window.LeftScaleWidth());
    // The scroll bar and the zoom bar share the row right of the bars, within the traces' width.
    auto* zoomBar = dynamic_cast<OWL::TWindow*>(window.ZoomControlOf());
    ASSERT_TRUE(zoomBar);
    EXPECT_EQ(placed(*scrollBar).right, placed(*zoomBar).left);
    EXPECT_EQ(window.ClientOrigin().x + window.Client().width - window.GetMargin(), placed(*zoomBar).right);
}

} // namespace
} // namespace StrixDraw
