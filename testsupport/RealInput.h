// Input as the display delivers it: the pointer moved and clicked, keys pressed, through the input queue
// rather than as messages sent to a window, so that capture, focus and z-order decide who gets it.
#pragma once

#include <windows.h>

namespace HostTests
{

inline void MovePointer(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &move, sizeof(INPUT));
}

inline void ClickAt(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    INPUT clicks[2]{};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
}

// Two clicks in one go, as the display makes a double-click of them.
inline void DoubleClickAt(POINT screen)
{
    ClickAt(screen);
    ClickAt(screen);
}

inline void PressKey(WORD key)
{
    INPUT strokes[2]{};
    strokes[0].type = strokes[1].type = INPUT_KEYBOARD;
    strokes[0].ki.wVk = strokes[1].ki.wVk = key;
    strokes[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, strokes, sizeof(INPUT));
}

// Presses the key that types c on the display's keyboard, with Shift where it needs it ('P', '(').
inline void PressCharacterKey(wchar_t c)
{
    const SHORT scan = VkKeyScanW(c);
    const bool shifted = scan != -1 && (scan & 0x100) != 0;
    const auto shift = [](DWORD flags) {
        INPUT stroke{};
        stroke.type = INPUT_KEYBOARD;
        stroke.ki.wVk = VK_SHIFT;
        stroke.ki.dwFlags = flags;
        SendInput(1, &stroke, sizeof(INPUT));
    };
    if (shifted)
        shift(0);
    PressKey(scan == -1 ? static_cast<WORD>(c) : static_cast<WORD>(scan & 0xFF));
    if (shifted)
        shift(KEYEVENTF_KEYUP);
}

// Hands each of the thread's messages to handle until done() holds, for at most timeout milliseconds: the
// display delivers input when it gets to it. The last answer of done().
template <class Done, class Handle>
bool HandleMessagesUntil(Done done, Handle handle, DWORD timeout)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            handle(message);
        if (done())
            return true;
        if (GetTickCount() - start > timeout)
            return false;
        Sleep(10);
    }
}

// Handles the thread's messages until done() holds, for at most timeout milliseconds; the last answer of
// done().
template <class Done>
bool PumpUntil(Done done, DWORD timeout = 3000)
{
    return HandleMessagesUntil(done, [](MSG& message) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }, timeout);
}

// Gives the input that give() makes until done() holds, handling the thread's messages between (bounded:
// under load a click, a press or a release can be lost); the last answer of done().
template <class Give, class Done>
bool InputUntil(Give give, Done done)
{
    constexpr int Attempts = 4;
    constexpr DWORD TakesWithin = 5000;
    bool held = false;
    for (int attempt = 0; attempt < Attempts && !held; ++attempt)
    {
        give();
        held = PumpUntil(done, TakesWithin);
    }
    return held;
}

inline POINT CentreOf(const RECT& place)
{
    return {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
}

} // namespace HostTests
