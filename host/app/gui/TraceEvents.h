// The events a document's calculations attach to its channels, as the host's trace view draws them:
// read from each attached item record by record, a little more each time new data arrived, and paired
// with the module's event-drawing class of their kind for colour and tooltip. Beside an item's own
// events come those of the event sources its calculation reads (the points its events were found at).
#pragma once

#include "host/app/document/HostDocument.h"
#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrEventDraw.h"

#include "foundation/com/ComPtr.h"

#include <cstddef>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace Host
{

struct TraceEvent
{
    int32_t record;
    int32_t tick;
    std::vector<std::byte> bytes; // the event's record as the calculation wrote it
    bool underlying = false;      // from an event source of the attached item, not the item itself
};

class TraceEvents
{
public:
    // Finds the module's event-drawing classes among the registrations of standIn.
    TraceEvents(HostDocument& document, IVyrStandIn& standIn);

    // Reads what arrived since the last call; items no longer attached are forgotten. True when the events
    // to draw changed.
    bool Update();
    // Everything read so far goes, to be read again by the next Update: the records it was read from
    // changed (their data, or their numbers when one was deleted).
    void Forget() { items_.clear(); }
    // The events on channel (from 0) in the record from firstTick to lastTick (inclusive), in order.
    std::vector<const TraceEvent*> EventsOf(int32_t channel, int32_t record, int32_t firstTick, int32_t lastTick) const;
    // The colour of an event's mark: its drawing class's answer, else grey.
    COLORREF Colour(const TraceEvent& event) const;
    // The tooltip its drawing class gives; empty without one.
    std::wstring Tooltip(const TraceEvent& event) const;

private:
    struct ItemRecord
    {
        Orv::ComPtr<IEnumEventEx> reader;
        int32_t recordSize = 0;
        bool finished = false;
        std::vector<TraceEvent> events;
    };
    // (channel, item first word, item second word, source: -1 the item itself, else its n-th event source)
    using ItemKey = std::tuple<int32_t, int32_t, int32_t, int32_t>;

    std::vector<ItemKey> AttachedItems();
    void ReadMore(const ItemKey& item, size_t record, ItemRecord& read);
    IPODEventDrawClass* DrawClassOf(size_t recordSize) const;

    HostDocument& document_;
    HRESULT Open(const ItemKey& item, size_t record, IUnknown** opened) const;

    std::map<ItemKey, std::vector<ItemRecord>> items_;
    std::map<ItemKey, std::wstring> sourceTexts_;
    Orv::ComPtr<IPODEventDrawClass> loopClass_;
    Orv::ComPtr<IPODEventDrawClass> endDiastoleClass_;
};

} // namespace Host
