// Failures that must not travel further (a handler that threw inside a window procedure) are logged:
// by default to the debugger's output, or to a sink a host or a test installs.
#pragma once

#include <windows.h>

#include <string>

namespace Orv
{

// Receives each logged failure; must not throw. Returns the sink it replaces (null restores the
// debugger output).
using FailureSink = void (*)(const std::wstring& text) noexcept;
FailureSink SetFailureSink(FailureSink sink) noexcept;
void LogFailure(const std::wstring& text) noexcept;

// Logs that a handler of the message failed with the code in the window: the message number, the
// code, the window's class and the code's text.
void LogHandlerFailure(HWND window, UINT msg, HRESULT code) noexcept;

} // namespace Orv
