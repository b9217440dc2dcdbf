// The host's sample filter as a calculation class a module can create by type id: Savitzky-Golay
// filtering of one sample stream the module supplies, read back as samples.
#pragma once

#include "hostapi/CalcInterfaces.h"

namespace Host::Calc
{

// Registers the filter's class object with the framework's class registry (type number 0 under
// SampleFilterClassGuid).
HRESULT RegisterSampleFilterClass(IVyrStandIn& standIn);

// A new filter enumerator (ICalcEnum and IEnumFloatEx), one reference for the caller.
HRESULT CreateSampleFilter(ICalcEnum** calc);

} // namespace Host::Calc
