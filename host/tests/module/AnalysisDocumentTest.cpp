// The analysis document on a host document of a steady ventricle (pressure in channel 1, volume in
// channel 2): analyses over the region, with progress and cancel, online while sampling, and the
// analysis manager's requests.
#include "host/tests/module/CrossingFunction.h"
#include "host/tests/module/DocumentOnHost.h"
#include "host/tests/RecordingFixtures.h"
#include "host/vyr/ChannelColours.h"

#include "calc/tests/SyntheticLoops.h"
#include "document/core/EventDrawPolicies.h"
#include "dialogs/settings/EcgSources.h"
#include "document/core/SistraDocument.h"
#include "hostframework/entry/ClassRegistration.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/messaging/SistraIds.h"
#include "host/app/document/HostDocument.h"
#include "host/app/files/TextConversion.h"
#include "host/app/gui/TraceView.h"
#include "host/vyr/UnitConversions.h"
#include "hostapi/HostDocumentEvents.h"
#include "hostapi/VyrComments.h"
#include "host/app/calc/ModuleCalcFunctions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>

namespace
{

using HostTests::DocumentOnHost;
using HostTests::LoopSummary;
using HostTests::SteadyVentricle;
using Sistra::SistraDocument;

constexpr int32_t RunSamples = 250000;

struct ProgressLog
{
    ULONG indicators = 0, updates = 0;
    LONG lastPercent = 0;
};

ProgressLog ReadProgress()
{
    ProgressLog log;
    HostTests::StandIn().GetProgressLog(&log.indicators, &log.updates, &log.lastPercent);
    return log;
}

class AnalysisDocument : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { recording = std::make_unique<Host::Recording>(SteadyVentricle(RunSamples)); }
    static void TearDownTestSuite() { recording.reset(); }
    void SetUp() override { HostTests::StandIn().ScriptProgressCancel(-1); }
    void TearDown() override
    {
        HostTests::StandIn().ScriptProgressCancel(-1);
        HostTests::StandIn().SetProgressAvailable(VARIANT_TRUE);
    }

    static inline std::unique_ptr<Host::Recording> recording;
};

} // namespace

TEST_F(AnalysisDocument, AnalyzingTheWholeRecordingFeedsAHundredChunksAndFindsEveryBeat)
{
    DocumentOnHost offline(*recording, false, false);
    HostTests::StandIn().ScriptProgressCancel(-1);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const ProgressLog log = ReadProgress();
    EXPECT_EQ(1u, log.indicators);
    EXPECT_EQ(100u, log.updates);
    EXPECT_EQ(100, log.lastPercent);
    const auto loops = offline.Loops();
    // 312 whole beats of 0.8 s; the analysis leaves out the first and the last, which it cannot close.
    EXPECT_GE(loops.size(), 300u);
    EXPECT_TRUE(offline.RegionSet());
}

TEST_F(AnalysisDocument, ACancelAtFortyPercentClearsTheAnalysis)
{
    const Host::Recording shorter = SteadyVentricle(100000);
    DocumentOnHost offline(shorter, false, false);
    HostTests::StandIn().ScriptProgressCancel(40);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const ProgressLog log = ReadProgress();
    EXPECT_EQ(40, log.lastPercent);
    EXPECT_EQ(40u, log.updates);
    EXPECT_FALSE(offline.RegionSet());
    EXPECT_EQ(0u, offline.Document().Data().GetLoopCount());
}

// Without a progress indicator nobody can cancel: the run goes through to the end.
TEST_F(AnalysisDocument, WithoutAProgressIndicatorTheRunIsNotCancelled)
{
    const Host::Recording shorter = SteadyVentricle(40000);
    DocumentOnHost offline(shorter, false, false);
    HostTests::StandIn().SetProgressAvailable(VARIANT_FALSE);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    EXPECT_TRUE(offline.RegionSet());
    // 50 beats of 0.8 s: the first is not closed.
    EXPECT_GE(offline.Loops().size(), 48u);
}

