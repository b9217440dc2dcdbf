// `sistra macro`: runs the automation commands of a macro file, one statement a line, on the module's
// document over a recording, and prints what each returned and then the analysis' summaries.
#pragma once

#include "host/app/recording/Recording.h"
#include "hostapi/HostDocument.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace Host
{

constexpr const char* MacroUsage =
    "  macro MACROFILE FILE [--settings FILE] [--no-workflow]\n"
    "            runs the macro's statements on the module's document over the recording, one a line,\n"
    "            as the host's macro text writes them (Doc.SelectASistra LoopIdx:=0), and prints each\n"
    "            command's answer (1 handled, 0 not), then each parameter's summary and the fitted\n"
    "            relations as analyze prints them; FILE may be a document that File > Save wrote (the macro\n"
    "            runs on its data, settings and analysis as saved); --settings starts the document on the\n"
    "            module's settings (channels, detector, calibrations) that analyze --save-settings wrote to\n"
    "            FILE; --no-workflow leaves the workflow first, as gui's does, so that the saline\n"
    "            and cuvette calibrations apply by themselves; `macro --help` lists every command with\n"
    "            its arguments, and the host's statements (the cuvette view's among them)\n";

// What `macro --help` prints after the command list: the host's own statements and a macro that runs.
constexpr const char* MacroHostStatements =
    "The host's own statements stand for its setup pane, its loop view, the workflow mode dialog and the\n"
    "cuvette calibration view:\n"
    "  Host.Channels pressure:=1, volume:=2, ecg:=3\n"
    "            the channels the document analyses (numbers or names from the recording's header), ecg:=\n"
    "            optional: end-diastole from that channel's R waves as analyze --ecg finds them (without\n"
    "            it, from the pressure's peaks); an analysis made before is cleared, as its loops belong\n"
    "            to the channels before\n"
    "  Host.ExcludeLoops loops:=\"2 3\"\n"
    "            the loops left out of the summaries and fits, counted from 1 (\"\" leaves none out)\n"
    "  Host.WorkflowMode on:=False\n"
    "            leaves (False) or enters (True) the workflow, as \"Workflow Mode...\" does; outside it each\n"
    "            calibration command applies by itself (in it, only in its step of the workflow chosen)\n"
    "  Host.Select start:=0.2, end:=0.4\n"
    "            selects every channel from start to end (seconds from the recording's start), as a drag\n"
    "            across the trace view does: the ...FromSel commands take their values from it\n"
    "  Host.CuvetteWells volumes:=\"30 52 90\"\n"
    "            opens the cuvette calibration view (on a display: sistra gives a macro file that uses it a\n"
    "            virtual one) and types the wells' known volumes (uL) into wells 1, 2, ... of its table,\n"
    "            then selects well 1: each Doc.AddSelToSistraCuvetteCalibration puts the mean of the volume\n"
    "            channel over the selection into that well's readings and moves on to the next well\n"
    "  Host.CuvetteApply\n"
    "            the cuvette view's Apply, outside the workflow: the line fitted through the wells (known\n"
    "            volume = slope x reading + intercept) calibrates the volume channel\n"
    "Lines starting with ' are comments. Dialogs the commands open are answered as a batch host does.\n"
    "A statement is refused (0, the reason on stderr, exit status 1) when the document cannot carry it out.\n"
    "A macro recorded in the frame begins with the statements that bring a new document to the frame's\n"
    "state when the recording began: its channels, its workflow mode, its analysis and the loops left out.\n";

// How the example below is run: outside the workflow, where its calibrations apply.
constexpr const char* MacroExampleCommand = "sistra macro example.txt RECORDING --no-workflow";

// A macro that runs on any recording whose channels 1 and 2 are a pressure and a volume with beats.
constexpr const char* MacroExample =
    "' the loops of channel 1 (pressure) against channel 2 (volume)\n"
    "Host.Channels pressure:=1, volume:=2\n"
    "Doc.AnalyzeSistraNow\n"
    "Host.ExcludeLoops loops:=\"2 3\"\n"
    "Doc.SetESPVRegressionType RegressionType:=\"Quadratic\"\n"
    "Doc.ShowESPVRegression ShowESPVR:=True\n"
    "Doc.SelectASistra LoopIdx:=0\n"
    "' outside the workflow each calibration applies by itself and analyses again: the cuvette's line in uL\n"
    "' per raw unit without its prefix (1e6 uL per litre leaves the volumes of a uL channel as they are)\n"
    "Doc.ApplySistraCuvetteCalibration slope:=1e6, intercept:=0\n"
    "' Vp 2.5 uL, in litres (the volume's unit without its prefix): every volume 2.5 uL lower\n"
    "Doc.ApplySistraSalineCalibration Vp:=2.5e-06\n";

// How the cuvette example below is run.
constexpr const char* MacroCuvetteExampleCommand = "sistra macro cuvette.txt RECORDING --no-workflow";

// The cuvette calibration from the wells a recording sampled: here 30, 52 and 90 uL, a second each on its
// volume channel from 32 s on.
constexpr const char* MacroCuvetteExample =
    "' the wells' known volumes, then each well's reading: the mean of channel 2 over its stretch\n"
    "Host.CuvetteWells volumes:=\"30 52 90\"\n"
    "Host.Select start:=32.2, end:=32.8\n"
    "Doc.AddSelToSistraCuvetteCalibration\n"
    "Host.Select start:=33.2, end:=33.8\n"
    "Doc.AddSelToSistraCuvetteCalibration\n"
    "Host.Select start:=34.2, end:=34.8\n"
    "Doc.AddSelToSistraCuvetteCalibration\n"
    "' the line through the wells calibrates the volume channel, and the loops are of calibrated volumes\n"
    "Host.CuvetteApply\n"
    "Doc.AnalyzeSistraNow\n";

int RunMacro(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The host's statement that selects the recording's ticks from start up to end (exclusive), as a drag
// across the trace view does; a macro run selects the same ticks again.
std::wstring SelectStatement(const Recording& recording, TickPosition start, TickPosition end);
// The host's statement that leaves out exactly the loops given (counted from 0), as the loop view's check
// marks do.
std::wstring ExcludeLoopsStatement(const std::vector<uint32_t>& loops);
// The host's statement that gives the document these channels (counted from 0), as the setup pane does.
std::wstring ChannelsStatement(int32_t pressure, int32_t volume, std::optional<int32_t> ecg);
// The host's statement that enters or leaves the workflow, as "Workflow Mode..." does.
std::wstring WorkflowModeStatement(bool on);
// The document's command that analyses as set up, as Sistra > Analyze does.
inline constexpr wchar_t AnalyzeStatement[] = L"Doc.AnalyzeSistraNow";

} // namespace Host
