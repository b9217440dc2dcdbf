// The host's command line: subcommands that load recordings and drive the module in batch mode.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace Host
{

// Exit codes of the command line.
constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// Runs one command (arguments without the program name); text for the user goes to out, errors to err.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace Host
