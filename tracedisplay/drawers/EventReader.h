// Buffered reading of an event enumerator: records are fetched in batches and handed out one by one;
// an event looked at stays current until the reader is advanced past it.
#pragma once

#include "foundation/com/ComPtr.h"
#include "hostapi/CalcEventRecords.h"
#include "hostapi/CalcInterfaces.h"

#include <vector>

namespace StrixDraw
{

class EventReader
{
public:
    static constexpr int BatchEvents = 64;

    EventReader() = default;
    // A copy reads on from the same place through a clone of the enumerator.
    EventReader(const EventReader& other);
    EventReader& operator=(const EventReader&) = delete;

    void Open(Orv::ComPtr<IEnumEventEx> events);
    void Close();
    bool IsOpen() const { return static_cast<bool>(events_); }
    IEnumEventEx* Enumerator() const { return events_.Get(); }

    // The current event, refilling the batch when it is used up; null when the enumerator yields no more.
    const OrvEventBase* Current();
    void Advance() { ++index_; }

private:
    bool Refill();

    Orv::ComPtr<IEnumEventEx> events_;
    std::vector<unsigned char> buffer_;
    int recordSize_ = sizeof(OrvEventBase);
    int count_ = 0;
    int index_ = 0;
};

} // namespace StrixDraw
