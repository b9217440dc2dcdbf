#include "platform/mpfit/Minpack.h"
#include "platform/mpfit/mpfit.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

namespace
{

constexpr double kExact = 1e-8;

// Data y(x) and a model; deviates are y - model. Optional analytical derivatives of the deviates.
struct CurveData
{
    std::vector<double> x;
    std::vector<double> y;
    std::function<double(double, const double*)> model;
    std::function<double(double, const double*, int)> derivative;  // d deviate / d p_j
    int calls = 0;
    int derivativeCalls = 0;
    std::vector<int> derivativeColumns;  // which parameters got a derivative array in the last call
};

int CurveDeviates(int m, int npar, double* p, double* fvec, double** dvec, void* priv)
{
    auto& data = *static_cast<CurveData*>(priv);
    ++data.calls;
    for (int i = 0; i < m; ++i)
        fvec[i] = data.y[i] - data.model(data.x[i], p);
    if (dvec == nullptr)
        return 0;
    ++data.derivativeCalls;
    data.derivativeColumns.clear();
    for (int j = 0; j < npar; ++j)
    {
        if (dvec[j] == nullptr)
            continue;
        data.derivativeColumns.push_back(j);
        if (data.derivative)
            for (int i = 0; i < m; ++i)
                dvec[j][i] = data.derivative(data.x[i], p, j);
    }
    return 0;
}

CurveData Line(double intercept, double slope, int points = 10)
{
    CurveData d;
    for (int i = 0; i < points; ++i)
    {
        d.x.push_back(i);
        d.y.push_back(intercept + slope * i);
    }
    d.model = [](double x, const double* p) { return p[0] + p[1] * x; };
    d.derivative = [](double x, const double*, int j) { return j == 0 ? -1.0 : -x; };
    return d;
}

CurveData Decay(double amplitude, double rate)
{
    CurveData d;
    for (int i = 0; i < 20; ++i)
    {
        d.x.push_back(0.5 * i);
        d.y.push_back(amplitude * std::exp(-rate * 0.5 * i));
    }
    d.model = [](double x, const double* p) { return p[0] * std::exp(-p[1] * x); };
    d.derivative = [](double x, const double* p, int j) {
        const double e = std::exp(-p[1] * x);
        return j == 0 ? -e : p[0] * x * e;
    };
    return d;
}

int Fit(CurveData& data, std::vector<double>& p, std::vector<mp_par>* pars = nullptr, mp_config* config = nullptr,
    mp_result* result = nullptr)
{
    return mpfit(CurveDeviates, static_cast<int>(data.x.size()), static_cast<int>(p.size()), p.data(),
        pars ? pars->data() : nullptr, config, &data, result);
}

bool Succeeded(int status)
{
    return status > 0;
}

constexpr int kLower = 0;
constexpr int kUpper = 1;

// count free parameters, one of them (index) with one limit.
std::vector<mp_par> OneLimit(int count, int index, int which, double value)
{
    std::vector<mp_par> pars(count);
    pars[index].limited[which] = 1;
    pars[index].limits[which] = value;
    return pars;
}

} // namespace

// --- Unconstrained fits -------------------------------------------------------------------------

TEST(MpfitUnconstrained, RecoversAnExactLineWithZeroChiSquare)
{
    CurveData data = Line(2.0, 3.0);
    std::vector<double> p{0.0, 0.0};
    mp_result result;
    const int status = Fit(data, p, nullptr, nullptr, &result);
    ASSERT_TRUE(Succeeded(status));
    EXPECT_EQ(result.status, status);
    EXPECT_NEAR(p[0], 2.0, kExact);
    EXPECT_NEAR(p[1], 3.0, kExact);
    EXPECT_LT(result.bestnorm, 1e-20);
    EXPECT_GT(result.orignorm, 100.0);
    EXPECT_EQ(result.npar, 2);
    EXPECT_EQ(result.nfree, 2);
    EXPECT_EQ(result.nfunc, 10);
    EXPECT_EQ(result.npegged, 0);
    EXPECT_EQ(result.nfev, data.calls);
}

