// The cluster map of a compound file: one entry per cluster number, linking every element's chain,
// the free list (entry 0) and the clusters released since the last commit (entry 1).
#pragma once

#include "foundation/storage/CompoundFormat.h"

#include <vector>

namespace Orv::Compound
{

class ClusterMap
{
public:
    explicit ClusterMap(uint32_t clusterShift);

    uint32_t Count() const { return static_cast<uint32_t>(entries_.size()); }
    uint32_t EntriesPerCluster() const { return entriesPerCluster_; }
    uint32_t ClusterSize() const { return clusterSize_; }
    uint32_t ClusterShift() const { return clusterShift_; }
    bool IsDirty() const { return dirty_; }
    void MarkClean() { dirty_ = false; }

    // An empty map grown to one cluster's worth of entries, all free.
    void Initialise();
    // The map of an existing file; anything that cannot be a map of this shape is refused as corrupt.
    void Load(std::vector<ClusterEntry> image);
    const std::vector<ClusterEntry>& Image() const { return entries_; }

    uint32_t Next(uint32_t cluster) const { return At(cluster).next; }
    uint32_t Back(uint32_t cluster) const { return At(cluster).back & ClusterNumberMask; }
    bool IsFree(uint32_t cluster) const { return (At(cluster).back & FreeFlag) != 0; }

    // Each returns the cluster taken, or 0 when none can be had.
    uint32_t TakeFreeHead();
    uint32_t AllocateNextTo(uint32_t last, uint64_t writePosition);
    uint32_t AllocateRun(uint32_t length);

    void Free(uint32_t cluster);
    void Release(uint32_t cluster);
    void FreeChain(uint32_t first);
    void FreeReleased();
    // Puts a new cluster in an old one's place in its chain.
    void Replace(uint32_t old, uint32_t replacement);
    // True when the chain from first is length consecutive numbers ending the chain.
    bool IsConsecutiveChain(uint32_t first, uint32_t length) const;

    // Highest cluster number in use (released ones count), 1 when there is none.
    uint32_t HighestUsed() const;

    // Guards a walk along links that a damaged file may have made circular.
    class WalkGuard
    {
    public:
        explicit WalkGuard(const ClusterMap& map) : remaining_(map.Count()) {}
        void Step();

    private:
        uint32_t remaining_;
    };

private:
    const ClusterEntry& At(uint32_t cluster) const;
    ClusterEntry& At(uint32_t cluster);
    bool GrowTo(uint64_t count);
    bool GrowByCluster() { return GrowTo(static_cast<uint64_t>(Count()) + entriesPerCluster_); }
    uint32_t FindNearbyFree(uint32_t last) const;
    void UnlinkFree(uint32_t cluster);
    void UnlinkFromChain(uint32_t cluster);
    uint32_t FreeListTail() const;
    void ChainRun(uint32_t first, uint32_t length);

    uint32_t clusterShift_;
    uint32_t clusterSize_;
    uint32_t entriesPerCluster_;
    std::vector<ClusterEntry> entries_;
    bool dirty_ = false;
};

} // namespace Orv::Compound
