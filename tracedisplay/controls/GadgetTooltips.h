// The hover texts of a bar's buttons: one tooltip window per bar, one tool per button, kept on the
// button's current place. Pressing on the bar closes a showing tip.
#pragma once

#include "platform/owl/gadgets/GadgetWindow.h"

#include <windows.h>

#include <string>

namespace StrixDraw
{

class GadgetTooltips
{
public:
    GadgetTooltips() = default;
    GadgetTooltips(const GadgetTooltips&) = delete;
    GadgetTooltips& operator=(const GadgetTooltips&) = delete;
    ~GadgetTooltips();

    // Gives the gadget of the id its text over its present bounds (the tooltip window made on first need).
    void Show(OWL::TGadgetWindow& bar, UINT id, const std::wstring& text);
    // The text the gadget of the id shows; empty when it has none.
    std::wstring Text(HWND bar, UINT id) const;
    // Off while the mouse button is down on the bar, so that a showing tip closes.
    void Activate(bool active) const;

private:
    HWND tips_ = nullptr;
};

// A tooltip text of the module's string table, loaded once per process.
const std::wstring& TooltipText(UINT id);

} // namespace StrixDraw
