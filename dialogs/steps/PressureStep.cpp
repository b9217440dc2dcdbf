#include "dialogs/steps/PressureStep.h"

#include "hostframework/messaging/SistraIds.h"

using namespace Sistra;

// The sampled values in the pressure channel's unit, the known pressures as typed (mmHg).
const CalibrationPageSpec PressureStep::Spec{
    {{{StepControl::FirstValue, PropertyId::PressureBase1, BoxScale::PressureChannel},
      {IDC_PRESSURE_KNOWN_1, PropertyId::PressureConverted1, BoxScale::AsTyped},
      {StepControl::SecondValue, PropertyId::PressureBase2, BoxScale::PressureChannel},
      {IDC_PRESSURE_KNOWN_2, PropertyId::PressureConverted2, BoxScale::AsTyped}}},
    PropertyId::PressureCalibrationApplied,
    -1,
    true,
    AutomationMessage::SetSistraPressureValueFromSel,
    IDS_STEP_NO_PRESSURE_SELECTION_TITLE,
    IDS_STEP_NO_PRESSURE_SELECTION,
};

namespace
{

const StepDlgClassObj<PressureStep> factory;

} // namespace

