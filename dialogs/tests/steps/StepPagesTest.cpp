#include "dialogs/steps/AnalyseStep.h"
#include "dialogs/steps/ConductanceStep.h"
#include "dialogs/steps/CuvetteStep.h"
#include "dialogs/steps/PressureStep.h"
#include "dialogs/steps/SamplingStep.h"

#include "dialogs/framework/StepPageTools.h"
#include "dialogs/tests/steps/StepPageTestSupport.h"
#include "document/models/ModelValues.h"
#include "foundation/text/StringResources.h"
#include "hostapi/VyrDocuments.h"
#include "platform/owl/tests/TextFit.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace Sistra;

using DialogTests::StepPage;
using DialogTests::Stored;
using DialogTests::TakeBalloonTitle;
using DialogTests::Text;
using DialogTests::Type;

// A sampled value is typed in the channel's unit (mV) and stored in its base unit (V); the box keeps what
// was typed. Emptying a box takes the applied calibration back.
TEST(PressureStep, TypedValuesAreStoredInBaseUnitsAndAnEmptiedBoxWithdrawsTheCalibration)
{
    DialogTests::DocumentFixture fixture("mV");
    const ModelPtr model = fixture.Document().GetModel(ModelKind::PressureCalib);
    StepPage pressure(Sistra::StepId::PressureStep, fixture);
    ASSERT_TRUE(pressure.page);
    EXPECT_EQ(L"mV", Text(pressure.page, StepControl::FirstUnit));

    Type(pressure.page, StepControl::FirstValue, L"5");
    EXPECT_DOUBLE_EQ(0.005, Stored(model, PropertyId::PressureBase1));
    EXPECT_EQ(L"5", Text(pressure.page, StepControl::FirstValue));
    Type(pressure.page, IDC_PRESSURE_KNOWN_1, L"0");
    Type(pressure.page, StepControl::SecondValue, L"120");
    Type(pressure.page, IDC_PRESSURE_KNOWN_2, L"100");
    EXPECT_DOUBLE_EQ(100.0, Stored(model, PropertyId::PressureConverted2)) << "known pressures as typed";
    DialogTests::SaveShown(pressure.pane.Window(), L"dialogs_pressure_step");

    model->SetPressureCalibrationApplied(true);
    model->CommitChanges();
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(pressure.page, StepControl::Apply));
    Type(pressure.page, IDC_PRESSURE_KNOWN_2, L"");
    EXPECT_TRUE(IsBlankMarker(Stored(model, PropertyId::PressureConverted2)));
    EXPECT_FALSE(model->GetValue<PropertyType::Bool>(PropertyId::PressureCalibrationApplied));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(pressure.page, StepControl::Apply));

    // Ticking with a box empty: the tick does not stay and the balloon says why.
    TakeBalloonTitle();
    CheckDlgButton(pressure.page, StepControl::Apply, BST_CHECKED);
    SendMessageW(pressure.page, WM_COMMAND, MAKEWPARAM(StepControl::Apply, BN_CLICKED), 0);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(pressure.page, StepControl::Apply));
    EXPECT_EQ(L"Can't Apply Calibration", TakeBalloonTitle());

    // Not typing: a change made elsewhere shows in the boxes.
    model->SetPressureBase2(0.25);
    model->CommitChanges();
    EXPECT_EQ(L"250", Text(pressure.page, StepControl::SecondValue));
}

TEST(PressureStep, ASelectionAcrossTwoRecordsIsRefusedWithABalloonAndNothingSent)
{
    DialogTests::DocumentFixture fixture;
    const ModelPtr model = fixture.Document().GetModel(ModelKind::PressureCalib);
    StepPage pressure(Sistra::StepId::PressureStep, fixture);
    const TickPosition start{0, 10}, end{1, 50};
    ASSERT_EQ(S_OK, fixture.Host().SelectRange(0, &start, &end));
    TakeBalloonTitle();
    SendMessageW(pressure.page, WM_COMMAND, MAKEWPARAM(StepControl::FirstFromSelection, BN_CLICKED), 0);
    EXPECT_EQ(L"No Pressure Selection", TakeBalloonTitle());
    EXPECT_TRUE(IsBlankMarker(Stored(model, PropertyId::PressureBase1)));

    const TickPosition within{1, 20};
    ASSERT_EQ(S_OK, fixture.Host().SelectRange(0, &within, &end));
    SendMessageW(pressure.page, WM_COMMAND, MAKEWPARAM(StepControl::SecondFromSelection, BN_CLICKED), 0);
    EXPECT_DOUBLE_EQ(10.0, Stored(model, PropertyId::PressureBase2)) << "the selection's mean";
    EXPECT_EQ(L"10", Text(pressure.page, StepControl::SecondValue));
}

