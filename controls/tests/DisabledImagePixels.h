// Reading a disabled image back from a window's pixels: a disabled image is drawn as a light blue-grey
// silhouette of its brightness, so its pixels carry no colour of their own yet differ from the face.
#pragma once

#include <windows.h>

#include <algorithm>

namespace ControlsTests
{

// Pixels of a window's client area within rect, sorted by what a disabled image leaves there; background is
// the colour of the face around the image.
struct ImagePixels
{
    int coloured = 0;   // a hue of their own (an image drawn as it is)
    int silhouette = 0; // grey or blue-grey and not the face's colour
};

inline ImagePixels ReadImagePixels(HWND window, const RECT& rect, COLORREF background)
{
    ImagePixels read;
    HDC dc = GetDC(window);
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
        {
            const COLORREF pixel = GetPixel(dc, x, y);
            if (pixel == CLR_INVALID)
                continue;
            const int r = GetRValue(pixel), g = GetGValue(pixel), b = GetBValue(pixel);
            const int spread = std::max({r, g, b}) - std::min({r, g, b});
            const bool isFace = std::abs(r - GetRValue(background)) + std::abs(g - GetGValue(background)) +
                                    std::abs(b - GetBValue(background)) <= 12;
            if (spread > 60)
                ++read.coloured;
            else if (!isFace && std::abs(r - g) <= 4 && b - r >= 0 && b - r <= 16)
                ++read.silhouette;
        }
    ReleaseDC(window, dc);
    return read;
}

inline COLORREF PixelOf(HWND window, POINT at)
{
    HDC dc = GetDC(window);
    const COLORREF pixel = GetPixel(dc, at.x, at.y);
    ReleaseDC(window, dc);
    return pixel;
}

} // namespace ControlsTests
