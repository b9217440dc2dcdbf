// One per compound file: the header with its two copies, the cluster map, the root element and the byte
// store under them, and the file's one mutex.
#pragma once

#include "foundation/storage/ClusterMap.h"
#include "foundation/storage/OrvStorageInterfaces.h"

#include "foundation/com/ComPtr.h"
#include "foundation/containers/ValueArray.h"

#include <memory>
#include <mutex>
#include <vector>

namespace Orv::Compound
{

// A directory entry in memory: its persisted bytes and what the open objects and the transaction need.
struct Element
{
    ElementEntry entry{};
    StreamPosition committedEnd{};
    // Clusters this transaction owns (copied or newly taken): written in place, never copied again.
    Orv::SortedArray<uint32_t> ownedClusters;
    DWORD openMode = 0;
    uint32_t openCount = 0;
    bool dirty = false;
    bool committed = false;
    // Bumped whenever clusters leave the chain, so that other cursors find their cluster again.
    uint32_t chainGeneration = 0;

    bool IsStorage() const { return entry.type == ElementTypeStorage; }
    bool OwnsCluster(uint32_t cluster) const;
    void AddOwnedCluster(uint32_t cluster);
    void RecordCommitted();
};

class StorageAllocator
{
public:
    // A new, empty file over the byte store.
    static std::unique_ptr<StorageAllocator> Create(ILockBytes* lockBytes, DWORD rootMode);
    // An existing file; a header or map that cannot be this format's is refused as corrupt.
    static std::unique_ptr<StorageAllocator> Open(ILockBytes* lockBytes, DWORD rootMode);

    std::recursive_mutex& Mutex() { return mutex_; }
    ClusterMap& Map() { return map_; }
    Element& Root() { return root_; }
    uint32_t Version() const { return header_.version; }
    bool IsTransacted() const { return (root_.openMode & STGM_TRANSACTED) != 0; }
    uint32_t ClusterSize() const { return map_.ClusterSize(); }
    ILockBytes* LockBytes() const { return lockBytes_.Get(); }
    IOrvLockBytes* OrvLockBytes() const { return orvLockBytes_.Get(); }

    uint64_t FileOffsetOf(uint32_t cluster, uint64_t offsetInCluster) const;
    // Whole transfers: a short one is E_FAIL unless the store gave a code of its own.
    HRESULT ReadAt(uint64_t fileOffset, void* buffer, ULONG count, ULONG* done = nullptr) const;
    HRESULT WriteAt(uint64_t fileOffset, const void* buffer, ULONG count, ULONG* done = nullptr);

    // Refuses as corrupt an entry read from the file that names clusters outside the map.
    void CheckLoadedEntry(const ElementEntry& entry) const;

    void EnsureFirstCluster(Element& element);
    // Frees at once in direct mode; in transacted mode keeps the cluster until the commit is on disk.
    void FreeCluster(uint32_t cluster);
    void MarkForTruncation() { truncationPending_ = true; }

    // Writes the map and the header; failures of the store are raised.
    void CommitRoot(DWORD flags);

private:
    StorageAllocator(ILockBytes* lockBytes, uint32_t clusterShift, DWORD rootMode);
    void InitialiseNewFile();
    void LoadExistingFile();
    void LoadMap(uint32_t copy);
    void WriteMap();
    void WriteHeaderPiece(uint32_t offset, uint32_t size);
    void Truncate();
    void FlushUnless(DWORD flags);
    static void RaiseTransferFailure(HRESULT result);

    std::recursive_mutex mutex_;
    Orv::ComPtr<ILockBytes> lockBytes_;
    Orv::ComPtr<IOrvLockBytes> orvLockBytes_;
    RootStorageInfo header_{};
    ClusterMap map_;
    Element root_;
    bool truncationPending_ = false;
};

} // namespace Orv::Compound
