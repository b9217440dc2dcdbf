// The document's menu commands, their enable answers and the automation messages that carry the same
// actions. A menu command that has an automation message sends it to the document itself, so that a
// menu choice and a macro take one path.
#include "document/core/SistraDocument.h"
#include "hostframework/messaging/MessageArguments.h"
#include "document/core/DocumentDialogs.h"

#include "document/core/CuvetteSelectionTarget.h"
#include "document/models/ModelFactory.h"
#include "document/models/workflow/Workflow.h"
#include "document/mpvs/ControlProgramLink.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostMessageBox.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/views/DocViewClass.h"
#include "resources/ResourceIds.h"
#include "hostapi/HostTraceView.h"
#include "hostapi/VyrCommands.h"
#include "hostapi/VyrServices.h"
#include "hostapi/VyrViews.h"

#include <algorithm>
#include <cwchar>
#include <functional>
#include <vector>

namespace Sistra
{
namespace
{

constexpr int32_t Unset = 0x7FFFFFFF;
constexpr int32_t WholeChannelRegion = 1;
constexpr int32_t SelectionRegion = 0;

// The host's messages about the document's views, with their payload type words.
namespace HostMessage
{
constexpr ULONG OpenView = 0x80010000;
constexpr ULONG ShowWorkflowView = 0x80010020;
// The host object in whose context the workflow view is shown in the host's pane.
constexpr ULONG PaneViewObject = 0x80010016;
constexpr ULONG ActivateView = 0x80010021;
constexpr ULONG ShowViewWindow = 0x80010015;
constexpr ULONG PlaceView = 0x80010005;
constexpr ULONG TileWorkflow = 0x800C006D;
} // namespace HostMessage

struct ViewPayload
{
    ULONG typeWord = 4;
    ULONG viewType;
};
struct ViewFlagPayload
{
    ULONG typeWord = 20;
    ULONG viewType;
    ULONG flag;
};
struct ViewShowPayload
{
    ULONG typeWord = 276;
    ULONG viewType;
    ULONG show = 1;
    ULONG command = 0xF120;
};
struct ViewPlacePayload
{
    ULONG typeWord = 2068;
    ULONG viewType;
    ULONG inClientArea = 1;
    LONG left, top, right, bottom;
};

constexpr double RegionValueLimit = 32000.0;

// Automation texts match ignoring case over their whole length.
bool IsKeyword(const Orv::String& text, const wchar_t* keyword)
{
    return _wcsicmp(text.c_str(), keyword) == 0;
}

// The keyword's position in the list; -1 when none matches.
template <size_t N>
int32_t KeywordIndex(const Orv::String& text, const wchar_t* const (&keywords)[N])
{
    for (size_t i = 0; i < N; ++i)
        if (IsKeyword(text, keywords[i]))
            return static_cast<int32_t>(i);
    return -1;
}

void AnswerEnabled(IVyrCommandState& state, bool enabled)
{
    state.SetState(enabled ? VyrCommandStateValue::Enabled : 0);
}

void AnswerChecked(IVyrCommandState& state, bool checked)
{
    Orv::ComPtr<IVyrCommandEnabler> enabler;
    if (SUCCEEDED(state.QueryInterface(IID_IVyrCommandEnabler, enabler.PutVoid())) && enabler)
        enabler->SetState(checked ? VyrCommandBits::Checked : 0, VyrCommandBits::Checked);
}

void AnswerText(IVyrCommandState& state, const Orv::String& text)
{
    Orv::ComPtr<IVyrCommandEnabler> enabler;
    if (SUCCEEDED(state.QueryInterface(IID_IVyrCommandEnabler, enabler.PutVoid())) && enabler)
        enabler->SetText(text.Interface());
}

// Loaded once: the texts never change while the module is loaded.
const Orv::String& AnalyzeText(UINT id)
{
    static const Orv::String channel(Orv::ThisModule(), IDS_ANALYZE_CHANNEL, true);
    static const Orv::String selection(Orv::ThisModule(), IDS_ANALYZE_SELECTION, true);
    return id == IDS_ANALYZE_CHANNEL ? channel : selection;
}

ULONG DocumentId(USHORT number)
{
    USHORT code = 0;
    GetDocumentMessagePrefix(&code);
    return static_cast<ULONG>(code) << 16 | number;
}

// Every open view of node and of the nodes below it: a node's views, then those of the nodes below.
// All are listed before any is acted on, since a view leaves its node as it closes.
std::vector<Orv::ComPtr<IHostViewItem>> OpenViewItems(IHostViewCollection& node)
{
    std::vector<Orv::ComPtr<IHostViewItem>> items;
    ULONG count = 0;
    for (ULONG i = 0; SUCCEEDED(node.GetItemCount(&count)) && i < count; ++i)
        if (Orv::ComPtr<IHostViewItem> item; SUCCEEDED(node.GetItem(i, item.Put())) && item)
            items.push_back(std::move(item));
    for (ULONG i = 0; SUCCEEDED(node.GetChildCount(&count)) && i < count; ++i)
        if (Orv::ComPtr<IHostViewCollection> child; SUCCEEDED(node.GetChild(i, child.Put())) && child)
            for (Orv::ComPtr<IHostViewItem>& below : OpenViewItems(*child.Get()))
                items.push_back(std::move(below));
    return items;
}

ULONG TypeOf(IHostViewItem& item)
{
    ULONG type = 0;
    return SUCCEEDED(item.GetViewTypeId(&type)) ? type : 0;
}

TickPosition ToTick(const RecordingPosition& position)
{
    return TickPosition{position.block, position.tick};
}

} // namespace

template <class Payload>
void SistraDocument::SendHostMessage(ULONG id, const Payload& payload)
{
    SendMsg(Outer(), MsgData<Payload>{id, 0, payload}, 0);
}

void SistraDocument::OpenView(USHORT viewType)
{
    SendHostMessage(HostMessage::OpenView, ViewPayload{.viewType = DocumentId(viewType)});
}

std::vector<Orv::ComPtr<IHostViewItem>> SistraDocument::OpenViews()
{
    Orv::ComPtr<IHostViewCollection> views;
    if (FAILED(Outer()->QueryInterface(IID_IHostViewCollection, views.PutVoid())) || !views)
        return {};
    return OpenViewItems(*views.Get());
}

void SistraDocument::CloseOpenViews(const std::function<bool(ULONG)>& toClose)
{
    for (const Orv::ComPtr<IHostViewItem>& item : OpenViews())
        if (toClose(TypeOf(*item.Get())))
            item->Close();
}

Orv::ComPtr<IHostTraceView> SistraDocument::MainDataView()
{
    const ULONG mainDataView = TypeIdClass<&HostTypeGUID, HostMainDataViewNumber>::Id();
    for (const Orv::ComPtr<IHostViewItem>& item : OpenViews())
    {
        Orv::ComPtr<IUnknown> view;
        Orv::ComPtr<IHostTraceView> trace;
        if (TypeOf(*item.Get()) == mainDataView && item->GetView(view.Put()) == S_OK && view &&
            SUCCEEDED(view->QueryInterface(IID_IHostTraceView, trace.PutVoid())) && trace)
            return trace;
    }
    return {};
}

void SistraDocument::ShowRangeInMainDataView(const TickPosition& first, const TickPosition& last)
{
    if (const Orv::ComPtr<IHostTraceView> trace = MainDataView())
        trace->ShowRange(&first, &last);
}

// The open cuvette calibration view carries the command out; without one, or without a selection it can
// take, nothing is added and the command says so.
MessageAnswer SistraDocument::OnAddSelToCuvetteCalibration()
{
    const ULONG cuvette = DocumentId(ViewType::CuvetteCalibration);
    for (const Orv::ComPtr<IHostViewItem>& item : OpenViews())
    {
        Orv::ComPtr<IUnknown> view;
        if (TypeOf(*item.Get()) != cuvette || item->GetView(view.Put()) != S_OK)
            continue;
        if (auto* target = dynamic_cast<CuvetteSelectionTarget*>(DocViewBase::WindowOf(view.Get())))
        {
            const Orv::String refusal = target->SetFromSelection();
            return refusal.IsEmpty() ? MessageAnswer::Done : RefuseMessage(refusal.c_str());
        }
    }
    return RefuseMessage(L"the cuvette calibration view is not open: open it and select a cell of its table");
}

void SistraDocument::CloseWorkflowViews()
{
    const ULONG workflow = DocumentId(ViewType::Workflow);
    CloseOpenViews([workflow](ULONG type) { return type == workflow; });
}

// The workflow view stays whatever the step shows: it is how the user moves between steps.
void SistraDocument::CloseViewsNotIn(const std::vector<ViewLayoutItem>& items)
{
    const ULONG workflow = DocumentId(ViewType::Workflow);
    CloseOpenViews([workflow, &items](ULONG type) {
        return type != workflow &&
               std::none_of(items.begin(), items.end(), [type](const ViewLayoutItem& item) { return item.viewType == type; });
    });
}

void SistraDocument::OnShowLoopView() { OpenView(ViewType::AnalysisGraph); }
void SistraDocument::OnShowHemoTable() { OpenView(ViewType::HemodynamicsTable); }
void SistraDocument::OnShowPRSWPlot() { OpenView(ViewType::Prsw); }
void SistraDocument::OnShowdPdtPlot() { OpenView(ViewType::DpDtMaxEdvGraph); }
void SistraDocument::OnShowSalineView() { OpenView(ViewType::SalineCalibration); }
void SistraDocument::OnShowPvaEdvPlot() { OpenView(ViewType::PvaEdv); }
void SistraDocument::OnShowPvaEspPlot() { OpenView(ViewType::PvaEsp); }
void SistraDocument::OpenCuvetteView() { OpenView(ViewType::CuvetteCalibration); }

void SistraDocument::SetModifiedAndCommit(const ModelPtr& model)
{
    SetModified();
    model->CommitChanges();
}

// The host shows the workflow view in its pane when asked in the context of the pane view's host object.
void SistraDocument::OnWorkflow()
{
    const ULONG viewType = DocumentId(ViewType::Workflow);
    const Orv::ComPtr<IUnknown> pane = CreateHostObject(HostMessage::PaneViewObject, viewType, 0);
    const ULONG word = HostContextWord(pane.Get());
    SendMsgWithContext(Outer(),
                       MsgData<ViewFlagPayload>{HostMessage::ShowWorkflowView, 0,
                                                ViewFlagPayload{.viewType = viewType, .flag = 1}},
                       0, word ? &word : nullptr);
    if (GetModel(ModelKind::WorkflowView)->GetValue<PropertyType::Bool>(PropertyId::AutoTileViews))
        SendHostMessage(HostMessage::TileWorkflow, MsgPayload0{});
}

void SistraDocument::OnWorkflowEnable(IVyrCommandState& state)
{
    AnswerEnabled(state, GetSetupModel()->GetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn));
}

