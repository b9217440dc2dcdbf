#include "foundation/numbers/Rational.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace
{

using OrvRationalImp::bad_rational;
using OrvRationalImp::Gcd;
using OrvRationalImp::Rational64;

Rational64 Normalized(std::int64_t p, std::int64_t q)
{
    Rational64 r{p, q};
    r.Normalize();
    return r;
}

TEST(Rational64, NormalizeGivesLowestTermsWithPositiveDenominator)
{
    const Rational64 a = Normalized(6, -4);
    EXPECT_EQ(-3, a.numerator);
    EXPECT_EQ(2, a.denominator);
    const Rational64 b = Normalized(-6, -4);
    EXPECT_EQ(3, b.numerator);
    EXPECT_EQ(2, b.denominator);
    const Rational64 zero = Normalized(0, -7);
    EXPECT_EQ(0, zero.numerator);
    EXPECT_EQ(1, zero.denominator);
}

TEST(Rational64, ZeroDenominatorThrowsAndKeepsTheValue)
{
    Rational64 r{5, 0};
    try
    {
        r.Normalize();
        FAIL() << "no exception";
    }
    catch (const std::exception& e)
    {
        EXPECT_STREQ("bad rational: zero denominator", e.what());
        EXPECT_NE(nullptr, dynamic_cast<const std::domain_error*>(&e));
    }
    EXPECT_EQ(5, r.numerator);
    EXPECT_EQ(0, r.denominator);
}

TEST(Rational64, GcdOfMagnitudes)
{
    EXPECT_EQ(6, Gcd(-12, 18));
    EXPECT_EQ(6, Gcd(18, -12));
    EXPECT_EQ(0, Gcd(0, 0));
    EXPECT_EQ(7, Gcd(-7, 0));
    EXPECT_EQ(9, Gcd(0, 9));
    EXPECT_EQ(1, Gcd(std::numeric_limits<std::int64_t>::max(), 2));
}

TEST(Rational64, FromDoubleUsesTheBestApproximation)
{
    const Rational64 a = Rational64::FromDouble(0.75);
    EXPECT_EQ(3, a.numerator);
    EXPECT_EQ(4, a.denominator);
    const Rational64 b = Rational64::FromDouble(-2.5);
    EXPECT_EQ(-5, b.numerator);
    EXPECT_EQ(2, b.denominator);
}

TEST(Rational64, FromDoubleRefusesNonFiniteInput)
{
    EXPECT_THROW(Rational64::FromDouble(std::numeric_limits<double>::quiet_NaN()), bad_rational);
    EXPECT_THROW(Rational64::FromDouble(std::numeric_limits<double>::infinity()), bad_rational);
    EXPECT_THROW(Rational64::FromDouble(-std::numeric_limits<double>::infinity()), bad_rational);
}

} // namespace
