#include "calc/numerics/NumericHelpers.h"

#include "calc/engine/MissingValue.h"
#include "foundation/numbers/NumberUtilities.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>

namespace Sistra
{

namespace
{

constexpr std::uint64_t kExponentBits = 0x7FF0000000000000ull;
constexpr std::uint64_t kMantissaBits = 0x000FFFFFFFFFFFFFull;

} // namespace

bool IsNaN(double value)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    return (bits & kExponentBits) == kExponentBits && (bits & kMantissaBits) != 0;
}

double RatioOverOneMinus(double x, double y)
{
    if (IsNaN(y) || ApproxEqual(y, 1.0))
        return std::bit_cast<double>(BlankValueBits);
    return x / (1.0 - y);
}

bool LinearRegressionSkippingNaN(const std::vector<double>& x, const std::vector<double>& y, double* intercept,
    double* slope, double* rSquared)
{
    if (x.empty())
        return false;
    double n = 0.0, sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0, syy = 0.0;
    for (size_t i = 0; i < x.size() && i < y.size(); ++i)
    {
        if (IsNaN(x[i]) || IsNaN(y[i]))
            continue;
        n += 1.0;
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
        syy += y[i] * y[i];
    }
    if (n == 0.0)
        return false;
    const double meanX = sx / n;
    const double meanY = sy / n;
    sxx -= n * meanX * meanX;
    sxy -= n * meanX * meanY;
    syy -= n * meanY * meanY;
    if (std::fabs(sxx) < DBL_EPSILON)
        return false;

    const double b = sxy / sxx;
    if (slope != nullptr)
        *slope = b;
    if (intercept != nullptr)
        *intercept = meanY - b * meanX;
    if (rSquared != nullptr)
        *rSquared = sxy * sxy / (sxx * syy);
    return true;
}

} // namespace Sistra
