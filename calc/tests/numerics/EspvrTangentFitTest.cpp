#include "calc/numerics/EspvrTangentFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

using namespace Sistra;

namespace
{

// The known end-systolic tangent line.
constexpr double kSlope = 2.5;
constexpr double kIntercept = -20.0;

// Sampling of the synthetic loops. A line crossing the chord next to the touching sample has zero
// deviate too, so the tangent is determined to about curvature * step^2 in pressure.
constexpr double kVolumeStep = 0.1;
constexpr int kSamplesEachSide = 20;
constexpr double kMaxCurvature = 1.4;
constexpr double kPressureResolution = kMaxCurvature * kVolumeStep * kVolumeStep;
constexpr double kVolumeSpread = 30.0;  // between the first and the last touching volume
constexpr double kSlopeTolerance = 2.0 * kPressureResolution / kVolumeSpread;
constexpr double kInterceptTolerance = 4.0 * kPressureResolution;

// One loop's end-systolic part: concave, below the line P = k V + d except at the sample at volume
// touch, where the line is its tangent. Samples run from high to low volume, as the loop ejects.
TangentFitLoop ConcaveLoop(double touch, double curvature, double step = kVolumeStep, int each = kSamplesEachSide)
{
    TangentFitLoop loop;
    for (int i = each; i >= -each; --i)
    {
        const double v = touch + i * step;
        const double p = kSlope * v + kIntercept - curvature * (v - touch) * (v - touch);
        loop.volumes.push_back(static_cast<float>(v));
        loop.pressures.push_back(static_cast<float>(p));
    }
    return loop;
}

std::vector<TangentFitLoop> SixLoops()
{
    std::vector<TangentFitLoop> loops;
    const double touches[] = {40.0, 46.0, 52.0, 58.0, 64.0, 70.0};
    const double curvatures[] = {0.8, 1.1, 0.6, kMaxCurvature, 0.9, 1.2};
    for (int j = 0; j < 6; ++j)
        loops.push_back(ConcaveLoop(touches[j], curvatures[j]));
    return loops;
}

} // namespace

TEST(EspvrTangentFit, RecoversAKnownTangentLineOverSixLoops)
{
    const std::vector<TangentFitLoop> loops = SixLoops();
    std::array<double, 2> fitted{};
    TangentPoints touching;
    ASSERT_TRUE(FitEspvrTangentLine(loops, {2.0, -10.0}, fitted, &touching));
    EXPECT_NEAR(fitted[0], kSlope, kSlopeTolerance);
    EXPECT_NEAR(fitted[1], kIntercept, kInterceptTolerance);
    ASSERT_EQ(touching.pressures.size(), 6u);
    for (size_t j = 0; j < loops.size(); ++j)
        EXPECT_NEAR(touching.pressures[j], fitted[0] * touching.volumes[j] + fitted[1], 1e-3) << j;
}

TEST(EspvrTangentFit, AShiftedStartLineMovesToTheTangent)
{
    // The intercept must move although the slope starts right.
    std::array<double, 2> fitted{};
    ASSERT_TRUE(FitEspvrTangentLine(SixLoops(), {kSlope, kIntercept + 15.0}, fitted));
    EXPECT_NEAR(fitted[0], kSlope, kSlopeTolerance);
    EXPECT_NEAR(fitted[1], kIntercept, kInterceptTolerance);
}

TEST(EspvrTangentFit, TheTouchingPointIsTheSampleWhereTheLineIsTangent)
{
    // Binary-exact samples, so that the secants on both sides of the touching sample tie exactly.
    const std::vector<TangentFitLoop> loops{ConcaveLoop(50.0, 1.0, 0.5, 8)};
    std::vector<double> deviates(1);
    TangentPoints touching{{0.0}, {0.0}, {0}};
    TangentDeviates(loops, kSlope, kIntercept, deviates.data(), &touching);
    EXPECT_NEAR(deviates[0], 0.0, 1e-4);
    EXPECT_NEAR(touching.volumes[0], 50.0, 1e-4);
    EXPECT_EQ(touching.indices[0], 7);  // secant from sample 7 to the touching sample 8 wins the tie
}

TEST(EspvrTangentFit, ASecondSampleIsTakenRawWithoutBlending)
{
    TangentFitLoop loop;
    loop.volumes = {10.0f, 12.0f, 13.0f};
    loop.pressures = {50.0f, 70.0f, 60.0f};  // secant slopes 10 and -10
    std::vector<double> deviates(1);
    TangentPoints touching{{0.0}, {0.0}, {0}};
    TangentDeviates({loop}, 9.0, 0.0, deviates.data(), &touching);
    EXPECT_EQ(touching.indices[0], 0);
    EXPECT_EQ(touching.pressures[0], 70.0);
    EXPECT_EQ(touching.volumes[0], 12.0);
    EXPECT_DOUBLE_EQ(deviates[0], 70.0 - 9.0 * 12.0);
}

