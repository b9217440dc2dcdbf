// The alpha calibration applied as a person applies it in the small-mammal workflow: the two stroke
// volumes typed into the alpha step's boxes and its Apply box ticked, on a recording whose volume channel
// is in microlitres. The volume channel, the loop view and the hemodynamics table take the volumes over
// alpha, and untick brings them back.
#include "host/tests/FrameCalibrationFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using HostTests::PumpUntil;
using HostTests::ScreenCentreOf;

constexpr int MeasuredStrokeVolume = 1117, ReferenceStrokeVolume = 1121, AlphaResult = 1123, ApplyAlpha = 1077;
constexpr int AnalyzeNow = 1098;

class FrameAlphaCalibration : public HostTests::FrameCalibrationFixture
{
protected:
    FrameAlphaCalibration()
        : FrameCalibrationFixture("frame-alpha.csv", HostTests::OcclusionText(16), Host::OpenOptions{{}, false})
    {
    }
};

// Apply collapsed every loop onto a vertical line at volume 0 (the channel showed a millionth of its
// microlitres), and the table kept the measured volumes until an analysis.
TEST_F(FrameAlphaCalibration, TheAlphaStepsApplyDividesTheVolumesOnceAndUntickBringsThemBack)
{
    Host::FrameWindow& frame = Frame();
    ASSERT_TRUE(HostTests::ChooseFirstWorkflow(frame));
    // The step shows the loop view and the table beside its page.
    HWND page = HostTests::OpenStep(frame, L"Alpha calibration", MeasuredStrokeVolume);
    ASSERT_TRUE(page);
    const double measuredSv = FirstLoopValue("SV ("), measuredVed = FirstLoopValue("Ved (");
    ASSERT_GT(measuredVed, 10.0);
    const size_t measuredLoops = LoopPixels();
    ASSERT_GT(measuredLoops, 1000u);
    for (const auto& [box, text] : {std::pair{MeasuredStrokeVolume, L"21.66"}, std::pair{ReferenceStrokeVolume, L"10.83"}})
        EXPECT_TRUE(TypeInto(page, box, text)) << box;
    EXPECT_TRUE(PumpUntil(frame, [&] { return HostTests::WindowText(GetDlgItem(page, AlphaResult)) == L"= 2"; }))
        << HostTests::WindowText(GetDlgItem(page, AlphaResult));
    ASSERT_TRUE(Tick(page, ApplyAlpha));
    EXPECT_TRUE(PumpUntil(frame, [&] { return VolumeScale() == 0.5; })) << VolumeScale();
    HostTests::Settle(frame);
    HostTests::SaveTestPicture(frame.Handle(), L"frame-alpha-applied");
    EXPECT_GT(LoopPixels(), measuredLoops / 2);
    EXPECT_NEAR(measuredSv / 2, FirstLoopValue("SV ("), 0.01);
    EXPECT_NEAR(measuredVed / 2, FirstLoopValue("Ved ("), 0.01);

    // The next analysis reads them so too: alpha is not taken twice. The loops are cleared first, so that
    // they are back only once Analyze Now has analysed again.
    HWND analyse = HostTests::OpenStep(frame, L"Analyze", AnalyzeNow);
    ASSERT_TRUE(analyse);
    Host::Macro::Statement clear(L"Doc.ClearSistraAnalysis");
    ASSERT_EQ(1, opened->Analysis()->RunStatement(clear));
    ASSERT_EQ(0u, opened->Analysis()->LoopCount());
    ASSERT_TRUE(HostTests::ClickUntil(frame, ScreenCentreOf(GetDlgItem(analyse, AnalyzeNow)),
                                      [&] { return opened->Analysis()->LoopCount() > 0; }));
    EXPECT_NEAR(measuredSv / 2, FirstLoopValue("SV ("), 0.01);

    page = HostTests::OpenStep(frame, L"Alpha calibration", ApplyAlpha);
    ASSERT_TRUE(page);
    ASSERT_TRUE(Tick(page, ApplyAlpha));
    EXPECT_TRUE(PumpUntil(frame, [&] { return VolumeScale() == 1.0; })) << VolumeScale();
    HostTests::Settle(frame);
    EXPECT_NEAR(measuredSv, FirstLoopValue("SV ("), 0.01);
    EXPECT_NEAR(measuredVed, FirstLoopValue("Ved ("), 0.01);
    EXPECT_GT(LoopPixels(), measuredLoops / 2);
}

} // namespace
