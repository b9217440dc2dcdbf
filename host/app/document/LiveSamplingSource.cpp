#include "host/app/document/LiveSamplingSource.h"

#include "host/app/document/HostDocument.h"
#include "host/app/files/TextConversion.h"
#include "host/vyr/ComObjects.h"

#include "foundation/com/ComBoundary.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace Host
{
namespace
{

// A sink's channel periods as an exact fraction: the record's interval in nanoseconds.
constexpr int64_t PeriodDenominator = 1'000'000'000;

// One channel of a record of the document, from a tick on; the document stays while the stream is read.
class RecordSampleStream final : public Vyr::HeapComObject<IEnumFloatEx, &IID_IEnumFloatEx>
{
public:
    RecordSampleStream(HostDocument& document, size_t record, size_t channel, int64_t tick)
        : document_(&document), record_(record), channel_(channel), tick_(tick)
    {
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(int32_t count, int32_t* skipped) override
    {
        const int64_t moved = std::clamp<int64_t>(count, 0, Available());
        tick_ += moved;
        if (skipped)
            *skipped = static_cast<int32_t>(moved);
        return moved == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override
    {
        return Orv::AnswerValue(tick, static_cast<int32_t>(tick_));
    }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override { return Orv::AnswerValue(format, uint16_t{0}); }
    HRESULT STDMETHODCALLTYPE GetScale(TimeBase* timeBase) override
    {
        if (!timeBase)
            return E_POINTER;
        *timeBase = TimeBase{std::llround(Source().SampleInterval() * PeriodDenominator), PeriodDenominator, 0.0};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Next(int32_t count, float* samples, int32_t* fetched) override
    {
        if (!samples || !fetched)
            return E_POINTER;
        const int64_t taken = std::clamp<int64_t>(count, 0, Available());
        Source().Read(channel_, tick_, std::span<float>(samples, static_cast<size_t>(taken)));
        tick_ += taken;
        *fetched = static_cast<int32_t>(taken);
        return taken < count && Source().IsComplete() ? S_FALSE : S_OK;
    }
    void STDMETHODCALLTYPE DeleteThis() override { Release(); }

private:
    const Record& Source() const { return document_->Data().RecordAt(record_); }
    int64_t Available() const { return Source().Length() - tick_; }

    Orv::ComPtr<HostDocument> document_;
    size_t record_;
    size_t channel_;
    int64_t tick_;
};

} // namespace

HRESULT STDMETHODCALLTYPE LiveSamplingSource::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISamplingSource)
        *object = static_cast<ISamplingSource*>(this);
    else if (iid == IID_IStrixDataSource)
        *object = static_cast<IStrixDataSource*>(this);
    else
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE LiveSamplingSource::AddRef()
{
    return document_.AddRef();
}

ULONG STDMETHODCALLTYPE LiveSamplingSource::Release()
{
    return document_.Release();
}

std::vector<LiveSamplingSource::Fed>::iterator LiveSamplingSource::Find(IHostSamplingSink* sink)
{
    return std::find_if(sinks_.begin(), sinks_.end(), [sink](const Fed& fed) { return fed.sink.Get() == sink; });
}

HRESULT STDMETHODCALLTYPE LiveSamplingSource::AttachSink(ULONG, IHostSamplingSink* sink)
{
    if (!sink)
        return E_POINTER;
    if (Find(sink) != sinks_.end())
        return S_FALSE;
    return Orv::CatchReturn([&] {
        sinks_.push_back(Fed{Orv::ComPtr<IHostSamplingSink>(sink)});
        Deliver();
    });
}

HRESULT STDMETHODCALLTYPE LiveSamplingSource::DetachSink(ULONG, IHostSamplingSink* sink)
{
    const auto found = Find(sink);
    if (found == sinks_.end())
        return S_FALSE;
    Fed gone = *found;
    sinks_.erase(found);
    Close(gone);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LiveSamplingSource::SetSampling(ULONG run)
{
    if (run != 0)
        return E_INVALIDARG;
    running_ = false;
    for (Fed& fed : sinks_)
        Close(fed);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LiveSamplingSource::Start(ULONG, ULONG, LONG)
{
    if (running_)
        return SAMPLING_E_STARTED;
    startError_.clear();
    if (document_.IsSamplingDone())
    {
        startError_ = L"The recording has been sampled to its end: there is nothing left to sample.";
        return E_FAIL;
    }
    int16_t sampling = 0;
    document_.IsSampling(0, &sampling);
    if (!sampling && starter_)
    {
        try
        {
            starter_();
        }
        catch (const std::exception& e)
        {
            startError_ = L"Sampling could not start: " + FromUtf8(e.what());
            return E_FAIL;
        }
        catch (...)
        {
            startError_ = L"Sampling could not start.";
            return E_FAIL;
        }
    }
    running_ = true;
    return Orv::CatchReturn([&] { Deliver(); });
}

HRESULT STDMETHODCALLTYPE LiveSamplingSource::GetStartStatus(ULONG, VARIANT_BOOL* pending, BSTR* error)
{
    if (pending)
        *pending = VARIANT_FALSE;
    return error ? Vyr::CopyToBstr(startError_, error) : S_OK;
}

void LiveSamplingSource::DataArrived()
{
    Deliver();
}

// The sinks get the record's last ticks before its end.
void LiveSamplingSource::RecordEnded()
{
    Deliver();
    for (Fed& fed : sinks_)
        Close(fed);
}

void LiveSamplingSource::Deliver()
{
    const Recording& data = document_.Data();
    if (!running_ || data.RecordCount() == 0)
        return;
    const size_t record = data.RecordCount() - 1;
    const Record& current = data.RecordAt(record);
    for (Fed& fed : sinks_)
    {
        if (!fed.recordOpen && !current.IsComplete())
        {
            fed.record = record;
            fed.nextTick = current.Length();
            Open(fed);
        }
        if (!fed.recordOpen || fed.record != record)
            continue;
        const int64_t missing = current.Length() - fed.nextTick;
        if (missing > 0 && SUCCEEDED(fed.sink->AddTicks(static_cast<int32_t>(missing))))
            fed.nextTick += missing;
    }
}

void LiveSamplingSource::Open(Fed& fed)
{
    const Recording& data = document_.Data();
    const Record& record = data.RecordAt(fed.record);
    const HostRational period{std::llround(record.SampleInterval() * PeriodDenominator), PeriodDenominator};
    for (size_t channel = 0; channel < data.Channels().size(); ++channel)
        fed.sink->DeclareChannel(static_cast<int32_t>(channel), 1, VARIANT_TRUE, nullptr, period, &period,
                                 HostSampledChannelKind, nullptr);
    openingRecord_ = fed.record;
    openingTick_ = fed.nextTick;
    const double startTime = record.SampleInterval() * static_cast<double>(fed.nextTick);
    fed.recordOpen = SUCCEEDED(fed.sink->StartRecord(0, this, record.SampleInterval(), startTime, 0.0, 0, 0, 0,
                                                     VARIANT_TRUE));
}

void LiveSamplingSource::Close(Fed& fed)
{
    if (!fed.recordOpen)
        return;
    fed.recordOpen = false;
    fed.sink->StopSampling(VARIANT_TRUE);
}

HRESULT STDMETHODCALLTYPE LiveSamplingSource::GetChannelData(uint32_t, int32_t channel, IUnknown** data)
{
    if (!data)
        return E_POINTER;
    *data = nullptr;
    if (channel < 0 || static_cast<size_t>(channel) >= document_.Data().Channels().size() ||
        openingRecord_ >= document_.Data().RecordCount())
        return E_INVALIDARG;
    return Orv::CatchReturn([&] {
        *data = new RecordSampleStream(document_, openingRecord_, static_cast<size_t>(channel), openingTick_);
    });
}

HRESULT STDMETHODCALLTYPE LiveSamplingSource::GetRecordTicks(int64_t* ticks)
{
    const Recording& data = document_.Data();
    return Orv::AnswerValue(ticks, data.RecordCount() == 0 ? int64_t{0} : data.RecordAt(data.RecordCount() - 1).Length());
}

HRESULT STDMETHODCALLTYPE LiveSamplingSource::GetRecordLength(int64_t* ticks)
{
    return GetRecordTicks(ticks);
}

} // namespace Host
