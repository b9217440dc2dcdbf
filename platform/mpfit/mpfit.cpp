// mpfit: MINPACK's lmdif iteration over the free parameters, with
//  - limits: a parameter sitting on a limit whose gradient points outward is "pegged": its Jacobian
//    column is zeroed so the step leaves it there; every other step is shortened to the fraction alpha
//    that keeps all parameters inside their limits, and values within rounding of a limit are put on it;
//  - derivatives per parameter: forward (side 0, 1), backward (-1), central (2) differences, stepping
//    into the feasible side near a limit, or the user's analytical derivatives (3).
#include "platform/mpfit/mpfit.h"

#include "platform/mpfit/Covariance.h"
#include "platform/mpfit/Minpack.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <new>
#include <vector>

namespace
{

constexpr double kDefaultTolerance = 1e-10;
constexpr double kDefaultStepFactor = 100.0;
constexpr double kDefaultCovarianceTolerance = 1e-14;
constexpr int kDefaultMaxIterations = 200;

constexpr int kSideForward = 1;
constexpr int kSideBackward = -1;
constexpr int kSideCentral = 2;
constexpr int kSideAnalytic = 3;

struct Settings
{
    double ftol = kDefaultTolerance;
    double xtol = kDefaultTolerance;
    double gtol = kDefaultTolerance;
    double epsfcn = MP_MACHEP0;
    double stepfactor = kDefaultStepFactor;
    double covtol = kDefaultCovarianceTolerance;
    int maxiter = kDefaultMaxIterations;
    int maxfev = 0;
};

Settings ResolveSettings(const mp_config* config)
{
    Settings s;
    if (config == nullptr)
        return s;
    const auto take = [](double given, double& value) {
        if (given > 0.0)
            value = given;
    };
    take(config->ftol, s.ftol);
    take(config->xtol, s.xtol);
    take(config->gtol, s.gtol);
    take(config->epsfcn, s.epsfcn);
    take(config->stepfactor, s.stepfactor);
    take(config->covtol, s.covtol);
    if (config->maxiter > 0 || config->maxiter == MP_NO_ITER)
        s.maxiter = config->maxiter;
    if (config->maxfev > 0)
        s.maxfev = config->maxfev;
    return s;
}

// One free parameter as the fit sees it.
struct FreeParameter
{
    int index = 0;  // position in xall
    bool hasLower = false;
    bool hasUpper = false;
    double lower = 0.0;
    double upper = 0.0;
    double step = 0.0;
    double relstep = 0.0;
    int side = 0;

    bool AtLower(double x) const { return hasLower && x == lower; }
    bool AtUpper(double x) const { return hasUpper && x == upper; }
    bool Inside(double x) const { return !(hasLower && x < lower) && !(hasUpper && x > upper); }
};

// Checks the parameter records and collects the free parameters; returns 1 or an MP_ERR_ code.
int CollectFreeParameters(int npar, const double* xall, const mp_par* pars, std::vector<FreeParameter>& freeParams)
{
    for (int i = 0; i < npar; ++i)
    {
        if (!std::isfinite(xall[i]))
            return MP_ERR_PARAM;
        if (pars == nullptr)
        {
            freeParams.push_back(FreeParameter{i});
            continue;
        }
        const mp_par& p = pars[i];
        if (p.side < kSideBackward || p.side > kSideAnalytic || p.step < 0.0 || p.relstep < 0.0)
            return MP_ERR_PARAM;
        if (p.fixed)
            continue;
        FreeParameter f{i, p.limited[0] != 0, p.limited[1] != 0, p.limits[0], p.limits[1], p.step, p.relstep,
            p.side};
        if (f.hasLower && f.hasUpper && f.lower >= f.upper)
            return MP_ERR_BOUNDS;
        if (!f.Inside(xall[i]))
            return MP_ERR_INITBOUNDS;
        freeParams.push_back(f);
    }
    return freeParams.empty() ? MP_ERR_NFREE : 1;
}

// The user's problem over the free parameters, counting evaluations and keeping why it stopped.
class UserProblem : public minpack::LmProblem
{
public:
    UserProblem(mp_func func, int m, const double* xall, int npar, std::vector<FreeParameter> freeParams,
        const Settings& settings, void* privateData)
        : func_(func), m_(m), full_(xall, xall + npar), free_(std::move(freeParams)), settings_(settings),
          privateData_(privateData), scratch_(m), plus_(m), minus_(m),
          stepScale_(std::sqrt(std::max(settings.epsfcn, MP_MACHEP0)))
    {
    }

