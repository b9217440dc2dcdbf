// The channels an expression text reads, found by scanning it for "ch" and "channel" references.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ExtLib
{

struct ChannelRef
{
    int32_t index = 0; // 0-based
    bool raw = false;  // written "rch..."
    bool v = false;    // written "vch..." (a calculated channel)

    bool operator==(const ChannelRef&) const = default;
};

// Scans a lower-case expression text; each distinct reference once, in order of first appearance.
std::vector<ChannelRef> ParseChannelRefs(std::wstring_view text);

} // namespace ExtLib
