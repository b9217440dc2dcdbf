// A host document over a recording: what a module's code asks of the document it runs on. An offline
// document shows a finished recording; a sampling document receives its recording in chunks and tells
// its online data sinks about each step.
#pragma once

#include "host/app/calc/CalcEnumAdaptors.h"
#include "host/app/recording/Recording.h"
#include "host/include/HostDocument.h"
#include "host/include/VyrServices.h"

#include "foundation/com/ComPtr.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Host
{

class HostDocument final : public IHostDocument, public IHostRecordData, public IOnlineDataSource, public IHostDataItems
{
public:
    // The recording must outlive the document. calculatedChannels: the texts of vch1, vch2, ...
    static Orv::ComPtr<HostDocument> Offline(const Recording& recording,
                                             std::vector<std::string> calculatedChannels = {});
    // Starts empty; FeedSamples brings the source's samples in.
    static Orv::ComPtr<HostDocument> Sampling(const Recording& source, std::vector<std::string> calculatedChannels = {});

    // The recording as far as it has arrived.
    const Recording& Data() const { return feed_ ? feed_->Live() : *recording_; }
    bool IsSamplingDone() const { return !feed_ || feed_->IsDone(); }
    // Samples up to count more ticks of the record being sampled, then notifies the sinks: a record
    // start, the new data, the record's end when it completes, and the end of sampling after the last.
    // Throws std::logic_error on an offline document.
    void FeedSamples(int64_t count);
    size_t SinkCount() const { return sinks_.size(); }
    // The document's identity, as the module receives it.
    IUnknown* Unknown() { return static_cast<IHostDocument*>(this); }
    // The host document behind a calculation's context (any of its faces); null for anything else.
    static Orv::ComPtr<HostDocument> FromContext(IUnknown* context);
    const std::vector<std::string>& CalculatedChannels() const { return calculatedChannels_; }

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
    HRESULT STDMETHODCALLTYPE ApplyChannelSetup(uint32_t reserved1, uint32_t reserved2, int32_t channel,
                                                uint32_t scope, IUnknown* object) override;

    // Shows the channel in one record with the conversion, or (null) without any; a later
    // ApplyChannelSetup of the channel replaces it. Throws std::out_of_range for a record or channel the
    // document does not have.
    void SetRecordConversion(int32_t channel, int32_t record, IUnitConversion* conversion);

    // IOnlineDataSource
    HRESULT STDMETHODCALLTYPE AddSink(IOnlineDataSink* sink) override;
    HRESULT STDMETHODCALLTYPE RemoveSink(IOnlineDataSink* sink) override;

    // IHostDataItems
    HRESULT STDMETHODCALLTYPE AddChannelEntry(int32_t channel, int32_t position, const ChannelEntry* entry) override;
    HRESULT STDMETHODCALLTYPE RemoveChannelEntry(int32_t channel, int32_t position, const ChannelEntry* entry) override;
    HRESULT STDMETHODCALLTYPE GetChannelEntry(int32_t channel, int32_t position, int32_t index, ChannelEntry* entry,
                                              int32_t* count) override;

private:
    HostDocument(const Recording* recording, const Recording* source, std::vector<std::string> calculatedChannels);
    ~HostDocument() = default;
    friend class Calc::HeapReferenceCount;

    bool RecordArrived(int32_t record) const;
    bool IsRecordedChannel(int32_t channel) const;
    bool ChannelExists(uint32_t kind, int32_t channel) const;
    // The samples a request asks for; throws for a channel the document does not have.
    Calc::SampleNodePtr ChannelNode(uint32_t request, int32_t channel) const;
    template <class Call>
    void NotifySinks(Call&& call);

    const Recording* recording_;
    std::optional<RecordingFeed> feed_;
    std::vector<std::string> calculatedChannels_;
    std::vector<Orv::ComPtr<IOnlineDataSink>> sinks_;
    std::map<std::pair<int32_t, int32_t>, std::vector<ChannelEntry>> entries_; // by (channel, position code)
    // The conversion of each channel, made from its recorded unit until a channel setup replaces it, and
    // the records that show a channel otherwise.
    Orv::ComPtr<IUnitConversion> ChannelConversion(int32_t channel);
    std::map<int32_t, Orv::ComPtr<IUnitConversion>> channelConversions_;
    std::map<std::pair<int32_t, int32_t>, Orv::ComPtr<IUnitConversion>> recordConversions_; // by (channel, record)
    Calc::HeapReferenceCount references_;
};

} // namespace Host
