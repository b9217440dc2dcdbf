// Small numeric helpers shared by the views, the trace display and the settings preview.
#pragma once

namespace Orv
{

// Best rational approximation of x by a continued fraction whose convergents fit 32-bit integers.
// The sign travels with the numerator; the denominator is positive. Non-finite x, and x whose
// magnitude does not fit a 32-bit numerator, throw std::domain_error.
void BestRationalApproximation(double x, int& numerator, int& denominator);

// Factor that turns a value in base units into the unit with the given SI prefix character;
// NUL or a no-break space mean no prefix (1.0), an unknown character gives 0.0.
double PrefixScale(wchar_t prefix);

// Axis steps of 1, 2 and 5 times a power of ten: the next nicer step above, and below, the value.
// Zero, negative and non-finite values are left as they are.
void NiceCeil(double& value);
void NiceFloor(double& value);

// Step of the data preview for a selection that spans ratio * 400 display units: the first of
// 1, 2, 5, 10, ..., 1000 that is not below the ratio, 2000 above that.
double PreviewStepForRatio(double ratio);

} // namespace Orv

// True when a and b are equal or differ by less than a relative 1e-13 (both below 1e-32 count as
// equal); always false when either is NaN.
bool ApproxEqual(double a, double b);
