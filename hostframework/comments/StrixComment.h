// The module's comments on the recording as COM objects the host holds: where a comment is (block and
// offset), what it says, how it draws and answers hit tests, the popup it opens and the animation that
// leads the eye to it; the event comment with its colour and the comment of one analysed event.
#pragma once

#include "hostapi/VyrComments.h"
#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"
#include "hostframework/comments/CommentMarker.h"

class StrixCommentBase : public IStrixCommentEx, public IOrvComment, protected Orv::CComObjectRoot
{
public:
    StrixCommentBase(const Orv::String& text, ULONG kind, LONG blockIndex, ULONG offset, LONG channel);
    StrixCommentBase(const StrixCommentBase&) = delete;
    StrixCommentBase& operator=(const StrixCommentBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    // IStrixComment
    HRESULT STDMETHODCALLTYPE GetInfo(LONG position[2], ULONG* kind, ULONG* number, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetPosition(ULONG* offset, LONG* blockIndex) override;
    HRESULT STDMETHODCALLTYPE GetOffset(ULONG* offset) override;
    HRESULT STDMETHODCALLTYPE GetChannel(LONG* channel) override;
    HRESULT STDMETHODCALLTYPE GetKind(ULONG* kind) override;
    HRESULT STDMETHODCALLTYPE Draw(HDC dc, HDC reference, const CommentDrawRecord* record) override;
    HRESULT STDMETHODCALLTYPE HitTest(HDC reference, const CommentDrawRecord* record, POINT point, ULONG* code) override;
    HRESULT STDMETHODCALLTYPE ShowPopupFor(HWND window, const CommentDrawRecord* record, const WCHAR* time,
                                           ICommentPopupWindow** popup) override;
    HRESULT STDMETHODCALLTYPE TrackHover(HWND window, const CommentDrawRecord* record, ULONG duration) override;
    HRESULT STDMETHODCALLTYPE GetNumber(ULONG* number) override;
    HRESULT STDMETHODCALLTYPE SetNumber(ULONG number) override;
    HRESULT STDMETHODCALLTYPE SetKind(ULONG reserved, ULONG kind) override;
    HRESULT STDMETHODCALLTYPE GetLocation(LONG* blockIndex, ULONG* offset) override;
    HRESULT STDMETHODCALLTYPE SetBlock(IStrixCommentBlock* block) override;
    HRESULT STDMETHODCALLTYPE GetBlock(IStrixCommentBlock** block) override;
    HRESULT STDMETHODCALLTYPE GetAbsolutePosition(LONGLONG* position) override;
    HRESULT STDMETHODCALLTYPE SetText(const WCHAR* text) override;
    HRESULT STDMETHODCALLTYPE GetState(ULONG* state) override;
    HRESULT STDMETHODCALLTYPE Reserved21() override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE Reserved22() override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE Compare(IStrixComment* other, LONG* order) override;
    HRESULT STDMETHODCALLTYPE IsEqual(IStrixComment* other) override;

    // IStrixCommentEx
    HRESULT STDMETHODCALLTYPE GetAbsoluteSample(LONG* sample) override;
    HRESULT STDMETHODCALLTYPE SetOffset(ULONG offset) override;
    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(ULONG* typeId, COLORREF* colour, ULONG* reserved) override;
    HRESULT STDMETHODCALLTYPE GetEventPosition(LONG* sample, ULONG* word) override;
    HRESULT STDMETHODCALLTYPE ShowPopup(HWND window, const WCHAR* time, ICommentPopupWindow** popup,
                                        const RECT* marker) override;
    HRESULT STDMETHODCALLTYPE AnimateRectangle(HWND window, const RECT* from, const RECT* to, ULONG duration) override;
    HRESULT STDMETHODCALLTYPE AnimateEllipse(HWND window, const RECT* from, const RECT* to, ULONG duration) override;
    HRESULT STDMETHODCALLTYPE Animate(HWND window, ULONG shape, const RECT* from, const RECT* to,
                                      ULONG duration) override;
    HRESULT STDMETHODCALLTYPE GetFillColour(const CommentDrawRecord* record, COLORREF* colour) override;
    HRESULT STDMETHODCALLTYPE GetMarker(HDC reference, const CommentDrawRecord* record, RECT* marker) override;
    HRESULT STDMETHODCALLTYPE GetMarkerOf(HDC reference, const CommentDrawRecord* record, RECT* marker) override;

    // IOrvComment (GetKind is shared)
    HRESULT STDMETHODCALLTYPE GetSampleInfo(LONG* sample, ULONG* kind, ULONG* number, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE GetSampleIndex(LONG* sample) override;
    HRESULT STDMETHODCALLTYPE GetDisplayFlags(ULONG* flags) override;

    // Whether Draw writes the text (non-zero) at all.
    void SetDisplayFlags(ULONG flags) { displayFlags_ = flags; }

protected:
    virtual ~StrixCommentBase();
    virtual COLORREF CommentColour() const { return RGB(255, 255, 255); }
    // The sample index in the recording: offset plus the block's first sample; -1 without a block.
    LONG SampleIndex() const;

private:
    LONG BlockIndex() const;

    LONG channel_;
    ULONG number_ = 0;
    ULONG offset_;
    ULONG kind_;
    Orv::String text_;
    ULONG displayFlags_ = 0;
    Orv::ComPtr<IStrixCommentBlock> block_;
    LONG blockIndex_;
};

// A comment of an analysed event, drawn in its channel's colour.
class EventCommentBase : public StrixCommentBase
{
public:
    EventCommentBase(const Orv::String& text, ULONG kind, LONG blockIndex, ULONG offset, LONG channel,
                     COLORREF colour = RGB(255, 255, 255));

protected:
    COLORREF CommentColour() const override { return colour_; }

private:
    COLORREF colour_;
};

namespace StrixClient
{

// The comment of one event of the recording: its place is the event's identity (sample index and the
// block's word), which the host gives in the event's terms.
class EventDataCommentTP final : public EventCommentBase
{
public:
    // blockIndex and offset: where the event lies, as the host converted its identity.
    EventDataCommentTP(const ULONG identity[2], LONG channel, LONG blockIndex, ULONG offset, COLORREF colour,
                       const Orv::String& text);
    // A comment the host's data places: the identity converted into its record and offset, the channel's
    // trace colour (white without the host's drawing of it) and the text the provider writes for the
    // event (empty without a provider).
    EventDataCommentTP(IUnknown* hostData, const ULONG identity[2], LONG channel, ICommentTextProvider* provider);

    HRESULT STDMETHODCALLTYPE GetAbsoluteSample(LONG* sample) override;
    HRESULT STDMETHODCALLTYPE SetOffset(ULONG offset) override;
    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(ULONG* typeId, COLORREF* colour, ULONG* reserved) override;
    HRESULT STDMETHODCALLTYPE GetEventPosition(LONG* sample, ULONG* word) override;

private:
    struct Place
    {
        LONG blockIndex = 0;
        ULONG offset = 0;
        COLORREF colour = RGB(255, 255, 255);
        Orv::String text;
    };
    static Place PlaceOf(IUnknown* hostData, const ULONG identity[2], LONG channel, ICommentTextProvider* provider);
    EventDataCommentTP(const ULONG identity[2], LONG channel, const Place& place)
        : EventDataCommentTP(identity, channel, place.blockIndex, place.offset, place.colour, place.text)
    {
    }

    ULONG identity_[2];
};

} // namespace StrixClient

// The message that asks the host to show a comment; its last word marks whom it came from. It goes in
// the context of the host object made for the comment when the comment was created, when it has one.
class ShowComment2Msg final : public IMessage,
                              public IShowComment2Message,
                              public IVyrMessageWords,
                              private Orv::CComObjectRoot
{
public:
    explicit ShowComment2Msg(IStrixComment* comment, ULONG_PTR first = 0, const void* sender = nullptr,
                             ULONG context = 0);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE GetClassId(ULONG* typeId) override;
    HRESULT STDMETHODCALLTYPE Save(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetId(ULONG* id) override;
    HRESULT STDMETHODCALLTYPE GetFlags(ULONG* flags) override;
    HRESULT STDMETHODCALLTYPE GetPayloadSize(ULONG* size) override;
    HRESULT STDMETHODCALLTYPE GetPayload(const void** payload) override;
    HRESULT STDMETHODCALLTYPE SetSender(const void* sender) override;
    HRESULT STDMETHODCALLTYPE IsFromSender(const void* sender, VARIANT_BOOL* answer) override;

    HRESULT STDMETHODCALLTYPE GetComment(IStrixComment** comment) override;

    // IVyrMessageWords: no origin, and the context word.
    HRESULT STDMETHODCALLTYPE GetCreatorWords(ULONG* originId, ULONG* originPresent, ULONG* context) override;

    // A new message with the same words, with one reference.
    ShowComment2Msg* Clone() const;

private:
    ~ShowComment2Msg() = default;

    Orv::ComPtr<IStrixComment> comment_;
    ULONG_PTR first_;
    const void* sender_;
    ULONG context_;
};
