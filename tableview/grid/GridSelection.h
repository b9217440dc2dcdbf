// The selection of one grid: a rectangle of cells that mouse presses, drags, keys and the client's
// programmatic requests change, reported to the client after every change.
#pragma once

#include "tableview/data/TableInterfaces.h"
#include "tableview/grid/CellRange.h"

#include <vector>

namespace TVF_Grid
{

// What a selection needs of its grid.
class SelectionGrid
{
public:
    virtual int HeaderRows() const = 0;
    virtual int HeaderColumns() const = 0;
    virtual int DataRowCount() const = 0;
    virtual int DataColumnCount() const = 0;
    virtual ULONG NotifyWord() const = 0;
    // Null when the grid reports to no one.
    virtual ITableUserActionHandler* Actions() const = 0;
    virtual void RepaintSelection() = 0;

protected:
    ~SelectionGrid() = default;
};

// Modifier bits of the mouse operations.
namespace SelectModifier
{
constexpr unsigned RightRelease = 0x01;
constexpr unsigned Shift = 0x02;
constexpr unsigned Ctrl = 0x04;
constexpr unsigned DoubleClick = 0x08;
} // namespace SelectModifier

class GridSelection
{
public:
    GridSelection(SelectionGrid& grid, bool wholeRows) : m_grid(grid), m_wholeRows(wholeRows) {}

    bool MouseSelect(CellPosition row, CellPosition column, unsigned modifiers);
    bool DragTo(unsigned modifiers, CellPosition row, CellPosition column);
    void Click(CellPosition row, CellPosition column, unsigned modifiers);
    bool SetRange(CellRange range);
    void Clear();
    // Stops further mouse moves from extending the selection (an editor opened on a drop-down cell).
    void ForgetGesture() { m_press = m_anchor = {}; }

    bool IsValid() const { return m_range.IsValid(); }
    const CellRange& Range() const { return m_range; }
    bool WholeRows() const { return m_wholeRows; }
    void NotifyAndRepaint();

private:
    struct Cell
    {
        CellPosition row, column;
        bool IsValid() const { return row.IsValid() && column.IsValid(); }
    };

    bool IsHeaderColumn(CellPosition column) const { return column.index < m_grid.HeaderColumns(); }
    bool IsHeaderRow(CellPosition row) const { return row.index < m_grid.HeaderRows(); }
    CellRange WholeRowsBetween(CellPosition a, CellPosition b) const;
    CellRange WholeColumnsBetween(CellPosition a, CellPosition b) const;
    static CellRange Rectangle(Cell a, Cell b);
    // Without Shift the press becomes the anchor, and Ctrl keeps the previous range and widens it.
    CellRange Combine(const CellRange& picked, const CellRange& fromAnchor, Cell cell, unsigned modifiers);
    bool Store(const CellRange& range);

    SelectionGrid& m_grid;
    CellRange m_range;
    bool m_wholeRows;
    Cell m_press;
    Cell m_anchor;
    bool m_mouseStarted = false;
};

} // namespace TVF_Grid
