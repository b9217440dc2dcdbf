// A printed page read back as a person looks at it: its pixels, which of them hold ink, and the ink of a
// text as the page's title prints it.
#pragma once

#include "host/app/gui/WindowPicture.h"
#include "host/tests/TestCanvas.h"
#include "host/vyr/PrintService.h"

#include <windows.h>

#include <string>
#include <vector>

namespace HostTests
{

// A printed page's pixels, row by row from the top.
inline Host::WindowImage PagePixels(HBITMAP page)
{
    BITMAP size{};
    GetObjectW(page, sizeof size, &size);
    Host::WindowImage image{size.bmWidth, size.bmHeight,
                            std::vector<DWORD>(static_cast<size_t>(size.bmWidth) * static_cast<size_t>(size.bmHeight))};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.bmWidth, -size.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const HDC screen = GetDC(nullptr);
    GetDIBits(screen, page, 0, static_cast<UINT>(size.bmHeight), image.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return image;
}

inline bool IsInk(const Host::WindowImage& image, int x, int y)
{
    return x >= 0 && y >= 0 && x < image.width && y < image.height &&
           (image.pixels[static_cast<size_t>(y) * image.width + x] & 0xFFFFFF) != 0xFFFFFF;
}

// The pixels holding ink in [left, right) x [top, bottom).
inline size_t InkIn(const Host::WindowImage& image, const RECT& box)
{
    size_t ink = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            ink += IsInk(image, x, y);
    return ink;
}

// The band of a page above its printable area, where its title prints.
inline RECT TitleBand()
{
    return {0, 0, Vyr::PrintService::PageWidth, Vyr::PrintService::Margin};
}

// The ink of the text written out on one line in the default GUI font, black on white.
inline size_t InkOfText(const std::wstring& text)
{
    constexpr int Width = 2000, Height = 40;
    const Canvas canvas(Width, Height);
    const HGDIOBJ previous = SelectObject(canvas.Dc(), GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(canvas.Dc(), TRANSPARENT);
    TextOutW(canvas.Dc(), 4, 4, text.c_str(), static_cast<int>(text.size()));
    SelectObject(canvas.Dc(), previous);
    size_t ink = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            ink += (canvas.At(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return ink;
}

} // namespace HostTests
