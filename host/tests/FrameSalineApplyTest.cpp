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
#include <numbers>
#include <sstream>

namespace
{

using HostTests::BlackPixels;

constexpr int LoopListId = 3001;
constexpr const wchar_t* LoopViewName = L"Loop View";
constexpr const wchar_t* SalineViewName = L"Sistra Saline Calibration GraphView";
constexpr const wchar_t* TableViewName = L"Sistra Hemodynamics TableView";

// A mouse ventricle of constant end-systolic elastance whose filling falls beat by beat: end-diastolic
// volume from 35 to 23 uL, end-systolic from 10.613 to 7.613 uL, at 480 beats a minute. The saline line
// of Ves against Ved, 0.25 * Ved + 1.863, meets Ves = Ved at Vp = 2.484 uL.
std::string MousePreloadReductionText()
{
    constexpr double Interval = 0.001, Beat = 0.125, V0 = 3.0, Emax = 8.0, Emin = 0.15;
    constexpr int Beats = 40;
    std::ostringstream text;
    text << "Time (s),LV Pressure (mmHg),LV Volume (uL)\n";
    for (int tick = 0; tick < static_cast<int>(Beats * Beat / Interval); ++tick)
    {
        const double t = tick * Interval;
        const int beat = static_cast<int>(t / Beat);
        const double x = t / Beat - beat;
        const auto ved = [](int k) { return 35.0 - 12.0 * std::min(k, Beats - 1) / Beats; };
        const double ves = 10.613 - 3.0 * beat / Beats;
        const double v = x < 0.1    ? ved(beat)
                         : x < 0.45 ? ves + (ved(beat) - ves) * (0.5 + 0.5 * std::cos(std::numbers::pi * (x - 0.1) / 0.35))
                         : x < 0.55 ? ves
                                    : ves + (ved(beat + 1) - ves) * (0.5 - 0.5 * std::cos(std::numbers::pi * (x - 0.55) / 0.45));
        const double activation = x < 0.5 ? std::pow(std::sin(std::numbers::pi * x), 2) : 0.0;
        text << t << ',' << (Emin + (Emax - Emin) * activation) * (v - V0) + 2.0 << ',' << v << '\n';
    }
    return text.str();
}

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

    HostTests::TemporaryFile file{"frame-saline-apply.csv", MousePreloadReductionText()};
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
