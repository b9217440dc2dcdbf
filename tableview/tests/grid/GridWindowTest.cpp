#include "platform/owl/tests/Screenshot.h"
#include "tableview/grid/EventGridControl.h"
#include "tableview/grid/GridEditors.h"
#include "tableview/grid/GridPane.h"
#include "tableview/grid/GridScrollBars.h"
#include "tableview/grid/GridTitleBar.h"
#include "tableview/grid/RowNumbersPane.h"
#include "tableview/render/TableRenderer.h"
#include "tableview/tests/FakeTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace
{

using namespace TVF_Grid;
using TableViewTests::CountingTable;
using TableViewTests::FakeTable;

// The keys a test holds down, instead of the keyboard's.
class TestGrid : public EventGridControl
{
public:
    using EventGridControl::EventGridControl;
    unsigned HeldModifiers() const override { return held; }
    unsigned held = 0;
};


std::vector<std::wstring> Titles(int count)
{
    std::vector<std::wstring> titles;
    for (int i = 1; i <= count; ++i)
        titles.push_back(L"Param " + std::to_wstring(i));
    return titles;
}

// A top-level window holding one grid over a table client, drawn by the table renderer.
struct GridWindow
{
    GridWindow(FakeTable& table, int width, int height, int columnWidth = 80)
        : frame(nullptr, L"grid"), grid(new TestGrid(&frame)), renderer(*grid)
    {
        frame.Attr.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
        frame.Attr.X = frame.Attr.Y = 0;
        frame.Attr.W = width;
        frame.Attr.H = height;
        grid->Attr.W = width;
        grid->Attr.H = height;
        grid->SetClient(&table, &table, &table, nullptr, TableView::MainGridWord);
        renderer.Attach(&table, &table, TableView::MainGridWord);
        renderer.SetChannelNames(&grid->IndexedNames());
        grid->Pane().SetRenderer(&renderer);
        ULONG columns = 0;
        table.GetColumnCount(0, &columns);
        for (ULONG c = 1; c < columns; ++c)
        {
            Orv::String title;
            table.GetCellText(TableView::MainGridWord, 0, c, &title);
            grid->Pane().AddColumn(
                std::make_unique<UniformGridColumn>(static_cast<int>(c - 1), title, columnWidth, grid->CellFont()));
        }
        frame.Create();
        grid->RowNumbers().SetWidth(40);
        ULONG rows = 0;
        table.GetRowCount(0, &rows);
        grid->SetRowCount(static_cast<int>(rows), 1);
        grid->RepaintAll();
        grid->UpdateWindow();
        OwlTest::PumpMessages();
    }
    // Client point of the pane's cell (pane indices).
    POINT CellCentre(int row, int column) const
    {
        const GridColumn& c = grid->Pane().Column(column);
        return {c.X() - grid->Pane().ScrollX() + c.Width() / 2,
                row * grid->Pane().RowHeight() - grid->Pane().ScrollY() + grid->Pane().RowHeight() / 2};
    }
    static void Send(OWL::TWindow& window, UINT msg, POINT at, WPARAM wParam = 0)
    {
        window.SendMessage(msg, wParam, MAKELPARAM(at.x, at.y));
    }
    void PressRowNumber(int row, unsigned held)
    {
        grid->held = held;
        const POINT at{5, CellCentre(row, 0).y};
        Send(grid->RowNumbers(), WM_LBUTTONDOWN, at);
        Send(grid->RowNumbers(), WM_LBUTTONUP, at);
    }

    OWL::TWindow frame;
    TestGrid* grid;
    TableView::TableRenderer renderer;
};

TEST(GridWindow, MouseSelectionFollowsTheShiftAndCtrlRules)
{
    FakeTable table(20, Titles(4));
    GridWindow window(table, 500, 400);
    window.PressRowNumber(1, 0);
    window.PressRowNumber(4, SelectModifier::Shift);
    EXPECT_EQ(CellRange::Cells(2, 6, 1, 5), window.grid->Selection().Range()) << "Shift 2 then 5 selects [2, 6)";
    window.PressRowNumber(7, SelectModifier::Ctrl);
    EXPECT_EQ(CellRange::Cells(2, 9, 1, 5), window.grid->Selection().Range()) << "Ctrl 8 gives [2, 9)";

    window.grid->held = 0;
    const POINT header{window.CellCentre(0, 2).x, 5};
    GridWindow::Send(window.grid->TitleBar(), WM_LBUTTONDOWN, header);
    GridWindow::Send(window.grid->TitleBar(), WM_LBUTTONUP, header);
    EXPECT_EQ(CellRange::Cells(1, 21, 3, 4), window.grid->Selection().Range()) << "a header click selects a column";
    ASSERT_FALSE(table.clicks.empty());
    EXPECT_EQ(0, table.clicks.back().row) << "header clicks are reported";

    GridWindow::Send(window.grid->Pane(), WM_LBUTTONDOWN, {5, 21 * 16 + 4});
    EXPECT_FALSE(window.grid->Selection().IsValid()) << "a press below the last row clears";
    EXPECT_EQ(0, table.selections.back().columns[0].endRow);
    OwlTest::SaveWindowPng(window.frame.GetHandle(), L"grid-window-selection");
}

TEST(GridWindow, PaintsThroughTheBackBufferAskingOnlyForVisibleCells)
{
    CountingTable table(1000, Titles(32));
    GridWindow window(table, 900, 500, 90);
    table.requested.clear();
    window.grid->ScrollToRow({401, 1});
    window.grid->ScrollToColumn({11, 1});
    window.grid->Pane().Invalidate(false);
    window.grid->Pane().UpdateWindow();

    std::set<int> rows;
    std::set<ULONG> columns;
    std::size_t cells = 0;
    for (const auto& [row, column] : table.requested)
        if (column > 0)  // column 0: the row labels
        {
            rows.insert(row);
            columns.insert(column);
            ++cells;
        }
    ASSERT_FALSE(columns.empty());
    const int pageRows = window.grid->Pane().PageRows();
    EXPECT_EQ(401, *rows.begin());
    EXPECT_LE(*rows.rbegin(), 401 + pageRows + 2);
    EXPECT_EQ(11u, *columns.begin());
    EXPECT_LE(*columns.rbegin(), 11u + 10u);
    EXPECT_EQ(rows.size() * columns.size(), cells);
    const PaneView view = window.grid->Pane().View();
    BITMAP buffer{};
    GetObjectW(window.grid->Pane().Buffer().Bitmap(), sizeof buffer, &buffer);
    EXPECT_GE(buffer.bmWidth, view.clientWidth) << "the back buffer covers the client area";
    EXPECT_GE(buffer.bmHeight, view.clientHeight);
    OwlTest::SaveWindowPng(window.frame.GetHandle(), L"grid-window-1000x32-scrolled");
}

TEST(GridWindow, VerticalBarPagesByTwoRowsAndStopsAtTheLastPage)
{
    FakeTable table(100, Titles(3));
    GridWindow window(table, 400, 300);
    GridVScrollBar& bar = window.grid->VerticalBar();
    ASSERT_TRUE(window.grid->VerticalBarShown());
    const struct
    {
        UINT code;
        int top;
    } steps[] = {{SB_PAGEDOWN, 2}, {SB_PAGEDOWN, 4}, {SB_PAGEUP, 3}, {SB_LINEDOWN, 4}, {SB_TOP, 0}, {SB_LINEUP, 0}};
    for (const auto& step : steps)
    {
        window.grid->SendMessage(WM_VSCROLL, MAKEWPARAM(step.code, 0), reinterpret_cast<LPARAM>(bar.GetHandle()));
        EXPECT_EQ(step.top, window.grid->Pane().TopRow()) << step.code;
        EXPECT_EQ(step.top, bar.GetPosition());
    }
    window.grid->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), reinterpret_cast<LPARAM>(bar.GetHandle()));
    EXPECT_EQ(100 - window.grid->Pane().PageRows(), window.grid->Pane().TopRow()) << "the last page stays full";
}

