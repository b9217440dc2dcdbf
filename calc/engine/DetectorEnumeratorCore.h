// What an event enumerator of the detector engine does for its host, apart from COM: reads its
// argument text, binds to one record's sources, and hands out events from a cursor tick on.
#pragma once

#include "calc/engine/DetectorEngine.h"

#include "foundation/com/ComPtr.h"

#include <locale>
#include <sstream>
#include <string_view>
#include <vector>

namespace EEH3
{

template <class Algorithm>
class DetectorEnumeratorCore
{
public:
    using Params = typename Algorithm::Params;
    using Event = typename Algorithm::Event;

    // The argument text: a leading flag value, then the function's numbers in its parameter order,
    // blank-separated, in the classic locale. Numbers left out keep their defaults.
    void SetArguments(std::wstring_view text)
    {
        std::wistringstream in{std::wstring(text)};
        in.imbue(std::locale::classic());
        double flag = 0.0;
        if (in >> flag)
            params.flag = Sistra::RoundToInt32(flag);
        params.ClearLimits();
        params.Read(in);
        cache.Reset();
        pending.reset();
        cursor = 0;
    }

    void Bind(int32_t boundRecord, uint32_t count, IUnknown* const* sources, double sampleInterval,
              int32_t startTick)
    {
        sourceObjects.clear();
        for (uint32_t i = 0; i < count; ++i)
            sourceObjects.emplace_back(sources[i]);
        params.ClearSources();
        params.BuildSources(count, sources);
        params.sampleInterval = sampleInterval;
        params.record = boundRecord;
        record = boundRecord;
        bound = true;
        MoveTo(startTick);
    }

    void Unbind()
    {
        sourceObjects.clear();
        params.ClearSources();
        cache.DropCurrent();
        bound = false;
    }

    // Drops the working state and puts the cursor (and every source) at the tick.
    void MoveTo(int32_t tick)
    {
        cache.DropCurrent();
        pending.reset();
        cursor = std::max(tick, params.LimitsOf(record).firstTick);
        for (std::size_t i = 0; i < params.SourceCount(); ++i)
            params.Source(i).SetPosition(cursor);
    }

    // Looks for an event inside [rangeStart, rangeEnd), forward from tick or backward from it. Found:
    // S_OK, and the cursor stands on the event, which the next read hands out first.
    HRESULT Find(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd)
    {
        if (!bound)
            return E_UNEXPECTED;
        pending.reset();
        Event event{};
        SearchOutcome outcome;
        if (direction == CalcSeekBackward)
        {
            const int64_t last = std::min<int64_t>(tick, static_cast<int64_t>(rangeEnd) - 1);
            outcome = last < rangeStart ? SearchOutcome::NotInRange
                                        : cache.FindBackward(params, record, static_cast<int32_t>(last), rangeStart, event);
        }
        else
            outcome = cache.FindForward(params, record, std::max(tick, rangeStart), rangeEnd, event);
        if (outcome == SearchOutcome::Found)
        {
            pending = event;
            cursor = TickOf(event);
            return S_OK;
        }
        if (direction == CalcSeekBackward || outcome == SearchOutcome::Waiting)
            cursor = std::max(tick, rangeStart); // reading goes on forward from there
        else
            cursor = outcome == SearchOutcome::Ended ? LastTick : rangeEnd;
        return S_FALSE;
    }

    // Hands out up to maxRecords events from the cursor on whose ticks lie below limit. S_FALSE when the
    // record holds no further event; S_OK otherwise, also when the data for more is not there yet.
    HRESULT Next(int32_t maxRecords, int32_t limit, void* records, int32_t& count, int32_t& nextPosition)
    {
        count = 0;
        HRESULT result = S_OK;
        if (!bound)
        {
            nextPosition = LastTick;
            return S_FALSE;
        }
        if (pending && TickOf(*pending) >= cursor && TickOf(*pending) < limit && maxRecords > 0)
            Deliver(*pending, records, count);
        pending.reset();
        while (count < maxRecords)
        {
            Event event{};
            const SearchOutcome outcome = cache.FindForward(params, record, cursor, limit, event);
            if (outcome == SearchOutcome::Found)
            {
                Deliver(event, records, count);
                continue;
            }
            if (outcome == SearchOutcome::NotInRange)
                cursor = std::max(cursor, limit);
            else if (outcome == SearchOutcome::Ended)
            {
                cursor = LastTick;
                result = S_FALSE;
            }
            break;
        }
        nextPosition = cursor;
        return result;
    }

    // Binds copy (which has read the same arguments) to copies of this core's sources, at its cursor, with
    // its checkpoints. A copy of an unbound core, or of one whose sources cannot all be copied, stays
    // unbound: it is bound by its own Start.
    void CopyBindingInto(DetectorEnumeratorCore& copy) const
    {
        if (!bound)
            return;
        std::vector<Orv::ComPtr<IUnknown>> copies;
        for (const Orv::ComPtr<IUnknown>& source : sourceObjects)
        {
            copies.push_back(CopyOfSource(source.Get()));
            if (source && !copies.back())
                return;
        }
        std::vector<IUnknown*> pointers;
        for (const Orv::ComPtr<IUnknown>& source : copies)
            pointers.push_back(source.Get());
        copy.Bind(record, static_cast<uint32_t>(pointers.size()), pointers.data(), params.sampleInterval,
                  cursor);
        copy.cache.CopyCheckpointsFrom(cache);
        copy.pending = pending;
    }

    int32_t Cursor() const { return cursor; }
    int32_t Record() const { return record; }
    bool Bound() const { return bound; }
    Params& Parameters() { return params; }
    const Params& Parameters() const { return params; }
    const ChannelCache<Algorithm>& Cache() const { return cache; }

private:
    // A source that reads on independently from where the given one stands: its own copy.
    static Orv::ComPtr<IUnknown> CopyOfSource(IUnknown* source)
    {
        Orv::ComPtr<IUnknown> copy;
        Orv::ComPtr<IEnumFloatEx> channel;
        Orv::ComPtr<IEnumEventEx> events;
        if (source && SUCCEEDED(source->QueryInterface(IID_IEnumFloatEx, channel.PutVoid())))
        {
            Orv::ComPtr<IEnumFloatEx> channelCopy;
            if (SUCCEEDED(channel->Clone(channelCopy.Put())) && channelCopy)
                copy = Orv::ComPtr<IUnknown>(channelCopy.Get());
        }
        else if (source && SUCCEEDED(source->QueryInterface(IID_IEnumEventEx, events.PutVoid())))
        {
            Orv::ComPtr<IEnumEventEx> eventsCopy;
            if (SUCCEEDED(events->Clone(eventsCopy.Put())) && eventsCopy)
                copy = Orv::ComPtr<IUnknown>(eventsCopy.Get());
        }
        return copy;
    }

    // The caller's buffer need not be aligned for the record type.
    void Deliver(const Event& event, void* records, int32_t& count)
    {
        std::memcpy(static_cast<std::byte*>(records) + static_cast<std::size_t>(count) * sizeof(Event), &event,
                    sizeof(Event));
        ++count;
        cursor = TickOf(event) + 1;
    }

    Params params;
    std::vector<Orv::ComPtr<IUnknown>> sourceObjects; // as bound, for copies
    ChannelCache<Algorithm> cache;
    std::optional<Event> pending;
    int32_t record = 0;
    int32_t cursor = 0;
    bool bound = false;
};

} // namespace EEH3
