#include "foundation/system/PacingClock.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

namespace Orv
{

namespace
{

std::atomic<bool> manual{false};
std::atomic<uint64_t> manualNow{0};

} // namespace

uint64_t PacingMilliseconds()
{
    return manual.load() ? manualNow.load() : GetTickCount64();
}

ManualClock::ManualClock()
{
    if (manual.load())
        throw std::logic_error("only one manual clock may drive the pacing clock at a time");
    // Starting where the system's count stands keeps times taken just before comparable.
    manualNow = GetTickCount64();
    manual = true;
}

ManualClock::~ManualClock()
{
    manual = false;
}

void ManualClock::Advance(uint64_t milliseconds)
{
    manualNow += milliseconds;
}

uint64_t ManualClock::Now() const
{
    return manualNow.load();
}

} // namespace Orv
