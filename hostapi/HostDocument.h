// The host document as a module reaches it: the record data the calculations run on, its channels
// opened as sample enumerators, the online-data registry that tells sinks about sampling, and the
// entries the module marks channels with.
//
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2. The order of the
// methods is the binary contract: never reorder, never add a virtual destructor.
#pragma once

#include "hostapi/VyrIds.h"

#include <unknwn.h>

#include <cstddef>
#include <cstdint>

// A position in a recording as the document's channel requests take it: the record, then the tick.
struct TickPosition
{
    int32_t record = 0;
    int32_t tick = 0;
};
static_assert(sizeof(TickPosition) == 8);
static_assert(offsetof(TickPosition, tick) == 4);

// What a channel request asks for: one kind, or-ed with HostChannelStream for a sample stream.
inline constexpr uint32_t HostChannelCalculated = 4;          // the document's calculated channel ("vchN")
inline constexpr uint32_t HostChannelRaw = 1;                 // a recorded channel before units conversion
inline constexpr uint32_t HostChannelComputed = 2;            // a channel a module's channel calculation computes
inline constexpr uint32_t HostChannelScaled = 0x40000000u;    // a recorded channel in its units
inline constexpr uint32_t HostChannelStream = 0x1000;
// GetChannelConversion's request for the conversion a display applies to the channel's values in its
// units (those a calculation reads): none beyond them unless the user chose other display units.
inline constexpr int32_t HostDisplayConversion = 0x2000;
inline constexpr uint32_t HostChannelKindMask = 0x40000007u;

// The channel argument that asks about the document as a whole.
inline constexpr uint32_t HostWholeDocument = 0x80000000u;

// The flags of a sample count request.
inline constexpr uint32_t HostSampleCountRequest = 0x80000000u;
// The flags of a units or presence request of a channel.
inline constexpr uint32_t HostChannelUnitsRequest = 0x40002000u;

// The end tick a channel data object takes for "up to the end of the record".
inline constexpr int32_t HostRecordEnd = 0x7FFFFFFF;
// The position code of entries that belong to the channel as a whole, not to a place in it.
inline constexpr int32_t HostUnsetPosition = static_cast<int32_t>(0xC0000000u);

// The block index that asks for a channel's conversion for the records still to be recorded, and the
// one that asks for the conversion the channel has by default (its first record's).
inline constexpr int32_t HostNewRecordings = 0x7FFFFFFF;
inline constexpr int32_t HostDefaultRecord = 0x7FFFFFFE;
// The record index of the whole-document form of a units request.
inline constexpr int32_t HostWholeDocumentRecord = -2;

struct IUnitConversion;

