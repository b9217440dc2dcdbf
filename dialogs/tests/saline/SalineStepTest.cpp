#include "dialogs/saline/EditBolusDlg.h"
#include "dialogs/saline/SalineStep.h"

#include "calc/numerics/LoopRegressions.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/tests/steps/StepPageTestSupport.h"
#include "document/models/ModelValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace Sistra;
using DialogTests::StepPage;
using DialogTests::Text;

namespace
{

constexpr const wchar_t* EditCaption = L"Edit Parallel Conductance";

std::wstring RowText(HWND page, int row)
{
    wchar_t text[64] = {};
    ListView_GetItemText(GetDlgItem(page, IDC_SALINE_LIST), row, 0, text, 64);
    return text;
}

void SelectRows(HWND page, std::initializer_list<int> rows)
{
    HWND list = GetDlgItem(page, IDC_SALINE_LIST);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (const int row : rows)
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void SetBoluses(const ModelPtr& saline, const std::vector<double>& values)
{
    std::vector<BolusEntry> list;
    for (const double value : values)
        list.push_back(BolusEntry{.value = value});
    saline->SetBolusList(list);
    saline->CommitChanges();
}

std::vector<double> BolusValues(const ModelPtr& saline)
{
    std::vector<double> values;
    for (const BolusEntry& entry : saline->GetBolusList())
        values.push_back(entry.value);
    return values;
}

} // namespace

// The box shows the value in the unit's prefix and OK writes the typed number back without it; Cancel
// and an OK pressed while the box holds no volume of zero or more leave the value alone.
TEST(EditBolusDlg, ShowsTheValueInItsUnitAndWritesTheTypedNumberBackOnlyOnOk)
{
    const struct
    {
        UnitInfo unit;
        double stored;
        const wchar_t* shown;
        const wchar_t* label;
        const wchar_t* typed;
        bool okEnabled;
        int button;
        double after;
    } cases[] = {
        {{L"L", 0xB5}, 3.14e-6, L"3.14", L"\u00B5L", L"2.5", true, IDOK, 2.5e-6},
        {{L"L", 0xB5}, 3.14e-6, L"3.14", L"\u00B5L", L"2.5", true, IDCANCEL, 3.14e-6},
        {{L"V", 0}, 4.0, L"4", L"V", L"7", true, IDOK, 7.0},
        {{L"L", L'm'}, 0.002, L"2", L"mL", L"", false, IDOK, 0.002},
        {{L"L", L'm'}, 0.002, L"2", L"mL", L"abc", false, IDOK, 0.002},
        // No volume: a negative one would add to every volume.
        {{L"L", L'm'}, 0.002, L"2", L"mL", L"-1", false, IDOK, 0.002},
        {{L"L", L'm'}, 0.002, L"2", L"mL", L"0", true, IDOK, 0.0},
    };
    for (const auto& c : cases)
    {
        double value = c.stored;
        std::wstring shown, label;
        bool okEnabled = !c.okEnabled;
        EditBolusDlg dialog(&value, c.unit);
        const INT_PTR ended = DialogTests::WithModalScript(EditCaption, [&](HWND dialogWindow) {
            shown = Text(dialogWindow, IDC_EDIT_BOLUS_VALUE);
            label = Text(dialogWindow, IDC_EDIT_BOLUS_UNIT);
            DialogTests::Type(dialogWindow, IDC_EDIT_BOLUS_VALUE, c.typed);
            okEnabled = IsWindowEnabled(GetDlgItem(dialogWindow, IDOK));
            if (c.unit.prefix == 0xB5 && c.button == IDOK)
                DialogTests::SaveShown(dialogWindow, L"dialogs_edit_bolus");
            // Sent even to a disabled OK, as the dialog keys could: it must not close the dialog.
            SendMessageW(dialogWindow, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED), 0);
            if (IsWindowVisible(dialogWindow))
                DialogTests::Click(dialogWindow, IDCANCEL);
        }, [&] { return dialog.DoModal(nullptr); });
        EXPECT_EQ(c.shown, shown) << c.typed;
        EXPECT_EQ(c.label, label);
        EXPECT_EQ(c.okEnabled, okEnabled) << c.typed;
        EXPECT_EQ(c.okEnabled ? c.button : IDCANCEL, ended) << c.typed;
        EXPECT_DOUBLE_EQ(c.after, value) << c.typed;
    }
}

