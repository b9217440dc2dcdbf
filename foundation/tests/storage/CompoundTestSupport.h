// What the compound-file tests share: a byte store in memory that can be cut after a number of writes, a
// reader of the file's bytes that knows the format from its offsets alone, and small stream helpers.
#pragma once

#include "foundation/com/ComPtr.h"
#include "foundation/storage/OrvStorageInterfaces.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace CompoundTest
{

using Orv::ComPtr;
using Bytes = std::vector<uint8_t>;

// An ILockBytes over a byte vector. After WritesLeft changes (writes or size changes) every further change
// fails without touching the bytes, as if the machine had stopped there.
class MemoryLockBytes final : public IOrvLockBytes
{
public:
    static ComPtr<MemoryLockBytes> Make(Bytes initial = {});

    Bytes& Data() { return data_; }
    unsigned Changes() const { return changes_; }
    void StopAfter(unsigned changes) { limit_ = changes_ + changes; }
    // Whether the store answers with a memory view of its bytes.
    void OfferView(bool offer) { offerView_ = offer; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE ReadAt(ULARGE_INTEGER offset, void* buffer, ULONG count, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE WriteAt(ULARGE_INTEGER offset, const void* buffer, ULONG count, ULONG* written) override;
    HRESULT STDMETHODCALLTYPE Flush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flag) override;
    void* STDMETHODCALLTYPE MemoryView() override { return offerView_ ? data_.data() : nullptr; }
    HRESULT STDMETHODCALLTYPE QueryPassThrough(void** out) override;
    ULONG_PTR STDMETHODCALLTYPE PassThrough(ULONG_PTR argument) override { return argument + 1; }

private:
    MemoryLockBytes() = default;
    bool MayChange() { return changes_ < limit_ && ++changes_ != 0; }

    Bytes data_;
    unsigned changes_ = 0;
    unsigned limit_ = ~0u;
    ULONG references_ = 1;
    bool offerView_ = false;
};

// The file as its bytes say, read without the storage code: every path of the tree ("a/b") with the bytes
// of each stream; storages map to an empty value and are listed in Storages.
struct ParsedFile
{
    uint32_t activeCopy = 0;
    uint32_t version = 0;
    uint32_t mapCount = 0;
    uint32_t mapStart = 0;
    std::vector<uint32_t> mapNext;
    std::vector<uint32_t> mapBack;
    std::map<std::wstring, Bytes> streams;
    std::vector<std::wstring> storages;
    // The 160 bytes of every element's entry, by path.
    std::map<std::wstring, Bytes> entries;
    // The clusters of every element's chain in order, by path; the root's table under L"".
    std::map<std::wstring, std::vector<uint32_t>> chains;
    // Clusters held by some element or by the map; each must be used once only.
    std::vector<uint32_t> usedClusters;
    std::wstring problem; // empty when the file reads as a whole
};

ParsedFile ParseFile(const Bytes& file);
// The clusters on the list of those released by the transaction the file's state ends.
std::vector<uint32_t> ReleasedClusters(const ParsedFile& parsed);

// Reads a whole tree through IStorage, with the same shape as ParsedFile.
std::map<std::wstring, Bytes> ReadTree(IStorage* storage);

Bytes Pattern(size_t size, unsigned seed);
void WriteAll(IStream* stream, const Bytes& bytes);
Bytes ReadAll(IStream* stream);
ComPtr<IStream> NewStream(IStorage* storage, const wchar_t* name, const Bytes& bytes);
ComPtr<IStorage> NewStorage(IStorage* storage, const wchar_t* name);
uint32_t ActiveCopyWord(const Bytes& file);

} // namespace CompoundTest
