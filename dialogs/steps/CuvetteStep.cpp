#include "dialogs/steps/CuvetteStep.h"

#include "dialogs/helpers/UnitChoices.h"
#include "foundation/text/FormatStream.h"

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
    return CalibrationStep::OnInitDialog(msg, wParam, lParam, handled);
}
