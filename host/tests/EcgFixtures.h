// ECGs that the tests make for themselves: Q, R and S waves, a T wave, on a scanner a second deflection of
// similar height after the R wave, baseline wander, gradient spikes and white noise, all from a fixed seed
// or a fixed rule, with the time of every R wave.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace HostTests
{

// The baseline's slow swing, of the given amplitude (a share of the R wave).
inline double EcgWander(double seconds, double amplitude)
{
    return amplitude * (std::sin(2 * std::numbers::pi * 0.25 * seconds) +
                        0.5 * std::sin(2 * std::numbers::pi * 0.6 * seconds + 1.0));
}

// The T wave of a beat: its height (a share of the R wave's, negative: inverted) and its Gaussian width
// (times the R wave's).
struct TWave
{
    double height = 0.6;
    double widthTimes = 4.0;
};

// A beat whose R wave of height 1 peaks r seconds from the first sample: Q, R and S waves of Gaussian width
// rSigma, a T wave tDelay after the R wave, and a second deflection of secondHeight secondDelay after it
// (none at 0).
inline void AddEcgBeat(std::vector<double>& ecg, double interval, double r, double rSigma, double tDelay,
                       double secondDelay = 0.0, double secondHeight = 0.0, const TWave& tWave = {})
{
    const double tSigma = tWave.widthTimes * rSigma;
    const auto bump = [](double t, double centre, double width) { return std::exp(-0.5 * std::pow((t - centre) / width, 2)); };
    const double reach = tDelay + 10.0 * tSigma + secondDelay;
    const auto from = std::max<int64_t>(0, std::llround((r - reach) / interval));
    const auto to = std::min<int64_t>(static_cast<int64_t>(ecg.size()), std::llround((r + reach) / interval) + 1);
    for (int64_t tick = from; tick < to; ++tick)
    {
        const double t = static_cast<double>(tick) * interval;
        double value = bump(t, r, rSigma) - 0.1 * bump(t, r - 2.5 * rSigma, rSigma) -
                       0.2 * bump(t, r + 2.5 * rSigma, rSigma) + tWave.height * bump(t, r + tDelay, tSigma);
        if (secondDelay > 0.0)
            value += secondHeight * bump(t, r + secondDelay, rSigma);
        ecg[static_cast<size_t>(tick)] += value;
    }
}

// A spike of the given height and width (at least a sample), start seconds from the first sample.
inline void AddEcgSpike(std::vector<double>& ecg, double interval, double start, double width, double height)
{
    const auto first = std::llround(start / interval);
    const auto end = first + std::max<int64_t>(1, std::llround(width / interval));
    for (auto tick = std::max<int64_t>(0, first); tick < std::min<int64_t>(end, static_cast<int64_t>(ecg.size())); ++tick)
        ecg[static_cast<size_t>(tick)] += height;
}

struct EcgShape
{
    double interval;           // seconds per sample
    double beatSeconds;        // the mean beat period
    double rSigma;             // the R wave's Gaussian width, seconds
    double tDelay;             // the T wave's peak after the R wave's, seconds (its width 4 rSigma)
    double secondDelay = 0.0;  // a second deflection this long after the R wave (0: none)
    double secondHeight = 0.0; // of the R wave's height, negative downwards
    double variability = 0.03; // standard deviation of a beat's period, a share of the mean
    double spikeRate = 0.0;    // gradient spikes per second, each 0.3 to 0.6 of the R wave either way
    double spikeWidth = 0.001; // seconds
    double noise = 0.0;        // standard deviation of white noise, a share of the R wave
    double wander = 0.4;       // amplitude of the baseline's slow swing, a share of the R wave
    uint32_t seed = 1;
    double phase = -1.0;       // an R wave this long after the first sample (negative: at a random phase)
    TWave tWave = {};
    int prematureEvery = 0;    // every n-th beat comes early (0: none), the next after a full compensatory pause
    double prematureAt = 0.6;  // a premature beat's lag behind the beat before, a share of the period
};

struct SyntheticEcg
{
    std::vector<float> samples;
    std::vector<int64_t> rTicks; // every R wave's peak, ticks of the samples (some before the first)
};

class EcgGenerator
{
public:
    explicit EcgGenerator(const EcgShape& shape) : shape_(shape), random_(shape.seed) {}

    // count samples; the beats begin a period before the first sample so that it may fall at any phase.
    SyntheticEcg Make(int64_t count)
    {
        const double seconds = static_cast<double>(count) * shape_.interval;
        return Build(count, [&] {
            const double first = shape_.phase >= 0.0 ? shape_.phase : shape_.beatSeconds * (1.0 - Uniform());
            return BeatTimes(first - shape_.beatSeconds, seconds + shape_.beatSeconds);
        });
    }

    // count samples with R waves at the given times (seconds from the first sample).
    SyntheticEcg MakeAt(int64_t count, const std::vector<double>& beatTimes)
    {
        return Build(count, [&] { return beatTimes; });
    }

    // The R waves' times from first to before end: periods varying by the variability (within 2.5 of it,
    // at least 0.3), every prematureEvery-th beat early and the beat after it where it would have come.
    std::vector<double> BeatTimes(double first, double end)
    {
        const double reach = std::max(0.3, 2.5 * shape_.variability);
        std::vector<double> times;
        for (double r = first; r < end;)
        {
            times.push_back(r);
            const double period = shape_.beatSeconds * std::clamp(1.0 + shape_.variability * Normal(), 1.0 - reach, 1.0 + reach);
            const auto beat = static_cast<int>(times.size());
            if (shape_.prematureEvery > 0 && beat % shape_.prematureEvery == 0)
            {
                times.push_back(r + shape_.prematureAt * period);
                r += 2.0 * period;
            }
            else
                r += period;
        }
        return times;
    }

private:
    // The noise is drawn before the beat times, the spikes after them.
    template <typename Times>
    SyntheticEcg Build(int64_t count, Times beatTimes)
    {
        const double seconds = static_cast<double>(count) * shape_.interval;
        std::vector<double> ecg(static_cast<size_t>(count));
        for (int64_t tick = 0; tick < count; ++tick)
            ecg[static_cast<size_t>(tick)] = EcgWander(static_cast<double>(tick) * shape_.interval, shape_.wander) +
                                             shape_.noise * Normal();
        SyntheticEcg made;
        for (const double r : beatTimes())
        {
            AddEcgBeat(ecg, shape_.interval, r, shape_.rSigma, shape_.tDelay, shape_.secondDelay, shape_.secondHeight,
                       shape_.tWave);
            made.rTicks.push_back(std::llround(r / shape_.interval));
        }
        for (double t = Exponential(shape_.spikeRate); shape_.spikeRate > 0.0 && t < seconds; t += Exponential(shape_.spikeRate))
            AddEcgSpike(ecg, shape_.interval, t, shape_.spikeWidth, (Uniform() < 0.5 ? -1.0 : 1.0) * (0.3 + 0.3 * Uniform()));
        made.samples.assign(ecg.begin(), ecg.end());
        return made;
    }

    // From the generator's own words, so that every platform draws the same numbers.
    double Uniform() { return (static_cast<double>(random_()) + 0.5) / 4294967296.0; }
    double Normal() { return std::sqrt(-2.0 * std::log(Uniform())) * std::cos(2.0 * std::numbers::pi * Uniform()); }
    double Exponential(double rate) { return rate > 0.0 ? -std::log(Uniform()) / rate : 0.0; }

    EcgShape shape_;
    std::mt19937 random_;
};

// An ECG as an MRI scanner's lead records it, in mV: R waves of 1 (with a small Q and S) at each beat,
// T waves of 0.6 four times wider, baseline wander of 0.6, bursts of eight alternating gradient spikes 1 ms
// wide and 0.5 to 1.5 high every 0.35 s, and one spike of 5, 2 ms wide, in the diastole of beat 5.
// Beats every beatSeconds, irregular by a share of that, the first R wave at firstBeat; rSigma: the R wave's width
// (a Gaussian's sigma), tDelay: the T wave's lag behind it.
struct ScannerEcg
{
    double interval, beatSeconds, rSigma, tDelay, firstBeat = 0.3, irregularity = 0.05;

    double BeatTime(int beat) const
    {
        return firstBeat + beat * beatSeconds + irregularity * beatSeconds * std::sin(1.7 * beat);
    }

    std::vector<float> Samples(int64_t count) const
    {
        const double seconds = static_cast<double>(count) * interval;
        std::vector<double> ecg(static_cast<size_t>(count));
        for (int64_t tick = 0; tick < count; ++tick)
        {
            const double t = static_cast<double>(tick) * interval;
            ecg[static_cast<size_t>(tick)] = EcgWander(t, 0.4) + 0.01 * std::sin(2 * std::numbers::pi * 50.0 * t);
        }
        for (int beat = 0; BeatTime(beat) < seconds; ++beat)
            AddEcgBeat(ecg, interval, BeatTime(beat), rSigma, tDelay);
        for (int burst = 0; 0.35 * burst + 0.2 < seconds; ++burst)
            for (int index = 0; index < 8; ++index)
                AddEcgSpike(ecg, interval, 0.35 * burst + 0.1 + 0.006 * index, 0.001,
                            (index % 2 ? -1.0 : 1.0) * (0.5 + 0.125 * ((burst + index) % 9)));
        AddEcgSpike(ecg, interval, (BeatTime(5) + BeatTime(6)) / 2 + 0.15 * beatSeconds, 0.002, 5.0);
        return std::vector<float>(ecg.begin(), ecg.end());
    }

    // The tick of each R wave within count samples.
    std::vector<int64_t> RTicks(int64_t count) const
    {
        std::vector<int64_t> ticks;
        for (int beat = 0; BeatTime(beat) < static_cast<double>(count - 1) * interval; ++beat)
            ticks.push_back(std::llround(BeatTime(beat) / interval));
        return ticks;
    }
};

} // namespace HostTests
