// The saline calibration applied as a person applies it outside the workflow: its view's Apply clicked in
// the frame on a mouse's preload reduction. The loops stay drawn in the loop view, and the hemodynamics
// table's volumes move by the Vp the view applied.
#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/OpenedRecording.h"
#include "host/app/gui/WindowPicture.h"
#include "host/app/macro/MacroText.h"
#include "host/app/document/DocumentAnalysis.h"
#include "host/tests/FrameInput.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/ResultsSheetText.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

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
        EXPECT_TRUE(HostTests::PumpUntil(*frame, [&] { return GetForegroundWindow() == frame->Handle(); }))
            << "the frame did not come to the front";
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
        const std::string ved = HostTests::ValueAddedToTallion(
            *frame, opened->Session().Sheet(), ChildWithText(ViewWindow(TableViewName), L"Add to Tallion"), "Ved (");
        return ved.empty() ? std::nan("") : std::stod(ved);
    }

    // Clicks the saline view's control until the control has been handed the click and the Enable box reads
    // applied (bounded: a click can be lost). Apply clicked again leaves the box as it was.
    void Click(const wchar_t* control, bool applied)
    {
        const HWND view = ViewWindow(SalineViewName), clicked = ChildWithText(view, control);
        ASSERT_NE(nullptr, clicked);
        const HWND enable = ChildWithText(view, L"Enable saline calibration");
        const HostTests::TakenPointer taken;
        const POINT at = HostTests::ScreenCentreOf(clicked);
        const auto reads = [&] { return (SendMessageW(enable, BM_GETCHECK, 0, 0) == BST_CHECKED) == applied; };
        EXPECT_TRUE(HostTests::ClickUntil(*frame, at, [&] { return HostTests::TakenPointer::ClickedAt(at) && reads(); }))
            << HostTests::WindowText(clicked);
    }
    // The Vp applied, as the view's edit shows it in uL.
    double AppliedVp()
    {
        const HWND edit = HostTests::FindVisibleChild(ViewWindow(SalineViewName), [](HWND child) {
            return HostTests::ClassOf(child) == L"Edit";
        });
        return edit ? std::stod(HostTests::WindowText(edit)) : std::nan("");
    }
    // The Vp the view finds in the loops it shows, from its "Analyzed Vp = 2.484 uL".
    double AnalysedVp()
    {
        const std::wstring prefix = L"Analyzed Vp = ";
        const HWND status = HostTests::FindVisibleChild(ViewWindow(SalineViewName), [&](HWND child) {
            return HostTests::WindowText(child).starts_with(prefix);
        });
        return status ? std::stod(HostTests::WindowText(status).substr(prefix.size())) : std::nan("");
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

    Click(L"Apply", true);
    HostTests::SaveTestPicture(frame->Handle(), L"frame-saline-applied");
    EXPECT_NEAR(2.484, AppliedVp(), 0.002);
    EXPECT_GT(BlackPixels(loopView, graphLeft), loopsBefore * 3 / 4);
    // The first beat fills to 35 uL: 32.516 uL once Vp is off.
    EXPECT_NEAR(35.0 - 2.484, FirstVed(), 0.01);
}

// Applied on the volumes it had corrected, the view found the first Apply's residual (-0.09 uL) and a
// second Apply put it in Vp's place. Each step a person takes leaves Vp and the volumes where the first
// Apply put them; unticked, the volumes are the uncorrected ones again.
TEST_F(FrameSalineApply, ApplyingAgainAddingAndTickingAgainKeepVpAndTheVolumes)
{
    constexpr double Vp = 2.484, FirstVedUncorrected = 35.0;
    // The document has handled the macro when it answers: an answer of 1 shows that Add was taken.
    const auto add = [&] {
        Host::Macro::Statement statement(L"Doc.AddAnalyzedParallelConductance");
        EXPECT_EQ(1, opened->Analysis()->RunStatement(statement)) << "the document did not take Add";
    };
    const struct
    {
        const char* step;
        std::function<void()> action;
        bool applied;
    } steps[] = {
        {"Apply", [&] { Click(L"Apply", true); }, true},
        {"Apply again", [&] { Click(L"Apply", true); }, true},
        {"Add", add, true},
        {"untick", [&] { Click(L"Enable saline calibration", false); }, false},
        {"tick", [&] { Click(L"Enable saline calibration", true); }, true},
    };
    for (const auto& step : steps)
    {
        step.action();
        EXPECT_NEAR(Vp, AnalysedVp(), 0.002) << step.step;
        EXPECT_NEAR(Vp, AppliedVp(), 0.002) << step.step;
        EXPECT_NEAR(FirstVedUncorrected - (step.applied ? Vp : 0.0), FirstVed(), 0.01) << step.step;
    }
    HostTests::SaveTestPicture(frame->Handle(), L"frame-saline-applied-twice");
}

} // namespace
