#include "calc/detectors/PeakAndEcgDetectors.h"

#include "calc/engine/DetectorEnumeratorCore.h"
#include "calc/tests/DetectorReading.h"
#include "calc/tests/SyntheticLoops.h"

#include <gtest/gtest.h>

using namespace Sistra;
using CalcTesting::FakeEdpEvents;
using CalcTesting::FakeEvents;

namespace
{

template <class Algorithm, class Source>
std::vector<typename Algorithm::Event> ReadAll(Source& source, const wchar_t* arguments)
{
    EEH3::DetectorEnumeratorCore<Algorithm> core;
    core.SetArguments(arguments);
    IUnknown* sources[] = {static_cast<IEnumEventEx*>(&source)};
    core.Bind(0, 1, sources, 0.001, 0);
    return CalcTesting::ReadAllEvents(core);
}

template <class Event>
std::vector<int32_t> TicksOf(const std::vector<Event>& events)
{
    std::vector<int32_t> ticks;
    for (const Event& e : events)
    {
        int32_t tick = 0;
        std::memcpy(&tick, &e, sizeof tick);
        ticks.push_back(tick);
    }
    return ticks;
}

} // namespace

TEST(MaxDetector, EachEndDiastolicEventGivesItsPeakAsStored)
{
    FakeEdpEvents edps({10, 110, 210});
    edps.events[1].secondValue = 77.0;
    const auto peaks = ReadAll<MaxAlgorithm>(edps, L"0");
    EXPECT_EQ((std::vector<int32_t>{15, 115, 215}), TicksOf(peaks));
    EXPECT_DOUBLE_EQ(77.0, peaks[1].value); // the stored value, not a channel sample
}

TEST(MaxDetector, PeakAtTickZeroIsNotHandedOut)
{
    FakeEdpEvents edps({10, 110});
    edps.events[0].secondTick = 0;
    EXPECT_EQ((std::vector<int32_t>{115}), TicksOf(ReadAll<MaxAlgorithm>(edps, L"0")));
}

TEST(EcgEdpDetector, EventsInsideTheLimitsBecomeEndDiastolicEventsWithAZeroSecondPosition)
{
    FakeEvents ecg({50, 99, 100, 250, 400, 401});
    const auto all = ReadAll<EcgAlgorithm>(ecg, L"0 -1 -1 -1 -1");
    EXPECT_EQ((std::vector<int32_t>{50, 99, 100, 250, 400, 401}), TicksOf(all));
    for (const SistraEdpEvent& e : all)
    {
        EXPECT_DOUBLE_EQ(e.base.tick / 10.0, e.base.value);
        EXPECT_EQ(0, e.secondTick);
        EXPECT_DOUBLE_EQ(0.0, e.secondValue);
    }
    // From LimitStart Tick 100 (an event exactly there is kept) to LimitEnd Tick 400 (one there is not).
    EXPECT_EQ((std::vector<int32_t>{100, 250}), TicksOf(ReadAll<EcgAlgorithm>(ecg, L"0 0 100 0 400")));
    // The limit's start at the record's first tick: an event on that very sample is still not handed out.
    FakeEvents fromTheFirstSample({0, 50});
    EXPECT_EQ((std::vector<int32_t>{50}),
              TicksOf(ReadAll<EcgAlgorithm>(fromTheFirstSample, L"0 0 0 0 400")));
}

// Without a limit end (a state whose end was never set) the held event is still handed out.
TEST(EcgEdpDetectorStep, UnsetLimitEndDoesNotStopTheOutput)
{
    FakeEvents ecg({50, 150});
    ParamsEcg params;
    IUnknown* sources[] = {static_cast<IEnumEventEx*>(&ecg)};
    params.BuildSources(1, sources);
    StateEcg state(params, 0);
    state.limitEndTick = -1;
    std::vector<int32_t> emitted;
    for (int step = 0; step < 5 && !state.Finished(); ++step)
    {
        SistraEdpEvent event{};
        if (EcgAlgorithm::Step(state, params, event))
            emitted.push_back(event.base.tick);
    }
    EXPECT_EQ((std::vector<int32_t>{50, 150}), emitted);
}

TEST(MaxDetector, SearchesAfterASeekNearACheckpointFindThePeaksOfTheSequentialRead)
{
    // Each peak lies 60 ticks after its end-diastolic event: the one at 99,990 has its peak at 100,050,
    // beyond the checkpoint that the events before it lead up to.
    std::vector<int32_t> edpTicks;
    for (int32_t tick = 99490; tick < 101500; tick += 500)
        edpTicks.push_back(tick);
    FakeEdpEvents edps(edpTicks);
    for (SistraEdpEvent& edp : edps.events)
        edp.secondTick = edp.base.tick + 60;
    EEH3::DetectorEnumeratorCore<MaxAlgorithm> core;
    core.SetArguments(L"0");
    IUnknown* sources[] = {static_cast<IEnumEventEx*>(&edps)};
    core.Bind(0, 1, sources, 0.001, 0);
    ASSERT_EQ((std::vector<int32_t>{99550, 100050, 100550, 101050, 101550}),
              TicksOf(CalcTesting::ReadAllEvents(core)));
    core.MoveTo(100010);
    ASSERT_EQ(S_OK, core.Find(CalcSeekForward, 100010, 0, EEH3::LastTick));
    EXPECT_EQ(100050, core.Cursor());
    ASSERT_EQ(S_OK, core.Find(CalcSeekBackward, 100060, 0, EEH3::LastTick));
    EXPECT_EQ(100050, core.Cursor());
}
