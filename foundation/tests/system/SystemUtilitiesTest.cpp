#include "foundation/system/LowPriorityTimer.h"
#include "foundation/system/SystemInfo.h"
#include "foundation/system/TraceColors.h"
#include "foundation/system/WaitCursor.h"
#include "foundation/com/XOrv.h"
#include "foundation/tests/AllocationWatch.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <new>
#include <thread>

namespace
{

TEST(SystemInfo, CachedOnceAndConsistentWithTheVersionTests)
{
    const Orv::SystemInfoRecord& info = Orv::GetSystemInfoCache();
    EXPECT_EQ(&info, &Orv::GetSystemInfoCache());
    ASSERT_NE(0u, info.system.dwAllocationGranularity);
    EXPECT_EQ(0u, info.allocationAddressMask & (info.system.dwAllocationGranularity - 1));
    EXPECT_EQ(info.system.dwAllocationGranularity, 0 - info.allocationAddressMask);
    const bool nt = info.version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    EXPECT_EQ(nt && info.version.dwMajorVersion >= 6, Orv::IsVistaOrLater());
    EXPECT_TRUE(!Orv::IsVistaOrLater() || Orv::IsXPOrLater());
}

class CountingTimer : public Orv::LowPriorityTimer
{
public:
    using LowPriorityTimer::LowPriorityTimer;
    void OnTimer() override { ++ticks; }
    int ticks = 0;
};

// Runs the thread's message loop until the condition holds; counts the timer messages it dispatches when
// asked to. The time is only a guard against a wait for ticks that never come, generous enough for the
// busiest machine.
constexpr DWORD GuardMilliseconds = 60000;

template <class Condition>
bool PumpUntil(Condition done, DWORD milliseconds = GuardMilliseconds, int* timerMessages = nullptr)
{
    const DWORD start = GetTickCount();
    while (!done())
    {
        if (GetTickCount() - start > milliseconds)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (timerMessages && msg.message == WM_TIMER)
                ++*timerMessages;
            DispatchMessageW(&msg);
        }
    }
    return true;
}

TEST(LowPriorityTimer, TicksReachTheirOwnObjectUntilItIsDestroyed)
{
    CountingTimer fast(0.01);
    auto slow = std::make_unique<CountingTimer>(0.02);
    ASSERT_TRUE(fast.IsRunning());
    ASSERT_TRUE(slow->IsRunning());
    EXPECT_TRUE(PumpUntil([&] { return fast.ticks >= 2 && slow->ticks >= 2; }));

    slow.reset();
    const int before = fast.ticks;
    // The destroyed timer's ticks must go nowhere while the other keeps ticking.
    EXPECT_TRUE(PumpUntil([&] { return fast.ticks >= before + 3; }));
}

TEST(LowPriorityTimer, AnOwnerMadeWithoutPeriodStartsAndStopsInMilliseconds)
{
    CountingTimer timer(0.0);
    CountingTimer witness(0.01);
    EXPECT_FALSE(timer.IsRunning());
    for (int round = 0; round < 2; ++round) // a second start after a stop ticks again
    {
        timer.StartMilliseconds(10);
        const int before = timer.ticks;
        EXPECT_TRUE(PumpUntil([&] { return timer.ticks >= before + 2; }));
        timer.Stop();
        EXPECT_FALSE(timer.IsRunning());
        const int stoppedAt = timer.ticks, witnessAt = witness.ticks;
        EXPECT_TRUE(PumpUntil([&] { return witness.ticks >= witnessAt + 3; }));
        EXPECT_EQ(stoppedAt, timer.ticks);
    }
}

TEST(LowPriorityTimer, ATimerDestroyedOnAnotherThreadStopsTicking)
{
    // The storage outlives the timer, so that a tick that still reached it would not land in freed memory.
    alignas(CountingTimer) unsigned char storage[sizeof(CountingTimer)];
    auto* destroyed = new (storage) CountingTimer(0.01);
    CountingTimer witness(0.01);
    ASSERT_TRUE(PumpUntil([&] { return destroyed->ticks >= 1; }));

    std::thread([&] { destroyed->~CountingTimer(); }).join();
    const int witnessBefore = witness.ticks;
    int timerMessages = 0;
    EXPECT_TRUE(PumpUntil([&] { return witness.ticks >= witnessBefore + 10; }, GuardMilliseconds, &timerMessages));
    // The witness's own, and at most one more: the destroyed timer's first stray tick, which stops it.
    EXPECT_LE(timerMessages, witness.ticks - witnessBefore + 1);
}

