#include "tableview/print/GridPrintout.h"

#include "foundation/system/GdiObjects.h"
#include "platform/owl/gdi/DC.h"
#include "platform/owl/tests/Screenshot.h"
#include "tableview/grid/GridControl.h"
#include "tableview/render/TableRenderer.h"
#include "tableview/tests/FakeTable.h"
#include "tableview/tests/ScreenBitmap.h"

#include <gtest/gtest.h>

#include <optional>

namespace
{

using namespace TableView;
using TableViewTests::FakeTable;
using TableViewTests::ScreenBitmap;

constexpr int ColumnWidth = 90;

// A grid of equal columns over a fake table, drawn by the table renderer.
class PrintableGrid : public TVF_Grid::PrintedGrid, public TVF_Grid::PaintHooks
{
public:
    PrintableGrid(int rows, int columns) : PrintableGrid(rows, Titles(columns), GetStockObject(DEFAULT_GUI_FONT)) {}
    PrintableGrid(int rows, std::vector<std::wstring> titles, HGDIOBJ font)
        : table(rows, titles), renderer(*this), m_font(static_cast<HFONT>(font)), m_titles(std::move(titles)),
          m_rows(rows), m_columns(static_cast<int>(m_titles.size()))
    {
        renderer.Attach(&table, &table, MainGridWord);
    }
    HFONT CellFont() const override { return m_font; }
    HFONT TitleFont() const override { return CellFont(); }
    int ColumnCount() const override { return m_columns; }
    int ColumnWidth(int) const override { return ::ColumnWidth; }
    Orv::String ColumnTitle(int column) const override { return Orv::String(m_titles[column]); }
    int RowCount() const override { return m_rows; }
    int MaxRowLabelLength() override { return 7; }
    void WriteRowLabel(int row, std::wostream& out) override { renderer.WriteRowLabel(row + 1, 1, out); }
    TVF_Grid::GridRenderer& Renderer() override { return renderer; }
    void SetNoHighlight(bool on) override { noHighlight = on; }
    bool IsSelected(int, int) const override { return true; }  // a printout shows no selection anyway

    static std::vector<std::wstring> Titles(int count)
    {
        std::vector<std::wstring> titles;
        for (int i = 1; i <= count; ++i)
            titles.push_back(L"P" + std::to_wstring(i));
        return titles;
    }
    FakeTable table;
    TableRenderer renderer;
    bool noHighlight = false;

private:
    HFONT m_font;
    std::vector<std::wstring> m_titles;
    int m_rows;
    int m_columns;
};


// Ten rows fit a page under the header: the bands of columns across stack on as few pages as hold them.
TEST(GridPrintout, ThirtyTwoColumnsFallOnThePagesTheirWidthsNeed)
{
    const struct
    {
        const char* name;
        int pageWidth;
        bool rowLabels;
        ULONG pages;
    } cases[] = {
        {"4 bands of 8 columns of 90 on 800", 800, false, 1},
        {"3 bands of 11 columns of 90 on 1000", 1000, false, 1},
        {"all of them on 3000", 3000, false, 1},
        {"5 bands of 7 beside row labels", 720, true, 1},
    };
    for (const auto& c : cases)
    {
        PrintableGrid grid(10, 32);
        ScreenBitmap page(c.pageWidth, 1000);
        const RECT area{0, 0, c.pageWidth, 1000};
        auto* printout = new TVF_Grid::GridPrintout(nullptr, &grid.table, MainGridWord, grid, Orv::String(L"Table"),
                                                    c.rowLabels, true);
        printout->AddRef();
        EXPECT_TRUE(grid.noHighlight);
        ASSERT_EQ(S_OK, printout->SetDC(&area, page.memory.Get(), nullptr));
        ULONG pages = 0;
        ASSERT_EQ(S_OK, printout->GetPageCount(&pages));
        EXPECT_EQ(c.pages, pages) << c.name;
        printout->Release();
        EXPECT_FALSE(grid.noHighlight) << c.name;
    }
}

TEST(GridPrintout, APageShowsItsTitlesCellsAndSeparators)
{
    PrintableGrid grid(10, 32);
    ScreenBitmap page(800, 400);
    const RECT area{0, 0, 800, 400};
    auto* printout =
        new TVF_Grid::GridPrintout(nullptr, &grid.table, MainGridWord, grid, Orv::String(L"Table"), true, true);
    printout->AddRef();
    ASSERT_EQ(S_OK, printout->SetDC(&area, page.memory.Get(), nullptr));
    ULONG pages = 0;
    ASSERT_EQ(S_OK, printout->GetPageCount(&pages));
    ASSERT_EQ(S_OK, printout->PrintPage(0, 0));
    const TVF_Grid::PrintLayout& layout = printout->Layout();
    const int labelWidth = layout.ColumnLeftOn(0, 0);
    const int rowsTop = layout.headerHeight;
    const HDC dc = page.memory.Get();
    auto darkIn = [&](int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (GetRValue(GetPixel(dc, x, y)) < 128)
                    return true;
        return false;
    };
    EXPECT_TRUE(darkIn(labelWidth + 1, 1, labelWidth + ColumnWidth - 1, rowsTop - 2)) << "the title P1";
    EXPECT_TRUE(darkIn(labelWidth + 1, rowsTop + 2, labelWidth + ColumnWidth - 2, rowsTop + layout.rowHeight - 2))
        << "the cell text 1.1";
    EXPECT_TRUE(darkIn(2, rowsTop + 2, labelWidth - 2, rowsTop + layout.rowHeight - 1)) << "the row label";
    EXPECT_FALSE(darkIn(labelWidth + ColumnWidth * 8 + 3, rowsTop + 2, 800, 400)) << "no ninth column on page 1";
    EXPECT_TRUE(darkIn(labelWidth + ColumnWidth - 2, rowsTop + 4 * layout.rowHeight,
                       labelWidth + ColumnWidth + 3, rowsTop + 5 * layout.rowHeight))
        << "the separator after column 1";
    OwlTest::SaveBitmapPng(page.bitmap.Get(), L"tableview-printout-page1");
    ASSERT_EQ(S_OK, printout->PrintPage(pages - 1, 0));
    printout->Release();
}

} // namespace

