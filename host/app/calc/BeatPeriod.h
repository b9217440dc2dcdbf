// The beat period of a stretch of ECG, from where its strong deflections lie, robust to deflections that
// come in pairs within a beat, to beats missing and to the deflections of spikes and noise.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace Host::Calc
{

struct Deflection
{
    int64_t tick;
    double weight; // its strength (the slope of the QRS, say)
};

struct PeriodRange
{
    double shortest; // ticks
    double longest;  // ticks
};

// The period in ticks of deflections lying in [from, to) in tick order, or none when they repeat at no
// period in the range.
std::optional<double> EstimateBeatPeriod(std::span<const Deflection> deflections, int64_t from, int64_t to,
                                         const PeriodRange& range);

} // namespace Host::Calc
