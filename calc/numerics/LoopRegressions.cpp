// Least squares line over n pairs (each value taken as a float), with sums about the means:
//     Sxx = Σ(x − mx)²,  Syy = Σ(y − my)²,  Sxy = Σ(x − mx)(y − my),
//     slope = Sxy / Sxx,  intercept = my − slope·mx,  r² = Sxy² / (Sxx·Syy).
// Major axis line (minimises perpendicular distances):
//     d = Sxx − Syy,  q = sqrt(d² + (2 Sxy)²),  slope = (q − d) / (2 Sxy)  (the root whose sign is Sxy's),
//     intercept = my − slope·mx,  r = Sxy / sqrt(Sxx·Syy).
// The quadratic and exponential relations are fitted by Levenberg-Marquardt through the curve-fit driver.
// The quadratic is fitted over standardised values u = (x − mx) / sx, q = (y − my) / sy (sx, sy the
// standard deviations), so that its three parameters are of one size whatever unit the values are shown
// in (in litres x² is some 1e-9 of x, and the solver stopped far from the optimum). With q = a0 + a1 u +
// a2 u², back in shown values:
//     c2 = sy a2 / sx²,  c1 = sy (a1 / sx − 2 a2 mx / sx²),  c0 = my + sy (a0 − a1 mx / sx + a2 mx² / sx²).
// A quadratic fits at least as well as the straight line through the same points, which is one of its
// candidates: a result worse than that line has not reached the optimum and is no fit.
#include "calc/numerics/LoopRegressions.h"

