// The samples a live preview's holder takes, kept in the compound file the preview hands it: a stream per
// record and channel ("Record<r>Channel<c>", the samples as floats), written as they arrive. The holder's
// recording keeps its samples there alone, so the pane and the calculations of the preview read them back
// from there, a stretch of samples at a time.
#pragma once

#include "host/app/recording/SampleStore.h"

#include "foundation/com/ComPtr.h"

#include <objidl.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

namespace Host
{

class HeldSamples final : public SampleStore
{
public:
    explicit HeldSamples(IStorage* storage) : storage_(storage) {}

    void Append(size_t record, const std::vector<std::span<const float>>& rows) override;
    void Read(size_t record, size_t channel, int64_t first, std::span<float> out) override;

private:
    using Key = std::pair<size_t, size_t>; // record, channel
    struct Stretch
    {
        int64_t first = 0;
        std::vector<float> values;
    };
    IStream& StreamOf(const Key& key);
    // The stretch read back that holds the tick, read again unless the last one read does.
    const Stretch& StretchHolding(const Key& key, int64_t tick);

    Orv::ComPtr<IStorage> storage_;
    std::mutex lock_;
    std::map<Key, Orv::ComPtr<IStream>> streams_;
    // The stretch of each stream last read. Samples never change once kept, so a stretch read before the
    // stream grew stays right for what it holds; a tick beyond it is read anew.
    std::map<Key, Stretch> stretches_;
};

} // namespace Host
