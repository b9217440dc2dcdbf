#include "document/calibration/RecordedUnits.h"

namespace Sistra
{

std::optional<double> PrefixedUnitFactor(const Orv::PrefixedUnit& from, const Orv::PrefixedUnit& to)
{
    const std::optional<double> factor = RecordedUnitFactor(from.Name(), to.Name());
    if (!factor)
        return std::nullopt;
    return *factor * UnitPrefixFactor(from.Prefix()) / UnitPrefixFactor(to.Prefix());
}

double PeakHeightScale(const Orv::PrefixedUnit& shown)
{
    return RecordedUnitFactor(PeakHeightUnit, shown.Name()).value_or(1.0);
}

} // namespace Sistra