TEST(MpfitUnconstrained, RecoversAnExponentialDecay)
{
    CurveData data = Decay(5.0, 0.3);
    std::vector<double> p{1.0, 0.1};
    ASSERT_TRUE(Succeeded(Fit(data, p)));
    EXPECT_NEAR(p[0], 5.0, 1e-7);
    EXPECT_NEAR(p[1], 0.3, 1e-7);
}

TEST(MpfitUnconstrained, FindsTheRosenbrockMinimum)
{
    CurveData data;
    data.x = {0.0, 1.0};
    data.y = {0.0, 0.0};
    // Residuals 10 (p1 - p0^2) and 1 - p0, written as y - model.
    data.model = [](double x, const double* p) { return x == 0.0 ? -10.0 * (p[1] - p[0] * p[0]) : p[0] - 1.0; };
    std::vector<double> p{-1.2, 1.0};
    ASSERT_TRUE(Succeeded(Fit(data, p)));
    EXPECT_NEAR(p[0], 1.0, 1e-7);
    EXPECT_NEAR(p[1], 1.0, 1e-7);
}

TEST(MpfitUnconstrained, ErrorsOfALineFitAreThoseOfOrdinaryLeastSquares)
{
    CurveData data = Line(1.0, 0.5, 8);
    const double noise[] = {0.1, -0.2, 0.05, 0.3, -0.1, -0.25, 0.2, -0.05};
    for (size_t i = 0; i < data.y.size(); ++i)
        data.y[i] += noise[i];
    std::vector<double> p{0.0, 0.0};
    std::vector<double> xerror(2), covar(4);
    mp_result result;
    result.xerror = xerror.data();
    result.covar = covar.data();
    ASSERT_TRUE(Succeeded(Fit(data, p, nullptr, nullptr, &result)));

    // Unit weights: covariance = (X^T X)^-1 of the design matrix [1 x].
    double n = 0, sx = 0, sxx = 0;
    for (double x : data.x)
    {
        n += 1;
        sx += x;
        sxx += x * x;
    }
    const double det = n * sxx - sx * sx;
    EXPECT_NEAR(covar[0], sxx / det, 1e-7);
    EXPECT_NEAR(covar[1], -sx / det, 1e-7);
    EXPECT_NEAR(covar[2], -sx / det, 1e-7);
    EXPECT_NEAR(covar[3], n / det, 1e-7);
    EXPECT_NEAR(xerror[0], std::sqrt(sxx / det), 1e-7);
    EXPECT_NEAR(xerror[1], std::sqrt(n / det), 1e-7);
}

TEST(MpfitUnconstrained, FillsTheFinalDeviates)
{
    CurveData data = Line(1.0, 2.0, 5);
    data.y[2] += 1.0;
    std::vector<double> p{0.0, 0.0};
    std::vector<double> resid(5, 99.0);
    mp_result result;
    result.resid = resid.data();
    ASSERT_TRUE(Succeeded(Fit(data, p, nullptr, nullptr, &result)));
    double chi2 = 0.0;
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_NEAR(resid[i], data.y[i] - data.model(data.x[i], p.data()), 1e-12);
        chi2 += resid[i] * resid[i];
    }
    EXPECT_NEAR(result.bestnorm, chi2, 1e-12);
}

// --- Derivative options -------------------------------------------------------------------------

TEST(MpfitDerivatives, EverySideReachesTheSameFit)
{
    for (int side : {0, 1, -1, 2, 3})
    {
        CurveData data = Decay(4.0, 0.7);
        std::vector<double> p{1.0, 0.2};
        std::vector<mp_par> pars(2);
        pars[0].side = pars[1].side = side;
        ASSERT_TRUE(Succeeded(Fit(data, p, &pars))) << "side " << side;
        EXPECT_NEAR(p[0], 4.0, 1e-7) << "side " << side;
        EXPECT_NEAR(p[1], 0.7, 1e-7) << "side " << side;
    }
}

TEST(MpfitDerivatives, AnalyticalDerivativesAreAskedOnlyForSideThreeParameters)
{
    CurveData data = Decay(4.0, 0.7);
    std::vector<double> p{1.0, 0.2};
    std::vector<mp_par> pars(2);
    pars[1].side = 3;
    ASSERT_TRUE(Succeeded(Fit(data, p, &pars)));
    EXPECT_GT(data.derivativeCalls, 0);
    EXPECT_EQ(data.derivativeColumns, std::vector<int>{1});
    EXPECT_NEAR(p[1], 0.7, 1e-7);
}

