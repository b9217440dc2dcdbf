// What the display itself shows, read through the screen's DC: a window that is whole in its own picture
// (painted on request) can still show something else on the screen.
#pragma once

#include "host/app/gui/WindowPicture.h"
#include "host/tests/TestPictures.h"

#include <windows.h>

#include <string>
#include <vector>

namespace HostTests
{

// What the display shows of a rectangle of the screen, 0x00RRGGBB row by row.
struct ScreenPixels
{
    RECT place{};
    std::vector<DWORD> pixels;

    DWORD At(int x, int y) const
    {
        return pixels[static_cast<size_t>(y - place.top) * (place.right - place.left) + (x - place.left)];
    }
};

// A copy of what the display shows of a rectangle of the screen; the caller deletes it.
inline HBITMAP CopyScreen(const RECT& place)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, place.right - place.left, place.bottom - place.top);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, place.right - place.left, place.bottom - place.top, screen, place.left, place.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

inline ScreenPixels ReadScreen(const RECT& place)
{
    const int width = place.right - place.left, height = place.bottom - place.top;
    ScreenPixels read{place, std::vector<DWORD>(static_cast<size_t>(width) * height)};
    HBITMAP bitmap = CopyScreen(place);
    HDC screen = GetDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), read.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    for (DWORD& pixel : read.pixels)
        pixel &= 0xFFFFFF;
    return read;
}

inline void SaveScreenPicture(const RECT& place, const std::wstring& name)
{
    HBITMAP bitmap = CopyScreen(place);
    Host::SaveBitmapPicture(bitmap, TestPicturePath(name));
    DeleteObject(bitmap);
}

} // namespace HostTests
