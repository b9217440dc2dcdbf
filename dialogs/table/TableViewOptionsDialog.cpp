#include "dialogs/table/TableViewOptionsDialog.h"
#include "dialogs/framework/DialogCentring.h"

#include "controls/balloon/BalloonCheckBox.h"
#include "controls/buttons/BmpTxtButton.h"
#include "controls/dialogs/SettingsWarningDialog.h"
#include "document/analysis/ParameterNames.h"
#include "document/core/SistraDocument.h"
#include "document/models/workflow/Workflow.h"
#include "foundation/text/StringResources.h"
#include "hostframework/services/HostHelp.h"
#include "hostframework/services/HostServices.h"
#include "resources/ResourceIds.h"

#include <algorithm>

namespace Sistra
{

const TableParameterBox TableParameterBoxes[31] = {
    {IDC_TABLE_OPTIONS_FIRST_BOX + 0, 1, IDS_TABLE_BALLOON_FIRST + 0, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 1, 2, IDS_TABLE_BALLOON_FIRST + 1, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 2, 3, IDS_TABLE_BALLOON_FIRST + 2, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 3, 4, IDS_TABLE_BALLOON_FIRST + 3, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 4, 5, IDS_TABLE_BALLOON_FIRST + 4, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 5, 6, IDS_TABLE_BALLOON_FIRST + 5, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 6, 7, IDS_TABLE_BALLOON_FIRST + 6, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 7, 8, IDS_TABLE_BALLOON_FIRST + 7, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 8, 9, IDS_TABLE_BALLOON_FIRST + 8, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 9, 10, IDS_TABLE_BALLOON_FIRST + 9, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 10, 11, IDS_TABLE_BALLOON_FIRST + 10, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 11, 12, IDS_TABLE_BALLOON_FIRST + 11, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 12, 13, IDS_TABLE_BALLOON_FIRST + 12, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 13, 14, IDS_TABLE_BALLOON_FIRST + 13, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 14, 15, IDS_TABLE_BALLOON_FIRST + 14, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 15, 16, IDS_TABLE_BALLOON_FIRST + 15, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 16, 17, IDS_TABLE_BALLOON_FIRST + 16, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 17, 18, IDS_TABLE_BALLOON_FIRST + 17, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 18, 19, IDS_TABLE_BALLOON_FIRST + 18, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 19, 20, IDS_TABLE_BALLOON_FIRST + 19, 0},
    {IDC_TABLE_OPTIONS_FIRST_BOX + 20, 21, IDS_TABLE_BALLOON_FIRST + 20, 0},
    {IDC_TABLE_OPTIONS_PVA, 26, IDS_TABLE_BALLOON_FIRST + 21, IDS_TABLE_BALLOON_TITLE_PVA},
    {IDC_TABLE_OPTIONS_PE, 27, IDS_TABLE_BALLOON_FIRST + 22, IDS_TABLE_BALLOON_TITLE_PE},
    {IDC_TABLE_OPTIONS_CE, 28, IDS_TABLE_BALLOON_FIRST + 23, 0},
    {IDC_TABLE_OPTIONS_TAU, 29, IDS_TABLE_BALLOON_FIRST + 24, 0},
    {IDC_TABLE_OPTIONS_P_AT_DVDT_MAX, 22, IDS_TABLE_BALLOON_FIRST + 25, IDS_TABLE_BALLOON_TITLE_P_AT_DVDT_MAX},
    {IDC_TABLE_OPTIONS_P_AT_DPDT_MAX, 23, IDS_TABLE_BALLOON_FIRST + 26, IDS_TABLE_BALLOON_TITLE_P_AT_DPDT_MAX},
    {IDC_TABLE_OPTIONS_V_AT_DPDT_MAX, 24, IDS_TABLE_BALLOON_FIRST + 27, IDS_TABLE_BALLOON_TITLE_V_AT_DPDT_MAX},
    {IDC_TABLE_OPTIONS_V_AT_DPDT_MIN, 25, IDS_TABLE_BALLOON_FIRST + 28, IDS_TABLE_BALLOON_TITLE_V_AT_DPDT_MIN},
    {IDC_TABLE_OPTIONS_ESPVR, 30, IDS_TABLE_BALLOON_ESPVR, IDS_TABLE_BALLOON_TITLE_ESPVR},
    {IDC_TABLE_OPTIONS_PISO, 31, IDS_TABLE_BALLOON_PISO, IDS_TABLE_BALLOON_TITLE_PISO},
};

DEFINE_RESPONSE_TABLE1(TableViewOptionsDialog, Orv::DialogBase)
    EV_COMMAND(IDC_TABLE_OPTIONS_CHECK_ALL, CmCheckAll),
    EV_COMMAND(IDC_TABLE_OPTIONS_UNCHECK_ALL, CmUncheckAll),
    EV_COMMAND(IDC_TABLE_OPTIONS_HELP, CmHelp),
END_RESPONSE_TABLE;

TableViewOptionsDialog::TableViewOptionsDialog(OWL::TWindow* parent, SistraDocument& document, ModelPtr model)
    : Orv::DialogBase(parent, IDD_TABLE_OPTIONS), document_(document), model_(std::move(model))
{
    static const Orv::String helpText(Orv::ThisModule(), IDS_TABLE_OPTIONS_HELP, true);
    help_ = new OrvControls::TBmpTxtButton(this, IDC_TABLE_OPTIONS_HELP, helpText);
    new OrvControls::DialogSeparator(this, IDC_TABLE_OPTIONS_CALCULATIONS);
    new OrvControls::DialogSeparator(this, IDC_TABLE_OPTIONS_SUMMARY_CAPTION);
    for (const TableParameterBox& row : TableParameterBoxes)
    {
        auto* box = new OrvControls::TBalloonCheckBox(this, row.control);
        const Orv::String title =
            row.title ? Orv::String(Orv::ThisModule(), row.title, true) : GetParameterName(row.parameter, false);
        const Orv::String text(Orv::ThisModule(), row.text, true);
        box->SetBalloonText(0, title.c_str(), text.c_str());
        boxes_.push_back(box);
    }
    summary_ = new OWL::TCheckBox(this, IDC_TABLE_OPTIONS_SUMMARY);
}

void TableViewOptionsDialog::SetupWindow()
{
    Orv::DialogBase::SetupWindow();
    // The host opens it at its owner's corner; a person expects it over the window it belongs to.
    Orv::CentreDialog(GetHandle());
    help_->SetBitmap(IDB_VIEW_HELP);
    Workflow(&document_).GetExcludedParameters(excluded_);
    summary_->SetCheck(model_->GetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane) ? BST_CHECKED : BST_UNCHECKED);
    const ParameterSet shown = model_->GetTableParameterSet();
    for (size_t row = 0; row < boxes_.size(); ++row)
    {
        const int32_t parameter = TableParameterBoxes[row].parameter;
        const bool excluded = IsExcluded(parameter);
        boxes_[row]->EnableWindow(!excluded);
        boxes_[row]->SetCheck(!excluded && shown.count(parameter) ? BST_CHECKED : BST_UNCHECKED);
    }
}

