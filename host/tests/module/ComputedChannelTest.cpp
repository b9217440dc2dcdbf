// The computed channel "Sistra" as the host meets it: its two class objects on the module's list, and a
// channel whose calculation yields the chosen parameter of every loop the analysis finds.
#include "host/tests/module/CrossingFunction.h"
#include "host/tests/RecordingFixtures.h"

#include "calc/channel/ChannelCalculationClass.h"
#include "calc/channel/ChannelCalculationDialog.h"
#include "calc/channel/SistraChannelCalculation.h"
#include "hostframework/messaging/SistraIds.h"
#include "calc/tests/SyntheticLoops.h"
#include "host/app/document/HostDocument.h"
#include "host/app/calc/ExpressionCalcClass.h"
#include "host/app/calc/ModuleCalcFunctions.h"
#include "hostapi/CalcEventRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace
{

using Sistra::ChannelCalculationClassObject;
using Sistra::ChannelCalculationSettings;

constexpr double Interval = 0.001;
const wchar_t AnalyzerText[] =
    L"SistraAnalyzer(ch1, ch2, PVEdpDet(ch1, cmpeakdet(ch1, 20, 0.05), 20), 0, 1, -1, -1, -1, -1, 0)";

std::wstring TitleOf(IVyrClassObject* classObject)
{
    BSTR title = nullptr;
    classObject->GetTitle(&title);
    std::wstring text = title ? title : L"";
    SysFreeString(title);
    return text;
}

// The channel's side of the host: the document's data and the set-ups the channel reported.
class ChannelHost final : public IChannelCalcHost
{
public:
    // factory: the host's channel factory this host answers for, if any.
    explicit ChannelHost(IUnknown* documentData, IUnknown* factory = nullptr)
        : documentData_(documentData), factory_(factory)
    {
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (factory_ && iid == IID_IComputedChannelFactory)
            return factory_->QueryInterface(iid, object);
        *object = iid == IID_IUnknown || iid == IID_IChannelCalcHost ? static_cast<IChannelCalcHost*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetUpChannel(uint32_t, uint32_t parameter, uint32_t) override
    {
        setUps.push_back(parameter);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetChannelSource(IUnknown** source) override
    {
        *source = documentData_;
        documentData_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDocumentData(IUnknown** data) override { return GetChannelSource(data); }

    std::vector<uint32_t> setUps;

private:
    IUnknown* documentData_;
    IUnknown* factory_;
};

// Every event of the first record of an event source, by tick, as the records' bytes.
template <class Record>
std::map<int32_t, Record> ReadEvents(IEnumEventEx& events)
{
    std::map<int32_t, Record> read;
    int32_t size = 0;
    EXPECT_EQ(S_OK, events.GetRecordSize(&size));
    EXPECT_EQ(static_cast<int32_t>(sizeof(Record)), size);
    Record record;
    for (int32_t count = 1, next = 0; count == 1;)
    {
        count = 0;
        if (FAILED(events.Next(sizeof record, CalcNoMoreEventsTick, &record, &count, &next)) || count != 1)
            break;
        read[record.base.tick] = record;
    }
    return read;
}

// A new record of the channel's settings class, the caller's alone.
Orv::ComPtr<IPersistObject> NewSettingsRecord()
{
    Orv::ComPtr<IPersistObject> made;
    ChannelCalculationClassObject().SettingsClass().CreateObject(&IID_IUnknown, made.PutVoid());
    return made;
}

// The host's factory of the temporary channels a settings preview runs on.
Orv::ComPtr<IUnknown> PreviewChannelFactory()
{
    Orv::ComPtr<IVyrObjectFactory> objects;
    HostTests::StandIn().QueryInterface(IID_IVyrObjectFactory, objects.PutVoid());
    Orv::ComPtr<IUnknown> factory;
    if (objects)
        objects->GetObject(TypeIdClass<&HostTypeGUID, ComputedChannelTypeNumber>::Id(), IID_IComputedChannelFactory,
                           factory.PutVoid());
    return factory;
}

// The temporary channel the factory made last.
Orv::ComPtr<IComputedChannelStandIn> LastPreviewChannel(IUnknown& factory)
{
    Orv::ComPtr<IComputedChannelFactory> channels;
    Orv::ComPtr<IUnknown> last;
    Orv::ComPtr<IComputedChannelStandIn> preview;
    if (SUCCEEDED(factory.QueryInterface(IID_IComputedChannelFactory, channels.PutVoid())) &&
        channels->GetLastChannel(last.Put()) == S_OK)
        last->QueryInterface(IID_IComputedChannelStandIn, preview.PutVoid());
    return preview;
}

struct SelectedValue
{
    OrvEventBase base;
};

TEST(ComputedChannel, TheChannelAndItsSettingsClassRegisterRightAfterThePressureSineFit)
{
    std::vector<std::wstring> titles;
    for (VyrClassObject* entry = VyrClassObject::Head(); entry; entry = entry->Next())
        titles.push_back(TitleOf(entry->GetClassObject()));
    const auto sineFit = std::find(titles.begin(), titles.end(), L"PSineFit");
    ASSERT_GE(sineFit - titles.begin(), 3);
    EXPECT_EQ((std::vector<std::wstring>{L"SistraAnalyzer", L"SistraSettings", L"Sistra"}),
              std::vector<std::wstring>(sineFit - 3, sineFit));

    ULONG channelType = 0, settingsType = 0;
    Sistra::ChannelCalculationClass& channel = ChannelCalculationClassObject();
    ASSERT_EQ(S_OK, channel.GetTypeId(&channelType));
    ASSERT_EQ(S_OK, channel.SettingsClass().GetTypeId(&settingsType));
    EXPECT_EQ(channelType + 1, settingsType);
    EXPECT_EQ(S_OK, channel.IsCategory(&CalculationClassCategory));
    EXPECT_EQ(S_OK, channel.SettingsClass().IsCategory(&CalcSettingsClassCategory));
    EXPECT_EQ(S_FALSE, channel.IsCategory(&CalcSettingsClassCategory));

    // A record made by the settings class is the caller's alone.
    IPersistObject* made = nullptr;
    ASSERT_EQ(S_OK, channel.SettingsClass().CreateObject(&IID_IUnknown, reinterpret_cast<void**>(&made)));
    EXPECT_EQ(0u, made->Release());
}

// A document whose loops the analysis item finds, and a computed channel on it.
class ComputedChannelOnDocument : public ::testing::Test
{
protected:
    static constexpr size_t Ticks = 30000;

    // records: the same beats again and again, each record's volumes a multiple of the first's.
    explicit ComputedChannelOnDocument(size_t records = 1) : recording_(BeatRecording(records)) {}

    static Host::Recording BeatRecording(size_t records)
    {
        const CalcTesting::RealisticBeat beat{0.8};
        std::vector<std::vector<std::vector<float>>> made;
        for (size_t record = 0; record < records; ++record)
        {
            std::vector<float> pressure(Ticks), volume(Ticks);
            for (size_t tick = 0; tick < Ticks; ++tick)
            {
                pressure[tick] = static_cast<float>(beat.Pressure(tick * Interval));
                volume[tick] = static_cast<float>(beat.Volume(tick * Interval) * static_cast<double>(record + 1));
            }
            made.push_back({pressure, volume});
        }
        return HostTests::MakeRecording(Interval, made, 2);
    }

    void SetUp() override
    {
        VyrRegisterStaticClassObjects();
        Host::Calc::RegisterExpressionCalcClass(HostTests::StandIn());
        document = Host::HostDocument::Offline(recording_);
        table_ = std::make_unique<Host::Calc::ModuleFunctionTable>(document->Data(), HostTests::StandIn(),
                                                                   document->Unknown());
        document->SetFunctionLookup(table_->Lookup());
        ASSERT_EQ(S_OK, document->FindItem(L"sistra", &loops));
        ASSERT_EQ(S_OK, document->SetItemCalculation(loops, AnalyzerText, nullptr));
        host = std::make_unique<ChannelHost>(document->Unknown());
    }
    void TearDown() override { document->DropComputedChannels(); }

    // The loops the analysis item found, by tick.
    std::map<int32_t, Sistra::SistraEvent> Loops()
    {
        Orv::ComPtr<IUnknown> loopEvents;
        EXPECT_EQ(S_OK, document->OpenItemEvents(loops, HostItemEventsRequest, CalcKindEvents, 0, 0, HostRecordEnd,
                                                 loopEvents.Put()));
        Orv::ComPtr<IEnumEventEx> loopSource;
        loopEvents->QueryInterface(IID_IEnumEventEx, loopSource.PutVoid());
        return ReadEvents<Sistra::SistraEvent>(*loopSource.Get());
    }

    // What a channel of the parameter shows at each tick: the value of the last loop at or before it.
    std::vector<double> HeldParameter(uint32_t parameter)
    {
        std::vector<double> held(Ticks, std::nan(""));
        for (const auto& [tick, loop] : Loops())
        {
            bool isPressure = false, isVolume = false, perVolume = false;
            std::fill(held.begin() + tick, held.end(), loop.GetParameter(parameter, &isPressure, &isVolume, &perVolume));
        }
        return held;
    }

    Orv::ComPtr<IChannelCalc> MakeChannel(uint32_t parameter, float low, float high)
    {
        Orv::ComPtr<IChannelCalc> channel;
        EXPECT_EQ(S_OK, ChannelCalculationClassObject().CreateCalculation(host.get(), nullptr, channel.Put()));
        Orv::ComPtr<IPersistObject> settings;
        ChannelCalculationClassObject().SettingsClass().CreateObject(&IID_IUnknown, settings.PutVoid());
        auto& chosen = dynamic_cast<ChannelCalculationSettings&>(*settings.Get());
        chosen.parameterIndex = parameter;
        chosen.low = low;
        chosen.high = high;
        EXPECT_EQ(S_OK, channel->ApplySettings(settings.Get(), 0));
        EXPECT_EQ(S_FALSE, channel->ApplySettings(settings.Get(), 0)) << "the same settings again change nothing";
        return channel;
    }

    // The recording outlives the document.
    const Host::Recording recording_;
    Orv::ComPtr<Host::HostDocument> document;
    HostItemId loops{};
    std::unique_ptr<ChannelHost> host;
    std::unique_ptr<Host::Calc::ModuleFunctionTable> table_;
};

// The lowest and highest of the values that are numbers.
std::pair<double, double> NumberSpan(const std::vector<double>& values)
{
    double lowest = INFINITY, highest = -INFINITY;
    for (const double value : values)
        if (!std::isnan(value))
            lowest = std::min(lowest, value), highest = std::max(highest, value);
    return {lowest, highest};
}

bool SameValue(double expected, double value, double tolerance)
{
    return std::isnan(expected) ? std::isnan(value) : std::fabs(expected - value) <= tolerance;
}

TEST_F(ComputedChannelOnDocument, TheChannelYieldsTheChosenParameterOfEveryLoop)
{
    const auto channel = MakeChannel(3, 0.0f, 200.0f);
    double gain = 0.0, shift = 0.0;
    ASSERT_EQ(S_OK, channel->GetOutputRange(&gain, &shift));
    // The range maps onto 64000 raw steps in single precision.
    EXPECT_NEAR(320.0, gain, 1e-4);
    EXPECT_NEAR(-100.0, shift, 1e-4);

    // The calculation the host's channel was given, run over the record.
    Orv::ComPtr<IComputedChannelStandIn> attached;
    ASSERT_EQ(S_OK, channel->QueryInterface(IID_IComputedChannelStandIn, attached.PutVoid()));
    Orv::ComPtr<IUnknown> calculation;
    ASSERT_EQ(S_OK, attached->GetCalculation(calculation.Put()));
    Orv::ComPtr<ICalcEnum> run;
    Orv::ComPtr<IEnumEventEx> selected;
    ASSERT_EQ(S_OK, calculation->QueryInterface(IID_ICalcEnum, run.PutVoid()));
    ASSERT_EQ(S_OK, run->Start(0, 0, nullptr, nullptr, Interval, 0, static_cast<int32_t>(Ticks)));
    ASSERT_EQ(S_OK, calculation->QueryInterface(IID_IEnumEventEx, selected.PutVoid()));
    const auto values = ReadEvents<SelectedValue>(*selected.Get());

    const auto loopRecords = Loops();
    ASSERT_GE(loopRecords.size(), 30u);
    EXPECT_EQ(loopRecords.size(), values.size());
    for (const auto& [tick, loop] : loopRecords)
    {
        bool isPressure = false, isVolume = false, perVolume = false;
        ASSERT_EQ(1u, values.count(tick)) << tick;
        const double expected = loop.GetParameter(3, &isPressure, &isVolume, &perVolume);
        EXPECT_TRUE(SameValue(expected, values.at(tick).base.value, 0.0)) << tick;
    }
}

// The host reads a computed channel as it reads any channel: one sample a tick, each the last loop's
// value as the channel's raw samples hold it (half a raw step from the value at most), values past the
// channel's range too.
TEST_F(ComputedChannelOnDocument, TheDocumentShowsTheLastLoopsValueAtEveryTickThroughTheRawSamples)
{
    struct Case
    {
        uint32_t parameter;
        float low, high;
    };
    for (const Case c : {Case{3, 0.0f, 200.0f}, Case{1, -50.0f, 50.0f}, Case{6, 5.0f, 5.0f}})
    {
        const auto channel = MakeChannel(c.parameter, c.low, c.high);
        const int32_t index = document->AddComputedChannel(channel.Get());
        double gain = 0.0, shift = 0.0;
        channel->GetOutputRange(&gain, &shift);
        const double halfStep = 0.5 / gain;

        Orv::ComPtr<IUnknown> opened;
        ASSERT_EQ(S_OK, document->OpenChannelEnum(HostChannelComputed, 0, index, opened.Put())) << c.parameter;
        Orv::ComPtr<IEnumFloatEx> samples;
        ASSERT_EQ(S_OK, opened->QueryInterface(IID_IEnumFloatEx, samples.PutVoid()));
        std::vector<float> shown(Ticks + 10);
        int32_t fetched = 0;
        samples->Next(static_cast<int32_t>(shown.size()), shown.data(), &fetched);
        ASSERT_EQ(static_cast<int32_t>(Ticks), fetched) << c.parameter;

        const std::vector<double> held = HeldParameter(c.parameter);
        ASSERT_TRUE(std::isnan(held.front())) << "the first loop starts after tick 0";
        ASSERT_GT(std::count_if(held.begin(), held.end(), [](double v) { return !std::isnan(v); }), Ticks / 2);
        for (size_t tick = 0; tick < Ticks; ++tick)
            ASSERT_TRUE(SameValue(held[tick], shown[tick], halfStep + 1e-4))
                << c.parameter << " at " << tick << ": " << held[tick] << " shown " << shown[tick];

        // Part of a record shows what the whole record shows there: a loop before the part holds into it.
        Orv::ComPtr<IComputedChannelStandIn> part;
        channel->QueryInterface(IID_IComputedChannelStandIn, part.PutVoid());
        std::vector<float> middle(5000);
        ASSERT_EQ(S_OK, part->ReadValues(document->Unknown(), 0, 12345, 17345, middle.data()));
        EXPECT_TRUE(std::equal(middle.begin(), middle.end(), shown.begin() + 12345)) << c.parameter;
    }
    Orv::ComPtr<IUnknown> none;
    EXPECT_TRUE(FAILED(document->OpenChannelEnum(HostChannelComputed, 0, 3, none.Put()))) << "no fourth channel";
}

// A settings preview runs the selector text on a temporary channel of the host over the selection, or
// over the whole recording without one; a text or a host it cannot run is its failure.
TEST_F(ComputedChannelOnDocument, ASettingsPreviewRunsTheTextOnATemporaryChannelOverTheSelection)
{
    const Orv::ComPtr<IUnknown> factory = PreviewChannelFactory();
    ASSERT_TRUE(factory);
    const std::vector<double> held = HeldParameter(3);
    struct Case
    {
        const char* name;
        const wchar_t* text;
        std::optional<std::pair<int32_t, int32_t>> selected;
        bool withFactory;
        ULONG calculationType;
        HRESULT expected; // S_FALSE: any failure
    };
    const ULONG common = Sistra::HostCommonType::Id();
    const ULONG noClass = TypeIdClass<&HostTypeGUID, 99>::Id();
    const Case cases[] = {
        {"selection", L"SistraParamSelector(sistra, 3, 1, 1)", std::pair{4000, 9000}, true, common, S_OK},
        {"whole recording", L"SistraParamSelector(sistra, 3, 1, 1)", std::nullopt, true, common, S_OK},
        {"unknown source", L"SistraParamSelector(nosuch, 3, 1, 1)", std::nullopt, true, common, S_FALSE},
        {"no channel factory", L"SistraParamSelector(sistra, 3, 1, 1)", std::nullopt, false, common, E_FAIL},
        {"no calculation class", L"SistraParamSelector(sistra, 3, 1, 1)", std::nullopt, true, noClass, E_FAIL},
    };
    for (const Case& c : cases)
    {
        if (c.selected)
            document->SetSelection({0, c.selected->first}, {0, c.selected->second});
        else
            document->SetSelection({HostRecordEnd, HostRecordEnd}, {HostRecordEnd, HostRecordEnd});
        Sistra::SettingsRun run;
        run.id = 7;
        run.channelFactory = c.withFactory ? factory.Get() : document->Unknown();
        run.calculationType = c.calculationType;
        run.text = c.text;
        run.document = document->Unknown();
        run.selection = document->Unknown();
        const HRESULT hr = Sistra::ChannelCalcBase::RunSettingsCalculation(run);
        if (c.expected == S_FALSE)
            EXPECT_TRUE(FAILED(hr)) << c.name;
        else
            EXPECT_EQ(c.expected, hr) << c.name;
        if (FAILED(hr))
            continue;
        const Orv::ComPtr<IComputedChannelStandIn> preview = LastPreviewChannel(*factory.Get());
        ASSERT_TRUE(preview) << c.name;
        const auto [first, end] = c.selected.value_or(std::pair{0, static_cast<int32_t>(Ticks)});
        std::vector<float> values(Ticks);
        int32_t count = 0;
        ASSERT_EQ(S_OK, preview->GetRunValues(0, static_cast<int32_t>(values.size()), values.data(), &count));
        ASSERT_EQ(end - first, count) << c.name;
        for (int32_t tick = first; tick < end; ++tick)
            ASSERT_TRUE(SameValue(static_cast<float>(held[tick]), values[tick - first], 0.0)) << c.name << tick;
        Orv::ComPtr<IUnknown> calculation;
        EXPECT_EQ(S_FALSE, preview->GetCalculation(calculation.Put())) << "the run let go of its calculation";
    }
}

// The caption of the last box or dialog the host was asked for.
std::wstring LastAskedDialog()
{
    std::wstring caption;
    for (ULONG index = 0;; ++index)
    {
        BSTR text = nullptr, title = nullptr;
        UINT style = 0;
        LONG answer = 0;
        if (FAILED(HostTests::StandIn().GetMessageBox(index, &text, &title, &style, &answer)))
            return caption;
        caption = title ? title : L"";
        SysFreeString(text);
        SysFreeString(title);
    }
}

// The dialog's answer decides: cancelled, nothing is made; confirmed, the settings are run once and a
// channel is made with them (a parameter outside the list as the first, the decimal places at most 6),
// its text attached when the channel is switched on. The record given stays as it was.
TEST_F(ComputedChannelOnDocument, TheSettingsDialogsAnswerDecidesWhichChannelIsMade)
{
    const Orv::ComPtr<IUnknown> factory = PreviewChannelFactory();
    ASSERT_TRUE(factory);
    ChannelHost previewing(document->Unknown(), factory.Get());
    struct Case
    {
        const char* name;
        LONG answer;
        bool enabled, withFactory;
        uint32_t parameter;
        float places;
        HRESULT expected;
        uint32_t madeParameter;
        float madePlaces;
    };
    const Case cases[] = {
        {"cancelled", IDCANCEL, true, true, 3, 2.0f, S_FALSE, 0, 0.0f},
        {"confirmed", IDOK, true, true, 3, 2.0f, S_OK, 3, 2.0f},
        {"switched off", IDOK, false, false, 3, 2.0f, S_OK, 3, 2.0f},
        {"outside the lists", IDOK, true, true, 40, 9.5f, S_OK, 1, 6.0f},
        {"no preview", IDOK, true, false, 3, 2.0f, E_FAIL, 0, 0.0f},
    };
    for (const Case& c : cases)
    {
        const Orv::ComPtr<IPersistObject> given = NewSettingsRecord();
        auto& record = dynamic_cast<ChannelCalculationSettings&>(*given.Get());
        record.enabled = c.enabled;
        record.parameterIndex = c.parameter;
        record.decimalPlaces = c.places;
        ASSERT_EQ(S_OK, HostTests::StandIn().ScriptMessageBoxAnswer(c.answer));
        Orv::ComPtr<IChannelCalc> made;
        EXPECT_EQ(c.expected, ChannelCalculationClassObject().CreateCalculationInteractive(
                                  c.withFactory ? static_cast<IUnknown*>(&previewing) : host.get(), nullptr,
                                  document->Unknown(), given.Get(), 0, 0, 0, document->Unknown(), made.Put()))
            << c.name;
        EXPECT_EQ(L"SistraChannelCalculation", LastAskedDialog()) << c.name;
        EXPECT_EQ(c.parameter, record.parameterIndex) << c.name;
        EXPECT_EQ(c.places, record.decimalPlaces) << c.name;
        if (c.expected != S_OK)
        {
            EXPECT_EQ(nullptr, made.Get()) << c.name;
            continue;
        }
        Orv::ComPtr<IPersistObject> kept;
        ASSERT_EQ(S_OK, made->CloneSettings(kept.Put())) << c.name;
        const auto& settings = dynamic_cast<ChannelCalculationSettings&>(*kept.Get());
        EXPECT_EQ(c.madeParameter, settings.parameterIndex) << c.name;
        EXPECT_EQ(c.madePlaces, settings.decimalPlaces) << c.name;
        Orv::ComPtr<IComputedChannelStandIn> shown;
        Orv::ComPtr<IUnknown> calculation;
        ASSERT_EQ(S_OK, made->QueryInterface(IID_IComputedChannelStandIn, shown.PutVoid()));
        EXPECT_EQ(c.enabled ? S_OK : S_FALSE, shown->GetCalculation(calculation.Put())) << c.name;
    }
}

// Confirmed with auto scale, the channel's range is the span of the values the parameter takes over the
// recording; without it, or cancelled, the range stays as typed.
TEST_F(ComputedChannelOnDocument, AutoScaleSpansTheValuesOfTheParameter)
{
    const auto [lowest, highest] = NumberSpan(HeldParameter(3));
    ASSERT_TRUE(std::isfinite(lowest) && std::isfinite(highest));
    struct Case
    {
        const char* name;
        bool autoScale;
        LONG answer;
        float low, high;
    };
    const Case cases[] = {
        {"auto scale", true, IDOK, static_cast<float>(lowest), static_cast<float>(highest)},
        {"typed", false, IDOK, -1.0f, 1.0f},
        {"cancelled", true, IDCANCEL, -1.0f, 1.0f},
    };
    for (const Case& c : cases)
    {
        const Orv::ComPtr<IPersistObject> given = NewSettingsRecord();
        auto& record = dynamic_cast<ChannelCalculationSettings&>(*given.Get());
        record.enabled = false;
        record.parameterIndex = 3;
        record.autoScale = c.autoScale;
        ASSERT_EQ(S_OK, HostTests::StandIn().ScriptMessageBoxAnswer(c.answer));
        ASSERT_EQ(c.answer == IDOK ? IDOK : IDCANCEL,
                  Sistra::RunChannelCalculationDialog(nullptr, host.get(), document->Unknown(), record))
            << c.name;
        EXPECT_NEAR(c.low, record.low, 1e-3 * std::fabs(c.low) + 1e-6) << c.name;
        EXPECT_NEAR(c.high, record.high, 1e-3 * std::fabs(c.high) + 1e-6) << c.name;
    }
}

class ComputedChannelOnRecords : public ComputedChannelOnDocument
{
protected:
    static constexpr size_t Records = 3;
    ComputedChannelOnRecords() : ComputedChannelOnDocument(Records) {}
    void TearDown() override
    {
        HostTests::StandIn().ScriptProgressCancel(-1);
        ComputedChannelOnDocument::TearDown();
    }
};

// Scaling to the data shows its progress over every record and can be cancelled there: a cancelled scan
// keeps the range as typed and the user's choice.
TEST_F(ComputedChannelOnRecords, AutoScaleShowsItsProgressAndACancelKeepsTheTypedRange)
{
    // Stroke volume grows with the volumes: the first record's loops hold the lowest, the last's the highest.
    const auto [lowest, highest] = NumberSpan(HeldParameter(3));
    struct Case
    {
        const char* name;
        LONG cancelAt;
        float low, high;
    };
    const Case cases[] = {
        {"scanned", -1, static_cast<float>(lowest), static_cast<float>(highest * Records)},
        {"cancelled", 50, -1.0f, 1.0f},
    };
    for (const Case& c : cases)
    {
        const Orv::ComPtr<IPersistObject> given = NewSettingsRecord();
        auto& record = dynamic_cast<ChannelCalculationSettings&>(*given.Get());
        record.parameterIndex = 3;
        record.autoScale = true;
        ASSERT_EQ(S_OK, HostTests::StandIn().ScriptProgressCancel(c.cancelAt));
        ASSERT_EQ(S_OK, HostTests::StandIn().ScriptMessageBoxAnswer(IDOK));
        EXPECT_EQ(IDOK, Sistra::RunChannelCalculationDialog(nullptr, host.get(), document->Unknown(), record)) << c.name;
        EXPECT_NEAR(c.low, record.low, 1e-3 * std::fabs(c.low) + 1e-6) << c.name;
        EXPECT_NEAR(c.high, record.high, 1e-3 * std::fabs(c.high) + 1e-6) << c.name;
        EXPECT_TRUE(record.autoScale && record.parameterIndex == 3) << c.name;

        ULONG indicators = 0, updates = 0;
        LONG lastPercent = 0;
        HostTests::StandIn().GetProgressLog(&indicators, &updates, &lastPercent);
        EXPECT_EQ(1u, indicators) << c.name;
        EXPECT_GE(updates, Records) << c.name;
        EXPECT_EQ(c.cancelAt < 0, lastPercent == 100) << c.name;
        EXPECT_GE(lastPercent, c.cancelAt) << c.name;
    }
}

// Confirmed switched on, the settings run over the records shows its progress and can be cancelled
// there: the run stops between records, and the channel is made with the settings as chosen.
TEST_F(ComputedChannelOnRecords, TheSettingsRunShowsItsProgressAndACancelStillMakesTheChosenChannel)
{
    const Orv::ComPtr<IUnknown> factory = PreviewChannelFactory();
    ASSERT_TRUE(factory);
    ChannelHost previewing(document->Unknown(), factory.Get());
    document->SetSelection({HostRecordEnd, HostRecordEnd}, {HostRecordEnd, HostRecordEnd});
    struct Case
    {
        const char* name;
        LONG cancelAt;
        int32_t recordsRun;
    };
    // Told at 0, 33 and 66 percent before each record: from 50 on, the third record is not run.
    const Case cases[] = {{"run through", -1, 3}, {"cancelled", 50, 2}};
    for (const Case& c : cases)
    {
        const Orv::ComPtr<IPersistObject> given = NewSettingsRecord();
        auto& record = dynamic_cast<ChannelCalculationSettings&>(*given.Get());
        record.enabled = true;
        record.parameterIndex = 3;
        // A typed scale: the scan that scales to the data has a progress of its own.
        record.autoScale = false;
        ASSERT_EQ(S_OK, HostTests::StandIn().ScriptProgressCancel(c.cancelAt));
        ASSERT_EQ(S_OK, HostTests::StandIn().ScriptMessageBoxAnswer(IDOK));
        Orv::ComPtr<IChannelCalc> made;
        ASSERT_EQ(S_OK, ChannelCalculationClassObject().CreateCalculationInteractive(
                            &previewing, nullptr, document->Unknown(), given.Get(), 0, 0, 0, document->Unknown(),
                            made.Put()))
            << c.name;
        Orv::ComPtr<IPersistObject> kept;
        ASSERT_EQ(S_OK, made->CloneSettings(kept.Put())) << c.name;
        const auto& settings = dynamic_cast<ChannelCalculationSettings&>(*kept.Get());
        EXPECT_TRUE(settings.enabled && settings.parameterIndex == 3) << c.name;

        const Orv::ComPtr<IComputedChannelStandIn> preview = LastPreviewChannel(*factory.Get());
        ASSERT_TRUE(preview) << c.name;
        for (int32_t shown = 0; shown < static_cast<int32_t>(Records); ++shown)
        {
            int32_t count = 0;
            const HRESULT hr = preview->GetRunValues(shown, 0, nullptr, &count);
            EXPECT_EQ(shown < c.recordsRun ? S_OK : E_INVALIDARG, hr) << c.name << shown;
            EXPECT_EQ(shown < c.recordsRun ? static_cast<int32_t>(Ticks) : 0, SUCCEEDED(hr) ? count : 0) << c.name;
        }

        ULONG indicators = 0, updates = 0;
        LONG lastPercent = 0;
        HostTests::StandIn().GetProgressLog(&indicators, &updates, &lastPercent);
        EXPECT_EQ(1u, indicators) << c.name;
        EXPECT_EQ(static_cast<ULONG>(c.recordsRun + 1), updates) << c.name;
        EXPECT_EQ(c.cancelAt < 0 ? 100 : 66, lastPercent) << c.name;
    }
}

} // namespace
