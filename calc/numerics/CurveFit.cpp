#include "calc/numerics/CurveFit.h"

#include "calc/numerics/Matrix.h"
#include "calc/numerics/StudentT.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace ExtLib
{

namespace
{

// Control values of the curve fits.
constexpr double kFitTolerance = 1e-8;
constexpr double kFitGradientTolerance = 0.0;
constexpr double kFitDifferenceStep = 1e-8;
constexpr double kFitStepBound = 100.0;
constexpr std::int32_t kFitCallsPerParameter = 100;

// Two-sided 95 % confidence limits.
constexpr double kConfidenceQuantile = 0.975;

bool Converged(std::int32_t info)
{
    return info >= LM_SUM_CONVERGED && info <= LM_ORTHOGONAL;
}

// Sum over the data points of g g^T, g the model's gradient at the fitted parameters.
Matrix InformationMatrix(const std::vector<double>& x, const std::vector<double>& params, const FunctionBase& f)
{
    const int p = f.GetParameterCount();
    Matrix information;
    ResizeMatrix(information, p, p);
    std::vector<double> g(p);
    for (double xi : x)
    {
        f.Gradient(xi, params, g);
        for (int r = 0; r < p; ++r)
            for (int c = 0; c < p; ++c)
                information[r][c] += g[r] * g[c];
    }
    return information;
}

} // namespace

void TPlugin::EvaluateResiduals(const double* par, std::int32_t /*m*/, double* fvec, std::int32_t& /*info*/)
{
    params_.assign(par, par + f_.GetParameterCount());
    f_.Residuals(x_, y_, params_, fvec);
}

bool FitFunction(const std::vector<double>& x, const std::vector<double>& y, std::vector<double>& params,
    const FunctionBase& f, const std::vector<double>* initial)
{
    const int m = static_cast<int>(x.size());
    const int p = f.GetParameterCount();
    if (y.size() < x.size() || (initial != nullptr && static_cast<int>(initial->size()) < p))
        throw std::invalid_argument("fit data or start values are shorter than the fit needs");
    LmControl control;
    control.ftol = kFitTolerance;
    control.xtol = kFitTolerance;
    control.gtol = kFitGradientTolerance;
    control.epsilon = kFitDifferenceStep;
    control.stepbound = kFitStepBound;
    control.maxcall = kFitCallsPerParameter;

    params.resize(p);
    if (initial == nullptr)
        f.InitialGuess(x, y, params);
    else
        params.assign(initial->begin(), initial->begin() + p);

    // A non-finite sample makes every residual norm NaN, which the convergence tests take for
    // convergence at the start values: such a fit has not fitted anything.
    TPlugin plugin(x, y, f);
    LmMinimize(m, p, params.data(), plugin, control);
    return Converged(control.info) && std::isfinite(control.fnorm);
}

// With m points, p parameters, residuals r_i = y_i - f(x_i) and gradients g_i of f at the fit:
//     SSE = sum r_i^2,  SST = sum (y_i - mean y)^2,  r^2 = 1 - SSE / SST,  s = sqrt(SSE / (m - p)),
//     standard error_j = s * sqrt((sum g_i g_i^T)^-1_jj),  limits_j = param_j -/+ t(0.975, m - p) * error_j.
bool FitFunctionWithStatistics(const std::vector<double>& x, const std::vector<double>& y,
    const std::vector<double>& params, std::vector<double>& standardErrors, std::vector<double>& lower,
    std::vector<double>& upper, double& sse, double& rSquared, double& standardError, int& degreesOfFreedom,
    const FunctionBase& f)
{
    const int m = static_cast<int>(x.size());
    const int p = f.GetParameterCount();
    degreesOfFreedom = m - p;
    if (y.size() != x.size() || params.size() < static_cast<size_t>(p))
        return false;

    double mean = 0.0;
    for (int i = 0; i < m; ++i)
        mean += y[i] / m;
    double sst = 0.0;
    sse = 0.0;
    for (int i = 0; i < m; ++i)
    {
        const double residual = y[i] - f.Evaluate(x[i], params);
        sse += residual * residual;
        sst += (y[i] - mean) * (y[i] - mean);
    }
    rSquared = 1.0 - sse / sst;
    standardError = std::sqrt(sse / degreesOfFreedom);
    if (m <= p)
        return false;

    // A singular information matrix means some parameter is not determined by the data: no statistics.
    Matrix covariance = InformationMatrix(x, params, f);
    try
    {
        InvertMatrix(covariance);
    }
    catch (const MtxErr&)
    {
        return false;
    }

    standardErrors.resize(p);
    lower.resize(p);
    upper.resize(p);
    for (int j = 0; j < p; ++j)
    {
        if (covariance[j][j] < 0.0)
            return false;
        standardErrors[j] = std::sqrt(covariance[j][j]) * standardError;
    }
    const double t = InverseStudentTDistribution(degreesOfFreedom, kConfidenceQuantile);
    for (int j = 0; j < p; ++j)
    {
        lower[j] = params[j] - t * standardErrors[j];
        upper[j] = params[j] + t * standardErrors[j];
    }
    return true;
}

bool FitCurve(const FunctionBase& f, int p, const std::vector<double>& y, const std::vector<double>& x,
    std::vector<double>& params, double* rSquared, const std::vector<double>* initial)
{
    int finite = 0;
    for (size_t i = 0; i < y.size() && i < x.size(); ++i)
        if (std::isfinite(y[i]) && std::isfinite(x[i]))
            ++finite;
    if (finite < p)
        return false;

    std::vector<double> fitted;
    bool ok = FitFunction(x, y, fitted, f, initial);
    if (ok && rSquared != nullptr)
    {
        std::vector<double> errors, lower(f.GetParameterCount()), upper(f.GetParameterCount());
        double sse = 0.0, r2 = 0.0, standardError = 0.0;
        int degreesOfFreedom = 0;
        const bool statistics = FitFunctionWithStatistics(
            x, y, fitted, errors, lower, upper, sse, r2, standardError, degreesOfFreedom, f);
        ok = statistics || degreesOfFreedom == 0;
        if (ok)
            *rSquared = r2;
    }
    params = std::move(fitted);
    return ok;
}

} // namespace ExtLib

