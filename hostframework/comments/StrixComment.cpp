#include "hostframework/comments/StrixComment.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "hostframework/comments/CommentPopup.h"
#include "hostframework/messaging/MessageIds.h"
#include "hostframework/services/HostServices.h"

#include <algorithm>
#include <tuple>

namespace
{

constexpr int HoverInflation = 50;
constexpr int AnimationSteps = 10;
constexpr DWORD AnimationSettleMs = 50;
constexpr ULONG RectangleShape = 0;
constexpr ULONG EllipseShape = 1;
constexpr int AnimationPenWidth = 2;
// The comment type id: number 18 under the host's type GUID.
constexpr USHORT CommentTypeNumber = 18;

BSTR CopyText(const Orv::String& text)
{
    return SysAllocStringLen(text.c_str(), static_cast<UINT>(text.Length()));
}

template <class T>
void Put(T* out, T value)
{
    if (out)
        *out = value;
}

// What orders two comments: position, channel, kind, then text.
struct CommentKey
{
    LONG blockIndex = 0;
    ULONG offset = 0;
    LONG channel = 0;
    ULONG kind = 0;
    std::wstring text;

    auto Tied() const { return std::tie(blockIndex, offset, channel, kind, text); }
};

CommentKey KeyOf(IStrixComment& comment)
{
    CommentKey key;
    LONG position[2] = {};
    BSTR text = nullptr;
    comment.GetInfo(position, &key.kind, nullptr, &text);
    comment.GetChannel(&key.channel);
    key.blockIndex = position[0];
    key.offset = static_cast<ULONG>(position[1]);
    key.text = text ? text : L"";
    SysFreeString(text);
    return key;
}

// The first window upwards from window that has a sizing frame (or the top window).
HWND SizingAncestor(HWND window)
{
    for (HWND current = window; current; current = GetParent(current))
        if ((GetWindowLongPtrW(current, GWL_STYLE) & WS_THICKFRAME) || !GetParent(current))
            return current;
    return window;
}

RECT StepRect(const RECT& from, const RECT& to, int step)
{
    const auto edge = [step](LONG a, LONG b) { return static_cast<LONG>(a + (b - a) * step / AnimationSteps); };
    return RECT{edge(from.left, to.left), edge(from.top, to.top), edge(from.right, to.right), edge(from.bottom, to.bottom)};
}

void Outline(HDC dc, const RECT& rect)
{
    const POINT corners[] = {{rect.left, rect.top}, {rect.right, rect.top}, {rect.right, rect.bottom},
                             {rect.left, rect.bottom}, {rect.left, rect.top}};
    Polyline(dc, corners, static_cast<int>(std::size(corners)));
}

// The animation runs in the window DC of the sizing ancestor, whose state it restores.
void RunAnimation(HWND window, ULONG shape, const RECT& from, const RECT& to, ULONG duration)
{
    const DWORD step = duration / AnimationSteps;
    GdiFlush();
    Sleep(AnimationSettleMs);
    HWND target = SizingAncestor(window);
    HDC dc = GetWindowDC(target);
    if (!dc)
        return;
    const int saved = SaveDC(dc);
    HPEN pen = CreatePen(PS_SOLID, AnimationPenWidth, RGB(0, 0, 0));
    SelectObject(dc, pen);
    SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    SetROP2(dc, R2_NOT);
    // Client coordinates of window into the target's window coordinates.
    RECT targetPlace{};
    GetWindowRect(target, &targetPlace);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const int dx = origin.x - targetPlace.left, dy = origin.y - targetPlace.top;
    HDC background = nullptr;
    HBITMAP savedBits = nullptr;
    const int width = targetPlace.right - targetPlace.left, height = targetPlace.bottom - targetPlace.top;
    for (int i = 0; i < AnimationSteps; ++i)
    {
        RECT rect = StepRect(from, to, i);
        OffsetRect(&rect, dx, dy);
        if (shape == RectangleShape)
        {
            Outline(dc, rect);
            Sleep(step);
            Outline(dc, rect);
            continue;
        }
        if (!background)
        {
            background = CreateCompatibleDC(dc);
            savedBits = CreateCompatibleBitmap(dc, width, height);
            SelectObject(background, savedBits);
            BitBlt(background, 0, 0, width, height, dc, 0, 0, SRCCOPY);
        }
        Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
        Sleep(step);
        BitBlt(dc, 0, 0, width, height, background, 0, 0, SRCCOPY);
    }
    RestoreDC(dc, saved);
    if (background)
    {
        DeleteDC(background);
        DeleteObject(savedBits);
    }
    DeleteObject(pen);
    ReleaseDC(target, dc);
}

} // namespace

