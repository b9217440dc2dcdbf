// The self-tests' data source on a document of the host: channels, rates, record length and ticks.
#include "selftest/routines/EventHelpers.h"
#include "testsupport/StandInHost.h"

#include "foundation/numbers/Rational.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace
{

std::wstring FailureOf(const std::function<void()>& step)
{
    try
    {
        step();
        return {};
    }
    catch (const UnitTestException& failure)
    {
        return failure.Message().c_str();
    }
}

stdtests::TestRecording NewRecording()
{
    StandInHost::SelfTestHost();
    return stdtests::NewTestRecording();
}

TEST(FormulaDataAdder, TicksAreAddedUpToTheRecordsLengthAndTheDocumentHasThem)
{
    const auto recording = NewRecording();
    ASSERT_TRUE(recording.document);
    recording.adder->OpenRecord({}, 250, {}, 0.0);
    for (const int32_t expected : {100, 200, 250, 250})
    {
        recording.adder->AddTicks(100);
        EXPECT_EQ(expected, recording.adder->TicksAdded());
    }
    recording.adder->StopSampling();
    // No formulas: one channel "1" that samples.
    EXPECT_EQ(1000.0, recording.adder->TickRate());
    EXPECT_TRUE(recording.adder->ChannelMask().None()) << "the default channel samples without a mask";
    Orv::ComPtr<IHostDocument> host;
    recording.document->QueryInterface(IID_IHostDocument, host.PutVoid());
    int32_t ticks = 0;
    ASSERT_EQ(S_OK, host->GetRecordLength(0, 0, &ticks));
    EXPECT_EQ(250, ticks);
}

TEST(FormulaDataAdder, TheFastestChannelSetsTheTickRate)
{
    const auto recording = NewRecording();
    recording.adder->SetChannels({L"1", L"t", L"2"}, 500, {100.0, 1000.0, 400.0});
    EXPECT_EQ(1000.0, recording.adder->TickRate());
    EXPECT_TRUE(recording.adder->ChannelMask().Test(2));
}

TEST(FormulaDataAdder, RefusesWhatItCannotRecordWithTheCheckThatSaysSo)
{
    struct Case
    {
        std::vector<std::wstring> expressions;
        std::vector<double> rates;
        const wchar_t* failure;
    };
    const Case cases[] = {
        {{L"1", L"2", L"3"}, {1000.0, 1000.0}, L"TestDataAdder, Line 58 [mExpressions.size() == mSampleRates.size()]"},
        // The host records every channel of a record at the tick rate.
        {{L"1", L"2"}, {500.0, 1000.0}, L"[canSample], [every channel must sample at the tick rate]"},
    };
    for (const Case& c : cases)
    {
        const auto recording = NewRecording();
        const std::wstring failure = FailureOf([&] { recording.adder->OpenRecord(c.expressions, 100, c.rates, 0.0); });
        EXPECT_NE(std::wstring::npos, failure.find(c.failure)) << failure;
    }
}

TEST(FormulaDataAdder, ARateBelowOneHasNoPeriod)
{
    const auto recording = NewRecording();
    try
    {
        recording.adder->OpenRecord({L"1"}, 100, {0.5}, 0.0);
        ADD_FAILURE() << "a rate below one is refused";
    }
    catch (const OrvRationalImp::bad_rational& refused)
    {
        EXPECT_STREQ("bad rational: zero denominator", refused.what());
    }
}

TEST(FormulaDataAdder, AFlaggedChannelIsDeclaredWithTheLimitedRangeTheOthersWithTheOpenOne)
{
    const auto recording = NewRecording();
    recording.adder->SetChannelFlags({0u, 0x80000000u});
    recording.adder->OpenRecordAtRate({L"1", L"2", L"3"}, 100, 1000.0, 0.0);
    const auto host = StandInHost::HostDocument::FromContext(recording.document.Get());
    ASSERT_TRUE(host && host->Acquiring());
    const float open = std::numeric_limits<float>::infinity();
    const float expectedTops[] = {open, 10.0f, open};
    for (int32_t channel = 0; channel < 3; ++channel)
    {
        Orv::ComPtr<IHostChannelUnits> units;
        IUnknown* declared = host->DeclaredUnits(channel);
        ASSERT_TRUE(declared && SUCCEEDED(declared->QueryInterface(IID_IHostChannelUnits, units.PutVoid()))) << channel;
        HostUnitsRecord record;
        units->GetUnitsRecord(&record);
        EXPECT_EQ(expectedTops[channel], record.top) << channel;
        EXPECT_EQ(-expectedTops[channel], record.bottom) << channel;
        EXPECT_EQ(1.0, record.scale);
    }
    recording.adder->StopSampling();
}

TEST(FormulaDataAdder, ReportsItsRecordLength)
{
    const auto recording = NewRecording();
    int64_t ticks = 0;
    EXPECT_EQ(E_POINTER, recording.adder->GetRecordLength(nullptr));
    ASSERT_EQ(S_OK, recording.adder->GetRecordTicks(&ticks));
    EXPECT_EQ(10240, ticks);
}

TEST(FormulaDataAdder, ChannelsSampleTheirFormulasAtTheirRate)
{
    const auto recording = NewRecording();
    recording.adder->AddRecordAtRate({L"2 * t", L"3"}, 400, 200.0, 0.0);
    Orv::ComPtr<IHostDocument> host;
    recording.document->QueryInterface(IID_IHostDocument, host.PutVoid());
    double interval = 0.0;
    ASSERT_EQ(S_OK, host->GetTickInterval(0, 0, &interval));
    EXPECT_DOUBLE_EQ(0.005, interval);
    Orv::ComPtr<IUnknown> opened;
    ASSERT_EQ(S_OK, host->OpenChannelEnum(HostChannelScaled | HostChannelStream, 0, 0, opened.Put()));
    const auto samples = opened.As<IEnumFloatEx>(IID_IEnumFloatEx);
    std::vector<float> values(400);
    int32_t fetched = 0;
    samples->Next(400, values.data(), &fetched);
    ASSERT_EQ(400, fetched);
    for (int32_t tick : {0, 1, 199, 399})
        EXPECT_NEAR(2.0 * tick * 0.005, values[static_cast<size_t>(tick)], 1e-5) << tick;
}

} // namespace
