// Isovolumic sine fit of one beat (n pressure samples P):
//  1. D1 = dP/dt smoothed over k1 = 2 floor(n / 8) + 1 samples. M = its last maximum, N its first minimum;
//     the beat is usable when N lies after M and neither is the beat's last sample.
//  2. D2 = d2P/dt2 smoothed over k2 = 2 floor((N - M) / 8) + 1 samples: the scale of the ejection.
//  3. Contraction window [s0, a]: s0 = the last sample before M with D1 <= 0.2 D1[M] (0 when none), where
//     the contraction is still slow; a = the sharpest bend after M, where the valve opens: the sample
//     before the first one (after M, before N) at which D2 rises again (M when D2 never rises there). The
//     rising sample itself already lies in the ejection and would pull the sinusoid down.
//     Relaxation window: b0 = the sample of smallest D2 walking back from N while D1 < 0 (the nearest to
//     N on ties): the valve closing; e0 = the first sample from N with D1 >= 0.2 D1[N] (relaxation nearly
//     over), or (n + N) / 2 when none; b = the first sample from b0, before e0, with P <= P[a] or at N
//     (b0 when none). L = max(1, min(a - s0, e0 - b) / 4) balances the two windows: the relaxation
//     window is [max(b, N - L), min(N + L, e0)], so neither part outweighs the other in the fit.
//  4. The sinusoid a + b sin(w t + phi), t counted from s0, is fitted to both windows from
//     a = b = 0.75 max P, w = 1.6 pi / (samples from s0 to the relaxation end), phi = -0.4 pi: a start
//     that puts the peak a little after the middle of the fitted span, where the ejection lies.
#include "calc/loops/IsovolumicSineFit.h"

#include "calc/loops/IsovolumicFits.h"
#include "calc/numerics/CurveFit.h"

#include <algorithm>
#include <numbers>

