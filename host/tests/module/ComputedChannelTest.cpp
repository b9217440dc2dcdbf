// The computed channel "Sistra" as the host meets it: its two class objects on the module's list, and a
// channel whose calculation yields the chosen parameter of every loop the analysis finds.
#include "host/tests/module/CrossingFunction.h"
#include "host/tests/RecordingFixtures.h"

#include "calc/channel/ChannelCalculationClass.h"
#include "calc/channel/SistraChannelCalculation.h"
#include "calc/tests/SyntheticLoops.h"
#include "host/app/HostDocument.h"
#include "host/app/calc/ExpressionCalcClass.h"
#include "host/app/calc/ModuleCalcFunctions.h"
#include "host/include/CalcEventRecords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
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
    explicit ChannelHost(IUnknown* documentData) : documentData_(documentData) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
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

TEST(ComputedChannel, TheChannelYieldsTheChosenParameterOfEveryLoop)
{
    const CalcTesting::RealisticBeat beat{0.8};
    std::vector<float> pressure(30000), volume(30000);
    for (size_t tick = 0; tick < pressure.size(); ++tick)
    {
        pressure[tick] = static_cast<float>(beat.Pressure(tick * Interval));
        volume[tick] = static_cast<float>(beat.Volume(tick * Interval));
    }
    const Host::Recording recording = HostTests::MakeRecording(Interval, {{pressure, volume}}, 2);
    VyrRegisterStaticClassObjects();
    Host::Calc::RegisterExpressionCalcClass(HostTests::StandIn());
    const auto document = Host::HostDocument::Offline(recording);
    Host::Calc::ModuleFunctionTable table(document->Data(), HostTests::StandIn(), document->Unknown());
    document->SetFunctionLookup(table.Lookup());
    HostItemId loops{};
    ASSERT_EQ(S_OK, document->FindItem(L"sistra", &loops));
    ASSERT_EQ(S_OK, document->SetItemCalculation(loops, AnalyzerText, nullptr));

    ChannelHost host(document->Unknown());
    Orv::ComPtr<IChannelCalc> channel;
    ASSERT_EQ(S_OK, ChannelCalculationClassObject().CreateCalculation(&host, nullptr, channel.Put()));
    Orv::ComPtr<IPersistObject> settings;
    ChannelCalculationClassObject().SettingsClass().CreateObject(&IID_IUnknown, settings.PutVoid());
    auto& chosen = dynamic_cast<ChannelCalculationSettings&>(*settings.Get());
    chosen.parameterIndex = 3;
    chosen.low = 0.0f;
    chosen.high = 200.0f;
    ASSERT_EQ(S_OK, channel->ApplySettings(settings.Get(), 0));
    EXPECT_EQ(S_FALSE, channel->ApplySettings(settings.Get(), 0)) << "the same settings again change nothing";
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
    ASSERT_EQ(S_OK, run->Start(0, 0, nullptr, nullptr, Interval, 0, static_cast<int32_t>(pressure.size())));
    ASSERT_EQ(S_OK, calculation->QueryInterface(IID_IEnumEventEx, selected.PutVoid()));
    const auto values = ReadEvents<SelectedValue>(*selected.Get());

    Orv::ComPtr<IUnknown> loopEvents;
    ASSERT_EQ(S_OK, document->OpenItemEvents(loops, HostItemEventsRequest, CalcKindEvents, 0, 0, HostRecordEnd,
                                             loopEvents.Put()));
    Orv::ComPtr<IEnumEventEx> loopSource;
    loopEvents->QueryInterface(IID_IEnumEventEx, loopSource.PutVoid());
    const auto loopRecords = ReadEvents<Sistra::SistraEvent>(*loopSource.Get());
    ASSERT_GE(loopRecords.size(), 30u);
    EXPECT_EQ(loopRecords.size(), values.size());
    for (const auto& [tick, loop] : loopRecords)
    {
        bool isPressure = false, isVolume = false, perVolume = false;
        ASSERT_EQ(1u, values.count(tick)) << tick;
        const double expected = loop.GetParameter(3, &isPressure, &isVolume, &perVolume);
        const double value = values.at(tick).base.value;
        EXPECT_TRUE(expected == value || (std::isnan(expected) && std::isnan(value))) << tick;
    }
}

} // namespace
