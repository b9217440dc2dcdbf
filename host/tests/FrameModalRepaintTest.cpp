// A modal dialog that another window was dragged across shows itself again: looked at on the screen, as a
// person sees it, not through the window's own picture (which the window paints on request and so shows
// whole even when the screen does not).
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/ScreenPixels.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace
{

constexpr int SettingsHelpButton = 1001;
constexpr const wchar_t* HelpWindowClass = L"SistraHostHelp";
// The dialog's pixels that the screen must show as the dialog paints them after the drag.
constexpr double LeastSameShare = 0.98;
constexpr int DragAttempts = 4;
constexpr int DragAnswerMilliseconds = 3000;

RECT ClientOnScreen(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

double SameShare(const std::vector<DWORD>& a, const std::vector<DWORD>& b)
{
    if (a.empty() || a.size() != b.size())
        return 0;
    size_t same = 0;
    for (size_t i = 0; i < a.size(); ++i)
        same += a[i] == b[i];
    return static_cast<double>(same) / static_cast<double>(a.size());
}

// The screen over place once it has stopped changing: the same over several looks spaced wider than
// Wine's flush of a window's drawing to the display (bounded by looks, not time).
std::vector<DWORD> SettledScreen(const RECT& place)
{
    constexpr DWORD LookInterval = 60;
    constexpr int SameLooksNeeded = 3, MostLooks = 100;
    std::vector<DWORD> last = HostTests::ReadScreen(place).pixels;
    for (int looks = 0, same = 0; same < SameLooksNeeded && looks < MostLooks; ++looks)
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, LookInterval, QS_ALLINPUT);
        std::vector<DWORD> now = HostTests::ReadScreen(place).pixels;
        same = now == last ? same + 1 : 0;
        last = std::move(now);
    }
    return last;
}

// A point of the window's caption, clear of its close box.
POINT CaptionPoint(HWND window)
{
    const RECT client = ClientOnScreen(window);
    return POINT{client.left + 40, client.top - GetSystemMetrics(SM_CYSMCAPTION) / 2};
}

// Drags the window by its caption until its top left corner is at to (bounded); whether it is.
bool DragWindowTo(HWND window, POINT to)
{
    const auto arrived = [&] {
        RECT place{};
        GetWindowRect(window, &place);
        return place.left == to.x && place.top == to.y;
    };
    for (int attempt = 0; attempt < DragAttempts && !arrived(); ++attempt)
    {
        RECT place{};
        GetWindowRect(window, &place);
        const POINT from = CaptionPoint(window);
        HostTests::DragFromTo(from, POINT{from.x + to.x - place.left, from.y + to.y - place.top}, 16);
        HostTests::WaitFor(arrived, DragAnswerMilliseconds);
    }
    return arrived();
}

class FrameModalRepaint : public HostTests::FrameSessionFixture
{
protected:
    FrameModalRepaint() : FrameSessionFixture("frame-modal-repaint.csv", HostTests::OcclusionText(16)) {}
};

// Settings..., its Help, the help window dragged by its caption over the middle of the dialog and then
// below it: the screen shows the dialog whole, as it paints itself, not black.
TEST_F(FrameModalRepaint, TheSettingsDialogShowsItselfAgainAfterTheHelpWindowWasDraggedAcrossIt)
{
    double sameShare = 0, blackShare = 1, coveredShare = 1, blackenedShare = 0;
    bool helpOpened = false, draggedOver = false, draggedAway = false;
    {
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(SettingsHelpButton); }, [&](HWND dialog) {
            const RECT client = ClientOnScreen(dialog);
            const std::vector<DWORD> before = SettledScreen(client);
            HWND help = nullptr;
            helpOpened = HostTests::ClickButtonUntil(dialog, SettingsHelpButton, [&] {
                return (help = HostTests::ProcessWindow(
                            [](HWND window) { return HostTests::ClassOf(window) == HelpWindowClass; })) != nullptr;
            });
            if (helpOpened)
            {
                RECT place{};
                GetWindowRect(help, &place);
                const POINT middle = HostTests::CentreOf(client);
                draggedOver = DragWindowTo(help, POINT{middle.x - (place.right - place.left) / 2, middle.y});
                coveredShare = SameShare(before, SettledScreen(client));
                draggedAway = DragWindowTo(help, POINT{client.left, client.bottom + 40});
            }
            const std::vector<DWORD> after = SettledScreen(client);
            // Compared with what the dialog paints when made to paint all of itself now, not with the screen
            // before the drag: on a busy machine that was taken before the preview had shown its trace. That
            // the comparison tells a dialog left black, its client is first blackened through its own DC,
            // which asks for no repaint.
            const HDC dc = GetDC(dialog);
            RECT whole{};
            GetClientRect(dialog, &whole);
            FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            ReleaseDC(dialog, dc);
            blackenedShare = SameShare(SettledScreen(client), std::vector<DWORD>(after.size(), 0));
            RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            sameShare = SameShare(SettledScreen(client), after);
            blackShare = SameShare(after, std::vector<DWORD>(after.size(), 0));
            if (help && IsWindow(help))
                PostMessageW(help, WM_CLOSE, 0, 0);
            HostTests::ClickUntilGone(dialog, IDCANCEL);
        });
        EXPECT_EQ(L"&Settings...", HostTests::ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& text) {
                      return text == L"&Settings...";
                  }));
        ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return hand.done.load(); }));
    }
    ASSERT_TRUE(helpOpened);
    ASSERT_TRUE(draggedOver);
    ASSERT_TRUE(draggedAway);
    // What is looked at is the screen: while the help window lay over the dialog, the dialog's place showed it.
    EXPECT_LT(coveredShare, LeastSameShare);
    EXPECT_GT(blackenedShare, 0.5) << "the dialog's own DC did not reach the screen";
    EXPECT_GE(sameShare, LeastSameShare) << "black: " << blackShare;
}

} // namespace
