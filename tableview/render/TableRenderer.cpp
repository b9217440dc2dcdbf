#include "tableview/render/TableRenderer.h"

#include "foundation/com/ComPtr.h"
#include "tableview/grid/GridColumns.h"
#include "tableview/grid/GridControl.h"
#include "tableview/pixmap/TablePixMap.h"

#include <string>

namespace TableView
{

namespace
{

const wchar_t* const ChannelPlaceholder = L"<Select Channel>";
const wchar_t* const Indent = L"   ";
constexpr ULONG OutsideFormat = 0x0001;
constexpr ULONG Blank = 0x0100;
constexpr ULONG Indented = 0x1000;
constexpr ULONG Highlighted = 0x4000;
constexpr int BoldPointSize = 10;
// Room beside a cell's text so that it does not touch the grid line.
constexpr int TextRoomMargin = 6;

HFONT MakeBoldGuiFont()
{
    LOGFONTW face{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
    face.lfHeight = -MulDiv(BoldPointSize, Orv::DevicePixelsPerInch(nullptr, LOGPIXELSY), 72);
    face.lfWidth = 0;
    face.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&face);
}

bool DrawnBold(ULONG format)
{
    return (format & CellFormat::TitleText) && !(format & (CellFormat::Placeholder | Blank));
}

} // namespace

int CellTextRoom(const Orv::String& text, ULONG format)
{
    // Made once: every table draws with the same two faces.
    static const Orv::UniqueGdiObject<HFONT> bold(MakeBoldGuiFont());
    static const OWL::TFont cell(TVF_Grid::MakeCellFont());
    return TVF_Grid::TextExtent(text, DrawnBold(format) ? bold.Get() : static_cast<HFONT>(cell)) + TextRoomMargin;
}

TableRenderer::TableRenderer(TVF_Grid::PaintHooks& grid) : m_grid(grid), m_boldFont(MakeBoldGuiFont()) {}

void TableRenderer::Attach(ITableDataManager* data, ITableStoredRowInfo* rows, ULONG grid)
{
    m_data = data;
    m_rows = rows;
    m_gridWord = grid;
    m_pixMap = TVF_PixMap::Create(rows, TVF_Grid::GridControl::RowOrigin, m_columnOrigin, grid);
}

int TableRenderer::DataRowCount() const
{
    LONGLONG end = 0;
    if (!m_pixMap || FAILED(m_pixMap->Rebuild(0)) || FAILED(m_pixMap->GetEndPosition(&end)))
        return 0;
    return static_cast<int>(end);
}

Orv::String TableRenderer::ColumnTitle(int gridColumn) const
{
    if (!m_data)
        return {};
    Orv::ComPtr<ITableColumnNames> names;
    if (SUCCEEDED(m_data->QueryInterface(IID_ITableColumnNames, names.PutVoid())) && names)
    {
        const ULONG column = static_cast<ULONG>(gridColumn);
        Orv::String title;
        Orv::String units;
        names->GetColumnName(column, &title);
        names->GetColumnUnits(column, &units);
        if (!units.IsEmpty())
        {
            title += L" (";
            title += units;
            title += L")";
        }
        return title;
    }
    const ULONG column = static_cast<ULONG>(gridColumn + m_columnOrigin);
    ULONG format = 0;
    Orv::String title;
    if (SUCCEEDED(m_data->GetCellFormat(m_gridWord, 0, column, &format)) && (format & CellFormat::TitleText))
        m_data->GetCellText(m_gridWord, 0, column, &title);
    return title;
}

Orv::String TableRenderer::DisplayText(const Orv::String& text, ULONG format) const
{
    Orv::String shown = (format & Blank) ? Orv::String() : text;
    if (format & CellFormat::Channel)
    {
        shown = ChannelNameOf(shown, m_channelNames);
        if (!(format & CellFormat::Editable))
            shown = Orv::String();
        if (format & CellFormat::Placeholder)
            shown = Orv::String(ChannelPlaceholder);
    }
    if (format & Indented)
    {
        Orv::String indented(Indent);
        indented += shown;
        shown = indented;
    }
    return shown;
}

int TableRenderer::DrawCellText(HDC dc, const RECT& rect, const Orv::String& text, ULONG format)
{
    if (format & CellFormat::Placeholder)
        SetTextColor(dc, PlaceholderColour);
    const bool bold = DrawnBold(format);
    const HGDIOBJ printerFont = GetCurrentObject(dc, OBJ_FONT);
    OWL::SelectedObject font(dc, m_printing ? printerFont : bold ? m_boldFont.Get() : m_grid.CellFont());
    Orv::TextAlignment align(dc, TA_LEFT | TA_TOP);
    const int length = static_cast<int>(text.Length());
    ExtTextOutW(dc, rect.left, rect.top, ETO_CLIPPED | ETO_OPAQUE, &rect, text.c_str(), static_cast<UINT>(length),
                nullptr);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), length, &size);
    return size.cx;
}

