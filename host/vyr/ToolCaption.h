// The caption of the host's own floating windows (help, results sheet, analysis manager, print preview),
// drawn by the host over the platform's. The platform draws a tool window's close box as a letter of a
// symbol font, which shows as a plain "r" where that font is missing; here the box holds a drawn cross,
// and a press and release on it close the window.
#pragma once

#include <windows.h>

namespace Vyr::ToolCaption
{

// Handles the caption's part of a window's messages (its painting, its close box); a window procedure
// calls it first and returns result when it answers true.
bool Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The close box, in screen coordinates; empty for a window without a caption.
RECT CloseBox(HWND window);

} // namespace Vyr::ToolCaption