#include "calc/numerics/CurveFit.h"
#include "calc/numerics/Matrix.h"
#include "calc/numerics/TangentSlopeSweep.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace Sistra
{
namespace
{

// Below this share of the values' own sum of squares, a centred sum of squares counts as no spread: the
// slope or the correlation would not be finite. A share, so that the same values in litres or microlitres
// spread alike.
constexpr double NoSpread = DBL_EPSILON;
// The secant rule stops when a step is smaller than this share of the volume scale, and gives up after
// MaxSecantSteps. Both tests are relative: an absolute one holds a relation recorded in litres (8e6
// mmHg/L) to a residual its last step of 1e-11 L cannot reach, and the same loops in microlitres not.
constexpr double SecantSettled = 1e-12;
constexpr int MaxSecantSteps = 100;
// What is left of g at a settled root, as a share of the pressure scale: more means the rule stalled.
constexpr double SecantResidual = 1e-6;
// The tangent segment ends where pressure falls below this share of the corner's pressure.
constexpr double SegmentEndShare = 0.6;
// The tangent fit starts much steeper than the loop's own direction at the corner, so that the line
// starts outside every loop.
constexpr double TangentStartSteepening = 1000.0;

// p0 + p1 x + p2 x², started as a downward parabola.
class QuadraticFunc final : public ExtLib::FunctionBase
{
public:
    std::int32_t GetParameterCount() const override { return 3; }
    void InitialGuess(const std::vector<double>&, const std::vector<double>&, std::vector<double>& params) const override
    {
        params = {0.0, 0.0, -1.0};
    }
    double Evaluate(double x, const std::vector<double>& params) const override
    {
        return params[0] + params[1] * x + params[2] * x * x;
    }
    void Gradient(double x, const std::vector<double>&, std::vector<double>& gradient) const override
    {
        gradient = {1.0, x, x * x};
    }
};

// p1 e^(p0 x) with both parameters free and the two-point start: the shared exponential serves as is.
using ExponFunc = ExtLib::ExponFunc;

// Centred sums of the pairs whose two values are finite, each value taken as a float. Taken about the
// means, so that equal values give no spread at all instead of the rounding left by Σx² − n·mx².
struct Spread
{
    double n = 0.0, mx = 0.0, my = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;
    double xx = 0.0, yy = 0.0; // the sums of squares about zero
};

// The pairs whose two values are finite, each value taken as a float.
LoopPoints FiniteFloatPairs(const LoopPoints& points)
{
    LoopPoints taken;
    for (std::size_t i = 0; i < points.Size(); ++i)
    {
        const auto x = static_cast<float>(points.x[i]);
        const auto y = static_cast<float>(points.y[i]);
        if (std::isfinite(x) && std::isfinite(y))
            taken.Add(x, y);
    }
    return taken;
}

Spread SpreadOf(const LoopPoints& pairs)
{
    Spread s;
    s.n = static_cast<double>(pairs.Size());
    if (pairs.Size() == 0)
        return s;
    for (std::size_t i = 0; i < pairs.Size(); ++i)
    {
        s.mx += pairs.x[i];
        s.my += pairs.y[i];
    }
    s.mx /= s.n;
    s.my /= s.n;
    for (std::size_t i = 0; i < pairs.Size(); ++i)
    {
        const double dx = pairs.x[i] - s.mx, dy = pairs.y[i] - s.my;
        s.sxx += dx * dx;
        s.syy += dy * dy;
        s.sxy += dx * dy;
        s.xx += pairs.x[i] * pairs.x[i];
        s.yy += pairs.y[i] * pairs.y[i];
    }
    return s;
}

LoopPoints FinitePairs(const LoopPoints& points)
{
    LoopPoints finite;
    for (std::size_t i = 0; i < points.Size(); ++i)
        if (std::isfinite(points.x[i]) && std::isfinite(points.y[i]))
            finite.Add(points.x[i], points.y[i]);
    return finite;
}

bool HasSpread(double centred, double aboutZero) { return std::fabs(centred) > NoSpread * aboutZero; }

// A quadratic's measure of fit may fall below the straight line's by this much (rounding) and still count.
constexpr double QuadraticBelowLineTolerance = 1e-9;

// How many values a set tells apart. Values within a few float units, at the set's size, of the least
// of a group are one value: samples are floats, and beats alike up to the last bits of their arithmetic
// make no spread, though standardising, or a slope over them, would blow those bits up into one.
constexpr double ResolvedFloatUnits = 4.0;

std::size_t ResolvedValueCount(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double largest = std::max(std::fabs(values.front()), std::fabs(values.back()));
    const double resolution = ResolvedFloatUnits * FLT_EPSILON * largest;
    std::size_t count = 1;
    double groupStart = values.front();
    for (double v : values)
        if (v - groupStart > resolution)
        {
            ++count;
            groupStart = v;
        }
    return count;
}

// Both quantities of the pairs spread beyond their rounding, so that a line through them is determined.
bool SpreadsBeyondRounding(const LoopPoints& pairs)
{
    return ResolvedValueCount(pairs.x) >= 2 && ResolvedValueCount(pairs.y) >= 2;
}

// Where a set of values lies and how far it spreads: value = mean + spread × standardised value.
struct Standardisation
{
    double mean = 0.0;
    double spread = 1.0;

    static Standardisation Of(const std::vector<double>& values)
    {
        Standardisation s;
        for (double v : values)
            s.mean += v / static_cast<double>(values.size());
        double squares = 0.0;
        for (double v : values)
            squares += (v - s.mean) * (v - s.mean);
        const double spread = std::sqrt(squares / static_cast<double>(values.size()));
        // Values without spread are only centred: whatever is fitted through them stays undetermined.
        if (spread > 0.0 && std::isfinite(spread))
            s.spread = spread;
        return s;
    }
    std::vector<double> Apply(const std::vector<double>& values) const
    {
        std::vector<double> standardised;
        standardised.reserve(values.size());
        for (double v : values)
            standardised.push_back((v - mean) / spread);
        return standardised;
    }
};

// 1 − SSE / SST of the quadratic with the given parameters over the points.
double QuadraticRSquared(const LoopPoints& points, const std::vector<double>& params)
{
    double mean = 0.0;
    for (double y : points.y)
        mean += y / static_cast<double>(points.Size());
    double sse = 0.0, sst = 0.0;
    for (std::size_t i = 0; i < points.Size(); ++i)
    {
        const double x = points.x[i];
        const double residual = points.y[i] - (params[0] + params[1] * x + params[2] * x * x);
        sse += residual * residual;
        sst += (points.y[i] - mean) * (points.y[i] - mean);
    }
    return 1.0 - sse / sst;
}

// r squared of fitted parameters from the driver's statistics; false when they cannot be had.
bool StatisticsRSquared(const LoopPoints& points, const std::vector<double>& params, const ExtLib::FunctionBase& f,
    double& rSquared)
{
    const auto p = static_cast<std::size_t>(f.GetParameterCount());
    std::vector<double> errors, lower(p), upper(p);
    double sse = 0.0, standardError = 0.0;
    int degreesOfFreedom = 0;
    try
    {
        return ExtLib::FitFunctionWithStatistics(points.x, points.y, params, errors, lower, upper, sse, rSquared,
            standardError, degreesOfFreedom, f);
    }
    catch (const ExtLib::MtxErr&)
    {
        return false; // a singular information matrix: no statistics
    }
}

template <class Relation>
bool IntersectBySearch(const Relation& difference, double start, const SecantScales& scales, double& volume)
{
    return SolveBySecant(difference, 0.0, start, volume, scales);
}

} // namespace

std::size_t LoopPoints::FiniteCount() const
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < Size(); ++i)
        count += std::isfinite(x[i]) && std::isfinite(y[i]) ? 1 : 0;
    return count;
}

