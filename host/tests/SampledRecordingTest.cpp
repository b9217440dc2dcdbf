// A recording played into the host's window as a live acquisition: the module's online analysis ends
// where the analysis of the recorded file ends, and the host's Stop leaves the recording as sampled.
#include "host/app/AnalyzeCommand.h"
#include "host/app/CommandLine.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/SamplingBar.h"
#include "host/app/gui/SamplingPlayer.h"
#include "host/app/gui/TraceView.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>

namespace
{

struct AnalysisResults
{
    std::vector<Host::LoopRow> loops;
    std::string summaries;
    std::string relations;
};

AnalysisResults ResultsOf(Host::DocumentAnalysis& analysis)
{
    return {analysis.Loops(), Host::SummaryTable(analysis.Summaries()), Host::RegressionTable(analysis.Relations())};
}

// Runs the window messages while the player plays, until until() holds; a run that does not end within
// the guard fails instead of hanging.
void PlayUntil(const Host::SamplingPlayer& player, const std::function<bool()>& until)
{
    const ULONGLONG guard = GetTickCount64() + 120'000;
    while (player.IsPlaying() && !until() && GetTickCount64() < guard)
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

void PlayToTheEnd(const Host::SamplingPlayer& player)
{
    PlayUntil(player, [] { return false; });
    ASSERT_FALSE(player.IsPlaying()) << "the recording did not play to its end";
}

Host::OpenOptions Sampled()
{
    Host::OpenOptions options;
    options.sampled = true;
    return options;
}

class SampledRecording : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        file = std::make_unique<HostTests::TemporaryFile>("sampled-occlusion.csv", HostTests::OcclusionText(24));
    }
    static void TearDownTestSuite() { file.reset(); }

    static inline std::unique_ptr<HostTests::TemporaryFile> file;
};

TEST_F(SampledRecording, OnlineAnalysisAtTwentyTimesRealTimeEndsWithTheOfflineLoopsSummariesAndRelations)
{
    AnalysisResults offline;
    {
        Host::OpenedRecording recorded(file->Path());
        ASSERT_NE(nullptr, recorded.Analysis()) << recorded.NotAnalysed();
        offline = ResultsOf(*recorded.Analysis());
    }
    ASSERT_GE(offline.loops.size(), 20u);

    Host::OpenedRecording sampled(file->Path(), Sampled());
    ASSERT_NE(nullptr, sampled.Analysis()) << sampled.NotAnalysed();
    Host::SamplingPlayer player(sampled.Host(), sampled.StandIn(), 20.0);
    player.Start();
    EXPECT_TRUE(player.IsPlaying());
    // Loops appear while the recording is sampled, not only once it stopped.
    const Host::Recording& live = sampled.Host().Data();
    PlayUntil(player, [&] { return live.RecordCount() > 0 && live.RecordAt(0).Length() >= 12000; });
    const uint32_t whileSampling = sampled.Analysis()->LoopCount();
    EXPECT_GT(whileSampling, 10u);
    EXPECT_LT(whileSampling, offline.loops.size());
    PlayToTheEnd(player);

    const AnalysisResults online = ResultsOf(*sampled.Analysis());
    EXPECT_EQ(offline.summaries, online.summaries);
    EXPECT_EQ(offline.relations, online.relations);
    ASSERT_EQ(offline.loops.size(), online.loops.size());
    for (size_t loop = 0; loop < offline.loops.size(); ++loop)
    {
        const Host::LoopRow &a = offline.loops[loop], &b = online.loops[loop];
        EXPECT_EQ(a.block, b.block) << loop;
        EXPECT_EQ(0, std::memcmp(&a.record, &b.record, sizeof a.record)) << loop;
        EXPECT_EQ(0, std::memcmp(a.values.data(), b.values.data(), sizeof a.values)) << loop;
    }
}

