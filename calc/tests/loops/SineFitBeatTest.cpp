#include "calc/loops/SineFitBeat.h"

#include "calc/engine/MissingValue.h"
#include "calc/tests/SyntheticBeats.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

using namespace Sistra;

namespace
{

constexpr double kStep = 0.25;  // ms per sample of the synthetic beats
// The ejection sample that the contraction window may hold pulls the curve by a few hundredths.
constexpr double kCurveMatchesPressure = 0.05;

bool IsMissing(float value)
{
    return std::bit_cast<uint32_t>(value) == MissingSampleBits;
}

int32_t CountMissing(const std::vector<float>& values)
{
    return static_cast<int32_t>(std::count_if(values.begin(), values.end(), IsMissing));
}

std::vector<float> Output(const std::vector<float>& pressure, int32_t outputType)
{
    std::vector<float> output{1.0f};
    ComputeSineFitBeat(pressure, outputType, Sistra::WindowedDerivativeFilter(), output);
    return output;
}

IsovolumicBeat Analysed(const std::vector<float>& pressure)
{
    IsovolumicBeat beat;
    AnalyseIsovolumicBeat(pressure, Sistra::WindowedDerivativeFilter(), IsovolumicStage::Fitted, SineSolver::Bounded,
        beat);
    return beat;
}

class SineFitBeatOutputs : public testing::Test
{
protected:
    const std::vector<float> pressure = SyntheticBeats::EjectingBeat(125.0, kStep);
    const IsovolumicBeat beat = Analysed(pressure);
};

} // namespace

TEST(SineFitArguments, FirstIntegerOfTheTextIsTheOutputType)
{
    EXPECT_EQ(6, ReadSineFitOutputType(L"6"));
    EXPECT_EQ(2, ReadSineFitOutputType(L"  2\t9"));
    EXPECT_EQ(3, ReadSineFitOutputType(L"3.7"));
    EXPECT_EQ(1, ReadSineFitOutputType(L"1,000")) << "no thousands grouping in the classic locale";
    EXPECT_EQ(-3, ReadSineFitOutputType(L"-3")) << "any integer is kept; the class reports the range";
    EXPECT_EQ(DefaultSineFitOutput, ReadSineFitOutputType(L""));
    EXPECT_EQ(DefaultSineFitOutput, ReadSineFitOutputType(L"type"));
    EXPECT_EQ(DefaultSineFitOutput, ReadSineFitOutputType(L"99999999999"));
    EXPECT_EQ(4, DefaultSineFitOutput);
}

