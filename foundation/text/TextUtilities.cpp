#include "foundation/text/TextUtilities.h"

#include <charconv>
#include <cstring>
#include <memory>
#include <sstream>

namespace
{
// Longest narrow text converted; longer ones are refused rather than risk an overflowing size.
constexpr std::size_t MaxNarrowTextLength = 0x3FFFFFFF;
} // namespace

std::wstring IntToWString(int n)
{
    std::wostringstream text;
    text << n;
    return text.str();
}

std::wostream& WriteNarrowText(std::wostream& out, const char* text)
{
    if (!text)
        return out;
    const std::size_t length = std::strlen(text);
    if (length > MaxNarrowTextLength)
        return out;
    const int units = static_cast<int>(length + 1);
    auto wide = std::make_unique<wchar_t[]>(length + 1);
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, text, units, wide.get(), units) == 0)
        return out;
    return out << wide.get();
}

Orv::String FormatUnitsChange(const Orv::String& a, const Orv::String& b, const Orv::String& c,
                              const Orv::String& d, const Orv::String& e)
{
    Orv::String text(a);
    text += L"->";
    text += b;
    text += L';';
    text += c;
    text += L"->";
    text += d;
    text += L' ';
    text += e;
    return text;
}

std::wostream& WriteExactNumber(std::wostream& out, double value)
{
    char text[32];
    char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr;
    double readBack = 0.0;
    std::from_chars(text, end, readBack);
    if (!(readBack == value))
        end = std::to_chars(text, text + sizeof text, value).ptr;
    return out << std::wstring(text, end);
}
