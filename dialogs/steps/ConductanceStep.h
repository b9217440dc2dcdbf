// Step 3 of the small-mammal workflow: the pressure step's twin for the conductance signal recorded on
// the volume channel. The known conductances are typed in a unit the user chooses (mS or RVU).
#pragma once

#include "dialogs/steps/CalibrationStep.h"

class ConductanceStep : public Sistra::CalibrationStep<ConductanceStep, Sistra::StepId::ConductanceStep>
{
public:
    enum { IDD = IDD_STEP_CONDUCTANCE };
    static const Sistra::CalibrationPageSpec Spec;

    explicit ConductanceStep(Sistra::SistraDocument* document) : CalibrationStep(document) {}
};
