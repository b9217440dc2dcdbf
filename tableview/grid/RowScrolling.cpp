#include "tableview/grid/RowScrolling.h"

#include <algorithm>

namespace TVF_Grid
{

int RowDeltaOf(VerticalScrollAction action)
{
    switch (action)
    {
    case VerticalScrollAction::LineUp:
    case VerticalScrollAction::PageUp:
        return -1;
    case VerticalScrollAction::LineDown:
        return 1;
    case VerticalScrollAction::PageDown:
        return 2;
    }
    return 0;
}

int ClampedTopRow(int row, int rowCount, int pageRows, bool clampToLastPage)
{
    int top = std::max(row, 0);
    if (top > rowCount)
        top = std::max(rowCount - 1, 0);
    if (clampToLastPage && rowCount - top < pageRows)
        top = std::max(rowCount - pageRows, 0);
    return top;
}

} // namespace TVF_Grid
