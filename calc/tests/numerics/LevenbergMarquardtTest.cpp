#include "calc/numerics/LevenbergMarquardt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace
{

// Residuals given by a function of the parameters; counts its calls and can ask to stop.
class FunctionPlugin : public lmmin_plugin
{
public:
    using Residuals = std::function<void(const double*, int, double*)>;

    explicit FunctionPlugin(Residuals residuals) : residuals_(std::move(residuals)) {}

    void EvaluateResiduals(const double* par, std::int32_t m, double* fvec, std::int32_t& info) override
    {
        ++calls;
        residuals_(par, m, fvec);
        if (calls == stopAtCall)
            info = -1;
    }
    void PrintOut(std::int32_t, const double*, std::int32_t, const double*, std::int32_t, std::int32_t,
        std::int32_t) override
    {
        ++printCalls;
    }

    int calls = 0;
    int printCalls = 0;
    int stopAtCall = 0;

private:
    Residuals residuals_;
};

LmControl Control()
{
    LmControl c;
    c.ftol = c.xtol = 1e-10;
    c.gtol = 0.0;
    c.epsilon = 1e-10;
    c.stepbound = 100.0;
    c.maxcall = 100;
    return c;
}

// y = 1 + 2 x at x = 0..4, as residuals of a line.
void LineResiduals(const double* p, int m, double* fvec)
{
    for (int i = 0; i < m; ++i)
        fvec[i] = (1.0 + 2.0 * i) - (p[0] + p[1] * i);
}

// y = 4 e^(-0.5 x) + 1 at x = 0, 0.5, ..., as residuals of a three-parameter decay.
void DecayResiduals(const double* p, int m, double* fvec)
{
    for (int i = 0; i < m; ++i)
    {
        const double x = 0.5 * i;
        fvec[i] = (4.0 * std::exp(-0.5 * x) + 1.0) - (p[0] * std::exp(p[1] * x) + p[2]);
    }
}

} // namespace

TEST(LmMinimize, ImproperInputEndsWithoutAnyEvaluation)
{
    struct Case
    {
        const char* what;
        int m;
        int n;
        std::function<void(LmControl&)> spoil;
    };
    const std::vector<Case> cases{
        {"no parameters", 5, 0, [](LmControl&) {}},
        {"fewer residuals than parameters", 1, 2, [](LmControl&) {}},
        {"negative ftol", 5, 2, [](LmControl& c) { c.ftol = -1.0; }},
        {"negative xtol", 5, 2, [](LmControl& c) { c.xtol = -1.0; }},
        {"negative gtol", 5, 2, [](LmControl& c) { c.gtol = -1.0; }},
        {"no calls", 5, 2, [](LmControl& c) { c.maxcall = 0; }},
        {"no step bound", 5, 2, [](LmControl& c) { c.stepbound = 0.0; }},
    };
    for (const Case& c : cases)
    {
        FunctionPlugin plugin(LineResiduals);
        LmControl control = Control();
        c.spoil(control);
        double par[2] = {0.5, 0.5};
        LmMinimize(c.m, c.n, par, plugin, control);
        EXPECT_EQ(control.info, LM_IMPROPER_INPUT) << c.what;
        EXPECT_EQ(control.nfev, 0) << c.what;
        EXPECT_EQ(plugin.calls, 0) << c.what;
        EXPECT_EQ(par[0], 0.5) << c.what;
    }
}

TEST(LmMinimize, AStopRequestOnTheFirstCallEndsWithOutcomeTen)
{
    FunctionPlugin plugin(LineResiduals);
    plugin.stopAtCall = 1;
    LmControl control = Control();
    double par[2] = {0.0, 0.0};
    LmMinimize(5, 2, par, plugin, control);
    EXPECT_EQ(control.info, LM_STOPPED);
    EXPECT_EQ(control.nfev, 1);
    EXPECT_EQ(par[0], 0.0);
    EXPECT_EQ(par[1], 0.0);
}

TEST(LmMinimize, AStopRequestLaterKeepsTheLastAcceptedParameters)
{
    FunctionPlugin plugin(DecayResiduals);
    plugin.stopAtCall = 12;
    LmControl control = Control();
    double par[3] = {1.0, -1.0, 0.0};
    LmMinimize(12, 3, par, plugin, control);
    EXPECT_EQ(control.info, LM_STOPPED);
    EXPECT_EQ(control.nfev, 12);
    EXPECT_TRUE(std::isfinite(par[0]) && std::isfinite(par[1]) && std::isfinite(par[2]));
}

TEST(LmMinimize, AnExactModelConvergesWithZeroNorm)
{
    FunctionPlugin plugin(LineResiduals);
    LmControl control = Control();
    double par[2] = {0.0, 0.0};
    LmMinimize(5, 2, par, plugin, control);
    EXPECT_TRUE(control.info == LM_STEP_CONVERGED || control.info == LM_ORTHOGONAL) << control.info;
    EXPECT_LT(control.nfev, control.maxcall * 3 / 4);
    EXPECT_NEAR(par[0], 1.0, 1e-10);
    EXPECT_NEAR(par[1], 2.0, 1e-10);
    EXPECT_LT(control.fnorm, 1e-12);
    EXPECT_EQ(plugin.printCalls, 0);
}

TEST(LmMinimize, RecoversANonlinearDecayWithOffset)
{
    FunctionPlugin plugin(DecayResiduals);
    LmControl control = Control();
    double par[3] = {1.0, -1.0, 0.0};
    LmMinimize(12, 3, par, plugin, control);
    EXPECT_GE(control.info, LM_SUM_CONVERGED);
    EXPECT_LE(control.info, LM_ORTHOGONAL);
    EXPECT_NEAR(par[0], 4.0, 1e-8);
    EXPECT_NEAR(par[1], -0.5, 1e-8);
    EXPECT_NEAR(par[2], 1.0, 1e-8);
    EXPECT_EQ(control.nfev, plugin.calls);
}

TEST(LmMinimize, OneCallPerParameterEndsAfterTheFirstTrialStep)
{
    FunctionPlugin plugin(DecayResiduals);
    LmControl control = Control();
    control.maxcall = 1;
    double par[3] = {1.0, -1.0, 0.0};
    LmMinimize(12, 3, par, plugin, control);
    EXPECT_EQ(control.info, LM_CALLS_SPENT);
    EXPECT_EQ(control.nfev, 5);
}

TEST(LmMinimize, TheCallBudgetIsCheckedAfterEachTrialStep)
{
    // A Jacobian (3 calls) may start just below the budget, so the last trial can pass it by 3.
    for (int maxcall : {2, 3, 5})
    {
        FunctionPlugin plugin(DecayResiduals);
        LmControl control = Control();
        control.maxcall = maxcall;
        double par[3] = {10.0, -3.0, 5.0};
        LmMinimize(12, 3, par, plugin, control);
        ASSERT_EQ(control.info, LM_CALLS_SPENT) << maxcall;
        EXPECT_GE(control.nfev, maxcall * 4) << maxcall;
        EXPECT_LE(control.nfev, maxcall * 4 + 3) << maxcall;
    }
}
