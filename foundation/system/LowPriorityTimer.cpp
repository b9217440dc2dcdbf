#include "foundation/system/LowPriorityTimer.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/XOrv.h"

#include <cmath>
#include <map>
#include <mutex>
#include <utility>

namespace Orv
{

namespace
{

constexpr double MaxTimerMilliseconds = 2147483647.0;

// Thread timers carry no owner: the callback finds its object by (thread, timer id). No code is
// generated at run time, so this works in any process.
class TimerOwners
{
public:
    using Key = std::pair<DWORD, UINT_PTR>;

    void Add(DWORD thread, UINT_PTR id, LowPriorityTimer* owner)
    {
        std::lock_guard lock(mutex_);
        owners_[{thread, id}] = owner;
    }

    void Remove(DWORD thread, UINT_PTR id)
    {
        std::lock_guard lock(mutex_);
        owners_.erase({thread, id});
    }

    LowPriorityTimer* Find(UINT_PTR id)
    {
        std::lock_guard lock(mutex_);
        const auto it = owners_.find({GetCurrentThreadId(), id});
        return it == owners_.end() ? nullptr : it->second;
    }

private:
    std::mutex mutex_;
    std::map<Key, LowPriorityTimer*> owners_;
};

TimerOwners& Owners()
{
    static TimerOwners owners;
    return owners;
}

void CALLBACK DeliverTick(HWND, UINT, UINT_PTR id, DWORD)
{
    LowPriorityTimer* owner = Owners().Find(id);
    if (!owner)
    {
        // Its object was destroyed on another thread, which cannot kill a timer of this one.
        KillTimer(nullptr, id);
        return;
    }
    // A tick is best effort; a failure must not unwind into the system's message dispatch.
    (void)CatchReturn([owner] { owner->OnTimer(); });
}

} // namespace

UINT LowPriorityTimer::PeriodMilliseconds(double seconds)
{
    if (std::isnan(seconds) || seconds < 0.0)
        throw XOrv(L"The timer period must be a number of seconds of 0 or more.", E_INVALIDARG);
    return static_cast<UINT>(std::fmin(seconds * 1000.0, MaxTimerMilliseconds) + 0.5);
}

LowPriorityTimer::LowPriorityTimer(double periodSeconds)
{
    const UINT period = PeriodMilliseconds(periodSeconds);
    if (periodSeconds != 0.0)
        Start(period);
}

LowPriorityTimer::~LowPriorityTimer()
{
    Stop();
}

void LowPriorityTimer::StartMilliseconds(UINT period)
{
    Stop();
    Start(period == 0 ? 1 : period);
}

void LowPriorityTimer::Start(UINT period)
{
    creatorThread_ = GetCurrentThreadId();
    const UINT_PTR id = SetTimer(nullptr, 0, period, DeliverTick);
    if (id == 0)
        XOrv::Throw(HRESULT_FROM_WIN32(GetLastError()));
    try
    {
        Owners().Add(creatorThread_, id, this);
    }
    catch (...)
    {
        // A timer nobody owns would tick on forever.
        KillTimer(nullptr, id);
        throw;
    }
    timerId_ = id;
}

void LowPriorityTimer::Stop()
{
    if (timerId_ == 0)
        return;
    // Once removed, no tick reaches this object; the timer itself can only be killed on its own thread.
    Owners().Remove(creatorThread_, timerId_);
    if (GetCurrentThreadId() == creatorThread_)
        KillTimer(nullptr, timerId_);
    timerId_ = 0;
}

} // namespace Orv
