// Process-wide colours that one display sets and the window controls draw with.
#pragma once

#include <windows.h>

// The colour of window frames drawn by FrameRectOpaque; the trace display writes it.
inline COLORREF SharedFrameColour = RGB(0, 0, 0);
