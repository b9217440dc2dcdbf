// What the pressure sine fit delivers for one beat: one of seven float series over the beat's samples,
// chosen by the function's "Output type" argument.
#pragma once

#include "calc/loops/IsovolumicSineFit.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace Sistra
{

enum SineFitOutput : int32_t
{
    SineFitFirstSeries = 0,      // dP/dt
    SineFitSecondSeries = 1,     // d2P/dt2 over the ejection's scale
    SineFitIsovolumicPressure = 2,  // the pressure at the fitted samples
    SineFitCurveOnSegments = 3,  // the fitted sinusoid over the two isovolumic windows
    SineFitCurve = 4,            // the fitted sinusoid from contraction start to relaxation end
    SineFitStartCurve = 5,       // the start sinusoid over the same span
    SineFitCurvePlainSolver = 6, // as 4, fitted by the general unbounded solver
};

constexpr int32_t DefaultSineFitOutput = SineFitCurve;

// The output type in an argument text: its first integer, read with the classic locale; the default when
// the text holds none.
int32_t ReadSineFitOutputType(std::wstring_view arguments);

// Fills output with one value per pressure sample: the chosen series where it is defined, the missing
// sample marker elsewhere, and everywhere when the beat cannot be analysed that far (fewer than three
// samples, dP/dt extremes in the wrong order or at the end of the beat, a failed fit) or the output type
// is none of the seven.
void ComputeSineFitBeat(std::span<const float> pressure, int32_t outputType, const BeatSeriesFilter& filter,
    std::vector<float>& output);

} // namespace Sistra