TEST_F(SampledRecording, StopEndsTheRecordWhereItIsAndTheCommandCannotStartItAgain)
{
    Host::OpenedRecording sampled(file->Path(), Sampled());
    Host::SamplingPlayer player(sampled.Host(), sampled.StandIn(), 1.0);
    EXPECT_EQ(S_OK, player.Execute(0));
    ASSERT_TRUE(player.IsPlaying());
    Sleep(300);
    player.CatchUp();
    EXPECT_EQ(S_OK, player.Execute(0));

    const Host::Recording& live = sampled.Host().Data();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(live.IsFinished());
    ASSERT_EQ(1u, live.RecordCount());
    EXPECT_TRUE(live.RecordAt(0).IsComplete());
    // Some of a recording of 19.2 s, the rest never sampled.
    EXPECT_GT(live.RecordAt(0).Length(), 0);
    EXPECT_LT(live.RecordAt(0).Length(), 19200);
    EXPECT_EQ(S_FALSE, static_cast<IHostSampling&>(sampled.Host()).CanToggleSampling());

    EXPECT_EQ(S_OK, player.Execute(0));
    EXPECT_FALSE(player.IsPlaying()) << "a stopped recording stays as it was sampled";
}

// The frame as a person sees it while sampling: the trace view across the top keeps the newest data at
// its right edge with the loop marks found so far, and the loops in the module's views grow.
TEST_F(SampledRecording, TheFrameFollowsTheNewestDataAndGrowsTheLoopsWhileSampling)
{
    Host::OpenedRecording sampled(file->Path(), Sampled());
    Host::FrameWindow frame(L"Sistra - sampling", Host::CollectMenuCommands(sampled.StandIn()), RECT{0, 0, 1200, 900});
    for (const Host::ViewClassEntry& view : sampled.Classes().Views())
        frame.OpenView(*view.viewClass.Get(), sampled.Document());
    Host::TraceView trace(sampled.Host(), sampled.Document(), sampled.StandIn(), frame.Handle(), RECT{0, 0, 1200, 300});
    frame.SetTopWindow(trace.Handle());
    Host::SamplingPlayer player(sampled.Host(), sampled.StandIn(), 5.0);
    Host::SamplingBar bar(frame.Handle(), sampled.Host().Unknown(), player);
    frame.SetToolStrip(bar.Handle(), Host::SamplingBar::Height);
    EXPECT_EQ(L"Start", bar.Text());
    bar.Press();
    EXPECT_TRUE(player.IsPlaying());
    const Host::Recording& live = sampled.Host().Data();
    std::vector<uint32_t> loops;
    for (const auto& [ticks, picture] : {std::pair{6000, L"sampling_frame_early"}, std::pair{14000, L"sampling_frame_late"}})
    {
        PlayUntil(player, [&] { return live.RecordCount() > 0 && live.RecordAt(0).Length() >= ticks; });
        ASSERT_TRUE(player.IsPlaying());
        trace.Refresh();
        UpdateWindow(trace.Handle());
        HostTests::SaveTestPicture(frame.Handle(), picture);
        loops.push_back(sampled.Analysis()->LoopCount());
        RECT client{};
        GetClientRect(trace.Handle(), &client);
        const TickPosition newest{0, static_cast<int32_t>(live.RecordAt(0).Length() - 1)};
        EXPECT_NEAR(client.right - 8, trace.XOf(newest), 2.0) << "the newest sample is not at the right edge";
        EXPECT_FALSE(trace.Marks().empty());
        EXPECT_EQ(L"Stop", bar.Text());
        EXPECT_TRUE(bar.IsPressed() && bar.IsEnabled());
    }
    EXPECT_GT(loops[1], loops[0]);
    EXPECT_GT(loops[0], 0u);
    bar.Press();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(L"Start", bar.Text());
    EXPECT_FALSE(bar.IsPressed() || bar.IsEnabled()) << "a recording stopped cannot be sampled again";
    frame.CloseViews();
}

TEST(GuiSampleOptions, ASpeedNeedsSamplingAndAPositiveNumber)
{
    const HostTests::TemporaryFile file("sampled-options.csv", HostTests::OcclusionText(2));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"gui", file.Path(), "--speed", "2"},
             {"gui", file.Path(), "--sample", "--speed", "0"},
             {"gui", file.Path(), "--sample", "--speed", "-1"},
             {"gui", file.Path(), "--sample", "--speed", "fast"},
             {"gui", file.Path(), "--sample", "--speed", "1e9"},
             {"gui", "--sample"},
         })
    {
        std::ostringstream out, err;
        EXPECT_EQ(Host::ExitUsage, Host::RunCommandLine(args, out, err)) << args.back();
        EXPECT_NE(std::string::npos, err.str().find("usage:")) << err.str();
    }
}

} // namespace
