// Step 9 of the large-mammal workflow: the volume channel calibrated by two points, each a value sampled
// with the MPVS Ultra system (its control software started from the page) and the known volume it stands
// for, typed in a unit the user chooses (µL or mL).
#pragma once

#include "dialogs/steps/CalibrationStep.h"

namespace Sistra
{

class VolumeMPVSStep : public CalibrationStep<VolumeMPVSStep, StepId::VolumeMPVSStep>
{
public:
    enum { IDD = IDD_STEP_VOLUME_MPVS };
    static const CalibrationPageSpec Spec;

    explicit VolumeMPVSStep(SistraDocument* document) : CalibrationStep(document) {}
};

} // namespace Sistra
