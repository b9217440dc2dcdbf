#include "platform/owl/gadgets/ButtonGadget.h"
#include "platform/owl/tests/Screenshot.h"
#include "tableview/grid/EventGridControl.h"
#include "tableview/grid/GridEditors.h"
#include "tableview/grid/GridPane.h"
#include "tableview/grid/GridScrollBars.h"
#include "tableview/grid/GridTitleBar.h"
#include "tableview/grid/RowNumbersPane.h"
#include "tableview/grid/SnapGadgetWindow.h"
#include "tableview/render/TableRenderer.h"
#include "tableview/tests/FakeTable.h"
#include "tableview/tests/GridWindowFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace
{

using namespace TVF_Grid;
using TableViewTests::CountingTable;
using TableViewTests::FakeTable;
using TableViewTests::GridWindow;
using TableViewTests::TestGrid;
using TableViewTests::Titles;

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
    TableViewTests::DispatchWaitingMessages();
}

TEST(GridWindow, EnterStoresTheEditorsWholeTextHoweverLong)
{
    for (const size_t length : {size_t{511}, size_t{512}, size_t{4000}})
    {
        FakeTable table(10, Titles(3));
        table.SetCell(3, 2, L"17", 0x1002);
        GridWindow window(table, 400, 300);
        window.grid->Options().editing = true;
        ASSERT_TRUE(window.grid->Pane().BeginEdit(2, 1, 0));
        auto* edit = dynamic_cast<GridEditCtrl*>(window.grid->Pane().Editor());
        ASSERT_NE(nullptr, edit);
        std::wstring text(length, L'x');
        text.back() = L'!';
        edit->SetWindowText(text.c_str());
        edit->SendMessage(WM_KEYDOWN, VK_RETURN);
        ASSERT_EQ(1u, table.edits.size());
        EXPECT_EQ(text, table.edits[0].text) << length;
        TableViewTests::DispatchWaitingMessages();
    }
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
    TableViewTests::DispatchWaitingMessages();
    EXPECT_FALSE(OwlTest::SaveWindowPng(window.frame.GetHandle(), L"grid-window-hemodynamics").empty());

    // The pixels are read off the screen: every child strip (title bar, row numbers) must have painted
    // its selection first, not only the grid pane.
    RedrawWindow(window.frame.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    TableViewTests::DispatchWaitingMessages();
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

namespace
{

// Holds Shift in the thread's key state while it lives.
class ShiftHeld
{
public:
    explicit ShiftHeld(bool held)
    {
        GetKeyboardState(m_saved);
        BYTE state[256];
        std::copy(std::begin(m_saved), std::end(m_saved), state);
        state[VK_SHIFT] = held ? 0x80 : 0;
        SetKeyboardState(state);
    }
    ~ShiftHeld() { SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256];
};

TEST(GridWindow, KeysMoveTheCellExtendWithShiftAndScrollByPages)
{
    const struct
    {
        const char* name;
        CellRange start;
        UINT key;
        bool shift;
        CellRange expected;
        int topRow;
    } cases[] = {
        {"down", CellRange::Cells(2, 3, 2, 3), VK_DOWN, false, CellRange::Cells(3, 4, 2, 3), 0},
        {"Enter moves down", CellRange::Cells(2, 3, 2, 3), VK_RETURN, false, CellRange::Cells(3, 4, 2, 3), 0},
        {"up stops at the first row", CellRange::Cells(1, 2, 2, 3), VK_UP, false, CellRange::Cells(1, 2, 2, 3), 0},
        {"left stops at the first column", CellRange::Cells(2, 3, 1, 2), VK_LEFT, false, CellRange::Cells(2, 3, 1, 2), 0},
        {"right", CellRange::Cells(2, 3, 2, 3), VK_RIGHT, false, CellRange::Cells(2, 3, 3, 4), 0},
        {"Shift down extends", CellRange::Cells(2, 3, 2, 3), VK_DOWN, true, CellRange::Cells(2, 4, 2, 3), 0},
        {"Shift right extends", CellRange::Cells(2, 3, 2, 3), VK_RIGHT, true, CellRange::Cells(2, 3, 2, 4), 0},
        {"Esc clears", CellRange::Cells(2, 3, 2, 3), VK_ESCAPE, false, CellRange{}, 0},
        {"page down scrolls a page", CellRange{}, VK_NEXT, false, CellRange{}, -1},
        {"Shift End takes the rows to the last", CellRange::Cells(5, 6, 2, 3), VK_END, true,
         CellRange::Cells(5, 101, 2, 3), -2},
    };
    FakeTable table(100, Titles(4));
    GridWindow window(table, 400, 300);
    const int pageRows = window.grid->Pane().PageRows();
    for (const auto& c : cases)
    {
        window.grid->ScrollToRow({1, 1});
        window.grid->Selection().Clear();
        if (c.start.IsValid())
            window.grid->Selection().SetRange(c.start);
        ShiftHeld shift(c.shift);
        EXPECT_TRUE(window.grid->KeyDown(c.key, 1, 0)) << c.name;
        EXPECT_EQ(c.expected, window.grid->Selection().Range()) << c.name;
        const int top = c.topRow == -1 ? pageRows : c.topRow == -2 ? 100 - pageRows : c.topRow;
        EXPECT_EQ(top, window.grid->Pane().TopRow()) << c.name;
    }

    FakeTable empty(0, Titles(2));
    GridWindow none(empty, 300, 200);
    EXPECT_TRUE(none.grid->KeyDown(VK_DOWN, 1, 0)) << "without rows the row keys are used up";
    EXPECT_FALSE(none.grid->KeyDown('Q', 1, 0));
}

// Answers every clear query with S_FALSE (the cell may be cleared) and records the queries.
class ClearingTable : public FakeTable
{
public:
    using FakeTable::FakeTable;
    HRESULT STDMETHODCALLTYPE OnListItemChosen(ULONG grid, ULONG kind, int row, ULONG column, ULONG item) override
    {
        queries.push_back({grid, kind, static_cast<ULONG>(row), column, item});
        return S_FALSE;
    }
    std::vector<std::vector<ULONG>> queries;
};

TEST(GridWindow, BackspaceClearsEveryCellOfTheRangeAskingWithTheViewIdAndTheCell)
{
    ClearingTable table(10, Titles(4));
    GridWindow window(table, 400, 300);
    window.grid->Selection().SetRange(CellRange::Cells(3, 5, 2, 4));
    EXPECT_TRUE(window.grid->KeyDown(VK_BACK, 1, 0));
    const std::vector<std::vector<ULONG>> expected{{TableView::MainGridWord, 1, 3, 2, 0},
                                                   {TableView::MainGridWord, 1, 3, 3, 0},
                                                   {TableView::MainGridWord, 1, 4, 2, 0},
                                                   {TableView::MainGridWord, 1, 4, 3, 0}};
    EXPECT_EQ(expected, table.queries);
    ASSERT_EQ(4u, table.edits.size());
    EXPECT_EQ(4, table.edits[3].row);
    EXPECT_EQ(L"", table.edits[3].text);
}

// Records the grid's events.
class EventLog final : public TableViewTests::NotCounted<IObserver>
{
public:
    HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Notify(ISubject*, ULONG eventId, ULONG_PTR, void* data) override
    {
        if (eventId == GridEvent::ColumnNotify)
            drops.push_back(*static_cast<ColumnPair*>(data));
        else if (eventId == GridEvent::LeftColumnChanged)
            lefts.push_back(*static_cast<int*>(data));
        else if (eventId == GridEvent::ColumnWidthChanged)
            widths.push_back(static_cast<ColumnWidthChange*>(data)->width);
        return S_OK;
    }
    std::vector<ColumnPair> drops;
    std::vector<int> lefts;
    std::vector<int> widths;
};

TEST(GridWindow, ObserversHearOfDroppedHeadersScrollingAndWidths)
{
    FakeTable table(10, Titles(12));
    GridWindow window(table, 400, 300);
    EventLog log;
    ASSERT_EQ(S_OK, window.grid->AddObserver(&log));
    window.grid->Options().columnMoving = true;
    GridTitleBar& bar = window.grid->TitleBar();
    GridWindow::Send(bar, WM_LBUTTONDOWN, {window.CellCentre(0, 0).x, 5});
    EXPECT_TRUE(bar.Moving());
    GridWindow::Send(bar, WM_LBUTTONUP, {window.CellCentre(0, 2).x, 5});
    ASSERT_EQ(1u, log.drops.size());
    EXPECT_EQ(1, log.drops[0].a);
    EXPECT_EQ(3, log.drops[0].b);

    GridHScrollBar& horizontal = window.grid->HorizontalBar();
    ASSERT_TRUE(window.grid->HorizontalBarShown());
    window.grid->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), reinterpret_cast<LPARAM>(horizontal.GetHandle()));
    window.grid->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), reinterpret_cast<LPARAM>(horizontal.GetHandle()));
    EXPECT_EQ(2, window.grid->Pane().FirstColumn());
    window.grid->ScrollToColumn({3, 1});
    EXPECT_EQ((std::vector<int>{2, 3}), log.lefts) << "the same first column twice notifies once";
    window.grid->SetColumnWidth(60, 3, 1);
    window.grid->SetColumnWidth(60, 3, 1);
    EXPECT_EQ((std::vector<int>{60, 60}), log.widths) << "a width change always notifies";
    window.grid->RemoveObserver(&log);
}

} // namespace

