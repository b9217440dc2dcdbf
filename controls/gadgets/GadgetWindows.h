// Gadget windows of the library: one whose size does not follow its gadgets (the base of one-button
// strips in dialogs), and the themed strips whose button gadgets draw with the visual-styles theme and
// light up while the pointer is over them.
#pragma once

#include "platform/owl/gadgets/GadgetWindow.h"

#include <uxtheme.h>

class FixedGadgetWindow : public OWL::TGadgetWindow
{
public:
    FixedGadgetWindow(OWL::TWindow* parent, int, OWL::TFont* font, int = 0);

    // Commands go through this window's response table and on to its parent, not to the gadgets.
    LRESULT EvCommand(UINT id, HWND control, UINT notifyCode) override;
};

namespace OrvControls
{

class UxGadgetWindow : public OWL::TGadgetWindow
{
public:
    // Theme class selector values.
    enum : int
    {
        ButtonTheme = 1,
        ToolbarTheme = 2,
    };

    explicit UxGadgetWindow(OWL::TWindow* parent, OWL::TFont* font = nullptr);
    ~UxGadgetWindow() override;

    DECLARE_RESPONSE_TABLE(UxGadgetWindow);

    const wchar_t* GetClassName() override { return L"UxGadgetWindow"; }
    HTHEME GetTheme() const { return theme_; }
    bool IsTrackingMouse() const { return tracking_; }

    // WM_THEMECHANGED: the theme opened afresh for the window; 1 when one is open now.
    LRESULT EvThemeChanged();

protected:
    void EvMouseMove(UINT modKeys, const OWL::TPoint& point);
    void EvMouseLeave();

private:
    void CloseTheme();

    bool tracking_ = false;
    HTHEME theme_ = nullptr;
    int themeClass_ = ButtonTheme;
};

// The themed strip as a borderless child window.
class UxBorderlessGadgetWindow : public UxGadgetWindow
{
public:
    explicit UxBorderlessGadgetWindow(OWL::TWindow* parent, OWL::TFont* font = nullptr);
};

} // namespace OrvControls
