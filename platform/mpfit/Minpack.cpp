#include "platform/mpfit/Minpack.h"

#include "platform/Processor.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

#include <emmintrin.h>

namespace minpack
{

namespace
{

// enorm sums components below this and above kNormGiant / n apart, rescaled, so no square leaves range.
constexpr double kNormDwarf = 1e-160;
constexpr double kNormGiant = 1e150;

// lmpar accepts |D x| when it is within this fraction of delta, and gives up after this many tries.
constexpr double kDeltaTolerance = 0.1;
constexpr int kLmparIterations = 10;

// Trust-region control of lmdif: a step is accepted above kAcceptRatio; the region shrinks below
// kShrinkRatio and grows above kGrowRatio.
constexpr double kAcceptRatio = 1e-4;
constexpr double kShrinkRatio = 0.25;
constexpr double kGrowRatio = 0.75;
constexpr double kMinShrink = 0.1;

// qrfac recomputes a downdated column norm when it has lost this much of its value.
constexpr double kNormRecomputeFactor = 0.05;

// Working arrays as long as the parameters, and as long as the residuals.
template <class T = double>
using Scratch = SmallBuffer<T, 64>;
using ResidualScratch = SmallBuffer<double, kInlineResiduals>;

// Element-wise divisions, the costliest steps of a small fit's iteration, four at a time where the
// processor has AVX2 (two otherwise): each quotient is the same double either way.
template <class Quotient>
[[gnu::always_inline]] inline void DivideEach(int n, double* out, Quotient quotient)
{
    for (int i = 0; i < n; ++i)
        out[i] = quotient(i);
}

__attribute__((target("avx2"))) void DivideInFour(int n, double* a, double d)
{
    DivideEach(n, a, [a, d](int i) { return a[i] / d; });
}

__attribute__((target("avx2"))) void DifferenceQuotientsInFour(int n, double* column, const double* base, double h)
{
    DivideEach(n, column, [column, base, h](int i) { return (column[i] - base[i]) / h; });
}

// a[i] /= d for i < n.
void DivideBy(int n, double* a, double d)
{
    if (Platform::HasAvx2())
        DivideInFour(n, a, d);
    else
        DivideEach(n, a, [a, d](int i) { return a[i] / d; });
}

// enorm's middle range (kNormDwarf, kNormGiant / n) of magnitudes, told two elements at a time by
// comparisons in both lanes of an SSE2 register, alongside the additions of the squares. Zeros count as
// inside: enorm leaves them out of every sum, and adding their zero squares to the middle sum changes
// nothing (a difference Jacobian's column has one wherever a sample sits at time zero). NaN compares false
// and so lies outside, as it does for enorm.
class MiddleRange
{
public:
    explicit MiddleRange(int n)
        : magnitudeBits_(_mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff))), dwarf_(_mm_set1_pd(kNormDwarf)),
          giant_(_mm_set1_pd(kNormGiant / n))
    {
    }

    // All ones in both lanes while every element met lies inside or is zero.
    static __m128d Start() { return _mm_castsi128_pd(_mm_set1_epi64x(-1)); }
    // Meets x[i] and x[i + 1], or x[i] alone when it is the last of n.
    __m128d Meet(__m128d inside, const double* x, int i, int n) const
    {
        return _mm_and_pd(inside, Inside(i + 1 < n ? _mm_loadu_pd(x + i) : _mm_set1_pd(x[i])));
    }
    static bool Held(__m128d inside) { return _mm_movemask_pd(inside) == 3; }

private:
    __m128d Inside(__m128d pair) const
    {
        const __m128d magnitude = _mm_and_pd(pair, magnitudeBits_);
        return _mm_or_pd(_mm_and_pd(_mm_cmpgt_pd(magnitude, dwarf_), _mm_cmplt_pd(magnitude, giant_)),
                         _mm_cmpeq_pd(magnitude, _mm_setzero_pd()));
    }

    __m128d magnitudeBits_;
    __m128d dwarf_;
    __m128d giant_;
};

