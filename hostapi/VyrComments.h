// Comments on the recording: objects a module places along the host's display of channels against time,
// which the host draws, hit-tests and asks for a popup, and the block of the recording a comment is in.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/VyrIds.h"
#include "hostapi/VyrMessaging.h"

#include <oaidl.h>
#include <unknwn.h>

// Where the host wants one comment drawn.
struct CommentDrawRecord
{
    int x;
    int top;
    int bottom;
    int alternativeBottom;
    ULONG flags;
};

namespace CommentDrawFlag
{
constexpr ULONG Text = 1u << 19;
constexpr ULONG DottedLine = (1u << 20) | (1u << 23);
constexpr ULONG Highlighted = 1u << 24;
constexpr ULONG UseAlternativeBottom = 1u << 25;
} // namespace CommentDrawFlag

// A comment state bit: the comment keeps its popup closed.
constexpr ULONG CommentStateNoPopup = 1u << 19;
// What HitTest answers for a point on the comment's marker.
constexpr ULONG CommentHitMarker = 4;

// A record (block) of the host's recording, as a comment sees it.
struct IStrixCommentBlock : IUnknown
{
    VYR_RESERVED_SLOT(3)
    VYR_RESERVED_SLOT(4)
    // 5: the block's word that an event comment pairs with its sample index.
    virtual HRESULT STDMETHODCALLTYPE GetEventWord(ULONG* word) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFirstSample(LONG* sample) = 0;                                 // 6
    VYR_RESERVED_SLOT(7)
    VYR_RESERVED_SLOT(8)
    VYR_RESERVED_SLOT(9)
    VYR_RESERVED_SLOT(10)
    virtual HRESULT STDMETHODCALLTYPE GetIndex(LONG* index) = 0;                                        // 11
    VYR_RESERVED_SLOT(12)
    virtual HRESULT STDMETHODCALLTYPE GetStart(LONGLONG* start) = 0;                                    // 13
};

struct IStrixComment;

// The small window that shows one comment's time and text.
struct ICommentPopupWindow : IUnknown
{
    // 3: the comment, with one reference; E_INVALIDARG for a null argument.
    virtual HRESULT STDMETHODCALLTYPE GetComment(IStrixComment** comment) = 0;
    virtual HRESULT STDMETHODCALLTYPE Repaint() = 0;                                                    // 4
};

