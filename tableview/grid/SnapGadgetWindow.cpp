#include "tableview/grid/SnapGadgetWindow.h"

#include "controls/gadgets/ButtonGadgets.h"

#include <commctrl.h>

namespace TVF_Grid
{

DEFINE_RESPONSE_TABLE1(SnapGadgetWindowBase, OrvControls::UxBorderlessGadgetWindow)
    EV_WM_ERASEBKGND,
END_RESPONSE_TABLE;

SnapGadgetWindowBase::SnapGadgetWindowBase(OWL::TWindow* parent, OWL::TFont* font)
    : OrvControls::UxBorderlessGadgetWindow(parent, font)
{
}

void SnapGadgetWindowBase::SetupWindow()
{
    auto* toggle = new UxSizableButtonGadget(ToggleCommand, ToggleImage, OWL::TButtonGadget::NonExclusive);
    toggle->SetShrinkWrap(true, true);
    toggle->SetMargins(OWL::TMargins(OWL::TMargins::Pixels, 1, 1, 3, 4));
    // No side borders: the strip is as wide as the bar above it and one pixel, room for the picture and
    // its margins only; with them the toggle stood out of the grid, its picture cut at the grid's edge.
    toggle->SetBorders({0, 0, 3, 3});
    Insert(*toggle);
    OrvControls::UxBorderlessGadgetWindow::SetupWindow();
}

bool SnapGadgetWindowBase::EvEraseBkgnd(HDC dc)
{
    // The face colour of the grid's frame boxes. The theme's parent-background drawing is not used: it
    // has the grid paint into this strip, and the grid's own headers were then left unpainted.
    const OWL::TRect client = GetClientRect();
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

LRESULT SnapGadgetWindowBase::EvNotify(UINT id, NMHDR& info)
{
    if (info.code == TTN_GETDISPINFOW && info.idFrom == ToggleCommand)
    {
        auto& request = reinterpret_cast<NMTTDISPINFOW&>(info);
        request.lpszText = const_cast<wchar_t*>(ToggleHint());
        return 0;
    }
    return OrvControls::UxBorderlessGadgetWindow::EvNotify(id, info);
}

} // namespace TVF_Grid
