// Draws a table client's cells into a grid: the client's text and format word for each visible cell,
// channel cells by channel name, the channel placeholder, indented, bold title and highlighted cells.
#pragma once

#include "foundation/com/ComPtr.h"
#include "hostapi/RecordDataPixMap.h"
#include "tableview/data/CellText.h"
#include "tableview/data/TableInterfaces.h"
#include "tableview/grid/PanePainter.h"

namespace TableView
{

// How wide a column must be to show a cell's text whole on screen, for the cell's format word: a
// title in the renderer's bold face, any other cell in the grid's cell font, with a small margin.
int CellTextRoom(const Orv::String& text, ULONG format);

class TableRenderer : public TVF_Grid::GridRenderer
{
public:
    static constexpr COLORREF HighlightColour = RGB(230, 78, 28);
    static constexpr COLORREF PlaceholderColour = RGB(128, 128, 128);

    // The grid answers for cell states, the selection and the cell font.
    explicit TableRenderer(TVF_Grid::PaintHooks& grid);

    // Binds the client and makes a new record-data map over its stored rows.
    void Attach(ITableDataManager* data, ITableStoredRowInfo* rows, ULONG grid);
    // The data rows the map finds in the client's stored rows, the map rebuilt first.
    int DataRowCount() const;
    IRecordDataPixMap* PixMap() const { return m_pixMap.Get(); }
    void SetChannelNames(const ChannelNames* names) { m_channelNames = names; }

    bool RenderColumn(HDC dc, const TVF_Grid::ColumnPaintInfo& info, TVF_Grid::UniformRowPosCursor& rows, int endRow,
                      int rowOrigin, int* widest, int* second) override;
    void SelectCellColours(HDC dc, int row, int rowOrigin, int column, int columnOrigin, int state,
                           const COLORREF* colour) override;
    void WriteRowLabel(int row, int rowOrigin, std::wostream& out) override;
    // While printing, cells are drawn in the font the printout chose for the printer and never highlighted;
    // the printout's rows count from the first printed row, and a column that asks for a channel in its
    // first row stays blank.
    void BeginPrint() override { m_printing = true; }
    void EndPrint() override
    {
        m_printing = false;
        m_firstPrintedRow = 0;
    }
    void SetFirstPrintedRow(int row) { m_firstPrintedRow = row; }

    // A data column's title (counted from 0 without the row-title column): the client's name and units of
    // the column when it offers them, else the text of the column's title cell.
    Orv::String ColumnTitle(int gridColumn) const;
    // The text a cell shows for its client text and format word.
    Orv::String DisplayText(const Orv::String& text, ULONG format) const;
    // Draws the text clipped into the rectangle over an opaque background; returns its width.
    int DrawCellText(HDC dc, const RECT& rect, const Orv::String& text, ULONG format);

private:
    ULONG FormatOf(int row, ULONG column) const;

    TVF_Grid::PaintHooks& m_grid;
    ITableDataManager* m_data = nullptr;
    ITableStoredRowInfo* m_rows = nullptr;
    Orv::ComPtr<IRecordDataPixMap> m_pixMap;
    ULONG m_gridWord = MainGridWord;
    const ChannelNames* m_channelNames = nullptr;
    Orv::UniqueGdiObject<HFONT> m_boldFont;
    int m_columnOrigin = 1;
    bool m_printing = false;
    int m_firstPrintedRow = 0;
};

} // namespace TableView
