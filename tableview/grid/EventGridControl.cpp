#include "tableview/grid/EventGridControl.h"

#include "foundation/com/ComFace.h"
#include "hostapi/VyrIds.h"
#include "tableview/grid/GridActions.h"
#include "tableview/grid/GridPane.h"

#include <algorithm>

namespace TVF_Grid
{

HRESULT STDMETHODCALLTYPE EventGridControl::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<ISubject*>(this), iid, object, IID_ISubject);
}

void EventGridControl::OnLeftColumnChanged(int column, int origin)
{
    const CellPosition left{column, origin};
    if (left == m_leftColumn)
        return;
    m_leftColumn = left;
    UpdateScrollBarVisibility(true);
    if (HasDataRows())
        Notify(GridEvent::LeftColumnChanged, &column);
}

void EventGridControl::OnColumnWidthChanged(int column, int, int width)
{
    UpdateScrollBarVisibility(true);
    ColumnWidthChange change{column, width};
    Notify(GridEvent::ColumnWidthChanged, &change);
}

void EventGridControl::OnColumnNotify(int a, int, int b, int)
{
    if (!HasDataRows())
        return;
    ColumnPair pair{a, b};
    Notify(GridEvent::ColumnNotify, &pair);
}

void EventGridControl::OnGridClicked()
{
    Notify(GridEvent::GridClicked, nullptr);
}

void EventGridControl::OnCellEdited(int row, int rowOrigin, int column, int columnOrigin, const Orv::String& text)
{
    GridActions actions(Actions(), NotifyWord());
    actions.SetHasDataRows(HasDataRows());
    actions.CellEdited({row, rowOrigin}, {column, columnOrigin}, text);
}

void EventGridControl::OnCellMenuCommand(ULONG kind, int row, int rowOrigin, int column, int columnOrigin, ULONG item)
{
    GridActions actions(Actions(), NotifyWord());
    actions.SetHasDataRows(HasDataRows());
    actions.CellMenuCommand(kind, {row, rowOrigin}, {column, columnOrigin}, item);
}

void EventGridControl::OnClearCell(int row, int rowOrigin, int column, int columnOrigin, ULONG)
{
    GridActions actions(Actions(), NotifyWord());
    actions.SetHasDataRows(HasDataRows());
    actions.ClearCell({row, rowOrigin}, {column, columnOrigin});
}

void EventGridControl::ClearCells(const CellRange& range)
{
    const int firstRow = range.firstRow.index;
    const int lastRow = range.endRow.index - 1;
    const int firstColumn = range.firstColumn.index;
    const int lastColumn = range.endColumn.index - 1;
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = firstColumn; column <= lastColumn; ++column)
        {
            const bool first = row == firstRow && column == firstColumn;
            const bool last = row == lastRow && column == lastColumn;
            const ULONG position = range.IsSingleCell() ? ClearPosition::Only
                                   : first              ? ClearPosition::First
                                   : last               ? ClearPosition::Last
                                                        : ClearPosition::Middle;
            OnClearCell(row, range.firstRow.origin, column, range.firstColumn.origin, position);
        }
}

bool EventGridControl::IsRowKey(UINT key)
{
    switch (key)
    {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_HOME:
    case VK_UP:
    case VK_PRIOR:
    case VK_DOWN:
    case VK_END:
    case VK_NEXT:
    case VK_TAB:
        return true;
    default:
        return false;
    }
}

bool EventGridControl::EditorKey(UINT key)
{
    if (key != VK_ESCAPE && key != VK_TAB && key != VK_RETURN)
        return false;
    // Esc commits without taking the input, so the value from before the edit is reported.
    if (key != VK_ESCAPE)
        Pane().EndEditorInput();
    Pane().CommitEdit();
    return true;
}

void EventGridControl::ShowColumn(int column)
{
    const CellPosition position{column, ColumnOrigin};
    if (!IsColumnVisible(position))
        ScrollToColumn(position);
}

void EventGridControl::MoveCell(int rows, int columns)
{
    const CellRange& range = Selection().Range();
    const int row = std::clamp(range.firstRow.index + rows, RowOrigin, RowCount() + RowOrigin - 1);
    const int column = std::clamp(range.firstColumn.index + columns, ColumnOrigin, ColumnCount() + ColumnOrigin - 1);
    if (Selection().WholeRows())
        Selection().SetRange(CellRange::Cells(row, row + 1, range.firstColumn.index, range.endColumn.index));
    else
        Selection().SetRange(CellRange::Cells(row, row + 1, column, column + 1));
}

