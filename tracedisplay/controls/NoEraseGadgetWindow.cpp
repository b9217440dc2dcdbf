#include "tracedisplay/controls/NoEraseGadgetWindow.h"

namespace OrvControls
{

DEFINE_RESPONSE_TABLE1(UxNoEraseGadgetWindow, UxGadgetWindow)
    EV_WM_ERASEBKGND,
END_RESPONSE_TABLE;

UxNoEraseGadgetWindow::UxNoEraseGadgetWindow(OWL::TWindow* parent, OWL::TFont* font)
    : UxBorderlessGadgetWindow(parent, font)
{
}

void UxNoEraseGadgetWindow::SetupWindow()
{
    UxBorderlessGadgetWindow::SetupWindow();
    setUp_ = true;
}

bool UxNoEraseGadgetWindow::EvEraseBkgnd(HDC)
{
    return true;
}

} // namespace OrvControls
