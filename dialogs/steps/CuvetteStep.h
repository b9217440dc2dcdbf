// Step 5 of the small-mammal workflow: the linear conversion from conductance to volume (Volume = slope x
// Conductance + intercept), usually worked out in the cuvette calibration view, shown, edited and applied.
#pragma once

#include "dialogs/steps/CalibrationStep.h"

class CuvetteStep : public Sistra::CalibrationStep<CuvetteStep, Sistra::StepId::CuvetteStep>
{
public:
    enum { IDD = IDD_STEP_CUVETTE };
    static constexpr Sistra::StepPageLayout Layout{};
    static const Sistra::CalibrationPageSpec Spec;

    explicit CuvetteStep(Sistra::SistraDocument* document) : CalibrationStep(document) {}

    BEGIN_DLGRESIZE_MAP(CuvetteStep)
        DLGRESIZE_CONTROL(Sistra::StepControl::FirstInstruction, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(Sistra::CalibrationControl::TopSeparator, WTL::DLSZ_SIZE_X)
    END_DLGRESIZE_MAP()

    BEGIN_MSG_MAP(CuvetteStep)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        CHAIN_MSG_MAP(CalibrationStep)
    END_MSG_MAP()

private:
    // The equation names the conductance unit of the time the page is made.
    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
};
