// How the frame shares its views' area among the views a document placed. The document places each view
// as a share of the area; the frame keeps the document's rows (views placed at the same top share) and
// their order, but fills the whole area with them, and gives the row and the column of the view the
// step is about (the focus) the larger part, so that no grey area is left and the work has room.
#pragma once

#include <windows.h>

#include <vector>

namespace Host
{

// A view's place as the document gave it, in shares of the area (0 to 1).
struct PlacedShare
{
    double left, top, right, bottom;
    bool focus = false;
};

// The focus's row takes this share of the height, and the focus this share of its row's width, when
// it shares them with others.
inline constexpr double FocusShare = 0.62;

// The rectangles of the views, in the order given, that together fill area exactly.
std::vector<RECT> ArrangeInRows(const std::vector<PlacedShare>& placed, const RECT& area);

// The height of the host's own data view above the module's views: what its lanes need, within a fifth
// and a third of the area's height.
int TopWindowHeight(int areaHeight, int neededHeight);

} // namespace Host