bool TableRenderer::RenderColumn(HDC dc, const TVF_Grid::ColumnPaintInfo& info, TVF_Grid::UniformRowPosCursor& rows,
                                 int endRow, int rowOrigin, int* widest, int*)
{
    if (!m_data || !m_rows)
        return true;
    ULONG columnCount = 0;
    m_data->GetColumnCount(m_gridWord, &columnCount);
    const ULONG column = static_cast<ULONG>(info.columnId + m_columnOrigin);
    if (column >= columnCount)
        return true;
    ULONG storedRows = 0;
    m_rows->GetRowCount(m_gridWord, &storedRows);
    const int printedOffset = m_printing ? m_firstPrintedRow : 0;
    if (m_printing && (FormatOf(rowOrigin, column) & CellFormat::Placeholder))
        return true;
    for (; rows.HasMore() && rows.Row() + rowOrigin < endRow; rows.Next())
    {
        const int row = rows.Row() + rowOrigin + printedOffset;
        const RECT cell{info.left, rows.Top(), info.right, rows.Bottom() - 1};
        const int state = m_grid.ColumnState(row, static_cast<int>(column));
        SelectCellColours(dc, row, rowOrigin, static_cast<int>(column), m_columnOrigin, state, nullptr);
        Orv::String text;
        ULONG format = OutsideFormat;
        if (static_cast<ULONG>(row) < storedRows)
        {
            m_data->GetCellText(m_gridWord, row, column, &text);
            format = FormatOf(row, column);
        }
        if (format & Highlighted)
            SelectCellColours(dc, row, rowOrigin, static_cast<int>(column), m_columnOrigin, state, &HighlightColour);
        // "<Select Channel>" asks the user on screen; on paper the cell stays empty.
        const bool blankOnPaper = m_printing && (format & CellFormat::Placeholder);
        const int width = DrawCellText(dc, cell, blankOnPaper ? Orv::String() : DisplayText(text, format), format);
        if (widest && width > *widest)
            *widest = width;
    }
    return true;
}

ULONG TableRenderer::FormatOf(int row, ULONG column) const
{
    ULONG format = OutsideFormat;
    m_data->GetCellFormat(m_gridWord, row, column, &format);
    return format;
}

void TableRenderer::SelectCellColours(HDC dc, int row, int, int column, int, int state, const COLORREF* colour)
{
    TVF_Grid::SelectGridCellColours(dc, m_grid.IsSelected(row, column), state, colour, m_printing);
}

void TableRenderer::WriteRowLabel(int row, int, std::wostream& out)
{
    Orv::String label;
    ULONG format = 0;
    if (m_data)
    {
        m_data->GetCellText(m_gridWord, row, 0, &label);
        m_data->GetCellFormat(m_gridWord, row, 0, &format);
    }
    if (!label.IsEmpty() && (format & Indented))
        out << Indent;
    out << label.c_str() << std::ends;
}

} // namespace TableView
