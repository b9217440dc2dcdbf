#include "document/analysis/EventStats.h"

#include "hostapi/CalcEventRecords.h"

#include <gtest/gtest.h>

using namespace Sistra;

namespace
{

// Blocks of 5, 0 and 4 loops: each non-empty block ends with its closing record, so the events are
// 0-4 loops, 5 closing; 6-9 loops, 10 closing.
EventStats FiveNoneFour()
{
    EventStats stats;
    for (int i = 0; i < 5; ++i)
        stats.AddEvent(0, LoopStateValid);
    stats.AddEvent(0, LoopStateClosing);
    for (int i = 0; i < 4; ++i)
        stats.AddEvent(2, i == 1 ? LoopStateExcluded : LoopStateValid);
    stats.AddEvent(2, LoopStateClosing);
    return stats;
}

void ExpectAt(std::optional<BlockOffset> found, int32_t block, int32_t offset)
{
    ASSERT_TRUE(found);
    EXPECT_EQ(block, found->block);
    EXPECT_EQ(offset, found->offset);
}

} // namespace

TEST(EventStats, IndexConversionsOverBlocksOfFiveNoneAndFourLoops)
{
    const EventStats stats = FiveNoneFour();
    EXPECT_EQ(11u, stats.Total());
    EXPECT_EQ(9u, stats.TotalIncluded());
    ASSERT_EQ(3u, stats.Records().size());
    EXPECT_EQ(0, stats.Records()[1].count);
    EXPECT_EQ(6, stats.Records()[2].first);

    ExpectAt(stats.FindBlockOfEvent(6), 2, 0);
    ExpectAt(stats.FindBlockOfEvent(5), 0, 5);
    ExpectAt(stats.FindBlockOfIncluded(5), 2, 0);
    ExpectAt(stats.FindBlockOfIncluded(8), 2, 3);
    EXPECT_EQ(5u, stats.ToLoopIndex(6));
    EXPECT_EQ(6u, stats.FromIncludedIndex(5));
    EXPECT_EQ(4u, stats.FromIncludedIndex(4));

    // Out of range is a failed lookup, never block 0.
    EXPECT_FALSE(stats.FindBlockOfEvent(11));
    EXPECT_FALSE(stats.FindBlockOfIncluded(9));
    EXPECT_FALSE(stats.ToLoopIndex(11));
    EXPECT_FALSE(stats.FromIncludedIndex(9));
}

TEST(EventStats, EveryLoopIndexMapsToALoopRecordAndBack)
{
    const EventStats stats = FiveNoneFour();
    for (uint32_t loop = 0; loop < stats.TotalIncluded(); ++loop)
    {
        const auto event = stats.FromIncludedIndex(loop);
        ASSERT_TRUE(event);
        EXPECT_EQ(loop, stats.ToLoopIndex(*event));
        EXPECT_NE(LoopStateClosing, stats.StateOf(*event)) << "loop " << loop;
        const auto byEvent = stats.FindBlockOfEvent(*event);
        const auto byLoop = stats.FindBlockOfIncluded(loop);
        ASSERT_TRUE(byEvent && byLoop);
        EXPECT_EQ(byEvent->block, byLoop->block);
        EXPECT_EQ(byEvent->offset, byLoop->offset);
    }
}

TEST(EventStats, StatesAreKeptOnlyWhenNotZero)
{
    EventStats stats = FiveNoneFour();
    EXPECT_EQ(LoopStateExcluded, stats.StateOf(7));
    EXPECT_EQ(LoopStateClosing, stats.StateOf(10));
    EXPECT_EQ(3u, stats.StatedCount());

    struct Step
    {
        uint32_t index;
        int32_t state;
        int32_t after;
    };
    const Step steps[] = {
        {2, LoopStateClosing, LoopStateValid},   // no entry: only an exclusion creates one
        {2, LoopStateExcluded, LoopStateExcluded},
        {2, LoopStateValid, LoopStateValid},     // an entry set to 0 is forgotten
        {7, LoopStateValid, LoopStateValid},
        {0xFFFFFFFFu, LoopStateExcluded, LoopStateValid},
    };
    for (const Step& step : steps)
    {
        stats.SetState(step.index, step.state);
        EXPECT_EQ(step.after, stats.StateOf(step.index)) << step.index << " set to " << step.state;
    }
    EXPECT_EQ(2u, stats.StatedCount()) << "the two closing records";
    EXPECT_EQ(0u, stats.StatedCount(LoopStateExcluded));
    EXPECT_EQ(9u, stats.TotalIncluded()) << "states leave the counts alone";
}
