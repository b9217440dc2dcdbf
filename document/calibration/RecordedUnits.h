// Calibrations keep their raw points in the unit the channel was recorded in (without its prefix). Taken
// to a recording whose channel is recorded in another unit, the points must be brought into that unit, or
// the same numbers would stand for another physical value (a pressure calibration made in mmHg, read over a
// channel in kPa, reads pascals as millimetres of mercury).
#pragma once

#include "foundation/numbers/Units.h"

#include <optional>
#include <string>

namespace Sistra
{

// The factor that turns a raw value in unit `from` into the same physical value in unit `to` (both
// without prefix): 1 for the same unit, the ratio of the two for pressure units, nothing for units this
// module cannot convert between.
std::optional<double> RecordedUnitFactor(const std::wstring& from, const std::wstring& to);

// The same with the units' prefixes: 1e-6 from uL to L, 0.133322... from mmHg to kPa.
std::optional<double> PrefixedUnitFactor(const Orv::PrefixedUnit& from, const Orv::PrefixedUnit& to);

} // namespace Sistra
