#include "tracedisplay/support/DrawingUtilities.h"

#include "controls/windows/SmallWindowUtilities.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace StrixDraw
{

HRESULT DrawPrintableBase::SetPrintContext(ULONG context)
{
    printContext_ = context;
    return S_OK;
}

HRESULT DrawPrintableBase::ClearPrintContext()
{
    printContext_ = 0;
    return S_OK;
}

HRESULT DrawPrintableBase::IsPrinting(VARIANT_BOOL* printing)
{
    const bool isPrinting = printContext_ != 0;
    if (printing)
        *printing = isPrinting ? VARIANT_TRUE : VARIANT_FALSE;
    return isPrinting ? S_OK : S_FALSE;
}

namespace
{

// step := the first multiplier not below the rounded mantissa (else the fallback) times the decade.
template <size_t N>
int NiceStepFrom(double& step, int& multiplier, const int (&multipliers)[N], int fallback)
{
    const double decade = std::pow(10.0, std::floor(std::log10(step)));
    const double mantissa = step / decade + 0.5;
    const auto found = std::find_if(std::begin(multipliers), std::end(multipliers),
                                    [&](int m) { return m >= mantissa; });
    multiplier = found == std::end(multipliers) ? fallback : *found;
    step = multiplier * decade;
    return multiplier;
}

} // namespace

int NiceStep125(double& step, int& multiplier)
{
    static constexpr int Multipliers[] = {1, 2, 5};
    return NiceStepFrom(step, multiplier, Multipliers, 10);
}

int NiceStep12(double& step, int& multiplier)
{
    static constexpr int Multipliers[] = {1, 2, 6, 12};
    return NiceStepFrom(step, multiplier, Multipliers, 24);
}

COLORREF ContrastColour(COLORREF colour, COLORREF background)
{
    if (background != RGB(0, 0, 0))
        return colour;
    const int r = GetRValue(colour);
    const int g = GetGValue(colour);
    const int b = GetBValue(colour);
    // Single precision, as the colours were always computed, so that greys land where they did.
    const int k = static_cast<int>(static_cast<float>(765 - 2 * (r + g + b)) / 255.0f / 3.0f * 255.0f);
    const auto clamp = [](int v) { return static_cast<BYTE>(std::clamp(v, 0, 255)); };
    return RGB(clamp(r + k), clamp(g + k), clamp(b + k));
}

void LayerSegment::MarkStale(const OWL::TRect& area)
{
    dirty = area;
    flags = (flags & ~LayerFlag::Drawn) | LayerFlag::Stale;
}

namespace
{

// Moves both edges by dx and keeps them inside the strip on the side the data moved towards.
void ShiftEdges(LONG& left, LONG& right, int dx, const OWL::TRect& strip)
{
    left += dx;
    right += dx;
    if (dx < 1)
    {
        left = std::max<LONG>(left, strip.left);
        right = std::max<LONG>(right, strip.left);
    }
    else
    {
        left = std::min<LONG>(left, strip.right);
        right = std::min<LONG>(right, strip.right);
    }
}

void ScrollBuffer(const OrvControls::ScreenBitMapDC& buffer, const OWL::TRect& strip, int dx)
{
    const int width = strip.Width() - std::abs(dx);
    if (width <= 0)
        return;
    if (dx < 1)
        BitBlt(buffer, strip.left, strip.top, width, strip.Height(), buffer, strip.left - dx, strip.top, SRCCOPY);
    else
        BitBlt(buffer, strip.left + dx, strip.top, width, strip.Height(), buffer, strip.left, strip.top, SRCCOPY);
}

} // namespace

void ScrollLayers(LayerTable& table, int dx, bool scrollBuffers)
{
    const OWL::TRect& strip = table.cacheRect;
    for (LayerSegment& layer : table.layers)
    {
        if (!layer.HasDrawers())
            continue;
        if (scrollBuffers && layer.alpha == OpaqueAlpha && layer.bitmap)
            ScrollBuffer(*layer.bitmap, strip, dx);
        if (!layer.dirty.IsEmpty())
            ShiftEdges(layer.dirty.left, layer.dirty.right, dx, strip);
        if (layer.alpha != OpaqueAlpha && layer.span)
            ShiftEdges(layer.span->left, layer.span->right, dx, strip);
        if (dx != 0)
        {
            const OWL::TRect exposed = dx < 1 ? OWL::TRect(strip.right + dx, strip.top, strip.right, strip.bottom)
                                              : OWL::TRect(strip.left, strip.top, strip.left + dx, strip.bottom);
            layer.dirty = layer.dirty | exposed;
        }
        if (layer.flags & LayerFlag::Cached)
            layer.flags = (layer.flags | LayerFlag::Stale) & ~LayerFlag::Drawn;
    }
}

} // namespace StrixDraw
