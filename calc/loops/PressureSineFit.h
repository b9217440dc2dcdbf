// Least-squares sinusoid through pressure samples, p(t) = a + b sin(w t + phi), on the bounded solver.
// The pressure sine fit and the loop analyzer's isovolumic-pressure fit both run it once per beat.
#pragma once

#include "platform/mpfit/mpfit.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace Sistra
{

// Parameter order of the sine model, as the solver sees it.
enum SineParameter
{
    SineOffset = 0,     // a
    SineAmplitude = 1,  // b
    SineFrequency = 2,  // w, radians per sample
    SinePhase = 3,      // phi
    SineParameterCount = 4
};

using SineParameters = std::array<double, SineParameterCount>;

// a + b sin(w t + phi).
double EvaluateSine(const SineParameters& p, double t);

// The data the residual reads: vectors of equal length m (sigma may be empty: every point weighs one), left
// unchanged while the data is in use, and room it reuses from one evaluation to the next.
struct SineFitData
{
    const std::vector<double>& t;
    const std::vector<double>& y;
    const std::vector<double>& sigma;
    std::vector<double> room = {};
    // The bits of the frequency and phase whose sines and cosines the room holds, once it holds any: the
    // solver asks for the derivatives where it last evaluated the deviates.
    std::optional<std::array<uint64_t, 2>> roomHolds = {};
};

// Solver callback over a SineFitData (which it changes only in its room): deviate[i] = (y[i] - p(t[i])) / sigma[i],
// and, for every non-null derivatives[j], the analytic d deviate[i] / d parameter j. Returns 0.
int SineResidual(int m, int npar, double* parameters, double* deviates, double** derivatives, void* data);

// How far the frequency may rise above its start value: an isovolumic beat is never much shorter than
// the start guess, and an unbounded w would wander off to fit the ejection gap with fast wiggles.
constexpr double SineFrequencyBoundFactor = 1.5;

// Fits all four parameters from start, w bounded above by SineFrequencyBoundFactor times its start value,
// each point weighted by 1 / sigma (all 1 when sigma is null). fitted receives the solver's last values
// in every case; true only when the solver found a solution (a fit stopped by its iteration limit found
// none). Data of unequal lengths, or fewer points than parameters, is refused with false. limits: the
// solver's control, its defaults when null.
bool FitSine(const std::vector<double>& t, const std::vector<double>& y, const SineParameters& start,
    SineParameters& fitted, const std::vector<double>* sigma = nullptr, mp_config* limits = nullptr);

} // namespace Sistra
