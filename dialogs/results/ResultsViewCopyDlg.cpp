#include "dialogs/results/ResultsViewCopyDlg.h"
#include "dialogs/framework/DialogCentring.h"

#include "platform/owl/controls/Control.h"
#include "resources/ResourceIds.h"

namespace Sistra
{

DEFINE_RESPONSE_TABLE1(ResultsViewCopyDlg, Orv::DialogBase)
    EV_WM_INITDIALOG,
    EV_BN_CLICKED(IDC_COPY_GRAPH, GraphClicked),
    EV_BN_CLICKED(IDC_COPY_TABLE, TableClicked),
    EV_COMMAND(IDCANCEL, CmCancel),
END_RESPONSE_TABLE;

ResultsViewCopyDlg::ResultsViewCopyDlg(OWL::TWindow* parent, OWL::TResId resource, int choice)
    : Orv::DialogBase(parent, resource), choice_(choice), graph_(new OWL::TRadioButton(this, IDC_COPY_GRAPH)),
      table_(new OWL::TRadioButton(this, IDC_COPY_TABLE))
{
}

void ResultsViewCopyDlg::SetupWindow()
{
    Orv::DialogBase::SetupWindow();
    // The host opens it at its owner's corner; a person expects it over the window it belongs to.
    Orv::CentreDialog(GetHandle());
    Show(choice_ == CopyGraph || choice_ == 2 ? CopyGraph : CopyTable);
}

bool ResultsViewCopyDlg::EvInitDialog(HWND focus)
{
    Orv::DialogBase::EvInitDialog(focus);
    return false;
}

void ResultsViewCopyDlg::Show(int choice)
{
    choice_ = choice;
    graph_->SetCheck(choice == CopyGraph ? BST_CHECKED : BST_UNCHECKED);
    table_->SetCheck(choice == CopyGraph ? BST_UNCHECKED : BST_CHECKED);
}

} // namespace Sistra
