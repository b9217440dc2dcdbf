// The source that a live preview of a sampling document samples from. What the document's acquisition
// brings in reaches the sinks attached to the source (a preview's holders) from the moment the preview
// starts it: each sink gets the record being sampled from its newest tick on, tick for tick as the
// document gets it, and the record's end. Starting the source of a document that has not started
// sampling starts the document's acquisition (through the starter the host gives it); stopping it (run
// 0) ends the records its sinks are being given, while the document's own acquisition goes on under the
// host's start/stop command.
#pragma once

#include "hostapi/PreviewSampling.h"

#include "foundation/com/ComPtr.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Host
{

class HostDocument;

// Lives inside its document and counts with it.
class LiveSamplingSource final : public ISamplingSource, public IStrixDataSource
{
public:
    explicit LiveSamplingSource(HostDocument& document) : document_(document) {}
    LiveSamplingSource(const LiveSamplingSource&) = delete;
    LiveSamplingSource& operator=(const LiveSamplingSource&) = delete;

    // Starts the document's acquisition; may throw, which fails the start with the reason.
    void SetStarter(std::function<void()> starter) { starter_ = std::move(starter); }
    bool IsRunning() const { return running_; }
    size_t SinkCount() const { return sinks_.size(); }
    IHostSamplingSink* Sink(size_t index) const { return sinks_.at(index).sink.Get(); }

    // What the document tells it: new ticks, the end of the record being sampled, the end of sampling.
    void DataArrived();
    void RecordEnded();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ISamplingSource
    HRESULT STDMETHODCALLTYPE AttachSink(ULONG, IHostSamplingSink* sink) override;
    HRESULT STDMETHODCALLTYPE DetachSink(ULONG, IHostSamplingSink* sink) override;
    HRESULT STDMETHODCALLTYPE SetSampling(ULONG run) override;
    HRESULT STDMETHODCALLTYPE Start(ULONG, ULONG, LONG) override;
    HRESULT STDMETHODCALLTYPE GetStartStatus(ULONG, VARIANT_BOOL* pending, BSTR* error) override;
    HRESULT STDMETHODCALLTYPE CompleteStart(ULONG, ULONG, BSTR*) override { return S_OK; }

    // IStrixDataSource: a sink's channel samples, from the tick the sink joined the record at.
    HRESULT STDMETHODCALLTYPE SourceOperation3(uint32_t, uint32_t, uint32_t) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelData(uint32_t, int32_t channel, IUnknown** data) override;
    HRESULT STDMETHODCALLTYPE SourceOperation5(uint32_t, uint32_t, uint32_t, uint32_t) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordTicks(int64_t* ticks) override;
    HRESULT STDMETHODCALLTYPE GetRecordLength(int64_t* ticks) override;

private:
    struct Fed
    {
        Orv::ComPtr<IHostSamplingSink> sink;
        bool recordOpen = false;
        size_t record = 0;
        int64_t nextTick = 0; // of the record: the first tick the sink has not been given
    };

    // Opens the record being sampled for every sink without one and hands each the ticks it lacks.
    void Deliver();
    void Open(Fed& fed);
    static void Close(Fed& fed);
    std::vector<Fed>::iterator Find(IHostSamplingSink* sink);

    HostDocument& document_;
    std::vector<Fed> sinks_;
    std::function<void()> starter_;
    bool running_ = false;
    std::wstring startError_;
    // The record and tick whose samples the sink being opened asks for.
    size_t openingRecord_ = 0;
    int64_t openingTick_ = 0;
};

} // namespace Host