// The host document itself.
// {6B1F0E54-3C7A-4D8E-9A21-5E0C4B7D93A6}
struct IHostDocument : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    // 7: the number of records and the record being sampled (the last one; -1 without records).
    virtual HRESULT STDMETHODCALLTYPE GetRecordCount(int32_t* count, int32_t* current) = 0;
    VYR_RESERVED_SLOT(8)
    // 9: the ticks the record has so far; E_INVALIDARG for a record that has not arrived.
    virtual HRESULT STDMETHODCALLTYPE GetRecordLength(uint32_t reserved, int32_t record, int32_t* ticks) = 0;
    // 10: the position just past the last sample recorded (HostWholeDocument: over every channel):
    // tick in the low word, record in the high word; (0, 0) without records.
    virtual HRESULT STDMETHODCALLTYPE GetRecordingEnd(uint32_t channel, uint64_t* position) = 0;
    // 11: the number of recorded channels.
    virtual HRESULT STDMETHODCALLTYPE GetChannelCount(int32_t* count) = 0;
    // 12: how the document's windows show times (the mode word of a trace display's time scale: 1
    // relative, 2 elapsed, 3 time of day, with its flag bits). A host without a choice of its own leaves
    // the mode untouched.
    virtual HRESULT STDMETHODCALLTYPE GetTimeDisplayMode(uint32_t* mode)
    {
        (void)mode;
        return E_NOTIMPL;
    }
    VYR_RESERVED_SLOT(13)
    VYR_RESERVED_SLOT(14)
    VYR_RESERVED_SLOT(15)
    // 16: the document data (IHostDocumentData) behind the document, with one reference. Hosts that keep
    // no calculations per channel refuse.
    virtual HRESULT STDMETHODCALLTYPE GetDocumentData(IUnknown** data)
    {
        (void)data;
        return E_NOTIMPL;
    }
    // 17: the units conversion of the channel in the record (the calibrations pass the position code
    // HostUnsetPosition, other callers their request flags), or for
    // new recordings (HostNewRecordings) or by default (HostDefaultRecord). S_FALSE and no conversion
    // when the record shows the channel without one, or when the channel is not set up for recording.
    virtual HRESULT STDMETHODCALLTYPE GetChannelConversion(int32_t position, int32_t record, int32_t channel,
                                                           IUnitConversion** conversion) = 0;
    VYR_RESERVED_SLOT(18)
    // 19: the seconds between two ticks of the record; E_INVALIDARG for a record that is not there.
    virtual HRESULT STDMETHODCALLTYPE GetTickInterval(uint32_t flags, int32_t record, double* seconds) = 0;
    // 20: checks that the channel of the kind can be read from the position and moves the position
    // into the record (a negative tick to 0, a tick past a complete record's end to that end).
    virtual HRESULT STDMETHODCALLTYPE AdjustStartPosition(uint32_t kind, int32_t record, int32_t channel,
                                                          TickPosition* position) = 0;
    VYR_RESERVED_SLOT(21)
    VYR_RESERVED_SLOT(22)
    VYR_RESERVED_SLOT(23)
    VYR_RESERVED_SLOT(24)
    VYR_RESERVED_SLOT(25)
    VYR_RESERVED_SLOT(26)
    VYR_RESERVED_SLOT(27)
    VYR_RESERVED_SLOT(28)
    VYR_RESERVED_SLOT(29)
    VYR_RESERVED_SLOT(30)
    VYR_RESERVED_SLOT(31)
    // 32: a sample enumerator (IEnumFloatEx) over the channel of the request in the record, at tick 0;
    // the only way to a calculated channel.
    virtual HRESULT STDMETHODCALLTYPE OpenChannelEnum(uint32_t request, int32_t record, int32_t channel,
                                                      IUnknown** enumerator) = 0;
    VYR_RESERVED_SLOT(33)
    // 34: the handle through which the record's sample counts are asked; E_INVALIDARG for a record that
    // has not arrived.
    virtual HRESULT STDMETHODCALLTYPE GetRecordHandle(int32_t record, ULONG_PTR* handle) = 0;
    VYR_RESERVED_SLOT(35)
    VYR_RESERVED_SLOT(36)
    VYR_RESERVED_SLOT(37)
    VYR_RESERVED_SLOT(38)
    // 39: (0) brings the document's windows up to date with its data and channels. Hosts without windows
    // may refuse.
    virtual HRESULT STDMETHODCALLTYPE UpdateDisplay(uint32_t reserved)
    {
        (void)reserved;
        return E_NOTIMPL;
    }
    VYR_RESERVED_SLOT(40)
    VYR_RESERVED_SLOT(41)
    VYR_RESERVED_SLOT(42)
    // 43: the units conversion of the channel as slot 17 gives it, where record HostWholeDocumentRecord
    // asks for the conversion of the whole document. Hosts that know no whole-document form refuse.
    virtual HRESULT STDMETHODCALLTYPE GetChannelConversionEx(uint32_t flags, int32_t record, int32_t channel,
                                                             IUnitConversion** conversion)
    {
        (void)flags, (void)record, (void)channel, (void)conversion;
        return E_NOTIMPL;
    }
    VYR_RESERVED_SLOT(44)
    VYR_RESERVED_SLOT(45)
    // 46: the data object of a recorded channel in a record that has arrived (IHostChannelData); fails
    // when there is none.
    virtual HRESULT STDMETHODCALLTYPE GetChannelData(uint32_t request, int32_t record, int32_t channel,
                                                     IUnknown** object) = 0;
    VYR_RESERVED_SLOT(47)
    VYR_RESERVED_SLOT(48)
    VYR_RESERVED_SLOT(49)
    VYR_RESERVED_SLOT(50)
    VYR_RESERVED_SLOT(51)
    VYR_RESERVED_SLOT(52)
    VYR_RESERVED_SLOT(53)
    // 54: the document's settings of its channels (IHostChannelSettings), with one reference. Hosts that
    // keep none refuse.
    virtual HRESULT STDMETHODCALLTYPE GetChannelSettings(IUnknown** settings)
    {
        (void)settings;
        return E_NOTIMPL;
    }
    VYR_RESERVED_SLOT(55)
    // 56: the number of samples the channel has so far in the record of the handle (flags
    // HostSampleCountRequest); the count is left untouched on failure.
    virtual HRESULT STDMETHODCALLTYPE GetSampleCount(uint32_t flags, ULONG_PTR record, int32_t channel,
                                                     int32_t* count) = 0;
    VYR_RESERVED_SLOT(57)
    VYR_RESERVED_SLOT(58)
    VYR_RESERVED_SLOT(59)
    VYR_RESERVED_SLOT(60)
    VYR_RESERVED_SLOT(61)
    VYR_RESERVED_SLOT(62)
    VYR_RESERVED_SLOT(63)
    VYR_RESERVED_SLOT(64)
    VYR_RESERVED_SLOT(65)
    VYR_RESERVED_SLOT(66)
    VYR_RESERVED_SLOT(67)
    VYR_RESERVED_SLOT(68)
    VYR_RESERVED_SLOT(69)
    VYR_RESERVED_SLOT(70)
    VYR_RESERVED_SLOT(71)
    VYR_RESERVED_SLOT(72)
    VYR_RESERVED_SLOT(73)
    VYR_RESERVED_SLOT(74)
    VYR_RESERVED_SLOT(75)
    VYR_RESERVED_SLOT(76)
    VYR_RESERVED_SLOT(77)
    VYR_RESERVED_SLOT(78)
    VYR_RESERVED_SLOT(79)
    VYR_RESERVED_SLOT(80)
    VYR_RESERVED_SLOT(81)
    VYR_RESERVED_SLOT(82)
    // 83: sets the channel's units conversion (the object answers IUnitConversion) for every record and
    // for new recordings; the reserved words are 0 and scope 1.
    virtual HRESULT STDMETHODCALLTYPE ApplyChannelSetup(uint32_t reserved1, uint32_t reserved2, int32_t channel,
                                                        uint32_t scope, IUnknown* object) = 0;
};
__CRT_UUID_DECL(IHostDocument, 0x6B1F0E54, 0x3C7A, 0x4D8E, 0x9A, 0x21, 0x5E, 0x0C, 0x4B, 0x7D, 0x93, 0xA6)

