// What a live preview of sampled data reaches of the host: the sampling source that records while the
// preview runs, and the data source's face that makes a holder for the sampled data. The holder takes
// the source's data through its sampling sink (IHostSamplingSink) and is itself a data source for the
// preview's pane.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/HostAcquisition.h"

#include <objidl.h>
#include <unknwn.h>

// {61E90691-D087-4454-A234-A132834C7D1C}
struct ISampleHolderSource : IUnknown
{
    // 3: a new, empty holder, with one reference.
    virtual HRESULT STDMETHODCALLTYPE CreateHolder(ULONG reserved, IUnknown** holder) = 0;
    // 4: (on a holder) the storage its samples are kept in; the holder keeps a reference.
    virtual HRESULT STDMETHODCALLTYPE SetStorage(ULONG reserved, IStorage* storage) = 0;
};
__CRT_UUID_DECL(ISampleHolderSource, 0x61E90691, 0xD087, 0x4454, 0xA2, 0x34, 0xA1, 0x32, 0x83, 0x4C, 0x7D, 0x1C)
inline constexpr GUID IID_ISampleHolderSource = __uuidof(ISampleHolderSource);

// The hardware (or what stands in for it) that samples for a preview. A stand-in id.
// {7D2B6E41-3A95-4C1F-B8E2-5F04C9A17D63}
struct ISamplingSource : IUnknown
{
    // 3, 4: a sink that receives the sampled records from now on, and its removal.
    virtual HRESULT STDMETHODCALLTYPE AttachSink(ULONG reserved, IHostSamplingSink* sink) = 0;
    virtual HRESULT STDMETHODCALLTYPE DetachSink(ULONG reserved, IHostSamplingSink* sink) = 0;
    // 5: run 0 stops sampling (the record being made ends).
    virtual HRESULT STDMETHODCALLTYPE SetSampling(ULONG run) = 0;
    // 6: starts sampling; SAMPLING_E_STARTED when it already samples.
    virtual HRESULT STDMETHODCALLTYPE Start(ULONG reserved, ULONG flags, LONG records) = 0;
    // 7: whether the start waits for a second step, and why the start failed (may be null).
    virtual HRESULT STDMETHODCALLTYPE GetStartStatus(ULONG reserved, VARIANT_BOOL* pending, BSTR* error) = 0;
    // 8: the second step of a start that asked for one.
    virtual HRESULT STDMETHODCALLTYPE CompleteStart(ULONG reserved1, ULONG reserved2, BSTR* error) = 0;
};
__CRT_UUID_DECL(ISamplingSource, 0x7D2B6E41, 0x3A95, 0x4C1F, 0xB8, 0xE2, 0x5F, 0x04, 0xC9, 0xA1, 0x7D, 0x63)
inline constexpr GUID IID_ISamplingSource = __uuidof(ISamplingSource);

// A document's sampling-state object for previews: the sources that can sample live data for a preview
// of the document, and whether they can now. A stand-in id.
// {051BDB4F-D4F5-499F-94EF-1F29E1C77EB0}
struct IHostSamplingSources : IUnknown
{
    // 3: 0 while a source can sample for a preview (the document's acquisition has not ended), else
    // non-zero.
    virtual HRESULT STDMETHODCALLTYPE GetState(ULONG reserved, LONG* state) = 0;
    // 4: how many sources there are.
    virtual HRESULT STDMETHODCALLTYPE GetSourceCount(LONG* count) = 0;
    // 5: source index (from 0), prepared to sample from the position (record, tick; 0x80000000: from the
    // newest data on), with one reference.
    virtual HRESULT STDMETHODCALLTYPE PrepareSource(LONG index, LONG record, ULONG tick, ISamplingSource** source) = 0;
};
__CRT_UUID_DECL(IHostSamplingSources, 0x051BDB4F, 0xD4F5, 0x499F, 0x94, 0xEF, 0x1F, 0x29, 0xE1, 0xC7, 0x7E, 0xB0)
inline constexpr GUID IID_IHostSamplingSources = __uuidof(IHostSamplingSources);

// The start of a source that samples already: nothing to report.
inline constexpr HRESULT SAMPLING_E_STARTED = static_cast<HRESULT>(0xA004820Fu);
