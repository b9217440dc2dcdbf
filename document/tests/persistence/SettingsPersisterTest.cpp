// The persisters the host saves and loads the module's settings through: their faces, the dirty flag,
// write faults, resetting to defaults, and loads under the document's loading flag.
#include "RecordDocument.h"
#include "document/persistence/SettingsPersister.h"
#include "foundation/com/ResultCodes.h"

namespace
{
using namespace PersistenceTests;

constexpr int PeakHeight = PropertyId::MinimumPeakHeight;

struct PersisterHandle
{
    PersisterHandle(RecordDocument& document, SettingsFlavour flavour) : persister(new SettingsPersister(document, flavour)) {}
    ~PersisterHandle() { persister->Release(); }
    SettingsPersister* persister;
};

TEST(SettingsPersister, AnswersThePersistenceFacesOnly)
{
    RecordDocument document;
    PersisterHandle handle(document, SettingsFlavour::Full);
    for (const IID& iid : {IID_IUnknown, IID_IPersist, IID_IPersistStreamInit})
    {
        IUnknown* face = nullptr;
        ASSERT_EQ(S_OK, handle.persister->QueryInterface(iid, reinterpret_cast<void**>(&face)));
        face->Release();
    }
    void* other = nullptr;
    EXPECT_EQ(E_NOINTERFACE, handle.persister->QueryInterface(IID_IStream, &other));
    CLSID classId{};
    EXPECT_EQ(S_OK, handle.persister->GetClassID(&classId));
    EXPECT_EQ(SettingsPersisterClassId, classId);
    EXPECT_EQ(E_NOTIMPL, handle.persister->GetSizeMax(nullptr));
}

TEST(SettingsPersister, SaveClearsDirtyOnlyWhenAskedAndWhenTheRecordArrived)
{
    struct Case
    {
        bool refuseWrites;
        BOOL clearDirty;
        bool failed;
        bool dirtyAfter;
    };
    const Case cases[] = {
        {false, TRUE, false, false},
        {false, FALSE, false, true},
        {true, TRUE, true, true},
        {true, FALSE, true, true},
    };
    for (const SettingsFlavour flavour : {SettingsFlavour::Full, SettingsFlavour::SettingsOnly})
        for (const Case& c : cases)
        {
            RecordDocument document;
            PersisterHandle handle(document, flavour);
            handle.persister->SetDirty();
            TestStreams::CountingStream stream(STGM_READWRITE);
            stream.refuseWrites = c.refuseWrites;
            EXPECT_EQ(c.failed, FAILED(handle.persister->Save(&stream, c.clearDirty))) << c.refuseWrites;
            EXPECT_EQ(c.dirtyAfter ? S_OK : S_FALSE, handle.persister->IsDirty()) << c.refuseWrites;
        }
}

TEST(SettingsPersister, LoadRestoresTheSavedSettingsUnderTheLoadingFlag)
{
    RecordDocument source;
    source.SetSetting(PeakHeight, 33.0);
    PersisterHandle saver(source, SettingsFlavour::Full);
    TestStreams::CountingStream stream(STGM_READWRITE);
    ASSERT_EQ(S_OK, saver.persister->Save(&stream, TRUE));

    RecordDocument target;
    PersisterHandle loader(target, SettingsFlavour::Full);
    stream.Inner()->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    EXPECT_FALSE(loader.persister->HasLoaded());
    ASSERT_EQ(S_OK, loader.persister->Load(&stream));
    EXPECT_EQ(33.0, target.Setting(PeakHeight));
    EXPECT_TRUE(loader.persister->HasLoaded());
    EXPECT_EQ((std::vector<bool>{true, false}), target.loadingChanges);
}

TEST(SettingsPersister, InitNewResetsTheModelsOnlyOnceRegisteredOrLoaded)
{
    const double defaultHeight = RecordDocument().Setting(PeakHeight);
    RecordDocument document;
    document.SetSetting(PeakHeight, 33.0);
    PersisterHandle handle(document, SettingsFlavour::Full);
    EXPECT_EQ(S_FALSE, handle.persister->InitNew());
    EXPECT_EQ(33.0, document.Setting(PeakHeight));

    document.registered = true;
    EXPECT_EQ(S_OK, handle.persister->InitNew());
    EXPECT_EQ(defaultHeight, document.Setting(PeakHeight));

    RecordDocument loaded;
    loaded.SetSetting(PeakHeight, 33.0);
    PersisterHandle settings(loaded, SettingsFlavour::SettingsOnly);
    EXPECT_EQ(Orv::E_ORV_READ_FAILED, settings.persister->Load(TestStreams::MemoryStream({}).Get()));
    EXPECT_EQ(S_OK, settings.persister->InitNew());
    EXPECT_EQ(defaultHeight, loaded.Setting(PeakHeight));
}

} // namespace
