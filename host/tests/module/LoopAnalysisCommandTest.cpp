// The loop analysis run from the command line on recordings of a steady ventricle: pressure in channel 1,
// volume in channel 2, ECG in channel 3.
#include "host/tests/module/CalcCommandRun.h"
#include "host/app/recording/RecordingText.h"
#include "host/tests/RecordingFixtures.h"

#include "calc/tests/SyntheticLoops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace
{

constexpr const char* PressureRoute =
    "SistraAnalyzer(ch1, ch2, PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20), 0, 1, -1, -1, -1, -1, 0)";
constexpr const char* EcgRoute = "SistraAnalyzer(ch1, ch2, PVEcgEdpDet(cmpeakdet(shift(ch3, -0.01), 0.0005, 0.05), -1, "
                                 "-1, -1, -1), 0, 1, -1, -1, -1, -1, 0)";

// Rows of the beat's pressure, volume and ECG at 1 kHz, from startSeconds into the first beat on.
void PutBeats(std::ostream& text, const CalcTesting::RealisticBeat& beat, int ticks, double startSeconds = 0.0)
{
    for (int tick = 0; tick < ticks; ++tick)
    {
        const double t = tick * 0.001;
        const double at = t + startSeconds;
        text << t << ',' << beat.Pressure(at) << ',' << beat.Volume(at) << ',' << beat.Ecg(at) << '\n';
    }
}

// Two records of whole beats sampled at 1 kHz: 10 beats of 0.8 s, then 8 beats of 0.6 s. Calculations read
// the channels without their units' prefixes: the ECG's R waves of 1 mV are 0.001 V high.
std::string SteadyVentricleText()
{
    std::ostringstream text;
    text << "Time (s),LV Pressure (mmHg),LV Volume (uL),ECG (mV)\n";
    constexpr double interval = 0.001;
    bool first = true;
    for (const auto& [beat, beats] : {std::pair{CalcTesting::RealisticBeat{0.8}, 10}, std::pair{CalcTesting::RealisticBeat{0.6}, 8}})
    {
        if (!first)
            text << "\n";
        first = false;
        PutBeats(text, beat, static_cast<int>(beat.beatSeconds * beats / interval + 0.5));
    }
    return text.str();
}

using HostTests::Calc;
using HostTests::Output;
using HostTests::Rows;

class LoopAnalysisCommand : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { file = std::make_unique<HostTests::TemporaryFile>("steady-ventricle.csv", SteadyVentricleText()); }
    static void TearDownTestSuite() { file.reset(); }
    static inline std::unique_ptr<HostTests::TemporaryFile> file;
};

} // namespace

// Limits that start and end inside records, every Tau model, both stroke-volume and end-systolic modes: the
// online feed must stop and resume at any sample, so chunks of a few samples, of a prime size and of more
// than a record all give the offline output.
TEST_F(LoopAnalysisCommand, LimitedAnalysesGiveTheOfflineOutputInChunksOfAnySize)
{
    const std::string limits = "0, 1000, 1, 3000";
    const std::string pressureEdp = "PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20, " + limits + ")";
    const std::string ecgEdp = "PVEcgEdpDet(cmpeakdet(shift(ch3, -0.01), 0.0005, 0.05), " + limits + ")";
    for (const std::string& expression :
         {"SistraAnalyzer(ch1, ch2, " + pressureEdp + ", 2, 0, " + limits + ", 1)",
          "SistraAnalyzer(ch1, ch2, " + ecgEdp + ", 1, 0, " + limits + ", 0)",
          "SistraAnalyzer(ch1, ch2, " + pressureEdp + ", 0, 1, " + limits + ", 0)", "PVMaxDet(" + pressureEdp + ")"})
    {
        const Output offline = Calc(file->Path(), expression);
        ASSERT_EQ(Host::ExitOk, offline.status) << expression << "\n" << offline.err;
        const auto rows = Rows(offline.out);
        ASSERT_FALSE(rows.empty()) << expression;
        for (const auto& row : rows)
        {
            const int tick = std::stoi(row[1]);
            EXPECT_TRUE(row[0] == "0" ? tick >= 1000 : tick < 3000) << expression << ": " << row[0] << " " << tick;
        }
        for (const char* chunk : {"7", "61", "12000"})
        {
            const Output online = Calc(file->Path(), expression, {"--chunk", chunk});
            EXPECT_EQ(offline.out, online.out) << expression << " in chunks of " << chunk;
        }
    }
}

