// The comment the module hands the host for a chosen loop, as a person meets it in the frame's trace view
// with the display's own mouse input: drawn, lit under the pointer and opened in its popup.
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"
#include "host/vyr/ChannelColours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <ranges>
#include <sstream>
#include <vector>

namespace
{

using HostTests::ClickAt;
using HostTests::PumpUntil;

constexpr int Beats = 12;
constexpr int LoopListId = 3001;
constexpr COLORREF CommentLine = RGB(0xC0, 0xC0, 0xC0);

// The occlusion recording with lanes of flat channels after its own.
std::string WithFlatLanes(int lanes)
{
    std::istringstream in(HostTests::OcclusionText(Beats));
    std::ostringstream out;
    std::string line;
    std::getline(in, line);
    out << line;
    for (int lane = 1; lane <= lanes; ++lane)
        out << ",Flat " << lane << " (mV)";
    out << '\n';
    while (std::getline(in, line))
    {
        out << line;
        for (int lane = 0; lane < lanes; ++lane)
            out << ",0";
        out << '\n';
    }
    return out.str();
}

// The comment's text reads where it crosses the pressure trace: dark glyphs on a veil that pales the trace
// beneath, so no pixel of the text's cells keeps the trace's own colour.
void ExpectTextReadsOverTheTrace(HWND trace, const RECT& text)
{
    EXPECT_GT(HostTests::BlackPixelsIn(trace, text), 20u);
    EXPECT_EQ(0u, HostTests::PixelsOfColourIn(trace, text, Host::ChannelTraceColour(0)));
}

class FrameComments : public HostTests::FrameSessionFixture
{
protected:
    FrameComments()
        : FrameSessionFixture("frame-comments.csv", HostTests::OcclusionText(Beats), Host::OpenOptions{{}, true})
    {
    }
    HWND Popup() { return HostTests::ThreadWindowOfClass(L"CommentPopup"); }
};

// A loop chosen in the loop view's list, its markers shown, puts its comment on the pressure lane below the
// loop's mark: a disc in the channel's colour, a dotted line down the traces and the loop's text turned up
// beside it. The pointer on the disc darkens it; a press there opens the comment's popup above the disc and
// leaves the selection alone; a press beside it closes the popup.
TEST_F(FrameComments, AChosenLoopsCommentIsDrawnLightsUnderThePointerAndOpensItsPopupOnAPress)
{
    constexpr int Row = 3;
    const auto loops = opened->Analysis()->Loops();
    ASSERT_GT(loops.size(), static_cast<size_t>(Row));
    Host::TraceView& trace = session->Trace();
    ASSERT_TRUE(HostTests::ClickUntil(Frame(), HostTests::ListRowPoint(GetDlgItem(Frame().FindView(L"Loop View")->ViewWindow(), LoopListId), Row, 40),
                                      [&] { return trace.Comments().size() == 1; }));
    HostTests::Settle(Frame());
    const CommentDrawRecord drawn = trace.Comments()[0].record;
    EXPECT_NEAR(trace.XOf({loops[Row].block, loops[Row].record.base.tick}), drawn.x, 1.0);
    const auto pixels = [&] { return Host::ReadWindowImage(trace.Handle()); };
    const auto at = [](const Host::WindowImage& image, int x, int y) {
        const DWORD pixel = image.pixels[static_cast<size_t>(y) * image.width + x];
        return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
    };
    const POINT disc{drawn.x, drawn.top + 3};
    Host::WindowImage image = pixels();
    EXPECT_EQ(Host::ChannelTraceColour(0), at(image, disc.x, disc.y));
    int line = 0;
    for (int y = drawn.top + 10; y < drawn.bottom; ++y)
        line += at(image, drawn.x, y) == CommentLine;
    EXPECT_GT(line, (drawn.bottom - drawn.top) / 4);
    EXPECT_GT(HostTests::BlackPixelsIn(trace.Handle(), {trace.TraceArea().left, drawn.top + 10, drawn.x - 1, drawn.bottom}), 100u);
    ExpectTextReadsOverTheTrace(trace.Handle(), trace.Comments()[0].place);

    POINT screen = disc;
    ClientToScreen(trace.Handle(), &screen);
    ASSERT_TRUE(HostTests::InputUntil(Frame(), [&] { HostTests::MovePointer(screen); }, [&] {
        return !trace.Comments().empty() && (trace.Comments()[0].record.flags & CommentDrawFlag::Highlighted);
    }));
    HostTests::Settle(Frame());
    EXPECT_EQ(RGB(0, 0, 0), at(pixels(), disc.x, disc.y));

    TickPosition first{}, last{};
    const HRESULT selected = opened->Host().GetSelection(&first, &last);
    ASSERT_TRUE(HostTests::ClickUntil(Frame(), screen, [&] { return Popup() != nullptr; }));
    HostTests::Settle(Frame());
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-comment");
    HostTests::SaveTestPicture(Popup(), L"frame-comment-popup");
    // The trace view is the host's own window: the popup is still owned by its frame.
    EXPECT_EQ(Frame().Handle(), GetWindow(Popup(), GW_OWNER));
    RECT popup{};
    GetWindowRect(Popup(), &popup);
    POINT anchor{drawn.x, drawn.top};
    ClientToScreen(trace.Handle(), &anchor);
    EXPECT_EQ(anchor.x, popup.left);
    // Above the disc where the screen has room, else below it.
    if (anchor.y - (popup.bottom - popup.top) >= 0)
    {
        EXPECT_EQ(anchor.y, popup.bottom);
    }
    else
    {
        EXPECT_GT(popup.top, anchor.y);
    }
    TickPosition firstAfter{}, lastAfter{};
    EXPECT_EQ(selected, opened->Host().GetSelection(&firstAfter, &lastAfter));
    EXPECT_EQ(first.tick, firstAfter.tick);
    EXPECT_EQ(last.tick, lastAfter.tick);

    EXPECT_TRUE(HostTests::ClickUntil(Frame(), {screen.x + 500, screen.y + 200}, [&] { return Popup() == nullptr; }));

    // The frame at the screen's top leaves no room above the disc: the popup opens below it, on the screen.
    RECT frame{};
    GetWindowRect(Frame().Handle(), &frame);
    const LONG raise = anchor.y - 20;
    SetWindowPos(Frame().Handle(), nullptr, frame.left, frame.top - raise, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    screen.y -= raise;
    ASSERT_TRUE(HostTests::ClickUntil(Frame(), screen, [&] { return Popup() != nullptr; }));
    HostTests::Settle(Frame());
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-comment-popup-at-the-top");
    GetWindowRect(Popup(), &popup);
    EXPECT_GE(popup.top, 0);
    EXPECT_GT(popup.top, screen.y);
    EXPECT_EQ(screen.x, popup.left);
    EXPECT_TRUE(HostTests::ClickUntil(Frame(), {screen.x + 60, screen.y + 200}, [&] { return Popup() == nullptr; }));
}

// The comment's text names the loop, its value with the unit of the loop's end-diastolic pressure, which the
// value is, and its period, as the analysis has them.
TEST_F(FrameComments, TheTextGivesTheLoopsValueInItsUnit)
{
    constexpr int Row = 5;
    constexpr size_t Ped = 13;
    const auto loops = opened->Analysis()->Loops();
    ASSERT_GT(loops.size(), static_cast<size_t>(Row));
    Host::TraceView& trace = session->Trace();
    ASSERT_TRUE(HostTests::ClickUntil(Frame(), HostTests::ListRowPoint(GetDlgItem(Frame().FindView(L"Loop View")->ViewWindow(), LoopListId), Row, 40),
                                      [&] { return trace.Comments().size() == 1; }));
    const std::wstring text = trace.Comments()[0].text;
    ASSERT_TRUE(text.starts_with(L"Sistra: " + std::to_wstring(Row + 1) + L"; Value = ")) << text;
    wchar_t* end = nullptr;
    const double value = std::wcstod(text.c_str() + text.find(L"= ") + 2, &end);
    EXPECT_NEAR(loops[Row].values[Ped - 1], value, 1e-5 * std::fabs(value));
    EXPECT_TRUE(std::wstring(end).starts_with(L" mmHg; Period = ")) << text;
    EXPECT_NEAR(60.0 / loops[Row].values[13], std::wcstod(end + std::wcslen(L" mmHg; Period = "), nullptr), 1e-5);
}

// Where the pressure lane is short (many lanes share the view, or the frame is small), the chosen loop's
// comment keeps its text in that lane, below its disc, off the other lanes' traces.
TEST(FrameCommentsInShortLanes, TheTextStaysInItsLane)
{
    constexpr int Row = 3;
    const struct
    {
        const char* name;
        int flatLanes;
        LONG frameHeight;
    } cases[] = {{"many lanes", 4, 900}, {"a small frame", 0, 480}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const HostTests::TemporaryFile file("frame-comments-short.csv", WithFlatLanes(c.flatLanes));
        Host::OpenedRecording opened(file.Path(), Host::OpenOptions{{}, true});
        std::ostringstream problems;
        Host::FrameSession session(opened, L"Sistra - short lanes", RECT{0, 0, 1200, c.frameHeight}, problems);
        Host::FrameWindow& frame = session.Frame();
        SetForegroundWindow(frame.Handle());
        HostTests::Settle(frame);
        Host::TraceView& trace = session.Trace();
        ClickAt(HostTests::ListRowPoint(GetDlgItem(frame.FindView(L"Loop View")->ViewWindow(), LoopListId), Row, 40));
        ASSERT_TRUE(PumpUntil(frame, [&] { return trace.Comments().size() == 1; }));
        HostTests::Settle(frame);
        // Copies: every paint draws them anew.
        const Host::TraceComments::Drawn drawn = trace.Comments()[0];
        const std::vector<Host::TraceView::DrawnMark> marks = trace.Marks();
        const auto lane = std::find_if(marks.begin(), marks.end(), [&](const auto& mark) {
            return mark.channel == 0 && mark.x == drawn.record.x;
        });
        ASSERT_NE(marks.end(), lane);
        EXPECT_FALSE(drawn.text.empty());
        HostTests::SaveTestPicture(frame.Handle(), std::wstring(L"frame-comment-short-lanes-") + (c.flatLanes ? L"many" : L"small"));
        // Left of the line, in the lane and above and below it.
        const RECT area = trace.TraceArea();
        const LONG left = area.left, right = drawn.record.x - 1;
        const size_t inLane = HostTests::BlackPixelsIn(trace.Handle(), {left, lane->top, right, lane->bottom});
        const size_t outside = HostTests::BlackPixelsIn(trace.Handle(), {left, area.top, right, lane->top}) +
                                HostTests::BlackPixelsIn(trace.Handle(), {left, lane->bottom, right, area.bottom});
        EXPECT_GT(inLane, 50u);
        EXPECT_EQ(0u, outside);
        ExpectTextReadsOverTheTrace(trace.Handle(), drawn.place);
    }
}

// Comments of neighbouring loops in the short lanes of many channels: no text runs into another; a text
// that does not fit beside the one before it takes a line further down its lane, or is cut to the room it
// has, and says so with an ellipsis.
TEST(FrameCommentsInShortLanes, NeighboursTextsAreStackedOrCutNeverOverEachOther)
{
    const HostTests::TemporaryFile file("frame-comments-neighbours.csv", WithFlatLanes(4));
    Host::OpenedRecording opened(file.Path(), Host::OpenOptions{{}, true});
    std::ostringstream problems;
    Host::FrameSession session(opened, L"Sistra - neighbours", RECT{0, 0, 1200, 900}, problems);
    Host::FrameWindow& frame = session.Frame();
    SetForegroundWindow(frame.Handle());
    HostTests::Settle(frame);
    Host::TraceView& trace = session.Trace();
    const HWND list = GetDlgItem(frame.FindView(L"Loop View")->ViewWindow(), LoopListId);
    for (const int row : {2, 3, 4, 5})
        ASSERT_TRUE(HostTests::ClickUntil(frame, HostTests::ListRowPoint(list, row, 40), [&] {
            return trace.Comments().size() == static_cast<size_t>(row - 1);
        })) << row;
    HostTests::Settle(frame);
    HostTests::SaveTestPicture(trace.Handle(), L"frame-comment-neighbours");
    const std::vector<Host::TraceComments::Drawn> drawn = trace.Comments();
    ASSERT_EQ(4u, drawn.size());
    for (size_t one = 0; one < drawn.size(); ++one)
    {
        SCOPED_TRACE(drawn[one].text);
        // Whole, or cut and saying so.
        const bool whole = drawn[one].text.starts_with(L"Sistra: ") && drawn[one].text.ends_with(L" s");
        EXPECT_TRUE(whole || drawn[one].text.ends_with(L"\u2026"));
        EXPECT_LT(drawn[one].place.right, drawn[one].record.x);
        EXPECT_GE(drawn[one].place.left, trace.TraceArea().left);
        for (size_t other = one + 1; other < drawn.size(); ++other)
        {
            RECT overlap{};
            EXPECT_FALSE(IntersectRect(&overlap, &drawn[one].place, &drawn[other].place)) << drawn[other].text;
        }
        if (!drawn[one].text.empty())
            ExpectTextReadsOverTheTrace(trace.Handle(), drawn[one].place);
    }
}

} // namespace
