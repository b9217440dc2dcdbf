// What the module's detector steps share: how a step stops at the engine's horizon, how it reports a
// source that ran dry, and the end-of-limits test.
#pragma once

#include "calc/engine/DetectorEngine.h"

#include "foundation/com/XOrv.h"

#include <vector>

namespace Sistra
{

// The step leaves the rest to the next span: everything before the horizon has been processed.
inline bool StopAtHorizon(EEH3::StateBase& state)
{
    state.nextTick = state.horizon;
    return false;
}

// True when the tick lies at or beyond the record's end of processing. A negative end means no limit.
inline bool ReachesLimitEnd(const EEH3::StateBase& state, int32_t tick)
{
    return state.limitEndTick >= 0 && tick >= state.limitEndTick;
}

// A source without a current item: finished when its data has ended, else waiting for more.
inline bool RunDry(EEH3::StateBase& state, const EEH3::eeh_SourceEnum& source, int32_t sourceIndex)
{
    if (source.Ended())
        state.Finish();
    else
        state.waitingFor = sourceIndex;
    return false;
}

// Refuses an event source whose records are of another kind than the calculation reads (plain peak
// events where end-diastolic events belong, loop records where end-diastolic events belong), instead of
// reading nothing or the wrong bytes from it.
inline void RequireEventRecords(EEH3::ParamsBase& params, std::size_t index, const wchar_t* needed)
{
    if (params.SourceAs<EEH3::EventWrapper>(index).RecordSize() != 0)
        return;
    Orv::String message(L"The event source gives other records than ");
    message += needed;
    message += L'.';
    throw XOrv(message, E_INVALIDARG);
}

enum class ReadOutcome
{
    Complete,
    Waiting, // a channel has no data yet; the step is repeated when more has arrived
    Ended,   // a channel ended first
};

// One channel of a pair read together: its cursor, its source index and the samples read from it.
struct SampleChannel
{
    EEH3::FloatExWrapper& source;
    int32_t sourceIndex;
    std::vector<float>& samples;
};

// The samples of [start, end) of two channels. Where the channels run dry at different ticks, the one
// that runs dry first tells the outcome, the first channel on a tie, as reading them tick by tick would.
inline ReadOutcome ReadSamplePair(EEH3::StateBase& state, SampleChannel first, SampleChannel second, int32_t start,
                                  int32_t end)
{
    for (SampleChannel* channel : {&first, &second})
    {
        channel->source.Seek(start);
        channel->samples.clear();
    }
    if (end <= start)
        return ReadOutcome::Complete;
    const int32_t wanted = end - start;
    const int32_t firstTaken = first.source.Take(wanted, first.samples);
    const int32_t secondTaken = second.source.Take(wanted, second.samples);
    if (firstTaken == wanted && secondTaken == wanted)
        return ReadOutcome::Complete;
    const SampleChannel& dry = firstTaken <= secondTaken ? first : second;
    if (dry.source.Ended())
        return ReadOutcome::Ended;
    state.waitingFor = dry.sourceIndex;
    return ReadOutcome::Waiting;
}

} // namespace Sistra
