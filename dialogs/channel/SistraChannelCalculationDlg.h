// The settings of the module's computed channel: the hemodynamic parameter it plots, and its display
// scale (top and bottom in the parameter's unit, decimal places, or scaling to the data). It edits the
// record the channel hands it. OK takes only what was typed as it reads: a scale top or bottom that is no
// number a channel holds, a top equal to the bottom, or decimal places other than a whole 0 to 6 are
// refused in words and the dialog stays open. A new channel starts scaled to its data.
#pragma once

#include "calc/channel/ChannelCalculationSettings.h"
#include "controls/dialogs/DialogBase.h"
#include "foundation/numbers/Units.h"

#include <optional>
#include <utility>

namespace OWL
{
class TCheckBox;
class TComboBox;
class TEdit;
class TStatic;
class TUpDown;
} // namespace OWL
namespace OrvControls
{
class TBmpTxtButton;
}

namespace Sistra
{

class SistraDocument;

class SistraChannelCalculationDlg : public Orv::DialogBase
{
public:
    // host: the channel's host; hostDocument: the document it plots; settings outlives the dialog.
    SistraChannelCalculationDlg(OWL::TWindow* parent, IUnknown* host, IUnknown* hostDocument,
                                ChannelCalculationSettings& settings);

    // OK: the controls, the chosen parameter and the analysed region go into the record.
    bool CanClose() override;

    DECLARE_RESPONSE_TABLE(SistraChannelCalculationDlg);

protected:
    void SetupWindow() override;

private:
    void WriteControls();
    void ReadControls();
    void EnableScale();
    void ShowUnit();
    void StoreParameter();
    double ScaleFactor() const;
    std::optional<std::pair<Orv::String, OWL::TWindow*>> Refusal() const;

    void OnHelp();
    LRESULT OnDecimalStep(NMHDR& header);
    void OnDecimalsChanged();
    void OnAutoScale();
    void OnParameterChanged();

    IUnknown* host_;
    IUnknown* hostDocument_;
    SistraDocument* document_;
    ChannelCalculationSettings& settings_;
    Orv::PrefixedUnit unit_;
    OWL::TComboBox* parameter_;
    OWL::TCheckBox* autoScale_;
    OWL::TEdit* top_;
    OWL::TEdit* bottom_;
    OWL::TStatic* topUnit_;
    OWL::TStatic* bottomUnit_;
    OWL::TStatic* topLabel_;
    OWL::TStatic* bottomLabel_;
    OWL::TEdit* decimals_;
    OWL::TUpDown* decimalSpin_;
    OrvControls::TBmpTxtButton* help_;
    // Set while the dialog writes its own controls.
    bool updating_ = false;
    bool setUp_ = false;
};

} // namespace Sistra
