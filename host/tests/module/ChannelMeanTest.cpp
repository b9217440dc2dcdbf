// The mean of a stretch of a recorded channel, read from a host document.
#include "host/app/document/HostDocument.h"
#include "host/tests/RecordingFixtures.h"

#include "calc/sources/ChannelMean.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

using Sistra::MeanOfChannelRange;

namespace
{

// Channel 1 of record r holds 1000 r + tick, channel 2 is flat at -5.
Host::Recording Ramps()
{
    std::vector<std::vector<std::vector<float>>> records;
    for (int record = 0; record < 2; ++record)
    {
        std::vector<float> ramp(700);
        std::iota(ramp.begin(), ramp.end(), 1000.0f * static_cast<float>(record));
        records.push_back({ramp, std::vector<float>(700, -5.0f)});
    }
    return HostTests::MakeRecording(0.001, records, 2);
}

class ChannelMean : public ::testing::Test
{
protected:
    Host::Recording recording = Ramps();
    Orv::ComPtr<Host::HostDocument> document = Host::HostDocument::Offline(recording);

    double Mean(int32_t channel, TickPosition start, TickPosition end)
    {
        return MeanOfChannelRange(document.Get(), channel, start, end, false);
    }
};

} // namespace

TEST_F(ChannelMean, AveragesTheTicksFromStartToBeforeEndAcrossReadBlocks)
{
    EXPECT_DOUBLE_EQ((100.0 + 399.0) / 2.0, Mean(0, {0, 100}, {0, 400}));
    EXPECT_DOUBLE_EQ(1000.0 + (5.0 + 6.0) / 2.0, Mean(0, {1, 5}, {1, 7}));
    EXPECT_DOUBLE_EQ(-5.0, Mean(1, {1, 0}, {1, 700}));
}

TEST_F(ChannelMean, EqualTicksReadOneSampleAndARecordEndShortensTheRange)
{
    EXPECT_DOUBLE_EQ(250.0, Mean(0, {0, 250}, {0, 250}));
    EXPECT_DOUBLE_EQ((600.0 + 699.0) / 2.0, Mean(0, {0, 600}, {0, 5000}));
}

TEST_F(ChannelMean, WhatCannotBeReadHasNoValue)
{
    EXPECT_TRUE(std::isnan(Mean(7, {0, 0}, {0, 10})));
    EXPECT_TRUE(std::isnan(Mean(0, {5, 0}, {5, 10})));
    EXPECT_TRUE(std::isnan(Mean(0, {0, 800}, {0, 900})));
    EXPECT_TRUE(std::isnan(MeanOfChannelRange(nullptr, 0, {0, 0}, {0, 10}, false)));
}
