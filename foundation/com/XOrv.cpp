#include "foundation/com/XOrv.h"

#include <algorithm>
#include <array>
#include <cwchar>

namespace
{
// FormatMessage is offered two units less than the buffer holds.
constexpr std::size_t SystemMessageBufferUnits = 512;
constexpr DWORD SystemMessageOfferedUnits = SystemMessageBufferUnits - 2;

bool AppendsCodeText(HRESULT code)
{
    return code != S_OK && code != Orv::E_ORV_INTERNAL && code != Orv::E_ORV_INTERNAL_PLAIN;
}

Orv::String SystemMessage(HRESULT code)
{
    const auto bits = static_cast<DWORD>(code);
    const DWORD id = HRESULT_FACILITY(code) == FACILITY_WIN32 ? (bits & 0xFFFF) : bits;
    std::array<wchar_t, SystemMessageBufferUnits> buffer{};
    const DWORD chars = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, id,
                                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer.data(),
                                       SystemMessageOfferedUnits, nullptr);
    buffer[std::min<std::size_t>(chars, SystemMessageOfferedUnits)] = L'\0';
    return Orv::TidySystemMessage(buffer.data());
}
} // namespace

XOrv::XOrv(HRESULT code) : m_code(code), m_message(MessageFromCode(code)) {}

XOrv::XOrv(const Orv::String& message, HRESULT code) : m_code(code), m_reason(message), m_message(message)
{
    if (AppendsCodeText(code))
    {
        m_message += L'\n';
        m_message += MessageFromCode(code);
    }
}

const char* XOrv::what() const noexcept
{
    try
    {
        m_message = GetMessage();
        return m_message.Narrow();
    }
    catch (...)
    {
        return "XOrv";
    }
}

Orv::String XOrv::GetMessage() const
{
    return m_message;
}

Orv::String XOrv::MessageFromCode(HRESULT code)
{
    // The storage layer's "written by a newer version" reads as the system's own code for it.
    if (code == STG_E_OLDDLL)
        code = Orv::E_ORV_NEWER_VERSION;
    if (!Orv::IsOwnTableCode(code))
        return SystemMessage(code);
    const UINT id = Orv::HostStringIdOfCode(code);
    return id ? Orv::String(nullptr, id, true) : Orv::String();
}

void XOrv::Throw(HRESULT code)
{
    throw XOrv(code);
}

namespace Orv
{

String TidySystemMessage(const wchar_t* text)
{
    String tidy(text);
    const std::size_t chars = tidy.Length();
    if (chars < 2)
        return tidy;
    if (tidy[chars - 2] == L'\r' && tidy[chars - 1] == L'\n')
        tidy.EraseRange(chars - 2, chars);
    if (tidy.IsEmpty() || tidy[tidy.Length() - 1] != L'.')
        tidy += L'.';
    return tidy;
}

} // namespace Orv
