// Cost per beat of the least-squares fits that the loop analyzer runs once per beat, on synthetic beats of
// 50, 200 and 1000 samples: the Tau fit in each of its three models (derivative, relaxation run and curve
// fit, as the analyzer runs it), and the isovolumic sine fit of the beat's pressure both with the bounded
// solver (analytical derivatives, frequency bounded above) and with the plain minimiser from the same
// windows and start. Before that, the cost of one exponential, sine and cosine as the fits evaluate them,
// the toolchain's C library against our own, and of our exponentials, and sines and cosines, over a whole
// vector, as many lanes at a time as the processor has and at most four and two. Prints the time of the
// bounded solver over the plain one last.
#include "calc/loops/IsovolumicFits.h"
#include "calc/loops/IsovolumicSineFit.h"
#include "calc/loops/LoopParameters.h"
#include "calc/numerics/ElementaryFunctions.h"
#include "calc/tests/SyntheticLoops.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

namespace
{

constexpr int kBeatSizes[] = {50, 200, 1000};
constexpr double kBeatSeconds = 0.8;
constexpr double kTau = 0.030;
constexpr double kMinimumSeconds = 0.2;  // each measurement repeats its fit at least this long
constexpr int kMinimumRepeats = 5;

// Shape of the Tau beats: a flat diastole, a sinusoidal upstroke to the peak, then the relaxation of the
// model from the peak to the end of the beat.
constexpr double kUpstrokeStart = 0.05;
constexpr double kRelaxationStart = 0.30;
constexpr double kDiastolicPressure = 10.0;
constexpr double kPeakPressure = 120.0;
constexpr double kRelaxationOffset = 4.0;

using Relaxation = std::function<double(double secondsFromPeak)>;

std::vector<float> TauBeat(int samples, const Relaxation& relaxation)
{
    std::vector<float> p(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i)
    {
        const double phase = static_cast<double>(i) / samples;
        double value = kDiastolicPressure;
        if (phase >= kRelaxationStart)
            value = relaxation((phase - kRelaxationStart) * kBeatSeconds);
        else if (phase >= kUpstrokeStart)
            value = kDiastolicPressure + (kPeakPressure - kDiastolicPressure) *
                std::sin(std::numbers::pi / 2.0 * (phase - kUpstrokeStart) / (kRelaxationStart - kUpstrokeStart));
        p[static_cast<size_t>(i)] = static_cast<float>(value);
    }
    return p;
}

std::vector<float> EjectingBeat(int samples)
{
    const CalcTesting::RealisticBeat beat{kBeatSeconds};
    std::vector<float> p(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i)
        p[static_cast<size_t>(i)] = static_cast<float>(beat.Pressure(kBeatSeconds * i / samples));
    return p;
}

bool SineFitOf(const std::vector<float>& pressure, Sistra::SineSolver solver)
{
    Sistra::IsovolumicBeat beat;
    Sistra::AnalyseIsovolumicBeat(pressure, Sistra::WindowedDerivativeFilter(), Sistra::IsovolumicStage::Fitted,
        solver, beat);
    return beat.reached == Sistra::IsovolumicStage::Fitted;
}

// Microseconds per call of fit, or a negative value when the fit fails.
double MicrosecondsPerFit(const std::function<bool()>& fit)
{
    if (!fit())
        return -1.0;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point begin = Clock::now();
    int repeats = 0;
    double seconds = 0.0;
    while (repeats < kMinimumRepeats || seconds < kMinimumSeconds)
    {
        fit();
        ++repeats;
        seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    }
    return 1e6 * seconds / repeats;
}

// Nanoseconds per value of evaluate, which sums the values of a function over all the arguments, drawn
// uniformly from [from, to].
double NanosecondsPerValue(const std::function<double(const std::vector<double>&)>& evaluate, double from, double to)
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> draw(from, to);
    std::vector<double> arguments(4096);
    for (double& x : arguments)
        x = draw(random);
    volatile double sink = 0.0;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point begin = Clock::now();
    double seconds = 0.0;
    int64_t calls = 0;
    while (seconds < kMinimumSeconds)
    {
        sink = sink + evaluate(arguments);
        calls += static_cast<int64_t>(arguments.size());
        seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    }
    return 1e9 * seconds / static_cast<double>(calls);
}

double NanosecondsPerCall(double (*f)(double), double from, double to)
{
    return NanosecondsPerValue(
        [f](const std::vector<double>& arguments) {
            double sum = 0.0;
            for (double x : arguments)
                sum += f(x);
            return sum;
        },
        from, to);
}

// The exponentials of a whole vector at once, as the Tau fit takes them.
double NanosecondsPerVectorExp(double from, double to, Sistra::Elementary::LaneWidth width)
{
    std::vector<double> values;
    return NanosecondsPerValue(
        [&values, width](const std::vector<double>& arguments) {
            values.resize(arguments.size());
            Sistra::Elementary::ExpOfScaled(1.0, arguments, values, width);
            double sum = 0.0;
            for (double value : values)
                sum += value;
            return sum;
        },
        from, to);
}