TEST_F(LoopAnalysisCommand, EndDiastolicPointsPrintTheirSecondPosition)
{
    const Output pressure = Calc(file->Path(), "PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20)");
    ASSERT_EQ(Host::ExitOk, pressure.status) << pressure.err;
    EXPECT_EQ(0u, pressure.out.find("record\ttick\tfraction\tvalue (mmHg)\tsecond tick\tsecond fraction\tsecond value (mmHg)\n"));
    const auto knees = Rows(pressure.out);
    ASSERT_EQ(10u + 8u, knees.size());
    for (const auto& row : knees)
    {
        ASSERT_EQ(7u, row.size());
        // The peak that closes the upstroke: a quarter of the beat after the knee, at the crest of 120.
        const int rise = std::stoi(row[4]) - std::stoi(row[1]);
        EXPECT_NEAR(row[0] == "0" ? 200 : 150, rise, 2) << row[1];
        EXPECT_NEAR(120.0, std::stod(row[6]), 0.1);
    }
    const Output ecg = Calc(file->Path(), "PVEcgEdpDet(cmpeakdet(ch3, 0.0005, 0.05), -1, -1, -1, -1)");
    ASSERT_EQ(Host::ExitOk, ecg.status) << ecg.err;
    for (const auto& row : Rows(ecg.out))
        EXPECT_EQ((std::vector<std::string>{"0", "0", "0"}), std::vector<std::string>(row.begin() + 4, row.end()));
}

TEST_F(LoopAnalysisCommand, OneLoopPerBeatAndOneClosingRecordPerRecord)
{
    const Output result = Calc(file->Path(), PressureRoute);
    ASSERT_EQ(Host::ExitOk, result.status) << result.err;
    EXPECT_EQ(0u, result.out.find("record\ttick\tfraction\tstate\tvalue (mmHg)\tSW (mmHg*\u00B5L)\tCO (\u00B5L/min)\tSV (\u00B5L)\t"));
    const auto rows = Rows(result.out);
    // 10 beats give 10 end-diastolic points and 9 whole loops; likewise 8 give 7.
    ASSERT_EQ(9u + 1u + 7u + 1u, rows.size());
    EXPECT_EQ("2", rows[9][3]);
    EXPECT_EQ("2", rows.back()[3]);
    for (std::size_t i : {0u, 5u, 10u, 16u})
    {
        ASSERT_EQ(5u + 31u, rows[i].size());
        EXPECT_EQ("0", rows[i][3]);
        // Vmax - Vmin: the file's 70 uL, which calculations read in litres and the report shows in uL.
        const double sv = std::stod(rows[i][5 + 2]);
        EXPECT_NEAR(70.0, sv, 0.5);
        const double hr = std::stod(rows[i][5 + 13]);
        EXPECT_NEAR(i < 10 ? 75.0 : 100.0, hr, 0.5);
    }
}

TEST_F(LoopAnalysisCommand, EcgRouteGivesAsManyLoops)
{
    const Output pressure = Calc(file->Path(), PressureRoute);
    const Output ecg = Calc(file->Path(), EcgRoute);
    ASSERT_EQ(Host::ExitOk, ecg.status) << ecg.err;
    EXPECT_EQ(Rows(pressure.out).size(), Rows(ecg.out).size());
}

TEST_F(LoopAnalysisCommand, OnlineChunksGiveTheOfflineOutputForEveryFunction)
{
    for (const std::string& expression :
         {std::string(PressureRoute), std::string(EcgRoute), std::string("PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20)"),
          std::string("PVMaxDet(PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05)))"),
          std::string("PVEcgEdpDet(cmpeakdet(ch3, 0.0005, 0.05), -1, -1, -1, -1)"),
          std::string("SistraAnalyzer(ch1, ch2, PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20), 1, 0, -1, -1, -1, -1, 1)")})
    {
        const Output offline = Calc(file->Path(), expression);
        ASSERT_EQ(Host::ExitOk, offline.status) << expression << "\n" << offline.err;
        const Output online = Calc(file->Path(), expression, {"--chunk", "997"});
        EXPECT_EQ(offline.out, online.out) << expression;
    }
}

TEST_F(LoopAnalysisCommand, SummaryCountsTheValidLoops)
{
    const Output result = Calc(file->Path(), PressureRoute, {"--summary"});
    ASSERT_EQ(Host::ExitOk, result.status) << result.err;
    const auto rows = Rows(result.out);
    ASSERT_EQ(31u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"SW", "mmHg*\u00B5L", "16"}),
              std::vector<std::string>(rows[0].begin(), rows[0].begin() + 3));
}