bool TableViewOptionsDialog::IsExcluded(int32_t parameter) const
{
    return std::find(excluded_.begin(), excluded_.end(), parameter) != excluded_.end();
}

void TableViewOptionsDialog::CmHelp()
{
    ShowSistraHelp(HostAppAccessor::Get(), L"pv_hemodynamics_options");
}

void TableViewOptionsDialog::TickAll(bool ticked)
{
    for (size_t row = 0; row < boxes_.size(); ++row)
        if (!IsExcluded(TableParameterBoxes[row].parameter))
            boxes_[row]->SetCheck(ticked ? BST_CHECKED : BST_UNCHECKED);
}

bool TableViewOptionsDialog::CanClose()
{
    if (!Orv::DialogBase::CanClose())
        return false;
    // The setters store only what changed and leave a locked property alone.
    model_->SetValue<PropertyType::Bool>(PropertyId::ShowSummaryPane, summary_->GetCheck() == BST_CHECKED);
    ParameterSet shown = model_->GetTableParameterSet();
    for (size_t row = 0; row < boxes_.size(); ++row)
    {
        const int32_t parameter = TableParameterBoxes[row].parameter;
        if (!boxes_[row]->GetHandle() || IsExcluded(parameter))
            continue;
        if (boxes_[row]->GetCheck() == BST_CHECKED)
            shown.insert(parameter);
        else
            shown.erase(parameter);
    }
    model_->SetTableParameterSet(shown);
    model_->CommitChanges();
    return true;
}

} // namespace Sistra