TEST_F(AnalysisDocument, AnOnlineRunFindsTheLoopsOfTheOfflineRun)
{
    const Host::Recording shorter = SteadyVentricle(30000);
    DocumentOnHost offline(shorter, false, false);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const auto expected = offline.Loops();
    ASSERT_GE(expected.size(), 30u);

    DocumentOnHost online(shorter, true, true);
    ASSERT_EQ(1u, online.Host().SinkCount());
    online.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    while (!online.Host().IsSamplingDone())
        online.Host().FeedSamples(1237);
    const auto found = online.Loops();
    ASSERT_EQ(expected.size(), found.size());
    for (size_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(expected[i], found[i]) << i << ": " << expected[i].tick << " " << found[i].tick;
}

// Two records recorded one at a time: clearing the analysis between them keeps online mode working, so
// the second record is analysed as it arrives.
TEST_F(AnalysisDocument, ClearingWhileOnlineAnalysesTheNextRecordOnline)
{
    const Host::Recording one = SteadyVentricle(30000);
    const std::vector<float> pressure(one.RecordAt(0).Samples(0).begin(), one.RecordAt(0).Samples(0).end());
    const std::vector<float> volume(one.RecordAt(0).Samples(1).begin(), one.RecordAt(0).Samples(1).end());
    const Host::Recording two = HostTests::MakeRecording(HostTests::Interval, {{pressure, volume}, {pressure, volume}}, 2);
    Host::RecordingFeed feed(two, true);
    DocumentOnHost online(feed, true);
    online.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    while (online.Host().Data().RecordCount() == 0 || !online.Host().Data().RecordAt(0).IsComplete())
        online.Host().FeedSamples(1237);
    const size_t firstRecordLoops = online.Loops().size();
    ASSERT_GE(firstRecordLoops, 30u);

    online.Send(Sistra::AutomationMessage::ClearSistraAnalysis);
    EXPECT_TRUE(online.RegionSet());
    EXPECT_EQ(0u, online.Loops().size());
    while (!online.Host().IsSamplingDone())
        online.Host().FeedSamples(1237);
    const auto found = online.Loops();
    EXPECT_EQ(firstRecordLoops, found.size());
    EXPECT_EQ(1, online.Document().GetSetupModel()->GetValue<Sistra::PropertyType::Position>(Sistra::PropertyId::RegionStart).block);
}

// A message the host kept for the document (here the analysis command) runs once the document is ready.
TEST_F(AnalysisDocument, TheMessageTheHostKeptRunsWhenTheDocumentIsReady)
{
    const Host::Recording shorter = SteadyVentricle(20000);
    DocumentOnHost offline(shorter, false, false);
    ASSERT_EQ(0u, offline.Loops().size());
    USHORT code = 0;
    Sistra::GetDocumentMessagePrefix(&code);
    const MsgPayload0 empty;
    Orv::ComPtr<IMessage> message;
    MessageCreatorAccessor::Get()->MakeMessage(static_cast<ULONG>(code) << 16 | Sistra::AutomationMessage::AnalyzeSistraNow,
                                               0, 0, 0, 0, &empty, message.Put());
    Orv::ComPtr<IUnknown> stored;
    HostObjectServiceAccessor::Get()->CreateHostObjectByType(HostStoredMessagesType, 0, 0, 0, stored.Put());
    const auto container = stored.As<IVyrObjectContainer>(IID_IVyrObjectContainer);
    ASSERT_TRUE(container);
    container->StoreObject(reinterpret_cast<ULONG_PTR>(offline.Host().Unknown()), message.Get());
    offline.Notify(VyrTypeId::StoredMessageNotification, offline.Host().Unknown());
    EXPECT_TRUE(offline.RegionSet());
    EXPECT_GT(offline.Loops().size(), 20u);
}

// Choosing a loop while its markers are shown hands the host the loop's comment on the pressure channel:
// at the loop, in the channel's trace colour, with the loop's number, value and period.
TEST_F(AnalysisDocument, ChoosingALoopHandsTheHostItsComment)
{
    const Host::Recording shorter = SteadyVentricle(8000);
    DocumentOnHost offline(shorter, false, false);
    const Sistra::ModelPtr setup = offline.Document().GetSetupModel();
    setup->SetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::ShowLoopMarkers, true);
    setup->CommitChanges();
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const auto position = offline.Document().Data().GetLoopPosition(3);
    ASSERT_TRUE(position);
    const Sistra::SelectLoopPayload payload{0x2, 3};
    offline.Send(Sistra::AutomationMessage::SelectASistra, &payload);

    Orv::ComPtr<IHostShownComments> shown;
    ASSERT_EQ(S_OK, offline.Document().Outer()->QueryInterface(IID_IHostShownComments, shown.PutVoid()));
    ULONG count = 0;
    shown->GetCommentCount(&count);
    ASSERT_EQ(1u, count);
    Orv::ComPtr<IStrixComment> comment;
    ASSERT_EQ(S_OK, shown->GetComment(0, comment.Put()));
    LONG place[2] = {-1, -1};
    BSTR text = nullptr;
    comment->GetInfo(place, nullptr, nullptr, &text);
    const std::wstring written = text ? text : L"";
    SysFreeString(text);
    EXPECT_EQ(position->record, place[0]);
    EXPECT_EQ(position->tick, place[1]);
    EXPECT_EQ(L"Sistra: 4;", written.substr(0, 10));
    LONG channel = -1;
    comment->GetChannel(&channel);
    EXPECT_EQ(0, channel);
    const auto extended = comment.As<IStrixCommentEx>(IID_IStrixCommentEx);
    ASSERT_TRUE(extended);
    ULONG typeId = 0, reserved = 0;
    COLORREF colour = 0;
    extended->GetTypeInfo(&typeId, &colour, &reserved);
    EXPECT_EQ(Host::ChannelTraceColour(0), colour);
    // The host is asked to show it in the context of the host object made for one comment of its type on
    // the channel when the comment was created.
    Orv::ComPtr<IHostMessageLog> log;
    ASSERT_EQ(S_OK, offline.Document().Outer()->QueryInterface(IID_IHostMessageLog, log.PutVoid()));
    ULONG entries = 0, id = 0, words = 0;
    std::vector<ULONG> context(3);
    log->GetCount(&entries);
    for (ULONG entry = 0; entry < entries; ++entry)
        if (SUCCEEDED(log->GetEntry(entry, &id, nullptr, 0, &words)) && id == ShowComment2MessageId)
            log->GetEntryContext(entry, &context[0], &context[1], &context[2]);
    EXPECT_EQ((std::vector<ULONG>{typeId, 0, 1}), context);
}

