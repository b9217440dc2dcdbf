#include "graph/plotters/FunctionGlyphPlotter.h"
#include "support/Canvas.h"
#include "support/PlotFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{
using namespace MGraph1;
using GraphTest::DibCanvas;
using GraphTest::Metafile;
using GraphTest::TestAxes;

constexpr RECT Plot{10, 10, 210, 160};
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Red = RGB(255, 0, 0);

class Glyphs : public FunctionGlyphPlotData
{
public:
    bool GetGlyphs(double, double, int, int* count, const GlyphRecord** records) override
    {
        *count = static_cast<int>(glyphs.size());
        *records = glyphs.data();
        return true;
    }
    bool GetFunctions(double, double, int, int* count, const FunctionRecord** records) override
    {
        *count = static_cast<int>(functions.size());
        *records = functions.data();
        return true;
    }
    std::vector<GlyphRecord> glyphs;
    std::vector<FunctionRecord> functions;
};

// One pixel per unit: x = 10 + v, y = 159 - v.
template <class PlotterType>
struct GlyphSetup
{
    GlyphSetup() : axes(Plot, 0, 199, 0, 149)
    {
        axes.Install(plotter);
        plotter.SetPlotData(&data, 0, false);
    }
    void Draw(HDC dc) { plotter.OnDraw(dc, nullptr, Plot, Plot); }
    GlyphRecord& Add(int32_t kind, double x0, double y0, double x1 = 0, double y1 = 0, COLORREF colour = Red)
    {
        data.glyphs.push_back(GlyphRecord{x0, y0, x1, y1, kind, colour, L"", false});
        return data.glyphs.back();
    }
    TestAxes axes;
    Glyphs data;
    PlotterType plotter;
};

TEST(GlyphPlotterTest, HorizontalLineOnTheTopOrBottomEdgeIsNotDrawn)
{
    struct Case
    {
        double y;
        int lines;
    } cases[] = {{149, 0}, {148, 1}, {-1, 0}, {75, 1}};
    for (const Case& c : cases)
    {
        GlyphSetup<GlyphPlotter> setup;
        setup.Add(GlyphKind::HorizontalLine, 0, c.y);
        Metafile picture;
        setup.Draw(picture.Dc());
        EXPECT_EQ(c.lines, picture.Count(EMR_LINETO)) << c.y;
    }
}

TEST(GlyphPlotterTest, HorizontalSegmentCrossingThePlotFromOutsideOnBothSidesIsDrawn)
{
    GlyphSetup<GlyphPlotter> setup;
    setup.Add(GlyphKind::HorizontalSegment, -50, 75, 300, 75);
    DibCanvas canvas(400, 170);
    setup.Draw(canvas.Dc());
    EXPECT_EQ(Red, canvas.Pixel(Plot.left, 84));
    EXPECT_EQ(Red, canvas.Pixel(Plot.left + 100, 84));
    EXPECT_EQ(Red, canvas.Pixel(Plot.right - 1, 84));
    EXPECT_EQ(White, canvas.Pixel(Plot.right + 1, 84));
    EXPECT_EQ(White, canvas.Pixel(Plot.left - 1, 84));
    canvas.SavePng("graph_glyph_crossing_segment");
}

TEST(GlyphPlotterTest, HorizontalSegmentBesideThePlotIsNotDrawn)
{
    GlyphSetup<GlyphPlotter> setup;
    setup.Add(GlyphKind::HorizontalSegment, 210, 75, 300, 75);
    setup.Add(GlyphKind::HorizontalSegment, -90, 75, -10, 75);
    Metafile picture;
    setup.Draw(picture.Dc());
    EXPECT_EQ(0, picture.Count(EMR_LINETO));
}

TEST(GlyphPlotterTest, SegmentWhollyOutsideDrawsNeitherLineNorLabel)
{
    GlyphSetup<GlyphPlotter> setup;
    setup.Add(GlyphKind::Segment, -50, -50, -10, -10).label = L"identity";
    Metafile picture;
    setup.Draw(picture.Dc());
    EXPECT_EQ(0, picture.Count(EMR_LINETO));
    EXPECT_EQ(0, picture.Count(EMR_EXTTEXTOUTW));
}

