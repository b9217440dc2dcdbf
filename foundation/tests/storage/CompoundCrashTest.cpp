// The compound file must survive a crash at any point, and must read damaged files without harm.
#include "foundation/storage/OrvStorage.h"
#include "foundation/tests/storage/CompoundTestSupport.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>

namespace
{

using namespace CompoundTest;

constexpr DWORD OpenMode = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr unsigned DamagedFileCount = 5000;
constexpr unsigned DamageSeed = 20261207;
constexpr unsigned WalkDepthLimit = 6;
constexpr unsigned WalkOpenLimit = 400;
constexpr ULONG WalkReadLimit = 1u << 20;
constexpr SIZE_T PeakMemoryLimit = SIZE_T{512} << 20;

// What the crash scenarios do, with every result ignored: a cut store fails them part of the way.
void PutStream(IStorage* storage, const wchar_t* name, const Bytes& bytes)
{
    ComPtr<IStream> stream;
    if (SUCCEEDED(storage->CreateStream(name, OpenMode, 0, 0, stream.Put())))
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
}

void WriteAt(IStream* stream, int64_t offset, DWORD origin, const Bytes& bytes)
{
    if (stream && SUCCEEDED(stream->Seek(LARGE_INTEGER{.QuadPart = offset}, origin, nullptr)))
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
}

void BuildFirstState(IStorage* root)
{
    ComPtr<IStorage> nested;
    if (SUCCEEDED(root->CreateStorage(L"Nested", OpenMode, 0, 0, nested.Put())))
    {
        PutStream(nested.Get(), L"Data", Pattern(80000, 1));
        ComPtr<IStorage> deeper;
        if (SUCCEEDED(nested->CreateStorage(L"Deeper", OpenMode, 0, 0, deeper.Put())))
            PutStream(deeper.Get(), L"Leaf", Pattern(100, 2));
    }
    PutStream(root, L"Top", Pattern(1000, 3));
    PutStream(root, L"Gone", Pattern(40000, 4));
    root->Commit(STGC_DEFAULT);
}

// Copy on write inside and after the first cluster, a cut followed by a write into bytes the cut gave
// up, growth, a new stream and two removals; the nested storage stays open over the commit.
void ChangeToSecondState(IStorage* root)
{
    ComPtr<IStorage> nested;
    root->OpenStorage(L"Nested", nullptr, OpenMode, nullptr, 0, nested.Put());
    if (nested)
    {
        ComPtr<IStream> data;
        nested->OpenStream(L"Data", nullptr, OpenMode, 0, data.Put());
        WriteAt(data.Get(), 40000, STREAM_SEEK_SET, Pattern(5000, 5));
        if (data)
            data->SetSize(ULARGE_INTEGER{.QuadPart = 30000});
        WriteAt(data.Get(), 30000, STREAM_SEEK_SET, Pattern(1000, 6));
        nested->DestroyElement(L"Deeper");
    }
    ComPtr<IStream> top;
    root->OpenStream(L"Top", nullptr, OpenMode, 0, top.Put());
    WriteAt(top.Get(), 0, STREAM_SEEK_END, Pattern(40000, 7));
    top.Reset();
    PutStream(root, L"New", Pattern(50000, 8));
    root->DestroyElement(L"Gone");
    root->Commit(STGC_DEFAULT);
}

struct State
{
    std::map<std::wstring, Bytes> streams;
    std::vector<std::wstring> storages;
    bool operator==(const State&) const = default;
};

State StateOf(const ParsedFile& parsed)
{
    return {parsed.streams, parsed.storages};
}

// Runs the scenario on a fresh store; cutAt counts the store's changes from the start of the given step.
template <class Cut>
Bytes RunScenario(Cut&& cut)
{
    ComPtr<MemoryLockBytes> store = MemoryLockBytes::Make();
    {
        ComPtr<IStorage> root;
        if (SUCCEEDED(OrvStorage::CreateOnLockBytes(store.Get(), root.Put())))
            cut(*store.Get(), root.Get());
    }
    return store->Data();
}

Bytes SecondStateFile()
{
    return RunScenario([](MemoryLockBytes&, IStorage* root) {
        BuildFirstState(root);
        ChangeToSecondState(root);
    });
}

// Checks that the bytes hold one of the states, both for the test's own reader and for a reopened storage.
void ExpectOneOf(const Bytes& file, const std::vector<State>& states, std::vector<unsigned>& seen, unsigned cut)
{
    const ParsedFile parsed = ParseFile(file);
    ASSERT_EQ(L"", parsed.problem) << "cut after " << cut;
    const auto found = std::find(states.begin(), states.end(), StateOf(parsed));
    ASSERT_NE(states.end(), found) << "cut after " << cut;
    ++seen[static_cast<size_t>(found - states.begin())];

    ComPtr<IStorage> reopened;
    ASSERT_EQ(S_OK, OrvStorage::OpenOnLockBytes(MemoryLockBytes::Make(file).Get(), reopened.Put())) << cut;
    EXPECT_EQ(parsed.streams, ReadTree(reopened.Get())) << "cut after " << cut;
}

TEST(CompoundCrashSafety, ACutAtAnyWriteOfACommitLeavesTheOldOrTheNewStateNeverAMix)
{
    unsigned changesOfFirstState = 0;
    unsigned changesInAll = 0;
    const Bytes first = RunScenario([&](MemoryLockBytes& store, IStorage* root) {
        BuildFirstState(root);
        changesOfFirstState = store.Changes();
    });
    const Bytes second = RunScenario([&](MemoryLockBytes& store, IStorage* root) {
        BuildFirstState(root);
        ChangeToSecondState(root);
        changesInAll = store.Changes();
    });
    const State oldState = StateOf(ParseFile(first));
    const State newState = StateOf(ParseFile(second));
    ASSERT_EQ(Pattern(80000, 1), oldState.streams.at(L"Nested/Data"));
    ASSERT_EQ(30000u + 1000u, newState.streams.at(L"Nested/Data").size());
    ASSERT_NE(oldState, newState);

    std::vector<unsigned> seen(2);
    for (unsigned cut = 0; cut <= changesInAll - changesOfFirstState + 1; ++cut)
    {
        const Bytes file = RunScenario([cut](MemoryLockBytes& store, IStorage* root) {
            BuildFirstState(root);
            store.StopAfter(cut);
            ChangeToSecondState(root);
        });
        ExpectOneOf(file, {oldState, newState}, seen, cut);
    }
    EXPECT_GT(seen[0], 0u);
    EXPECT_GT(seen[1], 0u);
}

TEST(CompoundCrashSafety, ACutWhileTheFileIsFirstWrittenLeavesItCorruptOrWhole)
{
    unsigned changesOfFirstState = 0;
    const Bytes first = RunScenario([&](MemoryLockBytes& store, IStorage* root) {
        BuildFirstState(root);
        changesOfFirstState = store.Changes();
    });
    const State whole = StateOf(ParseFile(first));
    unsigned corrupt = 0;
    for (unsigned cut = 0; cut <= changesOfFirstState; ++cut)
    {
        const Bytes file = RunScenario([cut](MemoryLockBytes& store, IStorage* root) {
            store.StopAfter(cut);
            BuildFirstState(root);
        });
        ComPtr<IStorage> reopened;
        const HRESULT result = OrvStorage::OpenOnLockBytes(MemoryLockBytes::Make(file).Get(), reopened.Put());
        if (result == STG_E_DOCFILECORRUPT)
            ++corrupt;
        else
        {
            ASSERT_EQ(S_OK, result) << "cut after " << cut;
            EXPECT_EQ(whole.streams, ReadTree(reopened.Get())) << "cut after " << cut;
        }
    }
    EXPECT_GT(corrupt, 0u);
}

// Damage aimed where a reader trusts the file most: header, map and tables.
class Damager
{
public:
    explicit Damager(const Bytes& file) : size_(file.size())
    {
        const ParsedFile parsed = ParseFile(file);
        areas_.push_back({0, 512});
        areas_.push_back({ClusterOffset(parsed.mapStart), size_t{parsed.mapCount} * 8});
        for (const auto& [path, chain] : parsed.chains)
        {
            if (!parsed.streams.count(path))
                areas_.push_back({ClusterOffset(chain.front()), 8 + 160 * 8});
        }
    }

