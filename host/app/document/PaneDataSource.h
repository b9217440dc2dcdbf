// The host document as the data source of a trace display's data pane. The store it makes for a pane
// lays the document's records end to end on the pane's strip, one strip unit a pixel at the pane's
// horizontal scale (samples per pixel), and hands the pane's drawers the channels' samples as values and
// as runs of points, one vertical segment per pixel column. The pane hears of new data as one of the
// document's online sinks while it is attached.
#pragma once

#include "hostapi/PaneDataStore.h"
#include "hostapi/PreviewSampling.h"
#include "hostapi/TraceDataSource.h"
#include "host/vyr/ComObjects.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"

#include <cstdint>

namespace Host
{

class HostDocument;
class Recording;

// Made with one reference for its creator. It makes the holders of a live preview of the document:
// acquiring documents with the document's channels and calculations.
class PaneDataSource final : public IPaneDataSource, public ISampleHolderSource
{
public:
    explicit PaneDataSource(HostDocument* document);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE AttachPane(ULONG kind, IUnknown* pane) override;
    HRESULT STDMETHODCALLTYPE DetachPane(ULONG reserved, IUnknown* pane) override;
    HRESULT STDMETHODCALLTYPE CreateStore(ULONG flags, IPaneDataStore** store) override;

    // ISampleHolderSource: a new holder, which takes its storage itself; this source is no holder.
    HRESULT STDMETHODCALLTYPE CreateHolder(ULONG, IUnknown** holder) override;
    HRESULT STDMETHODCALLTYPE SetStorage(ULONG, IStorage*) override { return E_UNEXPECTED; }

    HostDocument* Document() const { return document_.Get(); }

private:
    ~PaneDataSource() = default;