TEST(GlyphPlotterTest, GlyphsOfOneColourShareAPenAndUnknownKindsOnlySwitchIt)
{
    GlyphSetup<GlyphPlotter> setup;
    setup.Add(GlyphKind::VerticalLine, 20, 0);
    setup.Add(GlyphKind::VerticalLine, 40, 0);
    setup.Add(3, 40, 0, 0, 0, RGB(0, 0, 255));
    setup.Add(17, 40, 0, 0, 0, RGB(0, 128, 0));
    Metafile picture;
    setup.Draw(picture.Dc());
    // The starting pen and one pen per colour change.
    EXPECT_EQ(4, picture.Count(EMR_CREATEPEN));
    EXPECT_EQ(2, picture.Count(EMR_LINETO));
}

TEST(GlyphPlotterTest, LineOfIdentityIsClippedToThePlot)
{
    GlyphSetup<GlyphPlotter> setup;
    setup.Add(GlyphKind::Segment, -100, -100, 400, 400).label = L"Line of identity";
    setup.data.glyphs.back().legendSample = true;
    DibCanvas canvas(220, 170);
    setup.Draw(canvas.Dc());
    EXPECT_EQ(Red, canvas.Pixel(Plot.left + 50, 159 - 50));
    EXPECT_EQ(White, canvas.Pixel(5, 165));
    canvas.SavePng("graph_glyph_identity");
}

// An equation in the corner keeps clear of the vertical lines drawn with it: it moves right of one that
// would cross it and stays put beside one that would not.
TEST(GlyphPlotterTest, CornerLabelKeepsClearOfVerticalLines)
{
    const struct
    {
        double column;
        bool moves;
    } cases[] = {{5, true}, {40, true}, {180, false}};
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.column);
        GlyphSetup<GlyphPlotter> setup;
        setup.Add(GlyphKind::Segment, 0, 0, 199, 20, RGB(0, 0, 255)).label = L"Ves = 0.5 * Ved";
        setup.Add(GlyphKind::VerticalLine, test.column, 0);
        DibCanvas canvas(220, 170);
        setup.Draw(canvas.Dc());
        int textLeft = Plot.right, textRight = Plot.left;
        for (int y = Plot.top; y < Plot.top + 20; ++y)
            for (int x = Plot.left; x < Plot.right; ++x)
                if (const COLORREF pixel = canvas.Pixel(x, y); pixel != White && pixel != Red)
                    textLeft = std::min(textLeft, x), textRight = std::max(textRight, x);
        const int column = Plot.left + static_cast<int>(test.column);
        ASSERT_LT(textLeft, textRight);
        EXPECT_TRUE(column < textLeft || column > textRight) << textLeft << ".." << textRight;
        EXPECT_EQ(test.moves, textLeft > column);
    }
}

// An equation wider than its plot goes onto two lines broken after its last comma where the plotter may,
// then into a smaller font; a plot too narrow even for that leaves it out. A plot as wide as the room the
// equation names holds it on one line, one a little narrower no longer does. Drawn on a canvas wider than
// the plot, it keeps as much of the plot's white right of it as left of it (a pixel of a glyph's side aside).
TEST(GlyphPlotterTest, AWideEquationIsBrokenThenShrunkAndNeverCut)
{
    const std::wstring label = L"PRSW = 142.36 * Ved - 9965.2, r\u00B2 = 0.9998";
    // right: the plot's right edge; with fromRoom, how far past the equation's named room it lies.
    const struct
    {
        LONG right;
        bool fromRoom, breaks, drawn, twoLines;
    } cases[] = {{400, false, true, true, false}, {210, false, true, true, true}, {140, false, true, true, true},
                 {210, false, false, true, false}, {60, false, true, false, false}, {0, true, true, true, false},
                 {-2, true, true, true, true}};
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.right);
        GlyphSetup<GlyphPlotter> setup;
        setup.plotter.breakWideLabel = test.breaks;
        setup.Add(GlyphKind::Segment, 0, 0, 199, 20).label = label;
        DibCanvas canvas(420, 170);
        const LONG right = test.fromRoom ? Plot.left + CornerLabelRoom(canvas.Dc(), label) + test.right : test.right;
        const RECT plot{Plot.left, Plot.top, right, Plot.bottom};
        setup.plotter.OnDraw(canvas.Dc(), nullptr, plot, plot);
        // Rows of text, a blank row between two lines.
        std::string rows;
        int inkLeft = 420, inkRight = -1;
        for (int y = Plot.top; y < Plot.top + 40; ++y)
        {
            rows += ' ';
            for (int x = 0; x < 420; ++x)
                if (const COLORREF pixel = canvas.Pixel(x, y); pixel != White && pixel != Red)
                    inkLeft = std::min(inkLeft, x), inkRight = std::max(inkRight, x), rows.back() = '#';
        }
        EXPECT_EQ(test.drawn, inkRight >= 0);
        if (test.drawn)
        {
            EXPECT_GE(right - 1 - inkRight, inkLeft - Plot.left - 1);
        }
        const size_t first = rows.find('#'), last = rows.rfind('#');
        EXPECT_EQ(test.twoLines, test.drawn && rows.substr(first, last - first).find(' ') != std::string::npos)
            << rows;
    }
}

