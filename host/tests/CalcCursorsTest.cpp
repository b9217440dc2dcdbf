#include "host/app/commands/CalcCommand.h"
#include "host/tests/CalcTestSupport.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

using namespace Host::Calc;
using HostTests::Compile;

const Host::Recording Source = HostTests::MakeRecording(0.1, {{{1, 2, 3, 4, 5, 6, 7}}, {{8, 9}}});

TEST(ChannelCursor, WaitsForDataNotThereYetAndEndsWithTheCompleteRecord)
{
    Host::RecordingFeed feed(Source);
    ChannelCursor cursor(feed.Live(), Compile(feed.Live(), "shift(ch1, -0.2)").channel);
    std::vector<float> buffer(10);
    EXPECT_EQ(ReadStatus::Waiting, cursor.Read(buffer).status) << "the record has not begun";

    feed.Feed(4); // ticks 0-3 arrived: the advanced channel can give ticks 0 and 1
    auto result = cursor.Read(buffer);
    EXPECT_EQ(2u, result.count);
    EXPECT_EQ(ReadStatus::Waiting, result.status);
    EXPECT_EQ((std::vector<float>{3, 4}), std::vector<float>(buffer.begin(), buffer.begin() + 2));

    feed.Feed(4); // the rest: the end repeats the last sample
    result = cursor.Read(buffer);
    EXPECT_EQ(ReadStatus::End, result.status);
    EXPECT_EQ((std::vector<float>{5, 6, 7, 7, 7}), std::vector<float>(buffer.begin(), buffer.begin() + 5));
    EXPECT_EQ(7, cursor.Position());

    EXPECT_EQ(-7, cursor.Skip(-20));
    EXPECT_EQ(7, cursor.Skip(20)) << "skipping stops at the end of a complete record";
    cursor.Bind(1);
    EXPECT_EQ(ReadStatus::Waiting, cursor.Read(buffer).status) << "record 1 has not arrived";
    EXPECT_EQ(0, cursor.Position());
}

TEST(CalcCursor, RefusesARecordAFinishedRecordingLacks)
{
    ChannelCursor channel(Source, Compile(Source, "ch1").channel);
    EXPECT_THROW(channel.Bind(2), std::out_of_range);
    EventCursor events(Source, Compile(Source, "cmpeakdet(ch1, 1, 0)").events);
    EXPECT_THROW(events.Bind(2), std::out_of_range);
}

// Peaks of height 10 at ticks 2, 6, 10 and 14; minPeriod 0.
const Host::Recording Peaks =
    HostTests::MakeRecording(1.0, {{{0, 0, 10, 0, 0, 0, 11, 0, 0, 0, 12, 0, 0, 0, 13, 0, 0}}});

TEST(EventCursor, HandsOutEventsInBatchesUpToTheEndTick)
{
    EventCursor cursor(Peaks, Compile(Peaks, "cmpeakdet(ch1, 5, 0)").events);
    EXPECT_EQ(sizeof(EventHeader), cursor.RecordSize());
    std::vector<std::byte> records;
    auto result = cursor.Next(3, 12, records);
    EXPECT_EQ(3u, result.count);
    EXPECT_EQ(ReadStatus::Done, result.status);
    EXPECT_EQ(11, result.nextTick);

    result = cursor.Next(3, 12, records);
    EXPECT_EQ(0u, result.count);
    EXPECT_EQ(ReadStatus::End, result.status);
    EXPECT_EQ(12, result.nextTick);

    result = cursor.Next(3, RecordEndTick, records);
    EXPECT_EQ(1u, result.count);
    EXPECT_EQ(ReadStatus::End, result.status);
    EXPECT_EQ(RecordEndTick, result.nextTick);
    const auto events = HostTests::Headers(records, cursor.RecordSize());
    ASSERT_EQ(4u, events.size());
    EXPECT_EQ(14, events[3].tick);
    EXPECT_EQ(13.0, events[3].value);
}

TEST(EventCursor, FindsForwardsAndBackwardsInsideTheWindow)
{
    EventCursor cursor(Peaks, Compile(Peaks, "cmpeakdet(ch1, 5, 0)").events);
    EXPECT_EQ(EventCursor::FindResult::Found, cursor.Find(false, 3, 0, 17));
    EXPECT_EQ(6, cursor.Position());
    EXPECT_EQ(EventCursor::FindResult::Found, cursor.Find(true, 9, 0, 17));
    EXPECT_EQ(6, cursor.Position());
    EXPECT_EQ(EventCursor::FindResult::Found, cursor.Find(true, 16, 0, 14)) << "the window's end is excluded";
    EXPECT_EQ(10, cursor.Position());
    EXPECT_EQ(EventCursor::FindResult::NotFound, cursor.Find(false, 3, 3, 6));
    EXPECT_EQ(6, cursor.Position());
    EXPECT_EQ(EventCursor::FindResult::NotFound, cursor.Find(true, 5, 3, 17));
    EXPECT_EQ(3, cursor.Position());
}