// A line that falls (0 -> 100 mmHg, 10 -> 2 mmHg: slope -9.8) is applied all the same, and the balloon
// says so; a rising line is applied without a word.
TEST(PressureStep, AFallingCalibrationIsAppliedAndSaid)
{
    struct Case
    {
        const wchar_t* secondKnown;
        const wchar_t* balloon;
    };
    for (const Case& c : {Case{L"2", L"Negative Slope"}, Case{L"120", L""}})
    {
        SCOPED_TRACE(testing::Message() << "second known " << c.secondKnown);
        DialogTests::DocumentFixture fixture;
        fixture.Document().GetSetupModel()->SetWorkflowModeOn(false);
        const ModelPtr model = fixture.Document().GetModel(ModelKind::PressureCalib);
        StepPage pressure(Sistra::StepId::PressureStep, fixture);
        Type(pressure.page, StepControl::FirstValue, L"0");
        Type(pressure.page, IDC_PRESSURE_KNOWN_1, L"100");
        Type(pressure.page, StepControl::SecondValue, L"10");
        Type(pressure.page, IDC_PRESSURE_KNOWN_2, c.secondKnown);
        TakeBalloonTitle();
        CheckDlgButton(pressure.page, StepControl::Apply, BST_CHECKED);
        SendMessageW(pressure.page, WM_COMMAND, MAKEWPARAM(StepControl::Apply, BN_CLICKED), 0);
        EXPECT_TRUE(model->GetValue<PropertyType::Bool>(PropertyId::PressureCalibrationApplied));
        EXPECT_EQ(c.balloon, TakeBalloonTitle());
    }
}

TEST(ConductanceStep, AnotherUnitReadsTheKnownValuesAsShownInIt)
{
    DialogTests::DocumentFixture fixture;
    const ModelPtr model = fixture.Document().GetModel(ModelKind::ConductanceCalib);
    StepPage conductance(Sistra::StepId::ConductanceStep, fixture);
    ASSERT_TRUE(conductance.page);
    EXPECT_EQ(L"mS", Text(conductance.page, IDC_CONDUCTANCE_UNIT_LABEL));
    Type(conductance.page, IDC_CONDUCTANCE_KNOWN_1, L"5");
    Type(conductance.page, IDC_CONDUCTANCE_KNOWN_2, L"10");
    EXPECT_DOUBLE_EQ(0.005, Stored(model, PropertyId::ConductanceConverted1));
    DialogTests::SaveShown(conductance.pane.Window(), L"dialogs_conductance_step");

    SendDlgItemMessageW(conductance.page, IDC_CONDUCTANCE_UNIT, CB_SETCURSEL, 1, 0);
    SendMessageW(conductance.page, WM_COMMAND, MAKEWPARAM(IDC_CONDUCTANCE_UNIT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(conductance.page, IDC_CONDUCTANCE_UNIT)));
    EXPECT_DOUBLE_EQ(5.0, Stored(model, PropertyId::ConductanceConverted1));
    EXPECT_DOUBLE_EQ(10.0, Stored(model, PropertyId::ConductanceConverted2));
    EXPECT_EQ(L"5", Text(conductance.page, IDC_CONDUCTANCE_KNOWN_1));
    EXPECT_EQ(L"RVU", Text(conductance.page, IDC_CONDUCTANCE_UNIT_LABEL));

    // A unit the list does not have (an older document's) is shown, with nothing chosen in the list.
    model->SetValue<PropertyType::Unit>(PropertyId::ConductanceUnit, UnitInfo{L"S", 0});
    model->CommitChanges();
    EXPECT_EQ(L"S", Text(conductance.page, IDC_CONDUCTANCE_UNIT_LABEL));
    EXPECT_EQ(-1, SendDlgItemMessageW(conductance.page, IDC_CONDUCTANCE_UNIT, CB_GETCURSEL, 0, 0));
}

// The instruction names what the workflow needs sampled; a text that needs more room pushes the rows
// below it down.
TEST(SamplingStep, TheInstructionFollowsTheWorkflowAndTheCheckBoxTheModel)
{
    const struct
    {
        int kind;
        bool saline;
        bool cuvette;
    } cases[] = {{1, true, true}, {2, true, false}, {3, false, false}};
    for (const auto& c : cases)
    {
        const std::wstring text = Orv::String(Orv::ThisModule(), SamplingInstruction(c.kind), true).c_str();
        EXPECT_EQ(c.saline, text.find(L"saline bolus") != std::wstring::npos) << c.kind;
        EXPECT_EQ(c.cuvette, text.find(L"cuvette well") != std::wstring::npos) << c.kind;
    }

    DialogTests::DocumentFixture fixture;
    const ModelPtr model = fixture.Document().GetModel(ModelKind::SamplingStep);
    StepPage sampling(Sistra::StepId::SamplingStep, fixture);
    ASSERT_TRUE(sampling.page);
    EXPECT_EQ(L"Start sampling:", Text(sampling.page, 1093));
    model->SetValue<PropertyType::Bool>(PropertyId::SamplingComplete, true);
    model->CommitChanges();
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(sampling.page, StepControl::Apply));
    DialogTests::SaveShown(sampling.pane.Window(), L"dialogs_sampling_step");
}

