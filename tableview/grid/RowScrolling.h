// How a grid's rows scroll: what each vertical scroll-bar action moves, and where a requested top row
// lands.
#pragma once

namespace TVF_Grid
{

enum class VerticalScrollAction
{
    LineUp,
    LineDown,
    PageUp,
    PageDown,
};

// Rows scroll by whole rows; the bar's page actions move one row up and two rows down.
int RowDeltaOf(VerticalScrollAction action);

// The top row for a requested row: not negative, not past the rows, and with clampToLastPage never
// leaving an empty area under the last row when the rows fill the page.
int ClampedTopRow(int row, int rowCount, int pageRows, bool clampToLastPage);

} // namespace TVF_Grid
