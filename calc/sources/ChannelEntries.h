// The marks the module puts on host channels: entries of the module's kind, told apart by their value.
#pragma once

#include "hostapi/HostDocument.h"

#include <cstdint>

namespace Sistra
{

inline constexpr int32_t ModuleEntryKind = static_cast<int32_t>(0x801D0001u);

ChannelEntry ModuleChannelEntry(int32_t value);

// Removes the module's entry of that value from the channel; nothing when the document has no data items.
void HostChannelRemoveEntry(IUnknown* hostDocument, int32_t value, int32_t channel);
// Whether the channel carries the module's entry of that value.
bool HostChannelHasEntry(IUnknown* hostDocument, int32_t value, int32_t channel);

} // namespace Sistra