// The settings dialog edits copies; only an OK puts them in force.
void SistraDocument::OnSettings()
{
    const ModelPtr setup = GetSetupModel();
    const ModelPtr tau = GetModel(ModelKind::TauModel);
    const ModelPtr setupCopy = ModelClassObjBase::CreateModel(ModelKind::WorkflowSetup, this, ModelRole::Snapshot);
    const ModelPtr tauCopy = ModelClassObjBase::CreateModel(ModelKind::TauModel, this, ModelRole::Snapshot);
    if (!setupCopy || !tauCopy)
        return;
    setupCopy->CopyFrom(setup.get());
    tauCopy->CopyFrom(tau.get());
    setupCopy->SetSuppressCommit(true);
    tauCopy->SetSuppressCommit(true);
    HWND parent = nullptr;
    if (IHostApplication* application = HostAppAccessor::Get(); !application || FAILED(application->GetMainWindow(&parent)))
        parent = nullptr;
    const int closed = RunModuleDialog(L"Settings", parent, [&] {
        const auto& dialog = InstalledDocumentDialogs().settings;
        return dialog ? dialog(parent, *this, setupCopy, tauCopy) : IDCANCEL;
    });
    if (closed != IDOK)
        return;
    setup->CopyFrom(setupCopy.get());
    tau->CopyFrom(tauCopy.get());
    setup->CommitChanges();
    tau->CommitChanges();
    UpdateMenuStates();
    ecgSourceGone_ = 0;
    analysedChannelGone_ = NoChannel;
    OnAnalyzeNowMsg();
    SetModified();
}

