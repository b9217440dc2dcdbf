// The isovolumic parts of one beat's pressure and the sinusoid fitted through them: the pressure the
// ventricle would have developed had it not ejected. Its peak is the isovolumic pressure Piso. The
// pressure sine fit shows every stage of this analysis as an output; the loop analyzer takes Piso.
#pragma once

#include "calc/sources/FloatEnumOnContainer.h"
#include "calc/loops/PressureSineFit.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace Sistra
{

// A smoothed derivative (1 or 2) of a beat's samples over an odd window, one value per sample; false when
// it cannot be formed.
using BeatSeriesFilter = std::function<bool(int32_t window, int32_t derivative, std::span<const float> samples,
    std::vector<float>& series)>;

// The module's windowed Savitzky-Golay derivative (per sample) as a BeatSeriesFilter.
BeatSeriesFilter WindowedDerivativeFilter();
// The host's sample filter as a BeatSeriesFilter; the host calculation stays in cache between beats.
BeatSeriesFilter HostSeriesFilter(HostCalcCache& cache);

// The index where a scan of the values (at least one) from one end, by steps of +1 or -1, last found a value
// better than every one before it (the first extreme met, as std::min_element and std::max_element choose).
// The extreme is kept at hand: reading it back through its index at every step put a load on the loop's chain.
template <class Better>
int32_t ExtremeIndex(std::span<const float> values, int32_t step, Better better)
{
    const auto n = static_cast<int32_t>(values.size());
    int32_t found = step > 0 ? 0 : n - 1;
    float extreme = values[found];
    for (int32_t i = found + step; i >= 0 && i < n; i += step)
        if (better(values[i], extreme))
        {
            extreme = values[i];
            found = i;
        }
    return found;
}

inline constexpr auto Smaller = [](float value, float extreme) { return value < extreme; };
inline constexpr auto Larger = [](float value, float extreme) { return extreme < value; };

// Which solver fits the sinusoid.
enum class SineSolver
{
    Bounded,  // FitSine: analytic derivatives, frequency bounded above
    Plain,    // the general Levenberg-Marquardt curve fit, unbounded
};

// How far the analysis of a beat came; every stage needs the ones before it.
enum class IsovolumicStage
{
    None,
    FirstSeries,   // dP/dt over the beat
    Extremes,      // dP/dt max before dP/dt min, neither at the end of the beat
    SecondSeries,  // d2P/dt2 smoothed over the ejection's scale
    Segments,      // the isovolumic contraction and relaxation windows and the fit data
    Fitted,        // the sinusoid through them
};

// Sample indices within the beat, both ends inclusive.
struct SampleWindow
{
    int32_t first = 0;
    int32_t last = -1;
    int32_t Count() const { return last + 1 - first; }
    bool Holds(int32_t i) const { return i >= first && i <= last; }
};

struct IsovolumicBeat
{
    IsovolumicStage reached = IsovolumicStage::None;
    std::vector<float> firstSeries;
    std::vector<float> secondSeries;
    int32_t dpdtMax = -1;  // last maximum of the first series
    int32_t dpdtMin = -1;  // first minimum of the first series
    SampleWindow contraction;
    SampleWindow relaxation;
    // Fit data: t counts samples from the start of the contraction window.
    std::vector<double> t;
    std::vector<double> y;
    SineParameters start{};
    SineParameters fitted{};

    // From the start of the contraction window to the end of the relaxation window.
    SampleWindow FittedWindow() const { return {contraction.first, relaxation.last}; }
    // Curve value at beat sample i.
    double FittedPressure(int32_t i) const { return EvaluateSine(fitted, i - contraction.first); }
    double StartPressure(int32_t i) const { return EvaluateSine(start, i - contraction.first); }
    // a + b sin(pi / 2): the peak of the fitted sinusoid.
    double IsovolumicPressure() const { return fitted[SineOffset] + fitted[SineAmplitude]; }
};

// Runs the analysis of one beat's pressure samples up to the stage asked for, or until a stage fails;
// beat.reached tells which stage was completed last.
void AnalyseIsovolumicBeat(std::span<const float> pressure, const BeatSeriesFilter& filter, IsovolumicStage until,
    SineSolver solver, IsovolumicBeat& beat);

} // namespace Sistra
