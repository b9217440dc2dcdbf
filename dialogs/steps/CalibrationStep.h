// What the two-point calibration pages share: four number boxes bound to model properties (the sampled
// values in the source channel's unit, the known values as typed or in a unit the page chooses), an apply
// check box, buttons that take a sampled value from the host's selection, and the button that starts the
// MPVS control software.
#pragma once

#include "dialogs/framework/StepDlgBase.h"

#include <array>
#include <vector>

namespace Sistra
{

// How a box's number relates to the base-unit value its property stores.
enum class BoxScale
{
    PressureChannel,  // in the pressure channel's unit
    VolumeChannel,    // in the volume channel's unit
    ModelUnit,        // in the unit the page's model keeps (CalibrationPageSpec::unitProperty)
    // per the conductance calibration's unit, in the unit the page's model keeps
    ModelUnitPerConductance,
    AsTyped,
};

struct CalibrationBox
{
    int editId;
    int propertyId;
    BoxScale scale;
};

// A drop-down list of the units in which a page's known values are typed, and a label that repeats the
// unit beside the second row. Another unit keeps the numbers shown and reads them in it.
struct ModelUnitChoice
{
    void (*units)(std::vector<Orv::PrefixedUnit>& list);
    // The properties kept in the model's unit; -1 for none.
    std::array<int, 3> values;
};

struct CalibrationPageSpec
{
    // Boxes with id 0 are not on the page.
    std::array<CalibrationBox, 4> boxes;
    int appliedProperty;
    int unitProperty;
    // The from-selection buttons measure the pressure channel (else the volume channel) with this
    // automation message, and say this when the selection will not do.
    bool pressureSource;
    USHORT fromSelectionMessage;
    UINT noSelectionTitle;
    UINT noSelectionText;
    // A two-point page: it has separators to align and, where the page has it, the button that starts
    // the MPVS control software, and its sampled values (boxes 0 and 2) are shown again after a problem.
    bool twoPoint = true;
    // The list of units for the model's unit property; none when the page offers no choice.
    const ModelUnitChoice* unitChoice = nullptr;
    // The page's line makes the volume channel's volumes: one that takes the loops below zero is said.
    bool makesVolumes = false;
};

namespace CalibrationControl
{
constexpr int LaunchMpvs = 1104;
constexpr int LaunchMpvsLabel = 1112;
constexpr int TopSeparator = 1072;
constexpr int MiddleSeparator = 1073;
constexpr int BottomSeparator = 1099;
constexpr int KnownUnit = 1106;
constexpr int KnownUnitLabel = 1084;
} // namespace CalibrationControl

inline constexpr StepImageButton CalibrationImageButtons[] = {
    {StepControl::DetectorSettings, IDP_STEP_DETECTOR_SETTINGS},
    {CalibrationControl::LaunchMpvs, IDP_STEP_LAUNCH_MPVS},
};

// The page's boxes and the model, both ways.
class CalibrationBoxes
{
public:
    explicit CalibrationBoxes(const CalibrationPageSpec& spec) : spec_(&spec) {}
    // The page's boxes now stand for other properties.
    void Respec(const CalibrationPageSpec& spec) { spec_ = &spec; }

    // Separators as wide as the instructions, the MPVS button only where the software is, boxes that
    // hear no change when the page writes them.
    void Initialise(HWND page);
    // The user typed in a box: its number goes into the model (an emptied box withdraws the applied
    // calibration) and is committed.
    void EditChanged(HWND page, int id, SistraDocument& document, Model& model);
    // The check box always follows the model; the boxes only while the user is not typing in one.
    void ShowModel(HWND page, const PropertyIdSet& changed, SistraDocument& document, Model& model);
    // Asks the document for the selection's mean, or says why the selection will not do.
    void FromSelection(HWND page, int button, SistraDocument& document);
    // The selection is one the buttons can measure; else a balloon on the button says so.
    bool SelectionUsable(HWND page, int button, SistraDocument& document) const;
    // The unit chosen in the list goes into the model, the values kept in it rescaled; committed.
    void UnitChanged(HWND page, Model& model);
    void LaunchMpvs(SistraDocument& document);
    // A two-point calibration just applied whose line falls stays applied (a transducer may be wired the
    // other way round), but a balloon on the check box says so: one known value typed beside the other
    // point's sampled value gives such a line too. So does a volume line that takes the analysed loops'
    // volumes below zero (a known volume typed in another unit than the one beside it).
    void WarnOfDoubtfulLine(HWND page, SistraDocument& document, Model& model) const;

