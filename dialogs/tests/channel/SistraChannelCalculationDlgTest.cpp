#include "dialogs/channel/SistraChannelCalculationDlg.h"

#include "calc/channel/ChannelCalculationDialog.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "resources/ResourceIds.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace
{

using Sistra::ChannelCalculationSettings;

constexpr const wchar_t* Caption = L"Sistra";
constexpr uint32_t MaximumVolume = 4;   // in the volume channel's unit, mL

// A record the settings class would make, with the parameter and range given.
Orv::ComPtr<ChannelCalculationSettings> Record(uint32_t parameter, float low, float high)
{
    auto record = Orv::ComPtr<ChannelCalculationSettings>::Adopt(new ChannelCalculationSettings());
    record->parameterIndex = parameter;
    record->low = low;
    record->high = high;
    record->autoScale = false;
    return record;
}

void StepDecimals(HWND dialog, int delta)
{
    NMUPDOWN step{};
    step.hdr.hwndFrom = GetDlgItem(dialog, IDC_CHANNEL_DECIMALS_SPIN);
    step.hdr.idFrom = IDC_CHANNEL_DECIMALS_SPIN;
    step.hdr.code = UDN_DELTAPOS;
    step.iDelta = delta;
    SendMessageW(dialog, WM_NOTIFY, IDC_CHANNEL_DECIMALS_SPIN, reinterpret_cast<LPARAM>(&step));
}

// The scale shows the stored range in the parameter's unit, which carries the channels' prefixes in its
// name, and reads it back so; the arrows keep the decimal places within 0 to 6, as typing does at once;
// auto scale takes the typed scale out of use; OK refuses, in words, what it would otherwise read as
// another value.
TEST(SistraChannelCalculationDlg, TheScaleIsShownInTheParametersUnitAndKeptInItsLimits)
{
    DialogTests::DocumentFixture fixture;
    const auto record = Record(MaximumVolume, 1.0f, 50.0f);
    Sistra::SistraChannelCalculationDlg dialog(nullptr, nullptr, fixture.Host().Unknown(), *record.Get());
    ASSERT_TRUE(dialog.Create());
    const HWND shown = dialog.GetHandle();
    EXPECT_EQ(L"mL", DialogTests::TextOf(shown, IDC_CHANNEL_TOP_UNIT));
    EXPECT_EQ(L"50", DialogTests::TextOf(shown, IDC_CHANNEL_TOP));
    EXPECT_EQ(L"1", DialogTests::TextOf(shown, IDC_CHANNEL_BOTTOM));
    EXPECT_EQ(L"4", DialogTests::TextOf(shown, IDC_CHANNEL_DECIMALS));

    SetDlgItemTextW(shown, IDC_CHANNEL_DECIMALS, L"9");
    EXPECT_EQ(L"6", DialogTests::TextOf(shown, IDC_CHANNEL_DECIMALS));
    StepDecimals(shown, 1);
    EXPECT_EQ(L"6", DialogTests::TextOf(shown, IDC_CHANNEL_DECIMALS));
    StepDecimals(shown, -1);
    EXPECT_EQ(L"5", DialogTests::TextOf(shown, IDC_CHANNEL_DECIMALS));

    DialogTests::Click(shown, IDC_CHANNEL_AUTO_SCALE);
    for (int control : {IDC_CHANNEL_TOP, IDC_CHANNEL_BOTTOM, IDC_CHANNEL_TOP_LABEL, IDC_CHANNEL_BOTTOM_UNIT})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(shown, control))) << control;
    DialogTests::SaveShown(shown, L"channel_calculation_dialog");
    DialogTests::Click(shown, IDC_CHANNEL_AUTO_SCALE);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(shown, IDC_CHANNEL_TOP)));
    EXPECT_EQ(L"50", DialogTests::TextOf(shown, IDC_CHANNEL_TOP));

    const struct
    {
        const wchar_t *top, *bottom, *decimals;
        const wchar_t* says; // null: taken
    } typed[] = {
        {L"abc", L"1", L"5", L"The top of the scale must be a number from -3.4e+38 to 3.4e+38 mL."},
        {L"", L"1", L"5", L"The top of the scale must be a number"},
        {L"1e400", L"1", L"5", L"The top of the scale must be a number"},
        {L"20", L"none", L"5", L"The bottom of the scale must be a number"},
        {L"20", L"20", L"5", L"The top and the bottom of the scale must differ: a scale from 20 to 20 mL shows nothing."},
        {L"20", L"0", L"99", nullptr}, // shown as 6 at once
        {L"20", L"0", L"", L"The decimal places must be a whole number from 0 to 6."},
        {L"20", L"0", L"2.5", L"The decimal places must be a whole number from 0 to 6."},
        {L" 20 ", L"0", L"5", nullptr},
    };
    for (const auto& entry : typed)
    {
        SetDlgItemTextW(shown, IDC_CHANNEL_TOP, entry.top);
        SetDlgItemTextW(shown, IDC_CHANNEL_BOTTOM, entry.bottom);
        SetDlgItemTextW(shown, IDC_CHANNEL_DECIMALS, entry.decimals);
        const size_t boxes = DialogTests::MessageBoxes().size();
        EXPECT_EQ(entry.says == nullptr, dialog.CanClose()) << Orv::String(entry.top).Narrow();
        const auto shownBoxes = DialogTests::MessageBoxes();
        ASSERT_EQ(boxes + (entry.says ? 1 : 0), shownBoxes.size());
        if (entry.says)
        {
            EXPECT_TRUE(shownBoxes.back().text.starts_with(entry.says)) << Orv::String(shownBoxes.back().text.c_str()).Narrow();
        }
    }
    EXPECT_FLOAT_EQ(20.0f, record->high);
    EXPECT_FLOAT_EQ(0.0f, record->low);
    EXPECT_FLOAT_EQ(5.0f, record->decimalPlaces);
    EXPECT_FALSE(record->autoScale);
    EXPECT_EQ(MaximumVolume, record->parameterIndex);
    dialog.Destroy();
}

