#include "dialogs/framework/WhiteDialog.h"

namespace Orv
{

WhiteDialogLook::~WhiteDialogLook()
{
    if (brush_)
        DeleteObject(brush_);
    if (bitmap_)
        DeleteObject(bitmap_);
}

int WhiteDialogLook::BandTop(HWND dialog)
{
    RECT client{};
    GetClientRect(dialog, &client);
    HWND button = GetDlgItem(dialog, IDOK);
    if (!button)
        button = GetDlgItem(dialog, IDCANCEL);
    if (!button)
        return client.bottom;
    RECT rect{};
    GetWindowRect(button, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect.top - (client.bottom - rect.bottom);
}

// One column as tall as the client area; the pattern brush repeats it across the width.
HBRUSH WhiteDialogLook::DialogBrush(HWND dialog, HDC dc)
{
    if (!brush_)
    {
        RECT client{};
        GetClientRect(dialog, &client);
        const int height = client.bottom > 0 ? client.bottom : 1;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, 1, height);
        if (memory && bitmap_)
        {
            HGDIOBJ old = SelectObject(memory, bitmap_);
            const int band = BandTop(dialog);
            for (int y = 0; y < height; ++y)
                SetPixel(memory, 0, y, y < band ? White : y == band ? BandLine : Band);
            SelectObject(memory, old);
            brush_ = CreatePatternBrush(bitmap_);
        }
        if (memory)
            DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }
    SetDCBrushColor(dc, White);
    return brush_;
}

HBRUSH WhiteDialogLook::ControlBrush(HWND control, HDC dc)
{
    const int id = GetDlgCtrlID(control);
    SetBkMode(dc, TRANSPARENT);
    SetDCBrushColor(dc, id == IDOK || id == IDCANCEL ? Band : White);
    return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}

} // namespace Orv
