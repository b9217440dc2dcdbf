#include "controls/theme/DpiAndFonts.h"

#include "controls/theme/UxTheme.h"
#include "foundation/system/GdiObjects.h"
#include "foundation/system/ShellDlgFont.h"
#include "foundation/system/SystemInfo.h"
#include "platform/owl/Application.h"

#include <cwchar>

namespace
{

constexpr int MdtEffectiveDpi = 0;
constexpr int PointsPerInch = 72;
constexpr int DefaultDpi = 96;
constexpr LONG BoldWeight = 700;
constexpr LONG NormalWeight = 400;
constexpr wchar_t ShellDlgFace[] = L"MS Shell Dlg 2";

int dpiX = 0;
int dpiY = 0;

int DefaultPoints(int points)
{
    if (points != 0)
        return points;
    const OWL::TApplication* application = OWL::TApplication::Current();
    const WORD primary = PRIMARYLANGID(application ? application->GetLangId() : 0);
    return primary == LANG_CHINESE || primary == LANG_JAPANESE ? 12 : 10;
}

// A font that is rotated, or meant for a printer or metafile, must be a TrueType one to come out right.
BYTE OutPrecision(HDC dc, int escapement)
{
    const bool rasterDisplay = !dc || GetDeviceCaps(dc, TECHNOLOGY) == DT_RASDISPLAY;
    return escapement != 0 || !rasterDisplay ? OUT_TT_ONLY_PRECIS : OUT_DEFAULT_PRECIS;
}

LOGFONTW ShellDlgLogFont(HDC dc, int height, int escapement, bool italic)
{
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfEscapement = escapement;
    font.lfOrientation = escapement;
    font.lfWeight = NormalWeight;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OutPrecision(dc, escapement);
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    wcsncpy(font.lfFaceName, ShellDlgFace, LF_FACESIZE - 1);
    return font;
}

int PointsToLogicalOnScreenOr(HDC dc, int points)
{
    if (dc)
        return PointsToLogical(dc, points);
    const Orv::ScreenDc screen;
    return screen.Get() ? PointsToLogical(screen.Get(), points) : MulDiv(points, DefaultDpi, PointsPerInch);
}

} // namespace

std::pair<int, int> GetScreenDpi()
{
    if (dpiX == 0 || dpiY == 0)
    {
        const Orv::ScreenDc screen;
        dpiX = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : DefaultDpi;
        dpiY = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : DefaultDpi;
    }
    return {dpiX, dpiY};
}

void SetScreenDpi(int x, int y)
{
    dpiX = x;
    dpiY = y;
}

std::pair<int, int> GetWindowDpi(HWND window)
{
    if (window && Orv::IsWindows8Point1OrGreater())
    {
        // A window that is on no monitor (hidden, or between displays) has no DPI of its own: the
        // screen's serves instead of a zero that would make every size vanish.
        if (HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONULL))
        {
            UINT x = 0;
            UINT y = 0;
            if (SUCCEEDED(OrvLinkingUtils::ShcoreDLL::Instance().GetDpiForMonitor(monitor, MdtEffectiveDpi, &x, &y)) &&
                x != 0 && y != 0)
            {
                dpiX = static_cast<int>(x);
                dpiY = static_cast<int>(y);
                return {dpiX, dpiY};
            }
        }
    }
    return GetScreenDpi();
}

int PointsToLogical(HDC dc, int points)
{
    SIZE window{1, 1};
    SIZE viewport{1, 1};
    GetWindowExtEx(dc, &window);
    GetViewportExtEx(dc, &viewport);
    return MulDiv(MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), PointsPerInch), window.cx, viewport.cx);
}

int PointsToLogical(const OWL::TDC& dc, int points)
{
    return PointsToLogical(dc.GetHDC(), points);
}

OWL::TFont ConstructShellDlgFont(const OWL::TDC& dc, int points, int escapement)
{
    return OWL::TFont(ShellDlgLogFont(dc.GetHDC(), PointsToLogical(dc, DefaultPoints(points)), escapement, false));
}

OWL::TFont CreateShellDlgFontForPoints(HDC dc, int points, bool bold, bool underline)
{
    LOGFONTW font = ShellDlgLogFont(dc, PointsToLogicalOnScreenOr(dc, DefaultPoints(points)), 0, false);
    font.lfWeight = bold ? BoldWeight : NormalWeight;
    font.lfUnderline = underline ? TRUE : FALSE;
    return OWL::TFont(font);
}

bool CreateShellDlgFontFromPoints(HDC dc, HFONT* font, int points, int escapement, int ignored, bool italic)
{
    return CreateShellDlgFontIndirect(dc, font, PointsToLogicalOnScreenOr(dc, DefaultPoints(points)), escapement,
                                      ignored, italic);
}

bool CreateShellDlgFontIndirect(HDC dc, HFONT* font, int height, int escapement, int, bool italic)
{
    if (!font)
        return false;
    const LOGFONTW logFont = ShellDlgLogFont(dc, height, escapement, italic);
    *font = CreateFontIndirectW(&logFont);
    return *font != nullptr;
}

SIZE GetFontCharSize(const OWL::TFont& font)
{
    const Orv::FontCharSize size = ::GetFontCharSize(font.GetHandle());
    return {size.averageWidth, size.lineHeight};
}

RECT GetMonitorWorkArea(const RECT& rect)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

void KeepRectOnMonitor(RECT& rect)
{
    const RECT work = GetMonitorWorkArea(rect);
    if (rect.bottom > work.bottom)
        OffsetRect(&rect, 0, work.bottom - rect.bottom);
    if (rect.right > work.right)
        OffsetRect(&rect, work.right - rect.right, 0);
    if (rect.top < work.top)
        OffsetRect(&rect, 0, work.top - rect.top);
    if (rect.left < work.left)
        OffsetRect(&rect, work.left - rect.left, 0);
}

void WindowPlacementMemory::Place(HWND window)
{
    result = 0;
    RECT current{};
    GetWindowRect(window, &current);
    const LONG width = current.right - current.left;
    const LONG height = current.bottom - current.top;
    const bool sameSize = valid && remembered.right - remembered.left == width &&
                          remembered.bottom - remembered.top == height;
    if (!sameSize)
    {
        const RECT work = GetMonitorWorkArea(current);
        const LONG left = (work.left + work.right) / 2 - width / 2;
        const LONG top = (work.top + work.bottom) / 2 - height / 2;
        remembered = {left, top, left + width, top + height};
        KeepRectOnMonitor(remembered);
        valid = 1;
    }
    RECT target = remembered;
    KeepRectOnMonitor(target);
    MoveWindow(window, target.left, target.top, target.right - target.left, target.bottom - target.top, TRUE);
}
