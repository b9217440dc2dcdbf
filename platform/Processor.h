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

} // namespace Platform
