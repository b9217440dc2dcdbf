// The module's message boxes, shown by the host application, which answers them itself in a batch run
// or a test. Every message box of the module comes here: directly, or from code below this layer
// through Orv::ShowMessageBox, whose route this layer installs when the module is loaded. The module's
// save-file dialogs take the same way (Orv::AskSaveFileName).
#pragma once

#include <windows.h>

#include <functional>
#include <type_traits>

// The button pressed; IDOK without showing anything when there is no host application to ask.
int ShowHostMessageBox(const wchar_t* text, const wchar_t* caption, UINT style, HWND owner = nullptr) noexcept;

// Runs the module's dialog of that name through the host, which answers it when nobody is there to;
// IDCANCEL when the host cannot run it, so that nothing changes.
int RunHostDialog(const wchar_t* name, HWND owner = nullptr) noexcept;

// The same for a dialog the module can show itself: when the host hands the dialog back (a person sits
// at it), show runs it modally and the button that closed it is the answer; IDCANCEL when show fails.
// A dialog that edits a state the caller owns (size bytes; none when 0) takes the same way: show edits
// the state itself; a host answering for nobody writes its run's choices over it only on IDOK.
int RunModuleDialogOnBytes(const wchar_t* name, HWND owner, void* state, ULONG size,
                           const std::function<int()>& show) noexcept;

inline int RunModuleDialog(const wchar_t* name, HWND owner, const std::function<int()>& show) noexcept
{
    return RunModuleDialogOnBytes(name, owner, nullptr, 0, show);
}

template <class State>
int RunModuleDialogOnState(const wchar_t* name, HWND owner, State& state, const std::function<int()>& show) noexcept
{
    static_assert(std::is_trivially_copyable_v<State>);
    return RunModuleDialogOnBytes(name, owner, &state, sizeof state, show);
}
