// Commands and menus: the command objects the host's command service makes for a module, the service
// itself, and the registration through which a module's commands reach the host's menus and its
// command handler. Methods are in vtable order.
#pragma once

#include "hostapi/OrvStringInterfaces.h"
#include "hostapi/VyrIds.h"
#include "hostapi/VyrMessaging.h"

#include <oaidl.h>
#include <unknwn.h>

// {812082B3-B7F0-11D3-80C8-005004AD3C53}
inline constexpr IID IID_IVyrCommand = {0x812082B3, 0xB7F0, 0x11D3, {0x80, 0xC8, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};
// {812082B7-B7F0-11D3-80C8-005004AD3C53}
inline constexpr IID IID_IVyrCommandRegistration = {0x812082B7, 0xB7F0, 0x11D3, {0x80, 0xC8, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};

namespace VyrCommandKind
{
constexpr ULONG MenuPath = 2;      // a menu item, popup or separator at a menu path
constexpr ULONG Full = 10;         // a command with all its texts
constexpr ULONG ModuleOwner = 56;  // the entry that names the module owning the menus that follow
} // namespace VyrCommandKind

// The flag word of a full creation.
constexpr ULONG VyrCommandCreateFlags = 0x10000000;

// State bits a module sets and clears on a command.
namespace VyrCommandBits
{
constexpr ULONG Checked = 1;
constexpr ULONG Enabled = 2;
constexpr ULONG Shown = 8;
} // namespace VyrCommandBits

// The message that makes the command service bring menus and toolbars up to date.
constexpr ULONG VyrCommandRefreshMessage = 0x80090000;

// The texts a command carries.
namespace VyrCommandText
{
constexpr ULONG Path = 0;
constexpr ULONG Caption = 1;
constexpr ULONG Status = 2;
constexpr ULONG ShortName = 3;
constexpr ULONG Title = 4;
constexpr ULONG ModuleName = 5;
constexpr ULONG Separator = 6;
} // namespace VyrCommandText

struct IVyrCommand : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetKind(ULONG* kind) = 0;                                        // 3
    virtual HRESULT STDMETHODCALLTYPE SetId(ULONG id) = 0;                                             // 4
    virtual HRESULT STDMETHODCALLTYPE ChangeState(ULONG set, ULONG clear) = 0;                         // 5
    virtual HRESULT STDMETHODCALLTYPE GetState(ULONG* state) = 0;                                      // 6
    virtual HRESULT STDMETHODCALLTYPE GetText(ULONG which, BSTR* text) = 0;                            // 7
    virtual HRESULT STDMETHODCALLTYPE GetId(ULONG* id) = 0;                                            // 8
    // The document command number, the host's placement value and the image resource id.
    virtual HRESULT STDMETHODCALLTYPE GetNumbers(ULONG* number, ULONG* placement, ULONG* image) = 0;   // 9
};

// A command of the host's own, as its command service hands it out beside IVyrCommand.
// {5F2C4030-33A3-49D6-AC57-2548895C5F7F}
inline constexpr IID IID_IVyrHostCommand = {0x5F2C4030, 0x33A3, 0x49D6, {0xAC, 0x57, 0x25, 0x48, 0x89, 0x5C, 0x5F, 0x7F}};
struct IVyrHostCommand : IUnknown
{
    // 3: runs the command (argument 0); S_FALSE when nothing in the host runs it.
    virtual HRESULT STDMETHODCALLTYPE Execute(ULONG argument) = 0;
    // 4: the command's image for a button state (VyrHostCommandImage): a 32-bit top-down DIB section
    // with premultiplied alpha, which the caller deletes; S_FALSE and null when there is none.
    virtual HRESULT STDMETHODCALLTYPE GetImage(ULONG state, HBITMAP* image) = 0;
};

namespace VyrHostCommandImage
{
constexpr ULONG Normal = 0;
constexpr ULONG Pressed = 0x400;
} // namespace VyrHostCommandImage

// Host commands a module finds by id.
namespace VyrHostCommandId
{
constexpr ULONG StartStopSampling = 0x80150246;
}

struct IHostCommandService : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    // 7: a plain command: a menu path or separator, or the module owner entry with title and module name.
    virtual HRESULT STDMETHODCALLTYPE CreateCommand(ULONG id, ULONG kind, IOrvString* path, IOrvString* separator,
        IOrvString* title, IOrvString* moduleName, IVyrCommand** command) = 0;
    // 8: a full command; an id of 0 lets the host choose one, which the command then reports.
    virtual HRESULT STDMETHODCALLTYPE CreateCommandEx(ULONG flags, ULONG number, ULONG id, ULONG kind,
        IOrvString* path, IOrvString* caption, IOrvString* status, IOrvString* shortName, ULONG placement,
        ULONG image, IVyrCommand** command) = 0;
    // 9: the command made with that id, with one reference for the caller.
    virtual HRESULT STDMETHODCALLTYPE FindCommand(ULONG id, IVyrCommand** command) = 0;
    // 10: a message to the service (VyrCommandRefreshMessage).
    virtual HRESULT STDMETHODCALLTYPE PostCommandMessage(ULONG message, ULONG_PTR value) = 0;
    // 11: how often menus were refreshed.
    virtual HRESULT STDMETHODCALLTYPE GetRefreshCount(ULONG* count) = 0;
};

// A module's commands under one GUID, as the host keeps them: its handler and its menu entries in order.
struct IVyrCommandRegistration : IUnknown
{
    // 3: appends the command to the host's menu list; created tells whether it became a menu item.
    virtual HRESULT STDMETHODCALLTYPE AddMenuCommand(IVyrCommand* command, VARIANT_BOOL* created) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMenuCommandCount(ULONG* count) = 0;                           // 4
    virtual HRESULT STDMETHODCALLTYPE GetMenuCommand(ULONG index, IVyrCommand** command) = 0;          // 5
    // 6: a person chose the command: the module's handler executes it.
    virtual HRESULT STDMETHODCALLTYPE ExecuteCommand(ULONG id) = 0;
    // 7: the state the module's handler gives the command (VyrCommandStateValue::Enabled when enabled).
    virtual HRESULT STDMETHODCALLTYPE QueryCommandState(ULONG id, ULONG* state) = 0;
};

struct ICommandRegistrationService : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    // 7: registers the module's handler of the commands under the GUID.
    virtual HRESULT STDMETHODCALLTYPE RegisterCommandHandler(const GUID* guid, IVyrCommandHandler* handler,
        ULONG_PTR argument, IVyrCommandRegistration** registration) = 0;
};