    bool Residuals(const double* x, double* fvec) override
    {
        SetFree(x);
        if (!Call(fvec, nullptr))
            return false;
        if (nfev_ == 1)
            originalChi2_ = SumOfSquares(fvec);
        return true;
    }

    bool Jacobian(const double* x, const double* fvec, minpack::ColumnMatrix& fjac) override
    {
        SetFree(x);
        if (!AnalyticColumns(fjac))
            return false;
        for (size_t j = 0; j < free_.size(); ++j)
            if (free_[j].side != kSideAnalytic && !DifferenceColumn(static_cast<int>(j), fvec, fjac))
                return false;
        return true;
    }

    void RestrictJacobian(const double* x, const double* fvec, minpack::ColumnMatrix& fjac) override
    {
        for (size_t j = 0; j < free_.size(); ++j)
        {
            // A parameter off its limits keeps its column whatever the gradient: a pass over every
            // residual less per iteration for the usual unlimited parameters.
            if (!free_[j].AtLower(x[j]) && !free_[j].AtUpper(x[j]))
                continue;
            const int col = static_cast<int>(j);
            double gradient = 0.0;
            for (int i = 0; i < m_; ++i)
                gradient += fvec[i] * fjac(i, col);
            // Descent runs along -gradient: outward at a lower limit when the gradient is positive.
            if ((free_[j].AtLower(x[j]) && gradient > 0.0) || (free_[j].AtUpper(x[j]) && gradient < 0.0))
                ZeroColumn(fjac, col);
        }
    }

    double LimitStep(const double* x, double* step, double* trial, int n) override
    {
        double alpha = 1.0;
        for (int j = 0; j < n; ++j)
        {
            const FreeParameter& f = free_[j];
            if (f.AtLower(x[j]))
                step[j] = std::max(step[j], 0.0);
            if (f.AtUpper(x[j]))
                step[j] = std::min(step[j], 0.0);
            if (std::fabs(step[j]) <= MP_MACHEP0)
                continue;
            if (f.hasLower && x[j] + step[j] < f.lower)
                alpha = std::min(alpha, (f.lower - x[j]) / step[j]);
            if (f.hasUpper && x[j] + step[j] > f.upper)
                alpha = std::min(alpha, (f.upper - x[j]) / step[j]);
        }
        for (int j = 0; j < n; ++j)
        {
            step[j] *= alpha;
            trial[j] = SnapToLimits(free_[j], x[j] + step[j]);
        }
        return alpha;
    }

    bool BudgetSpent(int acceptedSteps) const override
    {
        return acceptedSteps >= settings_.maxiter || (settings_.maxfev > 0 && nfev_ >= settings_.maxfev);
    }

    // Zeroes the columns of every parameter on a limit: their uncertainty is not defined by the data.
    void DropPinnedColumns(const double* x, minpack::ColumnMatrix& fjac) const
    {
        for (size_t j = 0; j < free_.size(); ++j)
            if (free_[j].AtLower(x[j]) || free_[j].AtUpper(x[j]))
                ZeroColumn(fjac, static_cast<int>(j));
    }

    int PeggedCount(const double* x) const
    {
        int count = 0;
        for (size_t j = 0; j < free_.size(); ++j)
            count += (free_[j].AtLower(x[j]) || free_[j].AtUpper(x[j])) ? 1 : 0;
        return count;
    }

    const std::vector<FreeParameter>& Free() const { return free_; }
    int Evaluations() const { return nfev_; }
    int StopStatus() const { return stopStatus_; }
    double OriginalChi2() const { return originalChi2_; }

private:
    static double SumOfSquares(const double* v, int n)
    {
        const double norm = minpack::enorm(n, v);
        return norm * norm;
    }
    double SumOfSquares(const double* fvec) const { return SumOfSquares(fvec, m_); }

