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
