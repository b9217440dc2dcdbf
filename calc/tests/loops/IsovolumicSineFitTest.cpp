#include "calc/loops/IsovolumicSineFit.h"

#include "calc/tests/SyntheticBeats.h"

#include <gtest/gtest.h>

#include <algorithm>

using Sistra::IsovolumicBeat;
using Sistra::IsovolumicStage;
using Sistra::SineSolver;

namespace
{

IsovolumicBeat Analyse(const std::vector<float>& pressure, IsovolumicStage until = IsovolumicStage::Fitted,
    SineSolver solver = SineSolver::Bounded)
{
    IsovolumicBeat beat;
    Sistra::AnalyseIsovolumicBeat(pressure, Sistra::WindowedDerivativeFilter(), until, solver, beat);
    return beat;
}

} // namespace

// 125 ms sampled every 0.25 ms; the valve opens at 30 ms (sample 120) and closes at 80 ms (sample 320).
constexpr double kStep = 0.25;
constexpr int32_t kValveOpening = 120;
constexpr int32_t kValveClosing = 320;
constexpr double kPisoShare = 0.001;
constexpr double kExact = 1e-5;

TEST(IsovolumicSineFit, EjectingBeatGivesThePeakOfItsIsovolumicSinusoid)
{
    const IsovolumicBeat beat = Analyse(SyntheticBeats::EjectingBeat(125.0, kStep));
    ASSERT_EQ(IsovolumicStage::Fitted, beat.reached);
    EXPECT_NEAR(SyntheticBeats::kPiso, beat.IsovolumicPressure(), kPisoShare * SyntheticBeats::kPiso);
    // The windows hold the isovolumic parts, the contraction at most one sample past the valve opening.
    EXPECT_LE(beat.contraction.last, kValveOpening + 1);
    EXPECT_GE(beat.relaxation.first, kValveClosing);
    EXPECT_LT(beat.dpdtMax, beat.contraction.last);
    EXPECT_TRUE(beat.relaxation.Holds(beat.dpdtMin));
    EXPECT_EQ(static_cast<size_t>(beat.contraction.Count() + beat.relaxation.Count()), beat.t.size());
}

TEST(IsovolumicSineFit, BeatOnTheSinusoidGivesBackAllFourParameters)
{
    const IsovolumicBeat beat = Analyse(SyntheticBeats::EjectingBeat(125.0, kStep, 30.0, 80.0, 0.0));
    ASSERT_EQ(IsovolumicStage::Fitted, beat.reached);
    // t counts samples from the start of the contraction window.
    const double shift = beat.contraction.first * kStep * SyntheticBeats::kFrequency;
    EXPECT_NEAR(SyntheticBeats::kOffset, beat.fitted[Sistra::SineOffset], 1e-3);
    EXPECT_NEAR(SyntheticBeats::kAmplitude, beat.fitted[Sistra::SineAmplitude], 1e-3);
    EXPECT_NEAR(SyntheticBeats::kFrequency * kStep, beat.fitted[Sistra::SineFrequency], kExact);
    EXPECT_NEAR(SyntheticBeats::kPhase + shift, beat.fitted[Sistra::SinePhase], 1e-4);
    EXPECT_NEAR(SyntheticBeats::kPiso, beat.IsovolumicPressure(), 1e-3);
    for (int32_t i = beat.contraction.first; i <= beat.relaxation.last; i += 50)
        EXPECT_NEAR(SyntheticBeats::IsovolumicPressure(i * kStep), beat.FittedPressure(i), 1e-3) << i;
}

TEST(IsovolumicSineFit, StartValuesFollowTheFittedSpanAndTheHighestPressure)
{
    const std::vector<float> pressure = SyntheticBeats::EjectingBeat(125.0, kStep);
    const IsovolumicBeat beat = Analyse(pressure, IsovolumicStage::Segments);
    ASSERT_EQ(IsovolumicStage::Segments, beat.reached);
    const double level = 0.75 * *std::max_element(pressure.begin(), pressure.end());
    EXPECT_DOUBLE_EQ(level, beat.start[Sistra::SineOffset]);
    EXPECT_DOUBLE_EQ(level, beat.start[Sistra::SineAmplitude]);
    EXPECT_DOUBLE_EQ(1.6 * SyntheticBeats::kPi / (beat.relaxation.last + 1 - beat.contraction.first),
        beat.start[Sistra::SineFrequency]);
    EXPECT_DOUBLE_EQ(-0.4 * SyntheticBeats::kPi, beat.start[Sistra::SinePhase]);
    EXPECT_EQ(0.0, beat.t.front());
    EXPECT_EQ(pressure[beat.relaxation.last], beat.y.back());
}

