// The host document as modules reach it: channel enumerators, start positions, and what its online
// data sinks hear while it is sampled.
#include "host/app/document/AnalysisRange.h"
#include "host/app/document/DocumentEventRelay.h"
#include "host/app/FrameworkHost.h"
#include "host/app/document/HostDocument.h"
#include "host/app/document/PaneDataSource.h"
#include "host/app/document/RecordActions.h"
#include "host/tests/NotificationLog.h"
#include "host/tests/RecordingFixtures.h"
#include "hostapi/CalcEventRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Host;
using HostTests::NotificationLog;

namespace
{

Recording Ramps()
{
    const auto ramp = [](size_t ticks) {
        std::vector<float> samples(ticks);
        for (size_t tick = 0; tick < ticks; ++tick)
            samples[tick] = static_cast<float>(tick);
        return samples;
    };
    return HostTests::MakeRecording(0.002, {{ramp(5)}, {ramp(3)}});
}

std::vector<float> ReadAll(IUnknown* enumerator)
{
    Orv::ComPtr<IEnumFloatEx> samples;
    EXPECT_EQ(S_OK, enumerator->QueryInterface(IID_IEnumFloatEx, samples.PutVoid()));
    std::vector<float> out(16);
    int32_t fetched = 0;
    samples->Next(static_cast<int32_t>(out.size()), out.data(), &fetched);
    out.resize(static_cast<size_t>(fetched));
    return out;
}

} // namespace

TEST(HostDocument, RecordedChannelsThroughTheirDataObjectsCalculatedOnesOnlyDirectly)
{
    const Recording recording = Ramps();
    const auto document = HostDocument::Offline(recording, {"ch1 * 10"});
    const uint32_t scaled = HostChannelScaled | HostChannelStream;
    const uint32_t calculated = HostChannelCalculated | HostChannelStream;

    Orv::ComPtr<IUnknown> data;
    ASSERT_EQ(S_OK, document->GetChannelData(scaled, 1, 0, data.Put()));
    Orv::ComPtr<IHostChannelData> channel = data.As<IHostChannelData>(IID_IHostChannelData);
    ASSERT_TRUE(channel);
    Orv::ComPtr<IUnknown> opened;
    ASSERT_EQ(S_OK, channel->OpenEnum(scaled, 1, HostRecordEnd, 0, opened.Put()));
    EXPECT_EQ((std::vector<float>{0, 1, 2}), ReadAll(opened.Get()));

    EXPECT_TRUE(FAILED(document->GetChannelData(calculated, 0, 0, data.Put())));
    EXPECT_FALSE(data);
    EXPECT_TRUE(FAILED(document->GetChannelData(scaled, 2, 0, data.Put()))) << "no record 2";
    EXPECT_TRUE(FAILED(document->GetChannelData(scaled, 0, 1, data.Put()))) << "no channel 2";

    ASSERT_EQ(S_OK, document->OpenChannelEnum(calculated, 1, 0, opened.Put()));
    EXPECT_EQ((std::vector<float>{0, 10, 20}), ReadAll(opened.Get()));
    EXPECT_TRUE(FAILED(document->OpenChannelEnum(calculated, 0, 1, opened.Put()))) << "no vch2";
    EXPECT_FALSE(opened);
    EXPECT_TRUE(FAILED(document->OpenChannelEnum(scaled, 2, 0, opened.Put())));

    double interval = 0.0;
    EXPECT_EQ(S_OK, document->GetTickInterval(0, 1, &interval));
    EXPECT_EQ(0.002, interval);
    EXPECT_TRUE(FAILED(document->GetTickInterval(0, -1, &interval)));
}

