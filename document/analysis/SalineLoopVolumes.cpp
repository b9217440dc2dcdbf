#include "document/analysis/SalineLoopVolumes.h"

namespace Sistra
{

std::pair<double, double> SalineLoopVolumes::Of(const SistraEvent& record, int32_t block, const SampleReader& read)
{
    const double ved = correction_.Undo(record.ved);
    if (correction_.TakesNothing())
        return {ved, record.ves};
    const std::pair<int32_t, int32_t> key{block, record.firstTick};
    auto found = endSystolic_.find(key);
    if (found == endSystolic_.end())
        found = endSystolic_.emplace(key, EndSystolicVolume(record, block, read).value_or(correction_.Undo(record.ves)))
                    .first;
    return {ved, found->second};
}

// Where the loop's samples do not give its own end-systolic point back (another way of finding it, samples
// the host no longer has), the point stays the loop's.
std::optional<double> SalineLoopVolumes::EndSystolicVolume(const SistraEvent& record, int32_t block,
                                                           const SampleReader& read) const
{
    if (record.endTick <= record.firstTick)
        return std::nullopt;
    std::vector<float> pressures(static_cast<std::size_t>(record.endTick - record.firstTick)), volumes(pressures.size());
    if (!read(block, record.firstTick, pressures, volumes))
        return std::nullopt;
    const std::optional<std::size_t> own =
        LargestRatioSample(pressures, volumes, [](float v) { return static_cast<double>(v); });
    if (!own || static_cast<int32_t>(*own) != record.endSystolicIndex)
        return std::nullopt;
    return correction_.Undo(
        volumes[*LargestRatioSample(pressures, volumes, [&](float v) { return correction_.Undo(v); })]);
}

} // namespace Sistra
