#include "foundation/containers/MergedEventIter.h"

#include <cmath>

namespace OrvEvent
{

namespace
{
// The choice starts from these bounds, so an event exactly at them is never chosen.
constexpr std::int32_t AscendingBound = RecordEndOffset;
constexpr std::int32_t DescendingBound = -1;
} // namespace

bool IsAcceptedEvent(const unsigned char* record, std::int32_t rangeStart)
{
    return std::isfinite(EventValue(record)) && EventTick(record) >= rangeStart;
}

std::ptrdiff_t ChooseNextSlot(const EventSlots& slots, bool ascending)
{
    std::int32_t bestTick = ascending ? AscendingBound : DescendingBound;
    std::ptrdiff_t best = NoEventLeft;
    bool anyFilled = false;
    for (unsigned i = 0; i < slots.Count(); ++i)
    {
        if (!slots[i])
            continue;
        anyFilled = true;
        const std::int32_t tick = EventTick(slots[i]->Data());
        if (ascending ? tick < bestTick : tick > bestTick)
        {
            bestTick = tick;
            best = static_cast<std::ptrdiff_t>(i);
        }
    }
    if (best == NoEventLeft && anyFilled)
        return NoEventInBounds;
    return best;
}

template class MergedEventIterT<IEnumEventEx>;

} // namespace OrvEvent
