#include "controls/theme/UxTheme.h"

#include "foundation/com/XOrv.h"
#include "foundation/system/SystemInfo.h"

namespace OrvLinkingUtils
{

namespace
{

void ThrowOnFailure(HRESULT result, const wchar_t* text)
{
    if (FAILED(result))
        throw XOrv(Orv::String(text), ThemeCallFailed);
}

} // namespace

// Not entered in the module list: the library belongs to nobody's windows.
UxThemeDLL::UxThemeDLL() : OWL::TModule(L"uxtheme.dll", true, true, false) {}

UxThemeDLL& UxThemeDLL::Instance()
{
    static UxThemeDLL library;
    return library;
}

bool UxThemeDLL::IsAppThemed()
{
    return Orv::IsXPOrLater() && Call<BOOL>("IsAppThemed") != FALSE;
}

void UxThemeDLL::DrawBalloonFrame(HTHEME theme, HDC dc, int part, int state, const RECT& rect)
{
    ThrowOnFailure(DrawThemeBackground(theme, dc, part, state, rect), L"Error calling UxThemeDLL::DrawThemeBackground()");
}

void UxThemeDLL::DrawCloseButton(HTHEME theme, HDC dc, int part, int state, const RECT& rect)
{
    ThrowOnFailure(DrawThemeBackground(theme, dc, part, state, rect),
                   L"Error calling UxThemeDLL::DrawThemeBackground().");
}

SIZE UxThemeDLL::GetPartSize(HTHEME theme, HDC dc, int part, int state, const RECT* rect, THEMESIZE kind)
{
    SIZE size{};
    ThrowOnFailure(Call<HRESULT>("GetThemePartSize", theme, dc, part, state, rect, kind, &size),
                   L"Error calling UxThemeDLL::GetThemePartSize().");
    return size;
}

HRGN UxThemeDLL::GetBackgroundRegion(HTHEME theme, HDC dc, int part, int state, const RECT& rect)
{
    HRGN region = nullptr;
    ThrowOnFailure(Call<HRESULT>("GetThemeBackgroundRegion", theme, dc, part, state, &rect, &region),
                   L"Error calling UxThemeDLL::GetThemeBackgroundRegion().");
    return region;
}

RECT UxThemeDLL::GetTextExtent(HTHEME theme, HDC dc, int part, int state, const wchar_t* text, int length,
                               DWORD flags, const RECT* bounds)
{
    RECT extent{};
    ThrowOnFailure(Call<HRESULT>("GetThemeTextExtent", theme, dc, part, state, text, length, flags, bounds, &extent),
                   L"Error calling UxThemeDLL::GetThemeTextExtent().");
    return extent;
}

void UxThemeDLL::DrawText(HTHEME theme, HDC dc, int part, int state, const wchar_t* text, int length, DWORD flags,
                          const RECT& rect)
{
    ThrowOnFailure(Call<HRESULT>("DrawThemeText", theme, dc, part, state, text, length, flags, DWORD{0}, &rect),
                   L"Error calling UxThemeDLL::DrawThemeText().");
}

HTHEME UxThemeDLL::OpenThemeData(HWND window, const wchar_t* classList)
{
    return Call<HTHEME>("OpenThemeData", window, classList);
}

HRESULT UxThemeDLL::CloseThemeData(HTHEME theme)
{
    return Call<HRESULT>("CloseThemeData", theme);
}

HRESULT UxThemeDLL::DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT& rect)
{
    return Call<HRESULT>("DrawThemeBackground", theme, dc, part, state, &rect, static_cast<const RECT*>(nullptr));
}

HRESULT UxThemeDLL::GetThemeColor(HTHEME theme, int property, COLORREF* colour)
{
    constexpr int Part = 4;
    constexpr int State = 1;
    return Call<HRESULT>("GetThemeColor", theme, Part, State, property, colour);
}

HRESULT UxThemeDLL::DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect)
{
    return Call<HRESULT>("DrawThemeParentBackground", window, dc, rect);
}

HRESULT UxThemeDLL::EndBufferedAnimation(HANIMATIONBUFFER animation)
{
    return Call<HRESULT>("EndBufferedAnimation", animation, TRUE);
}

bool PaintBufferedTransition(HWND window, HDC dc, const RECT& rect, DWORD durationMs,
                             const std::function<void(HDC)>& paintFrom, const std::function<void(HDC)>& paintTo)
{
    UxThemeDLL& theme = UxThemeDLL::Instance();
    BP_ANIMATIONPARAMS animation{sizeof animation, 0, BPAS_LINEAR, durationMs};
    HDC from = nullptr, to = nullptr;
    const HANIMATIONBUFFER buffer =
        theme.Call<HANIMATIONBUFFER>("BeginBufferedAnimation", window, dc, &rect, BPBF_COMPATIBLEBITMAP,
                                     static_cast<BP_PAINTPARAMS*>(nullptr), &animation, &from, &to);
    if (!buffer)
        return false;
    if (from)
        paintFrom(from);
    if (to)
        paintTo(to);
    theme.EndBufferedAnimation(buffer);
    return true;
}

ShcoreDLL::ShcoreDLL() : OWL::TModule(L"shcore.dll", true, true, false) {}

ShcoreDLL& ShcoreDLL::Instance()
{
    static ShcoreDLL library;
    return library;
}

HRESULT ShcoreDLL::GetDpiForMonitor(HMONITOR monitor, int kind, UINT* dpiX, UINT* dpiY)
{
    return OWL::TModuleProc<HRESULT, HMONITOR, int, UINT*, UINT*>(*this, "GetDpiForMonitor")(monitor, kind, dpiX, dpiY);
}

} // namespace OrvLinkingUtils

ThemeDataHandle::~ThemeDataHandle()
{
    if (theme_)
        OrvLinkingUtils::UxThemeDLL::Instance().CloseThemeData(theme_);
}

HTHEME ThemeDataHandle::Get()
{
    if (!theme_)
    {
        theme_ = OrvLinkingUtils::UxThemeDLL::Instance().OpenThemeData(window_, className_.c_str());
        if (!theme_)
        {
            Orv::String text(L"Could not open theme data for the given class: ");
            text += className_;
            text += L".";
            throw XOrv(text, OrvLinkingUtils::ThemeCallFailed);
        }
    }
    return theme_;
}

void ThemeDataHandle::Close()
{
    if (!theme_)
        return;
    const HRESULT closed = OrvLinkingUtils::UxThemeDLL::Instance().CloseThemeData(theme_);
    theme_ = nullptr;
    if (FAILED(closed))
        throw XOrv(Orv::String(L"Failed to close theme data."), OrvLinkingUtils::ThemeCallFailed);
}