// The norm of x when every element lies in enorm's middle range or is zero, where enorm adds the plain
// squares in order, and ends with the square root of that sum times exactly 1. None when an element lies
// outside.
std::optional<double> MiddleRangeNorm(int n, const double* x)
{
    if (n <= 0)
        return std::nullopt;
    const MiddleRange range(n);
    __m128d inside = MiddleRange::Start();
    double sum = 0.0;
    for (int i = 0; i < n; i += 2)
    {
        inside = range.Meet(inside, x, i, n);
        sum += x[i] * x[i];
        if (i + 1 < n)
            sum += x[i + 1] * x[i + 1];
    }
    return MiddleRange::Held(inside) ? std::optional<double>(std::sqrt(sum)) : std::nullopt;
}

// The same for two vectors, their sums added side by side so that neither waits on the other's additions.
std::optional<std::array<double, 2>> MiddleRangeNorms(int n, const double* x, const double* y)
{
    if (n <= 0)
        return std::nullopt;
    const MiddleRange range(n);
    __m128d inside = MiddleRange::Start();
    double sx = 0.0, sy = 0.0;
    for (int i = 0; i < n; i += 2)
    {
        inside = range.Meet(range.Meet(inside, x, i, n), y, i, n);
        sx += x[i] * x[i];
        sy += y[i] * y[i];
        if (i + 1 < n)
        {
            sx += x[i + 1] * x[i + 1];
            sy += y[i + 1] * y[i + 1];
        }
    }
    if (!MiddleRange::Held(inside))
        return std::nullopt;
    return std::array<double, 2>{std::sqrt(sx), std::sqrt(sy)};
}

// The norms of a's columns, two at a time where MiddleRangeNorms can take them.
void ColumnNorms(const ColumnMatrix& a, std::span<double> norms)
{
    const int m = a.Rows();
    int j = 0;
    for (; j + 1 < a.Cols(); j += 2)
    {
        if (const auto both = MiddleRangeNorms(m, a.Column(j), a.Column(j + 1)))
        {
            norms[j] = (*both)[0];
            norms[j + 1] = (*both)[1];
        }
        else
        {
            norms[j] = enorm(m, a.Column(j));
            norms[j + 1] = enorm(m, a.Column(j + 1));
        }
    }
    for (; j < a.Cols(); ++j)
        norms[j] = enorm(m, a.Column(j));
}

double ScaledNorm(int n, std::span<const double> diag, const double* x, std::span<double> work)
{
    for (int j = 0; j < n; ++j)
        work[j] = diag[j] * x[j];
    return enorm(n, work.data());
}

} // namespace

ColumnMatrix::ColumnMatrix(int rows, int cols)
    : rows_(rows), cols_(cols), data_(static_cast<size_t>(rows) * static_cast<size_t>(cols))
{
}

void DifferenceQuotients(int m, double* column, const double* base, double h)
{
    if (Platform::HasAvx2())
        DifferenceQuotientsInFour(m, column, base, h);
    else
        DivideEach(m, column, [column, base, h](int i) { return (column[i] - base[i]) / h; });
}

// Kept out of line, so that enorm's common case does not save the registers this one needs.
[[gnu::noinline]] double ThreeRangeNorm(int n, const double* x)
{
    double s1 = 0.0, s2 = 0.0, s3 = 0.0;
    double x1max = 0.0, x3max = 0.0;
    const double agiant = kNormGiant / n;
    for (int i = 0; i < n; ++i)
    {
        const double xabs = std::fabs(x[i]);
        if (xabs > kNormDwarf && xabs < agiant)
        {
            s2 += xabs * xabs;
        }
        else if (xabs <= kNormDwarf)
        {
            if (xabs > x3max)
            {
                s3 = 1.0 + s3 * (x3max / xabs) * (x3max / xabs);
                x3max = xabs;
            }
            else if (xabs != 0.0)
            {
                s3 += (xabs / x3max) * (xabs / x3max);
            }
        }
        else if (xabs > x1max)
        {
            s1 = 1.0 + s1 * (x1max / xabs) * (x1max / xabs);
            x1max = xabs;
        }
        else
        {
            s1 += (xabs / x1max) * (xabs / x1max);
        }
    }
    if (s1 != 0.0)
        return x1max * std::sqrt(s1 + (s2 / x1max) / x1max);
    if (s2 != 0.0)
    {
        if (s2 >= x3max)
            return std::sqrt(s2 * (1.0 + (x3max / s2) * (x3max * s3)));
        return std::sqrt(x3max * ((s2 / x3max) + (x3max * s3)));
    }
    return x3max * std::sqrt(s3);
}