void SistraDocument::OnOpenSettingsMsg()
{
    OnSettings();
}

void SistraDocument::OnSettingsEnable(IVyrCommandState& state)
{
    Orv::ComPtr<IHostSampling> host;
    int16_t busy = 0;
    if (IUnknown* document = HostDocumentObject(); document && SUCCEEDED(document->QueryInterface(IID_IHostSampling, host.PutVoid())))
        host->IsBusy(&busy);
    AnswerEnabled(state, busy == 0);
}

// Leaving workflow mode gives unset channels the first free ones, so that an analysis can run at once.
void SistraDocument::OnWorkflowMode()
{
    const ModelPtr setup = GetSetupModel();
    const bool wasOn = setup->GetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn);
    // The workflow-mode dialog's state: the mode chosen, then the mode it opened on.
    struct WorkflowModeChoice
    {
        uint8_t chosen;
        uint8_t original;
    } choice{wasOn, wasOn};
    const HWND parent = GetActiveWindow();
    const auto& dialog = InstalledDocumentDialogs().workflowMode;
    const int closed = RunModuleDialogOnState(L"WorkflowMode", parent, choice, [&] {
        bool chosen = wasOn;
        const int button = dialog ? dialog(parent, chosen) : IDCANCEL;
        choice.chosen = chosen;
        return button;
    });
    if (closed != IDOK)
        return;
    const bool on = choice.chosen != 0;
    const ModelPtr saline = GetModel(ModelKind::SalineCalib);
    const bool salineWasApplied = saline->GetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied);
    setup->SetValue<PropertyType::Bool>(PropertyId::WorkflowModeOn, on);
    if (!on)
    {
        const int32_t pressure = setup->GetPressureChannel();
        if (pressure == NoChannel)
            setup->SetPressureChannel(setup->GetVolumeChannel() == 0 ? 1 : 0);
        if (setup->GetVolumeChannel() == NoChannel)
            setup->SetVolumeChannel(pressure == 1 ? 2 : 1);
        SendHostMessage(HostMessage::ShowWorkflowView,
                        ViewFlagPayload{.viewType = DocumentId(ViewType::Workflow), .flag = 0});
    }
    else if (!wasOn)
    {
        OnWorkflow();
    }
    setup->CommitChanges();
    // Back in the workflow, its step arranges the views as stepping to it does: the views opened outside
    // it would otherwise stay beside a step that shows others, or none.
    if (on && !wasOn && GetModel(ModelKind::WorkflowView)->GetValue<PropertyType::Bool>(PropertyId::AutoTileViews))
        SendOwnMessage(AutomationMessage::ArrangeSistraViews);
    // The saline model withdraws its calibration when the mode changes: the volumes move by Vp, which
    // nothing on screen would otherwise explain.
    if (on != wasOn && salineWasApplied && !saline->GetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied))
        ShowWarning(Orv::String(Orv::ThisModule(), on ? IDS_SALINE_WITHDRAWN_ENTERING : IDS_SALINE_WITHDRAWN_LEAVING, true).c_str());
}