// A value no volume calibration can have is not applied: the tick does not stay, the balloon says why.
// The cuvette step applied a falling line (the fullest well given the least volume), the saline step a
// negative parallel conductance (added to every volume).
TEST(CalibrationSteps, ImpossibleValuesAreNotApplied)
{
    const struct
    {
        int step, kind, applied;
        void (*enter)(HWND page, Model& model);
        const wchar_t* balloon;
    } cases[] = {
        {StepId::CuvetteStep, ModelKind::CuvetteCalib, PropertyId::CuvetteCalibrationApplied,
         [](HWND page, Model&) {
             Type(page, IDC_CUVETTE_SLOPE, L"-2");
             Type(page, IDC_CUVETTE_INTERCEPT, L"3");
         },
         L"Invalid Slope"},
        {StepId::SalineStep, ModelKind::SalineCalib, PropertyId::SalineCalibrationApplied,
         [](HWND, Model& model) { model.SetValue<PropertyType::Double>(PropertyId::ParallelConductance, -1e-6); },
         L"Out of Range"},
    };
    for (const auto& c : cases)
    {
        DialogTests::DocumentFixture fixture;
        fixture.Document().GetSetupModel()->SetWorkflowModeOn(false);
        const ModelPtr model = fixture.Document().GetModel(c.kind);
        StepPage page(c.step, fixture);
        c.enter(page.page, *model);
        TakeBalloonTitle();
        CheckDlgButton(page.page, StepControl::Apply, BST_CHECKED);
        SendMessageW(page.page, WM_COMMAND, MAKEWPARAM(StepControl::Apply, BN_CLICKED), 0);
        EXPECT_FALSE(model->GetValue<PropertyType::Bool>(c.applied)) << c.step;
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page.page, StepControl::Apply)) << c.step;
        EXPECT_EQ(c.balloon, TakeBalloonTitle()) << c.step;
    }
}

// A slope typed in µL per mS is stored in L per S, an intercept in µL in L; the equation names the
// conductance unit.
TEST(CuvetteStep, TheSlopeAndInterceptAreStoredInBaseUnits)
{
    for (const bool relative : {false, true})
    {
        DialogTests::DocumentFixture fixture;
        const ModelPtr conductance = fixture.Document().GetModel(ModelKind::ConductanceCalib);
        if (relative)
        {
            conductance->SetValue<PropertyType::Unit>(PropertyId::ConductanceUnit, UnitInfo{L"RVU", 0});
            conductance->CommitChanges();
        }
        const ModelPtr model = fixture.Document().GetModel(ModelKind::CuvetteCalib);
        StepPage cuvette(Sistra::StepId::CuvetteStep, fixture);
        ASSERT_TRUE(cuvette.page);
        EXPECT_EQ(relative ? L"\u00D7 1 RVU +" : L"\u00D7 1 mS +", Text(cuvette.page, IDC_CUVETTE_EQUATION));
        Type(cuvette.page, IDC_CUVETTE_SLOPE, L"2");
        Type(cuvette.page, IDC_CUVETTE_INTERCEPT, L"3");
        EXPECT_DOUBLE_EQ(relative ? 2e-6 : 0.002, Stored(model, PropertyId::CuvetteSlope));
        EXPECT_DOUBLE_EQ(3e-6, Stored(model, PropertyId::CuvetteIntercept));
        EXPECT_EQ(L"2", Text(cuvette.page, IDC_CUVETTE_SLOPE));
        if (!relative)
            DialogTests::SaveShown(cuvette.pane.Window(), L"dialogs_cuvette_step");

        // The longest numbers the page writes show whole, and the row stays on the page.
        model->SetCuvetteSlope(-792100.0 * (relative ? 1e-6 : 1e-3));
        model->SetCuvetteIntercept(-792100.0 * 1e-6);
        model->CommitChanges();
        RECT page{};
        GetClientRect(cuvette.page, &page);
        for (const int box : {IDC_CUVETTE_SLOPE, IDC_CUVETTE_INTERCEPT})
        {
            EXPECT_EQ(L"-7.921e+5", Text(cuvette.page, box));
            EXPECT_TRUE(OwlTest::EditShowsItsTextWhole(GetDlgItem(cuvette.page, box))) << box;
            EXPECT_LE(Sistra::GetControlRect(cuvette.page, box).right, page.right) << box;
        }
        model->SetCuvetteCalibrationApplied(true);
        model->CommitChanges();
        Type(cuvette.page, IDC_CUVETTE_SLOPE, L"");
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(cuvette.page, StepControl::Apply));
    }
}