TEST(HostDocument, NamesTheChannelsOfTraceLanesAndRefusesOthers)
{
    const Recording recording = HostTests::MakeRecording(0.002, {{{1, 2}, {3, 4}}}, 2);
    const auto document = HostDocument::Offline(recording);
    const struct
    {
        int32_t channel;
        HRESULT result;
        const wchar_t* text;
    } cases[] = {{0, S_OK, L"Channel 1"},
                 {1, S_OK, L"Channel 2"},
                 {2, E_INVALIDARG, nullptr},
                 {-1, E_INVALIDARG, nullptr}};
    for (const auto& c : cases)
    {
        BSTR text = nullptr;
        EXPECT_EQ(c.result, document->GetChannelText(c.channel, 0xC0000000u, &text)) << c.channel;
        EXPECT_EQ(std::wstring(c.text ? c.text : L""), std::wstring(text ? text : L"")) << c.channel;
        SysFreeString(text);
    }
}

TEST(HostDocument, ChannelEnumeratorsKeepTheDocumentWhoseRecordingTheyRead)
{
    const Recording recording = Ramps();
    Orv::ComPtr<IUnknown> opened;
    {
        const auto document = HostDocument::Sampling(recording);
        document->FeedSamples(5);
        ASSERT_EQ(S_OK, document->OpenChannelEnum(HostChannelRaw | HostChannelStream, 0, 0, opened.Put()));
    }
    EXPECT_EQ((std::vector<float>{0, 1, 2, 3, 4}), ReadAll(opened.Get()));
}

TEST(HostDocument, StartPositionsAreMovedIntoTheirRecord)
{
    const Recording recording = Ramps();
    const auto document = HostDocument::Offline(recording);
    TickPosition position{0, -4};
    EXPECT_EQ(S_OK, document->AdjustStartPosition(HostChannelScaled, 1, 0, &position));
    EXPECT_EQ(1, position.record);
    EXPECT_EQ(0, position.tick);
    position.tick = 40;
    EXPECT_EQ(S_OK, document->AdjustStartPosition(HostChannelScaled, 1, 0, &position));
    EXPECT_EQ(3, position.tick);
    EXPECT_EQ(E_INVALIDARG, document->AdjustStartPosition(HostChannelCalculated, 1, 0, &position));
}

TEST(HostDocument, TracePanesFollowItsSamplingWhileAttached)
{
    const Recording recording = Ramps();
    const auto document = HostDocument::Sampling(recording);
    Orv::ComPtr<IPaneDataSource> source;
    ASSERT_EQ(S_OK, document->QueryInterface(IID_IPaneDataSource, source.PutVoid()));
    NotificationLog pane;
    ASSERT_EQ(S_OK, source->AttachPane(0x80000000u, &pane));
    Orv::ComPtr<IPaneDataStore> store;
    ASSERT_EQ(S_OK, source->CreateStore(0, store.Put()));
    document->FeedSamples(4);
    EXPECT_EQ((std::vector<std::string>{"started 0 of 1 channels", "data"}), pane.notes);
    LONGLONG extent = -1;
    store->GetExtent(&extent);
    EXPECT_EQ(0, extent); // 4 samples at 10 a pixel: the newest at pixel 0
    ASSERT_EQ(S_OK, source->DetachPane(0, &pane));
    document->FeedSamples(4);
    EXPECT_EQ(2u, pane.notes.size());
}

TEST(HostDocument, SinksHearEachStepOfTheSamplingInOrder)
{
    const Recording recording = Ramps();
    const auto document = HostDocument::Sampling(recording);
    NotificationLog log;
    ASSERT_EQ(S_OK, document->AddSink(&log));
    EXPECT_EQ(1u, log.references);
    document->FeedSamples(3);
    EXPECT_EQ(3, document->Data().RecordAt(0).Length());
    document->FeedSamples(3);
    document->FeedSamples(3);
    EXPECT_TRUE(document->IsSamplingDone());
    EXPECT_EQ((std::vector<std::string>{"started 0 of 1 channels", "data", "data", "end 0 at 5",
                                        "started 1 of 1 channels", "data", "end 1 at 3", "stopped"}),
              log.notes);

    EXPECT_EQ(S_OK, document->RemoveSink(&log));
    EXPECT_EQ(S_FALSE, document->RemoveSink(&log));
    EXPECT_EQ(0u, log.references);

    const auto offline = HostDocument::Offline(recording);
    EXPECT_THROW(offline->FeedSamples(1), std::logic_error);
}