TEST(IsovolumicSineFit, PlainSolverFindsTheSamePeak)
{
    const IsovolumicBeat bounded = Analyse(SyntheticBeats::EjectingBeat(125.0, kStep));
    const IsovolumicBeat plain = Analyse(SyntheticBeats::EjectingBeat(125.0, kStep), IsovolumicStage::Fitted,
        SineSolver::Plain);
    ASSERT_EQ(IsovolumicStage::Fitted, plain.reached);
    // The two solvers stop on different tolerances.
    EXPECT_NEAR(bounded.IsovolumicPressure(), plain.IsovolumicPressure(), 1e-4);
}

TEST(IsovolumicSineFit, StopsAtTheStageAskedFor)
{
    const IsovolumicBeat beat = Analyse(SyntheticBeats::EjectingBeat(125.0, kStep), IsovolumicStage::FirstSeries);
    EXPECT_EQ(IsovolumicStage::FirstSeries, beat.reached);
    EXPECT_EQ(500u, beat.firstSeries.size());
    EXPECT_TRUE(beat.secondSeries.empty());
}

TEST(IsovolumicSineFit, DegenerateBeatsStopWhereTheyFail)
{
    EXPECT_EQ(IsovolumicStage::None, Analyse({80.0f, 81.0f}).reached) << "two samples";
    EXPECT_EQ(IsovolumicStage::FirstSeries, Analyse(std::vector<float>(100, 50.0f)).reached) << "flat pressure";

    // Pressure falling first and rising after: dP/dt min comes before dP/dt max.
    std::vector<float> inverted = SyntheticBeats::EjectingBeat(125.0, kStep, 30.0, 80.0, 0.0);
    for (float& p : inverted)
        p = 200.0f - p;
    EXPECT_EQ(IsovolumicStage::FirstSeries, Analyse(inverted).reached);

    // Still rising at the end of the beat: dP/dt max is the last sample.
    std::vector<float> rising;
    for (int i = 0; i < 50; ++i)
        rising.push_back(static_cast<float>(i * i));
    EXPECT_EQ(IsovolumicStage::FirstSeries, Analyse(rising).reached);
}

TEST(IsovolumicSineFit, NoFilterNoAnalysis)
{
    IsovolumicBeat beat;
    const auto refusing = [](int32_t, int32_t, std::span<const float>, std::vector<float>&) { return false; };
    Sistra::AnalyseIsovolumicBeat(SyntheticBeats::EjectingBeat(), refusing, IsovolumicStage::Fitted,
        SineSolver::Bounded, beat);
    EXPECT_EQ(IsovolumicStage::None, beat.reached);
}

// dP/dt max is the last of equal maxima and dP/dt min the first of equal minima.
TEST(IsovolumicSineFit, ExtremesTakeTheLastMaximumAndTheFirstMinimum)
{
    const struct
    {
        std::vector<float> firstSeries;
        int32_t dpdtMax;
        int32_t dpdtMin;
    } cases[] = {
        {{0, 5, 5, 1, -3, -3, 0, 0}, 2, 4},
        {{5, 0, 5, -1, 0, -1, 2, 2}, 2, 3},
        {{1, 1, 1, 0, 0, 0, 0.5, 0.5}, 2, 3},
    };
    for (const auto& c : cases)
    {
        const Sistra::BeatSeriesFilter filter = [&](int32_t, int32_t, std::span<const float>, std::vector<float>& series)
        {
            series = c.firstSeries;
            return true;
        };
        IsovolumicBeat beat;
        Sistra::AnalyseIsovolumicBeat(std::vector<float>(c.firstSeries.size(), 1.0f), filter,
            IsovolumicStage::Extremes, SineSolver::Bounded, beat);
        EXPECT_EQ(IsovolumicStage::Extremes, beat.reached) << c.dpdtMax;
        EXPECT_EQ(c.dpdtMax, beat.dpdtMax);
        EXPECT_EQ(c.dpdtMin, beat.dpdtMin);
    }
}
