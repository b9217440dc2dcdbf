// `sistra analyze` on a synthetic ventricle whose beats weaken one by one (as under an occlusion), so
// that every relation has spread to fit.
#include "host/app/commands/AnalyzeCommand.h"
#include "host/app/commands/CommandLine.h"
#include "host/app/commands/MacroCommand.h"
#include "host/app/files/SettingsFileFormat.h"
#include "host/app/files/TextConversion.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/tests/EcgFixtures.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <numeric>
#include <random>
#include <sstream>

namespace
{

using HostTests::OcclusionText;
using HostTests::Recorded;

struct Output
{
    int status;
    std::string out;
    std::string err;
};

Output RunSistra(std::vector<std::string> args)
{
    std::ostringstream out, err;
    const int status = Host::RunCommandLine(args, out, err);
    return {status, out.str(), err.str()};
}

using Table = std::map<std::string, std::vector<std::string>>;

// Rows by their first cell; the section ends at a blank line.
Table ReadTable(std::istream& in)
{
    Table rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line) && !line.empty())
    {
        std::istringstream cells(line);
        std::string key, cell;
        std::getline(cells, key, '\t');
        while (std::getline(cells, cell, '\t'))
            rows[key].push_back(cell);
    }
    return rows;
}

// The first section of a printed text: analyze's summaries.
Table FirstTable(const std::string& text)
{
    std::istringstream in(text);
    return ReadTable(in);
}

// How many loops analyze's printed summaries count.
int LoopCount(const std::string& out)
{
    return std::stoi(FirstTable(out).at("SW").at(1));
}

class AnalyzeCommand : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { file = std::make_unique<HostTests::TemporaryFile>("analyze-occlusion.csv", OcclusionText(40)); }
    static void TearDownTestSuite() { file.reset(); }
    // The macro text, written to a file of the given name, run on the occlusion with the options after it.
    static Output RunMacro(const char* name, const std::string& text, const std::vector<std::string>& options = {})
    {
        const HostTests::TemporaryFile macro(name, text);
        std::vector<std::string> args{"macro", macro.Path(), file->Path()};
        args.insert(args.end(), options.begin(), options.end());
        return RunSistra(args);
    }

    static inline std::unique_ptr<HostTests::TemporaryFile> file;
};

// A folder in the temporary folder, absent at first or made empty, removed with its contents with the object.
class ScratchFolder : public std::filesystem::path
{
public:
    enum Start
    {
        Absent,
        Made,
    };
    explicit ScratchFolder(const char* name, Start start = Absent) : path(std::filesystem::temp_directory_path() / name)
    {
        std::filesystem::remove_all(*this);
        if (start == Made)
            std::filesystem::create_directories(*this);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(*this, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
};

std::string FileText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

} // namespace

TEST_F(AnalyzeCommand, SummariesEqualTheCalcSummaryOfTheSameAnalysis)
{
    const Output analyzed = RunSistra({"analyze", file->Path(), "--pressure", "1", "--volume", "LV volume"});
    ASSERT_EQ(Host::ExitOk, analyzed.status) << analyzed.err;
    std::istringstream text(analyzed.out);
    const Table summary = ReadTable(text), relations = ReadTable(text);

    // Calculations read the volume in litres; calc, as the document, shows it in the channel's microlitres.
    const std::string edp = "PVEdpDet(ch1, CMPeakDet(ch1, 20, 0.05), 20, 0, 0, 2147483647, 2147483647)";
    const Output calc = RunSistra({"calc", "--summary", "--expr",
                                   "SistraAnalyzer(ch1, ch2, " + edp + ", 0, 0, 0, 0, 2147483647, 2147483647, 0)",
                                   file->Path()});
    ASSERT_EQ(Host::ExitOk, calc.status) << calc.err;
    const Table expected = FirstTable(calc.out);
    ASSERT_EQ(31u, summary.size());
    for (const auto& [parameter, cells] : expected)
    {
        // The areas come from the document's own area calculation over the fitted relations, which the
        // loop records alone do not carry.
        if (parameter == "PVA" || parameter == "PE" || parameter == "CE")
            continue;
        ASSERT_EQ(5u, summary.at(parameter).size()) << parameter;
        // unit, count, average, min, max against unit, count, mean, min, max.
        EXPECT_EQ(cells[0], summary.at(parameter)[0]) << parameter;
        EXPECT_EQ(cells[1], summary.at(parameter)[1]) << parameter;
        for (size_t column = 2; column < cells.size(); ++column)
        {
            const double want = std::stod(cells[column]), have = std::stod(summary.at(parameter)[column]);
            if (std::isnan(want))
                EXPECT_TRUE(std::isnan(have)) << parameter << " column " << column;
            else
                EXPECT_NEAR(want, have, 1e-7 * std::abs(want)) << parameter << " column " << column;
        }
    }
    EXPECT_EQ("mmHg", summary.at("Pmax").front());
    EXPECT_EQ("\u00B5L", summary.at("SV").front());
    ASSERT_EQ(8u, relations.size());
    // slope, its unit, intercept, its unit, curvature, its unit, fit, what the fit is.
    for (const char* fitted : {"ESPVR linear", "EDPVR linear", "PRSW", "dP/dt max-EDV"})
        EXPECT_NE("NaN", relations.at(fitted).at(6)) << fitted;
    EXPECT_EQ((std::vector<std::string>{"mmHg/\u00B5L", "mmHg", "mmHg/\u00B5L\u00B2"}),
              (std::vector<std::string>{relations.at("ESPVR linear")[1], relations.at("ESPVR linear")[3],
                                        relations.at("ESPVR linear")[5]}));
    EXPECT_EQ("mmHg", relations.at("PRSW")[1]) << "stroke work per volume";
}

TEST_F(AnalyzeCommand, OnlineFeedingPrintsWhatTheOfflineRunPrints)
{
    const Output offline = RunSistra({"analyze", file->Path()});
    ASSERT_EQ(Host::ExitOk, offline.status) << offline.err;
    for (const char* chunk : {"997", "2500"})
    {
        const Output online = RunSistra({"analyze", file->Path(), "--online", "--chunk", chunk});
        ASSERT_EQ(Host::ExitOk, online.status) << online.err;
        EXPECT_EQ(offline.out, online.out) << chunk;
    }
}

// End-diastole taken at the ECG's R waves, a little before the pressure's rise, finds the same beats.
TEST_F(AnalyzeCommand, EcgRWavesMarkTheSameBeats)
{
    const Output pressure = RunSistra({"analyze", file->Path()});
    const Output ecg = RunSistra({"analyze", file->Path(), "--ecg", "ecg"});
    ASSERT_EQ(Host::ExitOk, ecg.status) << ecg.err;
    const Table byPressure = FirstTable(pressure.out), byEcg = FirstTable(ecg.out);
    EXPECT_NEAR(std::stoi(byPressure.at("SW").at(1)), std::stoi(byEcg.at("SW").at(1)), 1);
    EXPECT_NEAR(std::stod(byPressure.at("Pmax").at(2)), std::stod(byEcg.at("Pmax").at(2)), 1.0);
}

// One artefact ten times the R waves' height, between two beats, sets no threshold above the R waves.
TEST_F(AnalyzeCommand, EcgRWavesAreFoundPastASpikeTenTimesTheirHeight)
{
    std::string text = OcclusionText(40);
    // Sample 20400 (t = 20.4 s) lies between two R waves; its row is line 20401 after the header.
    std::size_t row = 0;
    for (int line = 0; line < 20401; ++line)
        row = text.find('\n', row) + 1;
    const std::size_t ecgCell = text.rfind(',', text.find('\n', row)) + 1;
    text.replace(ecgCell, text.find('\n', row) - ecgCell, "10");
    const HostTests::TemporaryFile spiked("analyze-ecg-spike.csv", text);
    const Output pressure = RunSistra({"analyze", spiked.Path()});
    const Output ecg = RunSistra({"analyze", spiked.Path(), "--ecg", "ecg"});
    ASSERT_EQ(Host::ExitOk, ecg.status) << ecg.err;
    // The spike may cut one beat in two.
    EXPECT_NEAR(LoopCount(pressure.out), LoopCount(ecg.out), 2);
}

// A recording's text with the scanner ECG's samples as its last column: in place of the one there, or added.
std::string WithScannerEcg(const std::string& text, const HostTests::ScannerEcg& ecg, bool replaceLast)
{
    std::istringstream lines(text);
    std::string header, line;
    std::getline(lines, header);
    std::vector<std::string> rows;
    while (std::getline(lines, line))
        rows.push_back(replaceLast ? line.substr(0, line.rfind(',')) : line);
    const std::vector<float> samples = ecg.Samples(static_cast<int64_t>(rows.size()));
    std::ostringstream out;
    out << (replaceLast ? header : header + ",ECG (mV)") << '\n';
    for (size_t row = 0; row < rows.size(); ++row)
        out << rows[row] << ',' << samples[row] << '\n';
    return out.str();
}

// On a scanner's ECG (T waves at 60 % of the R waves, baseline wander, bursts of gradient spikes and one
// spike five times the R waves) the R waves give one loop per beat, from each R wave to the next, for a
// human and a mouse, offline and sampled.
TEST(AnalyzeScannerEcg, GivesOneLoopPerBeat)
{
    struct Case
    {
        const char* name;
        std::string text;
        HostTests::ScannerEcg ecg;
        std::vector<std::string> options;
    };
    const HostTests::ScannerEcg human{0.001, 0.8, 0.010, 0.26, 0.8, 0.0}, mouse{0.001, 0.125, 0.003, 0.04, 0.125, 0.0};
    const std::string humanText = WithScannerEcg(OcclusionText(40), human, true);
    const std::string mouseText = WithScannerEcg(HostTests::MousePreloadReductionText(), mouse, false);
    const Case cases[] = {
        {"human", humanText, human, {}},
        {"human sampled", humanText, human, {"--online", "--chunk", "700"}},
        {"mouse", mouseText, mouse, {}},
    };
    for (const Case& test : cases)
    {
        const HostTests::TemporaryFile file("analyze-scanner-ecg.csv", test.text);
        std::vector<std::string> byPressureArgs{"analyze", file.Path()}, byEcgArgs{"analyze", file.Path(), "--ecg", "ecg"};
        byPressureArgs.insert(byPressureArgs.end(), test.options.begin(), test.options.end());
        byEcgArgs.insert(byEcgArgs.end(), test.options.begin(), test.options.end());
        const Output pressure = RunSistra(byPressureArgs), ecg = RunSistra(byEcgArgs);
        ASSERT_EQ(Host::ExitOk, ecg.status) << test.name << ": " << ecg.err;
        // The pressure also takes the beat the record starts in (at end-diastole), whose R wave lies before it.
        const auto rows = static_cast<int64_t>(std::count(test.text.begin(), test.text.end(), '\n') - 1);
        const auto rWaves = static_cast<int>(test.ecg.RTicks(rows).size());
        EXPECT_EQ(rWaves, LoopCount(pressure.out)) << test.name;
        EXPECT_EQ(rWaves - 1, LoopCount(ecg.out)) << test.name << ": a loop from each R wave to the next";
    }
}

// A mouse with a noisy ECG (noise of a tenth of the R wave) whose record starts 1 to 6 ms after an R wave's
// peak, on its downslope: the first loop begins at the first whole QRS, at end-diastole, not at a point of
// early systole a few milliseconds in.
TEST(AnalyzeScannerEcg, ARecordStartingJustAfterAnRWaveBeginsItsFirstLoopAtEndDiastole)
{
    std::istringstream lines(HostTests::MousePreloadReductionText());
    std::string header, line;
    std::getline(lines, header);
    std::vector<std::string> rows;
    while (std::getline(lines, line))
        rows.push_back(line);
    // R waves at the start of every beat of 125 ms, where the ventricle's activation begins.
    const HostTests::EcgShape shape{0.001, 0.125, 0.002, 0.03, 0.0, 0.0, 0.0, 0.0, 0.001, 0.1, 0.2, 5, 0.0};
    const std::vector<float> ecg = HostTests::EcgGenerator(shape).Make(static_cast<int64_t>(rows.size())).samples;
    for (const size_t after : {size_t{1}, size_t{3}, size_t{6}})
    {
        std::ostringstream text;
        text << header << ",ECG (mV)\n";
        for (size_t row = 125 + after; row < rows.size(); ++row)
            text << rows[row] << ',' << ecg[row] << '\n';
        const HostTests::TemporaryFile file("analyze-ecg-record-start.csv", text.str());
        const Output analyzed = RunSistra({"analyze", file.Path(), "--ecg", "ecg"});
        ASSERT_EQ(Host::ExitOk, analyzed.status) << analyzed.err;
        const Table summary = FirstTable(analyzed.out);
        // From each of the 38 whole beats' R wave to the next; ED pressure about 7 mmHg, 57 a few ms later.
        EXPECT_EQ("37", summary.at("Ped").at(1)) << after << " ms after the R wave";
        EXPECT_LT(std::stod(summary.at("Ped").at(4)), 15.0) << after << " ms after the R wave";
    }
}

constexpr double MmHgPerKpa = 1000.0 / 133.322387415;

// A ventricle's recording with an ECG whose R waves open its beats (the heart's beat starts), as a test
// signal asks for: every channel 0 for a second from dropoutStart (seconds; none when negative), as a loose
// connector records it; a spike 5 R waves high and 4 ms wide spikeAfter seconds after every 7th R wave (none
// at 0); the ECG its noise alone, with no R waves; the pressure written in kPa.
struct EcgTrial
{
    HostTests::ElastanceVentricle heart;
    HostTests::EcgShape ecg; // its beat and phase are the heart's
    double dropoutStart = -1.0;
    double spikeAfter = 0.0;
    bool noiseOnly = false;
    bool inKpa = false;

