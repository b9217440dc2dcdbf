// The loop analyzer over a one-hour recording of pressure and volume at 2 kHz, generated as it is read
// (so that the process holds no recording): with the mono-exponential Tau fit, once per end-systolic
// mode, and a ten-minute run beside the hour to show that memory does not grow with the recording. The
// baseline is the same engine reading the same samples with a detector that computes nothing. Prints
// samples and loops per second, peak memory, and last the ratio of analysis time to reading time.
#include "calc/engine/DetectorEnumeratorCore.h"
#include "calc/loops/LoopAnalyzer.h"
#include "calc/tests/SyntheticLoops.h"

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <functional>

namespace
{

constexpr double SampleRate = 2000.0;
constexpr double HourSeconds = 3600.0;
constexpr double TenMinutesSeconds = 600.0;
constexpr double BeatSeconds = 0.8;
constexpr int32_t EventsPerRead = 64;

// A channel whose sample at each tick is computed when read.
class GeneratedChannel : public CalcTesting::StackObject<IEnumFloatEx>
{
public:
    GeneratedChannel(std::function<double(double)> signal, int32_t ticks) : signal(std::move(signal)), ticks(ticks) {}

    HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(int32_t count, int32_t* skipped) override
    {
        const int32_t old = position;
        position = std::clamp(position + count, 0, ticks);
        *skipped = position - old;
        return *skipped == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override
    {
        *tick = position;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override
    {
        *format = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetScale(TimeBase* timeBase) override
    {
        *timeBase = TimeBase{};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Next(int32_t count, float* samples, int32_t* fetched) override
    {
        *fetched = std::max(0, std::min(count, ticks - position));
        for (int32_t i = 0; i < *fetched; ++i)
            samples[i] = static_cast<float>(signal((position + i) / SampleRate));
        position += *fetched;
        return *fetched < count ? S_FALSE : S_OK;
    }
    void STDMETHODCALLTYPE DeleteThis() override {}

private:
    std::function<double(double)> signal;
    int32_t ticks;
    int32_t position = 0;
};

// One end-diastolic event at the start of every upstroke.
class BeatStarts : public CalcTesting::FakeEdpEvents
{
public:
    BeatStarts(int32_t ticks) : FakeEdpEvents(Starts(ticks)) {}

private:
    static std::vector<int32_t> Starts(int32_t ticks)
    {
        std::vector<int32_t> starts;
        for (double t = 0.05 * BeatSeconds; t * SampleRate < ticks; t += BeatSeconds)
            starts.push_back(static_cast<int32_t>(t * SampleRate + 0.5));
        return starts;
    }
};

// The baseline: the same sources read tick by tick through the same engine, nothing computed.
struct ReadingAlgorithm
{
    using Params = Sistra::DetEx_EventDetectorParams;
    struct State : EEH3::StateBase
    {
        State(const Params&, int32_t firstTick) : StateBase(firstTick) {}
        double sum = 0.0;
    };
    using Event = Sistra::SistraEvent;

    static bool Step(State& state, Params& params, Event&)
    {
        EEH3::FloatExWrapper& pressure = params.Pressure();
        EEH3::FloatExWrapper& volume = params.Volume();
        for (; state.nextTick < state.horizon; ++state.nextTick)
        {
            if (!pressure.HasCurrent() || !volume.HasCurrent())
            {
                state.Finish();
                return false;
            }
            state.sum += pressure.Current() + volume.Current();
            pressure.Advance();
            volume.Advance();
        }
        return false;
    }
};

struct Run
{
    double seconds = 0.0;
    int64_t loops = 0;
};

template <class Algorithm>
Run RunOver(double recordingSeconds, const wchar_t* arguments)
{
    const CalcTesting::RealisticBeat beat{BeatSeconds};
    const auto ticks = static_cast<int32_t>(recordingSeconds * SampleRate);
    GeneratedChannel pressure([&](double t) { return beat.Pressure(t); }, ticks);
    GeneratedChannel volume([&](double t) { return beat.Volume(t); }, ticks);
    BeatStarts starts(ticks);
    EEH3::DetectorEnumeratorCore<Algorithm> core;
    core.SetArguments(arguments);
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&pressure), static_cast<IEnumFloatEx*>(&volume),
                           static_cast<IEnumEventEx*>(&starts)};

    const auto begin = std::chrono::steady_clock::now();
    core.Bind(0, 3, sources, 1.0 / SampleRate, 0);
    Run run;
    std::vector<Sistra::SistraEvent> loops(EventsPerRead);
    for (;;)
    {
        int32_t count = 0, next = 0;
        const HRESULT hr = core.Next(EventsPerRead, EEH3::LastTick, loops.data(), count, next);
        run.loops += count;
        if (hr != S_OK)
            break;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return run;
}

double PeakMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakPagefileUsage) / (1024.0 * 1024.0);
}

void Report(const char* name, double recordingSeconds, const Run& run)
{
    std::printf("%-44s %8.2f s  %12.0f samples/s  %9.0f loops/s  peak %.1f MB\n", name, run.seconds,
                recordingSeconds * SampleRate / run.seconds, run.loops / run.seconds, PeakMegabytes());
}

} // namespace

int main()
{
    using Sistra::DetEx_EventAlgorithm;
    std::printf("loop analyzer, %.0f Hz, beats of %.1f s, 2 channels\n", SampleRate, BeatSeconds);
    // Arguments: TauType 0, StrokeVolumeMode 0, whole channel, End Systolic Detection Mode. The short run
    // goes first, so that its peak memory is its own and the hour's can be held against it.
    const Run tenMinutes = RunOver<DetEx_EventAlgorithm>(TenMinutesSeconds, L"0 0 0 -1 -1 -1 -1 0");
    Report("Tau, end-systolic mode 0, 10 minutes", TenMinutesSeconds, tenMinutes);
    const Run reading = RunOver<ReadingAlgorithm>(HourSeconds, L"0");
    Report("reading only, 1 hour", HourSeconds, reading);
    const Run modeZero = RunOver<DetEx_EventAlgorithm>(HourSeconds, L"0 0 0 -1 -1 -1 -1 0");
    Report("Tau, end-systolic mode 0 (max P/V), 1 hour", HourSeconds, modeZero);
    const Run modeOne = RunOver<DetEx_EventAlgorithm>(HourSeconds, L"0 0 0 -1 -1 -1 -1 1");
    Report("Tau, end-systolic mode 1 (sine fit), 1 hour", HourSeconds, modeOne);
    std::printf("analysis time / reading time, mode 0: %.2f\n", modeZero.seconds / reading.seconds);
    std::printf("analysis time / reading time, mode 1: %.2f\n", modeOne.seconds / reading.seconds);
    return 0;
}