// The samples of one recorded channel.
// {0E338061-A23A-474C-8081-463357BE86C9}
struct IHostChannelData : IUnknown
{
    // 3: a sample enumerator (IEnumFloatEx) over the channel in the record, at tick 0, up to endTick
    // (HostRecordEnd: the whole record).
    virtual HRESULT STDMETHODCALLTYPE OpenEnum(uint32_t request, int32_t record, int32_t endTick, uint32_t reserved,
                                               IUnknown** enumerator) = 0;
};
__CRT_UUID_DECL(IHostChannelData, 0x0E338061, 0xA23A, 0x474C, 0x80, 0x81, 0x46, 0x33, 0x57, 0xBE, 0x86, 0xC9)

// The document's settings of its channels.
// {5E0D3A71-8C24-4B9F-A6E2-19F4C7B08D35}
struct IHostChannelSettings : IUnknown
{
    // 3: the channel's recording object, with one reference, when the channel is set up for recording;
    // S_FALSE and null for a channel that is not (the host changes such a channel's units when a module
    // sends it the change as a message); E_INVALIDARG for a channel the document does not have.
    virtual HRESULT STDMETHODCALLTYPE GetRecordingChannel(int32_t channel, IUnknown** object) = 0;
};
__CRT_UUID_DECL(IHostChannelSettings, 0x5E0D3A71, 0x8C24, 0x4B9F, 0xA6, 0xE2, 0x19, 0xF4, 0xC7, 0xB0, 0x8D, 0x35)

