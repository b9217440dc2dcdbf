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

// Black pixels of the window's picture in part (relative to the window's top left corner).
inline size_t BlackPixelsIn(HWND window, const RECT& part)
{
    const Host::WindowImage image = Host::ReadWindowImage(window);
    size_t count = 0;
    for (int y = std::max(0L, part.top); y < std::min<LONG>(image.height, part.bottom); ++y)
        for (int x = std::max(0L, part.left); x < std::min<LONG>(image.width, part.right); ++x)
            count += (image.pixels[static_cast<size_t>(y) * image.width + x] & 0xFFFFFF) == 0;
    return count;
}

// Black pixels of the window right of its column fromX: in the loop view, the loops' lines with the axes'
// few.
inline size_t BlackPixels(HWND window, LONG fromX)
{
    return BlackPixelsIn(window, RECT{fromX, 0, LONG_MAX, LONG_MAX});
}

} // namespace HostTests
