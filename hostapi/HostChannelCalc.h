// The calculations a host document keeps per channel: each channel has slots (by selector) that hold a
// calculation object, which the host asks for its class's type id, for its state and to recalculate.
// A module makes the host's text calculation from calculation text and installs it in a slot through
// the host's calculation receiver.
//
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2. The order of the
// methods is the binary contract: never reorder, never add a virtual destructor.
#pragma once

#include "hostapi/ChannelCalcHost.h"
#include "hostapi/OrvStringInterfaces.h"
#include "hostapi/VyrIds.h"

#include <unknwn.h>

#include <cstdint>

// The document data behind a host document (IHostDocument slot 16 gives it).
// {C2406F50-F163-11D2-8098-00A0C9E26433}
struct IHostDocumentData : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    // 10: the calculation object in the channel's slot of that selector, with one reference; S_FALSE and
    // null for an empty slot, E_INVALIDARG for a channel the document does not have.
    virtual HRESULT STDMETHODCALLTYPE GetChannelCalculation(int32_t channel, int32_t selector, IUnknown** object) = 0;
};

// A calculation object in a channel's slot, as the host asks about it.
// {CA800C31-F889-11D3-80EE-00A0C9E26433}
struct IHostChannelCalculation : IUnknown
{
    VYR_RESERVED_SLOT(3)
    // 4: the slot is about to receive another calculation: this one lets go of what it worked out.
    virtual HRESULT STDMETHODCALLTYPE PrepareReplacement() = 0;
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    // 9: the type id of the installed calculation's class.
    virtual HRESULT STDMETHODCALLTYPE GetCalculationType(uint32_t* typeId) = 0;
};

// What a channel's calculation has worked out, and its two recalculation operations.
// {8FC37F01-9357-11D4-8112-00A0C9E26433} (IID_ChannelCalcObject)
struct IHostChannelCalcState : IUnknown
{
    // 3: drops the results worked out so far; 4: works them out again from the channel's sources.
    virtual HRESULT STDMETHODCALLTYPE DiscardResults() = 0;
    virtual HRESULT STDMETHODCALLTYPE Recalculate() = 0;
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    // 7: the state word: HostCalcResultsCurrent and HostCalcInstalled.
    virtual HRESULT STDMETHODCALLTYPE GetState(uint32_t* state) = 0;
};

// State bits of a channel's calculation: its results are worked out for the data there is; a calculation
// is installed (its results may be out of date).
inline constexpr uint32_t HostCalcResultsCurrent = 0x80000000u;
inline constexpr uint32_t HostCalcInstalled = 0x40000000u;

// The place in a channel's slot a calculation is installed at.
// {3A8EFB82-77A7-40B0-BBAB-8B156F5CF14A}
struct IHostCalcTarget : IUnknown
{
    // 3: installs the calculation (an IHostCalculation); flags 0xFFFF. E_INVALIDARG, the slot unchanged,
    // for a calculation whose text the document cannot compile: the target then answers ISupportErrorInfo
    // for this face and leaves the compiler's message as the thread's error information. Null empties
    // the slot.
    virtual HRESULT STDMETHODCALLTYPE Install(IUnknown* calculation, uint16_t flags) = 0;
};

// The host's calculation receiver (object factory slot 5, type: host code of HostCalcTypeGUID << 16).
// {CA800C32-F889-11D3-80EE-00A0C9E26433}
struct IHostCalcReceiver : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    // 11: the target of the channel's slot of that selector in the document data, with one reference.
    virtual HRESULT STDMETHODCALLTYPE GetTarget(int32_t channel, int32_t selector, IUnknown* documentData,
                                                IHostCalcTarget** target) = 0;
};

// The host's text calculation (object factory slot 3, type: host code of HostCalcTypeGUID << 16 | 1).
// {7B3091F0-7395-11D2-81F7-00C0DFE13362}
struct IHostCalculation : IUnknown
{
    // 3: the type id of the calculation's class.
    virtual HRESULT STDMETHODCALLTYPE GetCalculationType(uint32_t* typeId) = 0;
};