namespace
{

// A module's document as the host reaches it: an online data sink that observes events too, noting each
// event's id.
class ObservingLog final : public NotificationLog, public IObserver
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid != IID_IObserver)
            return NotificationLog::QueryInterface(iid, out);
        *out = static_cast<IObserver*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return NotificationLog::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return NotificationLog::Release(); }
    HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Notify(ISubject*, ULONG eventId, ULONG_PTR, void*) override
    {
        return Note("event " + std::to_string(eventId));
    }
};

// What ObservingLog notes of the event of that number under the group.
std::string EventNote(const GUID& group, USHORT number)
{
    Orv::ComPtr<IMsgIdRegistry> registry;
    USHORT code = 0;
    if (FAILED(CoGetClassObject(CLSID_VyrFrameWork, CLSCTX_INPROC_SERVER, nullptr, IID_IMsgIdRegistry, registry.PutVoid())) ||
        FAILED(registry->GetCode(&group, &code)))
        return "no id";
    return "event " + std::to_string(VyrTypeId::Make(code, number));
}

} // namespace

// The module's document hears its host document's events (the user's selection, each record sampling
// added, sampling started and stopped) while the relay lasts; the end of sampling only when it is not one of the document's online
// sinks, which were told already.
TEST(HostDocument, ItsEventsReachTheModulesDocumentTheEndOfSamplingOnlyWhenNotAlreadyToldAsASink)
{
    HostSession session;
    const Recording recording = Ramps();
    for (const bool sink : {false, true})
    {
        const auto document = HostDocument::Sampling(recording);
        ObservingLog log;
        if (sink)
        {
            ASSERT_EQ(S_OK, document->AddSink(&log));
        }
        {
            DocumentEventRelay relay(*document.Get(), static_cast<IOnlineDataSink*>(&log));
            document->FeedSamples(8);
            document->FeedSamples(8);
            document->SelectByUser({0, 1}, {0, 3});
        }
        document->SelectByUser({}, {});
        const auto heard = [&](const std::string& note) { return std::count(log.notes.begin(), log.notes.end(), note); };
        EXPECT_EQ(sink ? 0 : 1, heard(EventNote(HostSamplingEventGUID, HostSamplingEventNumber::Stopped))) << sink;
        EXPECT_EQ(sink ? 1 : 0, heard("stopped")) << sink;
        EXPECT_EQ(1, heard(EventNote(HostDocEventGUID, HostDocEventNumber::Selection))) << sink;
        EXPECT_EQ(2, heard(EventNote(HostDocEventGUID, HostDocEventNumber::RecordAdded))) << sink;
        document->RemoveSink(&log);
    }
}

