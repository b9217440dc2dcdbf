#include "host/app/document/PaneDataSource.h"

#include "host/app/document/ChannelDisplay.h"
#include "host/app/document/HostDocument.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace Host
{

namespace
{

// How a drawer asks for the start of the stretch it draws.
constexpr ULONG StretchStartMode = 2;

template <class Face>
HRESULT Hand(Face* face, void** out)
{
    *out = face;
    face->AddRef();
    return S_OK;
}

// The points of a stretch of a channel: per pixel column a vertical segment over the values the column
// covers and the first of the next (so that neighbouring columns join); zoomed in below a sample per
// pixel, a segment from each column's value to the next column's.
class PointRun final : public Vyr::HeapComObject<IPointRun, &IID_IUnknown>
{
public:
    PointRun(PaneDataStore* store, LONG channel, LONGLONG start, double scale, double offset)
        : store_(store), channel_(channel), start_(start), scale_(scale), offset_(offset)
    {
    }

    HRESULT STDMETHODCALLTYPE GetSampleCount(LONGLONG* count) override { return Orv::AnswerValue(count, fetched_); }
    HRESULT STDMETHODCALLTYPE GetPosition(LONGLONG* position) override { return Orv::AnswerValue(position, start_); }

    HRESULT STDMETHODCALLTYPE Fetch(LONGLONG start, LONGLONG remaining, LONG capacity, POINT* points, LONG* count,
                                    LONGLONG* consumed) override
    {
        if (!points || !count || !consumed)
            return E_POINTER;
        const LONGLONG columns = std::min<LONGLONG>(remaining, capacity / 2);
        LONGLONG done = 0;
        LONGLONG whole = 0;
        int64_t newest = -1;
        for (; done < columns; ++done)
        {
            double first = 0.0;
            double second = 0.0;
            bool joins = false;
            if (!ColumnRange(start + done, first, second, joins, newest))
                break;
            if (whole == done && store_->HasAllOfColumn(start + done))
                ++whole;
            const LONG x = static_cast<LONG>(done);
            points[2 * done] = {x, Row(first)};
            points[2 * done + 1] = {joins ? x + 1 : x, Row(second)};
            // A line leaves out its last pixel: a column whose values all fall on one row (a flat
            // stretch) would draw nothing, so its segment reaches one row further.
            if (points[2 * done + 1].x == x && points[2 * done + 1].y == points[2 * done].y)
                ++points[2 * done + 1].y;
        }
        *count = static_cast<LONG>(2 * done);
        *consumed = done;
        if (newest >= 0)
            store_->NoteDrawnTo(newest + 1);
        // While a record is sampled its last column may still lack samples: it counts as drawn only once
        // it has them all, so that the pane draws it again with the samples that came since.
        fetched_ = std::max(fetched_, start + whole - start_);
        return S_OK;
    }

private:
    ~PointRun() override = default;

    LONG Row(double value) const { return static_cast<LONG>(std::lround((value + offset_) * scale_)); }

    // The values from the column's first sample to the next column's first: (first, next) joining the
    // columns while a column holds at most one sample, else (lowest, highest) in the column. newest: the
    // last sample the range took a value of.
    bool ColumnRange(LONGLONG column, double& first, double& second, bool& joins, int64_t& newest) const
    {
        const int64_t from = store_->SampleAt(column);
        const int64_t to = store_->SampleAt(column + 1);
        if (!store_->ValueAt(channel_, from, first))
            return false;
        newest = std::max(newest, from);
        double next = first;
        if (store_->ValueAt(channel_, to, next))
            newest = std::max(newest, to);
        joins = to <= from + 1;
        if (joins)
        {
            second = next;
            return true;
        }
        double low = first;
        double high = first;
        for (int64_t sample = from; sample <= to; ++sample)
        {
            double value = 0.0;
            if (!store_->ValueAt(channel_, sample, value))
                break;
            newest = std::max(newest, sample);
            low = std::min(low, value);
            high = std::max(high, value);
        }
        first = low;
        second = high;
        return true;
    }

    Orv::ComPtr<PaneDataStore> store_;
    LONG channel_;
    LONGLONG start_;
    LONGLONG fetched_ = 0;
    double scale_;
    double offset_;
};

} // namespace

PaneDataSource::PaneDataSource(HostDocument* document) : document_(document) {}

HRESULT STDMETHODCALLTYPE PaneDataSource::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPaneDataSource)
        return Hand(static_cast<IPaneDataSource*>(this), out);
    if (iid == IID_ISampleHolderSource)
        return Hand(static_cast<ISampleHolderSource*>(this), out);
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE PaneDataSource::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE PaneDataSource::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE PaneDataSource::CreateHolder(ULONG, IUnknown** holder)
{
    if (!holder)
        return E_POINTER;
    *holder = nullptr;
    return Orv::CatchReturn([&] { *holder = HostDocument::HolderFor(*document_.Get()).Detach()->Unknown(); });
}