// On closing, the document hands the host the texts of its calculation items, both workflows' items.
TEST_F(AnalysisDocument, ClosingHandsTheHostTheTextsOfItsItems)
{
    const Host::Recording shorter = SteadyVentricle(20000);
    DocumentOnHost offline(shorter, false, false);
    offline.Document().Close();
    const std::vector<std::wstring> expected{L"sistra",      L"pva",      L"pvvolumewithoutvp",      L"pveventwithoutvp",
                                             L"sistra_echo", L"pva_echo", L"pvvolumewithoutvp_echo", L"pveventwithoutvp_echo"};
    EXPECT_EQ(expected, offline.Host().KeptItemTexts());
}

TEST_F(AnalysisDocument, TheAnalysisManagersRequestsReportClearAndAnalyseAgain)
{
    const Host::Recording shorter = SteadyVentricle(20000);
    DocumentOnHost offline(shorter, false, false);
    ASSERT_EQ((std::vector<std::wstring>{L"Sistra"}), offline.Host().AnalysisClients());
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const size_t loops = offline.Loops().size();
    ASSERT_GT(loops, 10u);

    offline.Notify(MsgIdClass<&AnalysisManagerGUID, 7>::Id(), nullptr);
    ASSERT_TRUE(offline.Host().ReportedRegion());
    EXPECT_EQ(0u, offline.Host().ReportedRegion()->first);
    EXPECT_EQ(20000u, offline.Host().ReportedRegion()->second);

    offline.Notify(MsgIdClass<&AnalysisManagerGUID, 5>::Id(), nullptr);
    EXPECT_FALSE(offline.RegionSet());
    EXPECT_EQ(0u, offline.Loops().size());

    // Without a region a calibration request analyses as Analyze Channel does; with one it analyses
    // that region again.
    offline.Notify(MsgIdClass<&AnalysisManagerGUID, 6>::Id(), nullptr);
    EXPECT_TRUE(offline.RegionSet());
    EXPECT_EQ(loops, offline.Loops().size());
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    offline.Send(Sistra::AutomationMessage::ClearSistraAnalysis);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    offline.Notify(MsgIdClass<&AnalysisManagerGUID, 6>::Id(), nullptr);
    EXPECT_EQ(loops, offline.Loops().size());
    EXPECT_GT(offline.Host().SettingsChangeCount(), 0);
}

TEST_F(AnalysisDocument, TheWarningThatTheEcgSourceIsGoneShowsOnce)
{
    const Host::Recording shorter = SteadyVentricle(5000);
    DocumentOnHost offline(shorter, false, false);
    const auto messageBox = [](ULONG index, std::wstring* text) {
        BSTR shown = nullptr, caption = nullptr;
        UINT style = 0;
        LONG answer = 0;
        const HRESULT result = HostTests::StandIn().GetMessageBox(index, &shown, &caption, &style, &answer);
        if (text && shown)
            *text = shown;
        SysFreeString(shown);
        SysFreeString(caption);
        return result;
    };
    ULONG before = 0;
    while (SUCCEEDED(messageBox(before, nullptr)))
        ++before;
    offline.Document().MarkEcgSourceGone();
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    std::wstring text;
    ASSERT_EQ(S_OK, messageBox(before, &text));
    EXPECT_EQ(L"An ECG event source that Sistra was using has gone away.\n\nSistra will now attempt to determine "
              L"end-diastole using the pressure signal.",
              text);
    EXPECT_EQ(E_INVALIDARG, messageBox(before + 1, nullptr));
    EXPECT_FALSE(offline.Document().IsEcgSourceGone());
}

