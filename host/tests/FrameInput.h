// Driving the frame as a person does: the display's own mouse input, put through the input queue, and
// the frame's messages handled until what the input does has happened.
#pragma once

#include "host/app/gui/FrameWindow.h"
#include "testsupport/RealInput.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace HostTests
{

// Handles the frame's messages (and follows its document) until done() holds; false when it did not
// within the limit, which only bounds a failing test.
template <class Done>
bool PumpUntil(Host::FrameWindow& frame, Done done, DWORD limitMilliseconds = 20000)
{
    return PumpUntil(
        [&] {
            frame.FollowDocument();
            return done();
        },
        limitMilliseconds);
}

// Gives the input that give() makes until done() holds, handling the frame's messages between (bounded:
// under load a click, a press or a release can be lost); the last answer of done().
template <class Give, class Done>
bool InputUntil(Host::FrameWindow& frame, Give give, Done done)
{
    return InputUntil(give, [&] {
        frame.FollowDocument();
        return done();
    });
}

// Clicks at point until done() holds (bounded); the last answer of done().
template <class Done>
bool ClickUntil(Host::FrameWindow& frame, POINT point, Done done)
{
    return InputUntil(frame, [point] { ClickAt(point); }, done);
}

// The frame's views area scrolled, by clicks on its scroll bar's arrows, until the view's frame lies whole
// in it. The bounds only end a failing test well inside its shard's time: a click lost under load is
// given again after a while.
inline void ScrollIntoSight(Host::FrameWindow& frame, HWND view)
{
    constexpr int MostClicks = 40;
    constexpr DWORD ClickAnswerLimit = 5000;
    const HWND area = GetParent(view);
    for (int click = 0; click < MostClicks; ++click)
    {
        RECT place{}, shown{};
        GetWindowRect(view, &place);
        GetClientRect(area, &shown);
        MapWindowPoints(area, nullptr, reinterpret_cast<POINT*>(&shown), 2);
        const bool above = place.top < shown.top;
        if (!above && place.bottom <= shown.bottom)
            return;
        SCROLLBARINFO bar{sizeof bar};
        ASSERT_TRUE(GetScrollBarInfo(area, OBJID_VSCROLL, &bar)) << "a view out of sight, and no scroll bar";
        const int position = GetScrollPos(area, SB_VERT);
        const int arrow = GetSystemMetrics(SM_CYVSCROLL) / 2;
        ClickAt(POINT{(bar.rcScrollBar.left + bar.rcScrollBar.right) / 2,
                      above ? bar.rcScrollBar.top + arrow : bar.rcScrollBar.bottom - arrow});
        PumpUntil(frame, [&] { return GetScrollPos(area, SB_VERT) != position; }, ClickAnswerLimit);
    }
    ADD_FAILURE() << "the view did not come into sight";
}

// Where the thread took mouse messages from its queue (on the screen), whatever loop took them (a menu's,
// a window's with the capture), while one of these is alive: the last one, and the last press, double-click
// and release of the left button.
class TakenPointer
{
public:
    TakenPointer() : hook_(SetWindowsHookExW(WH_GETMESSAGE, Note, nullptr, GetCurrentThreadId()))
    {
        last_ = pressed_ = doubled_ = released_ = {-1, -1};
    }
    ~TakenPointer() { UnhookWindowsHookEx(hook_); }
    TakenPointer(const TakenPointer&) = delete;
    TakenPointer& operator=(const TakenPointer&) = delete;
    static bool LastAt(POINT point) { return Same(last_, point); }
    static bool ClickedAt(POINT point) { return Same(pressed_, point) && Same(released_, point); }
    static bool DoubleClickedAt(POINT point) { return Same(doubled_, point); }

private:
    static bool Same(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }
    static LRESULT CALLBACK Note(int code, WPARAM removal, LPARAM message)
    {
        const MSG& taken = *reinterpret_cast<const MSG*>(message);
        const bool mouse = taken.message >= WM_MOUSEFIRST && taken.message <= WM_MOUSELAST;
        if (code == HC_ACTION && removal == PM_REMOVE && mouse)
        {
            last_ = taken.pt;
            if (taken.message == WM_LBUTTONDOWN || taken.message == WM_LBUTTONDBLCLK)
                pressed_ = taken.pt;
            if (taken.message == WM_LBUTTONDBLCLK)
                doubled_ = taken.pt;
            else if (taken.message == WM_LBUTTONUP)
                released_ = taken.pt;
        }
        return CallNextHookEx(nullptr, code, removal, message);
    }
    HHOOK hook_;
    static inline POINT last_{-1, -1}, pressed_{-1, -1}, doubled_{-1, -1}, released_{-1, -1};
};

// Moves the pointer to point until the window under it (or the one with the capture) has been handed a
// mouse message there (bounded: a move can be lost under load); whether it has.
inline bool MovePointerUntilTaken(Host::FrameWindow& frame, POINT point)
{
    const TakenPointer taken;
    return InputUntil(frame, [point] { MovePointer(point); }, [point] { return TakenPointer::LastAt(point); });
}

// Clicks at point until the window under it has been handed the click's press and release, and the click
// handled: for a click that must change nothing, which a lost click would pass. Whether it has.
inline bool ClickUntilTaken(Host::FrameWindow& frame, POINT point)
{
    const TakenPointer taken;
    return ClickUntil(frame, point, [point] { return TakenPointer::ClickedAt(point); });
}

// Double-clicks at point until the window under it has been handed the second press as a double-click, and
// handled it (bounded): for a double-click that must change nothing. Whether it has.
inline bool DoubleClickUntilTaken(Host::FrameWindow& frame, POINT point)
{
    const TakenPointer taken;
    return InputUntil(
        frame, [point] { DoubleClickAt(point); }, [point] { return TakenPointer::DoubleClickedAt(point); });
}

inline void SendMouse(DWORD flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
}

// The left button pressed at from, the pointer moved to to in steps, and released there.
inline void DragFromTo(POINT from, POINT to, int steps = 8)
{
    SetCursorPos(from.x, from.y);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= steps; ++step)
        SetCursorPos(from.x + (to.x - from.x) * step / steps, from.y + (to.y - from.y) * step / steps);
    SendMouse(MOUSEEVENTF_LEFTUP);
}

