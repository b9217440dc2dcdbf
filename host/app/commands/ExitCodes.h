// Exit codes of the command line, which every subcommand answers with.
#pragma once

namespace Host
{

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

} // namespace Host
