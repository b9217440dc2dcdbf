// A timer delivered through the creating thread's message queue, for work where a late tick does no
// harm (auto-repeat, delayed refresh). Ticks reach OnTimer of the owning object on that thread; the
// object may be destroyed on any thread, after which no tick reaches it.
#pragma once

#include <windows.h>

namespace Orv
{

class LowPriorityTimer
{
public:
    // A period of 0 starts no timer. Periods are clamped to 2147483647 ms; a negative or NaN period
    // is refused with E_INVALIDARG.
    explicit LowPriorityTimer(double periodSeconds);
    virtual ~LowPriorityTimer();
    LowPriorityTimer(const LowPriorityTimer&) = delete;
    LowPriorityTimer& operator=(const LowPriorityTimer&) = delete;

    virtual void OnTimer() = 0;

    bool IsRunning() const { return timerId_ != 0; }
    // (Re)starts the timer on the calling thread at a period in milliseconds (clamped to at least 1),
    // for an owner constructed with period 0; throws when the system has no timer to give.
    void StartMilliseconds(UINT period);
    // Stops a running timer; no tick reaches the object afterwards.
    void Stop();

    // The SetTimer period for a period in seconds.
    static UINT PeriodMilliseconds(double seconds);

private:
    void Start(UINT period);

    UINT_PTR timerId_ = 0;
    DWORD creatorThread_ = 0; // thread timers belong to the thread that set them
};

} // namespace Orv
