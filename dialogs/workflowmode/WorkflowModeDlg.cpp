#include "dialogs/workflowmode/WorkflowModeDlg.h"

#include "dialogs/framework/DialogCentring.h"
#include "document/core/DocumentDialogs.h"

namespace Sistra
{

namespace
{

// The document's "Workflow Mode..." command opens this dialog once the module is loaded.
const bool installed = (InstalledDocumentDialogs().workflowMode = [](HWND parent, bool& workflowOn) {
    WorkflowModeDlg dialog(&workflowOn);
    return static_cast<int>(dialog.DoModal(parent));
}, true);

} // namespace

LRESULT WorkflowModeDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    Orv::CentreDialog(m_hWnd);
    CheckDlgButton(m_hWnd, IDC_ENABLE_WORKFLOW, *workflowOn_ ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

LRESULT WorkflowModeDlg::OnClose(WORD, WORD id, HWND, BOOL&)
{
    if (id == IDOK)
        *workflowOn_ = IsDlgButtonChecked(m_hWnd, IDC_ENABLE_WORKFLOW) == BST_CHECKED;
    EndDialog(id);
    return 0;
}

} // namespace Sistra
