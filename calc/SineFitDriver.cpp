#include "calc/SineFitDriver.h"

#include "platform/mpfit/mpfit.h"

#include <cmath>

namespace Sistra
{
namespace
{

constexpr int SineParameters = 4;
constexpr int AnalyticalDerivatives = 3;

struct SineData
{
    const std::vector<double>& t;
    const std::vector<double>& y;
    const std::vector<double>& sigma;
};

} // namespace

int SineResidual(int m, int, double* x, double* deviates, double** derivatives, void* data)
{
    const auto& d = *static_cast<const SineData*>(data);
    const double a = x[0], b = x[1], w = x[2], phi = x[3];
    for (int i = 0; i < m; ++i)
    {
        const auto k = static_cast<std::size_t>(i);
        const double angle = w * d.t[k] + phi;
        const double sine = std::sin(angle);
        const double cosine = std::cos(angle);
        deviates[i] = (d.y[k] - (a + b * sine)) / d.sigma[k];
        if (!derivatives)
            continue;
        const double partials[SineParameters] = {-1.0, -sine, -b * d.t[k] * cosine, -b * cosine};
        for (int j = 0; j < SineParameters; ++j)
            if (derivatives[j])
                derivatives[j][i] = partials[j] / d.sigma[k];
    }
    return 0;
}

bool FitSine(const std::vector<double>& t, const std::vector<double>& y, const std::vector<double>& start,
             std::vector<double>& params, const std::vector<double>* sigma)
{
    const std::vector<double> unit(sigma ? 0 : t.size(), 1.0);
    const SineData data{t, y, sigma ? *sigma : unit};
    params.assign(start.begin(), start.begin() + SineParameters);
    mp_par settings[SineParameters];
    for (mp_par& setting : settings)
        setting.side = AnalyticalDerivatives;
    settings[2].limited[1] = 1;
    settings[2].limits[1] = SineFrequencyBoundFactor * start[2];
    mp_result result;
    const int status = mpfit(SineResidual, static_cast<int>(t.size()), SineParameters, params.data(), settings,
                             nullptr, const_cast<SineData*>(&data), &result);
    return status > 0;
}

} // namespace Sistra
