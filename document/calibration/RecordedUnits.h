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

using Orv::RecordedUnitFactor;

// The same with the units' prefixes: 1e-6 from uL to L, 0.133322... from mmHg to kPa.
std::optional<double> PrefixedUnitFactor(const Orv::PrefixedUnit& from, const Orv::PrefixedUnit& to);

// The pressure peak detector's least peak height is a pressure: the setup keeps it in this unit, so that it
// stays the same pressure whatever unit the pressure channel shows (20 mmHg is 2.666 kPa, 27.2 cmH2O).
inline constexpr wchar_t PeakHeightUnit[] = L"mmHg";

// What one unit of the kept peak height is in the unit a channel shows, without its prefix (the unit the
// calculations read the channel in): 133.322 on a channel in kPa (read in Pa). A channel that shows no
// pressure (an uncalibrated signal) takes the number as it stands: 1.
double PeakHeightScale(const Orv::PrefixedUnit& shown);

} // namespace Sistra
