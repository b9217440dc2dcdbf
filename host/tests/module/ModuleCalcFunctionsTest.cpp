// The engine calling a module's calculation function through its class object, registered with the
// framework as a module registers it: the module's own class-object and enumerator templates over a
// detector of upward level crossings.
#include "host/app/commands/CalcCommand.h"
#include "host/app/FrameworkHost.h"
#include "host/app/calc/ModuleCalcFunctions.h"
#include "host/app/ModuleLoader.h"
#include "host/tests/CalcTestSupport.h"
#include "host/tests/RecordingFixtures.h"
#include "host/tests/module/CrossingFunction.h"

#include "calc/tests/SampleEnumeratorStub.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <sstream>

using namespace Host;
using namespace Host::Calc;
using HostTests::CrossingSources;

namespace
{

// Two records of square waves rising at every tick k × 1000 + 500.
Recording SquareRecording()
{
    return HostTests::MakeRecording(0.001, {{CalcTesting::SquareWave(5000)}, {CalcTesting::SquareWave(3000)}});
}

// What the calc command prints for a text, offline or fed as online data in chunks.
std::string Report(const Recording& recording, const std::string& text, bool samples, std::optional<int64_t> chunk)
{
    std::optional<RecordingFeed> feed;
    if (chunk)
        feed.emplace(recording);
    const Recording& source = feed ? feed->Live() : recording;
    const ModuleFunctionTable table(source, HostTests::SharedFramework().Framework().StandIn());
    const auto compiled = HostTests::Compile(source, text, table.Lookup());
    std::ostringstream out;
    CalcReport report(out, samples);
    EvaluateCalculation(source, compiled, [&] { feed->Feed(*chunk); }, report);
    return out.str();
}

class ModuleFunctions : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        HostTests::RegisterCrossingFunction();
    }

    static IVyrStandIn& StandIn() { return HostTests::StandIn(); }

    std::vector<int32_t> Ticks(const Recording& data, const std::string& text, size_t record)
    {
        const ModuleFunctionTable table(data, StandIn());
        const auto compiled = HostTests::Compile(data, text, table.Lookup());
        EventCursor cursor(data, compiled.events);
        cursor.Bind(record);
        std::vector<std::byte> records;
        while (cursor.Next(8, RecordEndTick, records).status != ReadStatus::End)
        {
        }
        std::vector<int32_t> ticks;
        for (const auto& header : HostTests::Headers(records, cursor.RecordSize()))
            ticks.push_back(header.tick);
        return ticks;
    }

    Recording recording = SquareRecording();
};

} // namespace

TEST_F(ModuleFunctions, FoundByNameAndAliasInAnyCase)
{
    const ModuleFunctionTable table(recording, StandIn());
    ASSERT_TRUE(table.Find("crossdet"));
    EXPECT_EQ(table.Find("crossdet"), table.Find("crossingdetector"));
    EXPECT_FALSE(table.Find("alend"));
    const auto& parameters = table.Find("crossdet")->Parameters();
    ASSERT_EQ(6u, parameters.size());
    EXPECT_EQ(ValueKind::Channel, parameters[0].kind);
    EXPECT_EQ(ValueKind::Number, parameters[1].kind);
    EXPECT_EQ("LimitEnd Tick", parameters[5].name);
}

TEST_F(ModuleFunctions, EventsOfEachRecordComeFromTheModulesEnumerator)
{
    EXPECT_EQ((std::vector<int32_t>{500, 1500, 2500, 3500, 4500}), Ticks(recording, "CROSSDET(ch1, 0.5)", 0));
    EXPECT_EQ((std::vector<int32_t>{500, 1500, 2500}), Ticks(recording, "crossingDetector(ch1, 0.5)", 1));
}

TEST_F(ModuleFunctions, LimitsInTheTextReachTheFunction)
{
    EXPECT_TRUE(Ticks(recording, "CrossDet(ch1, 0.5, 1, 0, 1, -1)", 0).empty());
    EXPECT_EQ((std::vector<int32_t>{1500}), Ticks(recording, "CrossDet(ch1, 0.5, 1, 1000, 1, 2000)", 1));
}

TEST_F(ModuleFunctions, ArgumentsTheClassRefusesAreReportedAtTheirPosition)
{
    const ModuleFunctionTable table(recording, StandIn());
    const auto positionOfError = [&](const std::string& text) -> size_t {
        try
        {
            HostTests::Compile(recording, text, table.Lookup());
        }
        catch (const CalcTextError& e)
        {
            return e.Position();
        }
        return 0;
    };
    // An event source where the class wants a channel, and a limit below its range.
    EXPECT_EQ(10u, positionOfError("CrossDet(cmpeakdet(ch1, 0.5, 0.1), 0.5)"));
    EXPECT_EQ(20u, positionOfError("CrossDet(ch1, 0.5, -2)"));
}

TEST_F(ModuleFunctions, OnlineChunksGiveWhatTheOfflineRunGives)
{
    const auto run = [&](std::optional<int64_t> chunk) { return Report(recording, "CrossDet(ch1, 0.5)", false, chunk); };
    const std::string offline = run(std::nullopt);
    EXPECT_EQ(9u, std::count(offline.begin(), offline.end(), '\n')); // header and 8 events
    EXPECT_EQ(offline, run(997));
    EXPECT_EQ(offline, run(1));
}

