#include "host/tests/CalcTestSupport.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

namespace
{

using HostTests::RecordEvents;

std::vector<int32_t> Ticks(const std::vector<Host::Calc::EventHeader>& events)
{
    std::vector<int32_t> ticks;
    for (const auto& event : events)
        ticks.push_back(event.tick);
    return ticks;
}

TEST(PeakDetector, FindsOneEventPerBeatAtTheCrestOfAPressureWave)
{
    for (const auto& [beatSeconds, beats] : {std::pair{0.8, 12}, {0.45, 20}})
    {
        const HostTests::PressureWave wave{beatSeconds};
        const auto samples = wave.Samples(std::llround(beats * beatSeconds / wave.interval));
        const Host::Recording recording = HostTests::MakeRecording(wave.interval, {{samples}});
        const auto events = RecordEvents(recording, "CMPeakDet(ch1, 20, 0.05)");
        ASSERT_EQ(static_cast<size_t>(beats), events.size()) << beatSeconds;
        for (int beat = 0; beat < beats; ++beat)
        {
            const auto& event = events[static_cast<size_t>(beat)];
            EXPECT_NEAR(wave.CrestTick(beat), event.tick, 1.0) << "beat " << beat;
            EXPECT_EQ(0.0f, event.fraction);
            EXPECT_EQ(samples[static_cast<size_t>(event.tick)], event.value);
            EXPECT_NEAR(118.0, event.value, 0.01);
        }
    }
}

TEST(PeakDetector, NeedsARiseAndAFallOfMinHeightAroundAPeak)
{
    // A dip of 8 inside the hump does not split it; the bump of 8 before it and of 9 after it are no peaks.
    const Host::Recording recording =
        HostTests::MakeRecording(1.0, {{{0, 8, 0, 20, 15, 12, 25, 5, 0, 9, 3}}});
    const auto events = RecordEvents(recording, "cmpeakdet(ch1, 10, 0)");
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(6, events[0].tick);
    EXPECT_EQ(25.0, events[0].value);
    // A crest that never falls back by minHeight before the record ends is no peak.
    EXPECT_TRUE(RecordEvents(HostTests::MakeRecording(1.0, {{{0, 20, 30, 25}}}), "cmpeakdet(ch1, 10, 0)").empty());
}

TEST(PeakDetector, KeepsTheHigherOfPeaksCloserThanMinPeriod)
{
    // Peaks at ticks 2 (10), 5 (12), 9 (11) and 12 (10), 0.1 s apart per tick.
    const Host::Recording recording =
        HostTests::MakeRecording(0.1, {{{0, 0, 10, 0, 0, 12, 0, 0, 0, 11, 0, 0, 10, 0}}});
    EXPECT_EQ((std::vector<int32_t>{5, 12}), Ticks(RecordEvents(recording, "cmpeakdet(ch1, 5, 0.5)")));
    EXPECT_EQ((std::vector<int32_t>{2, 5, 9, 12}), Ticks(RecordEvents(recording, "cmpeakdet(ch1, 5, 0.3)")))
        << "peaks exactly minPeriod apart are both kept";
    EXPECT_EQ((std::vector<int32_t>{2, 5, 9, 12}), Ticks(RecordEvents(recording, "cmpeakdet(ch1, 5, 0)")));
    // maxRate 120 per minute is a period of 0.5 s: it tightens a shorter minPeriod, never loosens a longer one.
    EXPECT_EQ((std::vector<int32_t>{5, 12}), Ticks(RecordEvents(recording, "cmpeakdet(ch1, 5, 0.1, 120)")));
    EXPECT_EQ((std::vector<int32_t>{5}), Ticks(RecordEvents(recording, "cmpeakdet(ch1, 5, 1, 600)")));
}

} // namespace
