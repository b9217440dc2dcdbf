// The module's data getters running a module function over a recording held by a host document, offline
// and while the document is sampled in chunks; and the module's channel entries on the document.
#include "host/app/calc/ExpressionCalcClass.h"
#include "host/app/document/HostDocument.h"
#include "host/tests/CalcTestSupport.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/module/CrossingFunction.h"

#include "calc/sources/ChannelEntries.h"
#include "calc/sources/DataGetters.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Host;
using ExtLib::EventEnumDataGetter;

namespace
{

constexpr int32_t EventsPerRead = 8;
constexpr double TickInterval = 0.001;
const wchar_t* const CrossingText = L"CrossDet(ch1, 0.5)";
const wchar_t* const CrossingArguments = L"0 0.5";

// Two records of two channels: square waves rising at every tick k × 1000 + 500, and a flat channel.
Recording SquareRecording()
{
    const auto flat = [](size_t ticks) { return std::vector<float>(ticks, 0.0f); };
    return HostTests::MakeRecording(TickInterval,
                                    {{CalcTesting::SquareWave(5000), flat(5000)}, {CalcTesting::SquareWave(3000), flat(3000)}},
                                    2);
}

std::vector<int32_t> CrossingTicks(int32_t length, int32_t from = 0)
{
    std::vector<int32_t> ticks;
    for (int32_t tick = 500; tick < length; tick += 1000)
        if (tick >= from)
            ticks.push_back(tick);
    return ticks;
}

// Appends the ticks of the events the enumerator has now; false once it reported the record's end.
bool ReadAvailable(IEnumEventEx& events, std::vector<int32_t>& ticks)
{
    int32_t size = 0;
    events.GetRecordSize(&size);
    std::vector<std::byte> buffer(static_cast<size_t>(size) * EventsPerRead);
    for (;;)
    {
        int32_t count = 0;
        int32_t next = 0;
        const HRESULT hr = events.Next(static_cast<int32_t>(buffer.size()), CalcNoMoreEventsTick, buffer.data(), &count, &next);
        for (int32_t i = 0; i < count; ++i)
        {
            int32_t tick = 0;
            std::memcpy(&tick, buffer.data() + static_cast<size_t>(i) * static_cast<size_t>(size), sizeof(tick));
            ticks.push_back(tick);
        }
        if (hr != S_OK)
            return false;
        if (count == 0)
            return true;
    }
}

std::vector<int32_t> ReadRecord(ExtLib::EnumGetterBase& getter)
{
    std::vector<int32_t> ticks;
    const auto events = getter.GetEnumEventEx();
    EXPECT_TRUE(events);
    if (events)
    {
        EXPECT_FALSE(ReadAvailable(*events.Get(), ticks)) << "an offline record is read to its end";
    }
    return ticks;
}

double IntervalTheFunctionWasGiven(ExtLib::EnumGetterBase& getter)
{
    double interval = 0.0;
    getter.GetEnumEventEx().As<ICalcEnum>(IID_ICalcEnum)->GetSampleInfo(&interval, nullptr);
    return interval;
}

using RecordTicks = std::vector<std::vector<int32_t>>;

struct Calculation
{
    const wchar_t* text;
    const wchar_t* arguments;
    ULONG type;
};

// The event ticks of every record of the recording, read by an offline getter.
RecordTicks ReadOffline(const Recording& recording, const Calculation& calculation)
{
    const auto document = HostDocument::Offline(recording);
    EventEnumDataGetter getter(document->Unknown(), ExtLib::GetterOffline);
    EXPECT_TRUE(getter.SetSources(false, calculation.text, calculation.arguments, calculation.type));
    RecordTicks records;
    for (int32_t record = 0; record < static_cast<int32_t>(recording.RecordCount()); ++record)
    {
        EXPECT_TRUE(getter.SetPositionAtTime(record, {record, 0}, -1.0));
        records.push_back(ReadRecord(getter));
        getter.Stop();
    }
    return records;
}

struct OnlineRun
{
    RecordTicks records;
    int ends = 0;
};

// The same, read by an online getter while the recording is sampled in chunks: each record is read as
// its data arrives, and at its end the callback reads the rest before the getter stops.
OnlineRun ReadOnline(const Recording& recording, const Calculation& calculation, int64_t chunk)
{
    const auto document = HostDocument::Sampling(recording);
    OnlineRun run;
    run.records.resize(recording.RecordCount());
    int32_t record = 0;
    EventEnumDataGetter* current = nullptr;
    const auto drain = [&] {
        ++run.ends;
        EXPECT_TRUE(current->IsRunning());
        EXPECT_FALSE(ReadAvailable(*current->GetEnumEventEx().Get(), run.records[record]));
    };
    {
        EventEnumDataGetter getter(document->Unknown(), drain, ExtLib::GetterOnline);
        current = &getter;
        EXPECT_EQ(1u, document->SinkCount());
        EXPECT_TRUE(getter.SetSources(false, calculation.text, calculation.arguments, calculation.type));
        for (; record < static_cast<int32_t>(recording.RecordCount()); ++record)
        {
            document->FeedSamples(chunk);
            EXPECT_TRUE(getter.SetPositionAtTime(record, {record, 0}, -1.0));
            while (getter.IsRunning())
            {
                EXPECT_TRUE(ReadAvailable(*getter.GetEnumEventEx().Get(), run.records[record])) << "waits for data";
                document->FeedSamples(chunk);
            }
        }
        EXPECT_TRUE(document->IsSamplingDone());
    }
    EXPECT_EQ(0u, document->SinkCount()) << "the getter leaves the registry with its life";
    return run;
}

ULONG ExpressionTypeId()
{
    Orv::ComPtr<IMsgIdRegistry> registry;
    HostTests::StandIn().QueryInterface(IID_IMsgIdRegistry, registry.PutVoid());
    USHORT code = 0;
    registry->GetCode(&ExpressionCalcClassGuid, &code);
    return static_cast<ULONG>(code) << 16;
}

class DataGetters : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        typeId = HostTests::RegisterCrossingFunction();
        ASSERT_EQ(S_OK, Calc::RegisterExpressionCalcClass(HostTests::StandIn()));
    }

    static inline ULONG typeId = 0;
    Recording recording = SquareRecording();
};

} // namespace

