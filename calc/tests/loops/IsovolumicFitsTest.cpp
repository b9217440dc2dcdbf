#include "calc/loops/IsovolumicFits.h"

#include "calc/loops/LoopParameters.h"
#include "calc/engine/MissingValue.h"
#include "calc/loops/PressureSineFit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>

using namespace Sistra;

namespace
{

constexpr double Dt = 0.001;
constexpr double TauSeconds = 0.03;

// A quick linear rise to 100 followed by the given decay, sampled every millisecond.
template <class Decay>
std::vector<float> RiseAndDecay(Decay decay, int decaySamples = 200)
{
    std::vector<float> p;
    for (int i = 0; i < 20; ++i)
        p.push_back(static_cast<float>(5.0 * i));
    for (int i = 0; i < decaySamples; ++i)
        p.push_back(static_cast<float>(decay(i * Dt)));
    return p;
}

// One cycle of a sine beat: pressure 50 - 40 cos, peaking at 90 mid-beat; the volume falls during the
// upper half of the cycle and refills during the lower half.
struct SineBeat
{
    explicit SineBeat(int n = 400, double sign = 1.0)
    {
        for (int i = 0; i < n; ++i)
        {
            const double phase = 2.0 * std::numbers::pi * i / n;
            pressure.push_back(static_cast<float>(50.0 - sign * 40.0 * std::cos(phase)));
            volume.push_back(static_cast<float>(100.0 - 30.0 * std::sin(phase / 2.0)));
        }
    }
    std::vector<float> pressure, volume;
};

} // namespace

TEST(WindowedDerivative, QuadraticGivesExactDerivativesInsideTheSignal)
{
    std::vector<float> x;
    for (int i = 0; i < 20; ++i)
        x.push_back(static_cast<float>(0.5 * i * i));
    const std::vector<double> d1 = WindowedDerivative(x, 5, 1, 0.5);
    const std::vector<double> d2 = WindowedDerivative(x, 5, 2, 0.5);
    for (int i = 2; i < 18; ++i)
    {
        EXPECT_NEAR(i / 0.5, d1[static_cast<std::size_t>(i)], 1e-4) << i;
        EXPECT_NEAR(1.0 / 0.25, d2[static_cast<std::size_t>(i)], 1e-4) << i;
    }
}

TEST(WindowedDerivative, WindowOfOneStillDifferentiates)
{
    const std::vector<double> d = WindowedDerivative(std::vector<float>{0, 1, 2, 3}, 1, 1);
    EXPECT_DOUBLE_EQ(1.0, d[1]);
    EXPECT_DOUBLE_EQ(0.5, d[0]); // the first sample repeats at the edge
}

// Windows wider than the signal, and signals shorter than two half windows, repeat the edge samples at
// both ends; the float series is the double one rounded, and its leading values alone are the same.
TEST(WindowedDerivative, EdgesRepeatTheEdgeSamplesAtEveryWidth)
{
    const std::vector<float> x{3, -1, 4, 1, -5, 9, 2, 6};
    for (const int32_t window : {1, 3, 5, 9, 21})
        for (std::size_t n = 1; n <= x.size(); ++n)
        {
            const std::span<const float> samples(x.data(), n);
            const int32_t h = std::max(window, 3) / 2;
            const auto at = [&](int32_t i) { return samples[static_cast<std::size_t>(std::clamp(i, 0, static_cast<int32_t>(n) - 1))]; };
            const std::vector<double> d1 = WindowedDerivative(samples, window, 1);
            std::vector<float> series, leading;
            WindowedDerivative(samples, window, 1, series);
            WindowedDerivative(samples, window, 1, leading, n / 2);
            ASSERT_EQ(n, series.size());
            ASSERT_EQ(n, leading.size());
            for (int32_t i = 0; i < static_cast<int32_t>(n); ++i)
            {
                double moment = 0.0, squares = 0.0;
                for (int32_t j = -h; j <= h; ++j)
                {
                    moment += j * at(i + j);
                    squares += j * j;
                }
                EXPECT_NEAR(moment / squares, d1[static_cast<std::size_t>(i)], 1e-9) << window << " " << n << " " << i;
                const auto k = static_cast<std::size_t>(i);
                EXPECT_EQ(static_cast<float>(d1[k]), series[k]);
                if (k < n / 2)
                    EXPECT_EQ(series[k], leading[k]);
                else
                    EXPECT_TRUE(std::isnan(leading[k]));
            }
        }
}

TEST(RelaxationTau, ExponentialModelsRecoverTheTimeConstant)
{
    const auto p = RiseAndDecay([](double t) { return 100.0 * std::exp(-t / TauSeconds); });
    EXPECT_NEAR(1000.0 * TauSeconds, FitRelaxationTau(p, TauMonoExponential, Dt), 1e-3);
    EXPECT_NEAR(1000.0 * TauSeconds, FitRelaxationTau(p, TauWithOffset, Dt), 1e-2);
}

