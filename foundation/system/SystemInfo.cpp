#include "foundation/system/SystemInfo.h"

namespace Orv
{

static_assert(sizeof(OSVERSIONINFOW) == 276, "the wide version record the system fills");
static_assert(sizeof(OSVERSIONINFOEXW) == 284, "the extended wide version record");

namespace
{

SystemInfoRecord ReadSystemInfo()
{
    SystemInfoRecord r{};
    GetSystemInfo(&r.system);
    r.version.dwOSVersionInfoSize = sizeof r.version;
    GetVersionExW(&r.version);
    r.allocationAddressMask = 0 - static_cast<ULONG_PTR>(r.system.dwAllocationGranularity);
    return r;
}

bool IsNtFamily(const OSVERSIONINFOW& v)
{
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

} // namespace

const SystemInfoRecord& GetSystemInfoCache()
{
    static const SystemInfoRecord cache = ReadSystemInfo();
    return cache;
}

bool IsXPOrLater()
{
    const OSVERSIONINFOW& v = GetSystemInfoCache().version;
    return IsNtFamily(v) && (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion == 1));
}

bool IsVistaOrLater()
{
    const OSVERSIONINFOW& v = GetSystemInfoCache().version;
    return IsNtFamily(v) && v.dwMajorVersion >= 6;
}

bool IsWindows8Point1OrGreater()
{
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = 6;
    wanted.dwMinorVersion = 3;
    wanted.wServicePackMajor = 0;
    ULONGLONG conditions = 0;
    conditions = VerSetConditionMask(conditions, VER_MAJORVERSION, VER_GREATER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_MINORVERSION, VER_GREATER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR, conditions) != FALSE;
}

} // namespace Orv
