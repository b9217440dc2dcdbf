#include "graph/annotations/Annotation.h"

#include "foundation/system/GdiObjects.h"

#include <cmath>

namespace MGraph1
{

namespace
{
constexpr int32_t CrossMarker = 1;
constexpr int BottomChevronLift = 2;
} // namespace

BasicAnnotation::~BasicAnnotation()
{
    if (ownsTracker)
        delete tracker;
}

void BasicAnnotation::Reset()
{
    hasPosition = false;
    tracker = nullptr;
    trackerId = -1;
    ownsTracker = false;
    showMarker = false;
    lastX = lastY = 0;
    drawn = false;
    rasterMode = R2_COPYPEN;
    markerSize = 3;
    markerKind = CrossMarker;
    x = y = -DBL_MAX;
}

bool BasicAnnotation::AttachObject(AnnotationTracker* object, int32_t id, bool owns)
{
    tracker = object;
    trackerId = id;
    ownsTracker = owns;
    return owns;
}

bool BasicAnnotation::Apply(TrackInfo& info)
{
    hasPosition = false;
    showMarker = false;
    if (!tracker || !tracker->Track(trackerId, info))
        return false;
    if (std::isnan(info.resolvedX) || std::isnan(info.resolvedY))
        return false;
    label = info.label;
    x = info.resolvedX;
    y = info.resolvedY;
    showMarker = info.show;
    hasPosition = true;
    return true;
}

bool BasicAnnotation::TrackToPixel(int px, int py, const RECT& plotRect, const RECT&)
{
    if (!xTransform || !yTransform)
        return false;
    x = PixelToValue(*xTransform, px, plotRect.left);
    y = PixelToValue(*yTransform, py, plotRect.top);
    TrackInfo info;
    info.pixelX = px;
    info.pixelY = py;
    info.relX = px - plotRect.left;
    info.relY = py - plotRect.top;
    info.valueX = x;
    info.valueY = y;
    Apply(info);
    return hasPosition;
}

bool BasicAnnotation::SetPosition(double newX, double newY)
{
    x = newX;
    y = newY;
    TrackInfo info;
    info.valueX = newX;
    info.valueY = newY;
    Apply(info);
    return true;
}

bool BasicAnnotation::GetText(std::wstring& out)
{
    if (hasPosition && &out != &label)
        out = label;
    return hasPosition;
}

void BasicAnnotation::EraseDrawn(HDC dc, const RECT& plot)
{
    if (rasterMode != InvertRasterMode || !drawn)
        return;
    const Orv::MixMode mix(dc, rasterMode);
    DrawCross(dc, plot, lastX, lastY);
    drawn = false;
}

void BasicAnnotation::OnDraw(HDC dc, HDC, RECT plot, RECT)
{
    // A cross that is no longer shown leaves the screen with its position.
    if (!hasPosition || !showMarker || !visible || std::isnan(x) || std::isnan(y) || !xTransform || !yTransform)
        return EraseDrawn(dc, plot);
    const int px = static_cast<int>(ValueToPixel(*xTransform, x, plot.left));
    const int py = static_cast<int>(ValueToPixel(*yTransform, y, plot.top));
    if (px < plot.left || px >= plot.right)
        return EraseDrawn(dc, plot);
    const Orv::MixMode mix(dc, rasterMode);
    if (markerKind != CrossMarker)
        return;
    if (rasterMode == InvertRasterMode && drawn)
        DrawCross(dc, plot, lastX, lastY);
    DrawCross(dc, plot, px, py);
    lastX = px;
    lastY = py;
    drawn = true;
}

void BasicAnnotation::DrawCross(HDC dc, const RECT& plot, int px, int py) const
{
    const int s = markerSize;
    if (py >= plot.bottom)
    {
        const int yb = plot.bottom - BottomChevronLift;
        Orv::StrokeLines(dc, {{px - s, yb - s}, {px, yb}, {px + s + 1, yb - s - 1}});
    }
    else if (py < plot.top)
    {
        Orv::StrokeLines(dc, {{px - s, plot.top + s}, {px, plot.top}, {px + s + 1, plot.top + s + 1}});
    }
    else
    {
        Orv::StrokeLines(dc, {{px, py - s}, {px, py + s + 1}});
        Orv::StrokeLines(dc, {{px - s, py}, {px + s + 1, py}});
    }
}

} // namespace MGraph1