FunctionRecord Linear(double intercept, double slope, double xMax)
{
    FunctionRecord record;
    record.colour = Red;
    record.label = L"ESPVR";
    record.legendSample = true;
    record.rangeFlags = FunctionRange::EndAtXMax;
    record.xMax = xMax;
    record.coefficients = {intercept, slope};
    return record;
}

// A curve comes in the units the scales print (display value = unit factor x data value), its end too: it
// lands on the pixels of the same curve in the data's units, ending at the largest x of the data.
TEST(FunctionPlotterTest, ACurveInTheScalesUnitsStandsOnItsDataAndEndsAtItsLargestX)
{
    for (const auto& [xFactor, yFactor] : {std::pair{1.0, 1.0}, std::pair{1e6, 1.0}, std::pair{1e3, 1e-3}, std::pair{1e-3, 7.5}})
    {
        SCOPED_TRACE(testing::Message() << xFactor << " " << yFactor);
        GlyphSetup<PolynomialFunctionPlotter> setup;
        AxisTransform xUnit{xFactor, 0.0}, yUnit{yFactor, 0.0};
        setup.plotter.UseXUnitTransform(&xUnit);
        setup.plotter.UseYUnitTransform(&yUnit);
        setup.plotter.SetDomainLimits(0, 199);
        // y = 10 + 0.5 x over the data, up to x = 120.
        setup.data.functions = {Linear(10.0 * yFactor, 0.5 * yFactor / xFactor, 120.0 * xFactor)};
        DibCanvas canvas(220, 170);
        setup.Draw(canvas.Dc());
        if (xFactor == 1.0)
            canvas.SavePng("graph_function_espvr");
        const auto yAt = [](double x) { return static_cast<int>(159 - (10.0 + 0.5 * x) + 0.5); };
        EXPECT_TRUE(canvas.HasPixelNear(Plot.left + 60, yAt(60), Red, 1));
        EXPECT_TRUE(canvas.HasPixelNear(Plot.left + 119, yAt(119), Red, 1));
        EXPECT_FALSE(canvas.HasPixelNear(Plot.left + 125, yAt(125), Red, 2));
    }
}

TEST(FunctionPlotterTest, FitBeyondTheVisibleLimitRunsToTheRightEdge)
{
    GlyphSetup<PolynomialFunctionPlotter> setup;
    setup.plotter.SetDomainLimits(0, 199);
    setup.data.functions = {Linear(10.0, 0.5, 500.0)};
    DibCanvas canvas(220, 170);
    setup.Draw(canvas.Dc());
    EXPECT_TRUE(canvas.HasPixelNear(Plot.right - 2, static_cast<int>(159 - (10.0 + 0.5 * 198)), Red, 1));
}

