// Parameter covariance of a least-squares fit from its Jacobian.
#pragma once

#include "platform/mpfit/Minpack.h"

#include <vector>

namespace minpack
{

// (J^T J)^-1 of the m x n Jacobian jac as n x n values by rows. From the pivoted QR factors
// J P = Q R it is P R^-1 R^-T P^T; a column whose R diagonal is at most tol * |R_00| counts as
// degenerate and gets zero rows and columns, as does an all-zero column.
std::vector<double> CovarianceOfJacobian(ColumnMatrix jac, double tol, double machinePrecision);

} // namespace minpack
