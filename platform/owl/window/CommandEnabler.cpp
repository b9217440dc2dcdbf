#include "platform/owl/window/CommandEnabler.h"

namespace OWL
{

void TCommandEnabler::Enable(bool)
{
    Handled = true;
}

void TMenuItemEnabler::Enable(bool enable)
{
    TCommandEnabler::Enable(enable);
    ::EnableMenuItem(Menu, static_cast<UINT>(Position), MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
}

void TMenuItemEnabler::SetText(const wchar_t* text)
{
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STRING;
    item.dwTypeData = const_cast<wchar_t*>(text ? text : L"");
    ::SetMenuItemInfoW(Menu, static_cast<UINT>(Position), TRUE, &item);
}

void TMenuItemEnabler::SetCheck(int state)
{
    ::CheckMenuItem(Menu, static_cast<UINT>(Position), MF_BYPOSITION | (state == Checked ? MF_CHECKED : MF_UNCHECKED));
}

} // namespace OWL
