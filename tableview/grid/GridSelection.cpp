#include "tableview/grid/GridSelection.h"

#include <algorithm>

namespace TVF_Grid
{

using namespace TableView;

CellRange GridSelection::WholeRowsBetween(CellPosition a, CellPosition b) const
{
    const int columns0 = m_grid.HeaderColumns();
    return CellRange{{std::min(a.index, b.index), a.origin},
                     {std::max(a.index, b.index) + 1, a.origin},
                     {columns0, 1},
                     {columns0 + m_grid.DataColumnCount(), 1}};
}

CellRange GridSelection::WholeColumnsBetween(CellPosition a, CellPosition b) const
{
    const int rows0 = m_grid.HeaderRows();
    return CellRange{{rows0, 1},
                     {rows0 + m_grid.DataRowCount(), 1},
                     {std::min(a.index, b.index), a.origin},
                     {std::max(a.index, b.index) + 1, a.origin}};
}

CellRange GridSelection::Rectangle(Cell a, Cell b)
{
    return CellRange{{std::min(a.row.index, b.row.index), a.row.origin},
                     {std::max(a.row.index, b.row.index) + 1, a.row.origin},
                     {std::min(a.column.index, b.column.index), a.column.origin},
                     {std::max(a.column.index, b.column.index) + 1, a.column.origin}};
}

CellRange GridSelection::Combine(const CellRange& picked, const CellRange& fromAnchor, Cell cell, unsigned modifiers)
{
    if (modifiers & SelectModifier::Shift)
        return fromAnchor;
    m_anchor = cell;
    if ((modifiers & SelectModifier::Ctrl) && m_range.IsValid())
    {
        CellRange widened = m_range;
        widened.ExtendToCover(picked);
        return widened;
    }
    return picked;
}

bool GridSelection::MouseSelect(CellPosition row, CellPosition column, unsigned modifiers)
{
    const Cell cell{row, column};
    m_press = cell;
    m_mouseStarted = true;
    if ((modifiers & SelectModifier::Shift) && !m_anchor.IsValid())
        m_anchor = cell;
    CellRange next = m_range;
    if (!IsHeaderRow(row))
    {
        if (m_wholeRows || IsHeaderColumn(column))
            next = Combine(WholeRowsBetween(row, row), WholeRowsBetween(m_anchor.row, row), cell, modifiers);
        else
            next = Combine(Rectangle(cell, cell), Rectangle(m_anchor, cell), cell, modifiers);
    }
    else if (!m_wholeRows && !IsHeaderColumn(column))
    {
        next = Combine(WholeColumnsBetween(column, column), WholeColumnsBetween(m_anchor.column, column), cell,
                       modifiers);
    }
    return Store(next);
}

bool GridSelection::DragTo(unsigned modifiers, CellPosition row, CellPosition column)
{
    if (!m_press.IsValid())
        return false;
    if (modifiers & SelectModifier::RightRelease)
        return MouseSelect(row, column, modifiers);
    const Cell current{row, column};
    CellRange next;
    if (m_wholeRows || IsHeaderColumn(column))
    {
        next = WholeRowsBetween(m_press.row, row);
        if (m_range.IsValid())
        {
            next.firstColumn = m_range.firstColumn;
            next.endColumn = m_range.endColumn;
        }
    }
    else if (IsHeaderRow(row))
        next = WholeColumnsBetween(m_press.column, column);
    else
        next = Rectangle(m_press, current);
    return Store(next);
}

void GridSelection::Click(CellPosition row, CellPosition column, unsigned modifiers)
{
    ITableUserActionHandler* actions = m_grid.Actions();
    if (!actions)
        return;
    const ULONG kind = (modifiers & SelectModifier::RightRelease) ? ClickKindRightRelease
                       : (modifiers & SelectModifier::DoubleClick)  ? ClickKindDoubleClick
                                                                     : ClickKindClick;
    const ULONG word = m_grid.NotifyWord() | kind;
    if (m_range.IsSingleCell())
        actions->OnCellClicked(word, row.index, static_cast<ULONG>(column.index));
    else if (m_range.IsValid())
        NotifyAndRepaint();
    if (IsHeaderRow(row))
        actions->OnCellClicked(word, row.index, static_cast<ULONG>(column.index));
    m_press = {};
}

bool GridSelection::SetRange(CellRange range)
{
    if (m_wholeRows)
    {
        range.firstColumn = {m_grid.HeaderColumns(), 1};
        range.endColumn = {m_grid.HeaderColumns() + m_grid.DataColumnCount(), 1};
    }
    if (!Store(range))
        return false;
    if (range.IsSingleCell())
        m_anchor = {range.firstRow, range.firstColumn};
    return true;
}

void GridSelection::Clear()
{
    m_press = {};
    if (!m_range.IsValid())
        return;
    m_range = {};
    NotifyAndRepaint();
}

bool GridSelection::Store(const CellRange& range)
{
    if (range == m_range)
    {
        m_mouseStarted = false;
        return false;
    }
    m_range = range;
    NotifyAndRepaint();
    return true;
}

void GridSelection::NotifyAndRepaint()
{
    m_grid.RepaintSelection();
    if (ITableUserActionHandler* actions = m_grid.Actions())
    {
        std::vector<SelectedColumn> entries;
        if (m_range.IsValid())
            for (int column = m_range.firstColumn.index; column < m_range.endColumn.index; ++column)
                entries.push_back({static_cast<ULONG>(column), m_range.firstRow.index, m_range.endRow.index});
        else
            entries.push_back({0, 0, 0});
        const ULONG word = m_grid.NotifyWord() | (m_mouseStarted ? MouseStartedBit : 0);
        actions->OnSelectionChanged(word, entries.data(), static_cast<ULONG>(entries.size()));
    }
    m_mouseStarted = false;
}

} // namespace TVF_Grid