// The QRS source list offers the recording's event sources, never the analysis's own ("pva", the loops
// without the parallel conductance): taken as the ECG they would make the analysis read itself. A source
// a person named shows under its own name beside them (it showed under the module's, and was left out).
TEST_F(AnalysisDocument, TheQrsSourcesLeaveOutTheAnalysisOwnSources)
{
    const Host::Recording shorter = SteadyVentricle(5000);
    DocumentOnHost offline(shorter, false, false);
    HostItemId named{};
    ASSERT_EQ(S_OK, offline.Host().FindItem(L"beats", &named));
    ASSERT_EQ(S_OK, offline.Host().SetItemCalculation(named, L"cmpeakdet(ch1, 1, 0.2)", nullptr));
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    ASSERT_FALSE(offline.Loops().empty());
    const Sistra::EcgSourceMap sources = Sistra::FillEcgSourceMap(static_cast<IHostDataItems*>(&offline.Host()));
    for (const auto& [text, name] : sources)
        for (const wchar_t* own : {L"pva", L"pveventwithoutvp", L"pvvolumewithoutvp", L"sistra"})
            EXPECT_NE(own, name) << Host::ToUtf8(text);
    EXPECT_EQ((Sistra::EcgSourceMap{{L"beats", L"beats"}}), sources);
}

// A loop index below 0 deselects; one at or past the loop count is refused and keeps the selection.
TEST_F(AnalysisDocument, SelectingBelowTheLoopsDeselectsAndPastThemIsRefused)
{
    const Host::Recording shorter = SteadyVentricle(8000);
    DocumentOnHost offline(shorter, false, false);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const auto count = static_cast<LONG>(offline.Loops().size());
    ASSERT_GT(count, 2);
    const struct
    {
        LONG asked;
        int32_t selected;
    } cases[] = {{0, 0}, {count - 1, count - 1}, {count, count - 1}, {1, 1}, {-1, -1}, {-7, -1}, {count + 3, -1}};
    for (const auto& test : cases)
    {
        const Sistra::SelectLoopPayload payload{0x2, test.asked};
        offline.Send(Sistra::AutomationMessage::SelectASistra, &payload);
        EXPECT_EQ(test.selected,
                  offline.Document().GetSetupModel()->GetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::SelectedLoop))
            << test.asked;
    }
}

// The host draws the loops of the analysis data attached to its record: a mark at a loop's tick names
// that loop; a mark anywhere else names none.
TEST_F(AnalysisDocument, AMarkIsNamedOnlyAtALoopsTick)
{
    const Host::Recording shorter = SteadyVentricle(8000);
    DocumentOnHost offline(shorter, false, false);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    Sistra::SistraEvent loop;
    ASSERT_TRUE(offline.Document().Data().ReadLoop(2, loop));
    IUnknown* drawing = offline.Host().Unknown();
    EXPECT_EQ(std::optional<uint32_t>(2), Sistra::FindDrawnLoopIndex(drawing, 0, loop.base.tick));
    EXPECT_EQ(std::nullopt, Sistra::FindDrawnLoopIndex(drawing, 0, loop.base.tick + 1));
    EXPECT_EQ(std::nullopt, Sistra::FindDrawnLoopIndex(drawing, 1, loop.base.tick));
    const std::wstring text = Sistra::SistraEventDrawPolicy<Sistra::SistraEvent>::Tooltip(drawing, 0, loop).c_str();
    EXPECT_EQ(L"Sistra: 3; Value = ", text.substr(0, 19));
    Sistra::SistraEvent elsewhere = loop;
    ++elsewhere.base.tick;
    EXPECT_STREQ(L"", Sistra::SistraEventDrawPolicy<Sistra::SistraEvent>::Tooltip(drawing, 0, elsewhere).c_str());
}

TEST_F(AnalysisDocument, LoopsCheckedInTheLoopViewAreExcluded)
{
    const Host::Recording shorter = SteadyVentricle(8000);
    DocumentOnHost offline(shorter, false, false);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const Sistra::ModelPtr loopView = offline.Document().GetModel(Sistra::ModelKind::LoopView);
    loopView->SetValue<Sistra::PropertyType::IntSet>(Sistra::PropertyId::CheckedItems, Sistra::IntSet{1});
    loopView->CommitChanges();
    for (uint32_t loop : {0u, 1u, 2u})
    {
        Sistra::SistraEvent record;
        ASSERT_TRUE(offline.Document().Data().ReadLoop(loop, record));
        EXPECT_EQ(loop == 1 ? Sistra::LoopStateExcluded : Sistra::LoopStateValid, record.state) << loop;
    }
}

