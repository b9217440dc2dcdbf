// Residual of p(t) = a + b sin(w t + phi), weighted by 1 / sigma:
//     f[i] = (y[i] - a - b sin(u)) / sigma[i],  u = w t[i] + phi,
// with the analytic derivatives
//     df/da = -1,  df/db = -sin(u),  df/dw = -b t cos(u),  df/dphi = -b cos(u),  each / sigma[i].
// All four parameters are declared analytic (side 3), so the solver never falls back to finite
// differences; the frequency carries only an upper bound (see SineFrequencyBoundFactor).
#include "calc/loops/PressureSineFit.h"

#include "calc/numerics/ElementaryFunctions.h"
#include "platform/mpfit/mpfit.h"

#include <bit>
#include <cmath>
#include <span>

namespace Sistra
{

double EvaluateSine(const SineParameters& p, double t)
{
    return p[SineOffset] + p[SineAmplitude] * Elementary::Sin(p[SineFrequency] * t + p[SinePhase]);
}

int SineResidual(int m, int /*npar*/, double* p, double* deviates, double** derivatives, void* data)
{
    auto& fit = *static_cast<SineFitData*>(data);
    const double a = p[SineOffset];
    const double b = p[SineAmplitude];
    const double w = p[SineFrequency];
    const double phi = p[SinePhase];
    const auto count = static_cast<size_t>(m);
    const std::array<uint64_t, 2> key{std::bit_cast<uint64_t>(w), std::bit_cast<uint64_t>(phi)};
    const bool held = fit.roomHolds == key && fit.room.size() == 3 * count;
    fit.room.resize(3 * count);
    const std::span<double> phases(fit.room.data(), count), sines(phases.end(), count), cosines(sines.end(), count);
    if (!held)
    {
        for (size_t i = 0; i < count; ++i)
            phases[i] = w * fit.t[i] + phi;
        Elementary::SinCosOf(phases, sines, cosines);
        fit.roomHolds = key;
    }

    // Each value / sigma as value * (1 / sigma); a weight of one would leave it as it is.
    const auto weigh = [&](double* values)
    {
        if (!fit.sigma.empty())
            for (size_t i = 0; i < count; ++i)
                values[i] *= 1.0 / fit.sigma[i];
    };
    for (size_t i = 0; i < count; ++i)
        deviates[i] = fit.y[i] - (a + b * sines[i]);
    weigh(deviates);
    if (!derivatives)
        return 0;
    const auto column = [&](int j, const auto& partial)
    {
        if (!derivatives[j])
            return;
        for (size_t i = 0; i < count; ++i)
            derivatives[j][i] = partial(i);
        weigh(derivatives[j]);
    };
    column(SineOffset, [](size_t) { return -1.0; });
    column(SineAmplitude, [&](size_t i) { return -sines[i]; });
    column(SineFrequency, [&](size_t i) { return -b * fit.t[i] * cosines[i]; });
    column(SinePhase, [&](size_t i) { return -b * cosines[i]; });
    return 0;
}

bool FitSine(const std::vector<double>& t, const std::vector<double>& y, const SineParameters& start,
    SineParameters& fitted, const std::vector<double>* sigma, mp_config* limits)
{
    fitted = start;
    if (t.size() != y.size() || (sigma && sigma->size() != t.size()) || t.size() < SineParameterCount)
        return false;
    const std::vector<double> unitWeights;
    SineFitData data{t, y, sigma ? *sigma : unitWeights};

    mp_par settings[SineParameterCount];
    for (mp_par& setting : settings)
        setting.side = 3;
    settings[SineFrequency].limited[1] = 1;
    settings[SineFrequency].limits[1] = SineFrequencyBoundFactor * start[SineFrequency];

    mp_result result;
    const int status = mpfit(SineResidual, static_cast<int>(t.size()), SineParameterCount, fitted.data(), settings,
        limits, &data, &result);
    return MpFitSolved(status);
}

} // namespace Sistra
