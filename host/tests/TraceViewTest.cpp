// The host's main data view of an analysed recording: the loop marks stand where the beats were found,
// in the colour the module gives valid loops, and selecting a loop brings the view to it.
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/TraceView.h"
#include "host/app/macro/MacroText.h"
#include "testsupport/RealInput.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

namespace
{

constexpr int Width = 900, Height = 320;
constexpr COLORREF ValidLoopGreen = RGB(0, 255, 0);
constexpr COLORREF EndDiastoleGreen = RGB(0, 255, 0);
constexpr COLORREF ShownLoopFill = RGB(0xFF, 0xEC, 0xB8);
constexpr COLORREF HoverFill = RGB(0xFF, 0xFF, 0xE1);
// The occlusion recording's sample interval and beat.
constexpr double OcclusionInterval = 0.001, OcclusionBeatSeconds = 0.8;
// How much time the view shows when it opens.
constexpr double OpeningSpanSeconds = 4.0;

void Pump()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

// Rows of the column (client coordinates) between top and bottom that show the colour.
int RowsOfColour(HWND window, int x, int top, int bottom, COLORREF colour)
{
    HDC dc = GetDC(window);
    int rows = 0;
    for (int y = top; y < bottom; ++y)
        rows += GetPixel(dc, x, y) == colour ? 1 : 0;
    ReleaseDC(window, dc);
    return rows;
}

class TraceViewOfAnalysedRecording : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        file = std::make_unique<HostTests::TemporaryFile>("trace-occlusion.csv", HostTests::OcclusionText(24));
    }
    static void TearDownTestSuite() { file.reset(); }

    void SetUp() override
    {
        parent = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"trace", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                 Width, Height, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(parent);
        ASSERT_NE(nullptr, recorded.Analysis()) << recorded.NotAnalysed();
        trace.emplace(recorded.Host(), recorded.Document(), recorded.StandIn(), parent, RECT{0, 0, Width, Height});
        Show();
    }
    void TearDown() override
    {
        trace.reset();
        DestroyWindow(parent);
    }
    void Show()
    {
        Pump();
        RedrawWindow(trace->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
    }
    // The pressure lane, the first of the three.
    std::pair<int, int> PressureLane() const
    {
        const RECT area = trace->TraceArea();
        return {area.top, area.top + (area.bottom - area.top) / 3};
    }

    static inline std::unique_ptr<HostTests::TemporaryFile> file;
    Host::OpenedRecording recorded{file->Path()};
    HWND parent = nullptr;
    std::optional<Host::TraceView> trace;
};

TEST_F(TraceViewOfAnalysedRecording, LoopMarksStandAtTheDetectedBeatsInTheValidLoopsGreen)
{
    HostTests::SaveTestPicture(parent, L"trace_view_marks");
    const std::vector<Host::LoopRow> loops = recorded.Analysis()->Loops();
    const RECT area = trace->TraceArea();
    const double pixelsPerSecond = (area.right - area.left) / OpeningSpanSeconds;
    const auto [top, bottom] = PressureLane();
    int shown = 0;
    for (const Host::LoopRow& loop : loops)
    {
        const double seconds = loop.record.base.tick * OcclusionInterval;
        // Each loop starts within the first tenth of its beat.
        const double intoBeat = std::fmod(seconds, OcclusionBeatSeconds);
        EXPECT_LT(intoBeat, OcclusionBeatSeconds / 10) << loop.record.base.tick;
        const auto x = static_cast<int>(std::lround(area.left + seconds * pixelsPerSecond));
        if (x >= area.right)
            continue;
        ++shown;
        EXPECT_GT(RowsOfColour(trace->Handle(), x, top, bottom, ValidLoopGreen), (bottom - top) / 4)
            << "no mark at x " << x << " for the loop at tick " << loop.record.base.tick;
        // Between two marks the lane holds no mark.
        const int between = static_cast<int>(x + OcclusionBeatSeconds / 2 * pixelsPerSecond);
        if (between < area.right)
        {
            EXPECT_EQ(0, RowsOfColour(trace->Handle(), between, top, bottom, ValidLoopGreen)) << between;
        }
    }
    EXPECT_GE(shown, 4);
    const auto& marks = trace->Marks();
    EXPECT_EQ(shown, std::count_if(marks.begin(), marks.end(), [](const auto& mark) { return !mark.underlying; }));
}

