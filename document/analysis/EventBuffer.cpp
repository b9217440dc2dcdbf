#include "document/analysis/EventBuffer.h"

#include <algorithm>
#include <cstring>

namespace Sistra
{

void EventBuffer::Reset()
{
    events_.Reset();
    block_ = None;
    served_ = None;
    current_.clear();
}

bool EventBuffer::Attach(IHostCalcItems& host, HostItemId item, int32_t block, int32_t tick, std::size_t size)
{
    Reset();
    Orv::ComPtr<IUnknown> opened;
    if (host.OpenItemEvents(item, HostItemEventsRequest, CalcKindEvents, block, tick, HostRecordEnd, opened.Put()) !=
            S_OK ||
        !opened)
        return false;
    Orv::ComPtr<IEnumEventEx> events = opened.As<IEnumEventEx>(IID_IEnumEventEx);
    int32_t recordSize = 0;
    if (!events || FAILED(events->GetRecordSize(&recordSize)) || static_cast<std::size_t>(recordSize) != size)
        return false;
    events_ = events;
    block_ = block;
    served_ = -1;
    current_.resize(size);
    return true;
}

bool EventBuffer::Advance()
{
    int32_t count = 0, next = 0;
    if (FAILED(events_->Next(static_cast<int32_t>(current_.size()), CalcNoMoreEventsTick, current_.data(), &count,
                             &next)) ||
        count != 1)
    {
        Reset();
        return false;
    }
    ++served_;
    return true;
}

bool EventBuffer::Read(IHostCalcItems& host, HostItemId item, int32_t block, int32_t offset, void* record,
                       std::size_t size)
{
    if (offset < 0)
        return false;
    const bool continues = events_ && block == block_ && (offset == served_ || offset == served_ + 1) &&
                           current_.size() == size;
    if (!continues && !Attach(host, item, block, 0, size))
        return false;
    while (served_ < offset)
        if (!Advance())
            return false;
    std::memcpy(record, current_.data(), size);
    return true;
}

bool EventBuffer::ReadFrom(IHostCalcItems& host, HostItemId item, int32_t block, int32_t tick, void* record,
                           std::size_t size)
{
    // Loop after loop is looked up in the same block: the open enumerator seeks the tick, as a new one would.
    bool found = false;
    if (events_ && block == block_ && current_.size() == size)
    {
        const int32_t from = std::max(tick, 0);
        events_->Seek(CalcSeekForward, from, from, CalcNoMoreEventsTick);
        found = Advance();
    }
    else
        found = Attach(host, item, block, tick, size) && Advance();
    if (found)
        std::memcpy(record, current_.data(), size);
    // A position found from a tick has no offset to continue from.
    served_ = None;
    return found;
}

} // namespace Sistra
