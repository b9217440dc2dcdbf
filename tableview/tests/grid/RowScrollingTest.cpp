#include "tableview/grid/RowScrolling.h"

#include <gtest/gtest.h>

namespace
{

using namespace TVF_Grid;

TEST(RowScrolling, BarActionsMoveWholeRowsAndPageDownIsTwoRows)
{
    EXPECT_EQ(-1, RowDeltaOf(VerticalScrollAction::LineUp));
    EXPECT_EQ(1, RowDeltaOf(VerticalScrollAction::LineDown));
    EXPECT_EQ(-1, RowDeltaOf(VerticalScrollAction::PageUp));
    EXPECT_EQ(2, RowDeltaOf(VerticalScrollAction::PageDown));
}

TEST(RowScrolling, TheTopRowStaysWithinTheRowsAndTheLastFullPage)
{
    const struct
    {
        int row, rowCount, pageRows;
        bool clamp;
        int top;
    } cases[] = {
        {-5, 100, 20, true, 0},  {50, 100, 20, true, 50}, {90, 100, 20, true, 80},
        {90, 100, 20, false, 90}, {500, 100, 20, false, 99}, {3, 10, 20, true, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.top, ClampedTopRow(c.row, c.rowCount, c.pageRows, c.clamp)) << c.row << " of " << c.rowCount;
}

} // namespace
