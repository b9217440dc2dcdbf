// What an analysis' results show to be doubtful, said as warnings before the results: the numbers are
// printed as the module gives them, and these say where they cannot be taken as they stand.
#pragma once

#include "host/app/document/DocumentAnalysis.h"

#include <string>
#include <vector>

namespace Host
{

struct AnalysisResults
{
    const std::vector<SummaryRow>& summaries;
    const std::vector<RelationRow>& relations;
    const std::vector<LoopRow>& loops;
};

// In words: stroke work below zero (the channels look swapped), volumes below zero (a calibration in
// another unit than its command takes), a relation whose fit is further from the loops than their mean,
// and stroke volumes that many loops contradict (a pressure too noisy for the stable stroke volume).
std::vector<std::string> DoubtfulResults(const AnalysisResults& results);

} // namespace Host
