#include "controls/buttons/BmpTxtButton.h"

#include "controls/theme/UxTheme.h"
#include "controls/windows/GdiPlusBitmaps.h"
#include "controls/windows/SmallWindowUtilities.h"
#include "foundation/system/SystemInfo.h"
#include "platform/owl/gdi/DC.h"
#include "platform/owl/gdi/UIParts.h"

#include <algorithm>

namespace OrvControls
{

namespace
{

constexpr int ButtonPart = 1;

std::wstring WithoutAmpersands(std::wstring text)
{
    text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
    return text;
}

} // namespace

DEFINE_RESPONSE_TABLE1(TBmpTxtButton, OWL::TGlyphButton)
    EV_WM_MOUSEMOVE,
    EV_WM_LBUTTONDOWN,
    EV_WM_LBUTTONUP,
    EV_WM_KEYUP,
    EV_WM_KEYDOWN,
    OWL_MSG(WM_LBUTTONDBLCLK, self.EvLButtonUp(static_cast<UINT>(wParam), OWL_POINT_OF(lParam))),
    EV_WM_MOUSELEAVE,
    EV_WM_TIMER,
    EV_MESSAGE(WM_THEMECHANGED, EvThemeChanged),
    OWL_MSG(WM_RBUTTONDOWN, self.EvOtherButtonDown(static_cast<UINT>(wParam), OWL_POINT_OF(lParam))),
    OWL_MSG(WM_MBUTTONDOWN, self.EvOtherButtonDown(static_cast<UINT>(wParam), OWL_POINT_OF(lParam))),
    OWL_MSG(WM_CANCELMODE, self.EvCancelMode()),
    EV_WM_KILLFOCUS,
    EV_MESSAGE(WM_ENABLE, EvEnableButton),
END_RESPONSE_TABLE;

TBmpTxtButton::TBmpTxtButton(OWL::TWindow* parent, int id, const wchar_t* caption, int x, int y, int w, int h,
                             const Orv::String& helpText, bool isDefault, OWL::TModule* module)
    : OWL::TGlyphButton(parent, id, caption, x, y, w, h, btCustom, isDefault, module), helpText_(helpText)
{
}

TBmpTxtButton::TBmpTxtButton(OWL::TWindow* parent, int resourceId, const Orv::String& helpText,
                             OWL::TModule* module)
    : OWL::TGlyphButton(parent, resourceId, btCustom, module), helpText_(helpText)
{
}

TBmpTxtButton::~TBmpTxtButton()
{
    if (theme_)
        OrvLinkingUtils::UxThemeDLL::Instance().CloseThemeData(theme_);
}

void TBmpTxtButton::SetBitmap(UINT bitmapId)
{
    glyph_ = new OWL::TBtnBitmap(GetInstance(), bitmapId, OWL::TColor::Sys3dFace);
    SetGlyph(glyph_);
    Set(biShowGlyph);
    if (GetHandle())
        Invalidate(true);
}

void TBmpTxtButton::SetupWindow()
{
    if (Orv::IsXPOrLater())
        theme_ = OrvLinkingUtils::UxThemeDLL::Instance().OpenThemeData(GetHandle(), themeClass_.c_str());
    unthemed_ = theme_ == nullptr;
    hot_ = clicked_ = keyboardFocus_ = tracking_ = popupShown_ = false;
    hoverTime_ = 0;
    ModifyStyle(0, 0x0E);
    OWL::TGlyphButton::SetupWindow();
    if (!GetWindowText().empty())
        Set(biShowText);
}

void TBmpTxtButton::EndPopup()
{
    KillTimer(HoverTimer);
    popup_.reset();
}

void TBmpTxtButton::EvMouseMove(UINT modKeys, const OWL::TPoint& point)
{
    if (!tracking_)
    {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, GetHandle(), 0};
        TrackMouseEvent(&track);
        tracking_ = true;
    }
    if (!popupShown_ && !helpText_.IsEmpty() && !clicked_)
        SetTimer(HoverTimer, HoverTick);
    if (clicked_)
    {
        OWL::TGlyphButton::EvMouseMove(modKeys, point);
        return;
    }
    const bool inside = GetClientRect().Contains(point);
    if (unthemed_ && themeClass_ == L"BUTTON")
    {
        if (inside)
            hot_ = true;
        else if (hot_)
        {
            hot_ = false;
            if (IsSet(biPushed))
                SendMessage(BM_SETSTATE, 0);
        }
        return;
    }
    if (inside && !hot_)
    {
        hot_ = true;
        Set(biFocus);
        Invalidate(false);
    }
    else if (!inside && hot_)
        LeaveHot();
}

