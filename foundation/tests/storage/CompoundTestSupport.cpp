#include "foundation/tests/storage/CompoundTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>

namespace CompoundTest
{

ComPtr<MemoryLockBytes> MemoryLockBytes::Make(Bytes initial)
{
    auto store = ComPtr<MemoryLockBytes>::Adopt(new MemoryLockBytes());
    store->data_ = std::move(initial);
    return store;
}

HRESULT MemoryLockBytes::QueryInterface(REFIID iid, void** out)
{
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_ILockBytes && iid != IID_IOrvLockBytes)
        return E_NOINTERFACE;
    *out = static_cast<IOrvLockBytes*>(this);
    AddRef();
    return S_OK;
}

ULONG MemoryLockBytes::Release()
{
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT MemoryLockBytes::ReadAt(ULARGE_INTEGER offset, void* buffer, ULONG count, ULONG* read)
{
    ULONG done = 0;
    if (offset.QuadPart < data_.size())
    {
        done = static_cast<ULONG>(std::min<uint64_t>(count, data_.size() - offset.QuadPart));
        std::memcpy(buffer, data_.data() + offset.QuadPart, done);
    }
    if (read)
        *read = done;
    return S_OK;
}

HRESULT MemoryLockBytes::WriteAt(ULARGE_INTEGER offset, const void* buffer, ULONG count, ULONG* written)
{
    if (written)
        *written = 0;
    if (!MayChange())
        return STG_E_WRITEFAULT;
    if (data_.size() < offset.QuadPart + count)
        data_.resize(offset.QuadPart + count);
    std::memcpy(data_.data() + offset.QuadPart, buffer, count);
    if (written)
        *written = count;
    return S_OK;
}

HRESULT MemoryLockBytes::SetSize(ULARGE_INTEGER size)
{
    if (!MayChange())
        return STG_E_WRITEFAULT;
    data_.resize(size.QuadPart);
    return S_OK;
}

HRESULT MemoryLockBytes::QueryPassThrough(void** out)
{
    *out = this;
    return S_OK;
}

HRESULT MemoryLockBytes::Stat(STATSTG* stat, DWORD)
{
    std::memset(stat, 0, sizeof(*stat));
    stat->type = STGTY_LOCKBYTES;
    stat->cbSize.QuadPart = data_.size();
    return S_OK;
}

namespace
{

constexpr size_t HeaderBytes = 512;
constexpr size_t EntryBytes = 160;
constexpr uint32_t FreeBit = 0x80000000u;

class FileReader
{
public:
    FileReader(const Bytes& file, ParsedFile& parsed) : file_(file), parsed_(parsed) {}

    void Parse()
    {
        Require(file_.size() >= HeaderBytes, "header cut short");
        Require(Text(0, 64) == L"Orvandelworks Compound File", "signature");
        parsed_.version = U32(file_, 128);
        Require(U32(file_, 132) == 512 && U32(file_, 136) == 0x20000 && U32(file_, 140) == 0x7FFFFFFF &&
                    U32(file_, 144) == 0,
                "constant header words");
        const uint32_t copy = parsed_.activeCopy = U32(file_, 148);
        Require(copy <= 1, "active copy");
        shift_ = U32(file_, 152);
        Require(shift_ == 15, "cluster shift");
        parsed_.mapCount = U32(file_, 156 + 4 * copy);
        parsed_.mapStart = U32(file_, 172 + 4 * copy);
        Require(parsed_.mapCount + U32(file_, 164 + 4 * copy) == 0, "map count check");
        Require(parsed_.mapCount != 0 && parsed_.mapCount % EntriesPerCluster() == 0, "map count");
        ReadMap();
        const size_t root = 184 + EntryBytes * copy;
        Require(Text(root, 32) == L"OrvRootStorage" && U32(file_, root + 140) == 1, "root entry");
        WalkStorage(Slice(file_, root, EntryBytes), L"");
        auto& used = parsed_.usedClusters;
        std::sort(used.begin(), used.end());
        Require(std::adjacent_find(used.begin(), used.end()) == used.end(), "a cluster is used twice");
    }

private:
    static void Require(bool condition, const char* what)
    {
        if (!condition)
            throw std::runtime_error(what);
    }

    static uint32_t U32(const Bytes& bytes, size_t offset)
    {
        Require(offset + 4 <= bytes.size(), "read past the end");
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | bytes[offset + i];
        return value;
    }

    static uint64_t U64(const Bytes& bytes, size_t offset)
    {
        return U32(bytes, offset) | uint64_t{U32(bytes, offset + 4)} << 32;
    }

    static Bytes Slice(const Bytes& bytes, size_t offset, size_t size)
    {
        Require(offset + size <= bytes.size(), "slice past the end");
        return Bytes(bytes.begin() + static_cast<ptrdiff_t>(offset), bytes.begin() + static_cast<ptrdiff_t>(offset + size));
    }

    static std::wstring TextOf(const Bytes& bytes, size_t offset, size_t units)
    {
        std::wstring text;
        for (size_t i = 0; i < units; ++i)
        {
            const auto unit = static_cast<wchar_t>(bytes[offset + 2 * i] | bytes[offset + 2 * i + 1] << 8);
            if (unit == 0)
                break;
            text += unit;
        }
        return text;
    }

    std::wstring Text(size_t offset, size_t units) const { return TextOf(file_, offset, units); }
    uint32_t ClusterSize() const { return 1u << shift_; }
    uint32_t EntriesPerCluster() const { return ClusterSize() / 8; }
    size_t ClusterOffset(uint32_t cluster) const { return HeaderBytes + (size_t{cluster} - 2) * ClusterSize(); }

    void ReadMap()
    {
        const Bytes image = Slice(file_, ClusterOffset(parsed_.mapStart), size_t{parsed_.mapCount} * 8);
        for (uint32_t n = 0; n < parsed_.mapCount; ++n)
        {
            parsed_.mapNext.push_back(U32(image, 8 * n));
            parsed_.mapBack.push_back(U32(image, 8 * n + 4));
        }
        const uint32_t clusters = parsed_.mapCount / EntriesPerCluster();
        for (uint32_t i = 0; i < clusters; ++i)
        {
            const uint32_t n = parsed_.mapStart + i;
            Require(parsed_.mapNext[n] == (i + 1 < clusters ? n + 1 : 0), "map run next link");
            Require(parsed_.mapBack[n] == (i == 0 ? 0 : n - 1), "map run back link");
            parsed_.usedClusters.push_back(n);
        }
    }

    Bytes ReadChain(const Bytes& entry, const std::wstring& path)
    {
        const uint32_t start = U32(entry, 72);
        const uint64_t end = U64(entry, 80);
        Require(U64(entry, 64) == 0, "start offset");
        Bytes content;
        uint32_t previous = 0;
        for (uint32_t cluster = start; content.size() < end; cluster = parsed_.mapNext[cluster])
        {
            Require(cluster >= 2 && cluster < parsed_.mapCount, "chain leaves the map");
            Require(parsed_.mapBack[cluster] == previous, "chain back link");
            parsed_.usedClusters.push_back(cluster);
            parsed_.chains[path].push_back(cluster);
            const size_t piece = static_cast<size_t>(std::min<uint64_t>(ClusterSize(), end - content.size()));
            const Bytes bytes = Slice(file_, ClusterOffset(cluster), piece);
            content.insert(content.end(), bytes.begin(), bytes.end());
            previous = cluster;
        }
        return content;
    }

    void WalkStorage(const Bytes& entry, const std::wstring& path)
    {
        const Bytes table = ReadChain(entry, path);
        if (table.empty())
            return;
        const uint32_t count = U32(table, 0);
        Require(count + U32(table, 4) == 0, "table count check");
        for (uint32_t i = 0; i < count; ++i)
        {
            const Bytes child = Slice(table, 8 + EntryBytes * i, EntryBytes);
            const std::wstring name = TextOf(child, 0, 32);
            const std::wstring childPath = path.empty() ? name : path + L"/" + name;
            const uint32_t type = U32(child, 140);
            Require(type == 1 || type == 2, "element type");
            parsed_.entries[childPath] = child;
            if (type == 2)
                parsed_.streams[childPath] = ReadChain(child, childPath);
            else
            {
                parsed_.storages.push_back(childPath);
                WalkStorage(child, childPath);
            }
        }
    }

    const Bytes& file_;
    ParsedFile& parsed_;
    uint32_t shift_ = 0;
};

void ReadTreeInto(IStorage* storage, const std::wstring& path, std::map<std::wstring, Bytes>& tree)
{
    ComPtr<IEnumSTATSTG> elements;
    ASSERT_EQ(S_OK, storage->EnumElements(0, nullptr, 0, elements.Put()));
    STATSTG stat{};
    while (elements->Next(1, &stat, nullptr) == S_OK)
    {
        const std::wstring name = stat.pwcsName;
        CoTaskMemFree(stat.pwcsName);
        const std::wstring childPath = path.empty() ? name : path + L"/" + name;
        if (stat.type == STGTY_STREAM)
        {
            ComPtr<IStream> stream;
            ASSERT_EQ(S_OK, storage->OpenStream(name.c_str(), nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, stream.Put()));
            tree[childPath] = ReadAll(stream.Get());
        }
        else
        {
            ComPtr<IStorage> child;
            ASSERT_EQ(S_OK, storage->OpenStorage(name.c_str(), nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, nullptr, 0, child.Put()));
            ReadTreeInto(child.Get(), childPath, tree);
        }
    }
}

} // namespace

ParsedFile ParseFile(const Bytes& file)
{
    ParsedFile parsed;
    try
    {
        FileReader(file, parsed).Parse();
    }
    catch (const std::exception& error)
    {
        const std::string what = error.what();
        parsed.problem.assign(what.begin(), what.end());
    }
    return parsed;
}

std::vector<uint32_t> ReleasedClusters(const ParsedFile& parsed)
{
    std::vector<uint32_t> released;
    for (uint32_t n = parsed.mapNext.at(1); n != 0 && released.size() < parsed.mapCount; n = parsed.mapNext.at(n))
        released.push_back(n);
    return released;
}

std::map<std::wstring, Bytes> ReadTree(IStorage* storage)
{
    std::map<std::wstring, Bytes> tree;
    ReadTreeInto(storage, L"", tree);
    return tree;
}

Bytes Pattern(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& byte : bytes)
        byte = static_cast<uint8_t>(random());
    return bytes;
}

void WriteAll(IStream* stream, const Bytes& bytes)
{
    ULONG written = 0;
    ASSERT_EQ(S_OK, stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    ASSERT_EQ(bytes.size(), written);
}

Bytes ReadAll(IStream* stream)
{
    STATSTG stat{};
    EXPECT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(S_OK, stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    Bytes bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    EXPECT_EQ(S_OK, stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read));
    bytes.resize(read);
    return bytes;
}

ComPtr<IStream> NewStream(IStorage* storage, const wchar_t* name, const Bytes& bytes)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(S_OK, storage->CreateStream(name, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, 0, stream.Put()));
    if (stream)
        WriteAll(stream.Get(), bytes);
    return stream;
}

ComPtr<IStorage> NewStorage(IStorage* storage, const wchar_t* name)
{
    ComPtr<IStorage> child;
    EXPECT_EQ(S_OK, storage->CreateStorage(name, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, 0, child.Put()));
    return child;
}

uint32_t ActiveCopyWord(const Bytes& file)
{
    uint32_t word = 0;
    if (file.size() >= 152)
        std::memcpy(&word, file.data() + 148, sizeof(word));
    return word;
}

} // namespace CompoundTest
