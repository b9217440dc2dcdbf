#include "calc/numerics/CurveFunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <typeinfo>
#include <vector>

namespace
{

// Central difference of Evaluate by parameter j.
double NumericDerivative(const ExtLib::FunctionBase& f, double x, std::vector<double> p, int j)
{
    const double h = 1e-6 * std::max(1.0, std::fabs(p[j]));
    p[j] += h;
    const double up = f.Evaluate(x, p);
    p[j] -= 2 * h;
    const double down = f.Evaluate(x, p);
    return (up - down) / (2 * h);
}

std::vector<double> Start(const ExtLib::FunctionBase& f, const std::vector<double>& x, const std::vector<double>& y)
{
    std::vector<double> p(f.GetParameterCount());
    f.InitialGuess(x, y, p);
    return p;
}

} // namespace

TEST(CurveFunctions, GradientsAreThePartialDerivativesOfTheCurves)
{
    struct Case
    {
        std::unique_ptr<ExtLib::FunctionBase> f;
        std::vector<double> p;
    };
    std::vector<Case> cases;
    cases.push_back({std::make_unique<ExtLib::ExponFunc>(), {-0.7, 3.0}});
    cases.push_back({std::make_unique<ExtLib::GlantzFunc>(), {-0.4, 2.5, 1.5}});
    cases.push_back({std::make_unique<ExtLib::LogisticFunc>(), {0.9, 4.0, -1.0}});
    cases.push_back({std::make_unique<ExtLib::SineFunc>(), {60.0, 50.0, 0.05, -1.2}});
    for (const Case& c : cases)
    {
        ASSERT_EQ(static_cast<size_t>(c.f->GetParameterCount()), c.p.size());
        std::vector<double> g(c.p.size());
        for (double x : {0.0, 0.3, 1.7, 12.0})
        {
            c.f->Gradient(x, c.p, g);
            for (size_t j = 0; j < c.p.size(); ++j)
                EXPECT_NEAR(g[j], NumericDerivative(*c.f, x, c.p, static_cast<int>(j)), 1e-6 * std::max(1.0, std::fabs(g[j])))
                    << typeid(*c.f).name() << " x=" << x << " j=" << j;
        }
    }
}

// A fit asks for all values (or residuals) at once, in the order a forward-difference Jacobian steps the
// parameters, and sometimes over other samples; every value must be the one Evaluate gives, bit for bit, and
// every residual y - that value.
TEST(CurveFunctions, AllValuesAtOnceAreTheValuesOneByOne)
{
    const ExtLib::ExponFunc exponential;
    const ExtLib::ExponFunc fixed(7.5);
    const ExtLib::GlantzFunc glantz;
    const std::vector<double> first{0.0, 0.0005, 0.001, 0.0015, 0.002}, other{0.0, 0.001, 0.002};
    const std::vector<std::vector<double>> steps{{-120.0, 90.0, 3.0}, {-120.0 * (1 + 1e-8), 90.0, 3.0},
        {-120.0, 90.0 * (1 + 1e-8), 3.0}, {-118.0, 91.0, 3.0}, {-120.0, 90.0, 3.0}, {-0.0, 90.0, 3.0}, {0.0, 1.0, 3.0}};
    const std::vector<const ExtLib::FunctionBase*> functions{&exponential, &fixed, &glantz};
    for (const ExtLib::FunctionBase* f : functions)
        for (size_t step = 0; step < 2 * steps.size(); ++step)
        {
            const std::vector<double>& x = step % 3 == 2 ? other : first;
            const std::vector<double>& p = steps[step % steps.size()];
            const std::vector<double> y{93.1, 70.4, 55.0, 41.9, 33.3};
            std::vector<double> values(x.size()), residuals(x.size());
            f->EvaluateAll(x, p, values.data());
            f->Residuals(x, y, p, residuals.data());
            for (size_t i = 0; i < x.size(); ++i)
            {
                EXPECT_EQ(f->Evaluate(x[i], p), values[i]) << typeid(*f).name() << " step " << step << " at " << x[i];
                EXPECT_EQ(y[i] - f->Evaluate(x[i], p), residuals[i]) << typeid(*f).name() << " step " << step;
            }
        }
}

