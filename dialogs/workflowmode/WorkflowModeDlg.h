// "Sistra Workflow Mode": explains the guided workflow and switches it on or off with one check box. It
// edits the caller's flag, which the caller puts in the setup model.
#pragma once

#include "dialogs/framework/WhiteDialog.h"
#include "platform/atl/DialogImpl.h"
#include "resources/ResourceIds.h"

namespace Sistra
{

class WorkflowModeDlg : public ATL::CDialogImpl<WorkflowModeDlg>, public Orv::WhiteDlg<WorkflowModeDlg>
{
public:
    enum { IDD = IDD_WORKFLOW_MODE };

    // workflowOn: read when the dialog opens, written only on OK.
    explicit WorkflowModeDlg(bool* workflowOn) : workflowOn_(workflowOn) {}

    BEGIN_MSG_MAP(WorkflowModeDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnClose)
        COMMAND_ID_HANDLER(IDCANCEL, OnClose)
        CHAIN_MSG_MAP(Orv::WhiteDlg<WorkflowModeDlg>)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(WORD, WORD id, HWND, BOOL&);

    bool* workflowOn_;
};

} // namespace Sistra