FittedLine LineInRecordedUnits(const FittedLine& shown, const RelationFactors& factors)
{
    return {shown.intercept / factors.y, shown.slope * factors.x / factors.y, shown.fit};
}

std::array<double, 3> QuadraticInRecordedUnits(const std::array<double, 3>& shown, const RelationFactors& factors)
{
    return {shown[0] / factors.y, shown[1] * factors.x / factors.y, shown[2] * factors.x * factors.x / factors.y};
}

std::pair<double, double> ExponentialInRecordedUnits(double amplitude, double rate, const RelationFactors& factors)
{
    return {amplitude / factors.y, rate * factors.x};
}

bool FitLeastSquaresLine(const LoopPoints& points, FittedLine& line)
{
    const LoopPoints pairs = FiniteFloatPairs(points);
    const Spread s = SpreadOf(pairs);
    if (s.n < 2.0 || !HasSpread(s.sxx, s.xx) || !HasSpread(s.syy, s.yy) || !SpreadsBeyondRounding(pairs))
        return false;
    line.slope = s.sxy / s.sxx;
    line.intercept = s.my - line.slope * s.mx;
    line.fit = s.sxy * s.sxy / (s.sxx * s.syy);
    return true;
}

// A value taken as a float is off by up to half a unit in its last place, ε|v| with ε = 2^-24. The slope
// Sxy / Sxx moves by Σ(x − mx) δy / Sxx for errors δy in y and by about slope times that for errors in x,
// so by up to ε (max|y| + |slope| max|x|) Σ|x − mx| / Sxx. Twice that allows for the sums' own rounding.
double LeastSquaresSlopeResolution(const LoopPoints& points, double slope)
{
    constexpr double HalfFloatUnit = FLT_EPSILON / 2.0;
    constexpr double SumsRounding = 2.0;
    const LoopPoints pairs = FiniteFloatPairs(points);
    const Spread s = SpreadOf(pairs);
    if (!HasSpread(s.sxx, s.xx))
        return std::numeric_limits<double>::infinity();
    double largestX = 0.0, largestY = 0.0, deviations = 0.0;
    for (std::size_t i = 0; i < pairs.Size(); ++i)
    {
        largestX = std::max(largestX, std::fabs(pairs.x[i]));
        largestY = std::max(largestY, std::fabs(pairs.y[i]));
        deviations += std::fabs(pairs.x[i] - s.mx);
    }
    return SumsRounding * HalfFloatUnit * (largestY + std::fabs(slope) * largestX) * deviations / s.sxx;
}

bool FitMajorAxisLine(const LoopPoints& points, FittedLine& line)
{
    const LoopPoints pairs = FiniteFloatPairs(points);
    const Spread s = SpreadOf(pairs);
    // Without spread beyond rounding the axis' direction is the rounding's: nothing to write.
    if (s.n < 2.0 || !SpreadsBeyondRounding(pairs))
        return false;
    const double d = s.sxx - s.syy;
    const double q = std::sqrt(d * d + 4.0 * s.sxy * s.sxy);
    double slope = (q - d) / (2.0 * s.sxy);
    if (!(slope * 2.0 * s.sxy > 0.0))
        slope = (-d - q) / (2.0 * s.sxy);
    line.slope = slope;
    line.intercept = s.my - slope * s.mx;
    if (!HasSpread(s.sxx, s.xx) || !HasSpread(s.syy, s.yy))
        return false;
    line.fit = s.sxy / std::sqrt(s.sxx * s.syy);
    return true;
}

