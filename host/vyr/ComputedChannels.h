// The host's computed-channel object: made aggregated by a module's channel calculation, it keeps the
// calculation the module hands it for the channel. The stand-in draws no computed channel yet: it hands
// the calculation to whoever reads the channel.
#pragma once

#include "ChannelCalcHost.h"

namespace Vyr
{

// The object answers IComputedChannel and the stand-in's IComputedChannelStandIn.
// A new computed-channel object aggregated by outer: its non-delegating IUnknown with one reference.
HRESULT CreateComputedChannel(IUnknown* outer, REFIID iid, void** object);

} // namespace Vyr
