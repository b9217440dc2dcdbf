// A position in one element's chain and the stream operations over it. The caller holds the file's mutex.
#pragma once

#include "foundation/storage/StorageAllocator.h"

namespace Orv::Compound
{

class ElementCursor
{
public:
    ElementCursor(StorageAllocator& allocator, Element& element);

    Element& GetElement() const { return element_; }

    HRESULT Read(void* buffer, ULONG count, ULONG* read);
    HRESULT Write(const void* buffer, ULONG count, ULONG* written);
    HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition);
    HRESULT SetSize(ULONGLONG size);
    // Cluster holding the byte at the current offset, or 0 when the element has none there.
    uint32_t CurrentCluster();

private:
    uint32_t ClusterSize() const { return allocator_.ClusterSize(); }
    uint64_t OffsetInCluster(uint64_t offset) const { return offset & (ClusterSize() - 1); }
    uint64_t ClusterStartOf(const StreamPosition& position) const;
    uint64_t ClustersFor(uint64_t size) const;
    StreamPosition EndPositionFor(uint64_t size, uint32_t lastCluster) const;
    void Advance(uint64_t count);
    // Another cursor may have moved clusters out of the chain; find the current offset again.
    void Resync();
    void NoteChainChanged() { generation_ = ++element_.chainGeneration; }
    StreamPosition WalkTo(const StreamPosition& from, uint64_t target, bool allocate, HRESULT& result);
    HRESULT SeekTo(const StreamPosition& from, uint64_t target);
    HRESULT ClusterForWrite(uint32_t& cluster);
    HRESULT CopyOnWrite(uint32_t& cluster);
    void ShrinkChain(uint64_t clusters, uint32_t& last);
    HRESULT GrowChain(uint64_t clusters, uint32_t& last, uint64_t& reached);
    void LengthenTo(const StreamPosition& position);

    StorageAllocator& allocator_;
    Element& element_;
    StreamPosition position_;
    uint32_t generation_;
};

} // namespace Orv::Compound
