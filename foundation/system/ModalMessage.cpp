#include "foundation/system/ModalMessage.h"

#include <atomic>

namespace Orv
{

namespace
{

// Constant-initialised, so a route installed by another file's static initialiser is never undone.
constinit std::atomic<MessageBoxRoute> installedRoute{nullptr};

} // namespace

MessageBoxRoute SetMessageBoxRoute(MessageBoxRoute route) noexcept
{
    return installedRoute.exchange(route);
}

int ShowMessageBox(HWND owner, const String& text, const String& caption, UINT style)
{
    const MessageBoxRoute route = installedRoute.load();
    return route ? route(owner, text.c_str(), caption.c_str(), style) : IDOK;
}

} // namespace Orv