struct IStrixComment : IUnknown
{
    // 3: (block index, offset), kind, number and text; a null argument is skipped.
    virtual HRESULT STDMETHODCALLTYPE GetInfo(LONG position[2], ULONG* kind, ULONG* number, BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(ULONG* offset, LONG* blockIndex) = 0;                 // 4
    virtual HRESULT STDMETHODCALLTYPE GetOffset(ULONG* offset) = 0;                                     // 5
    virtual HRESULT STDMETHODCALLTYPE GetChannel(LONG* channel) = 0;                                    // 6
    virtual HRESULT STDMETHODCALLTYPE GetKind(ULONG* kind) = 0;                                         // 7
    virtual HRESULT STDMETHODCALLTYPE Draw(HDC dc, HDC reference, const CommentDrawRecord* record) = 0; // 8
    // 9: S_OK and CommentHitMarker for a point on the marker, else S_FALSE and 0.
    virtual HRESULT STDMETHODCALLTYPE HitTest(HDC reference, const CommentDrawRecord* record, POINT point,
                                              ULONG* code) = 0;
    // 10: the popup for the marker drawn by record in window.
    virtual HRESULT STDMETHODCALLTYPE ShowPopupFor(HWND window, const CommentDrawRecord* record, const WCHAR* time,
                                                   ICommentPopupWindow** popup) = 0;
    // 11: leads the eye from around the marker to it over duration milliseconds.
    virtual HRESULT STDMETHODCALLTYPE TrackHover(HWND window, const CommentDrawRecord* record, ULONG duration) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumber(ULONG* number) = 0;                                     // 12
    virtual HRESULT STDMETHODCALLTYPE SetNumber(ULONG number) = 0;                                      // 13
    virtual HRESULT STDMETHODCALLTYPE SetKind(ULONG reserved, ULONG kind) = 0;                          // 14
    virtual HRESULT STDMETHODCALLTYPE GetLocation(LONG* blockIndex, ULONG* offset) = 0;                 // 15
    // 16: attaches the block; null detaches it, keeping its index.
    virtual HRESULT STDMETHODCALLTYPE SetBlock(IStrixCommentBlock* block) = 0;
    // 17: the block with one reference; S_FALSE when none is attached.
    virtual HRESULT STDMETHODCALLTYPE GetBlock(IStrixCommentBlock** block) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAbsolutePosition(LONGLONG* position) = 0;                      // 18
    virtual HRESULT STDMETHODCALLTYPE SetText(const WCHAR* text) = 0;                                   // 19
    virtual HRESULT STDMETHODCALLTYPE GetState(ULONG* state) = 0;                                       // 20
    virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;                                                 // 21
    virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;                                                 // 22
    VYR_RESERVED_SLOT(23)
    // 24: the order of this comment and other (-1, 0, 1) by position, channel, kind and text.
    virtual HRESULT STDMETHODCALLTYPE Compare(IStrixComment* other, LONG* order) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsEqual(IStrixComment* other) = 0;                                // 25
};

struct IStrixCommentEx : IStrixComment
{
    // 26: the sample index in the recording; E_FAIL and -1 without a block.
    virtual HRESULT STDMETHODCALLTYPE GetAbsoluteSample(LONG* sample) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOffset(ULONG offset) = 0;                                      // 27
    virtual HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) = 0;                                     // 28
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(ULONG* typeId, COLORREF* colour, ULONG* reserved) = 0; // 29
    // 30: the sample index and the block's event word; E_FAIL without a block.
    virtual HRESULT STDMETHODCALLTYPE GetEventPosition(LONG* sample, ULONG* word) = 0;
    // 31: a popup above marker (window client coordinates) with the time text; S_FALSE when the comment's
    // state keeps it closed.
    virtual HRESULT STDMETHODCALLTYPE ShowPopup(HWND window, const WCHAR* time, ICommentPopupWindow** popup,
                                                const RECT* marker) = 0;
    virtual HRESULT STDMETHODCALLTYPE AnimateRectangle(HWND window, const RECT* from, const RECT* to,
                                                       ULONG duration) = 0;                             // 32
    virtual HRESULT STDMETHODCALLTYPE AnimateEllipse(HWND window, const RECT* from, const RECT* to,
                                                     ULONG duration) = 0;                               // 33
    virtual HRESULT STDMETHODCALLTYPE Animate(HWND window, ULONG shape, const RECT* from, const RECT* to,
                                              ULONG duration) = 0;                                      // 34
    virtual HRESULT STDMETHODCALLTYPE GetFillColour(const CommentDrawRecord* record, COLORREF* colour) = 0; // 35
    virtual HRESULT STDMETHODCALLTYPE GetMarker(HDC reference, const CommentDrawRecord* record, RECT* marker) = 0; // 36
    virtual HRESULT STDMETHODCALLTYPE GetMarkerOf(HDC reference, const CommentDrawRecord* record,
                                                  RECT* marker) = 0;                                    // 37
};

// The same comment for other code of the module.
struct IOrvComment : IUnknown
{
    // 3: sample index (-1 without a block), kind, number and text; a null argument is skipped.
    virtual HRESULT STDMETHODCALLTYPE GetSampleInfo(LONG* sample, ULONG* kind, ULONG* number, BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetKind(ULONG* kind) = 0;                                         // 4
    // 5: offset plus the block's first sample; E_FAIL and -1 without a block.
    virtual HRESULT STDMETHODCALLTYPE GetSampleIndex(LONG* sample) = 0;
    VYR_RESERVED_SLOT(6)
    VYR_RESERVED_SLOT(7)
    virtual HRESULT STDMETHODCALLTYPE GetDisplayFlags(ULONG* flags) = 0;                                // 8
};

// The message that asks the host to show a comment.
struct IShowComment2Message : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetComment(IStrixComment** comment) = 0;                          // 3
};

