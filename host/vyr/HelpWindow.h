// The stand-in has no help files: a help request names its topic in a small window of the host's. The
// window opens beside the window that asked (the active window), moves by its caption, closes by its
// close box or Escape, and never covers the menu bar of the host's main window; a later request reuses it.
#pragma once

#include <windows.h>

#include <string>

namespace Vyr
{

// Where a window of that size goes beside owner: right of it, else left of it, else inside the work area
// at its right edge; its top level with the owner's, but never above lowestTop nor off the work area.
RECT PlaceBeside(const RECT& owner, SIZE size, const RECT& workArea, LONG lowestTop);

class HelpWindow
{
public:
    static constexpr SIZE Size{420, 140};

    HelpWindow() = default;
    ~HelpWindow();
    HelpWindow(const HelpWindow&) = delete;
    HelpWindow& operator=(const HelpWindow&) = delete;

    // Shows text under title beside the active window of this thread (main when there is none), below
    // main's menu bar.
    HRESULT Show(const std::wstring& title, const std::wstring& text, HWND main);
    // Null when it is not open.
    HWND Handle() const { return IsWindow(window_) ? window_ : nullptr; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::wstring text_;
};

} // namespace Vyr