double enorm(int n, const double* x)
{
    // Most vectors lie wholly in the middle range, where a loop that checks the range and adds the squares
    // runs at the pace of the additions alone.
    if (const auto norm = MiddleRangeNorm(n, x))
        return *norm;
    return ThreeRangeNorm(n, x);
}

namespace
{

// sums[t] = sum over i of v[i] targets[t][i], for count targets of length vectors each. The sums are
// independent: two at a time, each added in order, so that one's additions overlap the other's.
void ReflectionProducts(int length, const double* v, std::span<const double* const> targets, std::span<double> sums)
{
    const std::size_t count = targets.size();
    std::size_t t = 0;
    for (; t + 1 < count; t += 2)
    {
        const double* x = targets[t];
        const double* y = targets[t + 1];
        double sx = 0.0, sy = 0.0;
        for (int i = 0; i < length; ++i)
        {
            sx += v[i] * x[i];
            sy += v[i] * y[i];
        }
        sums[t] = sx;
        sums[t + 1] = sy;
    }
    if (t < count)
    {
        double sum = 0.0;
        for (int i = 0; i < length; ++i)
            sum += v[i] * targets[t][i];
        sums[t] = sum;
    }
}

} // namespace

void qrfac(ColumnMatrix& a, std::span<int> ipvt, std::span<double> rdiag, std::span<double> acnorm,
    double machinePrecision, std::span<double> residuals)
{
    const int m = a.Rows();
    const int n = a.Cols();
    Scratch<> lastNorm(static_cast<std::size_t>(n));
    ColumnNorms(a, acnorm);
    for (int j = 0; j < n; ++j)
    {
        rdiag[j] = acnorm[j];
        lastNorm[j] = rdiag[j];
        ipvt[j] = j;
    }

    const bool carried = !residuals.empty();
    Scratch<const double*> targets(static_cast<std::size_t>(n));
    Scratch<> products(static_cast<std::size_t>(n));
    const int minmn = std::min(m, n);
    for (int j = 0; j < minmn; ++j)
    {
        // Move the column of largest remaining norm into the pivot position.
        int kmax = j;
        for (int k = j; k < n; ++k)
            if (rdiag[k] > rdiag[kmax])
                kmax = k;
        if (kmax != j)
        {
            std::swap_ranges(a.Column(j), a.Column(j) + m, a.Column(kmax));
            rdiag[kmax] = rdiag[j];
            lastNorm[kmax] = lastNorm[j];
            std::swap(ipvt[j], ipvt[kmax]);
        }

        // Householder reflection that zeroes column j below the diagonal. The first pivot column is still
        // a whole column as it came: its norm is the one taken above.
        double ajnorm = j == 0 ? acnorm[ipvt[0]] : enorm(m - j, a.Column(j) + j);
        if (ajnorm != 0.0)
        {
            if (a(j, j) < 0.0)
                ajnorm = -ajnorm;
            DivideBy(m - j, a.Column(j) + j, ajnorm);
            a(j, j) += 1.0;

            // The reflection's products with the later columns and the residuals, all from this column.
            const auto later = static_cast<std::size_t>(n - j - 1);
            for (std::size_t t = 0; t < later; ++t)
                targets[t] = a.Column(j + 1 + static_cast<int>(t)) + j;
            if (carried)
                targets[later] = residuals.data() + j;
            const std::size_t count = later + (carried ? 1 : 0);
            ReflectionProducts(m - j, a.Column(j) + j, std::span<const double* const>(targets.data(), count),
                std::span<double>(products.data(), count));

            for (int k = j + 1; k < n; ++k)
            {
                const double temp = products[static_cast<std::size_t>(k - j - 1)] / a(j, j);
                for (int i = j; i < m; ++i)
                    a(i, k) -= temp * a(i, j);

                // Downdate the remaining norm; recompute it once rounding may have eaten it.
                if (rdiag[k] != 0.0)
                {
                    const double ratio = a(j, k) / rdiag[k];
                    rdiag[k] *= std::sqrt(std::max(0.0, 1.0 - ratio * ratio));
                    const double kept = rdiag[k] / lastNorm[k];
                    if (kNormRecomputeFactor * kept * kept <= machinePrecision)
                    {
                        rdiag[k] = enorm(m - j - 1, a.Column(k) + j + 1);
                        lastNorm[k] = rdiag[k];
                    }
                }
            }
            if (carried)
            {
                const double temp = -products[later] / a(j, j);
                for (int i = j; i < m; ++i)
                    residuals[i] += a(i, j) * temp;
            }
        }
        rdiag[j] = -ajnorm;
    }
}

