// Piso: the isovolumic contraction and relaxation of a beat follow the pressure an isovolumic (clamped)
// beat would develop, modelled as c0 + c1 sin(c2 x + c3); its peak c0 + c1 is Piso. The contraction
// window runs from where dP/dt first reaches a fifth of its maximum to where d2P/dt2 turns up again after
// dP/dt max; the relaxation window is centred on dP/dt min, balanced in length with the contraction
// window. The tangent from (largest filling volume, Piso) to the loop gives the single-beat end-systolic
// point.
//
// Tau: the pressure from dP/dt min while it keeps falling (and stays positive) is fitted by
// P = a e^(r t) (type 0), P = a e^(r t) + b (type 1) or P = a / (e^(r t) + 1) + b (type 2); Tau = -1/r,
// respectively +1/r for the logistic, in milliseconds.
#include "calc/IsovolumicFits.h"

#include "calc/MissingValue.h"
#include "calc/LoopParameters.h"
#include "calc/SineFitDriver.h"
#include "calc/numerics/CurveFit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>

namespace Sistra
{
namespace
{

// The smallest window that shows a derivative.
constexpr int32_t MinimumDerivativeWindow = 3;
// Share of the beat, respectively of the dP/dt max-to-min span, over which the derivatives are smoothed.
constexpr double SmoothingShare = 0.25 * 0.5;
// Where the isovolumic windows end: dP/dt within a fifth of its extreme.
constexpr double IsovolumicSlopeShare = 0.2;
constexpr double SineStartLevelShare = 0.75;
constexpr double SineStartCycles = 1.6 * std::numbers::pi;
constexpr double SineStartPhase = -0.4 * std::numbers::pi;
constexpr int32_t MinimumDecaySamples = 3;
constexpr double MillisecondsPerSecond = 1000.0;

int32_t SmoothingWindow(double span)
{
    return 2 * static_cast<int32_t>(std::floor(span * SmoothingShare)) + 1;
}

// Savitzky-Golay derivatives of a quadratic over offsets j = -h..h: the first derivative is
// Σ j y / Σ j², the second 2 Σ (j² - mean j²) y / Σ (j² - mean j²)². Both come from the window's moments
// Σ y, Σ j y and Σ j² y, which slide along the samples in constant time per sample.
struct QuadraticWindow
{
    explicit QuadraticWindow(int32_t half) : half(half)
    {
        const int32_t width = 2 * half + 1;
        for (int32_t j = -half; j <= half; ++j)
            sumSquares += static_cast<double>(j) * j;
        meanSquare = sumSquares / width;
        for (int32_t j = -half; j <= half; ++j)
            curvatureNorm += (j * j - meanSquare) * (j * j - meanSquare);
    }

    double Derivative(int32_t order) const
    {
        return order == 1 ? m1 / sumSquares : 2.0 * (m2 - meanSquare * m0) / curvatureNorm;
    }

    // Moves the centre one sample on: `leaving` drops out at offset -h, `entering` comes in at +h.
    void Slide(double leaving, double entering)
    {
        const double h = half;
        const double m0Kept = m0 - leaving;
        const double m1Kept = m1 + h * leaving;
        const double m2Kept = m2 - h * h * leaving;
        m2 = m2Kept - 2.0 * m1Kept + m0Kept + h * h * entering;
        m1 = m1Kept - m0Kept + h * entering;
        m0 = m0Kept + entering;
    }

    int32_t half;
    double sumSquares = 0.0, meanSquare = 0.0, curvatureNorm = 0.0;
    double m0 = 0.0, m1 = 0.0, m2 = 0.0;
};

int32_t IndexOfMaximum(const std::vector<double>& x)
{
    return static_cast<int32_t>(std::max_element(x.begin(), x.end()) - x.begin());
}

int32_t IndexOfMinimum(const std::vector<double>& x)
{
    return static_cast<int32_t>(std::min_element(x.begin(), x.end()) - x.begin());
}

struct FitWindows
{
    int32_t contractionStart = 0, contractionEnd = 0;
    int32_t relaxationStart = 0, relaxationEnd = 0;
    int32_t dpdtMinIndex = 0;

