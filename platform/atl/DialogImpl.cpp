#include "platform/atl/DialogImpl.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/FailureLog.h"

#include <utility>

namespace ATL
{

namespace
{

thread_local CDialogImplRoot* dialogBeingCreated = nullptr;

// Messages whose result the dialog procedure returns itself rather than through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg)
{
    switch (msg)
    {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

} // namespace

INT_PTR CDialogImplRoot::RunModal(HINSTANCE instance, const wchar_t* resource, HWND parent, LPARAM initParam)
{
    CDialogImplRoot* const outer = std::exchange(dialogBeingCreated, this);
    const INT_PTR result = ::DialogBoxParamW(instance, resource, parent, &DialogProc, initParam);
    dialogBeingCreated = outer;
    return result;
}

HWND CDialogImplRoot::RunModeless(HINSTANCE instance, const wchar_t* resource, HWND parent, LPARAM initParam)
{
    CDialogImplRoot* const outer = std::exchange(dialogBeingCreated, this);
    const HWND handle = ::CreateDialogParamW(instance, resource, parent, &DialogProc, initParam);
    dialogBeingCreated = outer;
    return handle;
}

INT_PTR CALLBACK CDialogImplRoot::DialogProc(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<CDialogImplRoot*>(FromHandle(handle));
    if (!self && dialogBeingCreated)
    {
        self = std::exchange(dialogBeingCreated, nullptr);
        self->Bind(handle);
    }
    if (!self)
        return FALSE;
    const bool outermost = self->m_pCurrentMsg == nullptr;
    LRESULT result = 0;
    const BOOL handled = self->Dispatch(handle, msg, wParam, lParam, result);
    if (msg == WM_NCDESTROY && outermost)
        self->Finish(handle);
    if (!handled)
        return FALSE;
    if (ReturnsResultDirectly(msg))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(handle, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace ATL
