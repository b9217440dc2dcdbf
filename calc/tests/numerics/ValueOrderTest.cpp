#include "calc/numerics/ValueOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace
{

using namespace Sistra;

TEST(ValueOrder, LowerValuesFirstAndEqualOnesByPositionWhateverTheLengthAndLanes)
{
    // Few distinct values make many ties, -0 and +0 among them; lengths run past the longest counted run.
    std::mt19937 random(3);
    const std::vector<double> pool = {-0.0, 0.0, 1.5, -2.0, 1e300, -1e-300, 7.0};
    for (const size_t length : {0, 1, 2, 3, 5, 8, 9, 31, 64, 127, 128, 129, 300})
        for (const bool coarse : {true, false})
        {
            std::vector<double> values;
            for (size_t i = 0; i < length; ++i)
                values.push_back(coarse ? pool[random() % pool.size()]
                                        : std::uniform_real_distribution<double>(-1e6, 1e6)(random));
            std::vector<uint32_t> expected(length);
            std::iota(expected.begin(), expected.end(), 0u);
            std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) { return values[a] < values[b]; });
            for (const OrderLanes lanes : {OrderLanes::Widest, OrderLanes::Two})
            {
                std::vector<uint32_t> order(length, 999);
                OrderByValue(values, order, lanes);
                EXPECT_EQ(expected, order) << "length " << length << (coarse ? " coarse" : " fine") << ", lanes "
                                           << static_cast<int>(lanes);
            }
        }
}

} // namespace
