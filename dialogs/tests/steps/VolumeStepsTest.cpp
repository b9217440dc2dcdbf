#include "dialogs/steps/VolumeKnownStep.h"
#include "dialogs/steps/VolumeMPVSStep.h"

#include "dialogs/tests/steps/StepPageTestSupport.h"
#include "document/models/ModelValues.h"

#include <gtest/gtest.h>

#include <string>

using namespace Sistra;
using namespace DialogTests;

namespace
{

const UnitInfo Microlitres{L"L", 0xB5};
const UnitInfo Millilitres{L"L", L'm'};

void SetUnit(const ModelPtr& model, int property, const UnitInfo& unit)
{
    model->SetValue<PropertyType::Unit>(property, unit);
    model->CommitChanges();
}

void Choose(HWND page, int combo, int item)
{
    SendDlgItemMessageW(page, combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, combo)));
}

bool Applied(HWND page)
{
    return IsDlgButtonChecked(page, StepControl::Apply) == BST_CHECKED;
}

} // namespace

// Sampled values are typed in the volume channel's unit (mL), known volumes in the unit chosen; another
// unit keeps the numbers shown and reads them in it.
TEST(VolumeMPVSStep, KnownVolumesAreStoredInTheChosenUnitAndKeepTheirNumbersWhenItChanges)
{
    DocumentFixture fixture;
    const ModelPtr model = fixture.Document().GetModel(ModelKind::VolumeCalib);
    SetUnit(model, PropertyId::VolumeCalibrationUnit, Microlitres);
    StepPage page(StepId::VolumeMPVSStep, fixture);
    ASSERT_TRUE(page.page);
    EXPECT_EQ(L"mL", Text(page.page, StepControl::FirstUnit));
    EXPECT_EQ(L"\u00B5L", Text(page.page, CalibrationControl::KnownUnitLabel));

    Type(page.page, StepControl::FirstValue, L"5");
    Type(page.page, IDC_VOLUME_KNOWN_1, L"100");
    EXPECT_DOUBLE_EQ(0.005, Stored(model, PropertyId::VolumeBase1));
    EXPECT_DOUBLE_EQ(1e-4, Stored(model, PropertyId::VolumeConverted1));
    SaveShown(page.pane.Window(), L"dialogs_volume_mpvs_step");

    Choose(page.page, CalibrationControl::KnownUnit, 1);
    EXPECT_EQ(L"100", Text(page.page, IDC_VOLUME_KNOWN_1));
    EXPECT_DOUBLE_EQ(0.1, Stored(model, PropertyId::VolumeConverted1));
    EXPECT_TRUE(IsBlankMarker(Stored(model, PropertyId::VolumeConverted2))) << "an empty box stays empty";
    EXPECT_EQ(L"mL", Text(page.page, CalibrationControl::KnownUnitLabel));

    model->SetVolumeCalibrationApplied(true);
    model->CommitChanges();
    Type(page.page, StepControl::FirstValue, L"");
    EXPECT_FALSE(Applied(page.page));
    EXPECT_FALSE(model->GetValue<PropertyType::Bool>(PropertyId::VolumeCalibrationApplied));

    TakeBalloonTitle();
    Click(page.page, StepControl::SecondFromSelection);
    EXPECT_EQ(L"No Volume Selection", TakeBalloonTitle());
}