// The pane follows the document's sampling as one of its online sinks.
HRESULT STDMETHODCALLTYPE PaneDataSource::AttachPane(ULONG, IUnknown* pane)
{
    Orv::ComPtr<IOnlineDataSink> sink;
    if (!pane || FAILED(pane->QueryInterface(IID_IOnlineDataSink, sink.PutVoid())) || !sink)
        return E_INVALIDARG;
    const HRESULT added = document_->AddSink(sink.Get());
    // A holder's pane starts at rest before the holder's first record: told so, it follows the newest
    // data once they come, as a pane does after any sampling.
    int16_t sampling = 0;
    if (SUCCEEDED(added) && document_->Acquisition() && SUCCEEDED(document_->IsSampling(0, &sampling)) && !sampling)
        sink->OnSamplingStopped(0);
    return added;
}

HRESULT STDMETHODCALLTYPE PaneDataSource::DetachPane(ULONG, IUnknown* pane)
{
    Orv::ComPtr<IOnlineDataSink> sink;
    if (!pane || FAILED(pane->QueryInterface(IID_IOnlineDataSink, sink.PutVoid())) || !sink)
        return E_INVALIDARG;
    return document_->RemoveSink(sink.Get());
}

HRESULT STDMETHODCALLTYPE PaneDataSource::CreateStore(ULONG, IPaneDataStore** store)
{
    if (!store)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        *store = new PaneDataStore(document_.Get());
        (*store)->AddRef();
    });
}

PaneDataStore::PaneDataStore(HostDocument* document) : document_(document) {}

