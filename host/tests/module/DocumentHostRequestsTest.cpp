// What the analysis document asks of the host document besides its own views: a redraw after every change
// of results, the loop marks of both analyses on the analysed pressure channel, and the host's data view
// left where it is while a saline bolus is being added.
#include "host/tests/module/DocumentOnHost.h"

#include "calc/sources/ChannelEntries.h"
#include "document/models/workflow/Workflow.h"
#include "host/app/gui/TraceView.h"
#include "hostapi/HostDocumentEvents.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace
{

using HostTests::DocumentOnHost;
using HostTests::SteadyVentricle;
using namespace Sistra;

void CommitLoopView(DocumentOnHost& document, const std::function<void(Model&)>& change)
{
    const ModelPtr loopView = document.Document().GetModel(ModelKind::LoopView);
    change(*loopView);
    loopView->CommitChanges();
}

// Every event that changes what the analysis shows asks the host document to redraw once more.
TEST(DocumentHostRequests, EveryChangeOfResultsAsksTheHostToRedraw)
{
    const Host::Recording recording = SteadyVentricle(8000);
    const HostRangeRecord range{5, 9};
    const struct
    {
        const char* event;
        std::function<void(DocumentOnHost&)> cause;
    } cases[] = {
        {"host range stored",
         [&](DocumentOnHost& d) {
             d.Notify(MsgIdClass<&HostRangeEventGUID, HostRangeEvent::StoreRange>::Id(), const_cast<HostRangeRecord*>(&range));
         }},
        {"host range cleared", [](DocumentOnHost& d) { d.Notify(MsgIdClass<&HostRangeEventGUID, HostRangeEvent::ClearRange>::Id(), nullptr); }},
        {"loop checked",
         [](DocumentOnHost& d) { CommitLoopView(d, [](Model& m) { m.SetValue<PropertyType::IntSet>(PropertyId::CheckedItems, IntSet{1}); }); }},
        {"ESPVR type", [](DocumentOnHost& d) { CommitLoopView(d, [](Model& m) { m.SetValue<PropertyType::Int>(PropertyId::EspvrRegressionType, 1); }); }},
        {"EDPVR type",
         [](DocumentOnHost& d) {
             CommitLoopView(d, [](Model& m) {
                 m.SetValue<PropertyType::Int>(PropertyId::EdpvrRegressionType, 1 - m.GetValue<PropertyType::Int>(PropertyId::EdpvrRegressionType));
             });
         }},
        {"end-systolic points", [](DocumentOnHost& d) { CommitLoopView(d, [](Model& m) { m.SetValue<PropertyType::Int>(PropertyId::EsPointType, 1); }); }},
        {"sampling stopped", [](DocumentOnHost& d) { d.Document().OnSamplingStopped(0); }},
    };
    for (const auto& c : cases)
    {
        DocumentOnHost document(recording, false, false);
        document.Send(AutomationMessage::AnalyzeSistraNow);
        const int before = document.Host().DisplayUpdates();
        c.cause(document);
        EXPECT_GT(document.Host().DisplayUpdates(), before) << c.event;
    }
}

// While sampling, each chunk that brings loops has the host redraw, so the new marks appear as they come.
TEST(DocumentHostRequests, OnlineLoopsAskTheHostToRedraw)
{
    const Host::Recording recording = SteadyVentricle(8000);
    DocumentOnHost online(recording, true, true);
    online.Send(AutomationMessage::AnalyzeSistraNow);
    int chunksWithLoops = 0;
    while (!online.Host().IsSamplingDone())
    {
        const size_t loops = online.Loops().size();
        const int updates = online.Host().DisplayUpdates();
        online.Host().FeedSamples(1600);
        if (online.Loops().size() > loops)
        {
            ++chunksWithLoops;
            EXPECT_GT(online.Host().DisplayUpdates(), updates) << "loops " << loops;
        }
    }
    EXPECT_GE(chunksWithLoops, 3);
}

// In the echo workflow the echo analysis's marks go where the pressure channel's go after every analysis,
// and leave the channel that is no longer analysed.
TEST(DocumentHostRequests, TheEchoMarksFollowTheAnalysedPressureChannel)
{
    const Host::Recording recording = SteadyVentricle(8000);
    DocumentOnHost document(recording, false, false);
    const ModelPtr setup = document.Document().GetSetupModel();
    setup->SetValue<PropertyType::Int>(PropertyId::WorkflowKind, WorkflowKind::Echo);
    setup->SetValue<PropertyType::Int>(PropertyId::RegionMode, 0);
    setup->CommitChanges();
    document.Host().SetSelection({0, 0}, {0, 6000});
    // What the known-volume commands do first: the echo analysis of the selection.
    document.Document().ConfigureAnalysisSources(true);
    document.Send(AutomationMessage::AnalyzeSistraNow);
    const auto marked = [&](const VChanData& store, int32_t channel) {
        return HostChannelHasEntry(document.Host().Unknown(), store.LoopItem().first, channel);
    };
    VChanData& echo = document.Document().Data().VolumeStore();
    ASSERT_TRUE(echo.HasCalculations());
    EXPECT_TRUE(marked(echo, 0));

    setup->SetPressureChannel(1);
    setup->CommitChanges();
    document.Send(AutomationMessage::AnalyzeSistraNow);
    EXPECT_FALSE(marked(echo, 0)) << "the echo marks stayed on the channel analysed before";
    EXPECT_TRUE(marked(echo, 1));
}

// "Add analysed Vp" selects its new bolus, which re-analyses it, but the host's data view stays where the
// user was looking.
TEST(DocumentHostRequests, AddingTheAnalysedVpLeavesTheHostsViewWhereItIs)
{
    const Host::Recording growing = SteadyVentricle(8000, 0.05);
    DocumentOnHost document(growing, false, false);
    const HWND parent = CreateWindowExW(0, L"STATIC", L"data", WS_POPUP, 0, 0, 900, 300, nullptr, nullptr, nullptr, nullptr);
    std::optional<Host::TraceView> trace(std::in_place, document.Host(), document.Document().Outer(), HostTests::StandIn(),
                                         parent, RECT{0, 0, 900, 300});
    document.Document().GetSetupModel()->SetValue<PropertyType::Int>(PropertyId::RegionMode, 0);
    document.Host().SetSelection({0, 1000}, {0, 6000});
    document.Send(AutomationMessage::AnalyzeSistraNow);
    const TickPosition first{0, 7000}, last{0, 7900};
    trace->ShowRange(&first, &last);
    TickPosition before{}, after{};
    trace->GetCentre(&before);
    document.Send(AutomationMessage::AddAnalyzedParallelConductance);
    trace->GetCentre(&after);
    trace.reset();
    DestroyWindow(parent);
    ASSERT_EQ(1u, document.Document().GetModel(ModelKind::SalineCalib)->GetValue<PropertyType::BolusList>(PropertyId::BolusList).size());
    EXPECT_EQ(before.tick, after.tick);
}

// Clear Analysis leaves no summary of the loops it removed behind (the table's "Count" row read 47).
TEST(DocumentHostRequests, ClearingTheAnalysisLeavesNoSummary)
{
    const Host::Recording recording = SteadyVentricle(8000);
    DocumentOnHost document(recording, false, false);
    document.Send(AutomationMessage::AnalyzeSistraNow);
    constexpr int32_t EndDiastolicVolume = 7;
    const auto count = [&] {
        const auto summary = document.Document().Data().GetParameterStatistics(EndDiastolicVolume);
        return summary ? summary->count : 0;
    };
    ASSERT_GT(count(), 3);
    document.Send(AutomationMessage::ClearSistraAnalysis);
    EXPECT_EQ(0, count());
}

} // namespace
