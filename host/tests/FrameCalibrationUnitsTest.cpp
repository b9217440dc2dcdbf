// A calibration step's sampled values are typed in the unit the channel was recorded in, and stay in it
// once the calibration they make is in force and the channel shows another unit.
#include "host/tests/FrameCalibrationFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

constexpr int ApplyBox = 1077, FirstSampled = 1079, SecondSampled = 1081, FirstUnit = 1109;
constexpr int FirstKnownPressure = 1078, SecondKnownPressure = 1080, FirstKnownConductance = 1107, SecondKnownConductance = 1108;

struct Step
{
    const char* header;
    const wchar_t* title;
    int firstKnown, secondKnown;
    const wchar_t* recordedUnit;
};

class FrameCalibrationUnits : public HostTests::FrameCalibrationFixture, public testing::WithParamInterface<Step>
{
protected:
    FrameCalibrationUnits()
        : FrameCalibrationFixture("frame-calibration-units.csv", HostTests::OcclusionText(4, GetParam().header),
                                  Host::OpenOptions{{}, false})
    {
    }
};

// Applied on a kPa pressure or an mL volume, the page reopened showed the sampled 10 kPa as "10000 mmHg"
// (its base unit read in the calibrated one), and a falling line's balloon gave its slope per pascal.
TEST_P(FrameCalibrationUnits, TheSampledValuesKeepTheRecordedUnitOnceApplied)
{
    const Step& step = GetParam();
    ASSERT_TRUE(HostTests::ChooseFirstWorkflow(Frame()));
    HWND page = HostTests::OpenStep(Frame(), step.title, FirstSampled);
    ASSERT_TRUE(page);
    for (const auto& [box, text] : {std::pair{FirstSampled, L"1"}, std::pair{step.firstKnown, L"2"},
                                    std::pair{SecondSampled, L"10"}, std::pair{step.secondKnown, L"40"}})
        ASSERT_TRUE(TypeInto(page, box, text)) << box;
    ASSERT_TRUE(Tick(page, ApplyBox));
    ASSERT_TRUE(HostTests::OpenStep(Frame(), L"Alpha calibration", ApplyBox));
    page = HostTests::OpenStep(Frame(), step.title, FirstSampled);
    ASSERT_TRUE(page);
    EXPECT_EQ(BST_CHECKED, SendDlgItemMessageW(page, ApplyBox, BM_GETCHECK, 0, 0));
    EXPECT_EQ(step.recordedUnit, HostTests::WindowText(GetDlgItem(page, FirstUnit)));
    EXPECT_EQ(L"10", HostTests::WindowText(GetDlgItem(page, SecondSampled)));
}

INSTANTIATE_TEST_SUITE_P(Steps, FrameCalibrationUnits,
                         testing::Values(Step{"LV Pressure (kPa),LV Volume (uL),ECG (mV)", L"Pressure calibration",
                                              FirstKnownPressure, SecondKnownPressure, L"kPa"},
                                         Step{"LV Pressure (mmHg),LV Volume (mL),ECG (mV)", L"Conductance calibration",
                                              FirstKnownConductance, SecondKnownConductance, L"mL"}));

} // namespace
