#include "host/app/gui/HostMenus.h"

#include <algorithm>
#include <utility>

namespace Host
{

namespace
{

std::wstring Text(IVyrCommand& command, ULONG which)
{
    BSTR text = nullptr;
    command.GetText(which, &text);
    std::wstring copy = text ? text : L"";
    SysFreeString(text);
    return copy;
}

// A path part without its placement group ("Sistra^EXTENSION" is "Sistra").
std::wstring PartName(const std::wstring& part)
{
    return part.substr(0, part.find(L'^'));
}

std::vector<std::wstring> PathParts(const std::wstring& path)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t bar = path.find(L'|'); bar != std::wstring::npos; bar = path.find(L'|', start))
    {
        parts.push_back(PartName(path.substr(start, bar - start)));
        start = bar + 1;
    }
    parts.push_back(PartName(path.substr(start)));
    return parts;
}

void CollectFrom(IVyrCommandRegistration& registration, std::vector<MenuCommandEntry>& entries)
{
    ULONG count = 0;
    registration.GetMenuCommandCount(&count);
    for (ULONG index = 0; index < count; ++index)
    {
        Orv::ComPtr<IVyrCommand> command;
        if (FAILED(registration.GetMenuCommand(index, command.Put())) || !command)
            continue;
        ULONG kind = 0, state = 0;
        command->GetKind(&kind);
        if (kind == VyrCommandKind::ModuleOwner)
            continue;
        MenuCommandEntry entry;
        command->GetId(&entry.id);
        command->GetState(&state);
        entry.shown = (state & VyrCommandBits::Shown) != 0;
        const std::wstring separator = Text(*command.Get(), VyrCommandText::Separator);
        entry.path = separator.empty() ? Text(*command.Get(), VyrCommandText::Path) : separator;
        entry.caption = Text(*command.Get(), VyrCommandText::Caption);
        entry.owner = Orv::ComPtr<IVyrCommandRegistration>(&registration);
        entry.command = command;
        entries.push_back(std::move(entry));
    }
}

} // namespace

std::vector<MenuCommandEntry> CollectMenuCommands(IVyrStandIn& standIn)
{
    std::vector<MenuCommandEntry> entries;
    GUID guid{};
    Orv::ComPtr<IVyrCommandRegistration> registration;
    for (ULONG index = 0; standIn.GetCommandRegistration(index, &guid, registration.Put()) == S_OK; ++index)
        CollectFrom(*registration.Get(), entries);
    return entries;
}

HostMenus::~HostMenus()
{
    if (bar_)
        DestroyMenu(bar_);
}

HostMenus::Popup& HostMenus::PopupNamed(const std::wstring& name, const std::wstring& caption)
{
    for (Popup& popup : popups_)
        if (popup.name == name)
        {
            if (!caption.empty())
                ModifyMenuW(bar_, static_cast<UINT>(&popup - popups_.data()), MF_BYPOSITION | MF_POPUP | MF_STRING,
                            reinterpret_cast<UINT_PTR>(popup.menu), caption.c_str());
            return popup;
        }
    HMENU menu = CreatePopupMenu();
    AppendMenuW(bar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menu), (caption.empty() ? name : caption).c_str());
    return popups_.emplace_back(Popup{name, menu, {}});
}

namespace
{

bool IsSeparator(const MenuCommandEntry& entry)
{
    return PathParts(entry.path).back() == L"-";
}

bool SameCommand(const MenuCommandEntry& one, const MenuCommandEntry& other)
{
    return one.id != 0 && one.id == other.id && one.path == other.path;
}

// The command's state bits as the module last set them; an entry without a command keeps its own.
bool IsShown(const MenuCommandEntry& entry)
{
    ULONG state = 0;
    if (!entry.command || FAILED(entry.command->GetState(&state)))
        return entry.shown;
    return (state & VyrCommandBits::Shown) != 0;
}

bool IsAllowed(const MenuCommandEntry& entry)
{
    ULONG state = 0;
    return !entry.command || FAILED(entry.command->GetState(&state)) || (state & VyrCommandBits::Enabled) != 0;
}

} // namespace