// The end-diastolic points the loops were cut at are marked too, by the module's end-diastolic class:
// each loop starts at one, and its mark points up from the lane's foot where the loop's points down.
TEST_F(TraceViewOfAnalysedRecording, EndDiastolicMarksPointUpAtTheStartOfEachLoop)
{
    const RECT area = trace->TraceArea();
    const double pixelsPerSecond = (area.right - area.left) / OpeningSpanSeconds;
    const auto [top, bottom] = PressureLane();
    constexpr int Foot = 8; // rows above the lane's bottom that hold an end-diastolic mark's head
    int shown = 0;
    for (const Host::LoopRow& loop : recorded.Analysis()->Loops())
    {
        const auto x = static_cast<int>(std::lround(area.left + loop.record.base.tick * OcclusionInterval * pixelsPerSecond));
        if (x >= area.right)
            continue;
        ++shown;
        EXPECT_GE(RowsOfColour(trace->Handle(), x, bottom - Foot, bottom, EndDiastoleGreen), Foot / 2)
            << "no end-diastolic mark at x " << x << " for the loop at tick " << loop.record.base.tick;
        const int between = static_cast<int>(x + OcclusionBeatSeconds / 2 * pixelsPerSecond);
        if (between < area.right)
        {
            EXPECT_EQ(0, RowsOfColour(trace->Handle(), between, bottom - Foot, bottom, EndDiastoleGreen)) << between;
        }
    }
    EXPECT_GE(shown, 4);
}

TEST_F(TraceViewOfAnalysedRecording, SelectingLoopTwelveBringsTheViewToItsMark)
{
    const std::vector<Host::LoopRow> loops = recorded.Analysis()->Loops();
    ASSERT_GE(loops.size(), 12u);
    Host::Macro::Statement select(L"Doc.SelectASistra LoopIdx:=11");
    recorded.Analysis()->RunStatement(select);
    Show();
    HostTests::SaveTestPicture(parent, L"trace_view_loop_12");

    TickPosition centre{};
    ASSERT_EQ(S_OK, trace->GetCentre(&centre));
    EXPECT_EQ(loops[11].block, centre.record);
    EXPECT_NEAR(loops[11].record.base.tick, centre.tick, 2);
    const RECT area = trace->TraceArea();
    const int middle = (area.left + area.right) / 2;
    const auto [top, bottom] = PressureLane();
    int green = 0;
    for (int x = middle - 1; x <= middle + 1; ++x)
        green += RowsOfColour(trace->Handle(), x, top, bottom, ValidLoopGreen);
    EXPECT_GT(green, (bottom - top) / 4) << "loop 12's mark is not in the middle of the view";
}

// The view is drawn again only when what it shows changed: redrawn on every beat of its timer, a large
// view kept its thread painting the same picture, and a snapshot of 2048 x 2048 never settled.
TEST_F(TraceViewOfAnalysedRecording, ARefreshDrawsAgainOnlyWhenWhatItShowsChanged)
{
    // Read before any message runs: the view's own timer refreshes it too.
    const auto drawsAgain = [&] {
        trace->Refresh();
        RECT invalid{};
        const bool invalidated = GetUpdateRect(trace->Handle(), &invalid, FALSE) != FALSE;
        Show();
        return invalidated;
    };
    drawsAgain();
    EXPECT_FALSE(drawsAgain()) << "nothing changed";
    recorded.Host().SetSelection({0, 100}, {0, 2000});
    EXPECT_TRUE(drawsAgain()) << "a selection was made";
    EXPECT_FALSE(drawsAgain()) << "nothing changed since";
}

