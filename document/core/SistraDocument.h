// The module's extension of one host document: it owns the workflow models, the analysis data attached
// to the host document, and runs the analysis over the analysed region of the recording, or over the
// data arriving while the host samples.
#pragma once

#include "document/analysis/AnalysisDataOwner.h"
#include "document/analysis/SistraData.h"
#include "document/table/HemodynamicsTableData.h"
#include "document/core/AnalysisClient.h"
#include "document/core/SetupPaneSeam.h"
#include "document/core/DocumentSettings.h"
#include "document/models/ModelMap.h"
#include "document/calibration/PressureCalibrator.h"
#include "document/calibration/VolumeCalibrator.h"
#include "document/models/ModelOwner.h"
#include "document/models/workflow/WorkflowModelReader.h"

#include "hostapi/HostDocument.h"
#include "hostapi/HostDocumentEvents.h"
#include "hostapi/HostTraceView.h"
#include "hostapi/SistraDocInterface.h"
#include "hostapi/ModelMessages.h"
#include "hostapi/OrvStringInterfaces.h"
#include "hostapi/VyrAnalysis.h"
#include "hostapi/VyrViews.h"
#include "hostapi/VyrComments.h"
#include "hostframework/document/StrixChildDocument.h"
#include "hostframework/messaging/EventMaps.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <memory>

struct ITableViewManager;

namespace Sistra
{

struct ViewLayoutItem;

// What changed since the views were last refreshed; the payload of the refresh broadcast.
namespace ChangeState
{
constexpr uint32_t AnalysisRequested = 0x02;
constexpr uint32_t SelectedLoopChanged = 0x04;
constexpr uint32_t DataReset = 0x08;
constexpr uint32_t ResultsChanged = 0x10;
constexpr uint32_t ResetAndResults = 0x18;
constexpr uint32_t MoveSelection = 0x20;
constexpr uint32_t CopyingCheckedItems = 0x40;
constexpr uint32_t SelectionFollowsHost = 0x80;
} // namespace ChangeState

// Positions compare by record first, then by tick.
inline bool IsBefore(const RecordingPosition& first, const RecordingPosition& second)
{
    return first.block != second.block ? first.block < second.block : first.tick < second.tick;
}
// The position as one word: tick in the low 32 bits, record in the high 32 bits.
inline uint64_t PositionWord(const RecordingPosition& position)
{
    return static_cast<uint64_t>(static_cast<uint32_t>(position.block)) << 32 | static_cast<uint32_t>(position.tick);
}

// The chunk a run feeds between two progress updates, for a range of total samples.
int64_t AnalysisChunkSize(int64_t total);
// The samples the next feed takes of what remains of a record.
int64_t AnalysisFeedStep(int64_t remaining, int64_t chunk);
// The loop a table row stands for: rows list the loops the analyser did not find invalid, in order;
// stateOf gives a loop's state (none: unreadable, skipped). None past the last such loop.
std::optional<uint32_t> LoopOfTableRow(uint32_t row, uint32_t loopCount,
                                       const std::function<std::optional<int32_t>(uint32_t)>& stateOf);
// The percent of the run done after processed of total samples; 100 for an empty run.
LONG AnalysisPercent(int64_t processed, int64_t total);

// The mean largest and smallest volume of the loops of a selection.
struct LoopVolumeMeans
{
    double largest;
    double smallest;
};

// The known-volume base value (property id and value) that a point sets for the known pair of volumes.
std::optional<std::pair<int, double>> KnownVolumeBase(int32_t pair, LONG point, const LoopVolumeMeans& means);

class SistraDocument final : public StrixChildDocument,
                             public AnalysisManager::AnalysisClientBase<SistraDocument>,
                             public IOnlineDataSink,
                             public ISistraDocInterface,
                             public CalibratorOwner,
                             public AnalysisDataOwner
{
public:
    SistraDocument(IUnknown* hostDocument, IUnknown* documentClass, ULONG creationFlags);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return VyrDocument::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return VyrDocument::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return VyrDocument::Release(); }

