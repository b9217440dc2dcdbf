// The exponential, sine and cosine that the per-beat fits evaluate millions of times an hour of recording.
// The toolchain's own versions run on the x87 unit at several times the cost of a good C runtime; these
// run in SSE2 double arithmetic to a thousandth of an ulp before the final rounding, and defer to the
// toolchain next to a tie between two doubles, so that they give exactly the toolchain's results.
#pragma once

#include <span>

namespace Sistra::Elementary
{

double Exp(double x);
// How many arguments ExpOfScaled and SinCosOf take at a time: eight where the processor has AVX-512, four
// where it has AVX2, else two; at most four or two when asked (so that every way can be checked on one
// processor).
enum class LaneWidth
{
    Widest,
    Four,
    Two,
};

// e^(factor x[i]) into out[i] for every x (out holds as many), each exactly Exp(factor * x[i]), several
// arguments at a time in the processor's vector registers.
void ExpOfScaled(double factor, std::span<const double> x, std::span<double> out,
                 LaneWidth width = LaneWidth::Widest);
double Sin(double x);
double Cos(double x);

struct SineCosine
{
    double sine;
    double cosine;
};

// Both at the cost of one argument reduction.
SineCosine SinCos(double x);

// sines[i] and cosines[i] (each holds as many as x) for every x, each pair exactly SinCos(x[i]), several
// arguments at a time in the processor's vector registers.
void SinCosOf(std::span<const double> x, std::span<double> sines, std::span<double> cosines,
              LaneWidth width = LaneWidth::Widest);

} // namespace Sistra::Elementary
