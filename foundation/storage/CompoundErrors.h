// Failures of the compound file travel as XOrv; these name the ones it raises itself.
#pragma once

#include "foundation/com/XOrv.h"

#include <cstdint>
#include <string>

namespace Orv::Compound
{

// Code of the compound file's internal errors, which carry their own message.
constexpr HRESULT InternalErrorCode = Orv::E_ORV_INTERNAL;

[[noreturn]] inline void ThrowCorrupt()
{
    XOrv::Throw(STG_E_DOCFILECORRUPT);
}

// A file that ends before a part its header places: cut short, the commonest damage a file takes.
[[noreturn]] inline void ThrowCutShort(uint64_t fileSize, uint64_t partEnd, const wchar_t* part = L"its cluster map")
{
    throw XOrv(Orv::String((L"the file is cut short: it ends at byte " + std::to_wstring(fileSize) +
                            L", before the end of " + part + L" at byte " + std::to_wstring(partEnd))
                               .c_str()),
               STG_E_DOCFILECORRUPT);
}

[[noreturn]] inline void ThrowInternal(const wchar_t* message)
{
    throw XOrv(Orv::String(message), InternalErrorCode);
}

} // namespace Orv::Compound
