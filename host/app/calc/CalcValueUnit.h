// The unit of what calculation text yields. Calculations read every recorded channel in its unit without
// the prefix (an ECG recorded in mV in volts), so a printed value is in that base unit.
#pragma once

#include "host/app/calc/CalcSyntax.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace Host::Calc
{

// The base unit of recorded channel index (0-based); nothing for a channel that does not exist.
using ChannelBaseUnit = std::function<std::optional<std::string>(size_t channel)>;

// The unit of the value the text's tree yields: empty for a plain number, nothing when it cannot be told
// (a named item, a calculated channel, a sum of different units, a function of its own kind of value).
std::optional<std::string> ValueUnitOf(const SyntaxNode& node, const ChannelBaseUnit& channelUnit);

// "value (unit)", "value" for a plain number, "value (unit unknown)": a column title of the value.
std::string ValueTitle(const std::string& name, const std::optional<std::string>& unit);

} // namespace Host::Calc
