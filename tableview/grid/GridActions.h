// What a grid hands to the table's user-action handler: finished edits, chosen cell-menu items and
// cleared cells, each only while the grid has a handler and data rows.
#pragma once

#include "tableview/data/TableInterfaces.h"
#include "tableview/grid/CellRange.h"

namespace TVF_Grid
{

class GridActions
{
public:
    // The list kind of a cell's context menu.
    static constexpr ULONG CellMenuList = 2;
    // The list kind asked whether a cell may be cleared.
    static constexpr ULONG ClearQuery = 1;

    GridActions(ITableUserActionHandler* actions, ULONG viewId) : m_actions(actions), m_viewId(viewId) {}
    void SetHasDataRows(bool hasRows) { m_hasRows = hasRows; }

    HRESULT CellEdited(CellPosition row, CellPosition column, const Orv::String& text) const;
    HRESULT CellMenuCommand(ULONG kind, CellPosition row, CellPosition column, ULONG item) const;
    // Asks the handler whether the cell may be cleared (in the same coordinates as a cell-menu choice)
    // and, when it answers non-zero, commits an empty text for the cell.
    HRESULT ClearCell(CellPosition row, CellPosition column) const;
    // Every cell of a valid range, rows outer and columns inner.
    void ClearCells(const CellRange& range) const;

private:
    bool Forwards() const { return m_actions && m_hasRows; }

    ITableUserActionHandler* m_actions;
    ULONG m_viewId;
    bool m_hasRows = true;
};

} // namespace TVF_Grid
