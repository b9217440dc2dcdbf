// The loop marks a channel of the host document carries, walked in position order as the trace display
// shows them: every item attached to the channel, merged into one sequence.
#pragma once

#include "hostapi/HostDocument.h"

#include <unknwn.h>

#include <optional>

namespace Sistra
{

// The loops item's mark of the loop at position, found among the marks of channel from just before the
// position on (a loop's position is its tick rounded); nothing when the channel carries no such mark.
std::optional<TickPosition> FindLoopMark(IUnknown* hostDocument, int32_t channel, const TickPosition& position,
                                         HostItemId loops);

} // namespace Sistra
