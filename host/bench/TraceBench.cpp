// Sampling at 100 kHz into the host's window: a recording of two channels (ventricular pressure and
// volume, 100,000 samples a second each) played in real time into a sampling document while the module
// analyses it online, the host's trace view scrolls with it, and the settings dialog, opened from the
// menu as a person opens it, runs its live preview (its start pressed). Prints how many samples arrived
// per sample the clock made due, how many samples the trace view drew per sample that arrived, and how
// many the preview took into its holder and read to draw per sample that arrived while it ran: all at 1
// or above keep pace.
#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/HostMenus.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/SamplingPlayer.h"
#include "host/app/gui/TraceView.h"

#include "calc/tests/SyntheticLoops.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace
{

constexpr double Interval = 1e-5; // 100 kHz
constexpr double RecordingSeconds = 8.0;
constexpr double PlayedSeconds = 4.0; // of the clock; the rest of the recording is not waited for
constexpr double PreviewWaitSeconds = 10.0; // for the dialog to show and its preview to start
constexpr RECT FramePlace{0, 0, 1240, 1000};
constexpr const wchar_t* SettingsMenuPath = L"Sistra|Settings...";

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

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

// Samples of every channel of every record.
int64_t SamplesIn(const Host::Recording& recording)
{
    int64_t samples = 0;
    for (size_t record = 0; record < recording.RecordCount(); ++record)
        samples += recording.RecordAt(record).Length() * static_cast<int64_t>(recording.Channels().size());
    return samples;
}

// The settings dialog: the visible window of this thread that the frame owns.
HWND FindOwnedDialog(HWND frame)
{
    struct Search
    {
        HWND frame;
        HWND found;
    } search{frame, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) {
            auto& search = *reinterpret_cast<Search*>(context);
            if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search.frame)
            {
                search.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The preview's sampling bar: the rightmost of the two strips of buttons under the preview's pane (the
// other is its trace bar); its buttons are start and pause.
HWND FindSamplingBar(HWND dialog)
{
    struct Search
    {
        HWND found;
        LONG left;
    } search{nullptr, LONG_MIN};
    EnumChildWindows(
        dialog,
        [](HWND window, LPARAM context) {
            auto& search = *reinterpret_cast<Search*>(context);
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            RECT place{};
            GetWindowRect(window, &place);
            if (IsWindowVisible(window) && std::wstring_view(className) == L"OwlGadgetWindow" && place.left > search.left)
            {
                search.found = window;
                search.left = place.left;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A left click on the bar's first button, through the display's input as a person's.
void PressStart(HWND bar)
{
    RECT place{};
    GetWindowRect(bar, &place);
    SetCursorPos(place.left + (place.right - place.left) / 4, (place.top + place.bottom) / 2);
    INPUT clicks[2]{};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
}

// The run, measured while the settings dialog runs its own message loop: by a timer of the thread,
// from the moment the dialog shows until the preview has sampled for PlayedSeconds.
struct Run
{
    HWND frame = nullptr;
    Host::HostDocument* document = nullptr;
    const Host::TraceView* trace = nullptr;
    Clock::time_point playing;  // the host's acquisition started
    int64_t traceDrawnBefore = 0;
    bool pressed = false;       // the preview's start
    bool previewing = false;    // and the preview took the host's source
    Clock::time_point pressedAt;
    int64_t arrivedBeforePress = 0;
    bool done = false;

    // What was measured at the end, while everything still ran.
    double seconds = 0.0, previewSeconds = 0.0;
    int64_t arrived = 0, traceDrawn = 0;
    int64_t arrivedWhilePreviewing = 0, previewHeld = 0, previewDrawn = 0;
};

Run run;

void Measure()
{
    run.seconds = SecondsSince(run.playing);
    run.arrived = SamplesIn(run.document->Data());
    run.traceDrawn = run.trace->SamplesDrawn() - run.traceDrawnBefore;
    run.previewSeconds = SecondsSince(run.pressedAt);
    run.arrivedWhilePreviewing = run.arrived - run.arrivedBeforePress;
    const Orv::ComPtr<Host::HostDocument> holder =
        Host::HostDocument::FromContext(run.document->LiveSource()->Sink(0));
    run.previewHeld = SamplesIn(holder->Data());
    // The newest sample drawn, in every channel: the pane draws each from its first to its newest.
    run.previewDrawn = holder->SamplesDrawnTo() * static_cast<int64_t>(holder->Data().Channels().size());
}

void StepRun(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (run.done)
        return;
    const HWND dialog = FindOwnedDialog(run.frame);
    if (!run.pressed)
    {
        if (const HWND bar = dialog ? FindSamplingBar(dialog) : nullptr)
        {
            // Counted from before the press: what arrives until the preview takes the source counts
            // against it.
            run.pressed = true;
            run.pressedAt = Clock::now();
            run.arrivedBeforePress = SamplesIn(run.document->Data());
            PressStart(bar);
        }
    }
    else if (!run.previewing)
        run.previewing = run.document->LiveSource()->SinkCount() == 1;
    const bool measured = run.previewing && SecondsSince(run.pressedAt) >= PlayedSeconds;
    const bool givenUp = !run.previewing && SecondsSince(run.playing) > PreviewWaitSeconds;
    if (!measured && !givenUp)
        return;
    if (measured)
        Measure();
    run.done = true;
    KillTimer(nullptr, timer);
    if (dialog)
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

double Ratio(int64_t part, double whole)
{
    return static_cast<double>(part) / whole;
}

} // namespace

int main()
{
    const std::filesystem::path file = WriteRecording();
    bool previewed = false;
    {
        Host::OpenOptions options;
        options.sampled = true;
        Host::OpenedRecording sampled(file.string(), options);
        Host::FrameWindow frame(L"trace bench", Host::CollectMenuCommands(sampled.StandIn()), FramePlace);
        sampled.StandIn().SetMainWindow(frame.Handle());
        frame.ShowDocument(sampled.Document(), sampled.Classes().Views());
        sampled.StandIn().ShowModuleDialogs(VARIANT_TRUE);
        RECT area{};
        GetClientRect(frame.Handle(), &area);
        Host::TraceView trace(sampled.Host(), sampled.Document(), sampled.StandIn(), frame.Handle(), area);
        frame.SetTopWindow(trace.Handle());
        Host::SamplingPlayer player(sampled.Host(), sampled.StandIn(), 1.0);

        run.frame = frame.Handle();
        run.document = &sampled.Host();
        run.trace = &trace;
        run.playing = Clock::now();
        player.Start();
        run.traceDrawnBefore = trace.SamplesDrawn();
        SetTimer(nullptr, 0, 20, StepRun);
        const bool chosen = frame.ChooseCommand(SettingsMenuPath);
        player.Stop();
        previewed = chosen && run.previewing;
        if (!previewed)
            std::printf("the settings' live preview did not run: %s\n",
                        chosen ? "its start was not taken" : "Settings... is not enabled");
    }
    std::filesystem::remove(file);
    if (!previewed)
        return 1;

    const double due = run.seconds / Interval * 2.0;
    std::printf("played %.2f s of a 2-channel recording at 100 kHz with online analysis, trace view and the "
                "settings' live preview\n",
                run.seconds);
    std::printf("samples due by the clock: %.0f, arrived: %lld, drawn by the trace view: %lld\n", due,
                static_cast<long long>(run.arrived), static_cast<long long>(run.traceDrawn));
    std::printf("samples arrived per sample due: %.3f\n", Ratio(run.arrived, due));
    std::printf("samples drawn per sample arriving: %.3f\n", Ratio(run.traceDrawn, static_cast<double>(run.arrived)));
    std::printf("the preview sampled the last %.2f s: samples arrived meanwhile: %lld, held by the preview: %lld, "
                "drawn by it up to the newest: %lld\n",
                run.previewSeconds, static_cast<long long>(run.arrivedWhilePreviewing),
                static_cast<long long>(run.previewHeld), static_cast<long long>(run.previewDrawn));
    const auto arrivedWhilePreviewing = static_cast<double>(run.arrivedWhilePreviewing);
    std::printf("preview samples taken per sample arriving: %.3f\n", Ratio(run.previewHeld, arrivedWhilePreviewing));
    std::printf("preview samples drawn per sample arriving: %.3f\n", Ratio(run.previewDrawn, arrivedWhilePreviewing));
    return 0;
}