void EventGridControl::ExtendRows(int row)
{
    CellRange range = Selection().Range();
    range.ExtendToCover({row, RowOrigin}, range.firstColumn);
    Selection().SetRange(range);
}

bool EventGridControl::KeyDown(UINT key, UINT repeat, UINT flags)
{
    if (Pane().IsEditing())
    {
        const bool taken = EditorKey(key);
        // Enter then goes on to the next row as on a selected cell, so that a column is typed value after
        // value: staying on the cell, the next value typed replaced the one just entered.
        if (key != VK_RETURN || Pane().IsEditing())
            return taken;
        return KeyDown(key, repeat, flags);
    }
    if (ColumnCount() == 0 && (key == VK_LEFT || key == VK_RIGHT))
        return true;
    if (RowCount() == 0 && IsRowKey(key))
        return true;
    const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const int top = Pane().TopRow();
    const int end = std::min(RowCount(), top + Pane().PageRows());
    const int lo = std::min(top, end) + RowOrigin;
    const int hi = std::max(top, end) + RowOrigin;
    const int firstRow = RowOrigin;
    const int lastRow = RowCount() + RowOrigin - 1;
    const int lastColumn = ColumnCount() + ColumnOrigin - 1;

    GridSelection& selection = Selection();
    const bool selected = selection.IsValid();
    CellRange range = selection.Range();
    if (key == VK_TAB && range.IsSingleCell() &&
        (CellFormat(range.firstRow.index, range.firstColumn.index) & TableView::CellFormat::TabMovesDown))
        key = VK_DOWN;

    switch (key)
    {
    case VK_ESCAPE:
        selection.Clear();
        return true;
    case VK_HOME:
        if (selected && shift)
        {
            range.firstRow = {firstRow, RowOrigin};
            selection.SetRange(range);
        }
        ScrollToRow({firstRow, RowOrigin});
        return true;
    case VK_END:
        if (selected && shift)
        {
            range.endRow = {lastRow + 1, RowOrigin};
            selection.SetRange(range);
        }
        ScrollToRow(LastRowCoord());
        return true;
    case VK_PRIOR:
    case VK_NEXT:
    {
        int target = key == VK_PRIOR ? lo - (hi - lo) : hi;
        target = std::clamp(target, firstRow, std::max(lastRow, firstRow));
        if (selected && shift)
            ExtendRows(target);
        ScrollToRow({target, RowOrigin});
        return true;
    }
    case VK_LEFT:
    case VK_RIGHT:
    case VK_TAB:
    {
        const int step = key == VK_LEFT ? -1 : 1;
        if (!selected || Options().rowSelection)
        {
            ScrollColumns(step);
            return true;
        }
        if (!shift)
            MoveCell(0, step);
        else if (step < 0 && range.firstColumn.index > ColumnOrigin)
            --range.firstColumn.index, selection.SetRange(range);
        else if (step > 0 && range.endColumn.index <= lastColumn)
            ++range.endColumn.index, selection.SetRange(range);
        const CellRange& now = selection.Range();
        ShowColumn(step < 0 ? now.firstColumn.index : now.endColumn.index - 1);
        return true;
    }
    case VK_UP:
        if (!selected)
        {
            ScrollRows(-1);
            return true;
        }
        if (!shift)
            MoveCell(-1, 0);
        else if (range.firstRow.index > firstRow)
            --range.firstRow.index, selection.SetRange(range);
        if (const int row = selection.Range().firstRow.index; !IsRowVisible({row, RowOrigin}))
            ScrollToRow({row, RowOrigin});
        return true;
    case VK_DOWN:
    case VK_RETURN:
        if (!selected)
        {
            ScrollRows(1);
            return true;
        }
        if (!shift)
            MoveCell(1, 0);
        else if (range.endRow.index <= lastRow)
            ++range.endRow.index, selection.SetRange(range);
        if (const int row = shift ? selection.Range().endRow.index - 1 : selection.Range().firstRow.index;
            !IsRowVisible({row, RowOrigin}))
            ScrollRowIntoView({row, RowOrigin});
        return true;
    case VK_BACK:
        if (selected)
            ClearCells(range);
        return true;
    default:
        if (range.IsSingleCell())
        {
            const ULONG format = CellFormat(range.firstRow.index, range.firstColumn.index);
            using namespace TableView::CellFormat;
            if (format & (Editable | EditOnDoubleClick | Channel))
                Pane().BeginEdit(range.firstRow.index - RowOrigin, range.firstColumn.index - ColumnOrigin, key);
        }
        return false;
    }
}

} // namespace TVF_Grid
