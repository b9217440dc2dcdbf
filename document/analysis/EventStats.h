// The per-block counts of an analysis' loop records and the states the user set on single loops. Records
// are numbered three ways: by block and offset inside the block, by event index over every record of
// every block, and by loop index over the loops only (every non-empty block ends with one closing
// record, which is no loop).
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace Sistra
{

class EventStatsBase
{
public:
    virtual ~EventStatsBase() = default;
};

// Where a record lies: its block and its offset inside the block.
struct BlockOffset
{
    int32_t block = 0;
    int32_t offset = 0;
};

class EventStats : public EventStatsBase
{
public:
    struct RecordStats
    {
        int32_t count = 0;    // records of the block
        int32_t first = 0;    // event index of the block's first record
        int32_t included = 0; // records of the block that are loops (not closing records)
    };

    // Counts one record of the block with its state; a non-zero state is kept for its event index.
    void AddEvent(int32_t block, int32_t state);
    // Sets the state of a record: 0 forgets a kept state, 1 excludes a loop; other states only replace
    // a kept one. An index of 0xFFFFFFFF is ignored.
    void SetState(uint32_t eventIndex, int32_t state);
    // The kept state of a record, 0 when none.
    int32_t StateOf(uint32_t eventIndex) const;

    // The block and offset of a record by event index, or of a loop by loop index; none out of range.
    std::optional<BlockOffset> FindBlockOfEvent(uint32_t eventIndex) const;
    std::optional<BlockOffset> FindBlockOfIncluded(uint32_t loopIndex) const;
    // Event index to loop index and back; none out of range.
    std::optional<uint32_t> ToLoopIndex(uint32_t eventIndex) const;
    std::optional<uint32_t> FromIncludedIndex(uint32_t loopIndex) const;

    uint32_t Total() const { return total_; }
    uint32_t TotalIncluded() const { return totalIncluded_; }
    // Records kept with a state other than 0 (closing records and excluded loops).
    std::size_t StatedCount() const { return states_.size(); }
    std::size_t StatedCount(int32_t state) const;
    const std::vector<RecordStats>& Records() const { return records_; }

private:
    // The number of non-empty blocks before the block where the running sum of `counted` passes index.
    std::optional<uint32_t> NonEmptyBlocksBefore(uint32_t index, int32_t RecordStats::*counted) const;

    std::vector<RecordStats> records_;
    uint32_t total_ = 0;
    uint32_t totalIncluded_ = 0;
    std::unordered_map<uint32_t, int32_t> states_;
};

} // namespace Sistra
