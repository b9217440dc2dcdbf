#include "graph/windows/GraphMenu.h"

#include "platform/owl/window/Menu.h"

namespace MGraph1
{

bool GraphMenu::Show(HWND owner, int x, int y)
{
    OWL::TPopupMenu menu;
    for (size_t i = 0; i < items.size(); ++i)
    {
        GraphMenuItem& item = items[i];
        if (item.id == 0)
        {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        if (item.receiver)
            item.receiver->OnMessage(PreDisplayMenuMessage(item.id, &item.flags));
        if (!item.flags.shown)
            continue;
        const UINT state = (item.flags.checked ? MF_CHECKED : 0u) | (item.flags.enabled ? 0u : MF_GRAYED);
        ::AppendMenuW(menu, MF_STRING | state, GraphMenuFirstCommand + i, item.text.c_str());
    }
    const int picked = menu.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY, x, y, owner);
    if (picked < 1)
        return false;
    const size_t index = static_cast<size_t>(picked) - GraphMenuFirstCommand;
    if (index < items.size() && items[index].receiver)
        items[index].receiver->OnMessage(OnMenuItemMessage(items[index].id));
    return true;
}

} // namespace MGraph1
