// Piso: the isovolumic contraction and relaxation of a beat follow the pressure an isovolumic (clamped)
// beat would develop, modelled as a sinusoid whose peak is Piso; the windows and the fit are the pressure
// sine fit's (IsovolumicSineFit), over the windowed derivative below. The tangent from (largest filling
// volume, Piso) to the loop gives the single-beat end-systolic point.
//
// Tau: the pressure from dP/dt min while it keeps falling (and stays positive) is fitted by
// P = a e^(r t) (type 0), P = a e^(r t) + b (type 1) or P = a / (e^(r t) + 1) + b (type 2); Tau = -1/r,
// respectively +1/r for the logistic, in milliseconds.
#include "calc/IsovolumicFits.h"

#include "calc/IsovolumicSineFit.h"

#include "calc/MissingValue.h"
#include "calc/LoopParameters.h"
#include "calc/numerics/CurveFit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace Sistra
{
namespace
{

// The smallest window that shows a derivative.
constexpr int32_t MinimumDerivativeWindow = 3;
constexpr int32_t MinimumDecaySamples = 3;
constexpr double MillisecondsPerSecond = 1000.0;

// Savitzky-Golay weights of a quadratic over j = -h..h: the first derivative is Σ j y / Σ j², the second
// 2 Σ (j² - mean j²) y / Σ (j² - mean j²)².
std::vector<double> DerivativeWeights(int32_t half, int32_t order)
{
    const int32_t width = 2 * half + 1;
    std::vector<double> weights(static_cast<std::size_t>(width));
    double s2 = 0.0;
    for (int32_t j = -half; j <= half; ++j)
        s2 += static_cast<double>(j) * j;
    const double meanSquare = s2 / width;
    double norm = 0.0;
    for (int32_t j = -half; j <= half; ++j)
    {
        const double w = order == 1 ? j : j * j - meanSquare;
        weights[static_cast<std::size_t>(j + half)] = w;
        norm += w * w;
    }
    const double scale = (order == 1 ? 1.0 : 2.0) / norm;
    for (double& w : weights)
        w *= scale;
    return weights;
}

int32_t IndexOfMinimum(const std::vector<double>& x)
{
    return static_cast<int32_t>(std::min_element(x.begin(), x.end()) - x.begin());
}

// The sample before the relaxation's pressure minimum whose secant to (vref, piso) is flattest.
bool FindTangentPoint(std::span<const float> p, std::span<const float> v, int32_t iMin, double piso,
                      IsovolumicFit& fit)
{
    const double vref = *std::max_element(v.begin(), v.begin() + iMin);
    const auto lowest = std::min_element(p.begin() + iMin, p.end());
    const auto m = static_cast<std::size_t>(lowest - p.begin());
    double best = DBL_MAX;
    int32_t found = -1;
    for (std::size_t i = 0; i < m; ++i)
    {
        const double slope = std::fabs((piso - p[i]) / (vref - v[i]));
        if (slope < best)
        {
            best = slope;
            found = static_cast<int32_t>(i);
        }
    }
    if (found < 0)
        return false;
    fit = IsovolumicFit{p[static_cast<std::size_t>(found)], v[static_cast<std::size_t>(found)], piso, vref, found};
    return true;
}

} // namespace

std::vector<double> WindowedDerivative(std::span<const float> samples, int32_t window, int32_t order,
                                       double sampleInterval)
{
    const int32_t half = std::max(window, MinimumDerivativeWindow) / 2;
    const std::vector<double> weights = DerivativeWeights(half, order);
    const double scale = std::pow(sampleInterval, order);
    const auto n = static_cast<int32_t>(samples.size());
    std::vector<double> out(samples.size());
    for (int32_t i = 0; i < n; ++i)
    {
        double sum = 0.0;
        for (int32_t j = -half; j <= half; ++j)
            sum += weights[static_cast<std::size_t>(j + half)] *
                   samples[static_cast<std::size_t>(std::clamp(i + j, 0, n - 1))];
        out[static_cast<std::size_t>(i)] = sum / scale;
    }
    return out;
}

std::optional<IsovolumicFit> FitIsovolumicPressure(std::span<const float> p, std::span<const float> v)
{
    if (p.size() <= 2 || v.size() < p.size())
        return std::nullopt;
    IsovolumicBeat beat;
    AnalyseIsovolumicBeat(p, WindowedDerivativeFilter(), IsovolumicStage::Fitted, SineSolver::Bounded, beat);
    if (beat.reached != IsovolumicStage::Fitted)
        return std::nullopt;
    IsovolumicFit fit;
    if (!FindTangentPoint(p, v, beat.dpdtMin, beat.IsovolumicPressure(), fit))
        return std::nullopt;
    return fit;
}

double FitRelaxationTau(std::span<const float> p, int32_t tauType, double dt)
{
    const auto n = static_cast<int32_t>(p.size());
    if (n < 2 || !(dt > 0.0))
        return MissingValue();
    auto at = [&](int32_t i) { return static_cast<double>(p[static_cast<std::size_t>(i)]); };
    std::vector<double> d(p.size());
    d[0] = (at(1) - at(0)) / dt;
    for (int32_t i = 1; i + 1 < n; ++i)
        d[static_cast<std::size_t>(i)] = (at(i + 1) - at(i - 1)) / (2.0 * dt);
    d[static_cast<std::size_t>(n - 1)] = (at(n - 1) - at(n - 2)) / dt;

    const int32_t m = IndexOfMinimum(d);
    int32_t e = m;
    while (e < n && at(e) > 0.0 && d[static_cast<std::size_t>(e)] < 0.0)
        ++e;
    if (e - m < MinimumDecaySamples)
        return MissingValue();
    const std::vector<double> y(p.begin() + m, p.begin() + e);
    const ExtLib::SampleTime timeOf = [dt](int i) { return i * dt; };
    std::vector<double> c;
    switch (tauType)
    {
    case TauMonoExponential:
        return ExtLib::FitExponentialCurve(y, timeOf, c) ? -MillisecondsPerSecond / c[0] : MissingValue();
    case TauWithOffset:
        return ExtLib::FitGlantzCurve(y, timeOf, c) ? -MillisecondsPerSecond / c[0] : MissingValue();
    case TauLogistic:
        return ExtLib::FitLogisticCurve(y, timeOf, c) ? MillisecondsPerSecond / c[0] : MissingValue();
    default:
        return MissingValue();
    }
}

} // namespace Sistra
