// Stretches of a recorded channel read through the host, in the units the channel is shown in. Reads that
// go on forward in a block continue on the host's enumerator of the last read instead of opening one for
// each stretch: the tangent fit reads two stretches of every loop of a recording.
#pragma once

#include "foundation/com/ComPtr.h"
#include "hostapi/CalcInterfaces.h"
#include "hostapi/HostDocument.h"

#include <cstdint>
#include <vector>

namespace Sistra
{

class ChannelSegmentReader
{
public:
    explicit ChannelSegmentReader(IUnknown* host);

    // samples.size() samples of the channel's block from startTick on, fewer where the block ends; false
    // when the host cannot give them.
    bool Read(int32_t channel, int32_t block, int32_t startTick, std::vector<float>& samples);

private:
    struct OpenChannel
    {
        int32_t channel = 0;
        int32_t block = 0;
        int32_t position = 0;  // the tick the enumerator reads next
        Orv::ComPtr<IEnumFloatEx> reader;
    };

    OpenChannel* Open(int32_t channel, int32_t block);

    Orv::ComPtr<IHostDocument> document_;
    std::vector<OpenChannel> open_;
};

} // namespace Sistra
