// The NaN patterns the module writes for values it could not compute. Readers recognise them by their
// bits, so the patterns themselves are part of the record formats.
#pragma once

#include <bit>
#include <cstdint>

namespace Sistra
{

constexpr uint64_t MissingValueBits = 0x7FF8600000000000ull;  // a value that was not computed
constexpr uint64_t BlankValueBits = 0x7FF8700000000000ull;    // nothing entered
constexpr uint32_t MissingSampleBits = 0x7F886000u;           // a sample without a value

inline double MissingValue()
{
    return std::bit_cast<double>(MissingValueBits);
}

inline bool IsMissingValue(double value)
{
    return std::bit_cast<uint64_t>(value) == MissingValueBits;
}

inline float MissingSample()
{
    return std::bit_cast<float>(MissingSampleBits);
}

} // namespace Sistra
