#include "platform/owl/controls/Control.h"

namespace OWL
{

TControl::TControl(TWindow* parent, int id, const wchar_t* title, int x, int y, int w, int h, TModule* module)
    : TWindow(parent, title, module)
{
    Attr.Id = id;
    Attr.X = x;
    Attr.Y = y;
    Attr.W = w;
    Attr.H = h;
    Attr.Style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
}

TControl::TControl(TWindow* parent, int resourceId, TModule* module) : TWindow(parent, nullptr, module)
{
    Attr.Id = resourceId;
    SetFlag(wfFromResource);
}

TStatic::TStatic(TWindow* parent, int id, const wchar_t* title, int x, int y, int w, int h, UINT, TModule* module)
    : TControl(parent, id, title, x, y, w, h, module)
{
    Attr.Style = (Attr.Style | SS_LEFT) & ~(WS_TABSTOP | WS_GROUP);
}

TStatic::TStatic(TWindow* parent, int resourceId, UINT, TModule* module) : TControl(parent, resourceId, module)
{
}

TButton::TButton(TWindow* parent, int id, const wchar_t* text, int x, int y, int w, int h, bool isDefault,
                 TModule* module)
    : TControl(parent, id, text, x, y, w, h, module)
{
    Attr.Style |= isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

TButton::TButton(TWindow* parent, int resourceId, TModule* module) : TControl(parent, resourceId, module) {}

TCheckBox::TCheckBox(TWindow* parent, int id, const wchar_t* title, int x, int y, int w, int h, TModule* module)
    : TButton(parent, id, title, x, y, w, h, false, module)
{
    Attr.Style = (Attr.Style & ~BS_TYPEMASK) | BS_AUTOCHECKBOX;
}

TCheckBox::TCheckBox(TWindow* parent, int resourceId, TModule* module) : TButton(parent, resourceId, module) {}

TRadioButton::TRadioButton(TWindow* parent, int id, const wchar_t* title, int x, int y, int w, int h,
                           TModule* module)
    : TCheckBox(parent, id, title, x, y, w, h, module)
{
    Attr.Style = (Attr.Style & ~BS_TYPEMASK) | BS_AUTORADIOBUTTON;
}

TRadioButton::TRadioButton(TWindow* parent, int resourceId, TModule* module) : TCheckBox(parent, resourceId, module)
{
}

} // namespace OWL
