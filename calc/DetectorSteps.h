// What the module's detector steps share: how a step stops at the engine's horizon, how it reports a
// source that ran dry, and the end-of-limits test.
#pragma once

#include "calc/DetectorEngine.h"

#include "foundation/XOrv.h"

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

// Refuses an event source whose records are shorter than the calculation reads (plain peak events given
// where end-diastolic events belong), instead of reading nothing from it.
inline void RequireEventRecords(EEH3::ParamsBase& params, std::size_t index, const wchar_t* needed)
{
    if (params.SourceAs<EEH3::EventWrapper>(index).RecordSize() != 0)
        return;
    Orv::String message(L"The event source gives records too short for ");
    message += needed;
    message += L'.';
    throw XOrv(message, E_INVALIDARG);
}

} // namespace Sistra
