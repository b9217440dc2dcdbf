// The host's data view through the workflow's steps, driven as a person drives them: a step that shows no
// views of the module's must leave the data view the document's, so that a loop chosen later is brought
// into it.
#include "host/tests/FrameCalibrationFixture.h"

#include <gtest/gtest.h>

namespace
{

using HostTests::ClickAt;
using HostTests::PumpUntil;

class FrameDataViewFollows : public HostTests::FrameCalibrationFixture
{
protected:
    FrameDataViewFollows()
        : FrameCalibrationFixture("frame-data-view-follows.csv", HostTests::OcclusionText(24), Host::OpenOptions{{}, false})
    {
    }
};

// The conductance step shows none of the module's views: arranging it closed every other view, the data view
// refused, and the host dropped it from the document anyway, so choosing a loop no longer scrolled to it.
TEST_F(FrameDataViewFollows, ALoopChosenAfterAStepWithoutViewsIsBroughtIntoTheDataView)
{
    ASSERT_TRUE(HostTests::ChooseFirstWorkflow(Frame()));
    ASSERT_TRUE(HostTests::OpenStep(Frame(), L"Alpha calibration", 1077));
    ASSERT_TRUE(HostTests::OpenStep(Frame(), L"Conductance calibration", 1079));
    ASSERT_TRUE(HostTests::OpenStep(Frame(), L"Alpha calibration", 1077));
    const HWND list = GetDlgItem(ViewWindow(HostTests::LoopViewName), HostTests::LoopViewListId);
    ASSERT_TRUE(list);
    const auto loops = opened->Analysis()->Loops();
    ASSERT_GT(loops.size(), 20u);
    const auto inView = [&] {
        RECT client{};
        GetClientRect(session->Trace().Handle(), &client);
        const Host::LoopRow& last = loops.back();
        return session->Trace().XOf({last.block, last.record.firstTick}) >= 0 &&
               session->Trace().XOf({last.block, last.record.endTick}) <= client.right;
    };
    ASSERT_FALSE(inView());
    ASSERT_TRUE(HostTests::ClickUntil(Frame(), HostTests::ScreenCentreOf(list), [&] { return GetFocus() == list; }));
    EXPECT_TRUE(HostTests::InputUntil(Frame(), [] { HostTests::PressKey(VK_END); }, inView));
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-data-view-follows");
}

} // namespace