// The setup model first, then the calibration models the volume calibrator takes, then the pressure
// calibration's; the rest on request.
TEST_F(AnalysisDocument, ANewDocumentHoldsTheSetupAndCalibrationModels)
{
    const Host::Recording shorter = SteadyVentricle(2000);
    DocumentOnHost document(shorter, false, false);
    const std::vector<int> documented{1, 3, 11, 5, 6, 10, 14, 2};
    const std::vector<int>& made = document.Document().ModelCreationOrder();
    ASSERT_GE(made.size(), documented.size());
    EXPECT_EQ(documented, std::vector<int>(made.begin(), made.begin() + static_cast<ptrdiff_t>(documented.size())));
    for (int kind : documented)
        EXPECT_TRUE(document.Document().FindModel(kind)) << kind;
    EXPECT_FALSE(document.Document().FindModel(7));
    EXPECT_TRUE(document.Document().GetModel(7));
    EXPECT_FALSE(document.Document().GetModel(15));
    EXPECT_FALSE(document.Document().FindModel(15));
}

// A calculation a channel keeps with no interest of its own.
struct PlaceholderCalculation final : IUnknown
{
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

// Only the channels the module computes from the analysis work their values out again after a run, and
// the host's windows are then brought up to date.
TEST_F(AnalysisDocument, AnAnalysisRecalculatesTheChannelsComputedFromIt)
{
    PlaceholderCalculation calculation;
    const Host::Recording shorter = SteadyVentricle(8000);
    DocumentOnHost offline(shorter, false, false, {"ch1 * 2"});
    Host::ChannelCalcSlot& computed = offline.Host().ChannelCalculation(2, HostChannelCalcSelector);
    computed.Hold(Sistra::ChannelCalculationId::Id(), &calculation);
    Host::ChannelCalcSlot& other = offline.Host().ChannelCalculation(1, HostChannelCalcSelector);
    other.Hold(Sistra::HostCalculationType::Id(), &calculation);
    const int updates = offline.Host().DisplayUpdates();
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    EXPECT_EQ(1, computed.Recalculations());
    EXPECT_EQ(0, other.Recalculations());
    EXPECT_EQ(updates + 1, offline.Host().DisplayUpdates());
    computed.Hold(0, nullptr);
    other.Hold(0, nullptr);
}

// Hears every message the document does not handle itself.
class MessageWatch final : public VyrMessageHandler
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = iid == IID_IMessageHandler || iid == IID_IUnknown ? static_cast<IMessageHandler*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE HandleMessage(IMessage* message) override
    {
        ULONG id = 0;
        const void* payload = nullptr;
        message->GetId(&id);
        message->GetPayload(&payload);
        int32_t words[2] = {};
        std::memcpy(words, payload, sizeof words);
        heard.push_back({id, static_cast<ULONG>(words[0]), words[1]});
        // Heard, and left to the host.
        return 0;
    }

    struct Heard
    {
        ULONG id, tag;
        int32_t channel;
        bool operator==(const Heard&) const = default;
    };
    std::vector<Heard> heard;
};

// A calculated channel is not set up for recording: its new units go to the host as one change message.
TEST_F(AnalysisDocument, AChannelNotSetUpForRecordingIsChangedByMessage)
{
    MessageWatch watch;
    const Host::Recording shorter = SteadyVentricle(2000);
    DocumentOnHost offline(shorter, false, false, {"ch1 * 2"});
    offline.Document().AddHandler(&watch);
    EXPECT_TRUE(offline.Document().ApplyChannelSetup(2, nullptr));
    EXPECT_TRUE(offline.Document().ApplyChannelSetup(1, nullptr));
    offline.Document().RemoveHandler(&watch);
    EXPECT_EQ((std::vector<MessageWatch::Heard>{{Sistra::ChannelSetupChangeMessage, Sistra::ChannelSetupChangeTag, 2}}),
              watch.heard);
    // The host takes the change in the context of the channel's setup object.
    Orv::ComPtr<IHostMessageLog> log;
    ASSERT_EQ(S_OK, offline.Document().Outer()->QueryInterface(IID_IHostMessageLog, log.PutVoid()));
    ULONG count = 0, id = 0, words = 0, type = 0, channel = 0, kind = 0;
    log->GetCount(&count);
    for (ULONG entry = 0; entry < count && id != Sistra::ChannelSetupChangeMessage; ++entry)
    {
        if (SUCCEEDED(log->GetEntry(entry, &id, nullptr, 0, &words)) && id == Sistra::ChannelSetupChangeMessage)
        {
            EXPECT_EQ(S_OK, log->GetEntryContext(entry, &type, &channel, &kind));
        }
    }
    EXPECT_EQ((std::vector<ULONG>{Sistra::ChannelSetupChangeMessage, 2, 2}), (std::vector<ULONG>{type, channel, kind}));
}

