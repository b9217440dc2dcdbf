// The clock that paces what moves by itself: animations and the host's simulated sampling. It is the
// system's millisecond count, unless a test holds a ManualClock: then it stands still until the test
// advances it, so what a test sees of an animation or a playback never depends on the machine's speed.
#pragma once

#include <cstdint>

namespace Orv
{

// Milliseconds since an arbitrary start; never goes back.
uint64_t PacingMilliseconds();

// While it lives, PacingMilliseconds answers the time it was advanced to, from any thread. One at a time.
class ManualClock
{
public:
    ManualClock();
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    void Advance(uint64_t milliseconds);
    uint64_t Now() const;
};

} // namespace Orv
