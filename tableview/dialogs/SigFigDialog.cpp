#include "tableview/dialogs/SigFigDialog.h"

#include "controls/edits/ValidatingEdit.h"
#include "platform/owl/controls/Control.h"
#include "platform/owl/controls/ScrollBar.h"
#include "resources/ResourceIds.h"

#include <cwchar>
#include <string>

namespace TableView
{

namespace
{

constexpr UINT DigitsTextLimit = 255;

} // namespace

DEFINE_RESPONSE_TABLE1(SigFigDialog, Orv::DialogBase)
    EV_COMMAND(IDOK, CmOk),
END_RESPONSE_TABLE;

SigFigDialog::SigFigDialog(OWL::TWindow* parent, OWL::TModule* module)
    : Orv::DialogBase(parent, IDD_TABLE_SIGFIG, module),
      digitsEdit_(new IntEdit(this, IDC_TABLE_SIGFIG_DIGITS, module)),
      applyAllCheck_(new OWL::TCheckBox(this, IDC_TABLE_SIGFIG_APPLY_ALL, module)),
      digitsSpin_(new OWL::TUpDown(this, IDC_TABLE_SIGFIG_SPIN, digitsEdit_, module))
{
}

void SigFigDialog::SetupWindow()
{
    Orv::DialogBase::SetupWindow();
    digitsEdit_->LimitText(DigitsTextLimit);
    digitsSpin_->SetRange(MinDigits, MaxDigits);
    digitsEdit_->SetText(std::to_wstring(digits).c_str());
    if (applyToAll)
        applyAllCheck_->Check();
}

void SigFigDialog::CmOk()
{
    wchar_t text[IntEdit::TextBuffer] = {};
    ::GetWindowTextW(digitsEdit_->GetHandle(), text, static_cast<int>(IntEdit::TextBuffer));
    digits = static_cast<int>(std::wcstol(text, nullptr, 10));
    applyToAll = applyAllCheck_->GetCheck() == BST_CHECKED;
    Orv::DialogBase::CmOk();
}

} // namespace TableView
