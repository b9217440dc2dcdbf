// The document's settings record: reproducible round trips, the version rules of both flavours, and
// records that are damaged anywhere change nothing.
#include "RecordDocument.h"
#include "foundation/com/ResultCodes.h"

#include <cstring>
#include <random>

namespace
{
using namespace PersistenceTests;

constexpr int PeakHeight = 30;
constexpr int PeakPeriod = 31;

int legacyCalls = 0;
HRESULT CountingLegacyLoader(IStream*, SettingsRecordSubject&)
{
    ++legacyCalls;
    return S_OK;
}

HRESULT Load(RecordDocument& document, SettingsFlavour flavour, const Bytes& bytes)
{
    return LoadSettingsRecord(TestStreams::MemoryStream(bytes).Get(), flavour, document, CountingLegacyLoader);
}

void PutWord(Bytes& bytes, std::size_t at, uint32_t word)
{
    std::memcpy(bytes.data() + at, &word, 4);
}

// A record with other settings than a fresh document's.
Bytes ChangedRecord(SettingsFlavour flavour)
{
    RecordDocument source;
    source.SetSetting(PeakHeight, 17.25);
    source.SetSetting(PeakPeriod, 0.125);
    source.document.Set<PropertyType::Int>(ModelKind::WorkflowSetup, PropertyId::SelectedLoop, 7);
    source.lastChannel = 3;
    return source.Saved(flavour);
}

constexpr SettingsFlavour Flavours[] = {SettingsFlavour::Full, SettingsFlavour::SettingsOnly};

TEST(SettingsRecord, RoundTripsAreByteIdenticalAndCarryTheSettings)
{
    for (const SettingsFlavour flavour : Flavours)
    {
        const Bytes saved = ChangedRecord(flavour);
        RecordDocument loaded;
        ASSERT_EQ(S_OK, Load(loaded, flavour, saved));
        EXPECT_EQ(saved, loaded.Saved(flavour));
        const bool full = flavour == SettingsFlavour::Full;
        EXPECT_EQ(full ? 17.25 : RecordDocument().Setting(PeakHeight), loaded.Setting(PeakHeight));
        EXPECT_EQ(full ? -1 : 7, ValueOf<PropertyType::Int>(loaded, ModelKind::WorkflowSetup, PropertyId::SelectedLoop));
        EXPECT_EQ(full ? 3 : int32_t(0x80000000u), loaded.lastChannel);
    }
}

// A record of the version without models: the full one with empty calibrator records and channel 3.
Bytes EmptyRecord(SettingsFlavour flavour, uint32_t version)
{
    std::vector<uint32_t> words{0x5515AAAA, version, 0};
    if (flavour == SettingsFlavour::Full)
        words.insert(words.end(), {1, 0, 1, 1, 0, 1, 3});
    words.push_back(version);
    Bytes bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    return bytes;
}

TEST(SettingsRecord, VersionsChooseTheCurrentPathTheLegacyLoaderOrARefusal)
{
    struct Case
    {
        SettingsFlavour flavour;
        uint32_t version;
        HRESULT expected;
        int legacy;
    };
    const Case cases[] = {
        {SettingsFlavour::Full, 0, Orv::E_ORV_READ_FAILED, 0},
        {SettingsFlavour::Full, 16, S_OK, 1},
        {SettingsFlavour::Full, 17, S_OK, 0},
        {SettingsFlavour::Full, 20, S_OK, 0},
        {SettingsFlavour::Full, 21, Orv::E_ORV_NEWER_VERSION, 0},
        {SettingsFlavour::SettingsOnly, 0, Orv::E_ORV_READ_FAILED, 0},
        {SettingsFlavour::SettingsOnly, 9, S_OK, 1},
        {SettingsFlavour::SettingsOnly, 10, S_OK, 0},
        {SettingsFlavour::SettingsOnly, 12, S_OK, 0},
        {SettingsFlavour::SettingsOnly, 13, Orv::E_ORV_NEWER_VERSION, 0},
    };
    for (const Case& c : cases)
    {
        RecordDocument document;
        legacyCalls = 0;
        EXPECT_EQ(c.expected, Load(document, c.flavour, EmptyRecord(c.flavour, c.version))) << c.version;
        EXPECT_EQ(c.legacy, legacyCalls) << c.version;
        const bool current = c.expected == S_OK && c.legacy == 0 && c.flavour == SettingsFlavour::Full;
        EXPECT_EQ(current ? 3 : int32_t(0x80000000u), document.lastChannel) << c.version;
    }
}

// Whatever the damage, a refused record leaves every setting as it was.
void ExpectRefusedUnchanged(SettingsFlavour flavour, const Bytes& bytes, const char* what)
{
    RecordDocument document;
    const Bytes before = document.Saved(flavour);
    EXPECT_EQ(Orv::E_ORV_READ_FAILED, Load(document, flavour, bytes)) << what;
    EXPECT_EQ(before, document.Saved(flavour)) << what;
}

TEST(SettingsRecord, DamagedRecordsAreRefusedWithoutChangingAnything)
{
    for (const SettingsFlavour flavour : Flavours)
    {
        const Bytes good = ChangedRecord(flavour);
        Bytes trailer = good;
        PutWord(trailer, trailer.size() - 4, CurrentRecordVersion(flavour) - 1);
        ExpectRefusedUnchanged(flavour, trailer, "trailer one below the version");

        for (const uint32_t count : {0x7FFFFFFFu, 0x80000000u, 0xA004820Au, 0xFFFFFFFFu})
        {
            Bytes oversized = good;
            PutWord(oversized, 8, count);
            ExpectRefusedUnchanged(flavour, oversized, "oversized model count");
        }
        Bytes unknownKind = good;
        PutWord(unknownKind, 12, 99);
        ExpectRefusedUnchanged(flavour, unknownKind, "model kind without a factory");

        for (std::size_t size = 8; size < good.size(); size += flavour == SettingsFlavour::Full ? 7 : 1)
            ExpectRefusedUnchanged(flavour, Bytes(good.begin(), good.begin() + size), "cut");
    }
}

TEST(SettingsRecord, FuzzedSettingsStreamsNeverCrashNorHalfApply)
{
    const Bytes good = ChangedRecord(SettingsFlavour::SettingsOnly);
    RecordDocument reference;
    const Bytes fresh = reference.Saved(SettingsFlavour::SettingsOnly);
    std::mt19937 random(20261207);
    int accepted = 0;
    for (int round = 0; round < 10000; ++round)
    {
        Bytes bytes = good;
        const int damage = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < damage; ++i)
            bytes[4 + random() % (bytes.size() - 4)] = static_cast<uint8_t>(random());
        if (random() % 4 == 0)
            bytes.resize(4 + random() % (bytes.size() - 4));
        RecordDocument document;
        legacyCalls = 0;
        const HRESULT hr = Load(document, SettingsFlavour::SettingsOnly, bytes);
        if (hr == S_OK && legacyCalls == 0)
            ++accepted;
        else
            ASSERT_EQ(fresh, document.Saved(SettingsFlavour::SettingsOnly)) << "round " << round;
    }
    EXPECT_GT(accepted, 0);
}

TEST(SettingsRecord, SaveReportsAWriteTheStreamRefused)
{
    for (const SettingsFlavour flavour : Flavours)
    {
        TestStreams::CountingStream full;
        full.refuseWrites = true;
        RecordDocument document;
        EXPECT_TRUE(FAILED(SaveSettingsRecord(&full, flavour, document)));
    }
}

// Memory streams report no write access in their Stat; a save into one is still a save.
TEST(SettingsRecord, SaveWritesAStreamWhoseStatReportsReadAccess)
{
    for (const SettingsFlavour flavour : Flavours)
    {
        RecordDocument document;
        TestStreams::CountingStream readLooking(STGM_READ);
        EXPECT_EQ(S_OK, SaveSettingsRecord(&readLooking, flavour, document));
        EXPECT_EQ(document.Saved(flavour), TestStreams::ContentOf(readLooking.Inner()));
    }
}

} // namespace
