// Walks the events of several sources of one host data source as one sequence ordered by tick,
// forwards or backwards. Source 0 is the data source's own event list, sources 1..k its event
// enumerators; each step yields a copy of the chosen record and remembers its source.
#pragma once

#include "foundation/com/ComPtr.h"
#include "foundation/containers/Containers.h"
#include "foundation/containers/EventIter.h"
#include "foundation/com/XOrv.h"

#include <unknwn.h>

#include <memory>
#include <vector>

namespace OrvEvent
{

using EventBlock = Orv::ArrayWrapper<const unsigned char>;
using SharedEventBlock = std::shared_ptr<EventBlock>;
using EventSlots = CIArray<EventBlock>;

constexpr std::size_t OwnEventRecordSize = 16;

// The data source's own event list, read one event at a time in the iteration's direction.
class OwnEventList
{
public:
    virtual ~OwnEventList() = default;
    // Fills the next 16-byte record; false when the list has no more.
    virtual bool NextEvent(unsigned char (&record)[OwnEventRecordSize]) = 0;
};

// A record is returned only when its value is finite and it does not lie before the range start.
bool IsAcceptedEvent(const unsigned char* record, std::int32_t rangeStart);

// The index of the slot that holds the next event: the lowest tick ascending, the highest
// descending, the lower source index on a tie. Returns NoEventLeft when every slot is empty and
// NoEventInBounds when events remain but none lies within the initial bounds of the choice.
constexpr std::ptrdiff_t NoEventLeft = -1;
constexpr std::ptrdiff_t NoEventInBounds = -2;
std::ptrdiff_t ChooseNextSlot(const EventSlots& slots, bool ascending);

template <class TEnum>
class MergedEventIterT
{
public:
    struct Options
    {
        std::int32_t rangeStart = 0;
        bool ascending = true;
        // Descending only: the walk starts below this tick.
        std::int32_t descendBelow = RecordEndOffset;
    };

    MergedEventIterT(IUnknown* dataSource, std::unique_ptr<OwnEventList> ownEvents,
                     const std::vector<TEnum*>& enumerators, const Options& options)
        : dataSource_(dataSource), ownEvents_(std::move(ownEvents)), options_(options)
    {
        for (TEnum* e : enumerators)
        {
            if (!e)
                XOrv::Throw(E_POINTER);
            auto reader = std::make_unique<Reader>(e, options.rangeStart, options.descendBelow);
            readers_.Add(reader.get());
            reader.release();
        }
        slots_.SetCount(readers_.Count() + 1);
    }

    // S_OK with the next event, S_FALSE when no source has one left, E_FAIL when events remain but
    // none lies within the bounds of the choice. The caller's previous event is released first.
    HRESULT Next(SharedEventBlock& event)
    {
        event.reset();
        Refill();
        const std::ptrdiff_t best = ChooseNextSlot(slots_, options_.ascending);
        if (best == NoEventLeft)
            return S_FALSE;
        if (best == NoEventInBounds)
            return E_FAIL;
        currentSource_ = static_cast<unsigned>(best);
        event.reset(slots_[currentSource_]);
        slots_.ElementAt(currentSource_) = nullptr;
        return S_OK;
    }

    // The enumerator of the current event's source (one reference added) and its index among the
    // enumerators; null for source 0 and before the first event.
    HRESULT GetCurrentEnum(TEnum** enumerator, unsigned* index) const
    {
        *enumerator = nullptr;
        *index = 0;
        if (currentSource_ == 0)
            return S_OK;
        if (currentSource_ > readers_.Count())
            return E_FAIL;
        *enumerator = readers_[currentSource_ - 1]->Enumerator();
        (*enumerator)->AddRef();
        *index = currentSource_ - 1;
        return S_OK;
    }

private:
    using Reader = ConstEventIterBase<TEnum, void, DynamicStoragePolicy, PODEventBufferSizePolicy, 8>;

    void Refill()
    {
        if (!slots_[0] && ownEvents_)
        {
            unsigned char record[OwnEventRecordSize];
            if (ownEvents_->NextEvent(record))
                slots_.ElementAt(0) = new EventBlock(record, OwnEventRecordSize);
        }
        for (unsigned i = 0; i < readers_.Count(); ++i)
            if (!slots_[i + 1])
                slots_.ElementAt(i + 1) = NextAccepted(*readers_[i]);
    }

    // Steps past rejected records in either direction, so that a rejected record never leaves the
    // slot empty while the source still has accepted ones.
    EventBlock* NextAccepted(Reader& reader)
    {
        for (;;)
        {
            const unsigned char* record = options_.ascending ? reader.Next() : reader.Previous();
            if (!record)
                return nullptr;
            if (IsAcceptedEvent(record, options_.rangeStart))
                return new EventBlock(record, reader.RecordSize());
        }
    }

    Orv::ComPtr<IUnknown> dataSource_;
    std::unique_ptr<OwnEventList> ownEvents_;
    Options options_;
    CIArray<Reader> readers_;
    EventSlots slots_;
    unsigned currentSource_ = 0;
};

// The iterator over the host's event enumerators.
using MergedEventIter = MergedEventIterT<IEnumEventEx>;
extern template class MergedEventIterT<IEnumEventEx>;

} // namespace OrvEvent
