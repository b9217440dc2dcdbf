// Step 7: whether the region to analyse is baseline data or an occlusion run, the analysis itself and the
// detector settings, and the way to the host's Analysis Manager.
#pragma once

#include "dialogs/framework/StepDlgBase.h"

inline constexpr Sistra::StepImageButton AnalyseImageButtons[] = {
    {Sistra::StepControl::DetectorSettings, IDP_STEP_DETECTOR_SETTINGS},
    {IDC_ANALYSE_NOW, IDP_STEP_ANALYSE_NOW},
    {IDC_ANALYSE_MANAGER, IDP_STEP_ANALYSIS_MANAGER},
};

class AnalyseStep : public Sistra::StepDlgBase<AnalyseStep, Sistra::StepId::AnalyseStep>
{
public:
    enum { IDD = IDD_STEP_ANALYSE };
    static constexpr Sistra::StepPageLayout Layout{Sistra::StepControl::SamplingLabel, false, AnalyseImageButtons, 3};

    explicit AnalyseStep(Sistra::SistraDocument* document) : StepDlgBase(document) {}

    void OnModelChanged(const Sistra::PropertyIdSet& changed) override;

    BEGIN_DLGRESIZE_MAP(AnalyseStep)
        DLGRESIZE_CONTROL(IDC_ANALYSE_TYPE, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(Sistra::StepControl::FirstInstruction, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_ANALYSE_LINE, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_ANALYSE_NOW, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(Sistra::StepControl::DetectorSettings, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(IDC_ANALYSE_MANAGER, WTL::DLSZ_MOVE_X)
    END_DLGRESIZE_MAP()

    BEGIN_MSG_MAP(AnalyseStep)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_CODE_HANDLER(CBN_SELCHANGE, OnAnalysisTypeChanged)
        COMMAND_HANDLER(IDC_ANALYSE_NOW, BN_CLICKED, OnAnalyzeNow)
        COMMAND_HANDLER(IDC_ANALYSE_MANAGER, BN_CLICKED, OnAnalysisManager)
        CHAIN_MSG_MAP(StepDlgBase)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // Writes the chosen type (-1 without a choice) and commits even when it did not change.
    LRESULT OnAnalysisTypeChanged(WORD, WORD, HWND combo, BOOL&);
    LRESULT OnAnalyzeNow(WORD, WORD, HWND, BOOL&);
    // Asks the host to open its Analysis Manager.
    LRESULT OnAnalysisManager(WORD, WORD, HWND, BOOL&);
};
