// Step 8: the conductance catheter's gain factor alpha, the ratio of the cardiac output (or stroke volume)
// the catheter measured to the same quantity measured by a reference method, worked out and applied.
#pragma once

#include "dialogs/framework/StepDlgBase.h"

class AlphaDlg : public Sistra::StepDlgBase<AlphaDlg, Sistra::StepId::AlphaDlg>
{
public:
    enum { IDD = IDD_STEP_ALPHA };

    explicit AlphaDlg(Sistra::SistraDocument* document) : StepDlgBase(document) {}

    void OnModelChanged(const Sistra::PropertyIdSet& changed) override;

    BEGIN_DLGRESIZE_MAP(AlphaDlg)
        DLGRESIZE_CONTROL(IDC_ALPHA_FROM, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_ALPHA_LINE, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_ALPHA_UPPER_LABEL, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(IDC_ALPHA_UPPER, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(IDC_ALPHA_UPPER_UNIT, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(IDC_ALPHA_BAR, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(IDC_ALPHA_LOWER_LABEL, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(IDC_ALPHA_LOWER, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(IDC_ALPHA_LOWER_UNIT, WTL::DLSZ_MOVE_X)
    END_DLGRESIZE_MAP()

    // Wider than drawn, the fraction moves with the right edge; narrower, it would run into "Alpha =", so it
    // stays where it was drawn and its boxes and units narrow instead.
    void DlgResize_UpdateLayout(int width, int height);

    BEGIN_MSG_MAP(AlphaDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_CODE_HANDLER(EN_CHANGE, OnValueChanged)
        COMMAND_HANDLER(Sistra::StepControl::Apply, BN_CLICKED, OnApply)
        COMMAND_CODE_HANDLER(CBN_SELCHANGE, OnCalculateFromChanged)
        CHAIN_MSG_MAP(StepDlgBase)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnValueChanged(WORD, WORD id, HWND, BOOL&);
    LRESULT OnApply(WORD, WORD, HWND, BOOL&);
    LRESULT OnCalculateFromChanged(WORD, WORD, HWND combo, BOOL&);

    bool editing_ = false;
};

// Alpha from the quantity (1 cardiac output, 2 stroke volume) and the four values: catheter over
// reference; NaN without a quantity or a reference of (nearly) 0.
double ComputeAlpha(int32_t from, double coMillar, double coRef, double svMillar, double svRef);
