// The table's text on the clipboard, as the host's copy command asks for it.
#pragma once

#include <windows.h>

#include <string>

namespace TableView
{

// Shows the wait cursor, lets the host give up the clipboard, and puts the text there as Unicode text.
// A clipboard that another program holds is reported to the user and changes nothing; false then.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);

} // namespace TableView
