// What the module's detector steps share: how a step stops at the engine's horizon, how it reports a
// source that ran dry, and the end-of-limits test.
#pragma once

#include "calc/DetectorEngine.h"

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

} // namespace Sistra
