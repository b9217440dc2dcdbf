#include "calc/numerics/LoopRegressions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

using namespace Sistra;

namespace
{

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

LoopPoints PointsOf(double (*relation)(double), std::initializer_list<double> xs)
{
    LoopPoints points;
    for (double x : xs)
        points.Add(x, relation(x));
    return points;
}

double EndSystolicLine(double v) { return 2.0 * v + 5.0; }
double EndDiastolicExponential(double v) { return 2.0 * std::exp(0.04 * v); }

using LineFit = bool (*)(const LoopPoints&, FittedLine&);

struct LineCase
{
    const char* name;
    LineFit fit;
};

const LineCase LineFits[] = {{"least squares", FitLeastSquaresLine}, {"major axis", FitMajorAxisLine}};

} // namespace

TEST(LoopRegressions, StraightLinesRecoverAnExactRelation)
{
    const LoopPoints points = PointsOf(EndSystolicLine, {40.0, 55.0, 61.0, 70.0, 82.0});
    for (const LineCase& c : LineFits)
    {
        FittedLine line;
        ASSERT_TRUE(c.fit(points, line)) << c.name;
        EXPECT_NEAR(2.0, line.slope, 1e-6) << c.name;
        EXPECT_NEAR(5.0, line.intercept, 1e-4) << c.name;
        EXPECT_NEAR(1.0, line.fit, 1e-9) << c.name;
    }
}

TEST(LoopRegressions, StraightLinesFailWithoutTwoPairsOrWithoutSpread)
{
    LoopPoints one;
    one.Add(50.0, 105.0);
    LoopPoints sameX;
    sameX.Add(50.0, 100.0);
    sameX.Add(50.0, 120.0);
    LoopPoints sameInexactX; // equal values whose float squares are rounded
    for (double y : {100.0, 120.0, 90.0})
        sameInexactX.Add(0.1, y);
    LoopPoints sameY;
    sameY.Add(40.0, 100.0);
    sameY.Add(60.0, 100.0);
    LoopPoints oneFinite;
    oneFinite.Add(40.0, 85.0);
    oneFinite.Add(NaN, 100.0);
    oneFinite.Add(60.0, std::numeric_limits<double>::infinity());
    for (const LineCase& c : LineFits)
        for (const LoopPoints* points : {&one, &sameX, &sameInexactX, &sameY, &oneFinite})
        {
            FittedLine line{7.0, 8.0, 9.0};
            EXPECT_FALSE(c.fit(*points, line)) << c.name;
            EXPECT_EQ(9.0, line.fit) << c.name;
        }
}

TEST(LoopRegressions, NonFinitePairsAreLeftOut)
{
    LoopPoints points = PointsOf(EndSystolicLine, {40.0, 60.0, 80.0});
    points.Add(NaN, 3.0);
    points.Add(50.0, NaN);
    FittedLine line;
    ASSERT_TRUE(FitLeastSquaresLine(points, line));
    EXPECT_NEAR(2.0, line.slope, 1e-9);
    EXPECT_NEAR(5.0, line.intercept, 1e-6);
}

TEST(LoopRegressions, MajorAxisLineLiesBetweenTheTwoLeastSquaresLines)
{
    // Scattered points: the perpendicular line's slope lies between y-on-x and the inverse of x-on-y.
    LoopPoints points;
    const double xs[] = {10, 20, 30, 40, 50, 60};
    const double noise[] = {3, -4, 5, -2, -3, 4};
    for (int i = 0; i < 6; ++i)
        points.Add(xs[i], 1.5 * xs[i] + noise[i]);
    FittedLine yOnX, major;
    ASSERT_TRUE(FitLeastSquaresLine(points, yOnX));
    ASSERT_TRUE(FitMajorAxisLine(points, major));
    LoopPoints swapped{points.y, points.x};
    FittedLine xOnY;
    ASSERT_TRUE(FitLeastSquaresLine(swapped, xOnY));
    EXPECT_GT(major.slope, yOnX.slope);
    EXPECT_LT(major.slope, 1.0 / xOnY.slope);
    EXPECT_NEAR(yOnX.fit, major.fit * major.fit, 1e-9); // r for the major axis, r squared for least squares
}

