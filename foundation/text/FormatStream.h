// Text from a template with numbered placeholders %1 to %20, filled with arguments in the order they
// are written, so that a translated template can put them in its own word order. '%%' is an escaped
// '%', and a backslash right after a placeholder's number ends it without output ("%1\2").
#pragma once

#include "foundation/text/StringStream.h"

#include <array>
#include <cstdint>
#include <string>

namespace Orv
{

class OFormatStream : public std::wostream
{
public:
    static constexpr int MaxPlaceholders = 20;

    OFormatStream(const OFormatStream&) = delete;
    OFormatStream& operator=(const OFormatStream&) = delete;

    // Writes one argument and ends it.
    template <class Value>
    OFormatStream& operator<<(const Value& value)
    {
        m_arguments << value;
        EndArgument();
        return *this;
    }
    OFormatStream& operator<<(const String& text);

    // For arguments that need stream settings: write them here, then end them.
    std::wostream& ArgumentStream() { return m_arguments; }
    void EndArgument();

protected:
    explicit OFormatStream(const String& format);
    // Called by the derived class once its output buffer exists.
    void AttachOutput(std::wstreambuf* output);

private:
    struct Placeholder
    {
        const wchar_t* start;   // its '%'
        const wchar_t* end;     // after its digits and an optional backslash
        int number;
        bool escapedBefore;     // the text since the previous placeholder holds '%%'
    };
    struct ArgumentText
    {
        std::size_t start = 0;
        std::size_t length = 0;
    };

    void ParseFormat();
    void WriteFormatted();
    void WriteText(const wchar_t* from, const wchar_t* to, bool unescape);

    String m_format;
    const wchar_t* m_formatStart;
    const wchar_t* m_formatEnd;
    OStringStream m_arguments;
    std::size_t m_previousEnd = 0;
    long m_argumentIndex = 0;
    long m_highestNumber = 0;
    int m_placeholderCount = 0;
    std::array<Placeholder, MaxPlaceholders> m_placeholders{};
    std::array<ArgumentText, MaxPlaceholders> m_argumentTexts{};
    bool m_tailEscaped = false;
};

class OFormatStringStream : public OFormatStream
{
public:
    // The template is a string of this module, with product tokens replaced.
    explicit OFormatStringStream(UINT id);
    explicit OFormatStringStream(const String& format);

    String Str() { return m_output.Str(); }
    const wchar_t* c_str() { return m_output.c_str(); }

private:
    StringStreamBuf m_output;
};

} // namespace Orv
