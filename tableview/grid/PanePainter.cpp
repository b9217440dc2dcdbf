#include "tableview/grid/PanePainter.h"

#include <algorithm>
#include <cmath>

namespace TVF_Grid
{

namespace
{

constexpr int FitMargin = 4;
constexpr COLORREF GreyedCellText = RGB(64, 64, 64);

void FitColumnToContent(HDC dc, GridColumn& column, int widest, const PaneView& view, PaintHooks& hooks)
{
    if (!hooks.AutoFit() || column.GetState() != GridColumn::State::FitToContent || widest <= 0)
        return;
    SIZE title{};
    GetTextExtentPoint32W(dc, column.Title().c_str(), static_cast<int>(column.Title().Length()), &title);
    column.SetState(GridColumn::State::Normal);
    hooks.SetColumnWidth(std::max<int>(title.cx, widest) + FitMargin, column.Id() + view.columnOrigin,
                         view.columnOrigin);
}

} // namespace

void SelectGridCellColours(HDC dc, bool selected, int state, const COLORREF* colour, bool noHighlight)
{
    if (!noHighlight)
        SetBkColor(dc, !selected ? RGB(255, 255, 255) : colour ? *colour : GetSysColor(COLOR_HIGHLIGHT));
    if (state == static_cast<int>(GridColumn::State::Greyed))
        SetTextColor(dc, GreyedCellText);
    else if (colour && (!selected || noHighlight))
        SetTextColor(dc, *colour);
    else if (selected && !noHighlight)
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    else
        SetTextColor(dc, RGB(0, 0, 0));
}

void PaintCells(HDC dc, const RECT& paint, const PaneView& view, ColumnLayout& columns, GridRenderer& renderer,
                PaintHooks& hooks)
{
    if (columns.Count() == 0 || view.rowHeight <= 0)
        return;
    const int visibleLeft = paint.left + view.scrollX;
    const int visibleRight = paint.right + view.scrollX;
    const int firstColumn = columns.ColumnAt(visibleLeft);
    const int lastColumn = columns.ColumnAt(visibleRight);
    const int firstRow = static_cast<int>(std::floor(static_cast<double>(paint.top + view.scrollY) / view.rowHeight));
    const int lastRow =
        static_cast<int>(std::ceil(static_cast<double>(paint.bottom + view.scrollY) / view.rowHeight)) + 1;
    const int endRow = std::min(lastRow, view.rowCount);
    const int ro = view.rowOrigin;
    const int co = view.columnOrigin;

    renderer.BeginRender();
    Orv::UniquePen gridPen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DLIGHT)));
    OWL::SelectedObject pen(dc, gridPen.Get());
    OWL::SelectedObject font(dc, hooks.CellFont());
    for (int index = firstColumn; index <= lastColumn; ++index)
    {
        GridColumn& column = columns.At(index);
        const int id = column.Id();
        hooks.OnColumnPaint(id + co, co);
        renderer.BeginColumn(firstRow + ro, ro, id + co, co);
        const int x0 = column.X() - view.scrollX;
        const int x1 = column.Right() - view.scrollX;
        if (view.gridLines)
            Orv::StrokeLines(dc, {{x1, 0}, {x1, view.clientHeight}});
        const int rowsTop = (firstRow - view.topRow) * view.rowHeight;
        UniformRowPosCursor cells(firstRow, lastRow - firstRow, rowsTop, view.rowHeight);
        int widest = 0;
        int second = 0;
        const bool rendered = renderer.RenderColumn(dc, {id, x0, x1, 0, view.clientWidth}, cells, endRow + ro, ro,
                                                    &widest, &second);
        FitColumnToContent(dc, column, widest, view, hooks);
        for (UniformRowPosCursor row(firstRow, lastRow - firstRow, rowsTop, view.rowHeight); row.HasMore(); row.Next())
        {
            if (view.gridLines)
                Orv::StrokeLines(dc, {{0, row.Bottom() - 1}, {view.clientWidth, row.Bottom() - 1}});
            if (!rendered)
                continue;
            const int state = hooks.ColumnState(row.Row() + ro, id + co);
            if (row.Row() >= view.rowCount || index >= columns.Count() ||
                state == static_cast<int>(GridColumn::State::Hidden))
                continue;
            renderer.BeginCell(row.Row() + ro, id + co);
            renderer.SelectCellColours(dc, row.Row() + ro, ro, id + co, co, state, nullptr);
            const RECT cell{x0, row.Top(), x1, row.Bottom() - 1};
            renderer.RenderCell(dc, row.Row() + ro, id + co, cell, hooks.IsSelected(row.Row() + ro, id + co));
        }
    }
    renderer.EndRender();
}

void BackBuffer::Paint(HDC target, const RECT& paint, const PaneView& view, ColumnLayout& columns,
                       GridRenderer& renderer, PaintHooks& hooks)
{
    if (!m_bitmap || m_size.cx < view.clientWidth || m_size.cy < view.clientHeight)
    {
        HDC screen = GetDC(nullptr);
        m_bitmap.Reset(CreateCompatibleBitmap(screen, std::max(view.clientWidth, 1), std::max(view.clientHeight, 1)));
        ReleaseDC(nullptr, screen);
        m_size = {view.clientWidth, view.clientHeight};
    }
    Orv::MemoryDc memory(target);
    OWL::SelectedObject bitmap(memory.Get(), m_bitmap.Get());
    const RECT client{0, 0, view.clientWidth, view.clientHeight};
    FillRect(memory.Get(), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    PaintCells(memory.Get(), paint, view, columns, renderer, hooks);
    BitBlt(target, paint.left, paint.top, paint.right - paint.left, paint.bottom - paint.top, memory.Get(), paint.left,
           paint.top, SRCCOPY);
}

} // namespace TVF_Grid
