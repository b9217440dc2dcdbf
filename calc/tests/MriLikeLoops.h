// Loops for the end-systolic tangent fit as a human recording gives them, where its residual has many
// local optima.
#pragma once

#include "calc/numerics/LoopRegressions.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace CalcTesting
{

// A human's loops as a catheter and MRI record them: pressure at 200 Hz from an elastance of slope 1.5
// mmHg/mL through V0 = 0, the volume sampled 25 times a beat and interpolated linearly, beats of irregular
// length, and 0.3 mmHg of noise on the pressure (about what smoothing leaves of a catheter's); a preload
// reduction over the beats. Each loop's segment runs from its pressure maximum to its pressure minimum, as
// the analysis cuts it.
inline Sistra::TangentSegments MriLikeLoops(unsigned seed, int beats)
{
    constexpr double pi = 3.14159265358979323846;
    constexpr double rate = 200.0, ees = 1.5, emin = 0.06;
    constexpr int phases = 25;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> beatSeconds(0.7, 1.15);
    std::normal_distribution<double> noise(0.0, 0.3);
    Sistra::TangentSegments segments;
    for (int b = 0; b < beats; ++b)
    {
        const double edv = 150.0 - 40.0 * b / (beats - 1), sv = 75.0 - 15.0 * b / (beats - 1);
        const auto volume = [&](double ph) {
            if (ph < 0.1)
                return edv;
            if (ph < 0.4)
                return edv - sv * (1.0 - std::cos(pi * (ph - 0.1) / 0.3)) / 2.0;
            if (ph < 0.5)
                return edv - sv;
            return edv - sv + sv * (1.0 - std::cos(pi * (ph - 0.5) / 0.5)) / 2.0;
        };
        const int n = static_cast<int>(std::lround(beatSeconds(random) * rate));
        std::vector<float> p, v;
        for (int i = 0; i < n; ++i)
        {
            const double ph = static_cast<double>(i) / n;
            const double activation = ph < 0.8 ? std::pow(std::sin(pi * ph / 0.8), 2.0) : 0.0;
            p.push_back(static_cast<float>((emin + (ees - emin) * activation) * volume(ph) + noise(random)));
            const double at = ph * phases;
            const int j = static_cast<int>(at);
            const double from = volume(static_cast<double>(j) / phases), to = volume((j + 1.0) / phases);
            v.push_back(static_cast<float>(from + (to - from) * (at - j)));
        }
        const auto [pmin, pmax] = std::minmax_element(p.begin(), p.end());
        const auto [vmin, vmax] = std::minmax_element(v.begin(), v.end());
        // A minimum before the maximum (noise in diastole): a quarter of the beat, as the analysis takes it.
        const std::ptrdiff_t start = pmax - p.begin(), end = pmin > pmax ? pmin - p.begin() : start + n / 4;
        const std::vector<float> ps(p.begin() + start, p.begin() + end), vs(v.begin() + start, v.begin() + end);
        Sistra::AddTangentSegment(ps, vs, edv, p.front(), std::fabs((*pmax - *pmin) / (*vmax - *vmin)), segments);
    }
    return segments;
}

} // namespace CalcTesting