void qrsolv(ColumnMatrix& r, std::span<const int> ipvt, std::span<const double> diag, std::span<const double> qtb,
    std::span<double> x, std::span<double> sdiag)
{
    const int n = r.Cols();
    Scratch<> wa(static_cast<std::size_t>(n));

    // Copy R to the lower triangle (transposed) and keep its diagonal in x.
    for (int j = 0; j < n; ++j)
    {
        for (int i = j; i < n; ++i)
            r(i, j) = r(j, i);
        x[j] = r(j, j);
        wa[j] = qtb[j];
    }

    // Eliminate the diagonal matrix D with Givens rotations, row by row.
    for (int j = 0; j < n; ++j)
    {
        const double dj = diag[ipvt[j]];
        if (dj != 0.0)
        {
            std::fill(sdiag.begin() + j, sdiag.begin() + n, 0.0);
            sdiag[j] = dj;
            double qtbpj = 0.0;
            for (int k = j; k < n; ++k)
            {
                if (sdiag[k] == 0.0)
                    continue;
                double sine, cosine;
                if (std::fabs(r(k, k)) < std::fabs(sdiag[k]))
                {
                    const double cotan = r(k, k) / sdiag[k];
                    sine = 0.5 / std::sqrt(0.25 + 0.25 * cotan * cotan);
                    cosine = sine * cotan;
                }
                else
                {
                    const double tangent = sdiag[k] / r(k, k);
                    cosine = 0.5 / std::sqrt(0.25 + 0.25 * tangent * tangent);
                    sine = cosine * tangent;
                }
                r(k, k) = cosine * r(k, k) + sine * sdiag[k];
                const double temp = cosine * wa[k] + sine * qtbpj;
                qtbpj = -sine * wa[k] + cosine * qtbpj;
                wa[k] = temp;
                for (int i = k + 1; i < n; ++i)
                {
                    const double rik = cosine * r(i, k) + sine * sdiag[i];
                    sdiag[i] = -sine * r(i, k) + cosine * sdiag[i];
                    r(i, k) = rik;
                }
            }
        }
        sdiag[j] = r(j, j);
        r(j, j) = x[j];
    }

    // Back-substitute the triangular system; a singular one gets a least-squares solution.
    int nsing = n;
    for (int j = 0; j < n; ++j)
    {
        if (sdiag[j] == 0.0 && nsing == n)
            nsing = j;
        if (nsing < n)
            wa[j] = 0.0;
    }
    for (int j = nsing - 1; j >= 0; --j)
    {
        double sum = 0.0;
        for (int i = j + 1; i < nsing; ++i)
            sum += r(i, j) * wa[i];
        wa[j] = (wa[j] - sum) / sdiag[j];
    }
    for (int j = 0; j < n; ++j)
        x[ipvt[j]] = wa[j];
}