TEST(EspvrTangentFit, FailsWithoutTouchingTheOutputsForUnusableInput)
{
    std::array<double, 2> fitted{7.0, 8.0};
    EXPECT_FALSE(FitEspvrTangentLine(SixLoops(), {NAN, 0.0}, fitted));
    EXPECT_FALSE(FitEspvrTangentLine(SixLoops(), {1.0, INFINITY}, fitted));
    std::vector<TangentFitLoop> loops = SixLoops();
    loops[2].pressures.pop_back();
    EXPECT_FALSE(FitEspvrTangentLine(loops, {1.0, 0.0}, fitted));
    loops[2].pressures.clear();
    loops[2].volumes.clear();
    EXPECT_FALSE(FitEspvrTangentLine(loops, {1.0, 0.0}, fitted));
    EXPECT_EQ(fitted, (std::array<double, 2>{7.0, 8.0}));
}

TEST(EspvrTangentFit, ASolverErrorIsAFailure)
{
    // One loop cannot determine two parameters: the solver refuses with a negative status.
    std::array<double, 2> fitted{};
    TangentPoints touching;
    EXPECT_FALSE(FitEspvrTangentLine({ConcaveLoop(50.0, 1.0)}, {2.0, 0.0}, fitted, &touching));
    EXPECT_TRUE(touching.pressures.empty());
}

TEST(EspvrTangentFit, TheTouchingSampleIsTheFirstOfTheSecantsClosestToTheSlope)
{
    // Coarse values repeat secants and volumes (no secant), a missing sample leaves two out; the slopes
    // asked for hit secants exactly, lie midway between two, or anywhere.
    std::mt19937 random(12);
    std::uniform_int_distribution<int> step(-4, 4), length(1, 40);
    for (int trial = 0; trial < 300; ++trial)
    {
        TangentFitLoop loop;
        float volume = 50.0f, pressure = 80.0f;
        for (int i = length(random); i > 0; --i)
        {
            loop.volumes.push_back(volume += 0.5f * static_cast<float>(step(random)));
            loop.pressures.push_back(pressure += 0.5f * static_cast<float>(step(random)));
        }
        if (trial % 7 == 0)
            loop.pressures[loop.pressures.size() / 2] = NAN;
        std::vector<double> secants;
        for (size_t i = 1; i < loop.volumes.size(); ++i)
            secants.push_back((static_cast<double>(loop.pressures[i]) - loop.pressures[i - 1]) /
                              (static_cast<double>(loop.volumes[i]) - loop.volumes[i - 1]));
        std::vector<double> slopes = {std::uniform_real_distribution<double>(-20.0, 20.0)(random), NAN};
        for (size_t i = 0; i + 1 < secants.size(); ++i)
            if (std::isfinite(secants[i]) && std::isfinite(secants[i + 1]))
                slopes.insert(slopes.end(), {secants[i], (secants[i] + secants[i + 1]) / 2.0});
        for (double k : slopes)
        {
            int expected = 0;
            double closest = INFINITY;
            for (size_t i = 0; i < secants.size(); ++i)
                if (std::fabs(secants[i] - k) < closest)
                {
                    closest = std::fabs(secants[i] - k);
                    expected = static_cast<int>(i) + 1;
                }
            std::vector<double> deviates(1);
            TangentPoints touching{{0.0}, {0.0}, {0}};
            TangentDeviates({loop}, k, 1.0, deviates.data(), &touching);
            ASSERT_EQ(touching.indices[0], expected - 1) << "trial " << trial << ", slope " << k;
        }
    }
}

// The fit remembers each loop's secants around the last slope and answers from them while the slope stays
// between the same two; what it ends with must be what a fresh search at the fitted line finds, also
// where coarse values repeat secants.
TEST(EspvrTangentFit, TheFitsTouchingPointsAreThoseOfAFreshSearchAtItsLine)
{
    std::mt19937 random(5);
    std::uniform_int_distribution<int> step(-1, 4);
    int fits = 0;
    for (int trial = 0; trial < 40; ++trial)
    {
        std::vector<TangentFitLoop> loops;
        for (int j = 0; j < 8; ++j)
        {
            TangentFitLoop loop = ConcaveLoop(40.0 + 4.0 * j, 0.5 + 0.1 * j);
            for (float& pressure : loop.pressures)
                pressure = std::round(pressure * (trial % 2 == 0 ? 2.0f : 0.5f)) / (trial % 2 == 0 ? 2.0f : 0.5f) +
                           0.25f * static_cast<float>(step(random));
            loops.push_back(loop);
        }
        std::array<double, 2> fitted{};
        TangentPoints touching;
        if (!FitEspvrTangentLine(loops, {2.0 + 0.02 * trial, -10.0}, fitted, &touching))
            continue;
        ++fits;
        std::vector<double> deviates(loops.size());
        TangentPoints fresh{std::vector<double>(loops.size()), std::vector<double>(loops.size()),
                            std::vector<int>(loops.size())};
        TangentDeviates(loops, fitted[0], fitted[1], deviates.data(), &fresh);
        EXPECT_EQ(fresh.indices, touching.indices) << "trial " << trial;
        EXPECT_EQ(fresh.pressures, touching.pressures) << "trial " << trial;
        EXPECT_EQ(fresh.volumes, touching.volumes) << "trial " << trial;
    }
    EXPECT_GT(fits, 30);
}

