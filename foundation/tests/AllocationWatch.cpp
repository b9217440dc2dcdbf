#include "foundation/tests/AllocationWatch.h"

#include <cstdlib>
#include <new>

namespace AllocationWatch
{
std::atomic<bool> watching{false};
std::atomic<std::size_t> largest{0};
std::atomic<bool> failNext{false};
} // namespace AllocationWatch

void* operator new(std::size_t size)
{
    if (AllocationWatch::failNext.exchange(false))
        throw std::bad_alloc();
    if (AllocationWatch::watching)
    {
        std::size_t seen = AllocationWatch::largest;
        while (size > seen && !AllocationWatch::largest.compare_exchange_weak(seen, size))
        {
        }
    }
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
