#include "host/app/document/HostDocument.h"

#include "host/app/document/PaneDataSource.h"

#include "host/app/calc/CalcCompiler.h"
#include "host/app/calc/CalcSyntax.h"
#include "host/app/files/TextConversion.h"
#include "hostapi/CalcInterfaces.h"
#include "hostapi/ChannelCalcHost.h"

#include "host/vyr/ComObjects.h"
#include "host/vyr/UnitConversions.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/text/String.h"
#include "foundation/com/ErrorReason.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <sstream>
#include <cwctype>
#include <stdexcept>

namespace Host
{
namespace
{

// Answered only by the host's own documents, so that the host's calculations find their recording.
constexpr GUID IID_HostDocumentObject = {0x7A40C3E1, 0x5D92, 0x4B08, {0x8E, 0x6F, 0x13, 0xA2, 0x95, 0xC7, 0x40, 0xDB}};

// A sampling document tells its sinks that the record is being recorded.
constexpr int16_t Recorded = -1; // VARIANT_TRUE
template <class Interface>
HRESULT Hand(Interface* object, IUnknown** out)
{
    *out = object;
    object->AddRef();
    return S_OK;
}

// The data object of one recorded channel; it keeps its document alive.
class ChannelDataObject final : public Vyr::HeapComObject<IHostChannelData, &IID_IHostChannelData>
{
public:
    ChannelDataObject(HostDocument& document, int32_t channel) : document_(&document), channel_(channel) {}

    HRESULT STDMETHODCALLTYPE OpenEnum(uint32_t request, int32_t record, int32_t endTick, uint32_t,
                                       IUnknown** enumerator) override
    {
        if (!enumerator)
            return E_POINTER;
        *enumerator = nullptr;
        // The stand-in's channels always run to the record's end.
        if (endTick != HostRecordEnd)
            return E_INVALIDARG;
        return document_->OpenChannelEnum(request, record, channel_, enumerator);
    }

private:
    Orv::ComPtr<HostDocument> document_;
    int32_t channel_;
};

// A channel enumerator of the document; the document, whose recording it reads, lives as long as it.
class DocumentChannelEnum final : public Calc::CountedObject<IEnumFloatEx>
{
public:
    DocumentChannelEnum(HostDocument& document, Calc::SampleNodePtr channel, size_t record)
        : document_(&document), samples_(new Calc::ChannelEnumAdaptor(document.Data(), std::move(channel), record))
    {
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx** clone) override { return samples_->Clone(clone); }
    HRESULT STDMETHODCALLTYPE Skip(int32_t count, int32_t* skipped) override { return samples_->Skip(count, skipped); }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override { return samples_->GetPosition(tick); }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override { return samples_->GetDataFormat(format); }
    HRESULT STDMETHODCALLTYPE GetScale(TimeBase* timeBase) override { return samples_->GetScale(timeBase); }
    HRESULT STDMETHODCALLTYPE Next(int32_t count, float* samples, int32_t* fetched) override
    {
        return samples_->Next(count, samples, fetched);
    }
    void STDMETHODCALLTYPE DeleteThis() override { CountedObject::DeleteThis(); }

private:
    Orv::ComPtr<HostDocument> document_;
    Orv::ComPtr<IEnumFloatEx> samples_;
};

// The events of a document's item in one record; the document lives as long as it.
class DocumentEventEnum final : public Calc::CountedObject<IEnumEventEx>
{
public:
    DocumentEventEnum(HostDocument& document, Calc::EventNodePtr events, size_t record)
        : document_(&document), events_(new Calc::EventEnumAdaptor(document.Data(), std::move(events), record))
    {
    }

    HRESULT STDMETHODCALLTYPE Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                   int32_t* nextPosition) override
    {
        return events_->Next(byteCount, limit, records, count, nextPosition);
    }
    HRESULT STDMETHODCALLTYPE Seek(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd) override
    {
        return events_->Seek(direction, tick, rangeStart, rangeEnd);
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override { return events_->GetPosition(tick); }
    HRESULT STDMETHODCALLTYPE Clone(IEnumEventEx** clone) override { return events_->Clone(clone); }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override { return events_->GetDataFormat(format); }
    HRESULT STDMETHODCALLTYPE GetRecordSize(int32_t* bytes) override { return events_->GetRecordSize(bytes); }
    HRESULT STDMETHODCALLTYPE GetUnitName(IUnknown** unit) override { return events_->GetUnitName(unit); }
    HRESULT STDMETHODCALLTYPE GetEventCount(int32_t* count) override { return events_->GetEventCount(count); }
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) override { return events_->GetTimeBase(timeBase); }

private:
    Orv::ComPtr<HostDocument> document_;
    Orv::ComPtr<IEnumEventEx> events_;
};

// A computed channel's samples: what the host's computed-channel object shows of its calculation.
class ComputedChannelNode final : public Calc::SampleNode
{
public:
    ComputedChannelNode(HostDocument& document, IComputedChannelStandIn* channel) : document_(document), channel_(channel)
    {
    }

    Calc::Extent Available(size_t record) const override { return Calc::RecordExtent(document_.Data(), record); }
    void Compute(size_t record, int64_t first, std::span<float> out) const override
    {
        const HRESULT hr = channel_->ReadValues(document_.Unknown(), static_cast<int32_t>(record),
                                                static_cast<int32_t>(first),
                                                static_cast<int32_t>(first + static_cast<int64_t>(out.size())),
                                                out.data());
        if (FAILED(hr))
            throw std::runtime_error("the computed channel cannot give its values");
    }

private:
    HostDocument& document_; // the channel enumerator that reads this node holds the document
    Orv::ComPtr<IComputedChannelStandIn> channel_;
};

} // namespace

Orv::ComPtr<HostDocument> HostDocument::Offline(const Recording& recording, std::vector<std::string> calculatedChannels)
{
    if (!recording.IsFinished())
        throw std::invalid_argument("an offline document shows a finished recording");
    return Orv::ComPtr<HostDocument>(new HostDocument(&recording, nullptr, std::move(calculatedChannels)));
}

Orv::ComPtr<HostDocument> HostDocument::Sampling(const Recording& source, std::vector<std::string> calculatedChannels)
{
    auto feed = std::make_unique<RecordingFeed>(source);
    Orv::ComPtr<HostDocument> document = Sampling(*feed, std::move(calculatedChannels));
    document->ownFeed_ = std::move(feed);
    return document;
}

Orv::ComPtr<HostDocument> HostDocument::Sampling(SampleFeed& feed, std::vector<std::string> calculatedChannels)
{
    Orv::ComPtr<HostDocument> document(new HostDocument(nullptr, &feed, std::move(calculatedChannels)));
    document->liveSource_ = std::make_unique<LiveSamplingSource>(*document.Get());
    return document;
}

