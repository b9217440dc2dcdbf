// `sistra analyze`: the module's document analyses a recording as the host runs it, and its summaries,
// relations and (with --out) loops are written as tab-separated tables.
#pragma once

#include "host/app/document/DocumentAnalysis.h"
#include "host/app/recording/Recording.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace Host
{

constexpr const char* AnalyzeUsage =
    "  analyze FILE [--pressure CH] [--volume CH] [--ecg CH] [--region START:END]\n"
    "               [--online [--chunk N]] [--out DIR] [--settings FILE] [--save-settings FILE]\n"
    "               [--calibrate-pressure CH:RAW1=P1,RAW2=P2] [--calibrate-volume CH:SCALE,OFFSET]\n"
    "               [--results-sheet FILE.tsv]\n"
    "            the module's document analyses the recording (the region in seconds from its start;\n"
    "            the whole recording by default) and prints each parameter's summary and the fitted\n"
    "            relations; FILE may be a document that File > Save wrote: its data, settings and analysis\n"
    "            as saved (the loops left out left out; a damaged document is refused, naming what is\n"
    "            damaged); CH is a channel number or a name from the header (by default the one\n"
    "            channel whose name holds \"pressure\" or \"volume\"); --ecg takes end-diastole from\n"
    "            the ECG's R waves (the host's R-wave detector: past T waves up to 1.5 R waves, premature\n"
    "            beats, baseline wander, spikes and dropouts; a deflection within the noise is no R wave,\n"
    "            and an ECG without R waves is warned of); --online feeds the recording as if sampled,\n"
    "            N samples at a time;\n"
    "            --out writes loops.tsv, summary.tsv and regressions.tsv into DIR; --settings loads\n"
    "            the module's settings (channels, detector, calibrations) from FILE before the analysis,\n"
    "            in place of --pressure, --volume and --ecg; --save-settings writes them to FILE after it;\n"
    "            --calibrate-pressure maps two raw values of the pressure channel (its recorded unit)\n"
    "            onto pressures in mmHg, as the pressure calibration step would; --calibrate-volume\n"
    "            leaves the workflow (as Workflow Mode... with its box cleared would) and gives the volume\n"
    "            channel the cuvette calibration's line: microlitres = SCALE * raw + OFFSET, the raw value\n"
    "            in the channel's recorded unit (conductance), OFFSET in microlitres; --results-sheet adds\n"
    "            the hemodynamics table to the host's results sheet as its Add to Tallion does (the\n"
    "            table's view is opened for it: needs a display) and saves the sheet as FILE.tsv: the\n"
    "            table's text as it shows it (its significant figures; --out's loops.tsv has every digit),\n"
    "            a row per loop under the titles, then the summary statistics under theirs; FILE - (or\n"
    "            /dev/stdout) prints the sheet in place of the summaries, /dev/stderr prints it there.\n"
    "            Every file is written whole or not at all, and two outputs (or an output and the\n"
    "            recording) that name the same file are refused\n";

// The channel (from 0) a CH argument names: a number from 1, or a channel name in any letter case.
// Throws std::runtime_error for a channel the recording lacks or a name that several channels carry.
int32_t ResolveChannel(const Recording& recording, const std::string& text);

// The one channel (from 0) whose name holds word (in any letter case), when the user named none.
// Throws std::runtime_error when no channel or several do.
int32_t ChannelByWord(const Recording& recording, const std::string& word);

// The channels --pressure, --volume and --ecg name (each a CH argument; unset: found by its name).
struct ChannelArguments
{
    std::optional<std::string> pressure, volume, ecg;
};
// Sets the choices' pressure and volume channels and ECG source as the arguments name them. Throws
// std::runtime_error for a channel the recording lacks, one it names twice, or a flat ECG.
void ChooseChannels(const Recording& recording, const ChannelArguments& channels, AnalysisChoices& choices);
// Sets the choices' ECG source to the R waves of the channel a CH argument names, warning when it is the
// pressure or volume channel the choices hold. Throws std::runtime_error as ChooseChannels does.
void ChooseEcg(const Recording& recording, const std::string& channel, AnalysisChoices& choices);
// The ECG channel's typical range as recorded: the median of its ranges over windows of a few seconds.
double TypicalEcgRange(const Recording& recording, size_t channel);

// A region in seconds from the start of the recording, as a first and an end position (exclusive);
// throws std::runtime_error when it holds no sample.
struct TickRange
{
    int32_t firstRecord, firstTick, endRecord, endTick;
};
TickRange RegionTicks(const Recording& recording, double startSeconds, double endSeconds);
// The seconds from the start of the recording at which the record's tick lies: RegionTicks takes them
// back to that tick.
double PositionSeconds(const Recording& recording, int32_t record, int32_t tick);

// The tables analyze prints: each parameter's summary, and the fitted relations.
std::string SummaryTable(const std::vector<SummaryRow>& rows);
std::string RegressionTable(const std::vector<RelationRow>& rows);

int RunAnalyze(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace Host
