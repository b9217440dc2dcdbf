#include "calc/pva/PvaCalculation.h"

#include "calc/sources/RecordRange.h"

#include <limits>

namespace Sistra::Sistra
{
namespace
{

double ReadNumber(std::wistream& in, double absent)
{
    double value = 0.0;
    return in >> value ? value : absent;
}

// Read as a double and rounded, so that "1.5" does not leave ".5" for the next number.
int32_t ReadType(std::wistream& in, int32_t absent)
{
    return ::Sistra::RoundToInt32(ReadNumber(in, absent));
}

void ReadTerms(std::wistream& in, std::size_t count, std::vector<double>& terms)
{
    terms.clear();
    for (std::size_t i = 0; i < count; ++i)
    {
        double term = 0.0;
        if (in >> term)
            terms.push_back(term);
    }
}

void WriteTerms(std::wostream& out, std::size_t count, const std::vector<double>& terms)
{
    for (std::size_t i = 0; i < count; ++i)
        out << (i < terms.size() ? terms[i] : 0.0) << L' ';
}

// The end-systolic point that closes a loop's area: where the fitted tangent line touches the loop
// when the relation is the tangent one and the analysis data has that point, else the loop's own.
struct EndSystolicPoint
{
    int32_t tick;
    float volume;
    float pressure;
};

EndSystolicPoint EndSystolicPointOf(const SistraEvent& loop, const Params& params)
{
    if (params.espvrType == TangentRelation)
        if (const auto analysis = params.FindAnalysisData())
        {
            EndSystolicPoint touching{};
            touching.tick =
                analysis->GetTangentEsPoint(params.record, loop.firstTick, &touching.volume, &touching.pressure);
            if (touching.tick != -1)
                return touching;
        }
    return {loop.endSystolicTick, static_cast<float>(loop.ves), static_cast<float>(loop.pes)};
}

bool FillFromLoop(PVAEvent& event, const SistraEvent& loop, const Params& params, const State& state)
{
    event.base = loop.base;
    const EndSystolicPoint endSystole = EndSystolicPointOf(loop, params);
    return event.Calculate(loop, params.espvrType, params.edpvrType, params.espvrTerms, params.edpvrTerms,
                           state.pressureSamples, state.volumeSamples, endSystole.tick, endSystole.volume,
                           endSystole.pressure, params.pressureAtIntersect, params.volumeAtIntersect);
}

} // namespace

void Params::Read(std::wistream& in)
{
    espvrType = ReadType(in, NoRelation);
    edpvrType = ReadType(in, LinearRelation);
    pressureAtIntersect = ReadNumber(in, 0.0);
    volumeAtIntersect = ReadNumber(in, 0.0);
    ReadTerms(in, EspvrTermCount, espvrTerms);
    ReadTerms(in, EdpvrTermCount, edpvrTerms);
    // The text that asks for no area gives fewer numbers, the two channels' places taken by its first
    // two, so that its end-systolic terms run short: without all three the relation that closes the
    // area is not known. The end-diastolic terms may be left out; that relation then adds nothing.
    const bool endSystolicKnown = espvrTerms.size() == EspvrTermCount;
    espvrTypeValid = endSystolicKnown && espvrType >= FirstEspvrType && espvrType <= LastEspvrType;
    ReadLimits(in);
}

void Params::Write(std::wostream& out) const
{
    const std::streamsize precision = out.precision(std::numeric_limits<double>::max_digits10);
    out << espvrType << L' ' << edpvrType << L' ' << pressureAtIntersect << L' ' << volumeAtIntersect << L' ';
    WriteTerms(out, EspvrTermCount, espvrTerms);
    WriteTerms(out, EdpvrTermCount, edpvrTerms);
    out.precision(precision);
    WriteLimits(out);
    out << L'\0';
}

void Params::BuildSources(uint32_t count, IUnknown* const* sources)
{
    if (count < SourcesNeeded)
        return;
    AddEventSource<SistraEvent>(sources[LoopSource]);
    AddChannelSource(sources[PressureSource]);
    AddChannelSource(sources[VolumeSource]);
    RequireEventRecords(*this, LoopSource, L"loop records");
}

bool Algorithm::Step(State& state, Params& params, Event& event)
{
    // Without an end-systolic relation there is no area to close; without all three sources no loop.
    if (state.Finished() || !params.espvrTypeValid || params.SourceCount() < Params::SourcesNeeded)
    {
        state.Finish();
        return false;
    }
    auto& loops = params.Loops();
    for (;;)
    {
        if (!loops.HasCurrent())
            return RunDry(state, loops, Params::LoopSource);
        const SistraEvent loop = loops.Current();
        if (loop.base.tick >= state.horizon)
            return StopAtHorizon(state);
        bool filled = false;
        // A closing record is no loop; a loop whose samples end early has no area.
        if (loop.state != LoopStateClosing)
        {
            const ReadOutcome read =
                ReadSamplePair(state, {params.Pressure(), Params::PressureSource, state.pressureSamples},
                               {params.Volume(), Params::VolumeSource, state.volumeSamples}, loop.firstTick,
                               loop.endTick);
            if (read == ReadOutcome::Waiting)
                return false;
            filled = read == ReadOutcome::Complete && FillFromLoop(event, loop, params, state);
        }
        state.pressureSamples.clear();
        state.volumeSamples.clear();
        state.nextTick = loop.base.tick + 1;
        loops.Advance();
        if (filled)
            return true;
    }
}

} // namespace Sistra::Sistra