TEST(MpfitDerivatives, AnUnsuppliedAnalyticalDerivativeCountsAsZero)
{
    CurveData data = Line(2.0, 3.0);
    data.derivative = nullptr;
    std::vector<double> p{0.0, 0.0};
    std::vector<mp_par> pars(2);
    pars[0].side = 3;
    ASSERT_TRUE(Succeeded(Fit(data, p, &pars)));
    EXPECT_EQ(p[0], 0.0);
    // The slope alone absorbs what it can: the least-squares slope through the origin.
    double sxy = 0.0, sxx = 0.0;
    for (size_t i = 0; i < data.x.size(); ++i)
    {
        sxy += data.x[i] * data.y[i];
        sxx += data.x[i] * data.x[i];
    }
    EXPECT_NEAR(p[1], sxy / sxx, 1e-8);
}

TEST(MpfitDerivatives, DifferencesStepIntoTheFeasibleSideAtAnUpperLimit)
{
    // The model is undefined above the limit: stepping outward would produce NaN.
    CurveData data = Line(0.0, 1.0, 5);
    data.model = [](double x, const double* p) { return p[0] > 1.0 ? NAN : p[0] * x; };
    std::vector<double> p{1.0};
    std::vector<mp_par> pars = OneLimit(1, 0, kUpper, 1.0);
    EXPECT_TRUE(Succeeded(Fit(data, p, &pars)));
    EXPECT_EQ(p[0], 1.0);
}

// --- Limits and fixed parameters ----------------------------------------------------------------

TEST(MpfitLimits, AnActiveUpperLimitPegsTheParameterOnIt)
{
    CurveData data = Line(2.0, 3.0);
    std::vector<double> p{0.0, 1.0};
    std::vector<mp_par> pars = OneLimit(2, 1, kUpper, 2.5);
    std::vector<double> xerror(2);
    mp_result result;
    result.xerror = xerror.data();
    const int status = Fit(data, p, &pars, nullptr, &result);
    EXPECT_GE(status, MP_OK_CHI);
    EXPECT_LE(status, MP_OK_DIR);
    EXPECT_EQ(p[1], 2.5);
    // With the slope held, the intercept is the mean of y - 2.5 x.
    double mean = 0.0;
    for (size_t i = 0; i < data.x.size(); ++i)
        mean += (data.y[i] - 2.5 * data.x[i]) / data.x.size();
    EXPECT_NEAR(p[0], mean, 1e-7);
    EXPECT_EQ(result.npegged, 1);
    EXPECT_EQ(xerror[1], 0.0);
    EXPECT_GT(xerror[0], 0.0);
}

TEST(MpfitLimits, AnActiveLowerLimitHoldsANonlinearParameter)
{
    CurveData data = Decay(5.0, 0.3);
    std::vector<double> p{1.0, 1.0};
    std::vector<mp_par> pars = OneLimit(2, 1, kLower, 0.5);
    mp_result result;
    ASSERT_TRUE(Succeeded(Fit(data, p, &pars, nullptr, &result)));
    EXPECT_EQ(p[1], 0.5);
    EXPECT_EQ(result.npegged, 1);
}

TEST(MpfitLimits, AnInactiveLimitChangesNothing)
{
    CurveData data = Decay(5.0, 0.3);
    std::vector<double> p{1.0, 0.1};
    std::vector<mp_par> pars(2);
    pars[1].limited[0] = pars[1].limited[1] = 1;
    pars[1].limits[0] = 0.0;
    pars[1].limits[1] = 10.0;
    mp_result result;
    ASSERT_TRUE(Succeeded(Fit(data, p, &pars, nullptr, &result)));
    EXPECT_NEAR(p[0], 5.0, 1e-7);
    EXPECT_NEAR(p[1], 0.3, 1e-7);
    EXPECT_EQ(result.npegged, 0);
}

