// What the module needs to know about the operating system, read once per process.
#pragma once

#include <windows.h>

namespace Orv
{

struct SystemInfoRecord
{
    SYSTEM_INFO system;
    OSVERSIONINFOW version;
    // Clears the offset within an allocation-granularity block: the negated granularity.
    ULONG_PTR allocationAddressMask;
};

const SystemInfoRecord& GetSystemInfoCache();

bool IsXPOrLater();
bool IsVistaOrLater();
bool IsWindows8Point1OrGreater();

} // namespace Orv