bool FitQuadraticRelation(const LoopPoints& points, std::array<double, 3>& coefficients, double* rSquared)
{
    const LoopPoints finite = FinitePairs(points);
    if (finite.Size() < 3)
        return false;
    // Points at fewer than three volumes leave the curvature undetermined, and pressures without spread
    // leave the measure of fit undetermined (the straight line refuses them too): no relation, whatever
    // the solver would make of the rounding.
    if (ResolvedValueCount(finite.x) < 3 || ResolvedValueCount(finite.y) < 2)
    {
        coefficients.fill(std::numeric_limits<double>::quiet_NaN());
        return false;
    }
    const Standardisation sx = Standardisation::Of(finite.x), sy = Standardisation::Of(finite.y);
    const LoopPoints standard{sx.Apply(finite.x), sy.Apply(finite.y)};
    const QuadraticFunc f;
    std::vector<double> a;
    const bool converged = ExtLib::FitFunction(standard.x, standard.y, a, f);
    const double mx = sx.mean / sx.spread;
    coefficients[2] = sy.spread * a[2] / (sx.spread * sx.spread);
    coefficients[1] = sy.spread * (a[1] - 2.0 * a[2] * mx) / sx.spread;
    coefficients[0] = sy.mean + sy.spread * (a[0] - a[1] * mx + a[2] * mx * mx);
    FittedLine line;
    const double r2 = QuadraticRSquared(standard, a);
    const bool fitted = converged && std::isfinite(r2) && !FitsWorseThanMean(r2) &&
                        std::all_of(coefficients.begin(), coefficients.end(), [](double c) { return std::isfinite(c); }) &&
                        (!FitLeastSquaresLine(standard, line) || r2 >= line.fit - QuadraticBelowLineTolerance);
    if (!fitted)
        return false;
    if (!rSquared)
        return true;
    double statisticsR2 = 0.0;
    if (!StatisticsRSquared(standard, a, f, statisticsR2))
        return false;
    *rSquared = statisticsR2;
    return !FitsWorseThanMean(statisticsR2);
}

ExponentialRelationFit FitExponentialRelation(const LoopPoints& points)
{
    ExponentialRelationFit fit;
    const LoopPoints finite = FinitePairs(points);
    if (finite.Size() < 2)
        return fit;
    const ExponFunc f;
    std::vector<double> params;
    const bool converged = ExtLib::FitFunction(finite.x, finite.y, params, f);
    fit.hasTerms = true;
    fit.rate = params[0];
    fit.amplitude = params[1];
    // A pressure curve needs a finite, non-negative amplitude and a finite rate, and points at more than one
    // volume: through a single point any rate passes, and the solver's answer there means nothing.
    fit.fitted = converged && std::isfinite(fit.amplitude) && std::isfinite(fit.rate) && fit.amplitude >= 0.0 &&
                 ResolvedValueCount(finite.x) >= 2;
    double r2 = 0.0;
    if (fit.fitted && StatisticsRSquared(finite, params, f, r2))
        fit.rSquared = r2;
    // Pressures the curve cannot reach (all below 0, where A >= 0 keeps it) leave the solver at terms
    // that miss every point by far more than the points' spread.
    if (fit.rSquared && FitsWorseThanMean(*fit.rSquared))
        fit.fitted = false;
    return fit;
}

bool ExponentialRelationFit::HandOut(double& amplitudeOut, double& rateOut, double* rSquaredOut) const
{
    if (!hasTerms)
        return false;
    amplitudeOut = amplitude;
    rateOut = rate;
    if (rSquaredOut && rSquared)
        *rSquaredOut = *rSquared;
    return fitted;
}

