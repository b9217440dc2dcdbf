// One beat's values. Extremes start from the largest finite doubles and replace only on strictly better
// values, so the first of equal extremes wins; an extreme that never moved has no sample and is NaN.
#include "calc/loops/LoopParameters.h"

#include "calc/loops/IsovolumicFits.h"
#include "calc/engine/MissingValue.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

namespace Sistra
{
namespace
{

// Half-width of the stable end-diastolic window, as a share of the beat's samples.
constexpr double StableEdvWindowShare = 0.03;
// The stable end-systolic volume is the mean volume while the relaxing pressure falls through the middle
// third of the developed pressure.
constexpr double StableEsvLowerShare = 1.0 / 3.0;
constexpr double StableEsvUpperShare = 2.0 / 3.0;
// Derivatives need at least this many samples.
constexpr std::size_t MinimumDerivativeSamples = 3;
constexpr double SecondsPerMinute = 60.0;
constexpr double Percent = 100.0;

struct Extreme
{
    double value;
    int32_t index = -1;

    bool TakeIfAbove(double candidate, int32_t at)
    {
        if (!(candidate > value))
            return false;
        value = candidate;
        index = at;
        return true;
    }
    bool TakeIfBelow(double candidate, int32_t at)
    {
        if (!(candidate < value))
            return false;
        value = candidate;
        index = at;
        return true;
    }
    double Result() const { return index < 0 ? MissingValue() : value; }
};

Extreme Maximum()
{
    return Extreme{-DBL_MAX};
}
Extreme Minimum()
{
    return Extreme{DBL_MAX};
}

// Backward differences, the first sample taking the forward one. Each is kept as a float like the samples
// it comes from, so the extremes and their positions are those of the float sequence.
std::vector<float> BackwardDerivative(std::span<const float> x, double dt)
{
    std::vector<float> d(x.size());
    d[0] = static_cast<float>((static_cast<double>(x[1]) - x[0]) / dt);
    for (std::size_t i = 1; i < x.size(); ++i)
        d[i] = static_cast<float>((static_cast<double>(x[i]) - x[i - 1]) / dt);
    return d;
}

struct SampleExtremes
{
    Extreme pmax = Maximum(), pmin = Minimum(), vmax = Maximum(), vmin = Minimum(), ratio = Maximum();
    double pressureSum = 0.0;
};

SampleExtremes ScanSamples(std::span<const float> p, std::span<const float> v)
{
    SampleExtremes e;
    const std::size_t count = std::min(p.size(), v.size());
    for (std::size_t i = 0; i < count; ++i)
    {
        const auto at = static_cast<int32_t>(i);
        e.pressureSum += p[i];
        e.pmax.TakeIfAbove(p[i], at);
        e.pmin.TakeIfBelow(p[i], at);
        e.vmax.TakeIfAbove(v[i], at);
        e.vmin.TakeIfBelow(v[i], at);
        e.ratio.TakeIfAbove(static_cast<double>(p[i]) / v[i], at);
    }
    return e;
}

void SetEndSystolicPoint(SistraEvent& loop, double pes, double ves, int32_t index)
{
    loop.pes = pes;
    loop.ves = ves;
    loop.endSystolicIndex = index;
    loop.endSystolicTick = loop.firstTick + index;
}

void FindEndSystolicPoint(std::span<const float> p, std::span<const float> v, const SampleExtremes& e,
                          int32_t mode, SistraEvent& loop)
{
    if (mode == EndSystolicSineFit)
    {
        const std::optional<IsovolumicFit> fit = FitIsovolumicPressure(p, v);
        if (!fit)
            return;
        SetEndSystolicPoint(loop, fit->pes, fit->ves, fit->endSystolicIndex);
        loop.piso = fit->piso;
        const double run = fit->tangentVolume - fit->ves;
        loop.espvrSlope = run == 0.0 ? 0.0 : (fit->piso - fit->pes) / run;
    }
    else if (mode == EndSystolicMaxRatio && e.ratio.index >= 0)
    {
        const auto k = static_cast<std::size_t>(e.ratio.index);
        SetEndSystolicPoint(loop, p[k], v[k], e.ratio.index);
    }
}

// Both channels' backward differences, when the beat has enough samples for them (else none).
struct Derivatives
{
    std::vector<float> dp;
    std::vector<float> dv;
};

Derivatives DerivativesOf(std::span<const float> p, std::span<const float> v, double dt)
{
    if (p.size() < MinimumDerivativeSamples || v.size() < MinimumDerivativeSamples || !(dt > 0.0))
        return {};
    return {BackwardDerivative(p, dt), BackwardDerivative(v, dt)};
}

void ScanDerivatives(std::span<const float> p, std::span<const float> v, const Derivatives& derivatives,
                     SistraEvent& loop)
{
    Extreme dpMax = Maximum(), dpMin = Minimum(), dvMax = Maximum(), dvMin = Minimum(), power = Maximum();
    if (!derivatives.dp.empty())
    {
        const std::vector<float>& dp = derivatives.dp;
        const std::vector<float>& dv = derivatives.dv;
        for (std::size_t i = 0; i < std::min(dp.size(), dv.size()); ++i)
        {
            const auto at = static_cast<int32_t>(i);
            if (dpMax.TakeIfAbove(dp[i], at))
            {
                loop.vAtDpdtMax = v[i];
                loop.pAtDpdtMax = p[i];
            }
            if (dpMin.TakeIfBelow(dp[i], at))
                loop.vAtDpdtMin = v[i];
            if (dvMax.TakeIfAbove(dv[i], at))
                loop.pAtDvdtMax = p[i];
            dvMin.TakeIfBelow(dv[i], at);
            power.TakeIfAbove(static_cast<double>(p[i]) * dv[i], at);
        }
    }
    loop.dpdtMax = dpMax.Result();
    loop.dpdtMin = dpMin.Result();
    loop.dvdtMax = dvMax.Result();
    loop.dvdtMin = dvMin.Result();
    loop.powMax = power.Result();
    loop.dpdtMaxIndex = dpMax.index;
}

// Twice the signed area of the polygon through the samples, relative to the first sample: positive for a
// loop run counter-clockwise with volume on the horizontal axis.
double StrokeWork(std::span<const float> p, std::span<const float> v)
{
    const std::size_t count = std::min(p.size(), v.size());
    if (count == 0)
        return MissingValue();
    const double p0 = p[0], v0 = v[0];
    double sum = 0.0;
    for (std::size_t i = 1; i < count; ++i)
        sum += (p[i] - p0) * (v[i - 1] - v0) - (v[i] - v0) * (p[i - 1] - p0);
    return 0.5 * sum;
}

// Mean volume around dP/dt max over the samples still rising faster than half of it.
double StableEndDiastolicVolume(std::span<const float> p, std::span<const float> v, const std::vector<float>& dp,
                                const SistraEvent& loop)
{
    if (loop.dpdtMaxIndex < 0)
        return MissingValue();
    const double half = 0.5 * loop.dpdtMax;
    const auto n = static_cast<int32_t>(p.size());
    const int32_t m = loop.dpdtMaxIndex;
    int32_t w = static_cast<int32_t>(static_cast<double>(v.size()) * StableEdvWindowShare);
    if (m + w >= n)
        w = n - m - 1;
    double sum = 0.0;
    int32_t count = 0;
    for (int32_t i = std::max(m - w, 0); i <= m + w; ++i)
    {
        if (dp[static_cast<std::size_t>(i)] > half)
        {
            sum += v[static_cast<std::size_t>(i)];
            ++count;
        }
    }
    return count == 0 ? MissingValue() : sum / count;
}

// Walking back from start, the first sample whose pressure lies above the level (0 when none).
int32_t LastAbove(std::span<const float> p, int32_t start, double level)
{
    for (int32_t j = start; j >= 0; --j)
        if (p[static_cast<std::size_t>(j)] > level)
            return j;
    return 0;
}

// Mean volume while the relaxing pressure falls from two thirds to one third of the developed pressure.
double StableEndSystolicVolume(std::span<const float> p, std::span<const float> v, const SampleExtremes& e)
{
    if (e.pmin.index < 0)
        return MissingValue();
    const double range = e.pmax.value - e.pmin.value;
    const int32_t start = e.pmin.index < e.pmax.index ? static_cast<int32_t>(p.size()) - 1 : e.pmin.index;
    const int32_t j1 = LastAbove(p, start, e.pmin.value + range * StableEsvLowerShare);
    const int32_t j2 = LastAbove(p, j1, e.pmin.value + range * StableEsvUpperShare);
    double sum = 0.0;
    for (int32_t j = j2; j <= j1; ++j)
        sum += v[static_cast<std::size_t>(j)];
    return sum / (j1 - j2 + 1);
}

void ComputeStrokeVolume(std::span<const float> p, std::span<const float> v, const std::vector<float>& dp,
                         const SampleExtremes& e, int32_t mode, SistraEvent& loop)
{
    if (mode == StrokeVolumeRange)
        loop.sv = loop.vmax - loop.vmin;
    else if (mode == StrokeVolumeStable)
    {
        loop.stableEdVolume = StableEndDiastolicVolume(p, v, dp, loop);
        loop.stableEsVolume = StableEndSystolicVolume(p, v, e);
        loop.sv = loop.stableEdVolume - loop.stableEsVolume;
        // One noisy dP/dt sample can move the window the stable EDV is averaged over onto the ejection:
        // a difference the loop itself contradicts (nothing ejected, or more than its volume range) is no
        // stroke volume, and neither are the cardiac output, ejection fraction and elastance from it.
        if (!(loop.sv > 0.0 && loop.sv <= loop.vmax - loop.vmin))
            loop.sv = MissingValue();
    }
}

void ClearValues(SistraEvent& loop)
{
    const double nan = MissingValue();
    for (double* field : {&loop.sv, &loop.vmax, &loop.vmin, &loop.pmax, &loop.pmin, &loop.pmean, &loop.ved,
                          &loop.ped, &loop.sw, &loop.ves, &loop.pes, &loop.hr, &loop.powMax, &loop.ef,
                          &loop.dpdtMax, &loop.dpdtMin, &loop.dvdtMax, &loop.dvdtMin, &loop.vAtDpdtMax,
                          &loop.vAtDpdtMin, &loop.pAtDvdtMax, &loop.pAtDpdtMax, &loop.tau, &loop.stableEsVolume,
                          &loop.stableEdVolume, &loop.piso, &loop.espvrSlope})
        *field = nan;
    loop.endSystolicTick = 0;
    loop.endSystolicIndex = 0;
    loop.dpdtMaxIndex = -1;
    loop.pminIndex = -1;
    loop.pmaxIndex = -1;
    loop.sampleOffset = 0;
}

} // namespace

void ComputeBeat(std::span<const float> pressure, std::span<const float> volume, const BeatTiming& timing,
                 const BeatSettings& settings, SistraEvent& loop)
{
    // Both channels are read tick by tick, so a beat only has the samples both hold.
    const std::size_t common = std::min(pressure.size(), volume.size());
    const std::span<const float> p = pressure.first(common);
    const std::span<const float> v = volume.first(common);
    loop.firstTick = timing.firstTick;
    ClearValues(loop);
    const auto n = static_cast<int32_t>(p.size());
    loop.endTick = timing.firstTick + n;
    if (n == 0)
        return;

    const SampleExtremes e = ScanSamples(p, v);
    FindEndSystolicPoint(p, v, e, settings.endSystolicMode, loop);
    loop.pmax = e.pmax.Result();
    loop.pmin = e.pmin.Result();
    loop.vmax = e.vmax.Result();
    loop.vmin = e.vmin.Result();
    loop.pmaxIndex = e.pmax.index;
    loop.pminIndex = e.pmin.index;
    loop.pmean = e.pressureSum / n;

    const double dt = timing.sampleInterval;
    if (timing.closingPosition >= 0.0 && dt > 0.0)
    {
        loop.state = LoopStateValid;
        loop.hr = SecondsPerMinute / ((timing.closingPosition - timing.openingPosition) * dt);
    }
    // dP/dt max has an index only where the derivatives exist, which the stable volumes then read again.
    const Derivatives derivatives = DerivativesOf(p, v, dt);
    ScanDerivatives(p, v, derivatives, loop);
    loop.ped = p[0];
    loop.ved = v[0];
    loop.sw = StrokeWork(p, v);
    loop.tau = FitRelaxationTau(p, settings.tauType, dt);
    ComputeStrokeVolume(p, v, derivatives.dp, e, settings.strokeVolumeMode, loop);
    loop.ef = Percent * loop.sv / loop.vAtDpdtMax;
}

} // namespace Sistra
