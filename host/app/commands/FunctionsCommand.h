// `sistra functions`: the module's calculation functions as it describes them to the host.
#pragma once

#include "host/app/calc/ModuleCalcFunctions.h"

#include <ostream>
#include <string>
#include <vector>

namespace Host
{

constexpr const char* FunctionsUsage = "  functions list the module's calculation functions: aliases, result, and each\n"
                                       "            argument's position, name, kind and range\n";

// The count, then a block per function after a blank line: its name, aliases and description, what it
// yields, then a line per argument.
void PrintFunctions(const Calc::ModuleFunctionTable& functions, std::ostream& out);

int RunFunctions(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace Host
