// The host's units conversions: two-point conversions made from texts, their units and descriptions,
// their round trip through a record stream, and the conversions a document shows per record.
#include "RecordingFixtures.h"
#include "host/app/document/ChannelActions.h"
#include "host/app/document/HostDocument.h"
#include "host/vyr/UnitConversions.h"
#include "hostapi/HostSelectionSource.h"

#include "foundation/streams/BinaryStream.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <utility>

namespace
{

using Orv::ComPtr;

const Orv::ChannelUnitsRecord& RecordOf(IUnitConversion* conversion)
{
    const void* record = nullptr;
    EXPECT_EQ(S_OK, conversion->GetUnitsRecord(&record));
    return *static_cast<const Orv::ChannelUnitsRecord*>(record);
}

struct TwoPointCase
{
    const wchar_t* channelUnit;
    const wchar_t* raw1;
    const wchar_t* raw2;
    const wchar_t* shown1;
    const wchar_t* shown2;
    const wchar_t* unit;
    LONG prefixCode;
    HRESULT expected;
    double scale;
    double offset;
};

TEST(UnitConversions, TwoPointConversionsReadTheirTextsInTheClassicLocale)
{
    const TwoPointCase cases[] = {
        // raw millivolts onto mmHg: 1 mV -> 0, 101 mV -> 100
        {L"V", L"1mV", L"101mV", L"0", L"100", L"mmHg", 1, S_OK, 1000.0, -1.0},
        {L"V", L"1", L"3", L"10", L"30", L"mmHg", 1, S_OK, 10.0, 0.0},
        // shown values in microlitres are kept unprefixed
        {L"mS", L"0mS", L"10mS", L"0", L"10", L"L", 6, S_OK, 1e-3, 0.0},
        {L"mmHg", L"2mmHg", L"4mmHg", L"1", L"2", L"kPa", 1, S_OK, 0.5, 0.0},
        {L"V", L"1mmHg", L"2mmHg", L"0", L"1", L"mmHg", 1, E_INVALIDARG, 0, 0},
        {L"V", L"1,5mV", L"2mV", L"0", L"1", L"mmHg", 1, E_INVALIDARG, 0, 0},
        {L"V", L"1mV", L"2mV", L"0,5", L"1", L"mmHg", 1, E_INVALIDARG, 0, 0},
        {L"V", L"infmV", L"2mV", L"0", L"1", L"mmHg", 1, E_INVALIDARG, 0, 0},
        {L"V", L"1mV", L"2mV", L"0", L"inf", L"mmHg", 1, E_INVALIDARG, 0, 0},
        {L"V", L"1mV", L"0.001V", L"0", L"1", L"mmHg", 1, E_INVALIDARG, 0, 0},
        {L"mS", L"1mS", L"10mS", L"5", L"5", L"L", 6, E_INVALIDARG, 0, 0},
    };
    for (const TwoPointCase& c : cases)
    {
        const ComPtr<IUnitConversion> current = Vyr::MakeIdentityConversion(c.channelUnit);
        ComPtr<IUnitConversion> made;
        const HRESULT hr = Vyr::CreateTwoPointConversion(current.Get(), c.raw1, c.raw2, c.shown1, c.shown2, c.unit,
                                                         c.prefixCode, made.Put());
        ASSERT_EQ(c.expected, hr) << c.raw1 << L" " << c.shown2;
        if (FAILED(hr))
        {
            EXPECT_FALSE(made);
            continue;
        }
        const Orv::ChannelUnitsRecord& record = RecordOf(made.Get());
        EXPECT_NEAR(c.scale, record.scale, 1e-12 * std::abs(c.scale)) << c.raw1;
        EXPECT_NEAR(c.offset, record.offset, 1e-12) << c.raw1;
        EXPECT_EQ(VARIANT_TRUE, record.inUse);
    }
}

TEST(UnitConversions, UnitsAndDescriptionFollowHowTheConversionWasMade)
{
    const ComPtr<IUnitConversion> identity = Vyr::MakeIdentityConversion(L"uL", L"LV Volume");
    UnitsInformation information{};
    ASSERT_EQ(S_OK, identity->GetUnitsInformation(&information));
    EXPECT_STREQ(L"L", information.rawUnitText);
    EXPECT_EQ(6, information.rawPrefixCode);
    EXPECT_EQ(VARIANT_FALSE, information.inUse);
    EXPECT_EQ(1.0, information.scale);
    SysFreeString(information.rawUnitText);
    SysFreeString(information.unitText);
    EXPECT_STREQ(L"LV Volume", RecordOf(identity.Get()).GetName().c_str());

    ComPtr<IUnitConversion> calibrated;
    ASSERT_EQ(S_OK, Vyr::CreateTwoPointConversion(identity.Get(), L"1uL", L"2uL", L"10", L"20", L"L", 7,
                                                  calibrated.Put()));
    ASSERT_EQ(S_OK, calibrated->GetUnitsInformation(&information));
    EXPECT_STREQ(L"L", information.unitText);
    EXPECT_EQ(7, information.unitPrefixCode);
    EXPECT_EQ(VARIANT_TRUE, information.inUse);
    EXPECT_NEAR(1e4, information.scale, 1e-8);
    SysFreeString(information.rawUnitText);
    SysFreeString(information.unitText);
    BYTE kind = 0;
    ULONG count = 0;
    ASSERT_EQ(S_OK, calibrated->GetDescription(&kind, &count));
    EXPECT_EQ(UnitConversionKind::TwoPoint, kind);
    std::vector<std::wstring> texts;
    for (ULONG index = 0; index < count; ++index)
    {
        BSTR text = nullptr;
        ASSERT_EQ(S_OK, calibrated->GetDescriptionText(index, &text));
        texts.push_back(Vyr::TakeBstr(text));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"1uL 2uL", L"10 20", L"mL"}), texts);
}

