// The settings dialog's live preview on a host document that samples: it samples from the host's live
// source and shows the newest data at its right edge.
#include "host/tests/module/DocumentOnHost.h"

#include "dialogs/settings/SettingsPreview.h"
#include "dialogs/settings/SistraSetupDialog.h"
#include "document/models/ModelFactory.h"
#include "host/app/document/PaneDataSource.h"
#include "host/app/gui/TraceView.h"
#include "tracedisplay/preview/PreviewDataWin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace
{

using HostTests::DocumentOnHost;

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

struct SettingsDialog
{
    explicit SettingsDialog(DocumentOnHost& document)
        : setup(Sistra::ModelClassObjBase::CreateModel(Sistra::ModelKind::WorkflowSetup, &document.Document(),
                                                       Sistra::ModelRole::Snapshot)),
          tau(Sistra::ModelClassObjBase::CreateModel(Sistra::ModelKind::TauModel, &document.Document(),
                                                     Sistra::ModelRole::Snapshot))
    {
        setup->CopyFrom(document.Document().GetSetupModel().get());
        tau->CopyFrom(document.Document().GetModel(Sistra::ModelKind::TauModel).get());
        setup->SetSuppressCommit(true);
        tau->SetSuppressCommit(true);
        dialog = std::make_unique<Sistra::SistraSetupDialog>(nullptr, document.Document(), setup, tau);
        EXPECT_TRUE(dialog->Create());
    }
    ~SettingsDialog() { dialog->Destroy(); }

    StrixDraw::PreviewDataWinWButtons& Window()
    {
        return *dynamic_cast<Sistra::SettingsPreview&>(*dialog->Preview()).Window();
    }

    Sistra::ModelPtr setup;
    Sistra::ModelPtr tau;
    std::unique_ptr<Sistra::SistraSetupDialog> dialog;
};

// The preview takes the host's source while the host's acquisition can still sample, and only then.
TEST(SettingsPreviewOnHost, TakesTheLiveSourceOnlyWhileTheHostCanSample)
{
    const Host::Recording recording = HostTests::SteadyVentricle(3000);
    struct Case
    {
        const char* name;
        bool sampling;
        int64_t fed;
        bool attached;
    };
    for (const Case& test : {Case{"offline", false, 0, false}, Case{"not started", true, 0, true},
                             Case{"sampling", true, 1000, true}, Case{"sampled to its end", true, 3000, false}})
    {
        DocumentOnHost document(recording, test.sampling, false);
        if (test.fed > 0)
            document.Host().FeedSamples(test.fed);
        SettingsDialog open(document);
        StrixDraw::PreviewDataWinWButtons& window = open.Window();
        EXPECT_EQ(test.attached, window.Sampling().Source() != nullptr) << test.name;
        EXPECT_EQ(test.attached, window.SamplingBar() && window.SamplingBar()->IsEnabled()) << test.name;
    }
}

// Started while the host samples, the preview holds what the host samples from then on, keeps the
// newest sample at its right edge and finds the beats in it; pausing and going back to the document's
// data leave the source.
TEST(SettingsPreviewOnHost, ShowsTheNewestLiveSampleAtTheRightEdgeUntilStopped)
{
    const Host::Recording recording = HostTests::SteadyVentricle(8000);
    DocumentOnHost document(recording, true, false);
    document.Host().FeedSamples(1000);
    SettingsDialog open(document);
    StrixDraw::PreviewDataWinWButtons& window = open.Window();
    const Host::LiveSamplingSource& live = *document.Host().LiveSource();

    window.StartSampling();
    ASSERT_EQ(StrixDraw::SamplingState::Sampling, window.SamplingState());
    EXPECT_EQ(1u, live.SinkCount());
    const Orv::ComPtr<Host::HostDocument> holder = Host::HostDocument::FromContext(window.Sampling().Holder());
    ASSERT_TRUE(holder);
    for (int step = 1; step <= 6; ++step)
    {
        document.Host().FeedSamples(900);
        PumpMessages();
        LONGLONG extent = -1;
        ASSERT_EQ(S_OK, window.Store()->GetExtent(&extent));
        EXPECT_EQ(extent, window.ScrollPosition()) << "after step " << step;
        ASSERT_EQ(1u, holder->Data().RecordCount());
        EXPECT_EQ(900 * step, holder->Data().RecordAt(0).Length()) << "only what was sampled after the start";
    }
    Orv::ComPtr<IEnumEventEx> beats;
    ASSERT_EQ(S_OK, holder->OpenCalculatedChannelEvents(
                        static_cast<int32_t>(holder->CalculatedChannels().size()) - 2, 0, 0, beats.Put()));
    std::vector<unsigned char> records(64 * 64);
    int32_t found = 0, next = 0;
    beats->Next(static_cast<int32_t>(records.size()), 0x7FFFFFFF, records.data(), &found, &next);
    EXPECT_GE(found, 5) << "5.4 s of beats at 0.8 s";

    window.PauseSampling();
    EXPECT_FALSE(live.IsRunning());
    EXPECT_TRUE(holder->IsSamplingDone() || holder->Data().RecordAt(0).IsComplete());
    window.StopSampling();
    EXPECT_EQ(0u, live.SinkCount());
    EXPECT_EQ(nullptr, window.Sampling().Holder());
}

// The samples the preview holds are kept in the compound file it hands its holder alone, a stream per
// record and channel written as they arrive: the holder's record keeps none in memory, every sample reads
// back as the host sampled it from the preview's start on, none beyond, while the preview samples and once
// it is paused, and what its pane draws is what the storage gives.
TEST(SettingsPreviewOnHost, KeepsItsLiveSamplesInTheStorageItHandsTheHolder)
{
    const Host::Recording recording = HostTests::SteadyVentricle(6000);
    constexpr size_t started = 1000;
    DocumentOnHost document(recording, true, false);
    document.Host().FeedSamples(started);
    SettingsDialog open(document);
    StrixDraw::PreviewDataWinWButtons& window = open.Window();
    window.StartSampling();
    const Orv::ComPtr<Host::HostDocument> holder = Host::HostDocument::FromContext(window.Sampling().Holder());
    ASSERT_TRUE(holder);
    auto& store = static_cast<Host::PaneDataStore&>(*window.Store());
    const auto expectKept = [&](const char* when) {
        const Host::Record& record = holder->Data().RecordAt(0);
        EXPECT_EQ(0u, record.SamplesInMemory()) << when;
        const int64_t length = record.Length();
        for (size_t channel = 0; channel < holder->Data().Channels().size(); ++channel)
        {
            const auto sampled = recording.RecordAt(0).Samples(channel).subspan(started);
            // A stride that is no divisor of the stretches read back crosses their edges.
            for (int64_t tick = 0; tick < length; tick += 37)
                EXPECT_EQ(sampled[static_cast<size_t>(tick)], record.Sample(channel, tick))
                    << when << ", channel " << channel << ", tick " << tick;
            EXPECT_THROW(record.Sample(channel, length), std::out_of_range) << when;
            double drawn = 0.0;
            ASSERT_TRUE(store.ValueAt(static_cast<LONG>(channel), length - 1, drawn)) << when;
            EXPECT_EQ(sampled[static_cast<size_t>(length - 1)], drawn) << when;
        }
    };
    for (int step = 1; step <= 3; ++step)
    {
        document.Host().FeedSamples(1500);
        PumpMessages();
        expectKept("sampling");
    }
    window.PauseSampling();
    PumpMessages();
    expectKept("paused");
    window.StopSampling();
}

} // namespace

