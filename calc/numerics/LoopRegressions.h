// The relations fitted across the loops of an analysis: straight lines (least squares and major axis),
// the quadratic end-systolic and the exponential end-diastolic relation, the point where an end-systolic
// and an end-diastolic relation meet, and the end-systolic tangent line with the loop segments it needs.
// Every fit takes one (x, y) pair per loop taking part, in the units the caller chose.
#pragma once

#include "calc/numerics/EspvrTangentFit.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace Sistra
{

// One (x, y) pair per loop taking part in a regression.
struct LoopPoints
{
    std::vector<double> x;
    std::vector<double> y;

    void Add(double xValue, double yValue)
    {
        x.push_back(xValue);
        y.push_back(yValue);
    }
    std::size_t Size() const { return x.size(); }
    // The pairs whose two values are finite: those the curved fits take.
    std::size_t FiniteCount() const;
};

// y = intercept + slope x, with r squared (the major-axis line hands out r, not squared).
struct FittedLine
{
    double intercept = 0.0;
    double slope = 0.0;
    double fit = 0.0;
};

// How a relation's two quantities are shown: shown value = factor × recorded value (x across, y up).
struct RelationFactors
{
    double x = 1.0;
    double y = 1.0;
};

// A fit further from its points than their mean (r squared below 0) relates nothing, whatever its terms:
// it is no fit, and nothing may be worked out from it.
inline bool FitsWorseThanMean(double rSquared) { return rSquared < 0.0; }

// A relation fitted over shown values, as it reads over recorded ones; the measure of fit is the same.
FittedLine LineInRecordedUnits(const FittedLine& shown, const RelationFactors& factors);
// c0 + c1 V + c2 V².
std::array<double, 3> QuadraticInRecordedUnits(const std::array<double, 3>& shown, const RelationFactors& factors);
// A e^(B V): amplitude and rate.
std::pair<double, double> ExponentialInRecordedUnits(double amplitude, double rate, const RelationFactors& factors);

// Ordinary least squares over the pairs whose two values are finite, each value taken as a float.
// False for fewer than two pairs or no spread in x or in y (the slope or r squared would not be finite),
// also where the values differ by no more than a few float units (their rounding, not a spread).
bool FitLeastSquaresLine(const LoopPoints& points, FittedLine& line);

// How far the slope of that line over these pairs can move by the rounding of its values to floats alone:
// two slopes closer than this cannot be told apart by the pairs.
double LeastSquaresSlopeResolution(const LoopPoints& points, double slope);

// Major-axis line (perpendicular distances). Intercept and slope are written once there are two pairs
// spreading beyond rounding (as the straight line takes it); the result is false, with fit untouched,
// when x or y has no spread.
bool FitMajorAxisLine(const LoopPoints& points, FittedLine& line);

// P = c0 + c1 V + c2 V² over the finite pairs. Fewer than three pairs: false, coefficients untouched;
// otherwise the coefficients are handed out whatever the fit's outcome: NaN when the pairs cannot
// determine a quadratic (fewer than three volumes, or pressures without spread, told apart no finer than
// a float resolves). rSquared, when given, is written when the fit and its statistics succeed; a fit
// worse than the points' mean is false, its r squared written.
bool FitQuadraticRelation(const LoopPoints& points, std::array<double, 3>& coefficients, double* rSquared);

// P = A e^(B V) over the finite pairs. Fewer than two pairs: false, outputs untouched; otherwise A and B
// are handed out. True only for a converged fit with finite A >= 0 and finite B that fits better than the
// points' mean. rSquared, when given, is written whenever the fit's statistics can be had, so that a fit
// worse than the mean can say so.
bool FitExponentialRelation(const LoopPoints& points, double& amplitude, double& rate, double* rSquared);

// The same fit's outcome, kept: its r squared is taken whenever the solver converged on terms whose
// statistics can be had.
struct ExponentialRelationFit
{
    bool fitted = false;   // the answer FitExponentialRelation gives
    bool hasTerms = false; // A and B are handed out
    double amplitude = 0.0;
    double rate = 0.0;
    std::optional<double> rSquared;

    // What FitExponentialRelation answers and hands out.
    bool HandOut(double& amplitudeOut, double& rateOut, double* rSquaredOut) const;
};
ExponentialRelationFit FitExponentialRelation(const LoopPoints& points);

// An end-systolic relation: a line (c0 + c1 V) or a quadratic (c0 + c1 V + c2 V²).
struct EndSystolicRelation
{
    bool quadratic = false;
    std::array<double, 3> terms{}; // c0, c1, c2
};

// An end-diastolic relation: a line (terms: intercept, slope) or an exponential (terms: A, B).
struct EndDiastolicRelation
{
    bool exponential = false;
    std::array<double, 2> terms{};
};

// Where the two relations meet, searched (where it takes a search) by the secant rule from 0 and the
// largest end-diastolic volume (for a quadratic, its vertex when that is smaller). False for parallel
// lines or a search that does not settle. The search is judged against the data's own scales (the
// largest end-diastolic volume, the relations' pressures there), so the same relations in other units
// meet at the same point.
bool IntersectRelations(const EndSystolicRelation& es, const EndDiastolicRelation& ed, double largestVed,
    double& volume, double& pressure);

// The sizes a root search judges itself by: of the values x runs over and of the values g takes.
struct SecantScales
{
    double x = 1.0;
    double g = 1.0;
};

// A root of g by the secant rule from x0 and x1: at most 100 steps, settled when a step is below 1e-12
// of scales.x and refused when g is then still above 1e-6 of scales.g.
bool SolveBySecant(const std::function<double(double)>& g, double x0, double x1, double& root,
    const SecantScales& scales = {});

// The smoothing window of a tangent segment: a quarter of its length, made odd.
int32_t TangentSmoothingWindow(int32_t segmentLength);

// Where a loop's segment for the tangent fit turns: the sample farthest from end diastole.
struct TangentCorner
{
    double cornerVolume = 0.0;
    double cornerPressure = 0.0;
    double towardsPreviousVolume = 0.0;   // from the corner to the sample before it
    double towardsPreviousPressure = 0.0;
};

// One loop's segment for the tangent fit, cut from its (smoothed) samples after end diastole.
struct TangentSegment : TangentCorner
{
    TangentFitLoop loop;
};

// Many loops' segments: their samples in one block, and each one's corner, where the fit starts from.
struct TangentSegments
{
    TangentFitSamples samples;
    std::vector<TangentCorner> corners;
};

// The corner is the sample farthest from the end-diastolic point (ved, ped) with volumes scaled by
// volumeScale; the segment runs from the first sample up to the first sample after the corner whose
// pressure falls below 0.6 of the corner's. False, for a loop without a corner, when fewer than two
// samples are given, when volumeScale is not finite (a loop whose volume does not change) or when the
// segment's volume never changes from one sample to the next: no line can touch such a loop.
bool CutTangentSegment(const std::vector<float>& pressures, const std::vector<float>& volumes, double ved,
    double ped, double volumeScale, TangentSegment& segment);
// The same segment added to segments; false, adding nothing, when fewer than two samples are given.
bool AddTangentSegment(const std::vector<float>& pressures, const std::vector<float>& volumes, double ved,
    double ped, double volumeScale, TangentSegments& segments);

// The line touching every segment, fitted by the tangent-line fit from starts that no single loop
// decides: the least-squares line over every slope with the loops touching at their secants' middles
// (TangentSlopeSweep.h), the least-squares line through the segments' corners, and the steep line through
// the corner whose direction is the median of the corners' directions; of the fits that succeed, the one
// with the smallest sum of squared deviates wins, after a scan of slopes close to it and to the swept start
// with a fit from the best of them (the residual is rugged at that scale). r squared of the touching points
// by least squares. False for fewer than two segments, failed fits or touching points without spread, where
// no line is defined (line untouched); touching then holds nothing.
bool FitTangentRelation(const std::vector<TangentSegment>& segments, FittedLine& line, TangentPoints& touching);
bool FitTangentRelation(const TangentSegments& segments, FittedLine& line, TangentPoints& touching);

} // namespace Sistra
