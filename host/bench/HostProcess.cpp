#include "host/bench/HostProcess.h"

#include "host/app/ModuleLoader.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>

namespace
{

constexpr double Megabyte = 1024.0 * 1024.0;
constexpr DWORD PollMilliseconds = 5;

} // namespace

ProcessRun RunHost(const std::wstring& arguments)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE null = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = null;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring commandLine = L"\"" + Host::ExecutableFolder() + L"sistra-host.exe\" " + arguments;
    PROCESS_INFORMATION process{};
    ProcessRun run;
    const auto begin = std::chrono::steady_clock::now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    {
        CloseHandle(null);
        return run;
    }
    while (WaitForSingleObject(process.hProcess, PollMilliseconds) == WAIT_TIMEOUT)
    {
        PROCESS_MEMORY_COUNTERS counters{};
        if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters))
            run.peakMegabytes = std::max(run.peakMegabytes, counters.PeakWorkingSetSize / Megabyte);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(null);
    return run;
}
