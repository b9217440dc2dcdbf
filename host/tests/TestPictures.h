// What the host's tests drew, saved for a person to look at as build/screenshots/<name>.png, beside the
// pictures of the module's own tests.
#pragma once

#include "host/app/gui/WindowPicture.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>

namespace HostTests
{

// Where a picture of that name goes; the folder is made.
inline std::wstring TestPicturePath(const std::wstring& name)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const auto folder = std::filesystem::path(path).parent_path().parent_path() / "screenshots";
    std::filesystem::create_directories(folder);
    return (folder / (name + L".png")).wstring();
}

inline void SaveTestPicture(HWND window, const std::wstring& name)
{
    Host::SaveWindowPicture(window, TestPicturePath(name));
}

// Pixels of the colour in the window's picture within part (relative to the window's top left corner).
inline size_t PixelsOfColourIn(HWND window, const RECT& part, COLORREF colour)
{
    const Host::WindowImage image = Host::ReadWindowImage(window);
    size_t count = 0;
    for (int y = std::max(0L, part.top); y < std::min<LONG>(image.height, part.bottom); ++y)
        for (int x = std::max(0L, part.left); x < std::min<LONG>(image.width, part.right); ++x)
        {
            const DWORD pixel = image.pixels[static_cast<size_t>(y) * image.width + x];
            count += RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF) == colour;
        }
    return count;
}

inline size_t BlackPixelsIn(HWND window, const RECT& part)
{
    return PixelsOfColourIn(window, part, RGB(0, 0, 0));
}

// Black pixels of the window right of its column fromX: in the loop view, the loops' lines with the axes'
// few.
inline size_t BlackPixels(HWND window, LONG fromX)
{
    return BlackPixelsIn(window, RECT{fromX, 0, LONG_MAX, LONG_MAX});
}

} // namespace HostTests
