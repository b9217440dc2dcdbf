// Calibrating in the small-mammal workflow and then leaving it ("Workflow mode..." with its box cleared),
// as a person does: the loops, the table and the fits must go on reading one volume.
#include "host/app/commands/AnalyzeCommand.h"
#include "host/app/commands/CommandLine.h"
#include "host/app/gui/TraceView.h"
#include "host/tests/FrameCalibrationFixture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

namespace
{

using HostTests::ClickAt;
using HostTests::PumpUntil;
using HostTests::ScreenCentreOf;

constexpr int ApplyBox = 1077;
constexpr int FirstSampled = 1079, SecondSampled = 1081, FirstKnown = 1107, SecondKnown = 1108;
constexpr int CuvetteSlope = 1113, CuvetteIntercept = 1114;
// The conductance channel records a tenth of the microlitres in volts; 2 mS a volt and 5 uL a mS give
// them back.
constexpr double VoltsPerMicrolitre = 0.1;
constexpr const wchar_t* CuvetteViewName = L"Sistra Cuvette Calibration View";

class FrameLeaveWorkflow : public HostTests::FrameCalibrationFixture
{
protected:
    explicit FrameLeaveWorkflow(std::string recording = HostTests::OcclusionText(
                                    16, "LV Pressure (mmHg),LV Volume (V),ECG (mV)", {1.0, 0.0, 1.0 / VoltsPerMicrolitre, 0.0}))
        : FrameCalibrationFixture("frame-leave-workflow.csv", std::move(recording), Host::OpenOptions{{}, false})
    {
    }
    void CalibrateConductanceAndCuvette()
    {
        CalibrateConductance();
        if (!HasFatalFailure())
            CalibrateCuvette();
    }
    void CalibrateConductance()
    {
        HWND page = HostTests::OpenStep(Frame(), L"Conductance calibration", FirstSampled);
        ASSERT_TRUE(page);
        for (const auto& [box, text] : {std::pair{FirstSampled, L"1"}, std::pair{FirstKnown, L"2"},
                                        std::pair{SecondSampled, L"2"}, std::pair{SecondKnown, L"4"}})
            ASSERT_TRUE(TypeInto(page, box, text)) << box;
        ASSERT_TRUE(Tick(page, ApplyBox));
    }
    void CalibrateCuvette()
    {
        HWND page = HostTests::OpenStep(Frame(), L"Cuvette calibration", CuvetteSlope);
        ASSERT_TRUE(page);
        for (const auto& [box, text] : {std::pair{CuvetteSlope, L"5"}, std::pair{CuvetteIntercept, L"0"}})
            ASSERT_TRUE(TypeInto(page, box, text)) << box;
        ASSERT_TRUE(Tick(page, ApplyBox));
    }
};

// Left after the conductance and cuvette steps, the cuvette's line went on the raw volts (5000 uL a volt,
// the line's microlitres per siemens read as per volt) wherever the calibration was next applied, while
// the analysis still read it through the conductance: the loops collapsed to a line at V = 0 beside a
// table in microlitres. Leaving the workflow keeps the calibrations made in it.
TEST_F(FrameLeaveWorkflow, LeavingTheWorkflowKeepsItsCalibrationsForTheChannelLoopsAndTable)
{
    // The first beat fills to 120 uL and empties to 52.66 uL (the recording's own microlitres).
    constexpr double Ved = 120.0, Ves = 52.66;
    ASSERT_TRUE(HostTests::ChooseFirstWorkflow(Frame()));
    CalibrateConductanceAndCuvette();
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(HostTests::OpenStep(Frame(), L"Alpha calibration", ApplyBox));
    EXPECT_NEAR(Ved, FirstLoopValue("Ved ("), 0.05);
    const size_t loops = LoopPixels();
    ASSERT_GT(loops, 2000u);
    const double scale = VolumeScale();
    EXPECT_NEAR(1e-6 / VoltsPerMicrolitre, scale, 1e-12);

    LeaveWorkflow();
    ASSERT_TRUE(OpenViewFromMenu(L"C&uvette Calibration"));
    // The cuvette view's band applies the calibration again, as a person unticks and ticks it.
    const HWND cuvette = ViewWindow(CuvetteViewName);
    ASSERT_TRUE(cuvette);
    const HWND enable =
        HostTests::FindVisibleChild(cuvette, [](HWND child) { return HostTests::WindowText(child) == L"Enable cuvette calibration"; });
    ASSERT_TRUE(enable);
    for (int click = 0; click < 2; ++click)
        EXPECT_TRUE(Tick(GetParent(enable), GetDlgCtrlID(enable))) << click;
    // Ticked again, the band's line is in force again: the host shows the volume channel through it.
    EXPECT_TRUE(PumpUntil(Frame(), [&] { return std::fabs(VolumeScale() - scale) <= 1e-9 * scale; })) << VolumeScale();
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-leave-workflow-left");
    EXPECT_EQ(BST_CHECKED, SendMessageW(enable, BM_GETCHECK, 0, 0));
    // The band shows the line in the units it was made in.
    const HWND slope = HostTests::FindVisibleChild(cuvette, [](HWND child) { return HostTests::ClassOf(child) == L"Edit"; });
    ASSERT_TRUE(slope);
    EXPECT_EQ(L"5", HostTests::WindowText(slope));
    EXPECT_DOUBLE_EQ(scale, VolumeScale());
    // The table lies out of sight below the views the workflow left: brought up as a person brings it.
    ASSERT_TRUE(OpenViewFromMenu(L"&Hemodynamics Table"));
    EXPECT_NEAR(Ved, FirstLoopValue("Ved ("), 0.05);
    EXPECT_NEAR(Ves, FirstLoopValue("Ves ("), 0.05);
    EXPECT_GT(LoopPixels(), loops / 2);

    // Back in the workflow, its step shows its own views again, without the one opened outside it, and
    // the calibrations stay on.
    ChooseWorkflowMode(true);
    EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] { return !ViewWindow(CuvetteViewName); })) << "the cuvette view stayed";
    EXPECT_NEAR(Ved, FirstLoopValue("Ved ("), 0.05);
    EXPECT_GT(LoopPixels(), loops / 2);
}