TEST(RelaxationTau, LogisticModelTakesThePositiveRate)
{
    const auto p = RiseAndDecay([](double t) { return 200.0 / (std::exp(t / TauSeconds) + 1.0) + 3.0; });
    // The fit starts one sample into the decay, where the shifted logistic is no longer exactly the model.
    EXPECT_NEAR(1000.0 * TauSeconds, FitRelaxationTau(p, TauLogistic, Dt), 0.5);
}

// Each model on a relaxation that follows it exactly from the steepest sample on (the logistic's inflection
// placed there): Tau within half a percent, positive for the decaying pressure in every sign convention.
TEST(RelaxationTau, EachModelOnItsOwnRelaxationIsWithinHalfAPercent)
{
    constexpr double accuracy = 0.005 * 1000.0 * TauSeconds;
    const auto mono = RiseAndDecay([](double t) { return 100.0 * std::exp(-t / TauSeconds); });
    const auto offset = RiseAndDecay([](double t) { return 85.0 * std::exp(-t / TauSeconds) + 6.0; });
    const auto logistic = RiseAndDecay([](double t) { return 200.0 / (std::exp((t - Dt) / TauSeconds) + 1.0) + 3.0; });
    EXPECT_NEAR(1000.0 * TauSeconds, FitRelaxationTau(mono, TauMonoExponential, Dt), accuracy);
    EXPECT_NEAR(1000.0 * TauSeconds, FitRelaxationTau(offset, TauWithOffset, Dt), accuracy);
    EXPECT_NEAR(1000.0 * TauSeconds, FitRelaxationTau(logistic, TauLogistic, Dt), accuracy);
}

TEST(RelaxationTau, ShortOrUnmodelledDecaysHaveNoTau)
{
    // The pressure reaches 0 two samples after dP/dt min.
    const auto toZero = RiseAndDecay([](double t) { return t < 0.0015 ? 100.0 - 40000.0 * t : 0.0; });
    EXPECT_TRUE(IsMissingValue(FitRelaxationTau(toZero, TauMonoExponential, Dt)));
    const auto decay = RiseAndDecay([](double t) { return 100.0 * std::exp(-t / TauSeconds); });
    EXPECT_TRUE(IsMissingValue(FitRelaxationTau(decay, 3, Dt)));
    EXPECT_TRUE(IsMissingValue(FitRelaxationTau(std::vector<float>{5.0f}, TauMonoExponential, Dt)));
}

TEST(RelaxationTau, RunEndsWhereThePressureReachesZero)
{
    // Exponential to 0 at sample 60 of the decay, then flat: fitting the zeros would pull Tau away.
    const auto p = RiseAndDecay([](double t) { return t < 0.0595 ? 100.0 * std::exp(-t / TauSeconds) - 13.5 : -1.0; });
    const double withOffset = FitRelaxationTau(p, TauWithOffset, Dt);
    EXPECT_NEAR(1000.0 * TauSeconds, withOffset, 0.05);
}

// The first smallest of every sample's slope, each divided out.
int32_t FirstSteepestByDividingAll(const std::vector<float>& p, double dt)
{
    const auto n = p.size();
    std::vector<double> d(n);
    d[0] = (double{p[1]} - p[0]) / dt;
    for (std::size_t i = 1; i + 1 < n; ++i)
        d[i] = (double{p[i + 1]} - p[i - 1]) / (2.0 * dt);
    d[n - 1] = (double{p[n - 1]} - p[n - 2]) / dt;
    return static_cast<int32_t>(std::min_element(d.begin(), d.end()) - d.begin());
}

// dP/dt min is found without dividing every sample's difference; it must be the very sample that dividing
// all would find: ties, rises that round to the same slope (tiny or overflowing quotients), ends, NaN.
TEST(RelaxationTau, SteepestFallIsTheFirstSmallestSlopeAsDividingEverySampleFindsIt)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct
    {
        std::vector<float> p;
        double dt;
    } cases[] = {
        {{3, 1}, Dt},
        {{1, 3}, Dt},
        {{9, 5, 2, 0}, Dt},                         // steepest at the last sample
        {{9, 0, 1, 2, 3}, Dt},                      // at the first
        {{9, 8, 6, 5, 3, 2, 0}, Dt},                // equal interior falls: the first
        {{1e-30f, 0, -1e-30f, -3e-30f, -6e-30f}, 1e300},  // distinct rises, quotients below the smallest double
        {{50, 40, 10, -30, -31}, 1e-310},           // quotients past the largest double
        {{50, 40, 10, -30, -31}, 1e308},            // an interval that doubles to infinity
        {{nan, 5, 4, 1, 0}, Dt},
        {{9, 8, nan, 2, 1, 0}, Dt},
        {{9, -inf, 3, inf, 1}, Dt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirstSteepestByDividingAll(c.p, c.dt), SteepestFallIndex(c.p, c.dt)) << c.p.size() << " " << c.dt;
    std::mt19937 random(3);
    std::uniform_int_distribution<int> level(0, 6);
    for (int round = 0; round < 2000; ++round)
    {
        std::vector<float> p(static_cast<std::size_t>(2 + round % 40));
        for (float& x : p)
            x = static_cast<float>(level(random)) * 0.25f;
        EXPECT_EQ(FirstSteepestByDividingAll(p, 0.3), SteepestFallIndex(p, 0.3)) << round;
    }
}

