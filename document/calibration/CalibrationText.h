// Number texts for what the calibrations hand to the host and show in their step pages: fixed,
// general or scientific notation, without the zeros that say nothing.
#pragma once

#include "foundation/text/String.h"

namespace Sistra
{

// Modes of FormatNumberText: bit 0 clear is fixed notation, low bits 3 scientific, low bits 1 general;
// a negative mode writes in the classic locale instead of the process's global one.
namespace NumberTextMode
{
constexpr int Fixed = 0;
constexpr int General = 1;
constexpr int Scientific = 3;
constexpr int ClassicFixed = -2;
} // namespace NumberTextMode

// The value with the number of digits (the precision) in the mode. Without an exponent, trailing zeros
// after the decimal point go, and the point with them when nothing follows it; with one, the zeros that
// lead the exponent's digits and those that end the mantissa go. False, and text unchanged, when the
// stream fails.
bool FormatNumberText(Orv::String& text, double value, int digits, int mode);

} // namespace Sistra