TEST(SalineStep, TheAverageCountsOnlySelectedEntriesOfTheList)
{
    const std::vector<BolusEntry> list{{.value = 100.0}, {.value = 200.0}, {.value = 600.0}};
    EXPECT_DOUBLE_EQ(150.0, AverageParallelConductance(list, {0, 1}));
    EXPECT_DOUBLE_EQ(600.0, AverageParallelConductance(list, {2, 7}));
    EXPECT_TRUE(IsBlankMarker(AverageParallelConductance(list, {})));
    EXPECT_TRUE(IsBlankMarker(AverageParallelConductance(list, {3, -1})));
}

// Rows show each bolus in the volume channel's unit (mL); the rows selected are the model's selection
// and their mean the parallel conductance in use.
TEST(SalineStep, TheListShowsTheBolusesAndItsSelectionChoosesTheParallelConductance)
{
    DialogTests::DocumentFixture fixture;
    const ModelPtr saline = fixture.Document().GetModel(ModelKind::SalineCalib);
    SetBoluses(saline, {1e-4, 2e-4, 6e-4});
    StepPage page(StepId::SalineStep, fixture);
    ASSERT_TRUE(page.page);
    EXPECT_EQ(3, ListView_GetItemCount(GetDlgItem(page.page, IDC_SALINE_LIST)));
    EXPECT_EQ(L"0.1 mL", RowText(page.page, 0));
    EXPECT_EQ(L"0.6 mL", RowText(page.page, 2));
    EXPECT_EQ(L"Nothing to add", Text(page.page, IDC_SALINE_ANALYZED));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page.page, IDC_SALINE_ADD)));

    SelectRows(page.page, {0, 1});
    EXPECT_EQ((IntSet{0, 1}), saline->GetSelectedBoluses());
    EXPECT_DOUBLE_EQ(1.5e-4, saline->GetValue<PropertyType::Double>(PropertyId::ParallelConductance));
    EXPECT_EQ(L"Parallel Conductance: 0.15 mL", Text(page.page, IDC_SALINE_APPLIED));
    SetWindowPos(page.pane.Window(), nullptr, 0, 0, 300, 420, SWP_NOMOVE | SWP_NOZORDER);
    DialogTests::SaveShown(page.pane.Window(), L"dialogs_saline_step");

    SelectRows(page.page, {});
    EXPECT_TRUE(saline->GetSelectedBoluses().empty());
    EXPECT_TRUE(std::isnan(saline->GetValue<PropertyType::Double>(PropertyId::ParallelConductance)));
    EXPECT_EQ(L"", Text(page.page, IDC_SALINE_APPLIED));

    // A selection made elsewhere shows in the list, and is not echoed back half done.
    saline->SetSelectedBoluses(IntSet{1, 2});
    saline->SetParallelConductance(4e-4);
    saline->CommitChanges();
    HWND list = GetDlgItem(page.page, IDC_SALINE_LIST);
    EXPECT_EQ(2u, ListView_GetSelectedCount(list));
    EXPECT_EQ((IntSet{1, 2}), saline->GetSelectedBoluses());
    EXPECT_DOUBLE_EQ(4e-4, saline->GetValue<PropertyType::Double>(PropertyId::ParallelConductance));
}

