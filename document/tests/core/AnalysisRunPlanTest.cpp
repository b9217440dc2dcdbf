#include "document/core/SistraDocument.h"

#include <gtest/gtest.h>

using namespace Sistra;

TEST(AnalysisRunPlan, ChunksAreAHundredthOfTheRangeWithinTheirBounds)
{
    const struct
    {
        int64_t total, chunk;
    } cases[] = {{0, 0}, {99999, 99999}, {100000, 1000}, {250000, 2500}, {1000000, 10000}, {5000000, 10000}};
    for (const auto& test : cases)
        EXPECT_EQ(test.chunk, AnalysisChunkSize(test.total)) << test.total;
}

// A range the host counted no samples in has no chunk size: its records are still fed, whole.
TEST(AnalysisRunPlan, AFeedTakesAChunkOrWhatRemains)
{
    const struct
    {
        int64_t remaining, chunk, step;
    } cases[] = {{5000, 2500, 2500}, {700, 2500, 700}, {700, 0, 700}, {0, 2500, 0}};
    for (const auto& test : cases)
        EXPECT_EQ(test.step, AnalysisFeedStep(test.remaining, test.chunk));
}

// The count of processed samples is exact beyond 2^24, where a float is not, and an empty run is done.
TEST(AnalysisRunPlan, PercentDoneIsExactForLongRangesAndFullForAnEmptyOne)
{
    constexpr int64_t large = (int64_t{1} << 24) * 100;
    EXPECT_EQ(100, AnalysisPercent(0, 0));
    EXPECT_EQ(40, AnalysisPercent(40000, 100000));
    EXPECT_EQ(99, AnalysisPercent(large - 1, large));
    EXPECT_EQ(100, AnalysisPercent(large, large));
}
