// Every message box and file dialog the module shows goes through one seam, so that the host answers it: a person in
// an ordinary run, a script or the box's default in a batch run or a test. Nothing may block a run
// that has nobody to press a button.
//
// Code at this level cannot reach the host; the host-client layer installs the route that does.
#pragma once

#include "foundation/text/String.h"
#include "hostapi/HostFileDialogs.h"

#include <windows.h>

namespace Orv
{

// Shows a message box (MessageBoxW's arguments) and returns the button pressed; must not throw.
using MessageBoxRoute = int (*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) noexcept;

// The route every later ShowMessageBox takes; null takes it away. Returns the route it replaces.
MessageBoxRoute SetMessageBoxRoute(MessageBoxRoute route) noexcept;

// The button pressed; IDOK without showing anything while no route is installed.
int ShowMessageBox(HWND owner, const String& text, const String& caption, UINT style);

// Asks for the name of a file to save: S_OK and the path, S_FALSE and null when cancelled; must not throw.
using SaveFileRoute = HRESULT (*)(HWND owner, const HostSaveFileRequest& request, BSTR* path) noexcept;

// The route every later AskSaveFileName takes; null takes it away. Returns the route it replaces.
SaveFileRoute SetSaveFileRoute(SaveFileRoute route) noexcept;

// The chosen path; empty when the user cancelled, or without a route (nobody to ask).
String AskSaveFileName(HWND owner, const HostSaveFileRequest& request);

} // namespace Orv
