#include "calc/numerics/CurveFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

// Student's t at 0.975 with 8 degrees of freedom.
constexpr double kT975With8 = 2.3060041352041661;

// p0 + p1 x: the simplest curve with known statistics.
class LineFunc : public ExtLib::FunctionBase
{
public:
    std::int32_t GetParameterCount() const override { return 2; }
    void InitialGuess(const std::vector<double>&, const std::vector<double>&, std::vector<double>& p) const override
    {
        p[0] = p[1] = 0.0;
    }
    double Evaluate(double x, const std::vector<double>& p) const override { return p[0] + p[1] * x; }
    void Gradient(double x, const std::vector<double>&, std::vector<double>& g) const override
    {
        g[0] = 1.0;
        g[1] = x;
    }
};

std::vector<double> Times(int count, double step)
{
    std::vector<double> t(count);
    for (int i = 0; i < count; ++i)
        t[i] = i * step;
    return t;
}

template <typename Curve>
std::vector<double> Sampled(const std::vector<double>& x, Curve curve)
{
    std::vector<double> y;
    for (double xi : x)
        y.push_back(curve(xi));
    return y;
}

} // namespace

TEST(FitCurve, RecoversANoiseFreeExponential)
{
    std::vector<double> v;
    for (int i = 0; i < 20; ++i)
        v.push_back(20.0 + 3.0 * i);
    const std::vector<double> p = Sampled(v, [](double x) { return 3.0 * std::exp(0.05 * x); });
    std::vector<double> params;
    double r2 = 0.0;
    ASSERT_TRUE(ExtLib::FitCurve(ExtLib::ExponFunc(), 2, p, v, params, &r2));
    EXPECT_NEAR(params[0], 0.05, 1e-6);
    EXPECT_NEAR(params[1], 3.0, 1e-6);
    EXPECT_NEAR(r2, 1.0, 1e-12);
}

TEST(FitCurve, TheStatisticsOfAStraightLineAreTheTextbookOnes)
{
    const std::vector<double> x = Times(10, 1.0);
    const double noise[] = {0.3, -0.2, 0.1, -0.4, 0.25, 0.05, -0.15, 0.35, -0.3, 0.0};
    std::vector<double> y;
    for (int i = 0; i < 10; ++i)
        y.push_back(2.0 + 0.5 * x[i] + noise[i]);

    const LineFunc line;
    std::vector<double> params;
    ASSERT_TRUE(ExtLib::FitFunction(x, y, params, line));
    std::vector<double> errors, lower(2), upper(2);
    double sse = 0.0, r2 = 0.0, s = 0.0;
    int dof = 0;
    ASSERT_TRUE(ExtLib::FitFunctionWithStatistics(x, y, params, errors, lower, upper, sse, r2, s, dof, line));

    // Hand values of ordinary least squares.
    double mx = 0.0, my = 0.0;
    for (int i = 0; i < 10; ++i)
    {
        mx += x[i] / 10;
        my += y[i] / 10;
    }
    double sxx = 0.0, sxy = 0.0, syy = 0.0;
    for (int i = 0; i < 10; ++i)
    {
        sxx += (x[i] - mx) * (x[i] - mx);
        sxy += (x[i] - mx) * (y[i] - my);
        syy += (y[i] - my) * (y[i] - my);
    }
    const double slope = sxy / sxx;
    const double intercept = my - slope * mx;
    const double handSse = syy - slope * sxy;
    const double handS = std::sqrt(handSse / 8);
    const double seSlope = handS / std::sqrt(sxx);
    const double seIntercept = handS * std::sqrt(1.0 / 10 + mx * mx / sxx);

    EXPECT_EQ(dof, 8);
    EXPECT_NEAR(params[0], intercept, 1e-9);
    EXPECT_NEAR(params[1], slope, 1e-9);
    EXPECT_NEAR(sse, handSse, 1e-9);
    EXPECT_NEAR(r2, 1.0 - handSse / syy, 1e-9);
    EXPECT_NEAR(s, handS, 1e-9);
    EXPECT_NEAR(errors[0], seIntercept, 1e-9);
    EXPECT_NEAR(errors[1], seSlope, 1e-9);
    EXPECT_NEAR(lower[0], intercept - kT975With8 * seIntercept, 1e-8);
    EXPECT_NEAR(upper[0], intercept + kT975With8 * seIntercept, 1e-8);
    EXPECT_NEAR(lower[1], slope - kT975With8 * seSlope, 1e-8);
    EXPECT_NEAR(upper[1], slope + kT975With8 * seSlope, 1e-8);
}

TEST(FitCurve, AsManyPointsAsParametersStillGiveRSquared)
{
    std::vector<double> params;
    double r2 = -5.0;
    EXPECT_TRUE(ExtLib::FitCurve(LineFunc(), 2, {1.0, 3.0}, {0.0, 1.0}, params, &r2));
    EXPECT_NEAR(params[1], 2.0, 1e-9);
    EXPECT_NE(r2, -5.0);
}

