// The per-beat fits of the loop analyzer: the maximal isovolumic pressure Piso from a sine fitted to the
// isovolumic phases (with the single-beat end-systolic point it implies), and the relaxation time
// constant Tau.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace Sistra
{

// Savitzky-Golay derivative of the given order (1 or 2) over a centred window of `window` samples
// (widened to odd, and to the three samples a derivative needs), fitting a quadratic; the ends repeat the
// edge samples. Per tick, divided by sampleInterval to that order.
std::vector<double> WindowedDerivative(std::span<const float> samples, int32_t window, int32_t order,
                                       double sampleInterval = 1.0);
// The same per tick, each value rounded to float, into series (as long as the samples); only the first
// `leading` values are taken, the others are NaN.
void WindowedDerivative(std::span<const float> samples, int32_t window, int32_t order, std::vector<float>& series,
                        std::size_t leading = SIZE_MAX);

struct IsovolumicFit
{
    double pes = 0.0;
    double ves = 0.0;
    double piso = 0.0;
    double tangentVolume = 0.0; // the end-diastolic volume the single-beat tangent starts from
    int32_t endSystolicIndex = 0;
};

// Piso by a sine fitted to the isovolumic contraction and relaxation windows of the pressure, and the
// point where the line from (largest filling volume, Piso) touches the loop. Nothing when the beat does
// not show both phases, the fit fails, or there is no volume or no touching point.
std::optional<IsovolumicFit> FitIsovolumicPressure(std::span<const float> pressure, std::span<const float> volume);

// Index of dP/dt min: the first smallest of the pressure's central differences over the sample interval
// (one-sided at the two ends), at least two samples given.
int32_t SteepestFallIndex(std::span<const float> pressure, double sampleInterval);

// Tau in milliseconds of the pressure decay from dP/dt min, by the model of tauType; NaN when the decay
// is too short, the fit fails or tauType names no model.
double FitRelaxationTau(std::span<const float> pressure, int32_t tauType, double sampleInterval);

} // namespace Sistra
