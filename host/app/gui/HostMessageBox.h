// The host's own messages to the person go through the host application's message box, as the module's
// do: a person at the frame reads and answers them, and a test or batch run answers them by script and
// finds them recorded.
#pragma once

#include <windows.h>

#include <string>

namespace Host
{

// The button that answered the box; straight to the screen where the framework is not loaded.
LONG ShowHostMessageBox(HWND owner, const std::wstring& text, const wchar_t* caption, UINT style);

// Tells the person who started the frame why it could not be shown (the document could not be opened),
// in a box of its own, before the process ends; the framework is loaded for it where it is not.
void TellWithoutFrame(const std::wstring& text, const wchar_t* caption);

} // namespace Host
