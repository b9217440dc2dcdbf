// The pressure-volume area and the parameter selectors run from the command line on a recording of
// trapezoid loops: pressure in channel 1, volume in channel 2, and in channel 3 a marker at the first
// sample of every beat.
#include "host/tests/module/CalcCommandRun.h"
#include "host/tests/RecordingFixtures.h"

#include "calc/tests/SyntheticLoops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace
{

constexpr double Interval = 0.005;
constexpr int BeatsPerRecord[] = {10, 6};
// The trapezoid's stroke work, and its area closed through the intersection (V 20, P 0) of straight
// relations: half of 10850 + 6650 − 2200 + 200.
constexpr double StrokeWork = 5350.0;
constexpr double Area = 7750.0;

const std::string Loops = "SistraAnalyzer(ch1, ch2, PVEcgEdpDet(cmpeakdet(ch3, 0.5, 0.05), -1, -1, -1, -1), 0, 0, "
                          "-1, -1, -1, -1, 0)";
const std::string Pva = "PvaCalc(" + Loops + ", ch1, ch2, 0, 0, 0, 20, 0, 0, 0, 0, 0)";

std::string TrapezoidLoopsText()
{
    std::ostringstream text;
    // Volumes in a unit without a prefix, which calculations read as written: the relations' volumes in
    // the texts above are in the same numbers.
    text << "Time (s),LV Pressure (mmHg),LV Volume (L),Beat marker (V)\n";
    for (int record = 0; record < 2; ++record)
    {
        if (record > 0)
            text << "\n";
        const CalcTesting::TrapezoidRecording loops(BeatsPerRecord[record]);
        for (std::size_t tick = 0; tick < loops.pressure.size(); ++tick)
        {
            const bool marker = std::find(loops.edpTicks.begin(), loops.edpTicks.end(), static_cast<int32_t>(tick)) !=
                                loops.edpTicks.end();
            text << static_cast<double>(tick) * Interval << ',' << loops.pressure[tick] << ',' << loops.volume[tick]
                 << ',' << (marker ? 1 : 0) << '\n';
        }
    }
    return text.str();
}

using HostTests::Calc;
using HostTests::Output;
using HostTests::Rows;

class PvaCommand : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { file = std::make_unique<HostTests::TemporaryFile>("trapezoid-loops.csv", TrapezoidLoopsText()); }
    static void TearDownTestSuite() { file.reset(); }
    static inline std::unique_ptr<HostTests::TemporaryFile> file;
};

} // namespace

TEST_F(PvaCommand, OneLineOfAreaEnergyWorkAndEfficiencyPerLoop)
{
    const Output result = Calc(file->Path(), Pva);
    ASSERT_EQ(Host::ExitOk, result.status) << result.err;
    std::string header;
    const auto rows = Rows(result.out, &header);
    EXPECT_EQ("record\ttick\tfraction\tvalue (mmHg)\tPVA (mmHg*L)\tPE (mmHg*L)\tSW (mmHg*L)\tCE", header);
    // Every whole beat is a loop; the closing records give no area.
    ASSERT_EQ(static_cast<std::size_t>(BeatsPerRecord[0] + BeatsPerRecord[1]), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        ASSERT_EQ(8u, rows[i].size());
        EXPECT_EQ(i < 10 ? "0" : "1", rows[i][0]);
        EXPECT_EQ(std::to_string(7 + 40 * (i < 10 ? i : i - 10)), rows[i][1]);
        EXPECT_NEAR(Area, std::stod(rows[i][4]), 1e-3);
        EXPECT_NEAR(Area - StrokeWork, std::stod(rows[i][5]), 1e-3);
        EXPECT_NEAR(StrokeWork, std::stod(rows[i][6]), 1e-3);
        EXPECT_NEAR(StrokeWork / Area, std::stod(rows[i][7]), 1e-8);
    }
}

TEST_F(PvaCommand, SelectorsTurnRecordsIntoOneValuePerRecord)
{
    // Stroke work of each loop, NaN for each closing record; pressures in kPa-like units (× 0.5),
    // volumes in mL (× 0.001): SW carries both.
    const Output sw = Calc(file->Path(), "SistraParamSelector(" + Loops + ", 1, 0.5, 0.001)");
    ASSERT_EQ(Host::ExitOk, sw.status) << sw.err;
    const auto loops = Rows(sw.out);
    ASSERT_EQ(static_cast<std::size_t>(BeatsPerRecord[0] + BeatsPerRecord[1] + 2), loops.size());
    EXPECT_NEAR(StrokeWork * 0.5 * 0.001, std::stod(loops[0][3]), 1e-9);
    EXPECT_EQ("nan", loops[BeatsPerRecord[0]][3]);

    const Output ce = Calc(file->Path(), "SistraPVAParamSelector(" + Pva + ", 28, 0.5, 0.001)");
    ASSERT_EQ(Host::ExitOk, ce.status) << ce.err;
    const auto efficiencies = Rows(ce.out);
    ASSERT_EQ(static_cast<std::size_t>(BeatsPerRecord[0] + BeatsPerRecord[1]), efficiencies.size());
    for (const auto& row : efficiencies)
        EXPECT_NEAR(StrokeWork / Area, std::stod(row[3]), 1e-9);
}

TEST_F(PvaCommand, FallbackTextWithoutRelationsGivesNoArea)
{
    // As the analysis composes it when a fit is missing: the -1 and the first 0 stand for the channels.
    const Output result = Calc(file->Path(), "PVACalc(" + Loops + ", -1 , 0, 0, 0, 0, 0, 0, 0)");
    ASSERT_EQ(Host::ExitOk, result.status) << result.err;
    EXPECT_TRUE(Rows(result.out).empty());
}

TEST_F(PvaCommand, OnlineChunksGiveTheOfflineOutputForEveryNewFunction)
{
    for (const std::string& expression :
         {Pva, "PvaCalc(" + Loops + ", ch1, ch2, 1, 1, 0, 0, 0, 0, 0.03, 0.5, 0.1)",
          "SistraParamSelector(" + Loops + ", 16, 0.5, 0.001)", "SistraPVAParamSelector(" + Pva + ", 26)"})
    {
        const Output offline = Calc(file->Path(), expression);
        ASSERT_EQ(Host::ExitOk, offline.status) << expression << "\n" << offline.err;
        for (const char* chunk : {"97", "13"})
        {
            const Output online = Calc(file->Path(), expression, {"--chunk", chunk});
            EXPECT_EQ(offline.out, online.out) << expression << " in chunks of " << chunk;
        }
    }
}
