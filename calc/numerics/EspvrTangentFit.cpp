// Per loop, the touching point is found where the secant slope between neighbouring samples is closest
// to k (the first such secant on ties). Its end point is blended with the point before it, each weighted
// by the other's distance from the line, so that the deviate changes smoothly while k and d move:
//     e1 = |k V[i-1] + d - P[i-1]|,  e2 = |k V[i] + d - P[i]|,  w = e1 / (e1 + e2),
//     (V, P) = w (V[i], P[i]) + (1 - w) (V[i-1], P[i-1]),  deviate = P - (k V + d).
// Both parameters take finite-difference derivatives: the deviates have no closed-form derivative, and
// a parameter declared analytical without one would never move.
#include "calc/numerics/EspvrTangentFit.h"

#include "platform/mpfit/mpfit.h"

#include <cmath>
#include <limits>

namespace Sistra
{

namespace
{

constexpr int kSlope = 0;
constexpr int kIntercept = 1;

struct TouchingPoint
{
    double pressure = 0.0;
    double volume = 0.0;
    int index = 0;  // sample whose secant to its predecessor is closest to k
};

int ClosestSecant(const TangentFitLoop& loop, double k)
{
    int best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (size_t i = 1; i < loop.volumes.size(); ++i)
    {
        const double dV = static_cast<double>(loop.volumes[i]) - loop.volumes[i - 1];
        if (dV == 0.0 || std::isnan(dV))
            continue;
        const double secant = (static_cast<double>(loop.pressures[i]) - loop.pressures[i - 1]) / dV;
        const double distance = std::fabs(secant - k);
        if (distance < bestDistance)
        {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

TouchingPoint TouchingPointOf(const TangentFitLoop& loop, double k, double d)
{
    TouchingPoint point;
    point.index = ClosestSecant(loop, k);
    const int i = point.index;
    point.pressure = loop.pressures[i];
    point.volume = loop.volumes[i];
    if (i >= 2)
    {
        const double e1 = std::fabs(k * loop.volumes[i - 1] + d - loop.pressures[i - 1]);
        const double e2 = std::fabs(k * loop.volumes[i] + d - loop.pressures[i]);
        // Both points on the line: any blend is on it, keep the sample itself.
        const double w = (e1 + e2 > 0.0) ? e1 / (e1 + e2) : 1.0;
        point.pressure = w * loop.pressures[i] + (1.0 - w) * loop.pressures[i - 1];
        point.volume = w * loop.volumes[i] + (1.0 - w) * loop.volumes[i - 1];
    }
    return point;
}

int TangentResidual(int /*m*/, int /*npar*/, double* p, double* deviates, double** /*dvec*/, void* privateData)
{
    const auto& loops = *static_cast<const std::vector<TangentFitLoop>*>(privateData);
    TangentDeviates(loops, p[kSlope], p[kIntercept], deviates, nullptr);
    return 0;
}

bool UsableLoops(const std::vector<TangentFitLoop>& loops)
{
    for (const TangentFitLoop& loop : loops)
        if (loop.volumes.empty() || loop.volumes.size() != loop.pressures.size())
            return false;
    return true;
}

} // namespace

void TangentDeviates(const std::vector<TangentFitLoop>& loops, double k, double d, double* deviates,
    TangentPoints* touching)
{
    for (size_t j = 0; j < loops.size(); ++j)
    {
        const TouchingPoint point = TouchingPointOf(loops[j], k, d);
        deviates[j] = point.pressure - (k * point.volume + d);
        if (touching != nullptr)
        {
            touching->pressures[j] = point.pressure;
            touching->volumes[j] = point.volume;
            touching->indices[j] = point.index - 1;
        }
    }
}

bool FitEspvrTangentLine(const std::vector<TangentFitLoop>& loops, const std::array<double, 2>& start,
    std::array<double, 2>& fitted, TangentPoints* touching)
{
    if (!std::isfinite(start[kSlope]) || !std::isfinite(start[kIntercept]) || !UsableLoops(loops))
        return false;

    std::array<double, 2> params = start;
    mp_par pars[2];
    pars[kSlope].side = 0;
    pars[kIntercept].side = 0;
    const int m = static_cast<int>(loops.size());
    auto* data = const_cast<std::vector<TangentFitLoop>*>(&loops);
    const int status = mpfit(TangentResidual, m, 2, params.data(), pars, nullptr, data, nullptr);
    fitted = params;
    if (status <= 0)
        return false;

    if (touching != nullptr)
    {
        touching->pressures.assign(m, 0.0);
        touching->volumes.assign(m, 0.0);
        touching->indices.assign(m, 0);
        std::vector<double> deviates(m);
        TangentDeviates(loops, params[kSlope], params[kIntercept], deviates.data(), touching);
    }
    return true;
}

} // namespace Sistra
