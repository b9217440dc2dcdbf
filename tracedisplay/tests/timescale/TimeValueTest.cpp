#include "tracedisplay/timescale/TimeSteps.h"
#include "tracedisplay/timescale/TimeValue.h"

#include <gtest/gtest.h>

#include <cmath>

namespace StrixDraw
{
namespace
{

TEST(TimeValueTest, WritesTheTimeAsTheModeAsks)
{
    struct Case
    {
        ULONG mode;
        double t;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {TimeMode::Elapsed, 1.25, L"1.25"},
        {TimeMode::Elapsed, 5.0, L"5"},
        {TimeMode::Elapsed, 65.5, L"1:05.5"},
        {TimeMode::Elapsed, 3725.0, L"1:02:05"},
        {TimeMode::Elapsed, -2.5, L"-2.5"},
        {TimeMode::Elapsed, 59.9999999, L"1:00"},
        {TimeMode::Elapsed | TimeMode::Milliseconds, 1.5, L"1500"},
        {TimeMode::Elapsed | TimeMode::PlainSeconds, 90.25, L"90.25"},
        {TimeMode::TimeOfDay, 13 * 3600.0 + 5 * 60 + 7.5, L"1:05:07.5 p.m."},
        {TimeMode::TimeOfDay, 30 * 60.0, L"12:30:00 a.m."},
    };
    TimePunctuation punctuation;
    punctuation.twelveHourClock = true;
    for (const Case& c : cases)
    {
        TimeValue value;
        value.Set(c.mode, {}, false, c.t, punctuation);
        EXPECT_EQ(std::wstring(c.expected), value.Text(punctuation)) << c.t;
    }
}

TEST(TimeValueTest, RelativeTimesCountFromTheReferenceAndUseTheUsersSeparators)
{
    TimePunctuation punctuation;
    punctuation.decimal = L",";
    TimeValue value;
    value.Set(TimeMode::Relative, {100.0, 0.5, 40.0, 0.25}, false, 2.0, punctuation);
    EXPECT_EQ(L"1:02,25", value.Text(punctuation));
    value.Set(TimeMode::Relative, {100.0, NAN, 40.0, 0.25}, false, 2.0, punctuation);
    EXPECT_EQ(L"1:02", value.Text(punctuation));
    value.Set(TimeMode::Relative, {100.0, 0.5, 40.0, 0.25}, true, 2.0, punctuation);
    EXPECT_EQ(L"2", value.Text(punctuation));
}

TEST(TimeStepTest, ChoosesNiceStepsInSecondsMinutesHoursAndDays)
{
    struct Case
    {
        double charWidth;
        double secondsPerPixel;
        double step;
        int subdivisions;
        double stripWidth = 2000.0;
    };
    // The label room is trunc(18.001 x width) pixels: 126 for 7, 18 for 1; on a strip narrower than six
    // rooms, a sixth of the strip (28 of 170).
    const Case cases[] = {{7.0, 0.01, 2.0, 4},      {1.0, 20.0 / 18, 30.0, 6},  {1.0, 400.0 / 18, 600.0, 5},
                          {1.0, 3000.0 / 18, 3600.0, 6}, {1.0, 30000.0 / 18, 43200.0, 6}, {1.0, 5000.0 / 18, 7200.0, 4},
                          {1.0, 100000.0 / 18, 172800.0, 4}, {6.0, 0.001, 0.05, 5, 170.0}, {7.0, 0.01, 2.0, 4, 756.0}};
    for (const Case& c : cases)
    {
        const TimeStep step = ChooseTimeStep(c.charWidth, c.secondsPerPixel, c.stripWidth);
        EXPECT_DOUBLE_EQ(c.step, step.seconds) << c.secondsPerPixel;
        EXPECT_EQ(c.subdivisions, step.subdivisions) << c.secondsPerPixel;
    }
    EXPECT_EQ(2, MinorTicksPerStep(7.0, 60.0, 5));
    EXPECT_EQ(5, MinorTicksPerStep(7.0, 120.0, 5));
}

} // namespace
} // namespace StrixDraw
