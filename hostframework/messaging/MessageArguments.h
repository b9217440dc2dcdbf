// The values an automation message carries to its handler: its payload record holds a type word, then
// the values packed without gaps (so a double may sit at any offset), a text as a reference to its
// string object.
#pragma once

#include "hostapi/OrvStringInterfaces.h"
#include "foundation/com/ErrorReason.h"
#include "foundation/text/String.h"
#include "hostframework/messaging/EventMaps.h"

#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>

namespace VyrMessageArguments
{

template <class T>
constexpr size_t WidthOf()
{
    if constexpr (std::is_same_v<T, Orv::String>)
        return sizeof(IAutoOrvString*);
    else if constexpr (std::is_same_v<T, bool>)
        return sizeof(ULONG);
    else
        return sizeof(T);
}

template <class T>
T Read(const BYTE*& cursor)
{
    T value{};
    if constexpr (std::is_same_v<T, Orv::String>)
    {
        IAutoOrvString* reference = nullptr;
        std::memcpy(&reference, cursor, sizeof reference);
        value = Orv::String::FromInterface(reference);
    }
    else if constexpr (std::is_same_v<T, bool>)
    {
        ULONG flag = 0;
        std::memcpy(&flag, cursor, sizeof flag);
        value = flag != 0;
    }
    else
    {
        std::memcpy(&value, cursor, sizeof value);
    }
    cursor += WidthOf<T>();
    return value;
}

} // namespace VyrMessageArguments

// Calls Member with the message's values, first value first; a payload too short for them is not
// handled (E_INVALIDARG), so nothing reads past its end.
template <class Handler, auto Member, class... Values>
HRESULT DispatchMessageValues(void* handler, const VyrEventArgs& args)
{
    const void* payload = nullptr;
    ULONG size = 0;
    if (FAILED(args.message->GetPayload(&payload)) || FAILED(args.message->GetPayloadSize(&size)) || !payload)
        return E_POINTER;
    if (size < sizeof(ULONG) + (VyrMessageArguments::WidthOf<Values>() + ... + 0))
        return E_INVALIDARG;
    const BYTE* cursor = static_cast<const BYTE*>(payload) + sizeof(ULONG);
    // Braced initialisation reads the values in order.
    std::tuple<Values...> values{VyrMessageArguments::Read<Values>(cursor)...};
    return AnswerOfHandler(
        [&] { return std::apply([handler](auto&... value) { return (static_cast<Handler*>(handler)->*Member)(value...); }, values); });
}

// Refuses an automation message, the reason in words.
inline MessageAnswer RefuseMessage(const std::wstring& reason)
{
    Orv::FailWithReason(E_INVALIDARG, IID_IMessageHandler, reason.c_str());
    return MessageAnswer::Refused;
}

// Refuses an automation message for its argument of that name, the reason in words.
inline MessageAnswer RefuseArgument(const wchar_t* argument, const std::wstring& reason)
{
    const std::wstring text = std::wstring(argument) + L": " + reason;
    Orv::FailWithReason(E_INVALIDARG, IID_IMessageHandler, text.c_str());
    return MessageAnswer::Refused;
}
