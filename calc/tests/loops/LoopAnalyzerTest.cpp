#include "calc/loops/LoopAnalyzer.h"

#include "calc/engine/DetectorEnumeratorCore.h"
#include "calc/tests/SyntheticLoops.h"
#include "foundation/com/XOrv.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace Sistra;
using CalcTesting::FakeChannel;
using CalcTesting::FakeEdpEvents;
using CalcTesting::TrapezoidRecording;

namespace
{

constexpr double Dt = 0.005;

class LoopAnalyzer : public ::testing::Test
{
protected:
    explicit LoopAnalyzer(int beats = 5) : recording(beats), pressure(recording.pressure),
                                           volume(recording.volume), edps(recording.edpTicks)
    {
    }

    void Bind(const wchar_t* arguments)
    {
        core.SetArguments(arguments);
        IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&pressure), static_cast<IEnumFloatEx*>(&volume),
                               static_cast<IEnumEventEx*>(&edps)};
        core.Bind(0, 3, sources, Dt, 0);
    }

    // Every record up to the end; grow() makes more data available when the analyzer waits for it.
    template <class Grow>
    std::vector<SistraEvent> ReadAll(Grow grow)
    {
        std::vector<SistraEvent> loops;
        SistraEvent buffer[4];
        for (int guard = 0; guard < 100000; ++guard)
        {
            int32_t count = 0, next = 0;
            const HRESULT hr = core.Next(4, EEH3::LastTick, buffer, count, next);
            loops.insert(loops.end(), buffer, buffer + count);
            if (hr != S_OK)
                return loops;
            if (count == 0 && !grow())
                return loops;
        }
        ADD_FAILURE() << "the analyzer never finished";
        return loops;
    }
    std::vector<SistraEvent> ReadAll()
    {
        return ReadAll([] { return false; });
    }

    TrapezoidRecording recording;
    FakeChannel pressure;
    FakeChannel volume;
    FakeEdpEvents edps;
    EEH3::DetectorEnumeratorCore<DetEx_EventAlgorithm> core;
};

std::vector<int32_t> TicksOf(const std::vector<SistraEvent>& loops)
{
    std::vector<int32_t> ticks;
    for (const SistraEvent& loop : loops)
        ticks.push_back(loop.base.tick);
    return ticks;
}

bool SameRecords(const std::vector<SistraEvent>& a, const std::vector<SistraEvent>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(SistraEvent)) == 0;
}

} // namespace

TEST_F(LoopAnalyzer, OneLoopPerBeatThenOneClosingRecord)
{
    Bind(L"0 0 1 -1 -1 -1 -1 0");
    const std::vector<SistraEvent> loops = ReadAll();
    ASSERT_EQ(6u, loops.size());
    for (std::size_t i = 0; i < 5; ++i)
    {
        const SistraEvent& loop = loops[i];
        EXPECT_EQ(recording.edpTicks[i], loop.base.tick);
        EXPECT_EQ(loop.base.tick, loop.firstTick);
        EXPECT_EQ(loop.firstTick + 40, loop.endTick);
        EXPECT_EQ(LoopStateValid, loop.state);
        EXPECT_NEAR(5350.0, loop.sw, 1e-6);
        EXPECT_NEAR(300.0, loop.hr, 1e-9);
        EXPECT_DOUBLE_EQ(60.0, loop.sv);
        EXPECT_DOUBLE_EQ(10.0, loop.base.value);
        EXPECT_DOUBLE_EQ(loop.ped, loop.base.value);
    }
    const SistraEvent& closing = loops.back();
    EXPECT_EQ(LoopStateClosing, closing.state);
    EXPECT_EQ(recording.edpTicks.back(), closing.base.tick);
    EXPECT_EQ(recording.edpTicks.back(), closing.firstTick);
    EXPECT_TRUE(std::isnan(closing.GetParameter(1, nullptr, nullptr, nullptr)));
}

TEST_F(LoopAnalyzer, EndSystolicModeZeroLeavesPisoAndSlopeMissing)
{
    Bind(L"0 0 1 -1 -1 -1 -1 0");
    for (const SistraEvent& loop : ReadAll())
    {
        EXPECT_TRUE(std::isnan(loop.piso));
        EXPECT_TRUE(std::isnan(loop.espvrSlope));
    }
}

TEST_F(LoopAnalyzer, LimitsKeepTheBeatsThatOpenInsideThem)
{
    // Beats open at 7, 47, 87, 127, 167; the last event is 207.
    Bind(L"0 0 1 0 100 0 200 0");
    EXPECT_EQ((std::vector<int32_t>{127, 167}), TicksOf(ReadAll()));
}

