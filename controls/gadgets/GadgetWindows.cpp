#include "controls/gadgets/GadgetWindows.h"

FixedGadgetWindow::FixedGadgetWindow(OWL::TWindow* parent, int, OWL::TFont* font, int)
    : OWL::TGadgetWindow(parent, Horizontal, font, nullptr)
{
    SetShrinkWrap(false, false);
}

LRESULT FixedGadgetWindow::EvCommand(UINT id, HWND control, UINT notifyCode)
{
    return OWL::TWindow::EvCommand(id, control, notifyCode);
}