    static void ZeroColumn(minpack::ColumnMatrix& fjac, int col)
    {
        std::fill(fjac.Column(col), fjac.Column(col) + fjac.Rows(), 0.0);
    }

    // A value within rounding of a limit is put on it, so that the next iteration sees it pegged.
    static double SnapToLimits(const FreeParameter& f, double value)
    {
        if (f.hasUpper)
        {
            const double sign = f.upper >= 0.0 ? 1.0 : -1.0;
            const double near = f.upper * (1.0 - sign * MP_MACHEP0) - (f.upper == 0.0 ? MP_MACHEP0 : 0.0);
            if (value >= near)
                value = f.upper;
        }
        if (f.hasLower)
        {
            const double sign = f.lower >= 0.0 ? 1.0 : -1.0;
            const double near = f.lower * (1.0 + sign * MP_MACHEP0) + (f.lower == 0.0 ? MP_MACHEP0 : 0.0);
            if (value <= near)
                value = f.lower;
        }
        return value;
    }

    void SetFree(const double* x)
    {
        for (size_t j = 0; j < free_.size(); ++j)
            full_[free_[j].index] = x[j];
    }

    bool Call(double* fvec, double** dvec)
    {
        ++nfev_;
        const int rc = func_(m_, static_cast<int>(full_.size()), full_.data(), fvec, dvec, privateData_);
        if (rc < 0)
        {
            stopStatus_ = rc;
            return false;
        }
        for (int i = 0; i < m_; ++i)
        {
            if (!std::isfinite(fvec[i]))
            {
                stopStatus_ = MP_ERR_NAN;
                return false;
            }
        }
        return true;
    }

    // One call of the user function fills the columns of all side-3 parameters.
    bool AnalyticColumns(minpack::ColumnMatrix& fjac)
    {
        std::vector<double*> dvec(full_.size(), nullptr);
        bool any = false;
        for (size_t j = 0; j < free_.size(); ++j)
        {
            if (free_[j].side != kSideAnalytic)
                continue;
            ZeroColumn(fjac, static_cast<int>(j));
            dvec[free_[j].index] = fjac.Column(static_cast<int>(j));
            any = true;
        }
        return !any || Call(scratch_.data(), dvec.data());
    }

    double StepSize(const FreeParameter& f, double x) const
    {
        double h = f.step > 0.0 ? f.step : (f.relstep > 0.0 ? f.relstep : stepScale_) * std::fabs(x);
        if (h == 0.0)
            h = stepScale_;
        return f.side == kSideBackward ? -h : h;
    }

    bool DifferenceColumn(int j, const double* fvec, minpack::ColumnMatrix& fjac)
    {
        const FreeParameter& f = free_[j];
        double& xj = full_[f.index];
        const double x0 = xj;
        double h = StepSize(f, x0);
        double* column = fjac.Column(j);

        bool ok;
        if (f.side == kSideCentral && f.Inside(x0 + h) && f.Inside(x0 - h))
        {
            xj = x0 + h;
            ok = Call(plus_.data(), nullptr);
            xj = x0 - h;
            ok = ok && Call(minus_.data(), nullptr);
            if (ok)
                for (int i = 0; i < m_; ++i)
                    column[i] = (plus_[i] - minus_[i]) / (2.0 * h);
        }
        else
        {
            if (!f.Inside(x0 + h))
                h = -h;
            xj = x0 + h;
            ok = Call(plus_.data(), nullptr);
            if (ok)
                for (int i = 0; i < m_; ++i)
                    column[i] = (plus_[i] - fvec[i]) / h;
        }
        xj = x0;
        return ok;
    }

