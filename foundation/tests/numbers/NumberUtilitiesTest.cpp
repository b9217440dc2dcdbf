#include "foundation/numbers/NumberUtilities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <limits>
#include <stdexcept>

namespace
{

constexpr double ContinuedFractionEpsilon = 4.656612877414201e-10;

struct Fraction
{
    int numerator;
    int denominator;
};

Fraction Approximate(double x)
{
    Fraction f{};
    Orv::BestRationalApproximation(x, f.numerator, f.denominator);
    return f;
}

TEST(BestRationalApproximation, ExactFractionsComeOutInLowestTerms)
{
    const Fraction half = Approximate(0.5);
    EXPECT_EQ(1, half.numerator);
    EXPECT_EQ(2, half.denominator);
    const Fraction zero = Approximate(0.0);
    EXPECT_EQ(0, zero.numerator);
    EXPECT_EQ(1, zero.denominator);
    const Fraction seven = Approximate(7.0);
    EXPECT_EQ(7, seven.numerator);
    EXPECT_EQ(1, seven.denominator);
}

TEST(BestRationalApproximation, NegativeValuesCarryTheSignInTheNumerator)
{
    const Fraction f = Approximate(-0.375);
    EXPECT_EQ(-3, f.numerator);
    EXPECT_EQ(8, f.denominator);
}

TEST(BestRationalApproximation, IrrationalValuesStayWithinThirtyTwoBitTerms)
{
    for (double x : {3.14159265, std::numbers::pi, std::sqrt(2.0), 1.0 / 3.0, 123456.789})
    {
        const Fraction f = Approximate(x);
        ASSERT_GT(f.denominator, 0) << x;
        const double error = std::fabs(static_cast<double>(f.numerator) / f.denominator - x);
        // Either the fraction is exact to the epsilon, or it stopped one term before overflowing,
        // which is far closer than 1/denominator.
        EXPECT_LT(error, 1.0 / f.denominator) << x;
        EXPECT_LT(error, 1e-9 * std::fmax(1.0, x)) << x;
    }
}

TEST(BestRationalApproximation, NonFiniteOrOversizedInputIsRefused)
{
    int p = 99, q = 99;
    EXPECT_THROW(Orv::BestRationalApproximation(std::numeric_limits<double>::quiet_NaN(), p, q), std::domain_error);
    EXPECT_THROW(Orv::BestRationalApproximation(std::numeric_limits<double>::infinity(), p, q), std::domain_error);
    EXPECT_THROW(Orv::BestRationalApproximation(-std::numeric_limits<double>::infinity(), p, q), std::domain_error);
    EXPECT_THROW(Orv::BestRationalApproximation(1e12, p, q), std::domain_error);
    EXPECT_EQ(99, p);
    EXPECT_EQ(99, q);
}

TEST(BestRationalApproximation, TinyRemaindersEndTheFraction)
{
    const Fraction f = Approximate(2.0 + ContinuedFractionEpsilon / 2);
    EXPECT_EQ(2, f.numerator);
    EXPECT_EQ(1, f.denominator);
}

TEST(PrefixScale, KnownPrefixesScaleBaseUnits)
{
    EXPECT_EQ(1.0, Orv::PrefixScale(L'\0'));
    EXPECT_EQ(1.0, Orv::PrefixScale(static_cast<wchar_t>(0xA0)));
    EXPECT_EQ(1e6, Orv::PrefixScale(static_cast<wchar_t>(0xB5)));
    EXPECT_EQ(1e6, Orv::PrefixScale(L'u'));
    EXPECT_EQ(1e3, Orv::PrefixScale(L'm'));
    EXPECT_EQ(1e-6, Orv::PrefixScale(L'M'));
    EXPECT_EQ(1e-3, Orv::PrefixScale(L'k'));
    EXPECT_EQ(1e18, Orv::PrefixScale(L'a'));
    EXPECT_EQ(1e-18, Orv::PrefixScale(L'E'));
}

TEST(PrefixScale, CaseMattersAndUnknownCharactersGiveZero)
{
    EXPECT_EQ(0.0, Orv::PrefixScale(L'K'));
    EXPECT_EQ(0.0, Orv::PrefixScale(L'g'));
    EXPECT_EQ(0.0, Orv::PrefixScale(L'x'));
    EXPECT_EQ(0.0, Orv::PrefixScale(L'1'));
    EXPECT_EQ(0.0, Orv::PrefixScale(L' '));
    // Same code modulo 32 as 'a', but not a letter.
    EXPECT_EQ(0.0, Orv::PrefixScale(L'A' + 0x100));
}

double Ceiled(double v)
{
    Orv::NiceCeil(v);
    return v;
}

double Floored(double v)
{
    Orv::NiceFloor(v);
    return v;
}

struct NiceStepCase
{
    double value;
    double ceiled;
    double floored;
};

TEST(NiceSteps, CeilAndFloorMoveToTheNeighbouringStepsOfOneTwoOrFive)
{
    const NiceStepCase cases[] = {
        {1.0, 2.0, 0.5},  {1.6, 5.0, 1.0},  {2.0, 5.0, 1.0},     {4.6, 10.0, 2.0},    {5.0, 10.0, 2.0},
        {6.0, 10.0, 5.0}, {9.6, 20.0, 5.0}, {10.0, 20.0, 5.0},   {0.03, 0.05, 0.02},  {0.004, 0.005, 0.002},
        {1234.0, 2000.0, 500.0},
    };
    for (const NiceStepCase& c : cases)
    {
        EXPECT_DOUBLE_EQ(c.ceiled, Ceiled(c.value)) << c.value;
        EXPECT_DOUBLE_EQ(c.floored, Floored(c.value)) << c.value;
    }
}

TEST(NiceSteps, ValuesWithoutMagnitudeAreLeftAlone)
{
    EXPECT_EQ(0.0, Ceiled(0.0));
    EXPECT_EQ(-3.0, Floored(-3.0));
    EXPECT_TRUE(std::isnan(Ceiled(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(std::isinf(Floored(std::numeric_limits<double>::infinity())));
}

TEST(PreviewStep, FirstSeriesMemberNotBelowTheRatio)
{
    EXPECT_EQ(1.0, Orv::PreviewStepForRatio(0.2));
    EXPECT_EQ(2.0, Orv::PreviewStepForRatio(2.0));
    EXPECT_EQ(5.0, Orv::PreviewStepForRatio(2.01));
    EXPECT_EQ(1000.0, Orv::PreviewStepForRatio(1000.0));
    EXPECT_EQ(2000.0, Orv::PreviewStepForRatio(1000.5));
}

TEST(ApproxEqual, RelativeToleranceAndZeroBand)
{
    EXPECT_TRUE(ApproxEqual(1.0, 1.0));
    EXPECT_TRUE(ApproxEqual(1e-33, -1e-33));
    EXPECT_TRUE(ApproxEqual(1.0, 1.0 + 1e-14));
    EXPECT_FALSE(ApproxEqual(1.0, 1.0 + 1e-12));
    EXPECT_FALSE(ApproxEqual(0.0, 1e-20));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(ApproxEqual(nan, nan));
    EXPECT_FALSE(ApproxEqual(nan, 1.0));
    EXPECT_FALSE(ApproxEqual(1e-33, nan));
}

} // namespace
