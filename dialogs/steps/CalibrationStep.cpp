#include "dialogs/steps/CalibrationStep.h"

#include "controls/edits/ValidatingEdit.h"
#include "dialogs/framework/DocumentCommand.h"
#include "dialogs/helpers/CalibrationGuards.h"
#include "dialogs/helpers/ControlBalloons.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/helpers/UnitChoices.h"
#include "document/analysis/SistraData.h"
#include "document/core/SistraDocument.h"
#include "document/mpvs/ControlProgramLink.h"
#include "foundation/system/RaisedFlag.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/SistraIds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace Sistra
{

namespace
{

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
    if (spec_->unitChoice)
    {
        std::vector<Orv::PrefixedUnit> units;
        spec_->unitChoice->units(units);
        for (const Orv::PrefixedUnit& unit : units)
            SendDlgItemMessageW(page, CalibrationControl::KnownUnit, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(unit.GetText().c_str()));
    }
    for (const CalibrationBox& box : spec_->boxes)
        if (box.editId)
            InstallSilentSetText(GetDlgItem(page, box.editId));
    if (!spec_->twoPoint)
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
    case BoxScale::PressureChannel: return FactorOf(GetOwnPressureUnit(document));
    case BoxScale::VolumeChannel: return FactorOf(GetOwnVolumeUnit(document));
    case BoxScale::ModelUnit: return FactorOf(model.GetValue<PropertyType::Unit>(spec_->unitProperty));
    case BoxScale::ModelUnitPerConductance:
    {
        const ModelPtr conductance = document.GetModel(ModelKind::ConductanceCalib);
        return FactorOf(model.GetValue<PropertyType::Unit>(spec_->unitProperty)) /
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
    for (const CalibrationBox& box : spec_->boxes)
    {
        if (!box.editId || box.editId != id)
            continue;
        const double value = ParseNumber(GetWindowTextString(GetDlgItem(page, id)));
        if (IsBlankMarker(value))
            model.SetValue<PropertyType::Bool>(spec_->appliedProperty, false);
        // The blank and invalid markers are stored as they are.
        const double stored = std::isnan(value) ? value : value * BoxFactor(box, document, model);
        model.SetValue<PropertyType::Double>(box.propertyId, stored);
        model.CommitChanges();
    }
}

void CalibrationBoxes::ShowModel(HWND page, const PropertyIdSet& changed, SistraDocument& document, Model& model)
{
    if (changed.Test(spec_->appliedProperty))
        CheckDlgButton(page, StepControl::Apply,
                       model.GetValue<PropertyType::Bool>(spec_->appliedProperty) ? BST_CHECKED : BST_UNCHECKED);
    if (spec_->unitChoice && changed.Test(spec_->unitProperty))
        ShowUnit(page, model);
    if (editing_)
        return;
    for (const CalibrationBox& box : spec_->boxes)
        if (box.editId && changed.Test(box.propertyId))
        {
            const double stored = model.GetValue<PropertyType::Double>(box.propertyId);
            const double factor = BoxFactor(box, document, model);
            SetWindowNumber(GetDlgItem(page, box.editId), std::isnan(stored) ? stored : stored / factor);
        }
}

// The unit shown by the label and chosen in the list; nothing chosen for a unit the list does not have
// (an older document's).
void CalibrationBoxes::ShowUnit(HWND page, Model& model) const
{
    const Orv::PrefixedUnit unit = PrefixedUnitOf(model.GetValue<PropertyType::Unit>(spec_->unitProperty));
    SetDlgItemTextW(page, CalibrationControl::KnownUnitLabel, unit.GetText().c_str());
    std::vector<Orv::PrefixedUnit> units;
    spec_->unitChoice->units(units);
    const auto found = std::find_if(units.begin(), units.end(), [&](const auto& entry) { return UnitsEqual(entry, unit); });
    const auto item = found == units.end() ? -1 : found - units.begin();
    SendDlgItemMessageW(page, CalibrationControl::KnownUnit, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
}

void CalibrationBoxes::UnitChanged(HWND page, Model& model)
{
    if (!spec_->unitChoice)
        return;
    std::vector<Orv::PrefixedUnit> units;
    spec_->unitChoice->units(units);
    const auto index = static_cast<int>(SendDlgItemMessageW(page, CalibrationControl::KnownUnit, CB_GETCURSEL, 0, 0));
    if (index < 0 || index >= static_cast<int>(units.size()))
        return;
    const Orv::PrefixedUnit& chosen = units[static_cast<size_t>(index)];
    const double oldFactor = FactorOf(model.GetValue<PropertyType::Unit>(spec_->unitProperty));
    const double newFactor = FactorOf(chosen);
    model.SetValue<PropertyType::Unit>(spec_->unitProperty, UnitInfo{chosen.Name(), chosen.Prefix()});
    for (const int id : spec_->unitChoice->values)
    {
        if (id < 0)
            continue;
        // The blank and invalid markers stay as they are.
        const double stored = model.GetValue<PropertyType::Double>(id);
        if (!std::isnan(stored))
            model.SetValue<PropertyType::Double>(id, stored / oldFactor * newFactor);
    }
    model.CommitChanges();
}

bool CalibrationBoxes::SelectionUsable(HWND page, int button, SistraDocument& document) const
{
    const ModelPtr setup = document.GetSetupModel();
    const int32_t channel = !setup ? NoChannel : spec_->pressureSource ? setup->GetPressureChannel() : setup->GetVolumeChannel();
    if (SelectionUsableForChannel(document, channel))
        return true;
    ShowControlBalloonFromStrings(GetDlgItem(page, button), spec_->noSelectionTitle, spec_->noSelectionText);
    return false;
}

void CalibrationBoxes::FromSelection(HWND page, int button, SistraDocument& document)
{
    if (!SelectionUsable(page, button, document))
        return;
    const LONG point = button == StepControl::FirstFromSelection ? 0 : 1;
    SendDocumentCommand(document, spec_->fromSelectionMessage, OneLongPayload{.value = point});
}

void CalibrationBoxes::WarnOfDoubtfulLine(HWND page, SistraDocument& document, Model& model) const
{
    if (model.GetValue<PropertyType::Bool>(spec_->appliedProperty) && !WarnIfFalling(page, document, model))
        WarnIfVolumesBelowZero(page, document);
}

// The slope is reckoned in the units the boxes show, so that the balloon gives the number the user can
// check against the boxes.
bool CalibrationBoxes::WarnIfFalling(HWND page, SistraDocument& document, Model& model) const
{
    std::array<double, 4> shown{};
    for (size_t i = 0; i < shown.size(); ++i)
    {
        const CalibrationBox& box = spec_->boxes[i];
        shown[i] = model.GetValue<PropertyType::Double>(box.propertyId) / BoxFactor(box, document, model);
    }
    const double slope = (shown[3] - shown[1]) / (shown[2] - shown[0]);
    if (!(slope < 0.0))
        return false;
    Orv::OFormatStringStream text(IDS_STEP_FALLING_CALIBRATION);
    text << FormatNumber(slope);
    ShowControlBalloon(GetDlgItem(page, StepControl::Apply),
                       Orv::String(Orv::ThisModule(), IDS_STEP_FALLING_CALIBRATION_TITLE, true), text.Str());
    return true;
}

// The calibration re-analysed the loops as it was applied: their least volume, in the unit the table
// shows it in, as the batch's analysis warns of it.
bool CalibrationBoxes::WarnIfVolumesBelowZero(HWND page, SistraDocument& document) const
{
    constexpr int32_t VminParameter = 5;
    if (!spec_->makesVolumes)
        return false;
    const std::optional<ParameterSummary> vmin = document.Data().GetParameterStatistics(VminParameter);
    if (!vmin || vmin->count == 0 || !(vmin->minimum < 0.0))
        return false;
    Orv::OFormatStringStream text(IDS_STEP_VOLUMES_BELOW_ZERO);
    text << FormatNumber(vmin->minimum) << document.ParameterUnit(VminParameter);
    ShowControlBalloon(GetDlgItem(page, StepControl::Apply),
                       Orv::String(Orv::ThisModule(), IDS_STEP_VOLUMES_BELOW_ZERO_TITLE, true), text.Str());
    return true;
}

void CalibrationBoxes::LaunchMpvs(SistraDocument& document)
{
    SendDocumentCommand(document, AutomationMessage::OpenMPVSControlSoftware);
}

} // namespace Sistra
