// sistra-host.exe run as a process of its own, as a user runs it, measured from outside: wall time, peak
// memory and exit code.
#pragma once

#include <windows.h>

#include <string>

struct ProcessRun
{
    double seconds = 0.0;
    double peakMegabytes = 0.0;
    DWORD exitCode = 1;
};

// Runs sistra-host with the arguments and its output to the null device; the peak working set is read
// while it runs, since a finished process has no counters left to ask.
ProcessRun RunHost(const std::wstring& arguments);
