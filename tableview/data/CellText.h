// What a channel cell shows: its text is a channel number, shown as the channel's name.
#pragma once

#include "foundation/text/String.h"

#include <map>
#include <optional>

namespace TableView
{

using ChannelNames = std::map<unsigned, Orv::String>;

// The integer that the text begins with, read in the classic locale; none when it begins with none.
std::optional<long long> ReadClassicInteger(const Orv::String& text);

// The name held for the number the text spells in the classic locale; empty for a text that is no
// number, a negative number or a number without a name.
Orv::String ChannelNameOf(const Orv::String& number, const ChannelNames* names);

} // namespace TableView
