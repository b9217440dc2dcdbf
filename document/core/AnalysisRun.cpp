// The analysis run: the analysed region walked record by record and fed to the analysis data in chunks,
// with a host progress indicator whose percent update is where the user's cancel is seen.
#include "document/core/SistraDocument.h"
#include "document/analysis/PeakHeightInChannelUnit.h"
#include "hostframework/messaging/MessageArguments.h"

#include "../../resources/ResourceIds.h"
#include "hostapi/HostChannelCalc.h"
#include "hostapi/VyrServices.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/system/WaitCursor.h"
#include "foundation/text/StringResources.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringStream.h"
#include "hostframework/services/HostDataAccess.h"
#include "document/models/workflow/Workflow.h"
#include "hostframework/services/HostMessageBox.h"
#include "hostframework/services/HostProgress.h"
#include "hostframework/messaging/SistraIds.h"

#include <new>

namespace Sistra
{
namespace
{

constexpr int64_t ChunkDivisor = 100;
constexpr int64_t LargestChunk = 10000;
constexpr int64_t SmallestChunk = 1000;
constexpr double ProgressScale = 100.0;
constexpr int32_t PressurePeaks = 0;
constexpr const wchar_t* OutOfMemoryText =
    L"Kymorama has run out of memory. Sistra analysis is being abandoned, please save your documents.";

Orv::String ProgressText(int32_t pressureChannel, int32_t block)
{
    Orv::OStringStream text;
    text << L"Channel " << pressureChannel + 1 << L", Block " << block + 1;
    return text.Str();
}

const Orv::String& ModuleTitle()
{
    static const Orv::String title(Orv::ThisModule(), IDS_SISTRA_TITLE, true);
    return title;
}

} // namespace

int64_t AnalysisChunkSize(int64_t total)
{
    const int64_t chunk = std::min(total / ChunkDivisor, LargestChunk);
    return chunk < SmallestChunk ? total : chunk;
}

int64_t AnalysisFeedStep(int64_t remaining, int64_t chunk)
{
    // A range the host counted no samples in still has its records fed, whole.
    return chunk > 0 ? std::min(remaining, chunk) : remaining;
}

LONG AnalysisPercent(int64_t processed, int64_t total)
{
    if (total <= 0)
        return static_cast<LONG>(ProgressScale);
    return static_cast<LONG>(static_cast<double>(processed) * ProgressScale / static_cast<double>(total));
}

void SistraDocument::RequestAnalysis(bool reselect)
{
    if (!analysisEnabled_ || applyingChannelSetup_)
        return;
    const ModelPtr setup = GetSetupModel();
    const int32_t pressure = setup->GetPressureChannel();
    if (!setup->GetValue<PropertyType::Bool>(PropertyId::RegionSet) || pressure == NoChannel ||
        setup->GetVolumeChannel() == NoChannel)
        return;
    if (ecgSourceGone_)
        WarnEcgSourceGone();
    if (analysedChannelGone_ != NoChannel)
        WarnAnalysedChannelGone();
    AddChange(ChangeState::AnalysisRequested);
    if (channelsAttached_)
        ConfigureAnalysisSources(false);
    // The marks of both analyses (the echo workflow's too) leave the channel they were shown on and
    // come back on the analysed one, so that no mark is left where an earlier analysis put it.
    const int32_t lastShown = lastPressureChannel_ == NoChannel ? -1 : lastPressureChannel_;
    for (VChanData* store : {&data_->PressureStore(), &data_->VolumeStore()})
        store->AttachToChannel(NoChannel, lastShown, false);
    if (reselect)
        SetModified();
    RunAnalysis(pressure);
    if (setup->GetShowLoopMarkers())
        for (VChanData* store : {&data_->PressureStore(), &data_->VolumeStore()})
            store->AttachToChannel(pressure, -1, true);
    lastPressureChannel_ = pressure;
    // The marks are on the channel now: a selection waiting for them shows.
    ShowUnshownSelection();
    const HostItemId source = data_->PressureStore().LoopItem();
    BroadcastToViews(MsgIdClass<&HostDocEventGUID, 52>::Id(), &source);
}

void SistraDocument::WarnEcgSourceGone()
{
    ShowWarning(Orv::String(Orv::ThisModule(), IDS_ECG_SOURCE_GONE, true).c_str());
    const ModelPtr setup = GetSetupModel();
    setup->SetValue<PropertyType::Int>(PropertyId::DetectionSource, PressurePeaks);
    setup->SetValue<PropertyType::Text>(PropertyId::EcgEventSource, Orv::String());
    setup->CommitChanges();
    ecgSourceGone_ = 0;
}

// A result that silently became empty would read as a recording without loops: the person is told which
// of the analysed channels went.
void SistraDocument::WarnAnalysedChannelGone()
{
    const int32_t channel = analysedChannelGone_;
    analysedChannelGone_ = NoChannel;
    Orv::OFormatStringStream text(channel == GetSetupModel()->GetPressureChannel() ? IDS_PRESSURE_CHANNEL_GONE
                                                                                  : IDS_VOLUME_CHANNEL_GONE);
    text << channel + 1 << ChannelTitle(channel);
    ShowWarning(text.c_str());
}

void SistraDocument::ShowWarning(const wchar_t* text)
{
    const Orv::String caption(Orv::ThisModule(), IDS_SISTRA_CAPTION, true);
    HWND owner = nullptr;
    if (IHostApplication* services = GetFrameServices())
        services->GetMainWindow(&owner);
    ShowHostMessageBox(text, caption.c_str(), MB_ICONWARNING | MB_OK, owner);
}

// The echo workflow analyses a selection (its known volumes) with the volume channel as it was recorded,
// in calculations of its own; otherwise the calculations cover the setup's region.
void SistraDocument::ConfigureAnalysisSources(bool useSelection)
{
    const ModelPtr setup = GetSetupModel();
    if (setup->GetPressureChannel() == NoChannel || setup->GetVolumeChannel() == NoChannel)
        return;
    data_->SetVolumeCorrection(volumeCalibrator_->LoopVolumeCorrection());
    const PeakHeightInChannelUnit reader(reader_, ChannelPeakHeightScale(HostDoc(), setup->GetPressureChannel()));
    if (useSelection && setup->GetValue<PropertyType::Int>(PropertyId::WorkflowKind) == WorkflowKind::Echo)
    {
        const HostSelectionRange selection = ::ReadHostSelection(HostDocumentObject(), setup->GetVolumeChannel());
        const RangeWords range{selection.start.record, selection.start.tick, selection.end.record, selection.end.tick};
        const Orv::String loops = BuildLoopAnalyzerExpressionWithVolumeChannel(reader, range);
        data_->ConfigureEchoAnalysis(loops.c_str(), selection.start, selection.end);
        return;
    }
    const Orv::String loops = BuildLoopAnalyzerExpressionWithCorrectedVolume(reader, RangeWords{});
    const Orv::String volume = BuildVolumeExpression(reader, *volumeCalibrator_);
    const Orv::String events = BuildLoopAnalyzerExpressionWithVolumeChannel(reader, RangeWords{});
    data_->PressureStore().CreateCalculations(loops.c_str(), volume.c_str(), events.c_str());
    data_->SetLoopExpression(events.c_str());
}

void SistraDocument::RunAnalysis(int32_t pressureChannel)
{
    const Orv::WaitCursor wait;
    AddChange(ChangeState::DataReset);
    data_->Reset();
    loopComments_.clear();
    const bool hasSource = data_->PressureStore().HasCalculations();
    const RecordingPosition recordingEnd = RecordingEnd();
    RecordingPosition start, end;
    const bool valid = ReadRegion(start, end);
    if (IsOnlineMode())
        end = recordingEnd;
    if (!hasSource || !valid)
    {
        RefreshViewsAndHost(ChangeState::ResetAndResults);
        return;
    }
    const RecordingPosition last = IsBefore(end, recordingEnd) ? end : recordingEnd;
    const int64_t total = CountSamplesInRange(HostDoc(), pressureChannel, start.block, start.tick, last.block, last.tick);
    const int64_t chunk = AnalysisChunkSize(total);
    const Orv::ComPtr<IHostProgress> progress = CreateProgressIndicator(GetFrameServices(), L"Processing");
    int64_t processed = 0;
    bool proceed = true;
    try
    {
        for (int32_t block = start.block; block <= last.block && proceed; ++block)
        {
            if (progress)
                progress->SetText(ProgressText(pressureChannel, block).c_str());
            int32_t length = 0;
            HostDoc()->GetRecordLength(0, block, &length);
            const int32_t first = block == start.block ? start.tick : 0;
            const int32_t lastTick = block == last.block ? last.tick : length;
            FeedBlock(block, first, lastTick, chunk, total, processed, progress.Get(), proceed);
        }
    }
    catch (const std::bad_alloc&)
    {
        data_->ReleaseEvents();
        ShowOutOfMemory();
        proceed = false;
    }
    data_->Finish();
    if (!proceed)
        SendOwnMessage(AutomationMessage::ClearSistraAnalysis);
    AddChange(ChangeState::CopyingCheckedItems);
    const IntSet checked = GetModel(ModelKind::LoopView)->GetCheckedItems();
    data_->SetExcludedLoops(std::set<uint32_t>(checked.begin(), checked.end()));
    RefreshViews();
    changeState_ &= ~ChangeState::CopyingCheckedItems;
    RefreshComputedChannels();
}

void SistraDocument::RefreshComputedChannels()
{
    IHostDocument* host = HostDoc();
    if (!host)
        return;
    Orv::ComPtr<IHostChannelCounts> counts;
    host->QueryInterface(IID_IHostChannelCounts, counts.PutVoid());
    bool recalculated = false;
    for (int32_t channel = 0, channels = MaxOfThreeHostCounts(counts.Get()); channel < channels; ++channel)
    {
        Orv::ComPtr<IHostChannelCalcState> state;
        if (!FindOwnChannelCalculation(host, state.Put(), channel, HostChannelCalcSelector, ChannelCalculationId::Id()))
            continue;
        state->DiscardResults();
        state->Recalculate();
        recalculated = true;
    }
    if (recalculated)
        host->UpdateDisplay(0);
}

void SistraDocument::FeedBlock(int32_t block, int32_t firstTick, int32_t lastTick, int64_t chunk, int64_t total,
                               int64_t& processed, IHostProgress* progress, bool& proceed)
{
    const bool prepared = data_->PrepareBlock(block, firstTick);
    int64_t position = firstTick;
    while (prepared && position < lastTick)
    {
        const int64_t step = AnalysisFeedStep(lastTick - position, chunk);
        processed += step;
        position += step;
        data_->FeedLoops(static_cast<int32_t>(position));
        // Without an indicator the run goes on: nobody can cancel it.
        if (progress && progress->SetPercent(AnalysisPercent(processed, total)) != S_OK)
        {
            proceed = false;
            break;
        }
        if (step == 0)
            break;
    }
    data_->ReleaseEvents();
}

void SistraDocument::ShowOutOfMemory()
{
    HWND owner = nullptr;
    if (IHostApplication* services = GetFrameServices())
        services->GetMainWindow(&owner);
    ShowHostMessageBox(OutOfMemoryText, ModuleTitle().c_str(), MB_OK | MB_ICONSTOP, owner);
}

void SistraDocument::SelectLoop(int32_t loop)
{
    const ModelPtr setup = GetSetupModel();
    if (!setup->IsLocked(PropertyId::SelectedLoop) &&
        setup->GetValue<PropertyType::Int>(PropertyId::SelectedLoop) != loop)
    {
        setup->SetValue<PropertyType::Int>(PropertyId::SelectedLoop, loop);
        setup->CommitChanges();
    }
    RefreshViews();
}

bool SistraDocument::SelectLoopByIndex(int32_t loop)
{
    AddChange(ChangeState::SelectedLoopChanged);
    const auto count = static_cast<int64_t>(data_->GetLoopCount());
    SelectLoop(loop < 0 || loop >= count ? -1 : loop);
    return true;
}

// -1 deselects; any other loop the analysis does not have is refused.
MessageAnswer SistraDocument::OnSelectASistraMsg(const SelectLoopPayload& payload)
{
    const auto count = static_cast<int64_t>(data_->GetLoopCount());
    if (payload.loop < -1 || payload.loop >= count)
        return RefuseArgument(L"LoopIdx", L"there is no loop " + std::to_wstring(payload.loop) + L": the analysis has " +
                                              std::to_wstring(count) + L" loops, counted from 0");
    SelectLoopByIndex(payload.loop);
    return MessageAnswer::Done;
}

void SistraDocument::FinishOnlineAnalysis()
{
    data_->Finish();
    RefreshViewsAndHost(ChangeState::ResetAndResults);
}

} // namespace Sistra
