// Dense square matrices: LU decomposition (Crout, implicit partial pivoting), substitution and inverse,
// as needed for the statistics of small fits.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace ExtLib
{

// Rows of doubles; the square operations take the number of rows as the size.
using Matrix = std::vector<std::vector<double>>;

// Row exchanges of an LU decomposition: entry j is the row swapped with row j at step j.
using Permutation = std::vector<std::int32_t>;

// A matrix that cannot be decomposed.
class MtxErr : public std::exception
{
public:
    explicit MtxErr(std::wstring message);

    const std::wstring& Message() const { return message_; }
    const char* what() const noexcept override { return narrow_.c_str(); }

private:
    std::wstring message_;
    std::string narrow_;
};

// Gives m exactly rows rows of exactly cols elements; kept elements stay, new ones are 0.
void ResizeMatrix(Matrix& m, int rows, int cols);

// Replaces a by its LU factors (L below the diagonal with unit diagonal, U on and above it); returns +1 or
// -1 by the parity of the row exchanges. Throws MtxErr("Singular") for a row of zeros, a unchanged.
int LuDecompose(Matrix& a, Permutation& index);

// Solves A x = b in place, lu and index being the factors of A from LuDecompose.
void LuBackSubstitute(const Matrix& lu, const Permutation& index, std::vector<double>& b);

// Replaces the square matrix a by its inverse. Throws what LuDecompose throws.
void InvertMatrix(Matrix& a);

} // namespace ExtLib
