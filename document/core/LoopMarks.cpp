#include "document/core/LoopMarks.h"

#include "foundation/containers/MergedEventIter.h"
#include "hostapi/CalcInterfaces.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace Sistra
{

namespace
{

// A loop's position rounds its event's tick and fraction: the mark lies at most a tick before it.
constexpr int32_t RoundingTicks = 1;

struct ChannelMarks
{
    std::vector<Orv::ComPtr<IEnumEventEx>> sources;
    std::optional<unsigned> loopsSource; // the index of the loops item's events among the sources
};

ChannelMarks OpenChannelMarks(IUnknown* hostDocument, int32_t channel, const TickPosition& from, HostItemId loops)
{
    ChannelMarks marks;
    Orv::ComPtr<IHostDataItems> entries;
    Orv::ComPtr<IHostCalcItems> items;
    if (!hostDocument || FAILED(hostDocument->QueryInterface(IID_IHostDataItems, entries.PutVoid())) ||
        FAILED(hostDocument->QueryInterface(IID_IHostCalcItems, items.PutVoid())))
        return marks;
    ChannelEntry entry{};
    int32_t count = 0;
    for (int32_t index = 0; entries->GetChannelEntry(channel, HostUnsetPosition, index, &entry, &count) == S_OK; ++index)
    {
        const HostItemId item{entry.value, entry.size};
        Orv::ComPtr<IUnknown> opened;
        Orv::ComPtr<IEnumEventEx> events;
        if (FAILED(items->OpenItemEvents(item, HostItemEventsRequest, CalcKindEvents, from.record, from.tick,
                                         HostRecordEnd, opened.Put())) ||
            !opened || FAILED(opened->QueryInterface(IID_IEnumEventEx, events.PutVoid())))
            continue;
        if (item.first == loops.first && item.second == loops.second)
            marks.loopsSource = static_cast<unsigned>(marks.sources.size());
        marks.sources.push_back(events);
    }
    return marks;
}

} // namespace

std::optional<TickPosition> FindLoopMark(IUnknown* hostDocument, int32_t channel, const TickPosition& position,
                                         HostItemId loops)
{
    const TickPosition from{position.record, std::max(0, position.tick - RoundingTicks)};
    ChannelMarks marks = OpenChannelMarks(hostDocument, channel, from, loops);
    if (!marks.loopsSource)
        return std::nullopt;
    std::vector<IEnumEventEx*> sources;
    for (const Orv::ComPtr<IEnumEventEx>& source : marks.sources)
        sources.push_back(source.Get());
    OrvEvent::MergedEventIter walk(hostDocument, nullptr, sources, {from.tick, true});
    OrvEvent::SharedEventBlock mark;
    // The marks come in position order: past the position's rounding no mark is the loop's.
    while (walk.Next(mark) == S_OK && mark)
    {
        int32_t tick = 0;
        std::memcpy(&tick, mark->Data(), sizeof tick);
        if (tick > position.tick + RoundingTicks)
            break;
        Orv::ComPtr<IEnumEventEx> source;
        unsigned index = 0;
        if (SUCCEEDED(walk.GetCurrentEnum(source.Put(), &index)) && source && index == *marks.loopsSource &&
            std::abs(tick - position.tick) <= RoundingTicks)
            return TickPosition{position.record, tick};
    }
    return std::nullopt;
}

} // namespace Sistra
