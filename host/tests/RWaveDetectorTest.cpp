#include "host/app/calc/RWaveDetector.h"
#include "host/tests/CalcTestSupport.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

namespace
{

struct EcgCase
{
    const char* name;
    HostTests::ScannerEcg ecg;
    double seconds;
};

// A human at 60 and 75 a minute sampled at 1 kHz, a mouse at 500 and 600 a minute at 2 kHz (its R wave
// 3 ms, so that the 5x spike of 4 samples outlives the despiking and the artefact rule must refuse it).
const EcgCase Cases[] = {
    {"human 60/min", {0.001, 1.0, 0.010, 0.28}, 30.0},
    {"human 75/min", {0.001, 0.8, 0.010, 0.26}, 30.0},
    {"mouse 500/min", {0.0005, 0.12, 0.003, 0.04}, 8.0},
    {"mouse 600/min", {0.0005, 0.10, 0.003, 0.035}, 8.0},
};

std::vector<int64_t> Detect(const std::vector<float>& samples, double interval, size_t chunk)
{
    Host::Calc::RWaveDetector detector({0.05}, interval);
    Host::Calc::EventTrack track(sizeof(Host::Calc::EventHeader));
    size_t fed = 0;
    for (; fed < samples.size(); fed += chunk)
    {
        const size_t count = std::min(chunk, samples.size() - fed);
        const size_t before = track.Count();
        const int64_t settled = track.SettledTicks();
        detector.Add(static_cast<int64_t>(fed), std::span(samples).subspan(fed, count), track);
        for (size_t index = before; index < track.Count(); ++index)
            EXPECT_GE(track.Header(index).tick, settled) << "an event below the ticks already settled";
        EXPECT_GE(track.SettledTicks(), settled);
    }
    detector.Finish(static_cast<int64_t>(samples.size()), track);
    std::vector<int64_t> ticks;
    for (size_t index = 0; index < track.Count(); ++index)
        ticks.push_back(track.Header(index).tick);
    return ticks;
}

TEST(RWaveDetector, FindsOneBeatPerRWavePastTWavesWanderAndGradientSpikes)
{
    for (const EcgCase& test : Cases)
    {
        const auto count = std::llround(test.seconds / test.ecg.interval);
        const std::vector<float> samples = test.ecg.Samples(count);
        const std::vector<int64_t> expected = test.ecg.RTicks(count);
        const std::vector<int64_t> found = Detect(samples, test.ecg.interval, samples.size());
        ASSERT_EQ(expected.size(), found.size()) << test.name;
        for (size_t beat = 0; beat < found.size(); ++beat)
            EXPECT_NEAR(expected[beat], found[beat], 1.0 + 0.001 / test.ecg.interval) << test.name << " beat " << beat;
        for (const size_t chunk : {size_t{1}, size_t{333}, size_t{4096}})
            EXPECT_EQ(found, Detect(samples, test.ecg.interval, chunk)) << test.name << ", fed " << chunk << " at a time";
    }
}

TEST(RWaveDetector, IsCalledByNameOnAChannel)
{
    const HostTests::ScannerEcg ecg = Cases[0].ecg;
    const std::vector<float> samples = ecg.Samples(10000);
    const Host::Recording recording = HostTests::MakeRecording(ecg.interval, {{samples}});
    const auto events = HostTests::RecordEvents(recording, "RWaveDet(ch1, 0.05)");
    ASSERT_EQ(ecg.RTicks(10000).size(), events.size());
    for (const auto& event : events)
        EXPECT_EQ(samples[static_cast<size_t>(event.tick)], event.value);
}

} // namespace
