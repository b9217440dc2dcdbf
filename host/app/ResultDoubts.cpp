#include "host/app/ResultDoubts.h"

#include "host/app/LoopRecordReport.h"

#include <cmath>
#include <optional>

namespace Host
{
namespace
{

constexpr int StrokeWorkParameter = 1;
constexpr int StrokeVolumeParameter = 3;
constexpr int VmaxParameter = 4;
constexpr int VminParameter = 5;
// A stroke volume below this share of its loop's volume range ejects less than the loop shows.
constexpr double LeastStrokeVolumeShare = 0.8;
// More than this share of the loops with such a stroke volume is no odd beat but the rule failing.
constexpr double MostContradictedShare = 0.1;

void DoubtSummaries(const std::vector<SummaryRow>& summaries, std::vector<std::string>& doubts)
{
    const auto below = [&](int parameter, double SistraParameterSummary::*value) -> std::optional<double> {
        const auto& summary = summaries.at(static_cast<size_t>(parameter - 1)).summary;
        if (summary && summary->count > 0 && (*summary).*value < 0.0)
            return (*summary).*value;
        return std::nullopt;
    };
    // A pressure that falls as the volume rises runs each loop the wrong way round.
    if (const auto work = below(StrokeWorkParameter, &SistraParameterSummary::average))
        doubts.push_back("the loops' stroke work is negative (mean " + LoopRecordReport::NumberText(*work) +
                         "): the pressure channel looks like a volume; are the pressure and volume channels swapped?");
    if (const auto volume = below(VminParameter, &SistraParameterSummary::minimum))
        doubts.push_back("the volumes fall below zero (Vmin down to " + LoopRecordReport::NumberText(*volume) + " " +
                         summaries.at(VminParameter - 1).unit +
                         "): is each volume calibration in the unit its command takes?");
}

void DoubtRelations(const std::vector<RelationRow>& relations, std::vector<std::string>& doubts)
{
    for (const RelationRow& relation : relations)
        if (relation.worseThanMean)
            doubts.push_back(std::string(relation.name) + ": no fit, r2 = " +
                             LoopRecordReport::NumberText(*relation.worseThanMean) +
                             " is below 0 (the curve lies further from the loops than their mean); no relation is "
                             "given, nor the areas, energies and efficiencies that need it");
}

// The stable stroke volume averages the volume where dP/dt passes a share of its maximum: on a noisy
// pressure that window reaches into the ejection, and the stroke volume shrinks to a sliver of the loop.
void DoubtStrokeVolumes(const std::vector<LoopRow>& loops, std::vector<std::string>& doubts)
{
    const auto value = [](const LoopRow& loop, int parameter) { return loop.values[static_cast<size_t>(parameter - 1)]; };
    size_t counted = 0, contradicted = 0;
    for (const LoopRow& loop : loops)
    {
        const double range = value(loop, VmaxParameter) - value(loop, VminParameter);
        if (loop.record.state != Sistra::LoopStateValid || !(range > 0.0))
            continue;
        ++counted;
        if (!(value(loop, StrokeVolumeParameter) >= LeastStrokeVolumeShare * range))
            ++contradicted;
    }
    if (contradicted > MostContradictedShare * static_cast<double>(counted))
        doubts.push_back(std::to_string(contradicted) + " of " + std::to_string(counted) +
                         " loops have a stroke volume below 80 % of Vmax - Vmin, or none: the pressure looks too noisy "
                         "for the stable stroke volume; SV mode Vmax - Vmin or ED from the ECG avoid it");
}

} // namespace

std::vector<std::string> DoubtfulResults(const AnalysisResults& results)
{
    std::vector<std::string> doubts;
    DoubtSummaries(results.summaries, doubts);
    DoubtRelations(results.relations, doubts);
    DoubtStrokeVolumes(results.loops, doubts);
    return doubts;
}

} // namespace Host
