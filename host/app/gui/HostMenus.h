// The frame's menu bar, made from the menu commands modules added through their command registrations:
// a path "Popup^GROUP|Item^GROUP" places an item (its caption, else its last part, is its text) in the
// popup named by the first part; a path whose last part is empty names its popup with the caption; a last
// part "-" is a separator. A command that several registrations added under one id and path is one item.
// Each popup is filled afresh as it opens, as the host does: only the commands shown, each enabled,
// checked and named as the module's handlers answer, and a module's own popup command filled by it.
#pragma once

#include "host/app/gui/CommandRoute.h"

#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrCommands.h"
#include "foundation/com/ComPtr.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace Host
{

struct MenuCommandEntry
{
    ULONG id = 0;
    std::wstring path;      // for a separator, its text ("Popup|-")
    std::wstring caption;
    bool shown = true;
    Orv::ComPtr<IVyrCommandRegistration> owner;  // whose handler executes and enables the command
    Orv::ComPtr<IVyrCommand> command;            // its state bits (shown, enabled) as the module sets them
    // A command of the host's own, which this runs instead of a module's handler; its state is asked of
    // the handlers under id all the same (id 0: always enabled).
    std::function<void()> hostAction;
    // The item keeps its caption whatever text its handlers answer.
    bool ownCaption = false;
    // Whether a command of the host's own with id 0 is enabled; none: always.
    std::function<bool()> hostEnabled;
};

// Every menu command of every registration the framework keeps, in the order they were added.
std::vector<MenuCommandEntry> CollectMenuCommands(IVyrStandIn& standIn);

class HostMenus
{
public:
    // Item ids of the menu bar start here; each stands for one entry.
    static constexpr UINT FirstItemId = 0x100;

    HostMenus() = default;
    ~HostMenus();
    HostMenus(const HostMenus&) = delete;
    HostMenus& operator=(const HostMenus&) = delete;

    // Makes the menu bar of entries (the object keeps it until a window takes it with SetMenu).
    HMENU Build(std::vector<MenuCommandEntry> entries);
    // The entry a menu item id stands for; null for any other id.
    const MenuCommandEntry* Find(UINT itemId) const;
    using RouteOf = std::function<CommandRoute(const MenuCommandEntry&)>;
    // Fills popup as it opens, asking each command's handlers along its route.
    void Refresh(HMENU popup, const RouteOf& routeOf);
    // The popup command whose own popup (filled by its handler) holds the item id; null when none does.
    const MenuCommandEntry* PopupCommandHolding(UINT itemId) const;
    // Whether the entry is enabled, as its handlers along route answer.
    static CommandAnswer Query(const MenuCommandEntry& entry, const CommandRoute& route);
    // Runs the entry's command: the host's own action, else through its handlers; false when none took it.
    static bool Run(const MenuCommandEntry& entry, const CommandRoute& route);
    // The window took the menu bar: it is destroyed with the window.
    void Release() { bar_ = nullptr; }

private:
    struct Popup
    {
        std::wstring name;
        HMENU menu;
        std::vector<size_t> entries;  // its items and separators, in the order added
    };
    struct CommandPopup
    {
        HMENU menu;
        HMENU parent;
        size_t entry;
    };
    // The popup of that name, made at the end of the bar on first use; a caption renames it.
    Popup& PopupNamed(const std::wstring& name, const std::wstring& caption);
    // Appends the entries that show, without a separator at either end or after another.
    void Fill(const Popup& popup, const RouteOf* routeOf);
    void AppendCommand(HMENU menu, size_t index, const RouteOf* routeOf);

    HMENU bar_ = nullptr;
    std::vector<MenuCommandEntry> entries_;
    std::vector<Popup> popups_;
    std::vector<CommandPopup> commandPopups_;
};

} // namespace Host
