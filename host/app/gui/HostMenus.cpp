#include "host/app/gui/HostMenus.h"

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
    return popups_.emplace_back(Popup{name, menu, true});
}

HMENU HostMenus::Build(std::vector<MenuCommandEntry> entries)
{
    if (bar_)
        DestroyMenu(bar_);
    popups_.clear();
    entries_ = std::move(entries);
    bar_ = CreateMenu();
    for (size_t index = 0; index < entries_.size(); ++index)
    {
        const MenuCommandEntry& entry = entries_[index];
        const std::vector<std::wstring> parts = PathParts(entry.path);
        if (!entry.shown || parts.size() < 2)
            continue;
        const std::wstring& last = parts.back();
        if (last.empty())
        {
            PopupNamed(parts.front(), entry.caption);
            continue;
        }
        Popup& popup = PopupNamed(parts.front(), {});
        if (last == L"-")
        {
            // A separator never opens a popup nor follows another.
            if (!popup.endsWithSeparator)
                AppendMenuW(popup.menu, MF_SEPARATOR, 0, nullptr);
            popup.endsWithSeparator = true;
            continue;
        }
        AppendMenuW(popup.menu, MF_STRING, FirstItemId + index, (entry.caption.empty() ? last : entry.caption).c_str());
        popup.endsWithSeparator = false;
    }
    for (const Popup& popup : popups_)
        if (popup.endsWithSeparator && GetMenuItemCount(popup.menu) > 0)
            DeleteMenu(popup.menu, GetMenuItemCount(popup.menu) - 1, MF_BYPOSITION);
    return bar_;
}

const MenuCommandEntry* HostMenus::Find(UINT itemId) const
{
    if (itemId < FirstItemId || itemId - FirstItemId >= entries_.size())
        return nullptr;
    return &entries_[itemId - FirstItemId];
}

void HostMenus::UpdateStates(HMENU popup) const
{
    const int count = GetMenuItemCount(popup);
    for (int position = 0; position < count; ++position)
    {
        const UINT itemId = GetMenuItemID(popup, position);
        const MenuCommandEntry* entry = Find(itemId);
        if (!entry || !entry->owner)
            continue;
        ULONG state = 0;
        const bool enabled = entry->owner->QueryCommandState(entry->id, &state) == S_OK &&
                             state == VyrCommandStateValue::Enabled;
        EnableMenuItem(popup, itemId, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

} // namespace Host
