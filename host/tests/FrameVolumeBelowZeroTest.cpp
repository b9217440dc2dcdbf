// The large mammal's volume calibration applied as a person applies it, with two readings a few hundredths
// of a microlitre apart, above the loops' volumes, taken for volumes in millilitres: the line takes the
// loops below zero volume. It
// stays applied, as analyze --calibrate-volume applies such a line, and a balloon on the Apply box says so
// as analyze warns of it.
#include "host/tests/FrameCalibrationFixture.h"

#include <gtest/gtest.h>

namespace
{

constexpr int FirstSampled = 1079, SecondSampled = 1081, FirstKnown = 1127, SecondKnown = 1128, ApplyBox = 1077;
constexpr size_t Vmin = 4;

class FrameVolumeBelowZero : public HostTests::FrameCalibrationFixture
{
protected:
    FrameVolumeBelowZero()
        : FrameCalibrationFixture("frame-volume-below-zero.csv", HostTests::OcclusionText(12), Host::OpenOptions{{}, false})
    {
    }
    double LeastVolume() { return opened->Analysis()->Summaries().at(Vmin).summary->minimum; }
};

// It applied "without a word", the volume lane running from -7.3 to 10.5 mL.
TEST_F(FrameVolumeBelowZero, ALineThatTakesTheVolumesBelowZeroIsAppliedAndSaid)
{
    const HWND list = HostTests::FindVisibleChild(Frame().Handle(), [](HWND window) {
        return GetDlgCtrlID(window) == HostTests::WorkflowList;
    });
    ASSERT_TRUE(list);
    const auto large = static_cast<int>(
        SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Large mammal")));
    ASSERT_TRUE(HostTests::ChooseListItem(list, large));
    const HWND page = HostTests::OpenStep(Frame(), L"Volume calibration", FirstSampled);
    ASSERT_TRUE(page);
    const double recorded = LeastVolume();
    ASSERT_GT(recorded, 0.0);
    for (const auto& [box, text] : {std::pair{FirstSampled, L"100.011"}, std::pair{FirstKnown, L"0.01"},
                                    std::pair{SecondSampled, L"100.034"}, std::pair{SecondKnown, L"0.03"}})
        ASSERT_TRUE(TypeInto(page, box, text)) << box;
    ASSERT_TRUE(Tick(page, ApplyBox));
    HWND balloon = nullptr;
    ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return (balloon = HostTests::ThreadWindowOfClass(L"XPBalloonHelp")); }));
    HostTests::Settle(Frame());
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-volume-below-zero");
    EXPECT_EQ(L"Volumes Below Zero", HostTests::WindowText(balloon));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, ApplyBox));
    // The line through (100.011 uL, 0.01 mL) and (100.034 uL, 0.03 mL), worked by hand.
    EXPECT_NEAR(0.01 + (recorded - 100.011) * 0.02 / 0.023, LeastVolume(), 1e-3);
    EXPECT_EQ("mL", opened->Analysis()->Summaries().at(Vmin).unit);
}

} // namespace
