// The scroll bars of a host window whose content can be larger than its client area: the window places
// its content again at the bar's position whenever the position moves.
#pragma once

#include <windows.h>

namespace Host
{

// How far one click on a bar's arrow scrolls.
inline constexpr int ScrollLine = 16;

// The bar shown over content of that length while it is longer than the page (the client's length), at a
// position kept within the content; hidden at position 0 otherwise.
void SetScrollRange(HWND window, int bar, int content, int page);

// Moves the bar's position as a scroll request asks (the low word of WM_HSCROLL's or WM_VSCROLL's first
// parameter); false for a request that moves nothing.
bool ScrollAsRequested(HWND window, int bar, WORD request);

// Moves the bar's position by that many pixels (negative: back), within the content.
void ScrollBy(HWND window, int bar, int pixels);

} // namespace Host
