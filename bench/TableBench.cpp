// The hemodynamics table of a long recording in a real grid window: 32 columns, paged down with the
// Page Down key in a 1,000 x 800 window (from the last page back to the first), both lengths side by
// side. Each page repaints the cell pane (through the back buffer, asking the client only for the
// visible cells) and its row numbers. Prints the time per page repaint at 10,000 and at 30,000 loops
// and last their ratio (the target is about 1: a page costs the same whatever the table's length).
#include "tableview/tests/GridWindowFixture.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace
{

constexpr int Columns = 32;
constexpr int Width = 1000;
constexpr int Height = 800;
constexpr int ColumnWidth = 90;
constexpr int Batches = 81;
constexpr int PagesPerBatch = 20;

// Texts of one width at every row, so that a later row costs no more to draw than an early one.
class BenchTable : public TableViewTests::FakeTable
{
public:
    using FakeTable::FakeTable;
    HRESULT STDMETHODCALLTYPE GetCellText(ULONG grid, int row, ULONG column, Orv::String* text) override
    {
        if (row == 0)
            return FakeTable::GetCellText(grid, row, column, text);
        wchar_t cell[32];
        std::swprintf(cell, 32, column == 0 ? L"Loop %05d" : L"%03d.%02d", column == 0 ? row : (row * 7) % 1000,
                      static_cast<int>(column));
        *text = Orv::String(cell);
        return S_OK;
    }
};

// One table in its window, paged down a batch of pages at a time.
class PagedTable
{
public:
    explicit PagedTable(int loops)
        : m_loops(loops),
          m_table(loops, TableViewTests::Titles(Columns - 1)),
          m_window(m_table, Width, Height, ColumnWidth)
    {
    }

    // Seconds per page over the next pages.
    double SecondsPerPage(int pages)
    {
        TVF_Grid::GridPane& pane = m_window.grid->Pane();
        const auto start = std::chrono::steady_clock::now();
        for (int page = 0; page < pages; ++page)
        {
            // Page down as the user does; from the last page back to the first.
            if (pane.TopRow() + pane.PageRows() >= m_loops)
                m_window.grid->ScrollToRow({TVF_Grid::GridControl::RowOrigin, TVF_Grid::GridControl::RowOrigin});
            else
                m_window.grid->KeyDown(VK_NEXT, 1, 0);
            pane.UpdateWindow();
            m_window.grid->RowNumbers().UpdateWindow();
        }
        GdiFlush();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / pages;
    }

private:
    int m_loops;
    BenchTable m_table;
    TableViewTests::GridWindow m_window;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main()
{
    // Both tables stay open and are paged in short alternating batches, so that whatever else the shared
    // machine does falls on both alike; the medians of the batches leave out the disturbed ones.
    PagedTable shorter(10000);
    PagedTable longer(30000);
    std::vector<double> shorterTimes;
    std::vector<double> longerTimes;
    for (int batch = 0; batch < Batches; ++batch)
    {
        if (batch % 2)
            longerTimes.push_back(longer.SecondsPerPage(PagesPerBatch));
        shorterTimes.push_back(shorter.SecondsPerPage(PagesPerBatch));
        if (batch % 2 == 0)
            longerTimes.push_back(longer.SecondsPerPage(PagesPerBatch));
    }
    const double shorterPage = Median(shorterTimes);
    const double longerPage = Median(longerTimes);
    std::printf("page repaint, 10,000 loops: %.3f ms (median of %d batches of %d pages)\n", shorterPage * 1000,
                Batches, PagesPerBatch);
    std::printf("page repaint, 30,000 loops: %.3f ms\n", longerPage * 1000);
    std::printf("ratio 30,000 / 10,000 loops: %.2f\n", longerPage / shorterPage);
    return 0;
}
