// How a grid falls onto printed pages: the printer widths of its columns, the rows on each page and the
// number of pages across and down. Pages run across first, then down. A page keeps room for the row labels
// at its left, so that each says which rows it holds; a column too wide to fit beside them, but not wider
// than the page, takes a page of its own from the left margin, whole; a column wider than the page is cut
// at the edge of the page it starts on, and the next page starts with the next column.
#pragma once

#include <vector>

namespace TVF_Grid
{

struct PrintMetrics
{
    int pageWidth = 0;
    int pageHeight = 0;
    int screenDpiX = 96;
    int printerDpiX = 96;
    int bodyFontHeight = 0;   // printer pixels
    int titleFontHeight = 0;  // printer pixels
    int penWidth = 0;         // of the titles' outlines, printer pixels
    int labelWidth = 0;       // 0 without row labels
    std::vector<int> screenColumnWidths;
    int rowCount = 0;
};

struct PrintLayout
{
    static constexpr double RowHeightFactor = 1.4;

    // One page across: the part [stripStart, stripEnd) of the columns laid end to end that it shows, from
    // left pixels past the left margin (the row labels' width, or 0 on a page without them). A page that
    // ends with a cut column shows it up to its edge; the next page starts where that column ends.
    struct PageColumn
    {
        int stripStart = 0;
        int stripEnd = 0;
        int left = 0;
        bool labels = false;
    };

    std::vector<int> columnWidths;
    // Where each column starts on the columns laid end to end.
    std::vector<int> columnStarts;
    std::vector<PageColumn> pageColumns;
    int pageWidth = 0;
    int rowHeight = 0;
    int headerHeight = 0;
    int rowsOnFirstPageRow = 0;
    int rowsOnLaterPageRows = 0;
    int pagesAcross = 1;
    int pagesDown = 1;
    // When every row fits on one page under the header, the bands of columns that would each take a
    // page of their own are stacked on a page, bandHeight apart, as many as the page holds.
    int bandsPerPage = 1;
    int bandHeight = 0;

    int Pages() const { return pagesDown * ((pagesAcross + bandsPerPage - 1) / bandsPerPage); }
    // The first row and the number of rows printed on a page row.
    int FirstRowOf(int pageRow) const;
    int RowsOn(int pageRow) const { return pageRow == 0 ? rowsOnFirstPageRow : rowsOnLaterPageRows; }
    // A column's left edge on a page column, from the page's left margin; it is printed there when part
    // of it lies in what the page shows, and clipped to [PageColumn::left, pageWidth).
    int ColumnLeftOn(int pageColumn, std::size_t column) const;
    bool IsColumnOn(int pageColumn, std::size_t column) const;
};

// Throws XOrv for a page with no printable width or height.
PrintLayout CountPrintPages(const PrintMetrics& metrics);

} // namespace TVF_Grid