TEST(SineFitArguments, NumbersReadTheSameUnderAGroupingGlobalLocale)
{
    struct Grouping : std::numpunct<wchar_t>
    {
        wchar_t do_thousands_sep() const override { return L'.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Grouping));
    const int32_t type = ReadSineFitOutputType(L"5.000");
    std::locale::global(previous);
    EXPECT_EQ(5, type);
}

TEST_F(SineFitBeatOutputs, SmoothingWindowsAreAQuarterOfTheBeatAndOfTheEjection)
{
    std::vector<int32_t> windows;
    const auto recording = [&](int32_t window, int32_t derivative, std::span<const float> samples,
                               std::vector<float>& series)
    {
        windows.push_back(window);
        return Sistra::WindowedDerivativeFilter()(window, derivative, samples, series);
    };
    std::vector<float> output;
    ComputeSineFitBeat(pressure, SineFitCurve, recording, output);
    ASSERT_EQ(2u, windows.size());
    EXPECT_EQ(125, windows[0]) << "500 samples: 2 floor(500 / 8) + 1";
    EXPECT_EQ(2 * ((beat.dpdtMin - beat.dpdtMax) / 8) + 1, windows[1]);
}

TEST_F(SineFitBeatOutputs, DerivativeSeriesAreDeliveredAsTheyAre)
{
    EXPECT_EQ(beat.firstSeries, Output(pressure, SineFitFirstSeries));
    EXPECT_EQ(beat.secondSeries, Output(pressure, SineFitSecondSeries));
}

TEST_F(SineFitBeatOutputs, IsovolumicPressureOnlyAtTheFittedSamples)
{
    const std::vector<float> output = Output(pressure, SineFitIsovolumicPressure);
    ASSERT_EQ(pressure.size(), output.size());
    for (size_t i = 0; i < output.size(); ++i)
    {
        const bool fitted = beat.contraction.Holds(i) || beat.relaxation.Holds(i);
        if (fitted)
            EXPECT_EQ(pressure[i], output[i]) << i;
        else
            EXPECT_TRUE(IsMissing(output[i])) << i;
    }
}

TEST_F(SineFitBeatOutputs, FittedCurveOverTheSegmentsFollowsThePressure)
{
    const std::vector<float> output = Output(pressure, SineFitCurveOnSegments);
    EXPECT_EQ(static_cast<int32_t>(pressure.size() - beat.t.size()), CountMissing(output));
    // Away from the valve opening, which the contraction window may pass by a sample.
    for (int32_t i : {beat.contraction.first, beat.contraction.last - 2, beat.relaxation.first, beat.relaxation.last})
        EXPECT_NEAR(pressure[i], output[i], kCurveMatchesPressure) << i;
}

TEST_F(SineFitBeatOutputs, FittedCurveSpansContractionStartToRelaxationEndAndPeaksAtPiso)
{
    for (int32_t type : {SineFitCurve, SineFitCurvePlainSolver})
    {
        const std::vector<float> output = Output(pressure, type);
        const SampleWindow window = beat.FittedWindow();
        EXPECT_EQ(static_cast<int32_t>(pressure.size()) - window.Count(), CountMissing(output));
        float peak = output[window.first];
        for (int32_t i = window.first; i <= window.last; ++i)
            peak = std::max(peak, output[i]);
        EXPECT_NEAR(SyntheticBeats::kPiso, peak, 0.001 * SyntheticBeats::kPiso) << "type " << type;
        // Ejection lies below the isovolumic curve.
        EXPECT_GT(output[200], pressure[200]);
    }
}

TEST_F(SineFitBeatOutputs, StartCurveIsTheFitsStartingPoint)
{
    const std::vector<float> output = Output(pressure, SineFitStartCurve);
    const double c = 0.75 * *std::max_element(pressure.begin(), pressure.end());
    const double w0 = 1.6 * SyntheticBeats::kPi / beat.FittedWindow().Count();
    const int32_t first = beat.contraction.first;
    EXPECT_NEAR(c + c * std::sin(-0.4 * SyntheticBeats::kPi), output[first], 1e-4);
    EXPECT_NEAR(c + c * std::sin(w0 * 100 - 0.4 * SyntheticBeats::kPi), output[first + 100], 1e-4);
    EXPECT_EQ(static_cast<int32_t>(pressure.size()) - beat.FittedWindow().Count(), CountMissing(output));
}

TEST(SineFitBeat, UnknownOutputTypesAreAllMissing)
{
    const std::vector<float> pressure = SyntheticBeats::EjectingBeat(125.0, kStep);
    for (int32_t type : {-1, 7})
        EXPECT_EQ(static_cast<int32_t>(pressure.size()), CountMissing(Output(pressure, type))) << type;
}

TEST(SineFitBeat, BeatsThatCannotBeFittedAreAllMissing)
{
    EXPECT_EQ(2, CountMissing(Output({80.0f, 90.0f}, SineFitCurve))) << "two samples";
    EXPECT_EQ(2, CountMissing(Output({80.0f, 90.0f}, SineFitFirstSeries)));
    EXPECT_TRUE(Output({}, SineFitCurve).empty());

    const std::vector<float> flat(200, 40.0f);
    EXPECT_EQ(200, CountMissing(Output(flat, SineFitCurve)));
    EXPECT_EQ(200, CountMissing(Output(flat, SineFitSecondSeries)));
    // The derivative itself is there: zero throughout.
    for (float d : Output(flat, SineFitFirstSeries))
        EXPECT_NEAR(0.0f, d, 1e-6f);
}

TEST(SineFitBeat, AFailedFitLeavesTheBeatMissing)
{
    // The series come from the clean beat, the fit meets a sample without a value and fails.
    const std::vector<float> clean = SyntheticBeats::EjectingBeat(125.0, kStep);
    const auto cleanSeries = [&](int32_t window, int32_t derivative, std::span<const float>,
                                 std::vector<float>& series)
    { return Sistra::WindowedDerivativeFilter()(window, derivative, clean, series); };
    std::vector<float> damaged = clean;
    damaged[Analysed(clean).contraction.first + 1] = std::numeric_limits<float>::quiet_NaN();
    for (int32_t type : {SineFitCurve, SineFitCurvePlainSolver})
    {
        std::vector<float> output;
        ComputeSineFitBeat(damaged, type, cleanSeries, output);
        EXPECT_EQ(static_cast<int32_t>(clean.size()), CountMissing(output)) << type;
    }
    std::vector<float> output;
    ComputeSineFitBeat(damaged, SineFitIsovolumicPressure, cleanSeries, output);
    EXPECT_LT(CountMissing(output), static_cast<int32_t>(clean.size())) << "no fit needed";
}
