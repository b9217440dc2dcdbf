// What analyze gives on a recording, for a frame test to hold the frame's analysis against: the same
// document analysis on a host document of its own beside the frame's.
#pragma once

#include "host/app/commands/AnalyzeCommand.h"
#include "host/app/document/DocumentAnalysis.h"
#include "host/app/document/HostDocument.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

namespace HostTests
{

class ReferenceAnalysis
{
public:
    // The channels as analyze takes them from the arguments (none: found by their names).
    ReferenceAnalysis(IVyrStandIn& standIn, const Host::Recording& recording, const Host::ChannelArguments& channels = {})
        : host_(Host::HostDocument::Offline(recording))
    {
        Host::AnalysisChoices choices;
        Host::ChooseChannels(recording, channels, choices);
        analysis_.emplace(standIn, *host_.Get(), choices);
        analysis_->AnalyzeNow();
    }

    Host::DocumentAnalysis& Analysis() { return *analysis_; }

private:
    Orv::ComPtr<Host::HostDocument> host_;
    std::optional<Host::DocumentAnalysis> analysis_;
};

// Every loop's record and values to the last bit, and the summaries as analyze prints them.
inline void ExpectTheSameAnalysis(Host::DocumentAnalysis& expected, Host::DocumentAnalysis& found)
{
    const std::vector<Host::LoopRow> expectedLoops = expected.Loops(), foundLoops = found.Loops();
    ASSERT_EQ(expectedLoops.size(), foundLoops.size());
    for (size_t loop = 0; loop < expectedLoops.size(); ++loop)
    {
        EXPECT_EQ(expectedLoops[loop].block, foundLoops[loop].block) << loop;
        EXPECT_EQ(0, std::memcmp(&expectedLoops[loop].record, &foundLoops[loop].record, sizeof foundLoops[loop].record))
            << loop;
        EXPECT_EQ(0, std::memcmp(expectedLoops[loop].values.data(), foundLoops[loop].values.data(),
                                 sizeof foundLoops[loop].values))
            << loop;
    }
    EXPECT_EQ(Host::SummaryTable(expected.Summaries()), Host::SummaryTable(found.Summaries()));
}

} // namespace HostTests
