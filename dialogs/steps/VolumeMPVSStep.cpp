#include "dialogs/steps/VolumeMPVSStep.h"

#include "dialogs/helpers/UnitChoices.h"
#include "hostframework/messaging/SistraIds.h"

namespace Sistra
{

namespace
{

const ModelUnitChoice KnownVolumeUnits{&GetVolumeUnitList, {PropertyId::VolumeConverted1, PropertyId::VolumeConverted2, -1}};

const StepDlgClassObj<VolumeMPVSStep> factory;

} // namespace

// The sampled values in the volume channel's unit, the known volumes in the model's unit.
const CalibrationPageSpec VolumeMPVSStep::Spec{
    {{{StepControl::FirstValue, PropertyId::VolumeBase1, BoxScale::VolumeChannel},
      {IDC_VOLUME_KNOWN_1, PropertyId::VolumeConverted1, BoxScale::ModelUnit},
      {StepControl::SecondValue, PropertyId::VolumeBase2, BoxScale::VolumeChannel},
      {IDC_VOLUME_KNOWN_2, PropertyId::VolumeConverted2, BoxScale::ModelUnit}}},
    PropertyId::VolumeCalibrationApplied,
    PropertyId::VolumeCalibrationUnit,
    false,
    AutomationMessage::SetSistraVolumeValueFromSel,
    IDS_STEP_NO_VOLUME_SELECTION_TITLE,
    IDS_STEP_NO_VOLUME_SELECTION,
    true,
    &KnownVolumeUnits,
    true,
};

} // namespace Sistra
