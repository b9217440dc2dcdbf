#include "tableview/grid/GridActions.h"
#include "tableview/tests/FakeTable.h"

#include <gtest/gtest.h>

namespace
{

using TVF_Grid::CellRange;
using TVF_Grid::GridActions;

// Answers the clear query with the given result and records every choice.
class ClearingTable : public TableViewTests::FakeTable
{
public:
    ClearingTable(HRESULT clearAnswer) : FakeTable(5, {L"HR", L"SV"}), m_answer(clearAnswer) {}
    HRESULT STDMETHODCALLTYPE OnListItemChosen(ULONG grid, ULONG kind, int row, ULONG column, ULONG item) override
    {
        choices.push_back({grid, kind, row, column, item});
        return m_answer;
    }
    struct Choice
    {
        ULONG grid, kind;
        int row;
        ULONG column, item;
        bool operator==(const Choice&) const = default;
    };
    std::vector<Choice> choices;

private:
    HRESULT m_answer;
};

TEST(GridActions, ClearingAsksWithTheViewIdAndTheCellThenCommitsAnEmptyText)
{
    ClearingTable table(S_FALSE);
    GridActions actions(&table, TableView::MainGridWord);
    actions.ClearCells(CellRange::Cells(2, 4, 1, 2));
    ASSERT_EQ(2u, table.choices.size());
    EXPECT_EQ((ClearingTable::Choice{TableView::MainGridWord, GridActions::ClearQuery, 2, 1, 0}), table.choices[0]);
    EXPECT_EQ((ClearingTable::Choice{TableView::MainGridWord, GridActions::ClearQuery, 3, 1, 0}), table.choices[1]);
    ASSERT_EQ(2u, table.edits.size());
    EXPECT_EQ(3, table.edits[1].row);
    EXPECT_EQ(1u, table.edits[1].column);
    EXPECT_EQ(L"", table.edits[1].text);
}

TEST(GridActions, ARefusedClearOrAGridWithoutRowsCommitsNothing)
{
    ClearingTable refusing(S_OK);
    GridActions actions(&refusing, TableView::SecondGridWord);
    actions.ClearCell({2, 1}, {2, 1});
    EXPECT_EQ(1u, refusing.choices.size());
    EXPECT_TRUE(refusing.edits.empty());

    ClearingTable table(S_FALSE);
    GridActions empty(&table, TableView::MainGridWord);
    empty.SetHasDataRows(false);
    empty.ClearCell({2, 1}, {2, 1});
    empty.CellEdited({2, 1}, {2, 1}, Orv::String(L"5"));
    EXPECT_TRUE(table.choices.empty());
    EXPECT_TRUE(table.edits.empty());
}

} // namespace