bool FitExponentialRelation(const LoopPoints& points, double& amplitude, double& rate, double* rSquared)
{
    return FitExponentialRelation(points).HandOut(amplitude, rate, rSquared);
}

bool SolveBySecant(const std::function<double(double)>& g, double x0, double x1, double& root,
    const SecantScales& scales)
{
    double g0 = g(x0);
    for (int step = 0; step < MaxSecantSteps; ++step)
    {
        const double g1 = g(x1);
        const double change = g1 * (x1 - x0) / (g1 - g0);
        if (!std::isfinite(change))
            return false;
        if (std::fabs(change) < SecantSettled * scales.x)
        {
            // A step can also become small where g is steep without being near zero there.
            if (std::fabs(g1) > SecantResidual * scales.g)
                return false;
            root = x1;
            return true;
        }
        x0 = x1;
        g0 = g1;
        x1 -= change;
    }
    return false;
}

bool IntersectRelations(const EndSystolicRelation& es, const EndDiastolicRelation& ed, double largestVed,
    double& volume, double& pressure)
{
    const auto [c0, c1, c2] = es.terms;
    auto endSystolic = [&](double v) { return es.quadratic ? c0 + c1 * v + c2 * v * v : c0 + c1 * v; };
    auto endDiastolic = [&](double v) {
        return ed.exponential ? ed.terms[0] * std::exp(ed.terms[1] * v) : ed.terms[0] + ed.terms[1] * v;
    };
    double v = 0.0;
    if (!es.quadratic && !ed.exponential)
    {
        const double edSlope = ed.terms[1];
        if (edSlope == c1)
            return false;
        v = (c0 - ed.terms[0]) / (edSlope - c1);
    }
    else
    {
        double start = largestVed;
        // Past its vertex a quadratic turns back: search on the rising side.
        if (es.quadratic && c2 != 0.0)
            start = std::min(start, -c1 / (2.0 * c2));
        // The loops' own sizes: their largest volume, and the pressures the relations give there.
        const SecantScales scales{std::max(std::fabs(largestVed), std::fabs(start)),
            std::max(std::fabs(endSystolic(start)), std::fabs(endDiastolic(start)))};
        if (!IntersectBySearch([&](double x) { return endSystolic(x) - endDiastolic(x); }, start, scales, v))
            return false;
    }
    volume = v;
    pressure = endSystolic(v);
    return std::isfinite(volume) && std::isfinite(pressure);
}

int32_t TangentSmoothingWindow(int32_t segmentLength)
{
    const auto window = static_cast<int32_t>(0.25 * segmentLength);
    return window % 2 == 0 ? window + 1 : window;
}

