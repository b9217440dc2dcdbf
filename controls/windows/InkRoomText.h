// A static text whose lines wrap short of its right edge by the room its glyphs may ink past their
// advance: an italic line that fills the width to its last pixel otherwise loses the lean of its last
// glyph, or the whole of a thin one ("Sinusoida"), at the control's edge.
#pragma once

#include <windows.h>

namespace OrvControls
{

// The room a text control keeps at its right for ink, in pixels, is named in this window property
// (absent: none), so that whatever measures its text wraps it as the control does.
inline constexpr const wchar_t* TextRightMarginProperty = L"Sistra.TextRightMargin";

// Makes the static paint its text in this way, with the font it has (and any it is given later).
void InstallInkRoomText(HWND text);
// The width in which the control wraps its text: its client width less the room it keeps.
int TextLayoutWidth(HWND control);

} // namespace OrvControls
