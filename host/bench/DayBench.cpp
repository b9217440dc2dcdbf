// A day of a human recording, as a user takes it through the command line: 24 hours of pressure, volume and
// ECG at 200 Hz (about 100,000 beats) written as text, `sistra-host analyze` over it, then a snapshot of
// every view of its document and the results sheet of its table, each a process of its own. Each prints its
// wall time and peak memory against the limit of one and a half times the float samples plus 100 MB; the
// ratio of each view and of the sheet to the analysis alone comes last (a snapshot analyses the recording
// before it draws).
#include "host/bench/BeatRecording.h"
#include "host/bench/HostProcess.h"
#include "host/app/files/TextConversion.h"

#include <windows.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

namespace
{

constexpr double SampleRate = 200.0;
constexpr double DaySeconds = 24.0 * 60.0 * 60.0;
constexpr double BeatSeconds = 0.85; // about 70 beats a minute
constexpr int ChannelCount = 3;
constexpr double Megabyte = 1024.0 * 1024.0;
constexpr double MemoryPerSampleByte = 1.5;
constexpr double MemoryConstantMegabytes = 100.0;

const char* const Views[] = {"loop", "table", "prsw", "dpdt", "pva-edv", "pva-esp", "saline", "cuvette", "workflow"};

// Beats with a little noise.
class HumanRecordingWriter final : public BeatRecordingWriter
{
public:
    HumanRecordingWriter() : BeatRecordingWriter(SampleRate, BeatSeconds, 110.0, 11) {}
    void Write(const std::filesystem::path& path, double seconds)
    {
        BeatRecordingWriter::Write(path, "Time (s),LV Pressure (mmHg),LV Volume (mL),ECG (mV)", seconds);
    }

private:
    // Systole over the first 35 % of the beat: pressure rises and falls, the ventricle ejects from 120 to 50
    // mL; then it fills again while the pressure creeps up from 4 to 10 mmHg.
    void Sample(double time, std::vector<char>& block) override
    {
        const double p = Phase();
        const double pressure = p < 0.35 ? 6.0 + CurrentAmplitude() * std::pow(std::sin(std::numbers::pi * p / 0.35), 2.0)
                                         : 4.0 + 6.0 * (p - 0.35) / 0.65;
        double volume = 120.0;
        if (p >= 0.05 && p < 0.30)
            volume = 85.0 + 35.0 * std::cos(std::numbers::pi * (p - 0.05) / 0.25);
        else if (p >= 0.30 && p < 0.40)
            volume = 50.0;
        else if (p >= 0.40)
            volume = 85.0 - 35.0 * std::cos(std::numbers::pi * (p - 0.40) / 0.60);
        const double ecg = p < 0.02 ? 1.0 : 0.0;
        Put(block, time, 3, ',');
        Put(block, pressure + 0.2 * Uniform(), 2, ',');
        Put(block, volume + 0.1 * Uniform(), 2, ',');
        Put(block, ecg, 1, '\n');
    }
};

void Print(const char* what, const ProcessRun& run, double limitMegabytes)
{
    std::printf("%-30s %10.2f %10.1f %10.1f %6lu%s\n", what, run.seconds, run.peakMegabytes, limitMegabytes,
                static_cast<unsigned long>(run.exitCode), run.peakMegabytes > limitMegabytes ? "  over the limit" : "");
}

} // namespace

int main()
{
    // Each line as soon as it is known: the whole run takes a while.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path file = std::filesystem::path(temp) / L"sistra-day.csv";
    const std::filesystem::path picture = std::filesystem::path(temp) / L"sistra-day.png";
    const auto begin = std::chrono::steady_clock::now();
    HumanRecordingWriter().Write(file, DaySeconds);
    const double floatMegabytes = DaySeconds * SampleRate * ChannelCount * sizeof(float) / Megabyte;
    const double limit = MemoryPerSampleByte * floatMegabytes + MemoryConstantMegabytes;
    std::printf("a day of a human recording: %.0f Hz, %d channels, beats of about %.2f s; %.1f MB of text written in "
                "%.1f s, %.1f MB of float samples\n",
                SampleRate, ChannelCount, BeatSeconds, std::filesystem::file_size(file) / Megabyte,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(), floatMegabytes);
    std::printf("\n%-30s %10s %10s %10s %6s\n", "process", "seconds", "peak MB", "limit MB", "exit");
    const std::wstring quoted = L"\"" + file.wstring() + L"\"";
    const ProcessRun analysis = RunHost(L"analyze " + quoted);
    Print("analyze", analysis, limit);
    // The hemodynamics table of every loop added to the results sheet and saved, against the analysis alone.
    const std::filesystem::path sheet = std::filesystem::path(temp) / L"sistra-day-sheet.tsv";
    const ProcessRun sheetRun = RunHost(L"analyze " + quoted + L" --results-sheet \"" + sheet.wstring() + L"\"");
    Print("analyze --results-sheet", sheetRun, limit);
    std::filesystem::remove(sheet);
    std::vector<std::pair<const char*, double>> ratios;
    for (const char* view : Views)
    {
        const ProcessRun run = RunHost(L"snapshot " + quoted + L" --view " + Host::FromUtf8(view) + L" --out \"" +
                                       picture.wstring() + L"\"");
        Print((std::string("snapshot --view ") + view).c_str(), run, limit);
        ratios.emplace_back(view, run.seconds / analysis.seconds);
    }
    std::filesystem::remove(file);
    std::filesystem::remove(picture);
    std::printf("\n");
    for (const auto& [view, ratio] : ratios)
        std::printf("snapshot --view %s / analyze: %.2f\n", view, ratio);
    std::printf("analyze --results-sheet / analyze: %.2f (target at most 3)\n", sheetRun.seconds / analysis.seconds);
    return 0;
}
