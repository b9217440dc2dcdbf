// `sistra selftest`: the host's test runner over the self-tests the module added to the test registry.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace Host
{

constexpr const char* SelfTestUsage =
    "  selftest [--list] [TEXT]\n"
    "            load the module and run the self-tests it registered (those whose name holds TEXT),\n"
    "            one line per test: ok or FAILED with the failure text; --list prints the names only\n";

int RunSelfTest(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace Host
