#include "tracedisplay/timescale/TimeSteps.h"

#include "tracedisplay/support/DrawingUtilities.h"

#include <algorithm>
#include <cmath>

namespace StrixDraw
{

namespace
{
constexpr double LabelCharacters = 18.001;
// A step is at most about three times the room it leaves, so that room for 18 characters put a label only
// every 108 to 300 pixels, and a strip narrower than that (the settings preview's) showed none: a narrow
// strip leaves a sixth of its width, which lays at least two steps across it.
constexpr double NarrowStripRooms = 6.0;
constexpr double MinorTickCharacters = 3.0;
constexpr double Minute = 60.0;
constexpr double Hour = 3600.0;
constexpr double Day = 86400.0;
constexpr double MinuteStepsFrom = 15.0;
constexpr double HourStepsFrom = 900.0;
constexpr double DayStepsFrom = 64800.0;
constexpr int WholeUnitSubdivisions = 6;

TimeStep InUnits(double t, double unit, bool twelves)
{
    double step = t / unit;
    int mantissa = 0;
    if (twelves)
        NiceStep12(step, mantissa);
    else
        NiceStep125(step, mantissa);
    return {step * unit, mantissa, 0};
}
} // namespace

TimeStep ChooseTimeStep(double charWidth, double secondsPerPixel, double stripWidth)
{
    const double room = std::min<double>(static_cast<int>(charWidth * LabelCharacters),
                                         std::max(1.0, std::floor(stripWidth / NarrowStripRooms)));
    const double t = room * secondsPerPixel;
    TimeStep step{};
    bool wholeUnit = false;
    if (t < MinuteStepsFrom)
    {
        step = InUnits(t, 1.0, false);
    }
    else if (t < HourStepsFrom)
    {
        step = InUnits(t, Minute, false);
        wholeUnit = step.seconds < Minute + 1.0;
    }
    else if (t < DayStepsFrom)
    {
        step = t < Hour + 1.0 ? TimeStep{Hour, 1, 0} : InUnits(t, Hour, true);
        wholeUnit = t < Hour + 1.0 || step.mantissa >= 6;
    }
    else
    {
        step = t < Day + 1.0 ? TimeStep{Day, 1, 0} : InUnits(t, Day, false);
        wholeUnit = t < Day + 1.0;
    }
    step.subdivisions = wholeUnit ? WholeUnitSubdivisions : step.mantissa == 2 ? 4 : 5;
    return step;
}

int MinorTicksPerStep(double charWidth, double pixelsPerStep, int subdivisions)
{
    return static_cast<int>(charWidth * MinorTickCharacters) > pixelsPerStep / subdivisions ? 2 : subdivisions;
}

TimeTicks ChooseTimeTicks(double charWidth, double secondsPerPixel, double stripWidth)
{
    const TimeStep step = ChooseTimeStep(charWidth, secondsPerPixel, stripWidth);
    const double pixelsPerStep = step.seconds / secondsPerPixel;
    return {step, pixelsPerStep, MinorTicksPerStep(charWidth, pixelsPerStep, step.subdivisions)};
}

} // namespace StrixDraw
