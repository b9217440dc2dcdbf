#include "controls/gadgets/GadgetWindows.h"

#include "controls/gadgets/ButtonGadgets.h"
#include "controls/theme/UxTheme.h"
#include "foundation/system/SystemInfo.h"

FixedGadgetWindow::FixedGadgetWindow(OWL::TWindow* parent, int, OWL::TFont* font, int)
    : OWL::TGadgetWindow(parent, Horizontal, font, nullptr)
{
    SetShrinkWrap(false, false);
}

LRESULT FixedGadgetWindow::EvCommand(UINT id, HWND control, UINT notifyCode)
{
    return OWL::TWindow::EvCommand(id, control, notifyCode);
}

namespace OrvControls
{

namespace
{

// The themed button gadget the pointer was last over, or null; with the point relative to it.
UxSizableButtonGadget* ThemedGadgetAt(OWL::TGadget* gadget)
{
    return dynamic_cast<UxSizableButtonGadget*>(gadget);
}

OWL::TPoint RelativeTo(const OWL::TGadget& gadget, const OWL::TPoint& point)
{
    return OWL::TPoint(point.x - gadget.GetBounds().left, point.y - gadget.GetBounds().top);
}

} // namespace

DEFINE_RESPONSE_TABLE1(UxGadgetWindow, OWL::TGadgetWindow)
    OWL_MSG(WM_THEMECHANGED, self.EvThemeChanged()),
    EV_WM_MOUSEMOVE,
    EV_WM_MOUSELEAVE,
END_RESPONSE_TABLE;

UxGadgetWindow::UxGadgetWindow(OWL::TWindow* parent, OWL::TFont* font)
    : OWL::TGadgetWindow(parent, Horizontal, font, nullptr)
{
    // No window yet: the theme is opened for no window and reopened for this one when the theme changes.
    if (Orv::IsXPOrLater())
        theme_ = OrvLinkingUtils::UxThemeDLL::Instance().OpenThemeData(nullptr, L"BUTTON");
}

UxGadgetWindow::~UxGadgetWindow()
{
    CloseTheme();
}

void UxGadgetWindow::CloseTheme()
{
    if (theme_)
        OrvLinkingUtils::UxThemeDLL::Instance().CloseThemeData(std::exchange(theme_, nullptr));
}

LRESULT UxGadgetWindow::EvThemeChanged()
{
    CloseTheme();
    if (Orv::IsXPOrLater())
        theme_ = OrvLinkingUtils::UxThemeDLL::Instance().OpenThemeData(GetHandle(),
                                                                        themeClass_ == ButtonTheme ? L"BUTTON" : L"TOOLBAR");
    LayoutSession();
    return theme_ ? 1 : 0;
}

void UxGadgetWindow::EvMouseMove(UINT modKeys, const OWL::TPoint& point)
{
    if (!tracking_)
    {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, GetHandle(), 0};
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
        if (UxSizableButtonGadget* gadget = ThemedGadgetAt(GetAtMouse()))
            gadget->MouseEnter(modKeys, RelativeTo(*gadget, point));
        Invalidate(true);
    }
    OWL::TGadgetWindow::EvMouseMove(modKeys, point);
}

void UxGadgetWindow::EvMouseLeave()
{
    const DWORD at = ::GetMessagePos();
    OWL::TPoint point(static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at)));
    ::ScreenToClient(GetHandle(), &point);
    if (UxSizableButtonGadget* gadget = ThemedGadgetAt(GetAtMouse()))
        gadget->MouseLeave(0, RelativeTo(*gadget, point));
    tracking_ = false;
    OWL::TGadgetWindow::EvMouseLeave();
}

UxBorderlessGadgetWindow::UxBorderlessGadgetWindow(OWL::TWindow* parent, OWL::TFont* font)
    : UxGadgetWindow(parent, font)
{
    Attr.Style = (Attr.Style & ~WS_BORDER) | WS_CHILD;
}

} // namespace OrvControls
