// A short run's ranks are counted instead of sorted: the rank of value i is the number of values that come
// before it in the order,
//     rank(i) = #{j < i : v[j] <= v[i]} + #{j > i : v[j] < v[i]},
// which for the few dozen secants of a loop is a branch-free pass of vector compares per value, where a
// comparison sort mispredicts about every other comparison. Longer runs are sorted: counting grows with
// the square of their length.
#include "calc/numerics/ValueOrder.h"

#include "platform/Processor.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace Sistra
{
namespace
{

// Runs longer than this are sorted.
constexpr size_t LongestCounted = 128;

template <int Count>
struct Lanes
{
    typedef double Doubles __attribute__((vector_size(Count * sizeof(double))));
    typedef int64_t Counts __attribute__((vector_size(Count * sizeof(int64_t))));
};

// The number of values[first, end) that lie below x, or also those equal to it when OrEqual.
template <int Width, bool OrEqual>
[[gnu::always_inline]] inline int64_t CountBelow(const double* values, size_t first, size_t end, double x)
{
    using Doubles = typename Lanes<Width>::Doubles;
    typename Lanes<Width>::Counts counts = {};
    int64_t count = 0;
    size_t j = first;
    // A true compare is all ones, -1 as an integer.
    for (; j + Width <= end; j += Width)
    {
        Doubles v;
        std::memcpy(&v, values + j, sizeof v);
        if constexpr (OrEqual)
            counts -= v <= x;
        else
            counts -= v < x;
    }
    for (; j < end; ++j)
        count += OrEqual ? values[j] <= x : values[j] < x;
    for (int lane = 0; lane < Width; ++lane)
        count += counts[lane];
    return count;
}

template <int Width>
[[gnu::always_inline]] inline void OrderByCounting(std::span<const double> values, std::span<uint32_t> order)
{
    const size_t n = values.size();
    for (size_t i = 0; i < n; ++i)
    {
        const int64_t rank = CountBelow<Width, true>(values.data(), 0, i, values[i]) +
                             CountBelow<Width, false>(values.data(), i + 1, n, values[i]);
        order[static_cast<size_t>(rank)] = static_cast<uint32_t>(i);
    }
}

__attribute__((target("avx2"))) void OrderByCountingInFourLanes(std::span<const double> values, std::span<uint32_t> order)
{
    OrderByCounting<4>(values, order);
}

void OrderBySorting(std::span<const double> values, std::span<uint32_t> order)
{
    std::vector<std::pair<double, uint32_t>> pairs;
    pairs.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        pairs.emplace_back(values[i], static_cast<uint32_t>(i));
    std::sort(pairs.begin(), pairs.end());
    for (size_t r = 0; r < pairs.size(); ++r)
        order[r] = pairs[r].second;
}

} // namespace

void OrderByValue(std::span<const double> values, std::span<uint32_t> order, OrderLanes lanes)
{
    if (values.size() > LongestCounted)
        OrderBySorting(values, order);
    else if (Platform::HasAvx2() && lanes == OrderLanes::Widest)
        OrderByCountingInFourLanes(values, order);
    else
        OrderByCounting<2>(values, order);
}

} // namespace Sistra
