#include "ToolCaption.h"

#include "foundation/system/GdiObjects.h"

#include <algorithm>
#include <string>

namespace Vyr::ToolCaption
{

namespace
{

// Window properties: whether the caption shows active, and whether a press on the close box waits for
// its release.
constexpr const wchar_t* ActiveProperty = L"SistraCaptionActive";
constexpr const wchar_t* PressedProperty = L"SistraCaptionClosePressed";
constexpr int BoxMargin = 2;   // between the close box and the caption's edges, pixels
constexpr int CrossInset = 2;  // between the box's edge and the cross's ends, pixels
constexpr int TextIndent = 4;  // before the title, pixels

bool HasCaption(HWND window)
{
    return (GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

// The caption strip in screen coordinates: the client area's width between the side frames, the small
// caption's height above the client area.
RECT CaptionStrip(HWND window)
{
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const LONG frame = client.left - outer.left;
    return RECT{client.left, client.top - GetSystemMetrics(SM_CYSMCAPTION), outer.right - frame, client.top};
}

RECT BoxIn(const RECT& strip)
{
    // The strip's last row is the line under the caption.
    const LONG side = std::max<LONG>(0, strip.bottom - 1 - strip.top - 2 * BoxMargin);
    return RECT{strip.right - BoxMargin - side, strip.top + BoxMargin, strip.right - BoxMargin,
                strip.top + BoxMargin + side};
}

bool ShownActive(HWND window)
{
    if (HANDLE active = GetPropW(window, ActiveProperty))
        return active == reinterpret_cast<HANDLE>(2);
    return GetActiveWindow() == window;
}

void DrawCross(HDC dc, const RECT& box)
{
    const Orv::UniquePen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT)));
    const Orv::SelectedObject selected(dc, pen.Get());
    const LONG left = box.left + CrossInset, top = box.top + CrossInset;
    const LONG last = std::max<LONG>(0, std::min(box.right - box.left, box.bottom - box.top) - 2 * CrossInset - 1);
    // Two pixels thick: each stroke twice, a pixel apart; LineTo leaves out its end point.
    for (LONG shift : {0, 1})
    {
        Orv::StrokeLines(dc, {{left + shift, top}, {left + shift + last, top + last + 1}});
        Orv::StrokeLines(dc, {{left + shift + last, top}, {left + shift - 1, top + last + 1}});
    }
}

void Paint(HWND window)
{
    if (!HasCaption(window))
        return;
    RECT outer{};
    GetWindowRect(window, &outer);
    RECT strip = CaptionStrip(window);
    OffsetRect(&strip, -outer.left, -outer.top);
    HDC dc = GetWindowDC(window);
    if (!dc)
        return;
    const bool active = ShownActive(window);
    RECT fill = strip;
    fill.bottom -= 1;
    FillRect(dc, &fill, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    RECT line{strip.left, strip.bottom - 1, strip.right, strip.bottom};
    FillRect(dc, &line, GetSysColorBrush(COLOR_3DFACE));

    RECT box = BoxIn(strip);
    FillRect(dc, &box, GetSysColorBrush(COLOR_3DFACE));
    RECT edge = box;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    DrawCross(dc, box);

    NONCLIENTMETRICSW metrics{sizeof metrics};
    Orv::UniqueGdiObject<HFONT> font;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font.Reset(CreateFontIndirectW(&metrics.lfSmCaptionFont));
    {
        const Orv::SelectedObject selected(dc, font ? font.Get() : GetStockObject(DEFAULT_GUI_FONT));
        const int length = GetWindowTextLengthW(window);
        std::wstring title(static_cast<size_t>(length) + 1, L'\0');
        title.resize(static_cast<size_t>(GetWindowTextW(window, title.data(), length + 1)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        RECT text{fill.left + TextIndent, fill.top, box.left - BoxMargin, fill.bottom};
        DrawTextW(dc, title.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    ReleaseDC(window, dc);
}

POINT PointOf(LPARAM lParam)
{
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

} // namespace

RECT CloseBox(HWND window)
{
    return HasCaption(window) ? BoxIn(CaptionStrip(window)) : RECT{};
}

bool Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!HasCaption(window))
        return false;
    switch (message)
    {
    // The platform draws its caption at these; the host's is drawn over it at once.
    case WM_NCACTIVATE:
        SetPropW(window, ActiveProperty, reinterpret_cast<HANDLE>(wParam ? 2 : 1));
        [[fallthrough]];
    case WM_NCPAINT:
    case WM_SETTEXT:
        result = DefWindowProcW(window, message, wParam, lParam);
        Paint(window);
        return true;
    case WM_NCHITTEST:
    {
        const POINT point = PointOf(lParam);
        const RECT strip = CaptionStrip(window), box = CloseBox(window);
        if (!PtInRect(&strip, point))
            return false;
        result = point.x >= box.left ? HTCLOSE : HTCAPTION;
        return true;
    }
    // A click on the close box closes: the press is kept, the release on the box closes. The platform's
    // own handling of the press would draw its box again.
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (wParam != HTCLOSE)
            return false;
        SetPropW(window, PressedProperty, reinterpret_cast<HANDLE>(1));
        result = 0;
        return true;
    case WM_NCLBUTTONUP:
        if (!RemovePropW(window, PressedProperty) || wParam != HTCLOSE)
            return false;
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        result = 0;
        return true;
    case WM_NCDESTROY:
        RemovePropW(window, ActiveProperty);
        RemovePropW(window, PressedProperty);
        return false;
    default:
        return false;
    }
}

} // namespace Vyr::ToolCaption
