// Host menu commands made through the host's command service: the module owner entry, popups, items and
// separators at menu paths, and document commands with their captions and images. Each gives a command
// with one reference for the caller, or null when the host has no command service or refused.
#pragma once

#include "hostapi/VyrCommands.h"
#include "foundation/com/ComPtr.h"

#include <windows.h>

// A separator when the path's last part is "-". id: the command's (0: none).
Orv::ComPtr<IVyrCommand> CreateMenuPathCommand(const wchar_t* path, ULONG id = 0);

// What a full command is made of: its captions are module strings captionId (the caption), captionId + 1
// (the status text) and captionId + 2 (the short name); an id of 0 lets the host choose one.
struct MenuCommandSpec
{
    ULONG kind;
    ULONG number;
    ULONG id;
    const wchar_t* path;
    UINT captionId;
    ULONG placement;
    ULONG image;
};
Orv::ComPtr<IVyrCommand> CreateCommandCore(const MenuCommandSpec& spec);

// A document command: the number under the document's GUID.
Orv::ComPtr<IVyrCommand> CreateMenuCommand(const wchar_t* path, UINT captionId, USHORT number, ULONG placement,
                                           ULONG image);
Orv::ComPtr<IVyrCommand> CreateMenuPopupCommand(const wchar_t* path, UINT captionId);
Orv::ComPtr<IVyrCommand> CreateMenuItemCommand(const wchar_t* path, UINT captionId, ULONG commandId);
Orv::ComPtr<IVyrCommand> CreateModuleMenuCommand(const wchar_t* title, const wchar_t* moduleName);

// The full id of a document command number.
ULONG DocumentCommandId(USHORT number);
