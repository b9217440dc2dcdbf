// The host's progress indicators, through which long runs show how far they are and learn of a cancel.
#pragma once

#include "hostapi/VyrAnalysis.h"
#include "foundation/com/ComPtr.h"

// A new indicator of the host's UI services with that title; null when the host makes none.
Orv::ComPtr<IHostProgress> CreateProgressIndicator(IUnknown* services, const wchar_t* title);