TEST_F(LoopAnalyzer, SingleEventGivesOnlyTheClosingRecordAtIt)
{
    edps.events.resize(1);
    edps.available = 1;
    Bind(L"0 0 1");
    const std::vector<SistraEvent> loops = ReadAll();
    ASSERT_EQ(1u, loops.size());
    EXPECT_EQ(LoopStateClosing, loops[0].state);
    EXPECT_EQ(recording.edpTicks[0], loops[0].base.tick);
}

TEST_F(LoopAnalyzer, EventsThatEndInsideTheRecordCloseAtTheLastEvent)
{
    edps.events.resize(3);
    edps.available = 3;
    Bind(L"0 0 1");
    const std::vector<SistraEvent> loops = ReadAll();
    ASSERT_EQ(3u, loops.size());
    EXPECT_EQ(LoopStateClosing, loops[2].state);
    EXPECT_EQ(recording.edpTicks[2], loops[2].base.tick);
}

TEST_F(LoopAnalyzer, ChannelEndingBeforeTheClosingEventClosesTheRecordThere)
{
    // The volume ends inside the third beat: that beat cannot be read, and more data will never come.
    volume.samples.resize(static_cast<std::size_t>(recording.edpTicks[2] + 10));
    volume.available = volume.samples.size();
    Bind(L"0 0 1");
    const std::vector<SistraEvent> loops = ReadAll();
    ASSERT_EQ(3u, loops.size());
    EXPECT_EQ(LoopStateValid, loops[1].state);
    EXPECT_EQ(LoopStateClosing, loops[2].state);
}

TEST_F(LoopAnalyzer, OnlineDataGivesTheSameRecordsAsOffline)
{
    Bind(L"0 0 0");
    const std::vector<SistraEvent> offline = ReadAll();
    for (int chunk : {1, 13, 64})
    {
        pressure.available = volume.available = 0;
        pressure.complete = volume.complete = edps.complete = false;
        edps.available = 0;
        Bind(L"0 0 0");
        const auto grow = [&] {
            if (pressure.available == pressure.samples.size())
                return false;
            pressure.available = volume.available = std::min(pressure.samples.size(), pressure.available + chunk);
            edps.available = 0;
            while (edps.available < edps.events.size() &&
                   edps.events[edps.available].base.tick < static_cast<int32_t>(pressure.available))
                ++edps.available;
            pressure.complete = volume.complete = edps.complete = pressure.available == pressure.samples.size();
            return true;
        };
        EXPECT_TRUE(SameRecords(offline, ReadAll(grow))) << "chunk " << chunk;
    }
}

TEST_F(LoopAnalyzer, ParametersWriteBackInReadingOrder)
{
    DetEx_EventDetectorParams params;
    std::wistringstream in(L"2 1 3 400 5 600 1");
    params.Read(in);
    EXPECT_EQ(2, params.beat.tauType);
    EXPECT_EQ(1, params.beat.strokeVolumeMode);
    EXPECT_EQ(1, params.beat.endSystolicMode);
    std::wostringstream out;
    params.Write(out);
    EXPECT_EQ(std::wstring(L"2 1 3 400 5 600 1") + L'\0', out.str());
}

class LongLoopRecording : public LoopAnalyzer
{
protected:
    LongLoopRecording() : LoopAnalyzer(3000) {} // 120000 ticks: past the first checkpoint span
};

TEST_F(LongLoopRecording, SearchFromACheckpointFindsTheLoopOfAFullRun)
{
    Bind(L"0 0 1");
    const std::vector<SistraEvent> all = ReadAll();
    ASSERT_EQ(3001u, all.size());
    Bind(L"0 0 1");
    ASSERT_EQ(S_OK, core.Find(CalcSeekForward, 110000, 110000, EEH3::LastTick));
    const auto expected = std::find_if(all.begin(), all.end(), [](const SistraEvent& l) { return l.base.tick >= 110000; });
    SistraEvent found{};
    int32_t count = 0, next = 0;
    core.Next(1, EEH3::LastTick, &found, count, next);
    ASSERT_EQ(1, count);
    EXPECT_EQ(0, std::memcmp(&*expected, &found, sizeof found));
    EXPECT_EQ(S_OK, core.Find(CalcSeekBackward, 100010, 0, EEH3::LastTick));
    EXPECT_EQ(100007, core.Cursor()); // beats open at 7 + 40 k
}

TEST(LoopAnalyzerSources, PlainEventsInPlaceOfEndDiastolicOnesAreRefused)
{
    FakeChannel pressure({1, 2, 3});
    FakeChannel volume({1, 2, 3});
    CalcTesting::FakeEvents peaks({1});
    DetEx_EventDetectorParams params;
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&pressure), static_cast<IEnumFloatEx*>(&volume),
                           static_cast<IEnumEventEx*>(&peaks)};
    EXPECT_THROW(params.BuildSources(3, sources), XOrv);
}