    // The recording's text and its R waves whose QRS lies whole in it, less those in the dropout.
    std::pair<std::string, int> Made() const
    {
        std::istringstream lines(inKpa ? heart.Text("kPa", 1.0 / MmHgPerKpa, "uL", 1.0) : heart.Text("mmHg", 1.0, "uL", 1.0));
        std::string header, line;
        std::getline(lines, header);
        std::vector<std::string> rows;
        while (std::getline(lines, line))
            rows.push_back(line);
        const auto count = static_cast<int64_t>(rows.size());
        HostTests::EcgShape shape = ecg;
        shape.interval = heart.interval, shape.beatSeconds = heart.beat;
        std::vector<double> starts = heart.BeatStarts();
        if (noiseOnly)
            starts.clear();
        HostTests::SyntheticEcg made = HostTests::EcgGenerator(shape).MakeAt(count, starts);
        for (size_t beat = 6; spikeAfter > 0.0 && beat < made.rTicks.size(); beat += 7)
            for (int64_t tick = made.rTicks[beat] + std::llround(spikeAfter / heart.interval), end = tick + std::llround(0.004 / heart.interval);
                 tick < std::min(end, count); ++tick)
                made.samples[static_cast<size_t>(tick)] += 5.0f;
        const auto dropped = [&](double t) { return dropoutStart >= 0.0 && t >= dropoutStart && t < dropoutStart + 1.0; };
        std::ostringstream text;
        text << header << ",ECG (mV)\n";
        for (size_t row = 0; row < rows.size(); ++row)
        {
            if (dropped(static_cast<double>(row) * heart.interval))
                text << rows[row].substr(0, rows[row].find(',')) << ",0,0,0\n";
            else
                text << rows[row] << ',' << made.samples[row] << '\n';
        }
        // A QRS lies whole in the record from a few R-wave widths after its start to as long before its end.
        const int64_t lead = std::llround(6.0 * shape.rSigma / heart.interval);
        const auto whole = std::count_if(made.rTicks.begin(), made.rTicks.end(), [&](int64_t tick) {
            return tick >= lead && tick + lead < count && !dropped(static_cast<double>(tick) * heart.interval);
        });
        return {text.str(), static_cast<int>(whole)};
    }
};

std::pair<std::string, int> WithEcgAndDropout(const HostTests::ElastanceVentricle& heart, double dropoutStart)
{
    const HostTests::EcgShape shape{heart.interval, heart.beat, heart.beat / 60.0, heart.beat / 4.0, 0.0, 0.0, 0.0,
                                    0.0, 0.001, 0.02, 0.1, 3, 0.0};
    return EcgTrial{heart, shape, dropoutStart}.Made();
}

// A dropout of a second, starting anywhere in a beat, is no beat from the ECG, as it is none from the
// pressure: the stretch from the R wave before it joins that beat's loop instead of standing as a loop
// without an ejection (its end-systolic point on its end-diastolic point, its stroke work below 0), which
// bent the end-systolic relation (mouse: 4.40 mmHg/uL where the pressure detection gives 8.007). The loops
// are those of the record without the dropout but for the beats whose R wave lies in it (of eight beats,
// the last one's ejection goes on after it and ends the loop of the R wave before it). Where it starts in an ejection the
// pressure detection itself makes a loop of the beat's remains (mouse: SW -130, ESPVR 5.0 mmHg/uL), so the
// relation is held against the pressure detection's on the whole record.
TEST(AnalyzeEcgDropout, LeavesOutTheBeatsItTakesAndKeepsTheEndSystolicRelation)
{
    HostTests::ElastanceVentricle mouse;
    mouse.beats = 85;
    struct Analysed
    {
        int loops;
        double espvr, leastWork;
    };
    const auto analyse = [](const std::string& text, bool byEcg) {
        const HostTests::TemporaryFile file("analyze-ecg-dropout.csv", text);
        std::vector<std::string> args{"analyze", file.Path()};
        if (byEcg)
            args.insert(args.end(), {"--ecg", "ecg"});
        const Output run = RunSistra(args);
        EXPECT_EQ(Host::ExitOk, run.status) << run.err;
        std::istringstream printed(run.out);
        const Table summary = ReadTable(printed), relations = ReadTable(printed);
        return Analysed{std::stoi(summary.at("SW").at(1)), std::stod(relations.at("ESPVR linear").at(0)),
                        std::stod(summary.at("SW").at(3))};
    };
    const char* name = "mouse";
    const HostTests::ElastanceVentricle& heart = mouse;
    constexpr double first = 5.0;
    const auto [whole, rWaves] = WithEcgAndDropout(heart, -1.0);
    const double espvr = analyse(whole, false).espvr;
    const int wholeLoops = analyse(whole, true).loops;
    for (const double phase : {0.0, 0.005, 0.02, 0.3, 0.6, 0.9})
    {
        const auto [text, left] = WithEcgAndDropout(heart, first + phase * heart.beat);
        const Analysed byEcg = analyse(text, true);
        EXPECT_EQ(wholeLoops - (rWaves - left), byEcg.loops)
            << name << " at " << phase << " of a beat";
        EXPECT_NEAR(espvr, byEcg.espvr, 0.02 * espvr) << name << " at " << phase << " of a beat";
        EXPECT_GT(byEcg.leastWork, 0.0) << name << " at " << phase << " of a beat";
        if (phase == 0.005)
        {
            // Sampled, each R wave waits for the pressure up to the next and ends up where it did at once.
            const HostTests::TemporaryFile file("analyze-ecg-dropout-online.csv", text);
            EXPECT_EQ(RunSistra({"analyze", file.Path(), "--ecg", "ecg"}).out,
                      RunSistra({"analyze", file.Path(), "--ecg", "ecg", "--online", "--chunk", "997"}).out)
                << name;
        }
    }
}

// ECGs as hard as real ones, each against the pressure detection on the same ventricle: T waves as high as
// 0.8 and 1.5 R waves 40 ms after a mouse's R wave (which cut every loop there in two), a human's premature
// beat every 5th beat at 0.65 of the period through 32 s (those after 8 s were lost, two beats made one
// loop), a spike 5 R waves high and 4 ms wide 5 to 15 ms beside an R wave (which cost that beat), a human's
// dropout of a second (an R wave taken where the ECG came back), and a pressure channel in kPa calibrated to
// mmHg (whose ejections were held to 2666 mmHg, the least height in pascals). The R waves give one loop from
// each to the next, the end-systolic relation of the pressure's loops within 2 % and the end-diastolic one of
// the same heart's with a plain ECG (the human's pressure takes end-diastole a little off the activation's
// start: its EDPVR is 0.2577 mmHg/mL, the ECG's 0.2502, a least-squares line through the model's points at
// that start 0.2484). An ECG of noise alone (which gave a loop per few of its deflections) is refused for
// want of loops, warned of by its channel in analyze, a macro and the frame.
TEST(AnalyzeEcg, GivesOneLoopPerBeatAndThePressureDetectionsRelations)
{
    HostTests::ElastanceVentricle mouse;
    mouse.beats = 60;
    const HostTests::ElastanceVentricle human = HostTests::ElastanceVentricle::Human();
    HostTests::ElastanceVentricle premature = human;
    premature.prematureEvery = 5;
    const HostTests::EcgShape mouseEcg{0.0, 0.0, 0.002, 0.04, 0.0, 0.0, 0.0, 0.0, 0.001, 0.02, 0.1, 5, 0.0, {0.8, 3.0}};
    const HostTests::EcgShape humanEcg{0.0, 0.0, 0.01, 0.25, 0.0, 0.0, 0.0, 0.0, 0.001, 0.02, 0.1, 6, 0.0};
    HostTests::EcgShape tallT = mouseEcg, noise = humanEcg;
    tallT.tWave.height = 1.5;
    noise.noise = 1.0;
    struct Case
    {
        const char* name;
        EcgTrial trial;
        std::vector<std::string> options;
    };
    const std::vector<std::string> toMmHg{"--calibrate-pressure", "1:0=0,1=" + std::to_string(MmHgPerKpa)};
    const Case cases[] = {
        {"mouse, T wave 0.8", {mouse, mouseEcg}},
        {"mouse, T wave 1.5", {mouse, tallT}},
        {"human, premature beats", {premature, humanEcg}},
        {"human, spikes 5 ms after", {human, humanEcg, -1.0, 0.005}},
        {"human, spikes 15 ms before", {human, humanEcg, -1.0, -0.015}},
        {"mouse, spikes 5 ms after", {mouse, mouseEcg, -1.0, 0.005}},
        {"human, dropout", {human, humanEcg, 10.8}},
        {"human in kPa, calibrated", {human, humanEcg, -1.0, 0.0, false, true}, toMmHg},
        {"human, noise", {human, noise, -1.0, 0.0, true}},
    };
    const auto analyse = [](const std::string& text, bool byEcg, const std::vector<std::string>& options) {
        const HostTests::TemporaryFile file("analyze-ecg-trial.csv", text);
        std::vector<std::string> args{"analyze", file.Path()};
        if (byEcg)
            args.insert(args.end(), {"--ecg", "ecg"});
        args.insert(args.end(), options.begin(), options.end());
        return RunSistra(args);
    };
    const auto slope = [](const Output& run, const char* relation) {
        std::istringstream printed(run.out);
        ReadTable(printed);
        return std::stod(ReadTable(printed).at(relation).at(0));
    };
    for (const Case& test : cases)
    {
        const auto [text, rWaves] = test.trial.Made();
        const Output ecg = analyse(text, true, test.options);
        if (test.trial.noiseOnly)
        {
            const std::string warning = "the ECG channel 3 shows no R waves above its noise";
            EXPECT_EQ(Host::ExitFailure, ecg.status) << ecg.err;
            EXPECT_NE(std::string::npos, ecg.err.find(warning)) << ecg.err;
            // A macro that names it and the frame that opens it say the same.
            const HostTests::TemporaryFile file("analyze-ecg-noise.csv", text),
                macro("analyze-ecg-noise.txt", "Host.Channels pressure:=1, volume:=2, ecg:=\"ECG\"\n");
            EXPECT_NE(std::string::npos, RunSistra({"macro", macro.Path(), file.Path()}).err.find(warning));
            const Host::OpenedRecording opened(file.Path(), Host::OpenOptions{.channels = {.ecg = "ecg"}});
            EXPECT_TRUE(std::any_of(opened.Warnings().begin(), opened.Warnings().end(),
                                    [&](const std::string& told) { return told.starts_with(warning); }));
            continue;
        }
        ASSERT_EQ(Host::ExitOk, ecg.status) << test.name << ": " << ecg.err;
        EXPECT_EQ(std::string::npos, ecg.err.find("ECG channel")) << test.name << ": " << ecg.err;
        EXPECT_EQ(rWaves - 1, LoopCount(ecg.out)) << test.name << ": a loop from each R wave to the next";
        const double espvr = slope(analyse(text, false, test.options), "ESPVR linear");
        EXPECT_NEAR(espvr, slope(ecg, "ESPVR linear"), 0.02 * std::abs(espvr)) << test.name;
        EcgTrial plain{test.trial.heart, test.trial.heart.beat < 0.5 ? mouseEcg : humanEcg};
        plain.inKpa = test.trial.inKpa;
        const double edpvr = slope(analyse(plain.Made().first, true, test.options), "EDPVR linear");
        EXPECT_NEAR(edpvr, slope(ecg, "EDPVR linear"), 0.02 * std::abs(edpvr)) << test.name;
    }
}

TEST_F(AnalyzeCommand, OutWritesTheLoopsSummaryAndRelationsOfTheRegion)
{
    const ScratchFolder folder("analyze-out");
    const Output whole = RunSistra({"analyze", file->Path()});
    const Output region = RunSistra({"analyze", file->Path(), "--region", "8:24", "--out", folder.string()});
    ASSERT_EQ(Host::ExitOk, region.status) << region.err;
    const int wholeLoops = LoopCount(whole.out), regionLoops = LoopCount(region.out);
    EXPECT_LT(regionLoops, wholeLoops);
    EXPECT_GE(regionLoops, 18);

    std::istringstream loops(FileText(folder / "loops.tsv"));
    std::string header;
    std::getline(loops, header);
    EXPECT_EQ(0u, header.find("block\tloop\ttime (s)\tstate\tSW (mmHg*"));
    int rows = 0;
    for (std::string line; std::getline(loops, line);)
    {
        std::istringstream cells(line);
        std::string block, loop, seconds;
        std::getline(cells, block, '\t');
        std::getline(cells, loop, '\t');
        std::getline(cells, seconds, '\t');
        EXPECT_EQ(++rows, std::stoi(loop));
        EXPECT_GE(std::stod(seconds), 8.0);
        EXPECT_LT(std::stod(seconds), 24.0);
    }
    EXPECT_EQ(regionLoops, rows);
    EXPECT_EQ(region.out, FileText(folder / "summary.tsv") + "\n" + FileText(folder / "regressions.tsv"));
}

std::vector<std::vector<std::string>> TsvRows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
    {
        std::vector<std::string> cells;
        std::istringstream parts(line);
        for (std::string cell; std::getline(parts, cell, '\t');)
            cells.push_back(cell);
        if (!line.empty() && line.back() == '\t')
            cells.emplace_back();
        rows.push_back(cells);
    }
    return rows;
}