// A drag across the middle third of the window's client area, at half its height.
inline void DragAcrossTheMiddle(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    POINT from{client.right / 3, client.bottom / 2}, to{2 * client.right / 3, client.bottom / 2};
    ClientToScreen(window, &from);
    ClientToScreen(window, &to);
    DragFromTo(from, to);
}

// Drags across the middle of the window until done() holds (bounded); the last answer of done().
template <class Done>
bool DragAcrossTheMiddleUntil(Host::FrameWindow& frame, HWND window, Done done)
{
    return InputUntil(frame, [window] { DragAcrossTheMiddle(window); }, done);
}

// A number typed on the keyboard, its decimal point on the keypad.
inline void TypeText(const std::wstring& text)
{
    for (const wchar_t c : text)
    {
        if (c == L'.')
            PressKey(VK_DECIMAL);
        else if (c >= L'0' && c <= L'9')
            PressKey(static_cast<WORD>(c));
        else
            PressCharacterKey(c);
    }
}

inline POINT ScreenCentreOf(HWND window)
{
    RECT place{};
    GetWindowRect(window, &place);
    return CentreOf(place);
}

// A point of row in a list box, x pixels from its left, on the screen.
inline POINT ListRowPoint(HWND list, int row, int x)
{
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    POINT point{item.left + x, (item.top + item.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
}

inline std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

inline std::wstring ClassOf(HWND window)
{
    wchar_t name[128] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

// Calls visit with every child of parent (at any depth) until it answers false.
template <class Visit>
void VisitChildren(HWND parent, Visit visit)
{
    EnumChildWindows(
        parent, [](HWND child, LPARAM data) -> BOOL { return (*reinterpret_cast<Visit*>(data))(child); },
        reinterpret_cast<LPARAM>(&visit));
}

// The first visible child of parent (at any depth) that matches.
template <class Match>
HWND FindVisibleChild(HWND parent, Match match)
{
    HWND found = nullptr;
    VisitChildren(parent, [&](HWND child) {
        if (IsWindowVisible(child) && match(child))
            found = child;
        return found == nullptr;
    });
    return found;
}

// Whether the thread has nothing left to handle now: no message sent or posted to it, no input in its
// queue, no window of it waiting to be painted. The display queues input given through it (a click, a key,
// the pointer set) on the window's thread before the call that gives it returns, so once this holds the
// thread has taken all input given so far. A timer that has come due is left out: a view that looks for
// news on a timer of its own never lets that queue run dry for long.
inline bool NothingLeftToHandle()
{
    return HIWORD(GetQueueStatus(QS_ALLINPUT & ~QS_TIMER)) == 0;
}

// The workflow's step panes: its column's children numbered from this id. An open step's pane shows its
// page, a dialog, below its title.
constexpr int FirstStepPane = 113;

// Whether the workflow's step panes stand still. A pane opens and closes over a few beats of a timer:
// opening, it grows until it ends at its page's foot; closing, it shrinks to its title and then lets its
// page go. At rest at most one pane shows a page, and it ends at the page's foot.
inline bool StepPanesAtRest(Host::FrameWindow& frame)
{
    const Host::ViewFrame* workflow = frame.FindView(L"Sistra Workflow");
    HWND first = nullptr;
    if (workflow)
        VisitChildren(workflow->ViewWindow(), [&](HWND child) {
            first = GetDlgCtrlID(child) == FirstStepPane ? child : nullptr;
            return first == nullptr;
        });
    if (!first)
        return true;
    int open = 0;
    for (HWND pane = GetWindow(first, GW_HWNDFIRST); pane; pane = GetWindow(pane, GW_HWNDNEXT))
    {
        const HWND page = GetDlgCtrlID(pane) >= FirstStepPane ? FindWindowExW(pane, nullptr, L"#32770", nullptr) : nullptr;
        if (!page)
            continue;
        RECT paneClient{}, pageClient{}, pagePlace{};
        GetClientRect(pane, &paneClient);
        GetClientRect(page, &pageClient);
        GetWindowRect(page, &pagePlace);
        MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&pagePlace), 2);
        if (++open > 1 || paneClient.bottom != pagePlace.top + pageClient.bottom)
            return false;
    }
    return true;
}

// Handles the frame's messages until the input given so far has been taken and what it caused has been
// handled: the thread has nothing left to handle and the workflow's panes stand still. Bounded only to
// end a failing test.
inline void Settle(Host::FrameWindow& frame)
{
    EXPECT_TRUE(PumpUntil(frame, [&] { return NothingLeftToHandle() && StepPanesAtRest(frame); }))
        << "the frame's thread kept finding messages to handle, or a step's pane kept moving";
}

// The visible child of parent of that class that lies highest on the screen; null when none is.
inline HWND TopmostChildOfClass(HWND parent, const wchar_t* className)
{
    HWND found = nullptr;
    LONG top = LONG_MAX;
    VisitChildren(parent, [&](HWND child) {
        RECT place{};
        GetWindowRect(child, &place);
        if (ClassOf(child) == className && IsWindowVisible(child) && place.top < top)
            found = child, top = place.top;
        return true;
    });
    return found;
}

// The visible top-level window of this thread of that class; null when none is.
inline HWND ThreadWindowOfClass(const wchar_t* className)
{
    struct Search
    {
        const wchar_t* className;
        HWND found = nullptr;
    } search{className};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            if (IsWindowVisible(window) && ClassOf(window) == search.className)
            {
                search.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A second hand for what runs modally (a menu, a dialog): it waits for the window that find gives, then
// acts on it, while the test's thread is held by the modal loop. It waits as long as choosing from a menu
// may take with its retries (ChooseFromMenu): a dialog that shows after the hand has given up holds the
// test for good.
class SecondHand
{
public:
    SecondHand(std::function<HWND()> find, std::function<void(HWND)> act)
        : thread_([this, find = std::move(find), act = std::move(act)] {
              HWND found = nullptr;
              for (int wait = 0; wait < 6000 && !(found = find()); ++wait)
                  Sleep(20);
              if (found)
              {
                  act(found);
                  done = true;
              }
          })
    {
    }
    ~SecondHand() { thread_.join(); }
    std::atomic<bool> done = false;

private:
    std::thread thread_;
};

// The first visible top-level window of this process that matches; null when none is.
template <class Match>
HWND ProcessWindow(Match match)
{
    HWND found = nullptr;
    const auto visit = [&](HWND window) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) && match(window))
            found = window;
        return found == nullptr;
    };
    EnumWindows([](HWND window, LPARAM data) -> BOOL { return (*reinterpret_cast<decltype(visit)*>(data))(window); },
                reinterpret_cast<LPARAM>(&visit));
    return found;
}