// What the document tells of its channels to the pages that list and calibrate them.
// {509511CD-3390-49D6-8240-28062E97728A}
struct IHostChannelDescriptions : IUnknown
{
    // 3: the channel's title (a new string for the caller); S_FALSE and null for a channel without one,
    // E_INVALIDARG for a channel the document does not have.
    virtual HRESULT STDMETHODCALLTYPE GetChannelTitle(int32_t channel, BSTR* title) = 0;
    // 4: whether the calculation that makes the channel's samples works on the channel's own source and
    // keeps the unit of its data (a channel without such a calculation does), so that a calibration of
    // the channel's units holds for what it shows.
    virtual HRESULT STDMETHODCALLTYPE IsCalculationOnSource(int32_t channel, VARIANT_BOOL* onSource) = 0;
};
__CRT_UUID_DECL(IHostChannelDescriptions, 0x509511CD, 0x3390, 0x49D6, 0x82, 0x40, 0x28, 0x06, 0x2E, 0x97, 0x72, 0x8A)

// How the host shows a channel: the range of values its display of the channel spans.
// {7C3E9A52-1D84-4F6B-B0A7-5E21C98D4F16}
struct IHostChannelDisplay : IUnknown
{
    // 3: the channel's display range of the kind (HostDisplayRangeShown: the range the host shows the
    // channel over, which its data, recorded and still to be sampled, lie in), in the channel's recorded
    // units; S_FALSE when the host has none, E_INVALIDARG for a channel the document does not have.
    virtual HRESULT STDMETHODCALLTYPE GetDisplayRange(int32_t channel, uint32_t kind, double* low, double* high) = 0;
};
__CRT_UUID_DECL(IHostChannelDisplay, 0x7C3E9A52, 0x1D84, 0x4F6B, 0xB0, 0xA7, 0x5E, 0x21, 0xC9, 0x8D, 0x4F, 0x16)
inline constexpr uint32_t HostDisplayRangeShown = 2;

