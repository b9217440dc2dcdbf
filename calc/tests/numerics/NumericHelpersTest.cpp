#include "calc/numerics/NumericHelpers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

using namespace Sistra;

TEST(NumericHelpers, InfinityIsNotNaN)
{
    EXPECT_FALSE(IsNaN(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(IsNaN(-std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(IsNaN(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(IsNaN(0.0));
}

TEST(NumericHelpers, RatioOverOneMinusHasNoValueAtOne)
{
    EXPECT_EQ(RatioOverOneMinus(2.0, 0.5), 4.0);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(RatioOverOneMinus(2.0, 1.0 + 1e-15)), 0x7FF8700000000000ull);
    EXPECT_TRUE(IsNaN(RatioOverOneMinus(2.0, NAN)));
    EXPECT_TRUE(IsNaN(RatioOverOneMinus(NAN, 0.5)));
}

TEST(LinearRegressionSkippingNaN, FitsTheUsablePairsOfTheShorterLength)
{
    const std::vector<double> x{0, 1, NAN, 3, 4, 100};
    const std::vector<double> y{1, 3, 77, 7, 9};
    double intercept = 0, slope = 0, r2 = 0;
    ASSERT_TRUE(LinearRegressionSkippingNaN(x, y, &intercept, &slope, &r2));
    EXPECT_NEAR(intercept, 1.0, 1e-12);
    EXPECT_NEAR(slope, 2.0, 1e-12);
    EXPECT_NEAR(r2, 1.0, 1e-12);
}

TEST(LinearRegressionSkippingNaN, RSquaredOfScatteredPoints)
{
    const std::vector<double> x{1, 2, 3, 4};
    const std::vector<double> y{2, 1, 4, 3};
    double slope = 0, r2 = 0;
    ASSERT_TRUE(LinearRegressionSkippingNaN(x, y, nullptr, &slope, &r2));
    // Sxx = 5, Sxy = 3, Syy = 5.
    EXPECT_NEAR(slope, 0.6, 1e-12);
    EXPECT_NEAR(r2, 9.0 / 25.0, 1e-12);
}

TEST(LinearRegressionSkippingNaN, RefusesDataWithoutALine)
{
    double slope = 42.0;
    EXPECT_FALSE(LinearRegressionSkippingNaN({}, {}, nullptr, &slope, nullptr));
    EXPECT_FALSE(LinearRegressionSkippingNaN({NAN, 1.0}, {1.0, NAN}, nullptr, &slope, nullptr));
    EXPECT_FALSE(LinearRegressionSkippingNaN({2.0, 2.0, 2.0}, {1.0, 2.0, 3.0}, nullptr, &slope, nullptr));
    EXPECT_EQ(slope, 42.0);
}