    // The factor a box's number is multiplied by to store it.
    double BoxFactor(const CalibrationBox& box, SistraDocument& document, Model& model) const;
    const CalibrationPageSpec& Spec() const { return *spec_; }

private:
    void ShowUnit(HWND page, Model& model) const;
    // Whether a balloon was shown.
    bool WarnIfFalling(HWND page, SistraDocument& document, Model& model) const;
    bool WarnIfVolumesBelowZero(HWND page, SistraDocument& document) const;

    const CalibrationPageSpec* spec_;
    bool editing_ = false;
};

template <class T, int N>
class CalibrationStep : public StepDlgBase<T, N>
{
    using Base = StepDlgBase<T, N>;

public:
    static constexpr StepPageLayout Layout{StepControl::SamplingLabel, false, CalibrationImageButtons, 2};

    explicit CalibrationStep(SistraDocument* document) : Base(document), boxes_(T::Spec) {}

    void OnModelChanged(const PropertyIdSet& changed) override
    {
        if (this->m_hWnd && this->GetModel() && this->GetDocument())
            boxes_.ShowModel(this->m_hWnd, changed, *this->GetDocument(), *this->GetModel());
    }
    // After the pane shows the problem, the sampled-value boxes show the model's values again, and the
    // unit label the unit chosen (pending while the problem lasts) as the list does.
    void OnValidationProblem() override
    {
        PropertyIdSet shown;
        if (T::Spec.twoPoint)
            shown.Set(T::Spec.boxes[0].propertyId).Set(T::Spec.boxes[2].propertyId);
        if (T::Spec.unitChoice)
            shown.Set(T::Spec.unitProperty);
        if (shown.Any())
            OnModelChanged(shown);
    }

    BEGIN_DLGRESIZE_MAP(CalibrationStep)
        DLGRESIZE_CONTROL(StepControl::FirstInstruction, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(CalibrationControl::TopSeparator, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(CalibrationControl::MiddleSeparator, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(StepControl::SecondInstruction, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(CalibrationControl::BottomSeparator, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(StepControl::SamplingPlaceholder, WTL::DLSZ_MOVE_X)
        // The label gives way to the sampling button as the page narrows.
        DLGRESIZE_CONTROL(StepControl::SamplingLabel, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(CalibrationControl::LaunchMpvs, WTL::DLSZ_MOVE_X)
    END_DLGRESIZE_MAP()

    BEGIN_MSG_MAP(CalibrationStep)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_CODE_HANDLER(EN_CHANGE, OnEditChange)
        COMMAND_HANDLER(StepControl::Apply, BN_CLICKED, OnApply)
        COMMAND_HANDLER(CalibrationControl::LaunchMpvs, BN_CLICKED, OnLaunchMpvs)
        COMMAND_HANDLER(StepControl::FirstFromSelection, BN_CLICKED, OnFromSelection)
        COMMAND_HANDLER(StepControl::SecondFromSelection, BN_CLICKED, OnFromSelection)
        COMMAND_HANDLER(CalibrationControl::KnownUnit, CBN_SELCHANGE, OnUnitChange)
        CHAIN_MSG_MAP(Base)
    END_MSG_MAP()

protected:
    CalibrationBoxes& Boxes() { return boxes_; }

    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
    {
        boxes_.Initialise(this->m_hWnd);
        return Base::OnInitDialog(msg, wParam, lParam, handled);
    }
    LRESULT OnEditChange(WORD, WORD id, HWND, BOOL&)
    {
        if (this->GetModel() && this->GetDocument())
            boxes_.EditChanged(this->m_hWnd, id, *this->GetDocument(), *this->GetModel());
        return 0;
    }
    LRESULT OnApply(WORD, WORD, HWND, BOOL&)
    {
        this->OnApplyClicked(T::Spec.appliedProperty);
        if (T::Spec.twoPoint && this->GetModel() && this->GetDocument())
            boxes_.WarnOfDoubtfulLine(this->m_hWnd, *this->GetDocument(), *this->GetModel());
        return 0;
    }
    LRESULT OnLaunchMpvs(WORD, WORD, HWND, BOOL&)
    {
        if (this->GetDocument())
            boxes_.LaunchMpvs(*this->GetDocument());
        return 0;
    }
    LRESULT OnFromSelection(WORD, WORD id, HWND, BOOL&)
    {
        if (this->GetDocument())
            boxes_.FromSelection(this->m_hWnd, id, *this->GetDocument());
        return 0;
    }
    LRESULT OnUnitChange(WORD, WORD, HWND, BOOL&)
    {
        if (this->GetModel())
            boxes_.UnitChanged(this->m_hWnd, *this->GetModel());
        return 0;
    }

private:
    CalibrationBoxes boxes_;
};

} // namespace Sistra
