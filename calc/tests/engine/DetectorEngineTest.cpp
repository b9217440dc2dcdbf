#include "calc/engine/DetectorEnumeratorCore.h"

#include "calc/tests/CrossingDetector.h"
#include "calc/tests/FakeHostSources.h"

#include <gtest/gtest.h>

using namespace EEH3;
using CalcTesting::CrossingAlgorithm;
using CalcTesting::FakeChannel;
using CalcTesting::SquareWave;

namespace
{

class DetectorEngine : public ::testing::Test
{
protected:
    explicit DetectorEngine(int32_t ticks = 250000) : channel(SquareWave(ticks)) {}

    void Bind(const wchar_t* arguments, int32_t record = 0)
    {
        core.SetArguments(arguments);
        IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&channel)};
        core.Bind(record, 1, sources, 0.001, 0);
        CrossingAlgorithm::processedTicks = 0;
    }

    std::vector<int32_t> ReadAll(HRESULT* last = nullptr)
    {
        std::vector<int32_t> ticks;
        OrvEventBase records[8];
        for (;;)
        {
            int32_t count = 0;
            int32_t next = 0;
            const HRESULT hr = core.Next(8, LastTick, records, count, next);
            for (int32_t i = 0; i < count; ++i)
                ticks.push_back(records[i].tick);
            if (last)
                *last = hr;
            if (hr != S_OK || count == 0)
                return ticks;
        }
    }

    FakeChannel channel;
    DetectorEnumeratorCore<CrossingAlgorithm> core;
};

} // namespace

TEST_F(DetectorEngine, WholeChannelGivesEveryEventInOrder)
{
    Bind(L"0 0.5 -1 -1 -1 -1");
    HRESULT last = S_OK;
    const std::vector<int32_t> ticks = ReadAll(&last);
    ASSERT_EQ(250u, ticks.size());
    EXPECT_EQ(500, ticks.front());
    EXPECT_EQ(249500, ticks.back());
    EXPECT_EQ(S_FALSE, last);
    EXPECT_EQ(LastTick, core.Cursor());
}

TEST_F(DetectorEngine, OpenLimitsEqualExplicitWholeChannelLimits)
{
    Bind(L"0 0.5 0 0 0 2147483647");
    const std::vector<int32_t> explicitLimits = ReadAll();
    Bind(L"0 0.5");
    EXPECT_EQ(explicitLimits, ReadAll());
}

TEST_F(DetectorEngine, RequestTwoAndAHalfSpansInRunsOnceAndLeavesTwoCheckpoints)
{
    Bind(L"0 0.5");
    EXPECT_EQ(S_FALSE, core.Find(CalcSeekForward, 250000, 250000, LastTick)); // the channel ends first
    EXPECT_LE(CrossingAlgorithm::processedTicks, 250000);
    EXPECT_TRUE(core.Cache().HasCheckpoint(0, 1));
    EXPECT_TRUE(core.Cache().HasCheckpoint(0, 2));
    EXPECT_EQ(2u, core.Cache().CheckpointCount(0));

    CrossingAlgorithm::processedTicks = 0;
    ASSERT_EQ(S_OK, core.Find(CalcSeekForward, 150000, 150000, LastTick));
    EXPECT_EQ(150500, core.Cursor());
    EXPECT_EQ(50501, CrossingAlgorithm::processedTicks); // from checkpoint 1, not from the start
}

TEST_F(DetectorEngine, BackwardSearchCrossesASpanBoundary)
{
    Bind(L"0 0.5");
    ASSERT_EQ(S_OK, core.Find(CalcSeekForward, 120000, 0, LastTick));
    ASSERT_EQ(S_OK, core.Find(CalcSeekBackward, 100050, 0, LastTick));
    EXPECT_EQ(99500, core.Cursor());
    // The next read starts with the event found.
    OrvEventBase record;
    int32_t count = 0;
    int32_t next = 0;
    ASSERT_EQ(S_OK, core.Next(1, LastTick, &record, count, next));
    ASSERT_EQ(1, count);
    EXPECT_EQ(99500, record.tick);
    ASSERT_EQ(S_OK, core.Next(1, LastTick, &record, count, next));
    EXPECT_EQ(100500, record.tick);
}

TEST_F(DetectorEngine, BackwardSearchBeforeTheFirstEventFindsNothing)
{
    Bind(L"0 0.5");
    EXPECT_EQ(S_FALSE, core.Find(CalcSeekBackward, 400, 0, LastTick));
    EXPECT_EQ(400, core.Cursor());
}

TEST_F(DetectorEngine, LimitsBoundTheTicksWithinTheirRecords)
{
    Bind(L"0 0.5 0 1000 0 5000");
    EXPECT_EQ((std::vector<int32_t>{1500, 2500, 3500, 4500}), ReadAll());

    Bind(L"0 0.5 1 0 1 -1", 0); // record 0 lies before the limits
    HRESULT last = S_OK;
    EXPECT_TRUE(ReadAll(&last).empty());
    EXPECT_EQ(S_FALSE, last);
    EXPECT_EQ(0, CrossingAlgorithm::processedTicks);
}

TEST_F(DetectorEngine, LimitStartInAnEarlierRecordCoversThisRecordFromItsStart)
{
    Bind(L"0 0.5 0 200000 2 100", 1);
    EXPECT_EQ(250u, ReadAll().size());
}

