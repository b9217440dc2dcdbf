#include "host/app/commands/ResultDoubts.h"

#include "host/app/commands/LoopRecordReport.h"

#include "hostapi/LoopParameterNames.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

namespace Host
{
namespace
{

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
    if (const auto work = below(LoopParameter::SW, &SistraParameterSummary::average))
        doubts.push_back("the loops' stroke work is negative (mean " + LoopRecordReport::NumberText(*work) +
                         "): the pressure channel looks like a volume; are the pressure and volume channels swapped?");
    if (const auto volume = below(LoopParameter::Vmin, &SistraParameterSummary::minimum))
        doubts.push_back("the volumes fall below zero (Vmin down to " + LoopRecordReport::NumberText(*volume) + " " +
                         summaries.at(LoopParameter::Vmin - 1).unit +
                         "): is each volume calibration in the unit its command takes?");
}

// What a relation is fitted to: the loops' parameters along x and y (0: the loops themselves), the least
// number of loops and of distinct x values it takes, and what is left to say when the loops have those.
struct RelationPoints
{
    int x = 0, y = 0;
    size_t least = 2;
    const char* otherwise = "the points spread no further than the recorded values' rounding";
};

// Two values closer than this share of their size are one value, as floats recorded them.
constexpr double SameValueShare = 1e-6;

RelationPoints PointsOf(const std::string& relation)
{
    if (relation == "ESPVR quadratic")
        return {LoopParameter::Ves, LoopParameter::Pes, 3,
                "the solver finds no curve through the points that fits them as well as the straight line"};
    if (relation == "ESPVR tangent")
        return {0, 0, 2, "no line touches the loops' end-systolic parts"};
    if (relation == "EDPVR exponential")
        return {LoopParameter::Ved, LoopParameter::Ped, 2,
                "the solver finds no curve Ped = A exp(B Ved) with A >= 0 through the points"};
    if (relation.starts_with("ESPVR"))
        return {LoopParameter::Ves, LoopParameter::Pes};
    if (relation == "PRSW")
        return {LoopParameter::Ved, LoopParameter::SW};
    if (relation.starts_with("EDPVR"))
        return {LoopParameter::Ved, LoopParameter::Ped};
    return {LoopParameter::Ved, LoopParameter::DpdtMax};
}

size_t DistinctValues(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t distinct = 0;
    for (size_t i = 0; i < values.size(); ++i)
        if (i == 0 || values[i] - values[i - 1] > SameValueShare * std::max(std::fabs(values[i]), std::fabs(values[i - 1])))
            ++distinct;
    return distinct;
}

// Why the included loops give no relation, in words.
std::string NoFitReason(const std::string& relation, const std::vector<LoopRow>& loops)
{
    const RelationPoints wanted = PointsOf(relation);
    const auto name = [](int parameter) { return std::string(LoopParameterShortNames[parameter - 1]); };
    std::vector<double> xs, ys;
    for (const LoopRow& loop : loops)
    {
        if (loop.record.state != Sistra::LoopStateValid)
            continue;
        const double x = wanted.x ? loop.values[static_cast<size_t>(wanted.x - 1)] : 0.0;
        const double y = wanted.y ? loop.values[static_cast<size_t>(wanted.y - 1)] : 0.0;
        if (std::isfinite(x) && std::isfinite(y))
            xs.push_back(x), ys.push_back(y);
    }
    const std::string what = wanted.x ? " with both " + name(wanted.x) + " and " + name(wanted.y) : " included";
    if (xs.size() < wanted.least)
        return (xs.empty() ? std::string("no loop") : std::to_string(xs.size()) + " loop" + (xs.size() == 1 ? "" : "s")) +
               what + ", where it takes " + std::to_string(wanted.least);
    if (wanted.x && DistinctValues(xs) < wanted.least)
        return "the loops' " + name(wanted.x) + " take " + std::to_string(DistinctValues(xs)) + " value" +
               (DistinctValues(xs) == 1 ? "" : "s") + ", where it takes " + std::to_string(wanted.least);
    if (wanted.y && DistinctValues(ys) < 2)
        return "every loop has the same " + name(wanted.y);
    return std::string(wanted.otherwise) + " (" + std::to_string(xs.size()) + " loops)";
}

void DoubtRelations(const std::vector<RelationRow>& relations, const std::vector<LoopRow>& loops,
                    std::vector<std::string>& doubts)
{
    for (const RelationRow& relation : relations)
    {
        if (relation.fit)
            continue;
        const std::string why = relation.worseThanMean
                                    ? "r2 = " + LoopRecordReport::NumberText(*relation.worseThanMean) +
                                          " is below 0 (the curve lies further from the loops than their mean)"
                                    : NoFitReason(relation.name, loops);
        doubts.push_back(std::string(relation.name) + ": no fit, " + why +
                         "; no relation is given, nor the areas, energies and efficiencies that need it");
    }
}

// The areas take the end-systolic and end-diastolic relations the settings choose, fitted and meeting.
void DoubtAreas(const AnalysisResults& results, std::vector<std::string>& doubts)
{
    const auto included = std::count_if(results.loops.begin(), results.loops.end(), [](const LoopRow& loop) {
        return loop.record.state == Sistra::LoopStateValid;
    });
    const auto& areas = results.summaries.size() >= LoopParameter::PVA ? results.summaries[LoopParameter::PVA - 1].summary
                                                                  : std::optional<SistraParameterSummary>{};
    if (included == 0 || (areas && areas->count > 0))
        return;
    std::string unfitted;
    for (const RelationRow& relation : results.relations)
        if (!relation.fit && (std::string_view(relation.name).starts_with("ESPVR") ||
                              std::string_view(relation.name).starts_with("EDPVR")))
            unfitted += (unfitted.empty() ? "" : ", ") + std::string(relation.name);
    doubts.push_back("PVA, PE and CE: none for any loop: they take the ESPVR and EDPVR the settings choose, " +
                     (unfitted.empty() ? std::string("and those do not meet where the loops' areas can close")
                                       : "fitted and meeting; no fit: " + unfitted));
}

// The stable stroke volume averages the volume where dP/dt passes a share of its maximum: on a noisy
// pressure that window reaches into the ejection, and the stroke volume shrinks to a sliver of the loop.
void DoubtStrokeVolumes(const std::vector<LoopRow>& loops, std::vector<std::string>& doubts)
{
    const auto value = [](const LoopRow& loop, int parameter) { return loop.values[static_cast<size_t>(parameter - 1)]; };
    size_t counted = 0, contradicted = 0;
    for (const LoopRow& loop : loops)
    {
        const double range = value(loop, LoopParameter::Vmax) - value(loop, LoopParameter::Vmin);
        if (loop.record.state != Sistra::LoopStateValid || !(range > 0.0))
            continue;
        ++counted;
        if (!(value(loop, LoopParameter::SV) >= LeastStrokeVolumeShare * range))
            ++contradicted;
    }
    if (contradicted > MostContradictedShare * static_cast<double>(counted))
        doubts.push_back(std::to_string(contradicted) + " of " + std::to_string(counted) +
                         " loops have a stroke volume below 80 % of Vmax - Vmin, or none: the pressure looks too noisy "
                         "for the stable stroke volume; SV mode Vmax - Vmin avoids it");
}

} // namespace

std::vector<std::string> DoubtfulResults(const AnalysisResults& results)
{
    std::vector<std::string> doubts;
    DoubtSummaries(results.summaries, doubts);
    DoubtRelations(results.relations, results.loops, doubts);
    DoubtAreas(results, doubts);
    DoubtStrokeVolumes(results.loops, doubts);
    return doubts;
}

} // namespace Host
