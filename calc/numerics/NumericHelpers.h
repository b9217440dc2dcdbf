// Small numeric routines shared across the module.
#pragma once

#include <vector>

namespace Sistra
{

// The "no value" marker: a quiet NaN with high word 0x7FF87000 and low word 0.
double NoValue();

// True when the exponent bits are all ones and the mantissa is not zero (infinity is not NaN).
bool IsNaN(double value);

// Equal when a == b, when both magnitudes are below 1e-32, or when |a - b| / min(|a|, |b|) < 1e-13.
// NaN equals nothing.
bool ApproxEqual(double a, double b);

// x / (1 - y); NoValue() when y is NaN or approximately 1.
double RatioOverOneMinus(double x, double y);

// Least-squares line y = intercept + slope x over the pairs (up to the shorter length) where neither value
// is NaN; each result is written only when its pointer is given. False for no usable pair or no spread in x.
bool LinearRegressionSkippingNaN(const std::vector<double>& x, const std::vector<double>& y, double* intercept,
    double* slope, double* rSquared);

} // namespace Sistra