// PvaCalc takes its relations in the units calculations read the channels in. analyze's relations by
// default: the linear ESPVR and the exponential EDPVR, in regressions.tsv over volumes in uL; where they
// meet, with its volume times 1e-6 (litres) and the EDPVR's rate per uL divided by 1e-6 (per litre), gives
// loop by loop the areas analyze shows.
TEST_F(AnalyzeCommand, RelationsTakenToBaseUnitsGiveTheAreasAnalyzeShows)
{
    const ScratchFolder folder("analyze-pva");
    const Output analyzed = RunSistra({"analyze", file->Path(), "--out", folder.string()});
    ASSERT_EQ(Host::ExitOk, analyzed.status) << analyzed.err;
    const Table relations = FirstTable(FileText(folder / "regressions.tsv"));
    const auto coefficient = [&](const char* relation, std::size_t column) {
        return std::stod(relations.at(relation).at(column));
    };
    const double esSlope = coefficient("ESPVR linear", 0), esIntercept = coefficient("ESPVR linear", 2);
    const double rate = coefficient("EDPVR exponential", 0), amplitude = coefficient("EDPVR exponential", 2);
    const auto loops = TsvRows(FileText(folder / "loops.tsv"));
    const std::size_t pvaColumn = 4 + 25, vedColumn = 4 + 7;
    double largestVed = 0.0;
    for (std::size_t row = 1; row < loops.size(); ++row)
        largestVed = std::max(largestVed, std::stod(loops[row].at(vedColumn)));
    // Where the line meets the exponential below the largest end-diastolic volume: Newton from there.
    double microlitres = largestVed;
    for (int step = 0; step < 100; ++step)
        microlitres -= (esSlope * microlitres + esIntercept - amplitude * std::exp(rate * microlitres)) /
                       (esSlope - amplitude * rate * std::exp(rate * microlitres));
    std::ostringstream expression;
    expression.precision(17);
    expression << "PvaCalc(SistraAnalyzer(ch1, ch2, PVEdpDet(ch1, CMPeakDet(ch1, 20, 0.05), 20), 0, 0, -1, -1, -1, "
                  "-1, 0), ch1, ch2, 0, 1, "
               << esSlope * microlitres + esIntercept << ", " << microlitres * 1e-6 << ", 0, 0, 0, " << amplitude
               << ", " << rate / 1e-6 << ")";
    const Output calc = RunSistra({"calc", "--expr", expression.str(), file->Path()});
    ASSERT_EQ(Host::ExitOk, calc.status) << calc.err;

    const auto areas = TsvRows(calc.out);
    ASSERT_GT(areas.size(), 30u);
    ASSERT_EQ("PVA (mmHg*\u00B5L)", loops.front().at(pvaColumn));
    ASSERT_EQ("PVA (mmHg*\u00B5L)", areas.front().at(4));
    ASSERT_EQ(loops.size(), areas.size());
    for (std::size_t row = 1; row < areas.size(); ++row)
    {
        // The loop's time (s) against the area record's tick at 1 kHz.
        EXPECT_NEAR(std::stod(loops[row].at(2)), std::stoi(areas[row].at(1)) * 0.001, 1e-6) << row;
        const double shown = std::stod(loops[row].at(pvaColumn));
        EXPECT_NEAR(shown, std::stod(areas[row].at(4)), 1e-6 * std::fabs(shown)) << row;
    }
}

// The perpendicular ESPVR is the major axis of the loops' end-systolic points: through their centre along
// the direction of their widest spread, at the angle t with tan 2t = 2 Sxy / (Sxx - Syy). Its fit is their
// correlation r, said to be r; the least-squares ESPVR's r2 is the square of that r. Over a noisy human
// preload reduction the two lines differ (numpy's SVD of the same points: slope 2.50239 mmHg/mL, least
// squares 2.50174; r 0.999849, r2 0.999698).
TEST_F(AnalyzeCommand, ThePerpendicularEspvrIsTheMajorAxisOfTheEndSystolicPointsWithTheirCorrelation)
{
    const HostTests::TemporaryFile human("analyze-human.csv",
                                         HostTests::ElastanceVentricle::Human().Text("mmHg", 1.0, "mL", 1.0));
    const ScratchFolder folder("analyze-major-axis");
    ASSERT_EQ(Host::ExitOk, RunSistra({"analyze", human.Path(), "--out", folder.string()}).status);
    const Table relations = FirstTable(FileText(folder / "regressions.tsv"));
    const auto loops = TsvRows(FileText(folder / "loops.tsv"));
    const auto column = [&](const std::string& name) {
        const auto found = std::find_if(loops[0].begin(), loops[0].end(),
                                        [&](const std::string& title) { return title.starts_with(name + " ("); });
        return static_cast<size_t>(found - loops[0].begin());
    };
    std::vector<double> x, y;
    for (size_t row = 1; row < loops.size(); ++row)
    {
        x.push_back(std::stod(loops[row].at(column("Ves"))));
        y.push_back(std::stod(loops[row].at(column("Pes"))));
    }
    ASSERT_GT(x.size(), 25u);
    const double n = static_cast<double>(x.size());
    const double mx = std::accumulate(x.begin(), x.end(), 0.0) / n, my = std::accumulate(y.begin(), y.end(), 0.0) / n;
    double sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (size_t i = 0; i < x.size(); ++i)
    {
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
        sxy += (x[i] - mx) * (y[i] - my);
    }
    const double slope = std::tan(0.5 * std::atan2(2.0 * sxy, sxx - syy)), r = sxy / std::sqrt(sxx * syy);
    const std::vector<std::string>& axis = relations.at("ESPVR perpendicular");
    const auto agrees = [](double expected, const std::string& shown) {
        return std::fabs(expected - std::stod(shown)) <= 1e-5 * std::fabs(expected);
    };
    EXPECT_TRUE(agrees(slope, axis.at(0))) << slope << " " << axis.at(0);
    EXPECT_TRUE(agrees(my - slope * mx, axis.at(2))) << my - slope * mx << " " << axis.at(2);
    EXPECT_TRUE(agrees(r, axis.at(6))) << r << " " << axis.at(6);
    EXPECT_EQ("r", axis.at(7));
    EXPECT_TRUE(agrees(r * r, relations.at("ESPVR linear").at(6))) << r * r;
    EXPECT_EQ("r2", relations.at("ESPVR linear").at(7));
}

