// Plain Levenberg-Marquardt minimiser of a sum of m squared residuals over n parameters, in the form of
// MINPACK's lmdif: forward-difference Jacobian, pivoted QR, trust-region step by lmpar / qrsolv,
// internal scaling from the Jacobian's column norms.
#pragma once

#include <cstdint>

// Source of the residuals.
class lmmin_plugin
{
public:
    // Writes the m residuals for the parameters par into fvec; setting info negative stops the minimiser.
    virtual void EvaluateResiduals(const double* par, std::int32_t m, double* fvec, std::int32_t& info) = 0;
    // Progress report; the minimiser does not call it.
    virtual void PrintOut(std::int32_t n, const double* par, std::int32_t m, const double* fvec, std::int32_t iflag,
        std::int32_t iter, std::int32_t nfev) = 0;

protected:
    ~lmmin_plugin() = default;
};

// Controls (in) and results (out) of one minimisation.
struct LmControl
{
    double ftol = 0.0;          // in: relative reduction of the sum of squares at which the fit is done
    double xtol = 0.0;          // in: relative change of the parameters at which the fit is done
    double gtol = 0.0;          // in: orthogonality of residuals and Jacobian columns at which it is done
    double epsilon = 0.0;       // in: relative step of the forward differences is sqrt(epsilon)
    double stepbound = 0.0;     // in: initial step bound factor
    double fnorm = 0.0;         // out: Euclidean norm of the final residuals
    std::int32_t maxcall = 0;   // in: at most maxcall * (n + 1) evaluations
    std::int32_t nfev = 0;      // out: evaluations made
    std::int32_t info = 0;      // out: outcome, one of LmOutcome
};

// Outcome codes of LmControl::info.
enum LmOutcome : std::int32_t
{
    LM_IMPROPER_INPUT = 0,
    LM_SUM_CONVERGED = 1,       // relative reduction of the sum of squares at most ftol
    LM_STEP_CONVERGED = 2,      // relative change of the parameters at most xtol
    LM_BOTH_CONVERGED = 3,
    LM_ORTHOGONAL = 4,          // residuals orthogonal to the Jacobian columns within gtol
    LM_CALLS_SPENT = 5,         // maxcall * (n + 1) evaluations made
    LM_FTOL_TOO_SMALL = 6,
    LM_XTOL_TOO_SMALL = 7,
    LM_GTOL_TOO_SMALL = 8,
    LM_NO_MEMORY = 9,
    LM_STOPPED = 10,            // an evaluation asked to stop
};

// Minimises from the n start values in par, which receive the result (the last accepted values).
void LmMinimize(std::int32_t m, std::int32_t n, double* par, lmmin_plugin& plugin, LmControl& control);
