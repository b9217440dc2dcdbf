#include "tracedisplay/controls/MenuResource.h"

namespace Orv
{

MenuResource FindMenuResource(HINSTANCE instance, const wchar_t* name, LANGID language)
{
    HRSRC found = FindResourceExW(instance, MAKEINTRESOURCEW(4), name, language);
    if (!found)
        found = FindResourceW(instance, name, MAKEINTRESOURCEW(4));
    if (!found)
        return {};
    MenuResource resource;
    resource.handle = LoadResource(instance, found);
    resource.data = resource.handle ? LockResource(resource.handle) : nullptr;
    if (!resource.data)
        return {};
    return resource;
}

namespace
{
HMENU MenuFrom(const MenuResource& resource)
{
    return resource.data ? LoadMenuIndirectW(static_cast<const MENUTEMPLATEW*>(resource.data)) : CreateMenu();
}
} // namespace

MenuBase::MenuBase(HINSTANCE instance, const wchar_t* name, LANGID language)
    : OWL::TMenu(MenuFrom(FindMenuResource(instance, name, language)), OWL::AutoDelete)
{
}

} // namespace Orv
