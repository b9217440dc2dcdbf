// Residual of p(t) = a + b sin(w t + phi), weighted by 1 / sigma:
//     f[i] = (y[i] - a - b sin(u)) / sigma[i],  u = w t[i] + phi,
// with the analytic derivatives
//     df/da = -1,  df/db = -sin(u),  df/dw = -b t cos(u),  df/dphi = -b cos(u),  each / sigma[i].
// All four parameters are declared analytic (side 3), so the solver never falls back to finite
// differences; the frequency carries only an upper bound (see SineFrequencyBoundFactor).
#include "calc/loops/PressureSineFit.h"

#include "calc/numerics/ElementaryFunctions.h"
#include "platform/mpfit/mpfit.h"

#include <cmath>

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
    fit.phases.resize(count);
    fit.sines.resize(count);
    fit.cosines.resize(count);
    for (size_t i = 0; i < count; ++i)
        fit.phases[i] = w * fit.t[i] + phi;
    Elementary::SinCosOf(fit.phases, fit.sines, fit.cosines);
    for (int i = 0; i < m; ++i)
    {
        const double t = fit.t[i];
        const double sine = fit.sines[i];
        const double inverseSigma = 1.0 / fit.sigma[i];
        deviates[i] = (fit.y[i] - (a + b * sine)) * inverseSigma;
        if (!derivatives)
            continue;
        const double cosine = fit.cosines[i];
        const double partial[SineParameterCount] = {-1.0, -sine, -b * t * cosine, -b * cosine};
        for (int j = 0; j < SineParameterCount; ++j)
            if (derivatives[j])
                derivatives[j][i] = partial[j] * inverseSigma;
    }
    return 0;
}

bool FitSine(const std::vector<double>& t, const std::vector<double>& y, const SineParameters& start,
    SineParameters& fitted, const std::vector<double>* sigma)
{
    fitted = start;
    if (t.size() != y.size() || (sigma && sigma->size() != t.size()) || t.size() < SineParameterCount)
        return false;
    const std::vector<double> unitSigma(sigma ? 0 : t.size(), 1.0);
    SineFitData data{t, y, sigma ? *sigma : unitSigma};

    mp_par settings[SineParameterCount];
    for (mp_par& setting : settings)
        setting.side = 3;
    settings[SineFrequency].limited[1] = 1;
    settings[SineFrequency].limits[1] = SineFrequencyBoundFactor * start[SineFrequency];

    mp_result result;
    const int status = mpfit(SineResidual, static_cast<int>(t.size()), SineParameterCount, fitted.data(), settings,
        nullptr, &data, &result);
    return status > 0;
}

} // namespace Sistra
