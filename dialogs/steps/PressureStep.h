// Step 2: a two-point calibration of the pressure channel. The user samples two signals with the MPVS
// control software, enters each sampled value (in the pressure channel's unit) and its known pressure
// (mmHg), and applies the calibration.
#pragma once

#include "dialogs/steps/CalibrationStep.h"

class PressureStep : public Sistra::CalibrationStep<PressureStep, Sistra::StepId::PressureStep>
{
public:
    enum { IDD = IDD_STEP_PRESSURE };
    static constexpr Sistra::StepPageLayout Layout{Sistra::StepControl::SamplingLabel, true, Sistra::CalibrationImageButtons, 2};
    static const Sistra::CalibrationPageSpec Spec;

    explicit PressureStep(Sistra::SistraDocument* document) : CalibrationStep(document) {}
};

