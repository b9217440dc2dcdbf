#include "foundation/storage/CompoundFormat.h"
#include "foundation/storage/FileLockBytes.h"
#include "foundation/storage/OrvStorage.h"
#include "foundation/tests/storage/CompoundTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <thread>

namespace
{

using namespace CompoundTest;

constexpr uint32_t ClusterBytes = 32768;
constexpr DWORD OpenMode = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

class CompoundStorage : public testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(S_OK, OrvStorage::CreateOnLockBytes(store.Get(), root.Put())); }

    ComPtr<IStream> Open(const wchar_t* name, IStorage* in = nullptr)
    {
        ComPtr<IStream> stream;
        EXPECT_EQ(S_OK, (in ? in : root.Get())->OpenStream(name, nullptr, OpenMode, 0, stream.Put()));
        return stream;
    }

    std::map<std::wstring, Bytes> ReopenedTree()
    {
        ComPtr<IStorage> reopened;
        EXPECT_EQ(S_OK, OrvStorage::OpenOnLockBytes(MemoryLockBytes::Make(store->Data()).Get(), reopened.Put()));
        return reopened ? ReadTree(reopened.Get()) : std::map<std::wstring, Bytes>{};
    }

    ComPtr<MemoryLockBytes> store = MemoryLockBytes::Make();
    ComPtr<IStorage> root;
};

uint64_t SizeOf(IStream* stream)
{
    STATSTG stat{};
    EXPECT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    return stat.cbSize.QuadPart;
}

TEST_F(CompoundStorage, NamesIgnoreCaseAndATypeMayShareANameWithTheOther)
{
    NewStream(root.Get(), L"DATA", Pattern(5, 1));
    EXPECT_EQ(Pattern(5, 1), ReadAll(Open(L"Data").Get()));

    ComPtr<IStream> again;
    EXPECT_EQ(STG_E_FILEALREADYEXISTS, root->CreateStream(L"data", OpenMode, 0, 0, again.Put()));
    EXPECT_EQ(nullptr, again.Get());
    NewStorage(root.Get(), L"Data");

    const std::wstring longest(31, L'n');
    NewStream(root.Get(), longest.c_str(), Pattern(3, 2));
    EXPECT_EQ(Pattern(3, 2), ReadAll(Open(longest.c_str()).Get()));
    EXPECT_EQ(STG_E_INVALIDNAME, root->CreateStream((longest + L"x").c_str(), OpenMode, 0, 0, again.Put()));
    EXPECT_EQ(STG_E_FILENOTFOUND, root->OpenStream(L"Missing", nullptr, OpenMode, 0, again.Put()));
}

TEST_F(CompoundStorage, CreateWithStgmCreateReplacesTheElementOfThatTypeOnly)
{
    NewStream(root.Get(), L"Twin", Pattern(100, 3));
    {
        ComPtr<IStorage> twin = NewStorage(root.Get(), L"Twin");
        NewStream(twin.Get(), L"Inside", Pattern(10, 4));
    }
    ComPtr<IStream> replaced;
    ASSERT_EQ(S_OK, root->CreateStream(L"twin", STGM_CREATE | OpenMode, 0, 0, replaced.Put()));
    EXPECT_EQ(0u, SizeOf(replaced.Get()));
    replaced.Reset();
    const auto tree = ReadTree(root.Get());
    EXPECT_EQ(Pattern(10, 4), tree.at(L"Twin/Inside"));
    EXPECT_EQ(0u, tree.at(L"twin").size());
}

TEST_F(CompoundStorage, SeekingPastTheEndLengthensAndReadingAtTheEndGivesNothing)
{
    ComPtr<IStream> stream = NewStream(root.Get(), L"Empty", {});
    ULARGE_INTEGER position{};
    ASSERT_EQ(S_OK, stream->Seek(LARGE_INTEGER{.QuadPart = 100}, STREAM_SEEK_END, &position));
    EXPECT_EQ(100u, position.QuadPart);
    EXPECT_EQ(100u, SizeOf(stream.Get()));

    char byte = 0;
    ULONG read = 99;
    EXPECT_EQ(S_OK, stream->Read(&byte, 1, &read));
    EXPECT_EQ(0u, read);
    EXPECT_EQ(STG_E_INVALIDPOINTER, stream->Seek(LARGE_INTEGER{.QuadPart = -101}, STREAM_SEEK_CUR, nullptr));
    EXPECT_EQ(STG_E_INVALIDFUNCTION, stream->Seek(LARGE_INTEGER{}, 3, nullptr));
}

