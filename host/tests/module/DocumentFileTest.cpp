// A host document saved with its module's settings and opened again: the settings come back whole, and
// a save cut at any write leaves the file with the settings of before or after the save, never a mix.
#include "host/tests/module/CrossingFunction.h"
#include "host/tests/RecordingFixtures.h"

#include "document/core/SistraDocument.h"
#include "foundation/storage/OrvStorage.h"
#include "foundation/tests/storage/CompoundTestSupport.h"
#include "host/app/document/DocumentFile.h"
#include "host/app/document/HostDocument.h"
#include "host/app/files/SettingsFileFormat.h"
#include "host/app/files/TextConversion.h"
#include "host/vyr/UnitConversions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <iostream>

namespace
{

using CompoundTest::Bytes;
using CompoundTest::MemoryLockBytes;
namespace ModelKind = Sistra::ModelKind;
namespace PropertyId = Sistra::PropertyId;
using Sistra::PropertyType;

const wchar_t RecordingPath[] = L"C:\\recordings\\ventricle.txt";

Host::Recording TwoChannels()
{
    return HostTests::MakeRecording(0.001, {{std::vector<float>(100, 1.0f), std::vector<float>(100, 2.0f)}}, 2);
}

// One module document on one host document.
class SavedDocument
{
public:
    explicit SavedDocument(const Host::Recording& recording) : host_(Host::HostDocument::Offline(recording))
    {
        HostTests::StandIn();
        document_ = new Sistra::SistraDocument(host_->Unknown(), nullptr, 0);
        holder_ = Orv::ComPtr<IUnknown>(document_->Outer());
    }
    ~SavedDocument() { document_->Close(); }

