// A table's grid as its printout reads it: the pane's columns, and the rows to print: the selected rows
// unless the whole table is asked for, without the placeholder rows that end a table.
#pragma once

#include "tableview/grid/GridControl.h"
#include "tableview/print/GridPrintout.h"
#include "tableview/render/TableRenderer.h"

namespace TableView
{

class PrintedTableGrid final : public TVF_Grid::PrintedGrid
{
public:
    PrintedTableGrid(TVF_Grid::GridControl& grid, TableRenderer& renderer, bool wholeTable);

    HFONT CellFont() const override { return m_grid.CellFont(); }
    HFONT TitleFont() const override { return m_grid.TitleFont(); }
    int ColumnCount() const override { return m_grid.ColumnCount(); }
    int ColumnWidth(int column) const override;
    Orv::String ColumnTitle(int column) const override;
    int RowCount() const override { return m_rows; }
    // Of the printed rows' labels.
    int MaxRowLabelLength() override;
    // Row counts from the first printed row.
    void WriteRowLabel(int row, std::wostream& out) override;
    TVF_Grid::GridRenderer& Renderer() override { return m_renderer; }
    void SetNoHighlight(bool noHighlight) override;

    // The first printed row, from the first data row.
    int FirstRow() const { return m_firstRow; }

private:
    TVF_Grid::GridControl& m_grid;
    TableRenderer& m_renderer;
    int m_firstRow = 0;
    int m_rows = 0;
};

} // namespace TableView