    // The host document's faces: closing and attaching.
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE OnAttached(ULONG_PTR argument) override;
    // The settings persisters, through which the host saves and opens the document's settings.
    HRESULT STDMETHODCALLTYPE GetPersister(ULONG kind, ULONG type, void** reserved, IUnknown** persister) override
    {
        return settings_->GetPersister(kind, type, reserved, persister);
    }

    // ISistraDocInterface
    HRESULT STDMETHODCALLTYPE GetPressureScale(ULONG reserved, double* factor) override;
    HRESULT STDMETHODCALLTYPE GetVolumeScale(ULONG reserved, double* factor) override;

    // IOnlineDataSink
    HRESULT STDMETHODCALLTYPE GetSinkInfo(uint32_t* info, int16_t* wants) override;
    HRESULT STDMETHODCALLTYPE OnSamplingStopped(uint32_t reserved) override;
    HRESULT STDMETHODCALLTYPE OnSamplingStarted(int32_t record, int32_t ticks, uint32_t channels, uint32_t, uint32_t,
                                                uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                                int16_t recording) override;
    HRESULT STDMETHODCALLTYPE OnNewData(uint32_t reserved) override;
    HRESULT STDMETHODCALLTYPE OnRecordEnd(int32_t record, int32_t ticks) override;
    HRESULT STDMETHODCALLTYPE OnSamplingModeChanged(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRecordValuesChanged(int32_t, uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QuerySinkExtension() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QuerySinkExtensionEx() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnSamplingPaused(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSinkPriority(int32_t* priority) override;
    HRESULT STDMETHODCALLTYPE GetSinkPosition(int32_t record, uint32_t flags, uint32_t reserved,
                                              int32_t* position) override;

    // ModelOwner
    std::shared_ptr<Model> GetModel(int kind) override;
    void SetModified() override;
    bool IsLoadingSettings() const override { return loading_; }
    int32_t GetChannelCount() override;
    // The host's title of a channel; empty when the host gives it none.
    Orv::String ChannelTitle(int32_t channel);
    bool ChannelDependsOnAnalysis(int32_t channel) override;

    // CalibratorOwner
    IHostDocument* GetHostDocument() override { return HostDoc(); }
    Orv::ComPtr<IUnitConversion> GetConversionAtSelection(int32_t channel) override;

    // AnalysisDataOwner
    IUnknown* HostDocument() override { return HostDocumentObject(); }
    AnalysisSettings Settings() override;
    const ModelPropertyReader& SetupReader() override { return reader_; }
    double ToDisplayUnits(int32_t channel, double value) override;
    bool IsSampling() override;
    void LoopStatesChanged() override;
    std::wstring ParameterUnit(int32_t parameterIndex) override;

    // The model map.
    ModelPtr GetSetupModel() const { return models_.Find(ModelKind::WorkflowSetup); }
    // The model of that kind when the document has one; never creates.
    ModelPtr FindModel(int kind) const { return models_.Find(kind); }
    const std::vector<int>& ModelCreationOrder() const { return models_.CreationOrder(); }
    // The unit of the channel's own conversion as the volume calibrator keeps it: what the channel showed
    // before the calibration; empty when the calibrator keeps none that tells a unit.
    UnitInfo VolumeChannelOwnUnit(int32_t channel) const
    {
        return CalibratorBase::GetConversionUnitText(volumeCalibrator_->GetUnitsConversion(channel).Get());
    }
    // The same for the pressure calibrator.
    UnitInfo PressureChannelOwnUnit(int32_t channel) const
    {
        return CalibratorBase::GetConversionUnitText(pressureCalibrator_->GetUnitsConversion(channel).Get());
    }
    // The conductance behind a value the volume channel shows (base units): what the cuvette table takes.
    double CuvetteReading(double shown) const
    {
        return volumeCalibrator_->ShownBeforeCuvette(shown, GetSetupModel()->GetVolumeChannel());
    }
    // True while the workflow's volume calibration has yet to make the loops' volumes volumes.
    bool ParallelConductanceAwaitsVolume() const
    {
        return volumeCalibrator_->AwaitsVolumeUnit(GetSetupModel()->GetVolumeChannel());
    }
    // Gives the channel the calibrator's conversion (without one: a fresh default conversion); false
    // when the channel is unset, already shows the calibration, or no conversion could be made.
    bool ApplyChannelSetup(int32_t channel, CalibratorBase* calibrator);
    // Asks the host by message to give the channel the conversion; false when it cannot be read.
    bool SendChannelSetupChange(int32_t channel, IUnitConversion* conversion);
    SistraData& Data() { return *data_.Get(); }
    // The hemodynamics table's cells, made on first request.
    Orv::ComPtr<SistraHemodynamicsTableViewData> GetTableViewData();

    // Channel units: value = (value + offset) * scale with the channel's conversion, and back.
    void ApplyChannelScaling(int32_t channel, double& value);
    void RemoveChannelScaling(int32_t channel, double& value);

    // The analysis (a run is synchronous on the host's thread).
    void RequestAnalysis(bool reselect);
    void RunAnalysis(int32_t pressureChannel);
    void ConfigureAnalysisSources(bool useSelection);
    void ShowOutOfMemory();
    // Has the channels computed from the analysis (the module's computed channels) work their values out
    // again; the host's windows are brought up to date when there was one.
    void RefreshComputedChannels();
    void FinishOnlineAnalysis();
    // The document hears the host's sampling while online mode is on.
    void UpdateOnlineSink();
    // The host's selection; both positions (0x7FFFFFFF, 0x7FFFFFFF) when there is none.
    void ReadHostSelection(RecordingPosition& start, RecordingPosition& end);
    // The host's main data view of the document; null when none is open.
    Orv::ComPtr<IHostTraceView> MainDataView();
    // Selects the loop of that index; -1 deselects.
    void SelectLoop(int32_t loop);
    bool SelectLoopByIndex(int32_t loop);

    // The refresh of the views: hands them the change state and clears it.
    void RefreshViews();
    // Adds the change bits, refreshes the views and asks the host document to redraw: what changed shows
    // in the host's own displays (its channels and the loop marks) as well as in the module's views.
    void RefreshViewsAndHost(uint32_t bits);
    // Asks the host's trace display to bring the loop (its index and where it starts) into view; false
    // while the loop's mark is not on the channel the markers are shown on.
    bool ShowLoopInTrace(const TickPosition& position, uint32_t loop);
    // Brings the host's trace display to the selected loop when a change of the selection asked for it
    // and it could not be shown yet.
    void ShowUnshownSelection();
    // The loop's comment on the pressure channel, placed and written through the host, made once per
    // analysis; null for a loop the analysis does not have.
    struct PlacedComment
    {
        Orv::ComPtr<IStrixComment> comment;
        // The host object made for placing the comment, in whose context the host is asked to show it.
        Orv::ComPtr<IUnknown> place;
    };
    const PlacedComment* GetLoopComment(uint32_t loop);
    uint32_t ChangeBits() const { return changeState_; }
    void AddChange(uint32_t bits) { changeState_ |= bits; }

    // The menus the document class adds to the host's (true when one became a menu item), the Plots
    // popup and the commands' states by what the workflow in force offers.
    // Adds the module's menu commands; installed is set when the host created at least one. S_OK when
    // the host took every command, else the first refusal (E_FAIL for a command that could not be made).
    static HRESULT InstallMenus(IVyrCommandRegistration* registration, bool& installed);
    void InitPlotsPopup(HMENU popup);
    void UpdateMenuStates();

    // The automation messages that set, clear and analyse the region.
    void OnAnalyzeNowMsg();
    HRESULT OnClearAnalysisMsg();

    // Menu commands, their enable answers and the automation messages they forward to; each returns
    // handled whatever it did.
    void OnWorkflow();
    void OnWorkflowEnable(IVyrCommandState& state);
    void OnSettings();
    void OnSettingsEnable(IVyrCommandState& state);
    void OnWorkflowMode();
    void OnWorkflowModeEnable(IVyrCommandState& state);
    void OnShowLoopView();
    void OnShowHemoTable();
    void OnShowPRSWPlot();
    void OnShowdPdtPlot();
    void OnShowSalineView();
    void OnShowPvaEdvPlot();
    void OnShowPvaEspPlot();
    void OpenCuvetteView();
    void OnPlotsEnable(IVyrCommandState& state);
    HRESULT OnInitPlotsPopup(ULONG_PTR menu);
    HRESULT SelectPlotsPopupItem(ULONG_PTR item, ULONG_PTR);
    void OnShowLoopMarkers();
    void OnShowLoopMarkersEnable(IVyrCommandState& state);
    void OnToggleEventMarkersMsg();
    void OnOnlineMode();
    void OnOnlineModeEnable(IVyrCommandState& state);
    void OnToggleOnlineModeMsg();
    // Online mode on or off; quiet: without asking, and unchanged where asking would be needed.
    void ToggleOnlineMode(bool quiet);
    void OnAnalyze();
    void OnAnalyzeEnable(IVyrCommandState& state);
    void OnClearAnalysis();
    void OnAnalysedRegionEnable(IVyrCommandState& state);
    void OnReselect();
    MessageAnswer OnReselectMsg();
    void OnShowESPVRegression(bool show);
    void OnShowEDPVRegression(bool show);
    // Automation messages that refuse an argument answer so (MessageAnswer::Refused) and change nothing.
    MessageAnswer OnSetESPVRegressionType(const Orv::String& type);
    MessageAnswer OnSetEDPVRegressionType(const Orv::String& type);
    MessageAnswer OnSetShowESPointsType(const Orv::String& type);
    void OnOpenSettingsMsg();
    void OnArrangeViews();
    MessageAnswer OnAddSelToCuvetteCalibration();
    void OnOpenMPVSControlSoftware();

    // Calibration and data commands.
    MessageAnswer OnSetPressureValueFromSel(LONG point);
    MessageAnswer OnSetConductanceValueFromSel(LONG point);
    MessageAnswer OnSetVolumeValueFromSel(LONG point);
    MessageAnswer OnSetKnownVolumeValueFromSel(LONG point);
    MessageAnswer OnApplySalineCalibration(double parallelConductance);
    void OnDisableSalineCalibration();
    MessageAnswer OnApplyCuvetteCalibration(double slope, double intercept);
    void OnDisableCuvetteCalibration();
    MessageAnswer OnAddAnalyzedParallelConductance();
    MessageAnswer OnRemoveParallelConductance(LONG position);
    MessageAnswer OnEditParallelConductance(LONG position, double value);
    MessageAnswer OnTableRowSelected(ULONG row);
    MessageAnswer OnCopyTableToTallion();

    // The table-view manager that the document's tables share: made on first request once the document
    // has its host document; none before.
    ITableViewManager* GetTableViewManager();

    // What the analysis client needs of the document.
    bool IsPersistenceActive() const { return persistenceActive_ || settings_->IsActive(); }
    void AnalysedRegion(uint64_t& start, uint64_t& end);
    void ReapplyCalibrationsAndAnalyse();
    bool IsAnalysisEnabled() const { return analysisEnabled_; }
    bool IsEcgSourceGone() const { return ecgSourceGone_ != 0; }
    // The host removed the ECG event source that end-diastole was taken from.
    void MarkEcgSourceGone() { ecgSourceGone_ = -1; }

    // Host notifications.
    void OnHostDocumentReady(void* document);
    void OnClientReportRegion(void* argument);
    void OnClientClearRequest(void* argument);
    void OnClientCalibrationRequest(void* argument);
    MessageAnswer OnSelectASistraMsg(const struct SelectLoopPayload& payload);
    void OnModelPropertiesChanged(ModelChangedRecord* record);
    // The host document's changes: a cut of the recording clears an analysed region; a change of the
    // analysed channels' data analyses again.
    void ClearAnalysisIfRegionSet();
    void OnChannelDataChanged(const int32_t* channel);
    // The host's other notifications: its own conversions put back on the calibrated channels, menus to
    // update, a channel's setting changed, the selection moved, sources changed, the kept range.
    void OnHostConversionsReset(void* argument);
    void OnHostMenusChanged(void* argument);
    void OnChannelSettingChanged(const int32_t* channel);
    void OnHostSelectionChanged(void* argument);
    void OnEventSourcesChanged(const HostSourcesChangedRecord* record);
    void SetHostRange(const HostRangeRecord* range);
    void ClearHostRange();
    void OnModelReady(ModelStatusRecord* record);
    void OnModelNotReady(ModelStatusRecord* record);
    // Selects the loop whose range holds the position; none there deselects.
    void SelectLoopAtPosition(int32_t block, int32_t tick);
    // Selects the saline bolus's range in the host, analyses it and checks its loops in the loop view.
    void ShowSalineBolus(int32_t bolus);
    bool ReapplyPressureCalibration();
    // Puts the calibrations the models hold on the channels the host does not show them on yet (settings
    // loaded into the document); false with the calibration named when the host refuses one, the
    // channels then showing what they showed before.
    bool PutCalibrationsOnChannels(std::wstring& refusal);
    // Whether the recording has the channels the settings name, pressure and volume the right way round;
    // false with the reason otherwise.
    bool SettingsChannelsFit(std::wstring& refusal);
    static std::wstring RecordedUnitText(IUnitConversion* conversion);
    bool BringCalibrationToUnit(bool pressure, const std::wstring& madeIn, const std::wstring& recordedIn);
    // Whether the host shows the pressure calibration on the pressure channel.
    bool IsPressureCalibrationShown();
    // Runs change (not while the host samples) with the excluded loops kept across it, and tells the
    // views when it changed something.
    void ChangeWithBroadcast(bool (SistraDocument::*change)());
    // The model reactions before and after those to the analysis results and the selected loop.
    void ReactToWorkflowChanges(const ModelChangedRecord& record);
    void ReactToWorkflowModeChange(const ModelChangedRecord& record);

private:
    friend class DocumentSettings;
    ~SistraDocument() override;

    VYR_DECLARE_EVENT_MAP()

    void* FindOwnInterface(REFIID iid) override;
    bool IsOnlineMode();
    RecordingPosition RecordingEnd();
    bool IsRecordingInProgress();
    void SendOwnMessage(USHORT number);
    // The region of the setup model; false when none is set.
    bool ReadRegion(RecordingPosition& start, RecordingPosition& end);
    void FeedBlock(int32_t block, int32_t firstTick, int32_t lastTick, int64_t chunk, int64_t total,
                   int64_t& processed, IHostProgress* progress, bool& proceed);
    void WarnEcgSourceGone();
    void WarnAnalysedChannelGone();
    void ShowWarning(const wchar_t* text);
    IUnitConversion* ChannelConversion(int32_t channel, Orv::ComPtr<IUnitConversion>& holder);
    // The commands' shared steps.
    void OpenView(USHORT viewType);
    void CloseWorkflowViews();
    void CloseViewsNotIn(const std::vector<ViewLayoutItem>& items);
    void CloseOpenViews(const std::function<bool(ULONG)>& toClose);
    // The host's open views of this document, every node's views depth first.
    std::vector<Orv::ComPtr<IHostViewItem>> OpenViews();
    // Asks the host's main data view, when one is open, to show the range.
    void ShowRangeInMainDataView(const TickPosition& first, const TickPosition& last);
    template <class Payload>
    void SendHostMessage(ULONG id, const Payload& payload);
    void SetModifiedAndCommit(const ModelPtr& model);
    bool ChannelSelection(int32_t channel, TickPosition& start, TickPosition& end);
    MessageAnswer SetValueFromSelection(int32_t channel, int kind, int firstPointId, int secondPointId, LONG point);
    std::optional<LoopVolumeMeans> MeanLoopVolumes(const TickPosition& start, const TickPosition& end);
    // Runs a calibration change and, when it took, analyses again with the excluded loops kept; the views
    // hear of it.
    void RunGuardedChange(const std::function<bool()>& change);
    bool ApplyVolumeCalibration();
    // Edits a volume calibration's model (saline or cuvette), commits it and sets the volume channel
    // up again, as a guarded change.
    template <class Edit>
    void ChangeVolumeCalibration(int kind, Edit&& edit);
    // Applies a volume calibration as its automation message asks: edit sets the model's new values and
    // applied flag. Values the model refuses (arguments: the message's argument names, in the order the
    // model checks them), a calibration the document's workflow never takes (notTaken: why, empty when the
    // workflow takes it), or a calibration the volume channel does not then show, are refused with the
    // model and the channel left as they were.
    template <class Edit>
    MessageAnswer ApplyVolumeCalibrationMessage(int kind, int appliedId, std::initializer_list<const wchar_t*> arguments,
                                                const std::wstring& notTaken, Edit&& edit);
    // Withdraws the calibration: its applied switch cleared.
    void DisableVolumeCalibration(int kind, int appliedId);
    // Edits the saline bolus list at a position counted from 1 and commits the saline model.
    template <class Edit>
    MessageAnswer EditBolusAt(LONG position, Edit&& edit);

    ModelMap models_;
    WorkflowModelReader reader_{*this};
    Orv::ComPtr<SistraData> data_;
    // Outlives the table-view manager (the last member), whose table reads it.
    Orv::ComPtr<SistraHemodynamicsTableViewData> tableViewData_;
    std::unique_ptr<VolumeCalibrator> volumeCalibrator_;
    std::unique_ptr<PressureCalibrator> pressureCalibrator_;
    int32_t lastPressureChannel_ = static_cast<int32_t>(0x80000000u);
    bool persistenceActive_ = false;
    bool channelsAttached_ = false;
    bool analysisEnabled_ = false;
    uint32_t changeState_ = ChangeState::ResetAndResults;
    // A selection the trace display was not brought to: one the settings brought back before the analysis
    // that finds its loop and marks it.
    bool selectionUnshown_ = false;
    int16_t ecgSourceGone_ = 0;
    // The analysed pressure or volume channel the host removed, to be warned of at the next analysis.
    int32_t analysedChannelGone_ = static_cast<int32_t>(0x80000000u);
    bool applyingChannelSetup_ = false;
    bool loading_ = false;
    SetupPaneSeam setupPane_{*this};
    std::unique_ptr<DocumentSettings> settings_ = std::make_unique<DocumentSettings>(*this);
    std::map<uint32_t, PlacedComment> loopComments_;
    bool bolusUpdate_ = false;
    Orv::ComPtr<ITableViewManager> tableViewManager_;
};

// The message that asks the host to change the units of a channel that is not set up for recording; its
// payload's first word is also its type word (channel, flag, three texts, value).
constexpr ULONG ChannelSetupChangeMessage = 0x800C0083;
constexpr ULONG ChannelSetupChangeTag = 0x00277712;
constexpr ULONG ChannelSetupContextKind = 2;
#pragma pack(push, 4)
struct ChannelSetupChangeRecord
{
    ULONG tag;
    int32_t channel;
    uint32_t inUse;
    IOrvString* change;
    IOrvString* rawPrefix;
    IOrvString* shownPrefix;
    uint32_t kind;
};
#pragma pack(pop)
static_assert(sizeof(ChannelSetupChangeRecord) == 4 * sizeof(uint32_t) + 3 * sizeof(void*));

struct SelectLoopPayload
{
    ULONG typeWord;
    LONG loop;
};

} // namespace Sistra