TEST(LoopRegressions, QuadraticRelationOfALineHasNoCurvature)
{
    const LoopPoints points = PointsOf(EndSystolicLine, {40.0, 55.0, 61.0, 70.0, 82.0});
    std::array<double, 3> c{};
    double r2 = 0.0;
    ASSERT_TRUE(FitQuadraticRelation(points, c, &r2));
    EXPECT_NEAR(5.0, c[0], 1e-4);
    EXPECT_NEAR(2.0, c[1], 1e-5);
    EXPECT_NEAR(0.0, c[2], 1e-7);
    EXPECT_NEAR(1.0, r2, 1e-9);
}

TEST(LoopRegressions, QuadraticRelationNeedsThreePairs)
{
    const LoopPoints points = PointsOf(EndSystolicLine, {40.0, 55.0});
    std::array<double, 3> c{7.0, 8.0, 9.0};
    EXPECT_FALSE(FitQuadraticRelation(points, c, nullptr));
    EXPECT_EQ((std::array<double, 3>{7.0, 8.0, 9.0}), c);
}

TEST(LoopRegressions, ExponentialRelationRecoversAmplitudeAndRate)
{
    const LoopPoints points = PointsOf(EndDiastolicExponential, {30.0, 45.0, 52.0, 66.0, 80.0});
    double a = 0.0, b = 0.0, r2 = 0.0;
    ASSERT_TRUE(FitExponentialRelation(points, a, b, &r2));
    EXPECT_NEAR(2.0, a, 1e-5);
    EXPECT_NEAR(0.04, b, 1e-7);
    EXPECT_NEAR(1.0, r2, 1e-9);
}

TEST(LoopRegressions, ExponentialRelationRefusesANegativeAmplitudeButHandsItOut)
{
    LoopPoints points = PointsOf(EndDiastolicExponential, {30.0, 45.0, 52.0, 66.0});
    for (double& y : points.y)
        y = -y;
    double a = 0.0, b = 0.0;
    EXPECT_FALSE(FitExponentialRelation(points, a, b, nullptr));
    EXPECT_LT(a, 0.0);
}

TEST(LoopRegressions, ExponentialRelationOfEqualPressuresStartsFlat)
{
    // Equal pressures at different volumes: the two-point start is rate 0 at that pressure, already
    // the answer.
    LoopPoints points;
    for (double v : {30.0, 50.0, 70.0})
        points.Add(v, 8.0);
    double a = 0.0, b = 1.0;
    ASSERT_TRUE(FitExponentialRelation(points, a, b, nullptr));
    EXPECT_NEAR(8.0, a, 1e-9);
    EXPECT_NEAR(0.0, b, 1e-12);
}

TEST(LoopRegressions, ExponentialRelationNeedsTwoPairsAtDifferentVolumes)
{
    const LoopPoints points = PointsOf(EndDiastolicExponential, {30.0});
    double a = 7.0, b = 8.0;
    EXPECT_FALSE(FitExponentialRelation(points, a, b, nullptr));
    EXPECT_EQ(7.0, a);
    EXPECT_EQ(8.0, b);
    // Loops all alike: any rate passes through their one point.
    EXPECT_FALSE(FitExponentialRelation(PointsOf(EndDiastolicExponential, {30.0, 30.0, 30.0}), a, b, nullptr));
}

