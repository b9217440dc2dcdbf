#include "graph/plotters/XYCPlotter.h"
#include "support/Canvas.h"
#include "support/PlotFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace
{
using namespace MGraph1;
using GraphTest::DibCanvas;
using GraphTest::SeriesData;
using GraphTest::TestAxes;

constexpr RECT Plot{10, 10, 210, 160};
constexpr COLORREF White = RGB(255, 255, 255);

struct PlotterSetup
{
    explicit PlotterSetup(double xLow = 0, double xHigh = 199, double yLow = 0, double yHigh = 149)
        : axes(Plot, xLow, xHigh, yLow, yHigh)
    {
        axes.Install(plotter);
        plotter.SetPlotData(&data, 0, false);
    }
    void Draw(HDC dc) { plotter.OnDraw(dc, nullptr, Plot, Plot); }

    TestAxes axes;
    SeriesData data;
    XYCPlotter plotter;
};

TEST(XYCPlotterTest, EdgesOfThePlotCountInsideOnTheLeftAndTopOnly)
{
    // Axes of one pixel per unit: x = 10 + v, y = 10 + 149 - v.
    struct Case
    {
        float x, y;
        bool cached;
    } cases[] = {{0, 149, true}, {199, 1, true}, {200, 75, false}, {50, 0, false}, {50, 150, false}};
    for (const Case& c : cases)
    {
        PlotterSetup setup;
        setup.data.xs = {c.x};
        setup.data.ys = {c.y};
        setup.data.seriesFlags = 0;
        DibCanvas canvas(220, 170);
        setup.Draw(canvas.Dc());
        EXPECT_EQ(c.cached, !setup.data.pointCache.empty()) << c.x << "," << c.y;
    }
}

TEST(XYCPlotterTest, SecondPointOnTheSamePixelDrawsNoMarkerButTakesTheCell)
{
    PlotterSetup setup;
    setup.data.xs = {50.0f, 50.2f};
    setup.data.ys = {50.0f, 49.8f};
    setup.data.seriesFlags = SeriesFlags::Markers;
    GraphTest::Metafile picture;
    setup.Draw(picture.Dc());
    EXPECT_EQ(2, picture.Count(EMR_LINETO)); // one cross of two strokes
    PointRecord record;
    ASSERT_TRUE(setup.data.GetPointAt(50, 99, &record));
    EXPECT_EQ(1u, record.index);
}

TEST(XYCPlotterTest, SegmentToAFarPointEndsOnTheClipRectangle)
{
    PlotterSetup setup;
    setup.data.xs = {100.0f, 100000.0f};
    setup.data.ys = {75.0f, 75.0f};
    DibCanvas canvas(400, 170);
    setup.Draw(canvas.Dc());
    const int y = static_cast<int>(ValueToPixel(setup.axes.y, 75.0, Plot.top));
    EXPECT_EQ(setup.data.seriesColour, canvas.Pixel(Plot.right - 2, y));
    EXPECT_EQ(White, canvas.Pixel(Plot.right, y));
    EXPECT_EQ(White, canvas.Pixel(Plot.right + 50, y));
}

TEST(XYCPlotterTest, SegmentBetweenTwoPointsLeftOfThePlotIsNotDrawn)
{
    PlotterSetup setup;
    setup.data.xs = {-50.0f, -20.0f};
    setup.data.ys = {20.0f, 120.0f};
    GraphTest::Metafile picture;
    setup.Draw(picture.Dc());
    EXPECT_EQ(0, picture.Count(EMR_LINETO));
}

TEST(XYCPlotterTest, PensChangeOncePerColourChange)
{
    PlotterSetup setup;
    for (int i = 0; i < 12; ++i)
    {
        setup.data.xs.push_back(10.0f + 10 * i);
        setup.data.ys.push_back(50.0f);
        setup.data.perPoint.push_back(i < 4 ? RGB(255, 0, 0) : i < 8 ? RGB(0, 0, 255) : RGB(0, 128, 0));
    }
    GraphTest::Metafile picture;
    setup.Draw(picture.Dc());
    // The black starting pen, then one pen for each of the three colours.
    EXPECT_EQ(4, picture.Count(EMR_CREATEPEN));
    EXPECT_EQ(11, picture.Count(EMR_LINETO));
}

TEST(XYCPlotterTest, EachSegmentTakesTheColourOfItsEndPoint)
{
    PlotterSetup setup;
    setup.data.xs = {20, 80, 140};
    setup.data.ys = {75, 75, 75};
    setup.data.perPoint = {RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 128, 0)};
    DibCanvas canvas(220, 170);
    setup.Draw(canvas.Dc());
    const int y = static_cast<int>(ValueToPixel(setup.axes.y, 75.0, Plot.top));
    EXPECT_EQ(RGB(0, 0, 255), canvas.Pixel(Plot.left + 50, y));
    EXPECT_EQ(RGB(0, 128, 0), canvas.Pixel(Plot.left + 110, y));
}

