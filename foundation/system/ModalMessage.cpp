#include "foundation/system/ModalMessage.h"

#include <atomic>

namespace Orv
{

namespace
{

// Constant-initialised, so a route installed by another file's static initialiser is never undone.
constinit std::atomic<MessageBoxRoute> installedRoute{nullptr};
constinit std::atomic<SaveFileRoute> installedSaveFileRoute{nullptr};

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

SaveFileRoute SetSaveFileRoute(SaveFileRoute route) noexcept
{
    return installedSaveFileRoute.exchange(route);
}

String AskSaveFileName(HWND owner, const HostSaveFileRequest& request)
{
    String path;
    if (const SaveFileRoute route = installedSaveFileRoute.load())
        route(owner, request, path.OutArg());
    return path;
}

} // namespace Orv
