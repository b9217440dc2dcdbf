// The upper tail of Student's t is a regularised incomplete beta function:
//     P(T > t) = I_x(v/2, 1/2) / 2,  x = v / (v + t^2),  t >= 0,
// evaluated by its continued fraction (modified Lentz), with 1 - x passed separately so that small t
// loses nothing to cancellation. The quantile is found by Newton's method on the tail, safeguarded by
// bisection inside a bracket that is widened until it holds the root.
#include "calc/numerics/StudentT.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace ExtLib
{

namespace
{

constexpr double kFractionTolerance = 1e-16;
constexpr int kFractionTerms = 1000;
constexpr double kLentzFloor = 1e-300;
constexpr double kQuantileTolerance = 1e-15;
constexpr int kQuantileIterations = 200;

// Continued fraction of I_x(a, b) (converges fast for x < (a + 1) / (a + b + 2)).
double BetaFraction(double a, double b, double x)
{
    const auto floor = [](double v) { return std::fabs(v) < kLentzFloor ? kLentzFloor : v; };
    double c = 1.0;
    double d = 1.0 / floor(1.0 - (a + b) * x / (a + 1.0));
    double h = d;
    for (int m = 1; m <= kFractionTerms; ++m)
    {
        const double m2 = 2.0 * m;
        const double even = m * (b - m) * x / ((a + m2 - 1.0) * (a + m2));
        d = 1.0 / floor(1.0 + even * d);
        c = floor(1.0 + even / c);
        h *= d * c;
        const double odd = -(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1.0));
        d = 1.0 / floor(1.0 + odd * d);
        c = floor(1.0 + odd / c);
        const double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1.0) < kFractionTolerance)
            break;
    }
    return h;
}

// Regularised incomplete beta I_x(a, b), y = 1 - x given apart.
double IncompleteBeta(double a, double b, double x, double y)
{
    if (x <= 0.0)
        return 0.0;
    if (y <= 0.0)
        return 1.0;
    const double front =
        std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x) + b * std::log(y));
    if (x < (a + 1.0) / (a + b + 2.0))
        return front * BetaFraction(a, b, x) / a;
    return 1.0 - front * BetaFraction(b, a, y) / b;
}

// P(T > t) for t >= 0.
double UpperTail(double v, double t)
{
    const double t2 = t * t;
    return 0.5 * IncompleteBeta(0.5 * v, 0.5, v / (v + t2), t2 / (v + t2));
}

double Density(double v, double t)
{
    const double logNorm = std::lgamma(0.5 * (v + 1.0)) - std::lgamma(0.5 * v) - 0.5 * std::log(v * std::numbers::pi);
    return std::exp(logNorm - 0.5 * (v + 1.0) * std::log1p(t * t / v));
}

void RequireDegreesOfFreedom(int degreesOfFreedom)
{
    if (degreesOfFreedom < 1)
        throw std::domain_error("Student's t needs at least one degree of freedom");
}

// The t >= 0 whose upper tail is q (0 < q <= 1/2).
double UpperQuantile(double v, double q)
{
    double low = 0.0, high = 1.0;
    while (UpperTail(v, high) > q)
    {
        low = high;
        high *= 2.0;
    }
    double t = 0.5 * (low + high);
    for (int i = 0; i < kQuantileIterations; ++i)
    {
        const double excess = UpperTail(v, t) - q;
        if (excess == 0.0)
            break;
        if (excess > 0.0)
            low = t;
        else
            high = t;
        double next = t + excess / Density(v, t);
        if (!(next > low && next < high))
            next = 0.5 * (low + high);
        const bool settled = std::fabs(next - t) <= kQuantileTolerance * t;
        t = next;
        if (settled)
            break;
    }
    return t;
}

} // namespace

double StudentTDistribution(int degreesOfFreedom, double t)
{
    RequireDegreesOfFreedom(degreesOfFreedom);
    if (std::isnan(t))
        return t;
    const double tail = UpperTail(degreesOfFreedom, std::fabs(t));
    return t >= 0.0 ? 1.0 - tail : tail;
}

double InverseStudentTDistribution(int degreesOfFreedom, double probability)
{
    RequireDegreesOfFreedom(degreesOfFreedom);
    if (!(probability > 0.0 && probability < 1.0))
        throw std::domain_error("a probability of Student's t must lie strictly between 0 and 1");
    if (probability == 0.5)
        return 0.0;
    const double v = degreesOfFreedom;
    return probability > 0.5 ? UpperQuantile(v, 1.0 - probability) : -UpperQuantile(v, probability);
}

} // namespace ExtLib
