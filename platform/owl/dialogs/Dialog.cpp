#include "platform/owl/dialogs/Dialog.h"

#include "platform/owl/Failure.h"
#include "platform/owl/Module.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/XOrv.h"

#include <utility>

namespace OWL
{

namespace
{

// The dialog whose window is being made on this thread, until its first message binds it.
thread_local TDialog* dialogBeingCreated = nullptr;

HRSRC FindDialog(HINSTANCE instance, TResId resource, LANGID language)
{
    if (HRSRC found = ::FindResourceExW(instance, RT_DIALOG, resource, language))
        return found;
    if (HRSRC found = ::FindResourceExW(instance, RT_DIALOG, resource, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)))
        return found;
    return ::FindResourceW(instance, resource, RT_DIALOG);
}

} // namespace

TDialogRes::TDialogRes(HINSTANCE instance, TResId resource, LANGID language)
{
    const HRSRC found = Checked(FindDialog(instance, resource, language), L"Dialog resource not found");
    const HGLOBAL loaded = Checked(::LoadResource(instance, found), L"Dialog resource could not be loaded");
    template_ = static_cast<const DLGTEMPLATE*>(::LockResource(loaded));
    size_ = ::SizeofResource(instance, found);
}

TDialogRes::TDialogRes(HINSTANCE instance, TResId resource)
    : TDialogRes(instance, resource, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL))
{
}

DEFINE_RESPONSE_TABLE1(TDialog, TWindow)
    EV_WM_INITDIALOG,
    EV_WM_CLOSE,
    EV_COMMAND(IDOK, CmOk),
    EV_COMMAND(IDCANCEL, CmCancel),
END_RESPONSE_TABLE;

TDialog::TDialog(TWindow* parent, TResId resource, TModule* module) : TWindow(parent, nullptr, module), Resource(resource)
{
    // A dialog is made by its owner, not with its parent.
    DisableAutoCreate();
}

TDialog::TDialog(TWindow* parent, const DLGTEMPLATE& dialogTemplate, TModule* module)
    : TWindow(parent, nullptr, module), Template(&dialogTemplate)
{
    DisableAutoCreate();
}

HWND TDialog::ParentWindow() const
{
    return Parent ? Parent->GetHandle() : nullptr;
}

int TDialog::Execute()
{
    Modal = true;
    TDialog* const outer = std::exchange(dialogBeingCreated, this);
    const INT_PTR result =
        Template ? ::DialogBoxIndirectParamW(GetInstance(), Template, ParentWindow(), &DialogProcedure, 0)
                 : ::DialogBoxParamW(GetInstance(), Resource, ParentWindow(), &DialogProcedure, 0);
    dialogBeingCreated = outer;
    Modal = false;
    return static_cast<int>(result);
}

bool TDialog::Create()
{
    if (Handle)
        return true;
    Modal = false;
    TDialog* const outer = std::exchange(dialogBeingCreated, this);
    const HWND handle =
        Template ? ::CreateDialogIndirectParamW(GetInstance(), Template, ParentWindow(), &DialogProcedure, 0)
                 : ::CreateDialogParamW(GetInstance(), Resource, ParentWindow(), &DialogProcedure, 0);
    const DWORD error = ::GetLastError();
    dialogBeingCreated = outer;
    if (!handle)
    {
        ::SetLastError(error);
        ThrowLastError(L"The dialog could not be made");
    }
    return true;
}

// Binds the dialog at its first message and subclasses it, so that its messages reach the response
// tables like any window's; the dialog procedure itself leaves everything to the dialog manager.
INT_PTR CALLBACK TDialog::DialogProcedure(HWND handle, UINT msg, WPARAM, LPARAM)
{
    if (!FromHandle(handle) && dialogBeingCreated)
    {
        TDialog* dialog = std::exchange(dialogBeingCreated, nullptr);
        const HRESULT bound = Orv::CatchReturn([&] { dialog->SubclassWindow(handle); });
        if (FAILED(bound))
        {
            wchar_t text[96];
            swprintf(text, 96, L"A dialog could not be bound at message 0x%04X (0x%08lX)", msg,
                     static_cast<unsigned long>(bound));
            Orv::LogFailure(text);
        }
    }
    return FALSE;
}

bool TDialog::EvInitDialog(HWND)
{
    GetWindowAttributes();
    DefaultProcessing();
    PerformSetup();
    return true;
}

void TDialog::EvClose()
{
    CmCancel();
}

void TDialog::CmOk()
{
    CloseWindow(IDOK);
}

void TDialog::CmCancel()
{
    Destroy(IDCANCEL);
}

void TDialog::CloseWindow(int returnValue)
{
    if (CanClose())
        Destroy(returnValue);
}

void TDialog::Destroy(int returnValue)
{
    if (!Handle)
        return;
    if (Modal)
        ::EndDialog(Handle, returnValue);
    else
        ::DestroyWindow(Handle);
}

} // namespace OWL
