// ECGs that the R-wave detector's tests make for themselves: Q, R and S waves, a T wave, on a scanner a
// second deflection of similar height after the R wave, baseline wander, gradient spikes at random times
// and white noise, all from a fixed seed, with the time of every R wave.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace HostTests
{

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
        std::vector<double> ecg(static_cast<size_t>(count));
        for (int64_t tick = 0; tick < count; ++tick)
        {
            const double t = static_cast<double>(tick) * shape_.interval;
            ecg[static_cast<size_t>(tick)] = shape_.wander * (std::sin(2 * std::numbers::pi * 0.25 * t) +
                                                              0.5 * std::sin(2 * std::numbers::pi * 0.6 * t + 1.0)) +
                                             shape_.noise * Normal();
        }
        SyntheticEcg made;
        const double first = shape_.phase >= 0.0 ? shape_.phase : shape_.beatSeconds * (1.0 - Uniform());
        for (double r = first - shape_.beatSeconds; r < seconds + shape_.beatSeconds;
             r += shape_.beatSeconds * std::clamp(1.0 + shape_.variability * Normal(), 0.7, 1.3))
        {
            AddBeat(ecg, r);
            made.rTicks.push_back(std::llround(r / shape_.interval));
        }
        for (double t = Exponential(shape_.spikeRate); shape_.spikeRate > 0.0 && t < seconds; t += Exponential(shape_.spikeRate))
            AddStep(ecg, t, shape_.spikeWidth, (Uniform() < 0.5 ? -1.0 : 1.0) * (0.3 + 0.3 * Uniform()));
        made.samples.assign(ecg.begin(), ecg.end());
        return made;
    }

    // A spike of the given height and width, seconds from the first sample.
    void AddStep(std::vector<double>& ecg, double start, double width, double height) const
    {
        const auto first = std::llround(start / shape_.interval);
        const auto end = first + std::max<int64_t>(1, std::llround(width / shape_.interval));
        for (auto tick = std::max<int64_t>(0, first); tick < std::min<int64_t>(end, static_cast<int64_t>(ecg.size())); ++tick)
            ecg[static_cast<size_t>(tick)] += height;
    }

private:
    void AddBeat(std::vector<double>& ecg, double r) const
    {
        const double sigma = shape_.rSigma, tSigma = 4.0 * sigma;
        const auto bump = [](double t, double centre, double width) { return std::exp(-0.5 * std::pow((t - centre) / width, 2)); };
        const double reach = shape_.tDelay + 4.0 * tSigma + shape_.secondDelay;
        const auto from = std::max<int64_t>(0, std::llround((r - reach) / shape_.interval));
        const auto to = std::min<int64_t>(static_cast<int64_t>(ecg.size()), std::llround((r + reach) / shape_.interval) + 1);
        for (int64_t tick = from; tick < to; ++tick)
        {
            const double t = static_cast<double>(tick) * shape_.interval;
            double value = bump(t, r, sigma) - 0.1 * bump(t, r - 2.5 * sigma, sigma) - 0.2 * bump(t, r + 2.5 * sigma, sigma) +
                           0.6 * bump(t, r + shape_.tDelay, tSigma);
            if (shape_.secondDelay > 0.0)
                value += shape_.secondHeight * bump(t, r + shape_.secondDelay, sigma);
            ecg[static_cast<size_t>(tick)] += value;
        }
    }

    // From the generator's own words, so that every platform draws the same numbers.
    double Uniform() { return (static_cast<double>(random_()) + 0.5) / 4294967296.0; }
    double Normal() { return std::sqrt(-2.0 * std::log(Uniform())) * std::cos(2.0 * std::numbers::pi * Uniform()); }
    double Exponential(double rate) { return rate > 0.0 ? -std::log(Uniform()) / rate : 0.0; }

    EcgShape shape_;
    std::mt19937 random_;
};

} // namespace HostTests
