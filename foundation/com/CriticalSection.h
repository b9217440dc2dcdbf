// A Win32 critical section that is deleted with its owner, and the lock that leaves it on every path.
#pragma once

#include <windows.h>

namespace Orv
{

class CriticalSection
{
public:
    // Spinning briefly before sleeping pays off for the short sections this guards.
    static constexpr DWORD DefaultSpinCount = 4000;

    explicit CriticalSection(DWORD spinCount = DefaultSpinCount)
    {
        InitializeCriticalSectionAndSpinCount(&section_, spinCount);
    }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }
    // True when the section was free (or is this thread's already) and is now held.
    bool TryEnter() { return TryEnterCriticalSection(&section_) != FALSE; }

private:
    CRITICAL_SECTION section_;
};

class CriticalSectionLock
{
public:
    explicit CriticalSectionLock(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~CriticalSectionLock() { section_.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& section_;
};

} // namespace Orv
