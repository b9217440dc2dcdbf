// Balloon tips that point at a page's control to say what is wrong with it.
#pragma once

#include "document/models/ValidationResult.h"
#include "foundation/text/String.h"

#include <windows.h>

namespace Sistra
{

// Shows a balloon with the exclamation icon at the control: at the box of a check box or radio button,
// at the middle of any other control. The balloon closes and deletes itself; its window, or null when
// it could not be shown.
HWND ShowControlBalloon(HWND control, const Orv::String& title, const Orv::String& text);
HWND ShowControlBalloonFromStrings(HWND control, UINT titleId, UINT textId);
HWND ShowValidationBalloon(HWND control, const ValidationResult& result);

// Where the balloon of the control points, in screen coordinates.
POINT ControlBalloonAnchor(HWND control);

} // namespace Sistra
