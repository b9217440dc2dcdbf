// The host's scale-control factory, fetched once and kept for the life of the process.
#pragma once

#include "hostapi/ScaleControl.h"

namespace MGraph1
{

// Null while the host offers none; no reference is added for the caller.
IScaleControlFactory* GetScaleControlFactory();

} // namespace MGraph1
