// What the trace display's record drawers reach of the host: the drawer host a pane strip hands to its
// drawers (position conversions, live positions, the record data source) and the record data source
// itself (values, sample point runs, events), with the option objects a drawer may be given.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/CalcInterfaces.h"

#include <oaidl.h>
#include <unknwn.h>
#include <windows.h>

// A run of device points that the data source made from a stretch of samples for one strip's value
// transform and horizontal scale: pairs of points, one vertical segment per pixel column.
struct IPointRun : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetSampleCount(LONGLONG* count) = 0;                               // 3
    // 4: the sample position at which the run starts.
    virtual HRESULT STDMETHODCALLTYPE GetPosition(LONGLONG* position) = 0;
    // 5: up to capacity points for the samples from start on (remaining of them); count: points
    // written (always even), consumed: samples they cover.
    virtual HRESULT STDMETHODCALLTYPE Fetch(LONGLONG start, LONGLONG remaining, LONG capacity, POINT* points,
                                            LONG* count, LONGLONG* consumed) = 0;
};

// What the data source tells of one sample: its units, its position and the range it lies in.
struct ISampleInformation : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetUnits(ULONG query, BSTR* units) = 0;                           // 3
    virtual HRESULT STDMETHODCALLTYPE GetPosition(LONGLONG* position) = 0;                              // 4
    virtual HRESULT STDMETHODCALLTYPE GetRange(ULONG query, double* low, double* high) = 0;             // 5
};

// The record data a drawer draws from. Request words: the drawer's flags with its channel's
// sub-index in the low byte and per-request bits above.
struct IRecordDataSource : IUnknown
{
    // 3: the record being sampled; -1 while none is.
    virtual HRESULT STDMETHODCALLTYPE GetLiveRecord(ULONG reserved, LONG* record) = 0;
    // 4: the lowest and highest value of the channel between two positions; S_FALSE without data.
    virtual HRESULT STDMETHODCALLTYPE GetRange(ULONG request, LONG channel, LONGLONG from, LONGLONG to,
                                               double* low, double* high, ULONG reserved1, ULONG reserved2,
                                               ULONG reserved3, ULONG last) = 0;
    // 5: whether a sample is recorded at the position.
    virtual HRESULT STDMETHODCALLTYPE IsValid(ULONG request, LONGLONG position, LONG channel, SHORT* valid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetValue(ULONG request, LONGLONG position, LONG channel, double* value) = 0; // 6
    virtual HRESULT STDMETHODCALLTYPE GetSampleInfo(ULONG request, LONGLONG position, LONG channel,
                                                    ISampleInformation** info) = 0;                     // 7
    // 8: the events of an event channel from start on (limit: the last tick wanted).
    virtual HRESULT STDMETHODCALLTYPE OpenEvents(ULONG request, LONG channel, ULONG kind, LONGLONG start, LONG limit,
                                                 IEnumEventEx** events) = 0;
    // 9: a point run over the samples of the record from start on. horizontalScale: samples per pixel
    // and the pixel phase; valueTransform: row = (value + offset) * scale, as {scale, offset}.
    virtual HRESULT STDMETHODCALLTYPE OpenPointRun(ULONG request, LONG channel, const double* horizontalScale,
                                                   LONGLONG start, LONG record, LONG reserved, LONG limit,
                                                   const double* valueTransform, ULONG style, IPointRun** run) = 0;
};
inline constexpr IID IID_IRecordDataSource = {0xAD6CD303, 0x7868, 0x4A12, {0xB4, 0xAE, 0x97, 0xC0, 0x2E, 0xE8, 0xF5, 0xE3}};

// The host side of a pane strip, handed to every drawer's Attach.
struct IDrawerHost : IUnknown
{
    // 3: a layout wish of the drawer (hint id, value).
    virtual HRESULT STDMETHODCALLTYPE SetLayoutHint(ULONG hint, LONG value) = 0;
    // 4: the sample position where the live record's cached drawing starts.
    virtual HRESULT STDMETHODCALLTYPE GetLiveStart(ULONG reserved, LONGLONG* position) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDataSource(IUnknown** source) = 0;                               // 5
    // 6: a strip position as (record, event position); mode 2 rounds to the start of a stretch, 1 to its end.
    virtual HRESULT STDMETHODCALLTYPE ToEventPosition(ULONG mode, LONGLONG position, LONGLONG* eventPosition,
                                                      LONG* record) = 0;
    // 7: an event position of a record as a strip x position.
    virtual HRESULT STDMETHODCALLTYPE EventPositionToX(ULONG flags, LONG record, double position, double* x) = 0;
    // 8: samples per pixel and the pixel phase of the strip.
    virtual HRESULT STDMETHODCALLTYPE GetHorizontalScale(double* scale) = 0;
    // 9: the colour provider (an IPODEventDrawClass) of an event type; S_FALSE and null for none.
    virtual HRESULT STDMETHODCALLTYPE GetEventTypeColours(ULONG type, IUnknown** provider) = 0;
};
// A stand-in id: the drawers query the host handed to Attach for it.
inline constexpr IID IID_IDrawerHost = {0x4F1A7C20, 0x93D5, 0x4E0B, {0xA6, 0x18, 0x2C, 0x57, 0x80, 0x3B, 0xD9, 0x64}};

// The type word of an event stream, answered by event enumerators whose events have a type.
struct IEventTypeWord : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetTypeWord(ULONG* type) = 0;                                       // 3
};
inline constexpr IID IID_IEventTypeWord = {0x4F1A7C21, 0x93D5, 0x4E0B, {0xA6, 0x18, 0x2C, 0x57, 0x80, 0x3B, 0xD9, 0x64}};

