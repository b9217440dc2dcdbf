#include "tableview/grid/GridActions.h"

namespace TVF_Grid
{

HRESULT GridActions::CellEdited(CellPosition row, CellPosition column, const Orv::String& text) const
{
    if (!Forwards())
        return S_OK;
    return m_actions->OnCellEdited(m_viewId, row.index, static_cast<ULONG>(column.index), text);
}

HRESULT GridActions::CellMenuCommand(ULONG kind, CellPosition row, CellPosition column, ULONG item) const
{
    if (!Forwards())
        return S_OK;
    return m_actions->OnListItemChosen(m_viewId, kind, row.index, static_cast<ULONG>(column.index), item);
}

HRESULT GridActions::ClearCell(CellPosition row, CellPosition column) const
{
    if (!Forwards())
        return S_OK;
    if (CellMenuCommand(ClearQuery, row, column, 0) == S_OK)
        return S_OK;
    return CellEdited(row, column, Orv::String());
}

void GridActions::ClearCells(const CellRange& range) const
{
    if (!range.IsValid())
        return;
    for (int row = range.firstRow.index; row < range.endRow.index; ++row)
        for (int column = range.firstColumn.index; column < range.endColumn.index; ++column)
            ClearCell({row, range.firstRow.origin}, {column, range.firstColumn.origin});
}

} // namespace TVF_Grid
