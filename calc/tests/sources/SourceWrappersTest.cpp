#include "calc/sources/SourceWrappers.h"

#include "calc/tests/FakeHostSources.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace EEH3;
using CalcTesting::FakeChannel;
using CalcTesting::FakeEvents;

namespace
{

std::vector<float> Ramp(int count)
{
    std::vector<float> values(static_cast<std::size_t>(count));
    std::iota(values.begin(), values.end(), 0.0f);
    return values;
}

} // namespace

TEST(ChannelWrapper, ReadsAheadInBlocksAndStepsThroughTheBuffer)
{
    FakeChannel channel(Ramp(3000));
    FloatExWrapper wrapper(&channel);
    ASSERT_TRUE(wrapper.HasCurrent());
    int32_t steps = 0;
    while (wrapper.HasCurrent())
    {
        ASSERT_EQ(static_cast<float>(wrapper.Position()), wrapper.Current());
        wrapper.Advance();
        ++steps;
    }
    EXPECT_EQ(3000, steps);
    EXPECT_TRUE(wrapper.Ended());
    EXPECT_EQ(4, channel.nextCalls); // three blocks of at most 1024 and the read that finds the end
}

TEST(ChannelWrapper, DeliversEverySampleUpToTheEndLimitWhereverTheReadBegins)
{
    for (const int32_t endLimit : {1, 50, 1024, 1025, 2049})
        for (const int32_t start : {0, endLimit - 1, endLimit - 2, endLimit - 1024, endLimit - 1025})
        {
            if (start < 0)
                continue;
            SCOPED_TRACE(testing::Message() << "end " << endLimit << ", start " << start);
            FakeChannel channel(Ramp(3000));
            channel.position = start;
            FloatExWrapper wrapper(&channel);
            wrapper.SetEndLimit(endLimit);
            int32_t delivered = 0;
            float last = -1.0f;
            for (; wrapper.HasCurrent(); wrapper.Advance())
            {
                last = wrapper.Current();
                ++delivered;
            }
            EXPECT_EQ(endLimit - start, delivered);
            EXPECT_EQ(static_cast<float>(endLimit - 1), last);
            EXPECT_TRUE(wrapper.Ended());
            EXPECT_EQ(endLimit, wrapper.Position());
        }
}

TEST(ChannelWrapper, SeekInsideTheBufferDoesNotCallTheSource)
{
    FakeChannel channel(Ramp(2000));
    FloatExWrapper wrapper(&channel);
    ASSERT_TRUE(wrapper.HasCurrent());
    const int reads = channel.nextCalls;
    wrapper.Seek(700);
    EXPECT_EQ(700, wrapper.Position());
    EXPECT_EQ(700.0f, wrapper.Current());
    EXPECT_EQ(reads, channel.nextCalls);
    EXPECT_EQ(0, channel.skipCalls);
}

TEST(ChannelWrapper, SeekOutsideTheBufferMovesTheSource)
{
    FakeChannel channel(Ramp(3000));
    FloatExWrapper wrapper(&channel);
    ASSERT_TRUE(wrapper.HasCurrent());
    wrapper.Seek(2500);
    ASSERT_TRUE(wrapper.HasCurrent());
    EXPECT_EQ(2500, wrapper.Position());
    EXPECT_EQ(2500.0f, wrapper.Current());
}

// A seek back that is followed by one into the samples held reads nothing again; one that is read from is
// made then, at the host.
TEST(ChannelWrapper, SeekBackThenIntoTheBufferReadsNothingTwice)
{
    FakeChannel channel(Ramp(3000));
    FloatExWrapper wrapper(&channel);
    wrapper.Seek(1500);
    ASSERT_TRUE(wrapper.HasCurrent());
    const int reads = channel.nextCalls, skips = channel.skipCalls;
    wrapper.Seek(400);
    wrapper.Seek(1600);
    EXPECT_EQ(1600.0f, wrapper.Current());
    EXPECT_EQ(reads, channel.nextCalls);
    EXPECT_EQ(skips, channel.skipCalls);
    wrapper.Seek(400);
    EXPECT_EQ(400, wrapper.Position());
    ASSERT_TRUE(wrapper.HasCurrent());
    EXPECT_EQ(400.0f, wrapper.Current());
    std::vector<float> taken;
    EXPECT_EQ(2000, wrapper.Take(2000, taken));
    const std::vector<float> ramp = Ramp(2400);
    EXPECT_EQ(std::vector<float>(ramp.begin() + 400, ramp.end()), taken);
}

TEST(ChannelWrapper, SeekAtOrBeyondTheEndLimitEndsWithoutTouchingTheSource)
{
    FakeChannel channel(Ramp(100));
    FloatExWrapper wrapper(&channel);
    wrapper.SetEndLimit(60);
    wrapper.Seek(60);
    EXPECT_TRUE(wrapper.Ended());
    EXPECT_EQ(60, wrapper.Position());
    EXPECT_EQ(0, channel.skipCalls);
    EXPECT_EQ(0, channel.nextCalls);
}