StrixCommentBase::StrixCommentBase(const Orv::String& text, ULONG kind, LONG blockIndex, ULONG offset, LONG channel)
    : channel_(channel), offset_(offset), kind_(kind), text_(text), blockIndex_(blockIndex)
{
}

StrixCommentBase::~StrixCommentBase() = default;

HRESULT STDMETHODCALLTYPE StrixCommentBase::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryFaces(iid, object,
                           {{static_cast<IStrixCommentEx*>(this), {IID_IStrixComment, IID_IStrixCommentEx}},
                            {static_cast<IOrvComment*>(this), {IID_IOrvComment}}});
}

LONG StrixCommentBase::BlockIndex() const
{
    LONG index = blockIndex_;
    if (block_)
        block_->GetIndex(&index);
    return index;
}

LONG StrixCommentBase::SampleIndex() const
{
    LONG first = 0;
    if (!block_ || FAILED(block_->GetFirstSample(&first)))
        return -1;
    return first + static_cast<LONG>(offset_);
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetInfo(LONG position[2], ULONG* kind, ULONG* number, BSTR* text)
{
    return Orv::CatchReturn([&] {
        if (position)
        {
            position[0] = BlockIndex();
            position[1] = static_cast<LONG>(offset_);
        }
        Put(kind, kind_);
        Put(number, number_);
        if (text)
            *text = CopyText(text_);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetPosition(ULONG* offset, LONG* blockIndex)
{
    Put(offset, offset_);
    Put(blockIndex, BlockIndex());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetOffset(ULONG* offset)
{
    return Orv::AnswerValue(offset, offset_);
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetChannel(LONG* channel)
{
    return Orv::AnswerValue(channel, channel_);
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetKind(ULONG* kind)
{
    return Orv::AnswerValue(kind, kind_);
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::Draw(HDC dc, HDC reference, const CommentDrawRecord* record)
{
    return Orv::CatchReturn([&] {
        if (!dc || !record)
            return E_POINTER;
        COLORREF fill = 0;
        GetFillColour(record, &fill);
        DrawComment(dc, reference ? reference : dc, *record,
                    CommentAppearance{std::wstring(text_.c_str(), text_.Length()), displayFlags_, fill});
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::HitTest(HDC reference, const CommentDrawRecord* record, POINT point,
                                                    ULONG* code)
{
    const bool hit = reference && record && CommentHit(*record, reference, point);
    Put(code, hit ? CommentHitMarker : 0);
    return hit ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::ShowPopupFor(HWND window, const CommentDrawRecord* record,
                                                         const WCHAR* time, ICommentPopupWindow** popup)
{
    if (!record)
        return E_POINTER;
    HDC dc = GetDC(window);
    const RECT marker = CommentMarkerRect(*record, dc);
    ReleaseDC(window, dc);
    return ShowPopup(window, time, popup, &marker);
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::TrackHover(HWND window, const CommentDrawRecord* record, ULONG duration)
{
    return Orv::CatchReturn([&] {
        if (!record || !IsWindowVisible(window) || IsIconic(window))
            return S_FALSE;
        POINT point{record->x, record->top};
        ClientToScreen(window, &point);
        if (WindowFromPoint(point) != window)
            return S_FALSE;
        HDC dc = GetDC(window);
        const RECT marker = CommentMarkerRect(*record, dc);
        ReleaseDC(window, dc);
        RECT around = marker;
        InflateRect(&around, HoverInflation, HoverInflation);
        return AnimateEllipse(window, &around, &marker, duration);
    });
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetNumber(ULONG* number)
{
    return Orv::AnswerValue(number, number_);
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::SetNumber(ULONG number)
{
    number_ = number;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::SetKind(ULONG, ULONG kind)
{
    kind_ = kind;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetLocation(LONG* blockIndex, ULONG* offset)
{
    Put(blockIndex, BlockIndex());
    Put(offset, offset_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::SetBlock(IStrixCommentBlock* block)
{
    if (!block && block_)
        blockIndex_ = BlockIndex();
    block_ = Orv::ComPtr<IStrixCommentBlock>(block);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetBlock(IStrixCommentBlock** block)
{
    return Orv::AnswerReference(block, block_.Get(), S_FALSE);
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetAbsolutePosition(LONGLONG* position)
{
    if (!position)
        return E_POINTER;
    LONGLONG start = 0;
    if (block_)
        block_->GetStart(&start);
    *position = start + offset_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::SetText(const WCHAR* text)
{
    return Orv::CatchReturn([&] {
        text_ = Orv::String(text ? text : L"");
        return S_OK;
    });
}

// The module's comments never keep their popups closed.
HRESULT STDMETHODCALLTYPE StrixCommentBase::GetState(ULONG* state)
{
    return Orv::AnswerValue(state, ULONG{0});
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::Compare(IStrixComment* other, LONG* order)
{
    return Orv::CatchReturn([&] {
        if (!other || !order)
            return E_POINTER;
        const CommentKey mine = KeyOf(*this), theirs = KeyOf(*other);
        *order = mine.Tied() < theirs.Tied() ? -1 : (theirs.Tied() < mine.Tied() ? 1 : 0);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::IsEqual(IStrixComment* other)
{
    if (other == static_cast<IStrixComment*>(this))
        return S_OK;
    LONG order = 1;
    return SUCCEEDED(Compare(other, &order)) && order == 0 ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetAbsoluteSample(LONG* sample)
{
    return GetSampleIndex(sample);
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::SetOffset(ULONG offset)
{
    offset_ = offset;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetTypeId(ULONG* typeId)
{
    Put(typeId, ULONG{0});
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetTypeInfo(ULONG* typeId, COLORREF* colour, ULONG* reserved)
{
    Put(typeId, ULONG{0});
    Put(colour, CommentColour());
    Put(reserved, ULONG{0});
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetEventPosition(LONG* sample, ULONG* word)
{
    ULONG blockWord = 0;
    if (!block_ || FAILED(block_->GetEventWord(&blockWord)))
        return E_FAIL;
    Put(sample, SampleIndex());
    Put(word, blockWord);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::ShowPopup(HWND window, const WCHAR* time, ICommentPopupWindow** popup,
                                                      const RECT* marker)
{
    return Orv::CatchReturn([&] {
        if (!popup || !marker)
            return E_POINTER;
        *popup = nullptr;
        ULONG state = 0;
        GetState(&state);
        if (state & CommentStateNoPopup)
            return S_FALSE;
        POINT anchor{(marker->left + marker->right) / 2, marker->top};
        ClientToScreen(window, &anchor);
        COLORREF fill = CommentColour();
        auto* made = new CommentPopup(window, anchor,
                                      CommentAppearance{std::wstring(text_.c_str(), text_.Length()), displayFlags_, fill},
                                      time ? time : L"", marker->bottom - marker->top, this);
        made->AddRef();
        made->Create();
        *popup = made;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::AnimateRectangle(HWND window, const RECT* from, const RECT* to,
                                                             ULONG duration)
{
    return Animate(window, RectangleShape, from, to, duration);
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::AnimateEllipse(HWND window, const RECT* from, const RECT* to, ULONG duration)
{
    return Animate(window, EllipseShape, from, to, duration);
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::Animate(HWND window, ULONG shape, const RECT* from, const RECT* to,
                                                    ULONG duration)
{
    return Orv::CatchReturn([&] {
        if (!from || !to)
            return E_POINTER;
        if (!IsWindowVisible(window) || IsIconic(window))
            return S_FALSE;
        RunAnimation(window, shape, *from, *to, duration);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetFillColour(const CommentDrawRecord* record, COLORREF* colour)
{
    if (!record || !colour)
        return E_POINTER;
    *colour = (record->flags & CommentDrawFlag::Highlighted) ? RGB(0, 0, 0) : CommentColour();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetMarker(HDC reference, const CommentDrawRecord* record, RECT* marker)
{
    return GetMarkerOf(reference, record, marker);
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetMarkerOf(HDC reference, const CommentDrawRecord* record, RECT* marker)
{
    if (!reference || !record || !marker)
        return E_POINTER;
    *marker = CommentMarkerRect(*record, reference);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetSampleInfo(LONG* sample, ULONG* kind, ULONG* number, BSTR* text)
{
    return Orv::CatchReturn([&] {
        Put(sample, SampleIndex());
        Put(kind, kind_);
        Put(number, number_);
        if (text)
            *text = CopyText(text_);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetSampleIndex(LONG* sample)
{
    if (!sample)
        return E_POINTER;
    *sample = SampleIndex();
    return block_ ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE StrixCommentBase::GetDisplayFlags(ULONG* flags)
{
    return Orv::AnswerValue(flags, displayFlags_);
}

EventCommentBase::EventCommentBase(const Orv::String& text, ULONG kind, LONG blockIndex, ULONG offset, LONG channel,
                                   COLORREF colour)
    : StrixCommentBase(text, kind, blockIndex, offset, channel), colour_(colour)
{
}

namespace StrixClient
{

EventDataCommentTP::EventDataCommentTP(const ULONG identity[2], LONG channel, LONG blockIndex, ULONG offset,
                                       COLORREF colour, const Orv::String& text)
    : EventCommentBase(text, 0, blockIndex, offset, channel, colour), identity_{identity[0], identity[1]}
{
}

EventDataCommentTP::EventDataCommentTP(IUnknown* hostData, const ULONG identity[2], LONG channel,
                                       ICommentTextProvider* provider)
    : EventDataCommentTP(identity, channel, PlaceOf(hostData, identity, channel, provider))
{
}

namespace
{
// The position code of a source value asked wherever the channel is.
constexpr ULONG WherePositionIsUnset = 0xC0000000;
} // namespace

EventDataCommentTP::Place EventDataCommentTP::PlaceOf(IUnknown* hostData, const ULONG identity[2], LONG channel,
                                                      ICommentTextProvider* provider)
{
    Place place;
    Orv::ComPtr<IHostCommentData> data;
    if (hostData && SUCCEEDED(hostData->QueryInterface(IID_IHostCommentData, data.PutVoid())) && data)
        data->LocateEvent(identity[0], identity[1], &place.blockIndex, &place.offset);
    if (channel < 0)
        return place;
    Orv::ComPtr<IHostChannelDrawing> drawing;
    if (IVyrObjectFactory* factory = ObjectFactoryAccessor::Get())
        factory->GetObject(HostChannelDrawingType, IID_IHostChannelDrawing, drawing.PutVoid());
    if (drawing)
        drawing->GetChannelColour(channel, &place.colour);
    ULONG value = 0;
    if (data)
        data->GetSourceValue(WherePositionIsUnset, channel, &value);
    const LONG position[2] = {place.blockIndex, static_cast<LONG>(place.offset)};
    BSTR text = nullptr;
    if (provider && SUCCEEDED(provider->GetCommentText(hostData, value, position, &text)) && text)
    {
        place.text = Orv::String(text);
        SysFreeString(text);
    }
    return place;
}

HRESULT STDMETHODCALLTYPE EventDataCommentTP::GetAbsoluteSample(LONG* sample)
{
    return Orv::AnswerValue(sample, static_cast<LONG>(identity_[0]));
}

HRESULT STDMETHODCALLTYPE EventDataCommentTP::SetOffset(ULONG offset)
{
    identity_[0] = offset;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventDataCommentTP::GetTypeId(ULONG* typeId)
{
    return Orv::CatchReturn([&] {
        if (!typeId)
            return E_POINTER;
        MsgIdClass<&HostTypeGUID, CommentTypeNumber>::GetId(typeId);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE EventDataCommentTP::GetTypeInfo(ULONG* typeId, COLORREF* colour, ULONG* reserved)
{
    const HRESULT result = GetTypeId(typeId);
    Put(colour, CommentColour());
    Put(reserved, ULONG{0});
    return result;
}

HRESULT STDMETHODCALLTYPE EventDataCommentTP::GetEventPosition(LONG* sample, ULONG* word)
{
    Put(sample, static_cast<LONG>(identity_[0]));
    Put(word, identity_[1]);
    return S_OK;
}

} // namespace StrixClient

ShowComment2Msg::ShowComment2Msg(IStrixComment* comment, ULONG_PTR first, const void* sender, ULONG context)
    : Orv::CComObjectRoot(1), comment_(comment), first_(first), sender_(sender), context_(context)
{
}

HRESULT STDMETHODCALLTYPE ShowComment2Msg::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryFaces(iid, object,
                           {{static_cast<IMessage*>(this), {IID_IMessage}},
                            {static_cast<IShowComment2Message*>(this), {IID_IShowComment2Message}},
                            {static_cast<IVyrMessageWords*>(this), {IID_IVyrMessageWords}}});
}

HRESULT STDMETHODCALLTYPE ShowComment2Msg::GetClassId(ULONG* typeId)
{
    return Orv::AnswerValue(typeId, ShowComment2MessageId);
}

HRESULT STDMETHODCALLTYPE ShowComment2Msg::GetId(ULONG* id)
{
    return Orv::AnswerValue(id, ShowComment2MessageId);
}

HRESULT STDMETHODCALLTYPE ShowComment2Msg::GetFlags(ULONG* flags)
{
    return Orv::AnswerValue(flags, ULONG{0});
}

HRESULT STDMETHODCALLTYPE ShowComment2Msg::GetPayloadSize(ULONG* size)
{
    return Orv::AnswerValue(size, ULONG{0});
}

HRESULT STDMETHODCALLTYPE ShowComment2Msg::GetPayload(const void** payload)
{
    return Orv::AnswerValue(payload, static_cast<const void*>(nullptr));
}

HRESULT STDMETHODCALLTYPE ShowComment2Msg::SetSender(const void* sender)
{
    sender_ = sender;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ShowComment2Msg::IsFromSender(const void* sender, VARIANT_BOOL* answer)
{
    return Orv::AnswerValue(answer, sender_ == sender ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT STDMETHODCALLTYPE ShowComment2Msg::GetComment(IStrixComment** comment)
{
    if (!comment)
        return E_POINTER;
    *comment = comment_.Get();
    if (*comment)
        (*comment)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ShowComment2Msg::GetCreatorWords(ULONG* originId, ULONG* originPresent, ULONG* context)
{
    if (!originId || !originPresent || !context)
        return E_POINTER;
    *originId = 0;
    *originPresent = 0;
    *context = context_;
    return S_OK;
}

ShowComment2Msg* ShowComment2Msg::Clone() const
{
    return new ShowComment2Msg(comment_.Get(), first_, sender_, context_);
}
