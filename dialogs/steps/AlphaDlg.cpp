#include "dialogs/steps/AlphaDlg.h"

#include "controls/edits/ValidatingEdit.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/helpers/UnitChoices.h"
#include "foundation/system/RaisedFlag.h"
#include "foundation/text/StringResources.h"
#include "foundation/text/StringStream.h"

#include <algorithm>
#include <cmath>

namespace
{

const Sistra::StepDlgClassObj<AlphaDlg> factory;

constexpr int32_t FromCardiacOutput = 1;
constexpr int32_t FromStrokeVolume = 2;
constexpr double SmallestReference = 1e-32;

// The combo lists stroke volume first.
int32_t QuantityOfItem(int item)
{
    return item == 1 ? FromCardiacOutput : FromStrokeVolume;
}

int ItemOfQuantity(int32_t from)
{
    return from == FromCardiacOutput ? 1 : from == FromStrokeVolume ? 0 : -1;
}

// The properties the upper (catheter) and lower (reference) boxes stand for.
std::pair<int, int> BoxProperties(int32_t from)
{
    if (from == FromStrokeVolume)
        return {Sistra::PropertyId::BaseStrokeVolume, Sistra::PropertyId::ScaledStrokeVolume};
    return {Sistra::PropertyId::BaseCardiacOutput, Sistra::PropertyId::ScaledCardiacOutput};
}

double Value(const Sistra::Model& model, int id)
{
    return model.GetValue<Sistra::PropertyType::Double>(id);
}

} // namespace

double ComputeAlpha(int32_t from, double coMillar, double coRef, double svMillar, double svRef)
{
    if (from != FromCardiacOutput && from != FromStrokeVolume)
        return Sistra::BlankMarker();
    const double numerator = from == FromCardiacOutput ? coMillar : svMillar;
    const double denominator = from == FromCardiacOutput ? coRef : svRef;
    if (denominator == 0.0 || std::fabs(denominator) < SmallestReference)
        return Sistra::BlankMarker();
    return numerator / denominator;
}

void AlphaDlg::DlgResize_UpdateLayout(int width, int height)
{
    CDialogResize::DlgResize_UpdateLayout(width, height);
    const int shortfall = m_sizeDialog.cx - width;
    if (shortfall <= 0)
        return;
    // The boxes give up half of the shortfall, the units' room (wider than their text) the rest.
    const int boxNarrowing = shortfall / 2;
    for (const Control& control : m_arrData)
    {
        RECT place = control.Initial;
        switch (control.Id)
        {
        case IDC_ALPHA_UPPER:
        case IDC_ALPHA_LOWER:
            place.right -= boxNarrowing;
            break;
        case IDC_ALPHA_UPPER_UNIT:
        case IDC_ALPHA_LOWER_UNIT:
            place.left -= boxNarrowing;
            place.right -= shortfall;
            break;
        case IDC_ALPHA_UPPER_LABEL:
        case IDC_ALPHA_LOWER_LABEL:
        case IDC_ALPHA_BAR:
            break;
        default:
            continue;
        }
        place.right = std::max(place.right, place.left);
        ::SetWindowPos(::GetDlgItem(m_hWnd, control.Id), nullptr, place.left, place.top, place.right - place.left,
                       place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT AlphaDlg::OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    Sistra::FillCombo(m_hWnd, IDC_ALPHA_FROM,
                      {Orv::String(Orv::ThisModule(), IDS_PARAM_STROKE_VOLUME, true),
                       Orv::String(Orv::ThisModule(), IDS_PARAM_CARDIAC_OUTPUT, true)});
    InstallSilentSetText(::GetDlgItem(m_hWnd, IDC_ALPHA_UPPER));
    InstallSilentSetText(::GetDlgItem(m_hWnd, IDC_ALPHA_LOWER));
    return StepDlgBase::OnInitDialog(msg, wParam, lParam, handled);
}

LRESULT AlphaDlg::OnCalculateFromChanged(WORD, WORD, HWND combo, BOOL&)
{
    const auto item = static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (GetModel())
        GetModel()->SetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::AlphaSource, QuantityOfItem(item));
    CommitModel();
    return 0;
}

LRESULT AlphaDlg::OnValueChanged(WORD, WORD id, HWND, BOOL&)
{
    const Sistra::ModelPtr& model = GetModel();
    if (!model || (id != IDC_ALPHA_UPPER && id != IDC_ALPHA_LOWER))
        return 0;
    const Orv::RaisedFlag editing(editing_);
    const double value = Sistra::ParseNumber(Sistra::GetWindowTextString(::GetDlgItem(m_hWnd, id)));
    const auto from = model->GetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::AlphaSource);
    if (Sistra::IsBlankMarker(value))
        model->SetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::AlphaCalibrationApplied, false);
    const auto [upper, lower] = BoxProperties(from);
    model->SetValue<Sistra::PropertyType::Double>(id == IDC_ALPHA_UPPER ? upper : lower, value);
    model->SetValue<Sistra::PropertyType::Double>(
        Sistra::PropertyId::Alpha,
        ComputeAlpha(from, Value(*model, Sistra::PropertyId::BaseCardiacOutput), Value(*model, Sistra::PropertyId::ScaledCardiacOutput),
                     Value(*model, Sistra::PropertyId::BaseStrokeVolume), Value(*model, Sistra::PropertyId::ScaledStrokeVolume)));
    CommitModel();
    return 0;
}