// Edit > Delete Record... deletes the record holding the selection: refused while nothing is selected
// within one record, on a sampled document and for the only record. A deleted record's followers move up
// a place, and a selection in one of them with it; the document's observers hear of each deletion.
TEST(HostDocument, ADeletedRecordsFollowersMoveUpWithTheirSelection)
{
    HostSession session;
    Recording three = HostTests::MakeRecording(0.002, {{{0, 1, 2, 3, 4}}, {{0, 1, 2}}, {{0, 1, 2, 3}}});
    Recording single = HostTests::MakeRecording(0.002, {{{1, 2}}});
    const auto offline = HostDocument::Offline(three);
    const auto sampled = HostDocument::Sampling(three);
    const auto one = HostDocument::Offline(single);
    using Selection = std::optional<std::pair<TickPosition, TickPosition>>;
    const struct
    {
        HostDocument& document;
        const Recording& recording;
        Selection selection;
        const char* refusal;
    } refused[] = {{*offline.Get(), three, std::nullopt, "select data within the record"},
                   {*offline.Get(), three, std::pair{TickPosition{0, 2}, TickPosition{1, 1}}, "select data within the record"},
                   {*sampled.Get(), three, std::pair{TickPosition{0, 1}, TickPosition{0, 2}}, "sampled document"},
                   {*one.Get(), single, std::pair{TickPosition{0, 0}, TickPosition{0, 1}}, "only record"}};
    for (const auto& c : refused)
    {
        c.document.ClearSelection();
        if (c.selection)
            c.document.SetSelection(c.selection->first, c.selection->second);
        try
        {
            RecordToDelete(c.document, c.recording);
            ADD_FAILURE() << c.refusal;
        }
        catch (const std::runtime_error& e)
        {
            EXPECT_NE(std::string::npos, std::string(e.what()).find(c.refusal)) << e.what();
        }
    }

    ObservingLog log;
    {
        DocumentEventRelay relay(*offline.Get(), static_cast<IOnlineDataSink*>(&log));
        offline->SetSelection({2, 0}, {2, 2});
        DeleteRecord(*offline.Get(), three, 0);
        EXPECT_EQ(1, RecordToDelete(*offline.Get(), three));
        DeleteRecord(*offline.Get(), three, RecordToDelete(*offline.Get(), three));
    }
    ASSERT_EQ(1u, three.RecordCount());
    EXPECT_EQ(3, three.RecordAt(0).Length());
    TickPosition start{}, end{};
    offline->GetSelection(&start, &end);
    EXPECT_EQ(HostRecordEnd, start.record);
    EXPECT_EQ(2, std::count(log.notes.begin(), log.notes.end(), EventNote(HostDocEventGUID, HostDocEventNumber::RecordDeleted)));
    EXPECT_THROW(DeleteRecord(*offline.Get(), three, 0), std::runtime_error);
}

