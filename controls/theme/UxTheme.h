// Late-bound access to the platform's visual styles (uxtheme.dll) and per-monitor DPI (shcore.dll), and
// the theme handles the controls draw with. A control without visual styles draws its classic face; a
// failing theme call throws XOrv (0xA0048210) with a text that names the call.
#pragma once

#include "foundation/text/String.h"
#include "platform/owl/Module.h"

#include <uxtheme.h>
#include <windows.h>

#include <functional>

namespace OrvLinkingUtils
{

// The failure code of every throwing theme wrapper.
inline constexpr HRESULT ThemeCallFailed = static_cast<HRESULT>(0xA0048210);

// uxtheme.dll, loaded once per process on first use and kept to the end.
class UxThemeDLL : public OWL::TModule
{
public:
    static UxThemeDLL& Instance();

    // False without visual styles (before Windows XP); else the platform's answer.
    bool IsAppThemed();

    // Throwing wrappers: each throws XOrv with its own text when the call returns a failure.
    void DrawBalloonFrame(HTHEME theme, HDC dc, int part, int state, const RECT& rect);
    void DrawCloseButton(HTHEME theme, HDC dc, int part, int state, const RECT& rect);
    SIZE GetPartSize(HTHEME theme, HDC dc, int part, int state, const RECT* rect, THEMESIZE kind);
    HRGN GetBackgroundRegion(HTHEME theme, HDC dc, int part, int state, const RECT& rect);
    RECT GetTextExtent(HTHEME theme, HDC dc, int part, int state, const wchar_t* text, int length, DWORD flags,
                       const RECT* bounds);
    void DrawText(HTHEME theme, HDC dc, int part, int state, const wchar_t* text, int length, DWORD flags,
                  const RECT& rect);

    // Plain wrappers: the platform's result passed back unchecked.
    HTHEME OpenThemeData(HWND window, const wchar_t* classList);
    HRESULT CloseThemeData(HTHEME theme);
    HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT& rect);
    HRESULT GetThemeColor(HTHEME theme, int property, COLORREF* colour);
    HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect);
    HRESULT EndBufferedAnimation(HANIMATIONBUFFER animation);

    // Any further export, resolved by name on its first call.
    template <class Result, class... Args>
    Result Call(const char* name, Args... args)
    {
        return OWL::TModuleProc<Result, Args...>(*this, name)(args...);
    }

private:
    UxThemeDLL();
};

// shcore.dll, for the effective DPI of a monitor.
class ShcoreDLL : public OWL::TModule
{
public:
    static ShcoreDLL& Instance();
    HRESULT GetDpiForMonitor(HMONITOR monitor, int kind, UINT* dpiX, UINT* dpiY);

private:
    ShcoreDLL();
};

// Paints rect as a linear fade from one look to the other over durationMs through the visual styles'
// buffered animation (0 paints the second look at once). False when no animation could begin: nothing
// was painted, and the caller paints the look it wants directly.
bool PaintBufferedTransition(HWND window, HDC dc, const RECT& rect, DWORD durationMs,
                             const std::function<void(HDC)>& paintFrom, const std::function<void(HDC)>& paintTo);

} // namespace OrvLinkingUtils

// The theme data of one window for one theme class, opened on first use.
class ThemeDataHandle
{
public:
    ThemeDataHandle(HWND window, const wchar_t* className) : window_(window), className_(className) {}
    ~ThemeDataHandle();
    ThemeDataHandle(const ThemeDataHandle&) = delete;
    ThemeDataHandle& operator=(const ThemeDataHandle&) = delete;

    // Opens the theme on first use; throws when it cannot be opened.
    HTHEME Get();
    // Closes an open theme (after WM_THEMECHANGED the next Get opens it again); throws when that fails.
    void Close();
    bool IsOpen() const { return theme_ != nullptr; }
    void SetWindow(HWND window) { window_ = window; }

private:
    HWND window_;
    Orv::String className_;
    HTHEME theme_ = nullptr;
};
