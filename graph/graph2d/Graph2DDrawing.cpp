#include "graph/graph2d/Graph2DDrawer.h"

#include "foundation/system/GdiObjects.h"
#include "platform/owl/gdi/DC.h"
#include "graph/plotters/Plotter.h"

namespace MGraph1
{

namespace
{
constexpr LONG PaintAllParts = 0xFFFF;

LONG Width(const RECT& r)
{
    return r.right - r.left;
}
LONG Height(const RECT& r)
{
    return r.bottom - r.top;
}

Orv::ComPtr<IScaleControlView> ViewOf(const Orv::ComPtr<IScaleControl>& control)
{
    return control.As<IScaleControlView>(IID_IScaleControlView);
}

bool IsReady(const Orv::ComPtr<IScaleControl>& control)
{
    ULONG style = 0;
    return control && SUCCEEDED(control->GetStyle(&style)) && (style & ScaleStyle::Ready);
}

void Paint(const Orv::ComPtr<IScaleControl>& control, HDC dc)
{
    if (const auto view = ViewOf(control))
        view->Paint(dc, 0, PaintAllParts);
}

// Moves the viewport origin for a scope and puts it back.
class ViewportShift
{
public:
    ViewportShift(HDC dc, int dx, int dy) : m_dc(dc) { OffsetViewportOrgEx(dc, dx, dy, &m_previous); }
    ViewportShift(const ViewportShift&) = delete;
    ViewportShift& operator=(const ViewportShift&) = delete;
    ~ViewportShift() { SetViewportOrgEx(m_dc, m_previous.x, m_previous.y, nullptr); }

private:
    HDC m_dc;
    POINT m_previous{};
};
} // namespace

bool Graph2DDrawer::ScalesReady()
{
    return IsReady(domainScale) && IsReady(rangeScale);
}

bool Graph2DDrawer::ScaleRects(RECT& domainRect, RECT& rangeRect)
{
    const auto domainView = ViewOf(domainScale);
    const auto rangeView = ViewOf(rangeScale);
    return domainView && rangeView && domainView->GetRect(&domainRect) == S_OK && rangeView->GetRect(&rangeRect) == S_OK;
}

void Graph2DDrawer::PaintScales(HDC dc, const RECT& target, bool domain, bool range, bool fillFirst)
{
    RECT domainRect{};
    RECT rangeRect{};
    if (!drawScales || !ScalesReady() || !ScaleRects(domainRect, rangeRect))
        return;
    // The controls were laid out for the rectangle of the last layout (the window's, in client
    // coordinates); the picture being painted starts at the target's corner.
    const ViewportShift shift(dc, target.left - layoutRect.left, target.top - layoutRect.top);
    const auto white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    if (domain)
    {
        if (fillFirst)
            FillRect(dc, &domainRect, white);
        Paint(domainScale, dc);
    }
    if (range)
    {
        if (fillFirst)
            FillRect(dc, &rangeRect, white);
        Paint(rangeScale, dc);
    }
}

void Graph2DDrawer::DrawPlotters(HDC dc, HDC attributeDc, const RECT& plotRect, const RECT& clipRect)
{
    for (auto& [drawer, owned] : plotters)
        if (drawer && drawer->visible)
            drawer->DrawChain(dc, attributeDc, plotRect, clipRect);
}

void Graph2DDrawer::DrawAnnotations(HDC dc, HDC attributeDc, const RECT& plotRect, const RECT& clipRect)
{
    for (auto& [drawer, owned] : annotations)
        if (drawer)
            drawer->DrawChain(dc, attributeDc, plotRect, clipRect);
}

void Graph2DDrawer::Render(HDC dc, HDC attributeDc, bool erase, const RECT& r)
{
    ++renderCount;
    if (!initialised)
    {
        OnFirstDraw();
        initialised = true;
    }
    if (erase)
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT clipBox{};
    GetClipBox(dc, &clipBox);
    RECT plot{};
    RECT clip{};
    GetPlotRect(plot, r);
    GetClipRect(clip, r);
    PaintScales(dc, r, true, true, false);
    if (display.showGrid && drawGraticule)
    {
        graticule->display = display;
        graticule->SetScales(domainDragDepth > 0 && domainDragScale ? domainDragScale.Get() : domainScale.Get(),
                             rangeDragDepth > 0 && rangeDragScale ? rangeDragScale.Get() : rangeScale.Get());
        graticule->plotRect = plot;
        graticule->Draw(dc, nullptr, nullptr);
    }
    if (drawScales)
        Orv::StrokeLines(dc, {{plot.left, plot.top}, {plot.left, plot.bottom - 1}, {plot.right, plot.bottom - 1}});
    if (drawPlotters)
        DrawPlotters(dc, attributeDc, plot, clip);
}

void Graph2DDrawer::Draw(HDC dc, bool erase, const RECT& r)
{
    const LONG width = Width(r);
    const LONG height = Height(r);
    if (width < 1 || height < 1)
        return;
    const Orv::MemoryDc memory(dc);
    RECT plot{};
    GetPlotRect(plot, r);
    const RedrawInfo info{width, height, plot, domainLow, domainHigh, rangeLow, rangeHigh};
    redrawSender.Send(MsgGraph2DDrawerNotifyBeginRedraw(WindowId(), &info));
    for (auto& [drawer, owned] : annotations)
        if (auto* annotation = dynamic_cast<Annotation*>(drawer))
            annotation->ForgetDrawnPosition();

    BITMAP size{};
    if (offscreen && (!GetObjectW(offscreen, sizeof(size), &size) || size.bmWidth != width || size.bmHeight != height))
    {
        DeleteObject(offscreen);
        offscreen = nullptr;
    }
    if (!offscreen)
    {
        offscreen = CreateBitmap(width, height, static_cast<UINT>(GetDeviceCaps(dc, PLANES)),
                                 static_cast<UINT>(GetDeviceCaps(dc, BITSPIXEL)), nullptr);
        dirty = true;
    }
    bool update = dirty;
    if (!dirty)
    {
        for (int i = 0; i < GetPlotterCount(); ++i)
        {
            auto* plotter = dynamic_cast<Plotter*>(GetPlotter(i));
            if (!plotter || !plotter->visible)
                continue;
            if (plotter->NeedsRedraw())
                dirty = true;
            if (plotter->NeedsRebuild())
                update = true;
        }
    }
    const RECT picture{0, 0, width, height};
    if (dirty || update)
    {
        const OWL::SelectedObject selected(memory.Get(), offscreen);
        Render(memory.Get(), memory.Get(), erase, picture);
        dirty = false;
    }
    else if (domainDragDepth > 0 || rangeDragDepth > 0)
    {
        const OWL::SelectedObject selected(memory.Get(), offscreen);
        PaintScales(memory.Get(), picture, domainDragDepth > 0, rangeDragDepth > 0, true);
    }
    {
        const OWL::SelectedObject selected(memory.Get(), offscreen);
        BitBlt(dc, r.left, r.top, width, height, memory.Get(), 0, 0, SRCCOPY);
    }
    RECT clip{};
    GetClipRect(clip, r);
    if (drawQueens)
        queens->DrawChain(dc, dc, plot, clip);
    if (drawAnnotations)
        DrawAnnotations(dc, dc, plot, clip);
    redrawSender.Send(MsgGraph2DDrawerNotifyEndRedraw(WindowId()));
}

void Graph2DDrawer::DrawTo(HDC dc, HDC attributeDc, const RECT& r)
{
    // The target gets its own layout; the window's is put back afterwards, so that the next paint of
    // the window does not draw with the printer's or the copy's geometry.
    const RECT windowLayout = layoutRect;
    SetRect(r, false);
    const bool withScales = drawScales && domainScale && rangeScale;
    if (withScales)
    {
        Paint(domainScale, dc);
        Paint(rangeScale, dc);
    }
    Render(dc, attributeDc, true, r);
    RECT plot{};
    RECT clip{};
    GetPlotRect(plot, r);
    GetClipRect(clip, r);
    if (drawQueens)
        queens->DrawChain(dc, attributeDc, plot, clip);
    if (drawAnnotations)
        DrawAnnotations(dc, attributeDc, plot, clip);
    if (withScales)
    {
        Paint(domainScale, dc);
        Paint(rangeScale, dc);
    }
    SetRect(windowLayout, false);
}

void Graph2DDrawer::PaintAnnotationsOnWindow()
{
    if (!drawAnnotations || !WindowHandle())
        return;
    HDC dc = GetDC(WindowHandle());
    if (!dc)
        return;
    RECT plot{};
    GetPlotRect(plot, rect);
    DrawAnnotations(dc, dc, plot, plot);
    ReleaseDC(WindowHandle(), dc);
}

} // namespace MGraph1
