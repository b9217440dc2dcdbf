// A recording played into the host's window as a live acquisition: the module's online analysis ends
// where the analysis of the recorded file ends, and the host's Stop leaves the recording as sampled.
#include "host/app/commands/AnalyzeCommand.h"
#include "host/app/commands/CommandLine.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/SamplingBar.h"
#include "host/app/gui/SamplingPlayer.h"
#include "host/app/gui/TraceView.h"
#include "host/tests/NotificationLog.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/TestPictures.h"

#include "foundation/system/PacingClock.h"

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

void RunMessages()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

// Plays the recording by the test's clock, a beat of the player's timer at a time with the window's
// messages run after each, until until() holds or the recording has played to its end.
constexpr uint64_t BeatMilliseconds = 20;

void PlayUntil(Orv::ManualClock& clock, Host::SamplingPlayer& player, const std::function<bool()>& until)
{
    while (player.IsPlaying() && !until())
    {
        clock.Advance(BeatMilliseconds);
        player.CatchUp();
        RunMessages();
    }
}

void PlayToTheEnd(Orv::ManualClock& clock, Host::SamplingPlayer& player)
{
    PlayUntil(clock, player, [] { return false; });
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
    Orv::ManualClock clock;
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
    PlayUntil(clock, player, [&] { return live.RecordCount() > 0 && live.RecordAt(0).Length() >= 12000; });
    const uint32_t whileSampling = sampled.Analysis()->LoopCount();
    EXPECT_GT(whileSampling, 10u);
    EXPECT_LT(whileSampling, offline.loops.size());
    PlayToTheEnd(clock, player);

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
    clock.Advance(300);
    player.CatchUp();
    EXPECT_EQ(S_OK, player.Execute(0));

    const Host::Recording& live = sampled.Host().Data();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(live.IsFinished());
    ASSERT_EQ(1u, live.RecordCount());
    EXPECT_TRUE(live.RecordAt(0).IsComplete());
    // 0.3 s of a recording of 19.2 s at 1 kHz, the rest never sampled.
    EXPECT_NEAR(300, live.RecordAt(0).Length(), 1);
    EXPECT_EQ(S_FALSE, static_cast<IHostSampling&>(sampled.Host()).CanToggleSampling());

    EXPECT_EQ(S_OK, player.Execute(0));
    EXPECT_FALSE(player.IsPlaying()) << "a stopped recording stays as it was sampled";
}

// Clicks on Stop one after another, the second a double click to the button, as a person's quick clicks
// come: the first stops the sampling, the rest find the button greyed, and the recording stays where it
// stopped however far the clock runs on.
TEST_F(SampledRecording, QuickClicksOnStopLeaveTheSamplingStopped)
{
    Host::OpenedRecording sampled(file->Path(), Sampled());
    const HWND parent = CreateWindowExW(0, L"STATIC", L"sampling", WS_POPUP | WS_VISIBLE, 0, 0, 400, 60, nullptr,
                                        nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent);
    {
        Host::SamplingPlayer player(sampled.Host(), sampled.StandIn(), 5.0);
        Host::SamplingBar bar(parent, sampled.Host().Unknown(), player);
        const HWND button = GetWindow(bar.Handle(), GW_CHILD);
        ASSERT_TRUE(button);
        const Host::Recording& live = sampled.Host().Data();
        bar.Press();
        PlayUntil(clock, player, [&] { return live.RecordCount() > 0 && live.RecordAt(0).Length() >= 3000; });
        ASSERT_TRUE(player.IsPlaying());
        int64_t stoppedAt = -1;
        for (const UINT press : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN})
        {
            // The display hands a greyed button no clicks.
            if (IsWindowEnabled(button))
            {
                SendMessageW(button, press, MK_LBUTTON, MAKELPARAM(5, 5));
                SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            }
            RunMessages();
            if (stoppedAt < 0)
                stoppedAt = live.RecordAt(0).Length();
            clock.Advance(1000);
            player.CatchUp();
            RunMessages();
            EXPECT_FALSE(player.IsPlaying());
        }
        EXPECT_EQ(stoppedAt, live.RecordAt(0).Length());
        EXPECT_TRUE(live.IsFinished());
        EXPECT_EQ(L"Start", bar.Text());
        EXPECT_FALSE(bar.IsPressed() || bar.IsEnabled());
    }
    DestroyWindow(parent);
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
        PlayUntil(clock, player, [&] { return live.RecordCount() > 0 && live.RecordAt(0).Length() >= ticks; });
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

// Many short records whose online work takes longer than the clock gives them: a beat of the player feeds
// only what its time allows and returns to the window's messages (a click on Stop, the frame's close),
// which waited for the whole backlog before, and the recording still plays whole.
TEST(SampledManyRecords, ABeatThatFallsBehindReturnsToTheWindowsMessagesAndEveryRecordStillPlays)
{
    constexpr int Records = 200, Ticks = 10;
    std::string text = "Time (s),LV Pressure (mmHg),LV Volume (uL)\n";
    for (int record = 0; record < Records; ++record, text += "\n")
        for (int tick = 0; tick < Ticks; ++tick)
            text += std::to_string(tick * 0.001) + "," + std::to_string(10 + tick) + "," + std::to_string(50 - tick) + "\n";
    const HostTests::TemporaryFile file("sampled-many-records.csv", text);
    Orv::ManualClock clock;
    HostTests::NotificationLog slow; // outlives the document that holds it
    Host::OpenedRecording sampled(file.Path(), Sampled());
    slow.onNote = [&](const std::string& note) {
        if (note == "data")
            clock.Advance(20); // what handling each arrival costs the window's thread
    };
    ASSERT_EQ(S_OK, sampled.Host().AddSink(&slow));
    {
        Host::SamplingPlayer player(sampled.Host(), sampled.StandIn(), 100.0);
        player.Start();
        clock.Advance(60'000);
        player.CatchUp();
        const Host::Recording& live = sampled.Host().Data();
        EXPECT_TRUE(player.IsPlaying());
        EXPECT_LE(live.RecordCount(), 4u) << "a beat fed more than its time allows";
        PlayToTheEnd(clock, player);
        EXPECT_EQ(static_cast<size_t>(Records), live.RecordCount());
        EXPECT_TRUE(live.IsFinished());
    }
    sampled.Host().RemoveSink(&slow);
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
