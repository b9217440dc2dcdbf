// The module's view of the host's sample filter: created by type id through the framework, fed from a
// padded container, read back as long as the input.
#include "host/app/calc/SampleFilterClass.h"
#include "host/tests/module/SharedFramework.h"

#include "calc/sources/FloatEnumOnContainer.h"

#include <gtest/gtest.h>

#include <deque>

namespace
{

class SampleFilterClass : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(S_OK, Host::Calc::RegisterSampleFilterClass(HostTests::SharedFramework().Framework().StandIn()));
    }
};

// q(t) = 0.5·t² + 3·t + 1, whose derivative per tick is t + 3.
std::vector<float> Quadratic(int count)
{
    std::vector<float> samples;
    for (int t = 0; t < count; ++t)
        samples.push_back(static_cast<float>(0.5 * t * t + 3.0 * t + 1.0));
    return samples;
}

} // namespace

TEST_F(SampleFilterClass, ModuleGetsTheExactDerivativeOfAQuadratic)
{
    const std::vector<float> input = Quadratic(40);
    std::vector<float> output;
    Sistra::HostCalcCache cache;
    ASSERT_TRUE(Sistra::RunHostCalcOnSamples(7, 1, input, output, cache));
    ASSERT_EQ(input.size(), output.size());
    for (int t = 3; t < 37; ++t) // the edges see the repeated padding, not the quadratic
        EXPECT_NEAR(t + 3.0, output[static_cast<size_t>(t)], 1e-3) << t;
    ASSERT_EQ(1u, cache.filters->size());
    EXPECT_TRUE(cache.filters->front().calculation);
}

TEST_F(SampleFilterClass, SmoothingKeepsAQuadraticAndTheCacheServesTheNextCall)
{
    const std::deque<float> input{1, 4, 9, 16, 25, 36, 49, 64, 81};
    std::vector<float> output;
    Sistra::HostCalcCache cache;
    ASSERT_TRUE(Sistra::RunHostCalcOnSamples(5, 0, input, output, cache));
    ICalcEnum* first = cache.filters->front().calculation.Get();
    ASSERT_TRUE(Sistra::RunHostCalcOnSamples(5, 0, input, output, cache));
    EXPECT_EQ(first, cache.filters->front().calculation.Get());
    for (size_t t = 2; t + 2 < input.size(); ++t)
        EXPECT_NEAR(input[t], output[t], 1e-3) << t;
}

TEST_F(SampleFilterClass, OneFilterTakesEachCallsOwnSettings)
{
    // Settings that repeat, alternate or come back after more others than the cache keeps filters, also
    // through a copy of the cache (which shares its filters), give what a fresh filter gives for each.
    const std::vector<float> input = Quadratic(30);
    const std::pair<int32_t, int32_t> settings[] = {{5, 0},  {9, 1},  {5, 0},  {5, 0},  {7, 0},  {7, 0},
                                                    {9, 1},  {11, 0}, {13, 0}, {15, 0}, {17, 0}, {19, 0},
                                                    {21, 0}, {23, 0}, {5, 0},  {9, 1},  {23, 0}};
    Sistra::HostCalcCache shared;
    const Sistra::HostCalcCache copy = shared;
    bool throughCopy = false;
    for (const auto& [window, derivative] : settings)
    {
        std::vector<float> reused, fresh;
        Sistra::HostCalcCache own;
        Sistra::HostCalcCache user = throughCopy ? copy : shared;
        throughCopy = !throughCopy;
        ASSERT_TRUE(Sistra::RunHostCalcOnSamples(window, derivative, input, reused, user));
        ASSERT_TRUE(Sistra::RunHostCalcOnSamples(window, derivative, input, fresh, own));
        EXPECT_EQ(fresh, reused) << "window " << window << ", derivative " << derivative;
    }
    EXPECT_LE(shared.filters->size(), 8u);
}