Orv::ComPtr<HostDocument> HostDocument::Acquiring()
{
    Orv::ComPtr<HostDocument> document(new HostDocument(nullptr, nullptr, {}));
    document->ownRecording_ = std::make_unique<Recording>(std::vector<ChannelInfo>{});
    document->recording_ = document->ownRecording_.get();
    document->acquisition_ = std::make_unique<DocumentAcquisition>(*document.Get(), *document->ownRecording_);
    return document;
}

HostDocument::HostDocument(const Recording* recording, SampleFeed* feed, std::vector<std::string> calculatedChannels)
    : recording_(recording), feed_(feed), calculatedChannels_(std::move(calculatedChannels)),
      firstVirtualChannel_(calculatedChannels_.size()), calculations_([this](const std::wstring& text) { CheckText(text); })
{}

void HostDocument::CheckText(const std::wstring& text) const
{
    if (acquisition_ && Data().RecordCount() == 0)
        Calc::ParseExpression(ToUtf8(text));
    else
        Calc::CompileExpression(ToUtf8(text), CompileContextOf());
}

void HostDocument::FeedSamples(int64_t count)
{
    if (!feed_)
        throw std::logic_error("an offline document is not sampled");
    if (feed_->IsDone())
        return;
    const Recording& live = feed_->Live();
    const size_t recordsBefore = live.RecordCount();
    if (!sampling_)
    {
        sampling_ = true;
        VARIANT_BOOL started = VARIANT_TRUE;
        subject_.Send(HostSamplingEventGUID, HostSamplingEventNumber::Started, &started);
    }
    feed_->Feed(count);
    const auto record = static_cast<int32_t>(live.RecordCount() - 1);
    const Record& current = live.RecordAt(static_cast<size_t>(record));
    const auto ticks = static_cast<int32_t>(current.Length());
    if (live.RecordCount() != recordsBefore)
        TellRecordStarted(record);
    AcquisitionData();
    if (current.IsComplete())
    {
        NotifySinks([&](IOnlineDataSink& sink) { sink.OnRecordEnd(record, ticks); });
        if (liveSource_)
            liveSource_->RecordEnded();
    }
    if (feed_->IsDone() || (current.IsComplete() && feed_->StopsAfterEachRecord()))
        TellSamplingStopped();
}

void HostDocument::StopSampling()
{
    if (!ownFeed_)
        throw std::logic_error("only a document that plays a recording can stop its sampling");
    if (ownFeed_->IsDone())
        return;
    const Recording& live = ownFeed_->Live();
    const bool recordOpen = live.RecordCount() > 0 && !live.RecordAt(live.RecordCount() - 1).IsComplete();
    ownFeed_->Stop();
    if (recordOpen)
    {
        const auto record = static_cast<int32_t>(live.RecordCount() - 1);
        const auto ticks = static_cast<int32_t>(live.RecordAt(live.RecordCount() - 1).Length());
        NotifySinks([&](IOnlineDataSink& sink) { sink.OnRecordEnd(record, ticks); });
        if (liveSource_)
            liveSource_->RecordEnded();
    }
    if (sampling_)
        TellSamplingStopped();
}

void HostDocument::TellRecordStarted(int32_t record)
{
    subject_.Send(HostDocEventGUID, HostDocEventNumber::RecordAdded, &record);
    NotifySinks([&](IOnlineDataSink& sink) {
        sink.OnSamplingStarted(record, 0, static_cast<uint32_t>(Data().Channels().size()), 0, 0, 0, 0, 0, 0, 0, 0,
                               Recorded);
    });
}

void HostDocument::TellSamplingStopped()
{
    sampling_ = false;
    NotifySinks([](IOnlineDataSink& sink) { sink.OnSamplingStopped(0); });
    subject_.Send(HostSamplingEventGUID, HostSamplingEventNumber::Stopped, nullptr);
}

void HostDocument::AcquisitionStarted(int32_t record)
{
    if (!sampling_)
    {
        sampling_ = true;
        VARIANT_BOOL started = VARIANT_TRUE;
        subject_.Send(HostSamplingEventGUID, HostSamplingEventNumber::Started, &started);
    }
    TellRecordStarted(record);
}

void HostDocument::AcquisitionData()
{
    NotifySinks([](IOnlineDataSink& sink) { sink.OnNewData(0); });
    if (liveSource_)
        liveSource_->DataArrived();
}

void HostDocument::AcquisitionStopped(int32_t record, int32_t ticks)
{
    NotifySinks([&](IOnlineDataSink& sink) { sink.OnRecordEnd(record, ticks); });
    TellSamplingStopped();
}

HRESULT STDMETHODCALLTYPE HostDocument::GetChannelText(int32_t channel, uint32_t, BSTR* text)
{
    if (!text)
        return E_POINTER;
    *text = nullptr;
    const auto& channels = Data().Channels();
    if (channel < 0 || static_cast<size_t>(channel) >= channels.size())
        return E_INVALIDARG;
    const std::wstring name = FromUtf8(channels[static_cast<size_t>(channel)].name);
    return Orv::CatchReturn([&] { return Vyr::CopyToBstr(name, text); });
}

