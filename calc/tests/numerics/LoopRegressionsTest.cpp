#include "calc/numerics/LoopRegressions.h"
#include "calc/tests/MriLikeLoops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
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

// Whether values spread is judged against their size: volumes 0.001 uL apart fit in litres as in microlitres.
TEST(LoopRegressions, StraightLinesOfASmallSpreadFitInEveryUnit)
{
    for (const LineCase& c : LineFits)
        for (double factor : {1.0, 1e-3, 1e-6})
        {
            LoopPoints shown;
            for (int i = 0; i < 10; ++i)
                shown.Add((30.0 + 0.001 * i) * factor, 2.0 * (30.0 + 0.001 * i) + 5.0);
            FittedLine line;
            ASSERT_TRUE(c.fit(shown, line)) << c.name << " " << factor;
            // Taken as floats, the volumes keep their spacing to some 1e-3.
            EXPECT_NEAR(2.0, line.slope * factor, 1e-2) << c.name << " " << factor;
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

// Values of an exact line, rounded to floats, tilt the fitted slope by no more than its resolution;
// a slope that differs by a ten-thousandth lies outside it on values as a recording gives them.
TEST(LoopRegressions, TheFittedSlopeOfAnExactLineLiesWithinItsResolution)
{
    std::mt19937 random(45);
    std::uniform_real_distribution<double> slopes(-3.0, 3.0), intercepts(-500.0, 500.0), starts(-1000.0, 1000.0),
        steps(0.01, 10.0);
    std::uniform_int_distribution<int> counts(3, 60);
    for (int trial = 0; trial < 1000; ++trial)
    {
        const double slope = slopes(random), intercept = intercepts(random), start = starts(random),
                     step = steps(random);
        LoopPoints points;
        for (int i = counts(random); i-- > 0;)
            points.Add(start + i * step, intercept + slope * (start + i * step));
        FittedLine line;
        ASSERT_TRUE(FitLeastSquaresLine(points, line));
        EXPECT_LE(std::fabs(line.slope - slope), LeastSquaresSlopeResolution(points, line.slope))
            << slope << " " << intercept << " " << start << " " << step;
    }
    LoopPoints oneStrokeVolume;
    for (int beat = 0; beat < 20; ++beat)
        oneStrokeVolume.Add(120.0 - beat / 2.0, 120.0 - beat / 2.0 - 67.336);
    EXPECT_LT(LeastSquaresSlopeResolution(oneStrokeVolume, 1.0), 1e-4);
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

TEST(LoopRegressions, QuadraticRelationIsTheSameInEveryVolumeUnit)
{
    // Scattered end-systolic points of a curved relation (uL, mmHg), shown in uL, mL and L.
    const double ves[] = {21, 24, 28, 31, 35, 38, 42, 47, 51, 55};
    const double noise[] = {1.5, -2, 0.5, 2.5, -1.5, -0.5, 2, -2.5, 1, -1};
    // The least-squares parabola of these points in uL, solved from the normal equations in the test.
    double s[5] = {}, t[3] = {};
    LoopPoints microlitres;
    for (int i = 0; i < 10; ++i)
    {
        const double p = -40.0 + 6.0 * ves[i] - 0.05 * ves[i] * ves[i] + noise[i];
        microlitres.Add(ves[i], p);
        for (int k = 0; k < 5; ++k)
            s[k] += std::pow(ves[i], k);
        for (int k = 0; k < 3; ++k)
            t[k] += p * std::pow(ves[i], k);
    }
    const auto det3 = [](double a, double b, double c, double d, double e, double f, double g, double h, double i) {
        return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    };
    const double d = det3(s[0], s[1], s[2], s[1], s[2], s[3], s[2], s[3], s[4]);
    const double exact[3] = {det3(t[0], s[1], s[2], t[1], s[2], s[3], t[2], s[3], s[4]) / d,
                             det3(s[0], t[0], s[2], s[1], t[1], s[3], s[2], t[2], s[4]) / d,
                             det3(s[0], s[1], t[0], s[1], s[2], t[1], s[2], s[3], t[2]) / d};
    FittedLine line;
    ASSERT_TRUE(FitLeastSquaresLine(microlitres, line));
    for (double factor : {1.0, 1e-3, 1e-6})
    {
        SCOPED_TRACE(factor);
        LoopPoints shown;
        for (std::size_t i = 0; i < microlitres.Size(); ++i)
            shown.Add(microlitres.x[i] * factor, microlitres.y[i]);
        std::array<double, 3> c{};
        double r2 = 0.0;
        ASSERT_TRUE(FitQuadraticRelation(shown, c, &r2));
        EXPECT_NEAR(exact[0], c[0], 1e-6 * std::fabs(exact[0]));
        EXPECT_NEAR(exact[1], c[1] * factor, 1e-6 * std::fabs(exact[1]));
        EXPECT_NEAR(exact[2], c[2] * factor * factor, 1e-6 * std::fabs(exact[2]));
        EXPECT_GE(r2, line.fit);
        EXPECT_LT(r2, 1.0);
    }
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

// A human preload reduction whose recording dropped to 0 for a second: one loop at (0 mL, 0 mmHg). Its
// pressure has no logarithm, so no start can be drawn through it, yet the least-squares curve exists.
// Reference: numpy, a scan of the sum of squares over B with the best A for each B, refined by golden section.
TEST(LoopRegressions, ExponentialRelationFitsThroughALoopAtZeroPressure)
{
    LoopPoints points;
    for (int i = 0; i < 30; ++i)
    {
        const double v = 140.0 - 1.5 * i;
        points.Add(v, 0.5 * std::exp(0.025 * v) + 0.4 * std::sin(1.7 * i));
    }
    points.Add(0.0, 0.0);
    double a = NaN, b = NaN;
    ASSERT_TRUE(FitExponentialRelation(points, a, b, nullptr));
    EXPECT_NEAR(0.4845162157063566, a, 1e-5 * a);
    EXPECT_NEAR(0.025252394240653696, b, 1e-5 * b);
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

// The same relations shown in litres, millilitres or microlitres and in mmHg or kPa meet at the same
// point: the search stops relative to the data's scales, not on absolute numbers (in litres a relation
// of 8e6 mmHg/L could never get its residual below an absolute 1e-6).
TEST(LoopRegressions, RelationsMeetAtTheSamePointInEveryUnit)
{
    const struct
    {
        const char* name;
        EndSystolicRelation es; // in mmHg and microlitres
        EndDiastolicRelation ed;
    } relations[] = {
        {"line, exponential", {false, {-50.0, 8.0, 0.0}}, {true, {2.0, 0.04}}},
        {"quadratic, line", {true, {-40.0, 8.0, -0.01}}, {false, {4.0, 0.1}}},
        {"quadratic, exponential", {true, {-40.0, 8.0, -0.01}}, {true, {2.0, 0.04}}},
    };
    constexpr double Largest = 35.0;
    for (const auto& r : relations)
    {
        double v0 = NaN, p0 = NaN;
        ASSERT_TRUE(IntersectRelations(r.es, r.ed, Largest, v0, p0)) << r.name;
        for (const double litresPer : {1e-6, 1e-3, 1.0})
            for (const double pressurePer : {1.0, 0.133322})
            {
                SCOPED_TRACE(std::string(r.name) + " " + std::to_string(litresPer) + " " + std::to_string(pressurePer));
                const auto [c0, c1, c2] = r.es.terms;
                const EndSystolicRelation es{r.es.quadratic,
                    {pressurePer * c0, pressurePer * c1 / litresPer, pressurePer * c2 / (litresPer * litresPer)}};
                const EndDiastolicRelation ed{r.ed.exponential,
                    r.ed.exponential ? std::array{pressurePer * r.ed.terms[0], r.ed.terms[1] / litresPer}
                                     : std::array{pressurePer * r.ed.terms[0], pressurePer * r.ed.terms[1] / litresPer}};
                double v = NaN, p = NaN;
                ASSERT_TRUE(IntersectRelations(es, ed, Largest * litresPer, v, p));
                EXPECT_NEAR(v0, v / litresPer, 1e-9 * v0);
                EXPECT_NEAR(p0, p / pressurePer, 1e-9 * std::fabs(p0));
            }
    }
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

TEST(LoopRegressions, LoopsWithoutACornerGiveNoSegment)
{
    const float inf = std::numeric_limits<float>::infinity();
    const struct
    {
        const char* name;
        std::vector<float> p, v;
        double volumeScale;
    } cases[] = {
        {"one sample", {120}, {60}, 1.0},
        {"no samples", {}, {}, 1.0},
        {"every sample at end diastole", {10, 10, 10}, {100, 100, 100}, 1.0},
        {"a loop that does not eject", {10, 80, 120, 90}, {100, 100, 100, 100}, 1.0},
        {"volume steps only after the cut", {10, 120, 20, 20}, {100, 100, 100, 90}, 1.0},
        {"a volume scale of a loop whose volume never changes", {10, 80, 120, 90}, {100, 90, 70, 60}, inf},
    };
    for (const auto& c : cases)
    {
        TangentSegment segment;
        TangentSegments block;
        EXPECT_FALSE(CutTangentSegment(c.p, c.v, 100.0, 10.0, c.volumeScale, segment)) << c.name;
        EXPECT_FALSE(AddTangentSegment(c.p, c.v, 100.0, 10.0, c.volumeScale, block)) << c.name;
        EXPECT_EQ(0u, block.samples.LoopCount()) << c.name;
    }
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

TEST(LoopRegressions, NoSingleLoopDecidesWhereTheTangentFitStarts)
{
    // Whatever direction the first loop's corner gives (none, flat, backwards), the same line is found.
    for (const auto& [volumeStep, pressureStep] :
         {std::pair{0.0, 1.0}, std::pair{1.0, 0.0}, std::pair{-1.0, 5.0}, std::pair{0.0, 0.0}})
    {
        std::vector<TangentSegment> segments = ArcsTouchingTheLine({45.0, 55.0, 65.0, 75.0});
        segments.front().towardsPreviousVolume = volumeStep;
        segments.front().towardsPreviousPressure = pressureStep;
        FittedLine line;
        TangentPoints touching;
        ASSERT_TRUE(FitTangentRelation(segments, line, touching)) << volumeStep << ", " << pressureStep;
        EXPECT_NEAR(2.0, line.slope, 0.01);
        EXPECT_NEAR(5.0, line.intercept, 0.5);
    }
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

namespace
{

// Sum of squared deviates of the loops from the line of slope k and its best intercept.
double SquaresAtBestIntercept(const TangentSegments& segments, double k, double& d)
{
    std::vector<double> deviates(segments.samples.LoopCount());
    d = 0.0;
    for (int pass = 0; pass < 3; ++pass)
    {
        TangentDeviates(segments.samples, k, d, deviates.data(), nullptr);
        double mean = 0.0;
        for (double deviate : deviates)
            mean += deviate / static_cast<double>(deviates.size());
        d += mean;
    }
    TangentDeviates(segments.samples, k, d, deviates.data(), nullptr);
    double squares = 0.0;
    for (double deviate : deviates)
        squares += deviate * deviate;
    return squares;
}

} // namespace

// The fitted line is no worse than the best of a dense grid of slopes, each at its best intercept: the
// least-squares optimum, not the nearest of the residual's many local ones (seeds 23 and 27 have theirs in
// a dip narrower than a fit from the swept start keeps to).
TEST(LoopRegressions, TangentRelationFindsTheLeastSquaresLineOnMriLikeLoops)
{
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u, 23u, 27u})
    {
        const TangentSegments segments = CalcTesting::MriLikeLoops(seed, 30);
        FittedLine line;
        TangentPoints touching;
        ASSERT_TRUE(FitTangentRelation(segments, line, touching));
        double d = 0.0, best = std::numeric_limits<double>::infinity();
        for (double k = 0.5; k < 3.5; k += 0.001)
            best = std::min(best, SquaresAtBestIntercept(segments, k, d));
        EXPECT_LE(SquaresAtBestIntercept(segments, line.slope, d), best * (1.0 + 1e-6)) << "seed " << seed;
    }
}
