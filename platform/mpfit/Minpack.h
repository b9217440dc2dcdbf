// The Levenberg-Marquardt iteration of MINPACK's lmdif (More, Garbow, Hillstrom 1980), shared by the
// bounded solver mpfit and by the module's plain minimiser. The iteration knows nothing of bounds or
// of how residuals and Jacobians are obtained: an LmProblem supplies them and may restrict the step.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace minpack
{

// A zeroed working array of a size fixed at construction. The fits have a handful of parameters and some
// dozens of residuals and run their iterations by the hundred thousand, so an array of up to InlineSize
// elements lives inside its owner (on the stack) instead of on the heap.
template <class T, std::size_t InlineSize>
class SmallBuffer
{
public:
    explicit SmallBuffer(std::size_t size) : size_(size)
    {
        if (size > InlineSize)
        {
            heap_ = std::make_unique<T[]>(size);
            data_ = heap_.get();
        }
        else
            std::fill_n(data_, size, T{});
    }
    SmallBuffer(const SmallBuffer& other) : SmallBuffer(other.size_) { std::copy_n(other.data_, size_, data_); }
    SmallBuffer& operator=(const SmallBuffer&) = delete;

    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    std::size_t size() const { return size_; }

private:
    std::size_t size_;
    std::array<T, InlineSize> inline_;
    std::unique_ptr<T[]> heap_;
    T* data_ = inline_.data();
};

// Up to this many residuals a fit's vectors of residuals stay off the heap.
constexpr std::size_t kInlineResiduals = 128;

// Dense m x n matrix stored by columns: column j holds the derivatives by parameter j.
class ColumnMatrix
{
public:
    ColumnMatrix(int rows, int cols);

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    double& operator()(int i, int j) { return data_[static_cast<std::size_t>(j) * rows_ + i]; }
    double operator()(int i, int j) const { return data_[static_cast<std::size_t>(j) * rows_ + i]; }
    double* Column(int j) { return data_.data() + static_cast<std::size_t>(j) * rows_; }
    const double* Column(int j) const { return data_.data() + static_cast<std::size_t>(j) * rows_; }

private:
    int rows_;
    int cols_;
    // A small fit's Jacobian (two or three columns of its residuals) is held in place.
    SmallBuffer<double, 3 * kInlineResiduals> data_;
};

// column[i] = (column[i] - base[i]) / h for i < m: a forward-difference column of the Jacobian from the
// residuals at the shifted parameters, in place.
void DifferenceQuotients(int m, double* column, const double* base, double h);

// Euclidean norm of x[0..n), summed in three ranges so that no square overflows or underflows.
double enorm(int n, const double* x);
// enorm by its three sums, always: enorm itself takes the plain sum of squares, to the same double, when
// every element is zero or lies in the middle range.
double ThreeRangeNorm(int n, const double* x);

// Householder QR factorisation of a (m x n, m >= n) with column pivoting. On return the strict upper
// triangle of a holds R above the diagonal, rdiag its diagonal, the lower part the Householder vectors;
// acnorm the norms of the original columns; column j of R belongs to parameter ipvt[j]. Given residuals
// (m values), each reflection is applied to them as well, in place, so that their first n become Q^T times
// the residuals.
void qrfac(ColumnMatrix& a, std::span<int> ipvt, std::span<double> rdiag, std::span<double> acnorm,
    double machinePrecision, std::span<double> residuals = {});

// Solves min |A x - b|^2 + |D x|^2 given the QR factors of A (full R in the upper triangle of r, qtb =
// first n elements of Q^T b). Leaves the diagonal of the combined triangle in sdiag and its strict lower
// part in r below the diagonal; the upper triangle of r is kept.
void qrsolv(ColumnMatrix& r, std::span<const int> ipvt, std::span<const double> diag, std::span<const double> qtb,
    std::span<double> x, std::span<double> sdiag);

// Finds the Levenberg-Marquardt parameter par such that the step x solving (J^T J + par D^T D) x = J^T f
// has |D x| within 10 % of delta (or par = 0 when the Gauss-Newton step is already inside).
void lmpar(ColumnMatrix& r, std::span<const int> ipvt, std::span<const double> diag, std::span<const double> qtb,
    double delta, double& par, std::span<double> x, double dwarf);

// Constants and tolerances of one run of the iteration.
struct LmSettings
{
    double ftol = 0.0;              // relative reduction of the sum of squares at which the fit is done
    double xtol = 0.0;              // relative change of the parameters at which the fit is done
    double gtol = 0.0;              // orthogonality of residuals and Jacobian columns at which it is done
    double stepFactor = 100.0;      // initial trust region = stepFactor * |D x0| (stepFactor when x0 = 0)
    double machinePrecision = 0.0;  // relative precision of a double as the caller counts it
    double dwarf = 0.0;             // smallest positive magnitude the LM parameter may take
};

// Outcome codes of the iteration; the two solvers report the same numbers for these.
enum LmInfo
{
    kLmStopped = -1,        // the problem asked to stop (it keeps the reason)
    kLmSumConverged = 1,    // relative reduction of the sum of squares at most ftol
    kLmStepConverged = 2,   // relative change of the parameters at most xtol
    kLmBothConverged = 3,
    kLmOrthogonal = 4,      // residuals orthogonal to the Jacobian columns within gtol
    kLmBudgetSpent = 5,     // the problem's evaluation or iteration budget is used up
    kLmFtolTooSmall = 6,
    kLmXtolTooSmall = 7,
    kLmGtolTooSmall = 8,
};

// What the iteration needs of a least-squares problem over n free parameters and m residuals.
class LmProblem
{
public:
    virtual ~LmProblem() = default;

    // Residuals at x into fvec; false ends the iteration with kLmStopped.
    virtual bool Residuals(const double* x, double* fvec) = 0;
    // Jacobian at x into fjac, fvec being the residuals at x; false ends the iteration with kLmStopped.
    virtual bool Jacobian(const double* x, const double* fvec, ColumnMatrix& fjac) = 0;
    // A bounded problem removes the Jacobian columns of parameters pinned at a limit.
    virtual void RestrictJacobian(const double* /*x*/, const double* /*fvec*/, ColumnMatrix& /*fjac*/) {}
    // Cuts step so that x + step stays feasible, writes x + step to trial and returns the fraction of the
    // step kept (1 for an unbounded problem).
    virtual double LimitStep(const double* x, double* step, double* trial, int n);
    // True when the iteration must end with kLmBudgetSpent after the given number of accepted steps.
    virtual bool BudgetSpent(int acceptedSteps) const = 0;
};

struct LmOutcome
{
    int info = 0;
    int acceptedSteps = 0;
    double fnorm = 0.0;   // Euclidean norm of fvec at x on return
};

// Runs the iteration from x (n values, in and out); fvec (m values) receives the residuals at the final x.
// x always holds the last accepted parameters.
LmOutcome LmIterate(LmProblem& problem, int m, int n, double* x, std::span<double> fvec, const LmSettings& settings);
// The same, with fvec sized m first.
LmOutcome LmIterate(LmProblem& problem, int m, int n, double* x, std::vector<double>& fvec,
    const LmSettings& settings);

} // namespace minpack
