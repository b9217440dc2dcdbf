// Driving the frame as a person does: the display's own mouse input, put through the input queue, and
// the frame's messages handled until what the input does has happened.
#pragma once

#include "host/app/gui/FrameWindow.h"
#include "testsupport/RealInput.h"

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

// Handles the frame's messages for a while: for input whose effect cannot be asked for.
inline void Settle(Host::FrameWindow& frame, DWORD milliseconds = 300)
{
    const DWORD start = GetTickCount();
    PumpUntil(frame, [&] { return GetTickCount() - start >= milliseconds; });
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

// A number typed on the keyboard, its decimal point on the keypad.
inline void TypeText(const std::wstring& text)
{
    for (const wchar_t c : text)
        PressKey(c == L'.' ? VK_DECIMAL : static_cast<WORD>(c));
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
// acts on it, while the test's thread is held by the modal loop.
class SecondHand
{
public:
    SecondHand(std::function<HWND()> find, std::function<void(HWND)> act)
        : thread_([this, find = std::move(find), act = std::move(act)] {
              HWND found = nullptr;
              for (int wait = 0; wait < 1000 && !(found = find()); ++wait)
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

// The dialog of this process that holds a control with the id.
inline HWND DialogWithControl(int id)
{
    struct Search
    {
        int id;
        HWND found = nullptr;
    } search{id};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
                ClassOf(window) == L"#32770" && GetDlgItem(window, search.id))
                search.found = window;
            return search.found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Clicks the dialog's button until the dialog has gone (bounded; from a second hand). Under load a click
// can reach the dialog while an earlier one is still being handled, and be lost: the dialog would stay
// open and hold the test in its modal loop.
inline void ClickUntilGone(HWND dialog, int button)
{
    const POINT point = ScreenCentreOf(GetDlgItem(dialog, button));
    for (int wait = 0; wait < 500 && IsWindow(dialog) && IsWindowVisible(dialog); ++wait)
    {
        if (wait % 50 == 0)
            ClickAt(point);
        Sleep(20);
    }
}

inline std::wstring MenuItemText(HMENU menu, int position)
{
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, static_cast<int>(std::size(text)), MF_BYPOSITION);
    return text;
}

// Opens the frame's menu of that name (its "&" aside) and chooses the item whose text satisfies wanted,
// with the mouse; the item's text, empty when it was not there (the menu is then closed).
inline std::wstring ChooseMenuItem(Host::FrameWindow& frame, const std::wstring& menuName,
                                   const std::function<bool(const std::wstring&)>& wanted)
{
    HMENU bar = GetMenu(frame.Handle());
    int barPosition = 0;
    while (barPosition < GetMenuItemCount(bar))
    {
        std::wstring name = MenuItemText(bar, barPosition);
        std::erase(name, L'&');
        if (name == menuName)
            break;
        ++barPosition;
    }
    HMENU menu = GetSubMenu(bar, barPosition);
    if (!menu)
        return {};
    std::wstring chosen;
    RECT title{};
    GetMenuItemRect(frame.Handle(), bar, static_cast<UINT>(barPosition), &title);
    {
        SecondHand hand([] { return FindWindowW(L"#32768", nullptr); },
                        [&](HWND) {
                            Sleep(100);
                            for (int position = 0; position < GetMenuItemCount(menu); ++position)
                            {
                                const std::wstring text = MenuItemText(menu, position);
                                if (!wanted(text))
                                    continue;
                                RECT item{};
                                GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &item);
                                chosen = text;
                                ClickAt(CentreOf(item));
                                return;
                            }
                            // Closed as a person closes it: a click on its title again.
                            ClickAt(CentreOf(title));
                        });
        ClickAt(CentreOf(title));
        PumpUntil(frame, [&] { return hand.done.load(); });
    }
    Settle(frame);
    return chosen;
}

} // namespace HostTests
