// The hemodynamics table's options: which of the 31 parameters the table shows and whether it shows its
// summary pane. The dialog edits a working copy of the table's model; the view copies it back on OK.
// Parameters the workflow leaves out (the areas of a baseline analysis) are shown unticked and disabled,
// and keep their place in the set as it was.
#pragma once

#include "controls/dialogs/DialogBase.h"
#include "document/models/Model.h"

#include <vector>

namespace OWL
{
class TCheckBox;
}
namespace OrvControls
{
class TBalloonCheckBox;
class TBmpTxtButton;
} // namespace OrvControls

namespace Sistra
{

class SistraDocument;

// One parameter's check box: its control, the parameter and its balloon's texts (title 0: the
// parameter's long name).
struct TableParameterBox
{
    int control;
    int32_t parameter;
    UINT text;
    UINT title;
};
extern const TableParameterBox TableParameterBoxes[31];

class TableViewOptionsDialog : public Orv::DialogBase
{
public:
    // model: the working copy the dialog edits; it outlives the dialog.
    TableViewOptionsDialog(OWL::TWindow* parent, SistraDocument& document, ModelPtr model);

    // OK: stores the boxes into the model and commits it.
    bool CanClose() override;
    // Ticks or unticks every box the workflow does not leave out.
    void TickAll(bool ticked);

    DECLARE_RESPONSE_TABLE(TableViewOptionsDialog);

protected:
    void SetupWindow() override;

private:
    void CmCheckAll() { TickAll(true); }
    void CmUncheckAll() { TickAll(false); }
    void CmHelp();
    bool IsExcluded(int32_t parameter) const;

    OrvControls::TBmpTxtButton* help_;
    // Children of the dialog, in the order of the parameter table.
    std::vector<OrvControls::TBalloonCheckBox*> boxes_;
    OWL::TCheckBox* summary_;
    SistraDocument& document_;
    ModelPtr model_;
    std::vector<int32_t> excluded_;
};

} // namespace Sistra