// Resizing the view or bringing it to an early loop shows no time before the recording's start, and a
// resize keeps the start at the trace area's left edge: in an 800x600 frame the view, laid out narrower
// than it opened, had kept its right edge and started partway into the recording.
TEST_F(TraceViewOfAnalysedRecording, NoTimeBeforeTheStartShowsAfterResizingOrSelectingAnEarlyLoop)
{
    const auto resize = [&](int width, int height) {
        return [=, this] { MoveWindow(trace->Handle(), 0, 0, width, height, TRUE); };
    };
    const RECT opening = trace->TraceArea();
    const auto select = [&](const wchar_t* text) {
        return [=, this] { Host::Macro::Statement select(text); recorded.Analysis()->RunStatement(select); };
    };
    const struct
    {
        const wchar_t* name;
        std::function<void()> move;
        bool startsAtLeft;
    } moves[] = {
        {L"as at 800x600", resize(515, 480), true},
        {L"narrowest", resize(Width - (opening.right - opening.left) + 40, 200), true},
        {L"as at 1200x900", resize(800, 780), true},
        {L"widened", resize(Width + 700, Height), true},
        {L"loop 2", select(L"Doc.SelectASistra LoopIdx:=1"), false},
        {L"loop 4", select(L"Doc.SelectASistra LoopIdx:=3"), false},
    };
    for (const auto& [name, move, startsAtLeft] : moves)
    {
        move();
        Show();
        const LONG left = trace->TraceArea().left;
        EXPECT_LE(trace->XOf({0, 0}), left + 0.5) << name;
        if (startsAtLeft)
        {
            EXPECT_GE(trace->XOf({0, 0}), left - 0.5) << name;
        }
    }
}

// The loop the module brings the view to is highlighted on its lane, from its mark to the next loop's.
TEST_F(TraceViewOfAnalysedRecording, TheSelectedLoopIsHighlightedFromItsMarkToTheNext)
{
    const std::vector<Host::LoopRow> loops = recorded.Analysis()->Loops();
    ASSERT_GE(loops.size(), 6u);
    const auto [top, bottom] = PressureLane();
    const auto highlightedAt = [&](double x) { return RowsOfColour(trace->Handle(), static_cast<int>(x), top, bottom, ShownLoopFill); };
    Host::Macro::Statement select(L"Doc.SelectASistra LoopIdx:=4");
    recorded.Analysis()->RunStatement(select);
    Show();
    HostTests::SaveTestPicture(parent, L"trace_view_loop_5_highlighted");
    const double start = trace->XOf({loops[4].block, loops[4].record.base.tick});
    const double end = trace->XOf({loops[5].block, loops[5].record.base.tick});
    EXPECT_GT(highlightedAt((start + end) / 2), (bottom - top) / 3);
    EXPECT_EQ(0, highlightedAt(start - 10));
    EXPECT_EQ(0, highlightedAt(end + 10));
}

// However short the lanes, the texts left of them (names and scale values) never overlap one another and
// stay in their lanes, and every lane keeps its name.
TEST_F(TraceViewOfAnalysedRecording, LaneTextsNeverOverlapAndEachLaneKeepsItsName)
{
    for (const int height : {90, 140, Height})
    {
        MoveWindow(trace->Handle(), 0, 0, Width, height, TRUE);
        Show();
        const auto& labels = trace->Labels();
        std::set<int32_t> named;
        for (size_t i = 0; i < labels.size(); ++i)
        {
            named.insert(labels[i].channel);
            for (size_t j = i + 1; j < labels.size(); ++j)
            {
                RECT common{};
                EXPECT_FALSE(IntersectRect(&common, &labels[i].place, &labels[j].place)) << height << ": " << i << " " << j;
            }
        }
        EXPECT_EQ(3u, named.size()) << height;
    }
}

