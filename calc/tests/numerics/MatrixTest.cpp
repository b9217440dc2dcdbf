#include "calc/numerics/Matrix.h"

#include <gtest/gtest.h>

using ExtLib::Matrix;

namespace
{

void ExpectMatrixNear(const Matrix& actual, const Matrix& expected, double tolerance)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t r = 0; r < expected.size(); ++r)
        for (size_t c = 0; c < expected[r].size(); ++c)
            EXPECT_NEAR(actual[r][c], expected[r][c], tolerance) << r << "," << c;
}

Matrix Product(const Matrix& a, const Matrix& b)
{
    Matrix p;
    ExtLib::ResizeMatrix(p, static_cast<int>(a.size()), static_cast<int>(b[0].size()));
    for (size_t r = 0; r < a.size(); ++r)
        for (size_t c = 0; c < b[0].size(); ++c)
            for (size_t k = 0; k < b.size(); ++k)
                p[r][c] += a[r][k] * b[k][c];
    return p;
}

} // namespace

TEST(ResizeMatrix, ZeroRowsEmptiesTheMatrix)
{
    Matrix m{{1, 2}, {3, 4}};
    ExtLib::ResizeMatrix(m, 0, 5);
    EXPECT_TRUE(m.empty());
}

TEST(ResizeMatrix, GrowingKeepsElementsAndFillsZeros)
{
    Matrix m{{1, 2}, {3, 4}};
    ExtLib::ResizeMatrix(m, 3, 3);
    EXPECT_EQ(m, (Matrix{{1, 2, 0}, {3, 4, 0}, {0, 0, 0}}));
    ExtLib::ResizeMatrix(m, 2, 1);
    EXPECT_EQ(m, (Matrix{{1}, {3}}));
}

TEST(InvertMatrix, TheIdentityIsItsOwnInverse)
{
    Matrix m{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const Matrix identity = m;
    ExtLib::InvertMatrix(m);
    ExpectMatrixNear(m, identity, 0.0);
}

TEST(InvertMatrix, ADiagonalInvertsElementwise)
{
    Matrix m{{2, 0}, {0, 4}};
    ExtLib::InvertMatrix(m);
    ExpectMatrixNear(m, Matrix{{0.5, 0}, {0, 0.25}}, 1e-15);
}

TEST(InvertMatrix, ARowExchangeHasOddParityAndInvertsToItself)
{
    Matrix m{{0, 1}, {1, 0}};
    Matrix lu = m;
    ExtLib::Permutation index;
    EXPECT_EQ(ExtLib::LuDecompose(lu, index), -1);
    ExtLib::InvertMatrix(m);
    ExpectMatrixNear(m, Matrix{{0, 1}, {1, 0}}, 1e-15);
}

TEST(InvertMatrix, AGeneralMatrixTimesItsInverseIsTheIdentity)
{
    const Matrix a{{4, -2, 1}, {3, 6, -4}, {2, 1, 8}};
    Matrix inverse = a;
    ExtLib::InvertMatrix(inverse);
    ExpectMatrixNear(Product(a, inverse), Matrix{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, 1e-14);
}

TEST(InvertMatrix, AZeroRowThrowsSingularAndLeavesTheMatrix)
{
    Matrix m{{1, 2}, {0, 0}};
    const Matrix before = m;
    try
    {
        ExtLib::InvertMatrix(m);
        FAIL() << "no exception";
    }
    catch (const ExtLib::MtxErr& e)
    {
        EXPECT_EQ(e.Message(), L"Singular");
        EXPECT_STREQ(e.what(), "Singular");
    }
    EXPECT_EQ(m, before);
}

TEST(InvertMatrix, AnOtherwiseSingularMatrixDecomposesWithoutThrowing)
{
    Matrix m{{1, 2}, {2, 4}};
    EXPECT_NO_THROW(ExtLib::InvertMatrix(m));
}

TEST(LuBackSubstitute, SolvesALinearSystem)
{
    Matrix a{{2, 1, 1}, {4, -6, 0}, {-2, 7, 2}};
    ExtLib::Permutation index;
    ExtLib::LuDecompose(a, index);
    std::vector<double> b{5, -2, 9};  // solution (1, 1, 2)
    ExtLib::LuBackSubstitute(a, index, b);
    EXPECT_NEAR(b[0], 1.0, 1e-14);
    EXPECT_NEAR(b[1], 1.0, 1e-14);
    EXPECT_NEAR(b[2], 2.0, 1e-14);
}

TEST(LuDecompose, RefusesARowShorterThanTheMatrix)
{
    Matrix m{{1, 2}, {3}};
    ExtLib::Permutation index;
    EXPECT_THROW(ExtLib::LuDecompose(m, index), std::invalid_argument);
}
