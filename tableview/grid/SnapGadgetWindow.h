// The small strip under the grid's vertical scroll bar with one toggle: "always show latest row when
// sampling". Its command reaches the grid, which keeps and reports the state.
#pragma once

#include "controls/gadgets/GadgetWindows.h"

namespace TVF_Grid
{

class SnapGadgetWindowBase : public OrvControls::UxBorderlessGadgetWindow
{
public:
    static constexpr int ToggleCommand = 1006;
    // The toggle's picture, a PNG resource of the module.
    static constexpr UINT ToggleImage = 1005;

    explicit SnapGadgetWindowBase(OWL::TWindow* parent, OWL::TFont* font);
    DECLARE_RESPONSE_TABLE(SnapGadgetWindowBase);

    void SetupWindow() override;
    // The toggle's tooltip text.
    static const wchar_t* ToggleHint() { return L"Toggle 'always show latest row when sampling'"; }

protected:
    bool EvEraseBkgnd(HDC dc);
    LRESULT EvNotify(UINT id, NMHDR& info) override;
};

} // namespace TVF_Grid
