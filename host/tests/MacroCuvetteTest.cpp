// The cuvette calibration in a batch: `macro --help`'s cuvette example types the wells' known volumes into
// the cuvette view, fills their readings from stretches of the volume channel and applies the fitted line;
// each way it cannot go is refused, saying what to do.
#include "host/app/commands/CommandLine.h"
#include "host/app/commands/ExitCodes.h"
#include "host/app/commands/MacroCommand.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{

struct Output
{
    int status;
    std::string out, err;
};

Output RunSistra(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = Host::RunCommandLine(args, out, err);
    return {status, out.str(), err.str()};
}

// The wells the recording samples after its 40 beats (32 s), a second each: known volume (uL) and the
// volume channel's value there.
struct Well
{
    double knownVolume;
    double recorded;
};
constexpr Well Wells[] = {{30, 20}, {52, 40}, {90, 80}};
// The least-squares line of known volume on recorded value, worked by hand: mean recorded 140/3, mean
// known 172/3, Sxy = 5560/3, Sxx = 5600/3, so slope 139/140 and intercept 172/3 - 139/140 * 140/3 = 11.
constexpr double Slope = 139.0 / 140.0, Intercept = 11.0;

std::string WellsRecord()
{
    std::ostringstream text;
    for (size_t well = 0; well < std::size(Wells); ++well)
        for (int tick = 0; tick < 1000; ++tick)
            text << (static_cast<double>(well * 1000 + tick) * 0.001) << ",0," << Wells[well].recorded << ",0\n";
    return text.str();
}

// A reading taken from each well whose stretch starts at those seconds: its middle 0.6 s selected.
std::string Fills(std::initializer_list<double> starts)
{
    std::ostringstream text;
    for (const double start : starts)
        text << "Host.Select start:=" << start << ", end:=" << start + 0.6 << "\nDoc.AddSelToSistraCuvetteCalibration\n";
    return text.str();
}

// Parameter -> the mean of its loops, from the summaries a run prints after its answers (or analyze's).
std::map<std::string, double> Means(const std::string& out)
{
    std::istringstream lines(out.substr(out.find("parameter\t")));
    std::map<std::string, double> means;
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && !line.empty())
    {
        std::istringstream cells(line);
        std::string name, unit, count, mean;
        std::getline(cells, name, '\t');
        std::getline(cells, unit, '\t');
        std::getline(cells, count, '\t');
        std::getline(cells, mean, '\t');
        means[name] = std::stod(mean);
    }
    return means;
}

class MacroCuvette : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        file = std::make_unique<HostTests::TemporaryFile>("macro-cuvette-wells.csv",
                                                          HostTests::OcclusionText(40) + "\n" + WellsRecord());
        const Output help = RunSistra({"macro", "--help"});
        const std::string opening = std::string(Host::MacroCuvetteExampleCommand) + "):\n";
        const size_t at = help.out.find(opening);
        ASSERT_NE(std::string::npos, at) << help.out;
        example = help.out.substr(at + opening.size());
    }
    static void TearDownTestSuite() { file.reset(); }

    static Output RunMacro(const std::string& text, std::vector<std::string> options)
    {
        const HostTests::TemporaryFile macro("macro-cuvette.txt", text);
        options.insert(options.begin(), {"macro", macro.Path(), file->Path()});
        return RunSistra(options);
    }

    static inline std::unique_ptr<HostTests::TemporaryFile> file;
    static inline std::string example;
};

// The help's example runs as it says: every volume comes out on the line fitted through the wells, the
// pressures as they were.
TEST_F(MacroCuvette, TheHelpsExampleCalibratesTheVolumesByTheLineThroughTheWells)
{
    const Output plain = RunSistra({"analyze", file->Path()});
    ASSERT_EQ(Host::ExitOk, plain.status) << plain.err;
    const Output ran = RunMacro(example, {"--no-workflow"});
    ASSERT_EQ(Host::ExitOk, ran.status) << ran.err << ran.out;
    EXPECT_NE(std::string::npos,
              ran.out.find("Host.CuvetteWells: 1\nHost.Select: 1\nAddSelToSistraCuvetteCalibration: 1\n"))
        << ran.out;
    // r squared, Sxy^2 / (Sxx Syy) with Syy = 5528/3: 0.998605, as the view writes it to four figures.
    EXPECT_NE(std::string::npos, ran.out.find("Host.CuvetteApply: 1\nHost.CuvetteApply: applied Known volume = "
                                              "0.9929 \u00D7 Conductance + 11, r\u00B2 = 0.9986\n"))
        << ran.out;
    const std::map<std::string, double> before = Means(plain.out), after = Means(ran.out);
    for (const char* volume : {"Ved", "Ves", "Vmax", "Vmin"})
        EXPECT_NEAR(Slope * before.at(volume) + Intercept, after.at(volume), 1e-4 * after.at(volume)) << volume;
    EXPECT_NEAR(Slope * before.at("SV"), after.at("SV"), 1e-4 * after.at("SV"));
    for (const char* pressure : {"Ped", "Pes", "Pmax"})
        EXPECT_EQ(before.at(pressure), after.at(pressure)) << pressure;
}