// The dialog of this process that holds a control with the id.
inline HWND DialogWithControl(int id)
{
    return ProcessWindow([id](HWND window) { return ClassOf(window) == L"#32770" && GetDlgItem(window, id); });
}

// The menu of this process on the screen (a popup of the bar or a context menu); null when none is.
inline HWND ShownMenu()
{
    return ProcessWindow([](HWND window) { return ClassOf(window) == L"#32768"; });
}

// Polls found() until it holds (bounded); its last answer.
template <class Found>
auto WaitFor(Found found, int limitMilliseconds)
{
    auto answer = found();
    for (int waited = 0; !answer && waited < limitMilliseconds; waited += 20)
    {
        Sleep(20);
        answer = found();
    }
    return answer;
}

// Whether keys given now go to window or a control in it: its top-level window in front and the focus of
// its thread there. A dialog shows before it is in front and has its focus on its first control.
inline bool HasKeyboard(HWND window)
{
    GUITHREADINFO info{sizeof info};
    return GetForegroundWindow() == GetAncestor(window, GA_ROOT) &&
           GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
           (info.hwndFocus == window || IsChild(window, info.hwndFocus));
}

// Clicks the control until keys go to it (bounded; from a second hand while its dialog runs modally: a
// dialog shows before it is in front and has put its focus on its first control). Whether they do.
inline bool ClickUntilKeysGoTo(HWND control)
{
    constexpr int Clicks = 8, FocusWithin = 2000;
    for (int clicked = 0; clicked < Clicks && !HasKeyboard(control); ++clicked)
    {
        ClickAt(ScreenCentreOf(control));
        WaitFor([control] { return HasKeyboard(control); }, FocusWithin);
    }
    return HasKeyboard(control);
}

