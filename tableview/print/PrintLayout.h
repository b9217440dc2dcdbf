// How a grid falls onto printed pages: the printer widths of its columns, the rows on each page and the
// number of pages across and down. Pages run across first, then down. Every page keeps room for the row
// labels at its left, so that each says which rows it holds.
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

    std::vector<int> columnWidths;
    // Where each column starts on the strip of pages laid side by side: page column × page width + x.
    std::vector<int> columnStarts;
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
    // A column's left edge on a page column, from the page's left margin; it is printed there when any
    // of it lies inside [0, pageWidth).
    int ColumnLeftOn(int pageColumn, std::size_t column) const { return columnStarts[column] - pageColumn * pageWidth; }
    bool IsColumnOn(int pageColumn, std::size_t column) const;
};

// Throws XOrv for a page with no printable width or height.
PrintLayout CountPrintPages(const PrintMetrics& metrics);

} // namespace TVF_Grid
