#include "host/app/calc/SavitzkyGolay.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using namespace Host::Calc;

void ExpectCoefficients(const std::vector<double>& expected, double divisor, const SavitzkyGolaySettings& settings)
{
    const std::vector<double> coefficients = SavitzkyGolayCoefficients(settings);
    ASSERT_EQ(expected.size(), coefficients.size());
    for (size_t k = 0; k < expected.size(); ++k)
        EXPECT_NEAR(expected[k] / divisor, coefficients[k], 1e-12) << "weight " << k;
}

TEST(SavitzkyGolay, CoefficientsMatchTheTabulatedQuadraticFilters)
{
    ExpectCoefficients({-3, 12, 17, 12, -3}, 35, {5, 0, 2});
    ExpectCoefficients({-2, 3, 6, 7, 6, 3, -2}, 21, {7, 0, 2});
    ExpectCoefficients({-2, -1, 0, 1, 2}, 10, {5, 1, 2});
    ExpectCoefficients({-3, -2, -1, 0, 1, 2, 3}, 28, {7, 1, 3 - 1});
    ExpectCoefficients({2, -1, -2, -1, 2}, 7, {5, 2, 2}); // second derivative
    ExpectCoefficients({1}, 1, {1, 0, 0});
    ExpectCoefficients({0}, 1, {1, 1, 0}); // one sample has no slope
}

TEST(SavitzkyGolay, ArgumentTextWidensTheWindowAndLowersAnOrderItCannotCarry)
{
    const SavitzkyGolaySettings widened = ParseSavitzkyGolayArguments("4\t1\t2");
    EXPECT_EQ(5, widened.window);
    EXPECT_EQ(1, widened.derivative);
    EXPECT_EQ(2, widened.order);
    const SavitzkyGolaySettings narrow = ParseSavitzkyGolayArguments("1\t0\t2");
    EXPECT_EQ(1, narrow.window);
    EXPECT_EQ(0, narrow.order);

    for (const char* bad : {"5\t1", "5\tx\t2", "-3\t0\t2", "0\t0\t0", "5\t0\t11", "5\t0\t2\t1", "5 1 2"})
        EXPECT_THROW(ParseSavitzkyGolayArguments(bad), std::invalid_argument) << bad;
}

TEST(SavitzkyGolay, ReproducesTheExactDerivativeOfAQuadratic)
{
    // x(i) = 0.5 i^2 - 3 i + 2: slope per tick i - 3, so output j (centred on input j + 3) is j.
    std::vector<float> quadratic;
    for (int i = 0; i < 41; ++i)
        quadratic.push_back(static_cast<float>(0.5 * i * i - 3.0 * i + 2.0));
    const Host::Recording recording = HostTests::MakeRecording(0.01, {{quadratic}});
    const auto filter = MakeSavitzkyGolayFilter(MakeRecordedChannel(recording, 0), ParseSavitzkyGolayArguments("6\t1\t2"));

    const Extent extent = filter->Available(0);
    EXPECT_EQ(41 - 6, extent.ticks); // the caller's padding of window / 2 at each end restores the length
    EXPECT_TRUE(extent.complete);
    std::vector<float> slope(static_cast<size_t>(extent.ticks));
    filter->Compute(0, 0, slope);
    for (size_t j = 0; j < slope.size(); ++j)
        EXPECT_NEAR(static_cast<double>(j), slope[j], 1e-4) << "output " << j;

    std::vector<float> smoothed(5);
    MakeSavitzkyGolayFilter(MakeRecordedChannel(recording, 0), {7, 0, 2})->Compute(0, 10, smoothed);
    for (size_t j = 0; j < smoothed.size(); ++j)
        EXPECT_NEAR(quadratic[j + 13], smoothed[j], 1e-3) << "a quadratic passes the smoothing unchanged";
}

TEST(SavitzkyGolay, EdgePaddingOfHalfTheWindowGivesOneOutputPerSample)
{
    // As a caller pads: window / 2 copies of the first and last sample at either end.
    const std::vector<float> data{1, 4, 9, 16, 25, 36, 49}; // (i + 1)^2: slope 2i + 2
    const SavitzkyGolaySettings settings = ParseSavitzkyGolayArguments("5\t1\t2");
    std::vector<float> padded{1, 1};
    padded.insert(padded.end(), data.begin(), data.end());
    padded.insert(padded.end(), {49, 49});
    std::vector<float> slope(data.size());
    ApplySavitzkyGolay(SavitzkyGolayCoefficients(settings), padded, slope);
    for (size_t i = 2; i + 2 < data.size(); ++i)
        EXPECT_NEAR(2.0 * i + 2.0, slope[i], 1e-5) << "sample " << i;
    EXPECT_NEAR((-2 * 1 - 1 * 1 + 0 * 1 + 1 * 4 + 2 * 9) / 10.0, slope[0], 1e-6) << "the padding enters the edge";

    std::vector<float> tooLong(data.size() + 1);
    EXPECT_THROW(ApplySavitzkyGolay(SavitzkyGolayCoefficients(settings), padded, tooLong), std::invalid_argument);
}

TEST(SavitzkyGolay, EveryOutputIsItsOwnWeightedSumWhateverTheOutputLength)
{
    // Outputs are worked out several at a time: each must still be the sum in weight order, exactly.
    std::vector<float> input;
    for (int i = 0; i < 90; ++i)
        input.push_back(static_cast<float>(std::sin(0.7 * i) * 100.0 + i));
    for (const SavitzkyGolaySettings settings :
         {SavitzkyGolaySettings{1, 0, 0}, {5, 0, 2}, {9, 1, 3}, {31, 0, 2}, {61, 1, 2}})
    {
        const std::vector<double> weights = SavitzkyGolayCoefficients(settings);
        for (size_t length = 0; length + weights.size() <= input.size() + 1; ++length)
            for (const FilterLanes lanes : {FilterLanes::Widest, FilterLanes::Four, FilterLanes::Two})
            {
                std::vector<float> out(length);
                ApplySavitzkyGolay(weights, input, out, lanes);
                for (size_t index = 0; index < length; ++index)
                {
                    double sum = 0.0;
                    for (size_t k = 0; k < weights.size(); ++k)
                        sum += weights[k] * input[index + k];
                    ASSERT_EQ(static_cast<float>(sum), out[index])
                        << "window " << settings.window << ", output " << index << ", lanes " << static_cast<int>(lanes);
                }
            }
    }
}

} // namespace