void TBmpTxtButton::LeaveHot()
{
    hot_ = false;
    if (IsPushButton() && IsSet(biPushed))
        SendMessage(BM_SETSTATE, 0);
    EvKillFocus(nullptr);
    Invalidate(false);
}

void TBmpTxtButton::EvLButtonDown(UINT modKeys, const OWL::TPoint& point)
{
    OWL::TGlyphButton::EvLButtonDown(modKeys, point);
    SetCapture();
    if (!helpText_.IsEmpty() && popupShown_)
    {
        EndPopup();
        popupShown_ = false;
    }
    hot_ = true;
    Invalidate(false);
}

void TBmpTxtButton::EvLButtonUp(UINT, const OWL::TPoint& point)
{
    if (::GetCapture() == GetHandle())
    {
        if (IsPushButton() || toggleState == 1)
            SendMessage(BM_SETSTATE, 0);
        if (!IsPushButton())
        {
            toggleState = 1 - toggleState;
            if (toggleState == 1)
                Set(biPushed);
        }
        if (GetClientRect().Contains(point) && GetParentO())
            ::SendMessageW(GetParentO()->GetHandle(), WM_COMMAND, MAKEWPARAM(GetId(), BN_CLICKED),
                           reinterpret_cast<LPARAM>(GetHandle()));
    }
    ReleaseCapture();
    clicked_ = true;
    Invalidate(false);
}

void TBmpTxtButton::EvKeyUp(UINT key, UINT repeatCount, UINT flags)
{
    OWL::TGlyphButton::EvKeyUp(key, repeatCount, flags);
    if (key == VK_TAB)
    {
        keyboardFocus_ = true;
        Clear(biDefault);
    }
    Invalidate(false);
}

void TBmpTxtButton::EvKeyDown(UINT key, UINT repeatCount, UINT flags)
{
    OWL::TGlyphButton::EvKeyDown(key, repeatCount, flags);
    if (!helpText_.IsEmpty())
        EndPopup();
    Invalidate(false);
}

void TBmpTxtButton::EvOtherButtonDown(UINT, const OWL::TPoint&)
{
    DefaultProcessing();
    if (!helpText_.IsEmpty())
        EndPopup();
}

void TBmpTxtButton::EvTimer(UINT)
{
    if ((IsPushButton() && IsSet(biPushed)) || clicked_)
    {
        EndPopup();
        return;
    }
    if (helpText_.IsEmpty())
        return;
    hoverTime_ += HoverTick;
    if (hoverTime_ <= helpPopupTime)
    {
        if (!popupShown_)
        {
            popupShown_ = true;
            POINT cursor{};
            GetCursorPos(&cursor);
            popup_ = std::make_unique<Orv::Popup>(this, OWL::TPoint(cursor.x - 3, cursor.y + 19), helpText_);
        }
        return;
    }
    EndPopup();
    hoverTime_ = 0;
}

void TBmpTxtButton::EvMouseLeave()
{
    if (!helpText_.IsEmpty())
    {
        EndPopup();
        popupShown_ = false;
    }
    if (hot_)
        LeaveHot();
    tracking_ = false;
    clicked_ = false;
}

void TBmpTxtButton::EvKillFocus(HWND)
{
    Clear(biFocus);
    if (IsSet(biPushed))
    {
        if (::GetCapture() == GetHandle())
            ReleaseCapture();
        if (IsPushButton())
            Clear(biPushed);
    }
    Invalidate(false);
}

void TBmpTxtButton::Cancel()
{
    if (::GetCapture() == GetHandle())
        ReleaseCapture();
    if (IsPushButton())
        Clear(biPushed);
    Invalidate(false);
}

void TBmpTxtButton::EvCancelMode()
{
    Cancel();
}