// The record data of the document; a calculation created for the document receives it as its context.
// {2BC6F321-B62F-11D2-8227-00C0DFE13362}
struct IHostRecordData : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    VYR_RESERVED_SLOT(11)
    VYR_RESERVED_SLOT(12)
    VYR_RESERVED_SLOT(13)
    VYR_RESERVED_SLOT(14)
    VYR_RESERVED_SLOT(15)
    VYR_RESERVED_SLOT(16)
    VYR_RESERVED_SLOT(17)
    VYR_RESERVED_SLOT(18)
    VYR_RESERVED_SLOT(19)
    VYR_RESERVED_SLOT(20)
    VYR_RESERVED_SLOT(21)
    VYR_RESERVED_SLOT(22)
    VYR_RESERVED_SLOT(23)
    VYR_RESERVED_SLOT(24)
    VYR_RESERVED_SLOT(25)
    VYR_RESERVED_SLOT(26)
    VYR_RESERVED_SLOT(27)
    VYR_RESERVED_SLOT(28)
    VYR_RESERVED_SLOT(29)
    VYR_RESERVED_SLOT(30)
    VYR_RESERVED_SLOT(31)
    VYR_RESERVED_SLOT(32)
    VYR_RESERVED_SLOT(33)
    VYR_RESERVED_SLOT(34)
    VYR_RESERVED_SLOT(35)
    VYR_RESERVED_SLOT(36)
    VYR_RESERVED_SLOT(37)
    VYR_RESERVED_SLOT(38)
    VYR_RESERVED_SLOT(39)
    VYR_RESERVED_SLOT(40)
    VYR_RESERVED_SLOT(41)
    VYR_RESERVED_SLOT(42)
    VYR_RESERVED_SLOT(43)
    VYR_RESERVED_SLOT(44)
    VYR_RESERVED_SLOT(45)
    VYR_RESERVED_SLOT(46)
    VYR_RESERVED_SLOT(47)
    VYR_RESERVED_SLOT(48)
    VYR_RESERVED_SLOT(49)
    VYR_RESERVED_SLOT(50)
    VYR_RESERVED_SLOT(51)
    VYR_RESERVED_SLOT(52)
    VYR_RESERVED_SLOT(53)
    VYR_RESERVED_SLOT(54)
    VYR_RESERVED_SLOT(55)
    VYR_RESERVED_SLOT(56)
    VYR_RESERVED_SLOT(57)
    VYR_RESERVED_SLOT(58)
    VYR_RESERVED_SLOT(59)
    VYR_RESERVED_SLOT(60)
    VYR_RESERVED_SLOT(61)
    VYR_RESERVED_SLOT(62)
    VYR_RESERVED_SLOT(63)
    VYR_RESERVED_SLOT(64)
    VYR_RESERVED_SLOT(65)
    VYR_RESERVED_SLOT(66)
    VYR_RESERVED_SLOT(67)
    VYR_RESERVED_SLOT(68)
    VYR_RESERVED_SLOT(69)
    VYR_RESERVED_SLOT(70)
    VYR_RESERVED_SLOT(71)
    // 72: the record's container of child data (IHostChildDataContainer), with one reference.
    virtual HRESULT STDMETHODCALLTYPE GetChildDataContainer(IUnknown** container)
    {
        (void)container;
        return E_NOTIMPL;
    }
};
__CRT_UUID_DECL(IHostRecordData, 0x2BC6F321, 0xB62F, 0x11D2, 0x82, 0x27, 0x00, 0xC0, 0xDF, 0xE1, 0x33, 0x62)

// What the document tells those who follow its sampling. Every operation returns an HRESULT.
// {C4AEA2A0-0F3D-11D4-80F2-00A0C9E26433}
struct IOnlineDataSink : IUnknown
{
    // 3: how the sink takes its notifications; wants is a VARIANT_BOOL.
    virtual HRESULT STDMETHODCALLTYPE GetSinkInfo(uint32_t* info, int16_t* wants) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnSamplingStopped(uint32_t reserved) = 0;                      // 4
    // 5: a record starts: its number, its tick count so far, the channel count and reserved words; last
    // whether the record is being recorded (VARIANT_BOOL).
    virtual HRESULT STDMETHODCALLTYPE OnSamplingStarted(int32_t record, int32_t ticks, uint32_t channels,
                                                        uint32_t reserved4, uint32_t reserved5, uint32_t reserved6,
                                                        uint32_t reserved7, uint32_t reserved8, uint32_t reserved9,
                                                        uint32_t reserved10, uint32_t reserved11,
                                                        int16_t recording) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnNewData(uint32_t reserved) = 0;                              // 6
    // 7: the record is complete at ticks.
    virtual HRESULT STDMETHODCALLTYPE OnRecordEnd(int32_t record, int32_t ticks) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnSamplingModeChanged(uint32_t mode) = 0;                      // 8
    virtual HRESULT STDMETHODCALLTYPE OnRecordValuesChanged(int32_t record, uint32_t what) = 0;      // 9
    virtual HRESULT STDMETHODCALLTYPE QuerySinkExtension() = 0;                                      // 10
    virtual HRESULT STDMETHODCALLTYPE QuerySinkExtensionEx() = 0;                                    // 11
    virtual HRESULT STDMETHODCALLTYPE OnSamplingPaused(uint32_t reserved) = 0;                       // 12
    virtual HRESULT STDMETHODCALLTYPE GetSinkPriority(int32_t* priority) = 0;                        // 13
    // 14: the position up to which the sink has taken the data of the record.
    virtual HRESULT STDMETHODCALLTYPE GetSinkPosition(int32_t record, uint32_t flags, uint32_t reserved,
                                                      int32_t* position) = 0;
};
__CRT_UUID_DECL(IOnlineDataSink, 0xC4AEA2A0, 0x0F3D, 0x11D4, 0x80, 0xF2, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33)

