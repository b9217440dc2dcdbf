#include "selftest/framework/UniformRandom.h"

#include <cstdlib>
#include <ctime>

namespace
{

// The minimal standard generator: seed = 16807 seed mod (2^31 - 1), worked out without overflow by
// Schrage's factorisation m = a q + r.
constexpr int32_t Multiplier = 16807;
constexpr int32_t Modulus = 2147483647;
constexpr int32_t Quotient = 127773;
constexpr int32_t Remainder = 2836;
constexpr int32_t TableSize = 32;
constexpr int32_t WarmUpSteps = 8;
// Maps a drawn value onto a table entry: 1 + (m - 1) / TableSize.
constexpr int32_t EntryDivisor = 67108864;
// The largest float below 1 that the generator returns.
constexpr float LargestDraw = 0.99999988f;

void Step(int32_t& seed)
{
    const int32_t k = seed / Quotient;
    seed = Multiplier * (seed - k * Quotient) - Remainder * k;
    if (seed < 0)
        seed += Modulus;
}

} // namespace

// Bays and Durham's shuffle over the generator: each draw returns an earlier value from a table of 32
// and puts the new one in its place, which breaks up the generator's serial correlation.
float UniformRandom(int32_t& seed, int32_t& last, int32_t table[32])
{
    if (seed <= 0 || last == 0)
    {
        seed = -seed < 1 ? 1 : -seed;
        for (int32_t j = TableSize + WarmUpSteps - 1; j >= 0; --j)
        {
            Step(seed);
            if (j < TableSize)
                table[j] = seed;
        }
        last = table[0];
    }
    Step(seed);
    const int32_t j = last / EntryDivisor;
    last = table[j];
    table[j] = seed;
    const auto r = static_cast<float>(static_cast<double>(last) / Modulus);
    return static_cast<double>(r) > static_cast<double>(LargestDraw) ? LargestDraw : r;
}

UniformRandomState ClockSeededRandom()
{
    UniformRandomState state;
    state.seed = -std::abs(static_cast<int32_t>(std::time(nullptr)));
    return state;
}

int32_t RandomIndex(UniformRandomState& state, int64_t count)
{
    if (count <= 0)
        return 0;
    const double u = UniformRandom(state);
    return static_cast<int32_t>(u * (static_cast<double>(count - 1) + 0.999999999));
}
