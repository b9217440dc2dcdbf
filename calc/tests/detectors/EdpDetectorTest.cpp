#include "calc/detectors/EdpDetector.h"

#include "calc/engine/DetectorEnumeratorCore.h"
#include "calc/tests/DetectorReading.h"
#include "calc/tests/FakeHostSources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <sstream>

using namespace Sistra;
using CalcTesting::FakeChannel;
using CalcTesting::FakeEvents;

namespace
{

// Beats of 100 ticks: baseline 10 up to tick 29, a straight upstroke from 10 at tick 30 to the peak 100
// at tick 50, a straight fall back to 10 at tick 80, baseline to the end of the beat.
constexpr int32_t BeatTicks = 100;
constexpr int32_t PeakOffset = 50;

std::vector<float> Beats(int count, std::vector<float> amplitudes = {})
{
    std::vector<float> p;
    for (int b = 0; b < count; ++b)
    {
        const double top = b < static_cast<int>(amplitudes.size()) ? amplitudes[static_cast<std::size_t>(b)] : 90.0;
        for (int t = 0; t < BeatTicks; ++t)
        {
            double v = 10.0;
            if (t >= 30 && t <= 50)
                v = 10.0 + top * (t - 30) / 20.0;
            else if (t > 50 && t < 80)
                v = 10.0 + top * (80 - t) / 30.0;
            p.push_back(static_cast<float>(v));
        }
    }
    return p;
}

// Peak events at the given ticks, valued as the channel there.
FakeEvents PeaksOf(const std::vector<float>& channel, std::vector<int32_t> ticks)
{
    FakeEvents peaks(ticks);
    for (OrvEventBase& peak : peaks.events)
        peak.value = peak.tick < static_cast<int32_t>(channel.size()) ? channel[static_cast<std::size_t>(peak.tick)] : 100.0;
    return peaks;
}

class EdpDetector : public ::testing::Test
{
protected:
    std::vector<SistraEdpEvent> Detect(const std::vector<float>& samples, std::vector<int32_t> peakTicks,
                                       const wchar_t* arguments)
    {
        FakeChannel channel(samples);
        FakeEvents peaks = PeaksOf(samples, std::move(peakTicks));
        EEH3::DetectorEnumeratorCore<EdpAlgorithm> core;
        core.SetArguments(arguments);
        IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&channel), static_cast<IEnumEventEx*>(&peaks)};
        core.Bind(0, 2, sources, 0.001, 0);
        return CalcTesting::ReadAllEvents(core);
    }

    static std::vector<int32_t> Ticks(const std::vector<SistraEdpEvent>& events)
    {
        std::vector<int32_t> ticks;
        for (const SistraEdpEvent& e : events)
            ticks.push_back(e.base.tick);
        return ticks;
    }
};

} // namespace

TEST(EdpKnee, BaselineThenStraightUpstrokeTurnsAtTheLastBaselineSample)
{
    const std::vector<float> beat = Beats(1);
    const std::vector<double> w(beat.begin(), beat.begin() + PeakOffset);
    EXPECT_EQ(29, FindKneeTick(w, 0, beat[PeakOffset]));
}

TEST(EdpKnee, UpstrokeFromTheFootItselfPutsTheKneeAtTheFoot)
{
    std::vector<double> w;
    for (int i = 0; i < 20; ++i)
        w.push_back(10.0 + 4.5 * i);
    EXPECT_EQ(300, FindKneeTick(w, 300, 100.0));
}

TEST(EdpKnee, SecantSlopesScanFromTheOriginAndIgnoreUndefinedOnes)
{
    const std::vector<double> w{10, 12, 11, 16};
    const SecantScan fromFirst{w, 100, 100, 10.0};
    EXPECT_DOUBLE_EQ(0.5, MinSecantSlope(fromFirst, 100, 104)); // 0/0 at the origin is skipped
    EXPECT_DOUBLE_EQ(2.0, MaxSecantSlope(fromFirst, 100, 104));
    EXPECT_DOUBLE_EQ(1.7976931348623157e308, MinSecantSlope(fromFirst, 102, 102));
    EXPECT_DOUBLE_EQ(0.0, MaxSecantSlope(SecantScan{w, 100, 103, 5.0}, 100, 103)); // every slope negative
}

TEST_F(EdpDetector, OneKneeBeforeEveryPeak)
{
    const std::vector<float> p = Beats(4);
    const auto events = Detect(p, {50, 150, 250, 350}, L"0 20 -1 -1 -1 -1");
    EXPECT_EQ((std::vector<int32_t>{29, 129, 229, 329}), Ticks(events));
    for (const SistraEdpEvent& e : events)
    {
        EXPECT_DOUBLE_EQ(10.0, e.base.value);
        EXPECT_EQ(0.0f, e.base.fraction);
        EXPECT_EQ(e.base.tick + 21, e.secondTick); // the peak that closes the upstroke
        EXPECT_DOUBLE_EQ(100.0, e.secondValue);
    }
}

