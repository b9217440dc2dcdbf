// The host's selection made as a person makes it, by dragging in the trace view, and the actions that
// work from it driven through the frame with the display's own input: the settings dialog's Selection
// region and Analyze Selection.
#include "host/app/gui/FrameSession.h"
#include "host/app/gui/WindowPicture.h"
#include "host/tests/FrameInput.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>

namespace
{

using HostTests::ClickAt;
using HostTests::DragFromTo;
using HostTests::PumpUntil;
using HostTests::WindowText;

constexpr int Beats = 24;
constexpr COLORREF SelectionFill = RGB(0xD8, 0xE8, 0xFF);
constexpr int SettingsSelectionRadio = 1005;

struct Range
{
    TickPosition first, last;
};

std::optional<Range> Selected(Host::HostDocument& document)
{
    Range range{};
    if (document.GetSelection(&range.first, &range.last) != S_OK || range.first.record == HostRecordEnd)
        return std::nullopt;
    return range;
}

// Pixels of the selection's colour in column x of the window.
int SelectionPixelsInColumn(const Host::WindowImage& image, int x)
{
    int count = 0;
    for (int y = 0; y < image.height; ++y)
    {
        const DWORD pixel = image.pixels[static_cast<size_t>(y) * image.width + x] & 0xFFFFFF;
        count += RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF) == SelectionFill;
    }
    return count;
}

class FrameSelection : public testing::Test
{
protected:
    void SetUp() override
    {
        opened.emplace(file.Path(), Host::OpenOptions{{}, true});
        std::ostringstream problems;
        session.emplace(*opened, L"Sistra - selection", RECT{0, 0, 1200, 900}, problems);
        SetForegroundWindow(Frame().Handle());
        HostTests::Settle(Frame());
    }
    void TearDown() override
    {
        session.reset();
        opened.reset();
    }
    Host::FrameWindow& Frame() { return session->Frame(); }
    HWND Trace() { return session->Trace().Handle(); }
    // A point of the trace view's client area, on the screen.
    POINT TracePoint(int x, int y)
    {
        POINT point{x, y};
        ClientToScreen(Trace(), &point);
        return point;
    }
    // Drags across the trace view's lanes from client x to client x; the selection it made.
    std::optional<Range> DragInTrace(int fromX, int toX)
    {
        RECT client{};
        GetClientRect(Trace(), &client);
        DragFromTo(TracePoint(fromX, client.bottom / 2), TracePoint(toX, client.bottom / 2));
        PumpUntil(Frame(), [&] { return Selected(opened->Host()).has_value(); }, 3000);
        HostTests::Settle(Frame(), 100);
        return Selected(opened->Host());
    }
    // Every loop the analysis holds lies in the range, and there are fewer than over the whole recording.
    void ExpectLoopsInside(const Range& range)
    {
        const auto loops = opened->Analysis()->Loops();
        ASSERT_FALSE(loops.empty());
        EXPECT_LT(loops.size(), static_cast<size_t>(Beats - 2));
        for (const Host::LoopRow& loop : loops)
        {
            EXPECT_GE(loop.record.firstTick, range.first.tick);
            EXPECT_LE(loop.record.endTick, range.last.tick + 1);
        }
    }

    HostTests::TemporaryFile file{"frame-selection.csv", HostTests::OcclusionText(Beats)};
    std::optional<Host::OpenedRecording> opened;
    std::optional<Host::FrameSession> session;
};

// Either way across the lanes the drag selects the time between its ends over every channel, drawn as
// the host draws a selection; a click alone clears it.
TEST_F(FrameSelection, DraggingInTheTraceViewSelectsTheTimeBetweenItsEndsAndShowsIt)
{
    struct Case
    {
        int from, to;
    };
    for (const Case c : {Case{200, 500}, Case{700, 300}})
    {
        const auto range = DragInTrace(c.from, c.to);
        ASSERT_TRUE(range) << c.from;
        EXPECT_EQ(range->first.record, range->last.record);
        EXPECT_NEAR(std::min(c.from, c.to), session->Trace().XOf(range->first), 1.0) << c.from;
        EXPECT_NEAR(std::max(c.from, c.to), session->Trace().XOf(range->last), 1.0) << c.from;
        VARIANT_BOOL included = VARIANT_FALSE;
        opened->Host().IncludesChannel(1, &included);
        EXPECT_EQ(VARIANT_TRUE, included);
        const Host::WindowImage image = Host::ReadWindowImage(Trace());
        EXPECT_GT(SelectionPixelsInColumn(image, (c.from + c.to) / 2), 20) << c.from;
        EXPECT_EQ(0, SelectionPixelsInColumn(image, std::max(c.from, c.to) + 30)) << c.from;
    }
    HostTests::SaveTestPicture(Trace(), L"frame-selection-dragged");
    ClickAt(TracePoint(400, 100));
    PumpUntil(Frame(), [&] { return !Selected(opened->Host()); }, 3000);
    EXPECT_FALSE(Selected(opened->Host()));
}

// The settings dialog's Selection region analyses the selection once the dialog is confirmed; from then
// on the Sistra menu offers Analyze Selection, which analyses the selection made next.
TEST_F(FrameSelection, TheSettingsSelectionRegionAndAnalyzeSelectionAnalyseTheSelection)
{
    const auto first = DragInTrace(300, 900);
    ASSERT_TRUE(first);
    {
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(SettingsSelectionRadio); },
                                   [](HWND dialog) {
                                       Sleep(200);
                                       ClickAt(HostTests::ScreenCentreOf(GetDlgItem(dialog, SettingsSelectionRadio)));
                                       Sleep(200);
                                       ClickAt(HostTests::ScreenCentreOf(GetDlgItem(dialog, IDOK)));
                                   });
        EXPECT_EQ(L"&Settings...",
                  HostTests::ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& text) { return text == L"&Settings..."; }));
        PumpUntil(Frame(), [&] { return hand.done.load(); });
    }
    HostTests::Settle(Frame());
    ExpectLoopsInside(*first);

    const auto second = DragInTrace(120, 1050);
    ASSERT_TRUE(second);
    EXPECT_EQ(L"&Analyze Selection", HostTests::ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& text) {
                  return text.starts_with(L"&Analyze");
              }));
    ExpectLoopsInside(*second);
}

} // namespace