namespace
{

// The recorded channel, counting how often a reader asks how far it goes.
struct CountedChannel final : SampleNode
{
    explicit CountedChannel(const Recording& recording) : channel(MakeRecordedChannel(recording, 0)) {}
    Extent Available(size_t record) const override { return ++asked, channel->Available(record); }
    void Compute(size_t record, int64_t first, std::span<float> out) const override { channel->Compute(record, first, out); }

    SampleNodePtr channel;
    mutable int asked = 0;
};

// A module function that yields samples: twice its channel, read through the sample-yielding base.
class DoublingEnumerator : public CalcTesting::SampleEnumeratorStub
{
public:
    using SampleEnumeratorStub::SampleEnumeratorStub;

    HRESULT STDMETHODCALLTYPE Start(int32_t, uint32_t count, IUnknown* const* sources, IUnknown* const*, double,
                                    int32_t, int32_t) override
    {
        return count == 1 ? sources[0]->QueryInterface(IID_IEnumFloatEx, source.PutVoid()) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override { return source->GetPosition(tick); }
    HRESULT STDMETHODCALLTYPE Next(int32_t count, float* samples, int32_t* fetched) override
    {
        const HRESULT hr = source->Next(count, samples, fetched);
        std::transform(samples, samples + *fetched, samples, [](float x) { return 2.0f * x; });
        return hr;
    }

private:
    Orv::ComPtr<IEnumFloatEx> source;
};

constexpr GUID DoublingTypeGuid = {0x2D41F3A8, 0x7C05, 0x4E61, {0xB2, 0x9A, 0x13, 0x58, 0xC4, 0x0E, 0x6B, 0x97}};
const wchar_t* const DoublingNames[] = {L"Tick Source"};
constexpr CalcEnums::ParamRange DoublingRanges[] = {{0, 0}};
const wchar_t* const DoublingAliases[] = {L"Twice"};
const CalcEnums::FunctionParams DoublingParams{DoublingNames, DoublingRanges, DoublingAliases, 1, 1, 1, 1,
                                               0, CalcKindChannel, CrossingSources, 0};
CalcEnums::FunctionDescriptor DoublingDescriptor{L"Doubled", L"Twice the channel.", 0, &DoublingTypeGuid, 0, {0}};
const CalcEnums::CalcFunction Doubling{&DoublingDescriptor, &DoublingParams};

class SampleModuleFunctions : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Orv::ComPtr<IVyrObjectFactory> factory;
        StandIn().QueryInterface(IID_IVyrObjectFactory, factory.PutVoid());
        factory->RegisterClassObject(classObject.GetClassObject());
    }
    static IVyrStandIn& StandIn() { return HostTests::SharedFramework().Framework().StandIn(); }

    static inline CalcEnums::CalcEnumNumericParamsClass<DoublingEnumerator> classObject{Doubling};
    Recording recording = SquareRecording();
};

} // namespace

TEST_F(SampleModuleFunctions, SamplesOfEachRecordComeFromTheModulesEnumerator)
{
    const ModuleFunctionTable table(recording, StandIn());
    const auto compiled = HostTests::Compile(recording, "twice(ch1) - ch1", table.Lookup());
    ASSERT_EQ(ValueKind::Channel, compiled.kind);
    ChannelCursor cursor(recording, compiled.channel);
    cursor.Bind(1);
    std::vector<float> samples(4000);
    const auto result = cursor.Read(samples);
    EXPECT_EQ(ReadStatus::End, result.status);
    ASSERT_EQ(3000u, result.count);
    EXPECT_EQ(std::vector<float>(CalcTesting::SquareWave(3000)), std::vector<float>(samples.begin(), samples.begin() + 3000));
}

TEST_F(SampleModuleFunctions, OnlineChunksGiveWhatTheOfflineRunGives)
{
    const auto run = [&](std::optional<int64_t> chunk) { return Report(recording, "Doubled(ch1)", true, chunk); };
    const std::string offline = run(std::nullopt);
    EXPECT_EQ(8001u, std::count(offline.begin(), offline.end(), '\n'));
    EXPECT_EQ(offline, run(997));
}

// Readers ask for a record's events at every read: while no data arrives, the module is not asked again.
TEST_F(ModuleFunctions, ReadsWhileNoDataArrivesLeaveTheModuleAlone)
{
    RecordingFeed feed(recording);
    const ModuleFunctionTable table(feed.Live(), StandIn());
    const auto channel = std::make_shared<CountedChannel>(feed.Live());
    const Value events = table.Find("crossdet")->Create({{{ValueKind::Channel, 0.0, channel, nullptr}, "", 1},
                                                        {{ValueKind::Number, 0.5, nullptr, nullptr}, "", 2}});
    EventCursor cursor(feed.Live(), events.events);
    std::vector<std::byte> records;
    const auto readAll = [&] {
        while (cursor.Next(1, RecordEndTick, records).count > 0)
        {
        }
        return channel->asked;
    };
    feed.Feed(1700);
    cursor.Bind(0);
    const int asked = readAll();
    EXPECT_EQ(asked, (readAll(), readAll()));
    feed.Feed(1000);
    EXPECT_GT(readAll(), asked);
    ASSERT_EQ(3u, HostTests::Headers(records, cursor.RecordSize()).size());
    EXPECT_EQ(2500, HostTests::Headers(records, cursor.RecordSize()).back().tick);
}