// A change of an analysed channel's data analyses again; other channels and cuts of the recording do not.
TEST_F(AnalysisDocument, TheHostsChangesToTheAnalysedDataAnalyseAgainOrClear)
{
    const Host::Recording shorter = SteadyVentricle(8000);
    DocumentOnHost offline(shorter, false, false);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const auto runs = [] { return ReadProgress().indicators; };
    const ULONG before = runs();
    for (const auto& [channel, analysed] : {std::pair{1, true}, std::pair{0, true}, std::pair{5, false}})
    {
        const ULONG start = runs();
        offline.Notify(MsgIdClass<&HostDocEventGUID, 20>::Id(), const_cast<int*>(&channel));
        EXPECT_EQ(start + (analysed ? 1 : 0), runs()) << channel;
    }
    EXPECT_EQ(before + 2, runs());
    offline.Notify(MsgIdClass<&HostDocEventGUID, 16>::Id(), nullptr);
    EXPECT_FALSE(offline.RegionSet());
    EXPECT_EQ(0u, offline.Loops().size());
}

namespace
{

ULONG MessageBoxCount()
{
    ULONG count = 0;
    BSTR text = nullptr, caption = nullptr;
    UINT style = 0;
    LONG answer = 0;
    while (SUCCEEDED(HostTests::StandIn().GetMessageBox(count, &text, &caption, &style, &answer)))
    {
        SysFreeString(text);
        SysFreeString(caption);
        text = caption = nullptr;
        ++count;
    }
    return count;
}

} // namespace

// Sources that the analysis reads analyse again when they change; an analysed channel or an ECG source
// that went away is warned about once, and end-diastole taken from the pressure again.
TEST_F(AnalysisDocument, ChangedSourcesOfTheAnalysisAnalyseAgain)
{
    const Host::Recording shorter = SteadyVentricle(6000);
    DocumentOnHost offline(shorter, false, false, {"ch1 * 2"});
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const Sistra::ModelPtr setup = offline.Document().GetSetupModel();
    const struct
    {
        HostSourcePair source;
        uint32_t removed;
        ULONG runs;
        ULONG warnings;
    } cases[] = {
        {{1, 0}, 0x80000000u, 1, 1},   // the volume channel, removed: warned of
        {{1, 4}, 0x80000000u, 0, 0},   // an event source other than the ECG source
        {{0, 4}, 0, 1, 0},             // the ECG source, changed
        {{5, 0}, 0x80000000u, 0, 0},   // a channel the analysis does not read
        {{0, 4}, 0x80000000u, 1, 1},   // the ECG source, removed
        {{0, 4}, 0x80000000u, 0, 0},   // the former ECG source: the analysis no longer reads it
    };
    setup->SetValue<Sistra::PropertyType::Text>(Sistra::PropertyId::EcgEventSource, Orv::String(L"vch1"));
    setup->CommitChanges();
    for (const auto& test : cases)
    {
        const ULONG runs = ReadProgress().indicators, boxes = MessageBoxCount();
        const HostSourcesChangedRecord record{{0, 0, test.removed}, &test.source, 1};
        offline.Notify(MsgIdClass<&HostDocEventGUID, Sistra::HostDocEvent::EventSourcesChanged>::Id(),
                       const_cast<HostSourcesChangedRecord*>(&record));
        EXPECT_EQ(runs + test.runs, ReadProgress().indicators) << test.source.value << " " << test.source.kind;
        EXPECT_EQ(boxes + test.warnings, MessageBoxCount()) << test.source.value << " " << test.source.kind;
    }
    EXPECT_TRUE(setup->GetValue<Sistra::PropertyType::Text>(Sistra::PropertyId::EcgEventSource).IsEmpty());
}