// Edit and Delete act on the focused row through the document's commands; the dialog's Cancel sends
// nothing, its OK the new value.
TEST(SalineStep, EditAndDeleteSendTheFocusedRowsCommands)
{
    const StandInHost::Recording recording = StandInHost::SteadyVentricle(2000);
    StandInHost::DocumentOnHost document(recording, false, false);
    const ModelPtr saline = document.Document().GetModel(ModelKind::SalineCalib);
    SetBoluses(saline, {1.0, 2.0});
    StepPage page(StepId::SalineStep, document.Document());
    SelectRows(page.page, {1});

    StandInHost::StandIn().ScriptMessageBoxAnswer(IDCANCEL);
    SendMessageW(page.page, WM_COMMAND, ID_BOLUS_EDIT, 0);
    EXPECT_EQ((std::vector<double>{1.0, 2.0}), BolusValues(saline));

    const double edited = 7.5;
    std::vector<BYTE> choice(sizeof edited);
    std::memcpy(choice.data(), &edited, sizeof edited);
    StandInHost::StandIn().ScriptDialogChoice(L"EditParallelConductance", static_cast<ULONG>(choice.size()), choice.data());
    SendMessageW(page.page, WM_COMMAND, ID_BOLUS_EDIT, 0);
    EXPECT_EQ((std::vector<double>{1.0, edited}), BolusValues(saline));
    EXPECT_EQ(L"7.5 V", RowText(page.page, 1));

    SelectRows(page.page, {0});
    SendMessageW(page.page, WM_COMMAND, ID_BOLUS_DELETE, 0);
    EXPECT_EQ((std::vector<double>{edited}), BolusValues(saline));
    EXPECT_EQ(1, ListView_GetItemCount(GetDlgItem(page.page, IDC_SALINE_LIST)));
}

// On a file whose volume channel is in mL the rows show millilitres, and an edited value is stored in
// litres, as the page shows it.
TEST(SalineStep, AnEditedValueOfAMillilitreChannelIsStoredUnprefixed)
{
    DialogTests::DocumentFixture fixture;
    const ModelPtr saline = fixture.Document().GetModel(ModelKind::SalineCalib);
    SetBoluses(saline, {1e-3});
    StepPage page(StepId::SalineStep, fixture.Document());
    EXPECT_EQ(L"1 mL", RowText(page.page, 0));
    SelectRows(page.page, {0});

    const double edited = 2.5e-3;
    std::vector<BYTE> choice(sizeof edited);
    std::memcpy(choice.data(), &edited, sizeof edited);
    StandInHost::StandIn().ScriptDialogChoice(L"EditParallelConductance", static_cast<ULONG>(choice.size()), choice.data());
    SendMessageW(page.page, WM_COMMAND, ID_BOLUS_EDIT, 0);
    ASSERT_EQ(1u, BolusValues(saline).size());
    EXPECT_DOUBLE_EQ(edited, BolusValues(saline)[0]);
    EXPECT_EQ(L"2.5 mL", RowText(page.page, 0));
}

// Analyse now, then Add: the analysed boluses' parallel conductance joins the list and is in use.
TEST(SalineStep, AnAnalysedBolusCanBeAddedToTheList)
{
    const StandInHost::Recording growing = StandInHost::SteadyVentricle(8000, 0.05);
    StandInHost::DocumentOnHost document(growing, false, false);
    const ModelPtr saline = document.Document().GetModel(ModelKind::SalineCalib);
    StepPage page(StepId::SalineStep, document.Document());
    DialogTests::Click(page.page, IDC_SALINE_ANALYZE_NOW);
    OwlTest::PumpMessages();
    // The beats are scaled copies of one: their line goes through the origin, Vp = 0 whatever the floats'
    // rounding makes of the fitted intercept (-5.4e-6 V).
    FittedLine line;
    ASSERT_TRUE(document.Document().Data().FitSalineLine(line));
    EXPECT_NEAR(0.0, line.intercept / (1.0 - line.slope), 1e-5);
    EXPECT_EQ(L"Analyzed: 0 V", Text(page.page, IDC_SALINE_ANALYZED));
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(page.page, IDC_SALINE_ADD)));

    DialogTests::Click(page.page, IDC_SALINE_ADD);
    ASSERT_EQ(1u, saline->GetBolusList().size());
    EXPECT_DOUBLE_EQ(0.0, saline->GetBolusList()[0].value);
    EXPECT_EQ(1u, ListView_GetSelectedCount(GetDlgItem(page.page, IDC_SALINE_LIST)));
    EXPECT_EQ(L"0 V", RowText(page.page, 0));
}
