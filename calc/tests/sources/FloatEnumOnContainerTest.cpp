#include "calc/sources/FloatEnumOnContainer.h"

#include <gtest/gtest.h>

using Orv::EnumExOnIterable;

namespace
{

std::vector<float> ReadAll(IEnumFloatEx& samples, int32_t count)
{
    std::vector<float> values(static_cast<std::size_t>(count), -1.0f);
    int32_t read = 0;
    samples.Next(count, values.data(), &read);
    values.resize(static_cast<std::size_t>(read));
    return values;
}

} // namespace

TEST(FloatEnumOnContainer, RepeatsTheEdgeValuesInThePadding)
{
    const std::vector<float> data{5, 6};
    EnumExOnIterable<std::vector<float>> view(data, 2, 1);
    EXPECT_EQ((std::vector<float>{5, 5, 5, 6, 6}), ReadAll(view, 10));
    int32_t position = 0;
    view.GetPosition(&position);
    EXPECT_EQ(5, position);
}

TEST(FloatEnumOnContainer, ReadsInPiecesAcrossThePaddingBoundaries)
{
    const std::deque<float> data{1, 2, 3, 4};
    EnumExOnIterable<std::deque<float>> view(data, 1, 1);
    EXPECT_EQ((std::vector<float>{1, 1}), ReadAll(view, 2));
    EXPECT_EQ((std::vector<float>{2, 3, 4}), ReadAll(view, 3));
    EXPECT_EQ((std::vector<float>{4}), ReadAll(view, 3));
}

TEST(FloatEnumOnContainer, SkipStopsAtBothEnds)
{
    const std::vector<float> data{1, 2, 3};
    EnumExOnIterable<std::vector<float>> view(data, 1, 1);
    int32_t skipped = 0;
    EXPECT_EQ(S_FALSE, view.Skip(10, &skipped));
    EXPECT_EQ(5, skipped);
    EXPECT_EQ(S_FALSE, view.Skip(-8, &skipped));
    EXPECT_EQ(-5, skipped);
    EXPECT_EQ(S_OK, view.Skip(2, &skipped));
    EXPECT_EQ((std::vector<float>{2, 3, 3}), ReadAll(view, 5));
}

TEST(FloatEnumOnContainer, EmptyContainerReadsNothing)
{
    const std::vector<float> data;
    EnumExOnIterable<std::vector<float>> view(data, 3, 3);
    EXPECT_TRUE(ReadAll(view, 4).empty());
}

TEST(FloatEnumOnContainer, WindowOfOneNeedsNoPadding)
{
    const std::vector<float> data{7, 8};
    EnumExOnIterable<std::vector<float>> view(data, 1 / 2, 1 / 2);
    EXPECT_EQ(data, ReadAll(view, 5));
}

TEST(FloatEnumOnContainer, AnswersOnlyTheSampleStreamFaces)
{
    const std::vector<float> data{1};
    EnumExOnIterable<std::vector<float>> view(data, 0, 0);
    void* face = nullptr;
    EXPECT_EQ(S_OK, view.QueryInterface(IID_IEnumFloatEx, &face));
    EXPECT_EQ(E_NOINTERFACE, view.QueryInterface(IID_IEnumEventEx, &face));
    TimeBase timeBase{};
    view.GetScale(&timeBase);
    EXPECT_EQ(1, timeBase.numerator);
    EXPECT_EQ(1, timeBase.denominator);
}

TEST(HostSampleFilter, WithoutTheHostsFilterClassNothingRuns)
{
    // The framework of the test run has no sample filter registered.
    Sistra::HostCalcCache cache;
    std::vector<float> output{9};
    EXPECT_FALSE(Sistra::RunHostCalcOnSamples(5, 1, std::vector<float>{1, 2, 3}, output, cache));
    EXPECT_TRUE(cache.filters->empty());
}
