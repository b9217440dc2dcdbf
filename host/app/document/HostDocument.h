// A host document over a recording: what a module's code asks of the document it runs on. An offline
// document shows a finished recording; a sampling document receives its recording in chunks and tells
// its online data sinks about each step.
#pragma once

#include "host/app/document/ChannelCalculations.h"
#include "host/app/document/DocumentAcquisition.h"
#include "host/app/document/DocumentDisplaySettings.h"
#include "host/app/document/DocumentSelection.h"
#include "host/app/calc/CalcCompiler.h"
#include "host/app/calc/CalcEnumAdaptors.h"
#include "host/app/document/DocumentSubject.h"
#include "host/app/document/LiveSamplingSource.h"
#include "host/app/recording/Recording.h"
#include "hostapi/HostDocument.h"
#include "hostapi/PreviewSampling.h"
#include "hostapi/VyrAnalysis.h"
#include "hostapi/VyrComments.h"
#include "hostapi/VyrDocuments.h"
#include "hostapi/VyrServices.h"

#include "foundation/com/ComPtr.h"

#include <ocidl.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Host
{

// What calculations read of a channel recorded in unit and shown as recorded: its values without the
// unit's prefix (a channel in mV is read in volts).
Calc::ShownScale RecordedUnitScale(const std::string& unit);
// The same for every channel of the recording, as a calculation without a host document reads them.
Calc::ShownScaleLookup RecordedUnitsLookup(const Recording& recording);

class HostDocument final : public IHostDocument,
                           public IHostRecordData,
                           public IOnlineDataSource,
                           public IHostDataItems,
                           public IHostCalcItems,
                           public IHostChildData,
                           public IHostChildDataContainer,
                           public IHostCommentData,
                           public IHostSampling,
                           public IHostSelection,
                           public IAnalysisManager,
                           public IVyrDocumentPersistence,
                           public IHostDocumentData,
                           public IHostCalcSlots,
                           public IHostChannelCounts,
                           public IHostChannelSettings,
                           public IHostSamplingTarget,
                           public IHostRecordingState,
                           public IHostVirtualChannels,
                           public IHostChannelDescriptions,
                           public IHostChannelDisplay,
                           public ISampleHolderSource,
                           public IHostSamplingSources
{
public:
    // The recording must outlive the document. calculatedChannels: the texts of vch1, vch2, ...
    static Orv::ComPtr<HostDocument> Offline(const Recording& recording,
                                             std::vector<std::string> calculatedChannels = {});
    // Starts empty; FeedSamples brings the source's samples in.
    static Orv::ComPtr<HostDocument> Sampling(const Recording& source, std::vector<std::string> calculatedChannels = {});
    // Starts empty; FeedSamples brings in the feed's chunks. The feed must outlive the document.
    static Orv::ComPtr<HostDocument> Sampling(SampleFeed& feed, std::vector<std::string> calculatedChannels = {});
    // Starts empty and owns its recording, which a data source fills through the document's sampling
    // sink (IHostSamplingTarget).
    static Orv::ComPtr<HostDocument> Acquiring();
    // An acquiring document that holds what a live preview of shown samples: the channels of shown, and
    // its calculated channels and functions, so that the preview's calculations run on the held data.
    static Orv::ComPtr<HostDocument> HolderFor(const HostDocument& shown);
    // The document keeps only the recording's address: a temporary would be gone by its first read.
    static Orv::ComPtr<HostDocument> Offline(Recording&&, std::vector<std::string> = {}) = delete;
    static Orv::ComPtr<HostDocument> Sampling(Recording&&, std::vector<std::string> = {}) = delete;

    // The recording as far as it has arrived.
    const Recording& Data() const { return feed_ ? feed_->Live() : *recording_; }
    bool IsSamplingDone() const { return !feed_ || feed_->IsDone(); }
    // Samples up to count more ticks of the record being sampled, then notifies the sinks: a record
    // start, the new data, the record's end when it completes, and the end of sampling after the last.
    // Throws std::logic_error on an offline document.
    void FeedSamples(int64_t count);
    // Stops the sampling of a recording before its end: the record being sampled ends where it is (its
    // sinks are told so) and sampling stops. Throws std::logic_error unless the document plays a recording.
    void StopSampling();
    size_t SinkCount() const { return sinks_.size(); }
    // Whether the object (any of its faces) is one of the document's online data sinks.
    bool IsSink(IUnknown* object) const;
    // The sampling sink of an acquiring document; null for the others.
    const DocumentAcquisition* Acquisition() const { return acquisition_.get(); }
    // The source a live preview of a sampling document samples from; null for the others.
    LiveSamplingSource* LiveSource() const { return liveSource_.get(); }
    // How many samples of a channel, from the first of its records laid end to end, a data pane has
    // drawn up to the newest one it drew: how far a pane following a sampled record has got.
    int64_t SamplesDrawnTo() const { return samplesDrawnTo_; }
    void NoteSamplesDrawnTo(int64_t samples) { samplesDrawnTo_ = std::max(samplesDrawnTo_, samples); }
    // What the document's acquisition tells it; the document tells its sinks and observers as sampling
    // hardware would: a record started, new data arrived, the record ended and sampling stopped.
    void AcquisitionStarted(int32_t record);
    void AcquisitionData();
    void AcquisitionStopped(int32_t record, int32_t ticks);
    // The document's identity, as the module receives it.
    IUnknown* Unknown() { return static_cast<IHostDocument*>(this); }
    // The trace-display preferences its views draw with.
    DocumentDisplaySettings& DisplaySettings() { return displaySettings_; }
    // The host document behind a calculation's context (any of its faces); null for anything else.
    static Orv::ComPtr<HostDocument> FromContext(IUnknown* context);
    const std::vector<std::string>& CalculatedChannels() const { return calculatedChannels_; }
    // The texts of its items that a module's document handed back on closing, in order.
    const std::vector<std::wstring>& KeptItemTexts() const { return keptItemTexts_; }
    // Makes a module's channel calculation (its object aggregates the host's computed channel) one of the
    // document's computed channels, read as HostChannelComputed channel index; the index it got.
    // Throws std::invalid_argument for an object without the host's computed channel.
    int32_t AddComputedChannel(IUnknown* calculation);
    // The calculation of computed channel index; null for an index the document does not have.
    Orv::ComPtr<IChannelCalc> ComputedChannelCalculation(size_t index) const;
    // Computed channel index runs the calculation from now on, in its place among the channels; the
    // document's observers are told its data were worked out anew. Throws std::invalid_argument as
    // AddComputedChannel does, std::out_of_range for an index the document lacks.
    void ReplaceComputedChannel(size_t index, IUnknown* calculation);
    // The document lets go of computed channel index; those after it move up a place. Throws
    // std::out_of_range for an index the document does not have.
    void RemoveComputedChannel(size_t index);
    // The document lets go of its computed channels, which hold the document in turn (as on closing).
    void DropComputedChannels() { computedChannels_.clear(); }
    size_t ComputedChannelCount() const { return computedChannels_.size(); }
    // A recorded channel not deleted, a computed or a calculated one.
    bool HasChannel(int32_t channel) const;
    // What the host shows of computed channel index: its calculation's class name and its unit.
    std::wstring ComputedChannelTitle(size_t index) const;
    // The unit computed channel index shows its values in (prefix letter, then the name); empty: none.
    std::wstring ComputedChannelUnit(size_t index) const;
    // The class name of computed channel index's calculation, its title among the document's channels.
    std::wstring ComputedChannelName(size_t index) const;
    // The calculation text computed channel index runs; empty when its calculation tells none.
    std::string ComputedChannelText(size_t index) const;
    // What computed channel index shows at ticks [startTick, endTick) of the record, a value a tick.
    HRESULT ReadComputedChannel(size_t index, int32_t record, int32_t startTick, int32_t endTick, float* values);
    // Counts the changes of the calculations of the document's items: what a computed channel shows may
    // have changed since a reader last saw another count.
    uint64_t CalculationRevision() const { return calculationRevision_; }
    // The functions a module registered, for the texts of the document (its items, its calculated
    // channels and the calculations made for it).
    void SetFunctionLookup(Calc::FunctionLookup lookup)
    {
        lookup_ = std::move(lookup);
        ForgetCompiledItems();
    }
    // What a text of the document is compiled against.
    Calc::CompileContext CompileContextOf() const;
    // The texts of the event sources an item's calculation reads directly (the calls among the arguments
    // of its outermost call that give events): what its events were found at. Empty for an item without
    // a calculation or one that reads none.
    std::vector<std::wstring> ItemEventSources(HostItemId id) const;
    // The named items that hold a calculation, each name with its text, in the order they were named.
    std::vector<std::pair<std::wstring, std::wstring>> ItemCalculations() const;

    // Tells the document's observers an event of a host group (document, range, manager events).
    void Tell(const GUID& group, USHORT number, void* data) { subject_.Send(group, number, data); }
    // Tells them a notification of the host's fixed ids.
    void TellFixed(ULONG id) { subject_.Notify(id, nullptr); }
    // Every recorded channel shown in its recorded unit again, as before any channel setup.
    void RestoreRecordedConversions();
    // How the host shows a recorded channel in a record: value = recorded sample * scale + offset, in unit
    // (prefix included), the unit the channel's conversion shows (a calibration the module applied); as
    // recorded when the conversion tells nothing.
    struct ChannelShowing
    {
        double scale = 1.0;
        double offset = 0.0;
        std::wstring unit;
        bool operator==(const ChannelShowing&) const = default;
    };
    ChannelShowing ShowingOf(size_t channel, size_t record) const;
    // Counts the changes of how channels are shown (a channel setup applied, the recorded units restored).
    uint64_t ConversionRevision() const { return conversionRevision_; }
    // The recording's samples changed under the document: what was worked out from them goes.
    void ForgetSampleResults() { ForgetCompiledItems(); }
    // The recording lost the record, those after it moving up a place: what the document holds by record
    // moves with them (a selection in the record goes), and what was worked out from the records goes.
    void RecordDeleted(int32_t record);
    // The named items that hold a calculation: the event sources a person may delete.
    std::vector<std::wstring> NamedEventSources() const;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return references_.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return references_.Drop(this); }

    // IHostDocument
    HRESULT STDMETHODCALLTYPE GetTickInterval(uint32_t flags, int32_t record, double* seconds) override;
    HRESULT STDMETHODCALLTYPE AdjustStartPosition(uint32_t kind, int32_t record, int32_t channel,
                                                  TickPosition* position) override;
    HRESULT STDMETHODCALLTYPE OpenChannelEnum(uint32_t request, int32_t record, int32_t channel,
                                              IUnknown** enumerator) override;
    HRESULT STDMETHODCALLTYPE GetChannelData(uint32_t request, int32_t record, int32_t channel,
                                             IUnknown** object) override;
    HRESULT STDMETHODCALLTYPE GetRecordCount(int32_t* count, int32_t* current) override;
    HRESULT STDMETHODCALLTYPE GetChannelConversion(int32_t position, int32_t record, int32_t channel,
                                                   IUnitConversion** conversion) override;
    HRESULT STDMETHODCALLTYPE GetRecordLength(uint32_t reserved, int32_t record, int32_t* ticks) override;
    HRESULT STDMETHODCALLTYPE GetChannelConversionEx(uint32_t flags, int32_t record, int32_t channel,
                                                     IUnitConversion** conversion) override;
    HRESULT STDMETHODCALLTYPE GetRecordingEnd(uint32_t channel, uint64_t* position) override;
    HRESULT STDMETHODCALLTYPE GetChannelCount(int32_t* count) override;
    HRESULT STDMETHODCALLTYPE GetRecordHandle(int32_t record, ULONG_PTR* handle) override;
    HRESULT STDMETHODCALLTYPE GetSampleCount(uint32_t flags, ULONG_PTR record, int32_t channel,
                                             int32_t* count) override;
    HRESULT STDMETHODCALLTYPE ApplyChannelSetup(uint32_t reserved1, uint32_t reserved2, int32_t channel,
                                                uint32_t scope, IUnknown* object) override;
    HRESULT STDMETHODCALLTYPE GetDocumentData(IUnknown** data) override;
    HRESULT STDMETHODCALLTYPE GetChannelSettings(IUnknown** settings) override;
    // IHostChannelSettings: the recorded channels are set up for recording, the calculated ones are not.
    HRESULT STDMETHODCALLTYPE GetRecordingChannel(int32_t channel, IUnknown** object) override;
    // IHostChannelDescriptions: a recorded channel's title is its name in the recording, a calculated
    // one's its text. A channel's samples stay its source's while its slot holds no calculation or one
    // whose text reads the channel itself.
    HRESULT STDMETHODCALLTYPE GetChannelTitle(int32_t channel, BSTR* title) override;
    HRESULT STDMETHODCALLTYPE IsCalculationOnSource(int32_t channel, VARIANT_BOOL* onSource) override;
    // IHostChannelDisplay: a channel is shown over the range of all its samples, those still to be sampled
    // too when the document samples a recording known ahead, so that a display set up before sampling holds
    // what comes.
    HRESULT STDMETHODCALLTYPE GetDisplayRange(int32_t channel, uint32_t kind, double* low, double* high) override;
    HRESULT STDMETHODCALLTYPE UpdateDisplay(uint32_t) override
    {
        ++displayUpdates_;
        return S_OK;
    }
    int DisplayUpdates() const { return displayUpdates_; }
    // The stand-in's windows know no choice of time display: only a test gives the document one.
    HRESULT STDMETHODCALLTYPE GetTimeDisplayMode(uint32_t* mode) override
    {
        if (!mode)
            return E_POINTER;
        if (!timeDisplayMode_)
            return S_FALSE;
        *mode = *timeDisplayMode_;
        return S_OK;
    }
    void SetTimeDisplayMode(std::optional<uint32_t> mode) { timeDisplayMode_ = mode; }

    // IHostDocumentData, IHostCalcSlots and IHostChannelCounts: the calculations of the channels, recorded
    // and calculated ones alike.
    HRESULT STDMETHODCALLTYPE GetChannelCalculation(int32_t channel, int32_t selector, IUnknown** object) override;
    HRESULT STDMETHODCALLTYPE OpenTarget(int32_t channel, int32_t selector, IHostCalcTarget** target) override;
    HRESULT STDMETHODCALLTYPE GetAllChannelCount(int32_t* count) override;
    HRESULT STDMETHODCALLTYPE GetRecordedChannelCount(int32_t* count) override;
    HRESULT STDMETHODCALLTYPE GetCalculationChannelCount(uint32_t reserved, int32_t* count) override;
    // The slot of a channel the document has; throws std::out_of_range for another.
    ChannelCalcSlot& ChannelCalculation(int32_t channel, int32_t selector);

    // Shows the channel in one record with the conversion, or (null) without any; a later
    // ApplyChannelSetup of the channel replaces it. Throws std::out_of_range for a record or channel the
    // document does not have.
    void SetRecordConversion(int32_t channel, int32_t record, IUnitConversion* conversion);

    // IHostSamplingTarget: only an acquiring document has a sampling sink.
    HRESULT STDMETHODCALLTYPE GetSamplingSink(IHostSamplingSink** sink) override;
    // IHostRecordingState: a channel's text is its name in the recording; the end position is S_FALSE,
    // nothing written, without records.
    HRESULT STDMETHODCALLTYPE GetChannelText(int32_t channel, uint32_t position, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetEndPosition(uint32_t reserved, HostEndPosition* position) override;
    // IHostVirtualChannels: the new channel's text is the text calculation installed at its reference.
    HRESULT STDMETHODCALLTYPE CreateVirtualChannel(uint32_t, uint16_t, uint32_t, BSTR* name, HostItemId* channel) override;
    HRESULT STDMETHODCALLTYPE RemoveVirtualChannel(uint32_t, const WCHAR* name) override;
    // The events of calculated channel index (vch index + 1) in the record from the tick on; E_INVALIDARG
    // when its text yields no events.
    HRESULT OpenCalculatedChannelEvents(int32_t index, int32_t record, int32_t startTick, IEnumEventEx** events);

    // ISampleHolderSource: nothing samples into the stand-in's holders, so a holder shows the
    // document's own records, as a data source for a trace display's pane.
    HRESULT STDMETHODCALLTYPE CreateHolder(ULONG, IUnknown** holder) override;
    // On a holder (an acquiring document): the samples it holds, and those that arrive from now on, are
    // kept in the storage alone, which its panes and calculations read them back from; no storage brings
    // them back into memory. E_UNEXPECTED on another document.
    HRESULT STDMETHODCALLTYPE SetStorage(ULONG, IStorage* storage) override;

    // IHostSamplingSources (a sampling document only): its one live source, ready until its acquisition
    // has ended.
    HRESULT STDMETHODCALLTYPE GetState(ULONG, LONG* state) override;
    HRESULT STDMETHODCALLTYPE GetSourceCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE PrepareSource(LONG index, LONG, ULONG, ISamplingSource** source) override;

    // IOnlineDataSource
    HRESULT STDMETHODCALLTYPE AddSink(IOnlineDataSink* sink) override;
    HRESULT STDMETHODCALLTYPE RemoveSink(IOnlineDataSink* sink) override;

    // IHostDataItems
    HRESULT STDMETHODCALLTYPE AddChannelEntry(int32_t channel, int32_t position, const ChannelEntry* entry) override;
    HRESULT STDMETHODCALLTYPE RemoveChannelEntry(int32_t channel, int32_t position, const ChannelEntry* entry) override;
    HRESULT STDMETHODCALLTYPE GetChannelEntry(int32_t channel, int32_t position, int32_t index, ChannelEntry* entry,
                                              int32_t* count) override;
    HRESULT STDMETHODCALLTYPE ResolveSourceName(const WCHAR* name, HostSourcePair* source) override;
    // The event sources: the calculated channels (vchN, titled by their texts), then the named items
    // that hold a calculation (titled by their names).
    HRESULT STDMETHODCALLTYPE GetSourceName(uint32_t kind, int32_t index, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE SourceHasEvents(const WCHAR* name, VARIANT_BOOL* hasEvents) override;
    HRESULT STDMETHODCALLTYPE GetSourceDisplayText(const WCHAR* name, BSTR* text) override;
    // Read from the texts: a text reads the names it holds as words.
    HRESULT STDMETHODCALLTYPE ChannelReads(int32_t channel, const WCHAR* name, VARIANT_BOOL* reads) override;

    // IHostCalcItems
    HRESULT STDMETHODCALLTYPE FindItem(const WCHAR* name, HostItemId* id) override;
    HRESULT STDMETHODCALLTYPE SetItemCalculation(HostItemId id, const WCHAR* text, BSTR* message) override;
    HRESULT STDMETHODCALLTYPE DropItemCalculation(HostItemId id) override;
    HRESULT STDMETHODCALLTYPE OpenItemEvents(HostItemId id, uint32_t request, uint32_t kind, int32_t record,
                                             int32_t startTick, int32_t endTick, IUnknown** events) override;
    HRESULT STDMETHODCALLTYPE FormatItemId(HostItemId id, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE KeepItemText(const WCHAR* text) override;
    HRESULT STDMETHODCALLTYPE OpenTextEvents(uint32_t request, const WCHAR* text, uint32_t flags, int32_t record,
                                             int32_t startTick, int32_t endTick, IUnknown** events) override;

    // IHostChildData
    HRESULT STDMETHODCALLTYPE AttachChildData(IStrixDataChildData* data) override;
    HRESULT STDMETHODCALLTYPE DetachChildData(IStrixDataChildData* data) override;
    HRESULT STDMETHODCALLTYPE FindChildData(ULONG typeId, IStrixDataChildData** data) override;
    // IHostRecordData: the document's records share its child data.
    HRESULT STDMETHODCALLTYPE GetChildDataContainer(IUnknown** container) override;
    // IHostChildDataContainer
    HRESULT STDMETHODCALLTYPE FindChild(ULONG reserved, ULONG typeId, IUnknown** child) override;
    // IHostCommentData: an event's sample counts over the records laid end to end; a channel shows its own
    // recorded source, named by its index.
    HRESULT STDMETHODCALLTYPE LocateEvent(ULONG sample, ULONG word, LONG* blockIndex, ULONG* offset) override;
    HRESULT STDMETHODCALLTYPE GetSourceValue(ULONG position, LONG channel, ULONG* value) override;

    // IHostSampling: a sampling document samples from its first feed until it tells its sinks that
    // sampling stopped. Its subject (ISubject) tells its observers too: sampling event 0 (VARIANT_TRUE)
    // when sampling starts, 16 when it stops.
    HRESULT STDMETHODCALLTYPE IsSampling(ULONG reserved, int16_t* sampling) override;
    HRESULT STDMETHODCALLTYPE IsRecording(ULONG reserved, LONG which, int16_t* recording) override;
    // Only a sampling document that has not run out of data can be started or stopped.
    HRESULT STDMETHODCALLTYPE CanToggleSampling() override;
    // Never busy: the stand-in saves synchronously, and a document's settings may be edited while it
    // samples (the settings' live preview is for that).
    HRESULT STDMETHODCALLTYPE IsBusy(int16_t* busy) override;

    // IHostSelection; nothing is selected until the host selects. The document is its own selection source
    // too (IHostSelectionSource, DocumentSelection.h).
    HRESULT STDMETHODCALLTYPE GetSelection(TickPosition* start, TickPosition* end) override;
    HRESULT STDMETHODCALLTYPE SelectRange(int32_t channel, const TickPosition* start, const TickPosition* end) override;
    // A selection of the time range over every channel.
    void SetSelection(TickPosition start, TickPosition end);
    // What a person selects in the host's views: the time range over every channel (none when start and
    // end are the same), told to the document's observers as the host tells a selection.
    void SelectByUser(TickPosition start, TickPosition end);
    // The channel the last SelectRange made the selected one; -1 before.
    int32_t SelectedChannel() const { return selectedChannel_; }
    HRESULT STDMETHODCALLTYPE ClearSelection() override;
    // The stand-in keeps the channels and the time range; every channel shares the last time range.
    HRESULT STDMETHODCALLTYPE AddChannelSelection(int32_t channel, double low, double high, TickPosition start,
                                                  TickPosition end) override;
    HRESULT STDMETHODCALLTYPE IncludesChannel(int32_t channel, VARIANT_BOOL* included) override;
    // The channels a selection covers; none: every channel.
    const std::vector<int32_t>& SelectedChannels() const { return selectedChannels_; }

    // IAnalysisManager
    HRESULT STDMETHODCALLTYPE RegisterClient(const WCHAR* name, const WCHAR* title, LONG* clientId) override;
    HRESULT STDMETHODCALLTYPE RegisterPersister(LONG clientId, LONG flavour, IUnknown* persister,
                                                VARIANT_BOOL dirty) override;
    HRESULT STDMETHODCALLTYPE SettingsChanged(LONG clientId) override;
    HRESULT STDMETHODCALLTYPE IsLinked(LONG clientId, VARIANT_BOOL* linked) override;
    HRESULT STDMETHODCALLTYPE TakeRegion(LONG clientId, ULONG_PTR argument, uint64_t start, uint64_t end) override;
    const std::vector<std::wstring>& AnalysisClients() const { return analysisClients_; }
    // Their titles, in the same order.
    const std::vector<std::wstring>& AnalysisTitles() const { return analysisTitles_; }
    int SettingsChangeCount() const { return settingsChanges_; }
    std::optional<std::pair<uint64_t, uint64_t>> ReportedRegion() const { return reportedRegion_; }

    // IVyrDocumentPersistence: a later registration of a kind replaces the earlier one.
    HRESULT STDMETHODCALLTYPE RegisterPersister(IUnknown* frame, ULONG kind, IUnknown* persister, ULONG, ULONG,
                                                BSTR* name) override;
    // The settings persisters the modules registered, by kind.
    const std::map<ULONG, Orv::ComPtr<IPersistStreamInit>>& SettingsPersisters() const { return persisters_; }

private:
    bool IsAnalysisClient(LONG clientId) const;

    // A named data item and the text of its calculation (none: empty).
    struct NamedItem
    {
        std::string name; // lower case
        std::string text;
        // The text compiled once: every reader of the item shares its events, worked out once per
        // record, rather than running the calculation again from the record's start.
        Calc::EventNodePtr events;
        // The event sources the text reads (ItemEventSources), found for the text in sourcesOf.
        mutable std::string sourcesOf;
        mutable std::vector<std::wstring> eventSources;
    };
    // The compiled item of that name goes, and every compiled item whose text may name one that went (a
    // text that holds the name at all); no name: every compiled item.
    void ForgetCompiledItems(const std::string& changed = {});
    std::vector<std::wstring> EventSourceNames() const;
    // The text that makes the channel's samples (recorded channels, then calculated ones); empty for none.
    std::string ChannelText(int32_t channel) const;
    // Whether the text, or a calculated channel or item it reads (followed keeps those seen), holds what
    // holds looks for.
    bool TextReads(const std::string& text, const std::function<bool(const std::string&)>& holds,
                   std::vector<std::string>& followed) const;
    bool CallsClientFunction(const std::string& text) const;
    bool IsAnalysisSource(const NamedItem& item) const;

    HostDocument(const Recording* recording, SampleFeed* feed, std::vector<std::string> calculatedChannels);
    ~HostDocument() = default;
    friend class Calc::HeapReferenceCount;

    bool RecordArrived(int32_t record) const;
    bool IsRecordedChannel(int32_t channel) const;
    // Why the conversion cannot show the channel: empty when every recorded sample stays a float.
    std::wstring FloatRangeRefusal(size_t channel, IUnitConversion& conversion) const;
    // The computed channel a channel of the document is (they follow the recorded ones), if it is one.
    std::optional<size_t> ComputedChannelOf(int32_t channel) const;
    // The calculated channels follow the recorded and the computed ones in the document's channels.
    size_t FirstCalculatedChannel() const;
    bool ChannelExists(uint32_t kind, int32_t channel) const;
    // The samples a request asks for; throws for a channel the document does not have.
    Calc::SampleNodePtr ChannelNode(uint32_t request, int32_t channel);
    template <class Call>
    void NotifySinks(Call&& call);
    void TellRecordStarted(int32_t record);
    void TellSamplingStopped();
    NamedItem* ItemOf(HostItemId id);

    // A text of the document before its first record can name channels it does not have yet: only its
    // syntax is checked then.
    void CheckText(const std::wstring& text) const;

    const Recording* recording_;
    std::unique_ptr<Recording> ownRecording_;
    std::unique_ptr<DocumentAcquisition> acquisition_;
    std::unique_ptr<LiveSamplingSource> liveSource_;
    int64_t samplesDrawnTo_ = 0;
    std::unique_ptr<RecordingFeed> ownFeed_;
    SampleFeed* feed_ = nullptr;
    std::vector<std::string> calculatedChannels_;
    // The calculated channels made at run time follow those the document was made with.
    size_t firstVirtualChannel_ = 0;
    std::vector<Orv::ComPtr<IUnknown>> computedChannels_;
    uint64_t calculationRevision_ = 0;
    std::vector<Orv::ComPtr<IOnlineDataSink>> sinks_;
    std::map<std::pair<int32_t, int32_t>, std::vector<ChannelEntry>> entries_; // by (channel, position code)
    std::vector<NamedItem> items_; // an item's id is its index
    std::vector<std::wstring> keptItemTexts_;
    std::vector<Orv::ComPtr<IStrixDataChildData>> childData_;
    std::map<ULONG, Orv::ComPtr<IPersistStreamInit>> persisters_; // by kind
    Calc::FunctionLookup lookup_;
    // The conversion of each channel, made from its recorded unit until a channel setup replaces it, and
    // the records that show a channel otherwise.
    Orv::ComPtr<IUnitConversion> ChannelConversion(int32_t channel);
    Calc::ShownScale ShownScaleOf(size_t channel, size_t record) const;
    // The record's own conversion of the channel, else the channel's; null before either was set.
    IUnitConversion* ConversionShowing(size_t channel, size_t record) const;
    HRESULT DisplayConversion(int32_t record, int32_t channel, IUnitConversion** conversion);
    Calc::ShownScaleLookup ShownScaleLookup() const;
    std::map<int32_t, Orv::ComPtr<IUnitConversion>> channelConversions_;
    uint64_t conversionRevision_ = 0;
    std::map<std::pair<int32_t, int32_t>, Orv::ComPtr<IUnitConversion>> recordConversions_; // by (channel, record)
    // Samples are scaled at every read, a few thousand samples at a time: the scale of each conversion (which
    // never changes: a calibration brings a new one, held here so that its address is not reused) and of
    // each recorded unit is worked out once.
    Calc::ShownScale ScaleOfConversion(IUnitConversion& conversion, size_t channel) const;
    Calc::ShownScale ScaleOfRecordedUnit(size_t channel) const;
    mutable std::map<IUnitConversion*, std::pair<Orv::ComPtr<IUnitConversion>, Calc::ShownScale>> conversionScales_;
    mutable std::map<std::string, Calc::ShownScale, std::less<>> recordedUnitScales_;
    std::optional<std::pair<TickPosition, TickPosition>> selection_;
    DocumentSelectionSource selectionSource_{*this};
    DocumentDisplaySettings displaySettings_{Unknown()};
    int32_t selectedChannel_ = -1;
    std::vector<int32_t> selectedChannels_; // none: every channel
    std::vector<std::wstring> analysisClients_;
    std::vector<std::wstring> analysisTitles_;
    int settingsChanges_ = 0;
    bool sampling_ = false;
    DocumentSubject subject_{static_cast<IHostDocument*>(this)};
    std::optional<std::pair<uint64_t, uint64_t>> reportedRegion_;
    ChannelCalculations calculations_;
    int displayUpdates_ = 0;
    std::optional<uint32_t> timeDisplayMode_;
    Calc::HeapReferenceCount references_;
};

} // namespace Host
