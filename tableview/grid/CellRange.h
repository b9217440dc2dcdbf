// Grid coordinates: a row or column travels as (number, origin); the pane index is number - origin.
#pragma once

#include <algorithm>

namespace TVF_Grid
{

struct CellPosition
{
    int index = -1;
    int origin = -1;

    bool IsValid() const { return index >= 0 && origin >= 0; }
    // The origin travels with the index but is not compared; two unset positions are equal.
    friend bool operator==(const CellPosition& a, const CellPosition& b)
    {
        return a.IsValid() == b.IsValid() && (!a.IsValid() || a.index == b.index);
    }
};

// Rows [firstRow, endRow) and columns [firstColumn, endColumn) as numbers with their origins.
struct CellRange
{
    CellPosition firstRow, endRow, firstColumn, endColumn;

    static CellRange Cells(int row0, int row1, int column0, int column1, int origin = 1)
    {
        return {{row0, origin}, {row1, origin}, {column0, origin}, {column1, origin}};
    }

    bool IsValid() const
    {
        return firstRow.IsValid() && endRow.IsValid() && firstColumn.IsValid() && endColumn.IsValid() &&
               endRow.index > firstRow.index && endColumn.index > firstColumn.index;
    }
    bool IsSingleCell() const
    {
        return IsValid() && endRow.index - firstRow.index == 1 && endColumn.index - firstColumn.index == 1;
    }
    bool Contains(int row, int column) const
    {
        return IsValid() && row >= firstRow.index && row < endRow.index && column >= firstColumn.index &&
               column < endColumn.index;
    }
    // Each bound moves only outward; an unset bound takes the cell's value.
    void ExtendToCover(CellPosition row, CellPosition column)
    {
        Lower(firstRow, row);
        Upper(endRow, {row.index + 1, row.origin});
        Lower(firstColumn, column);
        Upper(endColumn, {column.index + 1, column.origin});
    }
    void ExtendToCover(const CellRange& other)
    {
        if (!other.IsValid())
            return;
        Lower(firstRow, other.firstRow);
        Upper(endRow, other.endRow);
        Lower(firstColumn, other.firstColumn);
        Upper(endColumn, other.endColumn);
    }
    friend bool operator==(const CellRange&, const CellRange&) = default;

private:
    static void Lower(CellPosition& bound, CellPosition value)
    {
        if (!bound.IsValid() || value.index < bound.index)
            bound = value;
    }
    static void Upper(CellPosition& bound, CellPosition value)
    {
        if (!bound.IsValid() || value.index > bound.index)
            bound = value;
    }
};

} // namespace TVF_Grid
