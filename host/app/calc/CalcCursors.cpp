#include "host/app/calc/CalcCursors.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace Host::Calc
{

void CalcCursor::Bind(size_t record)
{
    if (recording_.IsFinished() && record >= recording_.RecordCount())
        throw std::out_of_range("there is no record " + std::to_string(record) + " (the recording has " +
                                std::to_string(recording_.RecordCount()) + ")");
    record_ = record;
    position_ = 0;
}

ChannelCursor::ChannelCursor(const Recording& recording, SampleNodePtr channel)
    : CalcCursor(recording), channel_(std::move(channel))
{
}

Extent ChannelCursor::Available() const
{
    return RecordArrived() ? channel_->Available(record_) : Extent{};
}

int64_t ChannelCursor::Skip(int64_t count)
{
    const Extent available = Available();
    int64_t target = std::max<int64_t>(0, position_ + count);
    if (available.complete)
        target = std::min(target, available.ticks);
    const int64_t moved = target - position_;
    position_ = target;
    return moved;
}

ChannelCursor::ReadResult ChannelCursor::Read(std::span<float> out)
{
    const Extent available = Available();
    const auto count = static_cast<size_t>(std::clamp<int64_t>(available.ticks - position_, 0,
                                                               static_cast<int64_t>(out.size())));
    if (count > 0)
        channel_->Compute(record_, position_, out.first(count));
    position_ += static_cast<int64_t>(count);
    if (count == out.size())
        return {count, ReadStatus::Done};
    return {count, available.complete ? ReadStatus::End : ReadStatus::Waiting};
}

EventCursor::EventCursor(const Recording& recording, EventNodePtr events)
    : CalcCursor(recording), events_(std::move(events))
{
}

const EventTrack* EventCursor::Track() const
{
    return RecordArrived() ? &events_->Events(record_) : nullptr;
}

EventCursor::NextResult EventCursor::Next(size_t maxCount, int64_t endTick, std::vector<std::byte>& out)
{
    const EventTrack* track = Track();
    if (!track)
        return {0, position_, ReadStatus::Waiting};
    size_t index = IndexAtOrAfter(*track, position_);
    size_t count = 0;
    for (; count < maxCount && index < track->Count() && track->Header(index).tick < endTick; ++index, ++count)
    {
        const std::byte* record = track->RecordBytes(index);
        out.insert(out.end(), record, record + track->RecordSize());
        position_ = track->Header(index).tick + 1;
    }
    nextIndex_ = index;
    if (count == maxCount && count > 0)
        return {count, position_, ReadStatus::Done};
    if (track->IsComplete() && index == track->Count())
    {
        position_ = std::max(position_, std::min(endTick, track->SettledTicks()));
        return {count, RecordEndTick, ReadStatus::End};
    }
    if (track->SettledTicks() >= endTick || index < track->Count())
    {
        position_ = std::max(position_, endTick);
        return {count, endTick, ReadStatus::End};
    }
    position_ = std::max(position_, track->SettledTicks());
    return {count, position_, ReadStatus::Waiting};
}

// Where the last read stopped, while that is still the first event at or after the tick (the ticks rise
// along a track): a record read an event at a time is then not searched again at every event.
size_t EventCursor::IndexAtOrAfter(const EventTrack& track, int64_t tick) const
{
    const size_t hint = nextIndex_;
    if (hint <= track.Count() && (hint == 0 || track.Header(hint - 1).tick < tick) &&
        (hint == track.Count() || track.Header(hint).tick >= tick))
        return hint;
    return track.FirstAtOrAfter(tick);
}

EventCursor::FindResult EventCursor::Find(bool backwards, int64_t startTick, int64_t windowFirst, int64_t windowEnd)
{
    const EventTrack* track = Track();
    if (!track)
        return FindResult::Waiting;
    if (!backwards)
    {
        const size_t index = track->FirstAtOrAfter(std::max(startTick, windowFirst));
        if (index < track->Count() && track->Header(index).tick < windowEnd)
        {
            position_ = track->Header(index).tick;
            return FindResult::Found;
        }
        if (!track->IsComplete() && track->SettledTicks() < windowEnd)
            return FindResult::Waiting;
        position_ = windowEnd;
        return FindResult::NotFound;
    }
    const int64_t last = std::min(startTick, windowEnd - 1);
    if (!track->IsComplete() && track->SettledTicks() <= last)
        return FindResult::Waiting;
    const size_t after = track->FirstAtOrAfter(last + 1);
    if (after > 0 && last >= windowFirst && track->Header(after - 1).tick >= windowFirst)
    {
        position_ = track->Header(after - 1).tick;
        return FindResult::Found;
    }
    position_ = windowFirst;
    return FindResult::NotFound;
}

} // namespace Host::Calc
