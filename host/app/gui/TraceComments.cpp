#include "host/app/gui/TraceComments.h"

#include "foundation/com/XOrv.h"
#include "foundation/system/GdiObjects.h"
#include "foundation/text/String.h"

#include <algorithm>
#include <numeric>
#include <cwctype>

namespace Host
{

namespace
{

// How long the ring that leads the eye to a comment takes to close on it.
constexpr ULONG HoverLeadMilliseconds = 300;
// Pixels between the disc and the end of the text below it, and between the line and upright text.
constexpr int TextBelowDisc = 3;
constexpr int TextBesideLine = 3;
// The comment writes its text turned this far left of its line.
constexpr int TurnedTextBesideLine = 2;
constexpr int RotatedEscapement = 900;
// The veil under a comment's text: the traces' white background, laid over them at this opacity (of 255).
constexpr COLORREF VeilColour = RGB(255, 255, 255);
constexpr BYTE VeilOpacity = 200;
constexpr int VeilMargin = 1;
constexpr wchar_t Ellipsis[] = L"\u2026";

// Drawing in dc stays inside a rectangle while it lasts.
class ClippedTo
{
public:
    ClippedTo(HDC dc, const RECT& rect) : dc_(dc), region_(CreateRectRgnIndirect(&rect))
    {
        SelectClipRgn(dc_, region_.Get());
    }
    ~ClippedTo() { SelectClipRgn(dc_, nullptr); }
    ClippedTo(const ClippedTo&) = delete;
    ClippedTo& operator=(const ClippedTo&) = delete;

private:
    HDC dc_;
    Orv::UniqueRegion region_;
};

// The comment's disc as it draws it; the top of its line where it does not say.
RECT MarkerOf(IStrixComment* comment, HDC dc, const CommentDrawRecord& record)
{
    RECT marker{record.x, record.top, record.x, record.top};
    Orv::ComPtr<IStrixCommentEx> extended;
    if (SUCCEEDED(comment->QueryInterface(IID_IStrixCommentEx, extended.PutVoid())) && extended)
        extended->GetMarker(dc, &record, &marker);
    return marker;
}

// The comment's text where its display flags show it; empty where they do not.
std::wstring ShownText(IStrixComment* comment)
{
    Orv::ComPtr<IOrvComment> described;
    ULONG shown = 0;
    Orv::String text;
    if (FAILED(comment->QueryInterface(IID_IOrvComment, described.PutVoid())) || !described ||
        FAILED(described->GetDisplayFlags(&shown)) || shown == 0 ||
        FAILED(comment->GetInfo(nullptr, nullptr, nullptr, Orv::String::BstrOutArg(text))))
        return {};
    return std::wstring(text.c_str(), text.Length());
}

// Under a comment's text the traces it crosses are paled, a pixel beyond its cells, so that the text reads
// and the traces still show through.
void Veil(HDC dc, const RECT& text)
{
    RECT veil = text;
    InflateRect(&veil, VeilMargin, VeilMargin);
    const Orv::MemoryDc source(dc);
    const Orv::UniqueBitmap pixel(CreateCompatibleBitmap(dc, 1, 1));
    const Orv::SelectedObject selected(source.Get(), pixel.Get());
    SetPixel(source.Get(), 0, 0, VeilColour);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, VeilOpacity, 0};
    AlphaBlend(dc, veil.left, veil.top, veil.right - veil.left, veil.bottom - veil.top, source.Get(), 0, 0, 1, 1, blend);
}

int TextLength(HDC dc, const std::wstring& text)
{
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The longest start of text that, ended with an ellipsis, is at most room long; empty when not even the
// ellipsis fits.
std::wstring CutToRoom(HDC dc, const std::wstring& text, int room)
{
    for (size_t kept = text.size(); kept-- > 0;)
    {
        std::wstring cut = text.substr(0, kept);
        while (!cut.empty() && std::iswspace(cut.back()))
            cut.pop_back();
        cut += Ellipsis;
        if (TextLength(dc, cut) <= room)
            return cut;
    }
    return {};
}

// Whether a text at place stays clear of the texts written before it (veils included).
bool Free(const RECT& place, const std::vector<RECT>& written)
{
    RECT veiled = place, overlap{};
    InflateRect(&veiled, VeilMargin, VeilMargin);
    return std::none_of(written.begin(), written.end(), [&](RECT other) {
        InflateRect(&other, VeilMargin, VeilMargin);
        return IntersectRect(&overlap, &veiled, &other) != FALSE;
    });
}

} // namespace

std::optional<TraceComments::UprightLine> TraceComments::LineFor(const RECT& room, LONG right, int line, int length,
                                                                  const std::vector<RECT>& written)
{
    std::optional<UprightLine> widest;
    for (LONG top = room.top; top + line <= room.bottom; top += line)
    {
        // The line's room reaches left to the lane's edge or to the nearest text written on it.
        LONG left = room.left;
        for (const RECT& other : written)
            if (other.top < top + line && top < other.bottom)
                left = std::max<LONG>(left, other.right + 2 * VeilMargin + 1);
        const int lineRoom = right - left;
        if (lineRoom >= length)
            return UprightLine{top, lineRoom};
        if (!widest || lineRoom > widest->room)
            widest = UprightLine{top, lineRoom};
    }
    return widest;
}

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
    for (size_t index = 0; index < kept_.size(); ++index)
    {
        std::optional<CommentDrawRecord> record = place(kept_[index].channel, kept_[index].position);
        if (!record)
            continue;
        record->flags |= CommentDrawFlag::DottedLine | (hovered_ == index ? CommentDrawFlag::Highlighted : 0);
        {
            const ClippedTo traces(dc, area);
            kept_[index].comment->Draw(dc, dc, &*record);
        }
        drawn_.push_back({*record, index});
    }
    // The texts after every line, from the left: each finds its room beside the texts written before it.
    std::vector<size_t> order(drawn_.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t one, size_t other) { return drawn_[one].record.x < drawn_[other].record.x; });
    std::vector<RECT> written;
    for (const size_t at : order)
    {
        WriteText(dc, area, kept_[drawn_[at].comment], written, drawn_[at]);
        if (!IsRectEmpty(&drawn_[at].place))
            written.push_back(drawn_[at].place);
    }
    // An open popup points at where its comment was: it goes when the comment moved (the view scrolled,
    // followed the sampling or changed its size) or is no longer drawn.
    const bool popupInPlace = popupFor_ && std::any_of(drawn_.begin(), drawn_.end(), [&](const Drawn& drawn) {
        return drawn.comment == popupFor_->comment && drawn.record.x == popupFor_->record.x &&
               drawn.record.top == popupFor_->record.top;
    });
    if (!popupInPlace)
        ClosePopup();
}

