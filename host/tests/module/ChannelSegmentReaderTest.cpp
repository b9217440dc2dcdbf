// Stretches of recorded channels read through one reader, which goes on from where its last read ended,
// against the same stretches read each by a reader of its own.
#include "host/app/document/HostDocument.h"
#include "host/tests/RecordingFixtures.h"

#include "document/analysis/ChannelSegmentReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace
{

// Channel 1 of record r holds 1000 r + tick, channel 2 is 5 below it; 700 ticks a record.
Host::Recording Ramps()
{
    std::vector<std::vector<std::vector<float>>> records;
    for (int record = 0; record < 2; ++record)
    {
        std::vector<float> ramp(700), lower(700);
        std::iota(ramp.begin(), ramp.end(), 1000.0f * static_cast<float>(record));
        std::transform(ramp.begin(), ramp.end(), lower.begin(), [](float value) { return value - 5.0f; });
        records.push_back({ramp, lower});
    }
    return HostTests::MakeRecording(0.001, records, 2);
}

TEST(ChannelSegmentReader, ReadsOnOrAfreshGiveTheSameStretches)
{
    const Host::Recording recording = Ramps();
    const Orv::ComPtr<Host::HostDocument> document = Host::HostDocument::Offline(recording);
    struct Stretch
    {
        int32_t channel, block, start, count;
    };
    // Forward, again from the same start, back, the other channel between, the next block, past the end.
    const Stretch stretches[] = {{0, 0, 10, 20}, {1, 0, 15, 5}, {0, 0, 30, 40}, {0, 0, 30, 3}, {0, 0, 5, 8},
                                 {1, 0, 600, 50}, {0, 1, 0, 10}, {0, 0, 690, 30}, {0, 1, 695, 10}, {0, 1, 800, 4}};
    IUnknown* host = document->Unknown();
    Sistra::ChannelSegmentReader goingOn(host);
    for (const Stretch& stretch : stretches)
    {
        std::vector<float> on(static_cast<size_t>(stretch.count)), fresh(on.size());
        const bool read = goingOn.Read(stretch.channel, stretch.block, stretch.start, on);
        ASSERT_EQ(Sistra::ChannelSegmentReader(host).Read(stretch.channel, stretch.block, stretch.start, fresh), read)
            << stretch.start;
        if (!read)
            continue;
        EXPECT_EQ(fresh, on) << "channel " << stretch.channel << " from " << stretch.start;
        const auto expected = static_cast<size_t>(std::clamp(700 - stretch.start, 0, stretch.count));
        ASSERT_EQ(expected, on.size()) << stretch.start;
        if (!on.empty())
        {
            EXPECT_EQ(1000.0f * static_cast<float>(stretch.block) + static_cast<float>(stretch.start) -
                          (stretch.channel == 1 ? 5.0f : 0.0f),
                      on.front());
        }
    }
}

} // namespace
