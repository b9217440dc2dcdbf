// The long and short names of the hemodynamic parameters, by parameter index, from the string table.
#pragma once

#include "foundation/text/String.h"

#include <cstdint>

namespace Sistra
{

// Index 0 (the loop number) has an empty name; an index outside 0-31 is "Bogus".
Orv::String GetParameterName(int32_t parameter, bool shortName);

} // namespace Sistra
