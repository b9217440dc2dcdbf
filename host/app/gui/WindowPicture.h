// A window as it shows on the display, saved as a PNG file.
#pragma once

#include <windows.h>

#include <string>

namespace Host
{

// Paints the window and its children now and writes what it shows, frame included, to path.
// Throws std::runtime_error naming the path when the picture cannot be taken or written.
void SaveWindowPicture(HWND window, const std::wstring& path);

} // namespace Host