TEST_F(DataGetters, OfflineGetterReadsTheFunctionsEventsRecordByRecord)
{
    const auto document = HostDocument::Offline(recording);
    EventEnumDataGetter getter(document->Unknown(), ExtLib::GetterOffline);
    EXPECT_EQ(0u, document->SinkCount());
    ASSERT_TRUE(getter.SetSources(false, CrossingText, CrossingArguments, typeId));
    EXPECT_EQ((std::vector<ExtLib::ChannelRef>{{0, false, false}}), getter.ChannelReferences());

    ASSERT_TRUE(getter.SetPositionAtTime(0, {0, 0}, -1.0));
    EXPECT_FALSE(getter.Open(1, {1, 0}, TickInterval)) << "a running calculation is not opened again";
    EXPECT_EQ(CrossingTicks(5000), ReadRecord(getter));
    getter.Stop();
    EXPECT_FALSE(getter.IsRunning());

    ASSERT_TRUE(getter.Open(1, {1, 1200}, TickInterval));
    EXPECT_EQ(CrossingTicks(3000, 1200), ReadRecord(getter));
}

TEST_F(DataGetters, CalculatedChannelsAreOpenedStraightFromTheDocument)
{
    // The document has no data object for a calculated channel; the getter falls back to opening it.
    const auto document = HostDocument::Offline(recording, {"ch1 * 2 + ch2"});
    EventEnumDataGetter getter(document->Unknown(), ExtLib::GetterOffline);
    ASSERT_TRUE(getter.SetSources(false, L"CrossDet(VCH1, 1.5)", L"0 1.5", typeId));
    EXPECT_EQ((std::vector<ExtLib::ChannelRef>{{0, false, true}}), getter.ChannelReferences());
    ASSERT_TRUE(getter.SetPositionAtTime(0, {0, 0}, -1.0));
    EXPECT_EQ(CrossingTicks(5000), ReadRecord(getter));
}