// A units change the pressure calibration made itself leaves it applied; one made by someone else
// withdraws it. Either way the analysis runs again, and other channels' changes are no concern.
TEST_F(AnalysisDocument, AForeignUnitsChangeWithdrawsTheCalibrationOfTheChannel)
{
    const Host::Recording shorter = SteadyVentricle(6000);
    DocumentOnHost offline(shorter, false, false);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const Sistra::ModelPtr pressure = offline.Document().GetModel(Sistra::ModelKind::PressureCalib);
    pressure->SetPressureBase1(0.0);
    pressure->SetPressureBase2(1.0);
    pressure->SetValue<Sistra::PropertyType::Double>(Sistra::PropertyId::PressureConverted1, 0.0);
    pressure->SetValue<Sistra::PropertyType::Double>(Sistra::PropertyId::PressureConverted2, 100.0);
    pressure->SetPressureCalibrationApplied(true);
    pressure->CommitChanges();
    const auto applied = [&] { return pressure->GetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::PressureCalibrationApplied); };
    const auto notify = [&](int32_t channel) {
        const ULONG runs = ReadProgress().indicators;
        offline.Notify(MsgIdClass<&HostDocEventGUID, Sistra::HostDocEvent::ChannelOrSetupChanged>::Id(), &channel);
        return ReadProgress().indicators - runs;
    };
    // What the host shows the pressure channel with: its units conversion.
    const auto scale = [&] {
        Orv::ComPtr<IUnitConversion> conversion;
        Vyr::ConversionFacts facts;
        if (offline.Host().GetChannelConversion(HostUnsetPosition, 0, 0, conversion.Put()) != S_OK ||
            !Vyr::ReadConversionFacts(*conversion.Get(), facts))
            return 0.0;
        return facts.scale;
    };
    ASSERT_NEAR(100.0, scale(), 1e-9);
    EXPECT_EQ(1u, notify(0));
    EXPECT_TRUE(applied());
    EXPECT_EQ(0u, notify(7));

    // The host putting its own conversions back gives the applied calibration the channel again.
    Orv::ComPtr<IUnitConversion> own;
    UnitsServiceAccessor::Get()->CreateDefaultConversion(own.Put());
    ASSERT_EQ(S_OK, offline.Host().ApplyChannelSetup(0, 0, 0, 1, own.Get()));
    offline.Notify(0x80000002, nullptr);
    EXPECT_NEAR(100.0, scale(), 1e-9);

    ASSERT_EQ(S_OK, offline.Host().ApplyChannelSetup(0, 0, 0, 1, own.Get()));
    EXPECT_EQ(1u, notify(0));
    EXPECT_FALSE(applied());
}

// Outside the workflow the cuvette command's line is what the analysis reads the volume through: the
// model keeps the line as sent (its ready notice sends it back to the command unchanged), the units
// change the calibration made is not taken for someone else's, and every loop's volume lies on the line.
TEST_F(AnalysisDocument, TheCuvetteCommandsLineIsTheVolumeTheAnalysisReads)
{
#pragma pack(push, 4)
    struct LinePayload
    {
        ULONG typeWord;
        double slope;
        double intercept;
    };
#pragma pack(pop)
    const Host::Recording shorter = SteadyVentricle(6000);
    DocumentOnHost offline(shorter, false, false);
    const Sistra::ModelPtr setup = offline.Document().GetSetupModel();
    setup->SetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::WorkflowModeOn, false);
    setup->CommitChanges();
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const std::vector<LoopSummary> recorded = offline.Loops();
    ASSERT_FALSE(recorded.empty());

    const LinePayload line{0x33, 2.0, 5.0};
    offline.Send(Sistra::AutomationMessage::ApplySistraCuvetteCalibration, &line);
    const Sistra::ModelPtr cuvette = offline.Document().GetModel(Sistra::ModelKind::CuvetteCalib);
    const auto value = [&](int id) { return cuvette->GetValue<Sistra::PropertyType::Double>(id); };
    const auto applied = [&] { return cuvette->GetValue<Sistra::PropertyType::Bool>(Sistra::PropertyId::CuvetteCalibrationApplied); };
    EXPECT_DOUBLE_EQ(2e-6, value(Sistra::PropertyId::CuvetteSlope));
    EXPECT_DOUBLE_EQ(5e-6, value(Sistra::PropertyId::CuvetteIntercept));
    int32_t volumeChannel = 1;
    offline.Notify(MsgIdClass<&HostDocEventGUID, Sistra::HostDocEvent::ChannelOrSetupChanged>::Id(), &volumeChannel);
    EXPECT_TRUE(applied());

    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const std::vector<LoopSummary> calibrated = offline.Loops();
    ASSERT_EQ(recorded.size(), calibrated.size());
    for (size_t loop = 0; loop < recorded.size(); ++loop)
        EXPECT_NEAR(2e-6 * recorded[loop].ved + 5e-6, calibrated[loop].ved, 1e-9) << loop;
}

// The host's selection selects the loop it lies in; a place between loops selects none.
TEST_F(AnalysisDocument, TheHostsSelectionSelectsTheLoopItLiesIn)
{
    const Host::Recording shorter = SteadyVentricle(8000);
    DocumentOnHost offline(shorter, false, false);
    offline.Send(Sistra::AutomationMessage::AnalyzeSistraNow);
    const uint32_t count = offline.Document().Data().GetLoopCount();
    ASSERT_GT(count, 3u);
    std::vector<std::pair<int32_t, int32_t>> cases{{0, -1}, {7999, -1}};
    for (uint32_t loop = 0; loop < count; ++loop)
    {
        Sistra::SistraEvent record;
        ASSERT_TRUE(offline.Document().Data().ReadLoop(loop, record));
        cases.emplace_back(record.firstTick, static_cast<int32_t>(loop));
        cases.emplace_back((record.firstTick + record.endTick) / 2, static_cast<int32_t>(loop));
        cases.emplace_back(record.endTick - 1, static_cast<int32_t>(loop));
    }
    for (const auto& [tick, loop] : cases)
    {
        offline.Host().SetSelection({0, tick}, {0, tick + 1});
        offline.Notify(MsgIdClass<&HostDocEventGUID, Sistra::HostDocEvent::Selection>::Id(), nullptr);
        EXPECT_EQ(loop, offline.Document().GetSetupModel()->GetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::SelectedLoop))
            << tick;
    }
}

