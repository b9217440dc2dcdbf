#include "platform/owl/gadgets/GadgetWindow.h"

#include "platform/owl/gdi/DC.h"

#include <algorithm>

namespace OWL
{

unsigned TGadgetWindow::FlatStyle = TGadgetWindow::NonFlat;

TGadgetList::~TGadgetList()
{
    for (TGadget* gadget : Gadgets)
    {
        gadget->Window = nullptr;
        delete gadget;
    }
}

void TGadgetList::Insert(TGadget& gadget, TPlacement placement, TGadget* sibling)
{
    auto at = std::find(Gadgets.begin(), Gadgets.end(), sibling);
    if (!sibling || at == Gadgets.end())
        at = placement == After ? Gadgets.end() : Gadgets.begin();
    else if (placement == After)
        ++at;
    Gadgets.insert(at, &gadget);
    Inserted(gadget);
}

TGadget* TGadgetList::Remove(TGadget& gadget)
{
    const auto at = std::find(Gadgets.begin(), Gadgets.end(), &gadget);
    if (at == Gadgets.end())
        return nullptr;
    Gadgets.erase(at);
    Removed(gadget);
    return &gadget;
}

TGadget* TGadgetList::NextGadget(TGadget& gadget) const
{
    const auto at = std::find(Gadgets.begin(), Gadgets.end(), &gadget);
    return at == Gadgets.end() || at + 1 == Gadgets.end() ? nullptr : *(at + 1);
}

TGadget* TGadgetList::GadgetWithId(int id) const
{
    for (TGadget* gadget : Gadgets)
        if (gadget->GetId() == id)
            return gadget;
    return nullptr;
}

DEFINE_RESPONSE_TABLE1(TGadgetWindow, TWindow)
    EV_WM_MOUSEMOVE,
    EV_WM_LBUTTONDOWN,
    OWL_MSG(WM_LBUTTONDBLCLK, self.EvLButtonDown(static_cast<UINT>(wParam), OWL_POINT_OF(lParam))),
    EV_WM_LBUTTONUP,
    EV_WM_RBUTTONDOWN,
    EV_WM_RBUTTONUP,
    EV_WM_MOUSELEAVE,
    EV_WM_SIZE,
    EV_WM_SYSCOLORCHANGE,
END_RESPONSE_TABLE;

TGadgetWindow::TGadgetWindow(TWindow* parent, TTileDirection direction, TFont* font, TModule* module)
    : TWindow(parent, nullptr, module), Direction(direction), Font(font ? font : new TGadgetWindowFont())
{
    Attr.Style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPSIBLINGS;
}

TGadgetWindow::~TGadgetWindow()
{
    // The gadgets end with their window, without a last layout.
    std::vector<TGadget*> gadgets;
    gadgets.swap(Gadgets);
    for (TGadget* gadget : gadgets)
    {
        gadget->Window = nullptr;
        delete gadget;
    }
}

void TGadgetWindow::Inserted(TGadget& gadget)
{
    gadget.Window = this;
    gadget.Inserted();
    if (Handle)
    {
        gadget.Created();
        LayoutSession();
    }
}

void TGadgetWindow::Insert(TGadget& gadget, TPlacement placement, TGadget* sibling)
{
    TGadgetList::Insert(gadget, placement, sibling);
}

void TGadgetWindow::Removed(TGadget& gadget)
{
    gadget.Invalidate(true);
    gadget.Removed();
    gadget.Window = nullptr;
    if (Capture == &gadget)
    {
        Capture = nullptr;
        ::ReleaseCapture();
    }
    if (AtMouse == &gadget)
        AtMouse = nullptr;
    if (Handle)
        LayoutSession();
}

void TGadgetWindow::SetupWindow()
{
    TWindow::SetupWindow();
    for (TGadget* gadget : Gadgets)
        gadget->Created();
    LayoutSession();
}

void TGadgetWindow::SetDirection(TTileDirection direction)
{
    Direction = direction;
    if (Handle)
        LayoutSession();
}

void TGadgetWindow::SetShrinkWrap(bool width, bool height)
{
    ShrinkWrapWidth = width;
    ShrinkWrapHeight = height;
}

void TGadgetWindow::SetMargins(const TMargins& margins)
{
    Margins = margins;
    if (Handle)
        LayoutSession();
}

int TGadgetWindow::GetFontHeight() const
{
    const TEXTMETRICW metrics = Font->GetTextMetrics();
    return metrics.tmHeight + metrics.tmExternalLeading;
}

int TGadgetWindow::ToPixels(TMargins::TUnits units, int value) const
{
    switch (units)
    {
    case TMargins::LayoutUnits: return value * GetFontHeight() / 8;
    default: return value;
    }
}

TSize TGadgetWindow::FrameSize() const
{
    if (!Handle)
    {
        const int border = (Attr.Style & WS_BORDER) ? 2 * ::GetSystemMetrics(SM_CXBORDER) : 0;
        return TSize(border, border);
    }
    const TRect window = GetWindowRect(), client = GetClientRect();
    return TSize(window.Width() - client.Width(), window.Height() - client.Height());
}

TRect TGadgetWindow::InnerRect() const
{
    const TRect client = Handle ? GetClientRect() : TRect(0, 0, Attr.W, Attr.H);
    return TRect(client.left + ToPixels(Margins.Units, Margins.Left), client.top + ToPixels(Margins.Units, Margins.Top),
                 client.right - ToPixels(Margins.Units, Margins.Right),
                 client.bottom - ToPixels(Margins.Units, Margins.Bottom));
}

void TGadgetWindow::GetDesiredSize(TSize& size)
{
    TSize total(0, 0);
    for (TGadget* gadget : Gadgets)
    {
        if (!gadget->IsVisible())
            continue;
        TSize desired = gadget->GetBounds().Size();
        gadget->GetDesiredSize(desired);
        if (Direction == Horizontal)
        {
            total.cx += desired.cx;
            total.cy = std::max(total.cy, desired.cy);
        }
        else
        {
            total.cy += desired.cy;
            total.cx = std::max(total.cx, desired.cx);
        }
    }
    const TSize frame = FrameSize();
    size.cx = total.cx + ToPixels(Margins.Units, Margins.Left + Margins.Right) + frame.cx;
    size.cy = total.cy + ToPixels(Margins.Units, Margins.Top + Margins.Bottom) + frame.cy;
}

void TGadgetWindow::LayoutSession()
{
    if (InLayout)
        return;
    InLayout = true;
    struct Done
    {
        bool& flag;
        ~Done() { flag = false; }
    } done{InLayout};

    if (Handle && (ShrinkWrapWidth || ShrinkWrapHeight))
    {
        TSize desired;
        GetDesiredSize(desired);
        const TRect window = GetWindowRect();
        const int width = ShrinkWrapWidth ? desired.cx : window.Width();
        const int height = ShrinkWrapHeight ? desired.cy : window.Height();
        if (width != window.Width() || height != window.Height())
            ::SetWindowPos(Handle, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const TRect inner = InnerRect();
    int position = Direction == Horizontal ? inner.left : inner.top;
    for (TGadget* gadget : Gadgets)
    {
        if (!gadget->IsVisible())
            continue;
        TSize desired = gadget->GetBounds().Size();
        gadget->GetDesiredSize(desired);
        if (Direction == Horizontal)
        {
            gadget->SetBounds(TRect(position, inner.top, position + desired.cx, inner.bottom));
            position += desired.cx;
        }
        else
        {
            gadget->SetBounds(TRect(inner.left, position, inner.right, position + desired.cy));
            position += desired.cy;
        }
    }
    if (Handle)
        Invalidate(true);
}

void TGadgetWindow::Paint(TDC& dc, bool, TRect& rect)
{
    for (TGadget* gadget : Gadgets)
    {
        const TRect bounds = gadget->GetBounds();
        if (!gadget->IsVisible() || !bounds.Touches(rect))
            continue;
        SavedDCState saved(dc);
        dc.SetViewportOrg(bounds.TopLeft());
        dc.IntersectClipRect(TRect(TPoint(0, 0), bounds.Size()));
        gadget->Paint(dc);
    }
}

bool TGadgetWindow::IdleAction(long idleCount)
{
    for (TGadget* gadget : Gadgets)
        gadget->IdleAction(idleCount);
    return TWindow::IdleAction(idleCount);
}

LRESULT TGadgetWindow::EvCommand(UINT id, HWND control, UINT notifyCode)
{
    // A gadget's command: this window's table, else the parent's.
    if (!control && GadgetWithId(static_cast<int>(id)))
    {
        TEventInfo command = TEventInfo::Command(id);
        if (Find(command))
            return Dispatch(command, MAKEWPARAM(id, notifyCode), 0);
        if (Parent)
            return Parent->HandleMessage(WM_COMMAND, MAKEWPARAM(id, notifyCode), 0);
        return 0;
    }
    return TWindow::EvCommand(id, control, notifyCode);
}

TGadget* TGadgetWindow::GadgetFromPoint(const TPoint& point) const
{
    for (TGadget* gadget : Gadgets)
    {
        const TRect& bounds = gadget->GetBounds();
        if (gadget->IsVisible() && gadget->PtIn(TPoint(point.x - bounds.left, point.y - bounds.top)))
            return gadget;
    }
    return nullptr;
}

bool TGadgetWindow::GadgetSetCapture(TGadget& gadget)
{
    if (Capture)
        return false;
    Capture = &gadget;
    SetCapture();
    return true;
}

void TGadgetWindow::GadgetReleaseCapture(TGadget& gadget)
{
    if (Capture != &gadget)
        return;
    Capture = nullptr;
    ::ReleaseCapture();
}

template <class Call>
void TGadgetWindow::RouteMouse(const TPoint& point, Call call)
{
    TGadget* target = Capture ? Capture : GadgetFromPoint(point);
    if (target && (target->GetEnabled() || target == Capture))
    {
        const TRect& bounds = target->GetBounds();
        call(*target, TPoint(point.x - bounds.left, point.y - bounds.top));
    }
}

void TGadgetWindow::EvMouseMove(UINT modKeys, const TPoint& point)
{
    if (!Capture)
    {
        TGadget* under = GadgetFromPoint(point);
        if (under != AtMouse)
        {
            if (AtMouse)
                AtMouse->MouseLeave(modKeys, TPoint(point.x - AtMouse->GetBounds().left,
                                                    point.y - AtMouse->GetBounds().top));
            AtMouse = under;
            if (AtMouse && AtMouse->GetEnabled())
                AtMouse->MouseEnter(modKeys, TPoint(point.x - AtMouse->GetBounds().left,
                                                    point.y - AtMouse->GetBounds().top));
        }
        if (!TrackingLeave)
        {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle, 0};
            TrackingLeave = ::TrackMouseEvent(&track) != FALSE;
        }
    }
    RouteMouse(point, [&](TGadget& gadget, const TPoint& at) { gadget.MouseMove(modKeys, at); });
    TWindow::EvMouseMove(modKeys, point);
}

void TGadgetWindow::EvMouseLeave()
{
    TrackingLeave = false;
    if (AtMouse && !Capture)
    {
        AtMouse->MouseLeave(0, TPoint(-1, -1));
        AtMouse = nullptr;
    }
    TWindow::EvMouseLeave();
}

void TGadgetWindow::EvLButtonDown(UINT modKeys, const TPoint& point)
{
    RouteMouse(point, [&](TGadget& gadget, const TPoint& at) { gadget.LButtonDown(modKeys, at); });
    TWindow::EvLButtonDown(modKeys, point);
}

void TGadgetWindow::EvLButtonUp(UINT modKeys, const TPoint& point)
{
    RouteMouse(point, [&](TGadget& gadget, const TPoint& at) { gadget.LButtonUp(modKeys, at); });
    TWindow::EvLButtonUp(modKeys, point);
}

void TGadgetWindow::EvRButtonDown(UINT modKeys, const TPoint& point)
{
    RouteMouse(point, [&](TGadget& gadget, const TPoint& at) { gadget.RButtonDown(modKeys, at); });
    TWindow::EvRButtonDown(modKeys, point);
}

void TGadgetWindow::EvRButtonUp(UINT modKeys, const TPoint& point)
{
    RouteMouse(point, [&](TGadget& gadget, const TPoint& at) { gadget.RButtonUp(modKeys, at); });
    TWindow::EvRButtonUp(modKeys, point);
}

void TGadgetWindow::EvSize(UINT sizeType, const TSize& size)
{
    TWindow::EvSize(sizeType, size);
    LayoutSession();
}

void TGadgetWindow::EvSysColorChange()
{
    for (TGadget* gadget : Gadgets)
        gadget->SysColorChange();
    TWindow::EvSysColorChange();
}

} // namespace OWL
