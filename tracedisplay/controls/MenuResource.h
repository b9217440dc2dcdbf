// Menus built from the module's menu resources, found in the language asked for or, failing that, in
// whichever language the resource exists.
#pragma once

#include "platform/owl/window/Menu.h"

#include <windows.h>

namespace Orv
{

// A located and locked menu resource; both null when there is none.
struct MenuResource
{
    HGLOBAL handle = nullptr;
    const void* data = nullptr;
};

MenuResource FindMenuResource(HINSTANCE instance, const wchar_t* name, LANGID language);

class MenuBase : public OWL::TMenu
{
public:
    // An empty menu when the resource is missing.
    MenuBase(HINSTANCE instance, const wchar_t* name, LANGID language);
};

} // namespace Orv
