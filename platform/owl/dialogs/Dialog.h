// OWL::TDialog: a dialog made from a template (a resource of a module, or a template in memory), run
// modally (Execute) or modeless (Create). Its controls are usually objects bound to the template's
// controls by id (the resource-id constructors of the controls); they are bound when the dialog is set
// up. OK asks every control whether the dialog can close (a validator may refuse); Cancel ends it.
//
// TDialogRes finds a dialog template in a chosen language, falling back to the module's default.
#pragma once

#include "platform/owl/ResId.h"
#include "platform/owl/window/Window.h"

#include <windows.h>

namespace OWL
{

class TModule;

class TDialogRes
{
public:
    // The template of that language, else the neutral or first one the module has; throws XOrv when
    // the module has no such dialog.
    TDialogRes(HINSTANCE instance, TResId resource, LANGID language);
    TDialogRes(HINSTANCE instance, TResId resource);

    // The template lives as long as the module stays loaded.
    const DLGTEMPLATE* GetTemplate() const { return template_; }
    DWORD GetSize() const { return size_; }

private:
    const DLGTEMPLATE* template_;
    DWORD size_;
};

class TDialog : public TWindow
{
public:
    TDialog(TWindow* parent, TResId resource, TModule* module = nullptr);
    // A template in memory; it must stay valid while the dialog makes its window.
    TDialog(TWindow* parent, const DLGTEMPLATE& dialogTemplate, TModule* module = nullptr);

    DECLARE_RESPONSE_TABLE(TDialog);

    // Runs the dialog modally; the value it ended with (IDOK, IDCANCEL, ...), -1 when it could not run.
    virtual int Execute();
    // Makes the modeless dialog window.
    bool Create() override;
    bool IsModal() const { return Modal; }

    // OK: when every control agrees, ends with IDOK. Cancel: ends with IDCANCEL.
    virtual void CmOk();
    virtual void CmCancel();
    void CloseWindow(int returnValue = IDCANCEL) override;
    // Ends a modal dialog with the value, destroys a modeless one.
    void Destroy(int returnValue = IDCANCEL) override;

    const wchar_t* GetClassName() override { return L"#32770"; }

protected:
    // Sets the dialog up (binds and creates its controls); true lets the system focus the first control.
    bool EvInitDialog(HWND focus);
    void EvClose();

private:
    static INT_PTR CALLBACK DialogProcedure(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND ParentWindow() const;

    TResId Resource;
    const DLGTEMPLATE* Template = nullptr;
    bool Modal = false;
};

} // namespace OWL
