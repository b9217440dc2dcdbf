// The host's command line: subcommands that load recordings and drive the module in batch mode.
#pragma once

#include "host/app/commands/ExitCodes.h"

#include <ostream>
#include <string>
#include <vector>

namespace Host
{

// Runs one command (arguments without the program name); text for the user goes to out, errors to err.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace Host
