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

#include "platform/Processor.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <immintrin.h>

// The steps of Exp are always inlined, into the wide lanes too: no call passes a vector of four doubles,
// whose passing the compiler would otherwise warn differs with and without AVX.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace Sistra::Elementary
{

namespace
{

// A value and what its rounding left out; of single doubles, or of lanes of them.
template <class T>
struct Twofold
{
    T hi;
    T lo;
};
using DoubleDouble = Twofold<double>;

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
template <class T>
[[gnu::always_inline]] inline Twofold<T> ExactProduct(T a, T b)
{
    const T product = a * b;
    const T aScaled = SplitFactor * a;
    const T aHigh = aScaled - (aScaled - a);
    const T aLow = a - aHigh;
    const T bScaled = SplitFactor * b;
    const T bHigh = bScaled - (bScaled - b);
    const T bLow = b - bHigh;
    return {product, ((aHigh * bHigh - product) + aHigh * bLow + aLow * bHigh) + aLow * bLow};
}

double TwoToThe(int64_t exponent)
{
    return std::bit_cast<double>(static_cast<uint64_t>(exponent + 1023) << 52);
}

// Bounds, in units in the last place of the double result, on how far the toolchain's x87 exponential
// (x log2 e in extended precision, then 2^f - 1 and a scaling) may stand from the exact value before it is
// rounded to double, with a factor of two to spare: 2^f - 1 and the addition of 1 are each good to 2^-64
// (1/2048 ulp), and the product with log2 e and that constant's own rounding grow with |x|, by
// |x| log2(e) ln(2) (2^-64 + 2^-65) / 2^-53, about 0.00074 ulp per unit of x. Ours stays below OwnExpUlps.
constexpr double ToolchainExpBaseUlps = 0.003;
constexpr double ToolchainExpUlpsPerUnit = 0.0015;
constexpr double OwnExpUlps = 0.001;

// Of |x|.
template <class T>
[[gnu::always_inline]] inline T ToolchainExpUlps(T absoluteX)
{
    return ToolchainExpBaseUlps + ToolchainExpUlpsPerUnit * absoluteX + OwnExpUlps;
}

// Exp's steps up to its final rounding, the same operations in the same order for one double or for lanes
// of them (which SSE2 rounds as it rounds them one at a time).
template <class T>
struct ExpReduction
{
    T shifted;  // its low 51 bits hold k, signed
    T r;
    T q;        // exp(r) - 1 = r + q
};

template <class T>
[[gnu::always_inline]] inline ExpReduction<T> ReduceForExp(T x)
{
    const T shifted = x * InverseStep + RoundingShift;
    const T kd = shifted - RoundingShift;
    const T rHigh = x - kd * StepHigh;
    const T t = kd * StepLow;
    const T r = rHigh - t;
    const T rLow = (rHigh - r) - t;
    return {shifted, r, rLow + r * r * (0.5 + r * (1.0 / 6 + r * (1.0 / 24 + r * (1.0 / 120 + r * (1.0 / 720)))))};
}

// T[k mod 64] exp(r) as the rounded value and what the rounding left out.
template <class T>
[[gnu::always_inline]] inline Twofold<T> ScaledExpOfRemainder(const Twofold<T>& power, const ExpReduction<T>& reduced)
{
    const T r = reduced.r, q = reduced.q;
    const Twofold<T> product = ExactProduct(power.hi, r);
    const T sum = power.hi + product.hi;
    const T sumError = (power.hi - sum) + product.hi;  // power.hi outweighs product.hi: Fast2Sum
    const T tail = sumError + product.lo + power.lo + power.lo * r + power.hi * q + power.lo * q;
    const T rounded = sum + tail;
    return {rounded, tail - (rounded - sum)};
}

// The unit in the last place of a normal double.
double UlpOf(double value)
{
    return std::bit_cast<double>(std::bit_cast<uint64_t>(value) & 0x7ff0000000000000ull) * 0x1p-52;
}

// True when rounded + remainder (the value before rounding, remainder below half an ulp of rounded) lies
// within margin ulps of the midpoint between rounded and its neighbour.
bool NearTie(double rounded, double remainder, double margin)
{
    const double ulp = UlpOf(rounded);
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

// The first step of the reduction, for one double or for lanes of them: n = x 2/pi rounded to an integer
// (whose low bits shifted holds too), and x - n pi/2 against the first part of pi/2 as r - w.
template <class T>
struct FirstReduction
{
    T shifted;
    T n;
    T r;
    T w;
};

template <class T>
[[gnu::always_inline]] inline FirstReduction<T> ReduceOnce(T x)
{
    const T shifted = x * TwoOverPi + RoundingShift;
    const T n = shifted - RoundingShift;
    return {shifted, n, x - n * HalfPi1, n * HalfPi1Tail};
}

// x - n pi/2 as y0 + y1; a second and third part of pi/2 join in when the first subtraction cancels
// most of x's bits.
Reduced ReduceHalfPi(double x)
{
    const FirstReduction<double> first = ReduceOnce(x);
    const double n = first.n;
    double r = first.r;
    double w = first.w;
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

// sin and cos of j/64 for j = 0 .. 51 (a little beyond pi/4), each rounded to nearest and what that
// rounding left out.
struct AngleValues
{
    DoubleDouble sine;
    DoubleDouble cosine;
};
constexpr AngleValues Angles[52] = {
    {{0x0.0p+0, 0x0.0p+0}, {0x1.0000000000000p+0, 0x0.0p+0}},
    {{0x1.fffaaaaeeeed5p-7, -0x1.2ab639a9f0776p-63}, {0x1.fff000155549fp-1, 0x1.28a28a03a5ef3p-55}},
    {{0x1.ffeaaaeeee86fp-6, -0x1.cd406fb224ae2p-60}, {0x1.ffc00155527d3p-1, -0x1.3b54492d89b5bp-55}},
    {{0x1.7fdc01032fba9p-5, -0x1.599bdf46e997ap-59}, {0x1.ff7006bfdf99fp-1, -0x1.8b3b560648d5fp-56}},
    {{0x1.ffaaaeeed4edbp-5, -0x1.2d16d32684b69p-59}, {0x1.ff0015549f4d3p-1, 0x1.328387b99426fp-55}},
    {{0x1.3facb12d1755bp-4, -0x1.921915299468bp-58}, {0x1.fe7034129ef6fp-1, -0x1.cbf4337c96f97p-57}},
    {{0x1.7f701032550e4p-4, 0x1.afc2d1800501ap-60}, {0x1.fdc06bf7e6b9bp-1, 0x1.31902b535f8dbp-55}},
    {{0x1.bf1b78568391dp-4, 0x1.e91841dea4cc8p-58}, {0x1.fcf0c800e99b1p-1, 0x1.ea3d786d186acp-57}},
    {{0x1.feaaeee86ee36p-4, -0x1.afcb2bcc6f03bp-59}, {0x1.fc015527d5bd3p-1, 0x1.b68f35094efb8p-55}},
    {{0x1.1f0d3d7afceafp-3, -0x1.6ef95099769a5p-57}, {0x1.faf22263c4bd3p-1, -0x1.52ace133a2769p-58}},
    {{0x1.3eb312c5d66cbp-3, 0x1.47d666b66cb91p-57}, {0x1.f9c340a7cc428p-1, 0x1.c5b6b063b7462p-55}},
    {{0x1.5e44fcfa126f3p-3, -0x1.6f443063f89b6p-57}, {0x1.f874c2e1eecf6p-1, -0x1.c6514e1332b16p-55}},
    {{0x1.7dc102fbaf2b5p-3, 0x1.5ab50e23c97c3p-59}, {0x1.f706bdf9ece1cp-1, -0x1.698c80c36dcb4p-55}},
    {{0x1.9d252d0cec312p-3, 0x1.9c43d80b1137dp-58}, {0x1.f57948cff6797p-1, 0x1.e3a0d3e03b1d4p-57}},
    {{0x1.bc6f84edc6199p-3, 0x1.9c1a56a7b0cabp-57}, {0x1.f3cc7c3b3d16ep-1, -0x1.21a3ad28a3494p-57}},
    {{0x1.db9e15fb5a5d0p-3, -0x1.32e20d6cc6fc2p-57}, {0x1.f20073086649fp-1, 0x1.b940416c1984bp-56}},
    {{0x1.faaeed4f31577p-3, -0x1.15d88508e32b8p-57}, {0x1.f01549f7deea1p-1, 0x1.d3c1e99e5cafdp-55}},
    {{0x1.0cd00cef36436p-2, -0x1.9fb0a0c93e2b4p-56}, {0x1.ee0b1fbc0f11cp-1, -0x1.bfd2380bbc3b1p-59}},
    {{0x1.1c37d64c6b876p-2, 0x1.46076fe0dcff4p-56}, {0x1.ebe214f76efa8p-1, -0x1.02f9f12ba543ep-55}},
    {{0x1.2b8ddc43eb49fp-2, 0x1.1553899f2d807p-57}, {0x1.e99a4c3a7cd83p-1, -0x1.2264b1bc53ce8p-55}},
    {{0x1.3ad129769d3d8p-2, 0x1.03d550487839ap-63}, {0x1.e733ea0193d40p-1, -0x1.6428b3546ce13p-55}},
    {{0x1.4a00c9b0f3d20p-2, 0x1.823ba6bb08eadp-56}, {0x1.e4af14b2a449cp-1, -0x1.68ca02e8a6833p-55}},
    {{0x1.591bc9fa2f597p-2, 0x1.7c74bac3fe0cbp-57}, {0x1.e20bf49acd6c1p-1, -0x1.660aec7ef636bp-58}},
    {{0x1.682138a38d7f7p-2, -0x1.d889202444aadp-56}, {0x1.df4ab3ebd875ep-1, -0x1.e2d8a7e6736c4p-55}},
    {{0x1.7710255764214p-2, -0x1.6ead7314bb6cep-57}, {0x1.dc6b7eb995912p-1, 0x1.4b364776dcd35p-58}},
    {{0x1.85e7a12826949p-2, 0x1.8a40e9b5face0p-56}, {0x1.d96e82f71a9dcp-1, 0x1.ff61bd5d2039dp-55}},
    {{0x1.94a6be9f546c5p-2, -0x1.69ce13e683f58p-56}, {0x1.d653f073e4040p-1, -0x1.76236434bec37p-55}},
    {{0x1.a34c91cc50ccap-2, -0x1.a310e3b50cecdp-58}, {0x1.d31bf8d8d7c06p-1, 0x1.e60dd3089cbddp-56}},
    {{0x1.b1d8305321617p-2, -0x1.ae242cb99f519p-56}, {0x1.cfc6cfa52ad9fp-1, 0x1.8b5b5508f2a0dp-55}},
    {{0x1.c048b17b140a3p-2, 0x1.19fe6757e9fa7p-57}, {0x1.cc54aa2b2972ep-1, 0x1.4ee162ba83a98p-57}},
    {{0x1.ce9d2e3d4a51fp-2, -0x1.2fc8a12dae298p-57}, {0x1.c8c5bf8ce1a84p-1, 0x1.ab3d1a1590123p-56}},
    {{0x1.dcd4c15329c9ap-2, 0x1.0d4c6e171fd9ap-56}, {0x1.c51a48b8b175ep-1, -0x1.1bbb43b9aa880p-57}},
    {{0x1.eaee8744b05f0p-2, -0x1.789b43c9b027dp-58}, {0x1.c1528065b7d50p-1, -0x1.892111312e828p-55}},
    {{0x1.f8e99e76abc97p-2, 0x1.9d950af2d00a3p-58}, {0x1.bd6ea310294f5p-1, 0x1.31bbcc88c109dp-56}},
    {{0x1.0362939c69955p-1, -0x1.2d8cd78397b01p-55}, {0x1.b96eeef58840ep-1, 0x1.45a3cc78fade0p-58}},
    {{0x1.0a4021e9e1001p-1, -0x1.6f643a13914f6p-55}, {0x1.b553a410c104ep-1, 0x1.8ff7947027a15p-58}},
    {{0x1.110d0c4b69c3bp-1, 0x1.d918998809981p-55}, {0x1.b11d04162a4c6p-1, 0x1.1dd561efbc0c2p-56}},
    {{0x1.17c8e5f2eedb0p-1, 0x1.35e57102e2488p-57}, {0x1.accb526f69de5p-1, 0x1.8fb6a8dd6b6ccp-55}},
    {{0x1.1e7343236574cp-1, 0x1.22a3fa4f41d5ap-56}, {0x1.a85ed4373e02dp-1, 0x1.9be06385ec792p-57}},
    {{0x1.250bb93788bbbp-1, 0x1.ea3d02457bccep-56}, {0x1.a3d7d0352bdcfp-1, -0x1.68dbaeca19669p-55}},
    {{0x1.2b91dea88421ep-1, -0x1.fa371db216ab0p-55}, {0x1.9f368ed912f85p-1, -0x1.1d200c5791606p-55}},
    {{0x1.32054b148bc4fp-1, 0x1.f6b42095a135bp-55}, {0x1.9a7b5a36a6514p-1, 0x1.722cfcc9fa7a9p-55}},
    {{0x1.386597456282bp-1, -0x1.10fada93b07a8p-56}, {0x1.95a67e00cb1fdp-1, -0x1.0befda21f862dp-55}},
    {{0x1.3eb25d36cd53ap-1, -0x1.be570e1570fc0p-58}, {0x1.90b84784ddaf7p-1, -0x1.0feb10ab93b87p-56}},
    {{0x1.44eb381cf386bp-1, -0x1.3ed6c1e6a5505p-55}, {0x1.8bb105a5dc900p-1, 0x1.863e03e9474c1p-55}},
    {{0x1.4b0fc46aab761p-1, 0x1.0da05738cc59cp-61}, {0x1.869108d77a6c6p-1, 0x1.338ffe2bfe9ddp-56}},
    {{0x1.511f9fd7b351cp-1, -0x1.5c0e861c48831p-55}, {0x1.8158a31916d5dp-1, -0x1.de8b90b8228dep-57}},
    {{0x1.571a6966d59b3p-1, 0x1.c843b4d0fb197p-58}, {0x1.7c0827f09e54fp-1, -0x1.c73d6d72aee68p-57}},
    {{0x1.5cffc16bf8f0dp-1, 0x1.96cb370eb578ap-55}, {0x1.769fec655211fp-1, -0x1.827d5cf8c68c5p-57}},
    {{0x1.62cf49921ac79p-1, -0x1.edd9855b6241ap-55}, {0x1.712046fa77678p-1, 0x1.425b0a5029c81p-55}},
    {{0x1.6888a4e134b2fp-1, -0x1.6b7d37644d5e6p-55}, {0x1.6b898fa9efb5dp-1, 0x1.15ac786ccf4b2p-56}},
    {{0x1.6e2b77c40bde1p-1, -0x1.0e729857fad53p-56}, {0x1.65dc1fdeb8cbap-1, -0x1.97c1b47337c77p-58}},
};
constexpr double AngleSteps = 64.0;
// Below this |x|, sin x rounds to x and cos x to 1.
constexpr double TinyAngle = 0x1p-27;

// Our sine and cosine before their final rounding stand within this many ulps of the exact values.
constexpr double OwnSineUlps = 0.005;
// The toolchain's x87 sine and cosine: within a few thousandths of an ulp where the unit reduces nothing,
// and off by the error of its 66-bit pi times the quadrant count beyond that, which weighs the more the
// smaller the result (near a zero of the function). That pi stands 1.29e-21 (about 2^-69.4) of pi below it,
// so the reduced argument of x is off by about |x| 2^-69.4: bounded here with a factor of five to spare.
// Every argument inside the bound goes to the toolchain, and the sine fit's phases cross pi: a looser
// bound costs it a toolchain call for one sine in twenty.
constexpr double ToolchainSineUlps = 0.002;
constexpr double ToolchainReductionPerUnit = 0x1p-67;

// Of |x|, for a result whose last place is ulp.
template <class T>
[[gnu::always_inline]] inline T ToolchainSineUlpsAt(T absoluteX, T ulp)
{
    return OwnSineUlps + ToolchainSineUlps + (absoluteX > QuarterPi ? absoluteX * ToolchainReductionPerUnit / ulp : T{});
}

// a + b exactly as sum + error, for |a| >= |b| (Fast2Sum).
template <class T>
[[gnu::always_inline]] inline Twofold<T> OrderedSum(T a, T b)
{
    const T sum = a + b;
    return {sum, b - (sum - a)};
}

// y = j/64 + r with |r| <= 1/128 for |y| <= pi/4 (plus rounding), with sin r - r and cos r - 1 from their
// series: sin and cos of y then follow from S, C = sin, cos of j/64 in the table as
//     sin y = S + C r + (S (cos r - 1) + C (sin r - r)),   cos y = C - S r + (C (cos r - 1) - S (sin r - r)),
// the leading products carried exactly, to a few thousandths of an ulp before the final rounding.
template <class T>
struct SplitAngle
{
    Twofold<T> sine;    // of j/64
    Twofold<T> cosine;
    T rHigh;  // r = rHigh + rLow, rHigh exact
    T rLow;
    T r;
    T sinePart;    // sin r - r
    T cosinePart;  // cos r - 1
};

// Of |y0 + y1|, with steps = j and sine, cosine the table's entries for j.
template <class T>
[[gnu::always_inline]] inline SplitAngle<T> SplitAt(const Twofold<T>& sine, const Twofold<T>& cosine, T steps, T y0,
                                                    T y1)
{
    const T rHigh = y0 - steps / AngleSteps;  // exact: both lie on the grid of y0's last bit
    const T r = rHigh + y1;
    const T z = r * r;
    return {sine, cosine, rHigh, y1, r, r * z * (-1.0 / 6 + z * (1.0 / 120 - z * (1.0 / 5040))),
            z * (-0.5 + z * (1.0 / 24 + z * (-1.0 / 720 + z * (1.0 / 40320))))};
}

SplitAngle<double> Split(double y0, double y1)
{
    const int j = static_cast<int>(y0 * AngleSteps + 0.5);
    return SplitAt(Angles[j].sine, Angles[j].cosine, static_cast<double>(j), y0, y1);
}

// hi: the rounded value, lo: what the rounding left out.
template <class T>
[[gnu::always_inline]] inline Twofold<T> PreciseSine(const SplitAngle<T>& y)
{
    const Twofold<T> cr = ExactProduct(y.cosine.hi, y.rHigh);
    const Twofold<T> lead = OrderedSum(y.sine.hi, cr.hi);
    return OrderedSum(lead.hi, lead.lo + cr.lo + y.sine.lo + y.cosine.hi * y.rLow + y.cosine.lo * y.r +
                                   y.sine.hi * y.cosinePart + y.cosine.hi * y.sinePart);
}

template <class T>
[[gnu::always_inline]] inline Twofold<T> PreciseCosine(const SplitAngle<T>& y)
{
    const Twofold<T> sr = ExactProduct(y.sine.hi, y.rHigh);
    const Twofold<T> lead = OrderedSum(y.cosine.hi, -sr.hi);
    return OrderedSum(lead.hi, lead.lo - sr.lo + y.cosine.lo - y.sine.hi * y.rLow - y.sine.lo * y.r +
                                   y.cosine.hi * y.cosinePart - y.sine.hi * y.sinePart);
}

DoubleDouble Negated(const DoubleDouble& value)
{
    return {-value.hi, -value.lo};
}

struct PreciseSineCosine
{
    DoubleDouble sine;
    DoubleDouble cosine;
};

// sin x and cos x from the quadrant n and y = x - n pi/2: sin(y + n pi/2) runs through sin y, cos y,
// -sin y, -cos y; sin is odd in y and cos even. Only the functions asked for are evaluated.
PreciseSineCosine PreciseOf(const Reduced& reduced, bool wantSine, bool wantCosine)
{
    const bool negativeY = reduced.y0 < 0.0;
    const SplitAngle<double> y = negativeY ? Split(-reduced.y0, -reduced.y1) : Split(reduced.y0, reduced.y1);
    const bool odd = (reduced.quadrant & 1) != 0;
    DoubleDouble ofY[2] = {};  // sin y, cos y
    if (odd ? wantCosine : wantSine)
        ofY[0] = negativeY ? Negated(PreciseSine(y)) : PreciseSine(y);
    if (odd ? wantSine : wantCosine)
        ofY[1] = PreciseCosine(y);
    switch (reduced.quadrant)
    {
    case 0: return {ofY[0], ofY[1]};
    case 1: return {ofY[1], Negated(ofY[0])};
    case 2: return {Negated(ofY[0]), Negated(ofY[1])};
    default: return {Negated(ofY[1]), ofY[0]};
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

// The rounded value, or the toolchain's where the value lies next to a tie between two doubles.
double Settled(const DoubleDouble& value, double x, double (*toolchain)(double))
{
    return NearTie(value.hi, value.lo, ToolchainSineUlpsAt(std::abs(x), UlpOf(value.hi))) ? toolchain(x) : value.hi;
}

double ToolchainSin(double x)
{
    return std::sin(x);
}

double ToolchainCos(double x)
{
    return std::cos(x);
}

// Lanes of doubles and of integers as wide as the processor's vector registers: two in SSE2's, four in
// AVX2's, eight in AVX-512's. Each lane takes the same operations, rounded the same way, as one double
// alone would.
template <int Count>
struct Lanes
{
    typedef double Doubles __attribute__((vector_size(Count * sizeof(double))));
    typedef int64_t Integers __attribute__((vector_size(Count * sizeof(int64_t))));
};

template <int Count>
[[gnu::always_inline]] inline typename Lanes<Count>::Doubles AbsoluteLanes(typename Lanes<Count>::Doubles x)
{
    using Doubles = typename Lanes<Count>::Doubles;
    using Integers = typename Lanes<Count>::Integers;
    return reinterpret_cast<Doubles>(reinterpret_cast<Integers>(x) & 0x7fffffffffffffffll);
}

// The table's rounded values and their remainders apart, for lanes that pick their entries by shuffling
// whole vectors of them.
struct SeparatePowers
{
    double hi[TableSize];
    double lo[TableSize];
};
constexpr SeparatePowers PowerColumns = [] {
    SeparatePowers columns{};
    for (int j = 0; j < TableSize; ++j)
    {
        columns.hi[j] = PowersOfTwo[j].hi;
        columns.lo[j] = PowersOfTwo[j].lo;
    }
    return columns;
}();

// Eight lanes take column[j] for their j from 0 to 63: a two-vector shuffle picks from sixteen entries,
// and bits 4 and 5 of j choose among four such picks.
[[gnu::always_inline]] inline Lanes<8>::Doubles PickEight(const double* column, Lanes<8>::Integers j)
{
    using Doubles = Lanes<8>::Doubles;
    Doubles part[TableSize / 8];
    std::memcpy(part, column, sizeof part);
    Doubles pick[4];
    for (int group = 0; group < 4; ++group)
        pick[group] = __builtin_shuffle(part[2 * group], part[2 * group + 1], j);
    const Lanes<8>::Integers first = j & 16, second = j & 32;
    return second ? (first ? pick[3] : pick[2]) : (first ? pick[1] : pick[0]);
}

// column[j] for the lanes' j, from 0 to 63.
template <int Count>
[[gnu::always_inline]] inline typename Lanes<Count>::Doubles ColumnAt(const double* column,
                                                                      typename Lanes<Count>::Integers j)
{
    if constexpr (Count == 8)
        return PickEight(column, j);
    // Filled lane by lane: a vector built from its elements at once goes through memory, a third slower.
    typename Lanes<Count>::Doubles picked = {};
    for (int lane = 0; lane < Count; ++lane)
        picked[lane] = column[j[lane]];
    return picked;
}

// The table's entries 2^(j/64) for the lanes' j.
template <int Count>
[[gnu::always_inline]] inline Twofold<typename Lanes<Count>::Doubles> PowersAt(typename Lanes<Count>::Integers j)
{
    return {ColumnAt<Count>(PowerColumns.hi, j), ColumnAt<Count>(PowerColumns.lo, j)};
}

// The unit in the last place of each lane's value.
template <int Count>
[[gnu::always_inline]] inline typename Lanes<Count>::Doubles UlpLanes(typename Lanes<Count>::Doubles value)
{
    using Doubles = typename Lanes<Count>::Doubles;
    using Integers = typename Lanes<Count>::Integers;
    return reinterpret_cast<Doubles>(reinterpret_cast<Integers>(value) & 0x7ff0000000000000ll) * 0x1p-52;
}

// x[index ..] in lanes; past the last argument, lanes repeat it.
template <int Count>
[[gnu::always_inline]] inline typename Lanes<Count>::Doubles LoadLanes(std::span<const double> x, size_t index)
{
    typename Lanes<Count>::Doubles lanes;
    if (index + Count <= x.size())
    {
        std::memcpy(&lanes, x.data() + index, sizeof lanes);
        return lanes;
    }
    for (size_t lane = 0; lane < Count; ++lane)
        lanes[lane] = x[std::min(index + lane, x.size() - 1)];
    return lanes;
}

// The lanes into out[index ..], as many as it holds.
template <int Count>
[[gnu::always_inline]] inline void StoreLanes(typename Lanes<Count>::Doubles lanes, std::span<double> out, size_t index)
{
    if (index + Count <= out.size())
    {
        std::memcpy(out.data() + index, &lanes, sizeof lanes);
        return;
    }
    for (size_t lane = 0; index + lane < out.size(); ++lane)
        out[index + lane] = lanes[lane];
}

// True when some lane is not zero (eight lanes ask a mask instead).
template <int Count>
[[gnu::always_inline]] inline bool AnyLane(typename Lanes<Count>::Doubles flags)
{
    bool any = false;
    for (int lane = 0; lane < Count; ++lane)
        any |= flags[lane] != 0.0;
    return any;
}

// Exp of each lane; lanes next to a tie or out of range are flagged (one, else zero) and hold no result.
template <int Count>
[[gnu::always_inline]] inline typename Lanes<Count>::Doubles ExpLanes(typename Lanes<Count>::Doubles x,
                                                                     typename Lanes<Count>::Doubles& flagged)
{
    using Doubles = typename Lanes<Count>::Doubles;
    using Integers = typename Lanes<Count>::Integers;
    const ExpReduction<Doubles> reduced = ReduceForExp(x);
    const Integers k = (reinterpret_cast<Integers>(reduced.shifted) << 13) >> 13;
    const Twofold<Doubles> value = ScaledExpOfRemainder(PowersAt<Count>(k & (TableSize - 1)), reduced);
    const Doubles ulp = UlpLanes<Count>(value.hi);
    const Doubles absoluteX = AbsoluteLanes<Count>(x);
    // Each comparison chooses between two numbers on its own: the compiler keeps such choices whole until
    // it knows how wide the lanes are, but spells out comparisons that are combined, or kept as all-ones
    // and zeros, one lane at a time eight lanes wide.
    const Doubles no = {}, yes = no + 1.0;
    const Doubles nearTie =
        AbsoluteLanes<Count>(0.5 * ulp - AbsoluteLanes<Count>(value.lo)) < ToolchainExpUlps(absoluteX) * ulp ? yes : no;
    const Doubles outOfRange = absoluteX <= ExpLimit ? no : yes;
    flagged = nearTie + outOfRange;
    return value.hi * reinterpret_cast<Doubles>(((k >> TableBits) + 1023) << 52);
}

// Exp of the lanes into out[index ..], as many as it holds: a lane is flagged exactly where Exp, taking the
// same steps, would answer with the toolchain's exponential, and flagged lanes go there straight away.
template <int Count>
[[gnu::always_inline]] inline void StoreExpLanes(typename Lanes<Count>::Doubles arguments, std::span<double> out,
                                                 size_t index)
{
    typename Lanes<Count>::Doubles flagged;
    const typename Lanes<Count>::Doubles values = ExpLanes<Count>(arguments, flagged);
    if (!AnyLane<Count>(flagged) && index + Count <= out.size())
    {
        std::memcpy(out.data() + index, &values, sizeof values);
        return;
    }
    for (size_t lane = 0; lane < Count && index + lane < out.size(); ++lane)
        out[index + lane] = flagged[lane] != 0.0 ? std::exp(arguments[lane]) : values[lane];
}

template <int Count>
[[gnu::always_inline]] inline void ExpOfScaledIn(double factor, std::span<const double> x, std::span<double> out)
{
    using Doubles = typename Lanes<Count>::Doubles;
    size_t index = 0;
    for (; index + Count <= x.size(); index += Count)
    {
        Doubles arguments;
        std::memcpy(&arguments, x.data() + index, sizeof arguments);
        StoreExpLanes<Count>(factor * arguments, out, index);
    }
    if (index < x.size())
    {
        Doubles arguments;
        for (size_t lane = 0; lane < Count; ++lane)
            arguments[lane] = factor * x[std::min(index + lane, x.size() - 1)];
        StoreExpLanes<Count>(arguments, out, index);
    }
}

__attribute__((target("avx2"))) void ExpOfScaledInFour(double factor, std::span<const double> x, std::span<double> out)
{
    ExpOfScaledIn<4>(factor, x, out);
}

// Eight lanes take the last, partial vector through masked loads and stores: the lanes past the end hold
// zero, whose exponential is never flagged, and are never stored. Every vector is stored as it comes and its
// flagged lanes only noted; a block's flagged lanes go to the toolchain afterwards, so that no branch that a
// flagged lane turns the other way stands between one vector's work and the next's.
__attribute__((target("avx512f,avx512dq"))) void ExpOfScaledInEight(double factor, std::span<const double> x,
                                                            std::span<double> out)
{
    using Doubles = Lanes<8>::Doubles;
    constexpr size_t BlockVectors = 64;
    const Doubles scale = factor - Doubles{};
    for (size_t block = 0; block < x.size(); block += 8 * BlockVectors)
    {
        const size_t end = std::min(x.size(), block + 8 * BlockVectors);
        uint8_t flags[BlockVectors];
        unsigned anyFlagged = 0;
        for (size_t index = block; index < end; index += 8)
        {
            const __mmask8 inside = static_cast<__mmask8>((1u << std::min<size_t>(8, end - index)) - 1);
            const Doubles arguments =
                scale * reinterpret_cast<Doubles>(_mm512_maskz_loadu_pd(inside, x.data() + index));
            Doubles flagged;
            const Doubles values = ExpLanes<8>(arguments, flagged);
            _mm512_mask_storeu_pd(out.data() + index, inside, reinterpret_cast<__m512d>(values));
            const __mmask8 lanes =
                _mm512_mask_cmp_pd_mask(inside, reinterpret_cast<__m512d>(flagged), __m512d{}, _CMP_NEQ_UQ);
            flags[(index - block) / 8] = lanes;
            anyFlagged |= lanes;
        }
        if (anyFlagged == 0)
            continue;
        for (size_t vector = 0; block + 8 * vector < end; ++vector)
            for (unsigned lanes = flags[vector]; lanes != 0; lanes &= lanes - 1)
            {
                const size_t index = block + 8 * vector + static_cast<size_t>(std::countr_zero(lanes));
                out[index] = std::exp(factor * x[index]);
            }
    }
}

// The angle table's four columns apart, padded to the exponential table's 64 entries so that lanes pick from
// them as they pick powers of two.
struct SeparateAngles
{
    double sineHi[TableSize];
    double sineLo[TableSize];
    double cosineHi[TableSize];
    double cosineLo[TableSize];
};
static_assert(std::size(Angles) <= TableSize);
constexpr SeparateAngles AngleColumns = [] {
    SeparateAngles columns{};
    for (size_t j = 0; j < std::size(Angles); ++j)
    {
        columns.sineHi[j] = Angles[j].sine.hi;
        columns.sineLo[j] = Angles[j].sine.lo;
        columns.cosineHi[j] = Angles[j].cosine.hi;
        columns.cosineLo[j] = Angles[j].cosine.lo;
    }
    return columns;
}();

template <int Count>
struct SineCosineLanes
{
    typename Lanes<Count>::Doubles sine;
    typename Lanes<Count>::Doubles cosine;
};

// Where the lanes' select is all ones take whenSet, else otherwise.
template <int Count>
[[gnu::always_inline]] inline typename Lanes<Count>::Integers Chosen(typename Lanes<Count>::Integers select,
                                                                     typename Lanes<Count>::Doubles whenSet,
                                                                     typename Lanes<Count>::Doubles otherwise)
{
    using Integers = typename Lanes<Count>::Integers;
    return (reinterpret_cast<Integers>(whenSet) & select) | (reinterpret_cast<Integers>(otherwise) & ~select);
}

// Flagged (one, else zero) where the value rounded + remainder lies next to a tie by the toolchain's margin.
template <int Count>
[[gnu::always_inline]] inline typename Lanes<Count>::Doubles NearSineTie(typename Lanes<Count>::Doubles rounded,
                                                                         typename Lanes<Count>::Doubles remainder,
                                                                         typename Lanes<Count>::Doubles absoluteX)
{
    using Doubles = typename Lanes<Count>::Doubles;
    const Doubles ulp = UlpLanes<Count>(rounded);
    const Doubles no = {}, yes = no + 1.0;
    return AbsoluteLanes<Count>(0.5 * ulp - AbsoluteLanes<Count>(remainder)) <
                   ToolchainSineUlpsAt(absoluteX, ulp) * ulp
               ? yes
               : no;
}

// What a flagged lane asks for: the sum of the toolchain's sine (one) or cosine (two), or SinCos whole (four
// or more).
constexpr double ToolchainSineFlag = 1.0;
constexpr double ToolchainCosineFlag = 2.0;
constexpr double WholeSinCosFlag = 4.0;

// SinCos of each lane by SinCos's own steps; lanes where SinCos would take another way are flagged (zero
// where not): those that SinCos hands whole to the toolchain or reduces further (tiny, huge or not finite, a
// first reduction that cancels too many bits), and each result next to a tie, which SinCos takes from the
// toolchain in place of the lane's. Where |x| <= pi/4 the reduction finds n = 0 (x 2/pi rounds to at most
// one half, a tie that rounds to the even zero) and so leaves y = x exactly, as SinCos does without reducing.
template <int Count>
[[gnu::always_inline]] inline SineCosineLanes<Count> SinCosLanes(typename Lanes<Count>::Doubles x,
                                                                 typename Lanes<Count>::Doubles& flagged)
{
    using Doubles = typename Lanes<Count>::Doubles;
    using Integers = typename Lanes<Count>::Integers;
    const FirstReduction<Doubles> first = ReduceOnce(x);
    const Doubles y0 = first.r - first.w;
    const Doubles y1 = (first.r - y0) - first.w;
    // y is taken as |y|, its sign noted; y0 is never a negative zero where x is not flagged.
    const Integers negativeY = (reinterpret_cast<Integers>(y0) >> 63) & 1;
    const Doubles absoluteY0 = AbsoluteLanes<Count>(y0);
    const Doubles absoluteY1 = reinterpret_cast<Doubles>(reinterpret_cast<Integers>(y1) ^ (negativeY << 63));
    // j = y0 64 + 1/2 truncated, which for this positive sum is its floor.
    const Doubles stepsAndHalf = absoluteY0 * AngleSteps + 0.5;
    const Doubles nearest = (stepsAndHalf + RoundingShift) - RoundingShift;
    const Doubles steps = nearest > stepsAndHalf ? nearest - 1.0 : nearest;
    const Integers j = reinterpret_cast<Integers>(steps + RoundingShift) & (TableSize - 1);
    const SplitAngle<Doubles> y =
        SplitAt(Twofold<Doubles>{ColumnAt<Count>(AngleColumns.sineHi, j), ColumnAt<Count>(AngleColumns.sineLo, j)},
                Twofold<Doubles>{ColumnAt<Count>(AngleColumns.cosineHi, j), ColumnAt<Count>(AngleColumns.cosineLo, j)},
                steps, absoluteY0, absoluteY1);
    const Twofold<Doubles> sineOfY = PreciseSine(y), cosineOfY = PreciseCosine(y);
    // Quadrants 0 to 3 give sin x = sin y, cos y, -sin y, -cos y and cos x = cos y, -sin y, -cos y, sin y.
    const Integers quadrant = reinterpret_cast<Integers>(first.shifted) & 3;
    const Integers odd = quadrant & 1;
    const Integers swapped = -odd;
    const Integers half = quadrant >> 1;
    const Integers sine = Chosen<Count>(swapped, cosineOfY.hi, sineOfY.hi) ^ ((half ^ (negativeY & ~odd)) << 63);
    const Integers cosine = Chosen<Count>(swapped, sineOfY.hi, cosineOfY.hi) ^ ((half ^ odd ^ (negativeY & odd)) << 63);
    const Doubles sineRest = reinterpret_cast<Doubles>(Chosen<Count>(swapped, cosineOfY.lo, sineOfY.lo));
    const Doubles cosineRest = reinterpret_cast<Doubles>(Chosen<Count>(swapped, sineOfY.lo, cosineOfY.lo));

    const Doubles absoluteX = AbsoluteLanes<Count>(x);
    const Doubles no = {}, whole = no + WholeSinCosFlag;
    const Doubles outOfRange = (absoluteX < ReductionLimit ? no : whole) + (absoluteX < TinyAngle ? whole : no);
    // ReduceHalfPi's test of a first subtraction that cancelled more than 16 bits, on the values themselves.
    const Doubles cancelled = absoluteY0 < UlpLanes<Count>(x) * 0x1p+36 ? whole : no;
    const SineCosineLanes<Count> values{reinterpret_cast<Doubles>(sine), reinterpret_cast<Doubles>(cosine)};
    flagged = outOfRange + cancelled + ToolchainSineFlag * NearSineTie<Count>(values.sine, sineRest, absoluteX) +
              ToolchainCosineFlag * NearSineTie<Count>(values.cosine, cosineRest, absoluteX);
    return values;
}

void SettleFlagged(double flag, double x, double& sine, double& cosine)
{
    if (flag >= WholeSinCosFlag)
    {
        const SineCosine both = SinCos(x);
        sine = both.sine;
        cosine = both.cosine;
        return;
    }
    if (flag != ToolchainCosineFlag)
        sine = ToolchainSin(x);
    if (flag != ToolchainSineFlag)
        cosine = ToolchainCos(x);
}

// Every vector is stored as it comes and its flagged lanes only noted; a block's flagged lanes go to SinCos
// or the toolchain afterwards, so that no branch that a flagged lane turns the other way stands between one
// vector's work and the next's.
template <int Count>
[[gnu::always_inline]] inline void SinCosIn(std::span<const double> x, std::span<double> sines,
                                            std::span<double> cosines)
{
    using Doubles = typename Lanes<Count>::Doubles;
    constexpr size_t BlockLength = 512;
    double flags[BlockLength];
    for (size_t block = 0; block < x.size(); block += BlockLength)
    {
        const size_t end = std::min(x.size(), block + BlockLength);
        Doubles anyFlagged = {};
        for (size_t index = block; index < end; index += Count)
        {
            Doubles flagged;
            const SineCosineLanes<Count> values = SinCosLanes<Count>(LoadLanes<Count>(x, index), flagged);
            StoreLanes<Count>(values.sine, sines.first(end), index);
            StoreLanes<Count>(values.cosine, cosines.first(end), index);
            StoreLanes<Count>(flagged, std::span(flags, end - block), index - block);
            anyFlagged += flagged;
        }
        if (!AnyLane<Count>(anyFlagged))
            continue;
        for (size_t index = block; index < end; ++index)
            if (flags[index - block] != 0.0)
                SettleFlagged(flags[index - block], x[index], sines[index], cosines[index]);
    }
}

__attribute__((target("avx2"))) void SinCosInFour(std::span<const double> x, std::span<double> sines,
                                                  std::span<double> cosines)
{
    SinCosIn<4>(x, sines, cosines);
}

__attribute__((target("avx512f,avx512dq"))) void SinCosInEight(std::span<const double> x, std::span<double> sines,
                                                               std::span<double> cosines)
{
    SinCosIn<8>(x, sines, cosines);
}

// The widest lanes the processor offers (AVX-512DQ turns the lanes' comparisons into masks and back in one
// instruction each).
int WidestLanes()
{
    return Platform::HasAvx512() ? 8 : Platform::HasAvx2() ? 4 : 2;
}

int LanesFor(LaneWidth width)
{
    static const int widest = WidestLanes();
    return std::min(widest, width == LaneWidth::Widest ? 8 : width == LaneWidth::Four ? 4 : 2);
}

// Takes the way for as many lanes as asked for and offered: eight, four or two (called straight, so that the
// two lanes' way is compiled into the caller).
template <auto Eight, auto Four, auto Two, class... Arguments>
[[gnu::always_inline]] inline void InLanes(LaneWidth width, Arguments... arguments)
{
    const int lanes = LanesFor(width);
    if (lanes == 8)
        Eight(arguments...);
    else if (lanes == 4)
        Four(arguments...);
    else
        Two(arguments...);
}

} // namespace

void ExpOfScaled(double factor, std::span<const double> x, std::span<double> out, LaneWidth width)
{
    InLanes<ExpOfScaledInEight, ExpOfScaledInFour, ExpOfScaledIn<2>>(width, factor, x, out);
}

double Exp(double x)
{
    if (!(std::abs(x) <= ExpLimit))
        return std::exp(x);
    const ExpReduction<double> reduced = ReduceForExp(x);
    const auto k = static_cast<int64_t>(std::bit_cast<uint64_t>(reduced.shifted) << 13) >> 13;
    const DoubleDouble value = ScaledExpOfRemainder(PowersOfTwo[k & (TableSize - 1)], reduced);
    // Near a tie between two doubles the x87 result may round the other way: take it from there.
    if (NearTie(value.hi, value.lo, ToolchainExpUlps(std::abs(x))))
        return std::exp(x);
    return value.hi * TwoToThe(k >> TableBits);
}

double Sin(double x)
{
    if (!Reducible(x) || std::abs(x) < TinyAngle)
        return std::sin(x);
    return Settled(PreciseOf(Reduce(x), true, false).sine, x, ToolchainSin);
}

double Cos(double x)
{
    if (!Reducible(x) || std::abs(x) < TinyAngle)
        return std::cos(x);
    return Settled(PreciseOf(Reduce(x), false, true).cosine, x, ToolchainCos);
}

SineCosine SinCos(double x)
{
    if (!Reducible(x) || std::abs(x) < TinyAngle)
        return {std::sin(x), std::cos(x)};
    const PreciseSineCosine both = PreciseOf(Reduce(x), true, true);
    return {Settled(both.sine, x, ToolchainSin), Settled(both.cosine, x, ToolchainCos)};
}

void SinCosOf(std::span<const double> x, std::span<double> sines, std::span<double> cosines, LaneWidth width)
{
    InLanes<SinCosInEight, SinCosInFour, SinCosIn<2>>(width, x, sines, cosines);
}

} // namespace Sistra::Elementary