    int32_t Count() const
    {
        return (contractionEnd + 1 - contractionStart) + (relaxationEnd + 1 - relaxationStart);
    }
};

// The isovolumic windows from the smoothed derivatives; nothing when dP/dt min does not follow dP/dt max.
std::optional<FitWindows> FindIsovolumicWindows(std::span<const float> p)
{
    const auto n = static_cast<int32_t>(p.size());
    const std::vector<double> d1 = WindowedDerivative(p, SmoothingWindow(n), 1);
    const int32_t iMax = IndexOfMaximum(d1);
    const int32_t iMin = IndexOfMinimum(d1);
    if (iMin - iMax <= 0)
        return std::nullopt;
    const std::vector<double> d2 = WindowedDerivative(p, SmoothingWindow(iMin - iMax), 2);
    auto at = [](const std::vector<double>& x, int32_t i) { return x[static_cast<std::size_t>(i)]; };

    int32_t a = iMax;
    for (int32_t i = iMax + 1; i < iMin; ++i)
        if (at(d2, i) > at(d2, i - 1))
        {
            a = i;
            break;
        }
    int32_t s0 = 0;
    for (int32_t i = iMax - 1; i >= 0; --i)
        if (at(d1, i) <= IsovolumicSlopeShare * at(d1, iMax))
        {
            s0 = i;
            break;
        }

    int32_t b0 = iMin;
    for (int32_t i = iMin - 1; i >= 0 && at(d1, i) < 0.0; --i)
        if (at(d2, i) < at(d2, b0))
            b0 = i;
    int32_t e0 = (static_cast<int32_t>(d1.size()) + iMin) / 2;
    for (int32_t i = iMin; i < static_cast<int32_t>(d1.size()); ++i)
        if (at(d1, i) >= IsovolumicSlopeShare * at(d1, iMin))
        {
            e0 = i;
            break;
        }
    int32_t b = b0;
    for (int32_t i = b0; i < e0; ++i)
        if (!(p[static_cast<std::size_t>(i)] > p[static_cast<std::size_t>(a)]) || i == iMin)
        {
            b = i;
            break;
        }

    const int32_t balance = std::max(1, std::min(a - s0, e0 - b) / 4);
    return FitWindows{s0, a, std::max(b, iMin - balance), std::min(iMin + balance, e0), iMin};
}

// c0 + c1 of the sine through the windows; nothing when the fit does not converge.
std::optional<double> FitSinePeak(std::span<const float> p, const FitWindows& windows)
{
    if (windows.Count() <= 0)
        return std::nullopt;
    std::vector<double> x, y;
    auto take = [&](int32_t from, int32_t to) {
        for (int32_t i = from; i <= to; ++i)
        {
            x.push_back(i);
            y.push_back(p[static_cast<std::size_t>(i)]);
        }
    };
    take(windows.contractionStart, windows.contractionEnd);
    take(windows.relaxationStart, windows.relaxationEnd);
    const double level = SineStartLevelShare * *std::max_element(p.begin(), p.end());
    const std::vector<double> start{level, level,
                                    SineStartCycles / (windows.relaxationEnd + 1 - windows.contractionStart),
                                    SineStartPhase};
    std::vector<double> c;
    if (!FitSine(x, y, start, c))
        return std::nullopt;
    return c[0] + c[1];
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
    const auto n = static_cast<int32_t>(samples.size());
    std::vector<double> out(samples.size());
    if (n == 0)
        return out;
    auto at = [&](int32_t i) { return static_cast<double>(samples[static_cast<std::size_t>(std::clamp(i, 0, n - 1))]); };
    QuadraticWindow moments(std::max(window, MinimumDerivativeWindow) / 2);
    for (int32_t j = -moments.half; j <= moments.half; ++j)
    {
        moments.m0 += at(j);
        moments.m1 += j * at(j);
        moments.m2 += static_cast<double>(j) * j * at(j);
    }
    const double scale = std::pow(sampleInterval, order);
    for (int32_t i = 0; i < n; ++i)
    {
        out[static_cast<std::size_t>(i)] = moments.Derivative(order) / scale;
        moments.Slide(at(i - moments.half), at(i + 1 + moments.half));
    }
    return out;
}

std::optional<IsovolumicFit> FitIsovolumicPressure(std::span<const float> p, std::span<const float> v)
{
    if (p.size() <= 2 || v.size() < p.size())
        return std::nullopt;
    const std::optional<FitWindows> windows = FindIsovolumicWindows(p);
    if (!windows)
        return std::nullopt;
    const std::optional<double> piso = FitSinePeak(p, *windows);
    if (!piso)
        return std::nullopt;
    IsovolumicFit fit;
    if (!FindTangentPoint(p, v, windows->dpdtMinIndex, *piso, fit))
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
