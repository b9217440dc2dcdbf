// Buffered reading of an event enumerator's records, forwards or backwards, a batch at a time, so
// that stepping from record to record touches the host enumerator only once per batch.
#pragma once

#include "foundation/com/ComPtr.h"
#include "hostapi/CalcInterfaces.h"

#include <windows.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace OrvEvent
{

// Every event record starts with its tick (i32) and holds its value as a double in bytes 8 to 15.
constexpr std::size_t EventTickOffset = 0;
constexpr std::size_t EventValueOffset = 8;
constexpr std::size_t MinEventRecordSize = 16;
// A read limit or position of this value means "no limit" / "no further events".
constexpr std::int32_t RecordEndOffset = CalcNoMoreEventsTick;

inline std::int32_t EventTick(const unsigned char* record)
{
    std::int32_t tick;
    std::memcpy(&tick, record + EventTickOffset, sizeof tick);
    return tick;
}

inline double EventValue(const unsigned char* record)
{
    double value;
    std::memcpy(&value, record + EventValueOffset, sizeof value);
    return value;
}

// How the reader reaches the enumerator (IEnumEventEx or a stand-in with the same operations): its
// record size, reading the next records below a limit tick, the backwards search for an event in a
// window of ticks, and the current position.
template <class TEnum>
struct EventEnumAccess
{
    static std::int32_t RecordSize(TEnum* e)
    {
        std::int32_t size = 0;
        return SUCCEEDED(e->GetRecordSize(&size)) ? size : 0;
    }
    static HRESULT Read(TEnum* e, std::int32_t bytes, std::int32_t endTick, void* buffer, std::int32_t* count,
                        std::int32_t* nextTick)
    {
        return e->Next(bytes, endTick, buffer, count, nextTick);
    }
    static HRESULT FindBackwards(TEnum* e, std::int32_t startTick, std::int32_t firstTick, std::int32_t endTick)
    {
        return e->Seek(CalcSeekBackward, startTick, firstTick, endTick);
    }
    static std::int32_t Position(TEnum* e)
    {
        std::int32_t tick = RecordEndOffset;
        return SUCCEEDED(e->GetPosition(&tick)) ? tick : RecordEndOffset;
    }
};

// The record size is the enumerator's, asked once when the reader is made.
struct DynamicStoragePolicy
{
};

// A batch holds a fixed number of plain records of the enumerator's size.
struct PODEventBufferSizePolicy
{
    static std::size_t BufferBytes(std::size_t recordSize, std::size_t records)
    {
        return recordSize * records;
    }
};

// TEvent names the layout of the records' common start; the reader itself looks only at the tick.
template <class TEnum, class TEvent, class StoragePolicy, class BufferSizePolicy, int BatchRecords>
class ConstEventIterBase
{
    static_assert(BatchRecords > 0);
    using Access = EventEnumAccess<TEnum>;

public:
    // Takes a reference on the enumerator. Reading forwards starts at the enumerator's position;
    // reading backwards starts below the exclusive upper tick and stops below the lowest tick.
    ConstEventIterBase(TEnum* enumerator, std::int32_t lowestTick, std::int32_t upperTickExclusive)
        : enumerator_(enumerator), recordSize_(Access::RecordSize(enumerator)), lowestTick_(lowestTick),
          backwardsBound_(upperTickExclusive)
    {
        if (recordSize_ < static_cast<std::int32_t>(MinEventRecordSize))
            recordSize_ = 0; // a record too small to hold an event: the source reads as empty
        else
            buffer_ = std::make_unique<unsigned char[]>(BufferSizePolicy::BufferBytes(recordSize_, BatchRecords));
    }

    ConstEventIterBase(const ConstEventIterBase&) = delete;
    ConstEventIterBase& operator=(const ConstEventIterBase&) = delete;

    TEnum* Enumerator() const
    {
        return enumerator_.Get();
    }

    std::size_t RecordSize() const
    {
        return static_cast<std::size_t>(recordSize_);
    }

    // The next record in ascending order, or null when the source has no more.
    const unsigned char* Next()
    {
        if (read_ == end_ && !FetchNextBatch())
            return nullptr;
        return RecordAt(read_++);
    }

    // The previous record in descending order, or null at the beginning.
    const unsigned char* Previous()
    {
        if (read_ == 0 && !FetchPreviousBatch())
            return nullptr;
        return RecordAt(--read_);
    }

private:
    const unsigned char* RecordAt(std::int32_t index) const
    {
        return buffer_.get() + static_cast<std::size_t>(index) * recordSize_;
    }

    bool FetchNextBatch()
    {
        read_ = end_ = 0;
        if (exhausted_ || recordSize_ == 0)
            return false;
        std::int32_t count = 0, nextTick = RecordEndOffset;
        const HRESULT hr =
            Access::Read(enumerator_.Get(), recordSize_ * BatchRecords, RecordEndOffset, buffer_.get(), &count, &nextTick);
        if (FAILED(hr) || count <= 0)
        {
            exhausted_ = true;
            return false;
        }
        end_ = count < BatchRecords ? count : BatchRecords;
        return true;
    }

    // How many events (up to a batch) lie below the current lower edge, and the tick of the earliest.
    struct StepBack
    {
        std::int32_t firstTick;
        std::int32_t found;
    };

    StepBack StepBackOverBatch()
    {
        StepBack step{backwardsBound_, 0};
        while (step.found < BatchRecords && step.firstTick > lowestTick_ &&
               Access::FindBackwards(enumerator_.Get(), step.firstTick - 1, lowestTick_, step.firstTick) == S_OK)
        {
            const std::int32_t tick = Access::Position(enumerator_.Get());
            if (tick >= step.firstTick || tick < lowestTick_)
                break; // a search that does not move back would never end
            step.firstTick = tick;
            ++step.found;
        }
        // A search that found nothing may have left the enumerator elsewhere.
        if (step.found > 0 && Access::Position(enumerator_.Get()) != step.firstTick)
            Access::FindBackwards(enumerator_.Get(), step.firstTick, step.firstTick, step.firstTick + 1);
        return step;
    }

    // Walks back from the current lower edge over at most one batch of events with the backwards
    // search, then reads those events forwards into the buffer.
    bool FetchPreviousBatch()
    {
        read_ = end_ = 0;
        if (exhausted_ || recordSize_ == 0)
            return false;
        const auto [first, found] = StepBackOverBatch();
        if (found == 0)
        {
            exhausted_ = true;
            return false;
        }
        std::int32_t count = 0, nextTick = RecordEndOffset;
        const HRESULT hr =
            Access::Read(enumerator_.Get(), recordSize_ * found, backwardsBound_, buffer_.get(), &count, &nextTick);
        if (FAILED(hr))
            count = 0;
        // Keep only what lies below the old edge, so that no record is returned twice.
        std::int32_t kept = 0;
        while (kept < count && kept < found && EventTick(RecordAt(kept)) < backwardsBound_)
            ++kept;
        if (kept == 0)
        {
            exhausted_ = true;
            return false;
        }
        backwardsBound_ = first;
        read_ = end_ = kept;
        return true;
    }

    Orv::ComPtr<TEnum> enumerator_;
    std::int32_t recordSize_;
    std::int32_t lowestTick_;
    std::int32_t backwardsBound_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::int32_t read_ = 0;
    std::int32_t end_ = 0;
    bool exhausted_ = false;
};

} // namespace OrvEvent