// Sines and cosines of a whole vector at once, as the sine fit takes them.
double NanosecondsPerVectorSinCos(double from, double to, Sistra::Elementary::LaneWidth width)
{
    std::vector<double> sines, cosines;
    return NanosecondsPerValue(
        [&sines, &cosines, width](const std::vector<double>& arguments) {
            sines.resize(arguments.size());
            cosines.resize(arguments.size());
            Sistra::Elementary::SinCosOf(arguments, sines, cosines, width);
            double sum = 0.0;
            for (size_t i = 0; i < sines.size(); ++i)
                sum += sines[i] + cosines[i];
            return sum;
        },
        from, to);
}

double LibraryExp(double x) { return std::exp(x); }
double LibrarySin(double x) { return std::sin(x); }
double LibraryCos(double x) { return std::cos(x); }

void PrintElementaryCosts()
{
    struct Row
    {
        const char* name;
        double (*library)(double);
        double (*ours)(double);
        double from, to;
    };
    // Exponents of a relaxation over a beat; phases of the sine fit.
    constexpr double ExpFrom = -12.0, ExpTo = 1.0, PhaseFrom = -2.0, PhaseTo = 12.0;
    const Row rows[] = {{"exp", LibraryExp, Sistra::Elementary::Exp, ExpFrom, ExpTo},
                        {"sin", LibrarySin, Sistra::Elementary::Sin, PhaseFrom, PhaseTo},
                        {"cos", LibraryCos, Sistra::Elementary::Cos, PhaseFrom, PhaseTo}};
    std::printf("nanoseconds per call\n%8s %12s %12s %8s\n", "function", "C library", "ours", "ratio");
    for (const Row& row : rows)
    {
        const double library = NanosecondsPerCall(row.library, row.from, row.to);
        const double ours = NanosecondsPerCall(row.ours, row.from, row.to);
        std::printf("%8s %12.1f %12.1f %8.3f\n", row.name, library, ours, ours / library);
    }
    const double library = NanosecondsPerCall(LibraryExp, ExpFrom, ExpTo);
    const double librarySinCos =
        NanosecondsPerCall(LibrarySin, PhaseFrom, PhaseTo) + NanosecondsPerCall(LibraryCos, PhaseFrom, PhaseTo);
    using Sistra::Elementary::LaneWidth;
    const struct
    {
        LaneWidth width;
        const char* lanes;
    } widths[] = {{LaneWidth::Widest, "widest"}, {LaneWidth::Four, "at most 4"}, {LaneWidth::Two, "2"}};
    for (const auto& [width, lanes] : widths)
    {
        const double vector = NanosecondsPerVectorExp(ExpFrom, ExpTo, width);
        std::printf("%8s %12.1f %12.1f %8.3f  (ours over a vector, as the Tau fit takes them, lanes: %s)\n", "exp",
            library, vector, vector / library, lanes);
        const double sinCos = NanosecondsPerVectorSinCos(PhaseFrom, PhaseTo, width);
        std::printf("%8s %12.1f %12.1f %8.3f  (sin and cos of a vector, as the sine fit takes them, lanes: %s)\n",
            "sin+cos", librarySinCos, sinCos, sinCos / librarySinCos, lanes);
    }
}

void PrintCost(double microseconds)
{
    if (microseconds < 0.0)
        std::printf(" %12s", "failed");
    else
        std::printf(" %12.1f", microseconds);
}

} // namespace

int main()
{
    PrintElementaryCosts();
    const Relaxation models[] = {
        [](double t) { return kPeakPressure * std::exp(-t / kTau); },
        [](double t) { return kRelaxationOffset + (kPeakPressure - kRelaxationOffset) * std::exp(-t / kTau); },
        [](double t) { return 2.0 * kPeakPressure / (std::exp(t / kTau) + 1.0); },
    };
    const int32_t tauTypes[] = {Sistra::TauMonoExponential, Sistra::TauWithOffset, Sistra::TauLogistic};

    std::printf("microseconds per beat (beats of %.1f s)\n%8s %12s %12s %12s %12s %12s %8s\n", kBeatSeconds,
        "samples", "tau expon.", "tau offset", "tau logist.", "sine bounded", "sine plain", "ratio");
    double boundedTotal = 0.0, plainTotal = 0.0;
    for (int samples : kBeatSizes)
    {
        std::printf("%8d", samples);
        const double dt = kBeatSeconds / samples;
        for (int model = 0; model < 3; ++model)
        {
            const std::vector<float> beat = TauBeat(samples, models[model]);
            PrintCost(MicrosecondsPerFit(
                [&] { return !std::isnan(Sistra::FitRelaxationTau(beat, tauTypes[model], dt)); }));
        }
        const std::vector<float> ejecting = EjectingBeat(samples);
        const double bounded = MicrosecondsPerFit([&] { return SineFitOf(ejecting, Sistra::SineSolver::Bounded); });
        const double plain = MicrosecondsPerFit([&] { return SineFitOf(ejecting, Sistra::SineSolver::Plain); });
        PrintCost(bounded);
        PrintCost(plain);
        // A size on which either solver fails has no ratio and stays out of the total.
        if (bounded > 0.0 && plain > 0.0)
        {
            std::printf(" %8.3f\n", bounded / plain);
            boundedTotal += bounded;
            plainTotal += plain;
        }
        else
            std::printf(" %8s\n", "-");
    }
    if (plainTotal > 0.0)
        std::printf("bounded solver / plain minimiser, sine fit over all beat sizes: %.3f\n", boundedTotal / plainTotal);
    else
        std::printf("bounded solver / plain minimiser: no beat size on which both fits succeed\n");
    return 0;
}