TEST_F(DataGetters, TheTickIntervalIsAskedFromTheDocumentOnlyForMinusOne)
{
    const auto document = HostDocument::Offline(recording);
    EventEnumDataGetter getter(document->Unknown(), ExtLib::GetterOffline);
    ASSERT_TRUE(getter.SetSources(false, CrossingText, CrossingArguments, typeId));
    ASSERT_TRUE(getter.SetPositionAtTime(1, {1, 0}, -1.0));
    EXPECT_EQ(TickInterval, IntervalTheFunctionWasGiven(getter));
    getter.Stop();
    ASSERT_TRUE(getter.SetPositionAtTime(1, {1, 0}, 0.25));
    EXPECT_EQ(0.25, IntervalTheFunctionWasGiven(getter));
    getter.Stop();
    EXPECT_FALSE(getter.SetPositionAtTime(2, {2, 0}, -1.0)) << "a record the document lacks has no tick interval";
    EXPECT_FALSE(getter.IsRunning());
}

TEST_F(DataGetters, OnlineChunksGiveTheOfflineEventsAndEachRecordEndStopsAfterTheCallback)
{
    const Calculation crossing{CrossingText, CrossingArguments, typeId};
    const OnlineRun online = ReadOnline(recording, crossing, 997);
    EXPECT_EQ(2, online.ends);
    EXPECT_EQ((RecordTicks{CrossingTicks(5000), CrossingTicks(3000)}), online.records);
    EXPECT_EQ(ReadOffline(recording, crossing), online.records);
}

TEST_F(DataGetters, HostCalculationTextGivesTheEnginesEventsOfflineAndOnline)
{
    const HostTests::PressureWave beat{0.8};
    const HostTests::PressureWave fasterBeat{0.6};
    const Recording pressure = HostTests::MakeRecording(TickInterval, {{beat.Samples(4000)}, {fasterBeat.Samples(3000)}});
    const std::string text = "cmpeakdet(ch1, 20, 0.05)";
    const std::wstring wideText(text.begin(), text.end());
    const Calculation peaks{wideText.c_str(), wideText.c_str(), ExpressionTypeId()};

    RecordTicks engine;
    for (size_t record = 0; record < 2; ++record)
    {
        engine.emplace_back();
        for (const auto& header : HostTests::RecordEvents(pressure, text, record))
            engine.back().push_back(header.tick);
    }
    EXPECT_EQ(5u, engine[0].size());
    EXPECT_EQ(5u, engine[1].size());
    EXPECT_EQ(engine, ReadOffline(pressure, peaks));
    EXPECT_EQ(engine, ReadOnline(pressure, peaks, 997).records);
}

