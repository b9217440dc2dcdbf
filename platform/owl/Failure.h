// How the class library reports what goes wrong: a failed Win32 call throws XOrv with the system's
// code; a failure that must not travel further (inside a window procedure) is logged (FailureLog.h).
#pragma once

#include "foundation/com/FailureLog.h"

#include <windows.h>

namespace OWL
{

// Throws XOrv with the thread's last error (E_FAIL when there is none) and the text "what failed".
[[noreturn]] void ThrowLastError(const wchar_t* what);

// Throws ThrowLastError(what) when handle is null, else returns it.
template <class Handle>
Handle Checked(Handle handle, const wchar_t* what)
{
    if (!handle)
        ThrowLastError(what);
    return handle;
}

} // namespace OWL
