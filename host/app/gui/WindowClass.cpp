#include "host/app/gui/WindowClass.h"

#include "host/app/files/TextConversion.h"

#include <stdexcept>
#include <string>

namespace Host
{

void EnsureWindowClass(const wchar_t* name, WNDPROC procedure, const WindowClassLook& look, const char* what)
{
    WNDCLASSEXW windowClass{sizeof windowClass};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &windowClass))
        return;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = look.windowExtra;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    if (look.arrowCursor)
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<const wchar_t*>(IDC_ARROW));
    if (look.backgroundColour >= 0)
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(look.backgroundColour + 1));
    windowClass.lpszClassName = name;
    if (!RegisterClassExW(&windowClass))
        throw std::runtime_error(std::string("cannot register ") + what + " window class: " +
                                 SystemErrorText(GetLastError()));
}

} // namespace Host