// The document's registry of online data sinks; it holds a reference to each sink it keeps.
// {91BC9AF0-D20B-11D3-80E8-00A0C9E26433}
struct IOnlineDataSource : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE AddSink(IOnlineDataSink* sink) = 0;                            // 3
    // 4: S_FALSE when the sink was not registered.
    virtual HRESULT STDMETHODCALLTYPE RemoveSink(IOnlineDataSink* sink) = 0;
};
__CRT_UUID_DECL(IOnlineDataSource, 0x91BC9AF0, 0xD20B, 0x11D3, 0x80, 0xE8, 0x00, 0xA0, 0xC9, 0xE2, 0x64, 0x33)

// A mark on a channel: a value of one kind. Exchanged as is.
struct ChannelEntry
{
    int32_t value = 0;
    int32_t size = sizeof(int32_t);
    int32_t kind = 0;
    int32_t reserved = 0;
};
static_assert(sizeof(ChannelEntry) == 16);
static_assert(offsetof(ChannelEntry, kind) == 8);

// A source of the document's data: a channel, or (kind HostEventSourceKind) an event source. An empty
// name stands for (HostItemUnsetFirst, HostItemUnsetSecond).
inline constexpr int32_t HostEventSourceKind = 4;
struct HostSourcePair
{
    int32_t value;
    int32_t kind;
};
static_assert(sizeof(HostSourcePair) == 8);

// The data items of the document, as far as the module marks channels.
// {920CDDCC-3748-4EC1-83F8-59EFEE7ED007}
struct IHostDataItems : IUnknown
{
    // 3: adds the entry to the channel at the position code.
    virtual HRESULT STDMETHODCALLTYPE AddChannelEntry(int32_t channel, int32_t position, const ChannelEntry* entry) = 0;
    // 4: removes the first entry of the channel at the position code equal in value and kind; S_FALSE
    // when there is none.
    virtual HRESULT STDMETHODCALLTYPE RemoveChannelEntry(int32_t channel, int32_t position,
                                                         const ChannelEntry* entry) = 0;
    // 5: the entry of that index and the number of entries of the channel at the position code; S_FALSE
    // (entry untouched) for an index at or past that number.
    virtual HRESULT STDMETHODCALLTYPE GetChannelEntry(int32_t channel, int32_t position, int32_t index,
                                                      ChannelEntry* entry, int32_t* count) = 0;
    // 6: the source a name stands for: a channel ("chN") or a calculated channel, an event source
    // ("vchN", kind HostEventSourceKind) or a named item, its calculation kept or dropped (the same kind);
    // E_INVALIDARG for a name that stands for none.
    virtual HRESULT STDMETHODCALLTYPE ResolveSourceName(const WCHAR* name, struct HostSourcePair* source) = 0;
    // 7: the name of the index-th source of the kind (HostSourceListEvents: those that may yield events:
    // the calculated channels, then the named items that hold a calculation); S_FALSE past the last.
    virtual HRESULT STDMETHODCALLTYPE GetSourceName(uint32_t kind, int32_t index, BSTR* name) = 0;
    // 8: whether the source of that name yields events; false for a name that stands for none.
    virtual HRESULT STDMETHODCALLTYPE SourceHasEvents(const WCHAR* name, VARIANT_BOOL* hasEvents) = 0;
    // 9: the text a person reads for the source of that name; S_FALSE and null for a name that stands
    // for none.
    virtual HRESULT STDMETHODCALLTYPE GetSourceDisplayText(const WCHAR* name, BSTR* text) = 0;
    // 10: whether the channel (from 0: the recorded channels, then the calculated ones) reads the source
    // of that name through its calculation, directly or through the sources it reads.
    virtual HRESULT STDMETHODCALLTYPE ChannelReads(int32_t channel, const WCHAR* name, VARIANT_BOOL* reads) = 0;
};
inline constexpr uint32_t HostSourceListEvents = 0x80000000u;
__CRT_UUID_DECL(IHostDataItems, 0x920CDDCC, 0x3748, 0x4EC1, 0x83, 0xF8, 0x59, 0xEF, 0xEE, 0x7E, 0xD0, 0x07)

