// Where the user wants a file saved or which file opened, asked through the host's file dialogs (which a batch run or a test
// answers by script).
#pragma once

#include "hostapi/HostFileDialogs.h"

#include <windows.h>

#include <string>

namespace Host
{

// The path chosen; empty when the user cancelled. Throws std::runtime_error when the dialog fails.
std::wstring AskSavePath(IHostFileDialogs& dialogs, const HostSaveFileRequest& request, HWND owner);
// The same through the host application's file dialogs.
std::wstring AskSavePath(const HostSaveFileRequest& request, HWND owner);
// Which existing file the user wants opened, through the same dialogs (as a dialog of a file that must
// exist); empty when the user cancelled.
std::wstring AskOpenPath(HostSaveFileRequest request, HWND owner);

} // namespace Host
