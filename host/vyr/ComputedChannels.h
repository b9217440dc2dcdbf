// The host's computed-channel object: made aggregated by a module's channel calculation, it keeps the
// calculation the module hands it and shows the channel's values from it; made alone by the channel
// factory, it is a settings preview's temporary channel that runs its calculation once over a range.
#pragma once

#include "hostapi/ChannelCalcHost.h"
#include "ComObjects.h"
#include "foundation/com/ComPtr.h"

namespace Vyr
{

// The object answers IComputedChannel and the stand-in's IComputedChannelStandIn.
// A new computed-channel object aggregated by outer: its non-delegating IUnknown with one reference.
HRESULT CreateComputedChannel(IUnknown* outer, REFIID iid, void** object);

// Makes the channel objects that stand alone; handed out by the object factory under the
// computed-channel type.
class ComputedChannelFactory final : public StaticComObject<IComputedChannelFactory, &IID_IComputedChannelFactory>
{
public:
    HRESULT STDMETHODCALLTYPE CreateChannel(uint32_t first, uint32_t second, IUnknown* document,
                                            IUnknown** channel) override;
    HRESULT STDMETHODCALLTYPE GetLastChannel(IUnknown** channel) override;

private:
    Orv::ComPtr<IUnknown> last_;
};

} // namespace Vyr