// The grid options of a channel strip.
struct IGridOptions : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetOptions(COLORREF* colour, SHORT* showGrid, ULONG* style) = 0;   // 3
    virtual HRESULT STDMETHODCALLTYPE GetShowTrigger(SHORT* show) = 0;                                    // 4
};
inline constexpr IID IID_IGridOptions = {0xB43836B3, 0xBDA6, 0x4F14, {0x8D, 0xB2, 0x75, 0x47, 0x31, 0xA0, 0x27, 0xBE}};

// How the host wants a channel's trace drawn.
struct IChannelDrawSettings : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetStyle(ULONG which, LONG channel, ULONG* style) = 0;              // 3
    virtual HRESULT STDMETHODCALLTYPE GetColour(ULONG flags, LONG channel, ULONG subIndex, COLORREF* colour) = 0; // 4
    virtual HRESULT STDMETHODCALLTYPE GetLineWidth(LONG channel, LONG* width) = 0;                        // 5
};
inline constexpr IID IID_IChannelDrawSettings = {0x4F1A7C22, 0x93D5, 0x4E0B, {0xA6, 0x18, 0x2C, 0x57, 0x80, 0x3B, 0xD9, 0x64}};

// The host's display preferences of a channel, as records by preference id.
namespace PreferenceId
{
constexpr ULONG LevelLine = 0x800C0084u;  // index 1 or 2: HostLevelLine
constexpr ULONG LevelFills = 0x800C0085u; // no index: HostLevelFills
constexpr ULONG LevelValue = 0x800C0086u; // index 1 or 2: HostLevelValue
} // namespace PreferenceId

struct HostLevelLine
{
    SHORT on;
    SHORT line;
    COLORREF colour;
};

// The caller frees the two texts.
struct HostLevelValue
{
    double value;
    BSTR text;
    BSTR units;
};

struct HostLevelFills
{
    SHORT fillAbove;
    COLORREF aboveColour;
    SHORT fillBetween;
    COLORREF betweenColour;
    SHORT fillBelow;
    COLORREF belowColour;
};

struct IPreferenceSource : IUnknown
{
    // 3: the preference (id, channel, index) converted into its record; S_FALSE and nothing written when
    // the host keeps no such preference. size: the record's size in bytes.
    virtual HRESULT STDMETHODCALLTYPE GetPreferenceRecord(ULONG id, LONG channel, LONG index, void* record,
                                                          ULONG size) = 0;
};
inline constexpr IID IID_IPreferenceSource = {0x8C9C3423, 0xCD9C, 0x11D1, {0xB2, 0xEA, 0x00, 0x60, 0x08, 0x94, 0xD7, 0x2A}};