HMENU HostMenus::Build(std::vector<MenuCommandEntry> entries)
{
    if (bar_)
        DestroyMenu(bar_);
    popups_.clear();
    commandPopups_.clear();
    entries_ = std::move(entries);
    bar_ = CreateMenu();
    for (size_t index = 0; index < entries_.size(); ++index)
    {
        const MenuCommandEntry& entry = entries_[index];
        const std::vector<std::wstring> parts = PathParts(entry.path);
        if (parts.size() < 2)
            continue;
        if (parts.back().empty())
        {
            PopupNamed(parts.front(), entry.caption);
            continue;
        }
        // Every view class of a document adds the commands its views share: the host shows one.
        if (std::any_of(entries_.begin(), entries_.begin() + static_cast<ptrdiff_t>(index),
                        [&](const MenuCommandEntry& earlier) { return SameCommand(earlier, entry); }))
            continue;
        PopupNamed(parts.front(), {}).entries.push_back(index);
    }
    for (const Popup& popup : popups_)
        Fill(popup, nullptr);
    return bar_;
}

void HostMenus::Fill(const Popup& popup, const RouteOf* routeOf)
{
    bool separatorDue = false;
    for (size_t index : popup.entries)
    {
        const MenuCommandEntry& entry = entries_[index];
        if (!IsShown(entry))
            continue;
        if (IsSeparator(entry))
        {
            separatorDue = GetMenuItemCount(popup.menu) > 0;
            continue;
        }
        if (separatorDue)
            AppendMenuW(popup.menu, MF_SEPARATOR, 0, nullptr);
        separatorDue = false;
        AppendCommand(popup.menu, index, routeOf);
    }
}

void HostMenus::AppendCommand(HMENU menu, size_t index, const RouteOf* routeOf)
{
    const MenuCommandEntry& entry = entries_[index];
    const std::wstring caption = entry.caption.empty() ? PathParts(entry.path).back() : entry.caption;
    const UINT itemId = static_cast<UINT>(FirstItemId + index);
    if (!routeOf)
    {
        AppendMenuW(menu, MF_STRING, itemId, caption.c_str());
        return;
    }
    const CommandRoute route = (*routeOf)(entry);
    // A command whose handler fills a popup of its own shows as that popup.
    HMENU own = entry.hostAction ? nullptr : CreatePopupMenu();
    if (own && route.Invoke(entry.id, VyrCommandInvokeKind::PopupInit, reinterpret_cast<ULONG_PTR>(own)))
    {
        AppendMenuW(menu, MF_POPUP | MF_STRING | (IsAllowed(entry) ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(own),
                    caption.c_str());
        commandPopups_.push_back({own, menu, index});
        return;
    }
    if (own)
        DestroyMenu(own);
    const CommandAnswer answer = Query(entry, route);
    const bool enabled = answer.answered && answer.enabled && IsAllowed(entry);
    AppendMenuW(menu, MF_STRING | (enabled ? 0 : MF_GRAYED) | (answer.checked ? MF_CHECKED : 0), itemId,
                (answer.text.empty() || entry.ownCaption ? caption : answer.text).c_str());
}

CommandAnswer HostMenus::Query(const MenuCommandEntry& entry, const CommandRoute& route)
{
    if (entry.hostAction && entry.id == 0)
        return CommandAnswer{true, !entry.hostEnabled || entry.hostEnabled(), false, {}};
    return route.Query(entry.id);
}

bool HostMenus::Run(const MenuCommandEntry& entry, const CommandRoute& route)
{
    if (!entry.hostAction)
        return route.Execute(entry.id);
    entry.hostAction();
    return true;
}

void HostMenus::Refresh(HMENU popup, const RouteOf& routeOf)
{
    for (const CommandPopup& own : commandPopups_)
        if (own.menu == popup)
        {
            routeOf(entries_[own.entry]).Invoke(entries_[own.entry].id, VyrCommandInvokeKind::PopupInit,
                                                reinterpret_cast<ULONG_PTR>(popup));
            return;
        }
    const auto found = std::find_if(popups_.begin(), popups_.end(), [popup](const Popup& p) { return p.menu == popup; });
    if (found == popups_.end())
        return;
    // Deleting an item by position destroys the popup it opens.
    std::erase_if(commandPopups_, [popup](const CommandPopup& own) { return own.parent == popup; });
    while (GetMenuItemCount(popup) > 0)
        DeleteMenu(popup, 0, MF_BYPOSITION);
    Fill(*found, &routeOf);
}

const MenuCommandEntry* HostMenus::Find(UINT itemId) const
{
    if (itemId < FirstItemId || itemId - FirstItemId >= entries_.size())
        return nullptr;
    return &entries_[itemId - FirstItemId];
}

const MenuCommandEntry* HostMenus::PopupCommandHolding(UINT itemId) const
{
    for (const CommandPopup& own : commandPopups_)
        if (IsMenu(own.menu) && GetMenuState(own.menu, itemId, MF_BYCOMMAND) != static_cast<UINT>(-1))
            return &entries_[own.entry];
    return nullptr;
}

} // namespace Host
