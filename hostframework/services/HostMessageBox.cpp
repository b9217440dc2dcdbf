#include "hostframework/services/HostMessageBox.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"
#include "foundation/system/ModalMessage.h"
#include "hostframework/services/HostServices.h"

namespace
{

int RouteToHost(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) noexcept
{
    return ShowHostMessageBox(text, caption, style, owner);
}

// A host without file dialogs has nobody to ask: the dialog counts as cancelled.
HRESULT RouteSaveFileToHost(HWND owner, const HostSaveFileRequest& request, BSTR* path) noexcept
{
    *path = nullptr;
    return Orv::CatchReturn([&]() -> HRESULT {
        IHostApplication* application = HostAppAccessor::Get();
        Orv::ComPtr<IHostFileDialogs> dialogs;
        if (!application || FAILED(application->QueryInterface(IID_IHostFileDialogs, dialogs.PutVoid())))
            return S_FALSE;
        return dialogs->AskSaveFileName(owner, &request, path);
    });
}

using DialogRequest = HRESULT (STDMETHODCALLTYPE IHostApplication::*)(HWND, const WCHAR*, LONG*);

HRESULT AskHostForDialog(DialogRequest request, const wchar_t* name, HWND owner, LONG& pressed) noexcept
{
    return Orv::CatchReturn([&]() -> HRESULT {
        IHostApplication* application = HostAppAccessor::Get();
        return application ? (application->*request)(owner, name, &pressed) : E_FAIL;
    });
}

// Only function pointers are stored here; the host is first asked when a box or dialog is shown.
const bool routeInstalled = (Orv::SetMessageBoxRoute(RouteToHost), true);
const bool saveFileRouteInstalled = (Orv::SetSaveFileRoute(RouteSaveFileToHost), true);

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

int RunHostDialog(const wchar_t* name, HWND owner) noexcept
{
    LONG pressed = IDCANCEL;
    return SUCCEEDED(AskHostForDialog(&IHostApplication::RunModalDialog, name, owner, pressed))
        ? static_cast<int>(pressed) : IDCANCEL;
}

int RunModuleDialogOnBytes(const wchar_t* name, HWND owner, void* state, ULONG size,
                           const std::function<int()>& show) noexcept
{
    LONG pressed = IDCANCEL;
    const HRESULT asked = Orv::CatchReturn([&]() -> HRESULT {
        IHostApplication* application = HostAppAccessor::Get();
        return application ? application->OfferModalDialog(owner, name, size, static_cast<BYTE*>(state), &pressed)
                           : E_FAIL;
    });
    if (asked == S_FALSE)
    {
        const HRESULT shown = Orv::CatchReturn([&]() -> HRESULT {
            pressed = show ? show() : IDCANCEL;
            return S_OK;
        });
        return SUCCEEDED(shown) ? static_cast<int>(pressed) : IDCANCEL;
    }
    return SUCCEEDED(asked) ? static_cast<int>(pressed) : IDCANCEL;
}
