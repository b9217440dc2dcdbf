#include "calc/loops/LoopAnalyzer.h"

#include "calc/sources/RecordRange.h"

namespace Sistra
{
namespace
{

int32_t ReadMode(std::wistream& in)
{
    double value = 0.0;
    return in >> value ? RoundToInt32(value) : 0;
}

// Both channels' samples of [start, end).
ReadOutcome ReadBeat(DetEx_DetectorState& state, DetEx_EventDetectorParams& params, int32_t start, int32_t end)
{
    return ReadSamplePair(state, {params.Pressure(), DetEx_EventDetectorParams::PressureSource, state.pressure},
                          {params.Volume(), DetEx_EventDetectorParams::VolumeSource, state.volume}, start, end);
}

void EmitBeat(DetEx_DetectorState& state, DetEx_EventDetectorParams& params, SistraEvent& loop)
{
    loop.base.SetPosition(state.opening.Position());
    const BeatTiming timing{state.opening.tick, loop.base.Position(), state.closing.Position(), params.sampleInterval};
    ComputeBeat(state.pressure, state.volume, timing, params.beat, loop);
    // The beat is read again from its first sample whenever it is needed, so checkpoint copies of the
    // state need not carry it.
    state.pressure.clear();
    state.volume.clear();
    loop.base.value = loop.ped;
    state.phase = 1;
    state.nextTick = loop.base.tick + 1;
    // A beat that opens before the start limit is not handed out.
    if (state.opening.tick >= state.firstTick)
        state.lastEmittedPosition = loop.base.Position();
    state.opening = state.closing;
}

// The closing record: the last end-diastolic event of the block, in state 2.
bool EmitClosingRecord(DetEx_DetectorState& state, SistraEvent& loop)
{
    const OrvEventBase& last = state.lastEmittedPosition < 0.0 ? state.opening : state.closing;
    loop = SistraEvent{};
    ComputeBeat({}, {}, BeatTiming{last.tick}, BeatSettings{}, loop);
    loop.base = last;
    loop.firstTick = last.tick;
    loop.state = LoopStateClosing;
    if (ReachesLimitEnd(state, last.tick))
    {
        state.nextTick = state.limitEndTick;
        return false;
    }
    state.Finish();
    return true;
}

} // namespace

void DetEx_EventDetectorParams::Read(std::wistream& in)
{
    beat.tauType = ReadMode(in);
    beat.strokeVolumeMode = ReadMode(in);
    ReadLimits(in);
    beat.endSystolicMode = ReadMode(in);
}

void DetEx_EventDetectorParams::Write(std::wostream& out) const
{
    out << beat.tauType << L' ' << beat.strokeVolumeMode << L' ';
    WriteLimits(out);
    out << L' ' << beat.endSystolicMode << L'\0';
}

void DetEx_EventDetectorParams::BuildSources(uint32_t count, IUnknown* const* sources)
{
    if (count < 3)
        return;
    AddChannelSource(sources[PressureSource]);
    AddChannelSource(sources[VolumeSource]);
    AddEventSource<SistraEdpEvent>(sources[EdpSource]);
    RequireEventRecords(*this, EdpSource, L"end-diastolic events");
}

bool DetEx_EventAlgorithm::Step(State& state, Params& params, Event& loop)
{
    if (state.Finished() || params.SourceCount() < 3)
    {
        state.Finish();
        return false;
    }
    auto& edps = params.EndDiastolicEvents();
    if (state.phase < 2)
    {
        if (!edps.HasCurrent())
            return RunDry(state, edps, Params::EdpSource);
        const OrvEventBase opening = edps.Current().base;
        if (opening.tick >= state.horizon)
            return StopAtHorizon(state);
        state.opening = opening;
        state.phase = 2;
        state.nextTick = opening.tick + 1; // the next step's events start after the opening one
        edps.Advance();
    }
    if (state.phase == 2)
    {
        if (!edps.HasCurrent())
        {
            if (!edps.Ended())
            {
                state.waitingFor = Params::EdpSource;
                return false;
            }
            return EmitClosingRecord(state, loop);
        }
        state.closing = edps.Current().base;
        const int32_t start = state.opening.tick;
        if (ReachesLimitEnd(state, start))
        {
            state.nextTick = state.limitEndTick;
            return false;
        }
        const ReadOutcome read = ReadBeat(state, params, start, state.closing.tick);
        if (read == ReadOutcome::Waiting)
            return false;
        if (read == ReadOutcome::Ended)
            return EmitClosingRecord(state, loop);
        state.phase = 3;
    }
    EmitBeat(state, params, loop);
    return true;
}

} // namespace Sistra
