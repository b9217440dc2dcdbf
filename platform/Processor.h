// What the processor offers the loops written for its vector registers, asked once per process and
// shared, so that every such loop chooses its lanes by the same test.
#pragma once

namespace Platform
{

inline bool HasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

// AVX-512 with its double-word and quad-word instructions.
inline bool HasAvx512()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512dq") != 0;
    }();
    return has;
}

} // namespace Platform