TEST_F(CompoundStorage, StreamsCrossClusterBoundariesBothWays)
{
    const Bytes content = Pattern(3 * ClusterBytes + 17, 5);
    ComPtr<IStream> stream = NewStream(root.Get(), L"Wide", content);
    for (const int64_t at : {int64_t{ClusterBytes} - 3, int64_t{2} * ClusterBytes, int64_t{5}, int64_t{ClusterBytes}})
    {
        ASSERT_EQ(S_OK, stream->Seek(LARGE_INTEGER{.QuadPart = at}, STREAM_SEEK_SET, nullptr));
        Bytes piece(10);
        ULONG read = 0;
        ASSERT_EQ(S_OK, stream->Read(piece.data(), 10, &read));
        EXPECT_EQ(Bytes(content.begin() + at, content.begin() + at + 10), piece) << at;
    }
    ASSERT_EQ(S_OK, stream->SetSize(ULARGE_INTEGER{.QuadPart = ClusterBytes}));
    EXPECT_EQ(Bytes(content.begin(), content.begin() + ClusterBytes), ReadAll(stream.Get()));
    WriteAll(stream.Get(), Pattern(40, 6));
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));
    Bytes expected(content.begin(), content.begin() + ClusterBytes);
    const Bytes tail = Pattern(40, 6);
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(expected, ReopenedTree().at(L"Wide"));
}

TEST_F(CompoundStorage, ElementsInUseCannotBeDestroyedOrReplacedUntilReleased)
{
    ComPtr<IStream> stream = NewStream(root.Get(), L"Busy", Pattern(10, 7));
    ComPtr<IStream> clone;
    ASSERT_EQ(S_OK, stream->Clone(clone.Put()));
    ComPtr<IStorage> storage = NewStorage(root.Get(), L"Folder");

    ComPtr<IStream> replacement;
    EXPECT_EQ(STG_E_ACCESSDENIED, root->DestroyElement(L"Busy"));
    EXPECT_EQ(STG_E_ACCESSDENIED, root->CreateStream(L"Busy", STGM_CREATE | OpenMode, 0, 0, replacement.Put()));
    EXPECT_EQ(STG_E_ACCESSDENIED, root->DestroyElement(L"Folder"));
    stream.Reset();
    EXPECT_EQ(STG_E_ACCESSDENIED, root->DestroyElement(L"Busy"));
    EXPECT_EQ(Pattern(10, 7), ReadAll(clone.Get()));

    clone.Reset();
    storage.Reset();
    EXPECT_EQ(S_OK, root->DestroyElement(L"Busy"));
    EXPECT_EQ(S_OK, root->DestroyElement(L"Folder"));
    EXPECT_TRUE(ReadTree(root.Get()).empty());
}

TEST_F(CompoundStorage, OpeningAStorageThatIsOpenSharesItsElements)
{
    ComPtr<IStorage> first = NewStorage(root.Get(), L"Shared");
    ComPtr<IStorage> second;
    ASSERT_EQ(S_OK, root->OpenStorage(L"shared", nullptr, OpenMode, nullptr, 0, second.Put()));
    NewStream(first.Get(), L"FromFirst", Pattern(10, 22));
    NewStream(second.Get(), L"FromSecond", Pattern(20, 23));
    first.Reset();
    second.Reset();
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));

    const auto tree = ReopenedTree();
    EXPECT_EQ(Pattern(10, 22), tree.at(L"Shared/FromFirst"));
    EXPECT_EQ(Pattern(20, 23), tree.at(L"Shared/FromSecond"));
}

TEST_F(CompoundStorage, EnumeratorsListTheTableAsItWasWhenTheyWereMade)
{
    NewStream(root.Get(), L"One", Pattern(3, 24));
    NewStorage(root.Get(), L"Two");
    ComPtr<IEnumSTATSTG> elements;
    ASSERT_EQ(S_OK, root->EnumElements(0, nullptr, 0, elements.Put()));
    NewStream(root.Get(), L"Three", {});

    STATSTG stats[3]{};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, elements->Next(3, stats, &fetched));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(std::wstring(L"One"), stats[0].pwcsName);
    EXPECT_EQ(3u, stats[0].cbSize.QuadPart);
    EXPECT_EQ(static_cast<DWORD>(STGTY_STORAGE), stats[1].type);
    EXPECT_EQ(S_FALSE, elements->Skip(1));
    for (ULONG i = 0; i < fetched; ++i)
        CoTaskMemFree(stats[i].pwcsName);
}

