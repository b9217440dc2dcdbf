#include "tableview/print/PrintedTableGrid.h"

#include "tableview/grid/GridColumns.h"
#include "tableview/grid/GridPane.h"

#include <algorithm>
#include <cwchar>
#include <sstream>

namespace TableView
{

namespace
{

constexpr int RowOrigin = TVF_Grid::GridControl::RowOrigin;
constexpr int ColumnOrigin = TVF_Grid::GridControl::ColumnOrigin;

} // namespace

PrintedTableGrid::PrintedTableGrid(TVF_Grid::GridControl& grid, TableRenderer& renderer, bool wholeTable)
    : m_grid(grid), m_renderer(renderer), m_rows(grid.RowCount())
{
    const TVF_Grid::CellRange& selected = grid.Selection().Range();
    if (!wholeTable && selected.IsValid())
    {
        // The title row is printed as the column titles, never as a data row.
        m_firstRow = std::clamp(selected.firstRow.index - RowOrigin, 0, m_rows);
        m_rows = std::clamp(selected.endRow.index - RowOrigin, m_firstRow, m_rows) - m_firstRow;
    }
    // Rows that still ask for a channel hold nothing worth paper.
    while (m_rows > 0 && (grid.CellFormat(m_firstRow + m_rows - 1 + RowOrigin, ColumnOrigin) & CellFormat::Placeholder))
        --m_rows;
    m_renderer.SetFirstPrintedRow(m_firstRow);
}

int PrintedTableGrid::ColumnWidth(int column) const
{
    return m_grid.Pane().Column(column).Width();
}

Orv::String PrintedTableGrid::ColumnTitle(int column) const
{
    return m_grid.Pane().Column(column).Title();
}

int PrintedTableGrid::MaxRowLabelLength()
{
    std::size_t longest = 0;
    for (int row = 0; row < m_rows; ++row)
    {
        std::wostringstream label;
        WriteRowLabel(row, label);
        longest = std::max(longest, std::wcslen(label.str().c_str()));
    }
    return static_cast<int>(longest);
}

void PrintedTableGrid::WriteRowLabel(int row, std::wostream& out)
{
    m_renderer.WriteRowLabel(m_firstRow + row + RowOrigin, RowOrigin, out);
}

void PrintedTableGrid::SetNoHighlight(bool noHighlight)
{
    m_grid.Options().noHighlight = noHighlight;
    if (m_grid.GetHandle())
        m_grid.RepaintAll();
}

} // namespace TableView