void SistraDocument::OnWorkflowModeEnable(IVyrCommandState& state)
{
    AnswerEnabled(state, !IsSampling());
}

void SistraDocument::OnPlotsEnable(IVyrCommandState& state)
{
    AnswerEnabled(state, true);
}

HRESULT SistraDocument::OnInitPlotsPopup(ULONG_PTR menu)
{
    InitPlotsPopup(reinterpret_cast<HMENU>(menu));
    return S_OK;
}

HRESULT SistraDocument::SelectPlotsPopupItem(ULONG_PTR item, ULONG_PTR)
{
    switch (item)
    {
    case 1: OnShowPRSWPlot(); break;
    case 2: OnShowdPdtPlot(); break;
    case 3: OnShowPvaEdvPlot(); break;
    case 4: OnShowPvaEspPlot(); break;
    case 5: OnShowSalineView(); break;
    case 6: OpenCuvetteView(); break;
    default: break;
    }
    return S_OK;
}

void SistraDocument::OnShowLoopMarkers()
{
    SendOwnMessage(AutomationMessage::ToggleSistraEventMarkers);
}

void SistraDocument::OnShowLoopMarkersEnable(IVyrCommandState& state)
{
    AnswerEnabled(state, !IsSampling());
    AnswerChecked(state, GetSetupModel()->GetShowLoopMarkers());
}

void SistraDocument::OnToggleEventMarkersMsg()
{
    if (IsSampling())
        return;
    const ModelPtr setup = GetSetupModel();
    const bool show = !setup->GetShowLoopMarkers();
    setup->SetShowLoopMarkers(show);
    const int32_t pressure = setup->GetPressureChannel();
    // The markers leave the pressure channel before they are linked to it again: hiding them takes
    // them off, and showing them twice links them once.
    if (pressure != NoChannel)
    {
        data_->PressureStore().AttachToChannel(pressure, pressure, show);
        data_->VolumeStore().AttachToChannel(pressure, pressure, show);
    }
    SetModifiedAndCommit(setup);
}

void SistraDocument::OnOnlineMode()
{
    SendOwnMessage(AutomationMessage::ToggleSistraOnlineMode);
}

