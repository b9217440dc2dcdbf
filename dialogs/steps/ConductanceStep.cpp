#include "dialogs/steps/ConductanceStep.h"

#include "dialogs/helpers/UnitChoices.h"
#include "hostframework/messaging/SistraIds.h"

#include <cmath>
#include <vector>

using namespace Sistra;

// The sampled values in the volume channel's unit, the known conductances in the model's unit.
const CalibrationPageSpec ConductanceStep::Spec{
    {{{StepControl::FirstValue, PropertyId::ConductanceBase1, BoxScale::VolumeChannel},
      {IDC_CONDUCTANCE_KNOWN_1, PropertyId::ConductanceConverted1, BoxScale::ModelUnit},
      {StepControl::SecondValue, PropertyId::ConductanceBase2, BoxScale::VolumeChannel},
      {IDC_CONDUCTANCE_KNOWN_2, PropertyId::ConductanceConverted2, BoxScale::ModelUnit}}},
    PropertyId::ConductanceCalibrationApplied,
    PropertyId::ConductanceUnit,
    false,
    AutomationMessage::SetSistraConductanceValueFromSel,
    IDS_STEP_NO_CONDUCTANCE_SELECTION_TITLE,
    IDS_STEP_NO_CONDUCTANCE_SELECTION,
};

namespace
{

const StepDlgClassObj<ConductanceStep> factory;

} // namespace

LRESULT ConductanceStep::OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    std::vector<Orv::PrefixedUnit> units;
    GetConductanceUnitList(units);
    for (const Orv::PrefixedUnit& unit : units)
        SendDlgItemMessageW(m_hWnd, IDC_CONDUCTANCE_UNIT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit.GetText().c_str()));
    return CalibrationStep::OnInitDialog(msg, wParam, lParam, handled);
}

void ConductanceStep::OnModelChanged(const PropertyIdSet& changed)
{
    if (m_hWnd && GetModel() && changed.Test(PropertyId::ConductanceUnit))
    {
        const Orv::PrefixedUnit unit = PrefixedUnitOf(GetModel()->GetConductanceUnit());
        SetDlgItemTextW(m_hWnd, IDC_CONDUCTANCE_UNIT_LABEL, unit.GetText().c_str());
        SendDlgItemMessageW(m_hWnd, IDC_CONDUCTANCE_UNIT, CB_SETCURSEL, static_cast<WPARAM>(FindConductanceUnit(unit)), 0);
    }
    CalibrationStep::OnModelChanged(changed);
}

LRESULT ConductanceStep::OnUnitChange(WORD, WORD, HWND, BOOL&)
{
    const ModelPtr& model = GetModel();
    std::vector<Orv::PrefixedUnit> units;
    GetConductanceUnitList(units);
    const auto index = static_cast<int>(SendDlgItemMessageW(m_hWnd, IDC_CONDUCTANCE_UNIT, CB_GETCURSEL, 0, 0));
    if (!model || !GetDocument() || index < 0 || index >= static_cast<int>(units.size()))
        return 0;
    const CalibrationBox& known1 = Spec.boxes[1];
    const double oldFactor = Boxes().BoxFactor(known1, *GetDocument(), *model);
    const double first = model->GetValue<PropertyType::Double>(PropertyId::ConductanceConverted1);
    const double second = model->GetValue<PropertyType::Double>(PropertyId::ConductanceConverted2);
    const Orv::PrefixedUnit& chosen = units[static_cast<size_t>(index)];
    model->SetValue<PropertyType::Unit>(PropertyId::ConductanceUnit, UnitInfo{chosen.Name(), chosen.Prefix()});
    const double newFactor = Boxes().BoxFactor(known1, *GetDocument(), *model);
    // The blank and invalid markers stay as they are.
    const auto rescaled = [&](double stored) { return std::isnan(stored) ? stored : stored / oldFactor * newFactor; };
    model->SetValue<PropertyType::Double>(PropertyId::ConductanceConverted1, rescaled(first));
    model->SetValue<PropertyType::Double>(PropertyId::ConductanceConverted2, rescaled(second));
    CommitModel();
    return 0;
}

