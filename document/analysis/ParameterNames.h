// The long and short names of the hemodynamic parameters, by parameter index, from the string table,
// and the unit each is shown in.
#pragma once

#include "foundation/text/String.h"

#include <cstdint>
#include <string>

namespace Sistra
{

// Index 0 (the loop number) has an empty name; an index outside 0-31 is "Bogus".
Orv::String GetParameterName(int32_t parameter, bool shortName);

// The unit of parameter 1-31 from the pressure and volume channels' unit texts (prefix included):
// products join with "*", quotients with "/"; empty for a dimensionless parameter or another index.
std::wstring ParameterUnitText(int32_t parameter, const std::wstring& pressure, const std::wstring& volume);

} // namespace Sistra
