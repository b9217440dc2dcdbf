// The host's side of a computed channel: the context a channel calculation is made in, and the host's
// computed-channel object that the calculation aggregates and hands its producing calculation to.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/HostDocument.h"
#include "hostapi/VyrIds.h"

#include <unknwn.h>

#include <cstdint>

// The channel a computed-channel calculation belongs to, as the host hands it to the calculation.
// {6D3B1E52-0C7A-4C1E-9B83-2F51A7E4C0D9}
struct IChannelCalcHost : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    // 9: the calculation's set-up reaches the channel: (0, parameter, flag); its answer is the set-up's.
    virtual HRESULT STDMETHODCALLTYPE SetUpChannel(uint32_t reserved, uint32_t parameter, uint32_t flag) = 0;
    // 10: the channel's source object (what the channel's samples are read through), one reference.
    virtual HRESULT STDMETHODCALLTYPE GetChannelSource(IUnknown** source) = 0;
    VYR_RESERVED_SLOT(11)
    // 12: the data of the document the channel belongs to, with one reference.
    virtual HRESULT STDMETHODCALLTYPE GetDocumentData(IUnknown** data) = 0;
};

// The host's computed-channel object (object factory type: host code of HostTypeGUID << 16 | 17),
// made aggregated by the channel calculation; it receives the calculation whose results the channel
// shows.
// {4021A447-7899-11D4-8110-00A0C9E26433}
struct IComputedChannel : IUnknown
{
    // 3: a run of the channel begins: (mode, id, reserved); a settings preview passes (1, its id, 0). What
    // an earlier run kept is forgotten.
    virtual HRESULT STDMETHODCALLTYPE BeginRun(uint32_t mode, uint32_t id, uint32_t reserved) = 0;
    // 4: the unit of the channel's values, a host unit (IHostUnit: name and prefix code) that the
    // channel keeps with one reference; null: none.
    virtual HRESULT STDMETHODCALLTYPE SetUnit(IUnknown* unit) = 0;
    // 5: the text the attached calculation reads as its argument (the host compiles it); its answer.
    virtual HRESULT STDMETHODCALLTYPE SetCalculationText(const WCHAR* text) = 0;
    VYR_RESERVED_SLOT(6)
    // 7: the producing calculation (an ICalcEnum) with the calculation's construction values and host.
    virtual HRESULT STDMETHODCALLTYPE AttachCalculation(uint32_t value, uint32_t first, uint32_t second,
                                                        IUnknown* host, IUnknown* calculation) = 0;
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    // 10: runs the calculation over [start, end) of the document (an IHostDocument) and keeps what the
    // channel shows there, with what the run's earlier calls kept (a run may go a piece at a time);
    // (a, b) are passed through from the caller. The run's failure is the answer.
    virtual HRESULT STDMETHODCALLTYPE Run(IUnknown* document, TickPosition start, TickPosition end, uint32_t a,
                                          uint32_t b, uint32_t reserved) = 0;
    VYR_RESERVED_SLOT(11)
    VYR_RESERVED_SLOT(12)
    // 13: the run ends: the calculation stops.
    virtual HRESULT STDMETHODCALLTYPE EndRun() = 0;
};

// What makes the host's computed-channel objects that stand alone (a settings preview's temporary
// channel).
// {3E8C2A71-64D5-4F0B-A1C9-58B07E2D6F14}
struct IComputedChannelFactory : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    // 11: a new channel object (answering IComputedChannel) for the document (an IHostDocument), made
    // with the two construction values; one reference for the caller.
    virtual HRESULT STDMETHODCALLTYPE CreateChannel(uint32_t first, uint32_t second, IUnknown* document,
                                                    IUnknown** channel) = 0;
    // 12 (the stand-in's): the channel made last, which the stand-in keeps to show what it ran; S_FALSE
    // and null before the first.
    virtual HRESULT STDMETHODCALLTYPE GetLastChannel(IUnknown** channel) = 0;
};

// The stand-in's own face of its computed-channel object: the calculation the channel was given.
// {B71F0C3E-5A92-4D0B-8E64-93C2D7A1F5E8}
struct IComputedChannelStandIn : IUnknown
{
    // 3: the attached calculation with one reference; S_FALSE and null while none is attached.
    virtual HRESULT STDMETHODCALLTYPE GetCalculation(IUnknown** calculation) = 0;
    // 4: what the channel shows at ticks [startTick, endTick) of a record of the document (an
    // IHostDocument), one value a tick: the value of the calculation's last event at or before the
    // tick (NaN before the first), carried through the 16-bit raw samples onto which the channel's
    // calculation maps its range (as recorded samples would be).
    virtual HRESULT STDMETHODCALLTYPE ReadValues(IUnknown* document, int32_t record, int32_t startTick,
                                                 int32_t endTick, float* values) = 0;
    // 5: the ticks of one record the last run covered, and up to capacity of the values it read.
    virtual HRESULT STDMETHODCALLTYPE GetRunValues(int32_t record, int32_t capacity, float* values,
                                                   int32_t* count) = 0;
    // 6: the unit the channel was given, as the host shows it (prefix letter, then the name); S_FALSE and
    // an empty text while it has none.
    virtual HRESULT STDMETHODCALLTYPE GetUnitText(BSTR* text) = 0;
};

// The number of the computed-channel object type under HostTypeGUID.
inline constexpr uint16_t ComputedChannelTypeNumber = 17;
// What the channel's calculation makes of a calculation's result: events (each loop's value).
inline constexpr uint32_t ComputedChannelEventResult = 0x40000000u;

inline constexpr IID IID_IChannelCalcHost = {0x6D3B1E52, 0x0C7A, 0x4C1E, {0x9B, 0x83, 0x2F, 0x51, 0xA7, 0xE4, 0xC0, 0xD9}};
inline constexpr IID IID_IComputedChannel = {0x4021A447, 0x7899, 0x11D4, {0x81, 0x10, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33}};
inline constexpr IID IID_IComputedChannelFactory = {0x3E8C2A71, 0x64D5, 0x4F0B, {0xA1, 0xC9, 0x58, 0xB0, 0x7E, 0x2D, 0x6F, 0x14}};
inline constexpr IID IID_IComputedChannelStandIn = {0xB71F0C3E, 0x5A92, 0x4D0B, {0x8E, 0x64, 0x93, 0xC2, 0xD7, 0xA1, 0xF5, 0xE8}};
// Answered by a channel calculation with itself, for the host that asks whether an object is one.
inline constexpr IID IID_ChannelCalcObject = {0x8FC37F01, 0x9357, 0x11D4, {0x81, 0x12, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33}};