LRESULT AlphaDlg::OnApply(WORD, WORD, HWND, BOOL&)
{
    OnApplyClicked(Sistra::PropertyId::AlphaCalibrationApplied);
    return 0;
}

void AlphaDlg::OnModelChanged(const Sistra::PropertyIdSet& changed)
{
    const Sistra::ModelPtr& model = GetModel();
    if (!m_hWnd || !model)
        return;
    if (changed.Test(Sistra::PropertyId::AlphaCalibrationApplied))
        CheckDlgButton(m_hWnd, Sistra::StepControl::Apply,
                       model->GetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::AlphaCalibrationApplied)
                           ? BST_CHECKED
                           : BST_UNCHECKED);
    const auto from = model->GetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::AlphaSource);
    if (changed.Test(Sistra::PropertyId::AlphaSource))
    {
        SendDlgItemMessageW(m_hWnd, IDC_ALPHA_FROM, CB_SETCURSEL, static_cast<WPARAM>(ItemOfQuantity(from)), 0);
        const bool known = from == FromCardiacOutput || from == FromStrokeVolume;
        const std::wstring unit =
            known && GetDocument()
                ? Sistra::GetParameterUnit(*GetDocument(), from == FromStrokeVolume ? 3 : 2).GetText()
                : std::wstring();
        const UINT upper = from == FromStrokeVolume ? IDS_ALPHA_SV_MILLAR : IDS_ALPHA_CO_MILLAR;
        const UINT lower = from == FromStrokeVolume ? IDS_ALPHA_SV_REF : IDS_ALPHA_CO_REF;
        SetDlgItemTextW(m_hWnd, IDC_ALPHA_UPPER_UNIT, unit.c_str());
        SetDlgItemTextW(m_hWnd, IDC_ALPHA_LOWER_UNIT, unit.c_str());
        SetDlgItemTextW(m_hWnd, IDC_ALPHA_UPPER_LABEL, known ? Orv::String(Orv::ThisModule(), upper, true).c_str() : L"");
        SetDlgItemTextW(m_hWnd, IDC_ALPHA_LOWER_LABEL, known ? Orv::String(Orv::ThisModule(), lower, true).c_str() : L"");
    }
    if (changed.Test(Sistra::PropertyId::Alpha))
    {
        const double alpha = Value(*model, Sistra::PropertyId::Alpha);
        Orv::OStringStream text;
        if (!std::isnan(alpha))
            text << L"= " << alpha;
        SetDlgItemTextW(m_hWnd, IDC_ALPHA_RESULT, text.Str().c_str());
    }
    if (editing_)
        return;
    const auto [upper, lower] = BoxProperties(from);
    if (changed.Test(upper))
        Sistra::SetWindowNumber(::GetDlgItem(m_hWnd, IDC_ALPHA_UPPER), Value(*model, upper));
    if (changed.Test(lower))
        Sistra::SetWindowNumber(::GetDlgItem(m_hWnd, IDC_ALPHA_LOWER), Value(*model, lower));
}
