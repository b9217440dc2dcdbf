// The host's sample filter: Savitzky-Golay smoothing and differentiation over a sliding window.
#pragma once

#include "host/app/calc/CalcNodes.h"

#include <string_view>
#include <vector>

namespace Host::Calc
{

struct SavitzkyGolaySettings
{
    int window;     // samples, odd
    int derivative; // 0 the smoothed value, 1 the first derivative per tick, ...
    int order;      // of the fitted polynomial, below the window
};

// Reads the filter's argument text "window<TAB>derivative<TAB>order"; an even window is widened to the next
// odd one, an order that the window cannot support is lowered to window - 1.
SavitzkyGolaySettings ParseSavitzkyGolayArguments(std::string_view text);

// Weights c[k], k = 0 .. window - 1, of the output sum(c[k] * x[i + k]): the derivative at the window's
// centre of the least-squares polynomial through x[i] .. x[i + window - 1].
std::vector<double> SavitzkyGolayCoefficients(const SavitzkyGolaySettings& settings);

// Vector lanes of the filter's sums: the widest the processor has, four where it has them, or the two
// every processor has. All give the same bits.
enum class FilterLanes
{
    Widest,
    Four,
    Two
};

// Filters input into out: out[i] = sum(c[k] * input[i + k]); input holds out.size() + window - 1 samples.
void ApplySavitzkyGolay(std::span<const double> coefficients, std::span<const float> input, std::span<float> out,
                        FilterLanes lanes = FilterLanes::Widest);

// The filtered input: output tick i covers input ticks i .. i + window - 1, so the caller pads the input
// with window / 2 samples at each end to get an output as long as its unpadded data.
SampleNodePtr MakeSavitzkyGolayFilter(SampleNodePtr input, const SavitzkyGolaySettings& settings);

} // namespace Host::Calc