TEST(AnalyseStep, TheTypeListShowsTheModelsTypeAndStoresTheChoice)
{
    DialogTests::DocumentFixture fixture;
    const ModelPtr model = fixture.Document().GetModel(ModelKind::AnalysisStep);
    model->SetValue<PropertyType::Int>(PropertyId::AnalysisType, 5);
    model->CommitChanges();
    StepPage analyse(Sistra::StepId::AnalyseStep, fixture);
    ASSERT_TRUE(analyse.page);
    EXPECT_EQ(-1, SendDlgItemMessageW(analyse.page, IDC_ANALYSE_TYPE, CB_GETCURSEL, 0, 0)) << "no such type";
    SendDlgItemMessageW(analyse.page, IDC_ANALYSE_TYPE, CB_SETCURSEL, 1, 0);
    SendMessageW(analyse.page, WM_COMMAND, MAKEWPARAM(IDC_ANALYSE_TYPE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(analyse.page, IDC_ANALYSE_TYPE)));
    EXPECT_EQ(1, model->GetAnalysisType());
    model->SetValue<PropertyType::Int>(PropertyId::AnalysisType, 0);
    model->CommitChanges();
    EXPECT_EQ(0, SendDlgItemMessageW(analyse.page, IDC_ANALYSE_TYPE, CB_GETCURSEL, 0, 0));
    DialogTests::SaveShown(analyse.pane.Window(), L"dialogs_analyse_step");
}

// The colours shown on the screen inside a window, its edges left out.
static std::set<COLORREF> ColoursInside(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    InflateRect(&rect, -3, -3);
    std::set<COLORREF> colours;
    const HDC screen = GetDC(nullptr);
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            colours.insert(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return colours;
}

// A blank face shows one flat colour inside its edges; an image brings colours of its own. Each button is
// read off the screen as soon as it has painted itself, so an image that reaches the screen only later
// counts as missing.
TEST(AnalyseStep, EveryImageButtonDrawsItsImage)
{
    DialogTests::DocumentFixture fixture;
    StepPage analyse(Sistra::StepId::AnalyseStep, fixture);
    ASSERT_TRUE(analyse.page);
    DialogTests::SaveShown(analyse.pane.Window(), L"dialogs_analyse_step_buttons");
    for (const Sistra::StepImageButton& button : AnalyseImageButtons)
    {
        const HWND control = GetDlgItem(analyse.page, button.id);
        ASSERT_NE(nullptr, control) << button.id;
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_GE(ColoursInside(control).size(), 3u) << "button " << button.id;
    }
}

// The Analysis Manager button asks the host, by its own message in the context of the host object made
// for it, to open the window.
TEST(AnalyseStep, TheAnalysisManagerButtonAsksTheHostToOpenIt)
{
    DialogTests::DocumentFixture fixture;
    StepPage analyse(Sistra::StepId::AnalyseStep, fixture);
    ASSERT_TRUE(analyse.page);
    HWND button = GetDlgItem(analyse.page, IDC_ANALYSE_MANAGER);
    ASSERT_NE(nullptr, button);
    EXPECT_TRUE(IsWindowVisible(button));
    Orv::ComPtr<IHostMessageLog> log;
    ASSERT_EQ(S_OK, fixture.Document().Outer()->QueryInterface(IID_IHostMessageLog, log.PutVoid()));
    ULONG before = 0;
    log->GetCount(&before);
    SendMessageW(analyse.page, WM_COMMAND, MAKEWPARAM(IDC_ANALYSE_MANAGER, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    ULONG after = 0;
    log->GetCount(&after);
    ASSERT_EQ(before + 1, after);
    ULONG id = 0, words[8]{}, count = 0;
    log->GetEntry(before, &id, words, 8, &count);
    EXPECT_EQ(0x80010016u, id);
    EXPECT_EQ((std::vector<ULONG>{276, 0x800D000E, 1, 1}), std::vector<ULONG>(words, words + count));
    std::vector<ULONG> context(3);
    log->GetEntryContext(before, &context[0], &context[1], &context[2]);
    EXPECT_EQ((std::vector<ULONG>{0x80010016, 0x800D000E, 1}), context) << "in the context of the host's object";
}
