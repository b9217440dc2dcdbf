// The MPVS control program lies outside this system: the module only finds it (its default install folder,
// else its Start-menu shortcut), brings a running instance to the front, or starts it. The path, once
// found, is kept for the life of the process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace Sistra::Mpvs
{

// The path of a shell folder (a CSIDL value); empty when the shell cannot tell it.
using ShellFolderReader = std::function<std::wstring(int folderId)>;
std::wstring ReadShellFolder(int folderId);

// One search state: the program path once found, and where the shell folders are.
class ControlProgramLink
{
public:
    explicit ControlProgramLink(ShellFolderReader folders = ReadShellFolder);

    std::wstring GetControlProgramPath();
    bool IsControlProgramAvailable();
    // False when neither a window nor the program was found, or the shell refused to start the program.
    bool OpenControlProgram();
    std::wstring FindShortcut(int folderId) const;

private:
    std::wstring DefaultPath() const;

    ShellFolderReader folders_;
    std::wstring cachedPath_;
};

// The process-wide link.
std::wstring GetControlProgramPath();
bool IsControlProgramAvailable();
bool OpenControlProgram();
std::wstring FindShortcut(int folderId);

HWND FindControlProgramWindow();
std::wstring ResolveShortcut(const std::wstring& shortcutPath);

} // namespace Sistra::Mpvs