// With the pressure recorded 9 mmHg low, only the first ten loops' end-diastolic pressures lie above zero,
// rising with their volumes. The exponential EDPVR's solver, started on them, settles on a steep curve through
// them that misses the thirty below zero by more than their spread (numpy's least squares from the same start:
// r2 -0.57). analyze gives it as no fit: no terms, a warning that says so, and no PVA, PE or CE, which need it.
TEST(AnalyzeNoFit, AnExponentialEdpvrFurtherFromTheLoopsThanTheirMeanIsNoFitAndLeavesNoAreas)
{
    const HostTests::TemporaryFile low("analyze-low-edp.csv",
                                       OcclusionText(40, "LV Pressure (mmHg),LV Volume (uL),ECG (mV)", {1.0, 9.0, 1.0, 0.0}));
    const ScratchFolder folder("analyze-no-fit");
    const Output run = RunSistra({"analyze", low.Path(), "--out", folder.string()});
    ASSERT_EQ(Host::ExitOk, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("warning: EDPVR exponential: no fit, r2 = -0.57")) << run.err;
    std::istringstream printed(run.out);
    const Table summary = ReadTable(printed), relations = ReadTable(printed);
    EXPECT_EQ(run.out, FileText(folder / "summary.tsv") + "\n" + FileText(folder / "regressions.tsv"));
    const std::vector<std::string>& edpvr = relations.at("EDPVR exponential");
    for (const size_t cell : {size_t{0}, size_t{2}, size_t{6}})
        EXPECT_EQ("NaN", edpvr.at(cell)) << cell;
    EXPECT_NE("NaN", relations.at("EDPVR linear").at(6));
    const auto loops = TsvRows(FileText(folder / "loops.tsv"));
    ASSERT_GT(loops.size(), 30u);
    for (const char* parameter : {"PVA", "PE", "CE"})
    {
        EXPECT_EQ("0", summary.at(parameter).at(1)) << parameter;
        const auto column = std::find_if(loops[0].begin(), loops[0].end(), [&](const std::string& title) {
            return title == parameter || title.starts_with(std::string(parameter) + " (");
        });
        ASSERT_NE(loops[0].end(), column) << parameter;
        for (size_t row = 1; row < loops.size(); ++row)
            EXPECT_EQ("NaN", loops[row].at(static_cast<size_t>(column - loops[0].begin()))) << parameter << " loop " << row;
    }
}

// With the pressure recorded 20 mmHg low every end-diastolic pressure lies below zero, where no curve
// A exp(B V) with A >= 0 goes: the solver stops without one. analyze and a macro say so, naming the relation,
// and say that no loop has an area for want of it.
TEST(AnalyzeNoFit, AnExponentialEdpvrTheSolverFindsNoneOfIsSaidInAnalyzeAndMacro)
{
    const HostTests::TemporaryFile low("analyze-edp-far-low.csv",
                                       OcclusionText(40, "LV Pressure (mmHg),LV Volume (uL),ECG (mV)", {1.0, 20.0, 1.0, 0.0}));
    const HostTests::TemporaryFile macro("analyze-edp-far-low.mac", "Doc.AnalyzeSistraNow\n");
    for (const auto& [command, args] : {std::pair{"analyze", std::vector<std::string>{"analyze", low.Path()}},
                                        std::pair{"macro", std::vector<std::string>{"macro", macro.Path(), low.Path()}}})
    {
        const Output run = RunSistra(args);
        ASSERT_EQ(Host::ExitOk, run.status) << run.err;
        const std::string prefix = std::string("sistra ") + command + ": warning: ";
        EXPECT_NE(std::string::npos, run.err.find(prefix + "EDPVR exponential: no fit, the solver finds no curve Ped = "
                                                           "A exp(B Ved) with A >= 0 through the points"))
            << run.err;
        EXPECT_NE(std::string::npos, run.err.find(prefix + "PVA, PE and CE: none for any loop")) << run.err;
    }
}

TEST_F(AnalyzeCommand, TheResultsSheetHoldsTheHemodynamicsTableOfTheAnalysedLoops)
{
    // The sheet goes into the folder --out makes.
    const ScratchFolder folder("analyze-results-sheet");
    const auto sheetFile = folder / "sheet.tsv";
    const Output run = RunSistra({"analyze", file->Path(), "--out", folder.string(), "--results-sheet",
                                  sheetFile.string()});
    ASSERT_EQ(Host::ExitOk, run.status) << run.err;
    const auto loops = TsvRows(FileText(folder / "loops.tsv"));
    const auto sheet = TsvRows(FileText(sheetFile));
    // The titles and a row per loop; the summary pane, which the table shows, follows under an empty row with
    // its titles and the four statistics.
    const std::vector<std::string> statistics = {"Avg", "Min", "Max", "Count"};
    ASSERT_EQ(loops.size() + 2 + statistics.size(), sheet.size());
    for (size_t row = 0; row < statistics.size(); ++row)
        EXPECT_EQ(statistics[row], sheet[sheet.size() - statistics.size() + row].at(0));
    EXPECT_EQ(sheet[0], sheet[loops.size() + 1]);
    const std::vector<std::string>& titles = sheet[0];
    const std::vector<std::string>& firstLoop = sheet[1];
    EXPECT_EQ("", titles.at(0));
    EXPECT_EQ("1", firstLoop.at(0));
    EXPECT_EQ(std::to_string(loops.size() - 1), sheet[loops.size() - 1].at(0));
    size_t compared = 0;
    for (size_t column = 1; column < titles.size(); ++column)
    {
        const auto found = std::find(loops[0].begin(), loops[0].end(), titles[column]);
        ASSERT_NE(loops[0].end(), found) << "no loop column " << titles[column];
        const std::string& loopValue = loops[1].at(static_cast<size_t>(found - loops[0].begin()));
        if (loopValue == "NaN")
        {
            EXPECT_EQ(" ", firstLoop.at(column)) << titles[column] << ": what is not a number shows a blank";
            continue;
        }
        const double value = std::stod(loopValue);
        // Four significant figures.
        EXPECT_NEAR(value, std::stod(firstLoop.at(column)), 5e-4 * std::abs(value)) << titles[column];
        ++compared;
    }
    EXPECT_GE(compared, 10u);
}

TEST_F(AnalyzeCommand, TheResultsSheetGoesToStandardOutputOrAFileOfItsOwnOrIsRefusedInWords)
{
    const ScratchFolder folder("analyze-sheet-places");
    const std::string out = folder.string(), loops = (folder / "loops.tsv").string();
    const struct
    {
        std::vector<std::string> args;
        int status;
        const char* says; // on standard output when the run succeeds, else on standard error
    } cases[] = {
        {{"--results-sheet", "-"}, Host::ExitOk, "\tSW ("},
        {{"--results-sheet", "/dev/stdout"}, Host::ExitOk, "\tSW ("},
        {{"--out", out, "--results-sheet", loops}, Host::ExitUsage, "is the same file as --out's loops.tsv"},
        {{"--out", out, "--results-sheet", (folder / "LOOPS.tsv").string()}, Host::ExitUsage,
         "differs only in case from --out's loops.tsv"},
        {{"--results-sheet", (folder / "a*b?.tsv").string()}, Host::ExitUsage, "holds *, which no name of a file"},
        {{"--save-settings", (folder / "a<b>|\"c.set").string()}, Host::ExitUsage, "holds <, which no name of a file"},
        {{"--save-settings", "/dev/fd/1"}, Host::ExitUsage,
         "the settings (--save-settings /dev/fd/1) and the summaries would be mixed on the standard output"},
        {{"--results-sheet", "/dev/fd/1", "--save-settings", "/proc/self/fd/1"}, Host::ExitUsage,
         "and the results sheet (--results-sheet /dev/fd/1) would be mixed on the standard output"},
        {{"--results-sheet", "/dev/stderr", "--save-settings", "/dev/fd/2"}, Host::ExitUsage, "mixed on the standard error"},
        {{"--out", out, "--out", out}, Host::ExitUsage, "--out is given twice: give it once"},
        {{"--results-sheet", "-", "--results-sheet", loops}, Host::ExitUsage, "--results-sheet is given twice"},
        {{"--results-sheet", file->Path()}, Host::ExitUsage, "is the same file as the recording"},
        {{"--results-sheet", (folder / "none" / "x.tsv").string()}, Host::ExitFailure, "none does not exist"},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> args{"analyze", file->Path()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Output run = RunSistra(args);
        EXPECT_EQ(c.status, run.status) << c.args.back() << ": " << run.err;
        const std::string& said = c.status == Host::ExitOk ? run.out : run.err;
        EXPECT_NE(std::string::npos, said.find(c.says)) << c.args.back() << ": " << said.substr(0, 200);
        // The sheet on standard output takes the summaries' place.
        EXPECT_EQ(std::string::npos, run.out.find("parameter\tunit")) << c.args.back();
        EXPECT_FALSE(std::filesystem::exists(folder)) << c.args.back();
    }
}

TEST_F(AnalyzeCommand, BadChannelsRegionsAndRecordingsFailAndWriteNothing)
{
    const HostTests::TemporaryFile twins("analyze-twins.csv", OcclusionText(6, "P (mmHg),P (mmHg),Volume (uL)"));
    const HostTests::TemporaryFile flat("analyze-flat.csv", "Time (s),Pressure (mmHg),Volume (uL)\n0,1,2\n0.001,1,2\n0.002,1,2\n");
    const struct
    {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{twins.Path(), "--pressure", "p", "--volume", "3"}, "ambiguous"},
        {{twins.Path(), "--volume", "3"}, "no channel is named as the pressure"},
        {{file->Path(), "--pressure", "9"}, "there is no channel 9"},
        {{file->Path(), "--volume", "Conductance"}, "no channel named 'Conductance'"},
        {{file->Path(), "--region", "50:60"}, "holds no samples"},
        {{file->Path(), "--region", "5:5"}, "holds no samples"},
        {{file->Path(), "--calibrate-pressure", "2:0=0,1=100"}, "but the pressure channel is 1"},
        {{file->Path(), "--calibrate-volume", "1:1,0"}, "but the volume channel is 2"},
        {{file->Path(), "--calibrate-volume", "2:0,5"}, "refused the volume calibration: slope: The slope can not be zero"},
        {{file->Path(), "--calibrate-volume", "2:-0.5,50"}, "refused the volume calibration: The calibration line falls"},
        {{flat.Path()}, "no loops"},
    };
    for (const auto& test : cases)
    {
        const ScratchFolder folder("analyze-refused");
        std::vector<std::string> args{"analyze"};
        args.insert(args.end(), test.args.begin(), test.args.end());
        args.insert(args.end(), {"--out", folder.string()});
        const Output refused = RunSistra(args);
        EXPECT_EQ(Host::ExitFailure, refused.status) << test.says;
        EXPECT_NE(std::string::npos, refused.err.find(test.says)) << refused.err;
        EXPECT_TRUE(refused.out.empty());
        EXPECT_FALSE(std::filesystem::exists(folder)) << test.says;
    }
}

