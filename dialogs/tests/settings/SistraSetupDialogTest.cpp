#include "dialogs/settings/SistraSetupDialog.h"

#include "controls/errors/ErrorProvider.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "document/models/ModelFactory.h"
#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{

namespace ModelKind = Sistra::ModelKind;
namespace PropertyId = Sistra::PropertyId;
using Sistra::FieldCheck;
using Sistra::ModelPtr;
using Sistra::PropertyType;
using Sistra::RecordingPosition;

constexpr const wchar_t* Caption = L"Sistra Settings ";
constexpr int32_t NoChannel = static_cast<int32_t>(0x80000000u);

// The setup and Tau copies the document's command would hand the dialog.
struct Copies
{
    ModelPtr setup;
    ModelPtr tau;

    explicit Copies(Sistra::SistraDocument& document)
        : setup(Sistra::ModelClassObjBase::CreateModel(ModelKind::WorkflowSetup, &document, Sistra::ModelRole::Snapshot)),
          tau(Sistra::ModelClassObjBase::CreateModel(ModelKind::TauModel, &document, Sistra::ModelRole::Snapshot))
    {
        setup->CopyFrom(document.GetSetupModel().get());
        tau->CopyFrom(document.GetModel(ModelKind::TauModel).get());
        setup->SetSuppressCommit(true);
        tau->SetSuppressCommit(true);
    }
};

void Choose(HWND dialog, int id, int index)
{
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Types the text and leaves the box, as a person tabbing on would.
void Type(HWND dialog, int id, const wchar_t* text)
{
    SetDlgItemTextW(dialog, id, text);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST(SettingsNumbers, TypedThresholdsAreReadInTheirUnitAndCheckedInBaseUnits)
{
    const struct
    {
        const wchar_t* text;
        double factor;
        FieldCheck check;
        double value;
    } heights[] = {
        {L"500", 1e-3, FieldCheck::Valid, 0.5},
        {L"1e-9", 1.0, FieldCheck::Valid, 1e-9},
        {L"1000", 1.0, FieldCheck::Valid, 1000.0},
        {L"0", 1.0, FieldCheck::OutOfRange, 0.0},
        {L"1000.5", 1.0, FieldCheck::OutOfRange, 1000.5},
        {L"2e6", 1e-3, FieldCheck::OutOfRange, 2000.0},
        {L"12abc", 1.0, FieldCheck::Valid, 12.0},
        {L"  7", 1.0, FieldCheck::Valid, 7.0},
        {L"abc", 1.0, FieldCheck::NotANumber, 0.0},
        {L"", 1.0, FieldCheck::NotANumber, 0.0},
    };
    for (const auto& c : heights)
    {
        double value = 0.0;
        EXPECT_EQ(c.check, Sistra::CheckMinPeakHeight(Orv::String(c.text), c.factor, value)) << c.text;
        if (c.check != FieldCheck::NotANumber)
        {
            EXPECT_DOUBLE_EQ(c.value, value) << c.text;
        }
    }
    const struct
    {
        const wchar_t* text;
        int32_t unit;
        FieldCheck check;
        double seconds;
    } periods[] = {
        {L"250", Sistra::SistraSetupDialog::PeriodInMilliseconds, FieldCheck::Valid, 0.25},
        {L"10000000", Sistra::SistraSetupDialog::PeriodInMilliseconds, FieldCheck::Valid, 10000.0},
        {L"10000001", Sistra::SistraSetupDialog::PeriodInMilliseconds, FieldCheck::OutOfRange, 10000.001},
        {L"0", Sistra::SistraSetupDialog::PeriodInSeconds, FieldCheck::Valid, 0.0},
        {L"-1", Sistra::SistraSetupDialog::PeriodInSeconds, FieldCheck::OutOfRange, -1.0},
        {L"s", Sistra::SistraSetupDialog::PeriodInSeconds, FieldCheck::NotANumber, 0.0},
    };
    for (const auto& c : periods)
    {
        double value = 0.0;
        EXPECT_EQ(c.check, Sistra::CheckMinPeriod(Orv::String(c.text), c.unit, value)) << c.text;
        if (c.check != FieldCheck::NotANumber)
        {
            EXPECT_DOUBLE_EQ(c.seconds, value) << c.text;
        }
    }
}

// Unset channels open as the first two and are stored so; without a QRS event source the ECG choice
// is disabled and a stored ECG detection falls back to the pressure signal.
TEST(SistraSetupDialog, OpensWithTheFirstChannelsAndPressureDetectionWhenThereIsNoEcg)
{
    DialogTests::DocumentFixture fixture;
    Copies copies(fixture.Document());
    copies.setup->SetPressureChannel(NoChannel);
    copies.setup->SetVolumeChannel(NoChannel);
    copies.setup->SetDetectionSource(1);
    Sistra::SistraSetupDialog dialog(nullptr, fixture.Document(), copies.setup, copies.tau);
    ASSERT_TRUE(dialog.Create());
    const HWND shown = dialog.GetHandle();
    EXPECT_EQ(0, copies.setup->GetPressureChannel());
    EXPECT_EQ(1, copies.setup->GetVolumeChannel());
    EXPECT_EQ(0, copies.setup->GetValue<PropertyType::Int>(PropertyId::DetectionSource));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(shown, IDC_SETTINGS_FROM_ECG)));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(shown, IDC_SETTINGS_FROM_PRESSURE));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(shown, IDC_SETTINGS_PEAK_HEIGHT)));
    EXPECT_EQ(L"mmHg", DialogTests::TextOf(shown, IDC_SETTINGS_PRESSURE_UNIT));
    dialog.Destroy();
}