// An enumerator is a COM object like any other: it answers its identity and its own interface.
TEST_F(CompoundStorage, EnumeratorAnswersItsIdentityAndItsInterfaceOnly)
{
    ComPtr<IEnumSTATSTG> elements;
    ASSERT_EQ(S_OK, root->EnumElements(0, nullptr, 0, elements.Put()));
    const struct
    {
        const IID* iid;
        HRESULT answer;
    } cases[] = {{&IID_IUnknown, S_OK}, {&IID_IEnumSTATSTG, S_OK}, {&IID_IStream, E_NOINTERFACE}};
    for (const auto& c : cases)
    {
        void* face = &elements;
        EXPECT_EQ(c.answer, elements->QueryInterface(*c.iid, &face));
        EXPECT_EQ(c.answer == S_OK ? static_cast<void*>(elements.Get()) : nullptr, face);
        if (face)
            static_cast<IUnknown*>(face)->Release();
    }
}

TEST_F(CompoundStorage, DestroyingAStorageRemovesItsChildrenAndGivesTheirClustersBack)
{
    {
        ComPtr<IStorage> outer = NewStorage(root.Get(), L"Outer");
        ComPtr<IStorage> inner = NewStorage(outer.Get(), L"Inner");
        NewStream(inner.Get(), L"Deep", Pattern(2 * ClusterBytes, 8));
        NewStream(outer.Get(), L"Shallow", Pattern(100, 9));
    }
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));
    ASSERT_EQ(S_OK, root->DestroyElement(L"Outer"));
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));

    const ParsedFile parsed = ParseFile(store->Data());
    ASSERT_EQ(L"", parsed.problem);
    EXPECT_TRUE(parsed.streams.empty() && parsed.storages.empty());
    const std::vector<uint32_t> released = ReleasedClusters(parsed);
    for (uint32_t n = 2; n < parsed.mapCount; ++n)
    {
        const bool held = std::find(parsed.usedClusters.begin(), parsed.usedClusters.end(), n) != parsed.usedClusters.end();
        const bool formerMap = parsed.mapNext[n] == 0 && parsed.mapBack[n] == 0; // the other header copy's map run
        const bool waiting = std::find(released.begin(), released.end(), n) != released.end();
        EXPECT_TRUE(held || formerMap || waiting || (parsed.mapBack[n] & 0x80000000u) != 0) << n;
    }
    EXPECT_GE(released.size(), 5u); // two tables and three stream clusters at least
}

TEST_F(CompoundStorage, CommitWritesChangesThatLeaveTheEntryAlone)
{
    NewStream(root.Get(), L"Fixed", Pattern(3 * ClusterBytes, 10));
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));
    const uint32_t middleCluster = ParseFile(store->Data()).chains.at(L"Fixed").at(1);

    // Only the middle cluster changes: neither the length nor the first or last cluster moves.
    ComPtr<IStream> fixed = Open(L"Fixed");
    ASSERT_EQ(S_OK, fixed->Seek(LARGE_INTEGER{.QuadPart = ClusterBytes + 100}, STREAM_SEEK_SET, nullptr));
    WriteAll(fixed.Get(), Pattern(1000, 11));
    fixed.Reset();
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));

    Bytes expected = Pattern(3 * ClusterBytes, 10);
    const Bytes middle = Pattern(1000, 11);
    std::copy(middle.begin(), middle.end(), expected.begin() + ClusterBytes + 100);
    EXPECT_EQ(expected, ReopenedTree().at(L"Fixed"));

    const ParsedFile parsed = ParseFile(store->Data());
    EXPECT_NE(middleCluster, parsed.chains.at(L"Fixed").at(1));
    const std::vector<uint32_t> released = ReleasedClusters(parsed); // freed in memory, and by whoever opens the file
    EXPECT_NE(released.end(), std::find(released.begin(), released.end(), middleCluster));
}

TEST_F(CompoundStorage, RootCommitTakesAlongWhatOpenChildStoragesHold)
{
    ComPtr<IStorage> child = NewStorage(root.Get(), L"Child");
    ComPtr<IStream> stream = NewStream(child.Get(), L"Log", Pattern(1000, 12));
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));
    EXPECT_EQ(Pattern(1000, 12), ReopenedTree().at(L"Child/Log"));

    WriteAll(stream.Get(), Pattern(ClusterBytes, 13));
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));
    EXPECT_EQ(1000u + ClusterBytes, ReopenedTree().at(L"Child/Log").size());
}

