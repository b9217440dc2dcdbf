// The comments a document hands its host to show, as the trace view shows them: each comment draws itself
// (its disc, its dotted line and its text turned to read upwards) where the view places it, its text kept
// between the disc and the foot of its lane (cut with an ellipsis where the lane is too short) on a veil
// that pales the traces it crosses, answers whether the pointer is on it, leads the eye to itself when the
// pointer comes onto it, and opens its popup on a click.
#pragma once

#include "hostapi/HostDocument.h"
#include "hostapi/VyrComments.h"

#include "foundation/com/ComPtr.h"
#include "foundation/system/ShellDlgFont.h"

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Host
{

class TraceComments
{
public:
    // Where a comment on channel at position is drawn now (its line's x, the top of its line, the foot of
    // its lane, from which its text reads upwards, and, as the alternative bottom, the foot of its line);
    // none where the view does not show it.
    using Placing = std::function<std::optional<CommentDrawRecord>(int32_t channel, const TickPosition& position)>;

    // Takes the comments moduleDocument handed the host since the last call (none without a document):
    // a comment at the place of one kept before stands in its stead. True when the comments changed.
    bool Update(IUnknown* moduleDocument);
    // Forgets every comment, closing its popup: the document they came from is gone.
    void Clear();
    // Draws each comment the view shows inside area (the traces), the one under the pointer highlighted.
    void Paint(HDC dc, const RECT& area, const Placing& place);
    // The pointer is at point (client coordinates of window): a comment it comes onto is drawn
    // highlighted and leads the eye to itself. True while the pointer is on a comment.
    bool Hover(HWND window, POINT point);
    // The pointer left the window: no comment stays highlighted.
    void Leave(HWND window);
    // A press at point: closes the open popup and opens that of the comment there, headed by the time
    // timeText gives for its place. True when a comment was there.
    bool Press(HWND window, POINT point, const std::function<std::wstring(const TickPosition&)>& timeText);
    void ClosePopup();
    bool PopupOpen() const { return popup_.Get() != nullptr; }

    // A comment drawn at the last paint.
    struct Drawn
    {
        CommentDrawRecord record;
        size_t comment;    // which of the kept comments
        std::wstring text; // as written: whole, cut with an ellipsis, or empty where none is written
        RECT place{};      // where the text's cells lie (client coordinates); empty where none is written
    };
    const std::vector<Drawn>& DrawnComments() const { return drawn_; }

private:
    struct Kept
    {
        Orv::ComPtr<IStrixComment> comment;
        int32_t channel;
        TickPosition position;
    };
    const Drawn* At(POINT point) const;
    // Writes the comment's text up from the drawn record's bottom, or upright below the disc, inside area and
    // clear of the texts written before it, and notes in drawn what was written where.
    void WriteText(HDC dc, const RECT& area, const Kept& kept, const std::vector<RECT>& written, Drawn& drawn);
    // A line of room for an upright text that ends at right: its top and how long a text it takes.
    struct UprightLine
    {
        LONG top;
        int room;
    };
    // The first line down room where a text of length fits beside the texts written before it, else the
    // line with the most room (none at all where every line is taken); none where room holds no line.
    static std::optional<UprightLine> LineFor(const RECT& room, LONG right, int line, int length,
                                              const std::vector<RECT>& written);
    // False when the comments' fonts cannot be made.
    bool MakeFonts(HDC dc);

    std::vector<Kept> kept_;
    ULONG taken_ = 0; // comments taken from the document so far
    std::vector<Drawn> drawn_;
    std::optional<size_t> hovered_;
    Orv::ComPtr<ICommentPopupWindow> popup_;
    std::optional<Drawn> popupFor_; // where the comment whose popup is open was drawn
    // The comments' own fonts, for measuring their texts and writing those that are cut.
    Orv::UniqueFont rotatedFont_, uprightFont_;
};

} // namespace Host
