// Runs one of the module's OWL dialogs modally over a window the module knows only by its handle, as
// the document's commands and the host's calls give it; without a handle the dialog has no owner.
#pragma once

#include "platform/owl/window/Window.h"

#include <optional>
#include <utility>

namespace Sistra
{

template <class Dialog, class... Args>
int ExecuteOver(HWND parent, Args&&... args)
{
    std::optional<OWL::TWindow> owner;
    if (parent)
        owner.emplace(parent);
    Dialog dialog(owner ? &*owner : nullptr, std::forward<Args>(args)...);
    return dialog.Execute();
}

} // namespace Sistra
