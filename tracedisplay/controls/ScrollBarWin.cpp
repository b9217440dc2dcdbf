#include "tracedisplay/controls/ScrollBarWin.h"

namespace StrixDraw
{

DEFINE_RESPONSE_TABLE1(ScrollBarWin, OWL::TScrollBar)
    EV_WM_HSCROLL,
END_RESPONSE_TABLE;

ScrollBarWin::ScrollBarWin(OWL::TWindow* parent, ScrollListener* listener)
    : OWL::TScrollBar(parent, ControlId, 0, 0, 0, 0, true), listener_(listener)
{
    Attr.Style &= ~(WS_GROUP | WS_TABSTOP);
}

void ScrollBarWin::SetRect(const OWL::TRect& rect)
{
    if (GetHandle())
        MoveWindow(rect, false);
}

bool ScrollBarWin::IsEnabled() const
{
    return IsWindowHandleEnabled(GetHandle());
}

void ScrollBarWin::Enable(bool enable)
{
    EnableWindowHandle(GetHandle(), enable);
}

void ScrollBarWin::GetScrollInfo(SCROLLINFO& info) const
{
    info.cbSize = sizeof info;
    if (GetHandle())
        ::GetScrollInfo(GetHandle(), SB_CTL, &info);
}

void ScrollBarWin::SetScrollInfo(const SCROLLINFO& info, bool redraw)
{
    if (!GetHandle())
        return;
    SCROLLINFO copy = info;
    copy.cbSize = sizeof copy;
    ::SetScrollInfo(GetHandle(), SB_CTL, &copy, redraw);
}

void ScrollBarWin::SetPageMagnitude(int value)
{
    if (GetHandle())
        OWL::TScrollBar::SetPageMagnitude(value);
}

void ScrollBarWin::Repaint()
{
    if (GetHandle())
        ::InvalidateRect(GetHandle(), nullptr, FALSE);
}

void ScrollBarWin::EvHScroll(UINT code, UINT, HWND)
{
    if (listener_)
        listener_->OnHScroll(code);
}

} // namespace StrixDraw