    // Settings in two models, so that a mix of two saves shows.
    void Change(int32_t pressureChannel, double peakHeight, double cuvetteSlope)
    {
        const Sistra::ModelPtr setup = document_->GetSetupModel();
        setup->SetPressureChannel(pressureChannel);
        setup->SetValue<PropertyType::Double>(PropertyId::MinimumPeakHeight, peakHeight);
        setup->CommitChanges();
        const Sistra::ModelPtr cuvette = document_->GetModel(ModelKind::CuvetteCalib);
        cuvette->SetValue<PropertyType::Double>(PropertyId::CuvetteSlope, cuvetteSlope);
        cuvette->CommitChanges();
    }
    // Every setting, as the full record holds it.
    Bytes Settings()
    {
        Orv::ComPtr<IUnknown> persister;
        Orv::ComPtr<IPersistStreamInit> stream;
        EXPECT_EQ(S_OK, document_->GetPersister(0, 2, nullptr, persister.Put()));
        persister->QueryInterface(IID_IPersistStreamInit, stream.PutVoid());
        Orv::ComPtr<IStream> memory;
        CreateStreamOnHGlobal(nullptr, TRUE, memory.Put());
        EXPECT_EQ(S_OK, stream->Save(memory.Get(), FALSE));
        memory->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        return CompoundTest::ReadAll(memory.Get());
    }
    Host::ModuleDocuments Modules() { return {document_}; }
    ICustomDocument* Module() { return document_; }
    Sistra::SistraDocument& Document() { return *document_; }
    HRESULT SaveInto(IStorage* root) { return Host::SaveDocument(root, RecordingPath, Modules()); }
    Host::HostDocument& Host() { return *host_.Get(); }

private:
    Orv::ComPtr<Host::HostDocument> host_;
    Sistra::SistraDocument* document_;
    Orv::ComPtr<IUnknown> holder_;
};

// The settings a fresh document has after opening the file's bytes; empty when the file does not open.
Bytes OpenedSettings(const Host::Recording& recording, const Bytes& file, std::wstring* path = nullptr)
{
    Orv::ComPtr<IStorage> root;
    if (FAILED(OrvStorage::OpenOnLockBytes(MemoryLockBytes::Make(file).Get(), root.Put())))
        return {};
    SavedDocument opened(recording);
    EXPECT_EQ(S_OK, Host::LoadModuleSettings(root.Get(), opened.Modules()));
    if (path)
    {
        EXPECT_EQ(S_OK, Host::ReadRecordingReference(root.Get(), *path));
    }
    return opened.Settings();
}

TEST(DocumentFile, ASavedDocumentOpensWithItsRecordingAndEverySetting)
{
    const Host::Recording recording = TwoChannels();
    SavedDocument document(recording);
    document.Change(1, 42.0, 3e-6);
    // The first change registered both persisters with the host document.
    EXPECT_EQ(2u, document.Host().SettingsPersisters().size());

    Orv::ComPtr<MemoryLockBytes> store = MemoryLockBytes::Make();
    Orv::ComPtr<IStorage> root;
    ASSERT_EQ(S_OK, OrvStorage::CreateOnLockBytes(store.Get(), root.Put()));
    ASSERT_EQ(S_OK, document.SaveInto(root.Get()));
    root.Reset();

    std::wstring path;
    const Bytes opened = OpenedSettings(recording, store->Data(), &path);
    EXPECT_EQ(RecordingPath, path);
    EXPECT_EQ(document.Settings(), opened);
    EXPECT_NE(SavedDocument(recording).Settings(), opened);
}

TEST(DocumentFile, PersistersAreHandedOutByKindAndRefuseTheirDocumentOnceItIsGone)
{
    const Host::Recording recording = TwoChannels();
    Orv::ComPtr<IPersistStreamInit> kept;
    {
        SavedDocument document(recording);
        const struct
        {
            ULONG kind, type;
            HRESULT expected;
        } cases[] = {{0, 2, S_OK}, {1, 2, S_OK}, {2, 2, S_FALSE}, {0, 1, S_FALSE}, {1, 3, S_FALSE}};
        for (const auto& c : cases)
        {
            Orv::ComPtr<IUnknown> persister;
            void* reserved = &kept;
            EXPECT_EQ(c.expected, document.Module()->GetPersister(c.kind, c.type, &reserved, persister.Put()));
            EXPECT_EQ(nullptr, reserved);
            EXPECT_EQ(c.expected == S_OK, persister.Get() != nullptr) << c.kind << ", " << c.type;
        }
        Orv::ComPtr<IUnknown> persister;
        document.Module()->GetPersister(0, 2, nullptr, persister.Put());
        persister->QueryInterface(IID_IPersistStreamInit, kept.PutVoid());
    }
    Orv::ComPtr<IStream> memory;
    CreateStreamOnHGlobal(nullptr, TRUE, memory.Put());
    EXPECT_EQ(E_UNEXPECTED, kept->Save(memory.Get(), TRUE));
    EXPECT_EQ(E_UNEXPECTED, kept->Load(memory.Get()));
    EXPECT_EQ(E_UNEXPECTED, kept->InitNew());
}

TEST(DocumentFile, ASaveCutAtAnyWriteLeavesTheOldOrTheNewSettingsNeverAMix)
{
    const Host::Recording recording = TwoChannels();
    SavedDocument document(recording);
    document.Change(1, 42.0, 3e-6);
    const Bytes oldSettings = document.Settings();
    Orv::ComPtr<MemoryLockBytes> first = MemoryLockBytes::Make();
    {
        Orv::ComPtr<IStorage> root;
        ASSERT_EQ(S_OK, OrvStorage::CreateOnLockBytes(first.Get(), root.Put()));
        ASSERT_EQ(S_OK, document.SaveInto(root.Get()));
    }
    document.Change(0, 7.5, 9e-6);
    const Bytes newSettings = document.Settings();
    ASSERT_NE(oldSettings, newSettings);

    // Saves the new settings over the old file, the store stopping after cut changes.
    const auto saveCut = [&](unsigned cut) {
        Orv::ComPtr<MemoryLockBytes> store = MemoryLockBytes::Make(first->Data());
        Orv::ComPtr<IStorage> root;
        EXPECT_EQ(S_OK, OrvStorage::OpenOnLockBytes(store.Get(), root.Put()));
        const unsigned before = store->Changes();
        store->StopAfter(cut);
        const HRESULT saved = document.SaveInto(root.Get());
        return std::make_tuple(store->Data(), store->Changes() - before, saved);
    };
    const auto [whole, changes, saved] = saveCut(~0u / 2);
    ASSERT_EQ(S_OK, saved);
    ASSERT_GT(changes, 1u);

    unsigned oldSeen = 0, newSeen = 0;
    for (unsigned cut = 0; cut <= changes; ++cut)
    {
        const auto [file, made, result] = saveCut(cut);
        const Bytes opened = OpenedSettings(recording, file);
        ASSERT_TRUE(opened == oldSettings || opened == newSettings) << "cut after " << cut;
        (opened == oldSettings ? oldSeen : newSeen) += 1;
        // A save that reports success left the new settings.
        if (SUCCEEDED(result))
        {
            EXPECT_EQ(newSettings, opened) << "cut after " << cut;
        }
    }
    EXPECT_GT(oldSeen, 0u);
    EXPECT_GT(newSeen, 0u);
}

// Every byte of a bare settings record (as earlier versions wrote settings files: no checksum) changed:
// the load is refused in words, or it answers that nothing checked the file (S_FALSE) and leaves settings
// the program takes back from a file of its own (every value within the range a person may enter).
TEST(DocumentFile, EveryChangedByteOfABareSettingsRecordIsRefusedInWordsOrLoadsValuesInRange)
{
    const Host::Recording recording = TwoChannels();
    SavedDocument document(recording);
    document.Change(1, 42.0, 3e-6);
    // An applied calibration, so that its values and the channel it calibrates are read too.
    const Sistra::ModelPtr cuvette = document.Document().GetModel(ModelKind::CuvetteCalib);
    cuvette->SetValue<PropertyType::Bool>(PropertyId::CuvetteCalibrationApplied, true);
    cuvette->SetValue<PropertyType::Double>(PropertyId::CuvetteIntercept, -1e-5);
    cuvette->CommitChanges();
    const HostTests::TemporaryFile saved("flipped-bare.set", ""), checked("flipped-checked.set", "");
    const std::wstring path = Host::FromUtf8(saved.Path()), again = Host::FromUtf8(checked.Path());
    ASSERT_EQ(S_OK, Host::SaveSettingsFile(document.Module(), path));
    std::ifstream in(saved.Path(), std::ios::binary);
    const std::vector<char> bare = Host::UnwrapSettingsRecord({std::istreambuf_iterator<char>(in), {}});
    const auto loadInto = [&](SavedDocument& fresh, const std::vector<char>& record) {
        std::ofstream(saved.Path(), std::ios::binary | std::ios::trunc).write(record.data(), std::streamsize(record.size()));
        SetErrorInfo(0, nullptr);
        return Host::LoadSettingsFile(fresh.Module(), path);
    };
    {
        SavedDocument fresh(recording);
        ASSERT_EQ(S_FALSE, loadInto(fresh, bare));
        ASSERT_EQ(document.Settings(), fresh.Settings());
    }
    size_t refused = 0, otherValues = 0;
    for (size_t at = 0; at < bare.size(); ++at)
    {
        std::vector<char> damaged = bare;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        SavedDocument fresh(recording);
        const HRESULT loaded = loadInto(fresh, damaged);
        if (FAILED(loaded))
        {
            ++refused;
            const std::string reason = Host::FailureText(loaded);
            EXPECT_TRUE(reason.find(' ') < reason.find("(0x")) << "byte " << at << ": " << reason;
            continue;
        }
        EXPECT_EQ(S_FALSE, loaded) << "byte " << at;
        otherValues += fresh.Settings() != document.Settings();
        ASSERT_EQ(S_OK, Host::SaveSettingsFile(fresh.Module(), again));
        SavedDocument reloaded(recording);
        EXPECT_EQ(S_OK, Host::LoadSettingsFile(reloaded.Module(), again)) << "byte " << at << " loaded values out of range";
    }
    std::cout << "bare record of " << bare.size() << " bytes: " << refused << " changes refused, " << otherValues
              << " loaded as other values in range\n";
}

// What a path given to open holds decides how it opens: a saved document by its recording and its
// calculations, anything that is no compound file as a recording; a compound file that names no recording,
// or whose calculations are cut, is refused.
TEST(DocumentFile, APathIsADocumentOnlyWhenItIsACompoundFileThatNamesARecording)
{
    const HostTests::TemporaryFile text("document-file-text.csv", "Time (s),P (mmHg)\n0,1\n0.001,2\n");
    const std::wstring path = Host::FromUtf8(text.Path()) + L".sdoc";
    EXPECT_EQ(std::nullopt, Host::ReadDocumentFile(Host::FromUtf8(text.Path())));
    EXPECT_EQ(std::nullopt, Host::ReadDocumentFile(path)) << "no file";
    const Host::HostItems items{{L"ecg", L"rwave(ch3, 0.5)"}, {L"peaks", L"cmpeakdet(ch1, 20, 0.1)"}};
    ASSERT_EQ(S_OK, Host::SaveDocumentFile(path, RecordingPath, {}, items));
    const auto content = Host::ReadDocumentFile(path);
    ASSERT_TRUE(content);
    EXPECT_EQ(RecordingPath, content->recording);
    EXPECT_EQ(items, content->items);
    const auto damage = [&](const wchar_t* element, const std::wstring& replacement) {
        Orv::ComPtr<IStorage> root;
        ASSERT_EQ(S_OK, Host::OpenDocumentFile(path, root.Put()));
        root->DestroyElement(element);
        Orv::ComPtr<IStream> stream;
        if (!replacement.empty() && SUCCEEDED(root->CreateStream(element, STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE,
                                                                  0, 0, stream.Put())))
            stream->Write(replacement.data(), static_cast<ULONG>(replacement.size() * sizeof(wchar_t)), nullptr);
        stream.Reset();
        root->Commit(STGC_DEFAULT);
    };
    damage(L"Items", L"ecg");
    EXPECT_THROW(Host::ReadDocumentFile(path), std::runtime_error) << "a name without its text";
    damage(L"Recording", {});
    EXPECT_THROW(Host::ReadDocumentFile(path), std::runtime_error);
    DeleteFileW(path.c_str());
}

// The data a document keeps read back as written: channels (a deleted one in its place), records at their
// intervals, samples bit for bit, and the conversion a channel is shown through; a stream of them cut
// anywhere is refused in words, never read as other data.
TEST(DocumentFile, KeptDataReadBackAsWrittenAndACutStreamIsRefused)
{
    Host::Recording recording({{"P", "mmHg"}, {"V", "uL", true}, {"ECG", "mV"}});
    recording.AddRecord(0.001, {{1.5f, 2, 3}, {9, 9, 9}, {4, 5, -0.0f}});
    recording.AddRecord(0.004, {{7, 1e-30f}, {9, 9}, {0, 0}});
    recording.MarkFinished();
    Orv::ComPtr<IUnitConversion> doubled;
    ASSERT_EQ(S_OK, Vyr::CreateTwoPointConversion(Vyr::MakeIdentityConversion(L"mmHg").Get(), L"0mmHg", L"1mmHg", L"0",
                                                  L"2", L"mmHg", 1, doubled.Put()));
    const Host::ShownRecording shown{recording, {{0, doubled}}};
    Orv::ComPtr<IStorage> root;
    ASSERT_EQ(S_OK, OrvStorage::CreateOnLockBytes(MemoryLockBytes::Make().Get(), root.Put()));
    ASSERT_EQ(S_OK, Host::SaveDocument(root.Get(), RecordingPath, {}, {}, &shown));

    const auto saved = Host::ReadDocumentData(root.Get());
    ASSERT_TRUE(saved);
    const Host::Recording& read = saved->recording;
    ASSERT_EQ(2u, read.RecordCount());
    for (size_t channel = 0; channel < 3; ++channel)
    {
        const Host::ChannelInfo &written = recording.Channels()[channel], &back = read.Channels()[channel];
        EXPECT_EQ(std::tie(written.name, written.unit, written.deleted), std::tie(back.name, back.unit, back.deleted));
        for (size_t record = 0; record < 2 && !written.deleted; ++record)
            EXPECT_EQ(0, std::memcmp(recording.RecordAt(record).Samples(channel).data(), read.RecordAt(record).Samples(channel).data(),
                                     recording.RecordAt(record).Samples(channel).size_bytes()));
    }
    EXPECT_EQ(0.004, read.RecordAt(1).SampleInterval());
    Vyr::ConversionFacts facts;
    ASSERT_EQ(1u, saved->conversions.size());
    ASSERT_TRUE(Vyr::ReadConversionFacts(*saved->conversions[0].second.Get(), facts));
    EXPECT_EQ(std::make_pair(0, 2.0), std::make_pair(saved->conversions[0].first, facts.scale));

    Orv::ComPtr<IStorage> data;
    ASSERT_EQ(S_OK, root->OpenStorage(L"Data", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, nullptr, 0, data.Put()));
    for (const wchar_t* name : {L"Channels", L"Record2"})
    {
        Orv::ComPtr<IStream> stream;
        ASSERT_EQ(S_OK, data->OpenStream(name, nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, stream.Put()));
        const Bytes whole = CompoundTest::ReadAll(stream.Get());
        stream.Reset();
        for (size_t cut = 0; cut < whole.size(); cut += 1 + cut / 4)
        {
            ASSERT_EQ(S_OK, data->CreateStream(name, STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, 0, stream.Put()));
            stream->Write(whole.data(), static_cast<ULONG>(cut), nullptr);
            stream.Reset();
            EXPECT_THROW(Host::ReadDocumentData(root.Get()), std::runtime_error) << Host::ToUtf8(name) << " cut at " << cut;
        }
        ASSERT_EQ(S_OK, data->CreateStream(name, STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, 0, stream.Put()));
        stream->Write(whole.data(), static_cast<ULONG>(whole.size()), nullptr);
    }
}

// A save that fails (cancelled, or over a file that holds something else) leaves the file there as it was
// and nothing beside it; one that succeeds replaces it.
TEST(DocumentFile, AFailedSaveLeavesTheFileAsItWas)
{
    struct Cancelling final : IHostProgress
    {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        HRESULT STDMETHODCALLTYPE SetText(const WCHAR*) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE SetPercent(LONG) override { return S_FALSE; }
    } cancelling;
    const Host::Recording recording = TwoChannels();
    const Host::ShownRecording shown{recording, {}};
    const HostTests::TemporaryFile text("failed-save.sdoc", "Time (s),P (mmHg)\n0,1\n");
    const std::filesystem::path path = text.Path();
    const auto content = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = content();
    EXPECT_TRUE(FAILED(Host::SaveDocumentFile(path.wstring(), RecordingPath, {}, {}, &shown))) << "a recording text";
    EXPECT_EQ(before, content());
    std::filesystem::remove(path);
    ASSERT_EQ(S_OK, Host::SaveDocumentFile(path.wstring(), RecordingPath, {}, {}, nullptr));
    const std::string saved = content();
    EXPECT_EQ(E_ABORT, Host::SaveDocumentFile(path.wstring(), RecordingPath, {}, {}, &shown, &cancelling));
    EXPECT_EQ(saved, content());
    ASSERT_EQ(S_OK, Host::SaveDocumentFile(path.wstring(), RecordingPath, {}, {}, &shown)) << "over the earlier one";
    const auto reread = Host::ReadDocumentFile(path.wstring());
    EXPECT_TRUE(reread && reread->data);
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("failed-save.sdoc.")) << entry.path();
}

} // namespace

