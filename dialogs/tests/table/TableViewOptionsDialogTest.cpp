#include "dialogs/table/TableViewOptionsDialog.h"

#include "controls/balloon/BalloonCheckBox.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "document/models/ModelFactory.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

namespace
{

namespace ModelKind = Sistra::ModelKind;
using Sistra::ParameterSet;
using Sistra::PropertyType;
namespace PropertyId = Sistra::PropertyId;

constexpr const wchar_t* Caption = L"Sistra Hemodynamics Options";

ParameterSet AllBut(std::initializer_list<int32_t> left)
{
    ParameterSet set;
    for (int32_t parameter = 1; parameter <= 31; ++parameter)
        set.insert(parameter);
    for (int32_t parameter : left)
        set.erase(parameter);
    return set;
}

struct BoxState
{
    bool enabled;
    bool ticked;
    bool operator==(const BoxState&) const = default;
};

BoxState StateOf(HWND dialog, int control)
{
    HWND box = GetDlgItem(dialog, control);
    return {IsWindowEnabled(box) != FALSE, IsDlgButtonChecked(dialog, control) == BST_CHECKED};
}

// The boxes show the working copy's set and summary flag; the areas a baseline workflow analysis leaves
// out are disabled and unticked, untouched by Check All and kept in the set as they were; OK stores the
// boxes, Cancel stores nothing.
TEST(TableViewOptionsDialog, TheBoxesEditTheSetAndTheSummaryAndOnlyOkStoresThem)
{
    const struct
    {
        const char* name;
        bool baselineWorkflow;
        std::vector<int> clicks;   // the last closes the dialog
        ParameterSet after;
        bool summaryAfter;
    } cases[] = {
        {"baseline workflow, check all", true, {IDC_TABLE_OPTIONS_CHECK_ALL, IDOK}, AllBut({27}), true},
        {"uncheck all", false, {IDC_TABLE_OPTIONS_UNCHECK_ALL, IDOK}, {}, true},
        {"no change", false, {IDOK}, {1, 26, 28}, true},
        {"summary off", false, {IDC_TABLE_OPTIONS_SUMMARY, IDOK}, {1, 26, 28}, false},
        {"cancel", false, {IDC_TABLE_OPTIONS_UNCHECK_ALL, IDC_TABLE_OPTIONS_SUMMARY, IDCANCEL}, {1, 26, 28}, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        DialogTests::DocumentFixture fixture;
        Sistra::SistraDocument& document = fixture.Document();
        document.GetSetupModel()->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, c.baselineWorkflow);
        document.GetModel(ModelKind::AnalysisStep)->SetValue<PropertyType::Int>(PropertyId::AnalysisType, 0);
        const Sistra::ModelPtr copy =
            Sistra::ModelClassObjBase::CreateModel(ModelKind::HemoTable, &document, Sistra::ModelRole::Snapshot);
        copy->SetTableParameterSet({1, 26, 28});
        copy->SetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane, true);
        copy->CommitChanges();

        std::vector<BoxState> areas;
        Sistra::TableViewOptionsDialog dialog(nullptr, document, copy);
        const int ended = DialogTests::WithModalScript(Caption, [&](HWND shown) {
            for (int control : c.clicks)
            {
                if (control == c.clicks.back() && c.baselineWorkflow)
                {
                    DialogTests::SaveShown(shown, L"table_options_dialog_baseline");
                    for (int area : {IDC_TABLE_OPTIONS_PVA, IDC_TABLE_OPTIONS_PE, IDC_TABLE_OPTIONS_CE})
                        areas.push_back(StateOf(shown, area));
                }
                DialogTests::Click(shown, control);
            }
        }, [&] { return dialog.Execute(); });
        EXPECT_EQ(c.clicks.back(), ended);
        EXPECT_EQ(c.after, copy->GetTableParameterSet());
        EXPECT_EQ(c.summaryAfter, copy->GetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane));
        if (c.baselineWorkflow)
        {
            EXPECT_EQ(std::vector<BoxState>(3, BoxState{false, false}), areas);
        }
    }
}

// Every box carries its parameter's balloon: the long name unless the table gives a title of its own.
TEST(TableViewOptionsDialog, EachBoxExplainsItsParameterInABalloon)
{
    DialogTests::DocumentFixture fixture;
    const Sistra::ModelPtr copy = Sistra::ModelClassObjBase::CreateModel(ModelKind::HemoTable, &fixture.Document(),
                                                                         Sistra::ModelRole::Snapshot);
    Sistra::TableViewOptionsDialog dialog(nullptr, fixture.Document(), copy);
    ASSERT_TRUE(dialog.Create());
    const struct
    {
        int control;
        const wchar_t* title;
        const wchar_t* start;
    } cases[] = {
        {1013, L"Stroke Work", L"Area enclosed"},
        {IDC_TABLE_OPTIONS_PVA, L"Pressure Volume Area", L"Total area"},
        {IDC_TABLE_OPTIONS_PISO, L"Maximal Isovolumic Pressure (Piso)", L"The estimated maximal"},
    };
    for (const auto& c : cases)
    {
        auto* box = dynamic_cast<OrvControls::TBalloonCheckBox*>(dialog.ChildWithId(c.control));
        ASSERT_NE(nullptr, box) << c.control;
        EXPECT_EQ(c.title, box->Title());
        EXPECT_EQ(0u, box->Content().find(c.start)) << c.control;
    }
    dialog.Destroy();
}

} // namespace
