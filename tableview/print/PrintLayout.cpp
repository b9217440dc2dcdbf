#include "tableview/print/PrintLayout.h"

#include "foundation/com/XOrv.h"

#include <algorithm>

namespace TVF_Grid
{

namespace
{

// A column wider than the page that would start in the left half of a page starts on a new page instead;
// one that still overflows runs on over as many pages as it needs; a narrower one that does not fit
// moves whole to the next page, after its row labels. Gives the start of every column on the strip of pages; the number of
// pages is one more than the page the last column ends on.
int PlaceColumns(const std::vector<int>& widths, int labelWidth, int pageWidth, std::vector<int>& starts)
{
    int page = 0;
    int x = labelWidth;
    for (int width : widths)
    {
        if (width > pageWidth && x < pageWidth / 2)
        {
            ++page;
            x = 0;
        }
        starts.push_back(page * pageWidth + x);
        x += width;
        if (x <= pageWidth)
            continue;
        if (width > pageWidth)
        {
            while (x > pageWidth)
            {
                x -= pageWidth;
                ++page;
            }
        }
        else
        {
            ++page;
            x = labelWidth + width;
            starts.back() = page * pageWidth + labelWidth;
        }
    }
    return page + 1;
}

} // namespace

int PrintLayout::FirstRowOf(int pageRow) const
{
    return pageRow == 0 ? 0 : (pageRow - 1) * rowsOnLaterPageRows + rowsOnFirstPageRow;
}

bool PrintLayout::IsColumnOn(int pageColumn, std::size_t column) const
{
    const int left = ColumnLeftOn(pageColumn, column);
    return left < pageWidth && left + columnWidths[column] > 0;
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
    layout.pagesAcross = PlaceColumns(layout.columnWidths, metrics.labelWidth, metrics.pageWidth, layout.columnStarts);
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