    LONG references_ = 1;
    Orv::ComPtr<HostDocument> document_;
};

// A position of the records laid end to end: the record and the tick in it.
struct RecordTick
{
    LONG record;
    int64_t tick;
};

class PaneDataStore final : public IPaneDataStore,
                            public IDrawerHost,
                            public IRecordDataSource,
                            public IRecordValueTransform
{
public:
    explicit PaneDataStore(HostDocument* document);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IOnlineDataSink: the document's recording already holds what arrived.
    HRESULT STDMETHODCALLTYPE GetSinkInfo(uint32_t* info, int16_t* wants) override;
    HRESULT STDMETHODCALLTYPE OnSamplingStopped(uint32_t) override;
    HRESULT STDMETHODCALLTYPE OnSamplingStarted(int32_t record, int32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                                uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, int16_t) override;
    HRESULT STDMETHODCALLTYPE OnNewData(uint32_t) override;
    HRESULT STDMETHODCALLTYPE OnRecordEnd(int32_t, int32_t) override;
    HRESULT STDMETHODCALLTYPE OnSamplingModeChanged(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRecordValuesChanged(int32_t, uint32_t) override;
    HRESULT STDMETHODCALLTYPE QuerySinkExtension() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QuerySinkExtensionEx() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnSamplingPaused(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSinkPriority(int32_t* priority) override;
    HRESULT STDMETHODCALLTYPE GetSinkPosition(int32_t, uint32_t, uint32_t, int32_t* position) override;

    // IPaneDataStore
    HRESULT STDMETHODCALLTYPE SetScale(LONGLONG numerator, LONGLONG denominator) override;
    HRESULT STDMETHODCALLTYPE GetScale(LONGLONG* numerator, LONGLONG* denominator) override;
    HRESULT STDMETHODCALLTYPE SetSource(ULONG flags, IUnknown* source) override;
    HRESULT STDMETHODCALLTYPE GetExtent(LONGLONG* extent) override;
    HRESULT STDMETHODCALLTYPE StripToPosition(LONGLONG strip, LONGLONG* position) override;
    HRESULT STDMETHODCALLTYPE PositionToStrip(ULONG flags, LONGLONG position, double fraction, LONGLONG* strip) override;
    HRESULT STDMETHODCALLTYPE StripToRecording(LONGLONG strip, RecordingPosition* position) override;
    HRESULT STDMETHODCALLTYPE GetTimeFactor(const RecordingPosition* position, double* factor) override;
    HRESULT STDMETHODCALLTYPE GetRecordsOfRange(LONGLONG from, LONGLONG to, LONG* first, LONG* last) override;
    HRESULT STDMETHODCALLTYPE GetCurrentRecord(IUnknown** record) override;
    HRESULT STDMETHODCALLTYPE GetPendingFlags(ULONG, ULONG* flags) override;
    HRESULT STDMETHODCALLTYPE ClearPendingFlags(ULONG, ULONG, ULONG flags) override;
    HRESULT STDMETHODCALLTYPE PrepareDrawing(LONGLONG, LONGLONG) override { return S_OK; }

    // IDrawerHost
    HRESULT STDMETHODCALLTYPE SetLayoutHint(ULONG, LONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetLiveStart(ULONG, LONGLONG* position) override;
    HRESULT STDMETHODCALLTYPE GetDataSource(IUnknown** source) override;
    HRESULT STDMETHODCALLTYPE ToEventPosition(ULONG mode, LONGLONG position, LONGLONG* eventPosition,
                                              LONG* record) override;
    HRESULT STDMETHODCALLTYPE EventPositionToX(ULONG flags, LONG record, double position, double* x) override;
    HRESULT STDMETHODCALLTYPE GetHorizontalScale(double* scale) override;
    HRESULT STDMETHODCALLTYPE GetEventTypeColours(ULONG type, IUnknown** provider) override;

    // IRecordDataSource: channels are the recording's, 0 first; positions are strip positions.
    HRESULT STDMETHODCALLTYPE GetLiveRecord(ULONG, LONG* record) override;
    HRESULT STDMETHODCALLTYPE GetRange(ULONG, LONG channel, LONGLONG from, LONGLONG to, double* low, double* high,
                                       ULONG, ULONG, ULONG, ULONG) override;
    HRESULT STDMETHODCALLTYPE IsValid(ULONG, LONGLONG position, LONG channel, SHORT* valid) override;
    HRESULT STDMETHODCALLTYPE GetValue(ULONG, LONGLONG position, LONG channel, double* value) override;
    HRESULT STDMETHODCALLTYPE GetSampleInfo(ULONG, LONGLONG, LONG, ISampleInformation** info) override;
    HRESULT STDMETHODCALLTYPE OpenEvents(ULONG, LONG, ULONG, LONGLONG, LONG, IEnumEventEx** events) override;
    HRESULT STDMETHODCALLTYPE OpenPointRun(ULONG, LONG channel, const double* horizontalScale, LONGLONG start, LONG,
                                           LONG, LONG, const double* valueTransform, ULONG, IPointRun** run) override;

    // IRecordValueTransform: the recorded values are shown as they are.
    HRESULT STDMETHODCALLTYPE GetTransform(ULONG, LONG, LONG, double* scale, double* offset) override;

    // Samples of all records before the strip position's pixel, and back.
    int64_t SampleAt(LONGLONG strip) const;
    int64_t TotalSamples() const;
    // Whether every sample of the strip position's pixel column has arrived.
    bool HasAllOfColumn(LONGLONG strip) const;
    // Where a sample of the records laid end to end lies; false beyond the last.
    bool Locate(int64_t sample, RecordTick& where) const;
    // The channel's value at a sample of the records laid end to end, as the host shows it (through the
    // channel's conversion, as its data view draws it); false outside them.
    bool ValueAt(LONG channel, int64_t sample, double& value) const;
    // The points handed out reached up to this sample (excluded), for the document to keep.
    void NoteDrawnTo(int64_t sample) const;

private:
    const Recording& Data() const;
    double SamplesPerPixel() const;
    // The recorded sample shown through the channel's conversion in its record.
    double Shown(LONG channel, LONG record, double recorded) const;

    LONG references_ = 0;
    Orv::ComPtr<HostDocument> document_;
    LONGLONG numerator_ = 10;
    LONGLONG denominator_ = 1;
    ULONG pending_ = 0;
    LONG liveRecord_ = -1;
    // The record of the last stretch start a drawer asked for: the one whose events it opens next.
    LONG eventRecord_ = -1;
    // How the last channel and record asked for are shown, until the document's conversions change: a
    // pane reads many samples of one record in a row.
    struct ShowingKept
    {
        uint64_t revision = 0;
        LONG channel = -1;
        LONG record = -1;
        double scale = 1.0;
        double offset = 0.0;
    };
    mutable ShowingKept showing_;
};

} // namespace Host