namespace Sistra
{

namespace
{

constexpr int32_t kFirstDerivative = 1;
constexpr int32_t kSecondDerivative = 2;
// The windows span a quarter of the smoothed stretch on either side of a sample: 2 floor(n / 8) + 1.
constexpr double kHalfWindowShare = 0.25 * 0.5;
// Share of the dP/dt extreme below which contraction or relaxation counts as not yet (or no longer) fast.
constexpr double kSlowShare = 0.2;
// Start values of the sine fit.
constexpr double kStartLevel = 0.75;
constexpr double kStartCycles = 1.6 * std::numbers::pi;
constexpr double kStartPhase = -0.4 * std::numbers::pi;

int32_t SmoothingWindow(int32_t span)
{
    return 2 * static_cast<int32_t>(span * kHalfWindowShare) + 1;
}

bool FirstSeries(std::span<const float> pressure, const BeatSeriesFilter& filter, IsovolumicBeat& beat)
{
    const int32_t n = static_cast<int32_t>(pressure.size());
    return n >= 3 && filter(SmoothingWindow(n), kFirstDerivative, pressure, beat.firstSeries) &&
        static_cast<int32_t>(beat.firstSeries.size()) == n;
}

bool Extremes(IsovolumicBeat& beat)
{
    const std::vector<float>& d1 = beat.firstSeries;
    const int32_t last = static_cast<int32_t>(d1.size()) - 1;
    beat.dpdtMin = ExtremeIndex(d1, 1, Smaller);
    beat.dpdtMax = ExtremeIndex(d1, -1, Larger);
    return beat.dpdtMin != last && beat.dpdtMax != last && beat.dpdtMin > beat.dpdtMax;
}

bool SecondSeries(std::span<const float> pressure, const BeatSeriesFilter& filter, IsovolumicBeat& beat)
{
    return filter(SmoothingWindow(beat.dpdtMin - beat.dpdtMax), kSecondDerivative, pressure, beat.secondSeries) &&
        beat.secondSeries.size() == pressure.size();
}

SampleWindow ContractionWindow(const IsovolumicBeat& beat)
{
    const std::vector<float>& d1 = beat.firstSeries;
    const std::vector<float>& d2 = beat.secondSeries;
    SampleWindow window{0, beat.dpdtMax};
    for (int32_t i = beat.dpdtMax + 1; i < beat.dpdtMin; ++i)
        if (d2[i] > d2[i - 1])
        {
            window.last = i - 1;
            break;
        }
    const double slow = kSlowShare * d1[beat.dpdtMax];
    for (int32_t i = beat.dpdtMax - 1; i >= 0; --i)
        if (d1[i] <= slow)
        {
            window.first = i;
            break;
        }
    return window;
}

// Where the valve closes: the sharpest bend of the falling pressure before dP/dt min.
int32_t ValveClosing(const IsovolumicBeat& beat)
{
    const std::vector<float>& d1 = beat.firstSeries;
    const std::vector<float>& d2 = beat.secondSeries;
    int32_t closing = beat.dpdtMin;
    float sharpest = d2[closing];
    for (int32_t i = beat.dpdtMin - 1; i >= 0 && d1[i] < 0.0f; --i)
        if (d2[i] < sharpest)
        {
            sharpest = d2[i];
            closing = i;
        }
    return closing;
}

int32_t RelaxationEnd(const IsovolumicBeat& beat)
{
    const std::vector<float>& d1 = beat.firstSeries;
    const int32_t n = static_cast<int32_t>(d1.size());
    const double slow = kSlowShare * d1[beat.dpdtMin];
    for (int32_t i = beat.dpdtMin; i < n; ++i)
        if (d1[i] >= slow)
            return i;
    return (n + beat.dpdtMin) / 2;
}

SampleWindow RelaxationWindow(std::span<const float> pressure, const IsovolumicBeat& beat)
{
    const int32_t closing = ValveClosing(beat);
    const int32_t end = RelaxationEnd(beat);
    const float contractionEndPressure = pressure[beat.contraction.last];
    int32_t start = closing;
    for (int32_t i = closing; i < end; ++i)
        if (pressure[i] <= contractionEndPressure || i == beat.dpdtMin)
        {
            start = i;
            break;
        }
    const int32_t balance = std::max(1, std::min(beat.contraction.last - beat.contraction.first, end - start) / 4);
    const int32_t last = static_cast<int32_t>(pressure.size()) - 1;
    return {std::max(start, beat.dpdtMin - balance), std::min({beat.dpdtMin + balance, end, last})};
}

bool Segments(std::span<const float> pressure, IsovolumicBeat& beat)
{
    beat.contraction = ContractionWindow(beat);
    beat.relaxation = RelaxationWindow(pressure, beat);
    beat.t.clear();
    beat.y.clear();
    const size_t count = static_cast<size_t>(std::max(0, beat.contraction.Count()) + std::max(0, beat.relaxation.Count()));
    beat.t.reserve(count);
    beat.y.reserve(count);
    for (const SampleWindow& window : {beat.contraction, beat.relaxation})
        for (int32_t i = window.first; i <= window.last; ++i)
        {
            beat.t.push_back(i - beat.contraction.first);
            beat.y.push_back(pressure[i]);
        }
    if (beat.t.empty())
        return false;
    const double level = kStartLevel * pressure[ExtremeIndex(pressure, 1, Larger)];
    beat.start = {level, level, kStartCycles / beat.FittedWindow().Count(), kStartPhase};
    return true;
}

bool Fit(SineSolver solver, IsovolumicBeat& beat)
{
    if (solver == SineSolver::Bounded)
        return FitSine(beat.t, beat.y, beat.start, beat.fitted);
    const std::vector<double> start(beat.start.begin(), beat.start.end());
    std::vector<double> fitted;
    const bool ok = ExtLib::FitFunction(beat.t, beat.y, fitted, ExtLib::SineFunc(), &start);
    if (fitted.size() == beat.fitted.size())
        std::copy(fitted.begin(), fitted.end(), beat.fitted.begin());
    return ok;
}

} // namespace

BeatSeriesFilter WindowedDerivativeFilter()
{
    return [](int32_t window, int32_t derivative, std::span<const float> samples, std::vector<float>& series)
    {
        WindowedDerivative(samples, window, derivative, series);
        return true;
    };
}

BeatSeriesFilter HostSeriesFilter(HostCalcCache& cache)
{
    return [&cache](int32_t window, int32_t derivative, std::span<const float> samples, std::vector<float>& series)
    { return RunHostCalcOnSamples(window, derivative, std::vector<float>(samples.begin(), samples.end()), series, cache); };
}

void AnalyseIsovolumicBeat(std::span<const float> pressure, const BeatSeriesFilter& filter, IsovolumicStage until,
    SineSolver solver, IsovolumicBeat& beat)
{
    beat = IsovolumicBeat{};
    const auto advance = [&](IsovolumicStage stage, const auto& run)
    {
        if (beat.reached >= until || !run())
            return false;
        beat.reached = stage;
        return true;
    };
    advance(IsovolumicStage::FirstSeries, [&] { return FirstSeries(pressure, filter, beat); }) &&
        advance(IsovolumicStage::Extremes, [&] { return Extremes(beat); }) &&
        advance(IsovolumicStage::SecondSeries, [&] { return SecondSeries(pressure, filter, beat); }) &&
        advance(IsovolumicStage::Segments, [&] { return Segments(pressure, beat); }) &&
        advance(IsovolumicStage::Fitted, [&] { return Fit(solver, beat); });
}

} // namespace Sistra
