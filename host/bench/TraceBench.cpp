// Sampling at 100 kHz into the host's window: a recording of two channels (ventricular pressure and
// volume, 100,000 samples a second each) played in real time into a sampling document while the module
// analyses it online and the host's trace view scrolls with it. Prints how many samples arrived per
// sample the clock made due, and last how many samples the trace view drew per sample that arrived:
// both at 1 or above keep pace.
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/SamplingPlayer.h"
#include "host/app/gui/TraceView.h"

#include "calc/tests/SyntheticLoops.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace
{

constexpr double Interval = 1e-5; // 100 kHz
constexpr double RecordingSeconds = 6.0;
constexpr double PlayedSeconds = 4.0; // of the clock; the rest of the recording is not waited for
constexpr int Width = 1200, Height = 400;

std::filesystem::path WriteRecording()
{
    const auto path = std::filesystem::temp_directory_path() / "trace-bench-100khz.csv";
    std::ofstream text(path, std::ios::binary);
    text << "Time (s),LV Pressure (mmHg),LV Volume (uL)\n";
    const CalcTesting::RealisticBeat beat{0.8};
    const auto samples = static_cast<int64_t>(RecordingSeconds / Interval);
    char line[96];
    for (int64_t tick = 0; tick < samples; ++tick)
    {
        const double t = static_cast<double>(tick) * Interval;
        const int length = std::snprintf(line, sizeof line, "%.5f,%.4f,%.4f\n", t, beat.Pressure(t), beat.Volume(t));
        text.write(line, length);
    }
    return path;
}

} // namespace

int main()
{
    const std::filesystem::path file = WriteRecording();
    {
        Host::OpenOptions options;
        options.sampled = true;
        Host::OpenedRecording sampled(file.string(), options);
        HWND parent = CreateWindowExW(0, L"STATIC", L"trace bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, Width,
                                      Height, nullptr, nullptr, nullptr, nullptr);
        Host::TraceView trace(sampled.Host(), sampled.Document(), sampled.StandIn(), parent, RECT{0, 0, Width, Height});
        Host::SamplingPlayer player(sampled.Host(), sampled.StandIn(), 1.0);
        const auto start = std::chrono::steady_clock::now();
        player.Start();
        const int64_t drawnBefore = trace.SamplesDrawn();
        double elapsed = 0.0;
        while (player.IsPlaying() && elapsed < PlayedSeconds)
        {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG message{};
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        int64_t arrived = 0;
        const Host::Recording& live = sampled.Host().Data();
        for (size_t record = 0; record < live.RecordCount(); ++record)
            arrived += live.RecordAt(record).Length() * static_cast<int64_t>(live.Channels().size());
        const double due = elapsed / Interval * static_cast<double>(live.Channels().size());
        const int64_t drawn = trace.SamplesDrawn() - drawnBefore;
        player.Stop();
        std::printf("played %.2f s of a 2-channel recording at 100 kHz with online analysis and trace view\n", elapsed);
        std::printf("samples due by the clock: %.0f, arrived: %lld, drawn by the trace view: %lld\n", due,
                    static_cast<long long>(arrived), static_cast<long long>(drawn));
        std::printf("samples arrived per sample due: %.3f\n", static_cast<double>(arrived) / due);
        std::printf("samples drawn per sample arriving: %.3f\n", static_cast<double>(drawn) / static_cast<double>(arrived));
        DestroyWindow(parent);
    }
    std::filesystem::remove(file);
    return 0;
}