// OK is refused, the dialog staying open with its edits, for an invalid number (the settings warning),
// one channel chosen twice, and otherwise takes everything into the copies.
TEST(SistraSetupDialog, OkIsRefusedForInvalidNumbersAndOneChannelTwice)
{
    const struct
    {
        const char* name;
        int pressure;
        int volume;
        const wchar_t* height;
        const wchar_t* period;
        bool closes;
        const wchar_t* caption;   // of the last message the host answered; null: none
    } cases[] = {
        {"valid", 0, 1, L"15", L"200", true, nullptr},
        {"height no number", 0, 1, L"x", L"200", false, L"SettingsWarning"},
        {"period out of range", 0, 1, L"15", L"-3", false, L"SettingsWarning"},
        {"same channels", 1, 1, L"15", L"200", false, L"Sistra"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        DialogTests::DocumentFixture fixture;
        Copies copies(fixture.Document());
        copies.setup->SetValue<PropertyType::Int>(PropertyId::MinimumPeriodUnit,
                                                  Sistra::SistraSetupDialog::PeriodInMilliseconds);
        Sistra::SistraSetupDialog dialog(nullptr, fixture.Document(), copies.setup, copies.tau);
        ASSERT_TRUE(dialog.Create());
        const HWND shown = dialog.GetHandle();
        const size_t before = DialogTests::MessageBoxes().size();
        Choose(shown, IDC_SETTINGS_PRESSURE, c.pressure);
        Choose(shown, IDC_SETTINGS_VOLUME, c.volume);
        SetDlgItemTextW(shown, IDC_SETTINGS_PEAK_HEIGHT, c.height);
        SetDlgItemTextW(shown, IDC_SETTINGS_PERIOD, c.period);
        EXPECT_EQ(c.closes, dialog.CanClose());
        const auto boxes = DialogTests::MessageBoxes();
        if (c.caption)
        {
            ASSERT_EQ(before + 1, boxes.size());
            EXPECT_EQ(c.caption, boxes.back().caption);
        }
        else
        {
            EXPECT_EQ(before, boxes.size());
            EXPECT_DOUBLE_EQ(15.0, copies.setup->GetValue<PropertyType::Double>(PropertyId::MinimumPeakHeight));
            EXPECT_DOUBLE_EQ(0.2, copies.setup->GetValue<PropertyType::Double>(PropertyId::MinimumPeriod));
        }
        EXPECT_EQ(c.height, DialogTests::TextOf(shown, IDC_SETTINGS_PEAK_HEIGHT));
        dialog.Destroy();
    }
}

// The dialog's error titles and messages stand under the dialog's own string ids, where a translation
// of the dialog finds them.
TEST(SistraSetupDialog, ItsMessagesHaveTheDialogsOwnStringIds)
{
    const struct
    {
        UINT id;
        const wchar_t* text;
    } texts[] = {
        {22909, L"Not A Number"},
        {22910, L"The text entered is not a number."},
        {22911, L"Out of Range"},
        {22913, L"Not A Number"},
        {22914, L"The text entered is not a number."},
        {22915, L"Out of Range"},
        {175, L"The pressure and volume source channels are the same. You must select different source channels "
              L"before continuing."},
        {177, L"These settings will create a circular dependancy. Choose Pressure and Volume channels that don't "
              L"depend on the PV analysis."},
    };
    for (const auto& t : texts)
        EXPECT_STREQ(t.text, Orv::LoadedText(t.id).c_str()) << t.id;
}

// A threshold keeps its physical size when its unit changes: 500 typed on a channel in milli-units is
// 0.5 base units, shown as 0.5 on a channel without prefix; 250 ms becomes 0.25 s. An out-of-range
// height names the limits in the channel's unit.
TEST(SistraSetupDialog, ThresholdsKeepTheirSizeWhenTheirUnitChanges)
{
    DialogTests::DocumentFixture fixture;
    Copies copies(fixture.Document());
    copies.setup->SetPressureChannel(1);   // the volume channel, in mL
    copies.setup->SetVolumeChannel(0);
    copies.setup->SetValue<PropertyType::Int>(PropertyId::MinimumPeriodUnit,
                                              Sistra::SistraSetupDialog::PeriodInMilliseconds);
    Sistra::SistraSetupDialog dialog(nullptr, fixture.Document(), copies.setup, copies.tau);
    ASSERT_TRUE(dialog.Create());
    const HWND shown = dialog.GetHandle();
    EXPECT_EQ(L"mL", DialogTests::TextOf(shown, IDC_SETTINGS_PRESSURE_UNIT));
    Type(shown, IDC_SETTINGS_PEAK_HEIGHT, L"500");
    EXPECT_DOUBLE_EQ(0.5, copies.setup->GetValue<PropertyType::Double>(PropertyId::MinimumPeakHeight));
    SetDlgItemTextW(shown, IDC_SETTINGS_PEAK_HEIGHT, L"0");
    auto* unit = dynamic_cast<OrvControls::StaticTextErrorProvider*>(dialog.ChildWithId(IDC_SETTINGS_PRESSURE_UNIT));
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(L"Out of Range", std::wstring(unit->Icon().Title().c_str()));
    const std::wstring limits = std::wstring(L"The minimum peak height must be between ") +
                                Sistra::FormatNumber(1e-6).c_str() + L" and " + Sistra::FormatNumber(1e6).c_str() +
                                L" mL.";
    EXPECT_EQ(limits, std::wstring(unit->Icon().Text().c_str()));
    DialogTests::SaveShown(shown, L"settings_dialog_out_of_range");
    SetDlgItemTextW(shown, IDC_SETTINGS_PEAK_HEIGHT, L"500");
    EXPECT_TRUE(unit->Icon().Text().IsEmpty());
    Choose(shown, IDC_SETTINGS_PRESSURE, 0);
    EXPECT_EQ(L"mmHg", DialogTests::TextOf(shown, IDC_SETTINGS_PRESSURE_UNIT));
    EXPECT_EQ(L"0.5", DialogTests::TextOf(shown, IDC_SETTINGS_PEAK_HEIGHT));

    Type(shown, IDC_SETTINGS_PERIOD, L"250");
    EXPECT_DOUBLE_EQ(0.25, copies.setup->GetValue<PropertyType::Double>(PropertyId::MinimumPeriod));
    Choose(shown, IDC_SETTINGS_PERIOD_UNIT, 1);
    EXPECT_EQ(L"0.25", DialogTests::TextOf(shown, IDC_SETTINGS_PERIOD));
    EXPECT_EQ(Sistra::SistraSetupDialog::PeriodInSeconds,
              copies.setup->GetValue<PropertyType::Int>(PropertyId::MinimumPeriodUnit));
    dialog.Destroy();
}

// The least peak height is a pressure: its default of 20 mmHg shows in the pressure channel's unit, OK with
// the text left as shown keeps it to the last digit, and a height typed there is kept as the same pressure.
TEST(SistraSetupDialog, ThePeakHeightShowsAsTheSamePressureInThePressureChannelsUnit)
{
    const struct
    {
        const char* unit;
        const wchar_t* shown;
        double perMmHg;
    } units[] = {{"mmHg", L"20", 1.0},
                 {"kPa", L"2.666", 0.133322387415},
                 {"cmH2O", L"27.19", 133.322387415 / 98.0665},
                 {"Pa", L"2666.4", 133.322387415}};
    for (const auto& u : units)
    {
        SCOPED_TRACE(u.unit);
        DialogTests::DocumentFixture fixture(u.unit);
        Copies copies(fixture.Document());
        Sistra::SistraSetupDialog dialog(nullptr, fixture.Document(), copies.setup, copies.tau);
        ASSERT_TRUE(dialog.Create());
        const HWND shown = dialog.GetHandle();
        EXPECT_EQ(std::wstring(u.unit, u.unit + std::strlen(u.unit)), DialogTests::TextOf(shown, IDC_SETTINGS_PRESSURE_UNIT));
        EXPECT_EQ(u.shown, DialogTests::TextOf(shown, IDC_SETTINGS_PEAK_HEIGHT));
        EXPECT_TRUE(dialog.CanClose());
        EXPECT_EQ(20.0, copies.setup->GetValue<PropertyType::Double>(PropertyId::MinimumPeakHeight));
        Type(shown, IDC_SETTINGS_PEAK_HEIGHT, L"4");
        EXPECT_DOUBLE_EQ(4.0 / u.perMmHg, copies.setup->GetValue<PropertyType::Double>(PropertyId::MinimumPeakHeight));
        dialog.Destroy();
    }
}

// The QRS list offers the host's sources that yield events, by their texts, but never the module's own
// loop events; choosing ECG detection stores the chosen source's name.
TEST(SistraSetupDialog, TheQrsListOffersEventSourcesButTheModulesOwn)
{
    DialogTests::DocumentFixture fixture("mmHg", {"cmpeakdet(ch1, 1, 0.2)", "ch1 * 2"});
    Orv::ComPtr<IHostCalcItems> items;
    ASSERT_EQ(S_OK, fixture.Host().Unknown()->QueryInterface(IID_IHostCalcItems, items.PutVoid()));
    HostItemId own;
    ASSERT_EQ(S_OK, items->FindItem(L"SISTRA", &own));
    ASSERT_EQ(S_OK, items->SetItemCalculation(own, L"cmpeakdet(ch2, 1, 0.2)", nullptr));
    Copies copies(fixture.Document());
    Sistra::SistraSetupDialog dialog(nullptr, fixture.Document(), copies.setup, copies.tau);
    ASSERT_TRUE(dialog.Create());
    const HWND shown = dialog.GetHandle();
    EXPECT_EQ((Sistra::EcgSourceMap{{L"cmpeakdet(ch1, 1, 0.2)", L"vch1"}}), dialog.EcgSources());
    DialogTests::Click(shown, IDC_SETTINGS_FROM_ECG);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(shown, IDC_SETTINGS_ECG_SOURCE)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(shown, IDC_SETTINGS_PEAK_HEIGHT)));
    DialogTests::SaveShown(shown, L"settings_dialog");
    ASSERT_TRUE(dialog.CanClose());
    EXPECT_EQ(1, copies.setup->GetValue<PropertyType::Int>(PropertyId::DetectionSource));
    EXPECT_EQ(L"vch1", std::wstring(copies.setup->GetEcgEventSource().c_str()));
    dialog.Destroy();
}