TEST(ChannelWrapper, WaitsWithoutEndingWhileOnlineDataIsMissing)
{
    FakeChannel channel(Ramp(100));
    channel.available = 10;
    channel.complete = false;
    FloatExWrapper wrapper(&channel);
    for (int i = 0; i < 10; ++i)
    {
        ASSERT_TRUE(wrapper.HasCurrent());
        wrapper.Advance();
    }
    EXPECT_FALSE(wrapper.HasCurrent());
    EXPECT_FALSE(wrapper.Ended());
    channel.available = 100;
    channel.complete = true;
    ASSERT_TRUE(wrapper.HasCurrent());
    EXPECT_EQ(10.0f, wrapper.Current());
}

TEST(ChannelWrapper, WithoutSourceCountsTicksAndHasDefaultTimeBase)
{
    FloatExWrapper wrapper(nullptr);
    EXPECT_TRUE(wrapper.HasCurrent());
    EXPECT_TRUE(wrapper.Advance());
    EXPECT_EQ(1, wrapper.Position());
    TimeBase timeBase{7, 7, 7.0};
    wrapper.GetTimeBase(&timeBase);
    EXPECT_EQ(1, timeBase.numerator);
    EXPECT_EQ(1, timeBase.denominator);
    EXPECT_EQ(0.0, timeBase.origin);
}

TEST(EventWrapper, ReadsEightRecordsAtATimeAndFinishes)
{
    std::vector<int32_t> ticks(20);
    std::iota(ticks.begin(), ticks.end(), 1);
    FakeEvents events(ticks);
    EventWrapperEx<OrvEventBase> wrapper(&events);
    std::vector<int32_t> seen;
    while (wrapper.HasCurrent())
    {
        seen.push_back(wrapper.Current().tick);
        wrapper.Advance();
    }
    EXPECT_EQ(ticks, seen);
    EXPECT_TRUE(wrapper.Ended());
    EXPECT_EQ(4, events.nextCalls); // 8 + 8 + 4 records, then the empty read that ends it
}

TEST(EventWrapper, SeekBetweenBufferedEventsLandsOnTheLaterOne)
{
    FakeEvents events({100, 200, 300});
    EventWrapperEx<OrvEventBase> wrapper(&events);
    ASSERT_TRUE(wrapper.HasCurrent());
    wrapper.Seek(150);
    EXPECT_EQ(200, wrapper.Position());
    EXPECT_EQ(0, events.seekCalls);
}

TEST(EventWrapper, SeekOutsideTheBufferAsksTheSource)
{
    FakeEvents events({100, 200, 300});
    EventWrapperEx<OrvEventBase> wrapper(&events);
    wrapper.Seek(250);
    EXPECT_EQ(1, events.seekCalls);
    ASSERT_TRUE(wrapper.HasCurrent());
    EXPECT_EQ(300, wrapper.Current().tick);
    wrapper.Seek(400);
    EXPECT_TRUE(wrapper.Ended());
}

// After the host source was moved elsewhere, reading from an earlier tick goes on tick by tick.
TEST(SourceWrappers, ReadingAfterTheHostSourceWasMovedSkipsNothing)
{
    FakeChannel channel(Ramp(3000));
    FloatExWrapper samples(&channel);
    ASSERT_TRUE(samples.HasCurrent());
    samples.SetPosition(2000);
    samples.Seek(1000);
    for (int32_t tick = 1000; tick < 1100; ++tick, samples.Advance())
    {
        ASSERT_TRUE(samples.HasCurrent());
        ASSERT_EQ(static_cast<float>(tick), samples.Current());
    }

    std::vector<int32_t> ticks(40);
    std::iota(ticks.begin(), ticks.end(), 0);
    FakeEvents source(ticks);
    EventWrapperEx<OrvEventBase> events(&source);
    ASSERT_TRUE(events.HasCurrent());
    events.SetPosition(30);
    events.Seek(3);
    for (int32_t tick = 3; tick < 20; ++tick, events.Advance())
    {
        ASSERT_TRUE(events.HasCurrent());
        ASSERT_EQ(tick, events.Current().tick);
    }
}

TEST(EventWrapper, RecordsShorterThanExpectedEndTheWrapperFromTheStart)
{
    FakeEvents events({100});
    EventWrapperEx<Sistra::SistraEdpEvent> wrapper(&events);
    EXPECT_TRUE(wrapper.Ended());
    EXPECT_FALSE(wrapper.HasCurrent());
    EventWrapperEx<OrvEventBase> none(nullptr);
    EXPECT_TRUE(none.Ended());
    EXPECT_EQ(NoTickLimit, none.Position());
}

TEST(EventWrapper, WaitsWhileTheSourceHasNotFinished)
{
    FakeEvents events({10});
    events.complete = false;
    EventWrapperEx<OrvEventBase> wrapper(&events);
    ASSERT_TRUE(wrapper.HasCurrent());
    EXPECT_FALSE(wrapper.Advance());
    EXPECT_FALSE(wrapper.Ended());
    events.events.push_back(OrvEventBase{20, 0.0f, 2.0});
    events.complete = true;
    ASSERT_TRUE(wrapper.HasCurrent());
    EXPECT_EQ(20, wrapper.Current().tick);
}
