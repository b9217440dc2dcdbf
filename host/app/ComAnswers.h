// How the host's COM objects answer through out-parameters: every getter refuses a null pointer the same
// way, and an operation not offered clears what it would have handed out.
#pragma once

#include "foundation/com/ComBoundary.h"

#include <windows.h>

#include <type_traits>

namespace Host::Calc
{

// Out-parameter answers: nothing to hand out, an operation the enumerator does not offer, a zero.
template <class T>
HRESULT AnswerNothing(T** out)
{
    if (out)
        *out = nullptr;
    return S_OK;
}
template <class T>
HRESULT AnswerUnsupported(T** out)
{
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}
using Orv::AnswerValue;
template <class T>
HRESULT AnswerZero(T* out)
{
    return AnswerValue(out, T{});
}

} // namespace Host::Calc
