#include "foundation/containers/MergedEventIter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace
{

using OrvEvent::SharedEventBlock;

struct EventSpec
{
    std::int32_t tick;
    double value;
};

std::vector<unsigned char> MakeRecord(const EventSpec& e, std::size_t size)
{
    std::vector<unsigned char> bytes(size, 0xCD);
    std::memcpy(bytes.data(), &e.tick, sizeof e.tick);
    std::memcpy(bytes.data() + 8, &e.value, sizeof e.value);
    return bytes;
}

// An event enumerator over a sorted list of records that counts its reads, as the host's do:
// Next reads forwards from the cursor below a limit tick, Seek searches backwards in a window.
class FakeEventEnum
{
public:
    FakeEventEnum(std::vector<EventSpec> events, std::int32_t recordSize = 16)
        : events_(std::move(events)), recordSize_(recordSize)
    {
    }

    ULONG AddRef()
    {
        return ++references;
    }
    ULONG Release()
    {
        return --references;
    }
    HRESULT GetRecordSize(std::int32_t* size)
    {
        *size = recordSize_;
        return S_OK;
    }
    HRESULT Next(std::int32_t bytes, std::int32_t endTick, void* buffer, std::int32_t* count, std::int32_t* nextTick)
    {
        ++reads;
        auto* out = static_cast<unsigned char*>(buffer);
        *count = 0;
        while (cursor_ < events_.size() && events_[cursor_].tick < endTick && (*count + 1) * recordSize_ <= bytes)
        {
            const auto record = MakeRecord(events_[cursor_++], static_cast<std::size_t>(recordSize_));
            std::memcpy(out + static_cast<std::size_t>(*count) * recordSize_, record.data(), record.size());
            ++*count;
        }
        *nextTick = cursor_ < events_.size() ? events_[cursor_].tick : INT_MAX;
        return *count > 0 ? S_OK : S_FALSE;
    }
    HRESULT Seek(std::int32_t direction, std::int32_t startTick, std::int32_t firstTick, std::int32_t endTick)
    {
        EXPECT_EQ(1, direction);
        for (std::size_t i = events_.size(); i-- > 0;)
        {
            const std::int32_t t = events_[i].tick;
            if (t <= startTick && t >= firstTick && t < endTick)
            {
                cursor_ = i;
                return S_OK;
            }
        }
        cursor_ = events_.size(); // as the host's: a failed search may leave the position at the end
        return S_FALSE;
    }
    HRESULT GetPosition(std::int32_t* tick)
    {
        *tick = cursor_ < events_.size() ? events_[cursor_].tick : INT_MAX;
        return S_OK;
    }

    int references = 1;
    int reads = 0;

private:
    std::vector<EventSpec> events_;
    std::int32_t recordSize_;
    std::size_t cursor_ = 0;
};

class FakeOwnEvents : public OrvEvent::OwnEventList
{
public:
    explicit FakeOwnEvents(std::vector<EventSpec> events) : events_(std::move(events))
    {
    }
    bool NextEvent(unsigned char (&record)[OrvEvent::OwnEventRecordSize]) override
    {
        if (next_ == events_.size())
            return false;
        const auto bytes = MakeRecord(events_[next_++], OrvEvent::OwnEventRecordSize);
        std::memcpy(record, bytes.data(), bytes.size());
        return true;
    }

private:
    std::vector<EventSpec> events_;
    std::size_t next_ = 0;
};

using MergedIter = OrvEvent::MergedEventIterT<FakeEventEnum>;

struct Step
{
    std::int32_t tick;
    std::size_t size;
    int source; // -1 for the data source's own list
};

std::vector<Step> Drain(MergedIter& iter, HRESULT* last = nullptr)
{
    std::vector<Step> steps;
    SharedEventBlock event;
    HRESULT hr;
    while ((hr = iter.Next(event)) == S_OK)
    {
        FakeEventEnum* e = nullptr;
        unsigned index = 99;
        EXPECT_EQ(S_OK, iter.GetCurrentEnum(&e, &index));
        steps.push_back({OrvEvent::EventTick(event->Data()), event->Size(), e ? static_cast<int>(index) : -1});
        if (e)
            e->Release();
    }
    if (last)
        *last = hr;
    return steps;
}

std::vector<std::int32_t> Ticks(const std::vector<Step>& steps)
{
    std::vector<std::int32_t> ticks;
    for (const Step& s : steps)
        ticks.push_back(s.tick);
    return ticks;
}

MergedIter::Options Ascending(std::int32_t rangeStart = 0)
{
    return {rangeStart, true, OrvEvent::RecordEndOffset};
}

MergedIter::Options Descending(std::int32_t rangeStart = 0)
{
    return {rangeStart, false, OrvEvent::RecordEndOffset};
}

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

TEST(MergedEventIter, AscendingMergesAllSourcesByTickAndNamesEachSource)
{
    FakeEventEnum a({{10, 1}, {30, 1}, {50, 1}}, 32);
    FakeEventEnum b({{20, 2}, {30, 2}, {40, 2}});
    MergedIter iter(nullptr, std::make_unique<FakeOwnEvents>(std::vector<EventSpec>{{5, 0}, {30, 0}}), {&a, &b},
                    Ascending());
    HRESULT last = S_OK;
    const auto steps = Drain(iter, &last);
    EXPECT_EQ(S_FALSE, last);
    ASSERT_EQ((std::vector<std::int32_t>{5, 10, 20, 30, 30, 30, 40, 50}), Ticks(steps));
    // Equal ticks come in source order: own list first, then the enumerators by index.
    EXPECT_EQ(-1, steps[3].source);
    EXPECT_EQ(0, steps[4].source);
    EXPECT_EQ(1, steps[5].source);
    // Each event keeps its source's record size.
    EXPECT_EQ(16u, steps[0].size);
    EXPECT_EQ(32u, steps[1].size);
    EXPECT_EQ(16u, steps[2].size);
}

TEST(MergedEventIter, DescendingWalksBackFromTheEndInReverseOrder)
{
    FakeEventEnum a({{10, 1}, {30, 1}, {50, 1}});
    FakeEventEnum b({{20, 2}, {40, 2}, {60, 2}});
    MergedIter iter(nullptr, nullptr, {&a, &b}, Descending());
    EXPECT_EQ((std::vector<std::int32_t>{60, 50, 40, 30, 20, 10}), Ticks(Drain(iter)));
}

// Long runs of rejected records, across batch boundaries, between accepted ones.
std::vector<EventSpec> EventsWithRejectedRuns()
{
    std::vector<EventSpec> events;
    for (std::int32_t t = 1; t <= 60; ++t)
        events.push_back({t * 10, (t % 20 < 12) ? NaN : (t % 3 == 0 ? Inf : double(t))});
    return events;
}

std::vector<std::int32_t> AcceptedTicks(const std::vector<EventSpec>& events, std::int32_t rangeStart)
{
    std::vector<std::int32_t> ticks;
    for (const EventSpec& e : events)
        if (std::isfinite(e.value) && e.tick >= rangeStart)
            ticks.push_back(e.tick);
    return ticks;
}

TEST(MergedEventIter, RejectedRecordsNeverEndOrReorderTheWalkInEitherDirection)
{
    const auto rejecting = EventsWithRejectedRuns();
    const std::vector<EventSpec> plain = {{15, 1}, {255, 1}, {595, 1}};
    std::vector<std::int32_t> expected = AcceptedTicks(rejecting, 0);
    for (const EventSpec& e : plain)
        expected.push_back(e.tick);
    std::sort(expected.begin(), expected.end());
    ASSERT_GT(expected.size(), 10u);

    FakeEventEnum up1(rejecting), up2(plain);
    MergedIter ascending(nullptr, nullptr, {&up1, &up2}, Ascending());
    EXPECT_EQ(expected, Ticks(Drain(ascending)));

    FakeEventEnum down1(rejecting), down2(plain);
    MergedIter descending(nullptr, nullptr, {&down1, &down2}, Descending());
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(expected, Ticks(Drain(descending)));
}

TEST(MergedEventIter, RecordsBeforeTheRangeStartAreSkippedBothWays)
{
    const std::vector<EventSpec> events = {{5, 1}, {10, 1}, {15, 1}, {20, NaN}, {25, 1}};
    FakeEventEnum up(events), down(events);
    MergedIter ascending(nullptr, nullptr, {&up}, Ascending(12));
    EXPECT_EQ((std::vector<std::int32_t>{15, 25}), Ticks(Drain(ascending)));
    MergedIter descending(nullptr, nullptr, {&down}, Descending(12));
    EXPECT_EQ((std::vector<std::int32_t>{25, 15}), Ticks(Drain(descending)));
}

TEST(MergedEventIter, DescendingStartsBelowTheGivenTick)
{
    FakeEventEnum e({{10, 1}, {20, 1}, {30, 1}, {40, 1}});
    MergedIter iter(nullptr, nullptr, {&e}, {0, false, 30});
    EXPECT_EQ((std::vector<std::int32_t>{20, 10}), Ticks(Drain(iter)));
}

TEST(MergedEventIter, EnumeratorsAreReadInBatches)
{
    std::vector<EventSpec> events;
    for (std::int32_t t = 0; t < 20; ++t)
        events.push_back({t, 1});
    FakeEventEnum e(events);
    MergedIter iter(nullptr, nullptr, {&e}, Ascending());
    EXPECT_EQ(20u, Drain(iter).size());
    EXPECT_EQ(4, e.reads); // 8 + 8 + 4, then the empty read that ends the source
}

TEST(MergedEventIter, WithoutEventsNextReportsTheEnd)
{
    FakeEventEnum e({});
    MergedIter iter(nullptr, std::make_unique<FakeOwnEvents>(std::vector<EventSpec>{}), {&e}, Ascending());
    SharedEventBlock event;
    EXPECT_EQ(S_FALSE, iter.Next(event));
    EXPECT_EQ(nullptr, event);
    FakeEventEnum* current = &e;
    unsigned index = 7;
    EXPECT_EQ(S_OK, iter.GetCurrentEnum(&current, &index));
    EXPECT_EQ(nullptr, current);
    EXPECT_EQ(0u, index);
}

TEST(MergedEventIter, EventsOutsideTheChoiceBoundsFail)
{
    // Descending, the choice starts above tick -1: an accepted event below it is never chosen.
    FakeEventEnum e({{-3, 1}});
    MergedIter iter(nullptr, nullptr, {&e}, Descending(-10));
    SharedEventBlock event;
    EXPECT_EQ(E_FAIL, iter.Next(event));
}

TEST(MergedEventIter, AMissingEnumeratorIsRefused)
{
    FakeEventEnum e({{1, 1}});
    try
    {
        MergedIter iter(nullptr, nullptr, {&e, nullptr}, Ascending());
        FAIL() << "no error";
    }
    catch (const XOrv& error)
    {
        EXPECT_EQ(E_POINTER, error.Code());
    }
    EXPECT_EQ(1, e.references); // the reader made before the gap let its reference go
}

TEST(MergedEventIter, HoldsOneReferenceOnEachEnumeratorUntilDestroyed)
{
    FakeEventEnum e({{1, 1}});
    {
        MergedIter iter(nullptr, nullptr, {&e}, Ascending());
        EXPECT_EQ(2, e.references);
        Drain(iter);
        EXPECT_EQ(2, e.references);
    }
    EXPECT_EQ(1, e.references);
}

} // namespace
