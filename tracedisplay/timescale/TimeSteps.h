// The spacing of the time scale's ticks and labels: a nice step in seconds, minutes, hours or days
// that leaves room for a label of 18 average characters, or for a sixth of a narrower strip, and its
// minor ticks.
#pragma once

namespace StrixDraw
{

struct TimeStep
{
    double seconds;
    int mantissa;
    int subdivisions;
};

// The step for labels of the average character width (pixels) at the given seconds per pixel, on a strip
// that many pixels wide.
TimeStep ChooseTimeStep(double charWidth, double secondsPerPixel, double stripWidth);

// Minor ticks per step: two when the step's subdivisions would come closer than three characters.
int MinorTicksPerStep(double charWidth, double pixelsPerStep, int subdivisions);

// The step and its minor ticks together, as the time scale draws them.
struct TimeTicks
{
    TimeStep step;
    double pixelsPerStep;
    int minorPerStep;

    double MinorSpacing() const { return pixelsPerStep / minorPerStep; }
};
TimeTicks ChooseTimeTicks(double charWidth, double secondsPerPixel, double stripWidth);

} // namespace StrixDraw
