#include "calc/loops/SineFitBeat.h"

#include "calc/engine/MissingValue.h"

#include <algorithm>
#include <locale>
#include <sstream>
#include <string>

namespace Sistra
{

namespace
{

// The last stage of the beat analysis an output needs; None for an output type that names nothing.
IsovolumicStage StageFor(int32_t outputType)
{
    switch (outputType)
    {
    case SineFitFirstSeries: return IsovolumicStage::FirstSeries;
    case SineFitSecondSeries: return IsovolumicStage::SecondSeries;
    case SineFitIsovolumicPressure: return IsovolumicStage::Segments;
    case SineFitCurveOnSegments:
    case SineFitCurve:
    case SineFitStartCurve:
    case SineFitCurvePlainSolver: return IsovolumicStage::Fitted;
    default: return IsovolumicStage::None;
    }
}

template <class Value>
void FillWindow(const SampleWindow& window, std::vector<float>& output, Value value)
{
    const int32_t last = std::min(window.last, static_cast<int32_t>(output.size()) - 1);
    for (int32_t i = std::max(window.first, 0); i <= last; ++i)
        output[i] = static_cast<float>(value(i));
}

void WriteOutput(const IsovolumicBeat& beat, std::span<const float> pressure, int32_t outputType,
    std::vector<float>& output)
{
    const auto fitted = [&](int32_t i) { return beat.FittedPressure(i); };
    switch (outputType)
    {
    case SineFitFirstSeries: output = beat.firstSeries; break;
    case SineFitSecondSeries: output = beat.secondSeries; break;
    case SineFitIsovolumicPressure:
        for (const SampleWindow& window : {beat.contraction, beat.relaxation})
            FillWindow(window, output, [&](int32_t i) { return pressure[i]; });
        break;
    case SineFitCurveOnSegments:
        FillWindow(beat.contraction, output, fitted);
        FillWindow(beat.relaxation, output, fitted);
        break;
    case SineFitCurve:
    case SineFitCurvePlainSolver: FillWindow(beat.FittedWindow(), output, fitted); break;
    case SineFitStartCurve:
        FillWindow(beat.FittedWindow(), output, [&](int32_t i) { return beat.StartPressure(i); });
        break;
    default: break;
    }
}

} // namespace

int32_t ReadSineFitOutputType(std::wstring_view arguments)
{
    std::wistringstream in{std::wstring(arguments)};
    in.imbue(std::locale::classic());
    int32_t outputType = DefaultSineFitOutput;
    if (!(in >> outputType))
        return DefaultSineFitOutput;
    return outputType;
}

void ComputeSineFitBeat(std::span<const float> pressure, int32_t outputType, const BeatSeriesFilter& filter,
    std::vector<float>& output)
{
    output.assign(pressure.size(), MissingSample());
    const IsovolumicStage needed = StageFor(outputType);
    if (needed == IsovolumicStage::None)
        return;
    IsovolumicBeat beat;
    const SineSolver solver = outputType == SineFitCurvePlainSolver ? SineSolver::Plain : SineSolver::Bounded;
    AnalyseIsovolumicBeat(pressure, filter, needed, solver, beat);
    if (beat.reached == needed)
        WriteOutput(beat, pressure, outputType, output);
}

} // namespace Sistra
