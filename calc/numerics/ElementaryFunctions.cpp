// Exp: x = k ln2/64 + r with |r| <= ln2/128, so that
//     exp(x) = 2^(k div 64) * T[k mod 64] * exp(r),   T[j] = 2^(j/64) held as a sum hi + lo,
// exp(r) - 1 from its Taylor series to r^6 (truncation below 1e-19), and the product T.hi * r carried
// exactly (Dekker's split) so that the only sizeable error left is the final rounding.
//
// Sin, Cos: x = n pi/2 + y with y a double-double (y0 + y1) reduced against pi/2 in three parts of 33 bits
// (exact products with n below 2^20), then the minimax kernels on [-pi/4, pi/4] of the classic free
// mathematical library, which keep their error under one unit in the last place. Arguments beyond about
// 1.6 million, non-finite arguments and exponentials that leave the normal range go to the C library:
// the fits never produce them, and the C library's answer there is the reference.
#include "calc/numerics/ElementaryFunctions.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace Sistra::Elementary
{

namespace
{

struct DoubleDouble
{
    double hi;
    double lo;
};

// 2^(j/64) rounded to nearest, and what that rounding left out.
constexpr DoubleDouble PowersOfTwo[64] = {
    {0x1.0000000000000p+0, 0x0.0p+0},
    {0x1.02c9a3e778061p+0, -0x1.19083535b085dp-56},
    {0x1.059b0d3158574p+0, 0x1.d73e2a475b465p-55},
    {0x1.0874518759bc8p+0, 0x1.186be4bb284ffp-57},
    {0x1.0b5586cf9890fp+0, 0x1.8a62e4adc610bp-54},
    {0x1.0e3ec32d3d1a2p+0, 0x1.03a1727c57b53p-59},
    {0x1.11301d0125b51p+0, -0x1.6c51039449b3ap-54},
    {0x1.1429aaea92de0p+0, -0x1.32fbf9af1369ep-54},
    {0x1.172b83c7d517bp+0, -0x1.19041b9d78a76p-55},
    {0x1.1a35beb6fcb75p+0, 0x1.e5b4c7b4968e4p-55},
    {0x1.1d4873168b9aap+0, 0x1.e016e00a2643cp-54},
    {0x1.2063b88628cd6p+0, 0x1.dc775814a8495p-55},
    {0x1.2387a6e756238p+0, 0x1.9b07eb6c70573p-54},
    {0x1.26b4565e27cddp+0, 0x1.2bd339940e9d9p-55},
    {0x1.29e9df51fdee1p+0, 0x1.612e8afad1255p-55},
    {0x1.2d285a6e4030bp+0, 0x1.0024754db41d5p-54},
    {0x1.306fe0a31b715p+0, 0x1.6f46ad23182e4p-55},
    {0x1.33c08b26416ffp+0, 0x1.32721843659a6p-54},
    {0x1.371a7373aa9cbp+0, -0x1.63aeabf42eae2p-54},
    {0x1.3a7db34e59ff7p+0, -0x1.5e436d661f5e3p-56},
    {0x1.3dea64c123422p+0, 0x1.ada0911f09ebcp-55},
    {0x1.4160a21f72e2ap+0, -0x1.ef3691c309278p-58},
    {0x1.44e086061892dp+0, 0x1.89b7a04ef80d0p-59},
    {0x1.486a2b5c13cd0p+0, 0x1.3c1a3b69062f0p-56},
    {0x1.4bfdad5362a27p+0, 0x1.d4397afec42e2p-56},
    {0x1.4f9b2769d2ca7p+0, -0x1.4b309d25957e3p-54},
    {0x1.5342b569d4f82p+0, -0x1.07abe1db13cadp-55},
    {0x1.56f4736b527dap+0, 0x1.9bb2c011d93adp-54},
    {0x1.5ab07dd485429p+0, 0x1.6324c054647adp-54},
    {0x1.5e76f15ad2148p+0, 0x1.ba6f93080e65ep-54},
    {0x1.6247eb03a5585p+0, -0x1.383c17e40b497p-54},
    {0x1.6623882552225p+0, -0x1.bb60987591c34p-54},
    {0x1.6a09e667f3bcdp+0, -0x1.bdd3413b26456p-54},
    {0x1.6dfb23c651a2fp+0, -0x1.bbe3a683c88abp-57},
    {0x1.71f75e8ec5f74p+0, -0x1.16e4786887a99p-55},
    {0x1.75feb564267c9p+0, -0x1.0245957316dd3p-54},
    {0x1.7a11473eb0187p+0, -0x1.41577ee04992fp-55},
    {0x1.7e2f336cf4e62p+0, 0x1.05d02ba15797ep-56},
    {0x1.82589994cce13p+0, -0x1.d4c1dd41532d8p-54},
    {0x1.868d99b4492edp+0, -0x1.fc6f89bd4f6bap-54},
    {0x1.8ace5422aa0dbp+0, 0x1.6e9f156864b27p-54},
    {0x1.8f1ae99157736p+0, 0x1.5cc13a2e3976cp-55},
    {0x1.93737b0cdc5e5p+0, -0x1.75fc781b57ebcp-57},
    {0x1.97d829fde4e50p+0, -0x1.d185b7c1b85d1p-54},
    {0x1.9c49182a3f090p+0, 0x1.c7c46b071f2bep-56},
    {0x1.a0c667b5de565p+0, -0x1.359495d1cd533p-54},
    {0x1.a5503b23e255dp+0, -0x1.d2f6edb8d41e1p-54},
    {0x1.a9e6b5579fdbfp+0, 0x1.0fac90ef7fd31p-54},
    {0x1.ae89f995ad3adp+0, 0x1.7a1cd345dcc81p-54},
    {0x1.b33a2b84f15fbp+0, -0x1.2805e3084d708p-57},
    {0x1.b7f76f2fb5e47p+0, -0x1.5584f7e54ac3bp-56},
    {0x1.bcc1e904bc1d2p+0, 0x1.23dd07a2d9e84p-55},
    {0x1.c199bdd85529cp+0, 0x1.11065895048ddp-55},
    {0x1.c67f12e57d14bp+0, 0x1.2884dff483cadp-54},
    {0x1.cb720dcef9069p+0, 0x1.503cbd1e949dbp-56},
    {0x1.d072d4a07897cp+0, -0x1.cbc3743797a9cp-54},
    {0x1.d5818dcfba487p+0, 0x1.2ed02d75b3707p-55},
    {0x1.da9e603db3285p+0, 0x1.c2300696db532p-54},
    {0x1.dfc97337b9b5fp+0, -0x1.1a5cd4f184b5cp-54},
    {0x1.e502ee78b3ff6p+0, 0x1.39e8980a9cc8fp-55},
    {0x1.ea4afa2a490dap+0, -0x1.e9c23179c2893p-54},
    {0x1.efa1bee615a27p+0, 0x1.dc7f486a4b6b0p-54},
    {0x1.f50765b6e4540p+0, 0x1.9d3e12dd8a18bp-54},
    {0x1.fa7c1819e90d8p+0, 0x1.74853f3a5931ep-55},
};

constexpr int TableBits = 6;
constexpr int TableSize = 1 << TableBits;
constexpr double InverseStep = 0x1.71547652b82fep+6;  // 64 / ln 2
constexpr double StepHigh = 0x1.62e42fee00000p-7;     // ln 2 / 64, 32 bits: k * StepHigh is exact
constexpr double StepLow = 0x1.a39ef35793c76p-39;     // ln 2 / 64 - StepHigh
// Beyond this |x| the result leaves the normal range (or x is not finite).
constexpr double ExpLimit = 708.0;
// Adding and subtracting it rounds a double below 2^51 to an integer, which then sits in the low bits.
constexpr double RoundingShift = 0x1.8p52;
constexpr double SplitFactor = 134217729.0;  // 2^27 + 1

// a * b = product + error exactly (Dekker).
DoubleDouble ExactProduct(double a, double b)
{
    const double product = a * b;
    const double aScaled = SplitFactor * a;
    const double aHigh = aScaled - (aScaled - a);
    const double aLow = a - aHigh;
    const double bScaled = SplitFactor * b;
    const double bHigh = bScaled - (bScaled - b);
    const double bLow = b - bHigh;
    return {product, ((aHigh * bHigh - product) + aHigh * bLow + aLow * bHigh) + aLow * bLow};
}

double TwoToThe(int64_t exponent)
{
    return std::bit_cast<double>(static_cast<uint64_t>(exponent + 1023) << 52);
}

// Bounds, in units in the last place of the double result, on how far the toolchain's x87 exponential
// (x log2 e in extended precision, then 2^f - 1 and a scaling) may stand from the exact value before it is
// rounded to double: the product's rounding grows with |x|. Ours stays below OwnExpUlps.
constexpr double ToolchainExpBaseUlps = 0.01;
constexpr double ToolchainExpUlpsPerUnit = 0.004;
constexpr double OwnExpUlps = 0.001;

double ToolchainExpUlps(double x)
{
    return ToolchainExpBaseUlps + ToolchainExpUlpsPerUnit * std::abs(x) + OwnExpUlps;
}

// True when rounded + remainder (the value before rounding, remainder below half an ulp of rounded) lies
// within margin ulps of the midpoint between rounded and its neighbour.
bool NearTie(double rounded, double remainder, double margin)
{
    const double ulp = std::bit_cast<double>(std::bit_cast<uint64_t>(rounded) & 0x7ff0000000000000ull) * 0x1p-52;
    return std::abs(0.5 * ulp - std::abs(remainder)) < margin * ulp;
}

// pi/2 in three parts of 33 bits and their tails; 2/pi.
constexpr double TwoOverPi = 6.36619772367581382433e-01;
constexpr double HalfPi1 = 1.57079632673412561417e+00;
constexpr double HalfPi1Tail = 6.07710050650619224932e-11;
constexpr double HalfPi2 = 6.07710050630396597660e-11;
constexpr double HalfPi2Tail = 2.02226624879595063154e-21;
constexpr double HalfPi3 = 2.02226624871116645580e-21;
constexpr double HalfPi3Tail = 8.47842766036889956997e-32;
constexpr double QuarterPi = 0.785398163397448279;
// Quotients n below 2^20 keep n * HalfPi1 exact.
constexpr double ReductionLimit = 1.6e6;

struct Reduced
{
    int quadrant;
    double y0;
    double y1;
};

int Exponent(double x)
{
    return static_cast<int>((std::bit_cast<uint64_t>(x) >> 52) & 0x7ff);
}

// x - n pi/2 as y0 + y1; a second and third part of pi/2 join in when the first subtraction cancels
// most of x's bits.
Reduced ReduceHalfPi(double x)
{
    const double n = (x * TwoOverPi + RoundingShift) - RoundingShift;
    double r = x - n * HalfPi1;
    double w = n * HalfPi1Tail;
    double y0 = r - w;
    const int exponentOfX = Exponent(x);
    if (exponentOfX - Exponent(y0) > 16)
    {
        double t = r;
        w = n * HalfPi2;
        r = t - w;
        w = n * HalfPi2Tail - ((t - r) - w);
        y0 = r - w;
        if (exponentOfX - Exponent(y0) > 49)
        {
            t = r;
            w = n * HalfPi3;
            r = t - w;
            w = n * HalfPi3Tail - ((t - r) - w);
            y0 = r - w;
        }
    }
    return {static_cast<int>(static_cast<int64_t>(n) & 3), y0, (r - y0) - w};
}

constexpr double S1 = -1.66666666666666324348e-01;
constexpr double S2 = 8.33333333332248946124e-03;
constexpr double S3 = -1.98412698298579493134e-04;
constexpr double S4 = 2.75573137070700676789e-06;
constexpr double S5 = -2.50507602534068634195e-08;
constexpr double S6 = 1.58969099521155010221e-10;

// sin(x + y) for |x + y| <= pi/4, y a tail below half an ulp of x.
double SineKernel(double x, double y)
{
    const double z = x * x;
    const double w = z * z;
    const double r = S2 + z * (S3 + z * S4) + z * w * (S5 + z * S6);
    const double v = z * x;
    return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

constexpr double C1 = 4.16666666666666019037e-02;
constexpr double C2 = -1.38888888888741095749e-03;
constexpr double C3 = 2.48015872894767294178e-05;
constexpr double C4 = -2.75573143513906633035e-07;
constexpr double C5 = 2.08757232129817482790e-09;
constexpr double C6 = -1.13596475577881948265e-11;

// cos(x + y) for |x + y| <= pi/4; 1 - z/2 is formed with its rounding error carried.
double CosineKernel(double x, double y)
{
    const double z = x * x;
    const double w = z * z;
    const double r = z * (C1 + z * (C2 + z * C3)) + w * w * (C4 + z * (C5 + z * C6));
    const double halfZ = 0.5 * z;
    const double head = 1.0 - halfZ;
    return head + (((1.0 - head) - halfZ) + (z * r - x * y));
}

SineCosine KernelsOf(const Reduced& reduced)
{
    const double s = SineKernel(reduced.y0, reduced.y1);
    const double c = CosineKernel(reduced.y0, reduced.y1);
    switch (reduced.quadrant)
    {
    case 0: return {s, c};
    case 1: return {c, -s};
    case 2: return {-s, -c};
    default: return {-c, s};
    }
}

Reduced Reduce(double x)
{
    if (std::abs(x) <= QuarterPi)
        return {0, x, 0.0};
    return ReduceHalfPi(x);
}

bool Reducible(double x)
{
    return std::abs(x) < ReductionLimit;
}

} // namespace

double Exp(double x)
{
    if (!(std::abs(x) <= ExpLimit))
        return std::exp(x);
    const double shifted = x * InverseStep + RoundingShift;
    const auto k = static_cast<int64_t>(std::bit_cast<uint64_t>(shifted) << 13) >> 13;  // the low 51 bits, signed
    const double kd = shifted - RoundingShift;
    const double rHigh = x - kd * StepHigh;
    const double t = kd * StepLow;
    const double r = rHigh - t;
    const double rLow = (rHigh - r) - t;
    // exp(r) - 1 = r + q
    const double q = rLow + r * r * (0.5 + r * (1.0 / 6 + r * (1.0 / 24 + r * (1.0 / 120 + r * (1.0 / 720)))));
    const DoubleDouble& power = PowersOfTwo[k & (TableSize - 1)];
    const DoubleDouble product = ExactProduct(power.hi, r);
    const double sum = power.hi + product.hi;
    const double sumError = (power.hi - sum) + product.hi;  // power.hi outweighs product.hi: Fast2Sum
    const double tail = sumError + product.lo + power.lo + power.lo * r + power.hi * q + power.lo * q;
    const double rounded = sum + tail;
    // Near a tie between two doubles the x87 result may round the other way: take it from there.
    if (NearTie(rounded, tail - (rounded - sum), ToolchainExpUlps(x)))
        return std::exp(x);
    return rounded * TwoToThe(k >> TableBits);
}

double Sin(double x)
{
    if (!Reducible(x))
        return std::sin(x);
    return KernelsOf(Reduce(x)).sine;
}

double Cos(double x)
{
    if (!Reducible(x))
        return std::cos(x);
    return KernelsOf(Reduce(x)).cosine;
}

SineCosine SinCos(double x)
{
    if (!Reducible(x))
        return {std::sin(x), std::cos(x)};
    return KernelsOf(Reduce(x));
}

} // namespace Sistra::Elementary