// The table's own titles in the grid's font, at the table's column width: each title's ink keeps off
// its outline, the pixels just inside the outline stay white, whether the title takes one line or two.
TEST(GridPrintout, EveryTitleIsDrawnWholeInsideItsOutline)
{
    const std::vector<std::wstring> titles{L"SW (mmHg*\u00b5L)",       L"Pmean (mmHg)",     L"PowMax (mmHg*\u00b5L/s)",
                                           L"dV/dt max (\u00b5L/s)",    L"Pdev (mmHg)",      L"ESPVR (mmHg/\u00b5L)",
                                           L"P@dV/dt max (mmHg)",   L"V@dP/dt max (\u00b5L)", L"CE"};
    const OWL::TFont font(TVF_Grid::MakeCellFont());
    PrintableGrid grid(1, titles, font.GetHandle());
    ScreenBitmap page(1000, 200);
    const RECT area{0, 0, 1000, 200};
    auto* printout =
        new TVF_Grid::GridPrintout(nullptr, &grid.table, MainGridWord, grid, Orv::String(L"Table"), false, true);
    printout->AddRef();
    ULONG pages = 0;
    ASSERT_EQ(S_OK, printout->SetDC(&area, page.memory.Get(), nullptr));
    ASSERT_EQ(S_OK, printout->GetPageCount(&pages));
    ASSERT_EQ(S_OK, printout->PrintPage(0, 0));
    const TVF_Grid::PrintLayout layout = printout->Layout();
    printout->Release();
    const auto dark = [](HDC dc, int x, int y) { return GetRValue(GetPixel(dc, x, y)) < 128; };
    // A title cut anywhere leaves less ink than the title written out on one line.
    const auto inkOf = [&](const std::wstring& title) {
        ScreenBitmap line(400, 40);
        OWL::SelectedObject selected(line.memory.Get(), font.GetHandle());
        TextOutW(line.memory.Get(), 10, 10, title.c_str(), static_cast<int>(title.size()));
        int ink = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 400; ++x)
                ink += dark(line.memory.Get(), x, y);
        return ink;
    };
    const HDC dc = page.memory.Get();
    for (std::size_t column = 0; column < titles.size(); ++column)
    {
        const int left = layout.ColumnLeftOn(0, column);
        const int right = left + layout.columnWidths[column];
        const int bottom = layout.headerHeight;
        int inkInside = 0;
        std::vector<POINT> inkOnEdge;
        for (int y = 1; y < bottom - 1; ++y)
            for (int x = left + 1; x < right - 1; ++x)
                if (dark(dc, x, y))
                    (x == left + 1 || x == right - 2 || y == 1 || y == bottom - 2 ? inkOnEdge.push_back({x, y})
                                                                                  : void(++inkInside));
        EXPECT_EQ(inkOf(titles[column]), inkInside + static_cast<int>(inkOnEdge.size())) << "cut: " << column;
        EXPECT_TRUE(inkOnEdge.empty()) << "the title of column " << column << " runs to its outline at ("
                                       << inkOnEdge.front().x << ", " << inkOnEdge.front().y << ")";
    }
    OwlTest::SaveBitmapPng(page.bitmap.Get(), L"tableview-printout-titles");
}
