// The arithmetic of an axis scale: the value-to-pixel transform of the visible limits over a strip of
// pixels, and tick positions at round numbers of the displayed unit.
#pragma once

#include "hostapi/ScaleControl.h"

#include <vector>

namespace Vyr
{

struct ScaleLayout
{
    bool horizontal = true;
    LONG length = 0;   // pixels along the axis
    double low = 0.0;  // visible limits, data units
    double high = 1.0;
    AxisTransform units{1.0, 0.0}; // displayed value = (value + offset) * scale

    bool Usable() const { return length > 1 && high > low; }
    // Values grow rightwards along a horizontal axis and upwards along a vertical one.
    AxisTransform Transform() const;
    // Pixel offset from the strip's start of a value.
    double PixelOf(double value) const;

    struct Tick
    {
        LONG pixel;
        double displayed;
    };
    // Ticks at round displayed values, about minSpacing pixels apart or more.
    std::vector<Tick> Ticks(LONG minSpacing) const;
};

// The round step (1, 2 or 5 times a power of ten) at or above raw.
double RoundStep(double raw);

} // namespace Vyr