    void Damage(Bytes& file, std::mt19937& random) const
    {
        switch (random() % 4)
        {
        case 0:
            for (unsigned n = 1 + random() % 8; n != 0; --n)
                file[random() % file.size()] = static_cast<uint8_t>(random());
            break;
        case 1:
            for (unsigned n = 1 + random() % 4; n != 0; --n)
                PutWord(file, random);
            break;
        case 2:
            file.resize(random() % file.size());
            break;
        default:
            for (unsigned n = 1 + random() % 3; n != 0; --n)
                file[random() % 512] ^= static_cast<uint8_t>(1u << random() % 8);
        }
    }

private:
    struct Area
    {
        size_t offset;
        size_t size;
    };

    static size_t ClusterOffset(uint32_t cluster) { return 512 + size_t{cluster - 2} * 32768; }

    void PutWord(Bytes& file, std::mt19937& random) const
    {
        const Area& area = areas_[random() % areas_.size()];
        const size_t at = std::min(area.offset + (random() % (area.size / 4)) * 4, size_ - 4);
        uint32_t value = 0;
        std::memcpy(&value, file.data() + at, 4);
        const std::array<uint32_t, 8> values = {0, 1, 2, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, value + 1, value - 1};
        value = random() % 3 == 0 ? static_cast<uint32_t>(random()) : values[random() % values.size()];
        std::memcpy(file.data() + at, &value, 4);
    }

