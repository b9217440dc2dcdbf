// What the document does when the host, the analysis manager or an automation message asks: the host
// document becoming ready, the manager's three requests, and setting, clearing and analysing the region.
#include "document/core/SistraDocument.h"
#include "hostframework/services/HostDataAccess.h"

#include "hostapi/HostDocumentEvents.h"
#include "hostframework/messaging/MessageArguments.h"
#include "hostframework/messaging/SistraIds.h"

namespace Sistra
{
namespace
{

constexpr int32_t NoBlock = 0x7FFFFFFF;
// Host notifications whose occasion the host does not name further.
constexpr ULONG HostConversionsResetNotification = 0x80000002;
constexpr ULONG HostMenusChangedNotification = 0x80000006;
constexpr int32_t WholeChannelRegion = 1;

template <USHORT Number>
ULONG* DocumentMessage(ULONG* slot)
{
    return MsgIdClass<&SistraDocumentGUID, Number>::GetId(slot);
}

template <USHORT Number>
ULONG* HostDocumentEvent(ULONG* slot)
{
    return MsgIdClass<&HostDocEventGUID, Number>::GetId(slot);
}

template <USHORT Number>
ULONG* ManagerEvent(ULONG* slot)
{
    return MsgIdClass<&AnalysisManagerGUID, Number>::GetId(slot);
}

} // namespace

VYR_DEFINE_EVENT_MAP(SistraDocument, VyrEventHandlerBase){
    VyrEventMap::Header(),
    VyrEventMap::Observer(&FixedId<VyrTypeId::StoredMessageNotification>,
                          &DispatchObserverEvent<SistraDocument, void, &SistraDocument::OnHostDocumentReady>),
    VyrEventMap::Observer(&HostDocumentEvent<HostDocEvent::Refresh>,
                          &CallMemberNoArgs<SistraDocument, &SistraDocument::RefreshViews>),
    VyrEventMap::Observer(&HostDocumentEvent<HostDocEvent::RecordAdded>,
                          &CallMemberNoArgs<SistraDocument, &SistraDocument::ClearAnalysisIfRegionSet>),
    VyrEventMap::Observer(&HostDocumentEvent<HostDocEvent::RecordDeleted>,
                          &CallMemberNoArgs<SistraDocument, &SistraDocument::ClearAnalysisIfRegionSet>),
    VyrEventMap::Observer(&HostDocumentEvent<20>,
                          &DispatchObserverEvent<SistraDocument, const int32_t, &SistraDocument::OnChannelDataChanged>),
    VyrEventMap::Observer(&HostDocumentEvent<22>,
                          &DispatchObserverEvent<SistraDocument, const int32_t, &SistraDocument::OnChannelDataChanged>),
    VyrEventMap::Observer(&MsgIdClass<&HostSamplingEventGUID, HostSamplingEvent::ResetLoops>::GetId,
                          &CallMemberNoArgs<SistraDocument, &SistraDocument::FinishOnlineAnalysis>),
    VyrEventMap::Observer(&ManagerEvent<7>,
                          &DispatchObserverEvent<SistraDocument, void, &SistraDocument::OnClientReportRegion>),
    VyrEventMap::Observer(&ManagerEvent<5>,
                          &DispatchObserverEvent<SistraDocument, void, &SistraDocument::OnClientClearRequest>),
    VyrEventMap::Observer(&ManagerEvent<6>,
                          &DispatchObserverEvent<SistraDocument, void, &SistraDocument::OnClientCalibrationRequest>),
    VyrEventMap::Observer(&FixedId<HostConversionsResetNotification>,
                          &DispatchObserverEvent<SistraDocument, void, &SistraDocument::OnHostConversionsReset>),
    VyrEventMap::Observer(&FixedId<HostMenusChangedNotification>,
                          &DispatchObserverEvent<SistraDocument, void, &SistraDocument::OnHostMenusChanged>),
    VyrEventMap::Observer(&HostDocumentEvent<HostDocEvent::ChannelOrSetupChanged>,
                          &DispatchObserverEvent<SistraDocument, const int32_t, &SistraDocument::OnChannelSettingChanged>),
    VyrEventMap::Observer(&HostDocumentEvent<HostDocEvent::Selection>,
                          &DispatchObserverEvent<SistraDocument, void, &SistraDocument::OnHostSelectionChanged>),
    VyrEventMap::Observer(&HostDocumentEvent<HostDocEvent::EventSourcesChanged>,
                          &DispatchObserverEvent<SistraDocument, const HostSourcesChangedRecord, &SistraDocument::OnEventSourcesChanged>),
    VyrEventMap::Observer(&MsgIdClass<&HostRangeEventGUID, HostRangeEvent::StoreRange>::GetId,
                          &DispatchObserverEvent<SistraDocument, const HostRangeRecord, &SistraDocument::SetHostRange>),
    VyrEventMap::Observer(&MsgIdClass<&HostRangeEventGUID, HostRangeEvent::ClearRange>::GetId,
                          &CallMemberNoArgs<SistraDocument, &SistraDocument::ClearHostRange>),
    VyrEventMap::Observer(&DocumentMessage<DocumentNotification::ModelReady>,
                          &DispatchObserverEvent<SistraDocument, ModelStatusRecord, &SistraDocument::OnModelReady>),
    VyrEventMap::Observer(&DocumentMessage<DocumentNotification::ModelNotReady>,
                          &DispatchObserverEvent<SistraDocument, ModelStatusRecord, &SistraDocument::OnModelNotReady>),
    VyrEventMap::Observer(&DocumentMessage<DocumentNotification::ModelPropertiesChanged>,
                          &DispatchObserverEvent<SistraDocument, ModelChangedRecord, &SistraDocument::OnModelPropertiesChanged>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::OpenWorkflow>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnWorkflow>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &DocumentMessage<Command::OpenWorkflow>,
                         &DispatchCommandEnable<SistraDocument, &SistraDocument::OnWorkflowEnable>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::Settings>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnSettings>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &DocumentMessage<Command::Settings>,
                         &DispatchCommandEnable<SistraDocument, &SistraDocument::OnSettingsEnable>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::WorkflowMode>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnWorkflowMode>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &DocumentMessage<Command::WorkflowMode>,
                         &DispatchCommandEnable<SistraDocument, &SistraDocument::OnWorkflowModeEnable>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::OpenLoopView>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnShowLoopView>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::OpenHemodynamicsTable>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnShowHemoTable>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::OpenPrswPlot>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnShowPRSWPlot>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::OpenDpDtMaxEdvPlot>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnShowdPdtPlot>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::OpenSalineCalibration>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnShowSalineView>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::OpenPvaEdvPlot>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnShowPvaEdvPlot>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::OpenPvaEspPlot>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnShowPvaEspPlot>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::OpenCuvetteCalibration>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OpenCuvetteView>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &DocumentMessage<Command::PlotsPopup>,
                         &DispatchCommandEnable<SistraDocument, &SistraDocument::OnPlotsEnable>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::ShowLoopMarkers>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnShowLoopMarkers>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &DocumentMessage<Command::ShowLoopMarkers>,
                         &DispatchCommandEnable<SistraDocument, &SistraDocument::OnShowLoopMarkersEnable>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::ToggleSistraEventMarkers>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnToggleEventMarkersMsg>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::OnlineMode>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnOnlineMode>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &DocumentMessage<Command::OnlineMode>,
                         &DispatchCommandEnable<SistraDocument, &SistraDocument::OnOnlineModeEnable>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::ToggleSistraOnlineMode>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnToggleOnlineModeMsg>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::Analyze>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnAnalyze>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &DocumentMessage<Command::Analyze>,
                         &DispatchCommandEnable<SistraDocument, &SistraDocument::OnAnalyzeEnable>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::AnalyzeSistraNow>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnAnalyzeNowMsg>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::ClearAnalysis>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnClearAnalysis>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &DocumentMessage<Command::ClearAnalysis>,
                         &DispatchCommandEnable<SistraDocument, &SistraDocument::OnAnalysedRegionEnable>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::ClearSistraAnalysis>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnClearAnalysisMsg>),
    VyrEventMap::Command(VyrEventKind::CommandExecute, &DocumentMessage<Command::Reselect>,
                         &CallMemberNoArgs<SistraDocument, &SistraDocument::OnReselect>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &DocumentMessage<Command::Reselect>,
                         &DispatchCommandEnable<SistraDocument, &SistraDocument::OnAnalysedRegionEnable>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::ReselectSistraAnalyzedRegion>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnReselectMsg>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::ApplySistraSalineCalibration>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnApplySalineCalibration, double>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::DisableSistraSalineCalibration>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnDisableSalineCalibration>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::ApplySistraCuvetteCalibration>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnApplyCuvetteCalibration, double, double>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::DisableSistraCuvetteCalibration>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnDisableCuvetteCalibration>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::ShowESPVRegression>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnShowESPVRegression, bool>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::ShowEDPVRegression>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnShowEDPVRegression, bool>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::SetESPVRegressionType>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnSetESPVRegressionType, Orv::String>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::SetEDPVRegressionType>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnSetEDPVRegressionType, Orv::String>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::AddSelToSistraCuvetteCalibration>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnAddSelToCuvetteCalibration>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::SelectASistra>,
                         &DispatchMessageWithPayload<SistraDocument, SelectLoopPayload, &SistraDocument::OnSelectASistraMsg>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::SistraTableRowSelected>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnTableRowSelected, ULONG>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::CopyPVTableToTallion>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnCopyTableToTallion>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::SetSistraPressureValueFromSel>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnSetPressureValueFromSel, LONG>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::SetSistraConductanceValueFromSel>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnSetConductanceValueFromSel, LONG>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::OpenSistraSettings>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnOpenSettingsMsg>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::ArrangeSistraViews>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnArrangeViews>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::AddAnalyzedParallelConductance>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnAddAnalyzedParallelConductance>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::RemoveParallelConductanceFromList>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnRemoveParallelConductance, LONG>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::EditParallelConductanceInList>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnEditParallelConductance, LONG, double>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::SetSistraVolumeValueFromSel>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnSetVolumeValueFromSel, LONG>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::OpenMPVSControlSoftware>,
                         &DispatchMessageNoArgs<SistraDocument, &SistraDocument::OnOpenMPVSControlSoftware>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::SetKnownSistraVolumeValueFromSel>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnSetKnownVolumeValueFromSel, LONG>),
    VyrEventMap::Message(&DocumentMessage<AutomationMessage::SetShowESPointsType>,
                         &DispatchMessageValues<SistraDocument, &SistraDocument::OnSetShowESPointsType, Orv::String>),
    VyrEventMap::Command(VyrEventKind::PopupInit, &DocumentMessage<Command::PlotsPopup>,
                         &DispatchPopupInit<SistraDocument, &SistraDocument::OnInitPlotsPopup>),
    VyrEventMap::Command(VyrEventKind::PopupSelect, &DocumentMessage<Command::PlotsPopup>,
                         &DispatchPopupSelect<SistraDocument, &SistraDocument::SelectPlotsPopupItem>),
    VyrEventMap::End(),
};

void SistraDocument::OnHostDocumentReady(void* document)
{
    if (!IsOwnHostDocument(document))
        return;
    analysisEnabled_ = true;
    Register();
    // A message the host kept for this document until it was ready (a macro's command, say) runs now.
    const Orv::ComPtr<IUnknown> stored = CreateHostObjectByType(HostStoredMessagesType, 0, 0);
    const Orv::ComPtr<IVyrObjectContainer> container =
        stored ? stored.As<IVyrObjectContainer>(IID_IVyrObjectContainer) : Orv::ComPtr<IVyrObjectContainer>();
    DispatchStoredMessage(container.Get(), reinterpret_cast<ULONG_PTR>(HostDocumentObject()));
    UpdateMenuStates();
    UpdateOnlineSink();
    RequestAnalysis(false);
}

void SistraDocument::UpdateOnlineSink()
{
    IOnlineDataSource* sources = HostOnlineSources();
    if (!sources)
        return;
    sources->RemoveSink(this);
    if (IsOnlineMode())
        sources->AddSink(this);
}

void SistraDocument::OnClientReportRegion(void* argument)
{
    ReportRegion(reinterpret_cast<ULONG_PTR>(argument));
}

void SistraDocument::OnClientClearRequest(void* argument)
{
    OnClearRequest(reinterpret_cast<ULONG_PTR>(argument));
}

void SistraDocument::OnClientCalibrationRequest(void* argument)
{
    OnCalibrationRequest(reinterpret_cast<ULONG_PTR>(argument));
}

void SistraDocument::ReapplyCalibrationsAndAnalyse()
{
    const bool setHere = !applyingChannelSetup_;
    applyingChannelSetup_ = true;
    const ModelPtr setup = GetSetupModel();
    ApplyChannelSetup(setup->GetVolumeChannel(), volumeCalibrator_.get());
    ApplyChannelSetup(setup->GetPressureChannel(), pressureCalibrator_.get());
    if (setHere)
        applyingChannelSetup_ = false;
    // An analysis the manager cleared has no region left: it is analysed as Analyze Channel analyses,
    // where it would stay empty under a command that says it analyses.
    if (GetSetupModel()->GetValue<PropertyType::Bool>(PropertyId::RegionSet))
        RequestAnalysis(true);
    else
        OnAnalyzeNowMsg();
    BroadcastToViews(MsgIdClass<&SistraDocumentGUID, DocumentNotification::AnalysisCleared>::Id(), nullptr);
}

// The region is the host's selection, or the whole recording when the setup asks for the channel; the
// end stays open while analysing online.
void SistraDocument::OnAnalyzeNowMsg()
{
    if (IsSampling())
        return;
    const ModelPtr setup = GetSetupModel();
    RecordingPosition start{}, end{};
    if (setup->GetValue<PropertyType::Int>(PropertyId::RegionMode) == WholeChannelRegion)
        end = RecordingEnd();
    else
        ReadHostSelection(start, end);
    if (start.block == NoBlock)
        start = end = RecordingPosition{};
    if (IsOnlineMode())
        end = RecordingPosition{NoBlock, NoBlock};
    setup->SetValue<PropertyType::Position>(PropertyId::RegionStart, start);
    setup->SetValue<PropertyType::Position>(PropertyId::RegionEnd, end);
    setup->SetValue<PropertyType::Bool>(PropertyId::RegionSet, true);
    if (!volumeCalibrator_->IsActive())
        volumeCalibrator_->FetchChannelConversion(setup->GetVolumeChannel());
    if (!pressureCalibrator_->IsActive())
        pressureCalibrator_->GetUnitsConversion(setup->GetPressureChannel());
    const ModelPtr loopView = GetModel(ModelKind::LoopView);
    loopView->SetValue<PropertyType::IntSet>(PropertyId::CheckedItems, IntSet{});
    SetModified();
    setup->CommitChanges();
    loopView->CommitChanges();
    RequestAnalysis(true);
}

HRESULT SistraDocument::OnClearAnalysisMsg()
{
    if (IsSampling())
        return S_OK;
    const ModelPtr setup = GetSetupModel();
    const bool online = IsOnlineMode();
    if (online)
        setup->SetValue<PropertyType::Bool>(PropertyId::OnlineMode, false);
    const int32_t pressure = setup->GetPressureChannel();
    data_->PressureStore().ClearStreams(pressure);
    data_->VolumeStore().ClearStreams(pressure);
    // The summaries, ranges and tangent points were taken from the loops just removed.
    data_->Reset();
    setup->SetValue<PropertyType::Position>(PropertyId::RegionStart, RecordingPosition{});
    setup->SetValue<PropertyType::Position>(PropertyId::RegionEnd, RecordingPosition{});
    setup->SetValue<PropertyType::Bool>(PropertyId::RegionSet, false);
    // Switched on again the proper way, a cleared document analyses online from the next record on.
    if (online)
        ToggleOnlineMode(false);
    RefreshViewsAndHost(ChangeState::ResetAndResults);
    SetModified();
    setup->CommitChanges();
    return S_OK;
}

RecordingPosition SistraDocument::RecordingEnd()
{
    uint64_t word = 0;
    HostDoc()->GetRecordingEnd(HostWholeDocument, &word);
    return RecordingPosition{static_cast<int32_t>(word & 0xFFFFFFFFu), static_cast<int32_t>(word >> 32)};
}

void SistraDocument::ReadHostSelection(RecordingPosition& start, RecordingPosition& end)
{
    const HostSelectionRange selection = ::ReadHostSelection(HostDocumentObject(), 0);
    start = RecordingPosition{selection.start.tick, selection.start.record};
    end = RecordingPosition{selection.end.tick, selection.end.record};
}

} // namespace Sistra

