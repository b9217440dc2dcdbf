// The event-detector engine: runs a per-sample detection algorithm record by record, keeps copies of
// its state every CheckpointSpan ticks so that any position can be reached again by re-running at most
// one span, and finds the events inside a tick range, forward or backward.
//
// A detector supplies an Algorithm with
//   using Params = ...;  // derived from ParamsBase
//   using State = ...;   // derived from StateBase, copyable, constructible as State(const Params&, firstTick)
//   using Event = ...;   // the output record; it begins with the OrvEventBase layout
//   static bool Step(State&, Params&, Event&);
// Step processes ticks from state.NextTick() on, never reaching state.horizon; it returns true as soon
// as an event is ready in its Event argument. When a source has no data yet it sets state.waitingFor
// to that source's index and returns false; when its data ends it calls state.Finish(). Before each
// step the engine positions every source at state.NextTick().
#pragma once

#include "calc/engine/DetectorParams.h"
#include "calc/engine/MissingValue.h"
#include "hostapi/CalcEventRecords.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace EEH3
{

constexpr int32_t CheckpointSpan = 100000;
constexpr int32_t LastTick = 0x7FFFFFFF;
// An event whose value carries this pattern is a detector's "nothing here" and is never handed out.
constexpr uint64_t RejectedEventValueBits = 0x7FF8500000000000ull;
// A record's very first sample has nothing before it to be detected against: a recording or block that
// starts on an upstroke would put an end-diastolic point there that is only the edge of the data. Such an
// event is dropped where it is produced, so a sequential read and a search after a seek agree on it.
constexpr int32_t FirstEventTick = 1;

class StateBase
{
public:
    explicit StateBase(int32_t firstTick) : nextTick(firstTick) {}
    StateBase(const StateBase&) = default;
    StateBase& operator=(const StateBase&) = default;
    virtual ~StateBase() = default;

    // The next tick to process.
    virtual int32_t NextTick() const { return finished ? LastTick : nextTick; }
    // Every event before this tick has been produced; a state that holds a candidate back (a peak not
    // yet confirmed) reports the candidate's tick.
    virtual int32_t ResumePosition() const { return NextTick(); }
    virtual void Finish() { finished = true; }
    bool Finished() const { return finished; }

    int32_t nextTick;
    int32_t horizon = LastTick;      // set by the engine before each step
    int32_t limitEndTick = LastTick; // the record's end of processing
    int32_t waitingFor = -1;         // index of the source that ran out of data, -1 none

private:
    bool finished = false;
};

enum class SearchOutcome
{
    Found,      // an event lies in the range
    NotInRange, // every event of the range has been looked for: none
    Waiting,    // a source has no data yet: repeat when more has arrived
    Ended,      // the record's data or its limits end before the range
};

template <class Event>
int32_t TickOf(const Event& event)
{
    int32_t tick = 0;
    std::memcpy(&tick, &event, sizeof(tick));
    return tick;
}

template <class Event>
uint64_t ValueBitsOf(const Event& event)
{
    uint64_t bits = 0;
    std::memcpy(&bits, reinterpret_cast<const std::byte*>(&event) + offsetof(OrvEventBase, value), sizeof(bits));
    return bits;
}

template <class Algorithm>
class ChannelCache
{
public:
    using Params = typename Algorithm::Params;
    using State = typename Algorithm::State;
    using Event = typename Algorithm::Event;
    static_assert(sizeof(Event) >= sizeof(OrvEventBase), "event records begin with the base event");

    void Reset()
    {
        records.clear();
        DropCurrent();
    }
    void DropCurrent() { current = CurrentState{}; }

    // A copy of an enumerator starts with what this cache has learnt of every record.
    void CopyCheckpointsFrom(const ChannelCache& other)
    {
        records.clear();
        for (const auto& [record, learnt] : other.records)
        {
            RecordCache& copy = records[record];
            copy.lastEventOfSpan = learnt.lastEventOfSpan;
            for (const auto& checkpoint : learnt.checkpoints)
                copy.checkpoints.push_back(checkpoint ? std::make_unique<State>(*checkpoint) : nullptr);
        }
    }

    // The first event with from <= tick < rangeEnd in the record.
    SearchOutcome FindForward(Params& params, int32_t record, int32_t from, int32_t rangeEnd, Event& event)
    {
        const RecordLimits limits = params.LimitsOf(record);
        if (limits.endTick <= limits.firstTick)
            return SearchOutcome::Ended;
        from = std::max(from, limits.firstTick);
        rangeEnd = std::min(rangeEnd, limits.endTick);
        PrepareCurrent(params, record, limits, from);
        for (;;)
        {
            if (current.held)
            {
                const Event held = *current.held;
                if (TickOf(held) >= rangeEnd)
                    return SearchOutcome::NotInRange;
                current.held.reset();
                current.floor = std::max(current.floor, TickOf(held) + 1);
                if (TickOf(held) >= from)
                {
                    event = held;
                    return SearchOutcome::Found;
                }
                continue;
            }
            State& state = *current.state;
            if (state.Finished() || state.NextTick() >= limits.endTick)
                return SearchOutcome::Ended;
            if (state.ResumePosition() >= rangeEnd)
                return SearchOutcome::NotInRange;
            if (!RunStep(params, record, limits, state))
                return SearchOutcome::Waiting;
        }
    }

    // The last event with rangeStart <= tick <= from in the record: searched span by span backwards.
    SearchOutcome FindBackward(Params& params, int32_t record, int32_t from, int32_t rangeStart, Event& event)
    {
        const RecordLimits limits = params.LimitsOf(record);
        int32_t last = std::min(from, limits.endTick - 1);
        rangeStart = std::max(rangeStart, limits.firstTick);
        while (last >= rangeStart)
        {
            const int32_t spanStart = last / CheckpointSpan * CheckpointSpan;
            std::optional<Event> latest;
            SearchOutcome outcome = SearchOutcome::Found;
            Event found{};
            for (int32_t next = std::max(spanStart, rangeStart);
                 (outcome = FindForward(params, record, next, last + 1, found)) == SearchOutcome::Found;)
            {
                latest = found;
                next = TickOf(found) + 1;
            }
            if (latest)
            {
                event = *latest;
                return SearchOutcome::Found;
            }
            if (outcome == SearchOutcome::Waiting)
                return outcome;
            last = spanStart - 1;
        }
        return SearchOutcome::NotInRange;
    }

    std::size_t RecordCount() const { return records.size(); }
    bool HasCheckpoint(int32_t record, std::size_t index) const
    {
        const auto& checkpoints = records.at(record).checkpoints;
        return index < checkpoints.size() && checkpoints[index] != nullptr;
    }
    std::size_t CheckpointCount(int32_t record) const
    {
        const auto& checkpoints = records.at(record).checkpoints;
        return static_cast<std::size_t>(
            std::count_if(checkpoints.begin(), checkpoints.end(), [](const auto& c) { return c != nullptr; }));
    }

private:
    // No event produced (yet).
    static constexpr int32_t NoEvent = std::numeric_limits<int32_t>::min();

    // What processing has learnt of one record. An event need not come out in the span where its tick
    // lies: a detector may hand out a point behind its input (a beat once its closing event is read) or
    // ahead of it (a peak taken from the end-diastolic event before it). So each span that has been run
    // through keeps the last event tick it produced, and a search starts from the first span that
    // produced an event at or after the tick asked for: every span before it produced only earlier ones.
    struct RecordCache
    {
        // Checkpoint k: the state as it stood when processing reached tick k × CheckpointSpan.
        std::vector<std::unique_ptr<State>> checkpoints;
        // Per span run through: the last event tick produced while processing it (NoEvent: none).
        std::vector<std::optional<int32_t>> lastEventOfSpan;
    };

    struct CurrentState
    {
        std::unique_ptr<State> state;
        int32_t record = -1;
        // Every event the state has produced so far lies below this tick: a search from here on may go on
        // with it (one from lower down starts again from a checkpoint).
        int32_t floor = NoEvent;
        int32_t lastEventOfSpan = NoEvent; // the last event of the span being processed
        std::optional<Event> held;         // produced beyond the last range; handed out by a later search
    };

    static bool Rejected(const Event& event)
    {
        return TickOf(event) < FirstEventTick || ValueBitsOf(event) == RejectedEventValueBits;
    }

    void PrepareCurrent(const Params& params, int32_t record, const RecordLimits& limits, int32_t from)
    {
        RecordCache& cache = records[record];
        // The first span that may produce an event at or after from, then the last checkpoint before it.
        const auto firstSpan = static_cast<std::size_t>(limits.firstTick / CheckpointSpan);
        std::size_t span = firstSpan;
        while (span < cache.lastEventOfSpan.size() && cache.lastEventOfSpan[span] &&
               *cache.lastEventOfSpan[span] < from)
            ++span;
        std::size_t index = std::min(span, cache.checkpoints.size());
        while (index > firstSpan && (index >= cache.checkpoints.size() || !cache.checkpoints[index]))
            --index;
        const bool stored = index > firstSpan;
        const int32_t startTick = stored ? static_cast<int32_t>(index) * CheckpointSpan : limits.firstTick;
        if (current.state && current.record == record && from >= current.floor &&
            current.state->NextTick() >= startTick)
            return;
        int32_t floor = NoEvent;
        for (std::size_t k = firstSpan; stored && k < index; ++k)
            floor = std::max(floor, *cache.lastEventOfSpan[k]);
        current = CurrentState{};
        current.record = record;
        current.state = stored ? std::make_unique<State>(*cache.checkpoints[index])
                               : std::make_unique<State>(params, limits.firstTick);
        current.floor = floor == NoEvent ? NoEvent : floor + 1;
    }

    // One step of the algorithm up to the next checkpoint boundary; false when it waits for data.
    bool RunStep(Params& params, int32_t record, const RecordLimits& limits, State& state)
    {
        const int32_t start = state.NextTick();
        const int64_t boundary = (static_cast<int64_t>(start) / CheckpointSpan + 1) * CheckpointSpan;
        state.horizon = static_cast<int32_t>(std::min<int64_t>(boundary, limits.endTick));
        state.limitEndTick = limits.endTick;
        state.waitingFor = -1;
        for (std::size_t i = 0; i < params.SourceCount(); ++i)
            params.Source(i).Seek(start);
        Event produced{};
        const bool ready = Algorithm::Step(state, params, produced);
        if (ready && !Rejected(produced))
        {
            current.held = produced;
            current.lastEventOfSpan = std::max(current.lastEventOfSpan, TickOf(produced));
        }
        if (state.Finished() || state.NextTick() >= boundary)
            CloseSpans(record, static_cast<std::size_t>(start / CheckpointSpan), state);
        if (ready)
            return true;
        // A step that neither moved nor finished has nothing to work on yet.
        return state.waitingFor < 0 && (state.Finished() || state.NextTick() != start);
    }

    // Processing has left the span (and any it jumped over); a state standing on a boundary is kept there.
    void CloseSpans(int32_t record, std::size_t span, const State& state)
    {
        RecordCache& cache = records[record];
        const std::size_t reached =
            state.Finished() ? span + 1 : static_cast<std::size_t>(state.NextTick() / CheckpointSpan);
        if (cache.lastEventOfSpan.size() < reached)
            cache.lastEventOfSpan.resize(reached);
        for (std::size_t k = span; k < reached; ++k)
            if (!cache.lastEventOfSpan[k])
                cache.lastEventOfSpan[k] = k == span ? current.lastEventOfSpan : NoEvent;
        current.lastEventOfSpan = NoEvent;
        if (state.Finished() || state.NextTick() % CheckpointSpan != 0)
            return;
        if (cache.checkpoints.size() <= reached)
            cache.checkpoints.resize(reached + 1);
        if (!cache.checkpoints[reached])
            cache.checkpoints[reached] = std::make_unique<State>(state);
    }

    // Only the records this enumerator was asked about: one enumerator per record costs no more than one.
    std::map<int32_t, RecordCache> records;
    CurrentState current;
};

} // namespace EEH3
