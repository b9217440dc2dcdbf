#include "host/app/commands/CommandLine.h"
#include "host/app/files/TextConversion.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
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

// Output that refuses every write, as a full disk or a closed pipe does.
class RefusingDevice : public std::streambuf
{
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST(CommandLine, AFailedWriteOfTheOutputIsAnErrorWithAMessage)
{
    const HostTests::TemporaryFile file("refused-output.csv", "Time (s),A\n0,1\n0.5,2\n");
    for (const char* option : {"--samples", "--summary"})
    {
        RefusingDevice device;
        std::ostream out(&device);
        std::ostringstream err;
        const int status = Host::RunCommandLine({"calc", option, "--expr", "ch1", file.Path()}, out, err);
        EXPECT_EQ(Host::ExitFailure, status) << option;
        EXPECT_NE(std::string::npos, err.str().find("sistra calc: cannot write the output")) << option << ": " << err.str();
    }
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
    EXPECT_NE(std::string::npos, result.out.find("registrations: "));
    // The self-tests come last, in their order.
    size_t position = 0;
    for (int test = 1; test <= 5; ++test)
    {
        const std::string line = ". self-test \"test " + std::to_string(test) + "\" type id 0x00000000: 0x00000000\n";
        const size_t found = result.out.find(line, position);
        ASSERT_NE(std::string::npos, found) << line << result.out;
        position = found;
    }
}

TEST(CommandLine, InfoListsTheNineViewClassesAfterTheDocumentClassInTheirOrder)
{
    const CommandResult result = RunCommand({"info"});
    const char* const views[] = {"Sistra Document", "Sistra Hemodynamics TableView", "Loop View",
                                 "Sistra PRSW GraphView", "Sistra dP/dt Max versus EDV GraphView",
                                 "Sistra Saline Calibration GraphView", "Sistra PVA EDV View", "Sistra PVA ESP View",
                                 "Sistra Cuvette Calibration View", "Sistra Workflow"};
    size_t position = 0;
    for (const char* name : views)
    {
        const size_t found = result.out.find(std::string(". class object \"") + name + "\"", position);
        ASSERT_NE(std::string::npos, found) << name << "\n" << result.out;
        position = found;
    }
}

// Every line of the log names the kind, the name, the type id and the answer; the numbering and the count
// agree, and the class objects come before the self-tests.
TEST(CommandLine, InfoPrintsEveryRegistrationWithKindNameTypeIdAndResult)
{
    const CommandResult result = RunCommand({"info"});
    std::smatch count;
    ASSERT_TRUE(std::regex_search(result.out, count, std::regex("registrations: (\\d+)\n"))) << result.out;
    const std::regex line("  (\\d+)\\. (class object|message class|self-test) \"([^\"]+)\" type id 0x([0-9A-F]{8}): "
                          "0x([0-9A-F]{8})\n");
    int number = 0;
    int classObjects = 0;
    int selfTests = 0;
    for (auto match = std::sregex_iterator(result.out.begin(), result.out.end(), line); match != std::sregex_iterator();
         ++match)
    {
        const std::smatch& fields = *match;
        EXPECT_EQ(++number, std::stoi(fields[1])) << fields[0];
        EXPECT_EQ("00000000", fields[5].str()) << fields[0];
        if (fields[2] == "class object")
        {
            EXPECT_EQ(0, selfTests) << "class object after a self-test: " << fields[0];
            EXPECT_NE(0ul, std::stoul(fields[4], nullptr, 16) >> 16) << "type id without a code: " << fields[0];
            ++classObjects;
        }
        else if (fields[2] == "self-test")
            ++selfTests;
    }
    EXPECT_EQ(std::stoi(count[1]), number);
    EXPECT_GT(classObjects, 0);
    EXPECT_EQ(5, selfTests);
}

TEST(CommandLine, FunctionsListsEachModuleFunctionWithItsArguments)
{
    const CommandResult result = RunCommand({"functions"});
    ASSERT_EQ(Host::ExitOk, result.status) << result.err;
    EXPECT_EQ(0u, result.out.find("functions: 8\n"));
    const char* blocks[] = {
        "PVEdpDet (alias PVEdpDetector): Returns the end-diastolic event in a signal.\n"
        "  yields an event source\n"
        "  1. Tick Source: a channel\n"
        "  2. EDP Event Source: an event source\n"
        "  3. Minimum Peak Height: a number, at least 2.220446049250313e-16 (may be left out)\n"
        "  4. LimitStart Record: a number, at least -1 (may be left out)\n",
        "PSineFit (alias PSinFit): Returns beat to beat sine fit to the pressure signal.\n"
        "  yields a channel\n"
        "  1. Tick Source: a channel\n"
        "  2. EDP Event Source: an event source\n"
        "  3. Output type: a number, at least 0 and at most 6 (may be left out)\n",
        "\n  2. Calc Index: a number, at least 0 and at most 2147483647 (may be left out)\n"
        "  3. Pressure Prefix Factor: a number, any value (may be left out)\n",
        "SistraAnalyzer: Analyze Sistras returning an event containing all required hemodynamic parameters.\n",
        "  12. EDPVR function term 2: a number, any value (may be left out)\n"
        "  the intersection and the terms are in the units the calculation reads its channels in",
    };
    for (const char* block : blocks)
        EXPECT_NE(std::string::npos, result.out.find(block)) << block << "\n---\n" << result.out;
    EXPECT_EQ(Host::ExitUsage, RunCommand({"functions", "extra"}).status);
}

size_t LineCount(const std::string& text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(CommandLine, SelfTestListsAndRunsTheRegisteredTests)
{
    const CommandResult listed = RunCommand({"selftest", "--list"});
    EXPECT_EQ(Host::ExitOk, listed.status) << listed.err;
    EXPECT_EQ(35, std::count(listed.out.begin(), listed.out.end(), '\n'));
    EXPECT_EQ(0u, listed.out.find("Sistra_TestEdpDetector::EventEnumBounceTest\n"));

    const CommandResult run = RunCommand({"selftest", "Sistra_TestSelector::EventEnumTestFind"});
    EXPECT_EQ(Host::ExitOk, run.status) << run.out << run.err;
    EXPECT_EQ("ok     Sistra_TestSelector::EventEnumTestFind\nself-tests: 1 passed, 0 failed\n", run.out);

    EXPECT_EQ(Host::ExitFailure, RunCommand({"selftest", "NoSuchTest"}).status);
    EXPECT_EQ(Host::ExitUsage, RunCommand({"selftest", "--verbose"}).status);
}

TEST(CalcCommand, PrintsOneEventPerBeatAndTheSameListInChunks)
{
    // Two records: 9 beats of 0.8 s, then 12 beats of 0.5 s.
    const HostTests::TemporaryFile file(
        "calc-command-beats.csv",
        HostTests::PressureRecordingText({{HostTests::PressureWave{0.8}, 7200}, {HostTests::PressureWave{0.5}, 6000}}));
    const CommandResult offline = RunCommand({"calc", "--expr", "cmpeakdet(ch1, 20, 0.05)", file.Path()});
    ASSERT_EQ(Host::ExitOk, offline.status) << offline.err;
    EXPECT_EQ(0u, offline.out.find("record\ttick\tfraction\tvalue (mmHg)\n0\t160\t0\t118\n0\t960\t0\t118\n"));
    EXPECT_EQ(1u + 9u + 12u, LineCount(offline.out));
    EXPECT_NE(std::string::npos, offline.out.find("\n1\t100\t0\t118\n"));

    const CommandResult chunked = RunCommand({"calc", "--chunk", "997", "--expr", "cmpeakdet(ch1, 20, 0.05)", file.Path()});
    ASSERT_EQ(Host::ExitOk, chunked.status) << chunked.err;
    EXPECT_EQ(offline.out, chunked.out);
}

TEST(CalcCommand, PrintsPerRecordStatisticsOrEverySample)
{
    const HostTests::TemporaryFile file("calc-command-small.csv", "Time (s),A (V)\n0,1\n1,3\n\n0,5\n1,6\n2,7.5\n");
    const CommandResult statistics = RunCommand({"calc", "--expr", "ch1 * 2", file.Path()});
    ASSERT_EQ(Host::ExitOk, statistics.status) << statistics.err;
    EXPECT_EQ("record\tcount\tmin (V)\tmax (V)\tmean (V)\n0\t2\t2\t6\t4\n1\t3\t10\t15\t12.333333333333334\n", statistics.out);

    const CommandResult samples = RunCommand({"calc", "--samples", "--expr", "shift(ch1, -1)", file.Path(), "--chunk", "1"});
    ASSERT_EQ(Host::ExitOk, samples.status) << samples.err;
    EXPECT_EQ("record\ttick\tvalue (V)\n0\t0\t3\n0\t1\t3\n1\t0\t6\n1\t1\t7.5\n1\t2\t7.5\n", samples.out);
}

TEST(CalcCommand, BadArgumentsPrintUsage)
{
    const std::vector<std::vector<std::string>> bad = {
        {"calc"},
        {"calc", "file.csv"},
        {"calc", "--expr", "ch1"},
        {"calc", "--expr", "ch1", "a.csv", "b.csv"},
        {"calc", "--expr", "ch1", "a.csv", "--chunk", "0"},
        {"calc", "--expr", "ch1", "a.csv", "--chunk", "12x"},
        {"calc", "--expr", "ch1", "a.csv", "--fast"},
        {"calc", "a.csv", "--expr"},
        {"calc", "a.csv", "--expr-file"},
        {"calc", "--expr", "ch1", "--expr-file", "e.txt", "a.csv"},
    };
    for (const auto& args : bad)
    {
        const CommandResult result = RunCommand(args);
        EXPECT_EQ(Host::ExitUsage, result.status) << args.size();
        EXPECT_NE(std::string::npos, result.err.find("calc --expr TEXT FILE")) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

TEST(CalcCommand, BadFilesAndTextGiveClearMessages)
{
    const HostTests::TemporaryFile file("calc-command-bad.csv", "Time (s),A\n0,1\n0.5,oops\n");
    const CommandResult badFile = RunCommand({"calc", "--expr", "ch1", file.Path()});
    EXPECT_EQ(Host::ExitFailure, badFile.status);
    EXPECT_NE(std::string::npos, badFile.err.find(file.Path() + ":3:5: 'oops' is not a number")) << badFile.err;

    const HostTests::TemporaryFile good("calc-command-good.csv", "Time (s),A\n0,1\n0.5,2\n");
    const CommandResult badText = RunCommand({"calc", "--expr", "ch1 + sqr(ch1)", good.Path()});
    EXPECT_EQ(Host::ExitFailure, badText.status);
    EXPECT_EQ("sistra calc: error in the expression at position 7: unknown name 'sqr'\n"
              "  ch1 + sqr(ch1)\n"
              "        ^\n",
              badText.err);
    EXPECT_TRUE(badText.out.empty());
}

TEST(CalcCommand, ExpressionsTooLongForACommandLineComeFromAFile)
{
    const HostTests::TemporaryFile recording("calc-command-long.csv", "Time (s),A (V)\n0,1\n1,3\n");
    std::string sum = "\xEF\xBB\xBF" "ch1";
    for (int term = 0; term < 2300; ++term)
        sum += "\n + 2 - 1";
    const HostTests::TemporaryFile expression("calc-command-long.txt", sum);
    const CommandResult fromFile = RunCommand({"calc", "--expr-file", expression.Path(), recording.Path()});
    ASSERT_EQ(Host::ExitOk, fromFile.status) << fromFile.err;
    EXPECT_EQ(RunCommand({"calc", "--expr", "ch1 + 2300", recording.Path()}).out, fromFile.out);

    const HostTests::TemporaryFile bad("calc-command-bad.txt", "ch1 +\n  sqr(ch1)\n");
    const CommandResult badText = RunCommand({"calc", "--expr-file", bad.Path(), recording.Path()});
    EXPECT_EQ(Host::ExitFailure, badText.status);
    EXPECT_EQ("sistra calc: error in the expression at position 9 (line 2, column 3): unknown name 'sqr'\n"
              "    sqr(ch1)\n"
              "    ^\n",
              badText.err);

    const CommandResult missing = RunCommand({"calc", "--expr-file", expression.Path() + ".gone", recording.Path()});
    EXPECT_EQ(Host::ExitFailure, missing.status);
    EXPECT_NE(std::string::npos, missing.err.find("cannot read the expression file")) << missing.err;

    // A name beyond ASCII: UTF-8 on the command line, found by its wide form.
    const std::filesystem::path named = std::filesystem::temp_directory_path() / std::filesystem::path(L"ausdr\u00FCck \u5F0F.txt");
    std::ofstream(named, std::ios::binary) << "ch1 + 2300";
    const CommandResult beyondAscii = RunCommand({"calc", "--expr-file", Host::ToUtf8(named.wstring()), recording.Path()});
    std::filesystem::remove(named);
    EXPECT_EQ(Host::ExitOk, beyondAscii.status) << beyondAscii.err;
    EXPECT_EQ(fromFile.out, beyondAscii.out);
}

TEST(CalcCommand, ErrorsInALongLineShowTheStretchAroundThePosition)
{
    const HostTests::TemporaryFile recording("calc-command-stretch.csv", "Time (s),A (V)\n0,1\n1,3\n");
    std::string text;
    for (int term = 0; term < 20; ++term)
        text += "ch1 + ";
    text += "sqr(ch1)";
    for (int term = 0; term < 20; ++term)
        text += " + ch1";
    const CommandResult result = RunCommand({"calc", "--expr", text, recording.Path()});
    EXPECT_EQ("sistra calc: error in the expression at position 121: unknown name 'sqr'\n"
              "  ...1 + ch1 + ch1 + ch1 + ch1 + ch1 + ch1 + sqr(ch1) + ch1 + ch1 + ch1 + c...\n"
              "  " + std::string(43, ' ') + "^\n",
              result.err);
}

TEST(CalcCommand, AnAnalysisThatFindsNothingSaysSoOnStderr)
{
    const HostTests::TemporaryFile file("calc-command-flat.csv", "Time (s),A (V)\n0,1\n1,1\n2,1\n\n0,1\n1,1\n");
    const CommandResult result = RunCommand({"calc", "--expr", "cmpeakdet(ch1, 5, 0.5)", file.Path()});
    EXPECT_EQ(Host::ExitOk, result.status);
    EXPECT_EQ("record\ttick\tfraction\tvalue (V)\n", result.out);
    EXPECT_EQ("sistra calc: no events found in 2 records\n", result.err);
}

} // namespace
