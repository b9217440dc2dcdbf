// Failures of the compound file travel as XOrv; these name the ones it raises itself.
#pragma once

#include "foundation/com/XOrv.h"

namespace Orv::Compound
{

// Code of the compound file's internal errors, which carry their own message.
constexpr HRESULT InternalErrorCode = Orv::E_ORV_INTERNAL;

[[noreturn]] inline void ThrowCorrupt()
{
    XOrv::Throw(STG_E_DOCFILECORRUPT);
}

[[noreturn]] inline void ThrowInternal(const wchar_t* message)
{
    throw XOrv(Orv::String(message), InternalErrorCode);
}

} // namespace Orv::Compound