// Types text in place of the edit's, as a person does (a click in it, End, a backspace per character, the
// text), until the edit shows it (bounded: a key can be lost under load, and is then typed again). No key
// is given before the edit has the focus: keys typed into the field that had it would change that field.
inline bool RetypeUntilShown(HWND edit, const std::wstring& text)
{
    constexpr int Attempts = 4, ShownWithin = 3000;
    for (int attempt = 0; attempt < Attempts; ++attempt)
    {
        if (!ClickUntilKeysGoTo(edit))
            return false;
        PressKey(VK_END);
        for (size_t typed = WindowText(edit).size(); typed > 0; --typed)
            PressKey(VK_BACK);
        TypeText(text);
        if (PumpUntil([&] { return WindowText(edit) == text; }, ShownWithin))
            return true;
    }
    return false;
}

// Clicks the dialog's button until done() holds (bounded; from a second hand, while the dialog holds the
// test's thread in its modal loop): under load a click can reach the dialog while an earlier one is still
// being handled, and be lost. Whether done() held.
template <class Done>
bool ClickButtonUntil(HWND dialog, int button, Done done)
{
    for (int wait = 0; wait < 500 && !done(); ++wait)
    {
        // Where the button is now: a dialog can still be placed or sized after it has shown.
        if (wait % 50 == 0)
            ClickAt(ScreenCentreOf(GetDlgItem(dialog, button)));
        Sleep(20);
    }
    return done();
}

// Clicks the dialog's button until the dialog has gone: a dialog left open would hold the test in its
// modal loop until the run's time-out, with no test named. One that no click closed is told to end as
// its button would end it, and the test fails with the button's id.
inline void ClickUntilGone(HWND dialog, int button)
{
    const auto gone = [dialog] { return !IsWindow(dialog) || !IsWindowVisible(dialog); };
    if (ClickButtonUntil(dialog, button, gone))
        return;
    ADD_FAILURE() << "no click on button " << button << " closed the dialog";
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    if (!WaitFor(gone, 5000))
        PostMessageW(dialog, WM_CLOSE, 0, 0);
}

// Clicks the dialog's check box or radio button until it reads state (BST_CHECKED, BST_UNCHECKED).
inline bool ClickUntilChecked(HWND dialog, int button, UINT state)
{
    return ClickButtonUntil(dialog, button, [&] { return IsDlgButtonChecked(dialog, button) == state; });
}

// Chooses the drop-down list's item with the keyboard, as a person does (the list dropped by a click, the
// arrows to the item, Enter), again while the list is not closed on it (bounded: under load a click or a
// key can be lost). From the list's own thread, or a second hand's while a dialog holds that thread. Whether
// it is.
inline bool ChooseListItem(HWND list, int item)
{
    constexpr int Attempts = 4;
    constexpr DWORD TakesWithin = 3000;
    const auto dropped = [list] { return SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0; };
    const auto chosen = [&] { return !dropped() && SendMessageW(list, CB_GETCURSEL, 0, 0) == item; };
    for (int attempt = 0; attempt < Attempts && !chosen(); ++attempt)
    {
        if (!dropped())
            ClickAt(ScreenCentreOf(list));
        if (!PumpUntil(dropped, TakesWithin))
            continue;
        for (LRESULT at = SendMessageW(list, CB_GETCURSEL, 0, 0); at != item; at += at < item ? 1 : -1)
            PressKey(at < item ? VK_DOWN : VK_UP);
        PressKey(VK_RETURN);
        PumpUntil(chosen, TakesWithin);
    }
    return chosen();
}

inline std::wstring MenuItemText(HMENU menu, int position)
{
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, static_cast<int>(std::size(text)), MF_BYPOSITION);
    return text;
}

