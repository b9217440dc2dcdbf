// Random access agrees with the sequential read, for every calculation function: one enumerator seeks,
// searches forward and searches backward from many positions (around every checkpoint, around events,
// at random), in a random order, and each answer is checked against one sequential read of a fresh chain.
// The recording starts on an upstroke (and on an R wave), where nothing may be handed out at its first tick.
#include "calc/engine/CalcClassObjects.h"
#include "calc/tests/ModuleFilteredSineFit.h"
#include "calc/tests/SyntheticLoops.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>

using CalcTesting::FakeChannel;
using CalcTesting::FakeEvents;
using Orv::ComPtr;

namespace
{

constexpr double Interval = 0.001;
constexpr int32_t RecordTicks = 330000; // three checkpoints and part of a span
constexpr int32_t Span = 100000;
// 1900 ticks a beat: beats, and the loops that they close, straddle every checkpoint in different ways.
const CalcTesting::RealisticBeat Heart{1.9, 0.03};
// Where in its beat the recording starts: halfway up the first upstroke (phases 0.05 to 0.30).
constexpr double StartPhase = 0.12;

std::vector<float> Sampled(double (CalcTesting::RealisticBeat::*wave)(double) const)
{
    std::vector<float> samples(RecordTicks);
    for (int32_t tick = 0; tick < RecordTicks; ++tick)
        samples[static_cast<std::size_t>(tick)] =
            static_cast<float>((Heart.*wave)(tick * Interval + StartPhase * Heart.beatSeconds));
    return samples;
}

const std::vector<float>& PressureSamples()
{
    static const std::vector<float> samples = Sampled(&CalcTesting::RealisticBeat::Pressure);
    return samples;
}

const std::vector<float>& VolumeSamples()
{
    static const std::vector<float> samples = Sampled(&CalcTesting::RealisticBeat::Volume);
    return samples;
}

// One event a beat at the given phase of it (the pressure peak at 0.30, the R wave at 0.04) inside the
// recording.
std::vector<int32_t> BeatTicks(double phase)
{
    std::vector<int32_t> ticks;
    for (int beat = 0;; ++beat)
    {
        const auto tick =
            static_cast<int32_t>(std::lround((beat + phase - StartPhase) * Heart.beatSeconds / Interval));
        if (tick >= RecordTicks)
            return ticks;
        if (tick >= 0)
            ticks.push_back(tick);
    }
}

// R waves, the first of them on the recording's first sample.
std::vector<int32_t> EcgTicks()
{
    std::vector<int32_t> ticks = BeatTicks(0.04);
    ticks.insert(ticks.begin(), 0);
    return ticks;
}

// The host sources and module functions of one chain of calculations, each reading its own sources.
class Chain
{
public:
    IUnknown* Pressure() { return Channel(PressureSamples()); }
    IUnknown* Volume() { return Channel(VolumeSamples()); }
    IUnknown* Peaks()
    {
        FakeEvents& peaks = Events(BeatTicks(0.30));
        for (OrvEventBase& peak : peaks.events)
            peak.value = PressureSamples()[static_cast<std::size_t>(peak.tick)];
        return static_cast<IEnumEventEx*>(&peaks);
    }
    IUnknown* Ecg() { return static_cast<IEnumEventEx*>(&Events(EcgTicks())); }

    IUnknown* Function(CalcEnums::CalcEnumClassBase2& classObject, const wchar_t* arguments,
                       std::vector<IUnknown*> sources)
    {
        ComPtr<ICalcEnum> calc;
        EXPECT_EQ(S_OK, classObject.CreateEnum(nullptr, 0, calc.Put()));
        return Started(calc, arguments, sources);
    }

    // "PSineFit" with the module's own derivatives, so that its beats carry values.
    IUnknown* SineFit()
    {
        ComPtr<ICalcEnum> calc;
        auto* object = new CalcTesting::ModuleFilteredSineFit(nullptr, 0);
        object->NonDelegatingUnknown()->QueryInterface(IID_ICalcEnum, calc.PutVoid());
        return Started(calc, L"1", {Pressure(), EndDiastole()});
    }

    IUnknown* EndDiastole()
    {
        return Function(CalcEnums::PVEdpDetClassObject(), L"0 5", {Pressure(), Peaks()});
    }
    IUnknown* Loops()
    {
        return Function(CalcEnums::SistraAnalyzerClassObject(), L"0 0 0",
                        {Pressure(), Volume(), EndDiastole()});
    }
    IUnknown* Areas()
    {
        return Function(CalcEnums::PvaCalcClassObject(), L"0 0 0 0 20 0 2 0 0.05 5",
                        {Loops(), Pressure(), Volume()});
    }

private:
    IUnknown* Started(const ComPtr<ICalcEnum>& calc, const wchar_t* arguments, std::vector<IUnknown*> sources)
    {
        Orv::String text(arguments);
        uint32_t flags = 0;
        EXPECT_EQ(S_OK, calc->ReadArguments(text.Interface(), &flags));
        EXPECT_EQ(S_OK, calc->Start(0, static_cast<uint32_t>(sources.size()), sources.data(), nullptr,
                                    Interval, 0, CalcOpenEndTick));
        calcs.push_back(calc);
        return calc.Get();
    }