TEST(LoopRegressions, RelationsMeetWhereBothGiveThePressure)
{
    struct Case
    {
        const char* name;
        EndSystolicRelation es;
        EndDiastolicRelation ed;
    };
    const Case cases[] = {
        {"line, line", {false, {5.0, 2.0, 0.0}}, {false, {24.0, 0.1}}},
        {"line, exponential", {false, {-50.0, 3.0, 0.0}}, {true, {2.0, 0.04}}},
        {"quadratic, line", {true, {-40.0, 3.0, -0.01}}, {false, {4.0, 0.1}}},
        {"quadratic, exponential", {true, {-40.0, 3.0, -0.01}}, {true, {2.0, 0.04}}},
    };
    for (const Case& c : cases)
    {
        double v = NaN, p = NaN;
        ASSERT_TRUE(IntersectRelations(c.es, c.ed, 120.0, v, p)) << c.name;
        const double edPressure = c.ed.exponential ? c.ed.terms[0] * std::exp(c.ed.terms[1] * v)
                                                   : c.ed.terms[0] + c.ed.terms[1] * v;
        const double esPressure = c.es.terms[0] + c.es.terms[1] * v + c.es.terms[2] * v * v;
        EXPECT_NEAR(esPressure, p, 1e-9) << c.name;
        EXPECT_NEAR(edPressure, p, 1e-6) << c.name;
    }
    double v = 0.0, p = 0.0;
    ASSERT_TRUE(IntersectRelations({false, {5.0, 2.0, 0.0}}, {false, {24.0, 0.1}}, 120.0, v, p));
    EXPECT_DOUBLE_EQ(10.0, v);
    EXPECT_DOUBLE_EQ(25.0, p);
}

TEST(LoopRegressions, ParallelOrNeverMeetingRelationsHaveNoIntersection)
{
    double v = 1.0, p = 2.0;
    EXPECT_FALSE(IntersectRelations({false, {5.0, 2.0, 0.0}}, {false, {24.0, 2.0}}, 120.0, v, p));
    // A line always below a rising exponential: the search does not settle.
    EXPECT_FALSE(IntersectRelations({false, {-5.0, 0.0, 0.0}}, {true, {2.0, 0.04}}, 120.0, v, p));
    EXPECT_EQ(1.0, v);
    EXPECT_EQ(2.0, p);
}

TEST(LoopRegressions, SmoothingWindowIsAQuarterMadeOdd)
{
    const std::pair<int32_t, int32_t> cases[] = {{0, 1}, {4, 1}, {8, 3}, {10, 3}, {12, 3}, {16, 5}, {20, 5}, {101, 25}};
    for (const auto& [length, window] : cases)
        EXPECT_EQ(window, TangentSmoothingWindow(length)) << length;
}

TEST(LoopRegressions, TangentSegmentRunsFromTheStartToWherePressureFallsBelowSixTenthsOfTheCorner)
{
    // End diastole at (100, 10); the farthest sample (scaled plane, scale 1) is (60, 120).
    const std::vector<float> v = {100, 100, 90, 70, 60, 58, 57, 57};
    const std::vector<float> p = {10, 80, 110, 118, 120, 90, 72, 71};
    TangentSegment segment;
    ASSERT_TRUE(CutTangentSegment(p, v, 100.0, 10.0, 1.0, segment));
    EXPECT_EQ(60.0, segment.cornerVolume);
    EXPECT_EQ(120.0, segment.cornerPressure);
    EXPECT_EQ(10.0, segment.towardsPreviousVolume);
    EXPECT_EQ(-2.0, segment.towardsPreviousPressure);
    EXPECT_EQ((std::vector<float>{10, 80, 110, 118, 120, 90, 72}), segment.loop.pressures);
    EXPECT_EQ(segment.loop.pressures.size(), segment.loop.volumes.size());
}

TEST(LoopRegressions, TangentSegmentCornerNeedsASampleBeforeIt)
{
    TangentSegment segment;
    EXPECT_FALSE(CutTangentSegment({120.0f}, {60.0f}, 100.0, 10.0, 1.0, segment));
    EXPECT_FALSE(CutTangentSegment({}, {}, 100.0, 10.0, 1.0, segment));
    // Every sample at the end-diastolic point: the second sample is the corner.
    ASSERT_TRUE(CutTangentSegment({10, 10, 10}, {100, 100, 100}, 100.0, 10.0, 1.0, segment));
    EXPECT_EQ(3u, segment.loop.pressures.size());
    EXPECT_EQ(0.0, segment.towardsPreviousVolume);
}