constexpr ULONG ShowComment2MessageId = 0x800C005A;
// The host's data of a document as comments on its events read it.
struct IHostCommentData : IUnknown
{
    // 3: where an event lies: its identity (the sample index over the records laid end to end, and the
    // record's word) as a record index and an offset in that record.
    virtual HRESULT STDMETHODCALLTYPE LocateEvent(ULONG sample, ULONG word, LONG* blockIndex, ULONG* offset) = 0;
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
    // 19: the word of what the channel shows at the position (HostUnsetPosition: wherever it is).
    virtual HRESULT STDMETHODCALLTYPE GetSourceValue(ULONG position, LONG channel, ULONG* value) = 0;
};

// The host's drawing of a channel's trace, from the object factory by type HostChannelDrawingType.
struct IHostChannelDrawing : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetChannelColour(LONG channel, COLORREF* colour) = 0;           // 3
};
inline constexpr uint32_t HostChannelDrawingType = 0x8000001D;

// What a comment on an event asks its text of, given the host data, the source value of the event's
// channel and the event's position (record index, offset).
struct ICommentTextProvider : IUnknown
{
    VYR_RESERVED_SLOT(3)
    virtual HRESULT STDMETHODCALLTYPE GetCommentText(IUnknown* hostData, ULONG value, const LONG position[2],
                                                     BSTR* text) = 0;                                   // 4
};

// The comments a document asked its host to show (ShowComment2MessageId), in order.
struct IHostShownComments : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetCommentCount(ULONG* count) = 0;                                // 3
    virtual HRESULT STDMETHODCALLTYPE GetComment(ULONG index, IStrixComment** comment) = 0;             // 4
};

// Stand-in ids: the host's own are not known here; module and stand-in agree on these.
inline constexpr IID IID_IStrixComment = {0x6A1C3F01, 0x52B7, 0x4E0D, {0x8C, 0x4A, 0x19, 0x7E, 0x33, 0xD0, 0x6B, 0x21}};
inline constexpr IID IID_IStrixCommentEx = {0x6A1C3F02, 0x52B7, 0x4E0D, {0x8C, 0x4A, 0x19, 0x7E, 0x33, 0xD0, 0x6B, 0x21}};
inline constexpr IID IID_IOrvComment = {0x6A1C3F03, 0x52B7, 0x4E0D, {0x8C, 0x4A, 0x19, 0x7E, 0x33, 0xD0, 0x6B, 0x21}};
inline constexpr IID IID_ICommentPopupWindow = {0x6A1C3F04, 0x52B7, 0x4E0D, {0x8C, 0x4A, 0x19, 0x7E, 0x33, 0xD0, 0x6B, 0x21}};
inline constexpr IID IID_IShowComment2Message = {0x6A1C3F05, 0x52B7, 0x4E0D, {0x8C, 0x4A, 0x19, 0x7E, 0x33, 0xD0, 0x6B, 0x21}};
inline constexpr IID IID_IStrixCommentBlock = {0x6A1C3F06, 0x52B7, 0x4E0D, {0x8C, 0x4A, 0x19, 0x7E, 0x33, 0xD0, 0x6B, 0x21}};
inline constexpr IID IID_IHostCommentData = {0x6A1C3F07, 0x52B7, 0x4E0D, {0x8C, 0x4A, 0x19, 0x7E, 0x33, 0xD0, 0x6B, 0x21}};
inline constexpr IID IID_IHostChannelDrawing = {0x6A1C3F08, 0x52B7, 0x4E0D, {0x8C, 0x4A, 0x19, 0x7E, 0x33, 0xD0, 0x6B, 0x21}};
inline constexpr IID IID_ICommentTextProvider = {0x6A1C3F09, 0x52B7, 0x4E0D, {0x8C, 0x4A, 0x19, 0x7E, 0x33, 0xD0, 0x6B, 0x21}};
inline constexpr IID IID_IHostShownComments = {0x6A1C3F0A, 0x52B7, 0x4E0D, {0x8C, 0x4A, 0x19, 0x7E, 0x33, 0xD0, 0x6B, 0x21}};
