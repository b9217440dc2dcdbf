#include "calc/numerics/CurveFunctions.h"

#include "calc/numerics/ElementaryFunctions.h"
#include "foundation/numbers/NumberUtilities.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <stdexcept>

namespace ExtLib
{

namespace
{

// Start of a curve that cannot be estimated from the data.
constexpr double kNeutralStart = 1.0;

void RequireTwoSamples(const std::vector<double>& x, const std::vector<double>& y)
{
    if (x.size() < 2 || y.size() < 2)
        throw std::invalid_argument("the start of a relaxation curve needs two samples");
}

} // namespace

void ExponentialTwoPointStart(const std::vector<double>& x, const std::vector<double>& y, double& rate,
    double& amplitude)
{
    rate = amplitude = kNeutralStart;
    if (x.empty())
        return;

    double xFirst = DBL_MAX, yFirst = DBL_MAX;  // pair of smallest x
    double xLast = -1.0, yLast = -1.0;          // pair of largest x
    // Only a positive y has a logarithm: a pair at y = 0 (a recording that dropped out) cannot carry a
    // start, and the start must not decide whether the curve through the other pairs is found.
    for (size_t i = 0; i < x.size() && i < y.size(); ++i)
    {
        if (!(x[i] >= 0.0 && y[i] > 0.0))
            continue;
        if (x[i] < xFirst)
        {
            xFirst = x[i];
            yFirst = y[i];
        }
        if (x[i] > xLast)
        {
            xLast = x[i];
            yLast = y[i];
        }
    }
    if (xFirst == -1.0 || yFirst == -1.0 || xLast == -1.0 || yLast == -1.0)
        return;
    if (ApproxEqual(xFirst, xLast) && ApproxEqual(yFirst, yLast))
        return;

    const double r = (std::log(yFirst) - std::log(yLast)) / (xFirst - xLast);
    const double a = yFirst * Sistra::Elementary::Exp(-r * xFirst);
    if (std::isfinite(r) && std::isfinite(a))
    {
        rate = r;
        amplitude = a;
    }
}

void FunctionBase::EvaluateAll(const std::vector<double>& x, const std::vector<double>& params, double* values) const
{
    for (size_t i = 0; i < x.size(); ++i)
        values[i] = Evaluate(x[i], params);
}

void FunctionBase::Residuals(const std::vector<double>& x, const std::vector<double>& y,
    const std::vector<double>& params, double* residuals) const
{
    // The model's values go where their residuals go, each replaced by its residual in turn.
    EvaluateAll(x, params, residuals);
    for (size_t i = 0; i < x.size(); ++i)
        residuals[i] = y[i] - residuals[i];
}

void ExponFunc::InitialGuess(const std::vector<double>& x, const std::vector<double>& y,
    std::vector<double>& params) const
{
    ExponentialTwoPointStart(x, y, params[0], params[1]);
    if (fixedAmplitude)
        params[1] = amplitude;
}

double ExponFunc::Evaluate(double x, const std::vector<double>& params) const
{
    return Amplitude(params) * Sistra::Elementary::Exp(params[0] * x);
}

void ExponFunc::EvaluateAll(const std::vector<double>& x, const std::vector<double>& params, double* values) const
{
    const std::span<const double> exponentials = ExponentialsAt(x, params[0]);
    const double a = Amplitude(params);
    for (size_t i = 0; i < x.size(); ++i)
        values[i] = a * exponentials[i];
}

void ExponFunc::Residuals(const std::vector<double>& x, const std::vector<double>& y,
    const std::vector<double>& params, double* residuals) const
{
    const std::span<const double> exponentials = ExponentialsAt(x, params[0]);
    const double a = Amplitude(params);
    for (size_t i = 0; i < x.size(); ++i)
    {
        const double value = a * exponentials[i];
        residuals[i] = y[i] - value;
    }
}

namespace
{

// True when x holds the very same doubles as cached, bit for bit: the exponentials of the same bits are the
// same, whatever == says of NaN or of zeros' signs. Looks at every element, with no early exit, which is
// quicker for the few dozen of a relaxation.
bool SameBits(const std::vector<double>& x, std::span<const double> cached)
{
    if (x.size() != cached.size())
        return false;
    uint64_t difference = 0;
    for (size_t i = 0; i < x.size(); ++i)
        difference |= std::bit_cast<uint64_t>(x[i]) ^ std::bit_cast<uint64_t>(cached[i]);
    return difference == 0;
}

} // namespace

std::span<const double> ExponFunc::ExponentialsAt(const std::vector<double>& x, double rate) const
{
    const size_t m = x.size();
    // A fit's own samples, once compared (or copied), need no comparing again until the fit ends.
    const bool heldByFit = &x == held_.x;
    if (!(heldByFit && held_.cached) &&
        (cache_.size() != 3 * m || !SameBits(x, std::span<const double>(cache_).first(m))))
    {
        cache_.resize(3 * m);
        std::copy(x.begin(), x.end(), cache_.begin());
        recent_[0].filled = recent_[1].filled = false;
    }
    held_.cached = heldByFit;
    const auto valuesOf = [this, m](size_t index) { return std::span<double>(cache_).subspan((index + 1) * m, m); };
    // Only the very same double reuses its exponentials.
    const auto same = [rate](const RateExponentials& entry) {
        return entry.filled && std::bit_cast<uint64_t>(entry.rate) == std::bit_cast<uint64_t>(rate);
    };
    for (size_t index = 0; index < recent_.size(); ++index)
        if (same(recent_[index]))
        {
            older_ = 1 - index;
            return valuesOf(index);
        }
    const size_t index = older_;
    older_ = 1 - older_;
    recent_[index] = {rate, true};
    Sistra::Elementary::ExpOfScaled(rate, x, valuesOf(index));
    return valuesOf(index);
}

void ExponFunc::Gradient(double x, const std::vector<double>& params, std::vector<double>& gradient) const
{
    const double e = Sistra::Elementary::Exp(params[0] * x);
    gradient[0] = Amplitude(params) * x * e;
    gradient[1] = e;
}

// Glantz and logistic starts assume the first sample lies at x = 0 and use the first two samples.
void GlantzFunc::InitialGuess(const std::vector<double>& x, const std::vector<double>& y,
    std::vector<double>& params) const
{
    RequireTwoSamples(x, y);
    params[0] = std::log(y[1] / y[0]) / x[1];
    params[1] = y[0];
    params[2] = 0.0;
}

double GlantzFunc::Evaluate(double x, const std::vector<double>& params) const
{
    return params[1] * Sistra::Elementary::Exp(params[0] * x) + params[2];
}

void GlantzFunc::Gradient(double x, const std::vector<double>& params, std::vector<double>& gradient) const
{
    const double e = Sistra::Elementary::Exp(params[0] * x);
    gradient[0] = params[1] * x * e;
    gradient[1] = e;
    gradient[2] = 1.0;
}

void LogisticFunc::InitialGuess(const std::vector<double>& x, const std::vector<double>& y,
    std::vector<double>& params) const
{
    RequireTwoSamples(x, y);
    params[1] = 2.0 * y[0];
    params[0] = std::log(2.0 * y[0] / y[1] - 1.0) / x[1];
    params[2] = 0.0;
}

double LogisticFunc::Evaluate(double x, const std::vector<double>& params) const
{
    return params[1] / (Sistra::Elementary::Exp(params[0] * x) + 1.0) + params[2];
}

void LogisticFunc::Gradient(double x, const std::vector<double>& params, std::vector<double>& gradient) const
{
    const double e = Sistra::Elementary::Exp(params[0] * x);
    const double denominator = e + 1.0;
    gradient[0] = -params[1] * x * e / (denominator * denominator);
    gradient[1] = 1.0 / denominator;
    gradient[2] = 1.0;
}

void SineFunc::InitialGuess(const std::vector<double>& /*x*/, const std::vector<double>& /*y*/,
    std::vector<double>& params) const
{
    params[0] = 0.0;
    params[1] = 1.0;
    params[2] = 1.0;
    params[3] = 0.0;
}

double SineFunc::Evaluate(double x, const std::vector<double>& params) const
{
    return params[0] + params[1] * Sistra::Elementary::Sin(params[2] * x + params[3]);
}

void SineFunc::Gradient(double x, const std::vector<double>& params, std::vector<double>& gradient) const
{
    const Sistra::Elementary::SineCosine u = Sistra::Elementary::SinCos(params[2] * x + params[3]);
    gradient[0] = 1.0;
    gradient[1] = u.sine;
    gradient[2] = params[1] * x * u.cosine;
    gradient[3] = params[1] * u.cosine;
}

} // namespace ExtLib
