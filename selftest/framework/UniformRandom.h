// The uniform random source of the self-tests' standard routines. The caller owns the state and keeps
// it between calls; a state with last = 0 (or seed <= 0) starts afresh from its seed.
#pragma once

#include <cstdint>

struct UniformRandomState
{
    int32_t seed = -1;
    int32_t last = 0;
    int32_t table[32] = {};
};

float UniformRandom(int32_t& seed, int32_t& last, int32_t table[32]);

inline float UniformRandom(UniformRandomState& state)
{
    return UniformRandom(state.seed, state.last, state.table);
}

// A state seeded from the calendar clock: runs differ from one another.
UniformRandomState ClockSeededRandom();

// A draw below count: 0..count - 1 for count >= 1, 0 for count 0.
int32_t RandomIndex(UniformRandomState& state, int64_t count);
