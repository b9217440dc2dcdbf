// The frame while the host samples, as gui --sample runs it: the views' controls that would change the
// analysis being made are out of reach until sampling stops, and the data view keeps what was sampled in
// sight once it has.
#include "host/app/gui/SamplingPlayer.h"
#include "host/app/gui/TraceView.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"

#include "foundation/system/PacingClock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using HostTests::PumpUntil;
using HostTests::ScreenCentreOf;

// The loop view's ESPVR box and its type list.
constexpr int ShowEspvr = 3002, EspvrType = 3004;

class FrameSamplingControls : public HostTests::FrameSessionFixture
{
protected:
    FrameSamplingControls()
        : FrameSessionFixture("frame-sampling-controls.csv", HostTests::OcclusionText(24),
                              Host::OpenOptions{{}, true, true})
    {
    }
    Orv::ManualClock clock;
};

// The loop view waited for a sampling event the host never sends: its ESPVR box took a click while the
// host sampled.
TEST_F(FrameSamplingControls, TheLoopViewsRelationControlsAreDisabledWhileTheHostSamples)
{
    const Host::ViewFrame* loopView = Frame().FindView(L"Loop View");
    ASSERT_TRUE(loopView);
    const auto control = [&](int id) {
        return HostTests::FindVisibleChild(loopView->ViewWindow(), [&](HWND child) { return GetDlgCtrlID(child) == id; });
    };
    const HWND espvr = control(ShowEspvr), espvrType = control(EspvrType);
    ASSERT_TRUE(espvr && espvrType);
    ASSERT_TRUE(IsWindowEnabled(espvr));
    Host::SamplingPlayer player(opened->Host(), opened->StandIn(), 1.0);
    player.Start();
    clock.Advance(500);
    player.CatchUp();
    EXPECT_TRUE(PumpUntil(Frame(), [&] { return !IsWindowEnabled(espvr); }, 3000));
    EXPECT_FALSE(IsWindowEnabled(espvrType));
    ASSERT_TRUE(HostTests::ClickUntilTaken(Frame(), ScreenCentreOf(espvr)));
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-sampling-controls");
    EXPECT_EQ(BST_CHECKED, SendMessageW(espvr, BM_GETCHECK, 0, 0));

    player.Stop();
    EXPECT_TRUE(PumpUntil(Frame(), [&] { return IsWindowEnabled(espvr) != FALSE; }, 3000));
    EXPECT_TRUE(IsWindowEnabled(espvrType));
}

// Stopped a second in, the data view kept the scale it sampled at: the second filled a quarter of it and the
// time axis ran on to 4 s. What was sampled is spread over the view, as a recording shorter than it is.
TEST_F(FrameSamplingControls, SamplingStoppedShortOfTheDataViewsWidthSpreadsWhatWasSampledOverIt)
{
    Host::SamplingPlayer player(opened->Host(), opened->StandIn(), 1.0);
    player.Start();
    clock.Advance(1000);
    player.CatchUp();
    player.Stop();
    const Host::Recording& data = opened->Host().Data();
    double sampled = 0.0;
    for (size_t record = 0; record < data.RecordCount(); ++record)
        sampled += static_cast<double>(data.RecordAt(record).Length()) * data.RecordAt(record).SampleInterval();
    ASSERT_GT(sampled, 0.0);
    const Host::TraceView& trace = session->Trace();
    EXPECT_TRUE(PumpUntil(Frame(), [&] { return std::abs(trace.XOfSeconds(sampled) - trace.TraceArea().right) <= 1.0; }, 3000))
        << trace.XOfSeconds(sampled) << " " << trace.TraceArea().right;
    EXPECT_NEAR(trace.TraceArea().left, trace.XOfSeconds(0.0), 1.0);
}

} // namespace