TEST(GridWindow, ATypedKeyOpensTheEditorAndEnterOrFocusLossCommits)
{
    FakeTable table(10, Titles(3));
    table.SetCell(2, 2, L"41", 0x1002);
    table.SetCell(3, 2, L"17", 0x1002);
    GridWindow window(table, 400, 300);
    window.grid->Options().editing = true;
    window.grid->Selection().SetRange(CellRange::Cells(2, 3, 2, 3));
    EXPECT_FALSE(window.grid->KeyDown('A', 1, 0)) << "the key goes on to the editor";
    auto* edit = dynamic_cast<GridEditCtrl*>(window.grid->Pane().Editor());
    ASSERT_NE(nullptr, edit);
    EXPECT_EQ(L"a", edit->GetWindowText());
    edit->SendMessage(WM_CHAR, L'b');
    edit->SendMessage(WM_KEYDOWN, VK_RETURN);
    ASSERT_EQ(1u, table.edits.size());
    EXPECT_EQ(2, table.edits[0].row);
    EXPECT_EQ(2u, table.edits[0].column);
    EXPECT_EQ(L"ab", table.edits[0].text);
    EXPECT_FALSE(window.grid->Pane().IsEditing());

    ASSERT_TRUE(window.grid->Pane().BeginEdit(2, 1, 0));
    auto* second = dynamic_cast<GridEditCtrl*>(window.grid->Pane().Editor());
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(L"17", second->GetWindowText());
    second->SetWindowText(L"18");
    window.grid->Pane().SetFocus();
    ASSERT_EQ(2u, table.edits.size()) << "losing the focus commits";
    EXPECT_EQ(L"18", table.edits[1].text);

    window.grid->Selection().SetRange(CellRange::Cells(3, 4, 2, 3));
    window.grid->KeyDown(VK_NUMPAD5, 1, 0);
    window.grid->KeyDown(VK_ESCAPE, 1, 0);
    ASSERT_EQ(3u, table.edits.size());
    EXPECT_EQ(L"17", table.edits[2].text) << "Esc reports the value from before the edit";
    OwlTest::PumpMessages();
}

