#include "host/app/document/AnalysisRange.h"

#include <stdexcept>

namespace Host
{

namespace
{

// The host's range events (under HostRangeEventGUID).
constexpr USHORT RangeSetEvent = 12; // with a HostRangeRecord
constexpr USHORT RangeClearedEvent = 13;

struct Selected
{
    TickPosition start, end;
};

std::optional<Selected> SelectionOf(HostDocument& document)
{
    Selected selected{};
    if (FAILED(document.GetSelection(&selected.start, &selected.end)) || selected.start.record == HostRecordEnd)
        return std::nullopt;
    return selected;
}

} // namespace

bool AnalysisRange::CanSet() const
{
    return SelectionOf(document_).has_value();
}

HostRangeRecord AnalysisRange::Set()
{
    const std::optional<Selected> selected = SelectionOf(document_);
    if (!selected)
        throw std::runtime_error("select the records of the analysis range first");
    const bool endsAtRecordStart = selected->end.tick == 0 && selected->end.record > selected->start.record;
    HostRangeRecord range{static_cast<uint32_t>(selected->start.record),
                          static_cast<uint32_t>(selected->end.record - (endsAtRecordStart ? 1 : 0))};
    document_.Tell(HostRangeEventGUID, RangeSetEvent, &range);
    range_ = range;
    return range;
}

void AnalysisRange::Clear()
{
    document_.Tell(HostRangeEventGUID, RangeClearedEvent, nullptr);
    range_.reset();
}

} // namespace Host
