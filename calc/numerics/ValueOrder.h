// The order of a short run of values from lowest to highest, ties by position.
#pragma once

#include <cstdint>
#include <span>

namespace Sistra
{

// Vector lanes of the counting: the widest the processor has, or the two every processor has. Both give
// the same order.
enum class OrderLanes
{
    Widest,
    Two
};

// order[r] = the position of the value of rank r among values (as long as order): lower values first, equal
// ones (-0 and +0 among them) by position. The values must not be NaN.
void OrderByValue(std::span<const double> values, std::span<uint32_t> order, OrderLanes lanes = OrderLanes::Widest);

} // namespace Sistra
