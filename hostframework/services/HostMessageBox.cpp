#include "hostframework/services/HostMessageBox.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/system/ModalMessage.h"
#include "hostframework/services/HostServices.h"

namespace
{

int RouteToHost(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) noexcept
{
    return ShowHostMessageBox(text, caption, style, owner);
}

// Only a function pointer is stored here; the host is first asked when a box is shown.
const bool routeInstalled = (Orv::SetMessageBoxRoute(RouteToHost), true);

} // namespace

int ShowHostMessageBox(const wchar_t* text, const wchar_t* caption, UINT style, HWND owner) noexcept
{
    LONG pressed = IDOK;
    const HRESULT shown = Orv::CatchReturn([&]() -> HRESULT {
        IHostApplication* application = HostAppAccessor::Get();
        return application ? application->ShowMessageBox(owner, text, caption, style, &pressed) : E_FAIL;
    });
    return SUCCEEDED(shown) ? static_cast<int>(pressed) : IDOK;
}