TEST(LowPriorityTimer, AStartThatFailsLeavesNoTimerTicking)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE))
    {
    }
    AllocationWatch::failNext = true;
    EXPECT_THROW(CountingTimer refused(0.001), std::bad_alloc);
    AllocationWatch::failNext = false;
    Sleep(50);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST(LowPriorityTimer, ZeroPeriodStartsNoTimer)
{
    CountingTimer idle(0.0);
    EXPECT_FALSE(idle.IsRunning());
}

TEST(LowPriorityTimer, PeriodsRoundToMillisecondsAndClamp)
{
    EXPECT_EQ(2u, Orv::LowPriorityTimer::PeriodMilliseconds(0.0015));
    EXPECT_EQ(250u, Orv::LowPriorityTimer::PeriodMilliseconds(0.25));
    EXPECT_EQ(2147483647u, Orv::LowPriorityTimer::PeriodMilliseconds(1e10));
    for (double bad : {-1.0, std::numeric_limits<double>::quiet_NaN()})
    {
        try
        {
            CountingTimer refused(bad);
            ADD_FAILURE() << "no error for " << bad;
        }
        catch (const XOrv& e)
        {
            EXPECT_EQ(E_INVALIDARG, e.Code());
        }
    }
}

TEST(TraceColors, PaletteFollowsScreenDepthAndWideFlag)
{
    EXPECT_EQ(Orv::TracePalette::Basic12, Orv::ChooseTracePalette(8, true));
    EXPECT_EQ(Orv::TracePalette::Basic12, Orv::ChooseTracePalette(8, false));
    EXPECT_EQ(Orv::TracePalette::Basic20, Orv::ChooseTracePalette(16, true));
    EXPECT_EQ(Orv::TracePalette::Bright19, Orv::ChooseTracePalette(32, false));
}

TEST(TraceColors, IndicesWrapWithinThePaletteInUse)
{
    using Orv::TraceColorOf;
    EXPECT_EQ(0x0000FFu, TraceColorOf(Orv::TracePalette::Basic12, 0));
    EXPECT_EQ(TraceColorOf(Orv::TracePalette::Basic12, 0), TraceColorOf(Orv::TracePalette::Basic12, 12));
    EXPECT_EQ(0x0080FFu, TraceColorOf(Orv::TracePalette::Basic20, 12));
    EXPECT_EQ(TraceColorOf(Orv::TracePalette::Basic20, 19), TraceColorOf(Orv::TracePalette::Basic20, -1));
    EXPECT_EQ(0xFF55EAu, TraceColorOf(Orv::TracePalette::Bright19, 0));
    EXPECT_EQ(0x555555u, TraceColorOf(Orv::TracePalette::Bright19, 18));
    EXPECT_EQ(0xFF55EAu, TraceColorOf(Orv::TracePalette::Bright19, 19));
}

class FixedColors : public Orv::TraceColorProvider
{
public:
    COLORREF TraceColor(int index) const override { return static_cast<COLORREF>(0x100 + index); }
};

TEST(TraceColors, ProviderAnswersInsteadOfThePalette)
{
    FixedColors provider;
    EXPECT_EQ(0x105u, GetTraceColor(&provider, 5));
    InitTraceColorPalette(false);
    // Without a provider the wide palette A answers, whatever was chosen before.
    EXPECT_EQ(Orv::TraceColorOf(Orv::TracePalette::Basic20, 13), GetTraceColor(nullptr, 13));
}

} // namespace

// Long work shows the wait cursor; afterwards the cursor shown before is back.
TEST(WaitCursor, ShowsTheWaitCursorForItsScopeThenTheOneBefore)
{
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    SetCursor(arrow);
    {
        const Orv::WaitCursor wait;
        EXPECT_EQ(LoadCursorW(nullptr, IDC_WAIT), GetCursor());
    }
    EXPECT_EQ(arrow, GetCursor());
}