// Saline boluses whose volume channel records volts, as a conductance catheter does.
class FrameSalineInVolts : public FrameLeaveWorkflow
{
protected:
    FrameSalineInVolts() : FrameLeaveWorkflow(InVolts(HostTests::MousePreloadReductionText())) {}
    static std::string InVolts(std::string text)
    {
        const std::string microlitres = "LV Volume (uL)";
        return text.replace(text.find(microlitres), microlitres.size(), "LV Volume (V)");
    }
};

// A parallel conductance added while the loops were still conductance (mS) was kept as a number in the
// channel's base unit and read as litres once the cuvette made them volumes: "3839.2 uL" from 3.839 mS,
// applied as such. Before the cuvette step the Add button says why it adds nothing; after it, it adds.
TEST_F(FrameSalineInVolts, AParallelConductanceIsAddedOnlyOnceTheLoopsAreVolumes)
{
    constexpr int BolusList = 1100, AddBolus = 1134, AnalyzeNow = 1098;
    const auto entries = [](HWND list) { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); };
    const auto balloonShown = [] { return HostTests::ThreadWindowOfClass(L"XPBalloonHelp") != nullptr; };
    // Analyze Now, then Add, each clicked until it has taken: Add either adds an entry or says why not.
    const auto clickAdd = [&]() -> HWND {
        const HWND page = HostTests::OpenStep(Frame(), L"Saline calibration", BolusList);
        if (!page || !HostTests::ClickUntil(Frame(), ScreenCentreOf(GetDlgItem(page, AnalyzeNow)),
                                           [&] { return IsWindowEnabled(GetDlgItem(page, AddBolus)) != FALSE; }))
            return nullptr;
        const HWND list = GetDlgItem(page, BolusList);
        const LRESULT before = entries(list);
        HostTests::ClickUntil(Frame(), ScreenCentreOf(GetDlgItem(page, AddBolus)),
                              [&] { return balloonShown() || entries(list) != before; });
        return list;
    };
    ASSERT_TRUE(HostTests::ChooseFirstWorkflow(Frame()));
    CalibrateConductance();
    HWND list = clickAdd();
    ASSERT_TRUE(list);
    // The click's own handler shows the balloon, where it would otherwise have added the entry.
    ASSERT_TRUE(PumpUntil(Frame(), balloonShown));
    EXPECT_EQ(0, entries(list));
    CalibrateCuvette();
    list = clickAdd();
    ASSERT_TRUE(list);
    EXPECT_TRUE(PumpUntil(Frame(), [&] { return entries(list) == 1; }));
}

// Five beats of 0.8 s: shorter than the data view shows once the workflow's panel has gone.
constexpr double ShortRecordingSeconds = 4.0;

class FrameLeaveWorkflowShortRecording : public FrameLeaveWorkflow
{
protected:
    FrameLeaveWorkflowShortRecording() : FrameLeaveWorkflow(HostTests::OcclusionText(5)) {}
};

