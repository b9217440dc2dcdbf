// What a trace display's data pane reaches of the host's data: the data source it is attached to, and
// the data store that source creates for the pane. The store keeps the samples the pane shows, turns the
// pane's strip positions (one unit a pixel at the pane's horizontal scale) into its own positions, into
// recording positions and back, and takes the host's online notifications before the pane does.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/HostDocument.h"

#include <climits>
#include <unknwn.h>
#include <windows.h>

// A place in the recording: a record and a tick in it.
struct RecordingPosition
{
    LONG record = -1;
    LONGLONG tick = INT_MAX;
};

struct IPaneDataStore;

struct IPaneDataSource : IUnknown
{
    // 3: a pane whose store was just created is attached under kind.
    virtual HRESULT STDMETHODCALLTYPE AttachPane(ULONG kind, IUnknown* pane) = 0;
    virtual HRESULT STDMETHODCALLTYPE DetachPane(ULONG reserved, IUnknown* pane) = 0;                   // 4
    virtual HRESULT STDMETHODCALLTYPE CreateStore(ULONG flags, IPaneDataStore** store) = 0;             // 5
};
// A stand-in id.
inline constexpr IID IID_IPaneDataSource = {0x5B3E9A10, 0x7C42, 0x4F6D, {0x9A, 0x21, 0x3E, 0x88, 0x14, 0xC5, 0x6B, 0x02}};

// The store answers the online notifications (slots 3 to 14) as the host sends them to the pane.
struct IPaneDataStore : IOnlineDataSink
{
    // 15, 16: samples per pixel as an exact ratio.
    virtual HRESULT STDMETHODCALLTYPE SetScale(LONGLONG numerator, LONGLONG denominator) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetScale(LONGLONG* numerator, LONGLONG* denominator) = 0;
    // 17: the store stays and takes its data from another source.
    virtual HRESULT STDMETHODCALLTYPE SetSource(ULONG flags, IUnknown* source) = 0;
    // 18: the strip position of the newest sample; a failure when the store cannot tell.
    virtual HRESULT STDMETHODCALLTYPE GetExtent(LONGLONG* extent) = 0;
    // 19: a strip position as the store's own position; S_FALSE when no data lie there.
    virtual HRESULT STDMETHODCALLTYPE StripToPosition(LONGLONG strip, LONGLONG* position) = 0;
    // 20: a position of the store, plus a fraction of a pixel, as a strip position.
    virtual HRESULT STDMETHODCALLTYPE PositionToStrip(ULONG flags, LONGLONG position, double fraction,
                                                      LONGLONG* strip) = 0;
    // 21: a strip position as a recording position; S_FALSE when it lies outside the data.
    virtual HRESULT STDMETHODCALLTYPE StripToRecording(LONGLONG strip, RecordingPosition* position) = 0;
    // 22: what a recording position is multiplied by to give the time its owner shows.
    virtual HRESULT STDMETHODCALLTYPE GetTimeFactor(const RecordingPosition* position, double* factor) = 0;
    // 23: the first and last record shown between two strip positions; a failure without data.
    virtual HRESULT STDMETHODCALLTYPE GetRecordsOfRange(LONGLONG from, LONGLONG to, LONG* first, LONG* last) = 0;
    // 24: the record being shown or sampled; it answers IRecordDataSource and IRecordValueTransform.
    virtual HRESULT STDMETHODCALLTYPE GetCurrentRecord(IUnknown** record) = 0;
    // 25, 26: changes of the store that the pane's next paint must take in.
    virtual HRESULT STDMETHODCALLTYPE GetPendingFlags(ULONG reserved, ULONG* flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearPendingFlags(ULONG reserved1, ULONG reserved2, ULONG flags) = 0;
    // 27: the samples between two strip positions are about to be drawn.
    virtual HRESULT STDMETHODCALLTYPE PrepareDrawing(LONGLONG from, LONGLONG to) = 0;
};
// A stand-in id.
inline constexpr IID IID_IPaneDataStore = {0x5B3E9A11, 0x7C42, 0x4F6D, {0x9A, 0x21, 0x3E, 0x88, 0x14, 0xC5, 0x6B, 0x02}};

// How the recorded values of a channel turn into the units its scale shows: (raw + offset) * scale.
struct IRecordValueTransform : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetTransform(ULONG request, LONG channel, LONG value, double* scale,
                                                   double* offset) = 0;                                 // 3
};
// A stand-in id.
inline constexpr IID IID_IRecordValueTransform = {0x5B3E9A12, 0x7C42, 0x4F6D, {0x9A, 0x21, 0x3E, 0x88, 0x14, 0xC5, 0x6B, 0x02}};
