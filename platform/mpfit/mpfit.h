// Bounded nonlinear least squares: Levenberg-Marquardt (MINPACK lmdif) with fixed parameters, box
// limits, per-parameter derivative options and user-supplied analytical derivatives.
//
// The user function computes m deviates for the npar parameters x (all of them, fixed ones included):
//     int func(int m, int npar, double* x, double* fvec, double** dvec, void* private_data);
// It returns 0, or a negative value that ends the fit with that value as status. dvec is null unless a
// parameter asks for analytical derivatives (side 3); then dvec[j], when not null, receives
// d fvec[i] / d x[j] in dvec[j][i] (the array comes zeroed, so an unset entry counts as 0).
#pragma once

using mp_func = int (*)(int m, int npar, double* x, double* fvec, double** dvec, void* private_data);

// Per-parameter constraints and derivative options; a null pars array means all free and unlimited.
struct mp_par
{
    int fixed = 0;                  // 1: the parameter keeps its start value
    int limited[2] = {0, 0};        // 1: limits[0] is a lower / limits[1] an upper bound
    double limits[2] = {0.0, 0.0};
    const char* parname = nullptr;  // for the caller's own reports; not used by the fit
    double step = 0.0;              // absolute finite-difference step; 0: use relstep or the default
    double relstep = 0.0;           // step relative to |x|; 0: the default sqrt(epsfcn) * |x|
    int side = 0;                   // 0, 1: f(x+h); -1: f(x-h); 2: f(x+h) and f(x-h); 3: analytical
};

// Fit control; a null config, or a field left 0, takes the default in brackets.
struct mp_config
{
    double ftol = 0.0;        // relative reduction of chi-square at which the fit is done [1e-10]
    double xtol = 0.0;        // relative change of the parameters at which the fit is done [1e-10]
    double gtol = 0.0;        // orthogonality of deviates and Jacobian at which the fit is done [1e-10]
    double epsfcn = 0.0;      // relative precision of the function; steps are sqrt(epsfcn) * |x| [MP_MACHEP0]
    double stepfactor = 0.0;  // initial step bound factor [100]
    double covtol = 0.0;      // relative pivot below which a covariance column counts as degenerate [1e-14]
    int maxiter = 0;          // iteration limit [200]; MP_NO_ITER evaluates the start only
    int maxfev = 0;           // evaluation limit [0: none]
};

// Outcome of a fit; resid (m), xerror (npar) and covar (npar x npar) are filled when not null.
struct mp_result
{
    double bestnorm = 0.0;    // final chi-square
    double orignorm = 0.0;    // starting chi-square
    int niter = 0;            // iterations made
    int nfev = 0;             // function evaluations made
    int status = 0;           // MP_OK_* or MP_MAXITER..MP_GTOL on success, MP_ERR_* or the user's code
    int npar = 0;
    int nfree = 0;
    int npegged = 0;          // free parameters that end on one of their limits
    int nfunc = 0;
    double* resid = nullptr;
    double* xerror = nullptr;
    double* covar = nullptr;
};

// Status codes: positive means the fit ended normally, for the reason given.
constexpr int MP_ERR_INPUT = 0;         // general input error
constexpr int MP_ERR_NAN = -16;         // the user function produced a non-finite value
constexpr int MP_ERR_FUNC = -17;        // no user function
constexpr int MP_ERR_NPOINTS = -18;     // no data points
constexpr int MP_ERR_NFREE = -19;       // no free parameters
constexpr int MP_ERR_MEMORY = -20;      // out of memory
constexpr int MP_ERR_INITBOUNDS = -21;  // a start value lies outside its limits
constexpr int MP_ERR_BOUNDS = -22;      // a lower limit is not below its upper limit
constexpr int MP_ERR_PARAM = -23;       // a parameter record is invalid
constexpr int MP_ERR_DOF = -24;         // fewer data points than free parameters
constexpr int MP_OK_CHI = 1;            // chi-square converged within ftol
constexpr int MP_OK_PAR = 2;            // parameters converged within xtol
constexpr int MP_OK_BOTH = 3;           // both
constexpr int MP_OK_DIR = 4;            // deviates orthogonal to the Jacobian within gtol
constexpr int MP_MAXITER = 5;           // iteration or evaluation limit reached
constexpr int MP_FTOL = 6;              // ftol too small: no further reduction possible
constexpr int MP_XTOL = 7;              // xtol too small: no further improvement possible
constexpr int MP_GTOL = 8;              // gtol too small: orthogonal to machine precision

// Whether a fit that ended with this status found a solution: one stopped by its iteration or evaluation
// limit did not, whatever parameters it stopped at.
constexpr bool MpFitSolved(int status)
{
    return status > 0 && status != MP_MAXITER;
}

constexpr int MP_NO_ITER = -1;
constexpr double MP_MACHEP0 = 2.2204460e-16;

// Fits the parameters xall (npar values, start values in, best values out) to the m deviates of func.
// Returns the status, also stored in result when that is not null.
int mpfit(mp_func func, int m, int npar, double* xall, mp_par* pars, mp_config* config, void* private_data,
    mp_result* result);
