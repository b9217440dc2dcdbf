#include "platform/owl/window/Menu.h"

#include "platform/owl/Failure.h"
#include "platform/owl/Module.h"

#include <vector>

namespace OWL
{

namespace
{

void CopyItems(HMENU from, HMENU to)
{
    const int count = ::GetMenuItemCount(from);
    for (int position = 0; position < count; ++position)
    {
        wchar_t text[512] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 511;
        if (!::GetMenuItemInfoW(from, static_cast<UINT>(position), TRUE, &item))
            continue;
        if (item.hSubMenu)
        {
            const HMENU copy = Checked(::CreatePopupMenu(), L"The menu could not be made");
            CopyItems(item.hSubMenu, copy);
            item.hSubMenu = copy;
        }
        item.dwTypeData = text;
        ::InsertMenuItemW(to, static_cast<UINT>(position), TRUE, &item);
    }
}

} // namespace

TMenu::TMenu() : Handle(Checked(::CreateMenu(), L"The menu could not be made")), ShouldDelete(true) {}

TMenu::TMenu(HMENU handle, TAutoDelete autoDelete)
    : Handle(Checked(handle, L"No menu")), ShouldDelete(autoDelete == AutoDelete)
{
}

TMenu::TMenu(HINSTANCE instance, TResId resource)
    : Handle(Checked(::LoadMenuW(instance, resource), L"Menu resource not found")), ShouldDelete(true)
{
}

TMenu::TMenu(const TModule& module, TResId resource) : TMenu(module.GetHandle(), resource) {}

TMenu::~TMenu()
{
    if (ShouldDelete && Handle)
        ::DestroyMenu(Handle);
}

std::wstring TMenu::GetMenuString(UINT item, UINT flags) const
{
    wchar_t text[512] = {};
    const int length = ::GetMenuStringW(Handle, item, text, 512, flags);
    return std::wstring(text, static_cast<size_t>(length > 0 ? length : 0));
}

bool TMenu::AppendMenu(UINT flags, UINT_PTR idOrPopup, const wchar_t* text)
{
    return ::AppendMenuW(Handle, flags, idOrPopup, text) != FALSE;
}

bool TMenu::InsertMenu(UINT item, UINT flags, UINT_PTR idOrPopup, const wchar_t* text)
{
    return ::InsertMenuW(Handle, item, flags, idOrPopup, text) != FALSE;
}

bool TMenu::ModifyMenu(UINT item, UINT flags, UINT_PTR idOrPopup, const wchar_t* text)
{
    return ::ModifyMenuW(Handle, item, flags, idOrPopup, text) != FALSE;
}

TPopupMenu::TPopupMenu() : TMenu(Checked(::CreatePopupMenu(), L"The menu could not be made"), AutoDelete) {}

TPopupMenu::TPopupMenu(HMENU handle, TAutoDelete autoDelete) : TMenu(handle, autoDelete) {}

TPopupMenu::TPopupMenu(const TMenu& menu) : TPopupMenu()
{
    CopyItems(menu.GetHandle(), Handle);
}

int TPopupMenu::TrackPopupMenu(UINT flags, int x, int y, HWND owner, const TPMPARAMS* exclude) const
{
    return ::TrackPopupMenuEx(Handle, flags, x, y, owner, const_cast<TPMPARAMS*>(exclude));
}

} // namespace OWL
