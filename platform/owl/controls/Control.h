// OWL::TControl and the plain system controls: a control object either makes its control (the
// constructor with id, text and rectangle) or binds a control of its dialog's template by id (the
// resource-id constructor). Their window classes are the system's; what the control draws and does is
// the system's too, unless a derived class handles the message.
#pragma once

#include "platform/owl/window/Window.h"

#include <string>

namespace OWL
{

class TControl : public TWindow
{
public:
    TControl(TWindow* parent, int id, const wchar_t* title, int x, int y, int w, int h, TModule* module = nullptr);
    TControl(TWindow* parent, int resourceId, TModule* module = nullptr);
};

// The text limit of the constructors is taken for the callers that pass one: a static has no limit.
class TStatic : public TControl
{
public:
    TStatic(TWindow* parent, int id, const wchar_t* title, int x, int y, int w, int h, UINT textLimit = 0,
            TModule* module = nullptr);
    TStatic(TWindow* parent, int resourceId, UINT textLimit = 0, TModule* module = nullptr);

    const wchar_t* GetClassName() override { return L"STATIC"; }
    std::wstring GetText() const { return GetWindowText(); }
    void SetText(const wchar_t* text) { SetWindowText(text); }
    void Clear() { SetText(L""); }
};

class TButton : public TControl
{
public:
    TButton(TWindow* parent, int id, const wchar_t* text, int x, int y, int w, int h, bool isDefault = false,
            TModule* module = nullptr);
    TButton(TWindow* parent, int resourceId, TModule* module = nullptr);

    const wchar_t* GetClassName() override { return L"BUTTON"; }
};

class TCheckBox : public TButton
{
public:
    TCheckBox(TWindow* parent, int id, const wchar_t* title, int x, int y, int w, int h, TModule* module = nullptr);
    TCheckBox(TWindow* parent, int resourceId, TModule* module = nullptr);

    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    UINT GetCheck() const { return static_cast<UINT>(SendMessage(BM_GETCHECK)); }
    void SetCheck(UINT state) { SendMessage(BM_SETCHECK, state); }
    void Check() { SetCheck(BST_CHECKED); }
    void Uncheck() { SetCheck(BST_UNCHECKED); }
    void Toggle() { SetCheck(GetCheck() == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED); }
};

class TRadioButton : public TCheckBox
{
public:
    TRadioButton(TWindow* parent, int id, const wchar_t* title, int x, int y, int w, int h,
                 TModule* module = nullptr);
    TRadioButton(TWindow* parent, int resourceId, TModule* module = nullptr);
};

} // namespace OWL
