#include "host/app/calc/HostCalcClasses.h"

#include "host/app/calc/ExpressionCalcClass.h"
#include "host/app/calc/SampleFilterClass.h"

namespace Host::Calc
{

HRESULT RegisterHostCalculationClasses(IVyrStandIn& standIn)
{
    const HRESULT expression = RegisterExpressionCalcClass(standIn);
    const HRESULT filter = RegisterSampleFilterClass(standIn);
    return FAILED(expression) ? expression : filter;
}

} // namespace Host::Calc
