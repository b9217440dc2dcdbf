#include "graph/windows/GraphWindowBase.h"

#include "foundation/system/GdiObjects.h"
#include "platform/owl/gdi/DC.h"

namespace MGraph1
{

DEFINE_RESPONSE_TABLE1(GraphWindowBase, OWL::TWindow)
    EV_WM_RBUTTONDOWN,
    EV_WM_LBUTTONUP,
    EV_WM_LBUTTONDOWN,
    EV_WM_PAINT,
    EV_WM_MOUSEMOVE,
    EV_WM_SIZE,
    EV_WM_ERASEBKGND,
    EV_WM_CHAR,
    EV_WM_GETDLGCODE,
    EV_WM_MOUSELEAVE,
END_RESPONSE_TABLE;

GraphWindowBase::GraphWindowBase(OWL::TWindow* parent, const wchar_t* title, OWL::TModule* module)
    : OWL::TWindow(parent, title, module)
{
    Attr.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}

GraphWindowBase::~GraphWindowBase()
{
    if (paintBitmap)
        ::DeleteObject(paintBitmap);
}

void GraphWindowBase::LayoutDrawer(const RECT&, bool redraw)
{
    if (redraw && GetHandle())
        ::InvalidateRect(GetHandle(), nullptr, TRUE);
}

void GraphWindowBase::PaintContent(HDC dc, bool, const RECT& rect)
{
    ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(LTGRAY_BRUSH)));
}

void GraphWindowBase::EvRButtonDown(UINT, const OWL::TPoint& point)
{
    if (!contextMenuEnabled)
        return;
    POINT screen = point;
    ::ClientToScreen(GetHandle(), &screen);
    menu.Show(GetHandle(), screen.x, screen.y);
}

void GraphWindowBase::EvPaint()
{
    OWL::TPaintDC dc(GetHandle());
    const RECT client = GetClientRect();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (paintBitmap && (width != paintWidth || height != paintHeight))
    {
        ::DeleteObject(paintBitmap);
        paintBitmap = nullptr;
    }
    if (!paintBitmap)
    {
        paintBitmap = ::CreateBitmap(width, height, static_cast<UINT>(::GetDeviceCaps(dc, PLANES)),
                                     static_cast<UINT>(::GetDeviceCaps(dc, BITSPIXEL)), nullptr);
        paintWidth = width;
        paintHeight = height;
    }
    const Orv::MemoryDc memory(dc);
    const OWL::SelectedObject selected(memory.Get(), paintBitmap);
    ::FillRect(memory.Get(), &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    PaintContent(memory.Get(), true, client);
    ::BitBlt(dc, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
}

void GraphWindowBase::TrackMouseLeave()
{
    if (mouseTracking)
        return;
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, GetHandle(), HOVER_DEFAULT};
    mouseTracking = ::TrackMouseEvent(&track) != FALSE;
}

void GraphWindowBase::EvMouseMove(UINT, const OWL::TPoint&)
{
    TrackMouseLeave();
}

void GraphWindowBase::EvSize(UINT, const OWL::TSize& size)
{
    if (size.cx != 0 && size.cy != 0)
        LayoutDrawer(RECT{0, 0, size.cx, size.cy}, true);
}

void GraphWindowBase::EvMouseLeave()
{
    mouseTracking = false;
    OnMouseLeft();
}

} // namespace MGraph1