TEST_F(DataGetters, MissingInterfacesAndUnknownChannelsGiveFalse)
{
    // A source that is no host document: nothing to register with, no record data, no channels.
    const Recording other = SquareRecording();
    const auto notADocument = Orv::ComPtr<IUnknown>(
        new Calc::ChannelEnumAdaptor(other, Calc::MakeRecordedChannel(other, 0), 0));
    EventEnumDataGetter stranger(notADocument.Get(), ExtLib::GetterOnline);
    EXPECT_FALSE(stranger.Advise());
    EXPECT_FALSE(stranger.SetSources(false, CrossingText, CrossingArguments, typeId));
    ASSERT_TRUE(stranger.SetSources(true, CrossingText, CrossingArguments, typeId));
    EXPECT_FALSE(stranger.Open(0, {0, 0}, TickInterval));
    EXPECT_FALSE(stranger.SetPositionAtTime(0, {0, 0}, -1.0));

    const auto document = HostDocument::Offline(recording);
    EventEnumDataGetter getter(document->Unknown(), ExtLib::GetterOffline);
    EXPECT_FALSE(getter.Open(0, {0, 0}, TickInterval)) << "nothing to open before the sources are set";
    EXPECT_FALSE(getter.SetSources(false, CrossingText, CrossingArguments, 0x7FFF0001)) << "no class of that type";
    EXPECT_FALSE(getter.GetEnumEventEx());
    ASSERT_TRUE(getter.SetSources(false, L"CrossDet(ch3, 0.5)", CrossingArguments, typeId));
    EXPECT_FALSE(getter.Open(0, {0, 0}, TickInterval)) << "the document has two channels";
    EXPECT_FALSE(getter.IsRunning());

    // The host's own calculations need the document and text that compiles to events.
    const wchar_t* const peaks = L"cmpeakdet(ch1, 0.5, 0.1)";
    EXPECT_FALSE(getter.SetSources(true, peaks, peaks, ExpressionTypeId()));
    EXPECT_FALSE(getter.SetSources(false, peaks, L"cmpeakdet(ch1, 0.5", ExpressionTypeId()));
    EXPECT_FALSE(getter.SetSources(false, L"ch1 * 2", L"ch1 * 2", ExpressionTypeId()));
    EXPECT_TRUE(getter.SetSources(false, peaks, peaks, ExpressionTypeId()));

    // A text without channels opens nothing; the calculation itself refuses the record.
    const wchar_t* const timePeaks = L"cmpeakdet(t, 0.5, 0.1)";
    ASSERT_TRUE(getter.SetSources(false, timePeaks, timePeaks, ExpressionTypeId()));
    EXPECT_TRUE(getter.ChannelReferences().empty());
    EXPECT_FALSE(getter.Open(5, {5, 0}, TickInterval));
    EXPECT_FALSE(getter.IsRunning());
    EXPECT_TRUE(getter.Open(1, {1, 0}, TickInterval));
}

TEST(ChannelEntries, OnlyTheModulesEntryOfTheValueCounts)
{
    const Recording recording = SquareRecording();
    const auto document = HostDocument::Offline(recording);
    ChannelEntry foreign = Sistra::ModuleChannelEntry(7);
    foreign.kind = 0x801D0002;
    const ChannelEntry own = Sistra::ModuleChannelEntry(7);
    document->AddChannelEntry(0, HostUnsetPosition, &foreign);
    EXPECT_FALSE(Sistra::HostChannelHasEntry(document->Unknown(), 7, 0)) << "another kind's entry of the same value";
    document->AddChannelEntry(0, HostUnsetPosition, &own);
    EXPECT_TRUE(Sistra::HostChannelHasEntry(document->Unknown(), 7, 0));
    EXPECT_FALSE(Sistra::HostChannelHasEntry(document->Unknown(), 7, 1));
    EXPECT_FALSE(Sistra::HostChannelHasEntry(document->Unknown(), 8, 0));

    Sistra::HostChannelRemoveEntry(document->Unknown(), 7, 0);
    EXPECT_FALSE(Sistra::HostChannelHasEntry(document->Unknown(), 7, 0));
    ChannelEntry left;
    int32_t count = 0;
    ASSERT_EQ(S_OK, document->GetChannelEntry(0, HostUnsetPosition, 0, &left, &count));
    EXPECT_EQ(1, count);
    EXPECT_EQ(foreign.kind, left.kind) << "the other kind's entry stays";

    EXPECT_FALSE(Sistra::HostChannelHasEntry(nullptr, 7, 0));
    Sistra::HostChannelRemoveEntry(nullptr, 7, 0);
}
