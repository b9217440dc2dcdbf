#include "controls/balloon/BalloonCheckBox.h"
#include "controls/dialogs/DialogBase.h"
#include "controls/dialogs/SettingsWarningDialog.h"
#include "controls/tests/ControlsTestIds.h"

#include "platform/owl/Module.h"
#include "platform/owl/tests/Screenshot.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

namespace
{

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

TEST(BalloonText, LinesBreakAfterCommasAndSpacesOutsideQuotes)
{
    const std::wstring hundred(100, L'x');
    struct
    {
        std::wstring content, wrapped;
    } const cases[] = {
        {L"", L" \n"},
        {L" ", L" \n"},
        {L"   ", L""},
        {L"Stroke work,  the area", L"Stroke work,the area\r\n"}, // white space after a break point goes
        {L"first\nsecond", L"first\r\nsecond\r\n"},
        {L"first\n\nsecond", L"first\r\nsecond\r\n"},
        {L"first\r\n\nsecond", L"first\r\n\r\nsecond\r\n"},
        {hundred, hundred.substr(0, 59) + L"\r\n" + hundred.substr(59) + L"\r\n"},
        {L"The area enclosed by the loop,   which is the work the ventricle does in one beat",
         L"The area enclosed by the loop,which is the work the \r\nventricle does in one beat\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.wrapped, OrvControls::WrapBalloonText(c.content)) << '"' << Narrow(c.content) << '"';
}

TEST(BalloonText, AQuotedPartIsNotBrokenAndACutInsideItCarriesTheQuoteOn)
{
    const std::wstring quoted = L"\"" + std::wstring(70, L'q') + L"\" tail";
    const std::wstring wrapped = OrvControls::WrapBalloonText(quoted);
    EXPECT_EQ(quoted.substr(0, 59) + L"\r\n", wrapped.substr(0, 61)) << "cut at 59 with no break outside quotes";
    EXPECT_EQ(std::wstring::npos, wrapped.find(L'\x01')) << "the quote marker never shows";
}

class SettingsDialog : public Orv::DialogBase
{
public:
    explicit SettingsDialog(OWL::TModule* module) : Orv::DialogBase(nullptr, IDD_CONTROLS_EDIT_DIALOG, module)
    {
        check = new OrvControls::TBalloonCheckBox(this, IDC_CONTROLS_CHECK);
        separator = new OrvControls::DialogSeparator(this, IDC_CONTROLS_SEPARATOR);
    }
    OrvControls::TBalloonCheckBox* check;
    OrvControls::DialogSeparator* separator;
};

TEST(BalloonCheckBox, AClickCancelsTheBalloonUntilThePointerHasLeft)
{
    OWL::TModule self(L"tests", GetModuleHandleW(nullptr), false);
    SettingsDialog dialog(&self);
    ASSERT_TRUE(dialog.Create());
    auto& check = *dialog.check;
    check.SetBalloonText(0, L"Stroke work", L"The area of the loop.", 0);
    EXPECT_EQ(L"The area of the loop.\r\n", check.Content());
    check.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 4));
    EXPECT_TRUE(check.Tracking());
    check.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(10, 4));
    check.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 4));
    EXPECT_TRUE(check.Suppressed());
    check.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(30, 4));
    EXPECT_FALSE(check.Shown()) << "no balloon while suppressed";
    check.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(check.Suppressed());
    EXPECT_FALSE(check.Tracking());

    check.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 4));
    check.SendMessage(WM_TIMER, OrvControls::TBalloonCheckBox::HoverTimer);
    EXPECT_TRUE(check.Shown()) << "the hover timer shows the balloon";
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(dialog.GetHandle(), L"balloon_check_box");
    check.SendMessage(WM_MOUSELEAVE);
    dialog.Destroy();
}

TEST(DialogSeparator, TheLineRunsFromFivePixelsAfterTheCaptionAtHalfTheHeightPlusOne)
{
    OWL::TModule self(L"tests", GetModuleHandleW(nullptr), false);
    SettingsDialog dialog(&self);
    ASSERT_TRUE(dialog.Create());
    auto& separator = *dialog.separator;
    const OWL::TPoint start = separator.LineStart();
    EXPECT_EQ(separator.GetClientRect().Height() / 2 + 1, start.y);
    EXPECT_GT(start.x, 5);
    separator.Invalidate();
    separator.UpdateWindow();
    HDC dc = GetDC(separator.GetHandle());
    EXPECT_EQ(separator.LineColour(), GetPixel(dc, separator.GetClientRect().Width() - 2, start.y));
    ReleaseDC(separator.GetHandle(), dc);
    OwlTest::SaveWindowPng(dialog.GetHandle(), L"dialog_separator");
    dialog.Destroy();
}

TEST(DialogSettingsWarningDlg, ShowsTheErrorIconInItsTextAndTheProductsName)
{
    OrvControls::DialogSettingsWarningDlg notice(nullptr);
    ASSERT_TRUE(notice.Create());
    EXPECT_EQ(L"Kymorama", notice.GetWindowText());
    RECT bitmap{};
    GetClientRect(notice.GetDlgItem(IDC_CONTROLS_WARNING_BITMAP), &bitmap);
    EXPECT_EQ(12, bitmap.right) << "sized to the error bitmap";
    EXPECT_NE(nullptr, reinterpret_cast<HICON>(
                           SendDlgItemMessageW(notice.GetHandle(), IDC_CONTROLS_WARNING_ICON, STM_GETICON, 0, 0)));
    notice.ShowWindow(SW_SHOW);
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(notice.GetHandle(), L"settings_warning_dialog");
    notice.Destroy();
}

} // namespace