LRESULT TBmpTxtButton::EvEnableButton(WPARAM enabled, LPARAM)
{
    if (enabled)
        Clear(biDisabled);
    else
    {
        Cancel();
        Set(biDisabled);
    }
    Invalidate(false);
    return 0;
}

LRESULT TBmpTxtButton::EvThemeChanged(WPARAM, LPARAM)
{
    auto& library = OrvLinkingUtils::UxThemeDLL::Instance();
    if (theme_)
        library.CloseThemeData(theme_);
    theme_ = Orv::IsXPOrLater() ? library.OpenThemeData(GetHandle(), themeClass_.c_str()) : nullptr;
    unthemed_ = theme_ == nullptr;
    return 0;
}

void TBmpTxtButton::PaintFrame(OWL::TDC& dc, OWL::TRect& rect)
{
    auto& library = OrvLinkingUtils::UxThemeDLL::Instance();
    HTHEME theme = unthemed_ ? nullptr : library.OpenThemeData(GetHandle(), themeClass_.c_str());
    if (!theme)
    {
        unthemed_ = true;
        dc.FillRect(rect, OWL::TBrush(OWL::TColor::Sys3dFace));
        if (themeClass_ == L"BUTTON")
        {
            const OWL::TUIBorder border(rect, IsSet(biPushed) ? OWL::TUIBorder::ButtonDn : OWL::TUIBorder::ButtonUp);
            border.Paint(dc);
            rect = border.GetClientRect();
        }
        return;
    }
    const int state = IsSet(biDisabled) ? 4 : IsSet(biPushed) ? 3 : IsSet(biFocus) ? 2 : IsSet(biDefault) ? 5 : 1;
    if (parentColouredBackground && GetParentO())
    {
        HBRUSH brush = reinterpret_cast<HBRUSH>(::SendMessageW(GetParentO()->GetHandle(), WM_CTLCOLORBTN,
                                                                reinterpret_cast<WPARAM>(HDC(dc)),
                                                                reinterpret_cast<LPARAM>(GetHandle())));
        if (brush)
            FillRect(dc, &rect, brush);
    }
    else
        library.DrawThemeParentBackground(GetHandle(), dc, &rect);
    library.DrawThemeBackground(theme, dc, ButtonPart, state, rect);
    library.CloseThemeData(theme);
    rect.Inflate(-3, -3);
}

void TBmpTxtButton::PaintFace(OWL::TDC& dc, const OWL::TRect& rect)
{
    OWL::TRect textRect, glyphRect;
    LayoutTextGlyph(rect, textRect, glyphRect);
    const bool disabled = IsSet(biDisabled);
    const int shift = unthemed_ && IsSet(biPushed) ? 1 : 0;
    if (glyph_ && !glyphRect.IsEmpty())
    {
        const POINT at{glyphRect.left + shift, glyphRect.top + shift};
        if (disabled)
            DrawDisabledBitmap(dc, *glyph_, at);
        else
            BlitWithKeyColour(dc, OWL::TRect(OWL::TPoint(at.x, at.y), glyph_->Size()), *glyph_, OWL::TPoint(0, 0));
    }
    if (!IsSet(biShowText))
        return;
    const std::wstring caption = WithoutAmpersands(GetWindowText());
    HFONT font = GetWindowFont();
    if (!font && GetParentO())
        font = reinterpret_cast<HFONT>(::SendMessageW(GetParentO()->GetHandle(), WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const OWL::SelectedObject selected(dc, font);
    RECT measured{0, 0, textRect.Width(), 32767};
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measured, DT_CALCRECT | DT_WORDBREAK);
    RECT at = textRect.OffsetRect(shift, shift);
    if (measured.bottom > at.bottom - at.top)
    {
        at.top = rect.top + (rect.Height() - measured.bottom) / 2;
        at.bottom = at.top + measured.bottom;
    }
    // A system with the 3-D look etches disabled text.
    if (disabled)
    {
        OWL::TUIFace::DrawTextEtched(dc, at, caption, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
        return;
    }
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF colour = SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &at, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
    SetTextColor(dc, colour);
    SetBkMode(dc, mode);
}

} // namespace OrvControls
