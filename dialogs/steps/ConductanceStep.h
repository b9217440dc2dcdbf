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

    // The unit also follows the model while the user types.
    void OnModelChanged(const Sistra::PropertyIdSet& changed) override;

    BEGIN_MSG_MAP(ConductanceStep)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_HANDLER(IDC_CONDUCTANCE_UNIT, CBN_SELCHANGE, OnUnitChange)
        CHAIN_MSG_MAP(CalibrationStep)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The numbers in the boxes stay as typed and are read in the new unit.
    LRESULT OnUnitChange(WORD, WORD, HWND, BOOL&);
};

