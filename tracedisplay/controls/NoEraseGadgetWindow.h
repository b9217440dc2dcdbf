// The themed gadget window the zoom bar is built on: borderless, and its background is never erased
// (its gadgets paint all of it).
#pragma once

#include "controls/gadgets/GadgetWindows.h"

namespace OrvControls
{

class UxNoEraseGadgetWindow : public UxBorderlessGadgetWindow
{
public:
    explicit UxNoEraseGadgetWindow(OWL::TWindow* parent, OWL::TFont* font = nullptr);

    void SetupWindow() override;
    bool IsSetUp() const { return setUp_; }

protected:
    bool EvEraseBkgnd(HDC dc);

private:
    bool setUp_ = false;

    DECLARE_RESPONSE_TABLE(UxNoEraseGadgetWindow);
};

} // namespace OrvControls