namespace
{

// Whether the volume changes anywhere between consecutive samples of the first count: a loop whose
// volume stands still (it does not eject) has no slope at which a line could touch it.
bool VolumeChanges(const std::vector<float>& volumes, std::size_t count)
{
    for (std::size_t i = 1; i < count; ++i)
    {
        const double step = static_cast<double>(volumes[i]) - volumes[i - 1];
        if (step != 0.0 && std::isfinite(step))
            return true;
    }
    return false;
}

// The corner of a segment and where the segment ends; none for a loop without a corner.
std::optional<std::size_t> CutAt(const std::vector<float>& pressures, const std::vector<float>& volumes, double ved,
    double ped, double volumeScale, TangentCorner& cut)
{
    const std::size_t count = std::min(pressures.size(), volumes.size());
    if (count < 2 || !std::isfinite(volumeScale))
        return std::nullopt;
    std::size_t corner = 0;
    double farthest = 0.0;
    for (std::size_t i = 0; i < count; ++i)
    {
        const double dv = volumeScale * volumes[i] - volumeScale * ved;
        const double dp = pressures[i] - ped;
        const double distance = dv * dv + dp * dp;
        if (distance > farthest)
        {
            farthest = distance;
            corner = i;
        }
    }
    // The corner needs a sample before it to give the loop's direction there.
    if (corner == 0)
        corner = 1;
    std::size_t end = corner;
    while (end < count && pressures[end] >= SegmentEndShare * pressures[corner])
        ++end;
    if (!VolumeChanges(volumes, end))
        return std::nullopt;
    cut.cornerVolume = volumes[corner];
    cut.cornerPressure = pressures[corner];
    cut.towardsPreviousVolume = static_cast<double>(volumes[corner - 1]) - volumes[corner];
    cut.towardsPreviousPressure = static_cast<double>(pressures[corner - 1]) - pressures[corner];
    return end;
}

// Sum of squared deviates of the loops from the line.
double SquaredDeviates(const TangentFitSamples& samples, const std::array<double, 2>& line)
{
    std::vector<double> deviates(samples.LoopCount());
    TangentDeviates(samples, line[0], line[1], deviates.data(), nullptr);
    double sum = 0.0;
    for (double deviate : deviates)
        sum += deviate * deviate;
    return sum;
}

// The scan around a tangent line: this many slopes on either side, each this share of the line's slope
// from the next (1.5 % either way in all), fine enough to land in the narrow dips of the residual.
constexpr int TangentScanSteps = 30;
constexpr double TangentScanStep = 0.0005;

// The residual is rugged at the scale of the spacing of the loops' secants, and a fit stops in the dip
// nearest its start: slopes a little either side of the line around, each at the intercept that leaves the
// deviates (nearly) no mean, and a fit from the least of them. best and its squares become whichever line
// has the fewest squares.
void RefineTangentLine(const TangentFitSamples& samples, const std::array<double, 2>& around,
    std::array<double, 2>& best, double& bestSquares)
{
    TangentDeviateSeries series(samples);
    std::vector<double> deviates(samples.LoopCount());
    const auto squaresAt = [&](std::array<double, 2>& line) {
        series.Deviates(line[0], line[1], deviates.data());
        double mean = 0.0;
        for (double deviate : deviates)
            mean += deviate / static_cast<double>(deviates.size());
        line[1] += mean;
        series.Deviates(line[0], line[1], deviates.data());
        double sum = 0.0;
        for (double deviate : deviates)
            sum += deviate * deviate;
        return sum;
    };
    std::optional<std::array<double, 2>> scanned;
    double scannedSquares = bestSquares;
    for (int i = -TangentScanSteps; i <= TangentScanSteps; ++i)
    {
        std::array<double, 2> line{around[0] * (1.0 + TangentScanStep * i), around[1]};
        if (const double squares = squaresAt(line); squares < scannedSquares)
        {
            scanned = line;
            scannedSquares = squares;
        }
    }
    if (!scanned)
        return;
    best = *scanned;
    bestSquares = scannedSquares;
    std::array<double, 2> fitted{};
    if (!FitEspvrTangentLine(samples, *scanned, fitted))
        return;
    if (const double squares = SquaredDeviates(samples, fitted); squares < bestSquares)
    {
        best = fitted;
        bestSquares = squares;
    }
}

// Where the tangent fit starts from: lines that no single loop decides.
std::vector<std::array<double, 2>> TangentStarts(const TangentSegments& segments,
    const std::optional<std::array<double, 2>>& swept)
{
    const std::vector<TangentCorner>& corners = segments.corners;
    std::vector<std::array<double, 2>> starts;
    // The least-squares line over every slope, its loops touching at their secants' middles: the residual
    // has many local optima, and only a start in the least one's basin ends there.
    if (swept)
        starts.push_back(*swept);
    // The corners lie near the end-systolic points, so the line through them lies near the relation.
    LoopPoints cornerPoints;
    for (const TangentCorner& corner : corners)
        cornerPoints.Add(corner.cornerVolume, corner.cornerPressure);
    FittedLine throughCorners;
    if (FitLeastSquaresLine(cornerPoints, throughCorners))
        starts.push_back({throughCorners.slope, throughCorners.intercept});
    // A line much steeper than the loops' direction at their corners starts outside every loop: taken at
    // the corner whose direction is the median one, of those that have a direction.
    std::vector<std::pair<double, const TangentCorner*>> directions;
    for (const TangentCorner& corner : corners)
    {
        const double slope = corner.towardsPreviousPressure / corner.towardsPreviousVolume;
        if (std::isfinite(slope))
            directions.emplace_back(slope, &corner);
    }
    if (!directions.empty())
    {
        const auto median = directions.begin() + static_cast<std::ptrdiff_t>((directions.size() - 1) / 2);
        std::nth_element(directions.begin(), median, directions.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        const double slope = TangentStartSteepening * median->first;
        const TangentCorner& corner = *median->second;
        starts.push_back({slope, corner.cornerPressure - slope * corner.cornerVolume});
    }
    return starts;
}

} // namespace

bool CutTangentSegment(const std::vector<float>& pressures, const std::vector<float>& volumes, double ved,
    double ped, double volumeScale, TangentSegment& segment)
{
    const std::optional<std::size_t> end = CutAt(pressures, volumes, ved, ped, volumeScale, segment);
    if (!end)
        return false;
    segment.loop.pressures.assign(pressures.begin(), pressures.begin() + static_cast<std::ptrdiff_t>(*end));
    segment.loop.volumes.assign(volumes.begin(), volumes.begin() + static_cast<std::ptrdiff_t>(*end));
    return true;
}

bool AddTangentSegment(const std::vector<float>& pressures, const std::vector<float>& volumes, double ved,
    double ped, double volumeScale, TangentSegments& segments)
{
    TangentCorner corner;
    const std::optional<std::size_t> end = CutAt(pressures, volumes, ved, ped, volumeScale, corner);
    if (!end)
        return false;
    segments.corners.push_back(corner);
    segments.samples.AddLoop(pressures.data(), volumes.data(), *end);
    return true;
}

bool FitTangentRelation(const std::vector<TangentSegment>& segments, FittedLine& line, TangentPoints& touching)
{
    TangentSegments block;
    std::size_t total = 0;
    for (const TangentSegment& segment : segments)
    {
        // A loop whose pressures and volumes differ in length gives no fit.
        if (segment.loop.pressures.size() != segment.loop.volumes.size())
        {
            touching = {};
            return false;
        }
        total += segment.loop.volumes.size();
    }
    block.samples.Reserve(total);
    for (const TangentSegment& segment : segments)
    {
        block.samples.AddLoop(segment.loop);
        block.corners.push_back(segment);
    }
    return FitTangentRelation(block, line, touching);
}

bool FitTangentRelation(const TangentSegments& segments, FittedLine& line, TangentPoints& touching)
{
    touching = {};
    if (segments.samples.LoopCount() < 2)
        return false;
    std::optional<std::array<double, 2>> best;
    double bestSquares = 0.0;
    const std::optional<std::array<double, 2>> swept = SweptTangentStart(segments.samples);
    const std::vector<std::array<double, 2>> starts = TangentStarts(segments, swept);
    for (const std::array<double, 2>& start : starts)
    {
        std::array<double, 2> fitted{};
        if (!FitEspvrTangentLine(segments.samples, start, fitted))
            continue;
        const double squares = SquaredDeviates(segments.samples, fitted);
        if (std::isfinite(squares) && (!best || squares < bestSquares))
        {
            best = fitted;
            bestSquares = squares;
        }
    }
    if (!best)
        return false;
    // Around the best fit, and around the swept start, which lies in the least optimum's basin even where
    // the fit from it leaves that basin.
    RefineTangentLine(segments.samples, std::array<double, 2>(*best), *best, bestSquares);
    if (swept)
        RefineTangentLine(segments.samples, *swept, *best, bestSquares);
    TangentPoints points;
    points.pressures.assign(segments.samples.LoopCount(), 0.0);
    points.volumes.assign(segments.samples.LoopCount(), 0.0);
    points.indices.assign(segments.samples.LoopCount(), 0);
    std::vector<double> deviates(segments.samples.LoopCount());
    TangentDeviates(segments.samples, (*best)[0], (*best)[1], deviates.data(), &points);
    // Touching points that do not spread (loops all alike) leave the line's slope to the solver's whim.
    FittedLine touchingLine;
    LoopPoints touched;
    touched.x = points.volumes;
    touched.y = points.pressures;
    if (!FitLeastSquaresLine(touched, touchingLine))
        return false;
    line.slope = (*best)[0];
    line.intercept = (*best)[1];
    line.fit = touchingLine.fit;
    touching = std::move(points);
    return true;
}

} // namespace Sistra
