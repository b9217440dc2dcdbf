#include "foundation/storage/OrvStorage.h"
#include "foundation/tests/storage/CompoundTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace
{

using namespace CompoundTest;

constexpr uint32_t ClusterBytes = 32768;
constexpr uint32_t MapEntriesPerCluster = 4096;

struct MemoryFile
{
    ComPtr<MemoryLockBytes> store = MemoryLockBytes::Make();
    ComPtr<IStorage> root;

    MemoryFile() { EXPECT_EQ(S_OK, OrvStorage::CreateOnLockBytes(store.Get(), root.Put())); }

    ParsedFile Parsed() const
    {
        ParsedFile parsed = ParseFile(store->Data());
        EXPECT_EQ(L"", parsed.problem);
        return parsed;
    }

    // The file reopened from a copy of its bytes, as another process would find it.
    ComPtr<IStorage> Reopened(HRESULT expected = S_OK) const
    {
        ComPtr<IStorage> reopened;
        EXPECT_EQ(expected, OrvStorage::OpenOnLockBytes(MemoryLockBytes::Make(store->Data()).Get(), reopened.Put()));
        return reopened;
    }
};

bool Disjoint(std::vector<uint32_t> a, std::vector<uint32_t> b)
{
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::vector<uint32_t> common;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(common));
    return common.empty();
}

void PutU32(Bytes& file, size_t offset, uint32_t value)
{
    std::memcpy(file.data() + offset, &value, sizeof(value));
}

size_t ClusterOffset(uint32_t cluster)
{
    return 512 + size_t{cluster - 2} * ClusterBytes;
}

TEST(CompoundFileFormat, FirstCommitWritesOneClusterOfMapAndTheHeaderWithClusterTwoHandedOutFirst)
{
    MemoryFile file;
    NewStream(file.root.Get(), L"First", Pattern(10, 1));
    ASSERT_EQ(S_OK, file.root->Commit(STGC_DEFAULT));

    const ParsedFile parsed = file.Parsed();
    EXPECT_EQ(29u, parsed.version);
    EXPECT_EQ(0u, parsed.activeCopy);
    EXPECT_EQ(MapEntriesPerCluster, parsed.mapCount);
    EXPECT_EQ((std::vector<uint32_t>{2}), parsed.chains.at(L"First"));
    EXPECT_EQ(Pattern(10, 1), parsed.streams.at(L"First"));
    EXPECT_EQ((std::vector<uint32_t>{2, 3, 4}), parsed.usedClusters); // stream, root table, map
    EXPECT_EQ(ClusterOffset(5), file.store->Data().size());
}

TEST(CompoundFileFormat, TransactedCommitsAlternateTheActiveHeaderCopy)
{
    MemoryFile file;
    ComPtr<IStream> stream = NewStream(file.root.Get(), L"Counter", Pattern(100, 2));
    std::vector<uint32_t> activeWords;
    for (unsigned round = 0; round < 4; ++round)
    {
        const Bytes content = Pattern(100 + 50000 * round, round);
        ASSERT_EQ(S_OK, stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
        WriteAll(stream.Get(), content);
        ASSERT_EQ(S_OK, file.root->Commit(STGC_DEFAULT));
        activeWords.push_back(ActiveCopyWord(file.store->Data()));
        EXPECT_EQ(content, file.Parsed().streams.at(L"Counter"));
    }
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 0, 1}), activeWords);
}

