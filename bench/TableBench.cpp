// The hemodynamics table of a long recording: 32 columns, paged through from the first loop to the last
// in a 1,000 x 800 pane. Each page repaints the pane through its back buffer, asking the client only for
// the visible cells. Prints the time per page repaint at 10,000 and at 30,000 loops and last their ratio
// (the target is about 1: a page costs the same whatever the table's length).
#include "tableview/render/TableRenderer.h"
#include "tableview/tests/FakeTable.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace
{

constexpr int Columns = 32;
constexpr int Width = 1000;
constexpr int Height = 800;
constexpr int PagesToScroll = 400;

class BenchGrid : public TVF_Grid::PaintHooks
{
public:
    HFONT CellFont() const override { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }
};

double SecondsPerPage(int loops)
{
    std::vector<std::wstring> titles;
    for (int i = 1; i < Columns; ++i)
        titles.push_back(L"P" + std::to_wstring(i));
    TableViewTests::FakeTable table(loops, titles);
    BenchGrid grid;
    TableView::TableRenderer renderer(grid);
    renderer.Attach(&table, &table, TableView::MainGridWord);
    TVF_Grid::ColumnLayout layout;
    for (int i = 0; i < Columns; ++i)
        layout.Add(std::make_unique<TVF_Grid::GridColumn>(i, Orv::String(L""), 90, nullptr));
    TVF_Grid::PaneView view;
    view.clientWidth = Width;
    view.clientHeight = Height;
    view.rowCount = loops;
    const int pageRows = Height / view.rowHeight;

    HDC screen = GetDC(nullptr);
    Orv::MemoryDc target(screen);
    Orv::UniqueBitmap bitmap(CreateCompatibleBitmap(screen, Width, Height));
    ReleaseDC(nullptr, screen);
    OWL::SelectedObject selected(target.Get(), bitmap.Get());
    TVF_Grid::BackBuffer buffer;
    const RECT all{0, 0, Width, Height};
    // Pages spread over the whole table, so the longer table is paged to its end too.
    const int stride = std::max((loops - pageRows) / PagesToScroll, 1);
    const auto start = std::chrono::steady_clock::now();
    for (int page = 0; page < PagesToScroll; ++page)
    {
        view.topRow = std::min(page * stride, loops - pageRows);
        view.scrollY = view.topRow * view.rowHeight;
        buffer.Paint(target.Get(), all, view, layout, renderer, grid);
    }
    GdiFlush();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / PagesToScroll;
}

} // namespace

int main()
{
    const double shorter = SecondsPerPage(10000);
    const double longer = SecondsPerPage(30000);
    std::printf("page repaint, 10,000 loops: %.3f ms\n", shorter * 1000);
    std::printf("page repaint, 30,000 loops: %.3f ms\n", longer * 1000);
    std::printf("ratio 30,000 / 10,000 loops: %.2f\n", longer / shorter);
    return 0;
}