void SistraDocument::OnOnlineModeEnable(IVyrCommandState& state)
{
    AnswerEnabled(state, !IsSampling());
    AnswerChecked(state, IsOnlineMode());
}

void SistraDocument::OnToggleOnlineModeMsg()
{
    ToggleOnlineMode(false);
}

void SistraDocument::ToggleOnlineMode(bool quiet)
{
    if (IsSampling())
        return;
    const ModelPtr setup = GetSetupModel();
    const bool turningOn = !IsOnlineMode();
    RecordingPosition start, end;
    const bool regionSet = ReadRegion(start, end);
    const RecordingPosition recordingEnd = RecordingEnd();
    const bool empty = start.block == end.block && end.tick <= start.tick;
    bool clearAnalysis = false;
    if (turningOn && regionSet && !empty && !(end == recordingEnd))
    {
        if (quiet)
            return;
        const Orv::String text(Orv::ThisModule(), IDS_ONLINE_DISCONTINUOUS, true);
        const Orv::String caption(Orv::ThisModule(), IDS_SISTRA_CAPTION, true);
        if (ShowHostMessageBox(text.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONINFORMATION | MB_TASKMODAL) != IDOK)
            return;
        clearAnalysis = true;
    }
    setup->SetValue<PropertyType::Bool>(PropertyId::OnlineMode, turningOn);
    if (!turningOn)
    {
        setup->SetValue<PropertyType::Position>(PropertyId::RegionEnd, recordingEnd);
        ConfigureAnalysisSources(false);
    }
    else
    {
        if (clearAnalysis)
        {
            const int32_t pressure = setup->GetPressureChannel();
            data_->PressureStore().ClearStreams(pressure);
            data_->VolumeStore().ClearStreams(pressure);
            setup->SetValue<PropertyType::Int>(PropertyId::RegionMode, WholeChannelRegion);
        }
        RecordingPosition newStart{0, recordingEnd.block == Unset ? 0 : recordingEnd.block + 1};
        if (regionSet && !clearAnalysis)
            newStart = empty ? recordingEnd : start;
        setup->SetValue<PropertyType::Position>(PropertyId::RegionStart, newStart);
        setup->SetValue<PropertyType::Position>(PropertyId::RegionEnd, RecordingPosition{Unset, Unset});
        setup->SetValue<PropertyType::Bool>(PropertyId::RegionSet, true);
        RequestAnalysis(true);
    }
    SetModifiedAndCommit(setup);
    UpdateOnlineSink();
}

void SistraDocument::OnAnalyze()
{
    SendOwnMessage(AutomationMessage::AnalyzeSistraNow);
}

void SistraDocument::OnAnalyzeEnable(IVyrCommandState& state)
{
    AnswerEnabled(state, !IsSampling());
    const int32_t mode = GetSetupModel()->GetValue<PropertyType::Int>(PropertyId::RegionMode);
    if (mode == SelectionRegion)
        AnswerText(state, AnalyzeText(IDS_ANALYZE_SELECTION));
    else if (mode == WholeChannelRegion)
        AnswerText(state, AnalyzeText(IDS_ANALYZE_CHANNEL));
}

void SistraDocument::OnClearAnalysis()
{
    SendOwnMessage(AutomationMessage::ClearSistraAnalysis);
}

void SistraDocument::OnAnalysedRegionEnable(IVyrCommandState& state)
{
    RecordingPosition start, end;
    const bool set = ReadRegion(start, end);
    AnswerEnabled(state, !IsSampling() && set && !(start == end));
}

void SistraDocument::OnReselect()
{
    SendOwnMessage(AutomationMessage::ReselectSistraAnalyzedRegion);
}

MessageAnswer SistraDocument::OnReselectMsg()
{
    if (IsSampling())
        return RefuseMessage(L"the host is sampling");
    RecordingPosition start, end;
    if (!ReadRegion(start, end))
        return RefuseMessage(L"no analysis has run: there is no analysed region to select");
    const ModelPtr setup = GetSetupModel();
    if (setup->GetValue<PropertyType::Int>(PropertyId::RegionMode) == WholeChannelRegion)
        end = RecordingEnd();
    Orv::ComPtr<IHostSelection> selection;
    IUnknown* host = HostDocumentObject();
    if (!host || FAILED(host->QueryInterface(IID_IHostSelection, selection.PutVoid())))
        return RefuseMessage(L"the host document takes no selection");
    selection->ClearSelection();
    for (int32_t channel : {setup->GetPressureChannel(), setup->GetVolumeChannel()})
        selection->AddChannelSelection(channel, -RegionValueLimit, RegionValueLimit, ToTick(start), ToTick(end));
    return MessageAnswer::Done;
}

