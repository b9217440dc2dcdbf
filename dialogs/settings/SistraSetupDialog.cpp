#include "dialogs/settings/SistraSetupDialog.h"
#include "dialogs/framework/DialogCentring.h"

#include "controls/buttons/BmpTxtButton.h"
#include "controls/dialogs/SettingsWarningDialog.h"
#include "controls/errors/ErrorProvider.h"
#include "dialogs/framework/ExecuteOver.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/helpers/UnitChoices.h"
#include "document/calibration/RecordedUnits.h"
#include "document/core/DocumentDialogs.h"
#include "document/core/SistraDocument.h"
#include "document/models/ModelValues.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "hostframework/services/HostHelp.h"
#include "hostframework/services/HostMessageBox.h"
#include "platform/owl/controls/ComboBox.h"
#include "platform/owl/controls/Edit.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace Sistra
{
namespace
{

constexpr double LeastPeakHeight = 1e-9;
constexpr double LargestPeakHeight = 1000.0;
constexpr double LeastPeriod = 0.0;
constexpr double LargestPeriod = 10000.0;
constexpr int32_t RegionSelection = 0;
constexpr int32_t RegionWholeChannel = 1;
constexpr int32_t DetectFromEcg = 1;
constexpr int32_t DetectFromPressure = 0;
constexpr int32_t NoChannelIndex = static_cast<int32_t>(0x80000000u);
constexpr int EcgTextLimit = 99;

const Orv::String& Text(UINT id)
{
    return Orv::LoadedText(id);
}

// The string ids of one field's error icon: the titles and the not-a-number text.
struct FieldErrorTexts
{
    UINT notANumberTitle;
    UINT notANumber;
    UINT outOfRangeTitle;
};
constexpr FieldErrorTexts PeakHeightErrors{IDS_SETTINGS_PEAK_HEIGHT_NAN_TITLE, IDS_SETTINGS_PEAK_HEIGHT_NAN,
                                           IDS_SETTINGS_PEAK_HEIGHT_RANGE_TITLE};
constexpr FieldErrorTexts PeriodErrors{IDS_SETTINGS_PERIOD_NAN_TITLE, IDS_SETTINGS_PERIOD_NAN,
                                       IDS_SETTINGS_PERIOD_RANGE_TITLE};

// Marks the field's check on its error icon; rangeText says the limits when it is out of range.
template <class Provider, class RangeText>
void MarkField(Provider& icon, FieldCheck check, const FieldErrorTexts& texts, RangeText rangeText)
{
    switch (check)
    {
    case FieldCheck::Valid:
        icon.SetError(false, Orv::String(), Orv::String());
        break;
    case FieldCheck::NotANumber:
        icon.SetError(true, Text(texts.notANumberTitle), Text(texts.notANumber));
        break;
    case FieldCheck::OutOfRange:
        icon.SetError(true, Text(texts.outOfRangeTitle), rangeText());
        break;
    }
}

// The number a text starts with, read in the classic locale; blanks before it are skipped and what
// follows it is ignored. False when the text starts with no number.
bool ReadLeadingNumber(const Orv::String& text, double& value)
{
    std::wistringstream in(text.c_str());
    in.imbue(std::locale::classic());
    in >> value;
    return !in.fail();
}

FieldCheck InRange(double value, double least, double largest)
{
    return value < least || value > largest ? FieldCheck::OutOfRange : FieldCheck::Valid;
}

// The document's "Settings..." command opens this dialog once the module is loaded.
const bool installed = (InstalledDocumentDialogs().settings = [](HWND parent, SistraDocument& document,
                                                                  ModelPtr setup, ModelPtr tau) {
    return ExecuteOver<SistraSetupDialog>(parent, document, std::move(setup), std::move(tau));
}, true);

} // namespace

SettingsPreviewFactory& InstalledSettingsPreview()
{
    static SettingsPreviewFactory factory;
    return factory;
}

FieldCheck CheckMinPeakHeight(const Orv::String& text, double keptPerShown, double& value)
{
    if (!ReadLeadingNumber(text, value))
        return FieldCheck::NotANumber;
    value *= keptPerShown;
    return InRange(value, LeastPeakHeight, LargestPeakHeight);
}

FieldCheck CheckMinPeriod(const Orv::String& text, int32_t periodUnit, double& value)
{
    if (!ReadLeadingNumber(text, value))
        return FieldCheck::NotANumber;
    if (periodUnit == SistraSetupDialog::PeriodInMilliseconds)
        value /= 1000.0;
    return InRange(value, LeastPeriod, LargestPeriod);
}

DEFINE_RESPONSE_TABLE1(SistraSetupDialog, Orv::DialogBase)
    EV_CBN_SELCHANGE(IDC_SETTINGS_PRESSURE, OnPressureChannelChanged),
    EV_CBN_SELCHANGE(IDC_SETTINGS_VOLUME, OnVolumeChannelChanged),
    EV_CBN_SELCHANGE(IDC_SETTINGS_ECG_SOURCE, OnOptionChanged),
    EV_CBN_SELCHANGE(IDC_SETTINGS_PERIOD_UNIT, OnPeriodUnitChanged),
    EV_BN_CLICKED(IDC_SETTINGS_HELP, OnHelp),
    EV_BN_CLICKED(IDC_SETTINGS_FROM_PRESSURE, OnFromPressure),
    EV_BN_CLICKED(IDC_SETTINGS_FROM_ECG, OnFromEcg),
    EV_EN_CHANGE(IDC_SETTINGS_PEAK_HEIGHT, OnMinPeakHeightChanged),
    EV_EN_CHANGE(IDC_SETTINGS_PERIOD, OnMinPeriodChanged),
    EV_EN_KILLFOCUS(IDC_SETTINGS_PEAK_HEIGHT, OnMinPeakHeightKillFocus),
    EV_EN_KILLFOCUS(IDC_SETTINGS_PERIOD, OnMinPeriodKillFocus),
    EV_BN_CLICKED(IDC_SETTINGS_WHOLE_CHANNEL, OnOptionChanged),
    EV_BN_CLICKED(IDC_SETTINGS_SELECTION, OnOptionChanged),
    EV_BN_CLICKED(IDC_SETTINGS_STABLE_SV, OnOptionChanged),
    EV_BN_CLICKED(IDC_SETTINGS_RANGE_SV, OnOptionChanged),
    EV_BN_CLICKED(IDC_SETTINGS_MAX_PV_ES, OnOptionChanged),
    EV_BN_CLICKED(IDC_SETTINGS_SINE_FIT_ES, OnOptionChanged),
END_RESPONSE_TABLE;

SistraSetupDialog::SistraSetupDialog(OWL::TWindow* parent, SistraDocument& document, ModelPtr setup, ModelPtr tau)
    : Orv::DialogBase(parent, IDD_SETTINGS), document_(document), setup_(std::move(setup)), tau_(std::move(tau))
{
    pressure_ = new OWL::TComboBox(this, IDC_SETTINGS_PRESSURE);
    volume_ = new OWL::TComboBox(this, IDC_SETTINGS_VOLUME);
    wholeChannel_ = new OWL::TRadioButton(this, IDC_SETTINGS_WHOLE_CHANNEL);
    selection_ = new OWL::TRadioButton(this, IDC_SETTINGS_SELECTION);
    tauModel_ = new OWL::TComboBox(this, IDC_SETTINGS_TAU_MODEL);
    fromEcg_ = new OWL::TRadioButton(this, IDC_SETTINGS_FROM_ECG);
    ecgLabel_ = new OWL::TStatic(this, IDC_SETTINGS_ECG_LABEL);
    ecgSource_ = new OWL::TComboBox(this, IDC_SETTINGS_ECG_SOURCE);
    fromPressure_ = new OWL::TRadioButton(this, IDC_SETTINGS_FROM_PRESSURE);
    peakHeightLabel_ = new OWL::TStatic(this, IDC_SETTINGS_PEAK_HEIGHT_LABEL);
    peakHeight_ = new OWL::TEdit(this, IDC_SETTINGS_PEAK_HEIGHT);
    pressureUnit_ = new OrvControls::StaticTextErrorProvider(this);
    periodLabel_ = new OWL::TStatic(this, IDC_SETTINGS_PERIOD_LABEL);
    period_ = new OWL::TEdit(this, IDC_SETTINGS_PERIOD);
    periodUnit_ = new OWL::TComboBox(this, IDC_SETTINGS_PERIOD_UNIT);
    periodError_ = new OrvControls::ErrorProvider(this, IDC_SETTINGS_PERIOD_ERROR,
                                                  OrvControls::ErrorProvider::ErrBalloon);
    stableStrokeVolume_ = new OWL::TRadioButton(this, IDC_SETTINGS_STABLE_SV);
    rangeStrokeVolume_ = new OWL::TRadioButton(this, IDC_SETTINGS_RANGE_SV);
    maxPvEndSystole_ = new OWL::TRadioButton(this, IDC_SETTINGS_MAX_PV_ES);
    sineFitEndSystole_ = new OWL::TRadioButton(this, IDC_SETTINGS_SINE_FIT_ES);
    help_ = new OrvControls::TBmpTxtButton(this, IDC_SETTINGS_HELP, Orv::String());
    if (const SettingsPreviewFactory& make = InstalledSettingsPreview())
        preview_ = make();
    if (preview_)
    {
        if (auto* setupPreview = dynamic_cast<ISistraSetupDlgPreview*>(preview_.get()))
            setupPreview->SetModel(setup_, &document_);
        IUnknown* host = document_.HostDocument();
        preview_->Attach(host, host, this);
    }
}

// The preview goes first: it takes its channels out of the host while the models still live.
SistraSetupDialog::~SistraSetupDialog()
{
    preview_.reset();
}

void SistraSetupDialog::SetupWindow()
{
    Orv::DialogBase::SetupWindow();
    // The host opens it at its owner's corner; a person expects it over the window it belongs to.
    Orv::CentreDialog(GetHandle());
    help_->SetBitmap(IDB_VIEW_HELP);
    help_->SetHelpText(Text(IDS_SETTINGS_HELP));
    std::vector<Orv::String> titles;
    GetChannelTitles(document_, titles);
    for (const Orv::String& title : titles)
    {
        pressure_->AddString(title.c_str());
        volume_->AddString(title.c_str());
    }
    const UINT tauNames[] = {IDS_TAU_WEISS, IDS_TAU_GLANTZ, IDS_TAU_LOGISTIC};
    for (int model = 0; model < 3; ++model)
        tauModel_->SetItemData(tauModel_->AddString(Text(tauNames[model]).c_str()), model);
    ecgSources_ = FillEcgSourceMap(document_.HostDataItems(), setup_->GetEcgEventSource().c_str());
    for (const auto& [text, name] : ecgSources_)
        ecgSource_->AddString(text.c_str());
    if (ecgSources_.empty())
        StoreInt(setup_, PropertyId::DetectionSource, DetectFromPressure);
    periodUnit_->AddString(L"ms");
    periodUnit_->AddString(L"s");
    LoadControls();
    if (preview_)
        preview_->ShowAt(0, IDC_SETTINGS_PREVIEW);
}

void SistraSetupDialog::LoadControls()
{
    int32_t pressure = setup_->GetPressureChannel();
    if (pressure == NoChannelIndex)
        setup_->SetPressureChannel(pressure = 0);
    int32_t volume = setup_->GetVolumeChannel();
    if (volume == NoChannelIndex)
        setup_->SetVolumeChannel(volume = 1);
    pressureUnit_->SetText(PressureUnit().GetText().c_str());
    pressure_->SetSelIndex(pressure);
    volume_->SetSelIndex(volume);

    const bool wholeChannel = setup_->GetValue<PropertyType::Int>(PropertyId::RegionMode) == RegionWholeChannel;
    wholeChannel_->SetCheck(wholeChannel ? BST_CHECKED : BST_UNCHECKED);
    selection_->SetCheck(wholeChannel ? BST_UNCHECKED : BST_CHECKED);
    const bool stable = setup_->GetValue<PropertyType::Int>(PropertyId::StrokeVolumeMode) == 0;
    stableStrokeVolume_->SetCheck(stable ? BST_CHECKED : BST_UNCHECKED);
    rangeStrokeVolume_->SetCheck(stable ? BST_UNCHECKED : BST_CHECKED);
    const int32_t tau = tau_->GetValue<PropertyType::Int>(PropertyId::TauModel);
    for (int item = 0; item < tauModel_->GetCount(); ++item)
        if (tauModel_->GetItemData(item) == tau)
            tauModel_->SetSelIndex(item);
    const bool milliseconds =
        setup_->GetValue<PropertyType::Int>(PropertyId::MinimumPeriodUnit) == PeriodInMilliseconds;
    periodUnit_->SetSelIndex(milliseconds ? 0 : 1);

    ShowMinPeakHeight(setup_->GetValue<PropertyType::Double>(PropertyId::MinimumPeakHeight));
    ShowMinPeriod(setup_->GetValue<PropertyType::Double>(PropertyId::MinimumPeriod));

    const bool ecg = setup_->GetValue<PropertyType::Int>(PropertyId::DetectionSource) == DetectFromEcg;
    fromPressure_->SetCheck(ecg ? BST_UNCHECKED : BST_CHECKED);
    fromEcg_->SetCheck(ecg ? BST_CHECKED : BST_UNCHECKED);
    EnableDetectionControls(ecg);
    if (ecgSource_->GetCount() > 0)
    {
        ecgSource_->SetSelIndex(0);
        // The stored source itself, not another that shows under the same text.
        const std::wstring stored = setup_->GetEcgEventSource().c_str();
        const auto listed = std::find_if(ecgSources_.begin(), ecgSources_.end(),
                                         [&](const auto& source) { return source.second == stored; });
        if (listed != ecgSources_.end())
            ecgSource_->SetSelString(listed->first.c_str());
    }
    fromEcg_->EnableWindow(!ecgSources_.empty());

    const bool maxPv = setup_->GetValue<PropertyType::Int>(PropertyId::EndSystolicMode) == 0;
    maxPvEndSystole_->SetCheck(maxPv ? BST_CHECKED : BST_UNCHECKED);
    sineFitEndSystole_->SetCheck(maxPv ? BST_UNCHECKED : BST_CHECKED);
}

void SistraSetupDialog::ApplyControls()
{
    setup_->SetPressureChannel(pressure_->GetSelIndex());
    setup_->SetVolumeChannel(volume_->GetSelIndex());
    const bool selection = IsChecked(selection_);
    StoreInt(setup_, PropertyId::RegionMode, selection ? RegionSelection : RegionWholeChannel);
    if (selection)
        setup_->SetOnlineMode(false);
    RecordingPosition start{0, 0};
    RecordingPosition end{0x7FFFFFFF, 0x7FFFFFFF};
    if (selection)
        document_.ReadHostSelection(start, end);
    setup_->SetRegionStart(start);
    setup_->SetRegionEnd(end);
    if (const int tau = tauModel_->GetSelIndex(); tau >= 0)
        StoreInt(tau_, PropertyId::TauModel, static_cast<int32_t>(tauModel_->GetItemData(tau)));
    double value = 0.0;
    if (ParseMinPeakHeight(value) == FieldCheck::Valid)
        setup_->SetMinimumPeakHeight(value);
    if (ParseMinPeriod(value) == FieldCheck::Valid)
        setup_->SetMinimumPeriod(value);
    StoreInt(setup_, PropertyId::MinimumPeriodUnit,
             periodUnit_->GetSelIndex() == 0 ? PeriodInMilliseconds : PeriodInSeconds);
    const bool ecg = IsChecked(fromEcg_);
    StoreInt(setup_, PropertyId::DetectionSource, ecg ? DetectFromEcg : DetectFromPressure);
    if (ecg)
    {
        std::wstring chosen;
        if (const int item = ecgSource_->GetSelIndex(); item >= 0)
            chosen = ecgSource_->GetString(item).substr(0, EcgTextLimit);
        const auto found = ecgSources_.find(chosen);
        if (found != ecgSources_.end())
        {
            setup_->SetEcgEventSource(Orv::String(found->second.c_str()));
        }
        else
        {
            // The sources changed under the dialog: back to the pressure signal, with no source.
            setup_->SetDetectionSource(DetectFromPressure);
            setup_->SetEcgEventSource(Orv::String());
        }
    }
    StoreInt(setup_, PropertyId::StrokeVolumeMode, IsChecked(stableStrokeVolume_) ? 0 : 1);
    StoreInt(setup_, PropertyId::EndSystolicMode, IsChecked(maxPvEndSystole_) ? 0 : 1);
    RefreshPreview();
}

void SistraSetupDialog::RefreshPreview()
{
    if (preview_)
        preview_->Refresh();
}

// The threshold typed for the old channel is kept as the same pressure, shown in the new channel's unit.
void SistraSetupDialog::OnPressureChannelChanged()
{
    double value = 0.0;
    const FieldCheck parsed = ParseMinPeakHeight(value);
    setup_->SetPressureChannel(pressure_->GetSelIndex());
    pressureUnit_->SetText(PressureUnit().GetText().c_str());
    if (parsed == FieldCheck::Valid)
        ShowMinPeakHeight(value);
    RefreshPreview();
}

void SistraSetupDialog::OnVolumeChannelChanged()
{
    setup_->SetVolumeChannel(volume_->GetSelIndex());
    LoadControls();
}

// The period typed stays the same length of time, shown in the new unit.
void SistraSetupDialog::OnPeriodUnitChanged()
{
    double value = 0.0;
    const FieldCheck parsed = ParseMinPeriod(value);
    StoreInt(setup_, PropertyId::MinimumPeriodUnit,
             periodUnit_->GetSelIndex() == 0 ? PeriodInMilliseconds : PeriodInSeconds);
    if (parsed == FieldCheck::Valid)
        ShowMinPeriod(value);
}

void SistraSetupDialog::OnHelp()
{
    ShowSistraHelp(document_.GetFrameServices(), L"PV_settings");
}

void SistraSetupDialog::OnFromPressure()
{
    fromEcg_->Uncheck();
    EnableDetectionControls(false);
    ApplyControls();
}

void SistraSetupDialog::OnFromEcg()
{
    fromPressure_->Uncheck();
    EnableDetectionControls(true);
    ApplyControls();
}

void SistraSetupDialog::EnableDetectionControls(bool fromEcg)
{
    ecgSource_->EnableWindow(fromEcg);
    ecgLabel_->EnableWindow(fromEcg);
    for (OWL::TWindow* control : std::initializer_list<OWL::TWindow*>{peakHeight_, period_, pressureUnit_,
                                                                      peakHeightLabel_, periodLabel_, periodUnit_})
        control->EnableWindow(!fromEcg);
}

void SistraSetupDialog::OnMinPeakHeightChanged()
{
    double value = 0.0;
    if (!updating_)
        MarkField(*pressureUnit_, ParseMinPeakHeight(value), PeakHeightErrors, [this] {
            const double factor = HeightKeptPerShown();
            Orv::OFormatStringStream text(Text(IDS_SETTINGS_PEAK_HEIGHT_RANGE));
            text << FormatNumber(LeastPeakHeight / factor) << FormatNumber(LargestPeakHeight / factor)
                 << Orv::String(PressureUnit().GetText().c_str());
            return text.Str();
        });
}

void SistraSetupDialog::OnMinPeriodChanged()
{
    double value = 0.0;
    if (!updating_)
        MarkField(*periodError_, ParseMinPeriod(value), PeriodErrors, [] {
            Orv::OFormatStringStream text(Text(IDS_SETTINGS_PERIOD_RANGE));
            text << LeastPeriod << LargestPeriod;
            return text.Str();
        });
}

void SistraSetupDialog::OnMinPeakHeightKillFocus()
{
    double value = 0.0;
    if (ParseMinPeakHeight(value) != FieldCheck::Valid)
        return;
    ShowMinPeakHeight(value);
    ApplyControls();
}

void SistraSetupDialog::OnMinPeriodKillFocus()
{
    double value = 0.0;
    if (ParseMinPeriod(value) != FieldCheck::Valid)
        return;
    ShowMinPeriod(value);
    ApplyControls();
}

bool SistraSetupDialog::CanClose()
{
    if (!Orv::DialogBase::CanClose())
        return false;
    double value = 0.0;
    if (ParseMinPeakHeight(value) != FieldCheck::Valid || ParseMinPeriod(value) != FieldCheck::Valid)
    {
        RunModuleDialog(L"SettingsWarning", GetHandle(), [this] {
            OrvControls::DialogSettingsWarningDlg warning(this);
            return warning.Execute();
        });
        return false;
    }
    const int32_t pressure = pressure_->GetSelIndex();
    const int32_t volume = volume_->GetSelIndex();
    const Orv::String& caption = Text(IDS_SISTRA_CAPTION);
    if (pressure == volume)
    {
        ShowHostMessageBox(Text(IDS_SETTINGS_SAME_CHANNELS).c_str(), caption.c_str(), MB_ICONHAND, GetHandle());
        return false;
    }
    if (document_.ChannelDependsOnAnalysis(pressure) || document_.ChannelDependsOnAnalysis(volume))
    {
        ShowHostMessageBox(Text(IDS_SETTINGS_CIRCULAR_DEPENDENCY).c_str(), caption.c_str(), MB_ICONHAND, GetHandle());
        return false;
    }
    ApplyControls();
    return true;
}

FieldCheck SistraSetupDialog::ParseMinPeakHeight(double& value) const
{
    const std::wstring text = peakHeight_->GetText().c_str();
    if (text == shownHeightText_)
    {
        value = shownHeight_;
        return FieldCheck::Valid;
    }
    return CheckMinPeakHeight(Orv::String(text.c_str()), HeightKeptPerShown(), value);
}

FieldCheck SistraSetupDialog::ParseMinPeriod(double& value) const
{
    return CheckMinPeriod(Orv::String(period_->GetText().c_str()),
                          setup_->GetValue<PropertyType::Int>(PropertyId::MinimumPeriodUnit), value);
}

void SistraSetupDialog::ShowMinPeakHeight(double value)
{
    const bool was = std::exchange(updating_, true);
    shownHeight_ = value;
    shownHeightText_ = FormatNumber(value / HeightKeptPerShown()).c_str();
    peakHeight_->SetText(shownHeightText_.c_str());
    updating_ = was;
}

void SistraSetupDialog::ShowMinPeriod(double value)
{
    const bool milliseconds =
        setup_->GetValue<PropertyType::Int>(PropertyId::MinimumPeriodUnit) == PeriodInMilliseconds;
    const bool was = std::exchange(updating_, true);
    period_->SetText(FormatNumber(milliseconds ? value * 1000.0 : value).c_str());
    updating_ = was;
}

Orv::PrefixedUnit SistraSetupDialog::PressureUnit() const
{
    return GetChannelUnit(document_, setup_->GetPressureChannel(), true);
}

double SistraSetupDialog::HeightKeptPerShown() const
{
    const Orv::PrefixedUnit unit = PressureUnit();
    return UnitPrefixFactor(unit.Prefix()) / PeakHeightScale(unit);
}

bool SistraSetupDialog::IsChecked(const OWL::TRadioButton* button) const
{
    return button->GetCheck() == BST_CHECKED;
}

// Int properties are written as the models' typed setters write: nothing into a locked or unchanged
// property.
void SistraSetupDialog::StoreInt(const ModelPtr& model, int id, int32_t value)
{
    model->SetValue<PropertyType::Int>(id, value);
}

} // namespace Sistra
