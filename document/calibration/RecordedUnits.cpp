#include "document/calibration/RecordedUnits.h"

namespace Sistra
{

std::optional<double> RecordedUnitFactor(const std::wstring& from, const std::wstring& to)
{
    if (from == to)
        return 1.0;
    const std::optional<double> fromPascals = Orv::PascalsPerUnit(from), toPascals = Orv::PascalsPerUnit(to);
    if (!fromPascals || !toPascals)
        return std::nullopt;
    return *fromPascals / *toPascals;
}

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