// A source the settings name that the host does not list (a calculation's own text) is offered, chosen,
// while it yields events: OK without a change keeps the detection it found (it switched to the pressure).
TEST(SistraSetupDialog, TheStoredQrsSourceStaysOnOfferAndOkWithoutAChangeKeepsIt)
{
    constexpr const wchar_t* Stored = L"cmpeakdet(ch1, 1, 0.2)";
    DialogTests::DocumentFixture fixture;
    Copies copies(fixture.Document());
    copies.setup->SetDetectionSource(1);
    copies.setup->SetEcgEventSource(Orv::String(Stored));
    Sistra::SistraSetupDialog dialog(nullptr, fixture.Document(), copies.setup, copies.tau);
    ASSERT_TRUE(dialog.Create());
    const HWND shown = dialog.GetHandle();
    EXPECT_EQ((Sistra::EcgSourceMap{{Stored, Stored}}), dialog.EcgSources());
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(shown, IDC_SETTINGS_FROM_ECG));
    EXPECT_EQ(Stored, DialogTests::TextOf(shown, IDC_SETTINGS_ECG_SOURCE));
    ASSERT_TRUE(dialog.CanClose());
    EXPECT_EQ(1, copies.setup->GetValue<PropertyType::Int>(PropertyId::DetectionSource));
    EXPECT_EQ(Stored, std::wstring(copies.setup->GetEcgEventSource().c_str()));
    dialog.Destroy();
}

