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
#include "host/include/CalcEventRecords.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace EEH3
{

constexpr int32_t CheckpointSpan = 100000;
constexpr int32_t LastTick = 0x7FFFFFFF;
// A detector's event on a record's very first sample has nothing before it to be detected against, and
// is never handed out.
constexpr int32_t FirstEventTick = 1;
// An event whose value carries this pattern is a detector's "nothing here" and is never handed out.
constexpr uint64_t RejectedEventValueBits = 0x7FF8500000000000ull;

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

    // The first event with from <= tick < rangeEnd in the record.
    SearchOutcome FindForward(Params& params, int32_t record, int32_t from, int32_t rangeEnd, Event& event)
    {
        const RecordLimits limits = params.LimitsOf(record);
        if (limits.endTick <= limits.firstTick)
            return SearchOutcome::Ended;
        EnsureRecord(record);
        from = std::max(from, limits.firstTick);
        rangeEnd = std::min(rangeEnd, limits.endTick);
        PrepareCurrent(params, record, from);
        for (;;)
        {
            if (current.held)
            {
                const Event held = *current.held;
                if (TickOf(held) >= rangeEnd)
                    return Remember(from, SearchOutcome::NotInRange);
                current.held.reset();
                if (TickOf(held) >= std::max(from, FirstEventTick) && ValueBitsOf(held) != RejectedEventValueBits)
                {
                    event = held;
                    current.floor = TickOf(held) + 1;
                    return SearchOutcome::Found;
                }
                continue;
            }
            State& state = *current.state;
            if (state.Finished() || state.NextTick() >= limits.endTick)
                return Remember(from, SearchOutcome::Ended);
            if (state.ResumePosition() >= rangeEnd)
                return Remember(from, SearchOutcome::NotInRange);
            if (!RunStep(params, record, limits, state))
                return Remember(from, SearchOutcome::Waiting);
        }
    }

    // The last event with rangeStart <= tick <= from in the record: searched span by span backwards,
    // each span re-run from its checkpoint.
    SearchOutcome FindBackward(Params& params, int32_t record, int32_t from, int32_t rangeStart, Event& event)
    {
        const RecordLimits limits = params.LimitsOf(record);
        int32_t last = std::min(from, limits.endTick - 1);
        rangeStart = std::max(rangeStart, limits.firstTick);
        while (last >= rangeStart)
        {
            const int32_t spanStart = last / CheckpointSpan * CheckpointSpan;
            DropCurrent();
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
            if (spanStart < CheckpointSpan)
                break;
            last = spanStart - 1;
        }
        return SearchOutcome::NotInRange;
    }

    std::size_t RecordCount() const { return records.size(); }
    bool HasCheckpoint(int32_t record, std::size_t index) const
    {
        const auto& checkpoints = records.at(static_cast<std::size_t>(record)).checkpoints;
        return index < checkpoints.size() && checkpoints[index] != nullptr;
    }
    std::size_t CheckpointCount(int32_t record) const
    {
        const auto& checkpoints = records.at(static_cast<std::size_t>(record)).checkpoints;
        return static_cast<std::size_t>(
            std::count_if(checkpoints.begin(), checkpoints.end(), [](const auto& c) { return c != nullptr; }));
    }

private:
    struct RecordCache
    {
        // Checkpoint k: the state as it stood when processing reached tick k × CheckpointSpan.
        std::vector<std::unique_ptr<State>> checkpoints;
    };

    struct CurrentState
    {
        std::unique_ptr<State> state;
        int32_t record = -1;
        int32_t floor = 0;         // the state can still hand out every event at or after this tick
        std::optional<Event> held; // produced beyond the last range; handed out by a later search
    };

    void EnsureRecord(int32_t record)
    {
        if (records.size() <= static_cast<std::size_t>(record))
            records.resize(static_cast<std::size_t>(record) + 1);
    }

    // The state went past every event below from without handing it out.
    SearchOutcome Remember(int32_t from, SearchOutcome outcome)
    {
        current.floor = std::max(current.floor, from);
        return outcome;
    }

    void PrepareCurrent(const Params& params, int32_t record, int32_t from)
    {
        if (current.state && current.record == record && from >= current.floor)
            return;
        const RecordLimits limits = params.LimitsOf(record);
        auto& checkpoints = records[static_cast<std::size_t>(record)].checkpoints;
        std::size_t index = std::min(static_cast<std::size_t>(from / CheckpointSpan), checkpoints.size());
        while (index > 0 && (index >= checkpoints.size() || !checkpoints[index]))
            --index;
        current = CurrentState{};
        current.record = record;
        if (index < checkpoints.size() && checkpoints[index])
            current.state = std::make_unique<State>(*checkpoints[index]);
        else
            current.state = std::make_unique<State>(params, limits.firstTick);
        current.floor = current.state->ResumePosition();
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
        if (!state.Finished() && state.NextTick() == boundary)
            StoreCheckpoint(record, static_cast<std::size_t>(boundary / CheckpointSpan), state);
        if (ready)
        {
            current.held = produced;
            return true;
        }
        // A step that neither moved nor finished has nothing to work on yet.
        return state.waitingFor < 0 && (state.Finished() || state.NextTick() != start);
    }

    void StoreCheckpoint(int32_t record, std::size_t index, const State& state)
    {
        auto& checkpoints = records[static_cast<std::size_t>(record)].checkpoints;
        if (checkpoints.size() <= index)
            checkpoints.resize(index + 1);
        if (!checkpoints[index])
            checkpoints[index] = std::make_unique<State>(state);
    }

    std::vector<RecordCache> records;
    CurrentState current;
};

} // namespace EEH3