TEST_F(CompoundStorage, FailuresOfTheByteStoreDuringCommitAreReturnedAndTheOldStateStays)
{
    NewStream(root.Get(), L"Safe", Pattern(500, 14));
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));

    NewStream(root.Get(), L"Lost", Pattern(500, 15));
    store->StopAfter(1);
    EXPECT_EQ(STG_E_WRITEFAULT, root->Commit(STGC_DEFAULT));
    root.Reset(); // the final release commits again and fails the same way, without throwing

    const auto tree = ReopenedTree();
    EXPECT_EQ(1u, tree.size());
    EXPECT_EQ(Pattern(500, 14), tree.at(L"Safe"));
}

FILETIME TimeOf(const Bytes& entry, size_t offset)
{
    FILETIME time{};
    std::memcpy(&time, entry.data() + offset, sizeof time);
    return time;
}

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

TEST_F(CompoundStorage, RenamesTimesAndClassIdsReachTheFileAtCommit)
{
    NewStream(root.Get(), L"Old", Pattern(300, 30));
    {
        ComPtr<IStorage> box = NewStorage(root.Get(), L"Box");
        NewStream(box.Get(), L"Inner", Pattern(7, 31));
        const CLSID boxClass = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
        ASSERT_EQ(S_OK, box->SetClass(boxClass));
    }
    EXPECT_EQ(STG_E_FILEALREADYEXISTS, root->RenameElement(L"old", L"BOX"));
    EXPECT_EQ(STG_E_FILENOTFOUND, root->RenameElement(L"Missing", L"Other"));
    ASSERT_EQ(S_OK, root->RenameElement(L"old", L"New"));

    const FILETIME created = {11, 1}, accessed = {22, 2}, modified = {33, 3};
    EXPECT_EQ(STG_E_FILENOTFOUND, root->SetElementTimes(L"Old", &created, &accessed, &modified));
    ASSERT_EQ(S_OK, root->SetElementTimes(L"NEW", &created, &accessed, &modified));
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));

    const ParsedFile parsed = ParseFile(store->Data());
    ASSERT_EQ(L"", parsed.problem);
    EXPECT_EQ(0u, parsed.entries.count(L"Old"));
    ASSERT_EQ(1u, parsed.entries.count(L"New"));
    const Bytes& renamed = parsed.entries.at(L"New");
    EXPECT_TRUE(SameTime(modified, TimeOf(renamed, offsetof(Orv::Compound::ElementEntry, modified))));
    EXPECT_TRUE(SameTime(created, TimeOf(renamed, offsetof(Orv::Compound::ElementEntry, created))));
    EXPECT_TRUE(SameTime(accessed, TimeOf(renamed, offsetof(Orv::Compound::ElementEntry, accessed))));
    EXPECT_EQ(Pattern(300, 30), parsed.streams.at(L"New"));

    ComPtr<IStorage> reopened;
    ASSERT_EQ(S_OK, OrvStorage::OpenOnLockBytes(MemoryLockBytes::Make(store->Data()).Get(), reopened.Put()));
    ComPtr<IStorage> box;
    ASSERT_EQ(S_OK, reopened->OpenStorage(L"box", nullptr, OpenMode, nullptr, 0, box.Put()));
    STATSTG stat{};
    ASSERT_EQ(S_OK, box->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(0x12345678u, stat.clsid.Data1);
    EXPECT_EQ(8, stat.clsid.Data4[7]);
    EXPECT_EQ(Pattern(7, 31), ReadAll(Open(L"Inner", box.Get()).Get()));
}

// Writes the bytes in pieces, reading each piece back, and gives the first failure.
HRESULT WriteInPiecesAndCheck(IStream* stream, const Bytes& bytes)
{
    constexpr size_t Piece = 997; // pieces that keep landing across cluster boundaries
    for (size_t at = 0; at < bytes.size(); at += Piece)
    {
        const ULONG size = static_cast<ULONG>(std::min(Piece, bytes.size() - at));
        ULONG done = 0;
        HRESULT result = stream->Seek(LARGE_INTEGER{.QuadPart = static_cast<LONGLONG>(at)}, STREAM_SEEK_SET, nullptr);
        if (SUCCEEDED(result))
            result = stream->Write(bytes.data() + at, size, &done);
        if (FAILED(result) || done != size)
            return FAILED(result) ? result : E_FAIL;
        Bytes back(size);
        result = stream->Seek(LARGE_INTEGER{.QuadPart = static_cast<LONGLONG>(at)}, STREAM_SEEK_SET, nullptr);
        if (SUCCEEDED(result))
            result = stream->Read(back.data(), size, &done);
        if (FAILED(result) || done != size || !std::equal(back.begin(), back.end(), bytes.begin() + at))
            return FAILED(result) ? result : E_FAIL;
    }
    return S_OK;
}

