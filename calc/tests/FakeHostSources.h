// Host streams for tests: a channel of samples and a stream of event records held in vectors, with
// counters of the host calls they receive. Online data is imitated by making only a prefix available.
#pragma once

#include "hostapi/CalcEventRecords.h"
#include "hostapi/CalcInterfaces.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace CalcTesting
{

// IUnknown of a test object that lives on the stack.
template <class Interface>
class StackObject : public Interface
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == __uuidof(Interface) || iid == IID_IEnumExBase)
        {
            *out = static_cast<Interface*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

class FakeChannel : public StackObject<IEnumFloatEx>
{
public:
    std::vector<float> samples;
    std::size_t available = 0; // samples recorded so far
    bool complete = true;      // no more samples will come
    int32_t position = 0;
    int nextCalls = 0;
    int skipCalls = 0;
    TimeBase timeBase{};

    explicit FakeChannel(std::vector<float> values) : samples(std::move(values)), available(samples.size()) {}

    HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(int32_t count, int32_t* skipped) override
    {
        ++skipCalls;
        const int32_t old = position;
        position = std::clamp<int32_t>(position + count, 0, static_cast<int32_t>(available));
        *skipped = position - old;
        return *skipped == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override
    {
        *tick = position;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override
    {
        *format = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetScale(TimeBase* out) override
    {
        *out = timeBase;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Next(int32_t count, float* out, int32_t* fetched) override
    {
        ++nextCalls;
        const int32_t left = static_cast<int32_t>(available) - position;
        *fetched = std::max(0, std::min(count, left));
        std::copy_n(samples.begin() + position, *fetched, out);
        position += *fetched;
        const bool atEnd = complete && available == samples.size() && *fetched < count;
        return atEnd ? S_FALSE : S_OK;
    }
    void STDMETHODCALLTYPE DeleteThis() override {}
};

// The event-stream slots a fake answers alike: records of the layout Record, no time base of its own,
// and none of the rest that the calculations under test call.
template <class Record>
class FakeEventStream : public StackObject<IEnumEventEx>
{
public:
    HRESULT STDMETHODCALLTYPE Clone(IEnumEventEx**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordSize(int32_t* bytes) override
    {
        *bytes = sizeof(Record);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUnitName(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetEventCount(int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* out) override
    {
        *out = TimeBase{};
        return S_OK;
    }
};

class FakeEvents : public FakeEventStream<OrvEventBase>
{
public:
    std::vector<OrvEventBase> events;
    bool complete = true;
    int32_t cursor = 0; // index of the next event to read
    int nextCalls = 0;
    int seekCalls = 0;

    explicit FakeEvents(std::vector<int32_t> ticks)
    {
        for (int32_t tick : ticks)
            events.push_back(OrvEventBase{tick, 0.0f, static_cast<double>(tick) / 10.0});
    }

    // While more events may come, the position after the last one is where reading continues.
    int32_t TickOfCursor() const
    {
        if (cursor < static_cast<int32_t>(events.size()))
            return events[cursor].tick;
        if (!complete)
            return events.empty() ? 0 : events.back().tick + 1;
        return CalcNoMoreEventsTick;
    }

    HRESULT STDMETHODCALLTYPE Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                   int32_t* nextPosition) override
    {
        ++nextCalls;
        auto* out = static_cast<std::byte*>(records);
        *count = 0;
        while (cursor < static_cast<int32_t>(events.size()) &&
               (*count + 1) * static_cast<int32_t>(sizeof(OrvEventBase)) <= byteCount && events[cursor].tick < limit)
        {
            std::memcpy(out + *count * sizeof(OrvEventBase), &events[cursor], sizeof(OrvEventBase));
            ++*count;
            ++cursor;
        }
        *nextPosition = TickOfCursor();
        return (complete && cursor == static_cast<int32_t>(events.size())) ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd) override
    {
        ++seekCalls;
        cursor = 0;
        if (direction == CalcSeekForward)
        {
            while (cursor < static_cast<int32_t>(events.size()) && events[cursor].tick < std::max(tick, rangeStart))
                ++cursor;
            return (cursor < static_cast<int32_t>(events.size()) && events[cursor].tick < rangeEnd) ? S_OK : S_FALSE;
        }
        while (cursor + 1 < static_cast<int32_t>(events.size()) && events[cursor + 1].tick <= tick)
            ++cursor;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override
    {
        *tick = TickOfCursor();
        return S_OK;
    }
};

} // namespace CalcTesting