TEST(FunctionPlotterTest, ExponentialOver1200PixelsIsDrawnInChunksOf512_512_176)
{
    const RECT wide{0, 0, 1200, 300};
    TestAxes axes(wide, 20.0, 200.0, 0.0, 60.0);
    Glyphs data;
    FunctionRecord record;
    record.colour = RGB(0, 0, 255);
    record.a = 2.0;
    record.b = 0.015;
    data.functions = {record};
    ExponentialFunctionPlotter plotter;
    axes.Install(plotter);
    plotter.SetPlotData(&data, 0, false);
    plotter.SetDomainLimits(20.0, 200.0);
    Metafile picture;
    plotter.OnDraw(picture.Dc(), nullptr, wide, wide);
    std::vector<DWORD> segments;
    for (const ENHMETARECORD* r : picture.Close())
        if (r->iType == EMR_POLYPOLYLINE || r->iType == EMR_POLYPOLYLINE16)
            segments.push_back(reinterpret_cast<const EMRPOLYPOLYLINE16*>(r)->nPolys);
    EXPECT_EQ((std::vector<DWORD>{511, 511, 175}), segments);
    EXPECT_EQ((std::vector<int>{512, 512, 176}), FunctionChunkSizes(1200));

    DibCanvas canvas(1200, 300);
    plotter.OnDraw(canvas.Dc(), nullptr, wide, wide);
    canvas.SavePng("graph_function_edpvr");
    const auto yAt = [&](double x) { return static_cast<int>(ValueToPixel(axes.y, 2.0 * std::exp(0.015 * x), 0.0)); };
    for (double x : {30.0, 100.0, 190.0})
        EXPECT_TRUE(canvas.HasPixelNear(static_cast<int>(ValueToPixel(axes.x, x, 0.0)), yAt(x), RGB(0, 0, 255), 2)) << x;
}

// A relation that did not fit has no terms to draw: its label, which says so, stands alone.
template <class PlotterType>
void ExpectOnlyTheLabel(const FunctionRecord& record)
{
    GlyphSetup<PlotterType> setup;
    setup.data.functions = {record};
    Metafile picture;
    setup.Draw(picture.Dc());
    EXPECT_EQ(0, picture.Count(EMR_POLYPOLYLINE16) + picture.Count(EMR_POLYPOLYLINE));
    EXPECT_EQ(1, picture.Count(EMR_EXTTEXTOUTW));
}

TEST(FunctionPlotterTest, ACurveWithoutTermsGetsOnlyItsLabel)
{
    FunctionRecord polynomial = Linear(0, 0, 0);
    polynomial.coefficients.clear();
    ExpectOnlyTheLabel<PolynomialFunctionPlotter>(polynomial);
    FunctionRecord exponential;
    exponential.label = L"EDPVR: Ped: no fit";
    exponential.a = exponential.b = std::nan("");
    ExpectOnlyTheLabel<ExponentialFunctionPlotter>(exponential);
}

TEST(GlyphPlotterTest, ASegmentWithoutEndsGetsOnlyItsLabel)
{
    GlyphSetup<GlyphPlotter> setup;
    setup.Add(GlyphKind::Segment, 0, std::nan(""), 199, std::nan("")).label = L"PRSW: no fit";
    Metafile picture;
    setup.Draw(picture.Dc());
    EXPECT_EQ(0, picture.Count(EMR_LINETO));
    EXPECT_EQ(1, picture.Count(EMR_EXTTEXTOUTW));
}

TEST(FunctionPlotterTest, CurveValues)
{
    FunctionRecord record;
    record.coefficients = {1.0, 2.0, 3.0};
    record.xScale = 1.0;
    EXPECT_DOUBLE_EQ(1.0 + 2.0 * 2.0 + 3.0 * 4.0, PolynomialFunctionPolicy::Evaluate(record, 2.0));
    record.xScale = 0.5; // c2 * x * (k x)
    EXPECT_DOUBLE_EQ(1.0 + 4.0 + 3.0 * 2.0 * 1.0, PolynomialFunctionPolicy::Evaluate(record, 2.0));
    record.a = 3.0;
    record.b = 0.0;
    EXPECT_DOUBLE_EQ(3.0, ExponentialFunctionPolicy::Evaluate(record, 123.0));
}

} // namespace
