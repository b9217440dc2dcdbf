// The host's side of a computed channel: the context a channel calculation is made in, and the host's
// computed-channel object that the calculation aggregates and hands its producing calculation to.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "VyrIds.h"

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
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    // 7: the producing calculation (an ICalcEnum) with the calculation's construction values and host.
    virtual HRESULT STDMETHODCALLTYPE AttachCalculation(uint32_t value, uint32_t first, uint32_t second,
                                                        IUnknown* host, IUnknown* calculation) = 0;
};

// The stand-in's own face of its computed-channel object: the calculation the channel was given.
// {B71F0C3E-5A92-4D0B-8E64-93C2D7A1F5E8}
struct IComputedChannelStandIn : IUnknown
{
    // 3: the attached calculation with one reference; S_FALSE and null while none is attached.
    virtual HRESULT STDMETHODCALLTYPE GetCalculation(IUnknown** calculation) = 0;
};

// The number of the computed-channel object type under HostTypeGUID.
inline constexpr uint16_t ComputedChannelTypeNumber = 17;
// What the channel's calculation makes of a calculation's result: events (each loop's value).
inline constexpr uint32_t ComputedChannelEventResult = 0x40000000u;

inline constexpr IID IID_IChannelCalcHost = {0x6D3B1E52, 0x0C7A, 0x4C1E, {0x9B, 0x83, 0x2F, 0x51, 0xA7, 0xE4, 0xC0, 0xD9}};
inline constexpr IID IID_IComputedChannel = {0x4021A447, 0x7899, 0x11D4, {0x81, 0x10, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33}};
inline constexpr IID IID_IComputedChannelStandIn = {0xB71F0C3E, 0x5A92, 0x4D0B, {0x8E, 0x64, 0x93, 0xC2, 0xD7, 0xA1, 0xF5, 0xE8}};
// Answered by a channel calculation with itself, for the host that asks whether an object is one.
inline constexpr IID IID_ChannelCalcObject = {0x8FC37F01, 0x9357, 0x11D4, {0x81, 0x12, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33}};
