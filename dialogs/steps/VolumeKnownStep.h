// Step 10 of the echo workflow: the volume channel calibrated from two of end-systolic, end-diastolic and
// stroke volume: for each, a value sampled on the volume channel (or measured over the selected loops by
// the document) and the volume echocardiography gave.
#pragma once

#include "dialogs/steps/CalibrationStep.h"

#include <array>

class VolumeKnownStep : public Sistra::StepDlgBase<VolumeKnownStep, Sistra::StepId::VolumeKnownStep>
{
public:
    enum { IDD = IDD_STEP_VOLUME_KNOWN };
    // What the two rows' boxes stand for in each calibration mode: ESV and EDV, ESV and SV, EDV and SV.
    static const std::array<Sistra::CalibrationPageSpec, 3> Specs;

    explicit VolumeKnownStep(Sistra::SistraDocument* document) : StepDlgBase(document), boxes_(Specs[0]) {}

    // The four boxes show the model's values on every change, unless the user is typing in one.
    void OnModelChanged(const Sistra::PropertyIdSet& changed) override;
    void OnValidationProblem() override;

    BEGIN_DLGRESIZE_MAP(VolumeKnownStep)
        DLGRESIZE_CONTROL(Sistra::StepControl::FirstInstruction, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(Sistra::CalibrationControl::TopSeparator, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(Sistra::CalibrationControl::MiddleSeparator, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(Sistra::StepControl::SecondInstruction, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(Sistra::CalibrationControl::BottomSeparator, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(Sistra::StepControl::DetectorSettings, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(Sistra::StepControl::SamplingPlaceholder, WTL::DLSZ_MOVE_X)
        // The label gives way to the sampling button as the page narrows.
        DLGRESIZE_CONTROL(Sistra::StepControl::SamplingLabel, WTL::DLSZ_SIZE_X)
    END_DLGRESIZE_MAP()

    BEGIN_MSG_MAP(VolumeKnownStep)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_CODE_HANDLER(EN_CHANGE, OnEditChange)
        COMMAND_HANDLER(Sistra::StepControl::Apply, BN_CLICKED, OnApply)
        COMMAND_HANDLER(Sistra::StepControl::FirstFromSelection, BN_CLICKED, OnFromSelection)
        COMMAND_HANDLER(Sistra::StepControl::SecondFromSelection, BN_CLICKED, OnFromSelection)
        COMMAND_HANDLER(Sistra::CalibrationControl::KnownUnit, CBN_SELCHANGE, OnUnitChanged)
        COMMAND_HANDLER(IDC_KNOWN_VOLUME_MODE, CBN_SELCHANGE, OnModeChanged)
        CHAIN_MSG_MAP(StepDlgBase)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnEditChange(WORD, WORD id, HWND, BOOL&);
    LRESULT OnApply(WORD, WORD, HWND, BOOL&);
    // The document measures the selected loops for the row; the applied calibration is withdrawn first.
    LRESULT OnFromSelection(WORD, WORD id, HWND, BOOL&);
    LRESULT OnUnitChanged(WORD, WORD, HWND, BOOL&);
    // A mode whose boxes are not all filled, or whose values the model finds wrong, withdraws the
    // applied calibration.
    LRESULT OnModeChanged(WORD, WORD, HWND combo, BOOL&);

    void ShowRowNames(int32_t mode);

    Sistra::CalibrationBoxes boxes_;
};

// The boxes of a calibration mode; a mode outside 0 to 2 routes them as the ESV and SV mode does.
const Sistra::CalibrationPageSpec& KnownVolumeSpecOf(int32_t mode);
