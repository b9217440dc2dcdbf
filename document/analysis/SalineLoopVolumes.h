// The volumes the saline line is fitted on: each loop's end-diastolic and end-systolic volumes before the
// parallel conductance and alpha its volumes were read with were taken off. The end-diastolic point lies at
// a tick whatever the volumes, so its volume is the loop's own put back; the end-systolic point is the
// loop's sample of the largest P/V, which the corrected volumes put elsewhere on a loop whose end-systolic
// corner is rounded: taken from them, each Vp applied moved the next one the line found. It is found again
// on the volumes put back.
#pragma once

#include "document/analysis/VolumeCorrection.h"

#include "hostapi/CalcEventRecords.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace Sistra
{

// The sample of the largest P / volume(V), the first of equal ones, as the loop analysis finds its
// end-systolic point; none without samples.
template <class Volume>
std::optional<std::size_t> LargestRatioSample(std::span<const float> pressures, std::span<const float> volumes,
                                              Volume&& volume)
{
    std::optional<std::size_t> largest;
    double ratio = -std::numeric_limits<double>::max();
    for (std::size_t i = 0; i < std::min(pressures.size(), volumes.size()); ++i)
    {
        const double here = static_cast<double>(pressures[i]) / volume(volumes[i]);
        if (here > ratio)
        {
            largest = i;
            ratio = here;
        }
    }
    return largest;
}

class SalineLoopVolumes
{
public:
    // Reads a block's pressures and volumes (as the loops were read) from a tick on, as many as the vectors
    // hold; false when they cannot be had.
    using SampleReader = std::function<bool(int32_t block, int32_t tick, std::vector<float>& pressures,
                                            std::vector<float>& volumes)>;

    void SetCorrection(const VolumeCorrection& correction)
    {
        correction_ = correction;
        endSystolic_.clear();
    }
    // A new analysis: its loops' points are found afresh.
    void Forget() { endSystolic_.clear(); }

    // The loop's (Ved, Ves) before the corrections; its samples are read where the corrections may move its
    // end-systolic point.
    std::pair<double, double> Of(const SistraEvent& record, int32_t block, const SampleReader& read);

private:
    std::optional<double> EndSystolicVolume(const SistraEvent& record, int32_t block, const SampleReader& read) const;

    VolumeCorrection correction_;
    // By block and first tick: a loop's samples are read once.
    std::map<std::pair<int32_t, int32_t>, double> endSystolic_;
};

} // namespace Sistra