// An event argument of the wrong record kind is refused when the text is compiled, naming the argument
// at its position, before anything is printed; sources of the right kind pass.
TEST_F(LoopAnalysisCommand, EventArgumentsOfAnotherRecordKindAreRefusedBeforeTheRun)
{
    const std::string edp = "PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20)";
    const std::string loops = "SistraAnalyzer(ch1, ch2, " + edp + ", 0, 1, -1, -1, -1, -1, 0)";
    const std::string pva = "PvaCalc(" + loops + ", ch1, ch2, 0, 0, 0, 0, 1, 0, 0, 1, 0)";
    const struct
    {
        std::string text;
        std::string refusal; // empty: compiles and runs
    } cases[] = {
        {"PVMaxDet(" + loops + ")",
         "position 10: argument 1 of PVMaxDet (Sistra Event Source) cannot read loop records (280 bytes each)"},
        {"SistraAnalyzer(ch1, ch2, cmpeakdet(ch1, 20, 0.05), 0, 1, -1, -1, -1, -1, 0)",
         "position 26: argument 3 of SistraAnalyzer (EDP Event Source) cannot read plain events (16 bytes each)"},
        {"SistraParamSelector(" + edp + ", 3)",
         "position 21: argument 1 of Sistra Parameter Selector (Event Source) cannot read end-diastolic events"},
        {"SistraPVAParamSelector(" + loops + ", 26)",
         "position 24: argument 1 of Sistra PVA Parameter Selector (Event Source) cannot read loop records"},
        {"PvaCalc(" + edp + ", ch1, ch2, 0, 0, 0, 0, 1, 0, 0, 1, 0)",
         "position 9: argument 1 of PvaCalc (Sistra Event Source) cannot read end-diastolic events"},
        {pva, ""},
        {"PVMaxDet(" + edp + ")", ""},
        {"PVEcgEdpDet(" + edp + ", -1, -1, -1, -1)", ""},
        {"SistraParamSelector(" + loops + ", 3)", ""},
        {"SistraPVAParamSelector(" + pva + ", 26)", ""},
    };
    for (const auto& c : cases)
    {
        const Output output = Calc(file->Path(), c.text);
        if (c.refusal.empty())
        {
            EXPECT_EQ(Host::ExitOk, output.status) << c.text << "\n" << output.err;
            continue;
        }
        EXPECT_EQ(Host::ExitFailure, output.status) << c.text;
        EXPECT_NE(std::string::npos, output.err.find(c.refusal)) << c.text << "\n" << output.err;
        EXPECT_TRUE(output.out.empty()) << c.text;
    }
}

namespace
{

// A fault at the end of a text long enough that the analysis has run through much of it when the fault is
// found: the fault, where it lies, is all that either command says, and nothing is printed.
// Two records that each start halfway up an upstroke (0.12 of a beat in): the foot of that upstroke is
// only the edge of the data, and no end-diastolic point or loop is taken there, offline or online.
TEST(LoopAnalysisUpstroke, NoLoopStartsOnARecordsFirstSample)
{
    const CalcTesting::RealisticBeat beat{0.8};
    std::ostringstream text;
    text << "Time (s),LV Pressure (mmHg),LV Volume (uL),ECG (mV)\n";
    PutBeats(text, beat, 6000, 0.12 * 0.8);
    text << "\n";
    PutBeats(text, beat, 6000, 0.12 * 0.8);
    const HostTests::TemporaryFile file("upstroke-records.csv", text.str());
    for (const char* expression : {PressureRoute, "PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20)"})
    {
        SCOPED_TRACE(expression);
        const Output offline = Calc(file.Path(), expression);
        ASSERT_EQ(Host::ExitOk, offline.status) << offline.err;
        const auto rows = Rows(offline.out);
        // Whole beats' knees at 0.05 of a beat, 0.744 s in and every 0.8 s after: 7 a record.
        ASSERT_EQ(2u * 7u, rows.size());
        for (const auto& row : rows)
            EXPECT_NEAR(744, std::stoi(row[1]) % 800, 5) << row[0] << " " << row[1];
        EXPECT_EQ(offline.out, Calc(file.Path(), expression, {"--chunk", "997"}).out);
    }
}

TEST(LoopAnalysisText, AFaultLateInTheTextIsAllThatIsSaid)
{
    std::ostringstream text;
    text << "Time (s),LV Pressure (mmHg),LV Volume (uL),ECG (mV)\n";
    PutBeats(text, CalcTesting::RealisticBeat{0.8}, 120000);
    text << "120,8,x,0\n";
    const HostTests::TemporaryFile file("late-fault.csv", text.str());
    std::string fault;
    try
    {
        Host::LoadRecordingFile(file.Path());
    }
    catch (const Host::RecordingFormatError& e)
    {
        fault = e.what();
    }
    ASSERT_NE(std::string::npos, fault.find(":120002:7: 'x' is not a number"));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"calc", "--expr", PressureRoute, file.Path()}, std::vector<std::string>{"analyze", file.Path()}})
    {
        std::ostringstream out, err;
        EXPECT_EQ(Host::ExitFailure, Host::RunCommandLine(args, out, err)) << args[0];
        EXPECT_EQ("", out.str()) << args[0];
        EXPECT_EQ("sistra " + args[0] + ": " + fault + "\n", err.str()) << args[0];
    }
}

} // namespace