TEST(MpfitLimits, AParameterCanLeaveTheLimitItStartsOn)
{
    CurveData data = Line(2.0, 3.0);
    std::vector<double> p{0.0, 0.0};
    std::vector<mp_par> pars = OneLimit(2, 1, kLower, 0.0);
    ASSERT_TRUE(Succeeded(Fit(data, p, &pars)));
    EXPECT_NEAR(p[1], 3.0, kExact);
}

TEST(MpfitLimits, AFixedParameterKeepsItsValue)
{
    CurveData data = Line(2.0, 3.0);
    std::vector<double> p{1.0, 0.0};
    std::vector<mp_par> pars(2);
    pars[0].fixed = 1;
    std::vector<double> xerror(2, 7.0);
    mp_result result;
    result.xerror = xerror.data();
    ASSERT_TRUE(Succeeded(Fit(data, p, &pars, nullptr, &result)));
    EXPECT_EQ(p[0], 1.0);
    double sxy = 0.0, sxx = 0.0;
    for (size_t i = 0; i < data.x.size(); ++i)
    {
        sxy += data.x[i] * (data.y[i] - 1.0);
        sxx += data.x[i] * data.x[i];
    }
    EXPECT_NEAR(p[1], sxy / sxx, 1e-8);
    EXPECT_EQ(result.nfree, 1);
    EXPECT_EQ(xerror[0], 0.0);
}

// --- Configuration and status codes -------------------------------------------------------------

TEST(MpfitStatus, AZeroedConfigurationMeansTheDefaults)
{
    CurveData a = Decay(5.0, 0.3), b = Decay(5.0, 0.3);
    std::vector<double> pa{1.0, 0.1}, pb{1.0, 0.1};
    mp_config zeroed;
    mp_result ra, rb;
    EXPECT_EQ(Fit(a, pa, nullptr, nullptr, &ra), Fit(b, pb, nullptr, &zeroed, &rb));
    EXPECT_EQ(pa, pb);
    EXPECT_EQ(ra.nfev, rb.nfev);
}

TEST(MpfitStatus, TheIterationAndEvaluationLimitsEndWithMaxiter)
{
    mp_config iterations, evaluations;
    iterations.maxiter = 1;
    evaluations.maxfev = 6;
    for (mp_config* config : {&iterations, &evaluations})
    {
        CurveData data = Decay(5.0, 0.3);
        std::vector<double> p{1.0, 2.0};
        mp_result result;
        EXPECT_EQ(Fit(data, p, nullptr, config, &result), MP_MAXITER);
        EXPECT_NE(p[1], 2.0);
        EXPECT_LE(result.nfev, 8);
    }
}

TEST(MpfitStatus, NoIterationEvaluatesTheStartOnly)
{
    CurveData data = Line(2.0, 3.0);
    std::vector<double> p{1.0, 1.0};
    mp_config config;
    config.maxiter = MP_NO_ITER;
    mp_result result;
    EXPECT_EQ(Fit(data, p, nullptr, &config, &result), MP_MAXITER);
    EXPECT_EQ(result.nfev, 1);
    EXPECT_EQ(p, (std::vector<double>{1.0, 1.0}));
    EXPECT_GT(result.orignorm, 0.0);
    EXPECT_EQ(result.bestnorm, result.orignorm);
}

