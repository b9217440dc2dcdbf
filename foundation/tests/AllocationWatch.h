// The test program replaces the global allocation functions so that a test can learn the largest
// block requested while it watches.
#pragma once

#include <atomic>
#include <cstddef>

namespace AllocationWatch
{
extern std::atomic<bool> watching;
extern std::atomic<std::size_t> largest;
} // namespace AllocationWatch