    size_t size_;
    std::vector<Area> areas_;
};

void Walk(IStorage* storage, unsigned depth, unsigned& opensLeft)
{
    ComPtr<IEnumSTATSTG> elements;
    if (depth > WalkDepthLimit || FAILED(storage->EnumElements(0, nullptr, 0, elements.Put())))
        return;
    STATSTG stat{};
    while (opensLeft != 0 && elements->Next(1, &stat, nullptr) == S_OK)
    {
        --opensLeft;
        if (stat.type == STGTY_STREAM)
        {
            ComPtr<IStream> stream;
            if (SUCCEEDED(storage->OpenStream(stat.pwcsName, nullptr, OpenMode, 0, stream.Put())))
            {
                std::vector<uint8_t> buffer(65536);
                ULONG read = 0;
                for (ULONG total = 0; total < WalkReadLimit; total += read)
                {
                    if (stream->Read(buffer.data(), static_cast<ULONG>(buffer.size()), &read) != S_OK || read == 0)
                        break;
                }
            }
        }
        else
        {
            ComPtr<IStorage> child;
            if (SUCCEEDED(storage->OpenStorage(stat.pwcsName, nullptr, OpenMode, nullptr, 0, child.Put())))
                Walk(child.Get(), depth + 1, opensLeft);
        }
        CoTaskMemFree(stat.pwcsName);
    }
}

TEST(CompoundDamagedFiles, FiveThousandDamagedFilesAreOpenedAndWalkedWithoutHarm)
{
    const Bytes original = SecondStateFile();
    const Damager damager(original);
    std::mt19937 random(DamageSeed);
    unsigned opened = 0;
    unsigned refused = 0;
    for (unsigned i = 0; i < DamagedFileCount; ++i)
    {
        Bytes file = original;
        damager.Damage(file, random);
        ComPtr<IStorage> root;
        const HRESULT result = OrvStorage::OpenOnLockBytes(MemoryLockBytes::Make(std::move(file)).Get(), root.Put());
        if (FAILED(result))
        {
            ++refused;
            EXPECT_EQ(nullptr, root.Get());
            continue;
        }
        ++opened;
        unsigned opensLeft = WalkOpenLimit;
        Walk(root.Get(), 0, opensLeft);
    }
    EXPECT_GT(opened, 0u);
    EXPECT_GT(refused, 0u);

    PROCESS_MEMORY_COUNTERS memory{};
    ASSERT_TRUE(K32GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory)));
    EXPECT_LT(memory.PeakPagefileUsage, PeakMemoryLimit);
}

} // namespace
