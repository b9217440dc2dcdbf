// A host document filled by a data source in place of sampling hardware: the host's document-creation
// service makes an empty document; a data source declares channels to the document's sampling sink,
// starts records and pushes ticks, and the host reads each channel's samples from the object the data
// source hands it for the channel. A module's self-tests make their synthetic recordings this way.
//
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2. The order of the
// methods is the binary contract: never reorder, never add a virtual destructor.
#pragma once

#include "hostapi/HostDocument.h"
#include "hostapi/VyrIds.h"

#include <oaidl.h>
#include <unknwn.h>

#include <cstdint>

// A period in seconds as a fraction.
struct HostRational
{
    int64_t numerator = 0;
    int64_t denominator = 1;
};
static_assert(sizeof(HostRational) == 16);

// What feeds a document's channels: the samples of each channel and the length of a record.
// {53E49452-8EE6-11D2-8211-00C0DFE13362}
struct IStrixDataSource : IUnknown
{
    // 3 and 5: operations the stand-in does not call.
    virtual HRESULT STDMETHODCALLTYPE SourceOperation3(uint32_t reserved1, uint32_t reserved2, uint32_t reserved3) = 0;
    // 4: the channel's samples: an object answering IEnumFloatEx, one sample per tick, with one reference.
    virtual HRESULT STDMETHODCALLTYPE GetChannelData(uint32_t reserved, int32_t channel, IUnknown** data) = 0;
    virtual HRESULT STDMETHODCALLTYPE SourceOperation5(uint32_t reserved1, uint32_t reserved2, uint32_t reserved3,
                                                       uint32_t reserved4) = 0;
    // 6 and 7: the number of ticks of a record.
    virtual HRESULT STDMETHODCALLTYPE GetRecordTicks(int64_t* ticks) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRecordLength(int64_t* ticks) = 0;
};
__CRT_UUID_DECL(IStrixDataSource, 0x53E49452, 0x8EE6, 0x11D2, 0x82, 0x11, 0x00, 0xC0, 0xDF, 0xE1, 0x33, 0x62)

// The document's sampling sink. A record: DeclareChannel for each channel, CanSample, PrepareSampling,
// StartRecord, AddTicks as often as wanted, then QueryStop and StopSampling, which complete the record.
// {53E49453-8EE6-11D2-8211-00C0DFE13362}
struct IHostSamplingSink : IUnknown
{
    // 3: whether the declared channels can be sampled; reason (may be null) receives why not.
    virtual HRESULT STDMETHODCALLTYPE CanSample(BSTR* reason, VARIANT_BOOL* can) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrepareSampling(uint32_t reserved) = 0;                        // 4
    // 5: a new record at the tick period in seconds; startTime in seconds since 1970 (UTC).
    virtual HRESULT STDMETHODCALLTYPE StartRecord(uint32_t reserved1, IStrixDataSource* source, double tickPeriod,
                                                  double startTime, double reserved2, int32_t reserved3,
                                                  int32_t reserved4, int32_t startOption, VARIANT_BOOL recording) = 0;
    // 6: reads count more ticks of every channel from its data source into the record.
    virtual HRESULT STDMETHODCALLTYPE AddTicks(int32_t count) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryStop(uint32_t reserved, int32_t* value) = 0;               // 7
    // 8: the record is complete; sampling stops.
    virtual HRESULT STDMETHODCALLTYPE StopSampling(VARIANT_BOOL done) = 0;
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    VYR_RESERVED_SLOT(11)
    VYR_RESERVED_SLOT(12)
    VYR_RESERVED_SLOT(13)
    // 14: declares channel (from 0) for the next record: whether it samples, its units object, its
    // period, the tick period, the kind word (0x80020003) and the source of its samples.
    virtual HRESULT STDMETHODCALLTYPE DeclareChannel(int32_t channel, int32_t sampling, VARIANT_BOOL samplingFlag,
                                                     IUnknown* units, HostRational channelPeriod,
                                                     const HostRational* tickPeriod, uint32_t kind,
                                                     IStrixDataSource* source) = 0;
};
__CRT_UUID_DECL(IHostSamplingSink, 0x53E49453, 0x8EE6, 0x11D2, 0x82, 0x11, 0x00, 0xC0, 0xDF, 0xE1, 0x33, 0x62)