// Seconds count from the start of the recording, across its records; a sample belongs to a region from
// its start up to (not including) its end.
TEST(AnalyzeRegion, SecondsBecomeTheTicksOfTheRecordsTheyFallIn)
{
    const Host::Recording recording =
        HostTests::MakeRecording(0.1, {{std::vector<float>(10, 1.0f)}, {std::vector<float>(5, 1.0f)}});
    const struct
    {
        double start, end;
        Host::TickRange expected;
    } cases[] = {
        {0.0, 2.0, {0, 0, 1, 5}}, {0.25, 0.55, {0, 3, 0, 6}}, {1.0, 1.25, {1, 0, 1, 3}}, {-5.0, 0.1, {0, 0, 0, 1}}};
    for (const auto& test : cases)
    {
        const Host::TickRange range = Host::RegionTicks(recording, test.start, test.end);
        EXPECT_EQ(test.expected.firstRecord, range.firstRecord) << test.start;
        EXPECT_EQ(test.expected.firstTick, range.firstTick) << test.start;
        EXPECT_EQ(test.expected.endRecord, range.endRecord) << test.start;
        EXPECT_EQ(test.expected.endTick, range.endTick) << test.start;
    }
    EXPECT_THROW(Host::RegionTicks(recording, 0.95, 1.0), std::runtime_error);
    EXPECT_THROW(Host::RegionTicks(recording, 0.5, 0.4), std::runtime_error);
}

// The frame's macro recorder writes the host's selection in seconds: every selection reads back as its ticks,
// also at a sample interval that no decimal writes exactly and in records after the first.
TEST(AnalyzeRegion, ASelectionWrittenAsAStatementReadsBackAsItsTicks)
{
    const Host::Recording recording = HostTests::MakeRecording(
        1.0 / 3000.0, {{std::vector<float>(9000, 1.0f)}, {std::vector<float>(7, 1.0f)}, {std::vector<float>(3001, 1.0f)}});
    std::mt19937 random(53);
    for (int trial = 0; trial < 2000; ++trial)
    {
        const auto record = static_cast<int32_t>(random() % recording.RecordCount());
        const auto length = static_cast<uint32_t>(recording.RecordAt(static_cast<size_t>(record)).Length());
        const auto first = static_cast<int32_t>(random() % length);
        const auto end = first + 1 + static_cast<int32_t>(random() % (length - static_cast<uint32_t>(first)));
        const std::string text = Host::ToUtf8(Host::SelectStatement(recording, {record, first}, {record, end}));
        const size_t from = text.find("start:="), to = text.find(", end:=");
        ASSERT_EQ(0u, text.find("Host.Select ")) << text;
        ASSERT_NE(std::string::npos, to) << text;
        const Host::TickRange range = Host::RegionTicks(recording, std::stod(text.substr(from + 7, to - from - 7)),
                                                        std::stod(text.substr(to + 7)));
        EXPECT_EQ((std::array{record, first, record, end}),
                  (std::array{range.firstRecord, range.firstTick, range.endRecord, range.endTick})) << text;
    }
}

// Calibrating raw channels through the calibration steps gives the loops the recording converted
// beforehand gives.
TEST_F(AnalyzeCommand, CalibratedRawChannelsGiveTheLoopsOfTheConvertedRecording)
{
    const Output converted = RunSistra({"analyze", file->Path()});
    ASSERT_EQ(Host::ExitOk, converted.status) << converted.err;
    const Table expected = FirstTable(converted.out);
    const struct
    {
        const char* header;
        Recorded recorded;
        std::vector<std::string> calibrations;
    } cases[] = {
        {"LV Pressure (mV),LV Volume (uL),ECG (mV)", {2.0, -5.0}, {"--calibrate-pressure", "1:2.5=0,52.5=100"}},
        // Conductance in mS: microlitres = 4 * mS + 30.
        {"LV Pressure (mmHg),LV Volume (mS),ECG (mV)", {1.0, 0.0, 4.0, 30.0}, {"--calibrate-volume", "2:4,30"}},
        {"LV Pressure (mV),LV Volume (mS),ECG (mV)", {2.0, -5.0, 0.5, -10.0},
         {"--calibrate-volume", "LV Volume:0.5,-10", "--calibrate-pressure", "1:2.5=0,52.5=100"}},
    };
    for (const auto& test : cases)
    {
        const HostTests::TemporaryFile rawFile("analyze-raw.csv", OcclusionText(40, test.header, test.recorded));
        std::vector<std::string> args{"analyze", rawFile.Path()};
        args.insert(args.end(), test.calibrations.begin(), test.calibrations.end());
        const Output calibrated = RunSistra(args);
        ASSERT_EQ(Host::ExitOk, calibrated.status) << calibrated.err;
        const Table summary = FirstTable(calibrated.out);
        ASSERT_EQ(expected.size(), summary.size()) << test.header;
        for (const auto& [parameter, cells] : expected)
        {
            const std::vector<std::string>& got = summary.at(parameter);
            EXPECT_EQ(cells[0], got[0]) << parameter << " unit; " << test.header;
            EXPECT_EQ(cells[1], got[1]) << parameter << " count; " << test.header;
            // A value read at a detected sample (the '@' parameters) may come from the neighbouring
            // sample, as the two files differ in their last printed digits; so do the volume's
            // derivatives (and the power they give), the raw conductance being rounded otherwise.
            const double tolerance = parameter.find('@') != std::string::npos                 ? 0.05
                                     : parameter.find("dV/dt") == 0 || parameter == "PowMax" ? 2e-3
                                                                                              : 1e-4;
            for (size_t column = 2; column < cells.size(); ++column)
            {
                const double want = std::stod(cells[column]), have = std::stod(got[column]);
                if (std::isnan(want))
                    EXPECT_TRUE(std::isnan(have)) << parameter << " column " << column << "; " << test.header;
                else
                    EXPECT_NEAR(want, have, tolerance * (1.0 + std::abs(want)))
                        << parameter << " column " << column << "; " << test.header;
            }
        }
    }
}

// Calibrations given before the first record is sampled hold for every record: the runs that analyse the rows
// as they arrive (read as they are parsed, or sampled in chunks) print what the run over the recording read
// whole (its region the whole recording) prints.
TEST_F(AnalyzeCommand, CalibrationsGivenBeforeSamplingPrintWhatTheOfflineRunPrints)
{
    const HostTests::TemporaryFile rawFile(
        "analyze-raw-online.csv",
        OcclusionText(40, "LV Pressure (mV),LV Volume (mS),ECG (mV)", {2.0, -5.0, 0.5, -10.0}));
    const std::vector<std::string> calibrated{"analyze", rawFile.Path(), "--calibrate-volume", "2:0.5,-10",
                                              "--calibrate-pressure", "1:2.5=0,52.5=100"};
    const auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), calibrated.begin(), calibrated.end());
        return RunSistra(more);
    };
    const Output offline = with({"--region", "0:32"});
    ASSERT_EQ(Host::ExitOk, offline.status) << offline.err;
    for (const auto& args : std::vector<std::vector<std::string>>{{}, {"--online", "--chunk", "997"}})
    {
        const Output online = with(args);
        ASSERT_EQ(Host::ExitOk, online.status) << online.err;
        EXPECT_EQ(offline.out, online.out) << args.size();
    }
}

// The second recording's channel names say nothing of what they carry: only the first run's saved
// settings (its channels and its ECG detection) can analyse it as the first run analysed its own.
TEST_F(AnalyzeCommand, SavedSettingsAnalyseAnotherRecordingWithTheFirstRunsChoices)
{
    const HostTests::TemporaryFile second("analyze-unnamed.csv", OcclusionText(30, "A (mmHg),B (uL),C (mV)"));
    const ScratchFolder folder("analyze-settings", ScratchFolder::Made);
    const std::string settings = (folder / "s.bin").string();
    const Output first = RunSistra({"analyze", file->Path(), "--ecg", "ecg", "--save-settings", settings});
    ASSERT_EQ(Host::ExitOk, first.status) << first.err;

    const Output loaded = RunSistra({"analyze", second.Path(), "--settings", settings});
    const Output named = RunSistra({"analyze", second.Path(), "--pressure", "1", "--volume", "2", "--ecg", "3"});
    ASSERT_EQ(Host::ExitOk, loaded.status) << loaded.err;
    ASSERT_EQ(Host::ExitOk, named.status) << named.err;
    EXPECT_EQ(named.out, loaded.out);
    EXPECT_NE(RunSistra({"analyze", second.Path(), "--pressure", "1", "--volume", "2"}).out, loaded.out)
        << "the ECG detection came with the settings";

    std::ofstream(folder / "damaged.bin", std::ios::binary) << "not the module's settings";
    const struct
    {
        std::vector<std::string> args;
        int status;
        const char* says;
    } refused[] = {
        {{second.Path(), "--settings", (folder / "damaged.bin").string()}, Host::ExitFailure, "could not be loaded"},
        {{second.Path(), "--settings", (folder / "missing.bin").string()}, Host::ExitFailure, "could not be loaded"},
        {{second.Path(), "--settings", settings, "--pressure", "1"}, Host::ExitUsage, "go without it"},
    };
    for (const auto& test : refused)
    {
        std::vector<std::string> args{"analyze"};
        args.insert(args.end(), test.args.begin(), test.args.end());
        const Output run = RunSistra(args);
        EXPECT_EQ(test.status, run.status) << test.says;
        EXPECT_NE(std::string::npos, run.err.find(test.says)) << run.err;
        EXPECT_TRUE(run.out.empty()) << test.says;
    }
}

