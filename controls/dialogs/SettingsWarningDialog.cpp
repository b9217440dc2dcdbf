#include "controls/dialogs/SettingsWarningDialog.h"

#include "controls/theme/DpiAndFonts.h"
#include "controls/theme/UxTheme.h"
#include "foundation/text/StringResources.h"
#include "platform/owl/gdi/DC.h"
#include "platform/owl/gdi/GdiObjects.h"
#include "resources/ResourceIds.h"

#include <vssym32.h>

namespace OrvControls
{

namespace
{

// A bitmap window bound to the notice's bitmap control rather than made by itself.
class BoundBitmapWindow : public BitmapWindow
{
public:
    BoundBitmapWindow(OWL::TWindow* parent, std::unique_ptr<OWL::TBitmap> bitmap)
        : BitmapWindow(parent, 0, 0, std::move(bitmap))
    {
        Attr.Id = IDC_CONTROLS_WARNING_BITMAP;
        SetFlag(OWL::wfFromResource);
    }
};

} // namespace

DialogSettingsWarningDlg::DialogSettingsWarningDlg(OWL::TWindow* parent)
    : Orv::DialogBase(parent, L"INVALIDSETTINGSDLG"),
      icon_(new OWL::TStatic(this, IDC_CONTROLS_WARNING_ICON)),
      bitmap_(new BoundBitmapWindow(this, std::make_unique<OWL::TBitmap>(Orv::ThisModule(),
                                                                          IDB_CONTROLS_SETTINGS_ERROR)))
{
    SetCaption(ProductName);
}

void DialogSettingsWarningDlg::SetupWindow()
{
    OWL::TDialog::SetupWindow();
    SetWindowText(ProductName);
    icon_->SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_HAND)));
    WindowPlacementMemory().Place(GetHandle());
}

DEFINE_RESPONSE_TABLE1(DialogSeparator, OWL::TStatic)
    EV_WM_PAINT,
END_RESPONSE_TABLE;

DialogSeparator::DialogSeparator(OWL::TWindow* parent, int resourceId) : OWL::TStatic(parent, resourceId) {}

void DialogSeparator::SetupWindow()
{
    OWL::TWindow::SetupWindow();
    ModifyStyle(0, SS_NOTIFY);
}

OWL::TPoint DialogSeparator::LineStart()
{
    const std::wstring text = GetWindowText();
    if (text.empty())
        return OWL::TPoint(Attr.X, Attr.Y);
    HDC dc = ::GetDC(GetHandle());
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ::ReleaseDC(GetHandle(), dc);
    return OWL::TPoint(extent.cx + 5, GetClientRect().Height() / 2 + 1);
}

COLORREF DialogSeparator::LineColour()
{
    auto& theme = OrvLinkingUtils::UxThemeDLL::Instance();
    COLORREF colour = RGB(204, 204, 204);
    if (HTHEME button = theme.OpenThemeData(GetHandle(), L"BUTTON"))
    {
        COLORREF border = 0;
        if (SUCCEEDED(theme.GetThemeColor(button, TMT_BORDERCOLOR, &border)) ||
            SUCCEEDED(theme.GetThemeColor(button, TMT_BORDERCOLORHINT, &border)))
            colour = border;
        theme.CloseThemeData(button);
    }
    return colour;
}

void DialogSeparator::Paint(OWL::TDC& dc, bool, OWL::TRect&)
{
    auto& theme = OrvLinkingUtils::UxThemeDLL::Instance();
    COLORREF textColour = RGB(0, 0, 0);
    if (HTHEME button = theme.OpenThemeData(GetHandle(), L"BUTTON"))
    {
        theme.GetThemeColor(button, TMT_TEXTCOLOR, &textColour);
        theme.CloseThemeData(button);
    }
    const int saved = SaveDC(dc);
    const OWL::TDefaultGUIFont2 font;
    SelectObject(dc, font.GetHandle());
    SetTextColor(dc, textColour);
    SetBkMode(dc, TRANSPARENT);
    const std::wstring text = GetWindowText();
    TextOutW(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
    HPEN pen = CreatePen(PS_SOLID, 1, LineColour());
    SelectObject(dc, pen);
    const OWL::TPoint start = LineStart();
    MoveToEx(dc, start.x, start.y, nullptr);
    LineTo(dc, GetClientRect().Width(), start.y);
    RestoreDC(dc, saved);
    DeleteObject(pen);
}

} // namespace OrvControls
