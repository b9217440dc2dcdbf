// The samples a live preview's holder takes, kept in the compound file the preview hands it: a stream per
// record and channel ("Record<r>Channel<c>", the samples as floats), written as they arrive. The pane of
// the preview reads what it draws back from there, a stretch of samples at a time.
#pragma once

#include "foundation/com/ComPtr.h"

#include <objidl.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace Host
{

class HeldSamples
{
public:
    explicit HeldSamples(IStorage* storage) : storage_(storage) {}

    // Appends the record's new samples, a row per channel. Throws std::runtime_error when the storage
    // refuses them.
    void Append(size_t record, const std::vector<std::span<const float>>& rows);
    // The sample at tick of the record's channel, as its stream holds it; nothing beyond what it holds.
    // Throws std::runtime_error when the stream cannot be read.
    std::optional<float> ValueAt(size_t record, size_t channel, int64_t tick);

private:
    using Key = std::pair<size_t, size_t>; // record, channel
    struct Stretch
    {
        int64_t first = 0;
        std::vector<float> values;
    };
    IStream& StreamOf(const Key& key);
    Stretch ReadStretch(const Key& key, int64_t first);

    Orv::ComPtr<IStorage> storage_;
    std::mutex lock_;
    std::map<Key, Orv::ComPtr<IStream>> streams_;
    // The stretch of each stream last read; a stream written to since is read again.
    std::map<Key, Stretch> stretches_;
};

} // namespace Host
