// The system's exception types: XOrv carries an HRESULT and a wide message; xmsg is the narrow
// exception of the string type's size check.
#pragma once

#include "foundation/com/ResultCodes.h"
#include "foundation/text/String.h"

#include <exception>
#include <string>

class xmsg : public std::exception
{
public:
    explicit xmsg(const std::string& message) : m_message(message) {}
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

class XOrv : public std::exception
{
public:
    // The message is the code's own text.
    explicit XOrv(HRESULT code);
    // The message, then (unless the code carries no text of its own) a line feed and the code's text.
    XOrv(const Orv::String& message, HRESULT code);

    // The message in the thread's ANSI code page; the text lives as long as the exception.
    const char* what() const noexcept override;
    virtual Orv::String GetMessage() const;
    HRESULT Code() const { return m_code; }
    // The message as the thrower gave it, without the code's text; empty when it gave none.
    const Orv::String& Reason() const { return m_reason; }

    // The text of a code: the operating system's for system codes, the host's string table's for the
    // system's own codes; empty when there is none. Throws nothing but allocation failure.
    static Orv::String MessageFromCode(HRESULT code);
    [[noreturn]] static void Throw(HRESULT code);

private:
    HRESULT m_code;
    Orv::String m_reason;
    mutable Orv::String m_message;
};

namespace Orv
{
// A system message as FormatMessage gives it, without its closing line break and ending in a full stop.
String TidySystemMessage(const wchar_t* text);
} // namespace Orv
