#include "calc/numerics/Matrix.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace ExtLib
{

namespace
{

// A pivot smaller than this is replaced by it, so that a nearly singular matrix decomposes (giving
// very large values) instead of dividing by zero; the forward substitution treats sums below it as 0.
constexpr double kTinyPivot = 1e-20;

const wchar_t* const kSingularMessage = L"Singular";

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return narrow;
}

void RequireSquare(const Matrix& a)
{
    for (const auto& row : a)
        if (row.size() < a.size())
            throw std::invalid_argument("matrix is not square");
}

// 1 / largest magnitude of each row (implicit scaling of the pivot search). A NaN element makes the
// scale NaN rather than letting the row pass for zero.
std::vector<double> RowScales(const Matrix& a)
{
    const size_t n = a.size();
    std::vector<double> scale(n);
    for (size_t i = 0; i < n; ++i)
    {
        double big = 0.0;
        for (size_t j = 0; j < n; ++j)
        {
            const double magnitude = std::fabs(a[i][j]);
            if (std::isnan(magnitude) || magnitude > big)
                big = magnitude;
            if (std::isnan(big))
                break;
        }
        if (big == 0.0)
            throw MtxErr(kSingularMessage);
        scale[i] = 1.0 / big;
    }
    return scale;
}

} // namespace

MtxErr::MtxErr(std::wstring message) : message_(std::move(message)), narrow_(Narrow(message_))
{
}

void ResizeMatrix(Matrix& m, int rows, int cols)
{
    m.resize(rows < 1 ? 0 : static_cast<size_t>(rows));
    for (auto& row : m)
        row.resize(cols < 0 ? 0 : static_cast<size_t>(cols), 0.0);
}

int LuDecompose(Matrix& a, Permutation& index)
{
    RequireSquare(a);
    const int n = static_cast<int>(a.size());
    std::vector<double> scale = RowScales(a);
    index.assign(n, 0);
    int parity = 1;

    for (int j = 0; j < n; ++j)
    {
        // Upper part of column j.
        for (int i = 0; i < j; ++i)
        {
            double sum = a[i][j];
            for (int k = 0; k < i; ++k)
                sum -= a[i][k] * a[k][j];
            a[i][j] = sum;
        }
        // Lower part, choosing the largest scaled candidate as pivot (the later row on ties).
        double big = 0.0;
        int pivot = j;
        for (int i = j; i < n; ++i)
        {
            double sum = a[i][j];
            for (int k = 0; k < j; ++k)
                sum -= a[i][k] * a[k][j];
            a[i][j] = sum;
            const double merit = scale[i] * std::fabs(sum);
            if (merit >= big)
            {
                big = merit;
                pivot = i;
            }
        }
        if (pivot != j)
        {
            std::swap(a[pivot], a[j]);
            parity = -parity;
            scale[pivot] = scale[j];
        }
        index[j] = pivot;
        if (std::fabs(a[j][j]) < kTinyPivot)
            a[j][j] = kTinyPivot;
        if (j < n - 1)
        {
            const double inverse = 1.0 / a[j][j];
            for (int i = j + 1; i < n; ++i)
                a[i][j] *= inverse;
        }
    }
    return parity;
}

void LuBackSubstitute(const Matrix& lu, const Permutation& index, std::vector<double>& b)
{
    const int n = static_cast<int>(lu.size());
    if (static_cast<int>(b.size()) < n || static_cast<int>(index.size()) < n)
        throw std::invalid_argument("vector shorter than the matrix");

    // Forward pass, unscrambling the permutation; leading (near) zeros of b are skipped.
    int first = -1;
    for (int i = 0; i < n; ++i)
    {
        const int p = index[i];
        double sum = b[p];
        b[p] = b[i];
        if (first >= 0)
        {
            for (int j = first; j < i; ++j)
                sum -= lu[i][j] * b[j];
        }
        else if (std::fabs(sum) > kTinyPivot)
        {
            first = i;
        }
        b[i] = sum;
    }
    for (int i = n - 1; i >= 0; --i)
    {
        double sum = b[i];
        for (int j = i + 1; j < n; ++j)
            sum -= lu[i][j] * b[j];
        b[i] = sum / lu[i][i];
    }
}

void InvertMatrix(Matrix& a)
{
    const int n = static_cast<int>(a.size());
    Matrix result;
    ResizeMatrix(result, n, n);
    std::vector<double> column(n);
    Permutation index(n);

    LuDecompose(a, index);
    for (int c = 0; c < n; ++c)
    {
        std::fill(column.begin(), column.end(), 0.0);
        column[c] = 1.0;
        LuBackSubstitute(a, index, column);
        for (int r = 0; r < n; ++r)
            result[r][c] = column[r];
    }
    a = std::move(result);
}

} // namespace ExtLib
