// Where the end-systolic tangent fit starts on loops whose residual has many local optima: the least-squares
// line over every slope at once, by a sweep over the slopes at which the loops' touching points change.
#pragma once

#include "calc/numerics/EspvrTangentFit.h"

#include <array>
#include <optional>

namespace Sistra
{

// The line {k, d} of least squares when each loop touches it at the middle of its secant closest to k, over
// the loops (of more than 16384, as many spread evenly); none without two loops that have a secant.
std::optional<std::array<double, 2>> SweptTangentStart(const TangentFitSamples& loops);

} // namespace Sistra