// However far into the recording the view is zoomed, the time axis tells its labels apart: each reads
// more than the one before it (at 2 ms a step, 18.5 s read "18.5 s" several times over).
TEST_F(TraceViewOfAnalysedRecording, TimeLabelsIncreaseAlongTheAxisAtEveryZoom)
{
    for (const int32_t span : {18000, 2000, 200, 20})
    {
        const TickPosition first{0, 18500 - span}, last{0, 18500};
        ASSERT_EQ(S_OK, trace->ShowRange(&first, &last));
        Show();
        const auto& labels = trace->TimeLabels();
        ASSERT_GE(labels.size(), 3u) << span;
        for (size_t i = 1; i < labels.size(); ++i)
            EXPECT_LT(std::stod(labels[i - 1]), std::stod(labels[i])) << span << " ticks: " << testing::PrintToString(labels);
    }
    HostTests::SaveTestPicture(parent, L"trace_view_zoomed_time_labels");
}

// Hiding the loop markers takes the marks off at once; showing them brings them back.
TEST_F(TraceViewOfAnalysedRecording, HidingTheLoopMarkersTakesTheMarksOffAtOnce)
{
    const auto ownMarks = [&] {
        trace->Refresh();
        Show();
        const auto& marks = trace->Marks();
        return std::count_if(marks.begin(), marks.end(), [](const auto& mark) { return !mark.underlying; });
    };
    ASSERT_GT(ownMarks(), 0);
    Host::Macro::Statement toggle(L"Doc.ToggleSistraEventMarkers");
    recorded.Analysis()->RunStatement(toggle);
    EXPECT_EQ(0, ownMarks());
    recorded.Analysis()->RunStatement(toggle);
    EXPECT_GT(ownMarks(), 0);
}

// A mark's tooltip shows while the pointer rests on the mark and goes when the pointer leaves the view,
// moved with the display's own pointer.
TEST_F(TraceViewOfAnalysedRecording, AMarksTooltipGoesWhenThePointerLeavesTheView)
{
    const auto hoverPixels = [&] {
        Pump();
        Show();
        RECT client{};
        GetClientRect(trace->Handle(), &client);
        int count = 0;
        for (int x = 0; x < client.right; x += 2)
            count += RowsOfColour(trace->Handle(), x, 0, client.bottom, HoverFill);
        return count;
    };
    const auto& marks = trace->Marks();
    const auto mark = std::find_if(marks.begin(), marks.end(), [](const auto& drawn) { return !drawn.underlying; });
    ASSERT_NE(marks.end(), mark);
    POINT over{mark->x, mark->top + (mark->bottom - mark->top) / 4};
    ClientToScreen(trace->Handle(), &over);
    HostTests::MovePointer(over);
    EXPECT_GT(hoverPixels(), 0) << "no tooltip over the mark";
    HostTests::MovePointer({Width + 200, Height + 200});
    // The display tells a window that the pointer left at its next look, not at once.
    int left = hoverPixels();
    for (const DWORD start = GetTickCount(); left > 0 && GetTickCount() - start < 5000; left = hoverPixels())
        Sleep(20);
    EXPECT_EQ(0, left) << "the tooltip stayed after the pointer left";
}

} // namespace

// A lane's scale: a varying channel gets a little room above and below; a flat one lies in the middle of
// a scale a thousandth of its size wide (of 1 at zero), with the same room (0.08 of the span, so its top
// lies 0.58 of a span above the middle), not one as wide as the rounding of a float.
TEST(LaneValueRange, AFlatChannelLiesInTheMiddleOfAReadableScale)
{
    const struct
    {
        double lowest, highest;
        double top, foot;
    } cases[] = {
        {-4.6, 134.6, 134.6 + 0.08 * 139.2, -4.6 - 0.08 * 139.2},
        {0.0, 0.0, 0.58, -0.58},
        {69.97, 69.97002, 69.97001 + 0.58 * 0.06997002, 69.97001 - 0.58 * 0.06997002},
        {-2e-3, -2e-3, -2e-3 + 0.58 * 2e-6, -2e-3 - 0.58 * 2e-6},
    };
    for (const auto& test : cases)
    {
        const auto [top, foot] = Host::LaneValueRange(test.lowest, test.highest);
        EXPECT_NEAR(test.top, top, 1e-6 * std::abs(test.top - test.foot)) << test.lowest << ".." << test.highest;
        EXPECT_NEAR(test.foot, foot, 1e-6 * std::abs(test.top - test.foot)) << test.lowest << ".." << test.highest;
    }
}