HRESULT STDMETHODCALLTYPE HostDocument::GetEndPosition(uint32_t, HostEndPosition* position)
{
    if (!position)
        return E_POINTER;
    if (Data().RecordCount() == 0)
        return S_FALSE;
    const size_t last = Data().RecordCount() - 1;
    position->mRecordOffset = static_cast<int32_t>(Data().RecordAt(last).Length());
    position->record = static_cast<int32_t>(last);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::CreateVirtualChannel(uint32_t, uint16_t, uint32_t, BSTR* name,
                                                             HostItemId* channel)
{
    if (!channel)
        return E_POINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        const auto index = static_cast<int32_t>(calculatedChannels_.size());
        if (name)
        {
            const HRESULT named = Vyr::CopyToBstr(L"vch" + std::to_wstring(index + 1), name);
            if (FAILED(named))
                return named;
        }
        calculatedChannels_.emplace_back();
        *channel = HostItemId{index, HostVirtualChannelSelector};
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HostDocument::RemoveVirtualChannel(uint32_t, const WCHAR* name)
{
    if (!name)
        return E_POINTER;
    HostSourcePair source{};
    if (LowerCase(ToUtf8(name)).rfind("vch", 0) != 0 || ResolveSourceName(name, &source) != S_OK ||
        static_cast<size_t>(source.value) < firstVirtualChannel_)
        return E_INVALIDARG;
    return Orv::CatchReturn([&] {
        calculations_.Slot(source.value, HostVirtualChannelSelector).Hold(0, nullptr);
        if (static_cast<size_t>(source.value) + 1 == calculatedChannels_.size())
            calculatedChannels_.pop_back();
        ForgetCompiledItems();
    });
}

HRESULT HostDocument::OpenCalculatedChannelEvents(int32_t index, int32_t record, int32_t startTick,
                                                  IEnumEventEx** events)
{
    if (!events)
        return E_POINTER;
    *events = nullptr;
    if (!ChannelExists(HostChannelCalculated, index) || !RecordArrived(record))
        return E_INVALIDARG;
    return Orv::CatchReturn([&]() -> HRESULT {
        const auto compiled = Calc::CompileExpression("vch" + std::to_string(index + 1), CompileContextOf());
        if (compiled.kind != Calc::ValueKind::Events)
            return E_INVALIDARG;
        Orv::ComPtr<IEnumEventEx> opened(new DocumentEventEnum(*this, compiled.events, static_cast<size_t>(record)));
        opened->Seek(CalcSeekForward, std::max(startTick, 0), std::max(startTick, 0), CalcNoMoreEventsTick);
        *events = opened.Detach();
        return S_OK;
    });
}

template <class Call>
void HostDocument::NotifySinks(Call&& call)
{
    // A sink may leave the registry while it is being notified.
    const std::vector<Orv::ComPtr<IOnlineDataSink>> sinks = sinks_;
    for (const auto& sink : sinks)
        call(*sink.Get());
}

HRESULT STDMETHODCALLTYPE HostDocument::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IHostDocument || iid == IID_HostDocumentObject || iid == IID_IVyrHostDocumentFace)
        *out = static_cast<IHostDocument*>(this);
    else if (iid == IID_IHostRecordData)
        *out = static_cast<IHostRecordData*>(this);
    else if (iid == IID_IOnlineDataSource)
        *out = static_cast<IOnlineDataSource*>(this);
    else if (iid == IID_IHostDataItems)
        *out = static_cast<IHostDataItems*>(this);
    else if (iid == IID_IHostCalcItems)
        *out = static_cast<IHostCalcItems*>(this);
    else if (iid == IID_IHostChildData)
        *out = static_cast<IHostChildData*>(this);
    else if (iid == IID_IHostChildDataContainer)
        *out = static_cast<IHostChildDataContainer*>(this);
    else if (iid == IID_IHostCommentData)
        *out = static_cast<IHostCommentData*>(this);
    else if (iid == IID_IHostSampling)
        *out = static_cast<IHostSampling*>(this);
    else if (iid == IID_IHostSelection)
        *out = static_cast<IHostSelection*>(this);
    else if (iid == IID_IHostSelectionSource)
        *out = static_cast<IHostSelectionSource*>(&selectionSource_);
    else if (iid == IID_IHostUnitsFallback)
        *out = selectionSource_.Fallback();
    else if (iid == IID_IHostViewSettings)
        *out = static_cast<IHostViewSettings*>(&displaySettings_);
    else if (iid == IID_IAnalysisManager)
        *out = static_cast<IAnalysisManager*>(this);
    else if (iid == IID_IVyrDocumentPersistence)
        *out = static_cast<IVyrDocumentPersistence*>(this);
    else if (iid == IID_ISubject)
        *out = static_cast<ISubject*>(&subject_);
    else if (iid == IID_IHostDocumentData)
        *out = static_cast<IHostDocumentData*>(this);
    else if (iid == IID_IHostCalcSlots)
        *out = static_cast<IHostCalcSlots*>(this);
    else if (iid == IID_IHostChannelCounts)
        *out = static_cast<IHostChannelCounts*>(this);
    else if (iid == IID_IHostChannelSettings)
        *out = static_cast<IHostChannelSettings*>(this);
    else if (iid == IID_IHostSamplingTarget && acquisition_)
        *out = static_cast<IHostSamplingTarget*>(this);
    else if (iid == IID_IHostSamplingSink && acquisition_)
        *out = static_cast<IHostSamplingSink*>(acquisition_.get());
    else if (iid == IID_IHostSamplingSources && liveSource_)
        *out = static_cast<IHostSamplingSources*>(this);
    else if (iid == IID_IHostRecordingState)
        *out = static_cast<IHostRecordingState*>(this);
    else if (iid == IID_IHostVirtualChannels)
        *out = static_cast<IHostVirtualChannels*>(this);
    else if (iid == IID_IHostChannelDescriptions)
        *out = static_cast<IHostChannelDescriptions*>(this);
    else if (iid == IID_IHostChannelDisplay)
        *out = static_cast<IHostChannelDisplay*>(this);
    else if (iid == IID_ISampleHolderSource)
        *out = static_cast<ISampleHolderSource*>(this);
    else if (iid == IID_IPaneDataSource)
        return Orv::CatchReturn([&] { *out = static_cast<IPaneDataSource*>(new PaneDataSource(this)); });
    else
        *out = nullptr;
    if (!*out)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::IsSampling(ULONG, int16_t* sampling)
{
    return Orv::AnswerValue(sampling, static_cast<int16_t>(sampling_ ? VARIANT_TRUE : 0));
}

HRESULT STDMETHODCALLTYPE HostDocument::IsRecording(ULONG, LONG, int16_t* recording)
{
    return IsSampling(0, recording);
}

HRESULT STDMETHODCALLTYPE HostDocument::CanToggleSampling()
{
    return IsSamplingDone() ? S_FALSE : S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::IsBusy(int16_t* busy)
{
    return Orv::AnswerValue(busy, int16_t{0});
}

// Every client that registered is linked to the document's analysis.
HRESULT STDMETHODCALLTYPE HostDocument::RegisterClient(const WCHAR* name, const WCHAR* title, LONG* clientId)
{
    if (!name || !clientId)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        analysisTitles_.emplace_back(title ? title : L"");
        analysisClients_.emplace_back(name);
        *clientId = static_cast<LONG>(analysisClients_.size() - 1);
    });
}

