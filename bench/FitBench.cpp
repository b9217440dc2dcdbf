// Cost per beat of the least-squares fits that run once per beat, on synthetic beats of 50, 200 and
// 1000 samples: the three relaxation (Tau) models through the curve-fit driver, and the sine fit of the
// isovolumic pressure both with the bounded solver (analytical derivatives, frequency bounded above at
// 1.5 times its start) and with the plain minimiser from the same start. Prints the time of the bounded
// solver over the plain one last.
#include "calc/numerics/CurveFit.h"
#include "platform/mpfit/mpfit.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <vector>

namespace
{

constexpr int kBeatSizes[] = {50, 200, 1000};
constexpr double kBeatSeconds = 0.4;
constexpr double kTau = 0.030;
constexpr double kMinimumSeconds = 0.2;  // each measurement repeats its fit at least this long
constexpr int kMinimumRepeats = 5;

// Isovolumic pressure of the synthetic beat, p(i) = 60 + 50 sin(w i - 1.2) with i the sample index; the
// contraction is the first quarter of the beat, the relaxation the last third, ejection lies between.
constexpr double kSineOffset = 60.0;
constexpr double kSineAmplitude = 50.0;
constexpr double kSinePhase = -1.2;
constexpr double kContractionShare = 0.25;
constexpr double kRelaxationShare = 1.0 / 3.0;

// Start values of the sine fit: a = b = 0.75 of the highest pressure, w0 = 1.6 pi / window, phi = -0.4 pi.
constexpr double kStartLevel = 0.75;
constexpr double kStartCycles = 1.6;
constexpr double kStartPhase = -0.4;
constexpr double kFrequencyBound = 1.5;

struct SineData
{
    std::vector<double> t;
    std::vector<double> y;
    std::vector<double> start;
};

double SineFrequency(int samples)
{
    return 1.4 * std::numbers::pi / samples;
}

SineData IsovolumicBeat(int samples)
{
    SineData data;
    const double w = SineFrequency(samples);
    double highest = 0.0;
    for (int i = 0; i < samples; ++i)
    {
        const double p = kSineOffset + kSineAmplitude * std::sin(w * i + kSinePhase);
        highest = std::max(highest, p);
        if (i < kContractionShare * samples || i >= (1.0 - kRelaxationShare) * samples)
        {
            data.t.push_back(i);
            data.y.push_back(p);
        }
    }
    const double level = kStartLevel * highest;
    data.start = {level, level, kStartCycles * std::numbers::pi / samples, kStartPhase * std::numbers::pi};
    return data;
}

int SineDeviates(int m, int /*npar*/, double* p, double* fvec, double** dvec, void* priv)
{
    const auto& data = *static_cast<const SineData*>(priv);
    for (int i = 0; i < m; ++i)
    {
        const double u = p[2] * data.t[i] + p[3];
        fvec[i] = data.y[i] - (p[0] + p[1] * std::sin(u));
        if (dvec == nullptr)
            continue;
        const double partial[4] = {-1.0, -std::sin(u), -p[1] * data.t[i] * std::cos(u), -p[1] * std::cos(u)};
        for (int j = 0; j < 4; ++j)
            if (dvec[j] != nullptr)
                dvec[j][i] = partial[j];
    }
    return 0;
}

bool BoundedSineFit(const SineData& data, std::vector<double>& params)
{
    params = data.start;
    mp_par pars[4];
    for (mp_par& par : pars)
        par.side = 3;
    pars[2].limited[1] = 1;
    pars[2].limits[1] = kFrequencyBound * data.start[2];
    auto* priv = const_cast<SineData*>(&data);
    return mpfit(SineDeviates, static_cast<int>(data.t.size()), 4, params.data(), pars, nullptr, priv, nullptr) > 0;
}

bool PlainSineFit(const SineData& data, std::vector<double>& params)
{
    return ExtLib::FitFunction(data.t, data.y, params, ExtLib::SineFunc(), &data.start);
}

// Relaxation over the last quarter of a beat of the given size.
std::vector<double> Relaxation(int samples, const std::function<double(double)>& pressure, ExtLib::SampleTime& timeOf)
{
    const double dt = kBeatSeconds / samples;
    timeOf = [dt](int i) { return i * dt; };
    std::vector<double> y;
    for (int i = 0; i < samples / 4; ++i)
        y.push_back(pressure(i * dt));
    return y;
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
    std::printf("microseconds per beat\n%8s %12s %12s %12s %12s %12s\n", "samples", "exponential", "logistic",
        "glantz", "sine bounded", "sine plain");
    double boundedTotal = 0.0, plainTotal = 0.0;
    for (int samples : kBeatSizes)
    {
        ExtLib::SampleTime timeOf;
        std::vector<double> params;
        const std::vector<double> exponential =
            Relaxation(samples, [](double t) { return 90.0 * std::exp(-t / kTau); }, timeOf);
        const std::vector<double> logistic =
            Relaxation(samples, [](double t) { return 160.0 / (std::exp(t / kTau) + 1.0) + 4.0; }, timeOf);
        const std::vector<double> glantz =
            Relaxation(samples, [](double t) { return 85.0 * std::exp(-t / kTau) + 6.0; }, timeOf);
        const SineData sine = IsovolumicBeat(samples);

        std::printf("%8d", samples);
        PrintCost(MicrosecondsPerFit([&] { return ExtLib::FitExponentialCurve(exponential, timeOf, params); }));
        PrintCost(MicrosecondsPerFit([&] { return ExtLib::FitLogisticCurve(logistic, timeOf, params); }));
        PrintCost(MicrosecondsPerFit([&] { return ExtLib::FitGlantzCurve(glantz, timeOf, params); }));
        const double bounded = MicrosecondsPerFit([&] { return BoundedSineFit(sine, params); });
        const double plain = MicrosecondsPerFit([&] { return PlainSineFit(sine, params); });
        PrintCost(bounded);
        PrintCost(plain);
        std::printf("\n");
        boundedTotal += bounded;
        plainTotal += plain;
    }
    std::printf("bounded solver / plain minimiser, sine fit over all beat sizes: %.3f\n", boundedTotal / plainTotal);
    return 0;
}
