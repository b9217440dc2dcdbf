#include "document/calibration/RecordedUnits.h"

namespace Sistra
{
namespace
{

// Pressure units a transducer's recording is kept in, as pascals.
const struct
{
    const wchar_t* unit;
    double pascals;
} PressureUnits[] = {
    {L"Pa", 1.0},
    {L"mmHg", 133.322387415},
    {L"Torr", 101325.0 / 760.0},
    {L"cmH2O", 98.0665},
    {L"bar", 1e5},
    {L"atm", 101325.0},
    {L"psi", 6894.757293168},
};

std::optional<double> PascalsPer(const std::wstring& unit)
{
    for (const auto& known : PressureUnits)
        if (unit == known.unit)
            return known.pascals;
    return std::nullopt;
}

} // namespace

std::optional<double> RecordedUnitFactor(const std::wstring& from, const std::wstring& to)
{
    if (from == to)
        return 1.0;
    const std::optional<double> fromPascals = PascalsPer(from), toPascals = PascalsPer(to);
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
