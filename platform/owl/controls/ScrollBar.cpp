#include "platform/owl/controls/ScrollBar.h"

#include <commctrl.h>

#include <algorithm>

namespace OWL
{

DEFINE_RESPONSE_TABLE1(TScrollBar, TControl)
    EV_WM_HSCROLL,
    EV_WM_VSCROLL,
END_RESPONSE_TABLE;

TScrollBar::TScrollBar(TWindow* parent, int id, int x, int y, int w, int h, bool isHorizontal, TModule* module)
    : TControl(parent, id, nullptr, x, y, w, h, module)
{
    Attr.Style = (Attr.Style & ~WS_TABSTOP) | (isHorizontal ? SBS_HORZ : SBS_VERT);
    if (isHorizontal && h == 0)
        Attr.H = ::GetSystemMetrics(SM_CYHSCROLL);
    if (!isHorizontal && w == 0)
        Attr.W = ::GetSystemMetrics(SM_CXVSCROLL);
}

TScrollBar::TScrollBar(TWindow* parent, int resourceId, TModule* module) : TControl(parent, resourceId, module) {}

void TScrollBar::SetupWindow()
{
    TControl::SetupWindow();
    if (!IsFlagSet(wfFromResource))
        SetRange(0, 100);
}

void TScrollBar::GetRange(int& min, int& max) const
{
    ::GetScrollRange(Handle, SB_CTL, &min, &max);
}

void TScrollBar::SetRange(int min, int max, bool redraw)
{
    ::SetScrollRange(Handle, SB_CTL, min, max, redraw);
}

int TScrollBar::GetPosition() const
{
    return ::GetScrollPos(Handle, SB_CTL);
}

void TScrollBar::SetPosition(int position, bool redraw)
{
    int min = 0, max = 0;
    GetRange(min, max);
    ::SetScrollPos(Handle, SB_CTL, std::clamp(position, min, std::max(min, max)), redraw);
}

void TScrollBar::SetPageMagnitude(int pageMagnitude)
{
    PageMagnitude = pageMagnitude;
    if (!Handle)
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_PAGE;
    info.nPage = static_cast<UINT>(std::max(pageMagnitude, 0));
    ::SetScrollInfo(Handle, SB_CTL, &info, TRUE);
}

int TScrollBar::DeltaPos(int delta)
{
    const int before = GetPosition();
    SetPosition(before + delta);
    return GetPosition() - before;
}

void TScrollBar::SBLineUp() { DeltaPos(-LineMagnitude); }
void TScrollBar::SBLineDown() { DeltaPos(LineMagnitude); }
void TScrollBar::SBPageUp() { DeltaPos(-PageMagnitude); }
void TScrollBar::SBPageDown() { DeltaPos(PageMagnitude); }
void TScrollBar::SBThumbPosition(int thumbPosition) { SetPosition(thumbPosition); }
void TScrollBar::SBThumbTrack(int thumbPosition) { SetPosition(thumbPosition); }
void TScrollBar::SBEndScroll() {}

void TScrollBar::SBTop()
{
    int min = 0, max = 0;
    GetRange(min, max);
    SetPosition(min);
}

void TScrollBar::SBBottom()
{
    int min = 0, max = 0;
    GetRange(min, max);
    SetPosition(max);
}

void TScrollBar::DispatchScroll(UINT code, int position)
{
    switch (code)
    {
    case SB_LINEUP: SBLineUp(); break;
    case SB_LINEDOWN: SBLineDown(); break;
    case SB_PAGEUP: SBPageUp(); break;
    case SB_PAGEDOWN: SBPageDown(); break;
    case SB_THUMBPOSITION: SBThumbPosition(position); break;
    case SB_THUMBTRACK: SBThumbTrack(position); break;
    case SB_TOP: SBTop(); break;
    case SB_BOTTOM: SBBottom(); break;
    case SB_ENDSCROLL: SBEndScroll(); break;
    default: break;
    }
}

void TScrollBar::EvHScroll(UINT code, UINT position, HWND)
{
    DispatchScroll(code, static_cast<int>(position));
}

void TScrollBar::EvVScroll(UINT code, UINT position, HWND)
{
    DispatchScroll(code, static_cast<int>(position));
}

namespace
{

void EnsureUpDownClass()
{
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_UPDOWN_CLASS};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
}

} // namespace

TUpDown::TUpDown(TWindow* parent, int id, int x, int y, int w, int h, TWindow* buddy, TModule* module)
    : TControl(parent, id, nullptr, x, y, w, h, module), Buddy(buddy)
{
    Attr.Style = WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS;
}

// A dialog template makes its up-down before any of the control's own calls: the class must be
// registered by then.
TUpDown::TUpDown(TWindow* parent, int resourceId, TWindow* buddy, TModule* module)
    : TControl(parent, resourceId, module), Buddy(buddy)
{
    EnsureUpDownClass();
}

const wchar_t* TUpDown::GetClassName()
{
    EnsureUpDownClass();
    return UPDOWN_CLASSW;
}

void TUpDown::SetupWindow()
{
    TControl::SetupWindow();
    if (Buddy && Buddy->GetHandle())
        SetBuddy(Buddy->GetHandle());
    if (IsFlagSet(wfFromResource))
        return; // the template decided range and position
    SetRange(Lower, Upper);
    SetPos(Position);
}

void TUpDown::SetRange(int lower, int upper)
{
    Lower = lower;
    Upper = upper;
    if (Handle)
        SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

void TUpDown::GetRange(int& lower, int& upper) const
{
    lower = Lower;
    upper = Upper;
    if (Handle)
        SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
}

int TUpDown::GetPos() const
{
    return Handle ? static_cast<int>(SendMessage(UDM_GETPOS32)) : Position;
}

int TUpDown::SetPos(int position)
{
    const int previous = GetPos();
    Position = position;
    if (Handle)
        SendMessage(UDM_SETPOS32, 0, position);
    return previous;
}

} // namespace OWL
