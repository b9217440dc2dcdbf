#include "tableview/print/PrintLayout.h"

#include "foundation/com/XOrv.h"

#include <algorithm>

namespace TVF_Grid
{

namespace
{

// Lays the columns end to end and cuts them into pages across. A page beside the row labels holds the
// columns that fit there whole; the next one that does not starts the next page. A column too wide for
// the room beside the labels, but no wider than the page, takes a page of its own without them, from the
// left margin: no column shows cut at a page's edge that one page could show whole. A column wider than
// the page begins a new page when it would begin in the left half of a page's room, as the printout always
// placed it, and is cut at that page's edge: its title and its cells' texts start at its left, so what lies
// past the edge is an empty box, and the next page starts with the next column.
class ColumnPlacer
{
public:
    ColumnPlacer(PrintLayout& layout, int labelWidth, int pageWidth)
        : m_layout(layout), m_labelWidth(labelWidth), m_pageWidth(pageWidth)
    {
        m_layout.pageColumns.push_back({0, 0, labelWidth, labelWidth > 0});
    }

    void Place(int width)
    {
        const PrintLayout::PageColumn& page = m_layout.pageColumns.back();
        const bool empty = m_x == page.stripStart;
        const int used = m_x - page.stripStart;
        if (width <= m_pageWidth - m_labelWidth)
        {
            if (m_closed || used + width > Room(page))
                StartPage(m_labelWidth);
        }
        else if (width <= m_pageWidth)
        {
            if (!empty || m_closed)
                StartPage(0);
            m_layout.pageColumns.back().left = 0;
            m_layout.pageColumns.back().labels = false;
            m_closed = true;
        }
        else if (m_closed || (!empty && used < Room(page) / 2))
        {
            StartPage(m_labelWidth);
        }
        m_layout.columnStarts.push_back(m_x);
        m_x += width;
        if (m_x > PageEnd(m_layout.pageColumns.back()))
            m_closed = true;
    }

    void Finish() { EndPage(); }

private:
    int Room(const PrintLayout::PageColumn& page) const { return m_pageWidth - page.left; }
    int PageEnd(const PrintLayout::PageColumn& page) const { return page.stripStart + Room(page); }
    // The last page shows the strip up to the last column's end, or up to its edge where that column is cut.
    void EndPage()
    {
        PrintLayout::PageColumn& page = m_layout.pageColumns.back();
        page.stripEnd = std::min(m_x, PageEnd(page));
    }
    void StartPage(int left)
    {
        EndPage();
        m_layout.pageColumns.push_back({m_x, m_x, left, left > 0});
        m_closed = false;
    }

    PrintLayout& m_layout;
    int m_labelWidth;
    int m_pageWidth;
    int m_x = 0;            // where the next column starts on the columns laid end to end
    bool m_closed = false;  // the last page takes no further column: a column's own, or one cut at its edge
};

} // namespace

int PrintLayout::FirstRowOf(int pageRow) const
{
    return pageRow == 0 ? 0 : (pageRow - 1) * rowsOnLaterPageRows + rowsOnFirstPageRow;
}

int PrintLayout::ColumnLeftOn(int pageColumn, std::size_t column) const
{
    const PageColumn& page = pageColumns[static_cast<std::size_t>(pageColumn)];
    return page.left + columnStarts[column] - page.stripStart;
}

bool PrintLayout::IsColumnOn(int pageColumn, std::size_t column) const
{
    const PageColumn& page = pageColumns[static_cast<std::size_t>(pageColumn)];
    return columnStarts[column] < page.stripEnd && columnStarts[column] + columnWidths[column] > page.stripStart;
}

PrintLayout CountPrintPages(const PrintMetrics& metrics)
{
    // A page without room would take every column across an endless strip of pages.
    if (metrics.pageWidth <= 0 || metrics.pageHeight <= 0)
        throw XOrv(Orv::String(L"The printer's page has no room to print on (its printable area is empty)."),
                   E_INVALIDARG);
    PrintLayout layout;
    layout.rowHeight = std::max(static_cast<int>(metrics.bodyFontHeight * PrintLayout::RowHeightFactor), 1);
    for (int screenWidth : metrics.screenColumnWidths)
        layout.columnWidths.push_back(static_cast<int>(static_cast<float>(screenWidth) /
                                                       static_cast<float>(metrics.screenDpiX) *
                                                       static_cast<float>(metrics.printerDpiX)));
    layout.pageWidth = metrics.pageWidth;
    // Labels that leave less than half a page beside them would leave the columns too little room.
    const int labelWidth = metrics.labelWidth < metrics.pageWidth / 2 ? metrics.labelWidth : 0;
    ColumnPlacer placer(layout, labelWidth, metrics.pageWidth);
    for (int width : layout.columnWidths)
        placer.Place(width);
    placer.Finish();
    layout.pagesAcross = static_cast<int>(layout.pageColumns.size());
    // Two lines of title between the outline's top and bottom lines, a pen's width clear of each.
    layout.headerHeight = 2 * metrics.titleFontHeight + 3 * metrics.penWidth;
    layout.rowsOnFirstPageRow = std::max((metrics.pageHeight - layout.headerHeight) / layout.rowHeight, 0);
    layout.rowsOnLaterPageRows = std::max(metrics.pageHeight / layout.rowHeight, 1);
    // Counted from what each page holds, so that the part of a row height that every page leaves
    // unused never adds up to rows that no page prints.
    const int rowsAfterFirst = std::max(metrics.rowCount - layout.rowsOnFirstPageRow, 0);
    layout.pagesDown = 1 + (rowsAfterFirst + layout.rowsOnLaterPageRows - 1) / layout.rowsOnLaterPageRows;
    if (layout.pagesDown == 1 && layout.pagesAcross > 1)
    {
        // A row's height of space between stacked bands.
        layout.bandHeight = layout.headerHeight + (metrics.rowCount + 1) * layout.rowHeight;
        layout.bandsPerPage =
            std::clamp((metrics.pageHeight + layout.rowHeight) / layout.bandHeight, 1, layout.pagesAcross);
    }
    return layout;
}

} // namespace TVF_Grid