void SistraDocument::OnShowESPVRegression(bool show)
{
    const ModelPtr loopView = GetModel(ModelKind::LoopView);
    loopView->SetValue<PropertyType::Bool>(PropertyId::ShowEspvrRegression, show);
    loopView->CommitChanges();
}

void SistraDocument::OnShowEDPVRegression(bool show)
{
    const ModelPtr loopView = GetModel(ModelKind::LoopView);
    loopView->SetValue<PropertyType::Bool>(PropertyId::ShowEdpvrRegression, show);
    loopView->CommitChanges();
}

// A tangent fit takes the end-systolic points from the tangent; every other fit leaves per-beat points.
MessageAnswer SistraDocument::OnSetESPVRegressionType(const Orv::String& type)
{
    static const wchar_t* const Fits[] = {L"Linear", L"Quadratic", L"Perpendicular", L"Tangent"};
    const int32_t fit = KeywordIndex(type, Fits);
    if (fit < 0)
        return RefuseArgument(L"RegressionType", L"takes Linear, Quadratic, Perpendicular or Tangent, not \"" +
                                                     std::wstring(type.c_str()) + L"\"");
    const ModelPtr loopView = GetModel(ModelKind::LoopView);
    loopView->SetValue<PropertyType::Int>(PropertyId::EspvrRegressionType, fit);
    loopView->SetValue<PropertyType::Int>(PropertyId::EsPointType, IsKeyword(type, L"Tangent") ? 1 : 0);
    loopView->CommitChanges();
    return MessageAnswer::Done;
}

MessageAnswer SistraDocument::OnSetEDPVRegressionType(const Orv::String& type)
{
    static const wchar_t* const Fits[] = {L"Linear", L"Exponential"};
    const int32_t fit = KeywordIndex(type, Fits);
    if (fit < 0)
        return RefuseArgument(L"RegressionType",
                              L"takes Linear or Exponential, not \"" + std::wstring(type.c_str()) + L"\"");
    const ModelPtr loopView = GetModel(ModelKind::LoopView);
    loopView->SetValue<PropertyType::Int>(PropertyId::EdpvrRegressionType, fit);
    loopView->CommitChanges();
    return MessageAnswer::Done;
}

MessageAnswer SistraDocument::OnSetShowESPointsType(const Orv::String& type)
{
    static const wchar_t* const Kinds[] = {L"PerBeatESPoints", L"TangentFitESPoints"};
    const int32_t kind = KeywordIndex(type, Kinds);
    if (kind < 0)
        return RefuseArgument(L"ESPointsType", L"takes PerBeatESPoints or TangentFitESPoints, not \"" +
                                                   std::wstring(type.c_str()) + L"\"");
    const ModelPtr loopView = GetModel(ModelKind::LoopView);
    loopView->SetValue<PropertyType::Int>(PropertyId::EsPointType, kind);
    loopView->CommitChanges();
    return MessageAnswer::Done;
}

// The host places each view of the current step in percent of its main window's client area.
void SistraDocument::OnArrangeViews()
{
    std::vector<ViewLayoutItem> items;
    Workflow(this).GetViewLayout(items);
    RECT area{};
    HWND main = nullptr;
    if (IHostApplication* services = GetFrameServices(); services && SUCCEEDED(services->GetMainWindow(&main)) && main)
        GetClientRect(main, &area);
    const LONG width = area.right - area.left;
    const LONG height = area.bottom - area.top;
    for (const ViewLayoutItem& item : items)
    {
        SendHostMessage(HostMessage::ActivateView, ViewFlagPayload{.viewType = item.viewType, .flag = 64});
        SendHostMessage(HostMessage::ShowViewWindow, ViewShowPayload{.viewType = item.viewType});
        SendHostMessage(HostMessage::PlaceView,
                        ViewPlacePayload{.viewType = item.viewType,
                                         .left = item.left * width / 100,
                                         .top = item.top * height / 100,
                                         .right = item.right * width / 100,
                                         .bottom = item.bottom * height / 100});
    }
    CloseViewsNotIn(items);
}

void SistraDocument::OnOpenMPVSControlSoftware()
{
    Mpvs::OpenControlProgram();
}

} // namespace Sistra
