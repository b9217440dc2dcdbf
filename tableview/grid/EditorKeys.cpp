#include "tableview/grid/EditorKeys.h"

namespace TVF_Grid
{

std::optional<wchar_t> EditorStartCharacter(UINT key)
{
    if (key >= '0' && key <= '9')
        return static_cast<wchar_t>(key);
    if (key >= 'A' && key <= 'Z')
        return static_cast<wchar_t>(key - 'A' + 'a');
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
        return static_cast<wchar_t>(key - VK_NUMPAD0 + '0');
    switch (key)
    {
    case VK_SPACE:
        return L' ';
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
        return L'-';
    case VK_OEM_COMMA:
        return L',';
    case VK_OEM_PERIOD:
    case VK_DECIMAL:
        return L'.';
    default:
        return std::nullopt;
    }
}

} // namespace TVF_Grid
