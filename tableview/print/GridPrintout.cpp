#include "tableview/print/GridPrintout.h"

#include "foundation/com/XOrv.h"
#include "foundation/system/GdiObjects.h"
#include "platform/owl/gdi/DC.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace TVF_Grid
{

namespace
{

constexpr COLORREF SeparatorColour = RGB(16, 16, 16);
// The separators' width on a 600 dpi printer; on a coarser one they are as thin, or one pixel.
constexpr int SeparatorWidth = 4;
constexpr int SeparatorDpi = 600;
constexpr int RowLabelSpareCharacters = 6;
constexpr double MillimetresPerInch = 25.4;
constexpr ULONG PlaceholderFormat = 0x80;

TEXTMETRICW MetricsOf(const OWL::TDC& dc, HFONT font)
{
    OWL::SelectedObject selected(dc.GetHDC(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.GetHDC(), &metrics);
    return metrics;
}

// Half a millimetre in the context's pixels, at least one.
int HalfMillimetre(const OWL::TDC& dc)
{
    return std::max(static_cast<int>(static_cast<int>(dc.GetDeviceCaps(LOGPIXELSX) / MillimetresPerInch) * 0.5), 1);
}

int SeparatorWidthOn(const OWL::TDC& dc)
{
    return std::max(MulDiv(SeparatorWidth, dc.GetDeviceCaps(LOGPIXELSX), SeparatorDpi), 1);
}

void Outline(HDC dc, const RECT& box, HPEN pen)
{
    OWL::SelectedObject selectedPen(dc, pen);
    OWL::SelectedObject hollow(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, box.left, box.top, box.right, box.bottom);
}

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// Drawing clipped to a rectangle; the clip is removed again when it ends.
class ClipTo
{
public:
    ClipTo(HDC dc, const RECT& box) : m_dc(dc), m_saved(SaveDC(dc))
    {
        IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
    }
    ~ClipTo() { RestoreDC(m_dc, m_saved); }
    ClipTo(const ClipTo&) = delete;
    ClipTo& operator=(const ClipTo&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

// The lines of a title in the context's font: its words, split at spaces, joined on a line while they fit
// the width; a word wider than the width takes a line of its own.
std::vector<std::wstring> TitleLines(HDC dc, const std::wstring& title, int width)
{
    std::vector<std::wstring> lines;
    std::wistringstream words(title);
    for (std::wstring word; words >> word;)
    {
        if (!lines.empty())
        {
            const std::wstring joined = lines.back() + L' ' + word;
            SIZE extent{};
            GetTextExtentPoint32W(dc, joined.c_str(), static_cast<int>(joined.size()), &extent);
            if (extent.cx <= width)
            {
                lines.back() = joined;
                continue;
            }
        }
        lines.push_back(word);
    }
    return lines;
}

} // namespace

struct GridPrintout::PageFonts
{
    OWL::TFont body;
    OWL::TFont title;
};

GridPrintout::GridPrintout(IUnknown* owner, ITableDataManager* data, ULONG viewId, PrintedGrid& grid,
                           const Orv::String& title, bool printRowLabels, bool printColumnTitles)
    : VyrSinglePagePrintout(owner, title, PrintoutKind, nullptr),
      m_data(data),
      m_viewId(viewId),
      m_grid(grid),
      m_printRowLabels(printRowLabels),
      m_printColumnTitles(printColumnTitles)
{
    m_grid.SetNoHighlight(true);
    m_grid.Renderer().BeginPrint();
}

GridPrintout::~GridPrintout()
{
    m_grid.SetNoHighlight(false);
    m_grid.Renderer().EndPrint();
}

OWL::TFont GridPrintout::PrinterFont(HFONT screenFont, const OWL::TDC& dc) const
{
    LOGFONTW font{};
    GetObjectW(screenFont, sizeof font, &font);
    const HDC screen = GetDC(nullptr);
    const int screenX = GetDeviceCaps(screen, LOGPIXELSX);
    const int screenY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    font.lfWidth = MulDiv(font.lfWidth, dc.GetDeviceCaps(LOGPIXELSX), screenX);
    font.lfHeight = MulDiv(font.lfHeight, dc.GetDeviceCaps(LOGPIXELSY), screenY);
    return OWL::TFont(font);
}

int GridPrintout::RowLabelWidth(const OWL::TDC& dc, HFONT font) const
{
    return (m_grid.MaxRowLabelLength() + RowLabelSpareCharacters) * MetricsOf(dc, font).tmAveCharWidth;
}

PrintLayout GridPrintout::CountLayout(const OWL::TDC& dc, const PageFonts& fonts) const
{
    const RECT& page = PrintRect();
    PrintMetrics metrics;
    metrics.pageWidth = page.right - page.left;
    metrics.pageHeight = page.bottom - page.top;
    const HDC screen = GetDC(nullptr);
    metrics.screenDpiX = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    metrics.printerDpiX = dc.GetDeviceCaps(LOGPIXELSX);
    metrics.bodyFontHeight = MetricsOf(dc, fonts.body).tmHeight;
    metrics.titleFontHeight = MetricsOf(dc, fonts.title).tmHeight;
    metrics.penWidth = HalfMillimetre(dc);
    metrics.labelWidth = m_printRowLabels ? RowLabelWidth(dc, fonts.body) : 0;
    for (int column = 0; column < m_grid.ColumnCount(); ++column)
        metrics.screenColumnWidths.push_back(m_grid.ColumnWidth(column));
    metrics.rowCount = m_grid.RowCount();
    return CountPrintPages(metrics);
}

ULONG GridPrintout::CountPages()
{
    const OWL::TDC* dc = PageDC();
    if (!dc)
        throw XOrv(E_UNEXPECTED);
    const PageFonts fonts{PrinterFont(m_grid.CellFont(), *dc), PrinterFont(m_grid.TitleFont(), *dc)};
    m_layout = CountLayout(*dc, fonts);
    return static_cast<ULONG>(m_layout.Pages());
}

bool GridPrintout::IsPlaceholderColumn(int columnNumber) const
{
    ULONG format = 0;
    return m_data && SUCCEEDED(m_data->GetCellFormat(m_viewId, RowOrigin, static_cast<ULONG>(columnNumber), &format)) &&
           (format & PlaceholderFormat);
}

int GridPrintout::PrintedColumns() const
{
    const int count = m_grid.ColumnCount();
    int printed = count;
    while (printed > 0 && IsPlaceholderColumn(printed))
        --printed;
    return printed < count ? printed + 1 : printed;
}

void GridPrintout::DrawTitle(OWL::TDC& dc, const RECT& cell, const RECT& shown, int column, int penWidth) const
{
    // The title and its outline show only in what the page shows of the columns: a side of the outline
    // that lies on the page whole, the pen's width around the line, cut nowhere.
    ClipTo shownPart(dc, {cell.left >= shown.left ? cell.left - penWidth : shown.left, cell.top - penWidth,
                          cell.right <= shown.right ? cell.right + penWidth : shown.right, cell.bottom + penWidth});
    {
        // Inside the outline, on as many lines as the header holds: a title longer than its column
        // breaks between its words rather than run under the next column's line. Small glyphs are drawn
        // up to a few pixels wider than the font's widths add up to, so a line ends half a character
        // before the outline and its ink may run on into that room.
        ClipTo clip(dc, {std::max(cell.left, shown.left), cell.top, std::min(cell.right, shown.right), cell.bottom});
        Orv::TextAlignment align(dc, TA_TOP | TA_LEFT);
        TEXTMETRICW font{};
        GetTextMetricsW(dc, &font);
        const int inkRoom = std::max(static_cast<int>(font.tmAveCharWidth) / 2, penWidth);
        const int left = cell.left + 2 * penWidth;
        int top = cell.top + penWidth;
        for (const std::wstring& line :
             TitleLines(dc, m_grid.ColumnTitle(column).c_str(), cell.right - 2 * penWidth - inkRoom - left))
        {
            TextOutW(dc, left, top, line.c_str(), static_cast<int>(line.size()));
            top += font.tmHeight;
        }
    }
    const OWL::TPen black(OWL::TColor(RGB(0, 0, 0)), penWidth);
    Outline(dc, {cell.left, cell.top, cell.right, cell.bottom - penWidth / 2}, black);
}

void GridPrintout::DrawRowLines(OWL::TDC& dc, int firstRow, int rows, int rowsTop, int left, int right,
                                int labelWidth, bool labels, int penWidth) const
{
    const int rowHeight = m_layout.rowHeight;
    const OWL::TPen separator(OWL::TColor(SeparatorColour), SeparatorWidthOn(dc), PS_DOT);
    const OWL::TPen black(OWL::TColor(RGB(0, 0, 0)), penWidth);
    Orv::TextAlignment align(dc, TA_CENTER | TA_BOTTOM);
    for (UniformRowPosCursor cursor(firstRow, rows, rowsTop, rowHeight); cursor.HasMore(); cursor.Next())
    {
        {
            OWL::SelectedObject pen(dc.GetHDC(), separator);
            Line(dc, left, cursor.Top(), right, cursor.Top());
        }
        if (!labels)
            continue;
        std::wostringstream label;
        m_grid.WriteRowLabel(cursor.Row(), label);
        const std::wstring text = label.str().c_str();  // up to the writer's terminator
        TextOutW(dc, left + labelWidth / 2, cursor.Bottom(), text.c_str(), static_cast<int>(text.size()));
        Outline(dc, {left + 1, cursor.Top() + 1, left + labelWidth - 1, cursor.Bottom() - 1}, black);
    }
}

void GridPrintout::DrawPage(ULONG page, OWL::TDC& dc, ULONG_PTR)
{
    const PageFonts fonts{PrinterFont(m_grid.CellFont(), dc), PrinterFont(m_grid.TitleFont(), dc)};
    if (m_layout.columnStarts.size() != static_cast<std::size_t>(m_grid.ColumnCount()))
        m_layout = CountLayout(dc, fonts);
    const RECT& area = PrintRect();
    if (m_layout.bandsPerPage > 1)
    {
        for (int band = 0; band < m_layout.bandsPerPage; ++band)
        {
            const int pageColumn = static_cast<int>(page) * m_layout.bandsPerPage + band;
            if (pageColumn < m_layout.pagesAcross)
                DrawBand(dc, fonts, 0, pageColumn, area.top + band * m_layout.bandHeight);
        }
        return;
    }
    DrawBand(dc, fonts, static_cast<int>(page) / m_layout.pagesAcross, static_cast<int>(page) % m_layout.pagesAcross,
             area.top);
}

void GridPrintout::DrawBand(OWL::TDC& dc, const PageFonts& fonts, int pageRow, int pageColumn, int top)
{
    const RECT& area = PrintRect();
    const int penWidth = HalfMillimetre(dc);
    const int firstRow = m_layout.FirstRowOf(pageRow);
    const int rows = std::clamp(m_grid.RowCount() - firstRow, 0, m_layout.RowsOn(pageRow));
    const int rowsTop = top + (pageRow == 0 ? m_layout.headerHeight : 0);
    const int rowsBottom = std::min(rowsTop + rows * m_layout.rowHeight, static_cast<int>(area.bottom));
    const PrintLayout::PageColumn& place = m_layout.pageColumns[static_cast<std::size_t>(pageColumn)];
    const bool labels = m_printRowLabels && place.labels;
    const int labelWidth = labels ? place.left : 0;
    // What the page shows of the columns: beside its labels, up to its right edge.
    const RECT shown{area.left + place.left, top, area.right, area.bottom};
    const int printed = PrintedColumns();
    const bool lastIsPlaceholder = IsPlaceholderColumn(m_grid.ColumnCount());
    const OWL::TPen separator(OWL::TColor(SeparatorColour), SeparatorWidthOn(dc), PS_DOT);

    int rightEnd = area.left + labelWidth;
    OWL::SelectedObject font(dc.GetHDC(), fonts.body);
    for (int column = 0; column < printed; ++column)
    {
        if (!m_layout.IsColumnOn(pageColumn, static_cast<std::size_t>(column)))
            continue;
        const int left = area.left + m_layout.ColumnLeftOn(pageColumn, static_cast<std::size_t>(column));
        const int right = left + m_layout.columnWidths[static_cast<std::size_t>(column)];
        if (m_printColumnTitles && pageRow == 0)
        {
            OWL::SelectedObject titleFont(dc.GetHDC(), fonts.title);
            DrawTitle(dc, {left, top, right, top + m_layout.headerHeight}, shown, column, penWidth);
        }
        {
            ClipTo clip(dc, {std::max(left, static_cast<int>(shown.left)), rowsTop,
                             std::min(right, static_cast<int>(shown.right)), rowsBottom});
            UniformRowPosCursor cursor(firstRow, rows, rowsTop, m_layout.rowHeight);
            int widest = 0;
            int second = 0;
            m_grid.Renderer().RenderColumn(dc, {column, left, right, left, right}, cursor, firstRow + rows + RowOrigin,
                                           RowOrigin, &widest, &second);
        }
        const bool placeholder = lastIsPlaceholder && column == printed - 1;
        if (!placeholder)
        {
            rightEnd = right;
            // A column cut at the page's edge has its separator on the page it ends on.
            if (!lastIsPlaceholder && right <= area.right)
            {
                OWL::SelectedObject pen(dc.GetHDC(), separator);
                Line(dc, right, rowsTop, right, rowsBottom);
            }
        }
    }
    DrawRowLines(dc, firstRow, rows, rowsTop, area.left, std::min(rightEnd, static_cast<int>(area.right)), labelWidth,
                 labels, penWidth);
}

} // namespace TVF_Grid