TEST(FitCurve, NonFiniteSamplesCountAgainstTheMinimum)
{
    std::vector<double> params;
    EXPECT_FALSE(ExtLib::FitCurve(ExtLib::GlantzFunc(), 3, {5.0, NAN, 3.0}, {0.0, 1.0, 2.0}, params));
    EXPECT_FALSE(ExtLib::FitCurve(ExtLib::GlantzFunc(), 3, {5.0, 4.0, 3.0}, {0.0, INFINITY, 2.0}, params));
}

TEST(FitCurve, ANonFiniteSampleFailsTheFitInsteadOfPassingForConvergence)
{
    const std::vector<double> t = Times(20, 0.001);
    std::vector<double> p = Sampled(t, [](double s) { return 90.0 * std::exp(-s / 0.03) + 5.0; });
    p[7] = NAN;
    std::vector<double> params;
    EXPECT_FALSE(ExtLib::FitCurve(ExtLib::GlantzFunc(), 3, p, t, params));
    EXPECT_EQ(params.size(), 3u);
}

TEST(FitCurve, ASingularStatisticsMatrixFailsTheFitInsteadOfThrowing)
{
    // All samples at x = 0: the rate of p1 e^(p0 x) is not determined, its gradient row is zero.
    const std::vector<double> x{0.0, 0.0, 0.0, 0.0};
    const std::vector<double> y{5.0, 5.0, 5.0, 5.0};
    std::vector<double> params;
    double r2 = 0.0;
    bool ok = true;
    EXPECT_NO_THROW(ok = ExtLib::FitCurve(ExtLib::ExponFunc(), 2, y, x, params, &r2));
    EXPECT_FALSE(ok);

    std::vector<double> errors, lower(2), upper(2);
    double sse = 0.0, s = 0.0;
    int dof = 0;
    EXPECT_FALSE(ExtLib::FitFunctionWithStatistics(
        x, y, {1.0, 5.0}, errors, lower, upper, sse, r2, s, dof, ExtLib::ExponFunc()));
    EXPECT_EQ(dof, 2);
}

TEST(FitCurve, StatisticsSizeTheirLimitsAndRefuseMismatchedInput)
{
    const std::vector<double> x = Times(6, 1.0);
    std::vector<double> y;
    for (double v : x)
        y.push_back(1.0 + 2.0 * v + (static_cast<int>(v) % 2 ? 0.1 : -0.1));
    const LineFunc line;
    std::vector<double> params;
    ASSERT_TRUE(ExtLib::FitFunction(x, y, params, line));

    std::vector<double> errors, lower, upper;
    double sse = 0.0, r2 = 0.0, s = 0.0;
    int dof = 0;
    ASSERT_TRUE(ExtLib::FitFunctionWithStatistics(x, y, params, errors, lower, upper, sse, r2, s, dof, line));
    ASSERT_EQ(2u, lower.size());
    ASSERT_EQ(2u, upper.size());
    EXPECT_LT(lower[1], params[1]);
    EXPECT_GT(upper[1], params[1]);

    const std::vector<double> shortY(y.begin(), y.end() - 1);
    EXPECT_FALSE(ExtLib::FitFunctionWithStatistics(x, shortY, params, errors, lower, upper, sse, r2, s, dof, line));
    EXPECT_FALSE(ExtLib::FitFunctionWithStatistics(x, y, {1.0}, errors, lower, upper, sse, r2, s, dof, line));
}

TEST(FitCurve, WithoutRSquaredNoStatisticsAreAsked)
{
    const std::vector<double> x{0.0, 0.0, 0.0, 0.0};
    std::vector<double> params;
    EXPECT_TRUE(ExtLib::FitCurve(ExtLib::ExponFunc(), 2, {5.0, 5.0, 5.0, 5.0}, x, params));
    EXPECT_NEAR(params[1], 5.0, 1e-9);
}

// Relaxations with a 30 ms time constant sampled at 1 kHz.
TEST(TauFits, ExactRelaxationsGiveTheirTimeConstant)
{
    constexpr double tau = 0.030;
    constexpr double dt = 0.001;
    const ExtLib::SampleTime timeOf = [](int i) { return i * dt; };
    const std::vector<double> t = Times(60, dt);
    std::vector<double> params;

    ASSERT_TRUE(ExtLib::FitExponentialCurve(Sampled(t, [](double s) { return 90.0 * std::exp(-s / tau); }), timeOf, params));
    EXPECT_NEAR(-1.0 / params[0], tau, 0.005 * tau);

    ASSERT_TRUE(ExtLib::FitGlantzCurve(
        Sampled(t, [](double s) { return 85.0 * std::exp(-s / tau) + 6.0; }), timeOf, params));
    EXPECT_NEAR(-1.0 / params[0], tau, 0.005 * tau);
    EXPECT_NEAR(params[2], 6.0, 1e-3);

    double r2 = 0.0;
    ASSERT_TRUE(ExtLib::FitLogisticCurve(
        Sampled(t, [](double s) { return 160.0 / (std::exp(s / tau) + 1.0) + 4.0; }), timeOf, params, &r2));
    EXPECT_NEAR(1.0 / params[0], tau, 0.005 * tau);
    EXPECT_NEAR(r2, 1.0, 1e-9);
}