TEST_F(CompoundStorage, StreamsOfOneFileWrittenFromTwoThreadsKeepTheirOwnBytes)
{
    NewStream(root.Get(), L"Left", Pattern(ClusterBytes + 10, 40));
    NewStream(root.Get(), L"Right", Pattern(ClusterBytes + 20, 41));
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT)); // later writes copy committed clusters first

    const Bytes left = Pattern(5 * ClusterBytes / 2, 42);
    const Bytes right = Pattern(3 * ClusterBytes, 43);
    ComPtr<IStream> leftStream = Open(L"Left");
    ComPtr<IStream> rightStream = Open(L"Right");
    HRESULT leftResult = E_PENDING, rightResult = E_PENDING;
    std::thread leftWriter([&] { leftResult = WriteInPiecesAndCheck(leftStream.Get(), left); });
    std::thread rightWriter([&] { rightResult = WriteInPiecesAndCheck(rightStream.Get(), right); });
    leftWriter.join();
    rightWriter.join();
    EXPECT_EQ(S_OK, leftResult);
    EXPECT_EQ(S_OK, rightResult);
    leftStream.Reset();
    rightStream.Reset();
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));

    const ParsedFile parsed = ParseFile(store->Data());
    ASSERT_EQ(L"", parsed.problem);
    EXPECT_EQ(left, parsed.streams.at(L"Left"));
    EXPECT_EQ(right, parsed.streams.at(L"Right"));
}

TEST_F(CompoundStorage, AChildStorageReleasedAndReopenedFromTwoThreadsStaysWhole)
{
    // Two threads let the count fall to 0 often, where one thread's last release meets the other's reopen.
    NewStream(NewStorage(root.Get(), L"Shared").Get(), L"Inside", Pattern(100, 44));
    constexpr int Threads = 2;
    constexpr int Rounds = 50000;
    HRESULT results[Threads];
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&, t] {
            results[t] = S_OK;
            for (int round = 0; round < Rounds && SUCCEEDED(results[t]); ++round)
            {
                ComPtr<IStorage> child;
                results[t] = root->OpenStorage(L"Shared", nullptr, OpenMode, nullptr, 0, child.Put());
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (const HRESULT result : results)
        EXPECT_EQ(S_OK, result);
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));
    EXPECT_EQ(Pattern(100, 44), ReopenedTree().at(L"Shared/Inside"));
}

TEST_F(CompoundStorage, CopyToAPlatformDocfileGivesTheSameTree)
{
    {
        ComPtr<IStorage> outer = NewStorage(root.Get(), L"Outer");
        NewStream(outer.Get(), L"Big", Pattern(100000, 16));
        ComPtr<IStorage> inner = NewStorage(outer.Get(), L"Inner");
        NewStream(inner.Get(), L"Tiny", Pattern(1, 17));
        NewStream(root.Get(), L"Top", Pattern(4096, 18));
        NewStream(root.Get(), L"Skipped", Pattern(10, 19));
    }
    ComPtr<IStorage> docfile;
    ASSERT_EQ(S_OK, StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE,
                                     0, docfile.Put()));
    wchar_t skipped[] = L"skipped";
    wchar_t* exclude[] = {skipped, nullptr};
    ASSERT_EQ(S_OK, root->CopyTo(0, nullptr, exclude, docfile.Get()));

    auto expected = ReadTree(root.Get());
    expected.erase(L"Skipped");
    EXPECT_EQ(expected, ReadTree(docfile.Get()));
    EXPECT_EQ(STG_E_INVALIDPARAMETER, root->CopyTo(1, &IID_IStream, nullptr, docfile.Get()));
}

