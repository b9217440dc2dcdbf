// The host's expression calculation as a class a module creates by type id: calculation text run over
// the channels of the document it is created for, its events read through IEnumEventEx.
#pragma once

#include "hostapi/CalcInterfaces.h"

namespace Host::Calc
{

// Registers the class object with the framework's class registry (type number 0 under
// ExpressionCalcClassGuid).
HRESULT RegisterExpressionCalcClass(IVyrStandIn& standIn);

// A new expression enumerator for a host document's context (any face of the document), one reference
// for the caller; E_INVALIDARG without a host document.
HRESULT CreateExpressionCalc(IUnknown* context, ICalcEnum** calc);

} // namespace Host::Calc
