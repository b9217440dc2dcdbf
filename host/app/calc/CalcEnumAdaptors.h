// The host's channels and event sources as the enumerators a module's calculation reads: each adaptor
// is a cursor of the engine bound to one record behind IEnumFloatEx or IEnumEventEx.
#pragma once

#include "host/app/calc/CalcCursors.h"
#include "hostapi/CalcInterfaces.h"

#include <atomic>
#include <vector>

namespace Host::Calc
{

// The reference count of a heap object; the owner is deleted with the last reference.
class HeapReferenceCount
{
public:
    ULONG Add() { return ++count_; }
    template <class Owner>
    ULONG Drop(Owner* owner)
    {
        const ULONG left = --count_;
        if (left == 0)
            delete owner;
        return left;
    }

private:
    std::atomic<ULONG> count_{0};
};

// Reference counting of a heap object with one face.
template <class Interface>
class CountedObject : public Interface
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = (iid == IID_IUnknown || iid == IID_IEnumExBase || iid == __uuidof(Interface))
                   ? static_cast<Interface*>(this)
                   : nullptr;
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return references_.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return references_.Drop(this); }
    void STDMETHODCALLTYPE DeleteThis() { delete this; }
    virtual ~CountedObject() = default;

private:
    HeapReferenceCount references_;
};

class ChannelEnumAdaptor final : public CountedObject<IEnumFloatEx>
{
public:
    ChannelEnumAdaptor(const Recording& recording, SampleNodePtr channel, size_t record);
    // A copy that reads on independently from where the cursor stands.
    explicit ChannelEnumAdaptor(const ChannelCursor& cursor) : cursor_(cursor) {}

    HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx** clone) override;
    HRESULT STDMETHODCALLTYPE Skip(int32_t count, int32_t* skipped) override;
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override;
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override;
    HRESULT STDMETHODCALLTYPE GetScale(TimeBase* timeBase) override;
    HRESULT STDMETHODCALLTYPE Next(int32_t count, float* samples, int32_t* fetched) override;
    void STDMETHODCALLTYPE DeleteThis() override { CountedObject::DeleteThis(); }

private:
    ChannelCursor cursor_;
};

class EventEnumAdaptor final : public CountedObject<IEnumEventEx>
{
public:
    EventEnumAdaptor(const Recording& recording, EventNodePtr events, size_t record);
    explicit EventEnumAdaptor(const EventCursor& cursor) : cursor_(cursor) {}

    HRESULT STDMETHODCALLTYPE Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                   int32_t* nextPosition) override;
    HRESULT STDMETHODCALLTYPE Seek(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd) override;
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumEventEx** clone) override;
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override;
    HRESULT STDMETHODCALLTYPE GetRecordSize(int32_t* bytes) override;
    HRESULT STDMETHODCALLTYPE GetUnitName(IUnknown** unit) override;
    HRESULT STDMETHODCALLTYPE GetEventCount(int32_t* count) override;
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) override;

private:
    EventCursor cursor_;
    // The records of one read on their way out; kept, so that a read of a record at a time allocates nothing.
    std::vector<std::byte> buffer_;
};

// The events of a source as the list of event objects: each element carries an object holding the
// event's record.
class ObjectEventListAdaptor final : public CountedObject<IEnumObjectEvents>
{
public:
    ObjectEventListAdaptor(const Recording& recording, EventNodePtr events, size_t record);
    explicit ObjectEventListAdaptor(const EventCursor& cursor) : cursor_(cursor) {}

    HRESULT STDMETHODCALLTYPE Next(int32_t count, CalcObjectEvent* elements, int32_t* fetched) override;
    HRESULT STDMETHODCALLTYPE Seek(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd) override;
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumObjectEvents** clone) override;
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override;
    HRESULT STDMETHODCALLTYPE GetElementSize(int32_t* bytes) override;
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) override;

private:
    EventCursor cursor_;
    std::vector<std::byte> buffer_;
};

} // namespace Host::Calc
