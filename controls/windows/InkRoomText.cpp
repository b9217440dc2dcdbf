#include "controls/windows/InkRoomText.h"

#include <algorithm>
#include <string>

namespace OrvControls
{

namespace
{

constexpr const wchar_t* PreviousProcedureProperty = L"Sistra.InkRoomText.Previous";

// An italic glyph leans past its advance by up to about an average character's width at the top.
int InkRoom(HWND text)
{
    HDC dc = GetDC(text);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(text, dc);
    return std::max<int>(metrics.tmOverhang, metrics.tmAveCharWidth);
}

void KeepRoom(HWND text)
{
    SetPropW(text, TextRightMarginProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(InkRoom(text))));
}

UINT DrawFormat(LONG style)
{
    UINT format = DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP;
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    switch (style & SS_TYPEMASK)
    {
    case SS_CENTER: return format | DT_CENTER;
    case SS_RIGHT: return format | DT_RIGHT;
    default: return format | DT_LEFT;
    }
}

// The background and colours the parent gives its statics, then the text in the narrower box; the ink
// leaning past it stays inside the control.
void PaintText(HWND text, HDC dc)
{
    RECT client{};
    GetClientRect(text, &client);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(text), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(text)));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    if (!IsWindowEnabled(text))
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)));
    const int length = GetWindowTextLengthW(text);
    std::wstring content(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(text, content.data(), length + 1);
    RECT box{client.left, client.top, client.left + TextLayoutWidth(text), client.bottom};
    DrawTextW(dc, content.c_str(), length, &box, DrawFormat(GetWindowLongW(text, GWL_STYLE)));
    SelectObject(dc, old);
}

LRESULT CALLBACK InkRoomTextProcedure(HWND text, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(text, PreviousProcedureProperty));
    if (!previous)
        return DefWindowProcW(text, message, wParam, lParam);
    switch (message)
    {
    case WM_PAINT:
    {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(text, &paint);
        PaintText(text, dc);
        EndPaint(text, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintText(text, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
    case WM_SETTEXT:
    case WM_ENABLE:
    {
        // The static paints at once what these change, in its own way: painted again in ours.
        const LRESULT result = CallWindowProcW(previous, text, message, wParam, lParam);
        if (message == WM_SETFONT)
            KeepRoom(text);
        RedrawWindow(text, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return result;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(text, PreviousProcedureProperty);
        RemovePropW(text, TextRightMarginProperty);
        return CallWindowProcW(previous, text, message, wParam, lParam);
    default:
        return CallWindowProcW(previous, text, message, wParam, lParam);
    }
}

} // namespace

void InstallInkRoomText(HWND text)
{
    if (!IsWindow(text) || GetPropW(text, PreviousProcedureProperty))
        return;
    SetPropW(text, PreviousProcedureProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrW(text, GWLP_WNDPROC)));
    SetWindowLongPtrW(text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&InkRoomTextProcedure));
    KeepRoom(text);
    InvalidateRect(text, nullptr, TRUE);
}

int TextLayoutWidth(HWND control)
{
    RECT client{};
    GetClientRect(control, &client);
    return std::max<int>(0, client.right - static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(control, TextRightMarginProperty))));
}

} // namespace OrvControls