// The texts of the host's text calculation: the calculation-language expression and its unit text.
// {D78C7904-2F6F-4087-8543-8691558E2E22}
struct IHostCalculationText : IUnknown
{
    // 3: the texts (flags 0).
    virtual HRESULT STDMETHODCALLTYPE SetTexts(IOrvString* expression, IOrvString* unit, uint16_t flags) = 0;
    VYR_RESERVED_SLOT(4)
    // 5: the texts with the display range (top, bottom), the range kind 2 and the result kind 0x40000000.
    virtual HRESULT STDMETHODCALLTYPE SetTextsWithRange(IOrvString* expression, IOrvString* unit, double top,
                                                        double bottom, uint32_t rangeKind, uint32_t resultKind) = 0;
};

// The stand-in's own faces. What a text calculation was given; the range only when one was.
// {E9B78C24-E033-4E5F-B331-649712887A6F}
struct IHostCalculationStandIn : IUnknown
{
    // 3: the two texts as BSTRs for the caller to free.
    virtual HRESULT STDMETHODCALLTYPE GetTexts(BSTR* expression, BSTR* unit) = 0;
    // 4: the display range; S_FALSE, nothing written, when none was given.
    virtual HRESULT STDMETHODCALLTYPE GetRange(double* top, double* bottom) = 0;
};

// The document data's slots as the stand-in's receiver reaches them.
// {11E855D9-5362-459F-9293-6D08D1BDA7C5}
struct IHostCalcSlots : IUnknown
{
    // 3: the target of the channel's slot of that selector; E_INVALIDARG for a channel the document does
    // not have.
    virtual HRESULT STDMETHODCALLTYPE OpenTarget(int32_t channel, int32_t selector, IHostCalcTarget** target) = 0;
};

// Three channel counts of a host document; the largest is the number of channels to walk.
// {4AEFBC05-D08B-40FD-B609-8B25A95A7EB5}
struct IHostChannelCounts : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    // 9: every channel (recorded, then calculated); 10: the recorded channels; 12: (0) the channels up to
    // the last that holds a calculation.
    virtual HRESULT STDMETHODCALLTYPE GetAllChannelCount(int32_t* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRecordedChannelCount(int32_t* count) = 0;
    VYR_RESERVED_SLOT(11)
    virtual HRESULT STDMETHODCALLTYPE GetCalculationChannelCount(uint32_t reserved, int32_t* count) = 0;
};

// The number of the text calculation's type under HostCalcTypeGUID (the receiver's is 0).
inline constexpr uint16_t HostTextCalculationTypeNumber = 1;
// The selector of the slot whose calculation makes a channel's samples.
inline constexpr int32_t HostChannelCalcSelector = 2;
// The flags a calculation is installed with.
inline constexpr uint16_t HostCalcInstallFlags = 0xFFFF;

inline constexpr IID IID_IHostDocumentData = {0xC2406F50, 0xF163, 0x11D2, {0x80, 0x98, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33}};
inline constexpr IID IID_IHostChannelCalculation = {0xCA800C31, 0xF889, 0x11D3, {0x80, 0xEE, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33}};
inline constexpr IID IID_IHostChannelCalcState = IID_ChannelCalcObject;
inline constexpr IID IID_IHostCalcTarget = {0x3A8EFB82, 0x77A7, 0x40B0, {0xBB, 0xAB, 0x8B, 0x15, 0x6F, 0x5C, 0xF1, 0x4A}};
inline constexpr IID IID_IHostCalcReceiver = {0xCA800C32, 0xF889, 0x11D3, {0x80, 0xEE, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33}};
inline constexpr IID IID_IHostCalculation = {0x7B3091F0, 0x7395, 0x11D2, {0x81, 0xF7, 0x00, 0xC0, 0xDF, 0xE1, 0x33, 0x62}};
inline constexpr IID IID_IHostCalculationText = {0xD78C7904, 0x2F6F, 0x4087, {0x85, 0x43, 0x86, 0x91, 0x55, 0x8E, 0x2E, 0x22}};
inline constexpr IID IID_IHostCalculationStandIn = {0xE9B78C24, 0xE033, 0x4E5F, {0xB3, 0x31, 0x64, 0x97, 0x12, 0x88, 0x7A, 0x6F}};
inline constexpr IID IID_IHostCalcSlots = {0x11E855D9, 0x5362, 0x459F, {0x92, 0x93, 0x6D, 0x08, 0xD1, 0xBD, 0xA7, 0xC5}};
inline constexpr IID IID_IHostChannelCounts = {0x4AEFBC05, 0xD08B, 0x40FD, {0xB6, 0x09, 0x8B, 0x25, 0xA9, 0x5A, 0x7E, 0xB5}};
