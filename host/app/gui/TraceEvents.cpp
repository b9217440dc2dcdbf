#include "host/app/gui/TraceEvents.h"

#include "host/app/files/TextConversion.h"
#include "hostapi/CalcEventRecords.h"
#include "hostapi/OrvStringInterfaces.h"

#include <algorithm>
#include <cstring>

namespace Host
{

namespace
{

// The module names both of its event-drawing classes so, and numbers their types 0 for loop events
// and 1 for end-diastolic points under its own code.
constexpr const wchar_t* EventDrawClassTitle = L"PkStimEventDrawClass";
constexpr uint16_t LoopEventTypeNumber = 0;
constexpr uint16_t EndDiastoleTypeNumber = 1;
constexpr COLORREF UnknownEventColour = RGB(0x80, 0x80, 0x80);
// Read at most this many events in one go; the rest follow with the next read.
constexpr int32_t EventsPerRead = 256;
constexpr int32_t ItemItself = -1;

Orv::ComPtr<IPODEventDrawClass> DrawClassOfType(IVyrStandIn& standIn, ULONG typeId)
{
    Orv::ComPtr<IVyrObjectFactory> factory;
    Orv::ComPtr<IPODEventDrawClass> drawClass;
    if (SUCCEEDED(standIn.QueryInterface(IID_IVyrObjectFactory, factory.PutVoid())) && factory)
        factory->GetObject(typeId, IID_IPODEventDrawClass, drawClass.PutVoid());
    return drawClass;
}

} // namespace

TraceEvents::TraceEvents(HostDocument& document, IVyrStandIn& standIn) : document_(document)
{
    ULONG count = 0;
    standIn.GetRegistrationCount(&count);
    for (ULONG index = 0; index < count; ++index)
    {
        VyrRegistrationRecord record{};
        if (FAILED(standIn.GetRegistration(index, &record)) || record.kind != VyrRegistrationKind::ClassObject ||
            std::wstring(record.name) != EventDrawClassTitle || FAILED(record.result))
            continue;
        const auto number = static_cast<uint16_t>(record.typeId & 0xFFFF);
        if (number == LoopEventTypeNumber)
            loopClass_ = DrawClassOfType(standIn, record.typeId);
        else if (number == EndDiastoleTypeNumber)
            endDiastoleClass_ = DrawClassOfType(standIn, record.typeId);
    }
}

std::vector<TraceEvents::ItemKey> TraceEvents::AttachedItems()
{
    std::vector<ItemKey> attached;
    const auto channels = static_cast<int32_t>(document_.Data().Channels().size());
    for (int32_t channel = 0; channel < channels; ++channel)
    {
        ChannelEntry entry{};
        int32_t count = 0;
        for (int32_t index = 0;
             document_.GetChannelEntry(channel, HostUnsetPosition, index, &entry, &count) == S_OK; ++index)
        {
            attached.emplace_back(channel, entry.value, entry.size, ItemItself);
            const std::vector<std::wstring> sources = document_.ItemEventSources({entry.value, entry.size});
            for (size_t source = 0; source < sources.size(); ++source)
            {
                const ItemKey key{channel, entry.value, entry.size, static_cast<int32_t>(source)};
                attached.push_back(key);
                sourceTexts_[key] = sources[source];
            }
        }
    }
    return attached;
}

HRESULT TraceEvents::Open(const ItemKey& item, size_t record, IUnknown** opened) const
{
    if (std::get<3>(item) == ItemItself)
        return document_.OpenItemEvents({std::get<1>(item), std::get<2>(item)}, HostItemEventsRequest,
                                        CalcKindEvents, static_cast<int32_t>(record), 0, HostRecordEnd, opened);
    const auto text = sourceTexts_.find(item);
    if (text == sourceTexts_.end())
        return E_INVALIDARG;
    return document_.OpenTextEvents(HostTextEventsRequest, text->second.c_str(), CalcKindEvents,
                                    static_cast<int32_t>(record), 0, HostRecordEnd, opened);
}

bool TraceEvents::Update()
{
    sourceTexts_.clear();
    const std::vector<ItemKey> attached = AttachedItems();
    const size_t forgotten = std::erase_if(items_, [&](const auto& held) {
        return std::find(attached.begin(), attached.end(), held.first) == attached.end();
    });
    bool changed = forgotten > 0;
    const Recording& data = document_.Data();
    for (const ItemKey& item : attached)
    {
        const auto [held, added] = items_.try_emplace(item);
        changed = changed || added;
        std::vector<ItemRecord>& records = held->second;
        records.resize(data.RecordCount());
        for (size_t record = 0; record < records.size(); ++record)
            if (!records[record].finished)
            {
                const size_t before = records[record].events.size();
                ReadMore(item, record, records[record]);
                changed = changed || records[record].events.size() != before;
            }
    }
    return changed;
}

void TraceEvents::ReadMore(const ItemKey& item, size_t record, ItemRecord& read)
{
    if (!read.reader)
    {
        Orv::ComPtr<IUnknown> opened;
        if (Open(item, record, opened.Put()) != S_OK ||
            !(read.reader = opened.As<IEnumEventEx>(IID_IEnumEventEx)) || FAILED(read.reader->GetRecordSize(&read.recordSize)) ||
            read.recordSize < static_cast<int32_t>(sizeof(OrvEventBase)))
        {
            read.finished = true;
            return;
        }
    }
    std::vector<std::byte> buffer(static_cast<size_t>(read.recordSize) * EventsPerRead);
    for (;;)
    {
        int32_t count = 0, next = 0;
        const HRESULT got = read.reader->Next(static_cast<int32_t>(buffer.size()), HostRecordEnd, buffer.data(), &count, &next);
        for (int32_t index = 0; SUCCEEDED(got) && index < count; ++index)
        {
            const std::byte* bytes = buffer.data() + static_cast<size_t>(index) * static_cast<size_t>(read.recordSize);
            OrvEventBase base;
            std::memcpy(&base, bytes, sizeof base);
            read.events.push_back({static_cast<int32_t>(record), base.tick,
                                   std::vector<std::byte>(bytes, bytes + read.recordSize),
                                   std::get<3>(item) != ItemItself});
        }
        if (got != S_OK)
        {
            // No further event, or the calculation failed: nothing more comes of this record.
            read.finished = true;
            read.reader.Reset();
            return;
        }
        if (count == 0)
            return; // waits for more data
    }
}

std::vector<const TraceEvent*> TraceEvents::EventsOf(int32_t channel, int32_t record, int32_t firstTick,
                                                     int32_t lastTick) const
{
    std::vector<const TraceEvent*> found;
    for (const auto& [item, records] : items_)
    {
        if (std::get<0>(item) != channel || record < 0 || static_cast<size_t>(record) >= records.size())
            continue;
        const std::vector<TraceEvent>& events = records[static_cast<size_t>(record)].events;
        auto first = std::lower_bound(events.begin(), events.end(), firstTick,
                                      [](const TraceEvent& event, int32_t tick) { return event.tick < tick; });
        for (; first != events.end() && first->tick <= lastTick; ++first)
            found.push_back(&*first);
    }
    return found;
}

IPODEventDrawClass* TraceEvents::DrawClassOf(size_t recordSize) const
{
    if (recordSize == sizeof(Sistra::SistraEvent))
        return loopClass_.Get();
    if (recordSize == sizeof(Sistra::SistraEdpEvent))
        return endDiastoleClass_.Get();
    return nullptr;
}

COLORREF TraceEvents::Colour(const TraceEvent& event) const
{
    COLORREF colour = UnknownEventColour;
    if (IPODEventDrawClass* drawClass = DrawClassOf(event.bytes.size()))
        drawClass->GetColour(0, event.bytes.data(), &colour);
    return colour;
}

std::wstring TraceEvents::Tooltip(const TraceEvent& event) const
{
    IPODEventDrawClass* drawClass = DrawClassOf(event.bytes.size());
    IAutoOrvString* text = nullptr;
    if (!drawClass || FAILED(drawClass->GetTooltipText(0, document_.Unknown(), event.record, event.bytes.data(), 0, 0,
                                                       &text)) ||
        !text)
        return {};
    BSTR copy = nullptr;
    const HRESULT read = text->GetBSTR(&copy);
    text->Release();
    std::wstring tooltip = SUCCEEDED(read) && copy ? std::wstring(copy, SysStringLen(copy)) : std::wstring();
    SysFreeString(copy);
    return tooltip;
}

} // namespace Host
