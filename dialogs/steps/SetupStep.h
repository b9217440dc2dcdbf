// Step 1 of every workflow: the user chooses the workflow and the pressure and volume source channels.
// Problems with the choice (the same channel twice, a channel computed from the analysis) come from the
// setup model through the pane.
#pragma once

#include "dialogs/framework/StepDlgBase.h"
#include "platform/atl/WindowImpl.h"
#include "resources/ResourceIds.h"

namespace Sistra
{

// A combo box that shows "Choose ..." while nothing is chosen.
class ChooseCombo : public ATL::CWindowImpl<ChooseCombo>
{
public:
    BEGIN_MSG_MAP(ChooseCombo)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
    END_MSG_MAP()

private:
    LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&);
};

} // namespace Sistra

class SetupStep : public Sistra::StepDlgBase<SetupStep, Sistra::StepId::SetupStep>
{
public:
    enum { IDD = IDD_STEP_SETUP };

    explicit SetupStep(Sistra::SistraDocument* document) : StepDlgBase(document) {}

    void OnModelChanged(const Sistra::PropertyIdSet& changed) override;

    BEGIN_DLGRESIZE_MAP(SetupStep)
        DLGRESIZE_CONTROL(IDC_SETUP_WORKFLOW, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_SETUP_PRESSURE, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_SETUP_VOLUME, WTL::DLSZ_SIZE_X)
    END_DLGRESIZE_MAP()

    BEGIN_MSG_MAP(SetupStep)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_CODE_HANDLER(CBN_SELCHANGE, OnSelChange)
        CHAIN_MSG_MAP(StepDlgBase)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnSelChange(WORD, WORD id, HWND combo, BOOL&);

    Sistra::ChooseCombo workflow_;
    Sistra::ChooseCombo pressure_;
    Sistra::ChooseCombo volume_;
};

// The workflow kind of a list item (1 small mammal, 2 large mammal, 3 echo; 0 for none) and back (-1:
// no item).
int WorkflowKindOfItem(int item);
int ItemOfWorkflowKind(int kind);

