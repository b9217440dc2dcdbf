#include "foundation/storage/ClusterMap.h"

#include "foundation/storage/CompoundErrors.h"

#include <algorithm>
#include <new>

namespace Orv::Compound
{

namespace
{
// Cluster numbers are 31-bit, so the map can never cover more than this many.
constexpr uint64_t MaxMapEntries = uint64_t{ClusterNumberMask} + 1;
} // namespace

void ClusterMap::WalkGuard::Step()
{
    if (remaining_ == 0)
        ThrowCorrupt();
    --remaining_;
}

ClusterMap::ClusterMap(uint32_t clusterShift)
    : clusterShift_(clusterShift),
      clusterSize_(1u << clusterShift),
      entriesPerCluster_(clusterSize_ / sizeof(ClusterEntry))
{
}

const ClusterEntry& ClusterMap::At(uint32_t cluster) const
{
    if (cluster >= entries_.size())
        ThrowCorrupt();
    return entries_[cluster];
}

ClusterEntry& ClusterMap::At(uint32_t cluster)
{
    if (cluster >= entries_.size())
        ThrowCorrupt();
    dirty_ = true;
    return entries_[cluster];
}

void ClusterMap::Initialise()
{
    entries_.assign(FirstDataCluster, ClusterEntry{});
    entries_[FreeListHead] = {0, FreeFlag};
    if (!GrowTo(entriesPerCluster_))
        XOrv::Throw(STG_E_INSUFFICIENTMEMORY);
}

void ClusterMap::Load(std::vector<ClusterEntry> image)
{
    const auto count = image.size();
    if (count < entriesPerCluster_ || count % entriesPerCluster_ != 0 || count > MaxMapEntries)
        ThrowCorrupt();
    for (const ClusterEntry& entry : image)
    {
        if (entry.next >= count || entry.next == ReleasedListHead || (entry.back & ClusterNumberMask) >= count)
            ThrowCorrupt();
    }
    if ((image[ReleasedListHead].back & FreeFlag) != 0)
        ThrowCorrupt();
    entries_ = std::move(image);
    dirty_ = false;
}

bool ClusterMap::GrowTo(uint64_t count)
{
    if (count <= entries_.size())
        return true;
    if (count > MaxMapEntries)
        return false;
    try
    {
        if (count > entries_.capacity())
            entries_.reserve(std::max<uint64_t>(count, std::max<uint64_t>(entries_.size() * 2, entriesPerCluster_)));
        uint32_t tail = FreeListTail();
        for (auto n = static_cast<uint32_t>(entries_.size()); n < count; ++n)
        {
            entries_.push_back({0, tail | FreeFlag});
            entries_[tail].next = n;
            tail = n;
        }
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    dirty_ = true;
    return true;
}

uint32_t ClusterMap::FreeListTail() const
{
    WalkGuard guard(*this);
    uint32_t tail = FreeListHead;
    while (entries_[tail].next != 0)
    {
        guard.Step();
        tail = entries_[tail].next;
    }
    return tail;
}

void ClusterMap::UnlinkFree(uint32_t cluster)
{
    const ClusterEntry entry = At(cluster);
    const uint32_t previous = entry.back & ClusterNumberMask;
    At(previous).next = entry.next;
    if (entry.next != 0)
        At(entry.next).back = previous | FreeFlag;
    At(cluster) = {0, 0};
}

void ClusterMap::UnlinkFromChain(uint32_t cluster)
{
    const ClusterEntry entry = At(cluster);
    const uint32_t previous = entry.back & ClusterNumberMask;
    if (previous != 0)
        At(previous).next = entry.next;
    if (entry.next != 0)
        At(entry.next).back = previous;
}

uint32_t ClusterMap::TakeFreeHead()
{
    if (entries_[FreeListHead].next == 0 && !GrowByCluster())
        return 0;
    const uint32_t cluster = entries_[FreeListHead].next;
    if (cluster < FirstDataCluster || !IsFree(cluster))
        ThrowCorrupt();
    UnlinkFree(cluster);
    return cluster;
}

uint32_t ClusterMap::FindNearbyFree(uint32_t last) const
{
    if (IsFree(last + 1))
        return last + 1;
    const uint32_t from = std::max(last, FirstDataCluster + NearbyClusterSpan) - NearbyClusterSpan;
    const uint32_t to = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{last} + NearbyClusterSpan, Count()));
    for (uint32_t n = from; n < to; ++n)
    {
        if (IsFree(n))
            return n;
    }
    return 0;
}

