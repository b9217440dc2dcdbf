#include "calc/numerics/ElementaryFunctions.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <span>
#include <vector>

namespace
{

using namespace Sistra::Elementary;

// Distance from the extended-precision reference in units of the last place of the double result.
double UlpError(double value, long double reference)
{
    const double rounded = static_cast<double>(reference);
    const double ulp = std::nextafter(std::abs(rounded), std::numeric_limits<double>::infinity()) - std::abs(rounded);
    return static_cast<double>(std::abs(static_cast<long double>(value) - reference) / ulp);
}

// sin and cos in extended precision: the x87 unit's own reduction uses a 66-bit pi, too coarse a reference
// for arguments of a few thousand, so the argument is reduced here against pi/2 in three parts first.
struct ExtendedSineCosine
{
    long double sine;
    long double cosine;
};

ExtendedSineCosine ExtendedSinCos(long double x)
{
    constexpr long double HalfPi = 0xc90fdaa22169p-47L + -0x7b9676733ae9p-96L;
    const long double n = nearbyintl(x / HalfPi);
    const long double r = ((x - n * 0xc90fdaa22169p-47L) - n * -0x7b9676733ae9p-96L) - n * 0xdc1cd129024e089p-163L;
    const long double s = sinl(r), c = cosl(r);
    switch (static_cast<long long>(n) & 3)
    {
    case 0: return {s, c};
    case 1: return {c, -s};
    case 2: return {-s, -c};
    default: return {-c, s};
    }
}

struct Accuracy
{
    double worstUlps = 0.0;
    int notNearest = 0;  // results other than the reference rounded to double
};

Accuracy Measure(double from, double to, const std::function<double(double)>& ours,
                 const std::function<long double(long double)>& reference)
{
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> argument(from, to);
    Accuracy accuracy;
    for (int i = 0; i < 200000; ++i)
    {
        const double x = argument(random);
        const long double exact = reference(x);
        const double value = ours(x);
        accuracy.worstUlps = std::max(accuracy.worstUlps, UlpError(value, exact));
        accuracy.notNearest += value != static_cast<double>(exact);
    }
    return accuracy;
}

TEST(ElementaryFunctions, ExponentialIsWithinOneUlpAndAlmostAlwaysCorrectlyRounded)
{
    // The fits' exponents: decays over a beat, and the whole normal range.
    for (const auto& [from, to] : {std::pair{-40.0, 5.0}, std::pair{-700.0, 700.0}, std::pair{-1e-3, 1e-3}})
    {
        const Accuracy accuracy = Measure(from, to, Exp, [](long double x) { return expl(x); });
        EXPECT_LT(accuracy.worstUlps, 0.51) << from << ".." << to;
        // The reference carries only 11 bits beyond a double, so it misrounds about one time in a thousand.
        EXPECT_LT(accuracy.notNearest, 200) << from << ".." << to << ": of 200000";
    }
}

// The fits were written against the toolchain's exponential; every double they get must be the same.
TEST(ElementaryFunctions, ExponentialGivesTheToolchainsDoubleBitForBit)
{
    std::mt19937_64 random(7);
    for (const auto& [from, to] : {std::pair{-30.0, 3.0}, std::pair{-1.0, 1.0}, std::pair{-700.0, 700.0}})
    {
        std::uniform_real_distribution<double> argument(from, to);
        int differing = 0;
        for (int i = 0; i < 2000000; ++i)
        {
            volatile double x = argument(random);
            differing += Exp(x) != std::exp(x);
        }
        EXPECT_EQ(0, differing) << from << ".." << to;
    }
}

TEST(ElementaryFunctions, SineAndCosineGiveTheToolchainsDoublesBitForBit)
{
    std::mt19937_64 random(11);
    for (const auto& [from, to] : {std::pair{-0.8, 0.8}, std::pair{-30.0, 30.0}, std::pair{-3000.0, 3000.0}})
    {
        std::uniform_real_distribution<double> argument(from, to);
        int differing = 0;
        for (int i = 0; i < 1000000; ++i)
        {
            volatile double x = argument(random);
            const SineCosine both = SinCos(x);
            // Called apart and together, as the fits call them (the compiler may join the two calls).
            const double sine = std::sin(x);
            const double cosine = std::cos(x);
            differing += (both.sine != sine) + (both.cosine != cosine) + (Sin(x) != sine) + (Cos(x) != cosine);
        }
        EXPECT_EQ(0, differing) << from << ".." << to;
    }
}

// Where the x87 unit reduces nothing its sine and cosine are accurate, and so are ours.
TEST(ElementaryFunctions, SineAndCosineAreWithinOneUlpUpToAQuarterTurn)
{
    for (const auto& [from, to] : {std::pair{-0.78, 0.78}, std::pair{-0.01, 0.01}})
    {
        const Accuracy sine = Measure(from, to, Sin, [](long double x) { return ExtendedSinCos(x).sine; });
        const Accuracy cosine = Measure(from, to, Cos, [](long double x) { return ExtendedSinCos(x).cosine; });
        EXPECT_LT(sine.worstUlps, 1.0) << from << ".." << to;
        EXPECT_LT(cosine.worstUlps, 1.0) << from << ".." << to;
        EXPECT_LT(sine.notNearest + cosine.notNearest, 400000 / 20) << from << ".." << to;
    }
}

TEST(ElementaryFunctions, SinCosGivesWhatSinAndCosGive)
{
    for (double x : {-1234.5, -3.0, -0.5, 0.0, 1e-9, 0.7853981633974483, 2.0, 4.0, 100.25, 1e6, 1e9})
    {
        const SineCosine both = SinCos(x);
        EXPECT_EQ(Sin(x), both.sine) << x;
        EXPECT_EQ(Cos(x), both.cosine) << x;
    }
}

// Next to a zero of the function the x87 unit's 66-bit pi shows; the fits have always seen its values.
TEST(ElementaryFunctions, ArgumentsNearMultiplesOfHalfPiGiveTheToolchainsValues)
{
    for (const double multiple : {1.0, 2.0, 3.0, 64.0})
    {
        volatile double x = multiple * std::numbers::pi / 2;
        EXPECT_EQ(std::sin(x), Sin(x)) << multiple;
        EXPECT_EQ(std::cos(x), Cos(x)) << multiple;
        x = std::nextafter(x, 0.0);
        EXPECT_EQ(std::sin(x), Sin(x)) << multiple;
        EXPECT_EQ(std::cos(x), Cos(x)) << multiple;
    }
}

// Close to a zero of the function the x87 unit's value stands off by the error of its pi, which grows with
// the argument; SinCos must hand those arguments to it whenever they may round the other way.
TEST(ElementaryFunctions, ArgumentsCloseToZerosGiveTheToolchainsValues)
{
    std::mt19937_64 random(99);
    std::uniform_real_distribution<double> unit(-1.0, 1.0), decades(-14.0, -0.5);
    for (const double multiple : {1.0, 2.0, 3.0, 8.0, 101.0, 12345.0})
    {
        const double at = multiple * std::numbers::pi / 2;
        int differing = 0;
        for (int i = 0; i < 200000; ++i)
        {
            volatile double x = at + unit(random) * std::pow(10.0, decades(random));
            differing += (Sin(x) != std::sin(x)) + (Cos(x) != std::cos(x));
        }
        EXPECT_EQ(0, differing) << multiple;
    }
}

void ExpectExpsBitForBit(LaneWidth width)
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> time(0.0, 0.05), rate(-400.0, 10.0), wide(-800.0, 800.0);
    constexpr double inf = std::numeric_limits<double>::infinity();
    for (int round = 0; round < 20000; ++round)
    {
        // Now and then a vector longer than the blocks in which the widest lanes note flagged arguments.
        std::vector<double> x(static_cast<size_t>(round % 9 + (round % 5 == 0 ? 60 : 0) + (round % 500 == 0 ? 1030 : 0)));
        for (double& value : x)
            value = round % 4 == 0 ? wide(random) : time(random);
        if (round % 7 == 0 && x.size() > 2)
            x[1] = round % 3 == 0 ? std::nan("") : (round % 3 == 1 ? inf : -inf);
        const double factor = round % 4 == 0 ? 1.0 : rate(random);
        std::vector<double> out(x.size(), -1.0);
        ExpOfScaled(factor, x, out, width);
        for (size_t i = 0; i < x.size(); ++i)
        {
            const double expected = Exp(factor * x[i]);
            ASSERT_TRUE(std::isnan(expected) ? std::isnan(out[i]) : std::bit_cast<uint64_t>(expected) == std::bit_cast<uint64_t>(out[i]))
                << static_cast<int>(width) << ": " << factor << " * " << x[i] << ": " << out[i] << " against " << expected;
        }
    }
}

