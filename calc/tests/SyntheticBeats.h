// Synthetic pressure beats for the isovolumic sine fit.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace SyntheticBeats
{

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
