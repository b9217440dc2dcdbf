// "Edit Parallel Conductance": corrects the parallel conductance of one entry of the saline step's bolus
// list. It shows the caller's value in the volume channel's unit and, on OK only, writes the typed number
// back in the unit without its prefix; what becomes of it is the caller's business.
#pragma once

#include "dialogs/framework/WhiteDialog.h"
#include "document/models/ModelValues.h"
#include "platform/atl/DialogImpl.h"
#include "resources/ResourceIds.h"

namespace Sistra
{

class EditBolusDlg : public ATL::CDialogImpl<EditBolusDlg>, public Orv::WhiteDlg<EditBolusDlg>
{
public:
    enum { IDD = IDD_EDIT_BOLUS };

    // value: in the unit without its prefix; read when the dialog opens, written only on OK.
    EditBolusDlg(double* value, const UnitInfo& unit) : value_(value), unit_(unit) {}

    BEGIN_MSG_MAP(EditBolusDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_CODE_HANDLER(EN_CHANGE, OnValueChanged)
        COMMAND_ID_HANDLER(IDOK, OnCloseCmd)
        COMMAND_ID_HANDLER(IDCANCEL, OnCloseCmd)
        CHAIN_MSG_MAP(Orv::WhiteDlg<EditBolusDlg>)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    // OK only for a number (an empty box or text that is none would store nothing sensible).
    LRESULT OnValueChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnCloseCmd(WORD, WORD id, HWND, BOOL&);

    double Typed() const;

    double* value_;
    UnitInfo unit_;
};

} // namespace Sistra
