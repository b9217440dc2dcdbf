// `sistra macro`: runs the automation commands of a macro file, one statement a line, on the module's
// document over a recording, and prints what each returned and then the analysis' summaries.
#pragma once

#include "host/app/recording/Recording.h"
#include "hostapi/HostDocument.h"

#include <ostream>
#include <string>
#include <vector>

namespace Host
{

constexpr const char* MacroUsage =
    "  macro MACROFILE FILE\n"
    "            runs the macro's statements on the module's document over the recording, one a line,\n"
    "            as the host's macro text writes them (Doc.SelectASistra LoopIdx:=0), and prints each\n"
    "            command's answer (1 handled, 0 not), then each parameter's summary and the fitted\n"
    "            relations as analyze prints them; `macro --help` lists every command with its arguments\n";

// What `macro --help` prints after the command list: the host's own statements and a macro that runs.
constexpr const char* MacroHostStatements =
    "The host's own statements stand for its setup pane, its loop view and the workflow mode dialog:\n"
    "  Host.Channels pressure:=1, volume:=2\n"
    "            the channels the document analyses (numbers or names from the recording's header); an\n"
    "            analysis made before is cleared, as its loops belong to the channels before\n"
    "  Host.ExcludeLoops loops:=\"2 3\"\n"
    "            the loops left out of the summaries and fits, counted from 1 (\"\" leaves none out)\n"
    "  Host.WorkflowMode on:=False\n"
    "            leaves (False) or enters (True) the workflow, as \"Workflow Mode...\" does; outside it each\n"
    "            calibration command applies by itself\n"
    "  Host.Select start:=0.2, end:=0.4\n"
    "            selects every channel from start to end (seconds from the recording's start), as a drag\n"
    "            across the trace view does: the ...FromSel commands take their values from it\n"
    "Lines starting with ' are comments. Dialogs the commands open are answered as a batch host does.\n"
    "A statement is refused (0, the reason on stderr, exit status 1) when the document cannot carry it out.\n";

// A macro that runs on any recording whose channels 1 and 2 are a pressure and a volume with beats.
constexpr const char* MacroExample =
    "' the loops of channel 1 (pressure) against channel 2 (volume)\n"
    "Host.Channels pressure:=1, volume:=2\n"
    "Doc.AnalyzeSistraNow\n"
    "Host.ExcludeLoops loops:=\"2 3\"\n"
    "Doc.SetESPVRegressionType RegressionType:=\"Quadratic\"\n"
    "Doc.ShowESPVRegression ShowESPVR:=True\n"
    "Doc.SelectASistra LoopIdx:=0\n"
    "' microlitres = 0.5 per raw volume unit without its prefix + 3, outside the workflow, then analysed again\n"
    "Host.WorkflowMode on:=False\n"
    "Doc.ApplySistraCuvetteCalibration slope:=0.5, intercept:=3\n"
    "Doc.AnalyzeSistraNow\n";

int RunMacro(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The host's statement that selects the recording's ticks from start up to end (exclusive), as a drag
// across the trace view does; a macro run selects the same ticks again.
std::wstring SelectStatement(const Recording& recording, TickPosition start, TickPosition end);
// The host's statement that leaves out exactly the loops given (counted from 0), as the loop view's check
// marks do.
std::wstring ExcludeLoopsStatement(const std::vector<uint32_t>& loops);

} // namespace Host
