#include "tracedisplay/tests/support/ScaleDrawer.h"
#include "tracedisplay/tests/support/TestDataPane.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace StrixDraw
{
namespace
{

using TraceTest::FakePaneSource;
using TraceTest::TestDataPane;

// A pane of one lane, 402 pixels wide (400 visible), over a store of 10000 strip units.
class ViewPane : public ::testing::Test
{
protected:
    void SetUp() override
    {
        source.store.extent = 10000;
        pane.AttachSource(0, &source, nullptr);
        pane.SetWindow(nullptr, nullptr);
        pane.SetClientSize(OWL::TSize(402, 200));
        pane.UpdateView(ViewChange::Everything);
    }
    double SamplesPerPixel() const
    {
        return static_cast<double>(source.store.numerator) / static_cast<double>(source.store.denominator);
    }

    FakePaneSource source;
    TestDataPane pane{nullptr, 0};
};

TEST_F(ViewPane, ZoomsInOneTwoFiveSteps)
{
    for (double expected : {20.0, 50.0, 100.0})
    {
        pane.ZoomStep(false);
        EXPECT_DOUBLE_EQ(expected, SamplesPerPixel());
    }
    pane.SetHorizontalScale(10, 1, nullptr, false);
    for (double expected : {5.0, 2.0, 1.0, 0.5})
    {
        pane.ZoomStep(true);
        EXPECT_DOUBLE_EQ(expected, SamplesPerPixel());
    }
    EXPECT_EQ(1, pane.Zoom()->shown.numerator);
    EXPECT_EQ(2, pane.Zoom()->shown.denominator);
}

// Data shorter than the view (a short record zoomed far out) start at the view's left edge, however the view
// got there: opened, zoomed either way or scrolled to before the start.
TEST_F(ViewPane, DataShorterThanTheViewStartAtItsLeftEdge)
{
    source.store.extent = 100;
    pane.UpdateView(ViewChange::Everything);
    EXPECT_EQ(0, pane.ViewLeft());
    for (const bool zoomIn : {false, false, true})
    {
        pane.ZoomStep(zoomIn);
        EXPECT_EQ(0, pane.ViewLeft()) << zoomIn;
    }
    pane.ScrollToPosition(0.0, 0);
    EXPECT_EQ(0, pane.ViewLeft());
    // Longer data still end at the right edge when scrolled past their end.
    source.store.extent = 1000;
    pane.ScrollToPosition(0.0, 5000);
    EXPECT_EQ(1000, pane.ScrollPosition());
}

TEST_F(ViewPane, ARatioThatIsNotPositiveLeavesTheScale)
{
    pane.ApplyZoomChoice(1, 42); // not an item of the ratio menu
    struct Case
    {
        LONGLONG numerator;
        LONGLONG denominator;
    };
    for (const Case c : {Case{0, 1}, Case{1, 0}, Case{-5, 1}})
        pane.SetHorizontalScale(c.numerator, c.denominator, nullptr, true);
    EXPECT_EQ(10, source.store.numerator);
    EXPECT_EQ(1, source.store.denominator);
    pane.ZoomStep(false);
    EXPECT_DOUBLE_EQ(20.0, SamplesPerPixel());
}

TEST_F(ViewPane, CtrlWheelStopsAtTheZoomLimits)
{
    struct Case
    {
        LONGLONG numerator;
        LONGLONG denominator;
        short delta;
    };
    for (const Case c : {Case{1, 10, 120}, Case{500000, 1, -120}})
    {
        pane.SetHorizontalScale(c.numerator, c.denominator, nullptr, false);
        pane.OnMouseWheel(MK_CONTROL, c.delta, OWL::TPoint(100, 50));
        EXPECT_EQ(c.numerator, source.store.numerator);
        EXPECT_EQ(c.denominator, source.store.denominator);
    }
}

TEST_F(ViewPane, HalfAWheelNotchWaitsForTheOtherHalf)
{
    pane.JumpToLatest();
    pane.UpdateScrollBar();
    pane.OnMouseWheel(0, 60, OWL::TPoint(0, 0));
    EXPECT_EQ(60, pane.WheelRemainder());
    EXPECT_FALSE(pane.Scrolling());
    const LONGLONG before = pane.ScrollPosition();
    pane.OnMouseWheel(0, 60, OWL::TPoint(0, 0));
    EXPECT_EQ(0, pane.WheelRemainder());
    EXPECT_LT(pane.ScrollPosition(), before);
}

TEST_F(ViewPane, LineAndPageScrollsMoveTheViewByTheBarsSteps)
{
    pane.JumpToLatest();
    pane.UpdateScrollBar();
    const int line = pane.Bar()->line;
    const int page = pane.Bar()->page;
    struct Case
    {
        UINT code;
        LONGLONG shift;
    };
    for (const Case c : {Case{SB_LINEUP, -line}, Case{SB_PAGEUP, -page}, Case{SB_LINEDOWN, line},
                         Case{SB_PAGEDOWN, page}})
    {
        const LONGLONG before = pane.ScrollPosition();
        pane.OnHScroll(c.code);
        EXPECT_EQ(before + c.shift, pane.ScrollPosition()) << c.code;
    }
    EXPECT_EQ(10000, pane.ScrollPosition());
}

TEST_F(ViewPane, ThumbTrackingScrollsWithoutRedrawingTheBarUntilTheEnd)
{
    const int redrawn = pane.Bar()->redrawnSets;
    pane.Bar()->info.nTrackPos = 100;
    pane.OnHScroll(SB_THUMBTRACK);
    EXPECT_TRUE(pane.Scrolling());
    EXPECT_EQ(redrawn, pane.Bar()->redrawnSets);
    EXPECT_EQ(100 + 400, pane.ScrollPosition());
    EXPECT_FALSE(pane.IsFollowingLatest());
    pane.OnHScroll(SB_ENDSCROLL);
    EXPECT_FALSE(pane.Scrolling());
    pane.OnHScroll(SB_BOTTOM);
    EXPECT_EQ(10000, pane.ScrollPosition());
    EXPECT_TRUE(pane.LiveDisplay());
}

TEST_F(ViewPane, AFarScrollRepaintsInsteadOfShiftingTheCache)
{
    pane.invalidated.clear();
    pane.ScrollPanes(-50);
    const size_t shifted = pane.invalidated.size();
    pane.invalidated.clear();
    pane.ScrollPanes(-5000);
    // The whole pane: the time scale strip and the lane.
    EXPECT_EQ(2u, pane.invalidated.size());
    EXPECT_GE(shifted, 1u);
}

TEST_F(ViewPane, TheZoomMenuListsTheRatiosAndChecksTheCurrentOne)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 5, L"old");
    pane.FillZoomMenu(menu, 1130, 1130);
    EXPECT_EQ(0, GetMenuItemCount(menu));
    pane.SetHorizontalScale(1, 1, nullptr, false);
    pane.FillZoomMenu(menu, 1130, 1136);
    EXPECT_EQ(6, GetMenuItemCount(menu));
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(menu, 1133, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(0u, GetMenuState(menu, 1132, MF_BYCOMMAND) & MF_CHECKED);
    DestroyMenu(menu);
}

TEST_F(ViewPane, LiveDataOnlyReachTheStoreWhenThePaneIsNotLive)
{
    FakePaneSource quietSource;
    TestDataPane quiet(nullptr, 0, 0x80000000u, 0x80000000u | PaneState::NotLive);
    quiet.AttachSource(0, &quietSource, nullptr);
    int handled = 0;
    quiet.OwnerHandlers().newData = [&](ULONG) { ++handled; };
    quiet.OnSamplingStarted(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
    quiet.OnNewData(0);
    quiet.OnSamplingStopped(0);
    EXPECT_FALSE(quiet.SamplingActive());
    EXPECT_EQ(0, handled);
    EXPECT_TRUE(quietSource.store.Saw(L"started"));
    EXPECT_TRUE(quietSource.store.Saw(L"data"));
    EXPECT_TRUE(quietSource.store.Saw(L"stopped"));
    int32_t period = 0;
    quiet.GetSinkPriority(&period);
    EXPECT_EQ(100, period);
}

// Whether another thread (the window's, painting) finds the pane's lock taken.
bool LockedElsewhere(DataPane& pane)
{
    bool taken = false;
    std::thread painter([&] {
        taken = pane.Lock().TryEnter();
        if (taken)
            pane.Lock().Leave();
    });
    painter.join();
    return !taken;
}

TEST_F(ViewPane, TheStoreHearsTheHostUnderThePanesLock)
{
    std::vector<bool> held;
    source.store.heard = [&] { held.push_back(LockedElsewhere(pane)); };
    pane.OnSamplingStarted(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
    pane.OnNewData(0);
    pane.OnRecordEnd(0, 0);
    pane.OnSamplingModeChanged(1);
    pane.OnRecordValuesChanged(0, 0);
    pane.OnSamplingStopped(0);
    source.store.heard = nullptr;
    EXPECT_EQ(std::vector<bool>(6, true), held);
}

TEST_F(ViewPane, LanesAndDrawersChangeUnderThePanesLock)
{
    std::vector<bool> held;
    pane.countChanged = [&] { held.push_back(LockedElsewhere(pane)); };
    pane.SetChannelCount(2);
    const Orv::ComPtr<TraceTest::ScaleDrawer> drawer(new TraceTest::ScaleDrawer(1, L"mV", true, 0, 1));
    drawer->attached = [&] { held.push_back(LockedElsewhere(pane)); };
    pane.AddLaneDrawer(1, nullptr, drawer.Get());
    EXPECT_EQ(std::vector<bool>(2, true), held);
}

TEST_F(ViewPane, TheSweepCursorFollowsNewDataAndWraps)
{
    pane.OnSamplingStopped(0); // following again
    pane.JumpToLatest();
    pane.ClampScrollPosition();
    struct Case
    {
        LONGLONG growth;
        LONG cursor;
    };
    // From the visible width: 30 more wraps to 30, 50 more to 80, a jump wider than the view to the width.
    for (const Case c : {Case{30, 30}, Case{50, 80}, Case{1000, 400}})
    {
        source.store.growth = c.growth;
        const LONGLONG before = pane.ScrollPosition();
        pane.OnNewData(0);
        EXPECT_EQ(before + c.growth, pane.ScrollPosition());
        EXPECT_EQ(c.cursor, pane.SweepCursor()) << c.growth;
    }
}

TEST_F(ViewPane, ScrollValuesStayInsideThirtyOneBits)
{
    source.store.extent = (1LL << 32) + 5;
    pane.UpdateScrollBar();
    EXPECT_GE(pane.ScrollDivisor(), 2u);
    EXPECT_LT(static_cast<LONGLONG>(pane.Bar()->info.nMax), 1LL << 31);
    EXPECT_GE(pane.Bar()->page, 1);
    EXPECT_GE(pane.Bar()->line, 1);
}

TEST(DataPaneServicesTest, AnswersItsDrawersWithoutLanesOrData)
{
    FakePaneSource source;
    TestDataPane pane(nullptr, 0);
    RECT area{};
    EXPECT_EQ(E_FAIL, pane.GetDrawArea(-1, &area));
    EXPECT_EQ(S_OK, pane.GetDrawArea(0, &area));
    EXPECT_EQ(S_FALSE, pane.IsDrawingOnly(0, nullptr));
    EXPECT_FALSE(pane.ProcessPendingFlags());
    pane.AttachSource(0, &source, nullptr);
    pane.ProcessPendingFlags();
    EXPECT_FALSE(pane.ProcessPendingFlags());
    source.store.pending = 0x4;
    EXPECT_TRUE(pane.ProcessPendingFlags());
    EXPECT_EQ(0u, source.store.pending);
}

TEST(DataPaneServicesTest, LayerAlphaReachesOnlyTheEightLayers)
{
    TestDataPane pane(nullptr, 0);
    pane.SetWindow(nullptr, nullptr);
    EXPECT_EQ(S_OK, pane.SetLayerAlpha(0, 0, 2048, 100));
    for (int layer = 0; layer < LayerCount; ++layer)
        EXPECT_EQ(OpaqueAlpha, pane.Lane(0)->Layer(layer).alpha);
    pane.SetLayerAlpha(0, 0, 2 * 256, 100);
    EXPECT_EQ(100, pane.Lane(0)->Layer(2).alpha);
    EXPECT_EQ(0u, pane.Lane(0)->Layer(2).flags & LayerFlag::WhiteTransparent);
}

TEST(DataPaneServicesTest, ColoursAreLiftedOnlyOnABlackBackground)
{
    TestDataPane pane(nullptr, 0);
    struct Case
    {
        COLORREF background;
        COLORREF colour;
        COLORREF drawn;
    };
    const Case cases[] = {{RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255)},
                          {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0)},
                          {RGB(255, 255, 255), RGB(10, 20, 30), RGB(10, 20, 30)}};
    for (const Case& c : cases)
    {
        pane.SetBackgroundColour(c.background);
        COLORREF drawn = 0;
        pane.AdjustColour(c.colour, &drawn);
        EXPECT_EQ(c.drawn, drawn);
    }
}

} // namespace
} // namespace StrixDraw
