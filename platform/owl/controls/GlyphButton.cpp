#include "platform/owl/controls/GlyphButton.h"

#include "platform/owl/gdi/DC.h"

#include <vsstyle.h>

namespace OWL
{

DEFINE_RESPONSE_TABLE1(TGlyphButton, TButton)
    EV_WM_PAINT,
    EV_WM_ERASEBKGND,
    EV_WM_LBUTTONDOWN,
    OWL_MSG(WM_LBUTTONDBLCLK, self.EvLButtonDown(static_cast<UINT>(wParam), OWL_POINT_OF(lParam))),
    EV_WM_LBUTTONUP,
    EV_WM_MOUSEMOVE,
    EV_WM_SETFOCUS,
    EV_WM_KILLFOCUS,
    EV_WM_KEYDOWN,
    EV_WM_KEYUP,
    EV_MESSAGE(BM_SETSTATE, BmSetState),
    EV_MESSAGE(BM_GETSTATE, BmGetState),
    EV_MESSAGE(WM_ENABLE, EvEnable),
    EV_MESSAGE(WM_SETTEXT, EvSetText),
END_RESPONSE_TABLE;

TGlyphButton::TGlyphButton(TWindow* parent, int id, const wchar_t* text, int x, int y, int w, int h, TGlyphType,
                           bool isDefault, TModule* module)
    : TButton(parent, id, text, x, y, w, h, isDefault, module), ThemePart(BP_PUSHBUTTON)
{
    if (isDefault)
        Set(biDefault);
}

TGlyphButton::TGlyphButton(TWindow* parent, int resourceId, TGlyphType, TModule* module)
    : TButton(parent, resourceId, module), ThemePart(BP_PUSHBUTTON)
{
}

TGlyphButton::~TGlyphButton()
{
    for (Glyph& glyph : Glyphs)
        Release(glyph);
}

void TGlyphButton::Release(Glyph& glyph)
{
    if (glyph.owned)
        delete glyph.bitmap;
    glyph = Glyph{};
}

void TGlyphButton::SetupWindow()
{
    TButton::SetupWindow();
    Theme = std::make_unique<ThemeData>(Handle, L"BUTTON");
    if (!GetWindowText().empty())
        Set(biShowText);
    if (!IsWindowEnabled())
        Set(biDisabled);
    if (GetStyle() & BS_DEFPUSHBUTTON)
        Set(biDefault);
}

void TGlyphButton::SetGlyph(TBitmap* glyph, TGlyphKind kind, TAutoDelete autoDelete)
{
    Glyph& slot = Glyphs[kind];
    Release(slot);
    slot = Glyph{glyph, autoDelete == AutoDelete};
    const unsigned bit = kind == gtUp ? biShowGlyph : kind == gtDown ? biGtDown : biGtDisabled;
    glyph ? Set(bit) : Clear(bit);
    if (Handle)
        Invalidate();
}

const TBitmap* TGlyphButton::CurrentGlyph() const
{
    if (IsSet(biDisabled) && Glyphs[gtDisabled].bitmap)
        return Glyphs[gtDisabled].bitmap;
    if (IsSet(biPushed) && Glyphs[gtDown].bitmap)
        return Glyphs[gtDown].bitmap;
    return Glyphs[gtUp].bitmap;
}

void TGlyphButton::Paint(TDC& dc, bool, TRect&)
{
    PaintButton(dc);
}

void TGlyphButton::PaintButton(TDC& dc)
{
    TRect rect = GetClientRect();
    PaintDefaultRect(dc, rect);
    PaintFrame(dc, rect);
    PaintFace(dc, rect);
    if (IsSet(biFocus))
        PaintFocusRect(dc, rect);
}

void TGlyphButton::PaintDefaultRect(TDC& dc, TRect& rect)
{
    if (!IsSet(biDefault) || (Theme && *Theme))
        return;
    dc.FrameRect(rect, TBrush(TColor::System(COLOR_WINDOWFRAME)));
    rect.Inflate(-1, -1);
}

void TGlyphButton::PaintFrame(TDC& dc, TRect& rect)
{
    const int state = IsSet(biDisabled) ? PBS_DISABLED
                      : IsSet(biPushed) ? PBS_PRESSED
                      : IsSet(biDefault) ? PBS_DEFAULTED
                                         : PBS_NORMAL;
    if (Theme && Theme->DrawBackground(dc, ThemePart, state, rect))
    {
        rect.Inflate(-3, -3);
        return;
    }
    // No theme, or the theme could not draw: the classic button.
    const TUIBorder border(rect, IsSet(biPushed) ? TUIBorder::ButtonDn : TUIBorder::ButtonUp);
    dc.FillRect(rect, TBrush(TColor::Sys3dFace));
    border.Paint(dc);
    rect = border.GetClientRect();
}

void TGlyphButton::LayoutTextGlyph(const TRect& faceRect, TRect& textRect, TRect& glyphRect)
{
    const TBitmap* glyph = CurrentGlyph();
    textRect = faceRect;
    glyphRect = TRect();
    if (!glyph)
        return;
    const TSize size = glyph->Size();
    const bool withText = IsSet(biShowText);
    const int left = withText ? faceRect.left + 2 : faceRect.left + (faceRect.Width() - size.cx) / 2;
    glyphRect = TRect(TPoint(left, faceRect.top + (faceRect.Height() - size.cy) / 2), size);
    textRect.left = withText ? glyphRect.right + 2 : faceRect.right;
}

void TGlyphButton::PaintFace(TDC& dc, const TRect& rect)
{
    TRect textRect, glyphRect;
    LayoutTextGlyph(rect, textRect, glyphRect);
    const int shift = IsSet(biPushed) ? 1 : 0;
    if (const TBitmap* glyph = CurrentGlyph())
    {
        const TUIFace face(glyphRect, glyph);
        face.Paint(dc, glyphRect.TopLeft(), IsSet(biDisabled) && !Glyphs[gtDisabled].bitmap ? TUIFace::Disabled
                                                                                              : TUIFace::Normal,
                   shift != 0);
    }
    if (!IsSet(biShowText))
        return;
    const std::wstring text = GetWindowText();
    const TRect at = textRect.OffsetRect(shift, shift);
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    const HFONT font = GetWindowFont();
    SelectedObject selected(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    if (IsSet(biDisabled))
    {
        TUIFace::DrawTextEtched(dc, at, text, format);
        return;
    }
    const int mode = dc.SetBkMode(TRANSPARENT);
    const TColor color = dc.SetTextColor(TColor::SysBtnText);
    dc.DrawText(text, at, format);
    dc.SetTextColor(color);
    dc.SetBkMode(mode);
}

void TGlyphButton::PaintFocusRect(TDC& dc, const TRect& faceRect)
{
    dc.DrawFocusRect(faceRect.InflatedBy(-1, -1));
}

bool TGlyphButton::EvEraseBkgnd(HDC)
{
    return true; // the paint covers the whole button
}

void TGlyphButton::EvLButtonDown(UINT, const TPoint&)
{
    SetFocus();
    SetCapture();
    Set(biPushed);
    Invalidate(false);
}

void TGlyphButton::EvMouseMove(UINT modKeys, const TPoint& point)
{
    if (::GetCapture() == Handle)
    {
        const bool inside = GetClientRect().Contains(point);
        if (inside != IsSet(biPushed))
        {
            inside ? Set(biPushed) : Clear(biPushed);
            Invalidate(false);
        }
        return;
    }
    TButton::EvMouseMove(modKeys, point);
}

void TGlyphButton::EvLButtonUp(UINT, const TPoint& point)
{
    if (::GetCapture() != Handle)
        return;
    ::ReleaseCapture();
    const bool click = IsSet(biPushed) && GetClientRect().Contains(point);
    Clear(biPushed);
    Invalidate(false);
    if (click)
        Clicked();
}

void TGlyphButton::EvKeyDown(UINT key, UINT repeatCount, UINT flags)
{
    if (key == VK_SPACE && !IsSet(biPushed))
    {
        Set(biPushed);
        Invalidate(false);
        return;
    }
    TButton::EvKeyDown(key, repeatCount, flags);
}

void TGlyphButton::EvKeyUp(UINT key, UINT repeatCount, UINT flags)
{
    if (key == VK_SPACE && IsSet(biPushed))
    {
        Clear(biPushed);
        Invalidate(false);
        Clicked();
        return;
    }
    TButton::EvKeyUp(key, repeatCount, flags);
}

void TGlyphButton::EvSetFocus(HWND)
{
    Set(biFocus);
    Invalidate(false);
}

void TGlyphButton::EvKillFocus(HWND)
{
    Clear(biFocus | biPushed);
    if (::GetCapture() == Handle)
        ::ReleaseCapture();
    Invalidate(false);
}

LRESULT TGlyphButton::BmSetState(WPARAM pushed, LPARAM)
{
    pushed ? Set(biPushed) : Clear(biPushed);
    Invalidate(false);
    return 0;
}

LRESULT TGlyphButton::BmGetState(WPARAM, LPARAM)
{
    return (IsSet(biPushed) ? BST_PUSHED : 0) | (IsSet(biFocus) ? BST_FOCUS : 0);
}

LRESULT TGlyphButton::EvEnable(WPARAM enabled, LPARAM)
{
    enabled ? Clear(biDisabled) : Set(biDisabled);
    Invalidate(false);
    return 0;
}

LRESULT TGlyphButton::EvSetText(WPARAM, LPARAM)
{
    const LRESULT result = DefaultProcessing();
    !GetWindowText().empty() ? Set(biShowText) : Clear(biShowText);
    Invalidate(false);
    return result;
}

void TGlyphButton::Clicked()
{
    if (const HWND parent = ::GetParent(Handle))
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(Attr.Id, BN_CLICKED), reinterpret_cast<LPARAM>(Handle));
}

} // namespace OWL