std::string Written(IUnitConversion* conversion)
{
    std::stringbuf bytes;
    Orv::BinOStream out(&bytes);
    EXPECT_EQ(S_OK, Vyr::WriteConversion(&out, conversion));
    return bytes.str();
}

TEST(UnitConversions, AConversionReadBackWritesTheSameBytesAndADamagedOneIsRefused)
{
    const ComPtr<IUnitConversion> identity = Vyr::MakeIdentityConversion(L"mV", L"LVP");
    ComPtr<IUnitConversion> calibrated;
    ASSERT_EQ(S_OK, Vyr::CreateTwoPointConversion(identity.Get(), L"1mV", L"101mV", L"0", L"100", L"mmHg", 1,
                                                  calibrated.Put()));
    const std::string bytes = Written(calibrated.Get());
    std::stringbuf in(bytes);
    Orv::BinIStream reader(&in);
    ComPtr<IUnitConversion> read;
    ASSERT_EQ(S_OK, Vyr::ReadConversion(&reader, read.Put()));
    EXPECT_EQ(bytes, Written(read.Get()));
    EXPECT_EQ(RecordOf(calibrated.Get()).scale, RecordOf(read.Get()).scale);
    EXPECT_STREQ(L"LVP", RecordOf(read.Get()).GetName().c_str());

    for (size_t cut : {size_t{0}, size_t{3}, bytes.size() / 2, bytes.size() - 1})
    {
        std::stringbuf truncated(bytes.substr(0, cut));
        Orv::BinIStream damaged(&truncated);
        ComPtr<IUnitConversion> none;
        EXPECT_EQ(E_FAIL, Vyr::ReadConversion(&damaged, none.Put())) << cut;
        EXPECT_FALSE(none) << cut;
    }
}

// A recording of one channel in unit holding one sample.
Host::Recording OneSample(const char* unit, float sample)
{
    return HostTests::MakeRecording(0.001, {{{sample}}}, {{"Channel 1", unit}});
}