// Each mode's rows name their volumes and store into that pair's properties.
TEST(VolumeKnownStep, EachModeNamesItsRowsAndStoresIntoItsPairOfVolumes)
{
    const struct
    {
        int32_t mode;
        const wchar_t* first;
        const wchar_t* second;
        int sampled1, known1, sampled2, known2;
    } cases[] = {
        {0, L"ESV", L"EDV", PropertyId::KnownVolumeBaseEsv, PropertyId::KnownVolumeConvertedEsv,
         PropertyId::KnownVolumeBaseEdv, PropertyId::KnownVolumeConvertedEdv},
        {1, L"ESV", L"SV", PropertyId::KnownVolumeBaseEsv, PropertyId::KnownVolumeConvertedEsv,
         PropertyId::KnownVolumeBaseSv, PropertyId::KnownVolumeConvertedSv},
        {2, L"EDV", L"SV", PropertyId::KnownVolumeBaseEdv, PropertyId::KnownVolumeConvertedEdv,
         PropertyId::KnownVolumeBaseSv, PropertyId::KnownVolumeConvertedSv},
    };
    for (const auto& c : cases)
    {
        DocumentFixture fixture;
        const ModelPtr model = fixture.Document().GetModel(ModelKind::KnownVolumeCalib);
        SetUnit(model, PropertyId::KnownVolumeUnit, Millilitres);
        StepPage page(StepId::VolumeKnownStep, fixture);
        ASSERT_TRUE(page.page);
        Choose(page.page, IDC_KNOWN_VOLUME_MODE, c.mode);
        EXPECT_EQ(c.mode, model->GetValue<PropertyType::Int>(PropertyId::KnownVolumePair));
        EXPECT_EQ(c.first, Text(page.page, IDC_KNOWN_VOLUME_ROW_1));
        EXPECT_EQ(c.second, Text(page.page, IDC_KNOWN_VOLUME_ROW_2));
        Type(page.page, StepControl::FirstValue, L"1");
        Type(page.page, IDC_KNOWN_VOLUME_1, L"2");
        Type(page.page, StepControl::SecondValue, L"3");
        Type(page.page, IDC_KNOWN_VOLUME_2, L"4");
        EXPECT_DOUBLE_EQ(0.001, Stored(model, c.sampled1)) << c.mode;
        EXPECT_DOUBLE_EQ(0.002, Stored(model, c.known1)) << c.mode;
        EXPECT_DOUBLE_EQ(0.003, Stored(model, c.sampled2)) << c.mode;
        EXPECT_DOUBLE_EQ(0.004, Stored(model, c.known2)) << c.mode;
        if (c.mode == 1)
        {
            SetWindowPos(page.pane.Window(), nullptr, 0, 0, 300, 380, SWP_NOMOVE | SWP_NOZORDER);
            SaveShown(page.pane.Window(), L"dialogs_volume_known_step");
        }
    }
}

TEST(VolumeKnownStep, AnotherUnitKeepsTheNumbersAndAnUnfilledModeWithdrawsTheCalibration)
{
    DocumentFixture fixture;
    const ModelPtr model = fixture.Document().GetModel(ModelKind::KnownVolumeCalib);
    model->SetValue<PropertyType::Int>(PropertyId::KnownVolumePair, 1);
    SetUnit(model, PropertyId::KnownVolumeUnit, Millilitres);
    StepPage page(StepId::VolumeKnownStep, fixture);
    Type(page.page, IDC_KNOWN_VOLUME_1, L"5");
    EXPECT_DOUBLE_EQ(0.005, Stored(model, PropertyId::KnownVolumeConvertedEsv));
    Choose(page.page, CalibrationControl::KnownUnit, 0);
    EXPECT_EQ(L"5", Text(page.page, IDC_KNOWN_VOLUME_1));
    EXPECT_DOUBLE_EQ(5e-6, Stored(model, PropertyId::KnownVolumeConvertedEsv));
    EXPECT_EQ(L"\u00B5L", Text(page.page, CalibrationControl::KnownUnitLabel));

    // Applied by the model's owner: choosing a mode whose boxes are not all filled takes it back.
    model->SetValue<PropertyType::Bool>(PropertyId::KnownVolumeCalibrationApplied, true);
    model->CommitChanges();
    EXPECT_TRUE(Applied(page.page));
    Choose(page.page, IDC_KNOWN_VOLUME_MODE, 2);
    EXPECT_FALSE(model->GetKnownVolumeCalibrationApplied());
    EXPECT_FALSE(Applied(page.page));
    EXPECT_EQ(L"", Text(page.page, IDC_KNOWN_VOLUME_1)) << "the new mode's EDV is empty";

    // A selection of the pressure channel will not do; one of the volume channel in one record without
    // any extent has no loops to measure.
    const TickPosition at{0, 20}, later{0, 80};
    ASSERT_EQ(S_OK, fixture.Host().SelectRange(0, &at, &later));
    TakeBalloonTitle();
    Click(page.page, StepControl::FirstFromSelection);
    EXPECT_EQ(L"No Volume Selection", TakeBalloonTitle());
    ASSERT_EQ(S_OK, fixture.Host().SelectRange(1, &at, &at));
    Click(page.page, StepControl::FirstFromSelection);
    EXPECT_EQ(L"No Loops Detected", TakeBalloonTitle());
}
