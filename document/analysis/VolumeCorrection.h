// What the loops' volume has taken off the calibrated volume: v = (calibrated - parallelConductance) / alpha,
// each term only when its calibration is in force.
#pragma once

#include <optional>

namespace Sistra
{

struct VolumeCorrection
{
    std::optional<double> parallelConductance;
    std::optional<double> alpha;

    bool TakesNothing() const { return !parallelConductance && !alpha; }
    // The calibrated volume before the corrections: the inverse of the expression the loops were read with.
    double Undo(double corrected) const
    {
        return corrected * alpha.value_or(1.0) + parallelConductance.value_or(0.0);
    }
};

} // namespace Sistra
