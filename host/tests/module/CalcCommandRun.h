// Running `sistra calc` in the test process and reading its tab-separated output.
#pragma once

#include "host/app/commands/CommandLine.h"

#include <sstream>
#include <string>
#include <vector>

namespace HostTests
{

struct Output
{
    int status;
    std::string out;
    std::string err;
};

inline Output Calc(const std::string& path, const std::string& expression, std::vector<std::string> options = {})
{
    std::vector<std::string> args{"calc", "--expr", expression, path};
    args.insert(args.end(), options.begin(), options.end());
    std::ostringstream out, err;
    const int status = Host::RunCommandLine(args, out, err);
    return {status, out.str(), err.str()};
}

// The cells of every line after the header (handed out through header when asked for).
inline std::vector<std::vector<std::string>> Rows(const std::string& text, std::string* header = nullptr)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    if (header)
        *header = line;
    while (std::getline(in, line))
    {
        std::vector<std::string> cells;
        std::istringstream cellsIn(line);
        for (std::string cell; std::getline(cellsIn, cell, '\t');)
            cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

} // namespace HostTests
