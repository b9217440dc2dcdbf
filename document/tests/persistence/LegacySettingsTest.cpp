// Settings records of older modules, built by hand field after field: each loads to the values it
// stood for, and a cut or oversized one is refused without changing anything.
#include "RecordDocument.h"
#include "document/persistence/LegacySettings.h"
#include "foundation/com/ResultCodes.h"
#include "foundation/streams/BinaryStream.h"

#include <cmath>
#include <cstring>
#include <sstream>

namespace
{
using namespace PersistenceTests;

constexpr uint32_t StreamHeader = 0x5515AAAA;
constexpr int32_t Marker = 123456;

// A record as an older module wrote it: the stream header, then the fields.
class OldRecord
{
public:
    OldRecord() { out_.WriteU32(StreamHeader); }
    OldRecord& Int(int32_t value) { out_.WriteInt32(value); return *this; }
    OldRecord& Bool(bool value) { return Int(value ? 1 : 0); }
    OldRecord& Double(double value) { out_.WriteDouble(value); return *this; }
    OldRecord& Position(int32_t block, int32_t tick) { return Int(block).Int(tick); }
    OldRecord& Text(const wchar_t* text) { out_.WriteString(Orv::String(text)); return *this; }
    Bytes Get() const
    {
        const std::string bytes = buffer_.str();
        return Bytes(bytes.begin(), bytes.end());
    }

private:
    std::stringbuf buffer_;
    Orv::BinOStream out_{&buffer_};
};

struct FullOptions
{
    bool online = false;
    int32_t regionMode = 1;
    int32_t espvrType = 1;
    int32_t edpvrType = 2;
};

// Every field a full record of the version holds, in the order the old modules wrote them.
Bytes FullRecord(int32_t version, const FullOptions& options = {})
{
    OldRecord r;
    r.Int(version).Int(0).Int(1).Double(20.0).Double(0.1);
    r.Bool(true).Position(0, 100).Position(0, 900).Bool(true).Bool(options.online).Int(options.regionMode);
    if (version >= 2)
        r.Bool(true).Bool(false).Int(options.espvrType).Int(options.edpvrType);
    for (int flag = 1; flag <= 23; ++flag)
        r.Bool(flag % 2 == 1);
    if (version >= 3)
        r.Bool(false).Bool(true).Bool(true).Bool(true).Int(5);
    if (version >= 7)
        r.Bool(true).Bool(false).Bool(true).Bool(true);
    if (version >= 4)
    {
        r.Int(1).Int(3).Text(L"Volume").Text(L"25").Text(L"");
        r.Int(0).Text(L"uL").Int(0).Int(0).Int(0);
        if (version >= 5)
            r.Int(0);
        r.Int(Marker);
    }
    if (version >= 6)
        r.Int(1).Int(0);
    if (version >= 8)
        r.Int(1).Double(0.5);
    if (version >= 9)
        r.Int(1).Int(1);
    if (version >= 10)
        r.Text(L"ecg");
    if (version >= 12)
        r.Int(1);
    if (version >= 14)
        r.Int(2).Int(0).Int(0).Double(9.0).Double(9.0).Int(1).Int(1).Double(2.0).Double(3.0);
    r.Int(0);
    return r.Get();
}

HRESULT LoadFull(RecordDocument& document, const Bytes& bytes)
{
    return LoadLegacyFullSettings(TestStreams::MemoryStream(bytes).Get(), document);
}

HRESULT LoadSettingsOnly(RecordDocument& document, const Bytes& bytes)
{
    return LoadLegacySettingsOnly(TestStreams::MemoryStream(bytes).Get(), document);
}

bool Shown(RecordDocument& document, int32_t parameter)
{
    return ValueOf<PropertyType::ParameterSet>(document, ModelKind::HemoTable, PropertyId::TableParameterSet)
        .count(parameter) != 0;
}

TEST(LegacySettings, FullRecordOfVersionOneReadsNoRegressionsAndShowsTheLaterParameters)
{
    RecordDocument document;
    document.displayScale = 2.0;
    document.displayOffset = 1.0;
    const int32_t espvrBefore = ValueOf<PropertyType::Int>(document, ModelKind::LoopView, PropertyId::EspvrRegressionType);
    ASSERT_EQ(S_OK, LoadFull(document, FullRecord(1)));
    EXPECT_EQ(9.0, ValueOf<PropertyType::Double>(document, ModelKind::WorkflowSetup, PropertyId::MinimumPeakHeight));
    EXPECT_EQ(0.1, ValueOf<PropertyType::Double>(document, ModelKind::WorkflowSetup, PropertyId::MinimumPeriod));
    EXPECT_EQ(1, ValueOf<PropertyType::Channel>(document, ModelKind::WorkflowSetup, PropertyId::VolumeChannel));
    EXPECT_EQ((RecordingPosition{100, 0}),
              ValueOf<PropertyType::Position>(document, ModelKind::WorkflowSetup, PropertyId::RegionStart));
    EXPECT_EQ(-1, ValueOf<PropertyType::Int>(document, ModelKind::WorkflowSetup, PropertyId::SelectedLoop));
    EXPECT_EQ(espvrBefore, ValueOf<PropertyType::Int>(document, ModelKind::LoopView, PropertyId::EspvrRegressionType));
    for (int32_t parameter = 1; parameter <= 31; ++parameter)
    {
        const bool expected = parameter <= 21 ? parameter % 2 == 1 : parameter <= 29;
        EXPECT_EQ(expected, Shown(document, parameter)) << parameter;
    }
    EXPECT_TRUE(Shown(document, 0));
}

TEST(LegacySettings, FullRecordsOfLaterVersionsLoadTheirFields)
{
    RecordDocument v11;
    ASSERT_EQ(S_OK, LoadFull(v11, FullRecord(11, {.online = true, .regionMode = 0})));
    EXPECT_FALSE(ValueOf<PropertyType::Bool>(v11, ModelKind::WorkflowSetup, PropertyId::OnlineMode));
    EXPECT_FALSE(ValueOf<PropertyType::Bool>(v11, ModelKind::WorkflowSetup, PropertyId::RegionSet));
    EXPECT_EQ(1, ValueOf<PropertyType::Int>(v11, ModelKind::WorkflowSetup, PropertyId::RegionMode));
    EXPECT_EQ(RecordingPosition{}, ValueOf<PropertyType::Position>(v11, ModelKind::WorkflowSetup, PropertyId::RegionEnd));
    EXPECT_EQ(1, ValueOf<PropertyType::Int>(v11, ModelKind::LoopView, PropertyId::EspvrRegressionType));
    EXPECT_EQ(1, ValueOf<PropertyType::Int>(v11, ModelKind::LoopView, PropertyId::EdpvrRegressionType));
    EXPECT_EQ(5, ValueOf<PropertyType::Int>(v11, ModelKind::WorkflowSetup, PropertyId::SelectedLoop));
    EXPECT_FALSE(Shown(v11, 26));
    EXPECT_FALSE(Shown(v11, 23));
    const auto volumes = ValueOf<PropertyType::DoubleVector>(v11, ModelKind::CuvetteCalib, PropertyId::KnownVolumes);
    ASSERT_EQ(2u, volumes.size());
    EXPECT_DOUBLE_EQ(25e-6, volumes[0]);
    EXPECT_TRUE(IsBlankMarker(volumes[1]));
    EXPECT_EQ(1, ValueOf<PropertyType::Int>(v11, ModelKind::WorkflowSetup, PropertyId::DetectionSource));
    EXPECT_EQ(0.5, ValueOf<PropertyType::Double>(v11, ModelKind::SalineCalib, PropertyId::ParallelConductance));
    EXPECT_STREQ(L"ecg", ValueOf<PropertyType::Text>(v11, ModelKind::WorkflowSetup, PropertyId::EcgEventSource).c_str());

    RecordDocument v12;
    ASSERT_EQ(S_OK, LoadFull(v12, FullRecord(12, {.online = true})));
    EXPECT_EQ((RecordingPosition{100, 0}),
              ValueOf<PropertyType::Position>(v12, ModelKind::WorkflowSetup, PropertyId::RegionStart));
    EXPECT_EQ((RecordingPosition{0x7FFFFFFF, 0x7FFFFFFF}),
              ValueOf<PropertyType::Position>(v12, ModelKind::WorkflowSetup, PropertyId::RegionEnd));

    RecordDocument v16;
    v16.displayScale = 2.0;
    ASSERT_EQ(S_OK, LoadFull(v16, FullRecord(16, {.edpvrType = 1})));
    EXPECT_EQ(20.0, ValueOf<PropertyType::Double>(v16, ModelKind::WorkflowSetup, PropertyId::MinimumPeakHeight));
    EXPECT_DOUBLE_EQ(2e-6, ValueOf<PropertyType::Double>(v16, ModelKind::CuvetteCalib, PropertyId::CuvetteSlope));
    EXPECT_DOUBLE_EQ(3e-6, ValueOf<PropertyType::Double>(v16, ModelKind::CuvetteCalib, PropertyId::CuvetteIntercept));
    EXPECT_EQ(RecordDocument().document.GetModel(ModelKind::LoopView)->GetValue<PropertyType::Int>(PropertyId::EdpvrRegressionType),
              ValueOf<PropertyType::Int>(v16, ModelKind::LoopView, PropertyId::EdpvrRegressionType));
}

// A settings-only record of the version with a two-row cuvette table.
Bytes SettingsOnlyRecord(int32_t version, bool withMarker = true, double slope = 0.0, double intercept = 2.0)
{
    OldRecord r;
    r.Int(version).Int(0).Int(3).Int(-3).Int(1).Int(0).Int(1);
    if (version >= 2)
    {
        r.Int(1).Int(2);
        if (version >= 3)
            r.Int(3).Text(L"Row 1").Text(L"").Text(L"7").Text(L"Row 2").Text(L"abc").Text(L"8");
        else
            r.Text(L"a").Text(L"b").Text(L"5").Text(L"x").Text(L"y").Text(L"");
        r.Double(slope).Double(intercept);
        if (version >= 4)
            r.Double(0.0).Double(0.0);
        if (version >= 5)
            r.Int(0).Int(0).Int(0).Int(0);
        if (version >= 7)
            r.Position(1, 10).Position(2, 20);
        if (version >= 8)
            r.Int(1).Int(0).Int(1);
        if (withMarker)
            r.Int(Marker);
    }
    return r.Get();
}

TEST(LegacySettings, SettingsOnlyRecordsLoadTheirFields)
{
    RecordDocument v1;
    ASSERT_EQ(S_OK, LoadSettingsOnly(v1, SettingsOnlyRecord(1)));
    EXPECT_EQ((IntSet{0, 2}), ValueOf<PropertyType::IntSet>(v1, ModelKind::LoopView, PropertyId::CheckedItems));

    RecordDocument v2;
    v2.document.Set<PropertyType::DoubleVector>(ModelKind::CuvetteCalib, PropertyId::KnownVolumes, {1.0, 2.0});
    ASSERT_EQ(S_OK, LoadSettingsOnly(v2, SettingsOnlyRecord(2)));
    const DoubleMatrix table2 = ValueOf<PropertyType::Matrix>(v2, ModelKind::CuvetteCalib, PropertyId::CuvetteTable);
    EXPECT_EQ(5.0, table2.At(0, 0));
    EXPECT_TRUE(IsBlankMarker(table2.At(0, 1)));
    EXPECT_EQ((std::vector<double>{1.0, 2.0}),
              ValueOf<PropertyType::DoubleVector>(v2, ModelKind::CuvetteCalib, PropertyId::KnownVolumes));
    EXPECT_EQ(1.0, ValueOf<PropertyType::Double>(v2, ModelKind::CuvetteCalib, PropertyId::CuvetteSlope));
    EXPECT_EQ(2.0, ValueOf<PropertyType::Double>(v2, ModelKind::CuvetteCalib, PropertyId::CuvetteIntercept));

    RecordDocument v3;
    v3.document.Set<PropertyType::DoubleVector>(ModelKind::CuvetteCalib, PropertyId::KnownVolumes, {1.0, 2.0});
    ASSERT_EQ(S_OK, LoadSettingsOnly(v3, SettingsOnlyRecord(3)));
    const auto volumes = ValueOf<PropertyType::DoubleVector>(v3, ModelKind::CuvetteCalib, PropertyId::KnownVolumes);
    ASSERT_EQ(2u, volumes.size());
    EXPECT_TRUE(IsBlankMarker(volumes[0]));
    EXPECT_EQ(2.0, volumes[1]);
    const DoubleMatrix table3 = ValueOf<PropertyType::Matrix>(v3, ModelKind::CuvetteCalib, PropertyId::CuvetteTable);
    EXPECT_EQ(7.0, table3.At(0, 0));
    EXPECT_EQ(8.0, table3.At(0, 1));

    RecordDocument v5;
    ASSERT_EQ(S_OK, LoadSettingsOnly(v5, SettingsOnlyRecord(5)));
    EXPECT_EQ(1.0, ValueOf<PropertyType::Double>(v5, ModelKind::CuvetteCalib, PropertyId::CuvetteSlope));

    RecordDocument v8;
    ASSERT_EQ(S_OK, LoadSettingsOnly(v8, SettingsOnlyRecord(8)));
    EXPECT_TRUE(IsBlankMarker(ValueOf<PropertyType::Double>(v8, ModelKind::CuvetteCalib, PropertyId::CuvetteSlope)));
    EXPECT_EQ((RecordingPosition{20, 2}),
              ValueOf<PropertyType::Position>(v8, ModelKind::WorkflowSetup, PropertyId::RegionEnd));
}

// Before version 9 the cuvette values were kept against the volume channel's raw values: they follow the
// channel's conversion (shown = 2 raw + 1), so that each conductance still gives the volume it gave.
TEST(LegacySettings, OldCuvetteValuesFollowTheVolumeChannelsConversion)
{
    const struct
    {
        int32_t version;
        double slope, intercept, cell, secondCell;
    } cases[] = {{2, 2.0, 1.0, 11.0, NAN}, {9, 0.0, 2.0, 7.0, 8.0}};
    for (const auto& c : cases)
    {
        RecordDocument document;
        document.document.Set<PropertyType::Channel>(ModelKind::WorkflowSetup, PropertyId::VolumeChannel, 1);
        document.document.host.shown[0] = CalibratorTests::ShownUnit(L"S", 2.0, 1.0);
        const double slopeBefore = ValueOf<PropertyType::Double>(document, ModelKind::CuvetteCalib, PropertyId::CuvetteSlope);
        ASSERT_EQ(S_OK, LoadSettingsOnly(document, SettingsOnlyRecord(c.version, true, 4.0, 3.0))) << c.version;
        const DoubleMatrix table = ValueOf<PropertyType::Matrix>(document, ModelKind::CuvetteCalib, PropertyId::CuvetteTable);
        EXPECT_EQ(c.cell, table.At(0, 0)) << c.version;
        EXPECT_TRUE(std::isnan(c.secondCell) ? std::isnan(table.At(0, 1)) : table.At(0, 1) == c.secondCell) << c.version;
        const double slope = ValueOf<PropertyType::Double>(document, ModelKind::CuvetteCalib, PropertyId::CuvetteSlope);
        if (c.version < 9)
        {
            EXPECT_EQ(c.slope, slope);
            EXPECT_EQ(c.intercept, ValueOf<PropertyType::Double>(document, ModelKind::CuvetteCalib, PropertyId::CuvetteIntercept));
            EXPECT_DOUBLE_EQ(4.0 * 5.0 + 3.0, slope * table.At(0, 0) + 1.0);
        }
        else
            EXPECT_TRUE(std::isnan(slope) == std::isnan(slopeBefore));
    }
}

// Before version 8 a record holds no volume calibrator: a calibration in force on the volume channel
// starts again from the default conversion, otherwise the channel's own is read.
TEST(LegacySettings, OldRecordsRenewTheVolumeCalibratorsConversion)
{
    for (const bool inForce : {true, false})
    {
        RecordDocument document;
        document.document.Set<PropertyType::Channel>(ModelKind::WorkflowSetup, PropertyId::VolumeChannel, 1);
        // The record's region starts in record 1.
        document.document.host.shown[0] = document.document.host.shown[1] = CalibratorTests::RawUnit(L"S");
        if (inForce)
            document.volume.FetchChannelConversion(1);
        ASSERT_EQ(S_OK, LoadSettingsOnly(document, SettingsOnlyRecord(7)));
        const auto kept = document.volume.FindConversion(1);
        ASSERT_TRUE(kept);
        EXPECT_EQ(!inForce, kept.Get() == document.document.host.shown[0].Get()) << inForce;
    }
}

// An old full record finds the analysis' calculations again by their names.
TEST(LegacySettings, OldFullRecordsLookTheCalculationsUpAgain)
{
    RecordDocument document;
    ASSERT_EQ(S_OK, LoadFull(document, FullRecord(16)));
    EXPECT_EQ(1, document.calculationLookups);
}

// Whatever the damage, a refused record leaves the document's settings as they were.
void ExpectRefused(HRESULT (*load)(RecordDocument&, const Bytes&), const Bytes& bytes, HRESULT expected,
                   const std::string& what)
{
    RecordDocument document;
    const Bytes before = document.Saved(SettingsFlavour::Full);
    EXPECT_EQ(expected, load(document, bytes)) << what;
    EXPECT_EQ(before, document.Saved(SettingsFlavour::Full)) << what;
}

TEST(LegacySettings, CutRecordsAreRefusedWithoutChangingAnything)
{
    for (const int32_t version : {1, 3, 11, 16})
    {
        const Bytes whole = FullRecord(version);
        for (std::size_t size = 4; size < whole.size(); ++size)
            ExpectRefused(LoadFull, Bytes(whole.begin(), whole.begin() + size), Orv::E_ORV_READ_FAILED,
                          "full " + std::to_string(version) + " cut at " + std::to_string(size));
    }
    for (const int32_t version : {1, 3, 8})
    {
        const Bytes whole = SettingsOnlyRecord(version);
        for (std::size_t size = 4; size < whole.size(); ++size)
        {
            const bool beforeMarker = version >= 2 && size >= SettingsOnlyRecord(version, false).size();
            ExpectRefused(LoadSettingsOnly, Bytes(whole.begin(), whole.begin() + size),
                          beforeMarker ? E_FAIL : Orv::E_ORV_READ_FAILED,
                          "settings " + std::to_string(version) + " cut at " + std::to_string(size));
        }
    }
}

TEST(LegacySettings, CountsBeyondTheRecordOrNegativeAreRefused)
{
    const uint32_t counts[] = {0x7FFFFFFFu, 0x40000000u, 0xA004820Au, 0xFFFFFFFFu};
    for (const uint32_t count : counts)
    {
        const std::string what = "count " + std::to_string(count);
        const int32_t word = static_cast<int32_t>(count);
        OldRecord loops;
        loops.Int(3).Int(0).Int(word).Int(-word).Int(1);
        ExpectRefused(LoadSettingsOnly, loops.Get(), Orv::E_ORV_READ_FAILED, "loops " + what);

        OldRecord rows;
        rows.Int(3).Int(0).Int(0).Int(0).Int(1).Int(word).Int(3).Text(L"1");
        ExpectRefused(LoadSettingsOnly, rows.Get(), Orv::E_ORV_READ_FAILED, "rows " + what);

        OldRecord columns;
        columns.Int(3).Int(0).Int(0).Int(0).Int(1).Int(2).Int(word).Text(L"1");
        ExpectRefused(LoadSettingsOnly, columns.Get(), Orv::E_ORV_READ_FAILED, "columns " + what);

        Bytes knownVolumes = FullRecord(4);
        const std::size_t rowsAt = 4 * 4 + 8 * 2 + 4 * 8 + 4 * 4 + 4 * 23 + 4 * 5 + 4;
        std::memcpy(knownVolumes.data() + rowsAt, &word, 4);
        ExpectRefused(LoadFull, knownVolumes, Orv::E_ORV_READ_FAILED, "known volumes " + what);
    }
    OldRecord mismatched;
    mismatched.Int(2).Int(0).Int(3).Int(3);
    ExpectRefused(LoadSettingsOnly, mismatched.Get(), Orv::E_ORV_READ_FAILED, "check word");
    OldRecord newerTable;
    newerTable.Int(3).Int(0).Int(0).Int(0).Int(2);
    ExpectRefused(LoadSettingsOnly, newerTable.Get(), Orv::E_ORV_NEWER_VERSION, "table version");
    ExpectRefused(LoadFull, OldRecord().Int(0).Get(), Orv::E_ORV_READ_FAILED, "version 0");
    ExpectRefused(LoadFull, OldRecord().Int(21).Get(), Orv::E_ORV_NEWER_VERSION, "version 21");
    ExpectRefused(LoadSettingsOnly, OldRecord().Int(13).Get(), Orv::E_ORV_NEWER_VERSION, "version 13");
}

} // namespace