TEST(MpfitStatus, BadInputIsRefusedWithoutTouchingTheParameters)
{
    struct Case
    {
        const char* what;
        int expected;
        std::function<int(CurveData&, std::vector<double>&, std::vector<mp_par>&)> run;
    };
    const auto fitWith = [](CurveData& d, std::vector<double>& p, std::vector<mp_par>& pars) {
        return Fit(d, p, &pars);
    };
    const std::vector<Case> cases{
        {"no function", MP_ERR_FUNC,
            [](CurveData& d, std::vector<double>& p, std::vector<mp_par>&) {
                return mpfit(nullptr, 10, 2, p.data(), nullptr, nullptr, &d, nullptr);
            }},
        {"no points", MP_ERR_NPOINTS,
            [](CurveData& d, std::vector<double>& p, std::vector<mp_par>&) {
                return mpfit(CurveDeviates, 0, 2, p.data(), nullptr, nullptr, &d, nullptr);
            }},
        {"no parameters", MP_ERR_PARAM,
            [](CurveData& d, std::vector<double>& p, std::vector<mp_par>&) {
                return mpfit(CurveDeviates, 10, 0, p.data(), nullptr, nullptr, &d, nullptr);
            }},
        {"all fixed", MP_ERR_NFREE,
            [&](CurveData& d, std::vector<double>& p, std::vector<mp_par>& pars) {
                pars[0].fixed = pars[1].fixed = 1;
                return fitWith(d, p, pars);
            }},
        {"fewer points than free parameters", MP_ERR_DOF,
            [](CurveData& d, std::vector<double>& p, std::vector<mp_par>&) {
                return mpfit(CurveDeviates, 1, 2, p.data(), nullptr, nullptr, &d, nullptr);
            }},
        {"start below its lower limit", MP_ERR_INITBOUNDS,
            [&](CurveData& d, std::vector<double>& p, std::vector<mp_par>& pars) {
                pars[1].limited[0] = 1;
                pars[1].limits[0] = 5.0;
                return fitWith(d, p, pars);
            }},
        {"limits crossed", MP_ERR_BOUNDS,
            [&](CurveData& d, std::vector<double>& p, std::vector<mp_par>& pars) {
                pars[1].limited[0] = pars[1].limited[1] = 1;
                pars[1].limits[0] = 2.0;
                pars[1].limits[1] = -2.0;
                return fitWith(d, p, pars);
            }},
        {"unknown side", MP_ERR_PARAM,
            [&](CurveData& d, std::vector<double>& p, std::vector<mp_par>& pars) {
                pars[0].side = 7;
                return fitWith(d, p, pars);
            }},
        {"non-finite start", MP_ERR_PARAM,
            [&](CurveData& d, std::vector<double>& p, std::vector<mp_par>& pars) {
                p[0] = INFINITY;
                return fitWith(d, p, pars);
            }},
    };
    for (const Case& c : cases)
    {
        CurveData data = Line(2.0, 3.0);
        std::vector<double> p{0.5, 0.5};
        std::vector<mp_par> pars(2);
        const std::vector<double> before = p;
        EXPECT_EQ(c.run(data, p, pars), c.expected) << c.what;
        EXPECT_EQ(data.calls, 0) << c.what;
        if (std::isfinite(p[0]))
        {
            EXPECT_EQ(p, before) << c.what;
        }
    }
}

TEST(MpfitStatus, AUserErrorEndsTheFitWithTheUsersCode)
{
    CurveData data = Decay(5.0, 0.3);
    const auto model = data.model;
    data.model = [&data, model](double x, const double* p) { return data.calls > 3 ? NAN : model(x, p); };
    std::vector<double> p{1.0, 0.1};
    EXPECT_EQ(Fit(data, p), MP_ERR_NAN);

    const auto failing = [](int, int, double*, double*, double**, void*) { return -7; };
    mp_result result;
    EXPECT_EQ(mpfit(failing, 5, 2, p.data(), nullptr, nullptr, nullptr, &result), -7);
    EXPECT_EQ(result.status, -7);
    EXPECT_EQ(result.nfev, 1);
}

namespace
{

// The factorisation takes its column norms two at a time and reuses the first pivot column's: each must be
// enorm's own, bit for bit, whatever ranges the elements fall in.
TEST(MinpackQrfac, ColumnNormsAndTheFirstPivotNormAreEnormsOwn)
{
    const double tiny = 1e-170, huge = 1e160, nan = std::nan("");
    const std::vector<std::vector<double>> columnSets[] = {
        {{3.0, -4.0, 0.5}, {1.0, 2.0, -7.25}, {0.1, 0.2, 0.3}},
        {{3.0, tiny, 0.5}, {1.0, 2.0, -7.25}},
        {{huge, 2.0, 1.0}, {1.0, 2.0, 3.0}, {4.0, 0.0, 1.0}},
        {{0.0, 0.0, 0.0}, {1.0, nan, 3.0}},
        {{0.0, 2.0, -3.0}, {1.0, -0.0, 4.0}},
    };
    for (const auto& columns : columnSets)
    {
        const int m = static_cast<int>(columns.front().size()), n = static_cast<int>(columns.size());
        minpack::ColumnMatrix a(m, n);
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < m; ++i)
                a(i, j) = columns[j][i];
        std::vector<int> ipvt(n);
        std::vector<double> rdiag(n), acnorm(n);
        minpack::qrfac(a, ipvt, rdiag, acnorm, 2.2e-16);
        for (int j = 0; j < n; ++j)
        {
            const double expected = minpack::enorm(m, columns[j].data());
            EXPECT_TRUE(std::bit_cast<uint64_t>(acnorm[j]) == std::bit_cast<uint64_t>(expected)) << "column " << j;
        }
        const double pivot = minpack::enorm(m, columns[ipvt[0]].data());
        EXPECT_TRUE(std::isnan(pivot) || std::fabs(rdiag[0]) == pivot);
    }
}