// The fits take their exponentials a vector at a time; every one must be the double Exp gives, whatever
// the length, the lane an argument falls in, near ties, and arguments out of range or not finite; four
// lanes at a time (where the processor has them) and two; eight lanes too where it has them.
TEST(ElementaryFunctions, ExponentialsOfAVectorAreExpsBitForBit)
{
    for (const LaneWidth width : {LaneWidth::Widest, LaneWidth::Four, LaneWidth::Two})
        ExpectExpsBitForBit(width);
}

bool SameDouble(double a, double b)
{
    return std::isnan(a) ? std::isnan(b) : std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// Phases of the sine fit (w t + phi over a beat) and the awkward arguments: next to multiples of pi/2 on
// either side, where SinCos reduces further or hands over to the toolchain, tiny, large, beyond the
// reduction's reach, not finite.
std::vector<double> SineArguments()
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    std::vector<double> x = {0.0, -0.0, 1e-300, 0x1p-27, -0x1.fffffffffffffp-28, 1e-9, 0.7853981633974483,
                             0.7853981633974484, -0.7853981633974483, 1e5 + 0.3, -1.5e6, 1.6e6, 1.7e6, 1e9,
                             inf, -inf, std::nan("")};
    for (const double multiple : {1.0, 2.0, 3.0, 4.0, 7.0, 64.0, -1.0, -5.0, 12345.0})
    {
        const double at = multiple * std::numbers::pi / 2;
        x.insert(x.end(), {at, std::nextafter(at, -inf), std::nextafter(at, inf), at + 1e-9, at - 3e-6});
    }
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> phase(-3.0, 12.0);
    for (int i = 0; i < 4000; ++i)
        x.push_back(phase(random));
    return x;
}

