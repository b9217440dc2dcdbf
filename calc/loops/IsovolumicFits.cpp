// Piso: the isovolumic contraction and relaxation of a beat follow the pressure an isovolumic (clamped)
// beat would develop, modelled as a sinusoid whose peak is Piso; the windows and the fit are the pressure
// sine fit's (IsovolumicSineFit), over the windowed derivative below. The tangent from (largest filling
// volume, Piso) to the loop gives the single-beat end-systolic point.
//
// Tau: the pressure from dP/dt min while it keeps falling (and stays positive) is fitted by
// P = a e^(r t) (type 0), P = a e^(r t) + b (type 1) or P = a / (e^(r t) + 1) + b (type 2); Tau = -1/r,
// respectively +1/r for the logistic, in milliseconds.
#include "calc/loops/IsovolumicFits.h"

#include "calc/loops/IsovolumicSineFit.h"

#include "calc/engine/MissingValue.h"
#include "calc/loops/LoopParameters.h"
#include "calc/numerics/CurveFit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace Sistra
{
namespace
{

// The smallest window that shows a derivative.
constexpr int32_t MinimumDerivativeWindow = 3;
constexpr int32_t MinimumDecaySamples = 3;
constexpr double MillisecondsPerSecond = 1000.0;

// Savitzky-Golay derivatives of a quadratic over offsets j = -h..h: the first derivative is
// Σ j y / Σ j², the second 2 Σ (j² - mean j²) y / Σ (j² - mean j²)². Both come from the window's moments
// Σ y, Σ j y and Σ j² y, which slide along the samples in constant time per sample. The first derivative
// needs no Σ j² y: a window made for it (Curvature false) leaves that sum, the longest chain of additions
// from sample to sample, untouched.
template <bool Curvature>
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

    double Derivative() const
    {
        return Curvature ? 2.0 * (m2 - meanSquare * m0) / curvatureNorm : m1 / sumSquares;
    }

    // Moves the centre one sample on: `leaving` drops out at offset -h, `entering` comes in at +h.
    void Slide(double leaving, double entering)
    {
        const double h = half;
        const double m0Kept = m0 - leaving;
        const double m1Kept = m1 + h * leaving;
        if constexpr (Curvature)
        {
            const double m2Kept = m2 - h * h * leaving;
            m2 = m2Kept - 2.0 * m1Kept + m0Kept + h * h * entering;
        }
        m1 = m1Kept - m0Kept + h * entering;
        m0 = m0Kept + entering;
    }

    int32_t half;
    double sumSquares = 0.0, meanSquare = 0.0, curvatureNorm = 0.0;
    double m0 = 0.0, m1 = 0.0, m2 = 0.0;
};

// dP/dt at each sample of at least two: central differences, one-sided at the two ends.
class PressureSlope
{
public:
    PressureSlope(std::span<const float> p, double dt)
        : p_(p), last_(static_cast<int32_t>(p.size()) - 1), dt_(dt), twoDt_(2.0 * dt)
    {
    }

    int32_t Last() const { return last_; }
    bool Interior(int32_t i) const { return i > 0 && i < last_; }
    // The difference that the interval divides.
    double Rise(int32_t i) const
    {
        if (i == 0)
            return At(1) - At(0);
        return i == last_ ? At(last_) - At(last_ - 1) : At(i + 1) - At(i - 1);
    }
    double InteriorInterval() const { return twoDt_; }
    double operator()(int32_t i) const { return Rise(i) / (Interior(i) ? twoDt_ : dt_); }

private:
    double At(int32_t i) const { return static_cast<double>(p_[static_cast<std::size_t>(i)]); }

    std::span<const float> p_;
    int32_t last_;
    double dt_;
    double twoDt_;
};

// The sample before the relaxation's pressure minimum whose secant to (vref, piso) is flattest.
bool FindTangentPoint(std::span<const float> p, std::span<const float> v, int32_t iMin, double piso,
                      IsovolumicFit& fit)
{
    const double vref = v[static_cast<std::size_t>(ExtremeIndex(v.first(static_cast<std::size_t>(iMin)), 1, Larger))];
    const auto m = static_cast<std::size_t>(iMin + ExtremeIndex(p.subspan(static_cast<std::size_t>(iMin)), 1, Smaller));
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

int32_t SteepestFallIndex(std::span<const float> p, double dt)
{
    const PressureSlope slope(p, dt);
    int32_t steepest = 0;
    double least = slope(0);
    // Dividing by the same positive interval never reverses an order, so an interior rise no smaller than
    // one already divided (to a number) cannot give a smaller slope: only the others are divided.
    double smallestDividedRise = std::numeric_limits<double>::infinity();
    for (int32_t i = 1; i < slope.Last(); ++i)
    {
        const double rise = slope.Rise(i);
        if (rise >= smallestDividedRise)
            continue;
        const double value = rise / slope.InteriorInterval();
        if (!std::isnan(value))
            smallestDividedRise = rise;
        if (value < least)
        {
            least = value;
            steepest = i;
        }
    }
    if (slope.Last() > 0 && slope(slope.Last()) < least)
        steepest = slope.Last();
    return steepest;
}

namespace
{

// The derivative at each of the first out.size() samples, stored as Out. Only the first and last half
// windows reach past the ends, where the edge samples repeat: the samples between are read as they are.
template <bool Curvature, class Out>
void WindowedDerivativeInto(std::span<const float> samples, int32_t window, int32_t order, double sampleInterval,
                            std::span<Out> out)
{
    const auto n = static_cast<int32_t>(samples.size());
    if (n == 0)
        return;
    auto at = [&](int32_t i) { return static_cast<double>(samples[static_cast<std::size_t>(std::clamp(i, 0, n - 1))]); };
    QuadraticWindow<Curvature> moments(std::max(window, MinimumDerivativeWindow) / 2);
    const int32_t h = moments.half;
    for (int32_t j = -h; j <= h; ++j)
    {
        moments.m0 += at(j);
        moments.m1 += j * at(j);
        moments.m2 += static_cast<double>(j) * j * at(j);
    }
    const double scale = std::pow(sampleInterval, order);
    const auto step = [&](int32_t i, double leaving, double entering)
    {
        out[static_cast<std::size_t>(i)] = static_cast<Out>(moments.Derivative() / scale);
        moments.Slide(leaving, entering);
    };
    // Interior: i - h >= 0 and i + 1 + h <= n - 1.
    const auto count = static_cast<int32_t>(out.size());
    const int32_t interiorFirst = std::min(h, count);
    const int32_t interiorEnd = std::max(interiorFirst, std::min(count, n - 1 - h));
    int32_t i = 0;
    for (; i < interiorFirst; ++i)
        step(i, at(i - h), at(i + 1 + h));
    for (; i < interiorEnd; ++i)
        step(i, samples[static_cast<std::size_t>(i - h)], samples[static_cast<std::size_t>(i + 1 + h)]);
    for (; i < count; ++i)
        step(i, at(i - h), at(i + 1 + h));
}

// Any order but the first is the second.
template <class Out>
void WindowedDerivativeInto(std::span<const float> samples, int32_t window, int32_t order, double sampleInterval,
                            std::span<Out> out)
{
    if (order == 1)
        WindowedDerivativeInto<false>(samples, window, order, sampleInterval, out);
    else
        WindowedDerivativeInto<true>(samples, window, order, sampleInterval, out);
}

} // namespace

std::vector<double> WindowedDerivative(std::span<const float> samples, int32_t window, int32_t order,
                                       double sampleInterval)
{
    std::vector<double> out(samples.size());
    WindowedDerivativeInto(samples, window, order, sampleInterval, std::span<double>(out));
    return out;
}

void WindowedDerivative(std::span<const float> samples, int32_t window, int32_t order, std::vector<float>& series,
                        std::size_t leading)
{
    series.assign(samples.size(), std::numeric_limits<float>::quiet_NaN());
    WindowedDerivativeInto(samples, window, order, 1.0, std::span<float>(series).first(std::min(leading, series.size())));
}

std::optional<IsovolumicFit> FitIsovolumicPressure(std::span<const float> p, std::span<const float> v)
{
    if (p.size() <= 2 || v.size() < p.size())
        return std::nullopt;
    IsovolumicBeat beat;
    // The fit reads d2P/dt2 only up to dP/dt min (the contraction's end and the valve's closing lie before
    // it): the rest of the beat is left out.
    const BeatSeriesFilter filter = [&beat](int32_t window, int32_t derivative, std::span<const float> samples,
                                            std::vector<float>& series)
    {
        const std::size_t needed = derivative == 1 ? samples.size() : static_cast<std::size_t>(beat.dpdtMin) + 1;
        WindowedDerivative(samples, window, derivative, series, needed);
        return true;
    };
    AnalyseIsovolumicBeat(p, filter, IsovolumicStage::Fitted, SineSolver::Bounded, beat);
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
    const PressureSlope slope(p, dt);
    const int32_t m = SteepestFallIndex(p, dt);
    int32_t e = m;
    while (e < n && p[static_cast<std::size_t>(e)] > 0.0f && slope(e) < 0.0)
        ++e;
    if (e - m < MinimumDecaySamples)
        return MissingValue();
    const std::vector<double> y(p.begin() + m, p.begin() + e);
    const auto timeOf = [dt](int i) { return i * dt; };
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