TEST_F(EdpDetector, FirstPeakBelowTheMinimumHeightIsSkipped)
{
    const std::vector<float> p = Beats(3, {5.0f, 90.0f, 90.0f});
    EXPECT_EQ((std::vector<int32_t>{129, 229}), Ticks(Detect(p, {50, 150, 250}, L"0 20")));
    // Omitted, the height is 0 and the small first peak passes.
    EXPECT_EQ(29, Ticks(Detect(p, {50, 150, 250}, L"0")).front());
}

TEST_F(EdpDetector, EndLimitEndsDetectionAtTheFirstPeakBeyondIt)
{
    const std::vector<float> p = Beats(4);
    EXPECT_EQ((std::vector<int32_t>{29, 129}), Ticks(Detect(p, {50, 150, 250, 350}, L"0 20 0 0 0 200")));
    EXPECT_EQ((std::vector<int32_t>{229, 329}), Ticks(Detect(p, {50, 150, 250, 350}, L"0 20 0 160 -1 -1")));
}

TEST_F(EdpDetector, SinglePeakGivesOneEvent)
{
    EXPECT_EQ((std::vector<int32_t>{29}), Ticks(Detect(Beats(1), {50}, L"0 20")));
}

TEST_F(EdpDetector, KneeAtTickZeroNeverReachesTheHost)
{
    // The upstroke starts at once: the first knee is tick 0.
    std::vector<float> p = Beats(3);
    p.erase(p.begin(), p.begin() + 30);
    EXPECT_EQ((std::vector<int32_t>{99, 199}), Ticks(Detect(p, {20, 120, 220}, L"0 20")));
}

TEST_F(EdpDetector, ParametersWriteTheHeightThenTheLimits)
{
    EdpParams params;
    std::wistringstream in(L"2.5 1 30 2 4000");
    params.Read(in);
    std::wostringstream out;
    params.Write(out);
    EXPECT_EQ(std::wstring(L"2.5 1 30 2 4000") + L'\0', out.str());
}

// The written text is read back as the same height, also for heights that need every digit of the float
// and for the largest height the class allows, which the float cannot hold.
TEST_F(EdpDetector, WrittenHeightReadsBackUnchanged)
{
    for (const wchar_t* text : {L"20.1234567 -1 -1 -1 -1", L"1.7976931348623157e308 -1 -1 -1 -1"})
    {
        EdpParams first;
        std::wistringstream in(text);
        first.Read(in);
        EXPECT_TRUE(std::isfinite(first.minimumPeakHeight)) << text;
        std::wostringstream out;
        first.Write(out);
        EdpParams second;
        std::wistringstream again(out.str());
        second.Read(again);
        EXPECT_EQ(first.minimumPeakHeight, second.minimumPeakHeight) << text;
    }
}

// A peak whose knee cannot be found (the peak lies beyond the channel's data) is dropped: the step gives
// nothing for it instead of handing out the pending event of the beat before once more.
TEST(EdpDetectorStep, FailedKneeSearchEmitsNothing)
{
    const std::vector<float> p = Beats(3);
    FakeChannel channel(p);
    FakeEvents peaks = PeaksOf(p, {50, 150, 250, 350});
    EdpParams params;
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&channel), static_cast<IEnumEventEx*>(&peaks)};
    params.BuildSources(2, sources);
    EdpState state(params, 0);
    std::vector<int32_t> emitted;
    for (int step = 0; step < 10 && !state.Finished(); ++step)
    {
        SistraEdpEvent event{};
        if (EdpAlgorithm::Step(state, params, event))
            emitted.push_back(event.base.tick);
    }
    EXPECT_EQ((std::vector<int32_t>{29, 129, 229}), emitted);
    EXPECT_TRUE(state.Finished());
}

// Every peak fails the height test: the foot search must not start over from the record's start for
// each of them.
TEST(EdpDetectorStep, RejectedPeaksScanEverySampleOnce)
{
    const std::vector<float> p = Beats(200);
    std::vector<int32_t> ticks;
    for (int b = 0; b < 200; ++b)
        ticks.push_back(b * BeatTicks + PeakOffset);
    FakeChannel channel(p);
    FakeEvents peaks = PeaksOf(p, ticks);
    EdpParams params;
    params.minimumPeakHeight = 1000.0f;
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&channel), static_cast<IEnumEventEx*>(&peaks)};
    params.BuildSources(2, sources);
    EdpState state(params, 0);
    SistraEdpEvent event{};
    EXPECT_FALSE(EdpAlgorithm::Step(state, params, event));
    EXPECT_TRUE(state.Finished());
    EXPECT_LE(channel.nextCalls, static_cast<int>(p.size()) / EEH3::FloatExWrapper::BufferSamples + 2);
}

