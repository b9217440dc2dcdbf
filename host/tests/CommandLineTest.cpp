#include "host/app/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

struct CommandResult
{
    int status;
    std::string out;
    std::string err;
};

CommandResult RunCommand(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = Host::RunCommandLine(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(CommandLine, HelpPrintsUsageAndSucceeds)
{
    const CommandResult result = RunCommand({"--help"});
    EXPECT_EQ(Host::ExitOk, result.status);
    EXPECT_EQ(0u, result.out.find("usage: sistra"));
}

TEST(CommandLine, UnknownCommandOrNoneIsAUsageError)
{
    for (const auto& args : {std::vector<std::string>{"frobnicate"}, std::vector<std::string>{}})
    {
        const CommandResult result = RunCommand(args);
        EXPECT_EQ(Host::ExitUsage, result.status);
        EXPECT_NE(std::string::npos, result.err.find("usage: sistra"));
        EXPECT_TRUE(result.out.empty());
    }
}

TEST(CommandLine, InfoPrintsTheRegistrationResult)
{
    const CommandResult result = RunCommand({"info"});
    EXPECT_EQ(Host::ExitOk, result.status) << result.err;
    EXPECT_NE(std::string::npos, result.out.find("DllRegisterClassObjects: 0x00000000"));
}

TEST(CommandLine, InfoListsTheRegistrationsInOrder)
{
    const CommandResult result = RunCommand({"info"});
    EXPECT_NE(std::string::npos, result.out.find("registrations: 5\n"));
    size_t position = 0;
    for (int test = 1; test <= 5; ++test)
    {
        const std::string line =
            "  " + std::to_string(test) + ". self-test \"test " + std::to_string(test) + "\" type id 0x00000000: 0x00000000\n";
        const size_t found = result.out.find(line, position);
        ASSERT_NE(std::string::npos, found) << line << result.out;
        position = found;
    }
}

} // namespace
