// Synthetic pressure beats for the isovolumic sine fit, and a stand-in for the host's sample filter.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace SyntheticBeats
{

// Quadratic least-squares derivative over an odd window centred on each sample, the beat padded with its
// edge values; the host's filter does the same for the module.
inline bool SmoothedDerivative(int32_t window, int32_t derivative, const std::vector<float>& samples,
    std::vector<float>& series)
{
    const int32_t half = window / 2;
    const int32_t n = static_cast<int32_t>(samples.size());
    double sumK2 = 0.0;
    double sumK4 = 0.0;
    for (int32_t k = -half; k <= half; ++k)
    {
        sumK2 += k * k;
        sumK4 += static_cast<double>(k) * k * k * k;
    }
    const double meanK2 = sumK2 / (2 * half + 1);
    const double spreadK2 = sumK4 - meanK2 * sumK2;
    series.assign(samples.size(), 0.0f);
    if (half == 0)
        return true;
    for (int32_t i = 0; i < n; ++i)
    {
        double sum = 0.0;
        for (int32_t k = -half; k <= half; ++k)
        {
            const double x = samples[std::clamp(i + k, 0, n - 1)];
            sum += derivative == 1 ? k * x / sumK2 : 2.0 * (k * k - meanK2) * x / spreadK2;
        }
        series[i] = static_cast<float>(sum);
    }
    return true;
}

// The isovolumic pressure 60 + 50 sin(0.05 i - 1.2) of t ms: peak 110 at t = 55.4 ms.
constexpr double kOffset = 60.0;
constexpr double kAmplitude = 50.0;
constexpr double kFrequency = 0.05;
constexpr double kPhase = -1.2;
constexpr double kPiso = kOffset + kAmplitude;
constexpr double kPi = 3.14159265358979323846;

inline double IsovolumicPressure(double t)
{
    return kOffset + kAmplitude * std::sin(kFrequency * t + kPhase);
}

// A beat of the given length in ms, sampled every step ms, that ejects between ejectionStart and
// ejectionEnd ms: there its pressure falls below the isovolumic sinusoid by half a sine wave of the given
// depth, so that the pressure rise slows abruptly as the valve opens and the pressure falls faster once
// it has closed.
inline std::vector<float> EjectingBeat(double length = 125.0, double step = 0.25, double ejectionStart = 30.0,
    double ejectionEnd = 80.0, double depth = 25.0)
{
    std::vector<float> beat;
    for (int32_t i = 0; i * step < length; ++i)
    {
        const double t = i * step;
        const bool ejecting = t > ejectionStart && t < ejectionEnd;
        const double dent = ejecting ? depth * std::sin(kPi * (t - ejectionStart) / (ejectionEnd - ejectionStart)) : 0.0;
        beat.push_back(static_cast<float>(IsovolumicPressure(t) - dent));
    }
    return beat;
}

} // namespace SyntheticBeats
