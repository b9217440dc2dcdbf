#include "tableview/dialogs/SigFigDialog.h"

#include "platform/owl/tests/Screenshot.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

namespace
{

using TableView::SigFigDialog;

std::wstring DigitsText(const SigFigDialog& dialog)
{
    wchar_t text[32] = {};
    GetDlgItemTextW(dialog.GetHandle(), IDC_TABLE_SIGFIG_DIGITS, text, 32);
    return text;
}

bool AppliesToAll(const SigFigDialog& dialog)
{
    return IsDlgButtonChecked(dialog.GetHandle(), IDC_TABLE_SIGFIG_APPLY_ALL) == BST_CHECKED;
}

TEST(SigFigDialog, ShowsTheCallersValues)
{
    const struct
    {
        int digits;
        bool applyToAll;
        const wchar_t* shown;
    } cases[] = {{SigFigDialog::DefaultDigits, false, L"4"}, {7, true, L"7"}};
    for (const auto& c : cases)
    {
        SigFigDialog dialog(nullptr);
        dialog.digits = c.digits;
        dialog.applyToAll = c.applyToAll;
        ASSERT_TRUE(dialog.Create());
        EXPECT_EQ(c.shown, DigitsText(dialog));
        EXPECT_EQ(c.applyToAll, AppliesToAll(dialog));
        EXPECT_EQ(L"Format Column", dialog.GetWindowText());
        if (c.applyToAll)
        {
            dialog.ShowWindow(SW_SHOW);
            SetForegroundWindow(dialog.GetHandle());
            for (int round = 0; round < 5; ++round)  // the X server shows what was drawn a little later
            {
                RedrawWindow(dialog.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                OwlTest::PumpMessages();
                Sleep(50);
            }
            OwlTest::SaveWindowPng(dialog.GetHandle(), L"table_sigfig_dialog");
        }
        dialog.Destroy();
    }
}

TEST(SigFigDialog, OkClosesOnlyOnADigitCountFromOneToTen)
{
    const struct
    {
        const wchar_t* typed;
        bool check;
        bool closes;
        int digits;
    } cases[] = {
        {L"11", false, false, 11},  // the value is read before the range check refuses it
        {L"0", false, false, 0},
        {L"10", true, true, 10},
        {L"1", false, true, 1},
    };
    for (const auto& c : cases)
    {
        SigFigDialog dialog(nullptr);
        ASSERT_TRUE(dialog.Create());
        SetDlgItemTextW(dialog.GetHandle(), IDC_TABLE_SIGFIG_DIGITS, c.typed);
        CheckDlgButton(dialog.GetHandle(), IDC_TABLE_SIGFIG_APPLY_ALL, c.check ? BST_CHECKED : BST_UNCHECKED);
        dialog.SendMessage(WM_COMMAND, IDOK);
        EXPECT_EQ(c.closes, dialog.GetHandle() == nullptr) << c.typed;
        EXPECT_EQ(c.digits, dialog.digits) << c.typed;
        EXPECT_EQ(c.check, dialog.applyToAll) << c.typed;
        if (dialog.GetHandle())
            dialog.Destroy();
    }
}

} // namespace