// Shown to a person through the computed channel's settings command: a record naming no parameter of
// the list opens on the first, OK stores what is chosen, Cancel leaves the record as it was.
TEST(SistraChannelCalculationDlg, TheChannelsCommandStoresTheChosenParameterOnlyOnOk)
{
    for (const int button : {IDCANCEL, IDOK})
    {
        SCOPED_TRACE(button);
        DialogTests::DocumentFixture fixture;
        const auto record = Record(40, -1.0f, 1.0f);
        int openedOn = -1;
        StandInHost::StandIn().ShowModuleDialogs(VARIANT_TRUE);
        const int closed = DialogTests::WithModalScript(Caption, [&](HWND shown) {
            openedOn = static_cast<int>(SendDlgItemMessageW(shown, IDC_CHANNEL_PARAMETER, CB_GETCURSEL, 0, 0));
            SendDlgItemMessageW(shown, IDC_CHANNEL_PARAMETER, CB_SETCURSEL, MaximumVolume - 1, 0);
            SendMessageW(shown, WM_COMMAND, MAKEWPARAM(IDC_CHANNEL_PARAMETER, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(GetDlgItem(shown, IDC_CHANNEL_PARAMETER)));
            DialogTests::Click(shown, button);
        }, [&] { return Sistra::RunChannelCalculationDialog(nullptr, nullptr, fixture.Host().Unknown(), *record.Get()); });
        StandInHost::StandIn().ShowModuleDialogs(VARIANT_FALSE);
        EXPECT_EQ(button, closed);
        EXPECT_EQ(0, openedOn);
        EXPECT_EQ(button == IDOK ? MaximumVolume : 40u, record->parameterIndex);
    }
}

} // namespace