namespace
{

TEST(GridWindow, AChannelCellIsChosenFromTheGridsListAndTheToggleIsReported)
{
    FakeTable table(5, Titles(3));
    table.SetCell(2, 1, L"7", 0x000A);
    GridWindow window(table, 400, 300);
    window.grid->ChoiceList() = {Orv::String(L"LV Pressure"), Orv::String(L"LV Volume")};
    GridWindow::Send(window.grid->Pane(), WM_LBUTTONDOWN, window.CellCentre(1, 0));
    auto* list = dynamic_cast<StringComboBox*>(window.grid->Pane().Editor());
    ASSERT_NE(nullptr, list) << "a press on a channel cell opens the drop-down";
    EXPECT_EQ(2, list->GetCount());
    EXPECT_EQ(-1, list->GetSelIndex()) << "a value past the choices selects none";
    list->SetSelIndex(1);
    list->SendMessage(WM_KEYDOWN, VK_RETURN);
    ASSERT_EQ(1u, table.edits.size());
    EXPECT_EQ(L"1", table.edits[0].text) << "the chosen index is the edit";

    window.grid->SendMessage(WM_COMMAND, GridControl::CmToggleFollowLatest);
    window.grid->SendMessage(WM_COMMAND, GridControl::CmToggleFollowLatest);
    EXPECT_EQ((std::vector<VARIANT_BOOL>{VARIANT_TRUE, VARIANT_FALSE}), table.followLatest);
    TableViewTests::DispatchWaitingMessages();
}

} // namespace

