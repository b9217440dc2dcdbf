// OWL::TMenu and TPopupMenu: owners of a menu handle. A menu made here or loaded from a resource is
// destroyed with its object; one made over an existing handle only when asked to (AutoDelete).
#pragma once

#include "platform/owl/ResId.h"
#include "platform/owl/gdi/GdiObjects.h"

#include <windows.h>

#include <string>

namespace OWL
{

class TModule;

class TMenu
{
public:
    // An empty menu bar.
    TMenu();
    TMenu(HMENU handle, TAutoDelete autoDelete = NoAutoDelete);
    // A menu resource of the module; throws XOrv when there is none.
    TMenu(HINSTANCE instance, TResId resource);
    TMenu(const TModule& module, TResId resource);
    virtual ~TMenu();
    TMenu(const TMenu&) = delete;
    TMenu& operator=(const TMenu&) = delete;

    HMENU GetHandle() const { return Handle; }
    operator HMENU() const { return Handle; }

    int GetMenuItemCount() const { return ::GetMenuItemCount(Handle); }
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(Handle, position); }
    UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(Handle, item, flags); }
    std::wstring GetMenuString(UINT item, UINT flags) const;
    HMENU GetSubMenu(int position) const { return ::GetSubMenu(Handle, position); }
    bool AppendMenu(UINT flags, UINT_PTR idOrPopup = 0, const wchar_t* text = nullptr);
    bool InsertMenu(UINT item, UINT flags, UINT_PTR idOrPopup = 0, const wchar_t* text = nullptr);
    bool ModifyMenu(UINT item, UINT flags, UINT_PTR idOrPopup = 0, const wchar_t* text = nullptr);
    bool DeleteMenu(UINT item, UINT flags) { return ::DeleteMenu(Handle, item, flags) != FALSE; }
    bool RemoveMenu(UINT item, UINT flags) { return ::RemoveMenu(Handle, item, flags) != FALSE; }
    bool EnableMenuItem(UINT item, UINT enable) { return ::EnableMenuItem(Handle, item, enable) != -1; }
    bool CheckMenuItem(UINT item, UINT check) { return ::CheckMenuItem(Handle, item, check) != static_cast<DWORD>(-1); }

protected:
    HMENU Handle;
    bool ShouldDelete;
};

class TPopupMenu : public TMenu
{
public:
    // An empty popup menu.
    TPopupMenu();
    TPopupMenu(HMENU handle, TAutoDelete autoDelete = NoAutoDelete);
    // A new popup menu with the items of menu (submenus copied too).
    explicit TPopupMenu(const TMenu& menu);

    // Shows the menu at the screen point; the chosen command (or 0) as TrackPopupMenuEx answers it.
    int TrackPopupMenu(UINT flags, int x, int y, HWND owner, const TPMPARAMS* exclude = nullptr) const;
};

} // namespace OWL
