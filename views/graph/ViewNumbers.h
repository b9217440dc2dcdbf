// How the graph views write a number for a person: the notation and precision follow its magnitude.
#pragma once

#include "foundation/text/String.h"

namespace Sistra
{

Orv::String FormatViewNumber(double value);

} // namespace Sistra
