#include "calc/sources/ChannelMean.h"

#include "calc/sources/DataGetters.h"
#include "calc/engine/MissingValue.h"

#include <algorithm>
#include <array>
#include <bit>

namespace Sistra
{
namespace
{

// The sample stream of a recorded channel in its units, or of the document's calculated channel.
constexpr uint32_t ScaledChannelRequest = 0xC0001000u;
constexpr uint32_t CalculatedChannelRequest = 0xC0005000u;
constexpr int32_t SamplesPerRead = 128;

double Blank()
{
    return std::bit_cast<double>(BlankValueBits);
}

} // namespace

double MeanOfChannelRange(IHostDocument* document, int32_t channel, TickPosition start, TickPosition end,
                          bool calculated)
{
    if (!document || start.tick < 0)
        return Blank();
    const uint32_t request = calculated ? CalculatedChannelRequest : ScaledChannelRequest;
    const auto opened = ExtLib::OpenHostChannel(*document, request, start.record, start, channel);
    const auto samples = opened ? opened.As<IEnumFloatEx>(IID_IEnumFloatEx) : nullptr;
    int32_t skipped = 0;
    if (!samples || FAILED(samples->Skip(start.tick, &skipped)) || skipped != start.tick)
        return Blank();

    int32_t remaining = end.tick == start.tick ? 1 : end.tick - start.tick;
    std::array<float, SamplesPerRead> block{};
    double sum = 0.0;
    int32_t read = 0;
    while (remaining > 0)
    {
        int32_t fetched = 0;
        if (FAILED(samples->Next(std::min(remaining, SamplesPerRead), block.data(), &fetched)) || fetched <= 0)
            break;
        for (int32_t i = 0; i < fetched; ++i)
            sum += block[static_cast<size_t>(i)];
        read += fetched;
        remaining -= fetched;
    }
    return read == 0 ? Blank() : sum / read;
}

} // namespace Sistra
