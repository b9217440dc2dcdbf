// The host's own calculation classes, which a module creates by type id: every host that loads a module
// offers them.
#pragma once

#include "hostapi/CalcInterfaces.h"

namespace Host::Calc
{

// Registers the expression calculation and the sample filter with the framework's class registry; the
// first failure's result.
HRESULT RegisterHostCalculationClasses(IVyrStandIn& standIn);

} // namespace Host::Calc