uint32_t ClusterMap::AllocateNextTo(uint32_t last, uint64_t writePosition)
{
    uint32_t cluster = 0;
    if (last != 0 && last + 1 < Count())
        cluster = FindNearbyFree(last);
    else if (writePosition > ExtendMapBeyondBytes && last + 1 == Count() && GrowByCluster())
        cluster = last + 1;
    if (cluster == 0)
    {
        if (entries_[FreeListHead].next == 0 && !GrowByCluster())
            return 0;
        cluster = entries_[FreeListHead].next;
    }
    if (cluster < FirstDataCluster || !IsFree(cluster))
        ThrowCorrupt();
    UnlinkFree(cluster);
    At(cluster) = {0, last};
    if (last != 0)
        At(last).next = cluster;
    return cluster;
}

uint32_t ClusterMap::AllocateRun(uint32_t length)
{
    uint32_t runStart = 0;
    uint32_t runLength = 0;
    WalkGuard guard(*this);
    for (uint32_t n = entries_[FreeListHead].next, previous = 0; n != 0; previous = n, n = entries_[n].next)
    {
        guard.Step();
        if (runLength != 0 && n == previous + 1)
            ++runLength;
        else
            runStart = n, runLength = 1;
        if (runLength == length)
        {
            ChainRun(runStart, length);
            return runStart;
        }
    }
    // Grow by whole clusters' worth of entries, enough for the run and the map's own new entries.
    const uint64_t e = entriesPerCluster_;
    const bool lastRunReachesEnd = runLength != 0 && runStart + runLength == Count();
    const uint64_t missing = lastRunReachesEnd ? length - runLength : length;
    const uint64_t growth = e * (((e + 1) * missing + e - 1) / e - 1 + e) / e;
    const uint32_t start = lastRunReachesEnd ? runStart : Count();
    if (!GrowTo(Count() + growth))
        return 0;
    for (uint32_t n = start; n < start + length; ++n)
    {
        if (n >= Count() || !IsFree(n))
            return 0;
    }
    ChainRun(start, length);
    return start;
}

void ClusterMap::ChainRun(uint32_t first, uint32_t length)
{
    for (uint32_t i = 0; i < length; ++i)
    {
        UnlinkFree(first + i);
        At(first + i) = {i + 1 < length ? first + i + 1 : 0, i == 0 ? 0 : first + i - 1};
    }
}

bool ClusterMap::IsConsecutiveChain(uint32_t first, uint32_t length) const
{
    if (first < FirstDataCluster || uint64_t{first} + length > Count() || Back(first) != 0 || IsFree(first))
        return false;
    for (uint32_t i = 0; i < length; ++i)
    {
        const ClusterEntry& entry = entries_[first + i];
        const uint32_t expectedNext = i + 1 < length ? first + i + 1 : 0;
        if (entry.next != expectedNext || (entry.back & FreeFlag) != 0)
            return false;
    }
    return true;
}

void ClusterMap::Free(uint32_t cluster)
{
    UnlinkFromChain(cluster);
    const uint32_t head = entries_[FreeListHead].next;
    At(cluster) = {head, FreeFlag};
    if (head != 0)
        At(head).back = cluster | FreeFlag;
    At(FreeListHead).next = cluster;
}

void ClusterMap::Release(uint32_t cluster)
{
    UnlinkFromChain(cluster);
    const uint32_t first = entries_[ReleasedListHead].next;
    At(cluster) = {first, ReleasedListHead};
    if (first != 0)
        At(first).back = cluster;
    At(ReleasedListHead).next = cluster;
}

void ClusterMap::FreeChain(uint32_t first)
{
    WalkGuard guard(*this);
    uint32_t last = first;
    At(first).back = FreeFlag;
    while (Next(last) != 0)
    {
        guard.Step();
        const uint32_t next = Next(last);
        At(next).back = last | FreeFlag;
        last = next;
    }
    const uint32_t head = entries_[FreeListHead].next;
    At(last).next = head;
    if (head != 0)
        At(head).back = last | FreeFlag;
    At(FreeListHead).next = first;
}

void ClusterMap::FreeReleased()
{
    const uint32_t first = entries_[ReleasedListHead].next;
    if (first == 0)
        return;
    At(ReleasedListHead) = {0, 0};
    FreeChain(first);
}

void ClusterMap::Replace(uint32_t old, uint32_t replacement)
{
    const ClusterEntry entry = At(old);
    At(replacement) = entry;
    if ((entry.back & ClusterNumberMask) != 0)
        At(entry.back & ClusterNumberMask).next = replacement;
    if (entry.next != 0)
        At(entry.next).back = replacement;
    At(old) = {0, 0};
}

uint32_t ClusterMap::HighestUsed() const
{
    for (auto n = static_cast<uint32_t>(entries_.size()); n-- > FirstDataCluster;)
    {
        if ((entries_[n].back & FreeFlag) == 0)
            return n;
    }
    return FirstDataCluster - 1;
}

} // namespace Orv::Compound
