#include "tracedisplay/timescale/TimeSteps.h"

#include "tracedisplay/support/DrawingUtilities.h"

namespace StrixDraw
{

namespace
{
constexpr double LabelCharacters = 18.001;
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

TimeStep ChooseTimeStep(double charWidth, double secondsPerPixel)
{
    const double t = static_cast<int>(charWidth * LabelCharacters) * secondsPerPixel;
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

TimeTicks ChooseTimeTicks(double charWidth, double secondsPerPixel)
{
    const TimeStep step = ChooseTimeStep(charWidth, secondsPerPixel);
    const double pixelsPerStep = step.seconds / secondsPerPixel;
    return {step, pixelsPerStep, MinorTicksPerStep(charWidth, pixelsPerStep, step.subdivisions)};
}

} // namespace StrixDraw
