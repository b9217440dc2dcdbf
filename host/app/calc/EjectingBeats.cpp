#include "host/app/calc/EjectingBeats.h"

#include "foundation/numbers/Units.h"

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

namespace Host::Calc
{
namespace
{

class EjectingBeatsNode final : public EventNode
{
public:
    EjectingBeatsNode(EventNodePtr events, SampleNodePtr pressure, double minRise)
        : events_(std::move(events)), pressure_(std::move(pressure)), minRiseMmHg_(minRise)
    {
    }

    size_t RecordSize() const override { return events_->RecordSize(); }

    const EventTrack& Events(size_t record) override
    {
        auto found = states_.find(record);
        if (found == states_.end())
            found = states_.emplace(record, State{EventTrack(RecordSize())}).first;
        CatchUp(record, found->second);
        return found->second.track;
    }

private:
    struct State
    {
        EventTrack track;
        size_t nextEvent = 0; // the source's first event not yet judged
    };

    // Each event is judged once its beat's end (the next event) and the pressure up to it have arrived.
    void CatchUp(size_t record, State& state)
    {
        if (state.track.IsComplete())
            return;
        const EventTrack& source = events_->Events(record);
        const Extent pressure = pressure_->Available(record);
        std::vector<float> samples;
        while (state.nextEvent < source.Count())
        {
            const EventHeader event = source.Header(state.nextEvent);
            const bool last = state.nextEvent + 1 == source.Count();
            // The beat so far: to the next event, or as far as the source has settled that none comes.
            const int64_t end = last ? source.SettledTicks() : source.Header(state.nextEvent + 1).tick;
            if (std::min(end, pressure.ticks) > event.tick)
            {
                samples.resize(static_cast<size_t>(std::min(end, pressure.ticks) - event.tick));
                pressure_->Compute(record, event.tick, samples);
            }
            else
                samples.clear();
            const bool ejects = LargestRise(samples) >= MinRise(record);
            const bool whole = end <= pressure.ticks && (!last || source.IsComplete());
            if (!ejects && !whole)
                break;
            if (ejects || last)
                state.track.Append(source.RecordBytes(state.nextEvent));
            ++state.nextEvent;
        }
        if (source.IsComplete() && state.nextEvent == source.Count())
            state.track.Complete(source.SettledTicks());
        else
            state.track.Settle(state.nextEvent < source.Count() ? source.Header(state.nextEvent).tick
                                                                 : source.SettledTicks());
    }

    // The least rise in the unit the pressure is read in now.
    double MinRise(size_t record) const
    {
        const std::optional<std::wstring> unit = pressure_->ShownUnit(record);
        return minRiseMmHg_ * (unit ? Orv::RecordedUnitFactor(L"mmHg", *unit) : std::nullopt).value_or(1.0);
    }

    EventNodePtr events_;
    SampleNodePtr pressure_;
    double minRiseMmHg_;
    std::map<size_t, State> states_;
};

} // namespace

double LargestRise(std::span<const float> samples)
{
    double lowest = std::numeric_limits<double>::infinity(), rise = 0.0;
    for (const float sample : samples)
    {
        lowest = std::min(lowest, static_cast<double>(sample));
        rise = std::max(rise, sample - lowest);
    }
    return rise;
}

EventNodePtr MakeEjectingBeats(EventNodePtr events, SampleNodePtr pressure, double minRise)
{
    return std::make_shared<EjectingBeatsNode>(std::move(events), std::move(pressure), minRise);
}

} // namespace Host::Calc
