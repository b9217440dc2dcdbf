// The host's side of a data pane for tests: a data source that makes one store, and a store whose own
// positions are strip positions, whose records are 100 strip units long and that writes down what it
// was told.
#pragma once

#include "tracedisplay/tests/support/FakeTraceHost.h"

#include "hostapi/PaneDataStore.h"

#include <functional>
#include <string>
#include <vector>

namespace TraceTest
{

class FakePaneStore : public IPaneDataStore, public IRecordValueTransform
{
public:
    static constexpr LONGLONG RecordLength = 100;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetSinkInfo(uint32_t*, int16_t*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSamplingStopped(uint32_t) override { return Note(L"stopped"); }
    HRESULT STDMETHODCALLTYPE OnSamplingStarted(int32_t, int32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                                uint32_t, uint32_t, uint32_t, uint32_t, int16_t) override
    {
        return Note(L"started");
    }
    HRESULT STDMETHODCALLTYPE OnNewData(uint32_t) override;
    HRESULT STDMETHODCALLTYPE OnRecordEnd(int32_t, int32_t) override { return Note(L"end"); }
    HRESULT STDMETHODCALLTYPE OnSamplingModeChanged(uint32_t) override { return Note(L"mode"); }
    HRESULT STDMETHODCALLTYPE OnRecordValuesChanged(int32_t, uint32_t) override { return Note(L"values"); }
    HRESULT STDMETHODCALLTYPE QuerySinkExtension() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QuerySinkExtensionEx() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnSamplingPaused(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSinkPriority(int32_t*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSinkPosition(int32_t, uint32_t, uint32_t, int32_t*) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE SetScale(LONGLONG numerator, LONGLONG denominator) override;
    HRESULT STDMETHODCALLTYPE GetScale(LONGLONG* numerator, LONGLONG* denominator) override;
    HRESULT STDMETHODCALLTYPE SetSource(ULONG, IUnknown*) override { return Note(L"source"); }
    HRESULT STDMETHODCALLTYPE GetExtent(LONGLONG* value) override;
    HRESULT STDMETHODCALLTYPE StripToPosition(LONGLONG strip, LONGLONG* position) override;
    HRESULT STDMETHODCALLTYPE PositionToStrip(ULONG, LONGLONG position, double fraction, LONGLONG* strip) override;
    HRESULT STDMETHODCALLTYPE StripToRecording(LONGLONG strip, RecordingPosition* position) override;
    HRESULT STDMETHODCALLTYPE GetTimeFactor(const RecordingPosition*, double* factor) override;
    HRESULT STDMETHODCALLTYPE GetRecordsOfRange(LONGLONG from, LONGLONG to, LONG* first, LONG* last) override;
    HRESULT STDMETHODCALLTYPE GetCurrentRecord(IUnknown** record) override;
    HRESULT STDMETHODCALLTYPE GetPendingFlags(ULONG, ULONG* flags) override;
    HRESULT STDMETHODCALLTYPE ClearPendingFlags(ULONG, ULONG, ULONG flags) override;
    HRESULT STDMETHODCALLTYPE PrepareDrawing(LONGLONG, LONGLONG) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE GetTransform(ULONG, LONG, LONG, double* scale, double* offset) override;

    bool Saw(const std::wstring& call) const;

    FakeDrawerHost host;
    LONGLONG extent = 0;
    // What each OnNewData adds to the extent.
    LONGLONG growth = 0;
    bool knowsExtent = true;
    ULONG pending = 0;
    LONGLONG numerator = 10;
    LONGLONG denominator = 1;
    // Seconds per sample of every record.
    double interval = 0.001;
    ScalePair transform;
    // What the store answers for the host's channel settings (grid options, draw settings); none: null.
    IUnknown* channelSettings = nullptr;
    std::vector<std::wstring> calls;
    // Called with every call written down, as it is made.
    std::function<void()> heard;

private:
    HRESULT Note(const wchar_t* call)
    {
        calls.emplace_back(call);
        if (heard)
            heard();
        return S_OK;
    }
};

class FakePaneSource : public IPaneDataSource
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE AttachPane(ULONG kind, IUnknown* pane) override;
    HRESULT STDMETHODCALLTYPE DetachPane(ULONG, IUnknown* pane) override;
    HRESULT STDMETHODCALLTYPE CreateStore(ULONG, IPaneDataStore** out) override;

    FakePaneStore store;
    IUnknown* attached = nullptr;
    ULONG attachKind = 0;
    int storesMade = 0;
};

} // namespace TraceTest
