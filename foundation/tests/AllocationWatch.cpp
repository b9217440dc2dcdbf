#include "foundation/tests/AllocationWatch.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace AllocationWatch
{
std::atomic<bool> watching{false};
std::atomic<std::size_t> largest{0};
std::atomic<bool> failNext{false};
std::atomic<std::ptrdiff_t> liveBytes{0};

namespace
{

void Free(void* block) noexcept
{
    if (!block)
        return;
    liveBytes -= static_cast<std::ptrdiff_t>(_msize(block));
    std::free(block);
}

} // namespace
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
    {
        AllocationWatch::liveBytes += static_cast<std::ptrdiff_t>(_msize(block));
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    AllocationWatch::Free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    AllocationWatch::Free(block);
}
