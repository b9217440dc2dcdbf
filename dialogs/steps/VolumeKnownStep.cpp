#include "dialogs/steps/VolumeKnownStep.h"

#include "dialogs/framework/DocumentCommand.h"
#include "dialogs/helpers/CalibrationGuards.h"
#include "dialogs/helpers/ControlBalloons.h"
#include "dialogs/helpers/UnitChoices.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/SistraIds.h"

#include <cmath>

using namespace Sistra;

namespace
{

const StepDlgClassObj<VolumeKnownStep> factory;

const ModelUnitChoice EchoVolumeUnits{&GetVolumeUnitList,
                                      {PropertyId::KnownVolumeConvertedEsv, PropertyId::KnownVolumeConvertedEdv,
                                       PropertyId::KnownVolumeConvertedSv}};

constexpr UINT ModeNames[] = {IDS_KNOWN_VOLUME_ESV_EDV, IDS_KNOWN_VOLUME_ESV_SV, IDS_KNOWN_VOLUME_EDV_SV};
// The names of the two rows by mode.
constexpr UINT RowNames[3][2] = {{IDS_KNOWN_VOLUME_ESV, IDS_KNOWN_VOLUME_EDV},
                                 {IDS_KNOWN_VOLUME_ESV, IDS_KNOWN_VOLUME_SV},
                                 {IDS_KNOWN_VOLUME_EDV, IDS_KNOWN_VOLUME_SV}};

bool IsMode(int32_t mode)
{
    return mode >= 0 && mode < 3;
}

constexpr CalibrationPageSpec ModeSpec(int firstSampled, int firstKnown, int secondSampled, int secondKnown)
{
    return {{{{StepControl::FirstValue, firstSampled, BoxScale::VolumeChannel},
              {IDC_KNOWN_VOLUME_1, firstKnown, BoxScale::ModelUnit},
              {StepControl::SecondValue, secondSampled, BoxScale::VolumeChannel},
              {IDC_KNOWN_VOLUME_2, secondKnown, BoxScale::ModelUnit}}},
            PropertyId::KnownVolumeCalibrationApplied,
            PropertyId::KnownVolumeUnit,
            false,
            AutomationMessage::SetKnownSistraVolumeValueFromSel,
            IDS_STEP_NO_VOLUME_SELECTION_TITLE,
            IDS_STEP_NO_VOLUME_SELECTION,
            false,
            &EchoVolumeUnits};
}

} // namespace

const std::array<CalibrationPageSpec, 3> VolumeKnownStep::Specs{
    ModeSpec(PropertyId::KnownVolumeBaseEsv, PropertyId::KnownVolumeConvertedEsv, PropertyId::KnownVolumeBaseEdv,
             PropertyId::KnownVolumeConvertedEdv),
    ModeSpec(PropertyId::KnownVolumeBaseEsv, PropertyId::KnownVolumeConvertedEsv, PropertyId::KnownVolumeBaseSv,
             PropertyId::KnownVolumeConvertedSv),
    ModeSpec(PropertyId::KnownVolumeBaseEdv, PropertyId::KnownVolumeConvertedEdv, PropertyId::KnownVolumeBaseSv,
             PropertyId::KnownVolumeConvertedSv),
};

const CalibrationPageSpec& KnownVolumeSpecOf(int32_t mode)
{
    return VolumeKnownStep::Specs[static_cast<size_t>(mode == 0 || mode == 2 ? mode : 1)];
}

LRESULT VolumeKnownStep::OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    for (const int line : {CalibrationControl::TopSeparator, CalibrationControl::MiddleSeparator,
                           CalibrationControl::BottomSeparator})
        AlignSeparator(m_hWnd, line);
    boxes_.Initialise(m_hWnd);
    std::vector<Orv::String> modes;
    for (const UINT name : ModeNames)
        modes.emplace_back(Orv::ThisModule(), name, true);
    FillCombo(m_hWnd, IDC_KNOWN_VOLUME_MODE, modes);
    for (WPARAM item = 0; item < modes.size(); ++item)
        SendDlgItemMessageW(m_hWnd, IDC_KNOWN_VOLUME_MODE, CB_SETITEMDATA, item, static_cast<LPARAM>(item));
    return StepDlgBase::OnInitDialog(msg, wParam, lParam, handled);
}

