#include "graph/drawers/GraphDrawer.h"

#include "foundation/system/GdiObjects.h"

#include <cwchar>

namespace MGraph1
{

namespace
{
constexpr wchar_t MissingDrawingText[] = L"You forgot the OnDraw handler";

void Replace(AxisTransform*& slot, bool& owned, AxisTransform* transform)
{
    if (slot && owned && slot != transform)
        delete slot;
    slot = transform;
    owned = false;
}
} // namespace

GraphDrawer& GraphDrawer::operator=(const GraphDrawer& other)
{
    next = other.next;
    domainLow = other.domainLow;
    domainHigh = other.domainHigh;
    auxLow = other.auxLow;
    auxHigh = other.auxHigh;
    rangeLow = other.rangeLow;
    rangeHigh = other.rangeHigh;
    xTransform = other.xTransform;
    auxTransform = other.auxTransform;
    yTransform = other.yTransform;
    ownsXTransform = other.ownsXTransform;
    ownsAuxTransform = other.ownsAuxTransform;
    ownsYTransform = other.ownsYTransform;
    xUnitTransform = other.xUnitTransform;
    auxUnitTransform = other.auxUnitTransform;
    yUnitTransform = other.yUnitTransform;
    ownsXUnitTransform = other.ownsXUnitTransform;
    ownsAuxUnitTransform = other.ownsAuxUnitTransform;
    ownsYUnitTransform = other.ownsYUnitTransform;
    plotWidth = other.plotWidth;
    plotHeight = other.plotHeight;
    visible = other.visible;
    return *this;
}

GraphDrawer::~GraphDrawer()
{
    FreeTransforms();
}

void GraphDrawer::SetDomainLimits(double low, double high)
{
    domainLow = low;
    domainHigh = high;
    OnDomainLimitsChanged();
}

void GraphDrawer::SetAuxLimits(double low, double high)
{
    auxLow = low;
    auxHigh = high;
    OnAuxLimitsChanged();
}

void GraphDrawer::SetRangeLimits(double low, double high)
{
    rangeLow = low;
    rangeHigh = high;
    OnRangeLimitsChanged();
}

void GraphDrawer::OnDraw(HDC dc, HDC, RECT plotRect, RECT)
{
    const Orv::TextAlignment centred(dc, TA_CENTER | TA_TOP);
    TextOutW(dc, (plotRect.left + plotRect.right) / 2, (plotRect.top + plotRect.bottom) / 2, MissingDrawingText,
             static_cast<int>(wcslen(MissingDrawingText)));
}

void GraphDrawer::FreeTransforms()
{
    for (auto [slot, owned] : {std::pair{&xTransform, &ownsXTransform}, std::pair{&auxTransform, &ownsAuxTransform},
                               std::pair{&yTransform, &ownsYTransform}})
    {
        if (*slot && *owned)
            delete *slot;
        *slot = nullptr;
        *owned = false;
    }
}

void GraphDrawer::DrawChain(HDC dc, HDC attributeDc, const RECT& plotRect, const RECT& clipRect)
{
    OnDraw(dc, attributeDc, plotRect, clipRect);
    if (next)
        next->DrawChain(dc, attributeDc, plotRect, clipRect);
    OnDrawOver(dc, attributeDc, plotRect, clipRect);
}

void GraphDrawer::SetPlacement(int width, int height)
{
    plotWidth = width;
    plotHeight = height;
    OnPlacementChanged();
}

void GraphDrawer::UseXTransform(AxisTransform* transform)
{
    Replace(xTransform, ownsXTransform, transform);
    OnXTransformChanged();
}

void GraphDrawer::UseYTransform(AxisTransform* transform)
{
    Replace(yTransform, ownsYTransform, transform);
    OnYTransformChanged();
}

void GraphDrawer::UseXUnitTransform(AxisTransform* transform)
{
    Replace(xUnitTransform, ownsXUnitTransform, transform);
    OnXUnitTransformChanged();
}

void GraphDrawer::UseYUnitTransform(AxisTransform* transform)
{
    Replace(yUnitTransform, ownsYUnitTransform, transform);
    OnYUnitTransformChanged();
}

} // namespace MGraph1