// Settings that cannot be written stop the run in words before anything is printed as a success.
TEST_F(AnalyzeCommand, SettingsThatCannotBeWrittenFailNamingWhy)
{
    const ScratchFolder folder("analyze-unwritable", ScratchFolder::Made);
    const struct
    {
        std::string target;
        std::string says;
    } cases[] = {
        {folder.string(), "is a folder"},
        {"/dev/full", "Disk full"},
        {(folder / "missing" / "s.bin").string(), "the folder " + (folder / "missing").string() + " does not exist"},
    };
    for (const auto& test : cases)
    {
        const Output run = RunSistra({"analyze", file->Path(), "--save-settings", test.target});
        EXPECT_EQ(Host::ExitFailure, run.status) << test.target;
        EXPECT_NE(std::string::npos, run.err.find("the settings could not be written to " + test.target + ": ")) << run.err;
        EXPECT_NE(std::string::npos, run.err.find(test.says)) << run.err;
        EXPECT_TRUE(run.out.empty()) << test.target;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    for (const auto& entry : std::filesystem::directory_iterator(folder.parent_path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(folder.filename().string() + ".part"))
            << "a partial file was left beside the folder: " << entry.path();
}

// A macro that chooses the channels, analyses, excludes a loop and analyses again prints what analyze
// prints, since a new analysis starts with no loop excluded; before that second analysis the summaries
// count one loop fewer.
TEST_F(AnalyzeCommand, AMacroOfTheSameStepsPrintsWhatAnalyzePrints)
{
    const Output analyzed = RunSistra({"analyze", file->Path(), "--pressure", "1", "--volume", "2"});
    ASSERT_EQ(Host::ExitOk, analyzed.status) << analyzed.err;
    const std::string steps = "' the setup pane's choice, then the commands\n"
                              "Host.Channels pressure:=1, volume:=\"LV Volume\"\n"
                              "Doc.AnalyzeSistraNow\n"
                              "Host.ExcludeLoops loops:=\"3\"\n";
    const Output reanalysed = RunMacro("macro-again.txt", steps + "Doc.AnalyzeSistraNow\n");
    ASSERT_EQ(Host::ExitOk, reanalysed.status) << reanalysed.err;
    EXPECT_EQ("Host.Channels: 1\nAnalyzeSistraNow: 1\nHost.ExcludeLoops: 1\nAnalyzeSistraNow: 1\n\n" + analyzed.out,
              reanalysed.out);

    const Output excluded = RunMacro("macro-exclude.txt", steps);
    ASSERT_EQ(Host::ExitOk, excluded.status) << excluded.err;
    EXPECT_EQ(LoopCount(analyzed.out) - 1, LoopCount(excluded.out.substr(excluded.out.find("\n\n") + 2)));
    const Output refused = RunMacro("macro-wrong.txt", "Doc.AnalyzeSistraNow\nDoc.NoSuchCommand\n");
    EXPECT_EQ(Host::ExitFailure, refused.status);
    EXPECT_NE(std::string::npos, refused.err.find("macro-wrong.txt:2: the module has no command NoSuchCommand"));
}

// Outside the workflow (--no-workflow, as gui's) the saline calibration applies by itself: every volume lies
// Vp lower than analyze gives it and the pressures stay. In the workflow with none of its steps chosen it is
// refused, as the frame refuses it.
TEST_F(AnalyzeCommand, TheSalineCalibrationAppliesInABatchOutsideTheWorkflow)
{
    const Output analyzed = RunSistra({"analyze", file->Path()});
    ASSERT_EQ(Host::ExitOk, analyzed.status) << analyzed.err;
    const std::string saline = "Doc.AnalyzeSistraNow\nDoc.ApplySistraSalineCalibration Vp:=2.5e-6\n";
    const Output applied = RunMacro("macro-saline.txt", saline, {"--no-workflow"});
    ASSERT_EQ(Host::ExitOk, applied.status) << applied.err;
    EXPECT_NE(std::string::npos, applied.out.find("ApplySistraSalineCalibration: 1")) << applied.out;
    const Table plain = FirstTable(analyzed.out);
    const Table calibrated = FirstTable(applied.out.substr(applied.out.find("\n\n") + 2));
    const auto average = [](const Table& table, const char* parameter) { return std::stod(table.at(parameter).at(2)); };
    for (const char* volume : {"Ved", "Ves", "Vmax", "Vmin"})
        EXPECT_NEAR(average(plain, volume) - 2.5, average(calibrated, volume), 1e-5) << volume;
    for (const char* pressure : {"Ped", "Pes", "Pmax"})
        EXPECT_EQ(average(plain, pressure), average(calibrated, pressure)) << pressure;

    const Output inWorkflow = RunMacro("macro-saline.txt", saline);
    EXPECT_EQ(Host::ExitFailure, inWorkflow.status);
    EXPECT_NE(std::string::npos, inWorkflow.out.find("ApplySistraSalineCalibration: 0")) << inWorkflow.out;
}

// A macro starts on the sources analyze takes: the settings of --settings, or those Host.Channels names with
// its ECG, and prints what analyze prints on them.
TEST_F(AnalyzeCommand, AMacroAnalysesOnTheSettingsAndTheEcgAnalyzeTakes)
{
    const ScratchFolder folder("macro-sources", ScratchFolder::Made);
    const std::string settings = (folder / "ecg.set").string();
    const Output byEcg = RunSistra({"analyze", file->Path(), "--ecg", "3", "--save-settings", settings});
    ASSERT_EQ(Host::ExitOk, byEcg.status) << byEcg.err;
    ASSERT_NE(RunSistra({"analyze", file->Path()}).out, byEcg.out) << "the ECG finds other end-diastoles";
    const struct
    {
        const char* macro;
        std::vector<std::string> options;
    } cases[] = {
        {"Doc.AnalyzeSistraNow\n", {"--settings", settings}},
        {"Host.Channels pressure:=1, volume:=2, ecg:=\"ECG\"\nDoc.AnalyzeSistraNow\n", {}},
    };
    for (const auto& test : cases)
    {
        const Output run = RunMacro("macro-sources.txt", test.macro, test.options);
        ASSERT_EQ(Host::ExitOk, run.status) << run.err << test.macro;
        EXPECT_EQ(byEcg.out, run.out.substr(run.out.find("\n\n") + 2)) << test.macro;
    }
}

namespace
{

// loops.tsv, summary.tsv and regressions.tsv of an analyze run with --out, the arguments after the file.
std::string OutTables(const std::string& recording, std::vector<std::string> more, const char* folderName)
{
    const ScratchFolder folder(folderName);
    std::vector<std::string> args{"analyze", recording, "--out", folder.string()};
    args.insert(args.end(), more.begin(), more.end());
    const Output run = RunSistra(args);
    EXPECT_EQ(Host::ExitOk, run.status) << run.err;
    std::string tables = FileText(folder / "loops.tsv") + FileText(folder / "summary.tsv") +
                         FileText(folder / "regressions.tsv");
    return tables;
}

} // namespace

// A settings file that holds a calibration analyses as the calibration command did, to the last digit: loops,
// summaries and every relation (the tangent ESPVR and the areas read the calibrated volume too).
TEST_F(AnalyzeCommand, SavedCalibrationsAnalyseAsTheCalibrationCommands)
{
    const HostTests::TemporaryFile raw(
        "analyze-raw-settings.csv",
        OcclusionText(40, "LV Pressure (mV),LV Volume (mS),ECG (mV)", {2.0, -5.0, 0.5, -10.0}));
    const ScratchFolder folder("analyze-calibration-settings", ScratchFolder::Made);
    const std::string settings = (folder / "calibrated.set").string();
    // The volume's line alone is the next test's (this recording's pressure needs its calibration to beat).
    const std::vector<std::string> kinds[] = {
        {"--calibrate-pressure", "1:2.5=0,52.5=100"},
        {"--calibrate-volume", "2:0.5,-10", "--calibrate-pressure", "1:2.5=0,52.5=100"},
    };
    for (const auto& calibration : kinds)
    {
        std::vector<std::string> saving = calibration;
        saving.insert(saving.end(), {"--save-settings", settings});
        const std::string calibrated = OutTables(raw.Path(), saving, "calibrated-out");
        EXPECT_EQ(calibrated, OutTables(raw.Path(), {"--settings", settings}, "loaded-out")) << calibration.front();
    }
}

// A line made on a channel recorded in uL, loaded for a channel recorded in mL, calibrates the same
// physical volume: the mL recording analyses as its own command with the line for mL.
TEST_F(AnalyzeCommand, ASavedVolumeLineIsConvertedForAChannelInAnotherUnit)
{
    const HostTests::TemporaryFile micro(
        "analyze-volume-ul.csv", OcclusionText(40, "LV Pressure (mmHg),LV Volume (uL),ECG (mV)", {1.0, 0.0, 0.5, -10.0}));
    const HostTests::TemporaryFile milli(
        "analyze-volume-ml.csv", OcclusionText(40, "LV Pressure (mmHg),LV Volume (mL),ECG (mV)", {1.0, 0.0, 500.0, -10.0}));
    const ScratchFolder folder("analyze-volume-units", ScratchFolder::Made);
    const std::string settings = (folder / "line.set").string();
    OutTables(micro.Path(), {"--calibrate-volume", "2:0.5,-10", "--save-settings", settings}, "micro-out");
    EXPECT_EQ(OutTables(milli.Path(), {"--calibrate-volume", "2:500,-10"}, "milli-out"),
              OutTables(milli.Path(), {"--settings", settings}, "milli-loaded-out"));
}

// A settings file whose calibration no command would make (damaged, or written by hand) is refused with
// the calibration named, and nothing is printed.
TEST_F(AnalyzeCommand, ASettingsFileWithACalibrationTheCommandsRefuseIsRefused)
{
    const HostTests::TemporaryFile raw(
        "analyze-raw-damaged.csv",
        OcclusionText(40, "LV Pressure (mV),LV Volume (mS),ECG (mV)", {2.0, -5.0, 0.5, -10.0}));
    const ScratchFolder folder("analyze-damaged-settings", ScratchFolder::Made);
    const std::string settings = (folder / "good.set").string();
    const Output saved = RunSistra({"analyze", raw.Path(), "--calibrate-volume", "2:0.5,-10", "--calibrate-pressure",
                                    "1:2.5=0,52.5=100", "--save-settings", settings});
    ASSERT_EQ(Host::ExitOk, saved.status) << saved.err;
    const std::string file = FileText(settings);
    const std::vector<char> record = Host::UnwrapSettingsRecord({file.begin(), file.end()});
    // The stored values: the cuvette slope in litres per unprefixed unit, the pressure points in volts; the
    // file written anew around the changed record, as by hand, so that its checksum holds.
    const auto replaced = [&](double stored, double damaged) {
        std::string text(record.begin(), record.end());
        const std::string from(reinterpret_cast<const char*>(&stored), sizeof stored);
        const size_t at = text.find(from);
        EXPECT_NE(std::string::npos, at) << stored;
        if (at != std::string::npos)
            text.replace(at, sizeof damaged, std::string(reinterpret_cast<const char*>(&damaged), sizeof damaged));
        const std::vector<char> rewritten = Host::WrapSettingsRecord({text.begin(), text.end()});
        return std::string(rewritten.begin(), rewritten.end());
    };
    const double slope = 0.5 / 1e-3 * 1e-6;
    const struct
    {
        std::string text;
        const char* says;
    } damaged[] = {
        {replaced(slope, -8.4e14), "the cuvette calibration is refused: The slope must be between"},
        {replaced(52.5 * 1e-3, 2.5 * 1e-3), "the pressure calibration is refused: The base pressure values cannot be equal"},
    };
    for (const auto& test : damaged)
    {
        const std::string path = (folder / "damaged.set").string();
        std::ofstream(path, std::ios::binary) << test.text;
        const Output run = RunSistra({"analyze", raw.Path(), "--settings", path});
        EXPECT_EQ(Host::ExitFailure, run.status) << test.says;
        EXPECT_NE(std::string::npos, run.err.find(test.says)) << run.err;
        EXPECT_TRUE(run.out.empty()) << test.says;
    }
}

// The mean of a parameter in analyze's printed summaries.
double SummaryMean(const std::string& out, const std::string& parameter)
{
    return std::stod(FirstTable(out).at(parameter).at(2));
}

// A pressure calibration made on a recording in mmHg calibrates the same physical pressure on one in kPa;
// a volume calibration made on a channel in mS is refused for one in V, both units named as recorded.
TEST_F(AnalyzeCommand, SavedCalibrationsHoldInTheUnitsTheyWereMadeIn)
{
    const HostTests::TemporaryFile kilopascals(
        "analyze-kpa.csv", OcclusionText(40, "LV Pressure (kPa),LV Volume (uL),ECG (mV)", {7.500616827, 0.0, 1.0, 0.0}));
    const HostTests::TemporaryFile siemens(
        "analyze-ms.csv", OcclusionText(40, "LV Pressure (mmHg),LV Volume (mS),ECG (mV)", {1.0, 0.0, 0.5, -10.0}));
    const HostTests::TemporaryFile volts(
        "analyze-v.csv", OcclusionText(40, "LV Pressure (mmHg),LV Volume (V),ECG (mV)", {1.0, 0.0, 0.5, -10.0}));
    const ScratchFolder folder("analyze-settings-units", ScratchFolder::Made);
    const std::string pressure = (folder / "pressure.set").string(), volume = (folder / "volume.set").string();
    const Output made = RunSistra({"analyze", file->Path(), "--calibrate-pressure", "1:0=0,100=100", "--save-settings", pressure});
    ASSERT_EQ(Host::ExitOk, made.status) << made.err;
    const Output loaded = RunSistra({"analyze", kilopascals.Path(), "--settings", pressure});
    ASSERT_EQ(Host::ExitOk, loaded.status) << loaded.err;
    for (const char* parameter : {"Pmax", "Pes", "Ped"})
        EXPECT_NEAR(SummaryMean(made.out, parameter), SummaryMean(loaded.out, parameter),
                    1e-4 * std::abs(SummaryMean(made.out, parameter)))
            << parameter;

    ASSERT_EQ(Host::ExitOk, RunSistra({"analyze", siemens.Path(), "--calibrate-volume", "2:0.5,-10", "--save-settings", volume}).status);
    const Output refused = RunSistra({"analyze", volts.Path(), "--settings", volume});
    EXPECT_EQ(Host::ExitFailure, refused.status);
    EXPECT_NE(std::string::npos, refused.err.find("made on a channel recorded in mS, and this recording's channel is in V"))
        << refused.err;
    EXPECT_TRUE(refused.out.empty());

    // A channel without a unit would read a line made in uL as litres.
    const HostTests::TemporaryFile unitless(
        "analyze-no-unit.csv", OcclusionText(40, "LV Pressure (mmHg),LV Volume,ECG (mV)", {1.0, 0.0, 1.0, 0.0}));
    const std::string micro = (folder / "micro.set").string();
    ASSERT_EQ(Host::ExitOk, RunSistra({"analyze", file->Path(), "--calibrate-volume", "2:1,0", "--save-settings", micro}).status);
    const Output noUnit = RunSistra({"analyze", unitless.Path(), "--settings", micro});
    EXPECT_EQ(Host::ExitFailure, noUnit.status);
    EXPECT_NE(std::string::npos, noUnit.err.find("made on a channel recorded in \xC2\xB5L, and this recording's channel has no unit"))
        << noUnit.err;
    EXPECT_TRUE(noUnit.out.empty());
}

// A settings file damaged anywhere (one byte of it changed) is refused, its cause named, and nothing printed;
// a calibration gain no transducer has is refused.
TEST_F(AnalyzeCommand, DamagedSettingsAndImpossibleGainsAreRefused)
{
    const ScratchFolder folder("analyze-flipped-settings", ScratchFolder::Made);
    const std::string settings = (folder / "good.set").string(), damaged = (folder / "damaged.set").string();
    ASSERT_EQ(Host::ExitOk, RunSistra({"analyze", file->Path(), "--calibrate-pressure", "1:0=0,100=100",
                                       "--save-settings", settings})
                                .status);
    const std::string bytes = FileText(settings);
    for (size_t at = 0; at < bytes.size(); at += 97)
    {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 0x5A);
        std::ofstream(damaged, std::ios::binary) << changed;
        const Output run = RunSistra({"analyze", file->Path(), "--settings", damaged});
        EXPECT_EQ(Host::ExitFailure, run.status) << "byte " << at;
        EXPECT_NE(std::string::npos, run.err.find("is damaged")) << "byte " << at << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << "byte " << at;
    }
    const Output gain = RunSistra({"analyze", file->Path(), "--calibrate-pressure", "1:0=0,1=1e37"});
    EXPECT_EQ(Host::ExitFailure, gain.status);
    EXPECT_NE(std::string::npos, gain.err.find("gain of 1e+37")) << gain.err;
    EXPECT_TRUE(gain.out.empty());
}

// A macro statement and what the run says of it.
struct MacroCase
{
    const char* statement;
    const char* says;
};

// A command the document does not carry out answers 0, says why naming the argument, changes nothing (the
// analysis after it prints what analyze prints), and the macro ends as a failure.
TEST_F(AnalyzeCommand, RefusedMacroCommandsAnswerZeroAndChangeNothing)
{
    const Output analyzed = RunSistra({"analyze", file->Path(), "--pressure", "1", "--volume", "2"});
    ASSERT_EQ(Host::ExitOk, analyzed.status) << analyzed.err;
    const MacroCase refused[] = {
        // A workflow with no mammal chosen never takes the cuvette regression.
        {"Doc.ApplySistraCuvetteCalibration slope:=0.5, intercept:=3", "the cuvette calibration applies in the small mammal"},
        {"Doc.ApplySistraCuvetteCalibration slope:=1e12, intercept:=3", "slope: The slope must be between"},
        {"Host.Channels pressure:=1, volume:=1", "Host.Channels was refused"},
        {"Doc.SelectASistra LoopIdx:=99999", "LoopIdx: there is no loop 99999"},
        {"Doc.SetESPVRegressionType RegressionType:=\"99\"", "RegressionType: takes Linear"},
        {"Doc.RemoveParallelConductanceFromList position:=-5", "position: the list has no entry -5"},
        {"Host.ExcludeLoops loops:=\"99999\"", "loops: there is no loop 99999"},
        {"Doc.SetKnownSistraVolumeValueFromSel pointIdx:=99", "pointIdx: the point is 0 or 1, not 99"},
        {"Doc.SetKnownSistraVolumeValueFromSel pointIdx:=0", "the volume channel has no selection"},
    };
    for (const auto& test : refused)
    {
        const Output run =
            RunMacro("macro-refused.txt", std::string("Doc.AnalyzeSistraNow\n") + test.statement + "\nDoc.AnalyzeSistraNow\n");
        EXPECT_EQ(Host::ExitFailure, run.status) << test.statement;
        EXPECT_NE(std::string::npos, run.err.find("macro-refused.txt:2: ")) << run.err;
        EXPECT_NE(std::string::npos, run.err.find(test.says)) << run.err;
        const size_t summaries = run.out.find("\n\n");
        ASSERT_NE(std::string::npos, summaries) << test.statement;
        EXPECT_NE(std::string::npos, run.out.substr(0, summaries).find(": 0\n")) << run.out;
        EXPECT_EQ(analyzed.out, run.out.substr(summaries + 2)) << test.statement;
    }

    const Output run = RunMacro("macro-unanalysed.txt", "Doc.SetEDPVRegressionType RegressionType:=\"Linear\"\n");
    EXPECT_EQ(Host::ExitFailure, run.status);
    EXPECT_EQ("SetEDPVRegressionType: 1\n", run.out);
    EXPECT_NE(std::string::npos, run.err.find("no loops analysed")) << run.err;
}

// Outside the workflow, where these calibrations apply by themselves, values no volume can have are refused
// naming the argument, and every volume stays as analyze gives it: Vp -1 (litres) raised every volume by
// 1000 mL, a falling cuvette line turned the loops over, each with status 0.
TEST_F(AnalyzeCommand, ImpossibleCalibrationValuesAreRefusedAndChangeNoVolume)
{
    const Output analyzed = RunSistra({"analyze", file->Path()});
    ASSERT_EQ(Host::ExitOk, analyzed.status) << analyzed.err;
    const MacroCase refused[] = {
        {"Doc.ApplySistraSalineCalibration Vp:=-1", "Vp: The parallel conductance must be a finite volume of zero or more"},
        {"Doc.ApplySistraCuvetteCalibration slope:=-0.5, intercept:=50", "was refused: The calibration line falls"},
        {"Doc.EditParallelConductanceInList position:=1, parallelConductance:=-2",
         "parallelConductance: The parallel conductance must be a finite volume"},
    };
    for (const auto& test : refused)
    {
        const Output run = RunMacro("macro-impossible.txt", std::string("Doc.AnalyzeSistraNow\n") + test.statement + "\n",
                                    {"--no-workflow"});
        EXPECT_EQ(Host::ExitFailure, run.status) << test.statement;
        EXPECT_NE(std::string::npos, run.err.find(test.says)) << run.err;
        EXPECT_EQ(analyzed.out, run.out.substr(run.out.find("\n\n") + 2)) << test.statement;
    }
}

// A command that can do nothing in the document's state answers 0 and says why; a selection made by the
// host's statement gives the commands that read the selection theirs.
TEST_F(AnalyzeCommand, MacroCommandsAnswerWhetherTheyDidAnything)
{
    const struct
    {
        const char* statement;
        int answer;
        const char* says; // on stderr when refused
    } cases[] = {
        {"Doc.AddSelToSistraCuvetteCalibration", 0, "the cuvette calibration view is not open"},
        {"Doc.AddAnalyzedParallelConductance", 0, "the analysis gives no parallel conductance"},
        {"Doc.ApplySistraSalineCalibration Vp:=2.5", 0, "the saline correction applies in the small and large mammal"},
        {"Doc.ApplySistraCuvetteCalibration slope:=0.5, intercept:=3", 0, "the cuvette calibration applies in the small mammal"},
        {"Doc.CopyPVTableToTallion", 0, "there is no analysis to copy"},
        {"Doc.ReselectSistraAnalyzedRegion", 0, "there is no analysed region to select"},
        {"Doc.SetSistraPressureValueFromSel pointIdx:=0", 0, "has no selection"},
        {"Host.Select start:=0.1, end:=0.3\nDoc.SetSistraPressureValueFromSel pointIdx:=0", 1, ""},
        {"Host.Select start:=0.1, end:=0.3\nDoc.SetSistraConductanceValueFromSel pointIdx:=1", 1, ""},
        {"Host.Select start:=0.1, end:=0.3\nDoc.SetSistraVolumeValueFromSel pointIdx:=0", 1, ""},
    };
    for (const auto& test : cases)
    {
        const Output run = RunMacro("macro-answers.txt", std::string(test.statement) + "\nDoc.AnalyzeSistraNow\n");
        const std::string statement = test.statement;
        const std::string command = statement.substr(statement.rfind("Doc.") + 4);
        EXPECT_NE(std::string::npos, run.out.find(command.substr(0, command.find(' ')) + ": " + std::to_string(test.answer)))
            << run.out;
        EXPECT_EQ(test.answer == 1 ? Host::ExitOk : Host::ExitFailure, run.status) << statement << ": " << run.err;
        EXPECT_NE(std::string::npos, run.err.find(test.says)) << run.err;
    }
}

// Arguments a command cannot take stop the macro at their line, said in words: no COM code, nothing
// handed to another parameter than the one named, no loop number wrapped round onto a loop that exists.
TEST_F(AnalyzeCommand, MacroArgumentsACommandCannotTakeStopTheRunInWords)
{
    const MacroCase cases[] = {
        {"Doc.ApplySistraCuvetteCalibration intercept:=3, slope:=0.5", "takes slope:= where the statement gives intercept:="},
        {"Doc.SelectASistra LoopIdx:=\"two\"", "an argument is not of its kind"},
        {"Doc.SelectASistra LoopIdx:=4294967297", "a number lies beyond the range its argument takes"},
        {"Doc.SelectASistra LoopIdx:=1.5", "1.5 is not a whole number: SelectASistra takes 1 argument"},
        {"Doc.SelectASistra", "another number of arguments: SelectASistra takes 1 argument, LoopIdx"},
        {"Host.Select start:=0.1, end:=x", "end:= takes a time in seconds from the recording's start, not 'x'"},
        {"Host.Select start:=500, end:=600", "the region 500:600 holds no samples of the recording"},
        {"Doc.AnalyzeSistraNow now:=1", "AnalyzeSistraNow takes no argument now:="},
        {"Host.ExcludeLoops loops:=\"4294967297\"", "loops:= names loop 4294967297, beyond any analysis"},
        {"Host.ExcludeLoops loops:=\"2 x\"", "not 'x'"},
        {"Host.WorkflowMode on:=\"maybe\"", "on:= takes True or False"},
    };
    for (const auto& test : cases)
    {
        const Output run = RunMacro("macro-stop.txt", std::string("Doc.AnalyzeSistraNow\n") + test.statement + "\n");
        EXPECT_EQ(Host::ExitFailure, run.status) << test.statement;
        EXPECT_NE(std::string::npos, run.err.find("macro-stop.txt:2: ")) << run.err;
        EXPECT_NE(std::string::npos, run.err.find(test.says)) << run.err;
        EXPECT_EQ(std::string::npos, run.err.find("0x8")) << run.err;
        EXPECT_EQ("AnalyzeSistraNow: 1\n", run.out) << test.statement;
    }
}

// Channels chosen anew after an analysis clear it: its summaries would be printed under the new channels'
// units.
TEST_F(AnalyzeCommand, ChannelsChosenAfterAnAnalysisClearIt)
{
    const Output run = RunMacro("macro-channels.txt", "Doc.AnalyzeSistraNow\nHost.Channels pressure:=2, volume:=1\n");
    EXPECT_EQ(Host::ExitFailure, run.status);
    EXPECT_NE(std::string::npos, run.out.find("the earlier analysis was cleared")) << run.out;
    EXPECT_NE(std::string::npos, run.err.find("no loops analysed")) << run.err;
}

// `macro --help` names every command with an example, and its example macro runs; every example statement
// is taken by its command (a refusal for the document's state aside).
TEST_F(AnalyzeCommand, MacroHelpDocumentsEveryCommandAndItsExamplesRun)
{
    const Output help = RunSistra({"macro", "--help"});
    ASSERT_EQ(Host::ExitOk, help.status) << help.err;
    std::istringstream lines(help.out);
    std::string examples = "Doc.AnalyzeSistraNow\n", example;
    size_t commands = 0;
    bool inExample = false;
    for (std::string line; std::getline(lines, line);)
    {
        if (line.starts_with("  Doc."))
        {
            examples += line.substr(2) + "\n";
            ++commands;
        }
        // The example ends at the blank line before the cuvette example.
        if (inExample && line.empty())
            inExample = false;
        if (inExample)
            example += line + "\n";
        inExample = inExample || line.ends_with(std::string(Host::MacroExampleCommand) + "):");
    }
    EXPECT_EQ(28u, commands) << help.out;
    // Run as the help says, outside the workflow, where each calibration applies by itself.
    EXPECT_NE(std::string::npos, help.out.find(std::string(Host::MacroExampleCommand) + "):\n")) << help.out;
    const Output ran = RunMacro("macro-example.txt", example, {"--no-workflow"});
    EXPECT_EQ(Host::ExitOk, ran.status) << ran.err << example;

    const Output every =
        RunMacro("macro-every.txt", "Host.Select start:=4, end:=8\n" + examples + "Doc.AnalyzeSistraNow\n", {"--no-workflow"});
    for (const char* calibration : {"ApplySistraSalineCalibration", "ApplySistraCuvetteCalibration"})
        EXPECT_NE(std::string::npos, every.out.find(std::string("\n") + calibration + ": 1\n")) << every.out << every.err;
    std::istringstream answers(every.out);
    size_t answered = 0;
    for (std::string line; std::getline(answers, line) && !line.empty();)
        answered += line.ends_with(": 0") || line.ends_with(": 1");
    EXPECT_EQ(commands + 3, answered) << "the run stopped before its end: " << every.err;
    EXPECT_EQ(std::string::npos, every.err.find(" takes ")) << every.err;
    // Each example is in the unit its command reads: none drives the volumes below zero.
    EXPECT_EQ(std::string::npos, every.err.find("below zero")) << every.err;
    EXPECT_NE(std::string::npos, help.out.find("Vp:=2.5e-06\n            Vp in the volume channel's unit without its prefix (litres"))
        << help.out;
}

// A macro is read by a name beyond ASCII, and from the standard input by its name.
TEST_F(AnalyzeCommand, AMacroIsReadWhateverItsNameAndFromStandardInput)
{
    const ScratchFolder folder("macro-names", ScratchFolder::Made);
    const std::filesystem::path named = folder / std::filesystem::path(L"\u00E9tude \u5FC3.txt");
    std::ofstream(named, std::ios::binary) << "Doc.AnalyzeSistraNow\n";
    const Output run = RunSistra({"macro", Host::ToUtf8(named.wstring()), file->Path()});
    EXPECT_EQ(Host::ExitOk, run.status) << run.err;
    EXPECT_TRUE(run.out.starts_with("AnalyzeSistraNow: 1\n")) << run.out;

    std::istringstream piped("Doc.AnalyzeSistraNow\nDoc.ShowESPVRegression ShowESPVR:=True\n");
    std::streambuf* const standardInput = std::cin.rdbuf(piped.rdbuf());
    const Output fromPipe = RunSistra({"macro", "/dev/stdin", file->Path()});
    std::cin.rdbuf(standardInput);
    EXPECT_EQ(Host::ExitOk, fromPipe.status) << fromPipe.err;
    EXPECT_TRUE(fromPipe.out.starts_with("AnalyzeSistraNow: 1\nShowESPVRegression: 1\n")) << fromPipe.out;
}

// A macro is judged a line at a time: a line no statement could fill, or the endless noise of a random
// device, stops the run at its line with memory to spare, after the statements before it ran.
TEST_F(AnalyzeCommand, AMacroStopsAtItsFirstBadLineWithoutReadingFurther)
{
    const Output run =
        RunMacro("macro-long.txt", "Doc.AnalyzeSistraNow\n" + std::string(100000, 'x') + "\nDoc.AnalyzeSistraNow\n");
    EXPECT_EQ(Host::ExitFailure, run.status);
    EXPECT_NE(std::string::npos, run.err.find("macro-long.txt:2: the line is longer than")) << run.err;
    EXPECT_EQ("AnalyzeSistraNow: 1\n", run.out);

    const Output noise = RunSistra({"macro", "Z:\\dev\\urandom", file->Path()});
    EXPECT_EQ(Host::ExitFailure, noise.status);
    EXPECT_NE(std::string::npos, noise.err.find("urandom:")) << noise.err;
}

// Input that is not what its option takes is named for what it is, not for a fault it leads to further on.
TEST_F(AnalyzeCommand, MisdirectedInputIsNamedForWhatItIs)
{
    const ScratchFolder folder("analyze-misdirected", ScratchFolder::Made);
    const std::string headerOnly = (folder / "header.set").string();
    {
        const std::vector<char> wrapped = Host::WrapSettingsRecord({});
        std::ofstream(headerOnly, std::ios::binary).write(wrapped.data(), static_cast<std::streamsize>(wrapped.size()));
    }
    const std::string empty = (folder / "empty.set").string();
    std::ofstream(empty, std::ios::binary).flush();
    // A settings file as earlier versions wrote it: the record alone.
    const std::string bare = (folder / "bare.set").string();
    ASSERT_EQ(Host::ExitOk, RunSistra({"analyze", file->Path(), "--save-settings", bare}).status);
    {
        const std::string wrapped = FileText(bare);
        const std::vector<char> record = Host::UnwrapSettingsRecord({wrapped.begin(), wrapped.end()});
        std::ofstream(bare, std::ios::binary | std::ios::trunc).write(record.data(), static_cast<std::streamsize>(record.size()));
    }
    const std::string dir = folder.string();
    // Vp in microlitres where the command reads litres.
    const std::string litres = (folder / "litres.txt").string();
    std::ofstream(litres) << "Host.WorkflowMode on:=False\nDoc.ApplySistraSalineCalibration Vp:=2.5\nDoc.AnalyzeSistraNow\n";
    const HostTests::TemporaryFile swapped("analyze-swapped.csv",
                                           OcclusionText(40, "LV Volume (uL),LV Pressure (mmHg),ECG (mV)"));
    const struct
    {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"analyze", file->Path(), "--settings", dir}, Host::ExitFailure, "is a folder: name a settings file"},
        {{"analyze", file->Path(), "--settings", headerOnly}, Host::ExitFailure, "holds no settings: it ends after its header"},
        {{"analyze", file->Path(), "--settings", empty}, Host::ExitFailure, "the file is empty"},
        {{"macro", dir, file->Path()}, Host::ExitFailure, "is a folder: name a macro file"},
        {{"macro", litres, file->Path(), "--settings", headerOnly}, Host::ExitFailure, "holds no settings: it ends after its header"},
        {{"macro", litres, file->Path(), "--settings"}, Host::ExitUsage, "--settings needs a settings file"},
        {{"macro", litres, "--no-workflow"}, Host::ExitUsage, "give a macro file and a recording"},
        {{"macro", litres, file->Path(), "--workflow"}, Host::ExitUsage, "unknown option --workflow"},
        {{"calc", "--expr-file", "/dev/urandom", file->Path()}, Host::ExitFailure, "holds more than 16 MB"},
        {{"analyze", file->Path(), "--pressure"}, Host::ExitUsage, "--pressure needs a value"},
        {{"gui", file->Path(), "--sample", "--speed"}, Host::ExitUsage, "--speed needs a value"},
        {{"gui", file->Path(), "--pressure"}, Host::ExitUsage, "--pressure needs a value"},
        // Warnings: the run goes on.
        {{"analyze", file->Path(), "--settings", bare}, Host::ExitOk, "has no checksum (an earlier version wrote it)"},
        {{"macro", litres, file->Path()}, Host::ExitOk, "the volumes fall below zero (Vmin down to -2"},
        {{"analyze", swapped.Path()}, Host::ExitOk, "the pressure channel looks like a volume"},
        {{"analyze", file->Path(), "--ecg", "1"}, Host::ExitOk, "the ECG is taken from channel 1, the pressure channel"},
        // The volume holds no R waves: the warning says why no loop is found.
        {{"analyze", file->Path(), "--ecg", "2"}, Host::ExitFailure, "the ECG is taken from channel 2, the volume channel"},
    };
    for (const auto& test : cases)
    {
        const Output run = RunSistra(test.args);
        EXPECT_EQ(test.status, run.status) << test.says << ": " << run.err;
        EXPECT_NE(std::string::npos, run.err.find(test.says)) << run.err;
        EXPECT_EQ(std::string::npos, run.err.find("denied")) << run.err;
        EXPECT_EQ(test.status == Host::ExitOk, !run.out.empty()) << test.says;
    }
    const Output clean = RunSistra({"analyze", file->Path(), "--ecg", "3"});
    EXPECT_EQ(std::string::npos, clean.err.find("warning")) << clean.err;
}
