#include "ScaleLayout.h"

#include <cmath>

namespace Vyr
{

namespace
{
// More ticks than this mean the limits are degenerate for the strip.
constexpr size_t MaxTicks = 1000;
// Limits that sit on a round value up to rounding error still get their tick.
constexpr double RoundingSlack = 1e-9;
} // namespace

double RoundStep(double raw)
{
    if (!(raw > 0.0) || !std::isfinite(raw))
        return 0.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= raw * (1.0 - 1e-9))
            return factor * power;
    return 10.0 * power;
}

AxisTransform ScaleLayout::Transform() const
{
    if (!Usable())
        return {1.0, 0.0};
    const double pixelsPerValue = (length - 1) / (high - low);
    return horizontal ? AxisTransform{pixelsPerValue, -low} : AxisTransform{-pixelsPerValue, -high};
}

double ScaleLayout::PixelOf(double value) const
{
    const AxisTransform t = Transform();
    return (value + t.offset) * t.scale;
}

std::vector<ScaleLayout::Tick> ScaleLayout::Ticks(LONG minSpacing) const
{
    std::vector<Tick> ticks;
    if (!Usable() || units.scale == 0.0 || minSpacing < 1)
        return ticks;
    const double displayedLow = (low + units.offset) * units.scale;
    const double displayedHigh = (high + units.offset) * units.scale;
    const double a = std::fmin(displayedLow, displayedHigh);
    const double b = std::fmax(displayedLow, displayedHigh);
    const double step = RoundStep((b - a) * minSpacing / (length - 1));
    if (step <= 0.0)
        return ticks;
    const double first = std::ceil(a / step - RoundingSlack);
    const double last = std::floor(b / step + RoundingSlack);
    for (double n = first; n <= last && ticks.size() < MaxTicks; ++n)
    {
        const double displayed = n * step;
        const double value = displayed / units.scale - units.offset;
        ticks.push_back({static_cast<LONG>(std::lround(PixelOf(value))), std::fabs(displayed) < step * RoundingSlack ? 0.0 : displayed});
    }
    return ticks;
}

} // namespace Vyr
