#include "graph/plotdata/PlotData.h"

#include <gtest/gtest.h>

namespace
{
using namespace MGraph1;

class CacheTest : public testing::Test
{
protected:
    void SetUp() override
    {
        int cookie = 1;
        ASSERT_TRUE(data.BeginPlot(100, 100, &cookie));
        EXPECT_EQ(0, cookie);
    }
    void Put(int column, int row, uint32_t index) { data.SetPointAt(column, row, column, row, index, 0, 1); }

    XYCPlotDataBase data;
};

TEST_F(CacheTest, NearestPointMustLieStrictlyInsideTheRadius)
{
    struct Case
    {
        int column, row;
        bool found;
    } cases[] = {{70, 50, false}, {69, 50, true}, {50, 30, false}, {50, 31, true}, {65, 65, false}, {64, 64, true}};
    for (const Case& c : cases)
    {
        data.ClearPointCache();
        Put(c.column, c.row, 7);
        PointRecord record;
        EXPECT_EQ(c.found, data.FindNearestPoint(50, 50, 20, &record)) << c.column << "," << c.row;
    }
}

TEST_F(CacheTest, EqualDistancesKeepTheLowerRowThenTheLowerColumn)
{
    Put(52, 50, 1);
    Put(48, 50, 2);
    Put(50, 52, 3);
    PointRecord record;
    ASSERT_TRUE(data.FindNearestPoint(50, 50, 20, &record));
    EXPECT_EQ(2u, record.index);
    Put(50, 48, 4);
    ASSERT_TRUE(data.FindNearestPoint(50, 50, 20, &record));
    EXPECT_EQ(4u, record.index);
}

TEST_F(CacheTest, InsertKeepsAnOccupiedCellAndSetOverwritesIt)
{
    Put(5, 5, 1);
    data.InsertPoint(5, 5, PointRecord{-1, 0, 0, 2, 1, 0});
    PointRecord record;
    ASSERT_TRUE(data.GetPointAt(5, 5, &record));
    EXPECT_EQ(1u, record.index);
    Put(5, 5, 3);
    ASSERT_TRUE(data.GetPointAt(5, 5, &record));
    EXPECT_EQ(3u, record.index);
    Put(100, 5, 4); // outside: ignored
    EXPECT_FALSE(data.GetPointAt(100, 5, &record));
}

TEST(PlotDataTest, BeginPlotRefusesAnEmptyPlotAndASecondOpenPass)
{
    XYCPlotDataBase data;
    int cookie = 0;
    EXPECT_FALSE(data.BeginPlot(0, 10, &cookie));
    EXPECT_FALSE(data.inPass);
    EXPECT_TRUE(data.BeginPlot(10, 10, &cookie));
    EXPECT_FALSE(data.BeginPlot(10, 10, &cookie));
    data.EndPlot();
    EXPECT_TRUE(data.BeginPlot(10, 10, &cookie));
}

TEST(PlotDataTest, FreshSourceFindsNoPointAndClearsTheHint)
{
    XYCPlotDataBase data;
    data.hintStale = true;
    PointHint hint;
    hint.found = true;
    EXPECT_FALSE(data.FindPointInfo(0, &hint));
    EXPECT_FALSE(hint.found);
    EXPECT_FALSE(data.hintStale);
    EXPECT_FALSE(data.FindPointInfo(0, nullptr));
}

TEST(PlotDataTest, SetModifiedAsksForAFreshFetch)
{
    XYCPlotDataBase data;
    data.SetModified(true);
    EXPECT_TRUE(data.IsModified());
    EXPECT_TRUE(data.refetchNeeded);
    EXPECT_TRUE(data.hintStale);
    data.ClearModified();
    EXPECT_FALSE(data.IsModified());
    EXPECT_TRUE(data.refetchNeeded);
}

} // namespace