void lmpar(ColumnMatrix& r, std::span<const int> ipvt, std::span<const double> diag, std::span<const double> qtb,
    double delta, double& par, std::span<double> x, double dwarf)
{
    const int n = r.Cols();
    Scratch<> wa1(static_cast<std::size_t>(n)), wa2(static_cast<std::size_t>(n)), sdiag(static_cast<std::size_t>(n));

    // Gauss-Newton direction; columns beyond the first zero diagonal of R are left out.
    int nsing = n;
    for (int j = 0; j < n; ++j)
    {
        wa1[j] = qtb[j];
        if (r(j, j) == 0.0 && nsing == n)
            nsing = j;
        if (nsing < n)
            wa1[j] = 0.0;
    }
    for (int j = nsing - 1; j >= 0; --j)
    {
        wa1[j] /= r(j, j);
        for (int i = 0; i < j; ++i)
            wa1[i] -= r(i, j) * wa1[j];
    }
    for (int j = 0; j < n; ++j)
        x[ipvt[j]] = wa1[j];

    double dxnorm = ScaledNorm(n, diag, x.data(), wa2);
    double fp = dxnorm - delta;
    if (fp <= kDeltaTolerance * delta)
    {
        par = 0.0;
        return;
    }

    // Lower bound parl from the Newton step at par = 0 (only when R has full rank).
    double parl = 0.0;
    if (nsing >= n)
    {
        for (int j = 0; j < n; ++j)
            wa1[j] = diag[ipvt[j]] * (wa2[ipvt[j]] / dxnorm);
        for (int j = 0; j < n; ++j)
        {
            double sum = 0.0;
            for (int i = 0; i < j; ++i)
                sum += r(i, j) * wa1[i];
            wa1[j] = (wa1[j] - sum) / r(j, j);
        }
        const double temp = enorm(n, wa1.data());
        parl = ((fp / delta) / temp) / temp;
    }

    // Upper bound paru from the scaled gradient.
    for (int j = 0; j < n; ++j)
    {
        double sum = 0.0;
        for (int i = 0; i <= j; ++i)
            sum += r(i, j) * qtb[i];
        wa1[j] = sum / diag[ipvt[j]];
    }
    const double gnorm = enorm(n, wa1.data());
    double paru = gnorm / delta;
    if (paru == 0.0)
        paru = dwarf / std::min(delta, kDeltaTolerance);

    par = std::min(std::max(par, parl), paru);
    if (par == 0.0)
        par = gnorm / dxnorm;

    // Safeguarded Newton iteration on phi(par) = |D x(par)| - delta.
    for (int iter = 1;; ++iter)
    {
        if (par == 0.0)
            par = std::max(dwarf, 0.001 * paru);
        const double root = std::sqrt(par);
        for (int j = 0; j < n; ++j)
            wa1[j] = root * diag[j];
        qrsolv(r, ipvt, wa1, qtb, x, sdiag);
        dxnorm = ScaledNorm(n, diag, x.data(), wa2);
        const double previous = fp;
        fp = dxnorm - delta;
        if (std::fabs(fp) <= kDeltaTolerance * delta || (parl == 0.0 && fp <= previous && previous < 0.0)
            || iter == kLmparIterations)
            return;

        // Newton correction.
        for (int j = 0; j < n; ++j)
            wa1[j] = diag[ipvt[j]] * (wa2[ipvt[j]] / dxnorm);
        for (int j = 0; j < n; ++j)
        {
            wa1[j] /= sdiag[j];
            for (int i = j + 1; i < n; ++i)
                wa1[i] -= r(i, j) * wa1[j];
        }
        const double temp = enorm(n, wa1.data());
        const double parc = ((fp / delta) / temp) / temp;
        if (fp > 0.0)
            parl = std::max(parl, par);
        if (fp < 0.0)
            paru = std::min(paru, par);
        par = std::max(parl, par + parc);
    }
}

double LmProblem::LimitStep(const double* x, double* step, double* trial, int n)
{
    for (int j = 0; j < n; ++j)
        trial[j] = x[j] + step[j];
    return 1.0;
}