    IUnknown* Channel(const std::vector<float>& samples)
    {
        channels.push_back(std::make_unique<FakeChannel>(samples));
        return static_cast<IEnumFloatEx*>(channels.back().get());
    }
    FakeEvents& Events(std::vector<int32_t> ticks)
    {
        events.push_back(std::make_unique<FakeEvents>(std::move(ticks)));
        return *events.back();
    }

    std::vector<std::unique_ptr<FakeChannel>> channels;
    std::vector<std::unique_ptr<FakeEvents>> events;
    std::vector<ComPtr<ICalcEnum>> calcs;
};

struct Subject
{
    const char* name;
    std::function<IUnknown*(Chain&)> make;
};

// Where to look: around every checkpoint, around a share of the events, and at random.
std::vector<int32_t> Positions(const std::vector<int32_t>& eventTicks, std::mt19937& random)
{
    std::vector<int32_t> positions;
    for (int32_t boundary = Span; boundary < RecordTicks; boundary += Span)
        for (int32_t offset : {-700, -300, -61, -60, -1, 0, 1, 10, 50, 60, 61, 300, 700})
            positions.push_back(boundary + offset);
    for (std::size_t i = 0; i < eventTicks.size(); i += 19)
        for (int32_t offset : {-1, 0, 1})
            positions.push_back(eventTicks[i] + offset);
    std::uniform_int_distribution<int32_t> anywhere(0, RecordTicks + 100);
    for (int i = 0; i < 24; ++i)
        positions.push_back(anywhere(random));
    std::shuffle(positions.begin(), positions.end(), random);
    return positions;
}

class EventStream
{
public:
    explicit EventStream(IUnknown* object)
    {
        object->QueryInterface(IID_ICalcEnum, calc.PutVoid());
        object->QueryInterface(IID_IEnumEventEx, events.PutVoid());
        events->GetRecordSize(&recordSize);
    }

    // Every record from the cursor on.
    std::vector<std::vector<std::byte>> ReadAll()
    {
        std::vector<std::vector<std::byte>> all;
        for (;;)
        {
            std::vector<std::byte> buffer(static_cast<std::size_t>(recordSize) * 16);
            int32_t count = 0, next = 0;
            const HRESULT hr = events->Next(static_cast<int32_t>(buffer.size()), CalcNoMoreEventsTick,
                                            buffer.data(), &count, &next);
            for (int32_t i = 0; i < count; ++i)
                all.emplace_back(buffer.begin() + i * recordSize, buffer.begin() + (i + 1) * recordSize);
            if (hr != S_OK || count == 0)
                return all;
        }
    }

    // The next record, none when the stream has no more.
    std::vector<std::byte> ReadOne()
    {
        std::vector<std::byte> record(static_cast<std::size_t>(recordSize));
        int32_t count = 0, next = 0;
        events->Next(recordSize, CalcNoMoreEventsTick, record.data(), &count, &next);
        return count == 1 ? record : std::vector<std::byte>{};
    }

    ComPtr<ICalcEnum> calc;
    ComPtr<IEnumEventEx> events;
    int32_t recordSize = 0;
};

int32_t TickOf(const std::vector<std::byte>& record)
{
    int32_t tick = 0;
    std::memcpy(&tick, record.data(), sizeof tick);
    return tick;
}

void CheckRandomAccessAgreesWithSequentialRead(const Subject& subject)
{
    SCOPED_TRACE(subject.name);
    Chain sequentialChain;
    const std::vector<std::vector<std::byte>> sequence = EventStream(subject.make(sequentialChain)).ReadAll();
    std::vector<int32_t> ticks;
    for (const auto& record : sequence)
        ticks.push_back(TickOf(record));
    ASSERT_GT(ticks.size(), 50u);
    ASSERT_TRUE(std::is_sorted(ticks.begin(), ticks.end()));
    // The upstroke's foot and the R wave on the first sample are the edge of the data, not a beat's start.
    EXPECT_GT(ticks.front(), 0);

    auto firstFrom = [&](int32_t tick) -> std::vector<std::byte>
    {
        const auto at = std::lower_bound(ticks.begin(), ticks.end(), tick);
        return at == ticks.end() ? std::vector<std::byte>{}
                                 : sequence[static_cast<std::size_t>(at - ticks.begin())];
    };
    auto lastUpTo = [&](int32_t tick) -> std::vector<std::byte>
    {
        const auto after = std::upper_bound(ticks.begin(), ticks.end(), tick);
        return after == ticks.begin() ? std::vector<std::byte>{}
                                      : sequence[static_cast<std::size_t>(after - ticks.begin() - 1)];
    };

    Chain chain;
    EventStream stream(subject.make(chain));
    std::mt19937 random(20261207);
    for (int32_t position : Positions(ticks, random))
    {
        const int operation = static_cast<int>(random() % 3);
        SCOPED_TRACE(testing::Message() << "operation " << operation << " at " << position);
        std::vector<std::byte> expected;
        if (operation == 0)
        {
            stream.calc->Seek(position);
            expected = firstFrom(position);
        }
        else
        {
            const bool backward = operation == 2;
            expected = backward ? lastUpTo(position) : firstFrom(position);
            const HRESULT found = stream.events->Seek(backward ? CalcSeekBackward : CalcSeekForward, position,
                                                      0, CalcNoMoreEventsTick);
            ASSERT_EQ(expected.empty() ? S_FALSE : S_OK, found);
            if (expected.empty())
                continue;
        }
        const std::vector<std::byte> read = stream.ReadOne();
        ASSERT_EQ(expected.size(), read.size());
        if (!expected.empty())
        {
            ASSERT_EQ(0, std::memcmp(expected.data(), read.data(), read.size()))
                << "read tick " << TickOf(read) << ", expected " << TickOf(expected)
                << ", first difference at byte "
                << std::mismatch(expected.begin(), expected.end(), read.begin()).first - expected.begin();
        }
    }
}

} // namespace

