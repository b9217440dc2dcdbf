#include "tracedisplay/drawers/EventReader.h"

#include <algorithm>

namespace StrixDraw
{

EventReader::EventReader(const EventReader& other)
    : buffer_(other.buffer_), recordSize_(other.recordSize_), count_(other.count_), index_(other.index_)
{
    if (other.events_)
        other.events_->Clone(events_.Put());
    if (!events_)
        count_ = index_ = 0;
}

void EventReader::Open(Orv::ComPtr<IEnumEventEx> events)
{
    events_ = std::move(events);
    count_ = index_ = 0;
    int32_t size = 0;
    recordSize_ = events_ && SUCCEEDED(events_->GetRecordSize(&size)) && size >= static_cast<int32_t>(sizeof(OrvEventBase))
                      ? size
                      : static_cast<int>(sizeof(OrvEventBase));
    buffer_.assign(static_cast<size_t>(recordSize_) * BatchEvents, 0);
}

void EventReader::Close()
{
    events_.Reset();
    count_ = index_ = 0;
}

bool EventReader::Refill()
{
    count_ = index_ = 0;
    if (!events_)
        return false;
    int32_t fetched = 0;
    int32_t next = 0;
    const HRESULT hr = events_->Next(static_cast<int32_t>(buffer_.size()), 0x7FFFFFFF, buffer_.data(), &fetched, &next);
    if (FAILED(hr))
        return false;
    count_ = std::clamp<int32_t>(fetched, 0, BatchEvents);
    return count_ > 0;
}

const OrvEventBase* EventReader::Current()
{
    if (index_ >= count_ && !Refill())
        return nullptr;
    return reinterpret_cast<const OrvEventBase*>(buffer_.data() + static_cast<size_t>(index_) * recordSize_);
}

} // namespace StrixDraw
