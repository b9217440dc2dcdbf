#include "host/tests/CalcTestSupport.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

#include <set>

namespace
{

using HostTests::ChannelSamples;

const Host::Recording Ramp = HostTests::MakeRecording(0.25, {{{1, 2, 4, 8, 16}}, {{-1, 0.5f}}});

TEST(CalcFunctions, MathFunctionsAndTimeGiveHandComputedValues)
{
    const struct
    {
        const char* text;
        std::vector<float> expected; // over record 0: ch1 = 1 2 4 8 16, t = 0 .25 .5 .75 1
    } cases[] = {
        {"t", {0, 0.25f, 0.5f, 0.75f, 1}},
        {"sin(pi * t)", {0, 0.70710678f, 1, 0.70710678f, 0}},
        {"cos(pi * t)", {1, 0.70710678f, 0, -0.70710678f, -1}},
        {"tan(pi * t / 4)", {0, 0.19891237f, 0.41421356f, 0.66817864f, 1}},
        {"exp(t * 4)", {1, 2.7182818f, 7.3890561f, 20.085537f, 54.59815f}},
        {"log(ch1)", {0, 0.69314718f, 1.3862944f, 2.0794415f, 2.7725887f}},
        {"sqrt(ch1)", {1, 1.4142136f, 2, 2.8284271f, 4}},
        {"abs(2 - ch1)", {1, 0, 2, 6, 14}},
        {"threshold(ch1, 4)", {0, 0, 1, 1, 1}},
        {"threshold(ch1, t * 8)", {1, 1, 1, 1, 1}},
        {"threshold(t, 0.6)", {0, 0, 0, 1, 1}},
    };
    for (const auto& c : cases)
    {
        const std::vector<float> samples = ChannelSamples(Ramp, c.text);
        ASSERT_EQ(c.expected.size(), samples.size()) << c.text;
        for (size_t tick = 0; tick < samples.size(); ++tick)
            EXPECT_NEAR(c.expected[tick], samples[tick], 1e-6 * std::max(1.0f, std::abs(c.expected[tick])))
                << c.text << " at tick " << tick;
    }
}

TEST(CalcFunctions, ShiftDelaysOrAdvancesByWholeTicksRepeatingTheEdges)
{
    EXPECT_EQ((std::vector<float>{1, 1, 2, 4, 8}), ChannelSamples(Ramp, "shift(ch1, 0.25)"));
    EXPECT_EQ((std::vector<float>{1, 1, 1, 2, 4}), ChannelSamples(Ramp, "shift(ch1, 0.4)")); // 1.6 ticks: 2
    EXPECT_EQ((std::vector<float>{4, 8, 16, 16, 16}), ChannelSamples(Ramp, "shift(ch1, -0.5)"));
    EXPECT_EQ((std::vector<float>{16, 16, 16, 16, 16}), ChannelSamples(Ramp, "shift(ch1, -100)"));
    EXPECT_EQ((std::vector<float>{1, 1, 1, 1, 1}), ChannelSamples(Ramp, "shift(ch1, 1e300)"));
    EXPECT_EQ((std::vector<float>{-1, 0.5f}), ChannelSamples(Ramp, "shift(ch1, 0)", 1));
}

TEST(CalcFunctions, RandomIsUniformAndReproduciblePerRecord)
{
    const Host::Recording recording = HostTests::MakeRecording(0.001, {{std::vector<float>(20000)}, {std::vector<float>(20000)}});
    const std::vector<float> first = ChannelSamples(recording, "random()");
    const std::vector<float> again = ChannelSamples(recording, "RANDOM()");
    const std::vector<float> second = ChannelSamples(recording, "random()", 1);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, second);

    double sum = 0.0;
    for (float value : first)
    {
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
        sum += value;
    }
    EXPECT_NEAR(0.5, sum / static_cast<double>(first.size()), 0.01);
    EXPECT_GT(std::set<float>(first.begin(), first.end()).size(), first.size() * 99 / 100);
}

} // namespace