TEST(GridWindow, ABorderDragResizesAndNeverGoesBelowTheMinimum)
{
    FakeTable table(10, Titles(3));
    GridWindow window(table, 400, 300);
    GridTitleBar& bar = window.grid->TitleBar();
    const int right = window.grid->Pane().Column(1).Right();
    EXPECT_EQ(1, bar.HitColumnBorder(right + 3));
    EXPECT_EQ(-1, bar.HitColumnBorder(right + 4));
    GridWindow::Send(bar, WM_LBUTTONDOWN, {right, 5});
    EXPECT_TRUE(bar.Resizing());
    GridWindow::Send(bar, WM_MOUSEMOVE, {right + 30, 5}, MK_LBUTTON);
    GridWindow::Send(bar, WM_LBUTTONUP, {right + 30, 5});
    EXPECT_EQ(110, window.grid->Pane().Column(1).Width());
    EXPECT_EQ(window.grid->Pane().Column(1).Right() + 1, window.grid->Pane().Column(2).X());

    const int left = window.grid->Pane().Column(1).X();
    GridWindow::Send(bar, WM_LBUTTONDOWN, {window.grid->Pane().Column(1).Right(), 5});
    GridWindow::Send(bar, WM_MOUSEMOVE, {left - 50, 5}, MK_LBUTTON);
    GridWindow::Send(bar, WM_LBUTTONUP, {left - 50, 5});
    EXPECT_EQ(GridColumn::MinimumWidth, window.grid->Pane().Column(1).Width());
}

TEST(GridWindow, AHemodynamicsClientRenders)
{
    std::vector<std::wstring> titles{L"Channel"};
    for (int i = 1; i <= 31; ++i)
        titles.push_back(L"Param " + std::to_wstring(i));
    FakeTable table(50, titles);
    table.SetCell(0, 0, L"Loop", 0x1030);
    for (int row = 1; row <= 50; ++row)
    {
        table.SetCell(row, 0, L"Loop " + std::to_wstring(row), 0x1010);
        table.SetCell(row, 1, L"1", 0x000A);
    }
    for (ULONG column = 1; column <= 32; ++column)
        table.SetCell(0, column, titles[column - 1], 0x1020);
    GridWindow window(table, 800, 480);
    window.grid->Options().rowLabelsFromRenderer = true;
    window.grid->SetIndexedNames({{1, Orv::String(L"LV Pressure")}});
    window.grid->Selection().SetRange(CellRange::Cells(3, 6, 3, 5));
    window.grid->RepaintAll();
    window.grid->UpdateWindow();
    OwlTest::PumpMessages();
    EXPECT_FALSE(OwlTest::SaveWindowPng(window.frame.GetHandle(), L"grid-window-hemodynamics").empty());

    HDC screen = GetDC(nullptr);
    POINT cell = window.CellCentre(3, 2);
    MapWindowPoints(window.grid->Pane().GetHandle(), nullptr, &cell, 1);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), GetPixel(screen, cell.x + 30, cell.y)) << "row 4, column 3 selected";
    POINT header{window.CellCentre(0, 3).x, 4};
    MapWindowPoints(window.grid->TitleBar().GetHandle(), nullptr, &header, 1);
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), GetPixel(screen, header.x - 35, header.y)) << "selected header is dark";
    POINT rowLabel{2, window.CellCentre(10, 0).y};
    MapWindowPoints(window.grid->RowNumbers().GetHandle(), nullptr, &rowLabel, 1);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetPixel(screen, rowLabel.x + 2, rowLabel.y));
    ReleaseDC(nullptr, screen);
    EXPECT_GT(window.grid->RowNumbersWidth(), 40) << "\"Loop 50\" widens the row numbers";
}

} // namespace
