// How the frame shares its views' area among the views a document placed. The document places each view
// as a share of the area; the frame keeps the document's rows (views placed at the same top share) and
// their order, but fills the whole area with them, and gives the row and the column of the view the
// step is about (the focus) the larger part, so that no grey area is left and the work has room.
#pragma once

#include <windows.h>

#include <vector>

namespace Host
{

// The top-level window that holds window (the frame) lays its views out again, as after a resize: a view
// whose least size changed may no longer fit the room it was given. Nothing for a window alone.
void ArrangeAgain(HWND window);

// A view's place as the document gave it, in shares of the area (0 to 1), and the least size it shows
// whole in, in pixels.
struct PlacedShare
{
    double left, top, right, bottom;
    bool focus = false;
    SIZE least{};
};

// The focus's row takes this share of the height, and the focus this share of its row's width, when
// it shares them with others.
inline constexpr double FocusShare = 0.62;

// The rectangles of the views, in the order given, that together fill area's width and, where every view
// gets its least height (and the rows without the focus at least rowLeast) in it, its height exactly; else
// the rows get that and reach below area (which then scrolls). Every view gets its least width where the
// area has it: a row whose views do not fit beside each other so goes on below.
std::vector<RECT> ArrangeInRows(const std::vector<PlacedShare>& placed, const RECT& area, int rowLeast = 0);

// The size below which a view that is not the focus stops being readable (an equation across a plot
// with room for its points under it): the others are tiled so as to come as close to it as they can.
inline constexpr SIZE ReadableTile{360, 240};

// The least size of a tile that is not the focus's row, when views nobody placed are tiled: a plot with
// its equation above its points and its axes named. Where the area is too small for it, the tiles keep it
// and the area scrolls.
inline constexpr SIZE UsableTile{190, 240};

// Shares for views nobody placed: the focus and its companion (-1 for none) share the top row, the focus
// the larger part; the others share the rows below, as many to a row as keeps them closest to readable
// in an area of that size, or, where their rows cannot be UsableTile high in it, as many as keep
// UsableTile's width; fewer where a view names a least width (leastWidths, by view; none or 0 for none),
// as ShareRows places them.
std::vector<PlacedShare> TiledShares(size_t count, int focus, int companion, SIZE area,
                                     const std::vector<int>& leastWidths = {});

// Shares for views in rows from top down, each rowHeight high: columns to a row, fewer where a row would
// not hold its views' least widths (and UsableTile's) in width, the rows as even as that allows; in a row
// the views wider than an equal part keep their least width and the others share the rest equally.
std::vector<PlacedShare> ShareRows(const std::vector<int>& leastWidths, size_t columns, int width, double top,
                                   double rowHeight);

// The height of the host's own data view above the module's views: what its lanes need, within a fifth
// and a third of the area's height.
int TopWindowHeight(int areaHeight, int neededHeight);

} // namespace Host
