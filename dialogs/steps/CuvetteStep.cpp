#include "dialogs/steps/CuvetteStep.h"

#include "dialogs/framework/StepPageTools.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/helpers/UnitChoices.h"
#include "foundation/text/FormatStream.h"
#include "platform/owl/gdi/DC.h"

#include <algorithm>

// The slope typed in the cuvette's volume unit per the conductance unit, the intercept in the volume unit.
const Sistra::CalibrationPageSpec CuvetteStep::Spec{
    {{{IDC_CUVETTE_SLOPE, Sistra::PropertyId::CuvetteSlope, Sistra::BoxScale::ModelUnitPerConductance},
      {IDC_CUVETTE_INTERCEPT, Sistra::PropertyId::CuvetteIntercept, Sistra::BoxScale::ModelUnit},
      {},
      {}}},
    Sistra::PropertyId::CuvetteCalibrationApplied,
    Sistra::PropertyId::CuvetteUnit,
    false,
    0,
    0,
    0,
    false,
};

namespace
{

const Sistra::StepDlgClassObj<CuvetteStep> factory;

// The equation's row keeps its left edge and its gaps: each box as wide as the longest number the page
// writes, so that a slope such as -7.921e+05 shows whole, and the unit text between them as wide as it is.
void LayOutEquationRow(HWND page)
{
    const RECT slope = Sistra::GetControlRect(page, IDC_CUVETTE_SLOPE);
    const RECT equation = Sistra::GetControlRect(page, IDC_CUVETTE_EQUATION);
    const RECT intercept = Sistra::GetControlRect(page, IDC_CUVETTE_INTERCEPT);
    const int boxWidth =
        std::max<int>(slope.right - slope.left, Sistra::WholeNumberWidth(GetDlgItem(page, IDC_CUVETTE_SLOPE)));
    const int equationLeft = slope.left + boxWidth + (equation.left - slope.right);
    HWND equationText = GetDlgItem(page, IDC_CUVETTE_EQUATION);
    const int equationWidth = OWL::ControlTextExtent(equationText, Sistra::GetWindowTextString(equationText).c_str()).cx;
    const int interceptLeft = equationLeft + equationWidth + (intercept.left - equation.right);
    const auto place = [page](int id, int left, const RECT& was, int width) {
        SetWindowPos(GetDlgItem(page, id), nullptr, left, was.top, width, was.bottom - was.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(IDC_CUVETTE_SLOPE, slope.left, slope, boxWidth);
    place(IDC_CUVETTE_EQUATION, equationLeft, equation, equationWidth);
    place(IDC_CUVETTE_INTERCEPT, interceptLeft, intercept, boxWidth);
}

} // namespace

LRESULT CuvetteStep::OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    Orv::PrefixedUnit unit;
    if (GetDocument())
        if (const Sistra::ModelPtr conductance = GetDocument()->GetModel(Sistra::ModelKind::ConductanceCalib))
            unit = Sistra::PrefixedUnitOf(conductance->GetConductanceUnit());
    Orv::OFormatStringStream equation(IDS_CUVETTE_EQUATION);
    equation << unit.GetText();
    SetDlgItemTextW(m_hWnd, IDC_CUVETTE_EQUATION, equation.Str().c_str());
    LayOutEquationRow(m_hWnd);
    return CalibrationStep::OnInitDialog(msg, wParam, lParam, handled);
}