TEST(XYCPlotterTest, LinesWithoutCacheRecordNothing)
{
    PlotterSetup setup;
    setup.data.xs = {20, 80};
    setup.data.ys = {20, 80};
    setup.data.seriesFlags = SeriesFlags::Lines | SeriesFlags::NoPointCache;
    DibCanvas canvas(220, 170);
    setup.Draw(canvas.Dc());
    PointRecord record;
    EXPECT_FALSE(setup.data.FindNearestPoint(30, 30, 100, &record));
}

TEST(XYCPlotterTest, EmptySeriesDrawsNothingButCountsThePass)
{
    PlotterSetup setup;
    const uint32_t before = XYCPlotter::PaintCounter();
    GraphTest::Metafile picture;
    setup.Draw(picture.Dc());
    EXPECT_EQ(before + 1, XYCPlotter::PaintCounter());
    EXPECT_EQ(0, picture.Count(EMR_CREATEPEN));
}

TEST(XYCPlotterTest, NotANumberWithMarkersTicksTheTopEdge)
{
    PlotterSetup setup;
    setup.data.xs = {100};
    setup.data.ys = {std::nanf("")};
    setup.data.seriesFlags = SeriesFlags::Markers;
    DibCanvas canvas(220, 170);
    setup.Draw(canvas.Dc());
    const int px = Plot.left + 100;
    EXPECT_EQ(setup.data.seriesColour, canvas.Pixel(px - 2, Plot.top));
    EXPECT_EQ(setup.data.seriesColour, canvas.Pixel(px + 2, Plot.top));
    EXPECT_EQ(White, canvas.Pixel(px + 3, Plot.top));
    EXPECT_EQ(White, canvas.Pixel(px - 3, Plot.top));
}

TEST(XYCPlotterTest, MarkerSizeFollowsTheResolutionWithAMinimumOfTwo)
{
    struct Case
    {
        int dpi, pixels;
    } cases[] = {{96, 2}, {72, 2}, {300, 8}, {144, 4}};
    for (const Case& c : cases)
        EXPECT_EQ(c.pixels, MarkerPixels(2.0, c.dpi)) << c.dpi;
}

TEST(XYCPlotterTest, FindPointInfoHitsAPointAndMissesAtExactlyThePickRadius)
{
    PlotterSetup setup;
    setup.data.xs = {100};
    setup.data.ys = {75};
    setup.data.first = 40;
    setup.data.seriesFlags = SeriesFlags::Markers;
    DibCanvas canvas(220, 170);
    setup.Draw(canvas.Dc());
    const int column = 100;
    const int row = static_cast<int>(ValueToPixel(setup.axes.y, 75.0, 0.0));
    PointHint hint;
    hint.pixelX = column + 3;
    hint.pixelY = row - 4;
    ASSERT_TRUE(setup.data.FindPointInfo(0, &hint));
    EXPECT_EQ(40u, hint.pointIndex);
    EXPECT_EQ(100.0, hint.valueX);
    EXPECT_EQ(75.0, hint.valueY);
    hint.pixelX = column + PointPickRadius;
    hint.pixelY = row;
    EXPECT_FALSE(setup.data.FindPointInfo(0, &hint));
    EXPECT_FALSE(hint.found);
    hint.pixelX = column + 12;
    hint.pixelY = row + 16; // 12^2 + 16^2 = 20^2
    EXPECT_FALSE(setup.data.FindPointInfo(0, &hint));
}

