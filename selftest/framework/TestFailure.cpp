#include "selftest/framework/TestFailure.h"

#include "foundation/text/StringStream.h"

#include <cstring>

void MakeFailureText(Orv::String& text, const char* condition, const char* sourceFile, int line,
                     const Orv::String& message)
{
    const char* file = sourceFile ? sourceFile : "";
    if (const char* separator = std::strrchr(file, '\\'))
        file = separator + 1;
    Orv::OStringStream stream;
    stream << Orv::String(file).c_str() << L", Line " << line;
    if (condition && *condition)
        stream << L" [" << Orv::String(condition).c_str() << L"]";
    if (!message.IsEmpty())
        stream << L", [" << message.c_str() << L"]";
    text = stream.Str();
}

void Fail(const char* condition, const char* sourceFile, int line, const Orv::String& message)
{
    Orv::String text;
    MakeFailureText(text, condition, sourceFile, line, message);
    throw UnitTestException(text);
}

void Check(bool holds, const char* condition, const char* sourceFile, int line, const Orv::String& message)
{
    if (!holds)
        Fail(condition, sourceFile, line, message);
}
