// Exceptions never cross a COM interface, a host call or a window procedure: every such edge runs its
// body through CatchReturn, which turns whatever was thrown into an HRESULT.
#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

namespace Orv
{

// The failure code for the exception being handled; call only inside a catch block. Always a failure:
// an exception that carries a success code is reported as E_FAIL, never as success. An XOrv thrown with
// a message of its own leaves that message as the thread's error information (ErrorReason.h).
HRESULT ResultOfCurrentException() noexcept;

// Runs body and returns its HRESULT (S_OK for a body without result), or the code of what it threw.
template <class Body>
HRESULT CatchReturn(Body&& body) noexcept
{
    try
    {
        if constexpr (std::is_void_v<std::invoke_result_t<Body>>)
        {
            std::forward<Body>(body)();
            return S_OK;
        }
        else
        {
            return std::forward<Body>(body)();
        }
    }
    catch (...)
    {
        return ResultOfCurrentException();
    }
}

// The answer of a getter slot: E_POINTER when the caller gives no place for the value, else the value
// and S_OK. The value converts to the slot's type, so that a literal needs no cast.
template <class T>
HRESULT AnswerValue(T* out, const std::type_identity_t<T>& value)
{
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

// The answer of a slot that hands out an object: E_POINTER without a place for it; else the object with a
// reference for the caller and S_OK, or, without an object, null and whenNone.
template <class T>
HRESULT AnswerReference(T** out, std::type_identity_t<T>* object, HRESULT whenNone)
{
    if (!out)
        return E_POINTER;
    *out = object;
    if (!object)
        return whenNone;
    object->AddRef();
    return S_OK;
}

} // namespace Orv