    mp_func func_;
    int m_;
    std::vector<double> full_;
    std::vector<FreeParameter> free_;
    Settings settings_;
    void* privateData_;
    std::vector<double> scratch_, plus_, minus_;
    double stepScale_;
    int nfev_ = 0;
    int stopStatus_ = MP_ERR_INPUT;
    double originalChi2_ = 0.0;
};

minpack::LmSettings IterationSettings(const Settings& s)
{
    return minpack::LmSettings{s.ftol, s.xtol, s.gtol, s.stepfactor, MP_MACHEP0, DBL_MIN};
}

// Uncertainties and covariance at the final parameters; zero for fixed and pegged parameters.
bool FillUncertainties(UserProblem& problem, const std::vector<double>& x, const std::vector<double>& fvec, int npar,
    const Settings& settings, mp_result& result)
{
    const std::vector<FreeParameter>& freeParams = problem.Free();
    const int nfree = static_cast<int>(freeParams.size());
    minpack::ColumnMatrix fjac(static_cast<int>(fvec.size()), nfree);
    if (!problem.Jacobian(x.data(), fvec.data(), fjac))
        return false;
    problem.DropPinnedColumns(x.data(), fjac);
    const std::vector<double> freeCovar = minpack::CovarianceOfJacobian(fjac, settings.covtol, MP_MACHEP0);

    std::vector<double> covar(static_cast<size_t>(npar) * npar, 0.0);
    for (int a = 0; a < nfree; ++a)
        for (int b = 0; b < nfree; ++b)
            covar[static_cast<size_t>(freeParams[a].index) * npar + freeParams[b].index] =
                freeCovar[static_cast<size_t>(a) * nfree + b];
    if (result.covar != nullptr)
        std::copy(covar.begin(), covar.end(), result.covar);
    if (result.xerror != nullptr)
        for (int i = 0; i < npar; ++i)
        {
            const double variance = covar[static_cast<size_t>(i) * npar + i];
            result.xerror[i] = variance > 0.0 ? std::sqrt(variance) : 0.0;
        }
    return true;
}

int Fit(mp_func func, int m, int npar, double* xall, const mp_par* pars, const mp_config* config,
    void* privateData, mp_result& result)
{
    if (func == nullptr)
        return MP_ERR_FUNC;
    if (m <= 0)
        return MP_ERR_NPOINTS;
    if (npar <= 0 || xall == nullptr)
        return MP_ERR_PARAM;
    std::vector<FreeParameter> freeParams;
    if (const int check = CollectFreeParameters(npar, xall, pars, freeParams); check <= 0)
        return check;
    const int nfree = static_cast<int>(freeParams.size());
    if (m < nfree)
        return MP_ERR_DOF;

    const Settings settings = ResolveSettings(config);
    result.npar = npar;
    result.nfree = nfree;
    result.nfunc = m;

    std::vector<double> x(nfree);
    for (int j = 0; j < nfree; ++j)
        x[j] = xall[freeParams[j].index];
    UserProblem problem(func, m, xall, npar, std::move(freeParams), settings, privateData);
    std::vector<double> fvec(m);

    int status;
    if (settings.maxiter == MP_NO_ITER)
    {
        status = problem.Residuals(x.data(), fvec.data()) ? MP_MAXITER : problem.StopStatus();
        result.bestnorm = problem.OriginalChi2();
    }
    else
    {
        const minpack::LmOutcome outcome =
            minpack::LmIterate(problem, m, nfree, x.data(), fvec, IterationSettings(settings));
        status = outcome.info == minpack::kLmStopped ? problem.StopStatus() : outcome.info;
        result.niter = outcome.acceptedSteps + 1;
        result.bestnorm = outcome.fnorm * outcome.fnorm;
    }
    result.orignorm = problem.OriginalChi2();

    for (int j = 0; j < nfree; ++j)
        xall[problem.Free()[j].index] = x[j];
    result.npegged = problem.PeggedCount(x.data());
    if (status > 0)
    {
        if (result.resid != nullptr)
            std::copy(fvec.begin(), fvec.end(), result.resid);
        if ((result.xerror != nullptr || result.covar != nullptr)
            && !FillUncertainties(problem, x, fvec, npar, settings, result))
            status = problem.StopStatus();
    }
    result.nfev = problem.Evaluations();
    return status;
}

} // namespace

int mpfit(mp_func func, int m, int npar, double* xall, mp_par* pars, mp_config* config, void* private_data,
    mp_result* result)
{
    mp_result local;
    mp_result& out = result != nullptr ? *result : local;
    int status;
    try
    {
        status = Fit(func, m, npar, xall, pars, config, private_data, out);
    }
    catch (const std::bad_alloc&)
    {
        status = MP_ERR_MEMORY;
    }
    out.status = status;
    return status;
}
