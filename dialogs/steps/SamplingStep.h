// Step 4 of every workflow: what to record for the workflow, the host's sampling button, the detector
// settings, and the user's word that sampling is complete.
#pragma once

#include "dialogs/framework/StepDlgBase.h"

class SamplingStep : public Sistra::StepDlgBase<SamplingStep, Sistra::StepId::SamplingStep>
{
public:
    enum { IDD = IDD_STEP_SAMPLING };
    static constexpr Sistra::StepPageLayout Layout{IDC_SAMPLING_LABEL, false, Sistra::DetectorSettingsButton, 1};

    explicit SamplingStep(Sistra::SistraDocument* document) : StepDlgBase(document) {}

    void OnModelChanged(const Sistra::PropertyIdSet& changed) override;

    BEGIN_DLGRESIZE_MAP(SamplingStep)
        DLGRESIZE_CONTROL(Sistra::StepControl::FirstInstruction, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_SAMPLING_TOP_LINE, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_SAMPLING_BOTTOM_LINE, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(Sistra::StepControl::DetectorSettings, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(Sistra::StepControl::SamplingPlaceholder, WTL::DLSZ_MOVE_X)
        // Kept short of the sampling button, which moves with the right edge (see the saline step's label).
        DLGRESIZE_CONTROL(IDC_SAMPLING_LABEL, WTL::DLSZ_SIZE_X)
    END_DLGRESIZE_MAP()

    BEGIN_MSG_MAP(SamplingStep)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_HANDLER(Sistra::StepControl::Apply, BN_CLICKED, OnCompleteClicked)
        CHAIN_MSG_MAP(StepDlgBase)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnCompleteClicked(WORD, WORD, HWND, BOOL&);
};

// The instruction of the sampling page for a workflow kind (its string id).
UINT SamplingInstruction(int workflowKind);