namespace
{

// Opened before the host has sampled anything, the preview's pressure axis spans what the host will show
// of the channel, so the live trace stays inside it; the host's answer holds the samples still to come.
TEST(SettingsPreviewOnHost, OpenedBeforeSamplingItsAxisHoldsTheLiveTrace)
{
    const Host::Recording recording = HostTests::SteadyVentricle(4000);
    const auto pressure = recording.RecordAt(0).Samples(0);
    const auto [lowest, highest] = std::minmax_element(pressure.begin(), pressure.end());
    DocumentOnHost document(recording, true, false);
    double low = 0.0, high = 0.0;
    ASSERT_EQ(S_OK, document.Host().GetDisplayRange(0, HostDisplayRangeShown, &low, &high));
    EXPECT_EQ(*lowest, low);
    EXPECT_EQ(*highest, high);
    EXPECT_EQ(S_FALSE, document.Host().GetDisplayRange(0, 1, &low, &high)) << "only the shown range is kept";
    EXPECT_EQ(E_INVALIDARG, document.Host().GetDisplayRange(9, HostDisplayRangeShown, &low, &high));

    SettingsDialog open(document);
    IScaleControl* scale = open.Window().Lane(0)->FirstScaleControl();
    ASSERT_NE(nullptr, scale);
    ASSERT_EQ(S_OK, scale->GetLimits(&high, &low));
    EXPECT_LE(low, *lowest);
    EXPECT_GE(high, *highest);
    EXPECT_LT(high - low, 2 * (*highest - *lowest)) << "the axis is the data's, not a default span";
}

// Without a selection the preview opens on the first sample at the first step of its series that shows
// as many samples a pixel as the host's own view of the data does, or more; one a pixel without that view.
TEST(SettingsPreviewOnHost, WithoutASelectionItTakesTheScaleOfTheHostsDataView)
{
    const Host::Recording recording = HostTests::SteadyVentricle(20000);
    const HWND parent = CreateWindowExW(0, L"STATIC", L"data", WS_POPUP, 0, 0, 900, 300, nullptr, nullptr, nullptr, nullptr);
    for (const int32_t shown : {0, 1500, 4000, 20000})
    {
        DocumentOnHost document(recording, false, false);
        std::optional<Host::TraceView> trace;
        double viewSamples = 1.0;
        if (shown > 0)
        {
            trace.emplace(document.Host(), document.Document().Outer(), HostTests::StandIn(), parent, RECT{0, 0, 900, 300});
            const TickPosition first{0, 0}, last{0, shown - 1};
            trace->ShowRange(&first, &last);
            ASSERT_EQ(S_OK, trace->GetSamplesPerPixel(&viewSamples));
        }
        double expected = 1.0;
        for (const double step : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0})
            if (step >= viewSamples)
            {
                expected = step;
                break;
            }
        SettingsDialog open(document);
        LONGLONG numerator = 0, denominator = 1;
        open.Window().GetHorizontalScale(numerator, denominator);
        EXPECT_EQ(expected, static_cast<double>(numerator) / denominator) << shown;
        EXPECT_EQ(0, open.Window().ViewLeft()) << shown;
    }
    DestroyWindow(parent);
}

} // namespace