// The selection region stores the host's selection and turns online analysis off; the whole channel
// stores the whole recording.
TEST(SistraSetupDialog, TheRegionChoiceStoresTheHostsSelectionOrTheWholeRecording)
{
    DialogTests::DocumentFixture fixture;
    fixture.Host().SetSelection(TickPosition{0, 10}, TickPosition{1, 20});
    Copies copies(fixture.Document());
    copies.setup->SetOnlineMode(true);
    Sistra::SistraSetupDialog dialog(nullptr, fixture.Document(), copies.setup, copies.tau);
    ASSERT_TRUE(dialog.Create());
    const HWND shown = dialog.GetHandle();
    DialogTests::Click(shown, IDC_SETTINGS_SELECTION);
    EXPECT_EQ(0, copies.setup->GetValue<PropertyType::Int>(PropertyId::RegionMode));
    EXPECT_FALSE(copies.setup->GetValue<PropertyType::Bool>(PropertyId::OnlineMode));
    EXPECT_EQ((RecordingPosition{10, 0}), copies.setup->GetValue<PropertyType::Position>(PropertyId::RegionStart));
    EXPECT_EQ((RecordingPosition{20, 1}), copies.setup->GetValue<PropertyType::Position>(PropertyId::RegionEnd));
    DialogTests::Click(shown, IDC_SETTINGS_WHOLE_CHANNEL);
    EXPECT_EQ(1, copies.setup->GetValue<PropertyType::Int>(PropertyId::RegionMode));
    EXPECT_EQ((RecordingPosition{0, 0}), copies.setup->GetValue<PropertyType::Position>(PropertyId::RegionStart));
    EXPECT_EQ((RecordingPosition{0x7FFFFFFF, 0x7FFFFFFF}),
              copies.setup->GetValue<PropertyType::Position>(PropertyId::RegionEnd));
    dialog.Destroy();
}