// A named data item of the document: two words, unset (HostItemUnsetFirst, HostItemUnsetSecond).
inline constexpr int32_t HostItemUnsetFirst = static_cast<int32_t>(0x80000000u);
inline constexpr int32_t HostItemUnsetSecond = static_cast<int32_t>(0xC0000000u);
struct HostItemId
{
    int32_t first = HostItemUnsetFirst;
    int32_t second = HostItemUnsetSecond;
};
static_assert(sizeof(HostItemId) == 8);

// What an event request of a named item asks for: the item's events, read per record.
inline constexpr uint32_t HostItemEventsRequest = 0x80000004u;

// The document's named data items: each may hold a calculation built from calculation text, and other
// texts of the document name it to use what it yields (its events or its samples).
// {5C2E7A91-0B4D-4F36-9E1A-7D3B8C60F214}
struct IHostCalcItems : IUnknown
{
    // 3: the item of that name (any case), created without a calculation when the document has none.
    virtual HRESULT STDMETHODCALLTYPE FindItem(const WCHAR* name, HostItemId* id) = 0;
    // 4: builds the item's calculation from the text; E_INVALIDARG, the item unchanged, for a text that
    // cannot be compiled (message, when given, receives why).
    virtual HRESULT STDMETHODCALLTYPE SetItemCalculation(HostItemId id, const WCHAR* text, BSTR* message) = 0;
    // 5: drops the item's calculation; S_FALSE when it had none.
    virtual HRESULT STDMETHODCALLTYPE DropItemCalculation(HostItemId id) = 0;
    // 6: an event enumerator (IEnumEventEx) over the item's events in the record from startTick on
    // (request HostItemEventsRequest, kind CalcKindEvents, endTick HostRecordEnd); fails for an item
    // without a calculation or one that yields samples.
    virtual HRESULT STDMETHODCALLTYPE OpenItemEvents(HostItemId id, uint32_t request, uint32_t kind, int32_t record,
                                                     int32_t startTick, int32_t endTick, IUnknown** events) = 0;
    // 7: the item's identifier as the document writes it in text.
    virtual HRESULT STDMETHODCALLTYPE FormatItemId(HostItemId id, BSTR* text) = 0;
    // 8: a module's closing document hands back the texts of its items, which the document keeps with
    // its file so that the items are found again when it opens.
    virtual HRESULT STDMETHODCALLTYPE KeepItemText(const WCHAR* text) = 0;
    // 9: an event enumerator (IEnumEventEx) over what calculation text yields in the record from
    // startTick on (request HostTextEventsRequest, flags CalcKindEvents), compiled for this call alone;
    // E_INVALIDARG for a text that cannot be compiled or yields samples. endTick is where the caller stops
    // reading (HostRecordEnd: the record's end).
    virtual HRESULT STDMETHODCALLTYPE OpenTextEvents(uint32_t request, const WCHAR* text, uint32_t flags, int32_t record,
                                                     int32_t startTick, int32_t endTick, IUnknown** events) = 0;
};
// What an event request of calculation text asks for.
inline constexpr uint32_t HostTextEventsRequest = 0x80004004u;
__CRT_UUID_DECL(IHostCalcItems, 0x5C2E7A91, 0x0B4D, 0x4F36, 0x9E, 0x1A, 0x7D, 0x3B, 0x8C, 0x60, 0xF2, 0x14)