TEST(RandomAccess, EveryEventFunctionAgreesWithItsSequentialRead)
{
    const Subject subjects[] = {
        {"PVEdpDet", [](Chain& c) { return c.EndDiastole(); }},
        {"PVMaxDet",
         [](Chain& c) { return c.Function(CalcEnums::PVMaxDetClassObject(), L"0", {c.EndDiastole()}); }},
        {"PVEcgEdpDet", [](Chain& c)
         { return c.Function(CalcEnums::PVEcgEdpDetClassObject(), L"0 -1 -1 -1 -1", {c.Ecg()}); }},
        {"SistraAnalyzer", [](Chain& c) { return c.Loops(); }},
        {"PvaCalc", [](Chain& c) { return c.Areas(); }},
        {"ParamSelector",
         [](Chain& c) { return c.Function(CalcEnums::ParamSelectorClassObject(), L"2 1 1", {c.Loops()}); }},
        {"PVAParamSelector", [](Chain& c)
         { return c.Function(CalcEnums::PVAParamSelectorClassObject(), L"26 1 1", {c.Areas()}); }},
        // Limits that start inside a span and end inside another.
        {"PVEdpDet inside limits",
         [](Chain& c)
         {
             return c.Function(CalcEnums::PVEdpDetClassObject(), L"0 5 0 150000 0 280000",
                               {c.Pressure(), c.Peaks()});
         }},
        {"PVEcgEdpDet inside limits", [](Chain& c)
         { return c.Function(CalcEnums::PVEcgEdpDetClassObject(), L"0 0 150000 0 280000", {c.Ecg()}); }},
        {"SistraAnalyzer inside limits",
         [](Chain& c)
         {
             return c.Function(CalcEnums::SistraAnalyzerClassObject(), L"0 0 0 0 150000 0 280000",
                               {c.Pressure(), c.Volume(), c.EndDiastole()});
         }},
    };
    for (const Subject& subject : subjects)
        CheckRandomAccessAgreesWithSequentialRead(subject);
}

TEST(RandomAccess, PressureSineFitAgreesWithItsSequentialRead)
{
    constexpr int32_t Window = 64;
    auto make = [](Chain& c) { return c.SineFit(); };
    Chain sequentialChain;
    ComPtr<IEnumFloatEx> sequential;
    make(sequentialChain)->QueryInterface(IID_IEnumFloatEx, sequential.PutVoid());
    std::vector<float> all(RecordTicks);
    int32_t fetched = 0;
    sequential->Next(RecordTicks, all.data(), &fetched);
    ASSERT_EQ(RecordTicks, fetched);
    ASSERT_GT(std::count_if(all.begin(), all.end(), [](float v) { return std::isfinite(v); }),
              RecordTicks / 2);

    Chain chain;
    IUnknown* object = make(chain);
    ComPtr<ICalcEnum> calc;
    ComPtr<IEnumFloatEx> samples;
    object->QueryInterface(IID_ICalcEnum, calc.PutVoid());
    object->QueryInterface(IID_IEnumFloatEx, samples.PutVoid());
    std::mt19937 random(7);
    for (int32_t position : Positions(BeatTicks(0.05), random))
    {
        SCOPED_TRACE(testing::Message() << "at " << position);
        calc->Seek(position);
        std::vector<float> read(Window);
        samples->Next(Window, read.data(), &fetched);
        const auto expected = std::max(0, std::min(Window, RecordTicks - position));
        ASSERT_EQ(expected, fetched);
        if (fetched > 0)
        {
            ASSERT_EQ(0, std::memcmp(all.data() + position, read.data(),
                                     static_cast<std::size_t>(fetched) * sizeof(float)));
        }
    }
}
