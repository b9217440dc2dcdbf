// A saline line that meets the identity below zero volume, as the saline view finds it in the frame: a
// parallel volume below 0 is no volume, and the view says so instead of offering it to apply.
#include "host/tests/FrameCalibrationFixture.h"

#include <gtest/gtest.h>

namespace
{

class FrameNegativeVp : public HostTests::FrameCalibrationFixture
{
protected:
    FrameNegativeVp()
        : FrameCalibrationFixture("frame-negative-vp.csv", HostTests::MousePreloadReductionText(-5.0),
                                  Host::OpenOptions{{}, true})
    {
    }
};

// The view offered "Analyzed Vp = -2.516 uL" and its Apply, which would have added 2.5 uL to every loop.
TEST_F(FrameNegativeVp, AVpBelowZeroIsSaidNotOffered)
{
    const HWND view = ViewWindow(L"Sistra Saline Calibration GraphView");
    ASSERT_TRUE(view);
    const std::wstring said = L"Vp could not be calculated because the lines meet below 0 (";
    HWND status = nullptr;
    ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] {
        return (status = HostTests::FindVisibleChild(
                    view, [&](HWND child) { return HostTests::WindowText(child).starts_with(said); })) != nullptr;
    }));
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-negative-vp");
    // Ves = 0.25 Ved - 1.887 meets Ves = Ved at -1.887 / 0.75 uL.
    EXPECT_NEAR(-1.887 / 0.75, std::stod(HostTests::WindowText(status).substr(said.size())), 0.002);
    EXPECT_FALSE(HostTests::FindVisibleChild(view, [](HWND child) { return HostTests::WindowText(child) == L"Apply"; }));
}

} // namespace
