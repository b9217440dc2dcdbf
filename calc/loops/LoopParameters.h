// The hemodynamic values of one heart beat, computed from its pressure and volume samples.
#pragma once

#include "hostapi/CalcEventRecords.h"

#include <cstdint>
#include <span>

namespace Sistra
{

// "StrokeVolumeMode"
constexpr int32_t StrokeVolumeStable = 0; // stable EDV minus stable ESV
constexpr int32_t StrokeVolumeRange = 1;  // Vmax minus Vmin

// "End Systolic Detection Mode"
constexpr int32_t EndSystolicMaxRatio = 0; // the sample of the largest P/V
constexpr int32_t EndSystolicSineFit = 1;  // the single-beat tangent from the isovolumic sine fit

// "TauType"
constexpr int32_t TauMonoExponential = 0;
constexpr int32_t TauWithOffset = 1;
constexpr int32_t TauLogistic = 2;

struct BeatSettings
{
    int32_t tauType = TauMonoExponential;
    int32_t strokeVolumeMode = StrokeVolumeStable;
    int32_t endSystolicMode = EndSystolicMaxRatio;
};

// Where the beat lies: the tick of its first sample, the positions (tick + fraction) of the end-diastolic
// events that open and close it (closing < 0: unknown), and the seconds per tick.
struct BeatTiming
{
    int32_t firstTick = 0;
    double openingPosition = 0.0;
    double closingPosition = -1.0;
    double sampleInterval = 0.0;
};

// Writes every value field of the loop record (position, value and state excepted, but state 0 is set
// once the heart rate is known). Values the beat does not yield are the missing-value NaN.
void ComputeBeat(std::span<const float> pressure, std::span<const float> volume, const BeatTiming& timing,
                 const BeatSettings& settings, SistraEvent& loop);

} // namespace Sistra