// Once the document has analysed, only a channel whose calculation reads the loop events, directly or
// through another channel, counts as depending on the analysis; OK takes two recorded channels.
TEST(SistraSetupDialog, AfterAnAnalysisOnlyChannelsReadingTheLoopEventsAreRefused)
{
    DialogTests::DocumentFixture fixture("mmHg", {"pvmaxdet(sistra)", "pvmaxdet(vch1)", "cmpeakdet(ch1, 1, 0.2)"});
    Sistra::SistraDocument& document = fixture.Document();
    document.OnAnalyzeNowMsg();
    const bool depends[] = {false, false, true, true, false};
    for (int32_t channel = 0; channel < 5; ++channel)
        EXPECT_EQ(depends[channel], document.ChannelDependsOnAnalysis(channel)) << channel;
    Copies copies(document);
    Sistra::SistraSetupDialog dialog(nullptr, document, copies.setup, copies.tau);
    ASSERT_TRUE(dialog.Create());
    EXPECT_TRUE(dialog.CanClose());
    dialog.Destroy();
}

// The document's command shows the dialog to a person; only OK puts the edits in force.
TEST(SistraSetupDialog, TheDocumentAdoptsTheEditsOnlyOnOk)
{
    for (const int button : {IDCANCEL, IDOK})
    {
        SCOPED_TRACE(button);
        DialogTests::DocumentFixture fixture;
        const ModelPtr setup = fixture.Document().GetSetupModel();
        const ModelPtr tau = fixture.Document().GetModel(ModelKind::TauModel);
        const int32_t strokeVolume = setup->GetValue<PropertyType::Int>(PropertyId::StrokeVolumeMode);
        StandInHost::StandIn().ShowModuleDialogs(VARIANT_TRUE);
        bool opened = false;
        DialogTests::WithModalScript(Caption, [&](HWND shown) {
            opened = true;
            DialogTests::Click(shown, strokeVolume == 0 ? IDC_SETTINGS_RANGE_SV : IDC_SETTINGS_STABLE_SV);
            Choose(shown, IDC_SETTINGS_TAU_MODEL, 2);
            DialogTests::Click(shown, button);
        }, [&] { fixture.Document().OnSettings(); return 0; });
        StandInHost::StandIn().ShowModuleDialogs(VARIANT_FALSE);
        EXPECT_TRUE(opened);
        const bool adopted = button == IDOK;
        EXPECT_EQ(adopted ? 1 - strokeVolume : strokeVolume,
                  setup->GetValue<PropertyType::Int>(PropertyId::StrokeVolumeMode));
        EXPECT_EQ(adopted, tau->GetValue<PropertyType::Int>(PropertyId::TauModel) == 2);
    }
}

} // namespace
