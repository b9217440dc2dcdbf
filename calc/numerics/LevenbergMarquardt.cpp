#include "calc/numerics/LevenbergMarquardt.h"

#include "platform/mpfit/Minpack.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>
#include <vector>

namespace
{

// Relative precision of a double as this minimiser counts it (half the spacing at 1.0).
constexpr double kMachinePrecision = 5.55e-17;
// Smallest positive value the Levenberg-Marquardt parameter may take: the denormal 2 * 2^-1074.
const double kDwarf = std::bit_cast<double>(std::uint64_t{2});

// Up to this many parameters the shifted copy stays off the heap.
constexpr std::size_t kInlineParameters = 8;

// The plug-in's residuals over forward differences, counting evaluations against the budget.
class PluginProblem : public minpack::LmProblem
{
public:
    PluginProblem(lmmin_plugin& plugin, int m, int n, const LmControl& control, long long maxfev)
        : plugin_(plugin), m_(m), shifted_(static_cast<std::size_t>(n)), maxfev_(maxfev),
          stepScale_(std::sqrt(std::max(control.epsilon, kMachinePrecision)))
    {
    }

    bool Residuals(const double* x, double* fvec) override
    {
        std::int32_t info = 0;
        plugin_.EvaluateResiduals(x, m_, fvec, info);
        ++nfev_;
        return info >= 0;
    }

    bool Jacobian(const double* x, const double* fvec, minpack::ColumnMatrix& fjac) override
    {
        const int n = fjac.Cols();
        std::copy(x, x + n, shifted_.begin());
        for (int j = 0; j < n; ++j)
        {
            double h = stepScale_ * std::fabs(x[j]);
            if (h == 0.0)
                h = stepScale_;
            shifted_[j] = x[j] + h;
            // The shifted residuals land in their column, each then replaced by its difference quotient.
            double* out = fjac.Column(j);
            if (!Residuals(shifted_.data(), out))
                return false;
            shifted_[j] = x[j];
            minpack::DifferenceQuotients(m_, out, fvec, h);
        }
        return true;
    }

    bool BudgetSpent(int /*acceptedSteps*/) const override { return nfev_ >= maxfev_; }

    int Evaluations() const { return nfev_; }

private:
    lmmin_plugin& plugin_;
    int m_;
    minpack::SmallBuffer<double, kInlineParameters> shifted_;
    long long maxfev_;
    double stepScale_;
    int nfev_ = 0;
};

bool ProperInput(int m, int n, const LmControl& c, long long maxfev)
{
    return n > 0 && m >= n && c.ftol >= 0.0 && c.xtol >= 0.0 && c.gtol >= 0.0 && maxfev > 0 && c.stepbound > 0.0;
}

} // namespace

void LmMinimize(std::int32_t m, std::int32_t n, double* par, lmmin_plugin& plugin, LmControl& control)
{
    control.nfev = 0;
    control.info = LM_IMPROPER_INPUT;
    const long long maxfev = static_cast<long long>(control.maxcall) * (static_cast<long long>(n) + 1);
    if (!ProperInput(m, n, control, maxfev))
        return;

    const minpack::LmSettings settings{
        control.ftol, control.xtol, control.gtol, control.stepbound, kMachinePrecision, kDwarf};

    try
    {
        PluginProblem problem(plugin, m, n, control, maxfev);
        minpack::SmallBuffer<double, minpack::kInlineResiduals> fvec(static_cast<std::size_t>(m));
        const minpack::LmOutcome outcome =
            minpack::LmIterate(problem, m, n, par, std::span<double>(fvec.data(), fvec.size()), settings);
        control.nfev = problem.Evaluations();
        control.info = outcome.info == minpack::kLmStopped ? LM_STOPPED : outcome.info;
        // The iteration's norm is that of the residuals it returns, except when it stopped at the start.
        control.fnorm = outcome.info == minpack::kLmStopped ? minpack::enorm(m, fvec.data()) : outcome.fnorm;
    }
    catch (const std::bad_alloc&)
    {
        control.info = LM_NO_MEMORY;
    }
}
