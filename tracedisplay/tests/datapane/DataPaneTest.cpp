#include "tracedisplay/tests/support/TestDataPane.h"

#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "foundation/streams/BinaryStream.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

namespace StrixDraw
{
namespace
{

using TraceTest::FakePaneSource;
using TraceTest::TestDataPane;

constexpr ULONG NoControls = 0x80000000u | PaneState::NoControls;

TEST(DataPaneTest, IsNotReferenceCountedAndAnswersItsFourFaces)
{
    TestDataPane pane(nullptr, 0);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(1u, pane.AddRef());
        EXPECT_EQ(1u, pane.Release());
    }
    const IID answered[] = {IID_IUnknown, IID_IOnlineDataSink, IID_ICommentsObserver, IID_ISubject,
                            IID_IDrawerDataPane};
    for (const IID& iid : answered)
    {
        void* face = nullptr;
        EXPECT_EQ(S_OK, pane.QueryInterface(iid, &face));
        EXPECT_NE(nullptr, face);
    }
    void* face = &pane;
    EXPECT_EQ(E_NOINTERFACE, pane.QueryInterface(IID_IPaneDataStore, &face));
    EXPECT_EQ(nullptr, face);
}

TEST(DataPaneTest, StartsWithATimeScaleAndGetsItsFirstLaneWithItsWindow)
{
    TestDataPane pane(nullptr, 0);
    EXPECT_EQ(0, pane.ScrollPosition());
    EXPECT_NE(nullptr, pane.TimeScaleStrip());
    EXPECT_EQ(0, pane.LaneCount());
    pane.SetWindow(nullptr, nullptr);
    EXPECT_EQ(1, pane.LaneCount());
    EXPECT_NE(nullptr, pane.Bar());
    EXPECT_NE(nullptr, pane.Zoom());
}

TEST(DataPaneTest, MakesNoControlsWithoutControlsOrWhenOnlyDrawing)
{
    for (ULONG state : {NoControls, 0x80000000u | PaneState::DrawingOnly})
    {
        TestDataPane pane(nullptr, 0, 0x80000000u, state);
        pane.SetWindow(nullptr, nullptr);
        EXPECT_EQ(nullptr, pane.Bar());
        EXPECT_EQ(nullptr, pane.Zoom());
        pane.OnHScroll(SB_LINEDOWN); // nothing to scroll with
        EXPECT_FALSE(pane.Scrolling());
    }
    TestDataPane collapsed(nullptr, 0, 0x80000000u, NoControls);
    collapsed.SetWindow(nullptr, nullptr);
    EXPECT_EQ(0, collapsed.TimeScaleStrip()->StripHeight());
}

TEST(DataPaneTest, AttachingASourceMakesAStoreThatKeepsTheScale)
{
    FakePaneSource source;
    TestDataPane pane(nullptr, 0);
    const LONGLONG origin = 450;
    source.store.extent = 1000;
    ASSERT_EQ(S_OK, pane.AttachSource(0, &source, &origin));
    EXPECT_EQ(pane.Store(), &source.store);
    EXPECT_EQ(0x80000000u, source.attachKind);
    EXPECT_TRUE(source.store.Saw(L"scale"));
    EXPECT_EQ(10, source.store.numerator);
    EXPECT_EQ(origin, pane.ScrollPosition());

    // Keeping the store re-attaches it and runs no view update.
    source.store.calls.clear();
    ASSERT_EQ(S_OK, pane.AttachSource(DataPane::KeepStore, &source, nullptr));
    EXPECT_EQ(1, source.storesMade);
    EXPECT_EQ(std::vector<std::wstring>{L"source"}, source.store.calls);
}

TEST(DataPaneTest, ALanesScalesLetGoOfItWithTheWindow)
{
    // Drawing only, the lanes have plain scales instead of draggable ones.
    for (const ULONG state : {ULONG{0x80000000u}, ULONG{0x80000000u | PaneState::DrawingOnly}})
    {
        TestDataPane pane(nullptr, 0, 0x80000000u, state);
        pane.SetWindow(nullptr, nullptr);
        const Orv::ComPtr<ChannelPane> lane(pane.Lane(0));
        pane.ReleaseWindow();
        // Held by the pane and by this test only.
        lane->AddRef();
        EXPECT_EQ(2u, lane->Release()) << state;
    }
}

TEST(DataPaneRecordTest, AnEmptyPaneWritesTwoVersionWords)
{
    TestDataPane pane(nullptr, 0);
    std::stringbuf buffer;
    Orv::BinOStream out(&buffer);
    ASSERT_EQ(S_OK, pane.Save(&out));
    EXPECT_EQ(std::string("\x02\0\0\0\x02\0\0\0", 8), buffer.str());
}

TEST(DataPaneRecordTest, ReadsItsLanesRecordsAndStopsAtOldOrRefusesLaterVersions)
{
    TestDataPane pane(nullptr, 0);
    pane.SetWindow(nullptr, nullptr);
    pane.SetChannelCount(2);
    struct Case
    {
        std::vector<ULONG> words;
        HRESULT result;
        std::streamsize left; // bytes the pane leaves unread
    };
    const Case cases[] = {{{2, 2, 3, 3, 7}, S_OK, 4},
                          {{1, 2, 3, 3}, S_OK, 12},
                          {{0, 5}, S_OK, 4},
                          {{3}, Orv::E_ORV_NEWER_VERSION, 0},
                          {{2, 3}, Orv::E_ORV_NEWER_VERSION, 0},
                          {{2, 2, 3, 4}, Orv::E_ORV_NEWER_VERSION, 0}};
    for (const Case& c : cases)
    {
        std::stringbuf buffer;
        Orv::BinOStream out(&buffer);
        for (ULONG word : c.words)
            out.WriteULong(word);
        Orv::BinIStream in(&buffer);
        HRESULT result = S_OK;
        try
        {
            result = pane.Load(&in);
        }
        catch (const XOrv& error)
        {
            result = error.Code();
        }
        EXPECT_EQ(c.result, result) << c.words.size();
        if (c.result == S_OK)
        {
            EXPECT_EQ(c.left, buffer.in_avail()) << c.words.size();
        }
    }
}

TEST(DataPaneRecordTest, RoutesTheWindowsCursorQuestionToItsObjects)
{
    TestDataPane pane(nullptr, 0);
    // No object sets the cursor: the pane's own window gets its default cursor, another window is left alone.
    EXPECT_FALSE(pane.ObjectsSetCursor(pane.Window(), HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(pane.ObjectsSetCursor(reinterpret_cast<HWND>(1), HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(0, pane.ObjectsNotify(1, nullptr));
}

// A pane of three lanes in a 400 x 300 client area.
class LaidOutPane : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pane.SetWindow(nullptr, nullptr);
        pane.SetChannelCount(3);
        pane.SetClientSize(OWL::TSize(400, 300));
    }
    LONG TimeScaleTop() const { return pane.TimeScaleStrip()->Rect().top; }

    // The store outlives the pane: the strips' drawers hold what it handed them.
    FakePaneSource source;
    TestDataPane pane{nullptr, 0};
};

TEST_F(LaidOutPane, StacksTheLanesDownToTheTimeScale)
{
    ASSERT_EQ(3, pane.LaneCount());
    const LONG band = pane.TimeScaleStrip()->StripHeight() + 2;
    EXPECT_EQ(1, pane.Lane(0)->Rect().top);
    for (LONG i = 0; i < 3; ++i)
    {
        const OWL::TRect& rect = pane.Lane(i)->Rect();
        EXPECT_EQ(1, rect.left) << i;
        EXPECT_EQ(399, rect.right) << i;
        // The lanes' heights are rounded, their steps truncated: the gap between two is one or two pixels.
        if (i > 0)
        {
            EXPECT_GE(rect.top - pane.Lane(i - 1)->Rect().bottom, 1) << i;
            EXPECT_LE(rect.top - pane.Lane(i - 1)->Rect().bottom, 2) << i;
        }
    }
    // The last lane reaches the time scale strip, whatever the rounding of the others.
    EXPECT_EQ(300 - band - 1, pane.Lane(2)->Rect().bottom);
    EXPECT_EQ(299, pane.TimeScaleStrip()->Rect().bottom);
    EXPECT_EQ(398, pane.VisibleWidth());
    EXPECT_EQ(398, pane.SweepCursor());
}

TEST_F(LaidOutPane, HitsTheLaneOrTheTimeScaleInsideTheTraceArea)
{
    const LONG middle = pane.Lane(1)->Rect().top + 5;
    struct Case
    {
        LONG x;
        LONG y;
        LONG lane;
    };
    const Case cases[] = {{0, middle, DataPane::NoLane},   {1, middle, 1},
                          {398, middle, 1},                {399, middle, DataPane::NoLane},
                          {200, 2, 0},                     {200, TimeScaleTop() + 1, DataPane::TimeScaleLane},
                          {200, 300, DataPane::NoLane},    {200, -1, DataPane::NoLane}};
    for (const Case& c : cases)
        EXPECT_EQ(c.lane, pane.HitTestPane(OWL::TPoint(c.x, c.y))) << c.x << "," << c.y;
}

TEST_F(LaidOutPane, StripPositionsAndWindowColumnsAreInverse)
{
    const LONGLONG origin = 5000;
    source.store.extent = 9000;
    pane.AttachSource(0, &source, &origin);
    for (LONG x : {0, 1, 200, 399})
        EXPECT_EQ(x, pane.XOfStrip(pane.StripAtX(x)));
    EXPECT_EQ(pane.ScrollPosition(), pane.StripAtX(399));
    EXPECT_EQ(pane.ScrollPosition() - 398, pane.ViewLeft());
}

TEST_F(LaidOutPane, ChangingTheLaneCountRemovesFromTheEndAndLaysOutAgain)
{
    ChannelPane* first = pane.Lane(0);
    pane.SetChannelCount(1);
    EXPECT_EQ(1, pane.LaneCount());
    EXPECT_EQ(first, pane.Lane(0));
    EXPECT_EQ(300 - pane.TimeScaleStrip()->StripHeight() - 3, first->Rect().bottom);
    pane.SetChannelCount(2);
    EXPECT_EQ(2, pane.GetLaneCount());
    EXPECT_EQ(1, pane.Lane(1)->PaneIndex());
}

TEST_F(LaidOutPane, StoredLaneRectsHoldOnlyWhileTheyMatchTheLaneCount)
{
    pane.SetLaneRects({10, 60, 120}, {40, 50, 30});
    EXPECT_EQ(OWL::TRect(1, 10, 399, 50), pane.Lane(0)->Rect());
    EXPECT_EQ(OWL::TRect(1, 60, 399, 110), pane.Lane(1)->Rect());
    EXPECT_EQ(300 - pane.TimeScaleStrip()->StripHeight() - 2 - 1, pane.Lane(2)->Rect().bottom);
    pane.SetClientSize(OWL::TSize(400, 300));
    EXPECT_EQ(10, pane.Lane(0)->Rect().top);
    pane.SetChannelCount(2);
    EXPECT_EQ(1, pane.Lane(0)->Rect().top);
}

TEST(DataPaneLanesTest, AnEmptyPaneLaysNothingOut)
{
    TestDataPane pane(nullptr, 0);
    pane.SetPaneRect(OWL::TRect(0, 0, 200, 100));
    pane.SetClientSize(OWL::TSize(200, 100));
    EXPECT_TRUE(pane.laidOut.empty());
    OWL::TRect rect;
    pane.GetPaneRect(rect);
    EXPECT_EQ(OWL::TRect(0, 0, 200, 100), rect);
}

TEST(DataPaneLanesTest, PaneRectLeavesRoomForTheZoomBar)
{
    TestDataPane pane(nullptr, 0);
    pane.SetWindow(nullptr, nullptr);
    pane.SetPaneRect(OWL::TRect(10, 5, 310, 205));
    ASSERT_EQ(1u, pane.laidOut.size());
    // The lane's first scale sits left of the traces.
    EXPECT_GT(pane.LeftScaleWidth(), 0);
    EXPECT_EQ(OWL::TRect(10 + pane.LeftScaleWidth(), 5, 310, 185), pane.laidOut.front());
}

TEST(DataPaneLanesTest, DrawersGoOnlyToExistingStrips)
{
    TestDataPane pane(nullptr, 0);
    pane.SetWindow(nullptr, nullptr);
    TraceTest::FakeDrawerHost context;
    EXPECT_EQ(E_INVALIDARG, pane.AddLaneDrawer(1, &context, nullptr));
    EXPECT_EQ(E_INVALIDARG, pane.AddLaneDrawer(-2, &context, nullptr));
}

TEST(DataPaneLanesTest, VisibleRecordsNeedAStoreAndAScrollPosition)
{
    FakePaneSource source;
    TestDataPane pane(nullptr, 0);
    RecordingPosition first;
    RecordingPosition last;
    EXPECT_EQ(E_POINTER, pane.GetVisibleRecords(&first, &last));
    pane.AttachSource(0, &source, nullptr);
    EXPECT_EQ(S_FALSE, pane.GetVisibleRecords(&first, &last));
    source.store.extent = 450;
    pane.SetClientSize(OWL::TSize(202, 100));
    pane.UpdateView(0);
    // A view that starts at 0 shows a whole visible width of data.
    EXPECT_EQ(200, pane.ScrollPosition());
    EXPECT_EQ(S_OK, pane.GetVisibleRecords(&first, &last));
    EXPECT_EQ(0, first.record);
    EXPECT_EQ(0, first.tick);
    EXPECT_EQ(2, last.record);
    EXPECT_EQ(0, last.tick);
}

TEST(DataPaneLanesTest, PaneFlagsAndUnitsNeedDataAndLanes)
{
    FakePaneSource source;
    TestDataPane pane(nullptr, 0);
    SHORT flag = 1;
    EXPECT_EQ(E_FAIL, pane.QueryPaneFlag(1, &flag));
    EXPECT_EQ(E_FAIL, pane.HasAxisUnits(1, &flag));
    pane.AttachSource(0, &source, nullptr);
    pane.SetWindow(nullptr, nullptr);
    EXPECT_EQ(S_OK, pane.QueryPaneFlag(1, &flag));
    EXPECT_EQ(0, flag);
    EXPECT_EQ(S_OK, pane.HasAxisUnits(1, &flag));
    EXPECT_EQ(0, flag);
}

} // namespace
} // namespace StrixDraw
