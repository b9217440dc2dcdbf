#include "foundation/storage/StorageAllocator.h"

#include "foundation/storage/CompoundErrors.h"

#include <algorithm>
#include <cwchar>

namespace Orv::Compound
{

namespace
{
constexpr wchar_t MapCountNotWholeClusters[] = L"No. clusters in file not a multiple of no. of entries per Cluster";

uint64_t StoreSize(ILockBytes* lockBytes)
{
    STATSTG stat{};
    if (FAILED(lockBytes->Stat(&stat, STATFLAG_NONAME)))
        ThrowCorrupt();
    return stat.cbSize.QuadPart;
}
} // namespace

bool Element::OwnsCluster(uint32_t cluster) const
{
    return ownedClusters.Contains(cluster);
}

void Element::AddOwnedCluster(uint32_t cluster)
{
    ownedClusters.Insert(cluster);
}

void Element::RecordCommitted()
{
    committedEnd = entry.end;
    ownedClusters.Clear();
    committed = true;
}

StorageAllocator::StorageAllocator(ILockBytes* lockBytes, uint32_t clusterShift, DWORD rootMode)
    : lockBytes_(lockBytes), map_(clusterShift)
{
    orvLockBytes_ = lockBytes_.As<IOrvLockBytes>(IID_IOrvLockBytes);
    root_.openMode = rootMode;
    root_.openCount = 1;
    root_.dirty = true;
}

std::unique_ptr<StorageAllocator> StorageAllocator::Create(ILockBytes* lockBytes, DWORD rootMode)
{
    std::unique_ptr<StorageAllocator> allocator(new StorageAllocator(lockBytes, CreatedClusterShift, rootMode));
    allocator->InitialiseNewFile();
    return allocator;
}

std::unique_ptr<StorageAllocator> StorageAllocator::Open(ILockBytes* lockBytes, DWORD rootMode)
{
    RootStorageInfo header{};
    ULONG read = 0;
    if (FAILED(lockBytes->ReadAt({}, &header, sizeof(header), &read)))
        ThrowCorrupt();
    if (read != sizeof(header))
        ThrowCutShort(read, sizeof(header), L"its header");
    if (header.clusterShift < SmallestClusterShift || header.clusterShift > LargestClusterShift)
        ThrowCorrupt();
    std::unique_ptr<StorageAllocator> allocator(new StorageAllocator(lockBytes, header.clusterShift, rootMode));
    allocator->header_ = header;
    allocator->LoadExistingFile();
    return allocator;
}

void StorageAllocator::InitialiseNewFile()
{
    std::wmemcpy(header_.signature, FileSignature, std::size(FileSignature));
    header_.version = CurrentVersion;
    header_.word132 = HeaderWord132;
    header_.word136 = HeaderWord136;
    header_.word140 = HeaderWord140;
    header_.clusterShift = CreatedClusterShift;
    if (header_.mapCount[header_.activeCopy] % map_.EntriesPerCluster() != 0)
        ThrowInternal(MapCountNotWholeClusters);
    map_.Initialise();
    header_.mapCount[header_.activeCopy] = map_.Count();
    header_.mapCheck[header_.activeCopy] = 0u - map_.Count();
    root_.entry = NewElementEntry(RootElementName, ElementTypeStorage);
}

void StorageAllocator::LoadExistingFile()
{
    if (std::wmemcmp(header_.signature, FileSignature, std::size(FileSignature)) != 0)
        ThrowCorrupt();
    if (header_.version > CurrentVersion)
        XOrv::Throw(STG_E_OLDDLL);
    if (header_.version == 0 || header_.activeCopy > 1)
        ThrowCorrupt();
    const uint32_t copy = header_.activeCopy;
    if (header_.mapCount[copy] % map_.EntriesPerCluster() != 0)
        ThrowInternal(MapCountNotWholeClusters);
    LoadMap(copy);
    root_.entry = header_.root[copy];
    CheckLoadedEntry(root_.entry);
    root_.dirty = false;
    root_.RecordCommitted();
    // Clusters the committed state left on the released list belong to no state that can still be opened.
    map_.FreeReleased();
    header_.activeCopy = IsTransacted() ? copy ^ 1 : copy;
}

void StorageAllocator::LoadMap(uint32_t copy)
{
    const uint32_t count = header_.mapCount[copy];
    const uint32_t first = header_.mapStart[copy];
    if (count + header_.mapCheck[copy] != 0 || count == 0 || first < FirstDataCluster)
        ThrowCorrupt();
    const uint32_t clusters = count / map_.EntriesPerCluster();
    const uint64_t runEnd = FileOffsetOf(first, 0) + (uint64_t{clusters} << map_.ClusterShift());
    if (uint64_t{first} + clusters > count)
        ThrowCorrupt();
    if (const uint64_t size = StoreSize(lockBytes_.Get()); runEnd > size)
        ThrowCutShort(size, runEnd);
    std::vector<ClusterEntry> image(count);
    auto* bytes = reinterpret_cast<BYTE*>(image.data());
    for (uint32_t i = 0; i < clusters; ++i)
    {
        if (FAILED(ReadAt(FileOffsetOf(first + i, 0), bytes + (uint64_t{i} << map_.ClusterShift()), ClusterSize())))
            ThrowCorrupt();
    }
    map_.Load(std::move(image));
    if (!map_.IsConsecutiveChain(first, clusters))
        ThrowCorrupt();
}

void StorageAllocator::CheckLoadedEntry(const ElementEntry& entry) const
{
    const uint32_t count = map_.Count();
    const bool hasChain = entry.start.cluster != 0;
    if (entry.type != ElementTypeStorage && entry.type != ElementTypeStream)
        ThrowCorrupt();
    if (entry.start.offset != 0 || entry.start.cluster >= count || (hasChain && entry.start.cluster < FirstDataCluster))
        ThrowCorrupt();
    const uint32_t endCluster = entry.end.cluster & ClusterNumberMask;
    if (endCluster >= count || (hasChain && endCluster < FirstDataCluster))
        ThrowCorrupt();
}

uint64_t StorageAllocator::FileOffsetOf(uint32_t cluster, uint64_t offsetInCluster) const
{
    return HeaderSize + ((uint64_t{cluster} - FirstDataCluster) << map_.ClusterShift()) + offsetInCluster;
}

HRESULT StorageAllocator::ReadAt(uint64_t fileOffset, void* buffer, ULONG count, ULONG* done) const
{
    ULONG transferred = 0;
    HRESULT result = lockBytes_->ReadAt(ULARGE_INTEGER{.QuadPart = fileOffset}, buffer, count, &transferred);
    if (done)
        *done = transferred;
    if (SUCCEEDED(result) && transferred != count)
        result = E_FAIL;
    return result;
}

HRESULT StorageAllocator::WriteAt(uint64_t fileOffset, const void* buffer, ULONG count, ULONG* done)
{
    ULONG transferred = 0;
    HRESULT result = lockBytes_->WriteAt(ULARGE_INTEGER{.QuadPart = fileOffset}, buffer, count, &transferred);
    if (done)
        *done = transferred;
    if (SUCCEEDED(result) && transferred != count)
        result = E_FAIL;
    return result;
}

void StorageAllocator::RaiseTransferFailure(HRESULT result)
{
    if (FAILED(result))
        XOrv::Throw(result);
}

void StorageAllocator::EnsureFirstCluster(Element& element)
{
    if (element.entry.start.cluster != 0)
        return;
    const uint32_t cluster = map_.TakeFreeHead();
    if (cluster == 0)
        XOrv::Throw(STG_E_INSUFFICIENTMEMORY);
    element.entry.start = {0, cluster, 0};
    element.entry.end = {0, cluster, 0};
    element.AddOwnedCluster(cluster);
    element.dirty = true;
}

void StorageAllocator::FreeCluster(uint32_t cluster)
{
    if (IsTransacted())
        map_.Release(cluster);
    else
        map_.Free(cluster);
}

void StorageAllocator::CommitRoot(DWORD flags)
{
    if (!map_.IsDirty() && !root_.dirty)
        return;
    WriteMap();
    header_.root[header_.activeCopy] = root_.entry;
    WriteHeaderPiece(HeaderBodyOffset, HeaderBodySize);
    if (truncationPending_)
        Truncate();
    if (IsTransacted())
    {
        FlushUnless(flags);
        WriteHeaderPiece(0, HeaderLeadSize);
        FlushUnless(flags);
        header_.activeCopy ^= 1;
        // Only now that the new state is named on disk may the old state's clusters be used again.
        map_.FreeReleased();
    }
    else
    {
        WriteHeaderPiece(0, HeaderLeadSize);
        FlushUnless(flags);
    }
    root_.dirty = false;
    root_.committed = true;
}

void StorageAllocator::WriteMap()
{
    uint32_t& start = header_.mapStart[header_.activeCopy];
    if (root_.committed && start != 0 && !map_.IsConsecutiveChain(start, map_.Count() / map_.EntriesPerCluster()))
    {
        if (start < map_.Count() && !map_.IsFree(start))
            map_.FreeChain(start);
        truncationPending_ = true;
        start = 0;
    }
    // Taking the run can grow the map past what the run holds; then the run is given back and taken again.
    while (start == 0)
    {
        const uint32_t clusters = map_.Count() / map_.EntriesPerCluster();
        start = map_.AllocateRun(clusters);
        if (start == 0)
            XOrv::Throw(STG_E_INSUFFICIENTMEMORY);
        if (map_.Count() / map_.EntriesPerCluster() != clusters)
        {
            map_.FreeChain(start);
            start = 0;
        }
    }
    const uint32_t count = map_.Count();
    header_.mapCount[header_.activeCopy] = count;
    header_.mapCheck[header_.activeCopy] = 0u - count;
    const auto* bytes = reinterpret_cast<const BYTE*>(map_.Image().data());
    for (uint32_t i = 0; i < count / map_.EntriesPerCluster(); ++i)
        RaiseTransferFailure(WriteAt(FileOffsetOf(start + i, 0), bytes + (uint64_t{i} << map_.ClusterShift()), ClusterSize()));
    map_.MarkClean();
}

void StorageAllocator::WriteHeaderPiece(uint32_t offset, uint32_t size)
{
    RaiseTransferFailure(WriteAt(offset, reinterpret_cast<const BYTE*>(&header_) + offset, size));
}

void StorageAllocator::Truncate()
{
    const uint32_t highest = map_.HighestUsed();
    const uint64_t size = FileOffsetOf(highest + 1, 0);
    RaiseTransferFailure(lockBytes_->SetSize(ULARGE_INTEGER{.QuadPart = size}));
    truncationPending_ = false;
}

void StorageAllocator::FlushUnless(DWORD flags)
{
    if ((flags & STGC_DANGEROUSLYCOMMITMERELYTODISKCACHE) == 0)
        RaiseTransferFailure(lockBytes_->Flush());
}

} // namespace Orv::Compound
