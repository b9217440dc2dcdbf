// An online data sink for tests: what a host document tells those who follow its sampling.
#pragma once

#include "hostapi/HostDocument.h"

#include <functional>
#include <string>
#include <vector>

namespace HostTests
{

// Writes down every notification, by name and record.
class NotificationLog : public IOnlineDataSink
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IOnlineDataSink ? static_cast<IOnlineDataSink*>(this) : nullptr;
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetSinkInfo(uint32_t*, int16_t*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSamplingStopped(uint32_t) override { return Note("stopped"); }
    HRESULT STDMETHODCALLTYPE OnSamplingStarted(int32_t record, int32_t, uint32_t channels, uint32_t, uint32_t,
                                                uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                                int16_t) override
    {
        return Note("started " + std::to_string(record) + " of " + std::to_string(channels) + " channels");
    }
    HRESULT STDMETHODCALLTYPE OnNewData(uint32_t) override { return Note("data"); }
    HRESULT STDMETHODCALLTYPE OnRecordEnd(int32_t record, int32_t ticks) override
    {
        return Note("end " + std::to_string(record) + " at " + std::to_string(ticks));
    }
    HRESULT STDMETHODCALLTYPE OnSamplingModeChanged(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnRecordValuesChanged(int32_t, uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QuerySinkExtension() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QuerySinkExtensionEx() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnSamplingPaused(uint32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSinkPriority(int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSinkPosition(int32_t, uint32_t, uint32_t, int32_t*) override { return E_NOTIMPL; }

    std::vector<std::string> notes;
    ULONG references = 0;
    // Called with each note as it is written down.
    std::function<void(const std::string&)> onNote;

protected:
    HRESULT Note(std::string note)
    {
        notes.push_back(std::move(note));
        if (onNote)
            onNote(notes.back());
        return S_OK;
    }
};

} // namespace HostTests