// A fit's samples are compared with the exponentials' own copy once per fit; the same vector changed after
// the fit, or seen by a copy of the function made during it, gets exponentials of its new values.
TEST(CurveFunctions, ExponentialsFollowSamplesChangedOutsideAFit)
{
    const ExtLib::ExponFunc f;
    const std::vector<double> p{-100.0, 2.0};
    std::vector<double> x{0.0, 0.001, 0.002}, values(x.size());
    f.FitBegins(x);
    f.EvaluateAll(x, p, values.data());
    const ExtLib::ExponFunc copy = f;
    f.EvaluateAll(x, p, values.data());
    f.FitEnds();
    for (const ExtLib::ExponFunc* function : {&f, &copy})
    {
        x[1] += 0.004;
        function->EvaluateAll(x, p, values.data());
        EXPECT_EQ(function->Evaluate(x[1], p), values[1]);
    }
}

TEST(CurveFunctions, TheSineStartIsFixedWhateverTheData)
{
    const ExtLib::SineFunc f;
    EXPECT_EQ(Start(f, {1, 2, 3}, {100, 120, 90}), (std::vector<double>{0, 1, 1, 0}));
    EXPECT_EQ(Start(f, {}, {}), (std::vector<double>{0, 1, 1, 0}));
}

TEST(CurveFunctions, TheExponentialStartPassesThroughTheFirstAndLastUsablePairs)
{
    const ExtLib::ExponFunc f;
    const std::vector<double> x{-1.0, 0.5, 1.0, 2.0, 3.0, 3.0};
    const std::vector<double> y{9.0, 2.0, -1.0, 7.0, 8.0, 50.0};
    const std::vector<double> p = Start(f, x, y);
    // Usable pairs have x >= 0 and y >= 0: smallest x is (0.5, 2), the first largest is (3, 8).
    EXPECT_NEAR(f.Evaluate(0.5, p), 2.0, 1e-12);
    EXPECT_NEAR(f.Evaluate(3.0, p), 8.0, 1e-12);
}

TEST(CurveFunctions, TheExponentialStartIsNeutralWithoutUsableData)
{
    const ExtLib::ExponFunc f;
    EXPECT_EQ(Start(f, {}, {}), (std::vector<double>{1, 1}));
    EXPECT_EQ(Start(f, {-1, -2}, {3, 4}), (std::vector<double>{1, 1}));
    EXPECT_EQ(Start(f, {1, 2}, {-3, -4}), (std::vector<double>{1, 1}));
    EXPECT_EQ(Start(f, {2, 2}, {5, 5}), (std::vector<double>{1, 1}));
    // A zero sample has no logarithm: neutral rather than infinite.
    EXPECT_EQ(Start(f, {0, 1}, {5, 0}), (std::vector<double>{1, 1}));
}

TEST(CurveFunctions, AFixedAmplitudeReplacesTheSecondParameter)
{
    const ExtLib::ExponFunc f(7.0);
    const std::vector<double> p = Start(f, {0, 1}, {4, 2});
    EXPECT_EQ(p[1], 7.0);
    EXPECT_NEAR(f.Evaluate(1.0, {p[0], 123.0}), 7.0 * std::exp(p[0]), 1e-12);
}

TEST(CurveFunctions, RelaxationStartsRefuseFewerThanTwoSamples)
{
    EXPECT_THROW(Start(ExtLib::GlantzFunc(), {0.0}, {1.0}), std::invalid_argument);
    EXPECT_THROW(Start(ExtLib::LogisticFunc(), {}, {}), std::invalid_argument);
}
