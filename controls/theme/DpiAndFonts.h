// The effective DPI of a window's monitor, the dialog font at a point size, and keeping windows on a
// monitor's work area.
#pragma once

#include "platform/owl/gdi/DC.h"
#include "platform/owl/gdi/GdiObjects.h"

#include <windows.h>

#include <utility>

// The horizontal and vertical DPI of the monitor the window is on (per monitor where the platform
// tells it, else the screen's, read once).
std::pair<int, int> GetWindowDpi(HWND window);
// The screen's DPI, remembered for the process: the fallback of GetWindowDpi.
std::pair<int, int> GetScreenDpi();
// Replaces the remembered screen DPI after the display's DPI changed; (0, 0) reads it again on next use.
void SetScreenDpi(int x, int y);

// Points in logical units of dc: points at its vertical DPI, scaled by its window-to-viewport extents.
int PointsToLogical(HDC dc, int points);
int PointsToLogical(const OWL::TDC& dc, int points);

// "MS Shell Dlg 2" at points (0: 10, or 12 for a Chinese or Japanese application) for dc.
OWL::TFont ConstructShellDlgFont(const OWL::TDC& dc, int points, int escapement);
// The same for a raw DC (the screen when null), bold and underlined as asked.
OWL::TFont CreateShellDlgFontForPoints(HDC dc, int points, bool bold, bool underline);
bool CreateShellDlgFontFromPoints(HDC dc, HFONT* font, int points, int escapement, int ignored, bool italic);
// At a logical height; false when font is null or no font could be made.
bool CreateShellDlgFontIndirect(HDC dc, HFONT* font, int height, int escapement, int ignored, bool italic);
// The font's average character width and line height on the screen; (0, 0) without a screen DC.
SIZE GetFontCharSize(const OWL::TFont& font);

// The work area of the monitor nearest to rect.
RECT GetMonitorWorkArea(const RECT& rect);
// Moves rect onto its monitor's work area: up, left, down, right, in that order, so that a rectangle
// larger than the area ends with its top-left corner on the area's.
void KeepRectOnMonitor(RECT& rect);

// Where a window was last placed, so that it comes back there while its size is unchanged.
struct WindowPlacementMemory
{
    int result = 0;
    RECT remembered{};
    int valid = 0;

    // Places the window at the remembered rectangle, or centred on its monitor, kept on the monitor.
    void Place(HWND window);
};
