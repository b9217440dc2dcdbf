#include "host/app/calc/CalcEnumAdaptors.h"

#include "host/app/ComAnswers.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace Host::Calc
{
namespace
{

int32_t ToTick(int64_t tick)
{
    return static_cast<int32_t>(std::clamp<int64_t>(tick, 0, std::numeric_limits<int32_t>::max()));
}

HRESULT DefaultTimeBase(TimeBase* timeBase)
{
    return AnswerValue(timeBase, TimeBase{});
}

// Hands a new adaptor over a copy of the cursor to the caller, with its one reference.
template <class Adaptor, class Cursor, class Interface>
HRESULT HandOutCopy(const Cursor& cursor, Interface** clone)
{
    if (!clone)
        return E_POINTER;
    *clone = new Adaptor(cursor);
    (*clone)->AddRef();
    return S_OK;
}

HRESULT SeekEvent(EventCursor& cursor, int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd)
{
    const bool backwards = direction == CalcSeekBackward;
    const auto found = cursor.Find(backwards, tick, rangeStart, rangeEnd);
    // Whatever is not settled yet is read from the tick asked for on, never from an earlier position.
    if (found == EventCursor::FindResult::Waiting)
        cursor.MoveTo(backwards ? tick : std::max(tick, rangeStart));
    return found == EventCursor::FindResult::Found ? S_OK : S_FALSE;
}

HRESULT ReadAnswer(const EventCursor::NextResult& result)
{
    // The cursor's end below a limit is not the end of the record's events.
    return result.status == ReadStatus::End && result.nextTick == RecordEndTick ? S_FALSE : S_OK;
}

// An event's record, handed out with the event.
class HostEventObject final : public CountedObject<IHostEventObject>
{
public:
    HostEventObject(const std::byte* record, size_t size) : record_(record, record + size) {}

    HRESULT STDMETHODCALLTYPE GetRecord(int32_t byteCount, void* record, int32_t* recordSize) override
    {
        if (!recordSize)
            return E_POINTER;
        *recordSize = static_cast<int32_t>(record_.size());
        if (byteCount < *recordSize)
            return S_FALSE;
        if (!record)
            return E_POINTER;
        std::memcpy(record, record_.data(), record_.size());
        return S_OK;
    }

private:
    std::vector<std::byte> record_;
};

} // namespace

ChannelEnumAdaptor::ChannelEnumAdaptor(const Recording& recording, SampleNodePtr channel, size_t record)
    : cursor_(recording, std::move(channel))
{
    cursor_.Bind(record);
}

HRESULT STDMETHODCALLTYPE ChannelEnumAdaptor::Clone(IEnumFloatEx** clone)
{
    return HandOutCopy<ChannelEnumAdaptor>(cursor_, clone);
}

HRESULT STDMETHODCALLTYPE ChannelEnumAdaptor::Skip(int32_t count, int32_t* skipped)
{
    const int64_t moved = cursor_.Skip(count);
    if (skipped)
        *skipped = static_cast<int32_t>(moved);
    return moved == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE ChannelEnumAdaptor::GetPosition(int32_t* tick)
{
    return AnswerValue(tick, ToTick(cursor_.Position()));
}

HRESULT STDMETHODCALLTYPE ChannelEnumAdaptor::GetDataFormat(uint16_t* format)
{
    return AnswerValue(format, 0);
}

HRESULT STDMETHODCALLTYPE ChannelEnumAdaptor::GetScale(TimeBase* timeBase)
{
    return DefaultTimeBase(timeBase);
}

HRESULT STDMETHODCALLTYPE ChannelEnumAdaptor::Next(int32_t count, float* samples, int32_t* fetched)
{
    if (!fetched || (count > 0 && !samples))
        return E_POINTER;
    const auto [read, status] = cursor_.Read(std::span<float>(samples, static_cast<size_t>(std::max(count, 0))));
    *fetched = static_cast<int32_t>(read);
    return status == ReadStatus::End ? S_FALSE : S_OK;
}

EventEnumAdaptor::EventEnumAdaptor(const Recording& recording, EventNodePtr events, size_t record)
    : cursor_(recording, std::move(events))
{
    cursor_.Bind(record);
}

HRESULT STDMETHODCALLTYPE EventEnumAdaptor::Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                                 int32_t* nextPosition)
{
    if (!count || !nextPosition)
        return E_POINTER;
    const size_t recordSize = cursor_.RecordSize();
    const size_t maxCount = static_cast<size_t>(std::max(byteCount, 0)) / recordSize;
    if (maxCount > 0 && !records)
        return E_POINTER;
    buffer_.clear();
    const auto result = cursor_.Next(maxCount, limit, buffer_);
    if (!buffer_.empty())
        std::memcpy(records, buffer_.data(), buffer_.size());
    *count = static_cast<int32_t>(result.count);
    *nextPosition = ToTick(result.nextTick);
    return ReadAnswer(result);
}

HRESULT STDMETHODCALLTYPE EventEnumAdaptor::Seek(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd)
{
    return SeekEvent(cursor_, direction, tick, rangeStart, rangeEnd);
}

HRESULT STDMETHODCALLTYPE EventEnumAdaptor::GetPosition(int32_t* tick)
{
    return AnswerValue(tick, ToTick(cursor_.Position()));
}

HRESULT STDMETHODCALLTYPE EventEnumAdaptor::Clone(IEnumEventEx** clone)
{
    return HandOutCopy<EventEnumAdaptor>(cursor_, clone);
}

HRESULT STDMETHODCALLTYPE EventEnumAdaptor::GetDataFormat(uint16_t* format)
{
    return AnswerValue(format, 0);
}

HRESULT STDMETHODCALLTYPE EventEnumAdaptor::GetRecordSize(int32_t* bytes)
{
    return AnswerValue(bytes, static_cast<int32_t>(cursor_.RecordSize()));
}

HRESULT STDMETHODCALLTYPE EventEnumAdaptor::GetUnitName(IUnknown** unit)
{
    if (unit)
        *unit = nullptr;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE EventEnumAdaptor::GetEventCount(int32_t*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE EventEnumAdaptor::GetTimeBase(TimeBase* timeBase)
{
    return DefaultTimeBase(timeBase);
}

ObjectEventListAdaptor::ObjectEventListAdaptor(const Recording& recording, EventNodePtr events, size_t record)
    : cursor_(recording, std::move(events))
{
    cursor_.Bind(record);
}

HRESULT STDMETHODCALLTYPE ObjectEventListAdaptor::Next(int32_t count, CalcObjectEvent* elements, int32_t* fetched)
{
    if (!fetched || (count > 0 && !elements))
        return E_POINTER;
    *fetched = 0;
    buffer_.clear();
    const auto result = cursor_.Next(static_cast<size_t>(std::max(count, 0)), RecordEndTick, buffer_);
    const size_t recordSize = cursor_.RecordSize();
    for (size_t i = 0; i < result.count; ++i)
    {
        const std::byte* record = buffer_.data() + i * recordSize;
        EventHeader header{};
        std::memcpy(&header, record, sizeof header);
        auto* object = new HostEventObject(record, recordSize);
        object->AddRef();
        elements[i] = {header.tick, header.fraction, object};
    }
    *fetched = static_cast<int32_t>(result.count);
    return ReadAnswer(result);
}

HRESULT STDMETHODCALLTYPE ObjectEventListAdaptor::Seek(int32_t direction, int32_t tick, int32_t rangeStart,
                                                       int32_t rangeEnd)
{
    return SeekEvent(cursor_, direction, tick, rangeStart, rangeEnd);
}

HRESULT STDMETHODCALLTYPE ObjectEventListAdaptor::GetPosition(int32_t* tick)
{
    return AnswerValue(tick, ToTick(cursor_.Position()));
}

HRESULT STDMETHODCALLTYPE ObjectEventListAdaptor::Clone(IEnumObjectEvents** clone)
{
    return HandOutCopy<ObjectEventListAdaptor>(cursor_, clone);
}

HRESULT STDMETHODCALLTYPE ObjectEventListAdaptor::GetDataFormat(uint16_t* format)
{
    return AnswerValue(format, 0);
}

HRESULT STDMETHODCALLTYPE ObjectEventListAdaptor::GetElementSize(int32_t* bytes)
{
    return AnswerValue(bytes, static_cast<int32_t>(sizeof(CalcObjectEvent)));
}

HRESULT STDMETHODCALLTYPE ObjectEventListAdaptor::GetTimeBase(TimeBase* timeBase)
{
    return DefaultTimeBase(timeBase);
}

} // namespace Host::Calc
