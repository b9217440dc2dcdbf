// The saline calibration applied as a person applies it outside the workflow: its view's Apply clicked in
// the frame on a mouse's preload reduction. The loops stay drawn in the loop view, and the hemodynamics
// table's volumes move by the Vp the view applied.
#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/WindowPicture.h"
#include "host/tests/FrameInput.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/ResultsSheetText.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using HostTests::BlackPixels;

constexpr int LoopListId = 3001;
constexpr const wchar_t* LoopViewName = L"Loop View";
constexpr const wchar_t* SalineViewName = L"Sistra Saline Calibration GraphView";
constexpr const wchar_t* TableViewName = L"Sistra Hemodynamics TableView";

HWND ChildWithText(HWND parent, const std::wstring& text)
{
    return HostTests::FindVisibleChild(parent, [&](HWND child) { return HostTests::WindowText(child) == text; });
}

class FrameSalineApply : public testing::Test
{
protected:
    void SetUp() override
    {
        opened.emplace(file.Path(), Host::OpenOptions{{}, true});
        frame.emplace(L"Sistra - saline", Host::CollectMenuCommands(opened->StandIn()), RECT{0, 0, 1200, 900});
        opened->StandIn().SetMainWindow(frame->Handle());
        frame->ShowDocument(opened->Document(), opened->Classes().Views());
        for (const wchar_t* name : {LoopViewName, SalineViewName, TableViewName})
            frame->OpenView(*opened->Classes().FindView(name), opened->Document());
        SetForegroundWindow(frame->Handle());
        HostTests::Settle(*frame);
    }
    void TearDown() override
    {
        frame.reset();
        opened.reset();
    }
    HWND ViewWindow(const wchar_t* name) { return frame->FindView(name)->ViewWindow(); }
    // The table's first loop's end-diastolic volume as its Add to Tallion puts it on the results sheet.
    double FirstVed()
    {
        HostTests::ClickAt(HostTests::ScreenCentreOf(ChildWithText(ViewWindow(TableViewName), L"Add to Tallion")));
        HostTests::Settle(*frame);
        const std::string ved = HostTests::FirstLoopValue(opened->Session().Sheet(), "Ved (");
        return ved.empty() ? std::nan("") : std::stod(ved);
    }

    HostTests::TemporaryFile file{"frame-saline-apply.csv", HostTests::MousePreloadReductionText()};
    std::optional<Host::OpenedRecording> opened;
    std::optional<Host::FrameWindow> frame;
};

// The loops vanished from the loop view after Apply (only their end points and the fitted lines stayed),
// and the table kept the uncorrected volumes.
TEST_F(FrameSalineApply, ApplyKeepsTheLoopsDrawnAndTakesVpOffTheTablesVolumes)
{
    const HWND loopView = ViewWindow(LoopViewName);
    RECT list{}, view{};
    GetWindowRect(GetDlgItem(loopView, LoopListId), &list);
    GetWindowRect(loopView, &view);
    const LONG graphLeft = list.right - view.left;
    const size_t loopsBefore = BlackPixels(loopView, graphLeft);
    const double vedBefore = FirstVed();
    ASSERT_GT(loopsBefore, 2000u);
    ASSERT_NEAR(35.0, vedBefore, 0.01);

    const HWND apply = ChildWithText(ViewWindow(SalineViewName), L"Apply");
    ASSERT_NE(nullptr, apply);
    HostTests::ClickAt(HostTests::ScreenCentreOf(apply));
    HostTests::Settle(*frame, 1000);
    HostTests::SaveTestPicture(frame->Handle(), L"frame-saline-applied");
    // The Vp applied, as the view's edit shows it in uL.
    const HWND appliedVp = HostTests::FindVisibleChild(ViewWindow(SalineViewName), [](HWND child) {
        return HostTests::ClassOf(child) == L"Edit";
    });
    ASSERT_NE(nullptr, appliedVp);
    const double vp = std::stod(HostTests::WindowText(appliedVp));
    EXPECT_NEAR(2.484, vp, 0.002);
    EXPECT_GT(BlackPixels(loopView, graphLeft), loopsBefore * 3 / 4);
    // The first beat fills to 35 uL: 32.516 uL once Vp is off.
    EXPECT_NEAR(35.0 - 2.484, FirstVed(), 0.01);
}

} // namespace
