// The colour the host draws each channel's trace in (channels counted from 0): one palette for the host's
// own views and for what it tells a module of a channel's drawing, so that a module's mark on a channel
// takes the colour the channel is seen in.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

namespace Host
{

inline COLORREF ChannelTraceColour(int32_t channel)
{
    constexpr std::array<COLORREF, 4> colours = {RGB(0xC0, 0, 0), RGB(0, 0, 0xC0), RGB(0xB0, 0x60, 0),
                                                 RGB(0x80, 0, 0x80)};
    const auto count = static_cast<int32_t>(colours.size());
    return colours[static_cast<size_t>(((channel % count) + count) % count)];
}

} // namespace Host
