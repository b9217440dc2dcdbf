// A window as it shows on the display, saved as a PNG file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace Host
{

// What a window shows, frame included: its pixels row by row from the top, 0x00RRGGBB each.
struct WindowImage
{
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
};
WindowImage ReadWindowImage(HWND window);

// Writes the bitmap to path as a PNG file. Throws std::runtime_error naming the path when it cannot.
void SaveBitmapPicture(HBITMAP bitmap, const std::wstring& path);

// Paints the window and its children now and writes what it shows, frame included, to path; a top window
// without the caption and frame that the display's window manager draws for it.
// Throws std::runtime_error naming the path when the picture cannot be taken or written.
void SaveWindowPicture(HWND window, const std::wstring& path);
// As SaveWindowPicture, once the window has settled: its messages handled and its pixels the same over
// several looks, so that a picture taken twice is the same picture. Throws std::runtime_error also when
// the window keeps changing.
void SaveSettledWindowPicture(HWND window, const std::wstring& path);

} // namespace Host