namespace
{

// One record of 20 ticks with pulses at 3, 9 and 15, and one of 8 ticks with a pulse at 4.
Recording Pulses()
{
    auto pulses = [](size_t ticks, std::initializer_list<size_t> at) {
        std::vector<float> samples(ticks, 0.0f);
        for (size_t tick : at)
            samples[tick] = 10.0f;
        return samples;
    };
    return HostTests::MakeRecording(0.01, {{pulses(20, {3, 9, 15})}, {pulses(8, {4})}});
}

std::vector<int32_t> EventTicks(HostDocument& document, HostItemId id, int32_t record, int32_t startTick = 0)
{
    Orv::ComPtr<IUnknown> opened;
    if (document.OpenItemEvents(id, HostItemEventsRequest, CalcKindEvents, record, startTick, HostRecordEnd,
                                opened.Put()) != S_OK)
        return {-1};
    Orv::ComPtr<IEnumEventEx> events = opened.As<IEnumEventEx>(IID_IEnumEventEx);
    int32_t size = 0;
    events->GetRecordSize(&size);
    std::vector<std::byte> buffer(static_cast<size_t>(size) * 8);
    int32_t count = 0, next = 0;
    events->Next(static_cast<int32_t>(buffer.size()), CalcNoMoreEventsTick, buffer.data(), &count, &next);
    std::vector<int32_t> ticks;
    for (int32_t i = 0; i < count; ++i)
        ticks.push_back(reinterpret_cast<const OrvEventBase*>(buffer.data() + i * size)->tick);
    return ticks;
}

class FakeChildData final : public IStrixDataChildData
{
public:
    explicit FakeChildData(ULONG type) : type_(type) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override
    {
        *typeId = type_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(ULONG, ULONG, ULONG, ULONG, ULONG, IUnknown*, IStrixDataChildData**) override
    {
        return E_NOTIMPL;
    }

    ULONG references = 0;

private:
    ULONG type_;
};

} // namespace

// The range is the first and last record the selection covers; one that ends at a record's start does
// not cover that record.
TEST(HostDocument, AnAnalysisRangeIsTheFirstAndLastRecordOfTheSelection)
{
    const Recording recording = Ramps();
    const auto document = HostDocument::Offline(recording);
    AnalysisRange range(*document.Get());
    EXPECT_FALSE(range.CanSet());
    EXPECT_THROW(range.Set(), std::runtime_error);
    const struct
    {
        TickPosition start, end;
        uint32_t first, last;
    } cases[] = {{{0, 1}, {0, 4}, 0, 0}, {{0, 1}, {1, 2}, 0, 1}, {{0, 1}, {1, 0}, 0, 0}, {{1, 0}, {1, 3}, 1, 1}};
    for (const auto& c : cases)
    {
        document->SetSelection(c.start, c.end);
        const HostRangeRecord set = range.Set();
        EXPECT_EQ(c.first, set.first) << c.end.record << ":" << c.end.tick;
        EXPECT_EQ(c.last, set.second) << c.end.record << ":" << c.end.tick;
        EXPECT_TRUE(range.IsSet());
    }
    range.Clear();
    EXPECT_FALSE(range.IsSet());
}

TEST(HostDocument, NamedItemsHoldCalculationsThatOtherTextsName)
{
    const Recording recording = Pulses();
    const auto document = HostDocument::Offline(recording);
    HostItemId peaks, again, doubled;
    ASSERT_EQ(S_OK, document->FindItem(L"Peaks", &peaks));
    ASSERT_EQ(S_OK, document->FindItem(L"peaks", &again));
    ASSERT_EQ(S_OK, document->FindItem(L"doubled", &doubled));
    EXPECT_EQ(peaks.first, again.first);
    EXPECT_NE(peaks.first, doubled.first);
    EXPECT_EQ((std::vector<int32_t>{-1}), EventTicks(*document.Get(), peaks, 0)) << "no calculation yet";

    BSTR message = nullptr;
    EXPECT_EQ(E_INVALIDARG, document->SetItemCalculation(peaks, L"cmpeakdet(ch1, 5", &message));
    ASSERT_NE(nullptr, message);
    SysFreeString(message);
    ASSERT_EQ(S_OK, document->SetItemCalculation(peaks, L"cmpeakdet(ch1, 5, 0.001)", nullptr));
    EXPECT_EQ((std::vector<int32_t>{3, 9, 15}), EventTicks(*document.Get(), peaks, 0));
    EXPECT_EQ((std::vector<int32_t>{9, 15}), EventTicks(*document.Get(), peaks, 0, 5));
    EXPECT_EQ((std::vector<int32_t>{4}), EventTicks(*document.Get(), peaks, 1));

    ASSERT_EQ(S_OK, document->SetItemCalculation(doubled, L"PEAKS", nullptr));
    EXPECT_EQ((std::vector<int32_t>{3, 9, 15}), EventTicks(*document.Get(), doubled, 0));
    // The texts are compiled once and read many times: a new text reaches the items that name it.
    ASSERT_EQ(S_OK, document->SetItemCalculation(peaks, L"cmpeakdet(shift(ch1, -0.02), 5, 0.001)", nullptr));
    EXPECT_EQ((std::vector<int32_t>{1, 7, 13}), EventTicks(*document.Get(), doubled, 0));
    EXPECT_EQ(E_INVALIDARG, document->SetItemCalculation(peaks, L"doubled", nullptr)) << "a text naming itself";
    EXPECT_EQ((std::vector<int32_t>{1, 7, 13}), EventTicks(*document.Get(), peaks, 0)) << "refused text left no trace";

    BSTR name = nullptr;
    ASSERT_EQ(S_OK, document->FormatItemId(peaks, &name));
    EXPECT_EQ(std::wstring(L"peaks"), name);
    SysFreeString(name);

    EXPECT_EQ(S_OK, document->DropItemCalculation(peaks));
    EXPECT_EQ(S_FALSE, document->DropItemCalculation(peaks));
    EXPECT_EQ((std::vector<int32_t>{-1}), EventTicks(*document.Get(), peaks, 0));
    EXPECT_EQ((std::vector<int32_t>{-1}), EventTicks(*document.Get(), doubled, 0)) << "its text names a dropped item";
    EXPECT_EQ(E_INVALIDARG, document->DropItemCalculation(HostItemId{}));
}

TEST(HostDocument, ChildDataIsFoundByItsTypeIdAndHeldUntilDetached)
{
    const Recording recording = Pulses();
    const auto document = HostDocument::Offline(recording);
    FakeChildData data(0x12340005);
    ASSERT_EQ(S_OK, document->AttachChildData(&data));
    EXPECT_EQ(1u, data.references);
    Orv::ComPtr<IStrixDataChildData> found;
    EXPECT_EQ(S_FALSE, document->FindChildData(0x12340006, found.Put()));
    EXPECT_FALSE(found);
    ASSERT_EQ(S_OK, document->FindChildData(0x12340005, found.Put()));
    EXPECT_EQ(&data, found.Get());
    found.Reset();
    EXPECT_EQ(S_OK, document->DetachChildData(&data));
    EXPECT_EQ(S_FALSE, document->DetachChildData(&data));
    EXPECT_EQ(0u, data.references);
}

namespace
{

// Three channels over two records of 1 ms ticks: a pulse a beat of 0.8 s, a slower wave and a ramp.
Recording ThreeChannels()
{
    const auto record = [](size_t ticks) {
        std::vector<std::vector<float>> channels(3, std::vector<float>(ticks));
        for (size_t tick = 0; tick < ticks; ++tick)
        {
            const double t = 0.001 * static_cast<double>(tick);
            channels[0][tick] = static_cast<float>(60.0 + 50.0 * std::sin(2.0 * 3.14159265358979 * t / 0.8));
            channels[1][tick] = static_cast<float>(30.0 + 10.0 * std::cos(2.0 * 3.14159265358979 * t / 3.1));
            channels[2][tick] = static_cast<float>(0.25 * static_cast<double>(tick % 977));
        }
        return channels;
    };
    return HostTests::MakeRecording(0.001, {record(5000), record(3100)}, 3);
}

// What a calculation of the document gives over the record, as far as it has arrived: a channel's samples
// or an event channel's ticks.
struct Calculation
{
    const char* name;
    uint32_t request;
    int32_t channel;
    bool events;
};

std::vector<float> Calculate(HostDocument& document, const Calculation& calculation, int32_t record)
{
    std::vector<float> out;
    if (calculation.events)
    {
        Orv::ComPtr<IEnumEventEx> events;
        if (FAILED(document.OpenCalculatedChannelEvents(calculation.channel, record, 0, events.Put())))
            return {-1.0f};
        int32_t size = 0;
        events->GetRecordSize(&size);
        std::vector<std::byte> buffer(static_cast<size_t>(size) * 64);
        int32_t count = 0, next = 0;
        events->Next(static_cast<int32_t>(buffer.size()), CalcNoMoreEventsTick, buffer.data(), &count, &next);
        for (int32_t i = 0; i < count; ++i)
            out.push_back(static_cast<float>(reinterpret_cast<const OrvEventBase*>(buffer.data() + i * size)->tick));
        return out;
    }
    Orv::ComPtr<IUnknown> opened;
    if (FAILED(document.OpenChannelEnum(calculation.request, record, calculation.channel, opened.Put())))
        return {-1.0f};
    out.resize(static_cast<size_t>(document.Data().RecordAt(static_cast<size_t>(record)).Length()));
    int32_t fetched = 0;
    opened.As<IEnumFloatEx>(IID_IEnumFloatEx)->Next(static_cast<int32_t>(out.size()), out.data(), &fetched);
    out.resize(static_cast<size_t>(fetched));
    return out;
}

Orv::ComPtr<IHostSamplingSink> SinkOf(HostDocument& holder)
{
    Orv::ComPtr<IHostSamplingSink> sink;
    EXPECT_EQ(S_OK, holder.GetSamplingSink(sink.Put()));
    return sink;
}

} // namespace

// Two holders of a live preview take the same samples, one keeping them in memory, the other in the
// storage it was given alone: every calculation over every record gives the same on both, read while the
// records grow and once they are done; given no storage again, the holder has its samples back in memory.
TEST(HostDocument, AHolderKeepingItsSamplesInAStorageCalculatesAsOneHoldingThemInMemory)
{
    const Recording recording = ThreeChannels();
    const auto shown = HostDocument::Sampling(recording, {"ch2 * 2 - ch3", "shift(ch1, 0.01)", "cmpeakdet(ch1, 10, 0.3)"});
    const auto inMemory = HostDocument::HolderFor(*shown.Get());
    const auto kept = HostDocument::HolderFor(*shown.Get());
    Orv::ComPtr<ILockBytes> bytes;
    Orv::ComPtr<IStorage> storage;
    ASSERT_EQ(S_OK, CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.Put()));
    ASSERT_EQ(S_OK, StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                                 storage.Put()));
    ASSERT_EQ(S_OK, kept->SetStorage(0, storage.Get()));
    LiveSamplingSource& source = *shown->LiveSource();
    ASSERT_EQ(S_OK, source.AttachSink(0, SinkOf(*inMemory.Get()).Get()));
    ASSERT_EQ(S_OK, source.AttachSink(0, SinkOf(*kept.Get()).Get()));
    ASSERT_EQ(S_OK, source.Start(0, 0, 0));

    const Calculation calculations[] = {{"ch1", HostChannelRaw | HostChannelStream, 0, false},
                                        {"ch3", HostChannelScaled | HostChannelStream, 2, false},
                                        {"ch2 * 2 - ch3", HostChannelCalculated | HostChannelStream, 0, false},
                                        {"shift(ch1, 0.01)", HostChannelCalculated | HostChannelStream, 1, false},
                                        {"cmpeakdet(ch1, 10, 0.3)", 0, 2, true}};
    // done: every record has samples, so every calculation gives something.
    const auto expectSame = [&](const char* when, bool done) {
        ASSERT_EQ(inMemory->Data().RecordCount(), kept->Data().RecordCount()) << when;
        for (size_t record = 0; record < kept->Data().RecordCount(); ++record)
        {
            EXPECT_EQ(0u, kept->Data().RecordAt(record).SamplesInMemory()) << when;
            for (const Calculation& calculation : calculations)
            {
                const std::vector<float> expected = Calculate(*inMemory.Get(), calculation, static_cast<int32_t>(record));
                EXPECT_TRUE(!done || !expected.empty()) << calculation.name << " in record " << record;
                EXPECT_EQ(expected, Calculate(*kept.Get(), calculation, static_cast<int32_t>(record)))
                    << when << ": " << calculation.name << " in record " << record;
            }
        }
    };
    while (!shown->IsSamplingDone())
    {
        shown->FeedSamples(1300);
        expectSame("sampling", false);
    }
    ASSERT_EQ(2u, kept->Data().RecordCount());
    expectSame("done", true);

    ASSERT_EQ(S_OK, kept->SetStorage(0, nullptr));
    EXPECT_EQ(3 * kept->Data().RecordAt(1).Length(), static_cast<int64_t>(kept->Data().RecordAt(1).SamplesInMemory()));
    EXPECT_EQ(Calculate(*inMemory.Get(), calculations[2], 1), Calculate(*kept.Get(), calculations[2], 1));
}