TEST_F(DetectorEngine, ReadLimitHoldsBackLaterEventsForTheNextRead)
{
    Bind(L"0 0.5");
    OrvEventBase records[8];
    int32_t count = 0;
    int32_t next = 0;
    ASSERT_EQ(S_OK, core.Next(8, 2000, records, count, next));
    EXPECT_EQ(2, count);
    EXPECT_EQ(2000, next);
    ASSERT_EQ(S_OK, core.Next(8, 4000, records, count, next));
    ASSERT_EQ(2, count);
    EXPECT_EQ(2500, records[0].tick);
}

TEST_F(DetectorEngine, WaitsForOnlineDataAndResumesWhereItStopped)
{
    channel.available = 2700;
    channel.complete = false;
    Bind(L"0 0.5");
    HRESULT last = S_FALSE;
    EXPECT_EQ((std::vector<int32_t>{500, 1500, 2500}), ReadAll(&last));
    EXPECT_EQ(S_OK, last);
    channel.available = channel.samples.size();
    channel.complete = true;
    const std::vector<int32_t> rest = ReadAll(&last);
    ASSERT_EQ(247u, rest.size());
    EXPECT_EQ(3500, rest.front());
    EXPECT_EQ(S_FALSE, last);
}

TEST_F(DetectorEngine, NewArgumentsRestartFromEmptyCaches)
{
    Bind(L"0 0.5");
    ReadAll();
    EXPECT_GT(core.Cache().CheckpointCount(0), 0u);
    core.SetArguments(L"0 0.5");
    EXPECT_EQ(0u, core.Cache().RecordCount());
}

namespace
{

// A detector that hands on each event of its event source: the engine positions the event source
// before every step.
struct RelayAlgorithm
{
    struct Params : ParamsBase
    {
        void BuildSources(uint32_t count, IUnknown* const* sources) override
        {
            for (uint32_t i = 0; i < count; ++i)
                AddEventSource<OrvEventBase>(sources[i]);
        }
    };

    struct State : StateBase
    {
        State(const Params&, int32_t firstTick) : StateBase(firstTick) {}
    };

    using Event = OrvEventBase;

    static bool Step(State& state, Params& params, Event& event)
    {
        auto& events = params.SourceAs<EventWrapperEx<OrvEventBase>>(0);
        if (!events.HasCurrent())
        {
            if (events.Ended())
                state.Finish();
            else
                state.waitingFor = 0;
            return false;
        }
        const OrvEventBase current = events.Current();
        if (current.tick >= state.horizon)
        {
            state.nextTick = state.horizon;
            return false;
        }
        state.nextTick = current.tick + 1;
        events.Advance();
        event = current;
        return true;
    }
};

std::vector<int32_t> RelayTicks(CalcTesting::FakeEvents& source, const wchar_t* arguments)
{
    DetectorEnumeratorCore<RelayAlgorithm> relay;
    relay.SetArguments(arguments);
    IUnknown* sources[] = {static_cast<IEnumEventEx*>(&source)};
    relay.Bind(0, 1, sources, 0.001, 0);
    std::vector<int32_t> ticks;
    OrvEventBase records[4];
    int32_t count = 0;
    int32_t next = 0;
    while (relay.Next(4, LastTick, records, count, next) == S_OK && count > 0)
        for (int32_t i = 0; i < count; ++i)
            ticks.push_back(records[i].tick);
    for (int32_t i = 0; i < count; ++i)
        ticks.push_back(records[i].tick);
    return ticks;
}

} // namespace

TEST(DetectorEngineEvents, EventSourcesArePositionedAcrossSpansAndLimits)
{
    CalcTesting::FakeEvents source({10, 99999, 100000, 100001, 250000, 300000});
    EXPECT_EQ((std::vector<int32_t>{10, 99999, 100000, 100001, 250000, 300000}), RelayTicks(source, L"0"));
    EXPECT_EQ((std::vector<int32_t>{99999, 100000, 100001}), RelayTicks(source, L"0 0 50000 0 200000"));
}

TEST(DetectorEngineEvents, EventsOnTheFirstSampleOrMarkedRejectedAreNotHandedOn)
{
    CalcTesting::FakeEvents source({0, 5, 6});
    source.events[1].value = std::bit_cast<double>(RejectedEventValueBits);
    EXPECT_EQ((std::vector<int32_t>{6}), RelayTicks(source, L"0"));
    EXPECT_EQ((std::vector<int32_t>{}), RelayTicks(source, L"0 0 0 0 6"));
    EXPECT_EQ((std::vector<int32_t>{6}), RelayTicks(source, L"0 0 6"));
}

TEST(DetectorEngineEvents, BackwardSearchOverAnEventSourceFindsTheEventBeforeTheBoundary)
{
    CalcTesting::FakeEvents source({10, 99999, 250000});
    DetectorEnumeratorCore<RelayAlgorithm> relay;
    relay.SetArguments(L"0");
    IUnknown* sources[] = {static_cast<IEnumEventEx*>(&source)};
    relay.Bind(0, 1, sources, 0.001, 0);
    ASSERT_EQ(S_OK, relay.Find(CalcSeekBackward, 200050, 0, LastTick));
    EXPECT_EQ(99999, relay.Cursor());
}
