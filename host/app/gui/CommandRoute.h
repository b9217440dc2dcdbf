// The way a menu command travels through the module's handlers, as the host routes it: the active view
// first, then the document it shows, then whoever registered the command.
#pragma once

#include "hostapi/VyrCommands.h"
#include "hostapi/VyrMessaging.h"
#include "foundation/com/ComPtr.h"

#include <string>
#include <vector>

namespace Host
{

// What IVyrCommandHandler::Invoke is asked to do with a popup command.
namespace VyrCommandInvokeKind
{
constexpr ULONG PopupInit = 6;    // first: the popup menu to fill
constexpr ULONG PopupSelect = 7;  // first: the id of the item chosen in it
} // namespace VyrCommandInvokeKind

// What the handlers made of a command when a menu opened.
struct CommandAnswer
{
    bool answered = false;  // some handler knew the command
    bool enabled = false;
    bool checked = false;
    std::wstring text;      // empty: the command keeps its caption
};

class CommandRoute
{
public:
    // Handlers are asked in the order given; a null one is skipped.
    CommandRoute(IUnknown* activeView, IUnknown* document, IVyrCommandRegistration* owner);

    // Asks the command's enabler through each handler until one answers.
    CommandAnswer Query(ULONG commandId) const;
    // The first handler that takes the command runs it; false when none does.
    bool Execute(ULONG commandId) const;
    // A popup command's initialisation (its popup menu) or selection (an item id): true when handled.
    bool Invoke(ULONG commandId, ULONG kind, ULONG_PTR first, ULONG_PTR second = 0) const;

private:
    std::vector<Orv::ComPtr<IVyrCommandHandler>> handlers_;
    Orv::ComPtr<IVyrCommandRegistration> owner_;
};

} // namespace Host