namespace Sistra
{

// The reactions to the models' changes that concern the analysis results and the views.
void SistraDocument::OnModelPropertiesChanged(ModelChangedRecord* record)
{
    if (!record)
        return;
    ReactToWorkflowChanges(*record);
    const auto changed = [&](int id) { return (record->changed.words[id / 64] >> (id % 64) & 1) != 0; };
    if (changed(PropertyId::CheckedItems))
    {
        const IntSet checked = GetModel(ModelKind::LoopView)->GetCheckedItems();
        data_->SetExcludedLoops(std::set<uint32_t>(checked.begin(), checked.end()));
        RefreshViewsAndHost(ChangeState::ResultsChanged);
    }
    if (changed(PropertyId::EspvrRegressionType) || changed(PropertyId::EdpvrRegressionType) ||
        changed(PropertyId::EsPointType))
        RefreshViewsAndHost(ChangeState::ResultsChanged);
    if (changed(PropertyId::SelectedLoop))
    {
        AddChange(ChangeState::SelectedLoopChanged);
        RefreshViews();
    }
    ReactToWorkflowModeChange(*record);
}

} // namespace Sistra

namespace Sistra
{

void SistraDocument::ClearAnalysisIfRegionSet()
{
    if (GetSetupModel()->GetValue<PropertyType::Bool>(PropertyId::RegionSet))
        OnClearAnalysisMsg();
}

void SistraDocument::OnChannelDataChanged(const int32_t* channel)
{
    const ModelPtr setup = GetSetupModel();
    if (channel && (*channel == setup->GetPressureChannel() || *channel == setup->GetVolumeChannel()))
        RequestAnalysis(true);
}

} // namespace Sistra
