#include "calc/detectors/PeakAndEcgDetectors.h"

namespace Sistra
{

void MaxParams::BuildSources(uint32_t count, IUnknown* const* sources)
{
    if (count < 1)
        return;
    AddEventSource<SistraEdpEvent>(sources[0]);
    RequireEventRecords(*this, 0, L"end-diastolic events");
}

bool MaxAlgorithm::Step(State& state, Params& params, Event& event)
{
    if (state.Finished() || params.SourceCount() < 1)
    {
        state.Finish();
        return false;
    }
    auto& edps = params.EndDiastolicEvents();
    if (edps.HasCurrent())
    {
        const SistraEdpEvent edp = edps.Current();
        if (edp.base.tick >= state.horizon)
            return StopAtHorizon(state);
        edps.Advance();
        state.nextTick = edp.base.tick + 1;
        event = OrvEventBase{edp.secondTick, edp.secondFraction, edp.secondValue};
        state.lastPeakTick = edp.secondTick;
        return true;
    }
    return RunDry(state, edps, 0);
}

void ParamsEcg::BuildSources(uint32_t count, IUnknown* const* sources)
{
    if (count >= 1)
        AddEventSource<OrvEventBase>(sources[0]);
}

bool EcgAlgorithm::Step(State& state, Params& params, Event& event)
{
    if (state.Finished() || params.SourceCount() < 1)
    {
        state.Finish();
        return false;
    }
    auto& ecg = params.EcgEvents();
    while (state.phase != 3)
    {
        if (!ecg.HasCurrent())
            return RunDry(state, ecg, 0);
        const OrvEventBase beat = ecg.Current();
        if (beat.tick >= state.horizon)
            return StopAtHorizon(state);
        // Once the first event inside the limits is found, later ones are only held against the limit end.
        if (state.phase == 0 && (beat.tick < state.firstTick || ReachesLimitEnd(state, beat.tick)))
        {
            ecg.Advance();
            state.nextTick = beat.tick + 1;
            continue;
        }
        state.held = SistraEdpEvent{beat};
        state.phase = 3;
    }
    if (ReachesLimitEnd(state, state.held.base.tick))
    {
        state.nextTick = state.limitEndTick;
        return false;
    }
    ecg.Advance();
    state.nextTick = state.held.base.tick + 1;
    state.phase = 1;
    event = state.held;
    return true;
}

} // namespace Sistra