namespace
{

// A document's computed channels read back in their order with their class, settings and unit; a channel
// whose stream is cut, or names more unit than it holds, is read with its damage named, the others as
// written; a document saved without them holds none.
TEST(DocumentFile, KeptComputedChannelsReadBackInOrderAndADamagedOneIsNamed)
{
    constexpr GUID ClassGuid = {0x11, 0x22, 0x33, {1, 2, 3, 4, 5, 6, 7, 8}};
    constexpr GUID SettingsGuid = {0x44, 0x55, 0x66, {8, 7, 6, 5, 4, 3, 2, 1}};
    const Host::SavedComputedChannels channels{{{ClassGuid, 3}, {SettingsGuid, 7}, {1, 2, 3, 4}, L"\u00b5L", {}},
                                               {{ClassGuid, 4}, {SettingsGuid, 8}, {}, L"", {}},
                                               {{SettingsGuid, 5}, {ClassGuid, 9}, {9, 8}, L"mmHg", {}}};
    Orv::ComPtr<IStorage> root;
    ASSERT_EQ(S_OK, OrvStorage::CreateOnLockBytes(MemoryLockBytes::Make().Get(), root.Put()));
    ASSERT_EQ(S_OK, Host::SaveDocument(root.Get(), RecordingPath, {}, {}, nullptr, nullptr, channels));
    const auto readBack = [&] {
        Host::SavedComputedChannels read;
        EXPECT_EQ(S_OK, Host::ReadComputedChannels(root.Get(), read));
        return read;
    };
    const Host::SavedComputedChannels read = readBack();
    ASSERT_EQ(channels.size(), read.size());
    for (size_t index = 0; index < channels.size(); ++index)
    {
        const Host::SavedComputedChannel &written = channels[index], &got = read[index];
        EXPECT_TRUE(IsEqualGUID(written.calculationClass.guid, got.calculationClass.guid) &&
                    IsEqualGUID(written.settingsType.guid, got.settingsType.guid))
            << index;
        EXPECT_EQ(std::make_tuple(written.calculationClass.number, written.settingsType.number, written.settings, written.unit, std::string()),
                  std::make_tuple(got.calculationClass.number, got.settingsType.number, got.settings, got.unit, got.damage));
    }

    Orv::ComPtr<IStorage> kept;
    ASSERT_EQ(S_OK, root->OpenStorage(L"ComputedChannels", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, nullptr, 0, kept.Put()));
    const auto overwrite = [&](const wchar_t* name, const Bytes& bytes) {
        Orv::ComPtr<IStream> stream;
        ASSERT_EQ(S_OK, kept->CreateStream(name, STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, 0, stream.Put()));
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    };
    overwrite(L"Channel2", Bytes(10, 1));
    Bytes moreUnitThanHeld(44, 0);
    moreUnitThanHeld[0] = 1;
    moreUnitThanHeld[40] = 9;
    overwrite(L"Channel3", moreUnitThanHeld);
    kept.Reset();
    const Host::SavedComputedChannels damaged = readBack();
    ASSERT_EQ(3u, damaged.size());
    EXPECT_EQ(std::make_tuple(channels[0].settings, std::string()), std::make_tuple(damaged[0].settings, damaged[0].damage));
    EXPECT_NE("", damaged[1].damage);
    EXPECT_NE("", damaged[2].damage);

    ASSERT_EQ(S_OK, Host::SaveDocument(root.Get(), RecordingPath, {}));
    EXPECT_TRUE(readBack().empty());
}

} // namespace
