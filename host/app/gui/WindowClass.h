#pragma once
#include <windows.h>

namespace Host
{

// The look of a host window class: what differs between the stand-in's windows.
struct WindowClassLook
{
    bool arrowCursor = true;
    int backgroundColour = -1; // a COLOR_* index, or -1 for no background brush
    int windowExtra = 0;
};

// Registers the class once per process; `what` names the window in the error a failed registration throws.
void EnsureWindowClass(const wchar_t* name, WNDPROC procedure, const WindowClassLook& look, const char* what);

} // namespace Host