TEST(XYCPlotterTest, LimitsArePushedIntoTheSourceOnlyWhenOrderedAndDifferent)
{
    PlotterSetup setup;
    setup.data.modified = false;
    setup.plotter.SetDomainLimits(5.0, 1.0);
    EXPECT_EQ(-DBL_MAX, setup.data.domainLow);
    setup.plotter.SetDomainLimits(1.0, 5.0);
    EXPECT_EQ(1.0, setup.data.domainLow);
    EXPECT_TRUE(setup.data.IsModified());
    setup.data.ClearModified();
    setup.plotter.SetDomainLimits(1.0, 5.0);
    EXPECT_FALSE(setup.data.IsModified());
    setup.plotter.SetRangeLimits(-2.0, 2.0);
    EXPECT_EQ(2.0, setup.data.rangeHigh);
}

} // namespace

namespace
{

template <class Value>
class VectorIterator : public std::conditional_t<std::is_same_v<Value, float>, GraphFloatIterator, GraphColorrefIterator>
{
public:
    explicit VectorIterator(const std::vector<Value>& values) : m_values(values) {}
    int Next(Value* out, int count) override
    {
        ++blocks;
        const int n = std::min(count, static_cast<int>(m_values.size()) - m_at);
        std::copy_n(m_values.begin() + m_at, n, out);
        m_at += n;
        return n;
    }
    int blocks = 0;

private:
    const std::vector<Value>& m_values;
    int m_at = 0;
};

class IteratorSeries : public XYCPlotData2
{
public:
    explicit IteratorSeries(const SeriesData& arrays) : source(arrays), xs(arrays.xs), ys(arrays.ys), colours(arrays.perPoint) {}
    bool GetSeries(int, int* count, int* firstIndex, GraphFloatIterator** x, GraphFloatIterator** y,
                   GraphColorrefIterator** c, COLORREF* colour, uint32_t* flags) override
    {
        *count = static_cast<int>(source.xs.size());
        *firstIndex = source.first;
        *x = &xs;
        *y = &ys;
        *c = &colours;
        *colour = source.seriesColour;
        *flags = source.seriesFlags;
        return true;
    }
    const SeriesData& source;
    VectorIterator<float> xs, ys;
    VectorIterator<COLORREF> colours;
};

TEST(XYCPlotter2Test, IteratorSourceDrawsLikeTheArraySourceInBlocksAndAlwaysCaches)
{
    PlotterSetup arrays;
    GraphTest::FillPvLoop(arrays.data, 300, -40.0);
    for (size_t i = 0; i < arrays.data.xs.size(); ++i)
        arrays.data.perPoint.push_back(i % 3 ? RGB(200, 0, 0) : RGB(0, 0, 200));
    arrays.data.seriesFlags = SeriesFlags::Lines | SeriesFlags::Markers | SeriesFlags::NoPointCache;
    DibCanvas expected(220, 170);
    arrays.Draw(expected.Dc());

    IteratorSeries iterators(arrays.data);
    XYCPlotter2 plotter;
    arrays.axes.Install(plotter);
    plotter.SetPlotData(&iterators, 0, false);
    DibCanvas drawn(220, 170);
    plotter.OnDraw(drawn.Dc(), nullptr, Plot, Plot);

    EXPECT_EQ(3, iterators.xs.blocks); // 128 + 128 + 44
    int differences = 0;
    for (int y = 0; y < 170; ++y)
        for (int x = 0; x < 220; ++x)
            differences += expected.Pixel(x, y) != drawn.Pixel(x, y);
    EXPECT_EQ(0, differences);
    EXPECT_TRUE(arrays.data.pointCache.empty());
    EXPECT_FALSE(iterators.pointCache.empty());
}

} // namespace