HRESULT STDMETHODCALLTYPE HostDocument::RegisterPersister(LONG clientId, LONG, IUnknown*, VARIANT_BOOL)
{
    return IsAnalysisClient(clientId) ? S_OK : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE HostDocument::RegisterPersister(IUnknown*, ULONG kind, IUnknown* persister, ULONG, ULONG,
                                                          BSTR* name)
{
    if (name)
        *name = nullptr;
    if (!persister)
        return E_POINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        Orv::ComPtr<IPersistStreamInit> stream;
        if (FAILED(persister->QueryInterface(IID_IPersistStreamInit, stream.PutVoid())))
            return E_NOINTERFACE;
        persisters_[kind] = stream;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HostDocument::SettingsChanged(LONG clientId)
{
    if (!IsAnalysisClient(clientId))
        return E_INVALIDARG;
    ++settingsChanges_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::IsLinked(LONG clientId, VARIANT_BOOL* linked)
{
    return Orv::AnswerValue(linked, static_cast<VARIANT_BOOL>(IsAnalysisClient(clientId) ? VARIANT_TRUE : VARIANT_FALSE));
}

HRESULT STDMETHODCALLTYPE HostDocument::TakeRegion(LONG clientId, ULONG_PTR, uint64_t start, uint64_t end)
{
    if (!IsAnalysisClient(clientId))
        return E_INVALIDARG;
    reportedRegion_ = {start, end};
    return S_OK;
}

bool HostDocument::IsAnalysisClient(LONG clientId) const
{
    return clientId >= 0 && static_cast<size_t>(clientId) < analysisClients_.size();
}

Orv::ComPtr<HostDocument> HostDocument::FromContext(IUnknown* context)
{
    IHostDocument* document = nullptr;
    if (!context || FAILED(context->QueryInterface(IID_HostDocumentObject, reinterpret_cast<void**>(&document))))
        return nullptr;
    auto held = Orv::ComPtr<HostDocument>::Adopt(static_cast<HostDocument*>(document));
    return held;
}

bool HostDocument::RecordArrived(int32_t record) const
{
    return record >= 0 && static_cast<size_t>(record) < Data().RecordCount();
}

bool HostDocument::IsRecordedChannel(int32_t channel) const
{
    return channel >= 0 && static_cast<size_t>(channel) < Data().Channels().size() &&
           !Data().Channels()[static_cast<size_t>(channel)].deleted;
}

bool HostDocument::ChannelExists(uint32_t kind, int32_t channel) const
{
    if ((kind & HostChannelKindMask) == HostChannelComputed)
        return channel >= 0 && static_cast<size_t>(channel) < computedChannels_.size();
    if ((kind & HostChannelKindMask) == HostChannelCalculated)
        return channel >= 0 && static_cast<size_t>(channel) < calculatedChannels_.size();
    return IsRecordedChannel(channel);
}

Calc::SampleNodePtr HostDocument::ChannelNode(uint32_t request, int32_t channel)
{
    if ((request & HostChannelKindMask) == HostChannelCalculated)
    {
        const auto compiled = Calc::CompileExpression("vch" + std::to_string(channel + 1), CompileContextOf());
        if (compiled.kind != Calc::ValueKind::Channel)
            throw std::invalid_argument("calculated channel " + std::to_string(channel + 1) + " yields events");
        return compiled.channel;
    }
    if ((request & HostChannelKindMask) == HostChannelComputed)
    {
        if (!ChannelExists(HostChannelComputed, channel))
            throw std::invalid_argument("there is no computed channel " + std::to_string(channel + 1));
        Orv::ComPtr<IComputedChannelStandIn> shown;
        computedChannels_[static_cast<size_t>(channel)]->QueryInterface(IID_IComputedChannelStandIn, shown.PutVoid());
        return std::make_shared<ComputedChannelNode>(*this, shown.Get());
    }
    if (!IsRecordedChannel(channel))
        throw std::invalid_argument("there is no channel " + std::to_string(channel + 1));
    return Calc::MakeShownChannel(Data(), static_cast<size_t>(channel), ShownScaleLookup());
}

HRESULT STDMETHODCALLTYPE HostDocument::GetTickInterval(uint32_t, int32_t record, double* seconds)
{
    if (!seconds)
        return E_POINTER;
    if (!RecordArrived(record))
        return E_INVALIDARG;
    *seconds = Data().RecordAt(static_cast<size_t>(record)).SampleInterval();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::AdjustStartPosition(uint32_t kind, int32_t record, int32_t channel,
                                                            TickPosition* position)
{
    if (!position)
        return E_POINTER;
    if (record < 0 || !ChannelExists(kind, channel))
        return E_INVALIDARG;
    position->record = record;
    position->tick = std::max(position->tick, 0);
    if (RecordArrived(record))
    {
        const Record& data = Data().RecordAt(static_cast<size_t>(record));
        if (data.IsComplete())
            position->tick = static_cast<int32_t>(std::min<int64_t>(position->tick, data.Length()));
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::OpenChannelEnum(uint32_t request, int32_t record, int32_t channel,
                                                        IUnknown** enumerator)
{
    if (!enumerator)
        return E_POINTER;
    *enumerator = nullptr;
    if (record < 0)
        return E_INVALIDARG;
    return Orv::CatchReturn([&] {
        Orv::ComPtr<IEnumFloatEx> opened(
            new DocumentChannelEnum(*this, ChannelNode(request, channel), static_cast<size_t>(record)));
        return Hand(opened.Get(), enumerator);
    });
}

HRESULT STDMETHODCALLTYPE HostDocument::GetChannelData(uint32_t request, int32_t record, int32_t channel,
                                                       IUnknown** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if ((request & HostChannelKindMask) == HostChannelCalculated || !RecordArrived(record) ||
        !IsRecordedChannel(channel))
        return E_INVALIDARG;
    return Orv::CatchReturn([&] {
        auto data = Orv::ComPtr<IHostChannelData>::Adopt(new ChannelDataObject(*this, channel));
        return Hand(data.Get(), object);
    });
}

HRESULT STDMETHODCALLTYPE HostDocument::AddSink(IOnlineDataSink* sink)
{
    if (!sink)
        return E_POINTER;
    return Orv::CatchReturn([&] { sinks_.emplace_back(sink); });
}

HRESULT STDMETHODCALLTYPE HostDocument::RemoveSink(IOnlineDataSink* sink)
{
    const auto found = std::find_if(sinks_.begin(), sinks_.end(), [&](const auto& held) { return held.Get() == sink; });
    if (found == sinks_.end())
        return S_FALSE;
    sinks_.erase(found);
    return S_OK;
}

bool HostDocument::IsSink(IUnknown* object) const
{
    const auto identity = [](IUnknown* face) {
        Orv::ComPtr<IUnknown> unknown;
        if (face)
            face->QueryInterface(IID_IUnknown, unknown.PutVoid());
        return unknown;
    };
    const Orv::ComPtr<IUnknown> wanted = identity(object);
    return wanted && std::any_of(sinks_.begin(), sinks_.end(),
                                 [&](const auto& held) { return identity(held.Get()).Get() == wanted.Get(); });
}

HRESULT STDMETHODCALLTYPE HostDocument::AddChannelEntry(int32_t channel, int32_t position, const ChannelEntry* entry)
{
    if (!entry)
        return E_POINTER;
    if (!IsRecordedChannel(channel))
        return E_INVALIDARG;
    return Orv::CatchReturn([&] { entries_[{channel, position}].push_back(*entry); });
}

HRESULT STDMETHODCALLTYPE HostDocument::RemoveChannelEntry(int32_t channel, int32_t position, const ChannelEntry* entry)
{
    if (!entry)
        return E_POINTER;
    const auto list = entries_.find({channel, position});
    if (list == entries_.end())
        return S_FALSE;
    auto& held = list->second;
    const auto found = std::find_if(held.begin(), held.end(), [&](const ChannelEntry& e) {
        return e.value == entry->value && e.kind == entry->kind;
    });
    if (found == held.end())
        return S_FALSE;
    held.erase(found);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetChannelEntry(int32_t channel, int32_t position, int32_t index,
                                                        ChannelEntry* entry, int32_t* count)
{
    if (!entry || !count)
        return E_POINTER;
    const auto list = entries_.find({channel, position});
    const size_t size = list == entries_.end() ? 0 : list->second.size();
    *count = static_cast<int32_t>(size);
    if (index < 0 || static_cast<size_t>(index) >= size)
        return S_FALSE;
    *entry = list->second[static_cast<size_t>(index)];
    return S_OK;
}

void HostDocument::RestoreRecordedConversions()
{
    channelConversions_.clear();
    recordConversions_.clear();
    ++conversionRevision_;
    ForgetCompiledItems();
}

HRESULT STDMETHODCALLTYPE HostDocument::GetRecordCount(int32_t* count, int32_t* current)
{
    if (!count || !current)
        return E_POINTER;
    *count = static_cast<int32_t>(Data().RecordCount());
    *current = *count - 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetRecordLength(uint32_t, int32_t record, int32_t* ticks)
{
    if (!ticks)
        return E_POINTER;
    if (!RecordArrived(record))
        return E_INVALIDARG;
    *ticks = static_cast<int32_t>(Data().RecordAt(static_cast<size_t>(record)).Length());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetRecordingEnd(uint32_t, uint64_t* position)
{
    if (!position)
        return E_POINTER;
    const size_t records = Data().RecordCount();
    *position = 0;
    if (records > 0)
    {
        const uint64_t last = records - 1;
        *position = last << 32 | static_cast<uint32_t>(Data().RecordAt(last).Length());
    }
    return S_OK;
}

// The document's channels: the recorded ones, then the computed ones, as the trace view shows them.
HRESULT STDMETHODCALLTYPE HostDocument::GetChannelCount(int32_t* count)
{
    return Orv::AnswerValue(count, static_cast<int32_t>(Data().Channels().size() + computedChannels_.size()));
}

// A record's handle is its number plus one, so that no handle is 0.
HRESULT STDMETHODCALLTYPE HostDocument::GetRecordHandle(int32_t record, ULONG_PTR* handle)
{
    if (!handle)
        return E_POINTER;
    if (!RecordArrived(record))
        return E_INVALIDARG;
    *handle = static_cast<ULONG_PTR>(record) + 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetSampleCount(uint32_t, ULONG_PTR handle, int32_t channel, int32_t* count)
{
    if (!count)
        return E_POINTER;
    const int32_t record = static_cast<int32_t>(handle) - 1;
    if (handle == 0 || !RecordArrived(record) || !IsRecordedChannel(channel))
        return E_INVALIDARG;
    *count = static_cast<int32_t>(Data().RecordAt(static_cast<size_t>(record)).Length());
    return S_OK;
}

Orv::ComPtr<IUnitConversion> HostDocument::ChannelConversion(int32_t channel)
{
    Orv::ComPtr<IUnitConversion>& conversion = channelConversions_[channel];
    if (!conversion)
    {
        const ChannelInfo& info = Data().Channels().at(static_cast<size_t>(channel));
        conversion = Vyr::MakeIdentityConversion(FromUtf8(info.unit), FromUtf8(info.name));
    }
    return conversion;
}

// The whole document shows a channel in the conversion it was set up with, whatever single records show.
HRESULT STDMETHODCALLTYPE HostDocument::GetChannelConversionEx(uint32_t flags, int32_t record, int32_t channel,
                                                               IUnitConversion** conversion)
{
    if (record != HostWholeDocumentRecord)
        return GetChannelConversion(static_cast<int32_t>(flags), record, channel, conversion);
    if (!conversion)
        return E_POINTER;
    *conversion = nullptr;
    if (!IsRecordedChannel(channel))
        return E_INVALIDARG;
    return Orv::CatchReturn([&] { *conversion = ChannelConversion(channel).Detach(); });
}

HRESULT STDMETHODCALLTYPE HostDocument::GetChannelConversion(int32_t position, int32_t record, int32_t channel,
                                                             IUnitConversion** conversion)
{
    if (position == HostDisplayConversion)
        return DisplayConversion(record, channel, conversion);
    if (!conversion)
        return E_POINTER;
    *conversion = nullptr;
    // Callers pass a position code or request flags first; the stand-in answers every form alike.
    if (!IsRecordedChannel(channel))
        return E_INVALIDARG;
    return Orv::CatchReturn([&]() -> HRESULT {
        Orv::ComPtr<IUnitConversion> found;
        // A document opened from a file keeps the channel set-up it was recorded with, so that more
        // can be recorded into it: new recordings are shown as the channel is set up, sampling or not.
        if (record == HostNewRecordings || (record == HostDefaultRecord && Data().RecordCount() == 0))
        {
            found = ChannelConversion(channel);
        }
        else
        {
            if (record == HostDefaultRecord)
                record = 0;
            if (!RecordArrived(record))
                return E_INVALIDARG;
            const auto shown = recordConversions_.find({channel, record});
            found = shown != recordConversions_.end() ? shown->second : ChannelConversion(channel);
        }
        *conversion = found.Detach();
        return *conversion ? S_OK : S_FALSE;
    });
}

// Calculations give a channel's values in the units its conversion shows, without their prefix; the
// display adds the prefix.
HRESULT HostDocument::DisplayConversion(int32_t record, int32_t channel, IUnitConversion** conversion)
{
    Orv::ComPtr<IUnitConversion> units;
    const HRESULT hr = GetChannelConversion(HostUnsetPosition, record, channel, units.Put());
    if (hr != S_OK)
        return hr;
    return Orv::CatchReturn([&]() -> HRESULT {
        Vyr::ConversionFacts facts;
        if (!Vyr::ReadConversionFacts(*units.Get(), facts))
            return E_FAIL;
        *conversion = Vyr::MakeDisplayConversion(facts.shownUnit).Detach();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HostDocument::ApplyChannelSetup(uint32_t, uint32_t, int32_t channel, uint32_t,
                                                          IUnknown* object)
{
    if (!object)
        return E_POINTER;
    if (!IsRecordedChannel(channel))
        return E_INVALIDARG;
    return Orv::CatchReturn([&]() -> HRESULT {
        Orv::ComPtr<IUnitConversion> conversion;
        const HRESULT hr = object->QueryInterface(IID_IUnitConversion, conversion.PutVoid());
        if (FAILED(hr))
            return hr;
        if (const std::wstring refusal = FloatRangeRefusal(static_cast<size_t>(channel), *conversion.Get());
            !refusal.empty())
            return Orv::FailWithReason(E_INVALIDARG, IID_IHostDocument, refusal.c_str());
        std::erase_if(recordConversions_, [channel](const auto& entry) { return entry.first.first == channel; });
        channelConversions_[channel] = conversion;
        ++conversionRevision_;
        return S_OK;
    });
}

// Calculations read the channel's samples as floats through its conversion: one that takes a recorded
// sample beyond the float range would turn it into an infinity.
std::wstring HostDocument::FloatRangeRefusal(size_t channel, IUnitConversion& conversion) const
{
    Vyr::ConversionFacts facts;
    if (!Vyr::ReadConversionFacts(conversion, facts) || !facts.inUse)
        return {};
    const double scale = facts.scale * facts.rawPrefixFactor;
    double largest = 0.0;
    for (size_t record = 0; record < Data().RecordCount(); ++record)
        Data().RecordAt(record).ForEachStretch(channel, [&](std::span<const float> samples) {
            for (float sample : samples)
                largest = std::max(largest, std::abs(static_cast<double>(sample) * scale + facts.offset));
        });
    if (std::isfinite(scale) && std::isfinite(facts.offset) && largest <= std::numeric_limits<float>::max())
        return {};
    std::wostringstream text;
    text << L"the calibration of channel " << channel + 1 << L" takes its samples out of the float range (to "
         << largest << L")";
    return text.str();
}

void HostDocument::SetRecordConversion(int32_t channel, int32_t record, IUnitConversion* conversion)
{
    if (!IsRecordedChannel(channel) || !RecordArrived(record))
        throw std::out_of_range("no such channel or record");
    recordConversions_[{channel, record}] = Orv::ComPtr<IUnitConversion>(conversion);
    ++conversionRevision_;
}

// Samples are kept as recorded, with the recorded unit's prefix; calculations read them without it,
// through the conversion that shows the channel (a calibration the module applied scales them).
Calc::ShownScale HostDocument::ShownScaleOf(size_t channel, size_t record) const
{
    IUnitConversion* conversion = ConversionShowing(channel, record);
    return conversion ? ScaleOfConversion(*conversion, channel) : ScaleOfRecordedUnit(channel);
}

IUnitConversion* HostDocument::ConversionShowing(size_t channel, size_t record) const
{
    const auto key = std::make_pair(static_cast<int32_t>(channel), static_cast<int32_t>(record));
    if (const auto shown = recordConversions_.find(key); shown != recordConversions_.end())
        return shown->second.Get();
    if (const auto set = channelConversions_.find(key.first); set != channelConversions_.end())
        return set->second.Get();
    return nullptr;
}

Calc::ShownScale HostDocument::ScaleOfConversion(IUnitConversion& conversion, size_t channel) const
{
    if (const auto known = conversionScales_.find(&conversion); known != conversionScales_.end())
        return known->second.second;
    Vyr::ConversionFacts facts;
    if (!Vyr::ReadConversionFacts(conversion, facts))
        return ScaleOfRecordedUnit(channel);
    // The conversion maps values without prefixes onto values without prefixes.
    const double scale = facts.inUse ? facts.scale : 1.0, offset = facts.inUse ? facts.offset : 0.0;
    const std::wstring shownUnit = facts.inUse ? facts.shownUnit : FromUtf8(Data().Channels().at(channel).unit);
    const Calc::ShownScale shown{scale * facts.rawPrefixFactor, offset, facts.rawPrefixFactor,
                                 Vyr::SplitUnitText(shownUnit).Name()};
    conversionScales_.emplace(&conversion, std::make_pair(Orv::ComPtr<IUnitConversion>(&conversion), shown));
    return shown;
}

Calc::ShownScale HostDocument::ScaleOfRecordedUnit(size_t channel) const
{
    const std::string& unit = Data().Channels().at(channel).unit;
    auto known = recordedUnitScales_.find(unit);
    if (known == recordedUnitScales_.end())
        known = recordedUnitScales_.emplace(unit, RecordedUnitScale(unit)).first;
    return known->second;
}

Calc::ShownScale RecordedUnitScale(const std::string& unit)
{
    const double factor = Vyr::RecordedPrefixFactor(FromUtf8(unit));
    return {factor, 0.0, factor, Vyr::SplitUnitText(FromUtf8(unit)).Name()};
}

Calc::ShownScaleLookup RecordedUnitsLookup(const Recording& recording)
{
    std::vector<Calc::ShownScale> scales;
    for (const ChannelInfo& channel : recording.Channels())
        scales.push_back(RecordedUnitScale(channel.unit));
    return [scales](size_t channel, size_t) { return scales.at(channel); };
}

Calc::ShownScaleLookup HostDocument::ShownScaleLookup() const
{
    return [this](size_t channel, size_t record) { return ShownScaleOf(channel, record); };
}

Calc::CompileContext HostDocument::CompileContextOf() const
{
    Calc::CompileContext context{Data(), lookup_, calculatedChannels_, {}, {}, ShownScaleLookup()};
    for (size_t index = firstVirtualChannel_; index < calculatedChannels_.size(); ++index)
        if (const std::wstring* text = calculations_.FindText(static_cast<int32_t>(index), HostVirtualChannelSelector))
            context.calculatedChannels[index] = ToUtf8(*text);
    for (const NamedItem& item : items_)
        if (!item.text.empty())
        {
            context.namedItems.emplace(item.name, item.text);
            if (item.events)
                context.compiledItems.emplace(item.name, item.events);
        }
    return context;
}

std::vector<std::wstring> HostDocument::ItemEventSources(HostItemId id) const
{
    if (id.second != 0 || id.first < 0 || static_cast<size_t>(id.first) >= items_.size())
        return {};
    const NamedItem& item = items_[static_cast<size_t>(id.first)];
    // An empty text matches the empty cache it starts with: it reads no sources, and is not parsed again
    // (and refused) on every refresh of the trace view.
    if (item.sourcesOf == item.text)
        return item.eventSources;
    const std::string& text = item.text;
    std::vector<std::wstring> sources;
    try
    {
        const auto root = Calc::ParseExpression(text);
        if (root->kind != Calc::SyntaxNode::Kind::Call)
            return sources;
        for (const auto& argument : root->children)
            if (argument->kind == Calc::SyntaxNode::Kind::Call &&
                Calc::CompileExpression(argument->text, CompileContextOf()).kind == Calc::ValueKind::Events)
                sources.push_back(FromUtf8(std::string(argument->text)));
    }
    catch (const std::exception&)
    {
        // A text the engine refuses reads nothing the view could mark.
    }
    item.sourcesOf = text;
    item.eventSources = sources;
    return sources;
}

HostDocument::NamedItem* HostDocument::ItemOf(HostItemId id)
{
    if (id.second != 0 || id.first < 0 || static_cast<size_t>(id.first) >= items_.size())
        return nullptr;
    return &items_[static_cast<size_t>(id.first)];
}

std::vector<std::pair<std::wstring, std::wstring>> HostDocument::ItemCalculations() const
{
    std::vector<std::pair<std::wstring, std::wstring>> calculations;
    for (const NamedItem& item : items_)
        if (!item.text.empty())
            calculations.emplace_back(FromUtf8(item.name), FromUtf8(item.text));
    return calculations;
}

HRESULT STDMETHODCALLTYPE HostDocument::FindItem(const WCHAR* name, HostItemId* id)
{
    if (!name || !id)
        return E_POINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        const std::string lower = LowerCase(ToUtf8(name));
        if (lower.empty())
            return E_INVALIDARG;
        auto found = std::find_if(items_.begin(), items_.end(), [&](const NamedItem& item) { return item.name == lower; });
        if (found == items_.end())
            found = items_.insert(items_.end(), NamedItem{lower, {}});
        *id = HostItemId{static_cast<int32_t>(found - items_.begin()), 0};
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HostDocument::SetItemCalculation(HostItemId id, const WCHAR* text, BSTR* message)
{
    if (!text)
        return E_POINTER;
    if (message)
        *message = nullptr;
    NamedItem* item = ItemOf(id);
    if (!item)
        return E_INVALIDARG;
    return Orv::CatchReturn([&]() -> HRESULT {
        const std::string source = ToUtf8(text);
        // Compiled with the item's old text in place, so that the new text cannot name the item itself.
        try
        {
            Calc::CompileContext context = CompileContextOf();
            context.namedItems.erase(item->name);
            // From the texts alone: a compiled item may still hold the old text of the one that changes.
            context.compiledItems.clear();
            Calc::CompileExpression(source, context);
        }
        catch (const Calc::CalcTextError& e)
        {
            if (message)
                *message = SysAllocString(FromUtf8(e.what()).c_str());
            return E_INVALIDARG;
        }
        item->text = source;
        ForgetCompiledItems(item->name);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HostDocument::DropItemCalculation(HostItemId id)
{
    NamedItem* item = ItemOf(id);
    if (!item)
        return E_INVALIDARG;
    if (item->text.empty())
        return S_FALSE;
    item->text.clear();
    ForgetCompiledItems(item->name);
    return S_OK;
}

void HostDocument::ForgetCompiledItems(const std::string& changed)
{
    ++calculationRevision_;
    std::vector<std::string> gone{changed};
    for (size_t index = 0; index < gone.size(); ++index)
        for (NamedItem& item : items_)
            if (item.events && (item.name == gone[index] || LowerCase(item.text).find(gone[index]) != std::string::npos))
            {
                item.events.reset();
                gone.push_back(item.name);
            }
}

HRESULT STDMETHODCALLTYPE HostDocument::OpenItemEvents(HostItemId id, uint32_t request, uint32_t kind, int32_t record,
                                                       int32_t startTick, int32_t endTick, IUnknown** events)
{
    if (!events)
        return E_POINTER;
    *events = nullptr;
    NamedItem* item = ItemOf(id);
    if (!item || item->text.empty() || request != HostItemEventsRequest || kind != CalcKindEvents ||
        endTick != HostRecordEnd || !RecordArrived(record))
        return E_INVALIDARG;
    return Orv::CatchReturn([&]() -> HRESULT {
        if (!item->events)
        {
            const auto compiled = Calc::CompileExpression(item->text, CompileContextOf());
            if (compiled.kind != Calc::ValueKind::Events)
                return E_INVALIDARG;
            item->events = compiled.events;
        }
        Orv::ComPtr<IEnumEventEx> opened(new DocumentEventEnum(*this, item->events, static_cast<size_t>(record)));
        opened->Seek(CalcSeekForward, std::max(startTick, 0), std::max(startTick, 0), CalcNoMoreEventsTick);
        return Hand(opened.Get(), events);
    });
}

HRESULT STDMETHODCALLTYPE HostDocument::FormatItemId(HostItemId id, BSTR* text)
{
    if (!text)
        return E_POINTER;
    *text = nullptr;
    const NamedItem* item = ItemOf(id);
    if (!item)
        return E_INVALIDARG;
    *text = SysAllocString(FromUtf8(item->name).c_str());
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE HostDocument::OpenTextEvents(uint32_t request, const WCHAR* text, uint32_t flags,
                                                       int32_t record, int32_t startTick, int32_t, IUnknown** events)
{
    if (!events || !text)
        return E_POINTER;
    *events = nullptr;
    if (request != HostTextEventsRequest || flags != CalcKindEvents || !RecordArrived(record))
        return E_INVALIDARG;
    return Orv::CatchReturn([&]() -> HRESULT {
        Calc::CompiledExpression compiled;
        try
        {
            compiled = Calc::CompileExpression(ToUtf8(text), CompileContextOf());
        }
        catch (const Calc::CalcTextError&)
        {
            return E_INVALIDARG;
        }
        if (compiled.kind != Calc::ValueKind::Events)
            return E_INVALIDARG;
        Orv::ComPtr<IEnumEventEx> opened(new DocumentEventEnum(*this, compiled.events, static_cast<size_t>(record)));
        opened->Seek(CalcSeekForward, std::max(startTick, 0), std::max(startTick, 0), CalcNoMoreEventsTick);
        return Hand(opened.Get(), events);
    });
}

HRESULT STDMETHODCALLTYPE HostDocument::KeepItemText(const WCHAR* text)
{
    if (!text)
        return E_POINTER;
    try
    {
        keptItemTexts_.emplace_back(text);
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE HostDocument::AttachChildData(IStrixDataChildData* data)
{
    if (!data)
        return E_POINTER;
    return Orv::CatchReturn([&] { childData_.emplace_back(data); });
}

HRESULT STDMETHODCALLTYPE HostDocument::DetachChildData(IStrixDataChildData* data)
{
    const auto found =
        std::find_if(childData_.begin(), childData_.end(), [&](const auto& held) { return held.Get() == data; });
    if (found == childData_.end())
        return S_FALSE;
    childData_.erase(found);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetChildDataContainer(IUnknown** container)
{
    if (!container)
        return E_POINTER;
    *container = static_cast<IHostChildDataContainer*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::LocateEvent(ULONG sample, ULONG, LONG* blockIndex, ULONG* offset)
{
    if (!blockIndex || !offset)
        return E_POINTER;
    const Recording& data = Data();
    int64_t before = 0;
    for (size_t record = 0; record < data.RecordCount(); ++record)
    {
        const int64_t length = data.RecordAt(record).Length();
        if (static_cast<int64_t>(sample) < before + length)
        {
            *blockIndex = static_cast<LONG>(record);
            *offset = static_cast<ULONG>(static_cast<int64_t>(sample) - before);
            return S_OK;
        }
        before += length;
    }
    return E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetSourceValue(ULONG, LONG channel, ULONG* value)
{
    if (!value)
        return E_POINTER;
    if (channel < 0 || static_cast<size_t>(channel) >= Data().Channels().size())
        return E_INVALIDARG;
    *value = static_cast<ULONG>(channel);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::FindChild(ULONG, ULONG typeId, IUnknown** child)
{
    if (!child)
        return E_POINTER;
    IStrixDataChildData* data = nullptr;
    const HRESULT found = FindChildData(typeId, &data);
    *child = data;
    return found;
}

HRESULT STDMETHODCALLTYPE HostDocument::FindChildData(ULONG typeId, IStrixDataChildData** data)
{
    if (!data)
        return E_POINTER;
    *data = nullptr;
    for (const auto& held : childData_)
    {
        ULONG heldType = 0;
        if (SUCCEEDED(held->GetTypeId(&heldType)) && heldType == typeId)
        {
            *data = held.Get();
            held->AddRef();
            return S_OK;
        }
    }
    return S_FALSE;
}

} // namespace Host

namespace Host
{

HRESULT STDMETHODCALLTYPE HostDocument::GetDocumentData(IUnknown** data)
{
    if (!data)
        return E_POINTER;
    *data = static_cast<IHostDocumentData*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetChannelSettings(IUnknown** settings)
{
    if (!settings)
        return E_POINTER;
    *settings = static_cast<IHostChannelSettings*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetRecordingChannel(int32_t channel, IUnknown** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!HasChannel(channel))
        return E_INVALIDARG;
    if (!IsRecordedChannel(channel))
        return S_FALSE;
    *object = static_cast<IHostDocument*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetChannelTitle(int32_t channel, BSTR* title)
{
    if (!title)
        return E_POINTER;
    *title = nullptr;
    // A deleted recorded channel keeps its place in the module's channel lists, which are positional:
    // its title says it is gone rather than leaving an empty line there.
    const bool deleted = channel >= 0 && static_cast<size_t>(channel) < Data().Channels().size() && !IsRecordedChannel(channel);
    if (!deleted && !HasChannel(channel))
        return E_INVALIDARG;
    const std::optional<size_t> computed = ComputedChannelOf(channel);
    const std::string text = deleted                    ? Data().Channels()[static_cast<size_t>(channel)].name + " deleted"
                             : IsRecordedChannel(channel) ? Data().Channels()[static_cast<size_t>(channel)].name
                             : computed                 ? ToUtf8(ComputedChannelName(*computed))
                                                        : calculatedChannels_[static_cast<size_t>(channel) - FirstCalculatedChannel()];
    if (text.empty())
        return S_FALSE;
    *title = SysAllocString(FromUtf8(text).c_str());
    return *title ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE HostDocument::IsCalculationOnSource(int32_t channel, VARIANT_BOOL* onSource)
{
    if (!onSource)
        return E_POINTER;
    if (!HasChannel(channel))
        return E_INVALIDARG;
    if (ComputedChannelOf(channel))
    {
        *onSource = VARIANT_FALSE;
        return S_OK;
    }
    const ChannelCalcSlot& slot = calculations_.Slot(channel, HostChannelCalcSelector);
    std::wstring text;
    for (wchar_t c : slot.Text())
        if (!std::iswspace(c))
            text += static_cast<wchar_t>(std::towlower(c));
    const bool own = slot.IsEmpty() || text == L"ch" + std::to_wstring(channel + 1);
    *onSource = own ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

bool HostDocument::HasChannel(int32_t channel) const
{
    return channel >= 0 && static_cast<size_t>(channel) < FirstCalculatedChannel() + calculatedChannels_.size() &&
           (IsRecordedChannel(channel) || static_cast<size_t>(channel) >= Data().Channels().size());
}

HRESULT STDMETHODCALLTYPE HostDocument::GetChannelCalculation(int32_t channel, int32_t selector, IUnknown** object)
{
    if (object)
        *object = nullptr;
    if (!HasChannel(channel))
        return E_INVALIDARG;
    return calculations_.GetCalculation(channel, selector, object);
}

HRESULT STDMETHODCALLTYPE HostDocument::OpenTarget(int32_t channel, int32_t selector, IHostCalcTarget** target)
{
    if (target)
        *target = nullptr;
    if (!HasChannel(channel))
        return E_INVALIDARG;
    return calculations_.OpenTarget(channel, selector, target);
}

HRESULT STDMETHODCALLTYPE HostDocument::GetAllChannelCount(int32_t* count)
{
    return Orv::AnswerValue(count, static_cast<int32_t>(FirstCalculatedChannel() + calculatedChannels_.size()));
}

HRESULT STDMETHODCALLTYPE HostDocument::GetRecordedChannelCount(int32_t* count)
{
    return Orv::AnswerValue(count, static_cast<int32_t>(Data().Channels().size()));
}

HRESULT STDMETHODCALLTYPE HostDocument::GetCalculationChannelCount(uint32_t, int32_t* count)
{
    return Orv::AnswerValue(count, calculations_.ChannelsWithCalculations());
}

ChannelCalcSlot& HostDocument::ChannelCalculation(int32_t channel, int32_t selector)
{
    if (!HasChannel(channel))
        throw std::out_of_range("there is no channel " + std::to_string(channel + 1));
    return calculations_.Slot(channel, selector);
}

} // namespace Host