TEST(CompoundFileFormat, TemporaryTreeWithNestedStoragesAndA200KBStreamReadsTheSameFromItsBytes)
{
    ComPtr<IStorage> root;
    ASSERT_EQ(S_OK, OrvStorage::CreateFileStorage(Orv::String(), 0, root.Put()));
    {
        ComPtr<IStorage> outer = NewStorage(root.Get(), L"Outer");
        ComPtr<IStorage> inner = NewStorage(outer.Get(), L"Inner");
        NewStream(inner.Get(), L"Big", Pattern(200 * 1024, 3));
        NewStream(outer.Get(), L"Small", Pattern(77, 4));
        NewStream(root.Get(), L"Top", Pattern(5000, 5));
    }
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));

    const ComPtr<IOrvStorage> orv = root.As<IOrvStorage>(IID_IOrvStorage);
    ASSERT_TRUE(orv);
    ComPtr<ILockBytes> lockBytes;
    ASSERT_EQ(0, orv->GetLockBytes(lockBytes.Put()));
    STATSTG stat{};
    ASSERT_EQ(S_OK, lockBytes->Stat(&stat, STATFLAG_NONAME));
    Bytes bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    ASSERT_EQ(S_OK, lockBytes->ReadAt({}, bytes.data(), static_cast<ULONG>(bytes.size()), &read));

    const ParsedFile parsed = ParseFile(bytes);
    ASSERT_EQ(L"", parsed.problem);
    EXPECT_EQ((std::vector<std::wstring>{L"Outer", L"Outer/Inner"}), parsed.storages);
    EXPECT_EQ(Pattern(200 * 1024, 3), parsed.streams.at(L"Outer/Inner/Big"));
    EXPECT_EQ(7u, parsed.chains.at(L"Outer/Inner/Big").size());
    EXPECT_EQ(parsed.streams, ReadTree(root.Get()));
}

TEST(CompoundFileFormat, TableCountAndCheckThatDisagreeAreReportedAsCorrupt)
{
    MemoryFile file;
    {
        ComPtr<IStorage> child = NewStorage(file.root.Get(), L"Child");
        NewStream(child.Get(), L"A", Pattern(10, 6));
        NewStream(child.Get(), L"B", Pattern(10, 7));
        NewStream(child.Get(), L"C", Pattern(10, 8));
    }
    ASSERT_EQ(S_OK, file.root->Commit(STGC_DEFAULT));
    const ParsedFile parsed = file.Parsed();
    const size_t childTable = ClusterOffset(parsed.chains.at(L"Child").front());
    ASSERT_EQ(3u, parsed.streams.size()); // count 3 with check -3 loads

    PutU32(file.store->Data(), childTable + 4, 0u - 4);
    ComPtr<IStorage> reopened = file.Reopened();
    ComPtr<IStorage> child;
    EXPECT_EQ(STG_E_DOCFILECORRUPT, reopened->OpenStorage(L"Child", nullptr, STGM_SHARE_EXCLUSIVE, nullptr, 0, child.Put()));
    EXPECT_EQ(nullptr, child.Get());

    PutU32(file.store->Data(), ClusterOffset(parsed.chains.at(L"").front()) + 4, 12345);
    file.Reopened(STG_E_DOCFILECORRUPT);
}

TEST(CompoundFileFormat, TablesOfMoreThan1024EntriesAreRefused)
{
    MemoryFile file;
    ASSERT_EQ(S_OK, file.root->Commit(STGC_DEFAULT));
    const size_t rootTable = ClusterOffset(file.Parsed().chains.at(L"").front());
    PutU32(file.store->Data(), rootTable, 1025);
    PutU32(file.store->Data(), rootTable + 4, 0u - 1025);
    file.Reopened(STG_E_INSUFFICIENTMEMORY);
}

TEST(CompoundFileFormat, FilesOlderThanVersion22ReadTheirShortEntriesWithoutACount)
{
    MemoryFile file;
    NewStream(file.root.Get(), L"Old", Pattern(100, 17));
    ASSERT_EQ(S_OK, file.root->Commit(STGC_DEFAULT));
    const ParsedFile parsed = file.Parsed();
    Bytes& bytes = file.store->Data();

    // The root table rewritten as one 128-byte entry, the root's length saying how many there are.
    const size_t table = ClusterOffset(parsed.chains.at(L"").front());
    std::fill(bytes.begin() + table, bytes.begin() + table + 160 + 8, 0);
    const std::wstring name = L"Old";
    std::memcpy(bytes.data() + table, name.c_str(), name.size() * 2);
    PutU32(bytes, table + 68, parsed.chains.at(L"Old").front());
    PutU32(bytes, table + 72, 2);
    PutU32(bytes, table + 76, 100);
    PutU32(bytes, table + 80, parsed.chains.at(L"Old").front());
    PutU32(bytes, 128, 21);
    PutU32(bytes, 184 + 160 * parsed.activeCopy + 80, 128);

    ComPtr<IStorage> reopened = file.Reopened();
    ASSERT_TRUE(reopened);
    EXPECT_EQ(Pattern(100, 17), ReadTree(reopened.Get()).at(L"Old"));
}

