#include "tableview/grid/GridSelection.h"
#include "tableview/tests/FakeTable.h"

#include <gtest/gtest.h>

namespace
{

using TVF_Grid::CellPosition;
using TVF_Grid::CellRange;
using TVF_Grid::GridSelection;
using namespace TVF_Grid::SelectModifier;

class TestGrid : public TVF_Grid::SelectionGrid
{
public:
    explicit TestGrid(TableViewTests::FakeTable* actions) : m_actions(actions) {}
    int HeaderRows() const override { return 1; }
    int HeaderColumns() const override { return 1; }
    int DataRowCount() const override { return 20; }
    int DataColumnCount() const override { return 4; }
    ULONG NotifyWord() const override { return TableView::MainGridWord; }
    ITableUserActionHandler* Actions() const override { return m_actions; }
    void RepaintSelection() override { ++repaints; }
    int repaints = 0;

private:
    TableViewTests::FakeTable* m_actions;
};

CellPosition At(int number)
{
    return {number, 1};
}

struct Press
{
    int row;
    int column;
    unsigned modifiers;
};

struct SelectCase
{
    const char* name;
    bool wholeRows;
    std::vector<Press> presses;
    CellRange expected;
};

TEST(GridSelection, PressesSelectTheExpectedRectangle)
{
    const SelectCase cases[] = {
        {"row header, Shift, Ctrl", false, {{2, 0, 0}, {5, 0, Shift}, {8, 0, Ctrl}}, CellRange::Cells(2, 9, 1, 5)},
        {"row header then Shift", false, {{2, 0, 0}, {5, 0, Shift}}, CellRange::Cells(2, 6, 1, 5)},
        {"Shift upward", false, {{7, 0, 0}, {3, 0, Shift}}, CellRange::Cells(3, 8, 1, 5)},
        {"cell", false, {{4, 2, 0}}, CellRange::Cells(4, 5, 2, 3)},
        {"cell then Shift cell", false, {{4, 2, 0}, {6, 4, Shift}}, CellRange::Cells(4, 7, 2, 5)},
        {"cell then Ctrl cell", false, {{4, 2, 0}, {2, 3, Ctrl}}, CellRange::Cells(2, 5, 2, 4)},
        {"header click selects a column", false, {{0, 3, 0}}, CellRange::Cells(1, 21, 3, 4)},
        {"header Shift spans columns", false, {{0, 3, 0}, {0, 1, Shift}}, CellRange::Cells(1, 21, 1, 4)},
        {"whole rows from a cell", true, {{4, 2, 0}}, CellRange::Cells(4, 5, 1, 5)},
        {"whole rows ignore header clicks", true, {{0, 2, 0}}, CellRange{}},
    };
    for (const SelectCase& c : cases)
    {
        TestGrid grid(nullptr);
        GridSelection selection(grid, c.wholeRows);
        for (const Press& press : c.presses)
            selection.MouseSelect(At(press.row), At(press.column), press.modifiers);
        EXPECT_EQ(c.expected, selection.Range()) << c.name;
    }
}

TEST(GridSelection, ReportsEachSelectedColumnWithTheMouseBit)
{
    TableViewTests::FakeTable client(20, {L"HR", L"SV", L"EF", L"ESP"});
    TestGrid grid(&client);
    GridSelection selection(grid, false);
    selection.MouseSelect(At(2), At(2), 0);
    selection.MouseSelect(At(3), At(3), Shift);
    ASSERT_EQ(2u, client.selections.size());
    EXPECT_EQ(TableView::MainGridWord | TableView::MouseStartedBit, client.selections[1].grid);
    ASSERT_EQ(2u, client.selections[1].columns.size());
    EXPECT_EQ(3u, client.selections[1].columns[1].column);
    EXPECT_EQ(2, client.selections[1].columns[1].firstRow);
    EXPECT_EQ(4, client.selections[1].columns[1].endRow);

    selection.Clear();
    ASSERT_EQ(3u, client.selections.size());
    ASSERT_EQ(1u, client.selections[2].columns.size());
    EXPECT_EQ(0, client.selections[2].columns[0].endRow);
    selection.Clear();
    EXPECT_EQ(3u, client.selections.size()) << "clearing an empty selection stays silent";
}

TEST(GridSelection, DragRebuildsFromThePressAndClicksReportSingleCellsAndHeaders)
{
    TableViewTests::FakeTable client(20, {L"HR", L"SV", L"EF", L"ESP"});
    TestGrid grid(&client);
    GridSelection selection(grid, false);
    selection.MouseSelect(At(5), At(2), 0);
    EXPECT_TRUE(selection.DragTo(0, At(3), At(4)));
    EXPECT_EQ(CellRange::Cells(3, 6, 2, 5), selection.Range());
    EXPECT_FALSE(selection.DragTo(0, At(3), At(4)));

    selection.MouseSelect(At(5), At(2), 0);
    selection.Click(At(5), At(2), DoubleClick);
    selection.MouseSelect(At(0), At(3), 0);
    selection.Click(At(0), At(3), RightRelease);
    ASSERT_EQ(2u, client.clicks.size());
    EXPECT_EQ(TableView::MainGridWord | TableView::ClickKindDoubleClick, client.clicks[0].gridAndKind);
    EXPECT_EQ(5, client.clicks[0].row);
    EXPECT_EQ(TableView::MainGridWord | TableView::ClickKindRightRelease, client.clicks[1].gridAndKind);
    EXPECT_EQ(0, client.clicks[1].row);
    EXPECT_FALSE(selection.DragTo(0, At(9), At(1))) << "a click ends the gesture";
}

TEST(GridSelection, SetRangeTakesWholeRowsAndAnchorsASingleCell)
{
    TestGrid grid(nullptr);
    GridSelection rows(grid, true);
    EXPECT_TRUE(rows.SetRange(CellRange::Cells(3, 5, 2, 3)));
    EXPECT_EQ(CellRange::Cells(3, 5, 1, 5), rows.Range());
    EXPECT_FALSE(rows.SetRange(CellRange::Cells(3, 5, 1, 5)));

    GridSelection cells(grid, false);
    cells.SetRange(CellRange::Cells(4, 5, 2, 3));
    cells.MouseSelect(At(6), At(3), Shift);
    EXPECT_EQ(CellRange::Cells(4, 7, 2, 4), cells.Range());
}

} // namespace
