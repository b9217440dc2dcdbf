#include "graph/grid/GraphGraticule.h"

#include <algorithm>

namespace MGraph1
{

namespace
{
constexpr LONG MinScaleExtent = 2;
constexpr double MaxRegularLines = 10000.0;

bool Overlaps(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::vector<ScaleTick> TicksOf(IScaleControlView* view)
{
    LONG count = 0;
    if (FAILED(view->GetTickCount(&count)) || count <= 0)
        return {};
    std::vector<ScaleTick> ticks(static_cast<size_t>(count), ScaleTick{0, 0});
    LONG written = 0;
    if (FAILED(view->FillTicks(ticks.data(), count, &written)))
        written = 0;
    ticks.resize(static_cast<size_t>(std::clamp<LONG>(written, 0, count)));
    return ticks;
}

// The grid positions of one axis, far line first, or none when the spacing is unusable.
std::vector<double> RegularPositions(IScaleControl* scale)
{
    double first = 0.0;
    double step = 0.0;
    if (FAILED(scale->GetGridSpacing(&first, &step)) || !(step < 0.0) || first / -step > MaxRegularLines)
        return {};
    std::vector<double> positions;
    for (double d = first; d >= 0.0; d += step)
        positions.push_back(d);
    return positions;
}
} // namespace

GridPen::GridPen(HDC dc, COLORREF colour) : m_pen(CreatePen(PS_DOT, 0, colour)), m_selected(dc, m_pen.Get())
{
}

GraphGraticule::GraphGraticule(const GraphDisplayInfo& info, IScaleControl* xScaleControl, IScaleControl* yScaleControl)
    : xScale(xScaleControl), yScale(yScaleControl)
{
    display = info;
}

void GraphGraticule::SetScales(IScaleControl* xScaleControl, IScaleControl* yScaleControl)
{
    xScale = Orv::ComPtr<IScaleControl>(xScaleControl);
    yScale = Orv::ComPtr<IScaleControl>(yScaleControl);
}

void GraphGraticule::Draw(HDC dc, HDC, const RECT* clip)
{
    if (clip && !Overlaps(*clip, plotRect))
        return;
    const auto xView = xScale.As<IScaleControlView>(IID_IScaleControlView);
    const auto yView = yScale.As<IScaleControlView>(IID_IScaleControlView);
    if (!xView || !yView)
    {
        DrawRegularGrid(dc);
        return;
    }
    RECT xRect{};
    RECT yRect{};
    xView->GetRect(&xRect);
    yView->GetRect(&yRect);
    if (xRect.right - xRect.left < MinScaleExtent || yRect.bottom - yRect.top < MinScaleExtent)
        return;
    const auto xTicks = TicksOf(xView.Get());
    const auto yTicks = TicksOf(yView.Get());
    if (!xTicks.empty() && !yTicks.empty())
        DrawAtTicks(dc, xTicks, yTicks);
    else
        DrawRegularGrid(dc);
}

void GraphGraticule::DrawAtTicks(HDC dc, const std::vector<ScaleTick>& xTicks, const std::vector<ScaleTick>& yTicks) const
{
    const RECT& r = plotRect;
    const auto inX = [&](LONG x) { return r.left <= x && x < r.right; };
    const auto inY = [&](LONG y) { return r.top <= y && y < r.bottom; };
    if (display.gridDots)
    {
        for (const ScaleTick& xt : xTicks)
            for (const ScaleTick& yt : yTicks)
                if (inX(r.left + xt.pixel) && inY(r.top + yt.pixel))
                    SetPixel(dc, r.left + xt.pixel, r.top + yt.pixel, display.gridColour);
        return;
    }
    const GridPen pen(dc, display.gridColour);
    for (const ScaleTick& xt : xTicks)
        if (inX(r.left + xt.pixel))
            Orv::StrokeLines(dc, {{r.left + xt.pixel, r.top}, {r.left + xt.pixel, r.bottom}});
    for (const ScaleTick& yt : yTicks)
        if (inY(r.top + yt.pixel))
            Orv::StrokeLines(dc, {{r.left, r.top + yt.pixel}, {r.right, r.top + yt.pixel}});
}

void GraphGraticule::DrawRegularGrid(HDC dc) const
{
    if (!xScale || !yScale)
        return;
    const auto xs = RegularPositions(xScale.Get());
    const auto ys = RegularPositions(yScale.Get());
    if (xs.empty() || ys.empty())
        return;
    const RECT& r = plotRect;
    if (display.gridDots)
    {
        for (double d : xs)
        {
            const LONG x = static_cast<LONG>(r.left + d);
            if (x > r.right)
                continue;
            for (double e : ys)
                SetPixel(dc, x, static_cast<LONG>(r.top + e), display.gridColour);
        }
        return;
    }
    const GridPen pen(dc, display.gridColour);
    for (double d : xs)
        if (const LONG x = static_cast<LONG>(r.left + d); x <= r.right)
            Orv::StrokeLines(dc, {{x, r.top}, {x, r.bottom}});
    for (double e : ys)
        if (const LONG y = static_cast<LONG>(r.top + e); y <= r.bottom)
            Orv::StrokeLines(dc, {{r.left, y}, {r.right, y}});
}

} // namespace MGraph1
