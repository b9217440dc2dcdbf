// Least-squares fit of a model function to x/y data, and the statistics of a finished fit.
#pragma once

#include "calc/numerics/CurveFunctions.h"
#include "calc/numerics/LevenbergMarquardt.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace ExtLib
{

// Residuals y[i] - f(x[i]) of a model function for the minimiser. Holds nothing of its own.
class TPlugin : public lmmin_plugin
{
public:
    // x stays unchanged while the plug-in lives: the function hears of it.
    TPlugin(const std::vector<double>& x, const std::vector<double>& y, const FunctionBase& f)
        : x_(x), y_(y), f_(f)
    {
        f_.FitBegins(x_);
    }
    ~TPlugin() { f_.FitEnds(); }
    TPlugin(const TPlugin&) = delete;
    TPlugin& operator=(const TPlugin&) = delete;

    void EvaluateResiduals(const double* par, std::int32_t m, double* fvec, std::int32_t& info) override;
    void PrintOut(std::int32_t, const double*, std::int32_t, const double*, std::int32_t, std::int32_t,
        std::int32_t) override
    {
    }

private:
    const std::vector<double>& x_;
    const std::vector<double>& y_;
    const FunctionBase& f_;
    std::vector<double> params_;
};

// Fits f to the data, starting from initial when given, else from f's own guess. params receives the
// minimiser's last values in every case; true when the minimiser converged (outcomes 1 to 4) on finite
// residuals.
bool FitFunction(const std::vector<double>& x, const std::vector<double>& y, std::vector<double>& params,
    const FunctionBase& f, const std::vector<double>* initial = nullptr);

// Statistics of fitted parameters: standard errors and 95 % confidence limits (lower and upper are sized
// p by the caller), sum of squared residuals, r squared, standard error of the estimate and degrees of
// freedom m - p. Degrees of freedom, SSE, r squared and the standard error are written first; false when
// there are no degrees of freedom, when the information matrix is singular or has a negative variance.
bool FitFunctionWithStatistics(const std::vector<double>& x, const std::vector<double>& y,
    const std::vector<double>& params, std::vector<double>& standardErrors, std::vector<double>& lower,
    std::vector<double>& upper, double& sse, double& rSquared, double& standardError, int& degreesOfFreedom,
    const FunctionBase& f);

// Fits f (p parameters) to the pairs of y and x, needing at least p pairs where both are finite.
// With rSquared given, a converged fit also needs its statistics, unless it has no degrees of freedom.
bool FitCurve(const FunctionBase& f, int p, const std::vector<double>& y, const std::vector<double>& x,
    std::vector<double>& params, double* rSquared = nullptr, const std::vector<double>* initial = nullptr);

// Time of sample index i, for the relaxation fits.
using SampleTime = std::function<double(int)>;

// The relaxation fits take the time of each sample index from any callable (a SampleTime among them): the
// loop analyser's Tau fit runs once a beat, and a function object called once per sample cost it more than
// building the times.
template <class Func, class TimeOf>
bool FitRelaxationCurve(const std::vector<double>& y, const TimeOf& timeOf, std::vector<double>& params,
    double* rSquared)
{
    std::vector<double> x(y.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = timeOf(static_cast<int>(i));
    const Func f;
    return FitCurve(f, f.GetParameterCount(), y, x, params, rSquared);
}

template <class TimeOf>
bool FitExponentialCurve(const std::vector<double>& y, const TimeOf& timeOf, std::vector<double>& params,
    double* rSquared = nullptr)
{
    return FitRelaxationCurve<ExponFunc>(y, timeOf, params, rSquared);
}

template <class TimeOf>
bool FitLogisticCurve(const std::vector<double>& y, const TimeOf& timeOf, std::vector<double>& params,
    double* rSquared = nullptr)
{
    return FitRelaxationCurve<LogisticFunc>(y, timeOf, params, rSquared);
}

template <class TimeOf>
bool FitGlantzCurve(const std::vector<double>& y, const TimeOf& timeOf, std::vector<double>& params,
    double* rSquared = nullptr)
{
    return FitRelaxationCurve<GlantzFunc>(y, timeOf, params, rSquared);
}

} // namespace ExtLib