// What cannot be carried out is refused with what to do instead, and the run ends as a failure.
TEST_F(MacroCuvette, WhatTheViewCannotDoIsRefusedSayingWhy)
{
    const std::string wells = "Host.CuvetteWells volumes:=\"30 52 90\"\n";
    const std::string fill = "Host.Select start:=32.2, end:=32.8\nDoc.AddSelToSistraCuvetteCalibration\n";
    // A reading for each well, then the line applied and the loops analysed on what it left.
    const std::string fillAndApply = Fills({32.2, 33.2, 34.2}) + "Host.CuvetteApply\nDoc.AnalyzeSistraNow\n";
    const struct
    {
        std::string macro;
        bool inWorkflow;
        const char* said;
    } cases[] = {
        {example, true, "Host.CuvetteApply was refused: the cuvette view applies its line only outside the workflow"},
        {fill + "Doc.AnalyzeSistraNow\n", false, "the cuvette calibration view is not open"},
        {fill + "Doc.AnalyzeSistraNow\n", false, "Host.CuvetteWells opens the cuvette view"},
        {wells + "Doc.AddSelToSistraCuvetteCalibration\nDoc.AnalyzeSistraNow\n", false,
         "There must first be a selection in channel 2"},
        {wells + fill + "Host.CuvetteApply\nDoc.AnalyzeSistraNow\n", false, "the cuvette table holds no line to apply"},
        {"Host.CuvetteWells volumes:=\"30 5x\"\n", false, "volumes:= takes the wells' known volumes as numbers"},
        {"Host.CuvetteWells volumes:=\"\"\n", false, "volumes:= names no well"},
        {"Host.CuvetteWells volumes:=\"30 -52 90\"\n", false, "volumes:= takes volumes above zero: a well holds no -52 uL"},
        {"Host.CuvetteWells volumes:=\"30 0 90\"\n", false, "volumes:= takes volumes above zero"},
        // Applied, they said "applied Known volume = -1.6e+299 x Conductance + 1.4e+301, r2 = nan" and
        // changed nothing; a line falling from well to well turned every loop over.
        {"Host.CuvetteWells volumes:=\"1e300 52 90\"\n" + fillAndApply, false,
         "Host.CuvetteApply was refused: The slope must be between"},
        {"Host.CuvetteWells volumes:=\"90 52 30\"\n" + fillAndApply, false,
         "Host.CuvetteApply was refused: The calibration line falls"},
    };
    const std::string plain = RunSistra({"analyze", file->Path()}).out;
    for (const auto& refused : cases)
    {
        const Output ran = RunMacro(refused.macro, refused.inWorkflow ? std::vector<std::string>{}
                                                                      : std::vector<std::string>{"--no-workflow"});
        EXPECT_EQ(Host::ExitFailure, ran.status) << refused.macro;
        EXPECT_NE(std::string::npos, ran.err.find(refused.said)) << ran.err;
        // Whatever was refused changed no volume: the summaries after the answers are analyze's.
        if (ran.out.find("parameter\t") != std::string::npos)
        {
            EXPECT_EQ(plain, ran.out.substr(ran.out.find("\n\n") + 2)) << refused.macro;
        }
    }
}

// More fills than wells go on to the wells' second readings, and the line is fitted through all of them:
// the fourth and fifth fill answered 1 and wrote over wells 1 and 2's first readings, and with every reading
// then alike there was no line to apply.
TEST_F(MacroCuvette, FillsPastTheLastWellTakeTheWellsNextReadings)
{
    const Output ran = RunMacro("Host.CuvetteWells volumes:=\"30 52 90\"\n" + Fills({32.2, 33.2, 34.2, 34.2, 34.2}) +
                                    "Host.CuvetteApply\nDoc.AnalyzeSistraNow\n",
                                {"--no-workflow"});
    ASSERT_EQ(Host::ExitOk, ran.status) << ran.err;
    // Readings 20 and 80 for 30 uL, 40 and 80 for 52 uL, 80 for 90 uL, by hand: mean reading 60, mean volume
    // 50.8, Sxx 3200, Sxy 1200, Syy 2404.8; slope 0.375, intercept 28.3, r squared 0.18713.
    EXPECT_NE(std::string::npos, ran.out.find("Host.CuvetteApply: applied Known volume = 0.375 \u00D7 Conductance + "
                                              "28.3, r\u00B2 = 0.1871\n"))
        << ran.out;
}

} // namespace