void VolumeKnownStep::ShowRowNames(int32_t mode)
{
    const auto name = [&](int row) {
        return IsMode(mode) ? Orv::String(Orv::ThisModule(), RowNames[mode][row], true) : Orv::String();
    };
    SetDlgItemTextW(m_hWnd, IDC_KNOWN_VOLUME_ROW_1, name(0).c_str());
    SetDlgItemTextW(m_hWnd, IDC_KNOWN_VOLUME_ROW_2, name(1).c_str());
}

void VolumeKnownStep::OnModelChanged(const PropertyIdSet& changed)
{
    const ModelPtr& model = GetModel();
    if (!m_hWnd || !model || !GetDocument())
        return;
    const int32_t mode = model->GetValue<PropertyType::Int>(PropertyId::KnownVolumePair);
    const CalibrationPageSpec& spec = KnownVolumeSpecOf(mode);
    boxes_.Respec(spec);
    if (changed.Test(PropertyId::KnownVolumePair))
    {
        SendDlgItemMessageW(m_hWnd, IDC_KNOWN_VOLUME_MODE, CB_SETCURSEL, static_cast<WPARAM>(IsMode(mode) ? mode : -1), 0);
        ShowRowNames(mode);
    }
    PropertyIdSet shown = changed;
    for (const CalibrationBox& box : spec.boxes)
        shown.Set(box.propertyId);
    boxes_.ShowModel(m_hWnd, shown, *GetDocument(), *model);
}

// The values stay pending while the model finds a problem with them; the boxes and the unit label show
// them all the same, so that the second row never names another unit than the list.
void VolumeKnownStep::OnValidationProblem()
{
    OnModelChanged(PropertyIdSet{PropertyId::KnownVolumeCalibrationApplied, PropertyId::KnownVolumeUnit});
}

LRESULT VolumeKnownStep::OnEditChange(WORD, WORD id, HWND, BOOL&)
{
    if (GetModel() && GetDocument())
        boxes_.EditChanged(m_hWnd, id, *GetDocument(), *GetModel());
    return 0;
}

LRESULT VolumeKnownStep::OnApply(WORD, WORD, HWND, BOOL&)
{
    OnApplyClicked(PropertyId::KnownVolumeCalibrationApplied);
    return 0;
}

LRESULT VolumeKnownStep::OnFromSelection(WORD, WORD id, HWND, BOOL&)
{
    SistraDocument* document = GetDocument();
    if (!document || !GetModel() || !boxes_.SelectionUsable(m_hWnd, id, *document))
        return 0;
    if (!SelectionHasExtent(*document))
    {
        ShowControlBalloonFromStrings(::GetDlgItem(m_hWnd, id), IDS_NO_LOOPS_TITLE, IDS_NO_LOOPS_IN_SELECTION);
        return 0;
    }
    GetModel()->SetValue<PropertyType::Bool>(PropertyId::KnownVolumeCalibrationApplied, false);
    CommitModel();
    SendDocumentCommand(*document, AutomationMessage::SetKnownSistraVolumeValueFromSel,
                        OneLongPayload{.value = id == StepControl::FirstFromSelection ? 0 : 1});
    return 0;
}

LRESULT VolumeKnownStep::OnUnitChanged(WORD, WORD, HWND, BOOL&)
{
    if (GetModel())
        boxes_.UnitChanged(m_hWnd, *GetModel());
    return 0;
}

LRESULT VolumeKnownStep::OnModeChanged(WORD, WORD, HWND combo, BOOL&)
{
    const ModelPtr& model = GetModel();
    const auto item = static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (!model || item < 0)
        return 0;
    const auto mode = static_cast<int32_t>(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
    ShowRowNames(mode);
    model->SetValue<PropertyType::Int>(PropertyId::KnownVolumePair, mode);
    bool unfilled = false;
    for (const CalibrationBox& box : KnownVolumeSpecOf(mode).boxes)
        unfilled = unfilled || std::isnan(model->GetValue<PropertyType::Double>(box.propertyId));
    if (unfilled || model->Validate().HasProblem())
        model->SetValue<PropertyType::Bool>(PropertyId::KnownVolumeCalibrationApplied, false);
    CommitModel();
    return 0;
}
