// Gadget windows whose size does not follow their gadgets: the base of one-button strips in dialogs.
#pragma once

#include "platform/owl/gadgets/GadgetWindow.h"

class FixedGadgetWindow : public OWL::TGadgetWindow
{
public:
    FixedGadgetWindow(OWL::TWindow* parent, int, OWL::TFont* font, int = 0);

    // Commands go through this window's response table and on to its parent, not to the gadgets.
    LRESULT EvCommand(UINT id, HWND control, UINT notifyCode) override;
};
