#include "foundation/storage/ElementCursor.h"

#include "foundation/storage/CompoundErrors.h"

#include <algorithm>
#include <vector>

namespace Orv::Compound
{

ElementCursor::ElementCursor(StorageAllocator& allocator, Element& element)
    : allocator_(allocator), element_(element), position_(element.entry.start), generation_(element.chainGeneration)
{
}

uint64_t ElementCursor::ClusterStartOf(const StreamPosition& position) const
{
    if ((position.cluster & EndsHereFlag) != 0)
        return position.offset - ClusterSize();
    return position.offset - OffsetInCluster(position.offset);
}

uint64_t ElementCursor::ClustersFor(uint64_t size) const
{
    return std::max<uint64_t>(1, (size + ClusterSize() - 1) / ClusterSize());
}

StreamPosition ElementCursor::EndPositionFor(uint64_t size, uint32_t lastCluster) const
{
    if (size == 0)
        return element_.entry.start;
    if (OffsetInCluster(size) == 0)
        return {size, lastCluster | EndsHereFlag, 0};
    return {size, lastCluster, 0};
}

void ElementCursor::Advance(uint64_t count)
{
    position_.offset += count;
    if (count != 0 && OffsetInCluster(position_.offset) == 0)
        position_.cluster |= EndsHereFlag;
}

void ElementCursor::Resync()
{
    const ElementEntry& entry = element_.entry;
    if (generation_ == element_.chainGeneration && (position_.cluster != 0 || entry.start.cluster == 0))
        return;
    generation_ = element_.chainGeneration;
    const uint64_t offset = std::min(position_.offset, entry.end.offset);
    HRESULT ignored = S_OK;
    if (entry.start.cluster == 0)
        position_ = {offset, 0, 0};
    else if (offset == entry.end.offset)
        position_ = entry.end;
    else
        position_ = WalkTo(entry.start, offset, false, ignored);
}

StreamPosition ElementCursor::WalkTo(const StreamPosition& from, uint64_t target, bool allocate, HRESULT& result)
{
    ClusterMap& map = allocator_.Map();
    ClusterMap::WalkGuard guard(map);
    uint32_t cluster = from.cluster & ClusterNumberMask;
    uint64_t base = ClusterStartOf(from);
    while (target < base)
    {
        guard.Step();
        cluster = map.Back(cluster);
        if (cluster == 0)
            ThrowCorrupt();
        base -= ClusterSize();
    }
    while (target >= base + ClusterSize())
    {
        uint32_t next = map.Next(cluster);
        if (next != 0)
            guard.Step();
        else if (!allocate)
            ThrowCorrupt();
        else if ((next = map.AllocateNextTo(cluster, base + ClusterSize())) == 0)
        {
            result = STG_E_MEDIUMFULL;
            return {base + ClusterSize(), cluster | EndsHereFlag, 0};
        }
        else
            element_.AddOwnedCluster(next);
        cluster = next;
        base += ClusterSize();
    }
    return {target, cluster, 0};
}

uint32_t ElementCursor::CurrentCluster()
{
    Resync();
    if ((position_.cluster & EndsHereFlag) == 0)
        return position_.cluster;
    return allocator_.Map().Next(position_.cluster & ClusterNumberMask);
}

HRESULT ElementCursor::Read(void* buffer, ULONG count, ULONG* read)
{
    Resync();
    ULONG total = 0;
    HRESULT result = S_OK;
    if (element_.entry.start.cluster == 0)
        result = position_.offset == 0 ? S_OK : E_FAIL;
    else if (position_.offset < element_.entry.end.offset)
    {
        const auto wanted = static_cast<ULONG>(std::min<uint64_t>(count, element_.entry.end.offset - position_.offset));
        while (total < wanted)
        {
            const uint32_t cluster = CurrentCluster();
            if (cluster == 0)
            {
                result = S_FALSE; // the chain ends before the recorded end
                break;
            }
            position_.cluster = cluster;
            const auto piece = static_cast<ULONG>(std::min<uint64_t>(wanted - total, ClusterSize() - OffsetInCluster(position_.offset)));
            ULONG done = 0;
            result = allocator_.ReadAt(allocator_.FileOffsetOf(cluster, OffsetInCluster(position_.offset)),
                                       static_cast<BYTE*>(buffer) + total, piece, &done);
            total += done;
            Advance(done);
            if (result == E_FAIL && done < piece)
                result = S_FALSE; // the file ends before the chain does
            if (result != S_OK)
                break;
        }
    }
    if (read)
        *read = total;
    return result;
}

HRESULT ElementCursor::ClusterForWrite(uint32_t& cluster)
{
    cluster = CurrentCluster();
    if (cluster == 0)
    {
        const uint32_t last = position_.cluster & ClusterNumberMask;
        cluster = allocator_.Map().AllocateNextTo(last, position_.offset);
        if (cluster == 0)
            return STG_E_INSUFFICIENTMEMORY;
        element_.AddOwnedCluster(cluster);
    }
    position_.cluster = cluster;
    const bool holdsCommittedBytes = position_.offset < element_.committedEnd.offset && !element_.OwnsCluster(cluster);
    if (allocator_.IsTransacted() && holdsCommittedBytes)
        return CopyOnWrite(cluster);
    return S_OK;
}

HRESULT ElementCursor::CopyOnWrite(uint32_t& cluster)
{
    const uint64_t clusterStart = ClusterStartOf(position_);
    const auto used = static_cast<ULONG>(std::min<uint64_t>(ClusterSize(), element_.entry.end.offset - clusterStart));
    std::vector<BYTE> saved(used);
    HRESULT result = allocator_.ReadAt(allocator_.FileOffsetOf(cluster, 0), saved.data(), used);
    if (FAILED(result))
        return result;
    ClusterMap& map = allocator_.Map();
    const uint32_t copy = map.TakeFreeHead();
    if (copy == 0)
        return STG_E_INSUFFICIENTMEMORY;
    map.Replace(cluster, copy);
    map.Release(cluster);
    ElementEntry& entry = element_.entry;
    if (entry.start.cluster == cluster)
        entry.start.cluster = copy;
    if ((entry.end.cluster & ClusterNumberMask) == cluster)
        entry.end.cluster = copy | (entry.end.cluster & EndsHereFlag);
    element_.AddOwnedCluster(copy);
    element_.dirty = true;
    NoteChainChanged();
    cluster = copy;
    position_.cluster = copy;
    return allocator_.WriteAt(allocator_.FileOffsetOf(copy, 0), saved.data(), used);
}

void ElementCursor::LengthenTo(const StreamPosition& position)
{
    if (position.offset > element_.entry.end.offset)
    {
        element_.entry.end = position;
        element_.dirty = true;
    }
}

HRESULT ElementCursor::Write(const void* buffer, ULONG count, ULONG* written)
{
    ULONG total = 0;
    HRESULT result = S_OK;
    if (count != 0)
    {
        allocator_.EnsureFirstCluster(element_);
        Resync();
        while (total < count)
        {
            uint32_t cluster = 0;
            result = ClusterForWrite(cluster);
            if (FAILED(result))
                break;
            const auto piece = static_cast<ULONG>(std::min<uint64_t>(count - total, ClusterSize() - OffsetInCluster(position_.offset)));
            ULONG done = 0;
            result = allocator_.WriteAt(allocator_.FileOffsetOf(cluster, OffsetInCluster(position_.offset)),
                                        static_cast<const BYTE*>(buffer) + total, piece, &done);
            total += done;
            Advance(done);
            if (FAILED(result))
                break;
        }
        if (total != 0)
            LengthenTo(position_);
    }
    if (written)
        *written = total;
    return result;
}

HRESULT ElementCursor::SeekTo(const StreamPosition& from, uint64_t target)
{
    allocator_.EnsureFirstCluster(element_);
    Resync();
    HRESULT result = S_OK;
    const ElementEntry& entry = element_.entry;
    const StreamPosition& walkFrom = from.cluster == 0 ? entry.start : from;
    position_ = target == entry.end.offset ? entry.end : WalkTo(walkFrom, target, true, result);
    LengthenTo(position_);
    return result;
}

HRESULT ElementCursor::Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition)
{
    Resync();
    const ElementEntry& entry = element_.entry;
    HRESULT result = S_OK;
    if (origin > STREAM_SEEK_END)
        return STG_E_INVALIDFUNCTION;
    if (origin == STREAM_SEEK_SET && allocator_.Version() < FirstVersionWithNewEntries)
        move = static_cast<LONGLONG>(static_cast<ULONG>(move));
    if (move == 0 && origin == STREAM_SEEK_SET)
        position_ = entry.start;
    else if (move == 0 && origin == STREAM_SEEK_END)
        position_ = entry.end;
    else if (move != 0)
    {
        const StreamPosition from = origin == STREAM_SEEK_SET ? entry.start : origin == STREAM_SEEK_CUR ? position_ : entry.end;
        if (move < 0 && static_cast<uint64_t>(-move) > from.offset)
            return STG_E_INVALIDPOINTER;
        result = SeekTo(from, from.offset + static_cast<uint64_t>(move));
    }
    if (newPosition)
        *newPosition = position_.offset;
    return result;
}

