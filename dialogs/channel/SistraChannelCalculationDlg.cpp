#include "dialogs/channel/SistraChannelCalculationDlg.h"
#include "dialogs/framework/DialogCentring.h"

#include "calc/channel/ChannelCalculationDialog.h"
#include "calc/channel/SistraChannelCalculation.h"
#include "controls/buttons/BmpTxtButton.h"
#include "dialogs/framework/ExecuteOver.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/helpers/UnitChoices.h"
#include "document/analysis/ParameterNames.h"
#include "document/core/SistraDocument.h"
#include "foundation/text/StringResources.h"
#include "foundation/text/TextUtilities.h"
#include "hostframework/services/HostHelp.h"
#include "hostframework/services/HostMessageBox.h"
#include "hostframework/services/HostServices.h"
#include "platform/owl/controls/ComboBox.h"
#include "platform/owl/controls/Edit.h"
#include "platform/owl/controls/ScrollBar.h"
#include "resources/ResourceIds.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <limits>
#include <optional>

namespace Sistra
{
namespace
{

constexpr int LeastDecimalPlaces = 0;
constexpr int MostDecimalPlaces = static_cast<int>(MostChannelDecimalPlaces);
constexpr int DecimalsTextLimit = 99;

// Text that is no number reads as 0.
double NumberOrZero(const Orv::String& text)
{
    const double value = ParseNumber(text);
    return std::isnan(value) ? 0.0 : value;
}

// The number the whole text gives, blanks around it aside; none for text that is anything else or a
// number the channel's float cannot hold.
std::optional<double> WholeNumber(const std::wstring& text, double factor)
{
    const wchar_t* start = text.c_str();
    wchar_t* end = nullptr;
    const double value = std::wcstod(start, &end);
    if (end == start || std::wcsspn(end, L" \t") != std::wcslen(end))
        return std::nullopt;
    if (!std::isfinite(value) || std::fabs(value * factor) > std::numeric_limits<float>::max())
        return std::nullopt;
    return value;
}

SistraDocument* ModuleDocumentOf(IUnknown* hostDocument)
{
    const Orv::ComPtr<SistraData> data = AnalysisDataOf(hostDocument);
    return data ? dynamic_cast<SistraDocument*>(&data->Owner()) : nullptr;
}

// The computed channel's settings command opens this dialog once the module is loaded.
const bool installed = (InstalledChannelCalculationDialog() = [](HWND parent, IUnknown* host, IUnknown* document,
                                                                  ChannelCalculationSettings& settings) {
    return ExecuteOver<SistraChannelCalculationDlg>(parent, host, document, settings);
}, true);

// The analysis keeps its loops in the pressure channel's data.
std::optional<AnalysisRegion> AnalysisRegionIn(IUnknown* hostDocument)
{
    const Orv::ComPtr<SistraData> data = AnalysisDataOf(hostDocument);
    HostItemId loops, pva;
    std::wstring loopsText, pvaText;
    if (!data || !data->PressureStore().GetRegion(loops, loopsText, pva, pvaText))
        return std::nullopt;
    const auto reference = [](HostItemId item) {
        return SourceReference{static_cast<uint32_t>(item.first), static_cast<uint32_t>(item.second)};
    };
    return AnalysisRegion{reference(loops), Orv::String(loopsText.c_str()), reference(pva), Orv::String(pvaText.c_str())};
}

const bool regionInstalled = (InstalledAnalysisRegion() = AnalysisRegionIn, true);
const bool documentInstalled = (InstalledModuleDocument() = [](IUnknown* hostDocument) -> IUnknown* {
    SistraDocument* document = ModuleDocumentOf(hostDocument);
    return document ? static_cast<ISistraDocInterface*>(document) : nullptr;
}, true);

} // namespace

DEFINE_RESPONSE_TABLE1(SistraChannelCalculationDlg, Orv::DialogBase)
    EV_BN_CLICKED(IDC_CHANNEL_HELP, OnHelp),
    EV_NOTIFY(IDC_CHANNEL_DECIMALS_SPIN, UDN_DELTAPOS, OnDecimalStep),
    EV_EN_CHANGE(IDC_CHANNEL_DECIMALS, OnDecimalsChanged),
    EV_BN_CLICKED(IDC_CHANNEL_AUTO_SCALE, OnAutoScale),
    EV_CBN_SELCHANGE(IDC_CHANNEL_PARAMETER, OnParameterChanged),
END_RESPONSE_TABLE;

SistraChannelCalculationDlg::SistraChannelCalculationDlg(OWL::TWindow* parent, IUnknown* host, IUnknown* hostDocument,
                                                         ChannelCalculationSettings& settings)
    : Orv::DialogBase(parent, IDD_CHANNEL_CALCULATION), host_(host), hostDocument_(hostDocument),
      document_(ModuleDocumentOf(hostDocument)), settings_(settings)
{
    parameter_ = new OWL::TComboBox(this, IDC_CHANNEL_PARAMETER);
    autoScale_ = new OWL::TCheckBox(this, IDC_CHANNEL_AUTO_SCALE);
    top_ = new OWL::TEdit(this, IDC_CHANNEL_TOP);
    bottom_ = new OWL::TEdit(this, IDC_CHANNEL_BOTTOM);
    topUnit_ = new OWL::TStatic(this, IDC_CHANNEL_TOP_UNIT);
    bottomUnit_ = new OWL::TStatic(this, IDC_CHANNEL_BOTTOM_UNIT);
    topLabel_ = new OWL::TStatic(this, IDC_CHANNEL_TOP_LABEL);
    bottomLabel_ = new OWL::TStatic(this, IDC_CHANNEL_BOTTOM_LABEL);
    decimals_ = new OWL::TEdit(this, IDC_CHANNEL_DECIMALS);
    decimalSpin_ = new OWL::TUpDown(this, IDC_CHANNEL_DECIMALS_SPIN);
    help_ = new OrvControls::TBmpTxtButton(this, IDC_CHANNEL_HELP, Orv::String());
}

void SistraChannelCalculationDlg::SetupWindow()
{
    Orv::DialogBase::SetupWindow();
    // The host opens it at its owner's corner; a person expects it over the window it belongs to.
    Orv::CentreDialog(GetHandle());
    decimalSpin_->SetRange(LeastDecimalPlaces, MostDecimalPlaces);
    if (document_)
        unit_ = GetParameterUnit(*document_, static_cast<int32_t>(settings_.parameterIndex));
    WriteControls();
    EnableScale();
    ShowUnit();
    for (int32_t index = FirstChannelParameter; index <= static_cast<int32_t>(LastChannelParameter); ++index)
        parameter_->SetItemData(parameter_->AddString(GetParameterName(index, false).c_str()), index);
    parameter_->SetSelIndex(0);
    for (int item = 0; item < parameter_->GetCount(); ++item)
        if (parameter_->GetItemData(item) == static_cast<LPARAM>(settings_.parameterIndex))
            parameter_->SetSelIndex(item);
    help_->SetBitmap(IDB_VIEW_HELP);
    help_->SetHelpText(Orv::LoadedText(IDS_SETTINGS_HELP));
    setUp_ = true;
}

void SistraChannelCalculationDlg::WriteControls()
{
    const bool was = std::exchange(updating_, true);
    decimals_->SetText(IntToWString(static_cast<int>(settings_.decimalPlaces)).c_str());
    autoScale_->SetCheck(settings_.autoScale ? BST_CHECKED : BST_UNCHECKED);
    top_->SetText(FormatNumber(settings_.high / ScaleFactor()).c_str());
    bottom_->SetText(FormatNumber(settings_.low / ScaleFactor()).c_str());
    updating_ = was;
}

void SistraChannelCalculationDlg::ReadControls()
{
    wchar_t places[DecimalsTextLimit + 1] = {};
    ::GetWindowTextW(decimals_->GetHandle(), places, DecimalsTextLimit);
    settings_.decimalPlaces = static_cast<float>(std::wcstol(places, nullptr, 10));
    settings_.autoScale = autoScale_->GetCheck() == BST_CHECKED;
    settings_.low = static_cast<float>(NumberOrZero(Orv::String(bottom_->GetText().c_str())) * ScaleFactor());
    settings_.high = static_cast<float>(NumberOrZero(Orv::String(top_->GetText().c_str())) * ScaleFactor());
}

// The scale is typed only while the channel is not scaled to its data.
void SistraChannelCalculationDlg::EnableScale()
{
    const bool typed = !settings_.autoScale;
    for (OWL::TWindow* control : std::initializer_list<OWL::TWindow*>{top_, bottom_, topLabel_, bottomLabel_,
                                                                      topUnit_, bottomUnit_})
        control->EnableWindow(typed);
}

void SistraChannelCalculationDlg::ShowUnit()
{
    if (setUp_)
        ReadControls();
    if (document_)
        unit_ = GetParameterUnit(*document_, static_cast<int32_t>(settings_.parameterIndex));
    settings_.unitText = Orv::String(unit_.GetText().c_str());
    topUnit_->SetText(settings_.unitText.c_str());
    bottomUnit_->SetText(settings_.unitText.c_str());
}

// The chosen parameter with the region of the analysis it is read from.
void SistraChannelCalculationDlg::StoreParameter()
{
    if (const int item = parameter_->GetSelIndex(); item >= 0)
        settings_.SetSelection(static_cast<uint32_t>(parameter_->GetItemData(item)), AnalysisRegionOf(hostDocument_));
}

double SistraChannelCalculationDlg::ScaleFactor() const
{
    return UnitPrefixFactor(unit_.Prefix());
}

void SistraChannelCalculationDlg::OnHelp()
{
    ShowSistraHelp(HostAppAccessor::Get(), L"pv_channel_calculations");
}

// A step of the arrows moves the places by one and stops at the ends of 0 to 6; the control then shows
// the same number in its box.
LRESULT SistraChannelCalculationDlg::OnDecimalStep(NMHDR& header)
{
    if (updating_)
        return 0;
    const bool was = std::exchange(updating_, true);
    ReadControls();
    const int step = reinterpret_cast<NMUPDOWN&>(header).iDelta;
    const int places = static_cast<int>(settings_.decimalPlaces) + step;
    settings_.decimalPlaces = static_cast<float>(std::clamp(places, LeastDecimalPlaces, MostDecimalPlaces));
    WriteControls();
    updating_ = was;
    return 0;
}

// Places typed past either end show that end at once (9 shows 6), the caret after them. Only the box is
// written again: a scale typed beside it stays as typed, for OK to take or refuse; so does a box that
// holds no number.
void SistraChannelCalculationDlg::OnDecimalsChanged()
{
    if (updating_)
        return;
    const std::wstring typed = decimals_->GetText();
    wchar_t* end = nullptr;
    const long places = std::wcstol(typed.c_str(), &end, 10);
    if (end == typed.c_str())
        return;
    const long kept = std::clamp<long>(places, LeastDecimalPlaces, MostDecimalPlaces);
    if (kept == places)
        return;
    const bool was = std::exchange(updating_, true);
    const std::wstring shown = IntToWString(static_cast<int>(kept));
    decimals_->SetText(shown.c_str());
    ::SendMessageW(decimals_->GetHandle(), EM_SETSEL, shown.size(), shown.size());
    updating_ = was;
}

void SistraChannelCalculationDlg::OnAutoScale()
{
    ReadControls();
    EnableScale();
}

void SistraChannelCalculationDlg::OnParameterChanged()
{
    StoreParameter();
    ShowUnit();
}

// Why the typed values cannot be taken, the control to put right with it; none when they can. A value
// read otherwise than typed (a top of "abc" read as 0, 99 places kept to 6) would draw another channel
// than the person asked for.
std::optional<std::pair<Orv::String, OWL::TWindow*>> SistraChannelCalculationDlg::Refusal() const
{
    const auto decimals = WholeNumber(decimals_->GetText(), 1.0);
    if (!decimals || *decimals != std::trunc(*decimals) || *decimals < LeastDecimalPlaces || *decimals > MostDecimalPlaces)
    {
        Orv::OFormatStringStream text(IDS_CHANNEL_DECIMALS_RANGE);
        text << LeastDecimalPlaces << MostDecimalPlaces;
        return std::pair{text.Str(), static_cast<OWL::TWindow*>(decimals_)};
    }
    if (autoScale_->GetCheck() == BST_CHECKED)
        return std::nullopt;
    const Orv::String unit(unit_.GetText().c_str());
    const auto top = WholeNumber(top_->GetText(), ScaleFactor()), bottom = WholeNumber(bottom_->GetText(), ScaleFactor());
    for (const auto& [value, control, textId] : {std::tuple{top, top_, IDS_CHANNEL_TOP_NOT_NUMBER},
                                                 std::tuple{bottom, bottom_, IDS_CHANNEL_BOTTOM_NOT_NUMBER}})
        if (!value)
        {
            Orv::OFormatStringStream text(textId);
            text << unit;
            return std::pair{text.Str(), static_cast<OWL::TWindow*>(control)};
        }
    if (static_cast<float>(*top * ScaleFactor()) == static_cast<float>(*bottom * ScaleFactor()))
    {
        Orv::OFormatStringStream text(IDS_CHANNEL_SCALE_EMPTY);
        text << FormatNumber(*top) << unit;
        return std::pair{text.Str(), static_cast<OWL::TWindow*>(top_)};
    }
    return std::nullopt;
}

bool SistraChannelCalculationDlg::CanClose()
{
    if (!Orv::DialogBase::CanClose())
        return false;
    if (const auto refusal = Refusal())
    {
        ShowHostMessageBox(refusal->first.c_str(), Orv::LoadedText(IDS_CHANNEL_CALC_NAME).c_str(), MB_ICONHAND,
                           GetHandle());
        refusal->second->SetFocus();
        return false;
    }
    ReadControls();
    StoreParameter();
    return true;
}

} // namespace Sistra