namespace
{

// Largest cosine of the angle between the residuals and a Jacobian column.
double ScaledGradientNorm(const ColumnMatrix& fjac, std::span<const int> ipvt, std::span<const double> acnorm,
    std::span<const double> qtf, double fnorm)
{
    double gnorm = 0.0;
    if (fnorm == 0.0)
        return gnorm;
    for (int j = 0; j < fjac.Cols(); ++j)
    {
        const double norm = acnorm[ipvt[j]];
        if (norm == 0.0)
            continue;
        double sum = 0.0;
        for (int i = 0; i <= j; ++i)
            sum += fjac(i, j) * (qtf[i] / fnorm);
        gnorm = std::max(gnorm, std::fabs(sum / norm));
    }
    return gnorm;
}

// Actual and predicted reduction of the sum of squares for a step of which the fraction alpha was kept.
// For the whole Levenberg-Marquardt step p the linear model predicts |Jp|^2 + 2 par |Dp|^2; for the
// shortened step alpha p it predicts alpha (2 - alpha) |Jp|^2 + 2 alpha par |Dp|^2 (both over fnorm^2).
struct StepReduction
{
    double actred = 0.0;
    double prered = 0.0;
    double dirder = 0.0;
    double ratio = 0.0;
};

StepReduction ReductionOfStep(const ColumnMatrix& fjac, std::span<const int> ipvt, std::span<const double> step,
    double alpha, double par, double pnorm, double fnorm, double fnorm1)
{
    const int n = fjac.Cols();
    StepReduction red;
    red.actred = (0.1 * fnorm1 < fnorm) ? 1.0 - (fnorm1 / fnorm) * (fnorm1 / fnorm) : -1.0;
    if (alpha <= 0.0)
        return red;

    Scratch<> rp(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j)
    {
        const double pj = step[ipvt[j]];
        for (int i = 0; i <= j; ++i)
            rp[i] += fjac(i, j) * pj;
    }
    // Norms of the kept step, rescaled to the whole step.
    const double temp1 = enorm(n, rp.data()) / fnorm / alpha;
    const double temp2 = std::sqrt(par) * pnorm / fnorm / alpha;
    red.prered = alpha * (2.0 - alpha) * temp1 * temp1 + 2.0 * alpha * temp2 * temp2;
    red.dirder = -alpha * (temp1 * temp1 + temp2 * temp2);
    red.ratio = (red.prered != 0.0) ? red.actred / red.prered : 0.0;
    return red;
}

void UpdateTrustRegion(const StepReduction& red, double fnorm, double fnorm1, double pnorm, double& delta,
    double& par)
{
    if (red.ratio <= kShrinkRatio)
    {
        double temp = (red.actred >= 0.0) ? 0.5 : 0.5 * red.dirder / (red.dirder + 0.5 * red.actred);
        if (0.1 * fnorm1 >= fnorm || temp < kMinShrink)
            temp = kMinShrink;
        delta = temp * std::min(delta, pnorm / kMinShrink);
        par /= temp;
    }
    else if (par == 0.0 || red.ratio >= kGrowRatio)
    {
        delta = pnorm / 0.5;
        par *= 0.5;
    }
}

int ConvergenceTest(const StepReduction& red, double delta, double xnorm, const LmSettings& s)
{
    int info = 0;
    if (std::fabs(red.actred) <= s.ftol && red.prered <= s.ftol && 0.5 * red.ratio <= 1.0)
        info = kLmSumConverged;
    if (delta <= s.xtol * xnorm)
        info += kLmStepConverged;
    return info;
}

int PrecisionLimitTest(const StepReduction& red, double delta, double xnorm, double gnorm, const LmSettings& s)
{
    int info = 0;
    const double eps = s.machinePrecision;
    if (std::fabs(red.actred) <= eps && red.prered <= eps && 0.5 * red.ratio <= 1.0)
        info = kLmFtolTooSmall;
    if (delta <= eps * xnorm)
        info = kLmXtolTooSmall;
    if (gnorm <= eps)
        info = kLmGtolTooSmall;
    return info;
}

} // namespace

LmOutcome LmIterate(LmProblem& problem, int m, int n, double* x, std::vector<double>& fvec,
    const LmSettings& settings)
{
    fvec.assign(m, 0.0);
    return LmIterate(problem, m, n, x, std::span<double>(fvec), settings);
}