TEST_F(CompoundStorage, DirectPointersReachBytesThatLieTogetherInTheStoresView)
{
    const Bytes content = Pattern(2 * ClusterBytes, 25);
    ComPtr<IStream> stream = NewStream(root.Get(), L"Viewed", content);
    const ComPtr<IOrvStream> orv = stream.As<IOrvStream>(IID_IOrvStream);
    ASSERT_TRUE(orv);
    void* pointer = &pointer;
    EXPECT_EQ(S_FALSE, orv->DirectPointer(0, 10, &pointer));
    EXPECT_EQ(nullptr, pointer);

    store->OfferView(true);
    ASSERT_EQ(S_OK, orv->DirectPointer(ClusterBytes - 50, 100, &pointer));
    EXPECT_EQ(0, std::memcmp(pointer, content.data() + ClusterBytes - 50, 100));
    EXPECT_EQ(S_FALSE, orv->DirectPointer(2 * ClusterBytes - 10, 11, &pointer));

    const ComPtr<IOrvStorage> orvRoot = root.As<IOrvStorage>(IID_IOrvStorage);
    void* passed = nullptr;
    EXPECT_EQ(S_OK, orvRoot->QueryPassThrough(&passed));
    EXPECT_EQ(store.Get(), passed);
    EXPECT_EQ(8u, orvRoot->PassThrough(7));
}

TEST(CompoundTemporaryFile, LivesInTheTemporaryFolderUntilTheLastReleaseAndIsThenGone)
{
    ComPtr<IStorage> root;
    ASSERT_EQ(S_OK, OrvStorage::CreateFileStorage(Orv::String(), 0, root.Put()));
    ComPtr<IStream> stream = NewStream(root.Get(), L"Data", Pattern(100, 20));
    STATSTG stat{};
    ASSERT_EQ(S_OK, root->Stat(&stat, STATFLAG_DEFAULT));
    const std::wstring name = stat.pwcsName;
    CoTaskMemFree(stat.pwcsName);
    EXPECT_EQ(static_cast<DWORD>(STGTY_STORAGE), stat.type);

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    wchar_t longFolder[MAX_PATH];
    GetLongPathNameW(folder, longFolder, MAX_PATH);
    std::wstring expectedFolder = longFolder;
    CharLowerBuffW(expectedFolder.data(), static_cast<DWORD>(expectedFolder.size()));
    EXPECT_EQ(0u, name.find(expectedFolder)) << name;
    EXPECT_EQ(name.find_last_of(L'\\') + 1, name.find(L"orv", name.find_last_of(L'\\'))) << name;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(name.c_str()));

    root.Reset();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(name.c_str())); // the stream still holds the file
    stream.Reset();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(name.c_str()));
}

TEST(CompoundLockBytes, SetSizeCutsTheFileAndFailuresToCreateAreRaised)
{
    Orv::String name;
    ASSERT_EQ(S_OK, Orv::MakeTemporaryFileName(name));
    auto store = ComPtr<ILockBytes>::Adopt(new FileLockBytesImpl::FileLockBytes(name));
    const Bytes content = Pattern(1000, 21);
    ULONG done = 0;
    ASSERT_EQ(S_OK, store->WriteAt({}, content.data(), 1000, &done));
    ASSERT_EQ(S_OK, store->SetSize(ULARGE_INTEGER{.QuadPart = 300}));
    STATSTG stat{};
    ASSERT_EQ(S_OK, store->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(300u, stat.cbSize.QuadPart);
    EXPECT_EQ(static_cast<DWORD>(STGTY_LOCKBYTES), stat.type);
    Bytes back(1000);
    ASSERT_EQ(S_OK, store->ReadAt(ULARGE_INTEGER{.QuadPart = 200}, back.data(), 1000, &done));
    EXPECT_EQ(100u, done);
    EXPECT_EQ(Bytes(content.begin() + 200, content.begin() + 300), Bytes(back.begin(), back.begin() + 100));

    EXPECT_THROW(new FileLockBytesImpl::FileLockBytes(Orv::String(L"Q:\\no\\such\\folder\\file.bin")), Orv::XLockBytesCreate);
    ComPtr<IStorage> root;
    EXPECT_TRUE(FAILED(OrvStorage::CreateFileStorage(Orv::String(L"Q:\\no\\such\\folder\\file.bin"), 0, root.Put())));
    EXPECT_EQ(nullptr, root.Get());
}

TEST(CompoundLockBytes, PathsBesideTheExecutableKeepItsFolder)
{
    wchar_t executable[MAX_PATH];
    GetModuleFileNameW(nullptr, executable, MAX_PATH);
    std::wstring folder = executable;
    folder.erase(folder.find_last_of(L'\\') + 1);
    EXPECT_EQ(folder + L"Sub\\File.txt", std::wstring(Orv::MakePathBesideHostExe(Orv::String(L"Sub\\File.txt")).c_str()));
}

} // namespace
