#include "platform/owl/gadgets/ButtonGadget.h"

#include "platform/owl/gadgets/GadgetWindow.h"
#include "platform/owl/gdi/DC.h"

#include <algorithm>

namespace OWL
{

namespace
{

// Applies a window's answers to a button gadget.
class TButtonGadgetEnabler : public TCommandEnabler
{
public:
    TButtonGadgetEnabler(TButtonGadget& gadget, HWND receiver)
        : TCommandEnabler(static_cast<UINT>(gadget.GetId()), receiver), gadget_(gadget)
    {
    }
    void Enable(bool enable) override
    {
        TCommandEnabler::Enable(enable);
        gadget_.SetEnabled(enable);
    }
    void SetCheck(int state) override
    {
        if (!(gadget_.GetCommandEnableOptions() & TButtonGadget::IgnoreCheck))
            gadget_.SetButtonState(state == Checked         ? TButtonGadget::Down
                                   : state == Indeterminate ? TButtonGadget::Indeterminate
                                                            : TButtonGadget::Up);
    }
    void SetText(const wchar_t* text) override
    {
        if (gadget_.GetCommandEnableOptions() & TButtonGadget::IgnoreText)
            return;
        if (auto* textGadget = dynamic_cast<TButtonTextGadget*>(&gadget_))
            textGadget->SetText(text);
    }

private:
    TButtonGadget& gadget_;
};

constexpr int GlyphMargin = 2;

} // namespace

TButtonGadget::TButtonGadget(TResId glyph, int id, TType type, bool enabled, TState state, bool)
    : TGadget(id, TUIBorder::ButtonUp), GlyphResource(glyph), Type(type), State(state)
{
    Enabled = enabled;
    Margins = TMargins(TMargins::Pixels, GlyphMargin, GlyphMargin, GlyphMargin, GlyphMargin);
}

TButtonGadget::~TButtonGadget() = default;

void TButtonGadget::LoadGlyph()
{
    if (Glyph || !GlyphResource || !Window)
        return;
    Glyph = std::make_unique<TBtnBitmap>(Window->GetInstance(), GlyphResource);
}

void TButtonGadget::SetGlyph(TBitmap* glyph)
{
    Glyph.reset(glyph);
    Invalidate(true);
}

void TButtonGadget::Created()
{
    LoadGlyph();
}

void TButtonGadget::SysColorChange()
{
    if (auto* buttonBitmap = dynamic_cast<TBtnBitmap*>(Glyph.get()))
        buttonBitmap->MapColors();
    Invalidate(true);
}

void TButtonGadget::SetButtonState(TState state)
{
    if (State == state)
        return;
    State = state;
    Invalidate(true);
}

void TButtonGadget::GetDesiredSize(TSize& size)
{
    LoadGlyph();
    TGadget::GetDesiredSize(size);
    if (Glyph)
    {
        if (ShrinkWrapWidth)
            size.cx += Glyph->Width();
        if (ShrinkWrapHeight)
            size.cy += Glyph->Height();
    }
}

void TButtonGadget::CommandEnable()
{
    if (!Window || !Window->GetHandle())
        return;
    TButtonGadgetEnabler enabler(*this, Window->GetHandle());
    Window->HandleMessage(WM_COMMAND_ENABLE, 0, reinterpret_cast<LPARAM>(&enabler));
}

TUIFace::TState TButtonGadget::FaceState() const
{
    if (!Enabled)
        return TUIFace::Disabled;
    if (State == Indeterminate)
        return TUIFace::Indeterm;
    if (State == Down || Pressed)
        return TUIFace::Down;
    return TUIFace::Normal;
}

void TButtonGadget::Paint(TDC& dc)
{
    dc.TextRect(TRect(TPoint(0, 0), Bounds.Size()), TColor::Sys3dFace);
    PaintBorder(dc);
    PaintFace(dc, GetInnerRect());
}

void TButtonGadget::PaintBorder(TDC& dc)
{
    const bool down = State == Down || Pressed;
    if ((TGadgetWindow::GetFlatStyle() & TGadgetWindow::FlatStandard) && !down && !Hot)
        return;
    TUIBorder(TRect(TPoint(0, 0), Bounds.Size()), down ? TUIBorder::ButtonDn : TUIBorder::ButtonUp).Paint(dc);
}

void TButtonGadget::PaintFace(TDC& dc, const TRect& rect)
{
    if (!Glyph)
        return;
    const TSize size = Glyph->Size();
    BitmapOrigin = TPoint(rect.left + (rect.Width() - size.cx) / 2, rect.top + (rect.Height() - size.cy) / 2);
    TUIFace(TRect(BitmapOrigin, size), Glyph.get()).Paint(dc, BitmapOrigin, FaceState(), false);
}

void TButtonGadget::MouseEnter(UINT, const TPoint&)
{
    Hot = true;
    Invalidate(true);
}

void TButtonGadget::MouseLeave(UINT, const TPoint&)
{
    Hot = false;
    Invalidate(true);
}

void TButtonGadget::MouseMove(UINT modKeys, const TPoint& point)
{
    if (!Window || Window->GetCapture() != this)
        return;
    const bool over = PtIn(point);
    if (over != Pressed)
    {
        Pressed = over;
        Invalidate(true);
    }
    TGadget::MouseMove(modKeys, point);
}

void TButtonGadget::LButtonDown(UINT, const TPoint& point)
{
    if (!Enabled || !Window)
        return;
    Window->GadgetSetCapture(*this);
    BeginPressed(point);
}

void TButtonGadget::LButtonUp(UINT, const TPoint& point)
{
    if (!Window || Window->GetCapture() != this)
        return;
    Window->GadgetReleaseCapture(*this);
    if (Pressed && PtIn(point))
        Activate(point);
    else
        CancelPressed(point, PtIn(point));
}

void TButtonGadget::BeginPressed(const TPoint&)
{
    Pressed = true;
    Invalidate(true);
}

void TButtonGadget::CancelPressed(const TPoint&, bool)
{
    Pressed = false;
    Invalidate(true);
}

void TButtonGadget::Activate(const TPoint& point)
{
    switch (Type)
    {
    case Exclusive:
    case SemiExclusive:
        if (Window)
            for (TGadget* other : Window->GetGadgets())
                if (auto* button = dynamic_cast<TButtonGadget*>(other); button && button != this &&
                                                                        button->Type == Type)
                    button->SetButtonState(Up);
        SetButtonState(Type == SemiExclusive && State == Down ? Up : Down);
        break;
    case NonExclusive:
        SetButtonState(State == Down ? Up : Down);
        break;
    default:
        break;
    }
    CancelPressed(point, true);
    if (Window && Window->GetHandle())
        Window->PostMessage(WM_COMMAND, static_cast<WPARAM>(Id));
}

TButtonTextGadget::TButtonTextGadget(int id, TResId glyph, const wchar_t* text, TStyle style,
                                     TLayoutStyle layoutStyle, TAlign align, TType type, bool enabled, TState state,
                                     bool sharedGlyph, UINT numChars)
    : TButtonGadget(glyph, id, type, enabled, state, sharedGlyph), Text(text ? text : L""), Style(style),
      LayoutStyle(layoutStyle), Align(align), NumChars(numChars)
{
}

void TButtonTextGadget::SetText(const wchar_t* text)
{
    const std::wstring changed = text ? text : L"";
    if (changed == Text)
        return;
    Text = changed;
    if (Window && Window->GetHandle())
        Window->LayoutSession();
}

const TFont& TButtonTextGadget::TextFont() const
{
    return Font ? *Font : Window->GetFont();
}

TSize TButtonTextGadget::GetTextSize()
{
    if (!Window)
        return TSize();
    const TFont& font = TextFont();
    TSize size = Text.empty() ? TSize(0, 0) : font.GetTextExtent(Text);
    const TEXTMETRICW metrics = font.GetTextMetrics();
    size.cx = std::max<int>(size.cx, static_cast<int>(NumChars) * metrics.tmAveCharWidth);
    size.cy = std::max<int>(size.cy, metrics.tmHeight);
    return size;
}

void TButtonTextGadget::GetDesiredSize(TSize& size)
{
    const bool withGlyph = (Style & sBitmap) != 0;
    if (withGlyph)
        TButtonGadget::GetDesiredSize(size);
    else
        TGadget::GetDesiredSize(size);
    if (!(Style & sText))
        return;
    const TSize text = GetTextSize();
    const bool beside = LayoutStyle == lTextLeft || LayoutStyle == lTextRight;
    if (ShrinkWrapWidth)
        size.cx = beside || !withGlyph ? size.cx + text.cx : std::max<int>(size.cx, text.cx + GetOuterSizes().cx);
    if (ShrinkWrapHeight)
        size.cy = beside && withGlyph ? std::max<int>(size.cy, text.cy + GetOuterSizes().cy) : size.cy + text.cy;
}

void TButtonTextGadget::Layout(const TRect& faceRect, TRect& textRect, TRect& glyphRect)
{
    textRect = faceRect;
    glyphRect = TRect();
    const TBitmap* glyph = GetGlyph();
    if (!(Style & sBitmap) || !glyph)
        return;
    if (!(Style & sText))
    {
        glyphRect = faceRect;
        textRect = TRect();
        return;
    }
    const TSize size = glyph->Size();
    glyphRect = faceRect;
    switch (LayoutStyle)
    {
    case lTextLeft:
        glyphRect.left = faceRect.right - size.cx;
        textRect.right = glyphRect.left;
        break;
    case lTextRight:
        glyphRect.right = faceRect.left + size.cx;
        textRect.left = glyphRect.right;
        break;
    case lTextTop:
        glyphRect.top = faceRect.bottom - size.cy;
        textRect.bottom = glyphRect.top;
        break;
    case lTextBottom:
        glyphRect.bottom = faceRect.top + size.cy;
        textRect.top = glyphRect.bottom;
        break;
    }
}

void TButtonTextGadget::PaintFace(TDC& dc, const TRect& rect)
{
    TRect textRect, glyphRect;
    Layout(rect, textRect, glyphRect);
    if (!glyphRect.IsEmpty())
        TButtonGadget::PaintFace(dc, glyphRect);
    if ((Style & sText) && !textRect.IsEmpty())
    {
        const int shift = (GetButtonState() == Down || Pressed) ? 1 : 0;
        PaintText(dc, textRect.OffsetRect(shift, shift), Text);
    }
}

void TButtonTextGadget::PaintText(TDC& dc, const TRect& rect, const std::wstring& text)
{
    if (GetButtonState() == Indeterminate)
        return;
    const UINT format = DT_SINGLELINE | DT_VCENTER | (Align == aLeft ? DT_LEFT : Align == aRight ? DT_RIGHT : DT_CENTER);
    SelectedObject font(dc, TextFont());
    if (!Enabled)
    {
        TUIFace::DrawTextEtched(dc, rect, text, format);
        return;
    }
    const int mode = dc.SetBkMode(TRANSPARENT);
    const TColor color = dc.SetTextColor(TColor::SysBtnText);
    dc.DrawText(text, rect, format);
    dc.SetTextColor(color);
    dc.SetBkMode(mode);
}

} // namespace OWL