TEST_F(AnalysisDocument, TheHostsRangeIsKeptUntilCleared)
{
    const Host::Recording shorter = SteadyVentricle(2000);
    DocumentOnHost offline(shorter, false, false);
    const HostRangeRecord range{5, 9};
    offline.Notify(MsgIdClass<&HostRangeEventGUID, Sistra::HostRangeEvent::StoreRange>::Id(), const_cast<HostRangeRecord*>(&range));
    EXPECT_EQ((std::pair<uint32_t, uint32_t>{5, 9}), offline.Document().Data().HostRange());
    offline.Notify(MsgIdClass<&HostRangeEventGUID, Sistra::HostRangeEvent::ClearRange>::Id(), nullptr);
    EXPECT_EQ((std::pair<uint32_t, uint32_t>{0x7FFFFFFF, 0x7FFFFFFF}), offline.Document().Data().HostRange());
}

// Choosing one saline bolus selects its range on the volume channel, brings the host's main data view
// to it, analyses it and checks its loops; going back to the baseline analysis puts the end-systolic
// points and the ESPVR back to their defaults.
TEST_F(AnalysisDocument, ModelChangesSelectTheBolusAndResetTheBaselineAnalysis)
{
    const Host::Recording shorter = SteadyVentricle(8000);
    DocumentOnHost offline(shorter, false, false);
    const HWND parent = CreateWindowExW(0, L"STATIC", L"data", WS_POPUP, 0, 0, 900, 300, nullptr, nullptr, nullptr, nullptr);
    std::optional<Host::TraceView> trace(std::in_place, offline.Host(), offline.Document().Outer(), HostTests::StandIn(),
                                         parent, RECT{0, 0, 900, 300});
    offline.Document().GetSetupModel()->SetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::RegionMode, 0);
    const Sistra::ModelPtr saline = offline.Document().GetModel(Sistra::ModelKind::SalineCalib);
    Sistra::BolusEntry bolus;
    bolus.start = Sistra::RecordingPosition{1000, 0};
    bolus.end = Sistra::RecordingPosition{6000, 0};
    bolus.loopItems = Sistra::IntSet{1};
    saline->SetValue<Sistra::PropertyType::BolusList>(Sistra::PropertyId::BolusList, std::vector<Sistra::BolusEntry>{bolus});
    saline->SetValue<Sistra::PropertyType::IntSet>(Sistra::PropertyId::SelectedBoluses, Sistra::IntSet{0});
    saline->CommitChanges();
    TickPosition start, end;
    offline.Host().GetSelection(&start, &end);
    EXPECT_EQ(1000, start.tick);
    EXPECT_EQ(6000, end.tick);
    EXPECT_EQ(1, offline.Host().SelectedChannel());
    TickPosition centre{};
    trace->GetCentre(&centre);
    EXPECT_NEAR(3500, centre.tick, 2) << "the main data view is not at the bolus";
    RECT client{};
    GetClientRect(trace->Handle(), &client);
    EXPECT_GT(trace->XOf({0, 1000}), 0.0);
    EXPECT_LT(trace->XOf({0, 6000}), client.right) << "the bolus does not fit the view";
    trace.reset();
    DestroyWindow(parent);
    EXPECT_TRUE(offline.RegionSet());
    const uint32_t loops = offline.Document().Data().GetLoopCount();
    EXPECT_GE(loops, 4u);
    EXPECT_LE(loops, 6u);
    EXPECT_EQ(Sistra::IntSet{1}, offline.Document().GetModel(Sistra::ModelKind::LoopView)->GetCheckedItems());

    const Sistra::ModelPtr loopView = offline.Document().GetModel(Sistra::ModelKind::LoopView);
    const Sistra::ModelPtr step = offline.Document().GetModel(Sistra::ModelKind::AnalysisStep);
    for (int32_t type : {1, 0})
    {
        loopView->SetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::EsPointType, 1);
        loopView->SetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::EspvrRegressionType, 3);
        loopView->CommitChanges();
        step->SetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::AnalysisType, type);
        step->CommitChanges();
        const int32_t expected = type == 0 ? 0 : 1;
        EXPECT_EQ(expected, loopView->GetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::EsPointType)) << type;
        EXPECT_EQ(type == 0 ? 0 : 3, loopView->GetValue<Sistra::PropertyType::Int>(Sistra::PropertyId::EspvrRegressionType)) << type;
    }
}