// Every pair the lanes give must be the one SinCos gives, whatever the length and the lane an argument
// falls in; four lanes at a time (where the processor has them) and two; eight too where it has them.
TEST(ElementaryFunctions, SinesAndCosinesOfAVectorAreSinCosBitForBit)
{
    const std::vector<double> all = SineArguments();
    for (const LaneWidth width : {LaneWidth::Widest, LaneWidth::Four, LaneWidth::Two})
        for (const size_t skip : {0, 1, 3, 5})
            for (const size_t length : {1, 2, 7, 9, 60, 1100, 4000})
            {
                const std::span<const double> x = std::span(all).subspan(skip, length);
                std::vector<double> sines(length, -7.0), cosines(length, -7.0);
                SinCosOf(x, sines, cosines, width);
                for (size_t i = 0; i < length; ++i)
                {
                    const SineCosine expected = SinCos(x[i]);
                    ASSERT_TRUE(SameDouble(expected.sine, sines[i]) && SameDouble(expected.cosine, cosines[i]))
                        << static_cast<int>(width) << ": " << x[i] << ": " << sines[i] << ", " << cosines[i];
                }
            }
}

TEST(ElementaryFunctions, EdgesOfTheRangeBehaveAsTheCLibrary)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(1.0, Exp(0.0));
    EXPECT_EQ(inf, Exp(710.0));
    EXPECT_EQ(0.0, Exp(-760.0));
    volatile double subnormal = -740.0;
    EXPECT_EQ(std::exp(subnormal), Exp(subnormal));
    EXPECT_EQ(inf, Exp(inf));
    EXPECT_EQ(0.0, Exp(-inf));
    EXPECT_TRUE(std::isnan(Exp(std::nan(""))));
    EXPECT_TRUE(std::signbit(Sin(-0.0)));
    EXPECT_EQ(1.0, Cos(-0.0));
    EXPECT_TRUE(std::isnan(Sin(inf)));
    EXPECT_TRUE(std::isnan(Cos(std::nan(""))));
    volatile double huge = 1e12; // not folded at compile time: the run-time library is the reference
    EXPECT_EQ(std::sin(huge), Sin(huge));
}

} // namespace
