// A detector for tests of the engine: upward crossings of a level in one channel.
#pragma once

#include "calc/engine/DetectorEngine.h"

namespace CalcTesting
{

using namespace EEH3;

// A detector of upward crossings of a level: an event at each tick whose sample reaches the level
// while the one before lay below it. Counts the ticks it processes, so tests see re-processing.
struct CrossingAlgorithm
{
    static inline int64_t processedTicks = 0;

    struct Params : ParamsBase
    {
        double level = 0.5;
        void Read(std::wistream& in) override
        {
            in >> level;
            ReadLimits(in);
        }
        void BuildSources(uint32_t count, IUnknown* const* sources) override
        {
            for (uint32_t i = 0; i < count; ++i)
                AddChannelSource(sources[i]);
        }
    };

    struct State : StateBase
    {
        State(const Params&, int32_t firstTick) : StateBase(firstTick) {}
        float previous = 0.0f;
        bool hasPrevious = false;
    };

    using Event = OrvEventBase;

    static bool Step(State& state, Params& params, Event& event)
    {
        auto& channel = params.SourceAs<FloatExWrapper>(0);
        while (state.nextTick < state.horizon)
        {
            if (!channel.HasCurrent())
            {
                if (channel.Ended())
                    state.Finish();
                else
                    state.waitingFor = 0;
                return false;
            }
            const float value = channel.Current();
            const int32_t tick = state.nextTick;
            ++processedTicks;
            const bool crossed = state.hasPrevious && state.previous < params.level && value >= params.level;
            state.previous = value;
            state.hasPrevious = true;
            state.nextTick = tick + 1;
            channel.Advance();
            if (crossed)
            {
                event = Event{tick, 0.0f, value};
                return true;
            }
        }
        return false;
    }
};

struct CrossingDetector
{
    using Algorithm = CrossingAlgorithm;
};

// A square wave that rises at every tick k × 1000 + 500.
inline std::vector<float> SquareWave(int32_t ticks)
{
    std::vector<float> samples(static_cast<std::size_t>(ticks));
    for (int32_t t = 0; t < ticks; ++t)
        samples[static_cast<std::size_t>(t)] = (t % 1000) >= 500 ? 1.0f : 0.0f;
    return samples;
}

} // namespace CalcTesting
