// Read-ahead wrappers over the sample and event streams a calculation reads: the detector engine steps
// through them item by item without touching a host interface for every item.
#pragma once

#include "foundation/com/ComPtr.h"
#include "hostapi/CalcEventRecords.h"
#include "hostapi/CalcInterfaces.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

namespace EEH3
{

constexpr int32_t NoTickLimit = 0x7FFFFFFF;

// One input of a calculation.
class eeh_SourceEnum
{
public:
    eeh_SourceEnum() = default;
    eeh_SourceEnum(const eeh_SourceEnum&) = delete;
    eeh_SourceEnum& operator=(const eeh_SourceEnum&) = delete;
    virtual ~eeh_SourceEnum() = default;

    // Tick of the current item.
    virtual int32_t Position() = 0;
    // Steps to the next item, reading ahead when the buffer is used up; false when there is none (yet).
    virtual bool Advance() = 0;
    virtual bool HasCurrent();
    virtual bool IsValid() { return HasCurrent(); }
    // Moves the read position to a tick (the first item at or after it).
    virtual void Seek(int32_t tick) = 0;
    // Moves the host source itself to a tick. What was read ahead is dropped: the next read goes on from
    // the host's new position, which the buffer's samples or records no longer lead up to.
    virtual void SetPosition(int32_t tick) = 0;
    virtual void GetTimeBase(TimeBase* timeBase) = 0;
    virtual void ResetBuffer();
    virtual bool InBuffer() const { return readIndex < bufferedCount; }

    bool Ended() const { return ended; }
    void SetEndLimit(int32_t tick) { endLimit = tick; }
    void SetReadLimit(int32_t tick) { readLimit = tick; }
    bool WasPositionSet() const { return positionSet; }

protected:
    void ForgetReadAhead();

    bool ended = false;
    int32_t readLimit = NoTickLimit;
    int32_t endLimit = NoTickLimit;
    int32_t readIndex = 0;
    int32_t bufferedCount = 0;
    bool positionSet = false;
};

// A channel of float samples. Without a host source it counts ticks by itself.
class FloatExWrapper : public eeh_SourceEnum
{
public:
    static constexpr int32_t BufferSamples = 1024;

    explicit FloatExWrapper(IUnknown* sourceObject);

    int32_t Position() override;
    bool Advance() override;
    bool HasCurrent() override;
    void Seek(int32_t tick) override;
    void SetPosition(int32_t tick) override;
    void GetTimeBase(TimeBase* timeBase) override;
    void ResetBuffer() override;

    float Current() const { return buffer[static_cast<std::size_t>(readIndex)]; }
    // Appends up to count samples from the current one on, as Current and Advance would hand them out one
    // by one (a buffer's worth at a time), and returns how many; fewer when the source runs dry.
    int32_t Take(int32_t count, std::vector<float>& samples);

private:
    // The host source is moved to a seek's tick only when it is read from or asked where it stands: a
    // cursor seeks back and then forward again into the samples it holds (a detector's engine places it
    // at a step's first tick before the step seeks where it reads), and those are not read twice.
    void MoveSourceToSeek();

    std::vector<float> buffer;
    int32_t bufferStart = 0;
    Orv::ComPtr<IEnumFloatEx> source;
    // A seek back from the samples held, not yet made at the host, and the samples it would have dropped.
    int32_t seekTick = NoTickLimit;
    bool seekPending = false;
    int32_t keptStart = 0;
    int32_t keptCount = 0;
    float keptFirst = 0.0f;
};

// A stream of event records; every record begins with its int32 tick.
class EventWrapper : public eeh_SourceEnum
{
public:
    static constexpr int32_t RecordsPerRead = 8;

    // A source whose records are not of the size range the calculation reads cannot be read as the
    // records it expects, and is ended from the start (with RecordSize 0).
    EventWrapper(IUnknown* sourceObject, int32_t minimumRecordSize, int32_t maximumRecordSize);

    int32_t Position() override;
    bool Advance() override;
    void Seek(int32_t tick) override;
    void SetPosition(int32_t tick) override;
    void GetTimeBase(TimeBase* timeBase) override;

    int32_t RecordSize() const { return recordSize; }
    const std::byte* CurrentRecord() const { return RecordAt(readIndex); }

private:
    const std::byte* RecordAt(int32_t index) const;
    int32_t TickAt(int32_t index) const;

    int32_t recordSize = 0;
    std::vector<std::byte> buffer;
    Orv::ComPtr<IEnumEventEx> source;
};

// An event stream whose records have the layout T. Plain events are read by their common head, so any
// event record will do; a larger layout is read only from records of exactly its own size, since the
// bytes after the head of another record kind mean something else.
template <class T>
class EventWrapperEx : public EventWrapper
{
public:
    explicit EventWrapperEx(IUnknown* sourceObject)
        : EventWrapper(sourceObject, sizeof(T),
                       std::is_same_v<T, OrvEventBase> ? std::numeric_limits<int32_t>::max() : int32_t{sizeof(T)})
    {
    }

    T Current() const
    {
        T record;
        std::memcpy(&record, CurrentRecord(), sizeof(T));
        return record;
    }
};

} // namespace EEH3