HRESULT ConversionOf(Host::HostDocument& document, int32_t record, ComPtr<IUnitConversion>& conversion)
{
    return document.GetChannelConversion(HostUnsetPosition, record, 0, conversion.Put());
}

TEST(UnitConversions, ADocumentShowsEachRecordWithItsConversionUntilAChannelSetupReplacesThemAll)
{
    const Host::Recording recording = HostTests::MakeRecording(0.001, {{{1.0f}}, {{2.0f}}, {{3.0f}}});
    const ComPtr<Host::HostDocument> document = Host::HostDocument::Offline(recording);
    int32_t count = 0, current = 0;
    ASSERT_EQ(S_OK, document->GetRecordCount(&count, &current));
    EXPECT_EQ(3, count);
    EXPECT_EQ(2, current);

    ComPtr<IUnitConversion> first, other;
    ASSERT_EQ(S_OK, ConversionOf(*document.Get(), 0, first));
    ASSERT_EQ(S_OK, ConversionOf(*document.Get(), HostDefaultRecord, other));
    EXPECT_EQ(first.Get(), other.Get());
    ASSERT_EQ(S_OK, ConversionOf(*document.Get(), HostNewRecordings, other)) << "set up as it was recorded";
    EXPECT_EQ(first.Get(), other.Get());
    EXPECT_EQ(E_INVALIDARG, ConversionOf(*document.Get(), 3, other));

    document->SetRecordConversion(0, 1, nullptr);
    EXPECT_EQ(S_FALSE, ConversionOf(*document.Get(), 1, other));
    EXPECT_FALSE(other);
    // The whole document still shows the channel in its own conversion.
    ASSERT_EQ(S_OK, document->GetChannelConversionEx(HostChannelUnitsRequest, HostWholeDocumentRecord, 0, other.Put()));
    EXPECT_EQ(first.Get(), other.Get());
    EXPECT_EQ(S_FALSE, document->GetChannelConversionEx(HostChannelUnitsRequest, 1, 0, other.Put()));

    ComPtr<IUnitConversion> calibrated;
    ASSERT_EQ(S_OK, Vyr::CreateTwoPointConversion(first.Get(), L"1", L"2", L"0", L"1", L"mmHg", 1, calibrated.Put()));
    ASSERT_EQ(S_OK, document->ApplyChannelSetup(0, 0, 0, 1, calibrated.Get()));
    for (int32_t record : {0, 1, 2})
    {
        ASSERT_EQ(S_OK, ConversionOf(*document.Get(), record, other)) << record;
        EXPECT_EQ(calibrated.Get(), other.Get()) << record;
    }

    const ComPtr<Host::HostDocument> sampling = Host::HostDocument::Sampling(recording);
    ASSERT_EQ(S_OK, ConversionOf(*sampling.Get(), HostNewRecordings, other));
    EXPECT_STREQ(L"V", RecordOf(other.Get()).rawUnitText.c_str());
}