// The document face that hands out its sampling sink.
// {B8B7A576-8192-47D1-BCC0-545E6965E508}
struct IHostSamplingTarget : IUnknown
{
    // 3: the sink, with one reference.
    virtual HRESULT STDMETHODCALLTYPE GetSamplingSink(IHostSamplingSink** sink) = 0;
};
__CRT_UUID_DECL(IHostSamplingTarget, 0xB8B7A576, 0x8192, 0x47D1, 0xBC, 0xC0, 0x54, 0x5E, 0x69, 0x65, 0xE5, 0x08)

// Where the recording of a document ends: the tick offset within the record being written, and that
// record. A document without records answers both as 0x7FFFFFFF.
struct HostEndPosition
{
    int32_t mRecordOffset = 0x7FFFFFFF;
    int32_t record = 0x7FFFFFFF;
};
static_assert(sizeof(HostEndPosition) == 8);

// The document face under which the creation service hands out a new document, and through which a
// trace display names the channels of its lanes.
// {AD6CD303-7868-4A12-B4AE-97C02EE8F5E3}
struct IHostRecordingState : IUnknown
{
    // 3: the text that names a channel (from 0) at a recording position (0xC0000000: at none);
    // E_INVALIDARG and no text for a channel the document does not have.
    virtual HRESULT STDMETHODCALLTYPE GetChannelText(int32_t channel, uint32_t position, BSTR* text) = 0;
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    // 10: (0) where the recording ends.
    virtual HRESULT STDMETHODCALLTYPE GetEndPosition(uint32_t reserved, HostEndPosition* position) = 0;
};
__CRT_UUID_DECL(IHostRecordingState, 0xAD6CD303, 0x7868, 0x4A12, 0xB4, 0xAE, 0x97, 0xC0, 0x2E, 0xE8, 0xF5, 0xE3)

// A document's calculated channels made at run time (a stand-in id: the host's own face of this kind
// answers other operations in these slots). Each new channel is named vchN after those the document
// has; its calculation is the text calculation installed in its slot, HostVirtualChannelSelector.
// {2C9E4B17-6A30-4F8D-8E51-B37D0C94A2E6}
struct IHostVirtualChannels : IUnknown
{
    // 3: a new calculated channel: its name ("vchN") and the channel reference to install its
    // calculation at (channel: the 0-based N - 1, selector HostVirtualChannelSelector).
    virtual HRESULT STDMETHODCALLTYPE CreateVirtualChannel(uint32_t reserved1, uint16_t reserved2, uint32_t reserved3,
                                                           BSTR* name, HostItemId* channel) = 0;
    // 4: takes the calculated channel of that name ("vchN") out of the document: its calculation goes,
    // and the last channel's number is free again; E_INVALIDARG for a name that is no channel made so.
    virtual HRESULT STDMETHODCALLTYPE RemoveVirtualChannel(uint32_t reserved, const WCHAR* name) = 0;
};
__CRT_UUID_DECL(IHostVirtualChannels, 0x2C9E4B17, 0x6A30, 0x4F8D, 0x8E, 0x51, 0xB3, 0x7D, 0x0C, 0x94, 0xA2, 0xE6)
inline constexpr int32_t HostVirtualChannelSelector = 4;

// The host's document-creation service (object factory slot 5, type: host code of
// DocumentCreatorGUID << 16).
// {5FCB46F0-0B1D-11D2-B325-008048C36FE8}
struct IHostDocumentCreator : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    // 7: a new, empty document that a data source fills, under the face iid, with one reference.
    virtual HRESULT STDMETHODCALLTYPE CreateDocument(uint32_t reserved, const IID* iid, void** document) = 0;
};
__CRT_UUID_DECL(IHostDocumentCreator, 0x5FCB46F0, 0x0B1D, 0x11D2, 0xB3, 0x25, 0x00, 0x80, 0x48, 0xC3, 0x6F, 0xE8)

inline constexpr GUID DocumentCreatorGUID = {0x087B8989, 0xC731, 0x48AF, {0x9B, 0x76, 0xA3, 0x84, 0x83, 0xEA, 0xB3, 0x54}};
// The kind word a data source declares its channels with.
inline constexpr uint32_t HostSampledChannelKind = 0x80020003u;

inline constexpr GUID IID_IStrixDataSource = __uuidof(IStrixDataSource);
inline constexpr GUID IID_IHostSamplingSink = __uuidof(IHostSamplingSink);
inline constexpr GUID IID_IHostSamplingTarget = __uuidof(IHostSamplingTarget);
inline constexpr GUID IID_IHostRecordingState = __uuidof(IHostRecordingState);
inline constexpr GUID IID_IHostVirtualChannels = __uuidof(IHostVirtualChannels);
inline constexpr GUID IID_IHostDocumentCreator = __uuidof(IHostDocumentCreator);
