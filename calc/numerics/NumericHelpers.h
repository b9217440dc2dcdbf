// Small numeric routines shared across the module.
#pragma once

#include <vector>

namespace Sistra
{

// True when the exponent bits are all ones and the mantissa is not zero (infinity is not NaN).
bool IsNaN(double value);

// x / (1 - y); the blank marker (BlankValueBits) when y is NaN or approximately 1.
double RatioOverOneMinus(double x, double y);

// Least-squares line y = intercept + slope x over the pairs (up to the shorter length) where neither value
// is NaN; each result is written only when its pointer is given. False for no usable pair or no spread in x.
bool LinearRegressionSkippingNaN(const std::vector<double>& x, const std::vector<double>& y, double* intercept,
    double* slope, double* rSquared);

} // namespace Sistra
