// The frame's menu bar, made from the menu commands modules added through their command registrations:
// a path "Popup^GROUP|Item^GROUP" places an item (its caption, else its last part, is its text) in the
// popup named by the first part; a path whose last part is empty names its popup with the caption; a last
// part "-" is a separator.
#pragma once

#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrCommands.h"
#include "foundation/com/ComPtr.h"

#include <windows.h>

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
    // Greys the items of popup whose commands their handlers do not enable.
    void UpdateStates(HMENU popup) const;
    // The window took the menu bar: it is destroyed with the window.
    void Release() { bar_ = nullptr; }

private:
    struct Popup
    {
        std::wstring name;
        HMENU menu;
        bool endsWithSeparator;
    };
    // The popup of that name, made at the end of the bar on first use; a caption renames it.
    Popup& PopupNamed(const std::wstring& name, const std::wstring& caption);

    HMENU bar_ = nullptr;
    std::vector<MenuCommandEntry> entries_;
    std::vector<Popup> popups_;
};

} // namespace Host
