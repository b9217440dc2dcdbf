#include "dialogs/steps/AlphaDlg.h"

#include "dialogs/tests/DialogTestSupport.h"
#include "document/models/ModelValues.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Sistra;

TEST(AlphaDlg, AlphaIsTheCathetersValueOverTheReferencesForTheChosenQuantity)
{
    const struct
    {
        int32_t from;
        double coMillar, coRef, svMillar, svRef;
        double alpha; // NaN: none
    } cases[] = {
        {1, 0.9, 1.0, 5.0, 4.0, 0.9},
        {2, 0.9, 1.0, 5.0, 4.0, 1.25},
        {1, 0.9, 0.0, 5.0, 4.0, NAN},
        {1, 0.9, 1e-40, 5.0, 4.0, NAN},
        {2, 0.9, 1.0, 5.0, BlankMarker(), NAN},
        {0, 0.9, 1.0, 5.0, 4.0, NAN},
    };
    for (const auto& c : cases)
    {
        const double alpha = ComputeAlpha(c.from, c.coMillar, c.coRef, c.svMillar, c.svRef);
        if (std::isnan(c.alpha))
            EXPECT_TRUE(std::isnan(alpha)) << c.from << " " << c.coRef;
        else
            EXPECT_DOUBLE_EQ(c.alpha, alpha);
    }
}

TEST(AlphaDlg, TypedValuesGiveTheResultAndAnEmptiedBoxWithdrawsTheCalibration)
{
    DialogTests::DocumentFixture fixture;
    const ModelPtr model = fixture.Document().GetModel(ModelKind::AlphaCalib);
    model->SetValue<PropertyType::Int>(PropertyId::AlphaSource, 1);
    model->CommitChanges();
    DialogTests::TestPane pane;
    HWND page = CreateStepPage(StepId::AlphaDlg, pane.Window(), &fixture.Document());
    ASSERT_TRUE(page);
    ShowWindow(page, SW_SHOW);
    const auto text = [&](int id) {
        wchar_t buffer[64] = {};
        GetDlgItemTextW(page, id, buffer, 64);
        return std::wstring(buffer);
    };
    const auto type = [&](int id, const wchar_t* typed) {
        SendDlgItemMessageW(page, id, EM_SETSEL, 0, -1);
        SendDlgItemMessageW(page, id, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed));
    };
    EXPECT_EQ(L"CO[Millar]:", text(IDC_ALPHA_UPPER_LABEL));
    EXPECT_EQ(L"mL/min", text(IDC_ALPHA_UPPER_UNIT));
    type(IDC_ALPHA_UPPER, L"0.9");
    type(IDC_ALPHA_LOWER, L"1.0");
    EXPECT_EQ(L"= 0.9", text(IDC_ALPHA_RESULT));
    EXPECT_EQ(L"1.0", text(IDC_ALPHA_LOWER)) << "the box typed in is not rewritten";
    DialogTests::SaveShown(pane.Window(), L"dialogs_alpha_step");

    model->SetAlphaCalibrationApplied(true);
    model->CommitChanges();
    type(IDC_ALPHA_LOWER, L"0");
    EXPECT_EQ(L"", text(IDC_ALPHA_RESULT));
    type(IDC_ALPHA_LOWER, L"");
    EXPECT_FALSE(model->GetValue<PropertyType::Bool>(PropertyId::AlphaCalibrationApplied));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, StepControl::Apply));

    // Stroke volume: the boxes are relabelled but neither rewritten nor worked out again.
    SendDlgItemMessageW(page, IDC_ALPHA_FROM, CB_SETCURSEL, 0, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_ALPHA_FROM, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_ALPHA_FROM)));
    EXPECT_EQ(2, model->GetValue<PropertyType::Int>(PropertyId::AlphaSource));
    EXPECT_EQ(L"SV[Ref]:", text(IDC_ALPHA_LOWER_LABEL));
    EXPECT_EQ(L"mL", text(IDC_ALPHA_LOWER_UNIT));
    EXPECT_EQ(L"0.9", text(IDC_ALPHA_UPPER));
    DestroyWindow(page);
}
