#include "dialogs/steps/ConductanceStep.h"

#include "dialogs/helpers/UnitChoices.h"
#include "hostframework/messaging/SistraIds.h"

using namespace Sistra;

namespace
{

const ModelUnitChoice ConductanceUnits{&GetConductanceUnitList,
                                       {PropertyId::ConductanceConverted1, PropertyId::ConductanceConverted2, -1}};

const StepDlgClassObj<ConductanceStep> factory;

} // namespace

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
    true,
    &ConductanceUnits,
};
