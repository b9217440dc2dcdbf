// ATL::CDialogImpl: a dialog from the template T::IDD of the resource module, modal (DoModal) or
// modeless (Create), whose messages go to T's message map. A handled message's result goes back to the
// dialog manager as the dialog's message result. The dialog is found from its handle through a window
// property; after its last message OnFinalMessage runs.
#pragma once

#include "platform/atl/WindowImpl.h"

namespace ATL
{

class CDialogImplRoot : public CWindowImplRoot
{
public:
    BOOL EndDialog(int result) const { return ::EndDialog(m_hWnd, result); }
    static INT_PTR CALLBACK DialogProc(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    INT_PTR RunModal(HINSTANCE instance, const wchar_t* resource, HWND parent, LPARAM initParam);
    HWND RunModeless(HINSTANCE instance, const wchar_t* resource, HWND parent, LPARAM initParam);
};

template <class T, class TBase = CWindow>
class CDialogImpl : public CDialogImplRoot
{
public:
    INT_PTR DoModal(HWND parent = ::GetActiveWindow(), LPARAM initParam = 0)
    {
        return RunModal(GetResourceInstance(), MAKEINTRESOURCEW(T::IDD), parent, initParam);
    }
    HWND Create(HWND parent, LPARAM initParam = 0)
    {
        return RunModeless(GetResourceInstance(), MAKEINTRESOURCEW(T::IDD), parent, initParam);
    }
};

} // namespace ATL
