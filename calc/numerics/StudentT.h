// Student's t distribution: cumulative probability and its inverse, for the confidence limits of fits.
#pragma once

namespace ExtLib
{

// P(T <= t) for Student's t with degreesOfFreedom >= 1. Throws std::domain_error otherwise.
double StudentTDistribution(int degreesOfFreedom, double t);

// The t with P(T <= t) = probability, 0 < probability < 1, accurate to about 1e-12 relative.
// Throws std::domain_error for degrees of freedom below 1 or a probability outside (0, 1).
double InverseStudentTDistribution(int degreesOfFreedom, double probability);

} // namespace ExtLib