// The document is its own selection source: its selection object gives the selected range (sample, then
// record), none while nothing is selected; its fallback gives a channel's default conversion, whatever
// record a selection lies in.
TEST(UnitConversions, TheDocumentAsSelectionSourceGivesItsRangeAndTheDefaultConversion)
{
    const Host::Recording recording = HostTests::MakeRecording(0.001, {{{1.0f, 2.0f}}, {{3.0f, 4.0f}}});
    const ComPtr<Host::HostDocument> document = Host::HostDocument::Offline(recording);
    ComPtr<IHostSelectionSource> source;
    ASSERT_EQ(S_OK, document->QueryInterface(IID_IHostSelectionSource, source.PutVoid()));
    ComPtr<IUnitConversion> first;
    ASSERT_EQ(S_OK, ConversionOf(*document.Get(), 0, first));
    document->SetRecordConversion(0, 1, nullptr);
    const struct
    {
        std::optional<std::pair<TickPosition, TickPosition>> selected;
    } cases[] = {{std::nullopt}, {std::pair{TickPosition{1, 0}, TickPosition{1, 2}}}, {std::pair{TickPosition{0, 1}, TickPosition{1, 1}}}};
    for (const auto& c : cases)
    {
        if (c.selected)
            document->SetSelection(c.selected->first, c.selected->second);
        else
            document->ClearSelection();
        ComPtr<IUnknown> object;
        ComPtr<IHostSelectionRange> range;
        EXPECT_EQ(c.selected ? S_OK : S_FALSE, source->GetSelectionObject(0, object.Put()));
        if (c.selected)
        {
            ASSERT_EQ(S_OK, object->QueryInterface(IID_IHostSelectionRange, range.PutVoid()));
            SelectionPosition start, end;
            ASSERT_EQ(S_OK, range->GetRange(&start, &end));
            EXPECT_EQ(c.selected->first.tick, start.offset);
            EXPECT_EQ(c.selected->first.record, start.block);
            EXPECT_EQ(c.selected->second.tick, end.offset);
            EXPECT_EQ(c.selected->second.record, end.block);
        }
        else
            EXPECT_FALSE(object);
        ComPtr<IUnknown> fallbackObject;
        ComPtr<IHostUnitsFallback> fallback;
        ComPtr<IUnitConversion> units;
        ASSERT_EQ(S_OK, source->GetUnitsFallback(fallbackObject.Put()));
        ASSERT_EQ(S_OK, fallbackObject->QueryInterface(IID_IHostUnitsFallback, fallback.PutVoid()));
        ASSERT_EQ(S_OK, fallback->GetChannelUnits(0, 0, units.Put()));
        EXPECT_EQ(first.Get(), units.Get());
    }
}

// Calculations read a channel in units without their prefixes: as recorded (ch(N, "base")) and as its
// conversion shows it (chN); the document's display conversion puts the shown unit's prefix back.
TEST(UnitConversions, CalculationsReadChannelsWithoutPrefixesAndTheDisplayAddsThem)
{
    struct Row
    {
        const char* recordedUnit;
        float sample;
        const wchar_t* calibration[5]; // raw1, raw2, shown1, shown2, unit (prefix code in the row)
        LONG prefixCode;
        double shown, base;
        const wchar_t* displayUnit;
        double displayFactor;
    };
    const Row rows[] = {
        {"mmHg", 120.0f, {}, 0, 120.0, 120.0, L"mmHg", 1.0},
        {"mV", 2.0f, {}, 0, 2e-3, 2e-3, L"mV", 1e3},
        {"uL", 30.0f, {}, 0, 30e-6, 30e-6, L"\u00B5L", 1e6},
        {"mV", 51.0f, {L"1mV", L"101mV", L"0", L"100", L"mmHg"}, 1, 50.0, 51e-3, L"mmHg", 1.0},
        {"mS", 5.0f, {L"0mS", L"10mS", L"0", L"10", L"L"}, 6, 5e-6, 5e-3, L"\u00B5L", 1e6},
    };
    for (const Row& row : rows)
    {
        const Host::Recording recording = OneSample(row.recordedUnit, row.sample);
        const ComPtr<Host::HostDocument> document = Host::HostDocument::Offline(recording);
        if (row.calibration[0])
        {
            ComPtr<IUnitConversion> recorded, calibrated;
            ASSERT_EQ(S_OK, ConversionOf(*document.Get(), 0, recorded));
            ASSERT_EQ(S_OK, Vyr::CreateTwoPointConversion(recorded.Get(), row.calibration[0], row.calibration[1],
                                                          row.calibration[2], row.calibration[3], row.calibration[4],
                                                          row.prefixCode, calibrated.Put()));
            ASSERT_EQ(S_OK, document->ApplyChannelSetup(0, 0, 0, 1, calibrated.Get()));
        }
        const auto read = [&](const char* text) {
            float value = NAN;
            Host::Calc::CompileExpression(text, document->CompileContextOf()).channel->Compute(0, 0, {&value, 1});
            return value;
        };
        EXPECT_NEAR(row.shown, read("ch1"), 1e-6 * row.shown) << row.recordedUnit;
        EXPECT_NEAR(row.base, read("ch(1, \"base\")"), 1e-6 * row.base) << row.recordedUnit;

        ComPtr<IUnitConversion> display;
        Vyr::ConversionFacts facts;
        ASSERT_EQ(S_OK, document->GetChannelConversion(HostDisplayConversion, 0, 0, display.Put()));
        ASSERT_TRUE(Vyr::ReadConversionFacts(*display.Get(), facts));
        EXPECT_EQ(row.displayUnit, facts.shownUnit) << row.recordedUnit;
        EXPECT_NEAR(row.displayFactor, (1.0 + facts.offset) * facts.scale, 1e-9 * row.displayFactor) << row.recordedUnit;
    }
}