TEST(EventCursor, ReadsOneAtATimeFromWhereverAFindLeftIt)
{
    // One event per read, after moves back and forth: each read starts at the cursor's position.
    EventCursor cursor(Peaks, Compile(Peaks, "cmpeakdet(ch1, 5, 0)").events);
    const std::pair<bool, int64_t> moves[] = {{false, 0}, {false, 11}, {true, 9}, {true, 2}, {false, 15}, {true, 1}};
    for (const auto& [backwards, tick] : moves)
    {
        cursor.Find(backwards, tick, 0, 17);
        const int64_t from = cursor.Position();
        std::vector<std::byte> records;
        while (cursor.Next(1, RecordEndTick, records).count == 1)
        {
        }
        std::vector<int64_t> ticks;
        for (const EventHeader& header : HostTests::Headers(records, cursor.RecordSize()))
            ticks.push_back(header.tick);
        std::vector<int64_t> expected;
        for (int64_t peak : {2, 6, 10, 14})
            if (peak >= from)
                expected.push_back(peak);
        EXPECT_EQ(expected, ticks) << "from tick " << from;
    }
}

TEST(EventCursor, WaitsUntilTheSignalSettlesAnEvent)
{
    Host::RecordingFeed feed(Peaks);
    EventCursor cursor(feed.Live(), Compile(feed.Live(), "cmpeakdet(ch1, 5, 3)").events);
    std::vector<std::byte> records;
    feed.Feed(4); // the peak at tick 2 is confirmed, but a higher one may still come within 3 s
    auto result = cursor.Next(8, RecordEndTick, records);
    EXPECT_EQ(0u, result.count);
    EXPECT_EQ(ReadStatus::Waiting, result.status);
    EXPECT_EQ(2, result.nextTick);
    EXPECT_EQ(EventCursor::FindResult::Waiting, cursor.Find(false, 0, 0, 17));

    feed.Feed(1); // 3 s past the peak: it is settled
    result = cursor.Next(8, RecordEndTick, records);
    EXPECT_EQ(1u, result.count);
    EXPECT_EQ(ReadStatus::Waiting, result.status);
    EXPECT_EQ(5, result.nextTick);
    EXPECT_EQ(EventCursor::FindResult::Waiting, cursor.Find(true, 5, 0, 17)) << "tick 5 is not settled";
    EXPECT_EQ(EventCursor::FindResult::Found, cursor.Find(true, 4, 0, 17));
    EXPECT_EQ(2, cursor.Position());
    EXPECT_EQ(EventCursor::FindResult::NotFound, cursor.Find(true, 1, 0, 17));
}

// The command's evaluation path, offline or fed as online data in chunks.
std::string Evaluate(const Host::Recording& recording, const std::string& text, bool samples, int64_t chunk)
{
    std::ostringstream out;
    Host::CalcReport report(out, samples);
    if (chunk == 0)
    {
        Host::EvaluateCalculation(recording, Compile(recording, text), [] { FAIL() << "offline data waited"; }, report);
        return out.str();
    }
    Host::RecordingFeed feed(recording);
    const auto compiled = Compile(feed.Live(), text);
    Host::EvaluateCalculation(feed.Live(), compiled, [&] { feed.Feed(chunk); }, report);
    EXPECT_TRUE(feed.IsDone());
    return out.str();
}

TEST(OnlineFeed, ChunkedEvaluationGivesExactlyTheOfflineResult)
{
    const HostTests::PressureWave slow{0.8}, fast{0.5};
    const Host::Recording recording =
        HostTests::MakeRecording(0.001, {{slow.Samples(5000)}, {fast.Samples(3001)}, {fast.Samples(7)}});
    const char* texts[] = {"cmpeakdet(ch1, 20, 0.05)", "cmpeakdet(shift(ch1, -0.03) - shift(ch1, 0.01), 5, 0.2, 150)",
                           "ch1 * random() + sin(2 * pi * t)", "threshold(shift(ch1, -0.1), 60)"};
    for (const char* text : texts)
    {
        const std::string offline = Evaluate(recording, text, false, 0);
        EXPECT_GT(std::count(offline.begin(), offline.end(), '\n'), 3) << text;
        for (const int64_t chunk : {1, 7, 997, 100000})
            EXPECT_EQ(offline, Evaluate(recording, text, false, chunk)) << text << " in chunks of " << chunk;
    }
    EXPECT_EQ(Evaluate(recording, "shift(ch1, -0.05)", true, 0), Evaluate(recording, "shift(ch1, -0.05)", true, 13));
}

} // namespace
