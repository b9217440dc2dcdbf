// Result codes of the system's own: 0xA0048200 + n (severity error, customer bit, FACILITY_ITF).
#pragma once

#include <windows.h>

namespace Orv
{

constexpr HRESULT OwnCodeBase = static_cast<HRESULT>(0xA0048200);
constexpr int OwnCodeCount = 31;

constexpr HRESULT OwnCode(int n)
{
    return static_cast<HRESULT>(0xA0048200u + static_cast<unsigned>(n));
}

// Codes with a fixed meaning.
constexpr HRESULT E_ORV_DAMAGED_STRING = OwnCode(0x03);  // a string in a binary stream is damaged
constexpr HRESULT E_ORV_NEWER_VERSION = OwnCode(0x05);   // persisted by a newer version than the reader
constexpr HRESULT E_ORV_READ_FAILED = OwnCode(0x0A);     // reading a persisted record failed
constexpr HRESULT E_ORV_SILENT_STATUS = OwnCode(0x0F);   // passed on without any text
constexpr HRESULT E_ORV_INTERNAL = OwnCode(0x10);        // internal error carrying its own message
constexpr HRESULT E_ORV_INTERNAL_PLAIN = OwnCode(0x11);  // like E_ORV_INTERNAL, no text of its own

// True for the codes whose text comes from the system's own table rather than the operating system:
// FACILITY_ITF with both the customer bit (29) and bit 15 set.
bool IsOwnTableCode(HRESULT code);

// The host executable's string id that holds the text of an own-table code, or 0 when it has none.
UINT HostStringIdOfCode(HRESULT code);

// The thread's last Windows error as a failure code; E_FAIL when the call set none, so that a failed
// call never reads as success.
inline HRESULT LastErrorResult()
{
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

} // namespace Orv
