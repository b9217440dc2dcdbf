#include "host/app/gui/TraceComments.h"

#include "foundation/system/GdiObjects.h"

#include <algorithm>

namespace Host
{

namespace
{

// How long the ring that leads the eye to a comment takes to close on it.
constexpr ULONG HoverLeadMilliseconds = 300;

} // namespace

bool TraceComments::Update(IUnknown* moduleDocument)
{
    Orv::ComPtr<IHostShownComments> shown;
    ULONG count = 0;
    if (!moduleDocument || FAILED(moduleDocument->QueryInterface(IID_IHostShownComments, shown.PutVoid())) || !shown ||
        FAILED(shown->GetCommentCount(&count)) || count <= taken_)
        return false;
    for (; taken_ < count; ++taken_)
    {
        Orv::ComPtr<IStrixComment> comment;
        ULONG offset = 0;
        LONG record = 0, channel = 0;
        if (FAILED(shown->GetComment(taken_, comment.Put())) || !comment ||
            FAILED(comment->GetPosition(&offset, &record)) || FAILED(comment->GetChannel(&channel)))
            continue;
        const TickPosition position{static_cast<int32_t>(record), static_cast<int32_t>(offset)};
        Kept taken{std::move(comment), static_cast<int32_t>(channel), position};
        const auto samePlace = std::find_if(kept_.begin(), kept_.end(), [&](const Kept& kept) {
            return kept.channel == taken.channel && kept.position.record == taken.position.record &&
                   kept.position.tick == taken.position.tick;
        });
        if (samePlace != kept_.end())
            *samePlace = std::move(taken);
        else
            kept_.push_back(std::move(taken));
    }
    return true;
}

void TraceComments::ClosePopup()
{
    popup_.Reset();
    popupFor_.reset();
}

void TraceComments::Clear()
{
    ClosePopup();
    kept_.clear();
    drawn_.clear();
    hovered_.reset();
}

void TraceComments::Paint(HDC dc, const RECT& area, const Placing& place)
{
    drawn_.clear();
    // A text longer than its line is cut at the traces' edge, not written over the lanes' labels.
    const Orv::UniqueRegion clip(CreateRectRgnIndirect(&area));
    SelectClipRgn(dc, clip.Get());
    for (size_t index = 0; index < kept_.size(); ++index)
    {
        std::optional<CommentDrawRecord> record = place(kept_[index].channel, kept_[index].position);
        if (!record)
            continue;
        record->flags |= CommentDrawFlag::Text | CommentDrawFlag::DottedLine |
                         (hovered_ == index ? CommentDrawFlag::Highlighted : 0);
        kept_[index].comment->Draw(dc, dc, &*record);
        drawn_.push_back({*record, index});
    }
    SelectClipRgn(dc, nullptr);
    // An open popup points at where its comment was: it goes when the comment moved (the view scrolled,
    // followed the sampling or changed its size) or is no longer drawn.
    const bool popupInPlace = popupFor_ && std::any_of(drawn_.begin(), drawn_.end(), [&](const Drawn& drawn) {
        return drawn.comment == popupFor_->comment && drawn.record.x == popupFor_->record.x &&
               drawn.record.top == popupFor_->record.top;
    });
    if (!popupInPlace)
        ClosePopup();
}

// The comment drawn last lies on top, so it answers first.
const TraceComments::Drawn* TraceComments::At(POINT point) const
{
    const Orv::ScreenDc reference;
    if (!reference.Get())
        return nullptr;
    for (auto drawn = drawn_.rbegin(); drawn != drawn_.rend(); ++drawn)
    {
        ULONG code = 0;
        if (kept_[drawn->comment].comment->HitTest(reference.Get(), &drawn->record, point, &code) == S_OK &&
            code == CommentHitMarker)
            return &*drawn;
    }
    return nullptr;
}

bool TraceComments::Hover(HWND window, POINT point)
{
    const Drawn* found = At(point);
    const std::optional<size_t> now = found ? std::optional<size_t>(found->comment) : std::nullopt;
    if (now == hovered_)
        return found != nullptr;
    hovered_ = now;
    // A copy: the repaint below draws the comments again and rebuilds the list the found entry lies in.
    const std::optional<Drawn> under = found ? std::optional<Drawn>(*found) : std::nullopt;
    // The highlight is on the screen before the ring closes on it.
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    if (under && under->comment < kept_.size())
        kept_[under->comment].comment->TrackHover(window, &under->record, HoverLeadMilliseconds);
    return under.has_value();
}

void TraceComments::Leave(HWND window)
{
    if (!hovered_)
        return;
    hovered_.reset();
    InvalidateRect(window, nullptr, FALSE);
}

bool TraceComments::Press(HWND window, POINT point, const std::function<std::wstring(const TickPosition&)>& timeText)
{
    ClosePopup();
    const Drawn* under = At(point);
    if (!under)
        return false;
    popupFor_ = *under;
    const Kept& pressed = kept_[under->comment];
    const std::wstring time = timeText(pressed.position);
    pressed.comment->ShowPopupFor(window, &under->record, time.c_str(), popup_.Put());
    return true;
}

} // namespace Host
