#include "calc/loops/PressureSineFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using Sistra::SineParameters;

namespace
{

constexpr double kRecovered = 1e-7;
constexpr double kPi = 3.14159265358979323846;

// 60 + 50 sin(0.05 t - 1.2): the isovolumic sinusoid the synthetic beats use.
constexpr SineParameters kTrue{60.0, 50.0, 0.05, -1.2};

struct Samples
{
    std::vector<double> t;
    std::vector<double> y;
};

// The contraction and relaxation parts of one beat, the ejection between them left out.
Samples IsovolumicParts(const SineParameters& p)
{
    Samples s;
    for (int i = 0; i < 70; ++i)
    {
        if (i > 20 && i < 45)
            continue;
        s.t.push_back(i);
        s.y.push_back(Sistra::EvaluateSine(p, i));
    }
    return s;
}

// The start values the beat analysis would take: a = b = 0.75 max, w = 1.6 pi / span, phi = -0.4 pi.
SineParameters StartFor(const Samples& s, double span)
{
    double highest = s.y.front();
    for (double y : s.y)
        highest = std::max(highest, y);
    return {0.75 * highest, 0.75 * highest, 1.6 * kPi / span, -0.4 * kPi};
}

} // namespace

TEST(FitSine, RecoversTheSinusoidThroughTheIsovolumicParts)
{
    const Samples s = IsovolumicParts(kTrue);
    SineParameters fitted{};
    ASSERT_TRUE(Sistra::FitSine(s.t, s.y, StartFor(s, 70.0), fitted));
    for (int j = 0; j < Sistra::SineParameterCount; ++j)
        EXPECT_NEAR(kTrue[j], fitted[j], kRecovered) << "parameter " << j;
    EXPECT_NEAR(110.0, fitted[Sistra::SineOffset] + fitted[Sistra::SineAmplitude], kRecovered);
}

TEST(FitSine, FrequencyStopsAtOneAndAHalfTimesItsStart)
{
    // The data's frequency is three times the start: the fit can only press w against its bound.
    const SineParameters fast{0.0, 1.0, 0.3, 0.0};
    Samples s;
    for (int i = 0; i < 60; ++i)
    {
        s.t.push_back(i);
        s.y.push_back(Sistra::EvaluateSine(fast, i));
    }
    const SineParameters start{0.0, 1.0, 0.1, 0.0};
    SineParameters fitted{};
    EXPECT_TRUE(Sistra::FitSine(s.t, s.y, start, fitted));
    EXPECT_NEAR(Sistra::SineFrequencyBoundFactor * 0.1, fitted[Sistra::SineFrequency], 1e-12);
}

TEST(FitSine, SigmaWeighsThePoints)
{
    // One point pulled far off; with a huge sigma it no longer counts and the true curve comes back.
    Samples s = IsovolumicParts(kTrue);
    s.y[3] += 40.0;
    std::vector<double> sigma(s.t.size(), 1.0);
    sigma[3] = 1e9;
    SineParameters weighted{};
    SineParameters unweighted{};
    ASSERT_TRUE(Sistra::FitSine(s.t, s.y, StartFor(s, 70.0), weighted, &sigma));
    ASSERT_TRUE(Sistra::FitSine(s.t, s.y, StartFor(s, 70.0), unweighted));
    EXPECT_NEAR(kTrue[Sistra::SineOffset], weighted[Sistra::SineOffset], 1e-4);
    EXPECT_GT(std::fabs(unweighted[Sistra::SineOffset] - kTrue[Sistra::SineOffset]), 0.1);
}

TEST(FitSine, RefusesDataItCannotFit)
{
    const std::vector<double> three{0.0, 1.0, 2.0};
    const std::vector<double> four{0.0, 1.0, 2.0, 3.0};
    const SineParameters start{1.0, 1.0, 0.1, 0.0};
    SineParameters fitted{};
    EXPECT_FALSE(Sistra::FitSine(three, three, start, fitted)) << "fewer points than parameters";
    EXPECT_FALSE(Sistra::FitSine(four, three, start, fitted)) << "t and y of different lengths";
    const std::vector<double> shortSigma{1.0};
    EXPECT_FALSE(Sistra::FitSine(four, four, start, fitted, &shortSigma));
    EXPECT_EQ(start, fitted);
}

TEST(SineResidual, DerivativesAgreeWithDifferencesOfTheDeviates)
{
    const std::vector<double> t{0.0, 3.0, 7.5, 12.0};
    const std::vector<double> y{1.0, -2.0, 4.0, 0.5};
    const std::vector<double> sigma{1.0, 2.0, 0.5, 4.0};
    Sistra::SineFitData data{t, y, sigma};
    const SineParameters p{1.5, 2.5, 0.2, -0.3};
    double columns[4][4] = {};
    double* derivatives[4] = {columns[0], columns[1], columns[2], columns[3]};
    double deviates[4];
    SineParameters at = p;
    ASSERT_EQ(0, Sistra::SineResidual(4, 4, at.data(), deviates, derivatives, &data));
    EXPECT_DOUBLE_EQ((y[1] - Sistra::EvaluateSine(p, t[1])) / sigma[1], deviates[1]);

    constexpr double h = 1e-6;
    for (int j = 0; j < 4; ++j)
    {
        SineParameters up = p;
        SineParameters down = p;
        up[j] += h;
        down[j] -= h;
        double fUp[4];
        double fDown[4];
        Sistra::SineResidual(4, 4, up.data(), fUp, nullptr, &data);
        Sistra::SineResidual(4, 4, down.data(), fDown, nullptr, &data);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR((fUp[i] - fDown[i]) / (2 * h), columns[j][i], 1e-6) << "parameter " << j << " point " << i;
    }
}

// A fit stopped by its iteration limit found no sinusoid, whatever it stopped at.
TEST(FitSine, AFitStoppedByItsIterationLimitFindsNoSinusoid)
{
    const Samples s = IsovolumicParts(kTrue);
    SineParameters fitted{};
    mp_config oneIteration;
    oneIteration.maxiter = 1;
    EXPECT_FALSE(Sistra::FitSine(s.t, s.y, StartFor(s, 70.0), fitted, nullptr, &oneIteration));
}