// A text longer than its lane leaves room for would cross the other lanes' traces, or be cut unseen at the
// traces' edge: it is written upright where the lane has the height for a line, and where it still does not
// fit it is cut and says so with an ellipsis. Texts of comments close together would run into each other:
// one that meets a text written before it takes the next line down the lane, and where every line is taken
// it is cut to the room its line leaves. The popup shows it whole.
void TraceComments::WriteText(HDC dc, const RECT& area, const Kept& kept, const std::vector<RECT>& written, Drawn& drawn)
{
    const std::wstring whole = ShownText(kept.comment.Get());
    const CommentDrawRecord& record = drawn.record;
    if (whole.empty())
        return;
    const RECT marker = MarkerOf(kept.comment.Get(), dc, record);
    const RECT room{area.left, std::max<LONG>(area.top, marker.bottom + TextBelowDisc), record.x,
                    std::min<LONG>(area.bottom, record.bottom + 1)};
    // The text ends one pixel above its record's bottom.
    const int length = room.bottom - 2 - room.top;
    if (length <= 0 || !MakeFonts(dc))
        return;
    const ClippedTo inRoom(dc, room);
    const Orv::TextAlignment alignment(dc, TA_LEFT | TA_TOP);
    const Orv::TextColour colour(dc, RGB(0, 0, 0));
    const Orv::SelectedObject upright(dc, uprightFont_.Get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int line = metrics.tmHeight;
    const int wholeLength = TextLength(dc, whole);
    // Where the comment writes its own text: up from the foot of its line, the glyphs' tops towards the left.
    const LONG turnedRight = record.x - TurnedTextBesideLine;
    const RECT turned{turnedRight - line, record.bottom - 1 - wholeLength, turnedRight, record.bottom - 1};
    if (wholeLength <= length && Free(turned, written))
    {
        drawn.text = whole;
        drawn.place = turned;
        Veil(dc, drawn.place);
        CommentDrawRecord textOnly = record;
        textOnly.flags = CommentDrawFlag::Text;
        kept.comment->Draw(dc, dc, &textOnly);
        return;
    }
    // A lane too short for the text turned takes it upright beside the line, from just below the disc.
    const LONG right = record.x - TextBesideLine;
    if (const std::optional<UprightLine> taken = LineFor(room, right, line, wholeLength, written))
    {
        drawn.text = wholeLength <= taken->room ? whole : CutToRoom(dc, whole, taken->room);
        drawn.place = {right - TextLength(dc, drawn.text), taken->top, right, taken->top + line};
        if (drawn.text.empty())
        {
            drawn.place = {};
            return;
        }
        Veil(dc, drawn.place);
        TextOutW(dc, drawn.place.left, drawn.place.top, drawn.text.c_str(), static_cast<int>(drawn.text.size()));
        return;
    }
    drawn.text = wholeLength <= length ? whole : CutToRoom(dc, whole, length);
    drawn.place = {turnedRight - line, record.bottom - 1 - TextLength(dc, drawn.text), turnedRight, record.bottom - 1};
    Veil(dc, drawn.place);
    const Orv::SelectedObject rotated(dc, rotatedFont_.Get());
    TextOutW(dc, drawn.place.left, drawn.place.bottom, drawn.text.c_str(), static_cast<int>(drawn.text.size()));
}

bool TraceComments::MakeFonts(HDC dc)
{
    if (uprightFont_.Get())
        return true;
    try
    {
        rotatedFont_ = ConstructShellDlgFont(dc, 0, RotatedEscapement);
        uprightFont_ = ConstructShellDlgFont(dc, 0, 0);
        return true;
    }
    catch (const XOrv&)
    {
        return false;
    }
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