TEST(CompoundFileTransactions, CommittedBytesStayInTheirClustersAndReleasedClustersWaitForTheCommit)
{
    MemoryFile file;
    ComPtr<IStream> kept = NewStream(file.root.Get(), L"Kept", Pattern(3 * ClusterBytes, 9));
    ComPtr<IStream> cut = NewStream(file.root.Get(), L"Cut", Pattern(3 * ClusterBytes, 10));
    ASSERT_EQ(S_OK, file.root->Commit(STGC_DEFAULT));
    const ParsedFile committed = file.Parsed();

    ASSERT_EQ(S_OK, cut->SetSize(ULARGE_INTEGER{}));
    ASSERT_EQ(S_OK, kept->Seek(LARGE_INTEGER{.QuadPart = 1000}, STREAM_SEEK_SET, nullptr));
    WriteAll(kept.Get(), Pattern(100, 11));
    NewStream(file.root.Get(), L"Fresh", Pattern(4 * ClusterBytes, 12));

    // Until the commit the file still reads as the committed state, bytes and all.
    EXPECT_EQ(committed.streams, file.Parsed().streams);

    ASSERT_EQ(S_OK, file.root->Commit(STGC_DEFAULT));
    const ParsedFile after = file.Parsed();
    EXPECT_TRUE(Disjoint(after.chains.at(L"Fresh"), committed.chains.at(L"Cut")));
    EXPECT_TRUE(Disjoint(after.chains.at(L"Kept"), {committed.chains.at(L"Kept").front()}));
    EXPECT_EQ(0u, after.streams.at(L"Cut").size());

    // Once the commit is on disk the released clusters are handed out again.
    NewStream(file.root.Get(), L"Later", Pattern(3 * ClusterBytes, 13));
    ASSERT_EQ(S_OK, file.root->Commit(STGC_DEFAULT));
    EXPECT_FALSE(Disjoint(file.Parsed().chains.at(L"Later"), committed.chains.at(L"Cut")));
}

TEST(CompoundFileTransactions, ReopenedFileCarriesOnFromItsLastCommittedState)
{
    MemoryFile file;
    NewStream(file.root.Get(), L"One", Pattern(40000, 14));
    ASSERT_EQ(S_OK, file.root->Commit(STGC_DEFAULT));

    ComPtr<MemoryLockBytes> copy = MemoryLockBytes::Make(file.store->Data());
    ComPtr<IStorage> reopened;
    ASSERT_EQ(S_OK, OrvStorage::OpenOnLockBytes(copy.Get(), reopened.Put()));
    ComPtr<IStream> one;
    ASSERT_EQ(S_OK, reopened->OpenStream(L"ONE", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, one.Put()));
    WriteAll(one.Get(), Pattern(10, 15));
    NewStream(reopened.Get(), L"Two", Pattern(70000, 16));
    ASSERT_EQ(S_OK, reopened->Commit(STGC_DEFAULT));

    Bytes expected = Pattern(40000, 14);
    const Bytes head = Pattern(10, 15);
    std::copy(head.begin(), head.end(), expected.begin());
    const ParsedFile parsed = ParseFile(copy->Data());
    ASSERT_EQ(L"", parsed.problem);
    EXPECT_EQ(1u, parsed.activeCopy);
    EXPECT_EQ(expected, parsed.streams.at(L"One"));
    EXPECT_EQ(Pattern(70000, 16), parsed.streams.at(L"Two"));
}

} // namespace