// Residuals carried through the factorisation meet each reflection as it is made; they must come out as
// the reflections stored in the factors, applied afterwards in order, make them, bit for bit, and the
// factors must be those of a factorisation that carries nothing (a zero column makes no reflection).
TEST(MinpackQrfac, CarriedResidualsAreTheStoredReflectionsApplied)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> value(-3.0, 3.0);
    for (const auto& [m, n, zeroColumn] : {std::tuple{9, 2, -1}, std::tuple{12, 3, -1}, std::tuple{7, 4, 1},
                                           std::tuple{5, 5, -1}, std::tuple{40, 2, 0}})
    {
        minpack::ColumnMatrix plain(m, n);
        std::vector<double> residuals(m);
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < m; ++i)
                plain(i, j) = j == zeroColumn ? 0.0 : value(random);
        for (double& r : residuals)
            r = value(random);
        minpack::ColumnMatrix carrying = plain;
        std::vector<int> ipvt(n), carriedIpvt(n);
        std::vector<double> rdiag(n), acnorm(n), carriedRdiag(n), carriedAcnorm(n), carried = residuals;
        minpack::qrfac(plain, ipvt, rdiag, acnorm, 2.2e-16);
        minpack::qrfac(carrying, carriedIpvt, carriedRdiag, carriedAcnorm, 2.2e-16, carried);
        EXPECT_EQ(ipvt, carriedIpvt);
        EXPECT_EQ(rdiag, carriedRdiag);
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < m; ++i)
                ASSERT_EQ(plain(i, j), carrying(i, j)) << m << "x" << n << " at " << i << ", " << j;
        for (int j = 0; j < n; ++j)
        {
            if (plain(j, j) == 0.0)
                continue;
            double sum = 0.0;
            for (int i = j; i < m; ++i)
                sum += plain(i, j) * residuals[i];
            const double temp = -sum / plain(j, j);
            for (int i = j; i < m; ++i)
                residuals[i] += plain(i, j) * temp;
        }
        EXPECT_EQ(residuals, carried) << m << "x" << n;
    }
}

// enorm adds plain squares when every element is zero or in its middle range: the very double its three
// sums give, whatever the mix of zeros, tiny, huge and non-finite elements.
TEST(MinpackEnorm, PlainSumsGiveTheThreeRangeNormBitForBit)
{
    const double tiny = 1e-170, huge = 1e160, inf = std::numeric_limits<double>::infinity();
    const double pool[] = {0.0, -0.0, 1.0, -2.5, 3e-7, 7e5, tiny, -tiny, huge, inf, std::nan("")};
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round)
    {
        std::vector<double> x(static_cast<std::size_t>(1 + round % 70));
        // Mostly middle values and zeros, as the fits' vectors are; now and then any of the pool.
        const std::size_t choices = round % 3 == 0 ? std::size(pool) : 6;
        for (double& value : x)
            value = pool[random() % choices] * (1.0 + 1e-3 * static_cast<double>(random() % 1000));
        const double plain = minpack::enorm(static_cast<int>(x.size()), x.data());
        const double three = minpack::ThreeRangeNorm(static_cast<int>(x.size()), x.data());
        ASSERT_TRUE(std::bit_cast<uint64_t>(plain) == std::bit_cast<uint64_t>(three) || (std::isnan(plain) && std::isnan(three)))
            << round << ": " << plain << " against " << three;
    }
}

} // namespace
