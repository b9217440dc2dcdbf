// `sistra macro`: runs the automation commands of a macro file, one statement a line, on the module's
// document over a recording, and prints what each returned and then the analysis' summaries.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace Host
{

constexpr const char* MacroUsage =
    "  macro MACROFILE FILE\n"
    "            runs the macro's statements on the module's document over the recording, one a line,\n"
    "            as the host's macro text writes them (Doc.ApplySistraCuvetteCalibration slope:=0.5,\n"
    "            intercept:=3), and prints each command's answer (1 handled, 0 not), then each\n"
    "            parameter's summary and the fitted relations as analyze prints them. Lines starting\n"
    "            with ' are comments; the host's own statements stand for the setup pane and the loop\n"
    "            view: Host.Channels pressure:=CH, volume:=CH and Host.ExcludeLoops loops:=\"N N ...\"\n"
    "            (loops counted from 1). Dialogs the commands open are answered as a batch host does.\n";

int RunMacro(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace Host