// Whether the thread is in a menu's modal loop (which goes on after its popup has closed, while the
// bar's title stays selected).
inline bool InMenuLoop(DWORD thread)
{
    GUITHREADINFO info{sizeof info};
    return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMENUMODE);
}

// The position of the menu's first item whose text satisfies wanted; -1 when none does.
inline int MenuItemPosition(HMENU menu, const std::function<bool(const std::wstring&)>& wanted)
{
    for (int position = 0; position < GetMenuItemCount(menu); ++position)
        if (wanted(MenuItemText(menu, position)))
            return position;
    return -1;
}

// Where the shown menu has its item at position, on the screen, once the menu is laid out there; an empty
// rectangle before (a click there could close the menu without a choice).
inline RECT ShownItemPlace(HWND shown, HMENU menu, int position)
{
    RECT item{}, window{}, inside{};
    GetWindowRect(shown, &window);
    if (!GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &item) || !IntersectRect(&inside, &item, &window) ||
        !EqualRect(&inside, &item))
        return {};
    return item;
}

// Brings a menu up with open until one shows (bounded: the input that opens it can be lost); its window,
// null when none showed.
inline HWND OpenMenu(const std::function<void()>& open)
{
    constexpr int Opens = 4, ShowsWithin = 5000;
    HWND shown = nullptr;
    for (int opened = 0; opened < Opens && !shown; ++opened)
    {
        open();
        shown = WaitFor(ShownMenu, ShowsWithin);
    }
    return shown;
}

// Clicks the shown menu's item at position (Escape without one) until the menu's loop in the thread has
// ended (bounded: a click can be lost); whether it has.
inline bool CloseMenuWith(DWORD thread, HWND shown, HMENU menu, int position)
{
    constexpr int Clicks = 8, ClickTakesWithin = 2000;
    const auto ended = [thread] { return !InMenuLoop(thread); };
    for (int clicked = 0; clicked < Clicks && !ended(); ++clicked)
    {
        const RECT item = position < 0 ? RECT{} : ShownItemPlace(shown, menu, position);
        if (!IsRectEmpty(&item))
            ClickAt(CentreOf(item));
        else if (position < 0)
            PressKey(VK_ESCAPE);
        WaitFor(ended, ClickTakesWithin);
    }
    return ended();
}

// Chooses with the mouse the item whose text satisfies wanted from the menu that open brings up (a click
// on a title of the bar, a right click on a row), while this thread handles the frame's messages and the
// menu's modal loop. Under load input can be lost: a second hand opens the menu again when it did not
// show, and clicks the item again while the menu's loop goes on. The item's text; empty when the menu
// never showed or showed without it (it is then closed with Escape).
inline std::wstring ChooseFromMenu(Host::FrameWindow& frame, const std::function<void()>& open,
                                   const std::function<bool(const std::wstring&)>& wanted)
{
    const DWORD frameThread = GetCurrentThreadId();
    std::wstring chosen;
    std::atomic<bool> done = false;
    std::thread hand([&] {
        if (const HWND shown = OpenMenu(open))
        {
            const auto menu = reinterpret_cast<HMENU>(SendMessageW(shown, MN_GETHMENU, 0, 0));
            // Its text is read while it is shown: its owner may destroy it once it has closed.
            const int position = MenuItemPosition(menu, wanted);
            const std::wstring text = position < 0 ? std::wstring() : MenuItemText(menu, position);
            if (CloseMenuWith(frameThread, shown, menu, position))
                chosen = text;
        }
        done = true;
    });
    PumpUntil(frame, [&] { return done.load(); }, 120000);
    hand.join();
    Settle(frame);
    return chosen;
}

// Opens the frame's menu of that name (its "&" aside) and chooses the item whose text satisfies wanted,
// with the mouse; the item's text, empty when it was not there (the menu is then closed).
inline std::wstring ChooseMenuItem(Host::FrameWindow& frame, const std::wstring& menuName,
                                   const std::function<bool(const std::wstring&)>& wanted)
{
    HMENU bar = GetMenu(frame.Handle());
    const int title = MenuItemPosition(bar, [&](std::wstring name) {
        std::erase(name, L'&');
        return name == menuName;
    });
    RECT place{};
    if (title < 0 || !GetMenuItemRect(frame.Handle(), bar, static_cast<UINT>(title), &place))
        return {};
    return ChooseFromMenu(frame, [&] { ClickAt(CentreOf(place)); }, wanted);
}

inline void EmptyTheClipboard()
{
    if (OpenClipboard(nullptr))
    {
        EmptyClipboard();
        CloseClipboard();
    }
}

// The clipboard's text; empty when it holds none.
inline std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
    {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

} // namespace HostTests
