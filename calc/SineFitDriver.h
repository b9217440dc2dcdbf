// The sine fit of the isovolumic pressure, p(t) = a + b sin(w t + phi), by the bounded least-squares
// solver with analytical derivatives. The frequency may not rise above 1.5 times its start value, which
// keeps the fit on the one hump that the isovolumic windows describe.
#pragma once

#include <vector>

namespace Sistra
{

constexpr double SineFrequencyBoundFactor = 1.5;

// Deviates (y - p(t)) / sigma over the data {t, y, sigma} and, where asked, their derivatives by a, b,
// w and phi; the solver's user-function contract. Returns 0.
int SineResidual(int m, int npar, double* x, double* deviates, double** derivatives, void* data);

// Fits a, b, w, phi from start (four values) into params; sigma 1 for every point when none is given.
// True when the solver ends with a success status.
bool FitSine(const std::vector<double>& t, const std::vector<double>& y, const std::vector<double>& start,
             std::vector<double>& params, const std::vector<double>* sigma = nullptr);

} // namespace Sistra