// Data a module attaches to a host document, found again by its type id.
// {B8E0D61C-47A2-4C1F-8F35-2A96C0E7D4B3}
struct IStrixDataChildData : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) = 0;                                       // 3
    // 4: a copy of the data for a copy of the document (source: the copy's calculation source).
    virtual HRESULT STDMETHODCALLTYPE Clone(ULONG reserved1, ULONG reserved2, ULONG reserved3, ULONG reserved4,
                                            ULONG reserved5, IUnknown* source, IStrixDataChildData** copy) = 0;
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
};
__CRT_UUID_DECL(IStrixDataChildData, 0xB8E0D61C, 0x47A2, 0x4C1F, 0x8F, 0x35, 0x2A, 0x96, 0xC0, 0xE7, 0xD4, 0xB3)

// The document's holder of child data; it keeps a reference to each.
// {E3F4A2B7-9C18-4D6E-B05A-61C8D2F3E7A9}
struct IHostChildData : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE AttachChildData(IStrixDataChildData* data) = 0;                     // 3
    // 4: S_FALSE when the data was not attached.
    virtual HRESULT STDMETHODCALLTYPE DetachChildData(IStrixDataChildData* data) = 0;
    // 5: the child data of that type id, with a reference for the caller; S_FALSE and null when there is
    // none.
    virtual HRESULT STDMETHODCALLTYPE FindChildData(ULONG typeId, IStrixDataChildData** data) = 0;
};
__CRT_UUID_DECL(IHostChildData, 0xE3F4A2B7, 0x9C18, 0x4D6E, 0xB0, 0x5A, 0x61, 0xC8, 0xD2, 0xF3, 0xE7, 0xA9)

// The child data a record holds, found by type id (a stand-in id: the module only calls its slots).
// {8E21C4A6-35D7-4F0B-9C62-7A1E0B94D35F}
struct IHostChildDataContainer : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    VYR_RESERVED_SLOT(5)
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    VYR_RESERVED_SLOT(11)
    VYR_RESERVED_SLOT(12)
    VYR_RESERVED_SLOT(13)
    VYR_RESERVED_SLOT(14)
    // 15: the child data of that type id (its IUnknown), with one reference; S_FALSE and null without.
    virtual HRESULT STDMETHODCALLTYPE FindChild(ULONG reserved, ULONG typeId, IUnknown** child) = 0;
};
inline constexpr IID IID_IHostChildDataContainer = {0x8E21C4A6, 0x35D7, 0x4F0B, {0x9C, 0x62, 0x7A, 0x1E, 0x0B, 0x94, 0xD3, 0x5F}};

// The host's expression calculation class, the host's common calculation (type number 0 under this
// GUID). Created for a document's record data, its enumerator takes calculation text as its argument
// text and yields, through its IEnumEventEx, the events of that text over the document's channels; a
// module's computed channels and self-tests make their calculations with it.
inline constexpr GUID ExpressionCalcClassGuid = HostCommonGUID;

inline constexpr GUID IID_IHostDocument = __uuidof(IHostDocument);
inline constexpr GUID IID_IHostChannelData = __uuidof(IHostChannelData);
inline constexpr GUID IID_IHostRecordData = __uuidof(IHostRecordData);
inline constexpr GUID IID_IHostChannelSettings = __uuidof(IHostChannelSettings);
inline constexpr GUID IID_IHostChannelDescriptions = __uuidof(IHostChannelDescriptions);
inline constexpr GUID IID_IHostChannelDisplay = __uuidof(IHostChannelDisplay);
inline constexpr GUID IID_IOnlineDataSink = __uuidof(IOnlineDataSink);
inline constexpr GUID IID_IOnlineDataSource = __uuidof(IOnlineDataSource);
inline constexpr GUID IID_IHostDataItems = __uuidof(IHostDataItems);
inline constexpr GUID IID_IHostCalcItems = __uuidof(IHostCalcItems);
inline constexpr GUID IID_IStrixDataChildData = __uuidof(IStrixDataChildData);
inline constexpr GUID IID_IHostChildData = __uuidof(IHostChildData);
