#include "tableview/print/PrintLayout.h"

#include "foundation/com/XOrv.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

namespace
{

using TVF_Grid::CountPrintPages;
using TVF_Grid::PrintMetrics;

// A letter page at 600 dpi with margins: 4800 x 6600 printer pixels; columns of 100 screen pixels
// print 625 wide, rows 140 high under a 240 pixel header.
PrintMetrics Letter(int columns, int rows, int labelWidth = 300)
{
    PrintMetrics metrics;
    metrics.pageWidth = 4800;
    metrics.pageHeight = 6600;
    metrics.screenDpiX = 96;
    metrics.printerDpiX = 600;
    metrics.bodyFontHeight = 100;
    metrics.titleFontHeight = 120;
    metrics.labelWidth = labelWidth;
    metrics.screenColumnWidths.assign(static_cast<std::size_t>(columns), 100);
    metrics.rowCount = rows;
    return metrics;
}

TEST(PrintLayout, PagesAcrossAndDown)
{
    const struct
    {
        const char* name;
        PrintMetrics metrics;
        int across;
        int down;
        int pages;
    } cases[] = {
        // 7 columns beside the labels on every page: 7 + 7 + 7 + 7 + 4.
        {"32 columns, 50 loops", Letter(32, 50), 5, 2, 10},
        // Rows that fit on a page: the bands of columns stack on it, a row's height apart.
        {"no rows: the header alone", Letter(32, 0), 5, 1, 1},
        {"one selected loop", Letter(32, 1), 5, 1, 1},
        {"20 loops: two bands a page", Letter(32, 20), 5, 1, 3},
        {"no labels: still 7 a page", Letter(14, 45, 0), 2, 1, 2},
        {"first page row full", Letter(1, 45), 1, 1, 1},
        {"one row more", Letter(1, 46), 1, 2, 2},
    };
    for (const auto& c : cases)
    {
        const TVF_Grid::PrintLayout layout = CountPrintPages(c.metrics);
        EXPECT_EQ(c.across, layout.pagesAcross) << c.name;
        EXPECT_EQ(c.down, layout.pagesDown) << c.name;
        EXPECT_EQ(c.pages, layout.Pages()) << c.name;
    }
    const TVF_Grid::PrintLayout layout = CountPrintPages(Letter(32, 50));
    EXPECT_EQ(625, layout.columnWidths.front());
    EXPECT_EQ(140, layout.rowHeight);
    EXPECT_EQ(45, layout.rowsOnFirstPageRow);
    EXPECT_EQ(47, layout.rowsOnLaterPageRows);
    EXPECT_EQ(45, layout.FirstRowOf(1));
    EXPECT_EQ(92, layout.FirstRowOf(2));
}

TEST(PrintLayout, AColumnWiderThanThePageStartsOnANewPageCutAtItsEdge)
{
    PrintMetrics metrics = Letter(0, 1, 300);
    metrics.screenColumnWidths = {100, 1600};  // 625, then 10000 printer pixels
    const TVF_Grid::PrintLayout layout = CountPrintPages(metrics);
    EXPECT_EQ(2, layout.pagesAcross);
    EXPECT_EQ(625 + 4500, layout.pageColumns.back().stripEnd) << "the page's edge";
}

TEST(PrintLayout, APageWithoutRoomIsRefused)
{
    for (const auto& [width, height] : {std::pair{0, 6600}, std::pair{-10, 6600}, std::pair{4800, 0}})
    {
        PrintMetrics metrics = Letter(3, 10);
        metrics.pageWidth = width;
        metrics.pageHeight = height;
        EXPECT_THROW(CountPrintPages(metrics), XOrv) << width << " x " << height;
    }
}

TEST(PrintLayout, EveryRowOfALongTableHasAPage)
{
    // 100,000 rows: their height alone would fill 2122 pages, but each page leaves part of a row unused,
    // so the pages are counted from the rows each one holds.
    const TVF_Grid::PrintLayout layout = CountPrintPages(Letter(1, 100000));
    const int lastPage = layout.pagesDown - 1;
    EXPECT_EQ(2128, layout.pagesDown);
    EXPECT_GE(layout.FirstRowOf(lastPage) + layout.RowsOn(lastPage), 100000);
    EXPECT_LT(layout.FirstRowOf(lastPage), 100000);
}

// Which columns each page column prints, as [first, last].
std::vector<std::pair<int, int>> ColumnsPerPage(const TVF_Grid::PrintLayout& layout)
{
    std::vector<std::pair<int, int>> pages;
    for (int page = 0; page < layout.pagesAcross; ++page)
    {
        std::pair<int, int> range{-1, -1};
        for (std::size_t column = 0; column < layout.columnWidths.size(); ++column)
            if (layout.IsColumnOn(page, column))
                range = {range.first < 0 ? static_cast<int>(column) : range.first, static_cast<int>(column)};
        pages.push_back(range);
    }
    return pages;
}

TEST(PrintLayout, EveryColumnIsPrintedOnThePagesItIsCountedOn)
{
    const TVF_Grid::PrintLayout narrow = CountPrintPages(Letter(32, 50));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 6}, {7, 13}, {14, 20}, {21, 27}, {28, 31}}), ColumnsPerPage(narrow));
    EXPECT_EQ(300, narrow.ColumnLeftOn(0, 0)) << "beside the row labels";
    EXPECT_EQ(300, narrow.ColumnLeftOn(1, 7)) << "a moved column starts beside its page's row labels";

    PrintMetrics metrics = Letter(0, 1, 300);
    metrics.screenColumnWidths = {100, 1600, 100};  // 625, 10000, 625 printer pixels
    const TVF_Grid::PrintLayout wide = CountPrintPages(metrics);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {2, 2}}), ColumnsPerPage(wide));
    EXPECT_EQ(300, wide.ColumnLeftOn(1, 1)) << "the wide column starts beside its page's row labels";
    EXPECT_EQ(300, wide.ColumnLeftOn(2, 2)) << "the next page starts with the next column, not the wide one's rest";

    // Cut where it starts in the right half of a page's room: 4 columns of 625 take 2500 of the 4500.
    metrics.screenColumnWidths = {100, 100, 100, 100, 1600, 100};
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 4}, {5, 5}}), ColumnsPerPage(CountPrintPages(metrics)));
}