// The data view widened when the workflow's panel closed and kept its scale: the recording filled its left
// part and the time axis ran on to twice its length. Left, the view spreads the recording over its width,
// and the label of its end, which would stand cut at the view's edge, is left out.
TEST_F(FrameLeaveWorkflowShortRecording, TheDataViewsTimeAxisEndsWithTheRecordingOnceTheWorkflowIsLeft)
{
    ASSERT_TRUE(HostTests::ChooseFirstWorkflow(Frame()));
    ASSERT_TRUE(HostTests::OpenStep(Frame(), L"Alpha calibration", ApplyBox));
    LeaveWorkflow();
    Host::TraceView& trace = session->Trace();
    RedrawWindow(trace.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-leave-workflow-time-axis");
    const RECT area = trace.TraceArea();
    EXPECT_NEAR(area.left, trace.XOfSeconds(0.0), 1.0);
    EXPECT_NEAR(area.right, trace.XOfSeconds(ShortRecordingSeconds), 1.0);
    ASSERT_FALSE(trace.TimeLabels().empty());
    EXPECT_LT(std::stod(trace.TimeLabels().back()), ShortRecordingSeconds) << testing::PrintToString(trace.TimeLabels());
}

constexpr int MessageText = 0xFFFF; // the static of a message box

// A message box of the module's, under its caption (the workflow-mode dialog has a static too).
HWND SistraMessageBox()
{
    return HostTests::ProcessWindow([](HWND window) {
        return HostTests::ClassOf(window) == L"#32770" && HostTests::WindowText(window) == L"Sistra" &&
               GetDlgItem(window, MessageText);
    });
}

// Tokens of analyze's printout alike: words equal, numbers within a relative 1e-5 (NaN alike). The
// workflow's two steps and the one line round the float samples apart, which the derivatives (dV/dt,
// PowMax) show at some 3e-6; a Vp left on moves the volumes by percents.
void ExpectSameTables(const std::string& expected, const std::string& actual)
{
    constexpr double Tolerance = 1e-5;
    std::istringstream wanted(expected), got(actual);
    std::string want, have;
    while (wanted >> want)
    {
        ASSERT_TRUE(got >> have) << "ends before " << want;
        char* end = nullptr;
        const double number = std::strtod(want.c_str(), &end);
        if (*end != '\0' || want.empty())
            EXPECT_EQ(want, have);
        else if (std::isnan(number))
            EXPECT_TRUE(std::isnan(std::strtod(have.c_str(), nullptr))) << have;
        else
            EXPECT_NEAR(number, std::strtod(have.c_str(), nullptr), Tolerance * std::max(1.0, std::abs(number))) << want;
    }
    EXPECT_FALSE(got >> have) << "goes on with " << have;
}

// The saline step's Vp comes off every volume; leaving the workflow withdraws it (the saline model's
// reaction to the mode), which used to happen without a word while the loops, table and fits moved. The
// frame says so, and shows what analyze shows on the cuvette's line without saline.
class FrameLeaveWorkflowAfterSaline : public FrameLeaveWorkflow
{
protected:
    // The mouse's microlitres taken as conductance: 2 mS a unit and 5 uL a mS make ten times its volumes.
    FrameLeaveWorkflowAfterSaline() : FrameLeaveWorkflow(HostTests::MousePreloadReductionText())
    {
        // Before the frame is made: the command line's own host must not meet the frame's.
        std::ostringstream errors;
        analyzed = Host::RunCommandLine({"analyze", file.Path(), "--calibrate-volume", "2:10,0"}, printed, errors);
        problems = errors.str();
    }
    std::ostringstream printed;
    int analyzed = -1;
    std::string problems;
};

TEST_F(FrameLeaveWorkflowAfterSaline, LeavingSaysTheSalineCalibrationWentAndShowsTheVolumesWithoutIt)
{
    constexpr double FirstVed = 350.0, Vp = 24.84;
    constexpr int BolusList = 1100, AddBolus = 1134;
    ASSERT_TRUE(HostTests::ChooseFirstWorkflow(Frame()));
    CalibrateConductanceAndCuvette();
    if (HasFatalFailure())
        return;
    const HWND page = HostTests::OpenStep(Frame(), L"Saline calibration", BolusList);
    ASSERT_TRUE(page);
    const HWND list = GetDlgItem(page, BolusList);
    ASSERT_TRUE(HostTests::ClickUntil(Frame(), ScreenCentreOf(GetDlgItem(page, AddBolus)),
                                      [&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 1; }));
    ASSERT_TRUE(Tick(page, ApplyBox));
    ASSERT_TRUE(HostTests::OpenStep(Frame(), L"Alpha calibration", ApplyBox));
    EXPECT_NEAR(FirstVed - Vp, FirstLoopValue("Ved ("), 0.05);

    std::wstring told;
    {
        HostTests::SecondHand box([] { return SistraMessageBox(); }, [&](HWND found) {
            told = HostTests::WindowText(GetDlgItem(found, MessageText));
            HostTests::SaveTestPicture(found, L"frame-leave-workflow-saline-withdrawn");
            HostTests::ClickUntilGone(found, IDOK);
        });
        LeaveWorkflow();
        PumpUntil(Frame(), [&] { return box.done.load(); });
    }
    EXPECT_NE(std::wstring::npos, told.find(L"Leaving the workflow has withdrawn the saline calibration")) << told;
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-leave-workflow-saline-left");
    EXPECT_NEAR(FirstVed, FirstLoopValue("Ved ("), 0.05);
    EXPECT_GT(LoopPixels(), 2000u);
    ASSERT_EQ(Host::ExitOk, analyzed) << problems;
    ExpectSameTables(printed.str(), Host::SummaryTable(opened->Analysis()->Summaries()) + "\n" +
                                         Host::RegressionTable(opened->Analysis()->Relations()));
}

} // namespace
