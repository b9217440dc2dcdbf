#include "dialogs/steps/CalibrationStep.h"

#include "controls/edits/ValidatingEdit.h"
#include "dialogs/helpers/CalibrationGuards.h"
#include "dialogs/helpers/ControlBalloons.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/helpers/UnitChoices.h"
#include "document/mpvs/ControlProgramLink.h"
#include "foundation/system/RaisedFlag.h"
#include "hostframework/messaging/SistraIds.h"

#include <cmath>

namespace Sistra
{

namespace
{

// An automation message's one whole-number value: its type code, then the value.
struct PointPayload
{
    ULONG typeWord;
    LONG point;
};
constexpr ULONG LongValueType = 2;

double FactorOf(const Orv::PrefixedUnit& unit)
{
    return UnitPrefixFactor(unit.Prefix());
}

double FactorOf(const UnitInfo& unit)
{
    return unit.prefix ? UnitPrefixFactor(unit.prefix) : 1.0;
}

} // namespace

void CalibrationBoxes::Initialise(HWND page)
{
    for (const CalibrationBox& box : spec_.boxes)
        if (box.editId)
            InstallSilentSetText(GetDlgItem(page, box.editId));
    if (!spec_.twoPoint)
        return;
    for (const int line : {CalibrationControl::TopSeparator, CalibrationControl::MiddleSeparator,
                           CalibrationControl::BottomSeparator})
        AlignSeparator(page, line);
    const BOOL available = Mpvs::IsControlProgramAvailable() ? TRUE : FALSE;
    EnableWindow(GetDlgItem(page, CalibrationControl::LaunchMpvs), available);
    EnableWindow(GetDlgItem(page, CalibrationControl::LaunchMpvsLabel), available);
}

double CalibrationBoxes::BoxFactor(const CalibrationBox& box, SistraDocument& document, Model& model) const
{
    switch (box.scale)
    {
    case BoxScale::PressureChannel: return FactorOf(GetPressureUnit(document, false));
    case BoxScale::VolumeChannel: return FactorOf(GetVolumeUnit(document, false));
    case BoxScale::ModelUnit: return FactorOf(model.GetValue<PropertyType::Unit>(spec_.unitProperty));
    case BoxScale::ModelUnitPerConductance:
    {
        const ModelPtr conductance = document.GetModel(ModelKind::ConductanceCalib);
        return FactorOf(model.GetValue<PropertyType::Unit>(spec_.unitProperty)) /
               (conductance ? FactorOf(conductance->GetConductanceUnit()) : 1.0);
    }
    case BoxScale::AsTyped: break;
    }
    return 1.0;
}

void CalibrationBoxes::EditChanged(HWND page, int id, SistraDocument& document, Model& model)
{
    // Set while the page writes the user's number into the model; a nested change keeps it.
    const Orv::RaisedFlag editing(editing_);
    for (const CalibrationBox& box : spec_.boxes)
    {
        if (!box.editId || box.editId != id)
            continue;
        const double value = ParseNumber(GetWindowTextString(GetDlgItem(page, id)));
        if (IsBlankMarker(value))
            model.SetValue<PropertyType::Bool>(spec_.appliedProperty, false);
        // The blank and invalid markers are stored as they are.
        const double stored = std::isnan(value) ? value : value * BoxFactor(box, document, model);
        model.SetValue<PropertyType::Double>(box.propertyId, stored);
        model.CommitChanges();
    }
}

void CalibrationBoxes::ShowModel(HWND page, const PropertyIdSet& changed, SistraDocument& document, Model& model)
{
    if (changed.Test(spec_.appliedProperty))
        CheckDlgButton(page, StepControl::Apply,
                       model.GetValue<PropertyType::Bool>(spec_.appliedProperty) ? BST_CHECKED : BST_UNCHECKED);
    if (editing_)
        return;
    for (const CalibrationBox& box : spec_.boxes)
        if (box.editId && changed.Test(box.propertyId))
        {
            const double stored = model.GetValue<PropertyType::Double>(box.propertyId);
            const double factor = BoxFactor(box, document, model);
            SetWindowNumber(GetDlgItem(page, box.editId), std::isnan(stored) ? stored : stored / factor);
        }
}

void CalibrationBoxes::FromSelection(HWND page, int button, SistraDocument& document)
{
    const ModelPtr setup = document.GetSetupModel();
    const int32_t channel = !setup ? NoChannel : spec_.pressureSource ? setup->GetPressureChannel() : setup->GetVolumeChannel();
    if (!SelectionUsableForChannel(document, channel))
    {
        ShowControlBalloonFromStrings(GetDlgItem(page, button), spec_.noSelectionTitle, spec_.noSelectionText);
        return;
    }
    const LONG point = button == StepControl::FirstFromSelection ? 0 : 1;
    document.SendMsg(document.Outer(),
                     MsgData<PointPayload>{MsgIdClass<&SistraDocumentGUID, 0>::Id() | spec_.fromSelectionMessage, 0,
                                           {LongValueType, point}},
                     0);
}

void CalibrationBoxes::LaunchMpvs(SistraDocument& document)
{
    document.SendMsg(document.Outer(),
                     MsgData<MsgPayload0>{MsgIdClass<&SistraDocumentGUID, AutomationMessage::OpenMPVSControlSoftware>::Id(),
                                          0, {}},
                     0);
}

} // namespace Sistra
