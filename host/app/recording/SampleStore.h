// Where a recording keeps the samples of its records in place of memory: written as they arrive and read
// back a stretch at a time, by record and channel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace Host
{

class SampleStore
{
public:
    virtual ~SampleStore() = default;
    // Appends the record's new samples, a row per channel, all of one length. Throws std::runtime_error
    // when the store refuses them.
    virtual void Append(size_t record, const std::vector<std::span<const float>>& rows) = 0;
    // Copies the record's channel's samples from tick first into out; the caller asks only for samples
    // appended before. Throws std::runtime_error when the store cannot give them all.
    virtual void Read(size_t record, size_t channel, int64_t first, std::span<float> out) = 0;
};

} // namespace Host