double ShownScaleOf(Host::HostDocument& document)
{
    ComPtr<IUnitConversion> shown;
    Vyr::ConversionFacts facts;
    return ConversionOf(document, 0, shown) == S_OK && Vyr::ReadConversionFacts(*shown.Get(), facts) ? facts.scale : 0.0;
}

// The units dialog's change: the unit typed is kept apart from its prefix, as a channel recorded in it has
// it; a pressure or a volume stays that quantity and upright, while a raw signal takes any unit and sign.
TEST(UnitConversions, AUnitsChangeKeepsThePrefixApartAndAPressureOrVolumeWhatItIs)
{
    const struct Row
    {
        const char* recordedUnit;
        const wchar_t* unit;
        double shown2; // at raw 1, shown 0 at raw 0
        const char* refusal; // part of the reason, or none
        double scale;        // unprefixed shown per unprefixed raw
        const wchar_t* shownUnit;
        bool turnedOver;
    } rows[] = {
        {"mmHg", L"kPa", 0.133322387415, nullptr, 133.322387415, L"kPa", false},
        {"uL", L"mL", 1e-3, nullptr, 1.0, L"mL", false},
        {"mV", L"mmHg", -100.0, nullptr, -1e5, L"mmHg", true},
        {"mmHg", L"uL", 1.0, "cannot be shown in uL, which is no pressure unit", 0, nullptr, false},
        {"uL", L"mmHg", 1.0, "cannot be shown in mmHg, which is no volume unit", 0, nullptr, false},
        {"mmHg", L"mmHg", -2.0, "would turn the signal over", 0, nullptr, false},
        {"L", L"mL", -1.0, "would turn the signal over", 0, nullptr, false},
    };
    for (const Row& row : rows)
    {
        const Host::Recording recording = OneSample(row.recordedUnit, 1.0f);
        const ComPtr<Host::HostDocument> document = Host::HostDocument::Offline(recording);
        const Host::UnitsChange change{0, 0.0, 1.0, 0.0, row.shown2, row.unit};
        if (row.refusal)
        {
            try
            {
                Host::ChangeChannelUnits(*document.Get(), change);
                ADD_FAILURE() << "taken: " << row.recordedUnit;
            }
            catch (const std::invalid_argument& refused)
            {
                EXPECT_NE(std::string::npos, std::string(refused.what()).find(row.refusal)) << refused.what();
            }
            EXPECT_EQ(1.0, ShownScaleOf(*document.Get())) << "the channel kept its units: " << row.recordedUnit;
            continue;
        }
        EXPECT_EQ(row.turnedOver, Host::ChangeChannelUnits(*document.Get(), change)) << row.recordedUnit;
        ComPtr<IUnitConversion> shown;
        Vyr::ConversionFacts facts;
        ASSERT_EQ(S_OK, ConversionOf(*document.Get(), 0, shown));
        ASSERT_TRUE(Vyr::ReadConversionFacts(*shown.Get(), facts));
        EXPECT_EQ(row.shownUnit, facts.shownUnit) << row.recordedUnit;
        EXPECT_NEAR(row.scale, facts.scale, 1e-9 * std::abs(row.scale)) << row.recordedUnit;
    }
}

} // namespace
