#include "host/app/calc/BeatPeriod.h"
#include "host/app/calc/RWaveDetector.h"
#include "host/tests/CalcTestSupport.h"
#include "host/tests/EcgFixtures.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace
{

using HostTests::EcgGenerator;
using HostTests::EcgShape;

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

std::vector<int64_t> Detect(std::span<const float> samples, double interval, size_t chunk)
{
    Host::Calc::RWaveDetector detector({0.05}, interval);
    Host::Calc::EventTrack track(sizeof(Host::Calc::EventHeader));
    size_t fed = 0;
    for (; fed < samples.size(); fed += chunk)
    {
        const size_t count = std::min(chunk, samples.size() - fed);
        const size_t before = track.Count();
        const int64_t settled = track.SettledTicks();
        detector.Add(static_cast<int64_t>(fed), samples.subspan(fed, count), track);
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

// The beats found over the whole ECG at once, checked to be those found when it is fed a sample, 333 samples
// or 4096 samples at a time.
std::vector<int64_t> DetectFedAnyWay(std::span<const float> samples, double interval, const char* name)
{
    const std::vector<int64_t> found = Detect(samples, interval, samples.size());
    for (const size_t chunk : {size_t{1}, size_t{333}, size_t{4096}})
        EXPECT_EQ(found, Detect(samples, interval, chunk)) << name << ", fed " << chunk << " at a time";
    return found;
}

// A beat lies in a record when its R wave's slope window (20 ms either side) does; the R waves of a record
// that starts or ends less than that from them may or may not be found.
constexpr double WindowSeconds = 0.02;

TEST(RWaveDetector, FindsOneBeatPerRWavePastTWavesWanderAndGradientSpikes)
{
    for (const EcgCase& test : Cases)
    {
        const auto count = std::llround(test.seconds / test.ecg.interval);
        const std::vector<float> samples = test.ecg.Samples(count);
        std::vector<int64_t> expected = test.ecg.RTicks(count);
        std::erase_if(expected, [&](int64_t tick) { return tick + std::llround(WindowSeconds / test.ecg.interval) >= count; });
        const std::vector<int64_t> found = DetectFedAnyWay(samples, test.ecg.interval, test.name);
        ASSERT_EQ(expected.size(), found.size()) << test.name;
        for (size_t beat = 0; beat < found.size(); ++beat)
            EXPECT_NEAR(expected[beat], found[beat], 1.0 + 0.001 / test.ecg.interval) << test.name << " beat " << beat;
    }
}

// Noisy ECGs: on a scanner two deflections per beat of similar height 100 to 140 ms apart, gradient spikes
// of 0.3 to 0.6 of the R wave at 5 to 10 a second, baseline wander and noise of 0.1 of the R wave; a mouse.
struct NoisyCase
{
    const char* name;
    EcgShape shape;
    double artefactWidth; // the widest spike far narrower than the QRS

    int64_t Ticks(double seconds) const { return std::llround(seconds / shape.interval); }
    HostTests::SyntheticEcg Make(double seconds) const { return EcgGenerator(shape).Make(Ticks(seconds)); }
};

const NoisyCase NoisyCases[] = {
    {"scanner 50/min", {0.001, 1.2, 0.006, 0.28, 0.12, 1.0, 0.03, 7.0, 0.001, 0.1, 0.4, 1}, 0.005},
    {"scanner 75/min, second deflection down", {0.001, 0.8, 0.006, 0.26, 0.10, -0.9, 0.03, 10.0, 0.002, 0.1, 0.4, 2}, 0.005},
    {"scanner 75/min, second deflection higher", {0.001, 0.8, 0.008, 0.26, 0.14, 1.1, 0.03, 5.0, 0.001, 0.1, 0.4, 3}, 0.005},
    {"mouse 600/min", {0.0005, 0.1, 0.002, 0.03, 0.0, 0.0, 0.02, 0.0, 0.001, 0.1, 0.2, 4}, 0.0015},
};

// Whether the beats found in samples [offset, offset + count) of the ECG are its R waves, one each: none
// where no R wave is (nor of an R wave before the record), none missed whose QRS lies whole in the record.
::testing::AssertionResult OneBeatPerRWave(const std::vector<int64_t>& found, const HostTests::SyntheticEcg& ecg,
                                           const EcgShape& shape, int64_t offset, int64_t count)
{
    const auto ticks = [&](double seconds) { return std::llround(seconds / shape.interval); };
    const int64_t tolerance = ticks(std::max(0.003, 1.2 * shape.rSigma)), lead = ticks(6.0 * shape.rSigma) + 1;
    std::ostringstream faults;
    for (const int64_t beat : found)
        if (std::none_of(ecg.rTicks.begin(), ecg.rTicks.end(), [&](int64_t r) { return std::llabs(r - offset - beat) <= tolerance; }))
            faults << " a beat at " << beat << " where no R wave is;";
    for (const int64_t r : ecg.rTicks)
    {
        const auto hits = std::count_if(found.begin(), found.end(), [&](int64_t beat) { return std::llabs(r - offset - beat) <= tolerance; });
        const int64_t at = r - offset;
        if (hits > 1 || (hits == 1 && at < 0) || (hits == 0 && at >= lead && at + lead + ticks(WindowSeconds) < count))
            faults << " " << hits << " beats at the R wave at " << at << ";";
    }
    if (faults.str().empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "record from " << offset << ":" << faults.str();
}

TEST(RWaveDetector, FindsOneBeatPerRWaveOfNoisyEcgsAtAnyRate)
{
    for (const NoisyCase& test : NoisyCases)
    {
        const HostTests::SyntheticEcg ecg = test.Make(40.0);
        const std::vector<int64_t> found = DetectFedAnyWay(ecg.samples, test.shape.interval, test.name);
        EXPECT_TRUE(OneBeatPerRWave(found, ecg, test.shape, 0, test.Ticks(40.0))) << test.name;
    }
}

// Records cut at every phase of the beat in 1 ms steps, among them just after an R wave's peak on its
// downslope and between a beat's two deflections: no beat before the record's first whole QRS.
TEST(RWaveDetector, FindsNoBeatAtARecordsStartButItsFirstWholeQrs)
{
    for (const NoisyCase& test : NoisyCases)
    {
        const int64_t length = test.Ticks(5.0), period = test.Ticks(test.shape.beatSeconds);
        const HostTests::SyntheticEcg ecg = EcgGenerator(test.shape).Make(length + 2 * period);
        int faults = 0;
        for (int64_t offset = period; offset < 2 * period && faults < 5; offset += test.Ticks(0.001))
        {
            const auto record = std::span<const float>(ecg.samples).subspan(static_cast<size_t>(offset), static_cast<size_t>(length));
            const auto verdict = OneBeatPerRWave(Detect(record, test.shape.interval, record.size()), ecg, test.shape, offset, length);
            faults += verdict ? 0 : 1;
            EXPECT_TRUE(verdict) << test.name;
        }
    }
}

// An artefact spike five times the R wave, 380 ms before an R wave, in the learning seconds or after them.
TEST(RWaveDetector, NeverTakesASpikeFarNarrowerAndHigherThanTheQrsForABeat)
{
    for (const NoisyCase& test : NoisyCases)
    {
        const HostTests::SyntheticEcg ecg = test.Make(30.0);
        for (const size_t beat : {size_t{3}, size_t{20}})
            for (const double width : {0.001, test.artefactWidth})
            {
                std::vector<double> spiked(ecg.samples.begin(), ecg.samples.end());
                HostTests::AddEcgSpike(spiked, test.shape.interval,
                                       static_cast<double>(ecg.rTicks[beat]) * test.shape.interval - 0.38, width, 5.0);
                const std::vector<float> samples(spiked.begin(), spiked.end());
                EXPECT_TRUE(OneBeatPerRWave(Detect(samples, test.shape.interval, samples.size()), ecg, test.shape, 0,
                                            test.Ticks(30.0)))
                    << test.name << ", a spike of " << width << " s before beat " << beat;
            }
    }
}

// Hearts a detector that goes by height or by a period learnt once loses beats of: a mouse (480 a minute)
// and a human whose T waves reach 0.3 to 1.5 of the R wave, broad (four times its width) and narrow
// (twice), upright and inverted; premature beats every 3rd to 7th beat at 0.55 to 0.75 of the period, each
// followed by a compensatory pause, over a minute; an irregular rhythm (periods varying by a fifth); spikes
// 3 to 10 times the R wave, 4 ms wide, in the diastole every few seconds. Every R wave is one beat.
TEST(RWaveDetector, FindsOneBeatPerRWaveWhateverTheTWavesRhythmAndSpikes)
{
    struct Case
    {
        const char* name;
        EcgShape shape;
        double seconds;
        double spikeHeight = 0.0; // every spikeEvery-th beat gets one, 0.45 of the period after its R wave
        size_t spikeEvery = 0;
    };
    const EcgShape mouse{0.001, 0.125, 0.002, 0.04, 0.0, 0.0, 0.03, 0.0, 0.001, 0.03, 0.2, 21};
    const EcgShape human{0.001, 0.8, 0.010, 0.28, 0.0, 0.0, 0.03, 0.0, 0.001, 0.03, 0.4, 22};
    const auto with = [](EcgShape shape, HostTests::TWave tWave, int prematureEvery = 0, double prematureAt = 0.6,
                         double variability = 0.03) {
        shape.tWave = tWave;
        shape.prematureEvery = prematureEvery;
        shape.prematureAt = prematureAt;
        shape.variability = variability;
        return shape;
    };
    const Case cases[] = {
        {"mouse, T 1.5 narrow", with(mouse, {1.5, 2.0}), 12.0},
        {"mouse, T -1.5 broad", with(mouse, {-1.5, 3.0}), 12.0},
        {"mouse, T 0.3 narrow inverted", with(mouse, {-0.3, 2.0}), 12.0},
        {"human, T 1.5 narrow", with(human, {1.5, 2.0}), 40.0},
        {"human, T -1.5 narrow", with(human, {-1.5, 2.0}), 40.0},
        {"human, T 0.8 broad inverted", with(human, {-0.8, 4.0}), 40.0},
        {"mouse, every 3rd beat at 0.55", with(mouse, {0.8, 3.0}, 3, 0.55), 20.0},
        {"mouse, every 7th beat at 0.75", with(mouse, {0.8, 3.0}, 7, 0.75), 20.0},
        {"human, every 3rd beat at 0.55", with(human, {0.6, 4.0}, 3, 0.55), 60.0},
        {"human, every 5th beat at 0.65", with(human, {0.6, 4.0}, 5, 0.65), 60.0},
        {"human, every 7th beat at 0.75", with(human, {0.6, 4.0}, 7, 0.75), 60.0},
        {"mouse, irregular", with(mouse, {0.6, 4.0}, 0, 0.6, 0.2), 20.0},
        {"human, irregular", with(human, {0.6, 4.0}, 0, 0.6, 0.2), 60.0},
        {"mouse, spikes 3x", with(mouse, {0.6, 4.0}), 12.0, 3.0, 25},
        {"mouse, spikes 10x", with(mouse, {0.6, 4.0}), 12.0, 10.0, 25},
        {"human, spikes 5x", with(human, {0.6, 4.0}), 40.0, 5.0, 4},
    };
    for (const Case& test : cases)
    {
        const auto count = std::llround(test.seconds / test.shape.interval);
        HostTests::SyntheticEcg ecg = EcgGenerator(test.shape).Make(count);
        if (test.spikeEvery > 0)
        {
            std::vector<double> spiked(ecg.samples.begin(), ecg.samples.end());
            for (size_t beat = 2; beat < ecg.rTicks.size(); beat += test.spikeEvery)
                HostTests::AddEcgSpike(spiked, test.shape.interval,
                                       static_cast<double>(ecg.rTicks[beat]) * test.shape.interval + 0.45 * test.shape.beatSeconds,
                                       0.004, (beat % 2 == 0 ? 1.0 : -1.0) * test.spikeHeight);
            ecg.samples.assign(spiked.begin(), spiked.end());
        }
        const std::vector<int64_t> found = Detect(ecg.samples, test.shape.interval, ecg.samples.size());
        EXPECT_TRUE(OneBeatPerRWave(found, ecg, test.shape, 0, count)) << test.name;
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

// Deflections of beats with a period of 100 ticks varying by a tenth, some with a second deflection 15
// ticks after, some missing, among spikes at random: the period, not the spacing within a beat nor a
// multiple of the period.
TEST(BeatPeriod, IsTheSpacingThatRepeatsBothWaysFromEveryBeat)
{
    struct Case
    {
        const char* name;
        double second;  // share of beats with a second deflection
        int missingEvery; // every n-th beat missing (0: none)
        int spikes;       // spikes at random ticks
    };
    const Case cases[] = {{"plain", 0.0, 0, 0}, {"two deflections a beat", 1.0, 0, 0}, {"some with two", 0.5, 7, 0},
                          {"among spikes", 1.0, 5, 10}};
    for (const Case& test : cases)
    {
        std::mt19937 random(7);
        std::vector<Host::Calc::Deflection> deflections;
        double tick = 10.0;
        for (int beat = 0; tick < 1000.0; ++beat, tick += 100.0 * (0.9 + 0.2 * (random() % 1000) / 1000.0))
        {
            if (test.missingEvery == 0 || beat % test.missingEvery != 3)
                deflections.push_back({std::llround(tick), 1.0});
            if ((random() % 1000) / 1000.0 < test.second)
                deflections.push_back({std::llround(tick) + 15, 0.9});
        }
        for (int spike = 0; spike < test.spikes; ++spike)
            deflections.push_back({static_cast<int64_t>(random() % 1000), 0.6});
        std::sort(deflections.begin(), deflections.end(), [](const auto& a, const auto& b) { return a.tick < b.tick; });
        const auto period = Host::Calc::EstimateBeatPeriod(deflections, 0, 1000, {5.0, 400.0});
        ASSERT_TRUE(period.has_value()) << test.name;
        EXPECT_NEAR(100.0, *period, 8.0) << test.name;
    }
    const std::vector<Host::Calc::Deflection> scattered{{10, 1.0}, {130, 1.0}, {190, 1.0}, {420, 1.0}, {470, 1.0}, {800, 1.0}};
    EXPECT_FALSE(Host::Calc::EstimateBeatPeriod(scattered, 0, 1000, {5.0, 400.0}).has_value()) << "no period";
}

} // namespace
