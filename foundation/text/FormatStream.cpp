#include "foundation/text/FormatStream.h"

#include "foundation/text/StringResources.h"

#include <algorithm>
#include <cwchar>

namespace Orv
{

OFormatStream::OFormatStream(const String& format)
    : std::wostream(nullptr), m_format(format), m_formatStart(m_format.c_str()),
      m_formatEnd(m_format.c_str() + m_format.Length())
{
}

void OFormatStream::AttachOutput(std::wstreambuf* output)
{
    init(output);
    ParseFormat();
}

OFormatStream& OFormatStream::operator<<(const String& text)
{
    m_arguments.write(text.c_str(), static_cast<std::streamsize>(text.Length()));
    EndArgument();
    return *this;
}

void OFormatStream::ParseFormat()
{
    bool segmentEscaped = false;
    const wchar_t* scan = m_formatStart;
    while ((scan = std::find(scan, m_formatEnd, L'%')) != m_formatEnd)
    {
        if (scan + 1 < m_formatEnd && scan[1] == L'%')
        {
            segmentEscaped = true;
            scan += 2;
            continue;
        }
        wchar_t* afterNumber = nullptr;
        const long number = std::wcstol(scan + 1, &afterNumber, 10);
        if (number == 0)
        {
            ++scan;
            continue;
        }
        const wchar_t* end = afterNumber;
        if (*end == L'\\')
            ++end;
        // The template expects as many arguments as its highest number, whether or not all occur.
        m_highestNumber = std::max(m_highestNumber, number);
        if (number >= 1 && number <= MaxPlaceholders && m_placeholderCount < MaxPlaceholders)
        {
            m_placeholders[static_cast<std::size_t>(m_placeholderCount++)] =
                Placeholder{scan, end, static_cast<int>(number), segmentEscaped};
            segmentEscaped = false;
        }
        scan = end;
    }
    m_tailEscaped = segmentEscaped;
    if (m_placeholderCount == 0)
        write(m_formatStart, m_formatEnd - m_formatStart);
}

void OFormatStream::EndArgument()
{
    if (m_argumentIndex >= m_highestNumber)
        return;
    const std::size_t position = m_arguments.Written().size();
    if (m_argumentIndex < MaxPlaceholders)
        m_argumentTexts[static_cast<std::size_t>(m_argumentIndex)] = {m_previousEnd, position - m_previousEnd};
    ++m_argumentIndex;
    m_previousEnd = position;
    if (m_argumentIndex == m_highestNumber && m_placeholderCount > 0)
        WriteFormatted();
}

void OFormatStream::WriteFormatted()
{
    const std::wstring_view arguments = m_arguments.Written();
    const wchar_t* scan = m_formatStart;
    for (int i = 0; i < m_placeholderCount; ++i)
    {
        const Placeholder& placeholder = m_placeholders[static_cast<std::size_t>(i)];
        WriteText(scan, placeholder.start, placeholder.escapedBefore);
        // Every occurrence of a number receives its argument.
        const ArgumentText& argument = m_argumentTexts[static_cast<std::size_t>(placeholder.number - 1)];
        if (argument.length > 0)
            write(arguments.data() + argument.start, static_cast<std::streamsize>(argument.length));
        scan = placeholder.end;
    }
    WriteText(scan, m_formatEnd, m_tailEscaped);
}

void OFormatStream::WriteText(const wchar_t* from, const wchar_t* to, bool unescape)
{
    if (!unescape)
    {
        write(from, to - from);
        return;
    }
    while (from < to)
    {
        put(*from);
        from += (*from == L'%' && from + 1 < to && from[1] == L'%') ? 2 : 1;
    }
}

OFormatStringStream::OFormatStringStream(UINT id) : OFormatStringStream(String(ThisModule(), id, true)) {}

OFormatStringStream::OFormatStringStream(const String& format) : OFormatStream(format)
{
    AttachOutput(&m_output);
}

} // namespace Orv
