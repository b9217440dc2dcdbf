// The main job as a user runs it: a mouse-like recording of pressure, volume and ECG at 2 kHz (about 480
// beats a minute) is written as text once for 10, 30 and 60 minutes, and `sistra-host calc` runs the loop
// analysis over it as a process of its own, with the Tau fit (end-systolic mode 0) and with the sine fit
// (mode 1), and `sistra-host analyze` runs the document's own analysis, once more with --out writing its
// three tables. Each run prints its wall time and peak memory against the samples' own size; the hour of
// each calc run is also taken apart in this process into its stages (load, analysis, output), with the
// quick pass the commands make over the text before they read it while analysing. Last come the ratios of the whole run to merely parsing the file (the hour's
// median of three runs against the median of the three parses the stages make), and of the document's run to
// the bare calculation, and of the document's run with its tables written to the run without.
// Given a folder (scripts/bench gives one), the bench leaves the hour's recording there as hour.csv and the
// sum of the document's stages in this process as in-process-seconds, for the script to time
// `scripts/sistra analyze` on the same hour as a whole process against it.
#include "host/bench/BeatRecording.h"
#include "host/bench/HostProcess.h"
#include "host/app/commands/AnalyzeCommand.h"
#include "host/app/commands/CalcCommand.h"
#include "host/app/FrameworkHost.h"
#include "host/app/ModuleLoader.h"
#include "host/app/ModuleSession.h"
#include "host/app/files/TextConversion.h"
#include "host/app/commands/TextOutput.h"
#include "host/app/document/HostDocument.h"
#include "host/app/gui/ModuleClasses.h"
#include "host/app/calc/CalcCursors.h"
#include "host/app/calc/ModuleCalcFunctions.h"
#include "host/app/recording/RecordingText.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace
{

constexpr double SampleRate = 2000.0;
constexpr double BeatSeconds = 0.125;  // 480 beats a minute
constexpr int ChannelCount = 3;
constexpr double Megabyte = 1024.0 * 1024.0;
// Targets: peak memory at most this many times the float samples plus a constant.
constexpr double MemoryPerSampleByte = 1.5;
constexpr double MemoryConstantMegabytes = 50.0;

const std::string EdpEvents = "PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20)";

struct Job
{
    const char* name;
    std::string expression; // none: the document's own analysis, `sistra-host analyze`
    bool writesTables = false; // analyze with --out
};

// Sources of the commands measured. The document's run detects end-diastole as the calc rows do (its
// default detector) and adds the relations, the area calculation and the summaries.
const Job Jobs[] = {
    {"calc, Tau (end-systolic mode 0)", "SistraAnalyzer(ch1, ch2, " + EdpEvents + ", 0, 0, -1, -1, -1, -1, 0)"},
    {"calc, sine fit (end-systolic mode 1)", "SistraAnalyzer(ch1, ch2, " + EdpEvents + ", 0, 0, -1, -1, -1, -1, 1)"},
    {"analyze (the document, Tau)", ""},
    {"analyze --out (the three tables too)", "", true},
};
constexpr size_t AnalyzeJob = 2;
constexpr size_t AnalyzeOutJob = 3;

// Beats with noise of a few tenths on every channel, so that every fit has real work.
class MouseRecordingWriter final : public BeatRecordingWriter
{
public:
    MouseRecordingWriter() : BeatRecordingWriter(SampleRate, BeatSeconds, 100.0, 7) {}
    void Write(const std::filesystem::path& path, double seconds)
    {
        BeatRecordingWriter::Write(path, "Time (s),LV Pressure (mmHg),LV Volume (uL),ECG (mV)", seconds);
    }

private:
    double Noise(double size) { return size * (Uniform() + Uniform() + Uniform()) / 1.7; }

    void Sample(double time, std::vector<char>& block) override
    {
        const double p = Phase();
        double pressure = 8.0;
        if (p >= 0.30)
            pressure = std::max(3.0 + (CurrentAmplitude() + 5.0) * std::exp(-(p - 0.30) * CurrentBeatSeconds() / 0.008), 3.0 + 5.0 * (p - 0.30) / 0.70);
        else if (p >= 0.05)
            pressure = 8.0 + CurrentAmplitude() * std::sin(std::numbers::pi / 2.0 * (p - 0.05) / 0.25);
        double volume = 45.0;
        if (p >= 0.40)
            volume = 32.5 - 12.5 * std::cos(std::numbers::pi * (p - 0.40) / 0.60);
        else if (p >= 0.32)
            volume = 20.0;
        else if (p >= 0.16)
            volume = 32.5 + 12.5 * std::cos(std::numbers::pi * (p - 0.16) / 0.16);
        const double fromR = (p - 0.04) * CurrentBeatSeconds();
        const double ecg = std::exp(-fromR * fromR / (2.0 * 0.002 * 0.002));
        Put(block, time, 4, ',');
        Put(block, pressure + Noise(0.3), 2, ',');
        Put(block, volume + Noise(0.2), 2, ',');
        Put(block, ecg + Noise(0.01), 3, '\n');
    }
};

double SecondsSince(std::chrono::steady_clock::time_point begin)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

// The middle of three timings: one run alone swings by a tenth with whatever else the machine does.
double MedianOf(std::array<double, 3> seconds)
{
    std::sort(seconds.begin(), seconds.end());
    return seconds[1];
}

std::wstring HostArguments(const Job& job, const std::filesystem::path& file)
{
    if (job.writesTables)
        return L"analyze \"" + file.wstring() + L"\" --out \"" + (file.parent_path() / "tables").wstring() + L"\"";
    if (job.expression.empty())
        return L"analyze \"" + file.wstring() + L"\"";
    return L"calc --expr \"" + Host::FromUtf8(job.expression) + L"\" \"" + file.wstring() + L"\"";
}

struct Stages
{
    double load = 0.0;
    double analysis = 0.0;
    double output = 0.0;
};

Host::Recording LoadTimed(const std::filesystem::path& file, double& seconds)
{
    const auto begin = std::chrono::steady_clock::now();
    Host::Recording recording = Host::LoadRecordingFile(Host::ToUtf8(file.wstring()));
    seconds = SecondsSince(begin);
    return recording;
}

// The command's own steps in this process: load the text, run the analysis to its event records, then
// format and write them to the null device.
Stages MeasureStages(const Job& job, const std::filesystem::path& file)
{
    Stages stages;
    const Host::Recording recording = LoadTimed(file, stages.load);
    Host::ModuleSession module;
    module.Load();
    Host::HostSession& session = module.Session();
    const Host::Calc::ModuleFunctionTable functions(recording, session.Framework().StandIn());
    const auto compiled = Host::Calc::CompileExpression(job.expression, {recording, functions.Lookup(), {}});

    auto begin = std::chrono::steady_clock::now();
    std::vector<std::vector<std::byte>> records(recording.RecordCount());
    for (size_t record = 0; record < recording.RecordCount(); ++record)
    {
        Host::Calc::EventCursor cursor(recording, compiled.events);
        cursor.Bind(record);
        while (cursor.Next(64, Host::Calc::RecordEndTick, records[record]).status != Host::Calc::ReadStatus::End)
        {
        }
    }
    stages.analysis = SecondsSince(begin);

    begin = std::chrono::steady_clock::now();
    std::ofstream null("NUL", std::ios::binary);
    Host::BlockOutputStream out(null);
    Host::CalcReport report(out, false);
    report.Header(compiled.kind, compiled.events->RecordSize());
    for (size_t record = 0; record < records.size(); ++record)
        report.Events(record, records[record], compiled.events->RecordSize());
    report.Finish();
    out.Finish();
    stages.output = SecondsSince(begin);
    return stages;
}

struct DocumentStages
{
    double load = 0.0;
    double analysis = 0.0;
    double relations = 0.0;
    double summaries = 0.0;
    double output = 0.0;
};

// The document's run as `sistra-host analyze` makes it, step by step: load the text, analyse, fit the
// relations, summarise the parameters, and format and write the tables to the null device.
DocumentStages MeasureDocumentStages(const std::filesystem::path& file)
{
    DocumentStages stages;
    const Host::Recording recording = LoadTimed(file, stages.load);
    Host::ModuleSession module;
    module.Load();
    Host::HostSession& session = module.Session();
    const Host::ModuleClasses classes(session.Framework());
    const Orv::ComPtr<Host::HostDocument> document = Host::HostDocument::Offline(recording);
    Host::AnalysisChoices choices;
    choices.pressureChannel = Host::ChannelByWord(recording, "pressure");
    choices.volumeChannel = Host::ChannelByWord(recording, "volume");
    Host::DocumentAnalysis analysis(session.Framework().StandIn(), *document.Get(), choices);

    auto begin = std::chrono::steady_clock::now();
    analysis.AnalyzeNow();
    stages.analysis = SecondsSince(begin);
    begin = std::chrono::steady_clock::now();
    const std::vector<Host::RelationRow> relations = analysis.Relations();
    stages.relations = SecondsSince(begin);
    begin = std::chrono::steady_clock::now();
    const std::vector<Host::SummaryRow> summaries = analysis.Summaries();
    stages.summaries = SecondsSince(begin);

    begin = std::chrono::steady_clock::now();
    std::ofstream null("NUL", std::ios::binary);
    Host::BlockOutputStream out(null);
    Host::PutText(out, Host::SummaryTable(summaries));
    out.put('\n');
    Host::PutText(out, Host::RegressionTable(relations));
    out.Finish();
    stages.output = SecondsSince(begin);
    return stages;
}

// Leaves the hour's recording and the document's in-process time in the folder for scripts/bench.
void LeaveHourFor(const std::filesystem::path& folder, const std::filesystem::path& hour, double inProcessSeconds)
{
    std::filesystem::copy_file(hour, folder / "hour.csv", std::filesystem::copy_options::overwrite_existing);
    std::ofstream(folder / "in-process-seconds") << inProcessSeconds << "\n";
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "sistra-analyze-bench";
    std::filesystem::create_directories(folder);
    std::printf("mouse-like recording: %.0f Hz, %d channels, beats of %.3f s\n", SampleRate, ChannelCount, BeatSeconds);

    const double minutes[] = {10.0, 30.0, 60.0};
    std::vector<std::filesystem::path> files;
    for (double length : minutes)
    {
        files.push_back(folder / ("mouse-" + std::to_string(static_cast<int>(length)) + "min.csv"));
        const auto begin = std::chrono::steady_clock::now();
        MouseRecordingWriter().Write(files.back(), length * 60.0);
        std::printf("written %-20s %7.1f MB of text in %.1f s\n", files.back().filename().string().c_str(),
            static_cast<double>(std::filesystem::file_size(files.back())) / Megabyte, SecondsSince(begin));
    }

    std::printf("\n%-38s %8s %9s %10s %10s %12s\n", "whole process", "minutes", "seconds", "peak MB", "limit MB",
        "MB/M samples");
    double hourSeconds[std::size(Jobs)] = {};
    double peaks[std::size(Jobs)][std::size(minutes)] = {};
    const auto sampleMegabytesOf = [](double length) { return length * 60.0 * SampleRate * ChannelCount * sizeof(float) / Megabyte; };
    for (size_t job = 0; job < std::size(Jobs); ++job)
        for (size_t length = 0; length < std::size(minutes); ++length)
        {
            const ProcessRun run = RunHost(HostArguments(Jobs[job], files[length]));
            peaks[job][length] = run.peakMegabytes;
            const double samples = minutes[length] * 60.0 * SampleRate * ChannelCount;
            const double sampleMegabytes = sampleMegabytesOf(minutes[length]);
            std::printf("%-38s %8.0f %9.2f %10.1f %10.1f %12.2f%s\n", Jobs[job].name, minutes[length], run.seconds,
                run.peakMegabytes, MemoryPerSampleByte * sampleMegabytes + MemoryConstantMegabytes,
                run.peakMegabytes / (samples / 1e6), run.exitCode == 0 ? "" : "  (failed)");
            hourSeconds[job] = run.seconds;
        }
    // The ratios below take the hour's median of three runs; two more of each are made here.
    for (size_t job = 0; job < std::size(Jobs); ++job)
        hourSeconds[job] = MedianOf({hourSeconds[job], RunHost(HostArguments(Jobs[job], files.back())).seconds,
                                     RunHost(HostArguments(Jobs[job], files.back())).seconds});

    for (size_t job = 0; job < std::size(Jobs); ++job)
        std::printf("%s: memory added per megabyte of float samples from %.0f to %.0f minutes: %.2f\n", Jobs[job].name,
            minutes[1], minutes[2], (peaks[job][2] - peaks[job][1]) / (sampleMegabytesOf(minutes[2]) - sampleMegabytesOf(minutes[1])));

    std::printf("\n%-38s %9s %9s %9s %9s\n", "stages of the hour, in this process", "load", "analysis", "output", "sum");
    // Every stage measurement below parses the hour once: the parse alone is the median of the three.
    std::array<double, 3> parses = {};
    size_t parse = 0;
    for (const Job& job : Jobs)
    {
        if (job.expression.empty())
            continue;
        const Stages stages = MeasureStages(job, files.back());
        parses[parse++] = stages.load;
        std::printf("%-38s %9.2f %9.2f %9.2f %9.2f\n", job.name, stages.load, stages.analysis, stages.output,
            stages.load + stages.analysis + stages.output);
    }

    std::printf("\n%-38s %9s %9s %9s %9s %9s %9s\n", "stages of the hour, in this process", "load", "analysis",
        "relations", "summaries", "output", "sum");
    const DocumentStages document = MeasureDocumentStages(files.back());
    parses[parse] = document.load;
    const double parseSeconds = MedianOf(parses);
    // The commands read the text on a thread of their own while they analyse; before the first row can be
    // handed over, a quick pass finds every record's rows and interval.
    const auto scanBegin = std::chrono::steady_clock::now();
    const auto shapes = Host::ScanRecordShapes(Host::ToUtf8(files.back().wstring()));
    const double scanSeconds = SecondsSince(scanBegin);
    std::printf("%-38s %9.2f %9.2f %9.2f %9.2f %9.2f %9.2f\n", Jobs[AnalyzeJob].name, document.load,
        document.analysis, document.relations, document.summaries, document.output,
        document.load + document.analysis + document.relations + document.summaries + document.output);

    std::printf("quick pass over the hour's records before the parse: %.2f s (%zu records)\n", scanSeconds,
        shapes ? shapes->size() : size_t{0});

    const double documentSeconds =
        document.load + document.analysis + document.relations + document.summaries + document.output;
    if (argc > 1)
        LeaveHourFor(argv[1], files.back(), documentSeconds);
    for (const auto& file : files)
        std::filesystem::remove(file);
    std::filesystem::remove_all(folder / "tables");
    std::printf("the hour, medians of three: parse alone %.2f s", parseSeconds);
    for (size_t job = 0; job < std::size(Jobs); ++job)
        std::printf(", %s %.2f s", Jobs[job].name, hourSeconds[job]);
    std::printf("\n");
    for (size_t job = 0; job < std::size(Jobs); ++job)
        std::printf("%s, the hour: whole process / parse alone: %.2f\n", Jobs[job].name, hourSeconds[job] / parseSeconds);
    // The ratio above sets a whole process against a stage inside one: this one takes off what any run of
    // the host costs before it reads a file (starting under Wine and loading the module, as `info` does).
    double startSeconds[3] = {};
    for (double& seconds : startSeconds)
        seconds = RunHost(L"info").seconds;
    std::sort(std::begin(startSeconds), std::end(startSeconds));
    for (size_t job = 0; job < std::size(Jobs); ++job)
        std::printf("%s, the hour: (whole process - bare start of %.2f s) / parse alone: %.2f\n", Jobs[job].name,
            startSeconds[1], (hourSeconds[job] - startSeconds[1]) / parseSeconds);
    // The document's run against the bare calculation it is built on.
    std::printf("analyze / calc (Tau), the hour: %.2f\n", hourSeconds[AnalyzeJob] / hourSeconds[0]);
    // Writing the loops, the summaries and the relations costs what formatting them does, not another analysis.
    std::printf("analyze --out / analyze, the hour: %.2f s / %.2f s = %.2f\n", hourSeconds[AnalyzeOutJob],
                hourSeconds[AnalyzeJob], hourSeconds[AnalyzeOutJob] / hourSeconds[AnalyzeJob]);
    return 0;
}
