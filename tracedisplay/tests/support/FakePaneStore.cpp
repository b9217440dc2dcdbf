#include "tracedisplay/tests/support/FakePaneStore.h"

#include <algorithm>

namespace TraceTest
{

HRESULT STDMETHODCALLTYPE FakePaneStore::QueryInterface(REFIID iid, void** out)
{
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPaneDataStore || iid == IID_IOnlineDataSink)
        *out = static_cast<IPaneDataStore*>(this);
    else if (iid == IID_IRecordValueTransform)
        *out = static_cast<IRecordValueTransform*>(this);
    else if (iid == IID_IDrawerHost)
        *out = static_cast<IDrawerHost*>(&host);
    else if (iid == IID_IRecordDataSource)
        *out = static_cast<IRecordDataSource*>(&host.source);
    else if (channelSettings && (iid == IID_IGridOptions || iid == IID_IChannelDrawSettings))
        return channelSettings->QueryInterface(iid, out);
    return *out ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE FakePaneStore::OnNewData(uint32_t)
{
    extent += growth;
    return Note(L"data");
}

HRESULT STDMETHODCALLTYPE FakePaneStore::SetScale(LONGLONG n, LONGLONG d)
{
    numerator = n;
    denominator = d;
    return Note(L"scale");
}

HRESULT STDMETHODCALLTYPE FakePaneStore::GetScale(LONGLONG* n, LONGLONG* d)
{
    *n = numerator;
    *d = denominator;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePaneStore::GetExtent(LONGLONG* value)
{
    *value = extent;
    return knowsExtent ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE FakePaneStore::StripToPosition(LONGLONG strip, LONGLONG* position)
{
    *position = strip;
    return strip <= extent ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE FakePaneStore::PositionToStrip(ULONG, LONGLONG position, double, LONGLONG* strip)
{
    *strip = position;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePaneStore::StripToRecording(LONGLONG strip, RecordingPosition* position)
{
    position->record = static_cast<LONG>(strip / RecordLength);
    position->tick = strip % RecordLength;
    return strip <= extent ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE FakePaneStore::GetTimeFactor(const RecordingPosition*, double* factor)
{
    *factor = interval;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePaneStore::GetRecordsOfRange(LONGLONG from, LONGLONG to, LONG* first, LONG* last)
{
    if (!knowsExtent || extent == 0)
        return E_FAIL;
    *first = static_cast<LONG>(from / RecordLength);
    *last = static_cast<LONG>(std::min(to, extent) / RecordLength);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePaneStore::GetCurrentRecord(IUnknown** record)
{
    *record = static_cast<IPaneDataStore*>(this);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePaneStore::GetPendingFlags(ULONG, ULONG* flags)
{
    *flags = pending;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePaneStore::ClearPendingFlags(ULONG, ULONG, ULONG flags)
{
    pending &= ~flags;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePaneStore::GetTransform(ULONG, LONG, LONG, double* scale, double* offset)
{
    *scale = transform.scale;
    *offset = transform.offset;
    return S_OK;
}

bool FakePaneStore::Saw(const std::wstring& call) const
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

HRESULT STDMETHODCALLTYPE FakePaneSource::QueryInterface(REFIID iid, void** out)
{
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPaneDataSource)
        *out = static_cast<IPaneDataSource*>(this);
    return *out ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE FakePaneSource::AttachPane(ULONG kind, IUnknown* pane)
{
    attachKind = kind;
    attached = pane;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePaneSource::DetachPane(ULONG, IUnknown* pane)
{
    if (attached == pane)
        attached = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FakePaneSource::CreateStore(ULONG, IPaneDataStore** out)
{
    ++storesMade;
    *out = &store;
    return S_OK;
}

} // namespace TraceTest