LmOutcome LmIterate(LmProblem& problem, int m, int n, double* x, std::span<double> fvec, const LmSettings& settings)
{
    ColumnMatrix fjac(m, n);
    const auto count = static_cast<std::size_t>(n);
    Scratch<> diag(count), qtf(count), rdiag(count), acnorm(count), step(count), trial(count), work(count);
    ResidualScratch trialFvec(static_cast<std::size_t>(m)), transformed(static_cast<std::size_t>(m));
    Scratch<int> ipvt(count);
    std::fill(fvec.begin(), fvec.end(), 0.0);

    LmOutcome out;
    const auto stopped = [&out]() {
        out.info = kLmStopped;
        return out;
    };
    if (!problem.Residuals(x, fvec.data()))
        return stopped();
    double fnorm = enorm(m, fvec.data());
    out.fnorm = fnorm;

    double par = 0.0, delta = 0.0, xnorm = 0.0;
    for (bool first = true;; first = false)
    {
        if (!problem.Jacobian(x, fvec.data(), fjac))
            return stopped();
        problem.RestrictJacobian(x, fvec.data(), fjac);
        // Q^T fvec comes out of the factorisation, which applies each reflection to the residuals too.
        std::copy(fvec.begin(), fvec.end(), transformed.begin());
        qrfac(fjac, ipvt, rdiag, acnorm, settings.machinePrecision, std::span<double>(transformed.data(), m));
        // R's diagonal goes back onto fjac's, where the step's solution reads R.
        for (int j = 0; j < n; ++j)
        {
            fjac(j, j) = rdiag[j];
            qtf[j] = transformed[j];
        }

        // Scale by the column norms of the first Jacobian, growing with later ones.
        if (first)
        {
            for (int j = 0; j < n; ++j)
                diag[j] = (acnorm[j] == 0.0) ? 1.0 : acnorm[j];
            xnorm = ScaledNorm(n, diag, x, work);
            delta = (xnorm == 0.0) ? settings.stepFactor : settings.stepFactor * xnorm;
        }

        const double gnorm = ScaledGradientNorm(fjac, ipvt, acnorm, qtf, fnorm);
        if (gnorm <= settings.gtol)
        {
            out.info = kLmOrthogonal;
            return out;
        }
        for (int j = 0; j < n; ++j)
            diag[j] = std::max(diag[j], acnorm[j]);

        StepReduction red;
        do
        {
            lmpar(fjac, ipvt, diag, qtf, delta, par, step, settings.dwarf);
            for (double& s : step)
                s = -s;
            const double alpha = problem.LimitStep(x, step.data(), trial.data(), n);
            const double pnorm = ScaledNorm(n, diag, step.data(), work);
            if (first)
                delta = std::min(delta, pnorm);

            if (!problem.Residuals(trial.data(), trialFvec.data()))
                return stopped();
            const double fnorm1 = enorm(m, trialFvec.data());
            red = ReductionOfStep(fjac, ipvt, step, alpha, par, pnorm, fnorm, fnorm1);
            UpdateTrustRegion(red, fnorm, fnorm1, pnorm, delta, par);

            if (red.ratio >= kAcceptRatio)
            {
                std::copy(trial.begin(), trial.end(), x);
                std::copy(trialFvec.begin(), trialFvec.end(), fvec.begin());
                xnorm = ScaledNorm(n, diag, x, work);
                fnorm = fnorm1;
                out.fnorm = fnorm;
                ++out.acceptedSteps;
            }

            out.info = ConvergenceTest(red, delta, xnorm, settings);
            if (out.info != 0)
                return out;
            if (problem.BudgetSpent(out.acceptedSteps))
                out.info = kLmBudgetSpent;
            if (const int limit = PrecisionLimitTest(red, delta, xnorm, gnorm, settings))
                out.info = limit;
            if (out.info != 0)
                return out;
        } while (red.ratio < kAcceptRatio);
    }
}

} // namespace minpack
