// The test program replaces the global allocation functions so that a test can learn the largest
// block requested while it watches, or make the next allocation fail as it would when memory runs out.
// The host-client tests compile the same replacement (hostframework/tests/AllocationWatch.cpp).
#pragma once

#include <atomic>
#include <cstddef>

namespace AllocationWatch
{
extern std::atomic<bool> watching;
extern std::atomic<std::size_t> largest;
// Set just before the call under test: the next allocation throws std::bad_alloc and clears it.
extern std::atomic<bool> failNext;
// Bytes of the blocks allocated and not yet freed, always counted: what a test makes and keeps is the
// difference across it.
extern std::atomic<std::ptrdiff_t> liveBytes;
} // namespace AllocationWatch