void ElementCursor::ShrinkChain(uint64_t clusters, uint32_t& last)
{
    ClusterMap& map = allocator_.Map();
    for (uint64_t i = 0; i < clusters; ++i)
    {
        const uint32_t previous = map.Back(last);
        if (previous == 0)
            break;
        allocator_.FreeCluster(last);
        last = previous;
    }
    allocator_.MarkForTruncation();
}

HRESULT ElementCursor::GrowChain(uint64_t clusters, uint32_t& last, uint64_t& reached)
{
    ClusterMap& map = allocator_.Map();
    for (uint64_t i = 0; i < clusters; ++i)
    {
        uint32_t next = map.Next(last);
        if (next == 0)
        {
            next = map.AllocateNextTo(last, reached * ClusterSize());
            if (next == 0)
                return STG_E_MEDIUMFULL;
            element_.AddOwnedCluster(next);
        }
        last = next;
        ++reached;
    }
    return S_OK;
}

HRESULT ElementCursor::SetSize(ULONGLONG size)
{
    // An element without a chain is already empty; taking a cluster only to release it would waste one.
    if (size == 0 && element_.entry.start.cluster == 0 && allocator_.IsTransacted())
        return S_OK;
    allocator_.EnsureFirstCluster(element_);
    Resync();
    ElementEntry& entry = element_.entry;
    const uint64_t have = ClustersFor(entry.end.offset);
    const uint64_t want = ClustersFor(size);
    uint32_t last = entry.end.cluster & ClusterNumberMask;
    uint64_t reached = have;
    HRESULT result = S_OK;
    if (want < have)
        ShrinkChain(have - want, last);
    else if (want > have)
        result = GrowChain(want - have, last, reached);
    // A chain that could not grow far enough keeps the length its clusters hold.
    entry.end = FAILED(result) ? StreamPosition{reached * ClusterSize(), last | EndsHereFlag, 0} : EndPositionFor(size, last);
    if (allocator_.IsTransacted() && size == 0)
    {
        allocator_.FreeCluster(entry.start.cluster);
        entry.start = entry.end = {};
    }
    if (position_.offset > entry.end.offset)
        position_ = entry.end;
    element_.dirty = true;
    ++element_.chainGeneration; // this cursor too finds its cluster again: it may have left the chain
    return result;
}

} // namespace Orv::Compound
