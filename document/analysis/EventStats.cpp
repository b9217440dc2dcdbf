#include "document/analysis/EventStats.h"

#include "hostapi/CalcEventRecords.h"

#include <algorithm>

namespace Sistra
{
namespace
{

constexpr uint32_t NoEvent = 0xFFFFFFFFu;

} // namespace

void EventStats::AddEvent(int32_t block, int32_t state)
{
    if (block < 0)
        return;
    const auto index = static_cast<std::size_t>(block);
    if (index >= records_.size())
        records_.resize(index + 1, RecordStats{0, static_cast<int32_t>(total_), 0});
    if (state != LoopStateValid)
        states_[total_] = state;
    const bool loop = state != LoopStateClosing;
    records_[index].count += 1;
    records_[index].included += loop ? 1 : 0;
    total_ += 1;
    totalIncluded_ += loop ? 1 : 0;
}

void EventStats::SetState(uint32_t eventIndex, int32_t state)
{
    if (eventIndex == NoEvent)
        return;
    const auto held = states_.find(eventIndex);
    if (held == states_.end())
    {
        if (state == LoopStateExcluded)
            states_.emplace(eventIndex, state);
        return;
    }
    if (state == LoopStateValid)
        states_.erase(held);
    else
        held->second = state;
}

int32_t EventStats::StateOf(uint32_t eventIndex) const
{
    const auto held = states_.find(eventIndex);
    return held == states_.end() ? LoopStateValid : held->second;
}

std::size_t EventStats::StatedCount(int32_t state) const
{
    return static_cast<std::size_t>(
        std::count_if(states_.begin(), states_.end(), [state](const auto& held) { return held.second == state; }));
}

std::optional<BlockOffset> EventStats::FindBlockOfEvent(uint32_t eventIndex) const
{
    for (std::size_t block = 0; block < records_.size(); ++block)
    {
        const RecordStats& record = records_[block];
        if (record.count > 0 && static_cast<int64_t>(record.first) + record.count - 1 >= eventIndex)
            return BlockOffset{static_cast<int32_t>(block), static_cast<int32_t>(eventIndex - record.first)};
    }
    return std::nullopt;
}

std::optional<BlockOffset> EventStats::FindBlockOfIncluded(uint32_t loopIndex) const
{
    uint32_t before = 0;
    for (std::size_t block = 0; block < records_.size(); ++block)
    {
        const auto included = static_cast<uint32_t>(records_[block].included);
        if (before + included > loopIndex)
            return BlockOffset{static_cast<int32_t>(block), static_cast<int32_t>(loopIndex - before)};
        before += included;
    }
    return std::nullopt;
}

std::optional<uint32_t> EventStats::NonEmptyBlocksBefore(uint32_t index, int32_t RecordStats::*counted) const
{
    uint32_t sum = 0;
    uint32_t nonEmpty = 0;
    for (const RecordStats& record : records_)
    {
        sum += static_cast<uint32_t>(record.*counted);
        if (sum > index)
            return nonEmpty;
        nonEmpty += record.count > 0 ? 1 : 0;
    }
    return std::nullopt;
}

// Every non-empty block before the one holding the record ends with a closing record, which has an
// event index but no loop index.
std::optional<uint32_t> EventStats::ToLoopIndex(uint32_t eventIndex) const
{
    const auto closing = NonEmptyBlocksBefore(eventIndex, &RecordStats::count);
    return closing ? std::optional<uint32_t>(eventIndex - *closing) : std::nullopt;
}

std::optional<uint32_t> EventStats::FromIncludedIndex(uint32_t loopIndex) const
{
    const auto closing = NonEmptyBlocksBefore(loopIndex, &RecordStats::included);
    return closing ? std::optional<uint32_t>(loopIndex + *closing) : std::nullopt;
}

} // namespace Sistra
