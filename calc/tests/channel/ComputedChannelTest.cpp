// The computed channel's settings record, its selector text and the mapping of its range onto raw
// samples.
#include "calc/channel/ChannelCalculationSettings.h"
#include "calc/channel/ChannelOutputRange.h"
#include "foundation/com/ResultCodes.h"
#include "foundation/tests/streams/MemoryStreams.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{
using namespace Sistra;
using TestStreams::Bytes;

Bytes RecordBytes(uint32_t version, uint32_t index, float low, float high)
{
    Bytes bytes(16);
    std::memcpy(bytes.data(), &version, 4);
    std::memcpy(bytes.data() + 4, &index, 4);
    std::memcpy(bytes.data() + 8, &low, 4);
    std::memcpy(bytes.data() + 12, &high, 4);
    return bytes;
}

struct SettingsHandle
{
    ChannelCalculationSettings* settings = new ChannelCalculationSettings();
    ~SettingsHandle() { settings->Release(); }
};

TEST(ComputedChannelSettings, RecordIsFourWordsAndRoundTripsIndexAndRange)
{
    SettingsHandle saved;
    saved.settings->parameterIndex = 27;
    saved.settings->low = -2.5f;
    saved.settings->high = 40.0f;
    saved.settings->decimalPlaces = 2.0f;
    auto stream = TestStreams::MemoryStream();
    ASSERT_EQ(S_OK, saved.settings->Save(stream.Get()));
    EXPECT_EQ(RecordBytes(1, 27, -2.5f, 40.0f), TestStreams::ContentOf(stream.Get()));

    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    IPersistObject* loaded = nullptr;
    ASSERT_EQ(S_OK, LoadChannelSettings(stream.Get(), &loaded));
    auto* settings = static_cast<ChannelCalculationSettings*>(loaded);
    EXPECT_EQ(27u, settings->parameterIndex);
    EXPECT_EQ(-2.5f, settings->low);
    EXPECT_EQ(40.0f, settings->high);
    EXPECT_EQ(4.0f, settings->decimalPlaces); // not stored
    loaded->Release();
}

TEST(ComputedChannelSettings, InvalidRecordsHandOutNothingAndLeaveLoadedSettingsAlone)
{
    struct Case
    {
        const char* name;
        Bytes bytes;
        HRESULT expected;
    };
    const Bytes whole = RecordBytes(1, 5, 0.0f, 9.0f);
    const Case cases[] = {
        {"newer version", RecordBytes(2, 5, 0.0f, 9.0f), Orv::E_ORV_NEWER_VERSION},
        {"empty", {}, Orv::E_ORV_READ_FAILED},
        {"cut in the index", Bytes(whole.begin(), whole.begin() + 6), Orv::E_ORV_READ_FAILED},
        {"cut in the high", Bytes(whole.begin(), whole.begin() + 15), Orv::E_ORV_READ_FAILED},
        {"parameter 0", RecordBytes(1, 0, 0.0f, 9.0f), Orv::E_ORV_READ_FAILED},
        {"parameter 32", RecordBytes(1, 32, 0.0f, 9.0f), Orv::E_ORV_READ_FAILED},
    };
    for (const Case& c : cases)
    {
        IPersistObject* loaded = reinterpret_cast<IPersistObject*>(1);
        EXPECT_EQ(c.expected, LoadChannelSettings(TestStreams::MemoryStream(c.bytes).Get(), &loaded)) << c.name;
        EXPECT_EQ(nullptr, loaded) << c.name;

        SettingsHandle kept;
        EXPECT_EQ(c.expected, kept.settings->Load(TestStreams::MemoryStream(c.bytes).Get())) << c.name;
        EXPECT_EQ(1u, kept.settings->parameterIndex) << c.name;
        EXPECT_EQ(-1.0f, kept.settings->low) << c.name;
        EXPECT_EQ(1.0f, kept.settings->high) << c.name;
    }
}

TEST(ComputedChannelSettings, SaveReportsAStreamThatRefusesTheWrite)
{
    TestStreams::CountingStream full;
    full.refuseWrites = true;
    SettingsHandle settings;
    EXPECT_TRUE(FAILED(settings.settings->Save(&full)));
}

TEST(ComputedChannelSettings, SelectorTextTakesTheSourceOfTheParameterKind)
{
    struct Case
    {
        uint32_t index;
        double pressure, volume;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {3, 1.0, 1.0, L"SistraParamSelector(sistra, 3, 1, 1)"},
        {27, 1.0, 1.0, L"SistraPVAParamSelector(pva, 27, 1, 1)"},
        {26, 0.5, 1e-6, L"SistraPVAParamSelector(pva, 26, 0.5, 1e-06)"},
        {29, 133.322, 0.001, L"SistraParamSelector(sistra, 29, 133.322, 0.001)"},
    };
    SettingsHandle settings;
    settings.settings->loopSourceText = L"sistra";
    settings.settings->pvaSourceText = L"pva";
    for (const Case& c : cases)
    {
        settings.settings->parameterIndex = c.index;
        EXPECT_STREQ(c.expected, BuildChannelSelectorExpression(*settings.settings, c.pressure, c.volume).c_str());
    }
}

TEST(ChannelOutputRange, MapsTheRangeOntoRawSamples)
{
    struct Case
    {
        double high, low;
        double scale, offset, gain, shift;
    };
    const Case cases[] = {
        {1.0, -1.0, 2.0f / 64000.0f, 0.0, 32000.0, 0.0},
        {64000.0, 0.0, 1.0, 32000.0, 1.0, -32000.0},
        {1e30, 0.0, 1e24f / 64000.0f, 32000.0, 64000.0 / 1e24f, -0.5e24},
    };
    for (const Case& c : cases)
    {
        const ChannelOutputRange range = MapChannelOutputRange(c.high, c.low);
        EXPECT_DOUBLE_EQ(c.scale, range.scale) << c.high;
        EXPECT_NEAR(c.offset, range.offset, 1e-9) << c.high;
        EXPECT_NEAR(c.gain, range.gain, std::fabs(c.gain) * 1e-6) << c.high;
        EXPECT_NEAR(c.shift, range.shift, std::fabs(c.shift) * 1e-6 + 1e-9) << c.high;
    }
}

TEST(ChannelOutputRange, RangeOfZeroWidthIsWidenedToFiniteValues)
{
    for (const double value : {0.0, 1.0, -3.5, 1e6, 1e24, 1e30})
    {
        const ChannelOutputRange range = MapChannelOutputRange(value, value);
        EXPECT_TRUE(std::isfinite(range.scale) && range.scale > 0) << value;
        EXPECT_TRUE(std::isfinite(range.offset) && std::isfinite(range.gain) && std::isfinite(range.shift)) << value;
        if (std::fabs(value) >= 1e24)
            continue; // clamped: the widened ends lie beyond the limit
        float low = static_cast<float>(value);
        float high = low;
        WidenNarrowRange(low, high);
        EXPECT_LT(low, high) << value;
        const ChannelOutputRange widened = MapChannelOutputRange(high, low);
        EXPECT_EQ(widened.scale, range.scale) << value;
        EXPECT_EQ(widened.offset, range.offset) << value;
    }
    float low = 2.0f, high = 2.0f;
    WidenNarrowRange(low, high);
    EXPECT_EQ(2.0f - 1e-5f, low);
    EXPECT_EQ(2.0f + 1e-5f, high);
}

} // namespace
