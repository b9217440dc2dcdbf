#include "platform/mpfit/Covariance.h"

#include <algorithm>
#include <cmath>

namespace minpack
{

std::vector<double> CovarianceOfJacobian(ColumnMatrix jac, double tol, double machinePrecision)
{
    const int n = jac.Cols();
    std::vector<int> ipvt(n);
    std::vector<double> rdiag(n), acnorm(n);
    qrfac(jac, ipvt, rdiag, acnorm, machinePrecision);

    // Pivoting sorts the diagonal by decreasing size, so the well-determined columns come first.
    int rank = 0;
    while (rank < n && std::fabs(rdiag[rank]) > tol * std::fabs(rdiag[0]))
        ++rank;

    // Inverse of the leading rank x rank block of R, column by column (upper triangular).
    const auto rAt = [&](int i, int j) { return i == j ? rdiag[j] : jac(i, j); };
    std::vector<double> rinv(static_cast<size_t>(rank) * rank, 0.0);
    const auto inv = [&](int i, int j) -> double& { return rinv[static_cast<size_t>(i) * rank + j]; };
    for (int j = 0; j < rank; ++j)
    {
        inv(j, j) = 1.0 / rdiag[j];
        for (int i = j - 1; i >= 0; --i)
        {
            double sum = 0.0;
            for (int k = i + 1; k <= j; ++k)
                sum += rAt(i, k) * inv(k, j);
            inv(i, j) = -sum / rdiag[i];
        }
    }

    std::vector<double> covar(static_cast<size_t>(n) * n, 0.0);
    for (int a = 0; a < rank; ++a)
    {
        for (int b = 0; b < rank; ++b)
        {
            double sum = 0.0;
            for (int k = std::max(a, b); k < rank; ++k)
                sum += inv(a, k) * inv(b, k);
            covar[static_cast<size_t>(ipvt[a]) * n + ipvt[b]] = sum;
        }
    }
    return covar;
}

} // namespace minpack