// The secant passes and the answers from the kept secants run in vector lanes where the processor has
// them: every deviate, touching point and fitted line must be the plain path's, bit for bit, over coarse
// values (tied secants), missing samples, volumes that do not move, short loops and loop counts that do
// not fill the lanes, at slopes on, between and far beyond the secants.
TEST(EspvrTangentFit, WideLanesGiveThePlainPathsBits)
{
    std::mt19937 random(21);
    const auto sameBits = [](const std::vector<double>& a, const std::vector<double>& b) {
        return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
    };
    for (int trial = 0; trial < 60; ++trial)
    {
        const bool coarse = trial % 2 == 0;
        const size_t loopCount = 1 + trial % 19;
        TangentFitSamples loops;
        std::vector<double> slopes = {NAN, 1e300, -1e300, 0.0};
        for (size_t j = 0; j < loopCount; ++j)
        {
            TangentFitLoop loop = ConcaveLoop(40.0 + 3.0 * j, 0.5 + 0.1 * j, kVolumeStep, 1 + (trial * 7 + j) % 35);
            double previous = NAN;
            for (size_t i = 0; i < loop.volumes.size(); ++i)
            {
                if (coarse)
                {
                    loop.pressures[i] = std::round(loop.pressures[i]);
                    loop.volumes[i] = std::round(loop.volumes[i] * 2.0f) / 2.0f;
                }
                if (random() % 9 == 0 && i > 0)
                    loop.volumes[i] = loop.volumes[i - 1]; // no secant
                if (random() % 23 == 0)
                    (random() % 2 ? loop.pressures[i] : loop.volumes[i]) = NAN;
                if (i > 0)
                {
                    const double secant = (static_cast<double>(loop.pressures[i]) - loop.pressures[i - 1]) /
                                          (static_cast<double>(loop.volumes[i]) - loop.volumes[i - 1]);
                    if (std::isfinite(secant) && random() % 3 == 0)
                        slopes.insert(slopes.end(), {secant, std::nextafter(secant, 0.0), secant + 0.05});
                    if (std::isfinite(secant) && std::isfinite(previous) && random() % 2 == 0)
                        slopes.push_back((secant + previous) / 2.0); // often as close to both
                    previous = secant;
                }
            }
            loops.AddLoop(loop);
        }
        for (const TangentLanes lanes : {TangentLanes::Widest, TangentLanes::Four})
        {
            // One slope after another, as the fit asks: the kept secants answer, or are found anew.
            TangentDeviateSeries wideSeries(loops, lanes), plainSeries(loops, TangentLanes::Plain);
            for (const double k : slopes)
                for (const bool withPoints : {false, true})
                {
                    std::vector<double> wide(loopCount), plain(loopCount);
                    TangentPoints wideAt{wide, wide, std::vector<int>(loopCount)}, plainAt = wideAt;
                    wideSeries.Deviates(k, 3.0, wide.data(), withPoints ? &wideAt : nullptr);
                    plainSeries.Deviates(k, 3.0, plain.data(), withPoints ? &plainAt : nullptr);
                    ASSERT_TRUE(sameBits(wide, plain)) << "trial " << trial << ", slope " << k;
                    ASSERT_TRUE(sameBits(wideAt.pressures, plainAt.pressures) && sameBits(wideAt.volumes, plainAt.volumes));
                    ASSERT_EQ(wideAt.indices, plainAt.indices);
                }
            for (const std::array<double, 2> start : {std::array<double, 2>{2.0, -10.0}, {40.0, 300.0}, {-3.0, 0.0}})
            {
                std::array<double, 2> wideLine{}, plainLine{};
                TangentPoints wideAt, plainAt;
                const bool fitted = FitEspvrTangentLine(loops, start, wideLine, &wideAt, lanes);
                ASSERT_EQ(fitted, FitEspvrTangentLine(loops, start, plainLine, &plainAt, TangentLanes::Plain));
                ASSERT_EQ(std::memcmp(wideLine.data(), plainLine.data(), sizeof wideLine), 0) << "trial " << trial;
                ASSERT_TRUE(sameBits(wideAt.pressures, plainAt.pressures) && sameBits(wideAt.volumes, plainAt.volumes));
                ASSERT_EQ(wideAt.indices, plainAt.indices);
            }
        }
    }
}

// A fit stopped by its iteration limit found no line, whatever line it stopped at; the same start with room
// to converge finds it.
TEST(EspvrTangentFit, AFitStoppedByItsIterationLimitFindsNoLine)
{
    TangentFitSamples loops;
    for (const TangentFitLoop& loop : SixLoops())
        loops.AddLoop(loop);
    std::array<double, 2> fitted{};
    mp_config oneIteration;
    oneIteration.maxiter = 1;
    EXPECT_FALSE(FitEspvrTangentLine(loops, {2.0, -10.0}, fitted, nullptr, TangentLanes::Widest, &oneIteration));
    EXPECT_TRUE(FitEspvrTangentLine(loops, {2.0, -10.0}, fitted));
}
