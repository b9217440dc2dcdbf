#include "platform/owl/gadgets/Gadget.h"

#include "platform/owl/gadgets/GadgetWindow.h"
#include "platform/owl/gdi/DC.h"

namespace OWL
{

TGadget::TGadget(int id, TBorderStyle borderStyle) : Id(id), BorderStyle(borderStyle)
{
    SetBorderStyle(borderStyle);
}

TGadget::~TGadget()
{
    if (Window)
        Window->Remove(*this);
}

void TGadget::SetBorderStyle(TBorderStyle style)
{
    BorderStyle = style;
    const int width = TUIBorder::GetWidth(style);
    Borders = TBorders{width, width, width, width};
}

void TGadget::SetEnabled(bool enabled)
{
    if (Enabled == enabled)
        return;
    Enabled = enabled;
    Invalidate(true);
}

TSize TGadget::GetOuterSizes()
{
    int left = Margins.Left, right = Margins.Right, top = Margins.Top, bottom = Margins.Bottom;
    if (Window)
    {
        left = Window->ToPixels(Margins.Units, left);
        right = Window->ToPixels(Margins.Units, right);
        top = Window->ToPixels(Margins.Units, top);
        bottom = Window->ToPixels(Margins.Units, bottom);
    }
    return TSize(Borders.Left + Borders.Right + left + right, Borders.Top + Borders.Bottom + top + bottom);
}

void TGadget::GetDesiredSize(TSize& size)
{
    const TSize outer = GetOuterSizes();
    if (ShrinkWrapWidth)
        size.cx = outer.cx;
    if (ShrinkWrapHeight)
        size.cy = outer.cy;
}

TRect TGadget::GetInnerRect()
{
    const TSize outer = GetOuterSizes();
    const int left = Borders.Left + (Window ? Window->ToPixels(Margins.Units, Margins.Left) : Margins.Left);
    const int top = Borders.Top + (Window ? Window->ToPixels(Margins.Units, Margins.Top) : Margins.Top);
    return TRect(left, top, left + Bounds.Width() - outer.cx, top + Bounds.Height() - outer.cy);
}

void TGadget::SetBounds(const TRect& rect)
{
    if (rect == Bounds)
        return;
    Invalidate(true);
    Bounds = rect;
    Invalidate(true);
    Moved();
}

bool TGadget::IdleAction(long)
{
    CommandEnable();
    return false;
}

void TGadget::CommandEnable() {}
void TGadget::SysColorChange() {}
void TGadget::Created() {}
void TGadget::Inserted() {}
void TGadget::Moved() {}
void TGadget::Removed() {}

bool TGadget::PtIn(const TPoint& point)
{
    return Visible && TRect(TPoint(0, 0), Bounds.Size()).Contains(point);
}

void TGadget::Paint(TDC& dc)
{
    PaintBorder(dc);
}

void TGadget::PaintBorder(TDC& dc)
{
    TUIBorder(TRect(TPoint(0, 0), Bounds.Size()), BorderStyle).Paint(dc);
}

void TGadget::MouseEnter(UINT, const TPoint&) {}
void TGadget::MouseMove(UINT, const TPoint&) {}
void TGadget::MouseLeave(UINT, const TPoint&) {}
void TGadget::LButtonDown(UINT, const TPoint&) {}
void TGadget::LButtonUp(UINT, const TPoint&) {}
void TGadget::RButtonDown(UINT, const TPoint&) {}
void TGadget::RButtonUp(UINT, const TPoint&) {}

void TGadget::Invalidate(bool erase)
{
    if (Window && Window->GetHandle() && !Bounds.IsEmpty())
        Window->InvalidateRect(Bounds, erase);
}

void TGadget::Update()
{
    if (Window && Window->GetHandle())
        Window->UpdateWindow();
}

} // namespace OWL