// Each column fits beside the labels but one that is wider than that room: it takes a page of its own,
// without labels, from the left margin; the next column returns beside the labels on a page after it.
TEST(PrintLayout, AColumnThatDoesNotFitBesideTheLabelsTakesAPageOfItsOwnWhole)
{
    PrintMetrics metrics = Letter(0, 1, 300);
    metrics.screenColumnWidths = {100, 736, 100};  // 625, 4600 (the room beside the labels is 4500), 625
    const TVF_Grid::PrintLayout layout = CountPrintPages(metrics);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {2, 2}}), ColumnsPerPage(layout));
    EXPECT_FALSE(layout.pageColumns[1].labels);
    EXPECT_EQ(0, layout.ColumnLeftOn(1, 1));
    EXPECT_TRUE(layout.pageColumns[2].labels);
    EXPECT_EQ(300, layout.ColumnLeftOn(2, 2));
}

// Whatever the widths, the pages show the columns laid end to end once each, in order, each page from
// beside its labels (or its left margin) to no further than its edge, starting with a column; a column no
// wider than a page lies whole on one page, a wider one is its page's last, and none lies under the labels.
TEST(PrintLayout, ThePagesShowEveryColumnOnceAndNoneUnderTheLabelsNorCutThatAPageHolds)
{
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> screenWidth(20, 1700);
    for (int table = 0; table < 200; ++table)
    {
        PrintMetrics metrics = Letter(0, 3, table % 4 == 0 ? 0 : 300);
        for (int column = 0; column < 1 + table % 9; ++column)
            metrics.screenColumnWidths.push_back(screenWidth(random));
        const TVF_Grid::PrintLayout layout = CountPrintPages(metrics);
        ASSERT_EQ(layout.pagesAcross, static_cast<int>(layout.pageColumns.size()));
        const std::vector<std::pair<int, int>> columnsPerPage = ColumnsPerPage(layout);
        for (int page = 0; page < layout.pagesAcross; ++page)
        {
            const auto& shown = layout.pageColumns[static_cast<std::size_t>(page)];
            const auto [first, last] = columnsPerPage[static_cast<std::size_t>(page)];
            ASSERT_GE(first, 0) << table << " page " << page << " shows no column";
            EXPECT_EQ(page == 0 ? 0 : columnsPerPage[static_cast<std::size_t>(page) - 1].second + 1, first) << table;
            EXPECT_EQ(layout.columnStarts[static_cast<std::size_t>(first)], shown.stripStart) << table << " page " << page;
            EXPECT_LE(shown.stripEnd - shown.stripStart, metrics.pageWidth - shown.left) << table << " page " << page;
            EXPECT_EQ(shown.labels ? metrics.labelWidth : 0, shown.left) << table << " page " << page;
            for (int column = first; column <= last; ++column)
            {
                const auto index = static_cast<std::size_t>(column);
                const int left = layout.ColumnLeftOn(page, index);
                EXPECT_GE(left, shown.left) << table << ": " << column;
                if (layout.columnWidths[index] <= metrics.pageWidth)
                    EXPECT_LE(left + layout.columnWidths[index], metrics.pageWidth) << table << ": " << column;
                else
                    EXPECT_EQ(last, column) << table << ": a cut column ends its page";
            }
        }
        EXPECT_EQ(static_cast<int>(layout.columnWidths.size()) - 1, columnsPerPage.back().second) << table;
    }
}

} // namespace
