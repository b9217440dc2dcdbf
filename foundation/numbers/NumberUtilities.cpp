#include "foundation/numbers/NumberUtilities.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace Orv
{

namespace
{

// A remainder below 2^-31 ends the continued fraction: the convergent is already exact to
// what a 32-bit denominator can express.
constexpr double RemainderEpsilon = 4.656612877414201e-10;
constexpr int MaxContinuedFractionTerms = 20;
// Convergents stay below this so that a * h + previous h cannot overflow 32 bits.
constexpr std::int64_t ConvergentLimit = 2147483646;

bool NextTermWouldOverflow(std::int64_t current, std::int64_t previous, std::int64_t term)
{
    return current > 0 && (ConvergentLimit - previous) / current <= term;
}

// Factors of the letter prefixes, indexed by the character code modulo 32.
constexpr std::array<double, 32> LowerCasePrefixFactors = [] {
    std::array<double, 32> t{};
    t['a' % 32] = 1e18;
    t['f' % 32] = 1e15;
    t['p' % 32] = 1e12;
    t['n' % 32] = 1e9;
    t['u' % 32] = 1e6;
    t['m' % 32] = 1e3;
    t['k' % 32] = 1e-3;
    return t;
}();

constexpr std::array<double, 32> UpperCasePrefixFactors = [] {
    std::array<double, 32> t{};
    t['M' % 32] = 1e-6;
    t['G' % 32] = 1e-9;
    t['T' % 32] = 1e-12;
    t['P' % 32] = 1e-15;
    t['E' % 32] = 1e-18;
    return t;
}();

constexpr wchar_t NoBreakSpace = 0xA0;
constexpr wchar_t MicroSign = 0xB5;

// Leading digit (rounded, 1..10) and power of ten of a positive value.
struct Magnitude
{
    int exponent;
    double power;
    int leadingDigit;
};

double PowerOfTen(int exponent)
{
    double p = 1.0;
    for (int i = 0; i < std::abs(exponent); ++i)
        p *= 10.0;
    return exponent < 0 ? 1.0 / p : p;
}

Magnitude MagnitudeOf(double v)
{
    Magnitude m;
    m.exponent = static_cast<int>(std::floor(std::log10(v)));
    m.power = PowerOfTen(m.exponent);
    m.leadingDigit = static_cast<int>(v / m.power + 0.5);
    return m;
}

bool HasMagnitude(double v)
{
    return std::isfinite(v) && v > 0.0;
}

constexpr std::array<double, 10> PreviewSteps = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
constexpr double PreviewStepBeyondSeries = 2000.0;

} // namespace

void BestRationalApproximation(double x, int& numerator, int& denominator)
{
    if (!std::isfinite(x))
        throw std::domain_error("rational approximation: not a finite number");
    double r = std::fabs(x);
    if (r > static_cast<double>(ConvergentLimit))
        throw std::domain_error("rational approximation: value out of range");

    std::int64_t a = static_cast<std::int64_t>(r);
    std::int64_t h = a, previousH = 1;
    std::int64_t k = 1, previousK = 0;
    for (int term = 0; term < MaxContinuedFractionTerms; ++term)
    {
        r -= static_cast<double>(a);
        if (r < RemainderEpsilon)
            break;
        r = 1.0 / r;
        a = static_cast<std::int64_t>(r);
        if (NextTermWouldOverflow(h, previousH, a) || NextTermWouldOverflow(k, previousK, a))
            break;
        const std::int64_t nextH = a * h + previousH;
        const std::int64_t nextK = a * k + previousK;
        previousH = h;
        previousK = k;
        h = nextH;
        k = nextK;
    }
    numerator = static_cast<int>(x > 0.0 ? h : -h);
    denominator = static_cast<int>(k);
}

double PrefixScale(wchar_t prefix)
{
    if (prefix == L'\0' || prefix == NoBreakSpace)
        return 1.0;
    if (prefix == MicroSign)
        return 1e6;
    // Only the C locale's letters are prefixes; the tables are indexed by code modulo 32.
    if (prefix > 0x7F || !std::isalpha(static_cast<int>(prefix)))
        return 0.0;
    const auto& table = std::islower(static_cast<int>(prefix)) ? LowerCasePrefixFactors : UpperCasePrefixFactors;
    return table[static_cast<size_t>(prefix) % 32];
}

void NiceCeil(double& value)
{
    if (!HasMagnitude(value))
        return;
    const Magnitude m = MagnitudeOf(value);
    const double step = m.leadingDigit < 2 ? 2.0 : m.leadingDigit < 5 ? 5.0 : m.leadingDigit < 10 ? 10.0 : 20.0;
    value = step * m.power;
}

void NiceFloor(double& value)
{
    if (!HasMagnitude(value))
        return;
    const Magnitude m = MagnitudeOf(value);
    if (m.leadingDigit >= 6)
        value = 5.0 * m.power;
    else if (m.leadingDigit >= 3)
        value = 2.0 * m.power;
    else if (m.leadingDigit == 2)
        value = m.power;
    else
        value = 5.0 * PowerOfTen(m.exponent - 1);
}

double PreviewStepForRatio(double ratio)
{
    for (double step : PreviewSteps)
        if (!(step < ratio))
            return step;
    return PreviewStepBeyondSeries;
}

} // namespace Orv

namespace
{
// Below this both values count as zero.
constexpr double ZeroMagnitude = 1e-32;
constexpr double RelativeTolerance = 1e-13;
} // namespace

bool ApproxEqual(double a, double b)
{
    if (a == b)
        return true;
    const double absA = std::fabs(a), absB = std::fabs(b);
    if (absA < ZeroMagnitude && absB < ZeroMagnitude)
        return true;
    return std::fabs(a - b) / std::fmin(absA, absB) < RelativeTolerance;
}