namespace
{

// Concave arcs touching P = 2 V + 5 at the given volumes; each starts towards the line's slope.
std::vector<TangentSegment> ArcsTouchingTheLine(std::initializer_list<double> touches)
{
    std::vector<TangentSegment> segments;
    for (double touch : touches)
    {
        TangentSegment segment;
        for (int i = 20; i >= -20; --i)
        {
            const double v = touch + 0.1 * i;
            segment.loop.volumes.push_back(static_cast<float>(v));
            segment.loop.pressures.push_back(static_cast<float>(EndSystolicLine(v) - (v - touch) * (v - touch)));
        }
        segment.cornerVolume = touch;
        segment.cornerPressure = EndSystolicLine(touch) + 10.0;
        segment.towardsPreviousVolume = 1.0;
        segment.towardsPreviousPressure = 0.0018;
        segments.push_back(segment);
    }
    return segments;
}

} // namespace

TEST(LoopRegressions, TangentRelationOfLoopsTouchingALine)
{
    std::vector<TangentSegment> segments = ArcsTouchingTheLine({45.0, 55.0, 65.0, 75.0});
    FittedLine line;
    TangentPoints touching;
    ASSERT_TRUE(FitTangentRelation(segments, line, touching));
    EXPECT_NEAR(2.0, line.slope, 0.01);
    EXPECT_NEAR(5.0, line.intercept, 0.5);
    EXPECT_NEAR(1.0, line.fit, 1e-4);
    ASSERT_EQ(4u, touching.indices.size());

    segments.resize(1);
    EXPECT_FALSE(FitTangentRelation(segments, line, touching));
    EXPECT_TRUE(touching.indices.empty());
}

TEST(LoopRegressions, SegmentsAddedInOneBlockFitAsCutSegmentsDo)
{
    // Loops past their corner and back, a little apart: both ways of gathering them give the same doubles.
    std::vector<TangentSegment> cut;
    TangentSegments block;
    for (int j = 0; j < 5; ++j)
    {
        std::vector<float> v, p;
        for (int i = 0; i < 30; ++i)
        {
            v.push_back(static_cast<float>(100 - 2 * i + j));
            p.push_back(static_cast<float>(10 + 110 * std::sin(i / 12.0) + 3 * j + (i * 7 + j) % 3));
        }
        ASSERT_TRUE(CutTangentSegment(p, v, 100.0 + j, 10.0, 1.0, cut.emplace_back()));
        ASSERT_TRUE(AddTangentSegment(p, v, 100.0 + j, 10.0, 1.0, block));
    }
    EXPECT_FALSE(AddTangentSegment({1.0f}, {2.0f}, 100.0, 10.0, 1.0, block));
    FittedLine fromCut, fromBlock;
    TangentPoints touchedCut, touchedBlock;
    ASSERT_TRUE(FitTangentRelation(cut, fromCut, touchedCut));
    ASSERT_TRUE(FitTangentRelation(block, fromBlock, touchedBlock));
    EXPECT_EQ(std::tie(fromCut.slope, fromCut.intercept, fromCut.fit),
        std::tie(fromBlock.slope, fromBlock.intercept, fromBlock.fit));
    EXPECT_EQ(touchedCut.indices, touchedBlock.indices);
    EXPECT_EQ(touchedCut.pressures, touchedBlock.pressures);
}

TEST(LoopRegressions, TangentRelationWithoutSpreadInTheTouchingPointsFails)
{
    // Loops touching the line at one point leave its slope undefined: no line, as for the other fits.
    FittedLine line{1.0, 2.0, 0.5};
    TangentPoints touching;
    EXPECT_FALSE(FitTangentRelation(ArcsTouchingTheLine({60.0, 60.0}), line, touching));
    EXPECT_EQ(std::tie(line.intercept, line.slope, line.fit), std::make_tuple(1.0, 2.0, 0.5));
    EXPECT_TRUE(touching.indices.empty());
}
