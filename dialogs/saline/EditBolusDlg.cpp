#include "dialogs/saline/EditBolusDlg.h"

#include "controls/edits/ValidatingEdit.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/helpers/UnitChoices.h"

#include <cmath>

namespace Sistra
{

namespace
{

// The parallel conductance is taken off every volume: a negative one is no entry to keep.
bool IsVolume(double typed)
{
    return std::isfinite(typed) && typed >= 0.0;
}

} // namespace

LRESULT EditBolusDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    const Orv::PrefixedUnit unit = PrefixedUnitOf(unit_);
    InstallSilentSetText(::GetDlgItem(m_hWnd, IDC_EDIT_BOLUS_VALUE));
    SetWindowNumber(::GetDlgItem(m_hWnd, IDC_EDIT_BOLUS_VALUE), unit.FromBaseValue(*value_));
    SetDlgItemTextW(m_hWnd, IDC_EDIT_BOLUS_UNIT, unit.GetText().c_str());
    ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), IsVolume(Typed()));
    return TRUE;
}

LRESULT EditBolusDlg::OnValueChanged(WORD, WORD, HWND, BOOL&)
{
    ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), IsVolume(Typed()));
    return 0;
}

LRESULT EditBolusDlg::OnCloseCmd(WORD, WORD id, HWND, BOOL&)
{
    if (id == IDOK)
    {
        const double typed = Typed();
        // A disabled OK can still be pressed by its accelerator (Enter); a box without a volume keeps the value.
        if (!IsVolume(typed))
            return 0;
        *value_ = typed * UnitPrefixFactor(unit_.prefix);
    }
    EndDialog(id);
    return 0;
}

double EditBolusDlg::Typed() const
{
    return ParseNumber(GetWindowTextString(::GetDlgItem(m_hWnd, IDC_EDIT_BOLUS_VALUE)));
}

} // namespace Sistra