// Beats across the first checkpoint span: a search that starts from the checkpoint finds what a run from
// the record's start found, including the knee just before the span boundary.
TEST_F(EdpDetector, SearchFromACheckpointFindsTheKneesOfAFullRun)
{
    const std::vector<float> p = Beats(1200);
    std::vector<int32_t> ticks;
    for (int b = 0; b < 1200; ++b)
        ticks.push_back(b * BeatTicks + PeakOffset);
    const std::vector<int32_t> all = Ticks(Detect(p, ticks, L"0 20"));
    ASSERT_EQ(1200u, all.size());

    FakeChannel channel(p);
    FakeEvents peaks = PeaksOf(p, ticks);
    EEH3::DetectorEnumeratorCore<EdpAlgorithm> core;
    core.SetArguments(L"0 20");
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&channel), static_cast<IEnumEventEx*>(&peaks)};
    core.Bind(0, 2, sources, 0.001, 0);
    ASSERT_EQ(S_OK, core.Find(CalcSeekForward, 99990, 99990, EEH3::LastTick));
    EXPECT_EQ(100029, core.Cursor());
    ASSERT_EQ(S_OK, core.Find(CalcSeekBackward, 100010, 0, EEH3::LastTick));
    EXPECT_EQ(99929, core.Cursor());
    const std::vector<int32_t> rest = Ticks(CalcTesting::ReadAllEvents(core));
    EXPECT_EQ(std::vector<int32_t>(all.end() - static_cast<std::ptrdiff_t>(rest.size()), all.end()), rest);
    EXPECT_EQ(99929, rest.front());
}

namespace
{

// A ventricle's pressure (mmHg) at 1 kHz with white noise: each beat's upstroke rises from 10 to 120 as a
// quarter sine over `upstroke`, flattening towards its top, ejection falls to 100 by `systole`, relaxation
// decays towards 0 with `tau` until it meets the filling pressure, which rises from 4 to 10 by the next beat.
struct NoisyBeats
{
    double beat, upstroke, systole, tau;

    double At(double t) const
    {
        const double x = std::fmod(t, beat);
        if (x < upstroke)
            return 10.0 + 110.0 * std::sin(std::numbers::pi / 2.0 * x / upstroke);
        if (x < systole)
            return 120.0 - 20.0 * (x - upstroke) / (systole - upstroke);
        return std::max(100.0 * std::exp(-(x - systole) / tau), 4.0 + 6.0 * (x - systole) / (beat - systole));
    }

    // count samples from `start` seconds, with white noise of the given standard deviation.
    std::vector<float> Samples(double start, int32_t count, double noise) const
    {
        std::mt19937 generator(7);
        std::normal_distribution<double> spread(0.0, noise);
        std::vector<float> p;
        for (int32_t tick = 0; tick < count; ++tick)
            p.push_back(static_cast<float>(At(start + tick * 0.001) + spread(generator)));
        return p;
    }
};

} // namespace

// A record cut part way up an upstroke has no end-diastolic point on it: with noise on the pressure, its first
// point lies at the foot of the next upstroke, where diastole ends. A record that starts in diastole keeps the
// point of its first upstroke.
TEST_F(EdpDetector, ARecordStartingOnAnUpstrokeGetsNoPointPartWayUpIt)
{
    constexpr double Noise = 1.0, HighestEndDiastole = 15.0;
    const struct
    {
        const char* name;
        NoisyBeats beats;
    } hearts[] = {{"human, 30 a minute", {2.0, 0.25, 0.45, 0.04}}, {"mouse", {0.125, 0.03, 0.05, 0.006}}};
    // Where the record starts, as a share of the upstroke (negative: of the beat, before the upstroke).
    const struct
    {
        double into;
        bool onUpstroke;
    } starts[] = {{-0.3, false}, {0.05, true}, {0.1, true}, {0.2, true}, {0.4, true}, {0.7, true}};
    for (const auto& heart : hearts)
        for (const auto& start : starts)
        {
            SCOPED_TRACE(testing::Message() << heart.name << ", from " << start.into);
            const NoisyBeats& beats = heart.beats;
            const double from = start.onUpstroke ? start.into * beats.upstroke : (1.0 + start.into) * beats.beat;
            const auto count = static_cast<int32_t>(std::lround(6 * beats.beat / 0.001));
            const std::vector<float> p = beats.Samples(from, count, Noise);
            // The peak of each beat whose crest the record holds: the largest sample from its upstroke's start
            // to the next.
            std::vector<int32_t> peaks;
            for (double beatStart = -from; beatStart < count * 0.001; beatStart += beats.beat)
            {
                if (beatStart + beats.upstroke < 0.0)
                    continue;
                const auto first = static_cast<int32_t>(std::max(0.0, std::ceil(beatStart / 0.001)));
                const auto end = std::min(count, static_cast<int32_t>(std::ceil((beatStart + beats.beat) / 0.001)));
                if (first < end)
                    peaks.push_back(static_cast<int32_t>(std::max_element(p.begin() + first, p.begin() + end) - p.begin()));
            }
            const std::vector<SistraEdpEvent> events = Detect(p, peaks, L"0 20");
            ASSERT_GE(events.size(), 4u);
            EXPECT_EQ(peaks[start.onUpstroke ? 1 : 0], events.front().secondTick);
            EXPECT_LT(events.front().base.value, HighestEndDiastole) << "tick " << events.front().base.tick;
        }
}