namespace
{

TEST(GridWindow, TheFollowLatestStripSitsUnderTheVerticalBarAndTogglesTheGrid)
{
    FakeTable table(100, Titles(3));
    GridWindow window(table, 400, 300, 80, true);
    SnapGadgetWindowBase* strip = window.grid->SnapGadgets();
    ASSERT_NE(nullptr, strip);
    ASSERT_TRUE(window.grid->VerticalBarShown());
    EXPECT_TRUE(strip->IsWindowVisible());
    const OWL::TRect bar = window.grid->VerticalBar().GetWindowRect();
    const OWL::TRect under = strip->GetWindowRect();
    const OWL::TRect pane = window.grid->Pane().GetWindowRect();
    EXPECT_EQ(bar.bottom - 1, under.top) << "the strip's top pixel lies under the bar's bottom arrow";
    EXPECT_EQ(bar.left - 1, under.left) << "the strip covers the pane's right frame pixel";
    EXPECT_EQ(pane.bottom + 1, under.bottom);
    EXPECT_EQ(bar.right, under.right) << "the strip ends with the bar, inside the grid";

    OWL::TGadget* toggle = strip->GadgetWithId(SnapGadgetWindowBase::ToggleCommand);
    ASSERT_NE(nullptr, toggle);
    const OWL::TRect face = toggle->GetBounds();
    const POINT centre{(face.left + face.right) / 2, (face.top + face.bottom) / 2};
    GridWindow::Send(*strip, WM_LBUTTONDOWN, centre, MK_LBUTTON);
    GridWindow::Send(*strip, WM_LBUTTONUP, centre);
    TableViewTests::DispatchWaitingMessages();
    EXPECT_TRUE(window.grid->FollowLatest());
    EXPECT_EQ((std::vector<VARIANT_BOOL>{VARIANT_TRUE}), table.followLatest);
    OwlTest::SaveWindowPng(window.frame.GetHandle(), L"grid-window-follow-latest");
}

// The state set by code shows on the toggle, and a press after it turns both the other way together.
TEST(GridWindow, TheFollowLatestToggleAndTheGridsStateAgree)
{
    FakeTable table(100, Titles(3));
    GridWindow window(table, 400, 300, 80, true);
    auto* toggle = dynamic_cast<OWL::TButtonGadget*>(
        window.grid->SnapGadgets()->GadgetWithId(SnapGadgetWindowBase::ToggleCommand));
    ASSERT_NE(nullptr, toggle);
    for (const bool follow : {true, false, true})
    {
        window.grid->SetFollowLatest(follow);
        EXPECT_EQ(follow ? OWL::TButtonGadget::Down : OWL::TButtonGadget::Up, toggle->GetButtonState());
        // What a click does: the toggle flips itself, then tells the grid.
        toggle->SetButtonState(follow ? OWL::TButtonGadget::Up : OWL::TButtonGadget::Down);
        window.grid->SendMessage(WM_COMMAND, GridControl::CmToggleFollowLatest);
        EXPECT_EQ(!follow, window.grid->FollowLatest());
        EXPECT_EQ(follow ? VARIANT_FALSE : VARIANT_TRUE, table.followLatest.back());
    }
}

TEST(GridWindow, DeletingAGridWithAnOpenEditorCommitsTheEditOnce)
{
    FakeTable table(10, Titles(3));
    table.SetCell(2, 2, L"41", 0x1002);
    GridWindow window(table, 400, 300);
    window.grid->Options().editing = true;
    ASSERT_TRUE(window.grid->Pane().BeginEdit(1, 1, '7'));
    delete window.grid;
    TableViewTests::DispatchWaitingMessages();
    ASSERT_EQ(1u, table.edits.size());
    EXPECT_EQ(L"7", table.edits[0].text);
}

} // namespace
