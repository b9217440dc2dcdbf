// An event source that runs a detector over one sample channel, record by record, as far as the channel's
// data has arrived. Detector: Detector(const Rules&, double sampleInterval), Add(firstTick, samples, track)
// fed consecutive blocks, and Finish(recordLength, track) once the record is complete.
#pragma once

#include "host/app/calc/CalcNodes.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace Host::Calc
{

template <typename Detector, typename Rules>
class DetectorNode final : public EventNode
{
public:
    DetectorNode(SampleNodePtr signal, const Recording& recording, const Rules& rules)
        : signal_(std::move(signal)), recording_(recording), rules_(rules)
    {
    }

    size_t RecordSize() const override { return sizeof(EventHeader); }

    const EventTrack& Events(size_t record) override
    {
        auto found = states_.find(record);
        if (found == states_.end())
            found = states_.emplace(record, State(rules_, recording_.RecordAt(record).SampleInterval())).first;
        CatchUp(record, found->second);
        return found->second.track;
    }

private:
    // Samples evaluated per step while catching up with the data.
    static constexpr int64_t Block = 4096;

    struct State
    {
        State(const Rules& rules, double interval) : detector(rules, interval) {}

        Detector detector;
        EventTrack track{sizeof(EventHeader)};
        int64_t nextTick = 0;
    };

    void CatchUp(size_t record, State& state)
    {
        if (state.track.IsComplete())
            return;
        const Extent available = signal_->Available(record);
        std::vector<float> block;
        while (state.nextTick < available.ticks)
        {
            block.resize(static_cast<size_t>(std::min(Block, available.ticks - state.nextTick)));
            signal_->Compute(record, state.nextTick, block);
            state.detector.Add(state.nextTick, block, state.track);
            state.nextTick += static_cast<int64_t>(block.size());
        }
        if (available.complete)
            state.detector.Finish(available.ticks, state.track);
    }

    SampleNodePtr signal_;
    const Recording& recording_;
    Rules rules_;
    std::map<size_t, State> states_;
};

template <typename Detector, typename Rules>
EventNodePtr MakeDetectorNode(SampleNodePtr signal, const Recording& recording, const Rules& rules)
{
    return std::make_shared<DetectorNode<Detector, Rules>>(std::move(signal), recording, rules);
}

} // namespace Host::Calc
