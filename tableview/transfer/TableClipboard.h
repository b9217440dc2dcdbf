// The table's text on the clipboard, as the host's copy command asks for it.
#pragma once

#include <windows.h>

#include <string>

namespace TableView
{

// How a failed copy is reported: the caption and icon of the box the copying window shows.
struct ClipboardFailureBox
{
    std::wstring caption = L"Error";
    UINT icon = 0;
};

// Shows the wait cursor, lets the host give up the clipboard, and puts the text there as Unicode text.
// A copy that cannot be made (another program holds the clipboard, no owner window, no memory) is
// reported in the given box and leaves the clipboard as it was; false then.
bool CopyTextToClipboard(HWND owner, const std::wstring& text, const ClipboardFailureBox& failure = {});

} // namespace TableView