HRESULT STDMETHODCALLTYPE PaneDataStore::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPaneDataStore || iid == IID_IOnlineDataSink)
        return Hand(static_cast<IPaneDataStore*>(this), out);
    if (iid == IID_IDrawerHost)
        return Hand(static_cast<IDrawerHost*>(this), out);
    if (iid == IID_IRecordDataSource)
        return Hand(static_cast<IRecordDataSource*>(this), out);
    if (iid == IID_IRecordValueTransform)
        return Hand(static_cast<IRecordValueTransform*>(this), out);
    // How the host shows its channels comes with the store's data.
    if (iid == IID_IGridOptions || iid == IID_IChannelDrawSettings || iid == IID_IPreferenceSource)
    {
        const auto settings = Orv::ComPtr<ChannelDisplaySettings>::Adopt(new ChannelDisplaySettings);
        return settings->QueryInterface(iid, out);
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE PaneDataStore::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE PaneDataStore::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

const Recording& PaneDataStore::Data() const
{
    return document_->Data();
}

double PaneDataStore::SamplesPerPixel() const
{
    return static_cast<double>(numerator_) / static_cast<double>(denominator_);
}

int64_t PaneDataStore::SampleAt(LONGLONG strip) const
{
    // Floor division: strips left of 0 lie before the first sample.
    const LONGLONG product = strip * numerator_;
    LONGLONG quotient = product / denominator_;
    if (product % denominator_ != 0 && product < 0)
        --quotient;
    return quotient;
}

bool PaneDataStore::HasAllOfColumn(LONGLONG strip) const
{
    const int64_t next = SampleAt(strip + 1);
    const int64_t total = TotalSamples();
    return next < total || (Data().RecordCount() > 0 && Data().RecordAt(Data().RecordCount() - 1).IsComplete());
}

int64_t PaneDataStore::TotalSamples() const
{
    int64_t total = 0;
    for (size_t i = 0; i < Data().RecordCount(); ++i)
        total += Data().RecordAt(i).Length();
    return total;
}

bool PaneDataStore::Locate(int64_t sample, RecordTick& where) const
{
    if (sample < 0)
        return false;
    for (size_t i = 0; i < Data().RecordCount(); ++i)
    {
        const int64_t length = Data().RecordAt(i).Length();
        if (sample < length)
        {
            where = {static_cast<LONG>(i), sample};
            return true;
        }
        sample -= length;
    }
    return false;
}

void PaneDataStore::NoteDrawnTo(int64_t sample) const
{
    document_->NoteSamplesDrawnTo(sample);
}

bool PaneDataStore::ValueAt(LONG channel, int64_t sample, double& value) const
{
    RecordTick where{};
    if (channel < 0 || static_cast<size_t>(channel) >= Data().Channels().size() || !Locate(sample, where))
        return false;
    // A holder given a storage reads its samples back from there: a stretch that cannot be read is drawn
    // as missing.
    float recorded = 0.0f;
    try
    {
        recorded = Data().RecordAt(static_cast<size_t>(where.record)).Sample(static_cast<size_t>(channel), where.tick);
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
    value = Shown(channel, where.record, recorded);
    return true;
}

double PaneDataStore::Shown(LONG channel, LONG record, double recorded) const
{
    const uint64_t revision = document_->ConversionRevision();
    if (showing_.revision != revision || showing_.channel != channel || showing_.record != record)
    {
        const HostDocument::ChannelShowing showing =
            document_->ShowingOf(static_cast<size_t>(channel), static_cast<size_t>(record));
        showing_ = {revision, channel, record, showing.scale, showing.offset};
    }
    return recorded * showing_.scale + showing_.offset;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetSinkInfo(uint32_t* info, int16_t* wants)
{
    if (info)
        *info = 0;
    if (wants)
        *wants = VARIANT_TRUE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::OnSamplingStarted(int32_t record, int32_t, uint32_t, uint32_t, uint32_t,
                                                           uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                                           int16_t)
{
    liveRecord_ = record;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::OnSamplingStopped(uint32_t)
{
    liveRecord_ = -1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::OnNewData(uint32_t)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::OnRecordEnd(int32_t, int32_t)
{
    liveRecord_ = -1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::OnRecordValuesChanged(int32_t, uint32_t)
{
    // What is shown of the records must be drawn again.
    pending_ |= 0xFF000000u;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetSinkPriority(int32_t* priority)
{
    return Orv::AnswerValue(priority, int32_t{0});
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetSinkPosition(int32_t, uint32_t, uint32_t, int32_t* position)
{
    return Orv::AnswerValue(position, int32_t{0});
}

HRESULT STDMETHODCALLTYPE PaneDataStore::SetScale(LONGLONG numerator, LONGLONG denominator)
{
    if (numerator <= 0 || denominator <= 0)
        return E_INVALIDARG;
    numerator_ = numerator;
    denominator_ = denominator;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetScale(LONGLONG* numerator, LONGLONG* denominator)
{
    if (!numerator || !denominator)
        return E_POINTER;
    *numerator = numerator_;
    *denominator = denominator_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::SetSource(ULONG, IUnknown* source)
{
    Orv::ComPtr<IPaneDataSource> face;
    if (!source || FAILED(source->QueryInterface(IID_IPaneDataSource, face.PutVoid())) || !face)
        return E_INVALIDARG;
    // Only the host's own sources can stand behind its stores.
    document_ = Orv::ComPtr<HostDocument>(static_cast<PaneDataSource*>(face.Get())->Document());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetExtent(LONGLONG* extent)
{
    if (!extent)
        return E_POINTER;
    const int64_t total = TotalSamples();
    *extent = total == 0 ? 0 : (total - 1) * denominator_ / numerator_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::StripToPosition(LONGLONG strip, LONGLONG* position)
{
    if (!position)
        return E_POINTER;
    *position = strip;
    RecordTick where{};
    return Locate(SampleAt(strip), where) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::PositionToStrip(ULONG, LONGLONG position, double, LONGLONG* strip)
{
    return Orv::AnswerValue(strip, position);
}

HRESULT STDMETHODCALLTYPE PaneDataStore::StripToRecording(LONGLONG strip, RecordingPosition* position)
{
    if (!position)
        return E_POINTER;
    RecordTick where{};
    if (!Locate(SampleAt(strip), where))
        return S_FALSE;
    position->record = where.record;
    position->tick = where.tick;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetTimeFactor(const RecordingPosition* position, double* factor)
{
    if (!position || !factor)
        return E_POINTER;
    if (position->record < 0 || static_cast<size_t>(position->record) >= Data().RecordCount())
        return E_INVALIDARG;
    *factor = Data().RecordAt(static_cast<size_t>(position->record)).SampleInterval();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetRecordsOfRange(LONGLONG from, LONGLONG to, LONG* first, LONG* last)
{
    if (!first || !last)
        return E_POINTER;
    const int64_t total = TotalSamples();
    RecordTick start{};
    RecordTick end{};
    if (total == 0 || !Locate(std::clamp<int64_t>(SampleAt(from), 0, total - 1), start) ||
        !Locate(std::clamp<int64_t>(SampleAt(to), 0, total - 1), end))
        return E_FAIL;
    *first = start.record;
    *last = end.record;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetCurrentRecord(IUnknown** record)
{
    if (!record)
        return E_POINTER;
    return Hand(static_cast<IPaneDataStore*>(this), reinterpret_cast<void**>(record));
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetPendingFlags(ULONG, ULONG* flags)
{
    return Orv::AnswerValue(flags, pending_);
}

HRESULT STDMETHODCALLTYPE PaneDataStore::ClearPendingFlags(ULONG, ULONG, ULONG flags)
{
    pending_ &= ~flags;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetLiveStart(ULONG, LONGLONG* position)
{
    return Orv::AnswerValue(position, LONGLONG{0});
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetDataSource(IUnknown** source)
{
    if (!source)
        return E_POINTER;
    return Hand(static_cast<IPaneDataStore*>(this), reinterpret_cast<void**>(source));
}

HRESULT STDMETHODCALLTYPE PaneDataStore::ToEventPosition(ULONG mode, LONGLONG position, LONGLONG* eventPosition,
                                                        LONG* record)
{
    RecordTick where{};
    if (!Locate(SampleAt(position), where))
        return S_FALSE;
    if (mode == StretchStartMode)
        eventRecord_ = where.record;
    if (eventPosition)
        *eventPosition = where.tick;
    if (record)
        *record = where.record;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::EventPositionToX(ULONG, LONG record, double position, double* x)
{
    if (!x)
        return E_POINTER;
    if (record < 0 || static_cast<size_t>(record) >= Data().RecordCount())
        return E_INVALIDARG;
    int64_t before = 0;
    for (LONG i = 0; i < record; ++i)
        before += Data().RecordAt(static_cast<size_t>(i)).Length();
    *x = (static_cast<double>(before) + position) / SamplesPerPixel();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetHorizontalScale(double* scale)
{
    if (!scale)
        return E_POINTER;
    scale[0] = SamplesPerPixel();
    scale[1] = 0.0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetEventTypeColours(ULONG, IUnknown** provider)
{
    if (provider)
        *provider = nullptr;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetLiveRecord(ULONG, LONG* record)
{
    return Orv::AnswerValue(record, liveRecord_);
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetRange(ULONG, LONG channel, LONGLONG from, LONGLONG to, double* low,
                                                 double* high, ULONG, ULONG, ULONG, ULONG)
{
    if (!low || !high)
        return E_POINTER;
    *low = std::numeric_limits<double>::infinity();
    *high = -std::numeric_limits<double>::infinity();
    for (int64_t sample = std::max<int64_t>(SampleAt(from), 0); sample <= SampleAt(to); ++sample)
    {
        double value = 0.0;
        if (!ValueAt(channel, sample, value))
            break;
        *low = std::min(*low, value);
        *high = std::max(*high, value);
    }
    return *low <= *high ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::IsValid(ULONG, LONGLONG position, LONG channel, SHORT* valid)
{
    double value = 0.0;
    return Orv::AnswerValue(valid, static_cast<SHORT>(ValueAt(channel, SampleAt(position), value) ? VARIANT_TRUE : 0));
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetValue(ULONG, LONGLONG position, LONG channel, double* value)
{
    if (!value)
        return E_POINTER;
    return ValueAt(channel, SampleAt(position), *value) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetSampleInfo(ULONG, LONGLONG, LONG, ISampleInformation** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

// A recording of the stand-in carries no event channels of its own: events come from the document's
// calculated channels (sub-index HostVirtualChannelSelector). The request names no record: a drawer asks
// for its stretch's start just before it opens the stretch's events, so the record of that answer is it.
HRESULT STDMETHODCALLTYPE PaneDataStore::OpenEvents(ULONG request, LONG channel, ULONG, LONGLONG start, LONG,
                                                   IEnumEventEx** events)
{
    if (!events)
        return E_POINTER;
    *events = nullptr;
    if ((request & 0xFFu) != HostVirtualChannelSelector || eventRecord_ < 0)
        return S_FALSE;
    const auto tick = static_cast<int32_t>(std::clamp<LONGLONG>(start, 0, CalcNoMoreEventsTick));
    return document_->OpenCalculatedChannelEvents(channel, eventRecord_, tick, events);
}

HRESULT STDMETHODCALLTYPE PaneDataStore::OpenPointRun(ULONG, LONG channel, const double*, LONGLONG start, LONG,
                                                     LONG, LONG, const double* valueTransform, ULONG,
                                                     IPointRun** run)
{
    if (!run)
        return E_POINTER;
    const double scale = valueTransform ? valueTransform[0] : 1.0;
    const double offset = valueTransform ? valueTransform[1] : 0.0;
    return Orv::CatchReturn([&] { *run = new PointRun(this, channel, start, scale, offset); });
}

HRESULT STDMETHODCALLTYPE PaneDataStore::GetTransform(ULONG, LONG, LONG, double* scale, double* offset)
{
    if (!scale || !offset)
        return E_POINTER;
    *scale = 1.0;
    *offset = 0.0;
    return S_OK;
}

} // namespace Host
