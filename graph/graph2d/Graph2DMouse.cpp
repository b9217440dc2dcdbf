#include "graph/graph2d/Graph2DDrawer.h"

#include "foundation/system/ModalMessage.h"
#include "graph/scales/GraphDragScale.h"

#include <algorithm>
#include <cmath>

namespace MGraph1
{

namespace
{
// Typing this shows a box that tells a developer the keyboard reaches the graph.
constexpr char AccessCode[] = "48Quill";
constexpr size_t AccessCodeLength = sizeof(AccessCode) - 1;
constexpr wchar_t AccessCodeText[] = L"Secret Message caught";
constexpr wchar_t AccessCodeCaption[] = L"You typed the secret message for debugging";

bool Inside(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

const std::pair<Axis, bool> StripAxis(int32_t source)
{
    if (source == DomainStripId)
        return {Axis::Domain, true};
    if (source == RangeStripId)
        return {Axis::Range, true};
    return {Axis::Domain, false};
}
} // namespace

bool Graph2DDrawer::CanDragQueens() const
{
    return drawQueens && xTransform && yTransform;
}

POINT Graph2DDrawer::ClampToPlot(POINT point)
{
    RECT plot{};
    GetPlotRect(plot, rect);
    return {std::clamp(point.x, plot.left, plot.right - 1), std::clamp(point.y, plot.top, plot.bottom - 1)};
}

void Graph2DDrawer::HandleLButtonDown(UINT, POINT point)
{
    downPoint = point;
    clickPending = true;
    RECT plot{};
    GetPlotRect(plot, rect);
    if (CanDragQueens() && Inside(plot, point) && queens->BeginTrack(point.x, point.y, plot))
    {
        if (WindowHandle())
            ::SetCapture(WindowHandle());
        Invalidate();
    }
}

void Graph2DDrawer::HandleMouseMove(UINT, POINT point)
{
    if (!CanDragQueens() || !queens->current)
    {
        OnMouseMove(point.x, point.y);
        return;
    }
    RECT plot{};
    GetPlotRect(plot, rect);
    const POINT clamped = ClampToPlot(point);
    if (queens->TrackTo(clamped.x, clamped.y, plot))
        Invalidate();
}

void Graph2DDrawer::HandleLButtonUp(UINT keys, POINT point)
{
    bool click = false;
    if (clickPending)
    {
        const LONG dx = downPoint.x - point.x;
        const LONG dy = downPoint.y - point.y;
        click = dx * dx + dy * dy < clickTolerance;
        clickPending = false;
    }
    if (CanDragQueens() && queens->current)
    {
        ::ReleaseCapture();
        RECT plot{};
        GetPlotRect(plot, rect);
        const POINT clamped = ClampToPlot(point);
        queens->EndTrack(clamped.x, clamped.y, plot);
        if (WindowHandle())
            ::InvalidateRect(WindowHandle(), nullptr, TRUE);
    }
    if (click)
        HandleClick(keys, downPoint, point);
}

void Graph2DDrawer::HandleClick(UINT keys, const POINT& down, const POINT& up)
{
    RECT plot{};
    GetPlotRect(plot, rect);
    for (auto it = annotations.rbegin(); it != annotations.rend(); ++it)
        if (auto* annotation = dynamic_cast<Annotation*>(it->first))
            if (annotation->HandleClick(plot, keys, down, up))
                return;
}

void Graph2DDrawer::OnMouseMove(int x, int y)
{
    RECT plot{};
    RECT clip{};
    GetPlotRect(plot, rect);
    GetClipRect(clip, rect);
    bool moved = false;
    bool allInvert = true;
    for (auto& entry : annotations)
    {
        auto* annotation = dynamic_cast<Annotation*>(entry.first);
        if (!annotation)
            continue;
        moved |= annotation->TrackToPixel(x, y, plot, clip);
        allInvert &= annotation->UsesInvertMode();
    }
    if (!moved)
        return;
    RepaintAnnotations(allInvert);
    HintList hints;
    GetHints(x, y, hints);
    mouseSender.Send(MouseTrackHintMsg(WindowId(), &hints));
}

void Graph2DDrawer::GetHints(int x, int y, HintList& list)
{
    if (!mouseSender.HasReceivers())
        return;
    RECT plot{};
    RECT clip{};
    GetPlotRect(plot, rect);
    GetClipRect(clip, rect);
    for (auto& entry : annotations)
    {
        auto* annotation = dynamic_cast<Annotation*>(entry.first);
        if (!annotation)
            continue;
        HintRecord record{{x, y}, plot, clip, {}};
        if (annotation->GetText(record.text))
            list.push_back(std::move(record));
    }
}

void Graph2DDrawer::RepaintAnnotations(bool allInvert)
{
    // Inverted marks are drawn over the window's picture as they are; any other needs the picture again.
    if (allInvert)
        PaintAnnotationsOnWindow();
    else
        Invalidate();
}

void Graph2DDrawer::OnMouseLeave()
{
    // A mark left behind would point at a point the pointer is no longer near.
    bool allInvert = true;
    for (auto& entry : annotations)
        if (auto* annotation = dynamic_cast<Annotation*>(entry.first))
        {
            annotation->Untrack();
            allInvert &= annotation->UsesInvertMode();
        }
    RepaintAnnotations(allInvert);
    mouseSender.Send(MouseLeaveMsg(WindowId()));
}

void Graph2DDrawer::OnChar(UINT character, UINT, UINT)
{
    typedKeys.push_back(static_cast<char>(character));
    if (typedKeys.size() > AccessCodeLength)
        typedKeys.erase(0, 1);
    if (typedKeys == AccessCode)
        Orv::ShowMessageBox(WindowHandle(), AccessCodeText, AccessCodeCaption, MB_ICONEXCLAMATION);
}

bool Graph2DDrawer::OnBeginDrag(int32_t source, AxisStrips& strips)
{
    const auto [axis, known] = StripAxis(source);
    if (!known)
        return false;
    const bool domain = axis == Axis::Domain;
    Orv::ComPtr<IScaleControl>& companion = domain ? domainDragScale : rangeDragScale;
    companion.Reset();
    if (const auto& control = domain ? domainScale : rangeScale)
        control->GetDragCompanion(0, companion.Put());
    if (domain)
        strips.heldDomainDrags.emplace_back(domainDragDepth);
    else
        strips.heldRangeDrags.emplace_back(rangeDragDepth);
    return true;
}

bool Graph2DDrawer::ApplyStripLimits(Axis axis, AxisStrips& strips)
{
    GraphDragScale* strip = axis == Axis::Domain ? strips.domain : strips.range;
    if (!strip)
        return false;
    const auto [low, high] = strip->GetScaling();
    if (axis == Axis::Domain)
        ApplyDomain(low, high);
    else
        ApplyRange(low, high);
    return true;
}

bool Graph2DDrawer::OnScalingChanged(int32_t source, const AxisTransform* transform, const AxisTransform* scaling,
                                     AxisStrips& strips)
{
    const auto [axis, known] = StripAxis(source);
    if (!known)
        return false;
    if (!(axis == Axis::Domain ? strips.domain : strips.range))
        return true;
    if (axis == Axis::Domain)
    {
        if (transform)
            SetXTransform(*transform);
        if (scaling)
            SetXUnitTransform(*scaling);
    }
    else
    {
        if (transform)
            SetYTransform(*transform);
        if (scaling)
            SetYUnitTransform(*scaling);
    }
    ApplyStripLimits(axis, strips);
    return true;
}

bool Graph2DDrawer::OnEndDrag(int32_t source, AxisStrips& strips)
{
    const auto [axis, known] = StripAxis(source);
    if (!known)
        return false;
    if (!(axis == Axis::Domain ? strips.domain : strips.range))
        return true;
    auto& held = axis == Axis::Domain ? strips.heldDomainDrags : strips.heldRangeDrags;
    if (!held.empty())
        held.pop_back();
    ApplyStripLimits(axis, strips);
    return true;
}

bool Graph2DDrawer::OnAutoScale(int32_t source, AxisStrips& strips)
{
    const auto [axis, known] = StripAxis(source);
    if (!known)
        return false;
    double low = 0.0;
    double high = 0.0;
    if (axis == Axis::Domain && strips.domain)
    {
        GetDomainExtent(low, high);
        SetDomain(low, high);
    }
    else if (axis == Axis::Range && strips.range)
    {
        GetRangeExtent(low, high);
        SetRange(low, high);
    }
    return true;
}

bool Graph2DDrawer::HandleStripMessage(const MessSys::Message& message, AxisStrips& strips)
{
    if (const auto* begin = dynamic_cast<const MsgBeginDrag*>(&message))
        return OnBeginDrag(begin->source, strips);
    if (const auto* end = dynamic_cast<const MsgEndDrag*>(&message))
        return OnEndDrag(end->source, strips);
    if (const auto* scaling = dynamic_cast<const MsgScalingChanged*>(&message))
        return OnScalingChanged(scaling->source, scaling->transform, scaling->scaling, strips);
    if (const auto* autoScale = dynamic_cast<const MsgAutoScale*>(&message))
        return OnAutoScale(autoScale->source, strips);
    return false;
}

void Graph2DDrawer::SetDomainMinSpan(double span)
{
    SetMinSpan(Axis::Domain, span);
}

void Graph2DDrawer::SetRangeMinSpan(double span)
{
    SetMinSpan(Axis::Range, span);
}

void Graph2DDrawer::SetMinSpan(Axis axis, double span)
{
    const bool domain = axis == Axis::Domain;
    (domain ? domainMinSpan : rangeMinSpan) = span;
    IScaleControl* control = (domain ? domainScale : rangeScale).Get();
    if (initialised)
    {
        (domain ? domainMinSpanPair : rangeMinSpanPair) = {span, 0.0};
        (domain ? domainMinSpanSet : rangeMinSpanSet) = true;
        if (control)
            control->SetMinSpan(span, 0.0);
    }
    double low = 0.0;
    double high = 0.0;
    domain ? GetDomainBounds(low, high) : GetRangeBounds(low, high);
    if (span > std::fabs(high - low))
        domain ? SetDomainBounds(low, low + span) : SetRangeBounds(low, low + span);
    domain ? GetDomain(low, high) : GetRange(low, high);
    if (span > std::fabs(high - low))
    {
        const double boundLow = domain ? domainBoundLow : rangeBoundLow;
        const double boundHigh = domain ? domainBoundHigh : rangeBoundHigh;
        const double newLow = low + span > boundHigh ? boundLow : low;
        domain ? SetDomain(newLow, newLow + span) : SetRange(newLow, newLow + span);
    }
}

} // namespace MGraph1
