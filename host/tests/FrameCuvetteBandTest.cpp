// The cuvette view's own calibration band outside the workflow, used as a person uses it: its box ticked
// with the equation's boxes empty, then filled and ticked.
#include "host/tests/FrameCalibrationFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace
{

using HostTests::ClickAt;
using HostTests::PumpUntil;
using HostTests::ScreenCentreOf;
using HostTests::WindowText;

constexpr int EnableBox = 3003, SlopeBox = 3005, InterceptBox = 3007;

class FrameCuvetteBand : public HostTests::FrameCalibrationFixture
{
protected:
    FrameCuvetteBand()
        : FrameCalibrationFixture("frame-cuvette-band.csv", HostTests::OcclusionText(8), Host::OpenOptions{{}, false})
    {
    }
    // The values the data view's volume lane writes beside it (its first text is its title).
    std::vector<double> VolumeLaneValues()
    {
        constexpr int32_t VolumeChannel = 1;
        std::vector<double> values;
        bool titled = false;
        for (const auto& label : session->Trace().Labels())
            if (label.channel == VolumeChannel && !std::exchange(titled, true))
                EXPECT_EQ(L"LV Volume (\u00b5L)", label.text);
            else if (label.channel == VolumeChannel)
                values.push_back(std::stod(label.text));
        return values;
    }
};

// Ticked with empty boxes, the band filled in 1e-6 and 0 and applied them: every volume a millionth of
// itself without a word. It says what is missing, beside the box, and leaves the volumes alone.
TEST_F(FrameCuvetteBand, EnablingWithoutAnEquationIsRefusedOnScreenAndAFilledOneApplies)
{
    LeaveWorkflow();
    ASSERT_TRUE(OpenViewFromMenu(L"C&uvette Calibration"));
    const HWND view = ViewWindow(L"Sistra Cuvette Calibration View");
    ASSERT_TRUE(view);
    const HWND enable = GetDlgItem(view, EnableBox);
    ASSERT_EQ(L"Enable cuvette calibration", WindowText(enable));
    HWND balloon = nullptr;
    HostTests::ClickUntil(Frame(), ScreenCentreOf(enable),
                          [&] { return (balloon = HostTests::ThreadWindowOfClass(L"XPBalloonHelp")) != nullptr; });
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-cuvette-band-refused");
    ASSERT_TRUE(balloon);
    EXPECT_EQ(L"Can't Apply Calibration", WindowText(balloon));
    EXPECT_EQ(BST_UNCHECKED, SendMessageW(enable, BM_GETCHECK, 0, 0));
    EXPECT_EQ(1.0, VolumeScale());
    HostTests::ClickUntil(Frame(), ScreenCentreOf(view), [] { return !HostTests::ThreadWindowOfClass(L"XPBalloonHelp"); });

    // 2 uL a recorded uL and no offset.
    const std::vector<double> recorded = VolumeLaneValues();
    ASSERT_FALSE(recorded.empty());
    ASSERT_TRUE(TypeInto(view, SlopeBox, L"2"));
    ASSERT_TRUE(TypeInto(view, InterceptBox, L"0"));
    ASSERT_TRUE(Tick(view, EnableBox));
    EXPECT_TRUE(PumpUntil(Frame(), [&] { return VolumeScale() == 2.0; })) << VolumeScale();

    // The host's data view shows the volume as calibrated, as the module's views do: its scale reads
    // twice the recorded values (to the four digits it writes).
    const auto doubled = [&] {
        const std::vector<double> shown = VolumeLaneValues();
        return shown.size() == recorded.size() &&
               std::ranges::equal(shown, recorded, [](double a, double b) { return std::abs(a - 2 * b) <= 1e-3 * std::abs(a); });
    };
    EXPECT_TRUE(PumpUntil(Frame(), doubled)) << testing::PrintToString(VolumeLaneValues());
    HostTests::SaveTestPicture(session->Trace().Handle(), L"frame-cuvette-band-data-view");
}

} // namespace
