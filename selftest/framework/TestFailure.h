// The failure a check inside a self-test raises, and its text.
#pragma once

#include "foundation/text/String.h"

#include <exception>

// A failed check: ends the running test, whose result then carries the message.
class UnitTestException : public std::exception
{
public:
    explicit UnitTestException(const Orv::String& message) : message_(message) {}
    const Orv::String& Message() const { return message_; }

private:
    Orv::String message_;
};

// "<file name>, Line <line>", then " [<condition>]" and ", [<message>]" when those are not empty. The
// file name is what follows the last backslash of the source path.
void MakeFailureText(Orv::String& text, const char* condition, const char* sourceFile, int line,
                     const Orv::String& message);

// Throws UnitTestException with the failure text when the condition does not hold.
void Check(bool holds, const char* condition, const char* sourceFile, int line, const Orv::String& message = {});
[[noreturn]] void Fail(const char* condition, const char* sourceFile, int line, const Orv::String& message = {});