TEST(IsovolumicPressure, SineBeatPeaksAtItsOwnMaximum)
{
    const SineBeat beat;
    const auto fit = FitIsovolumicPressure(beat.pressure, beat.volume);
    ASSERT_TRUE(fit.has_value());
    EXPECT_NEAR(90.0, fit->piso, 0.5);
    // The tangent starts from the largest filling volume and touches the loop before relaxation ends.
    EXPECT_DOUBLE_EQ(100.0, fit->tangentVolume);
    ASSERT_GE(fit->endSystolicIndex, 0);
    EXPECT_DOUBLE_EQ(beat.pressure[static_cast<std::size_t>(fit->endSystolicIndex)], fit->pes);
    EXPECT_DOUBLE_EQ(beat.volume[static_cast<std::size_t>(fit->endSystolicIndex)], fit->ves);
}

TEST(IsovolumicPressure, BeatsWithoutBothIsovolumicPhasesFail)
{
    EXPECT_FALSE(FitIsovolumicPressure(std::vector<float>{10, 20}, std::vector<float>{1, 2}).has_value());
    const SineBeat inverted(400, -1.0); // dP/dt min comes before dP/dt max
    EXPECT_FALSE(FitIsovolumicPressure(inverted.pressure, inverted.volume).has_value());
}

TEST(IsovolumicPressure, WithoutVolumeThereIsNoEndSystolicPointAndTheFitFails)
{
    const SineBeat beat;
    EXPECT_FALSE(FitIsovolumicPressure(beat.pressure, {}).has_value());
}

TEST(IsovolumicPressure, NoQualifyingTangentPointFails)
{
    // A constant volume makes every secant from (Vref, Piso) vertical: no sample qualifies.
    const SineBeat beat;
    const std::vector<float> flat(beat.pressure.size(), 100.0f);
    EXPECT_FALSE(FitIsovolumicPressure(beat.pressure, flat).has_value());
}

TEST(IsovolumicPressure, SineModeOfTheAnalyzerFillsPisoAndTheSingleBeatSlope)
{
    const SineBeat beat;
    SistraEvent loop{};
    ComputeBeat(beat.pressure, beat.volume, BeatTiming{0, 0.0, 400.0, Dt},
                BeatSettings{TauMonoExponential, StrokeVolumeRange, EndSystolicSineFit}, loop);
    EXPECT_NEAR(90.0, loop.piso, 0.5);
    EXPECT_NEAR((loop.piso - loop.pes) / (100.0 - loop.ves), loop.espvrSlope, 1e-12);
    EXPECT_EQ(loop.endSystolicIndex, loop.endSystolicTick);
}

namespace
{

// 40 + 55 sin(w t - 1) at t = 0 .. 59.
struct SineSamples
{
    explicit SineSamples(double w)
    {
        for (int i = 0; i < 60; ++i)
        {
            t.push_back(i);
            y.push_back(40.0 + 55.0 * std::sin(w * i - 1.0));
        }
    }
    std::vector<double> t, y;
};

} // namespace

TEST(SineFitDriver, RecoversASineFromNearbyStartValues)
{
    const auto [t, y] = SineSamples(0.05);
    SineParameters c{};
    ASSERT_TRUE(FitSine(t, y, {45.0, 45.0, 0.045, -1.2}, c));
    EXPECT_NEAR(40.0, c[0], 1e-6);
    EXPECT_NEAR(55.0, c[1], 1e-6);
    EXPECT_NEAR(0.05, c[2], 1e-9);
    EXPECT_NEAR(-1.0, c[3], 1e-7);
}

TEST(SineFitDriver, FrequencyStopsAtOneAndAHalfTimesItsStart)
{
    const auto [t, y] = SineSamples(0.2);
    SineParameters c{};
    FitSine(t, y, {40.0, 55.0, 0.1, -1.0}, c);
    EXPECT_LE(c[2], 0.15 + 1e-12);
}
