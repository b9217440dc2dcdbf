// Where a modal dialog opens: centred on what it belongs to and kept inside the area it may use.
#pragma once

#include <windows.h>

namespace Orv
{

// The dialog's rectangle moved (not resized) to the centre of target, then back inside area; when the
// dialog is larger than the area its left and top edges stay inside.
RECT CentredRect(const RECT& dialog, const RECT& target, const RECT& area);

// Centres the dialog: a child dialog in its parent's client area; another on its owner when the owner is
// visible and not minimised, else on the work area of the monitor nearest to it, kept inside that work
// area. Neither the z-order nor the active window changes.
void CentreDialog(HWND dialog);

} // namespace Orv
