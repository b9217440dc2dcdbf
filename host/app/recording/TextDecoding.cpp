#include "host/app/recording/TextDecoding.h"

namespace Host
{

namespace
{

constexpr char32_t Replacement = 0xFFFD;

bool IsHighSurrogate(uint16_t unit)
{
    return unit >= 0xD800 && unit < 0xDC00;
}

bool IsLowSurrogate(uint16_t unit)
{
    return unit >= 0xDC00 && unit < 0xE000;
}

void AppendUtf8(char32_t code, std::string& utf8)
{
    if (code < 0x80)
        utf8 += static_cast<char>(code);
    else if (code < 0x800)
    {
        utf8 += static_cast<char>(0xC0 | (code >> 6));
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
    else if (code < 0x10000)
    {
        utf8 += static_cast<char>(0xE0 | (code >> 12));
        utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
    else
    {
        utf8 += static_cast<char>(0xF0 | (code >> 18));
        utf8 += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

void TextDecoder::Unit(uint16_t unit, std::string& utf8)
{
    if (highSurrogate_ != 0)
    {
        const uint16_t high = highSurrogate_;
        highSurrogate_ = 0;
        if (IsLowSurrogate(unit))
        {
            AppendUtf8(0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (unit - 0xDC00), utf8);
            return;
        }
        AppendUtf8(Replacement, utf8);
    }
    if (IsHighSurrogate(unit))
        highSurrogate_ = unit;
    else
        AppendUtf8(IsLowSurrogate(unit) ? Replacement : unit, utf8);
}

void TextDecoder::Decode(std::string_view bytes, std::string& utf8)
{
    utf8.reserve(utf8.size() + bytes.size() / 2 + 4);
    std::string joined;
    if (!pendingByte_.empty() && !bytes.empty())
    {
        joined = pendingByte_ + std::string(bytes);
        bytes = joined;
        pendingByte_.clear();
    }
    const bool little = encoding_ == TextEncoding::Utf16LittleEndian;
    size_t index = 0;
    for (; index + 1 < bytes.size(); index += 2)
    {
        const auto first = static_cast<unsigned char>(bytes[index]);
        const auto second = static_cast<unsigned char>(bytes[index + 1]);
        Unit(static_cast<uint16_t>(little ? first | (second << 8) : (first << 8) | second), utf8);
    }
    pendingByte_.assign(bytes.substr(index));
}

void TextDecoder::Finish(std::string& utf8)
{
    if (highSurrogate_ != 0 || !pendingByte_.empty())
        AppendUtf8(Replacement, utf8);
    highSurrogate_ = 0;
    pendingByte_.clear();
}

TextDecoder DetectTextEncoding(std::string_view start)
{
    if (start.starts_with("\xEF\xBB\xBF"))
        return {TextEncoding::Utf8, 3};
    if (start.starts_with("\xFF\xFE"))
        return {TextEncoding::Utf16LittleEndian, 2};
    if (start.starts_with("\xFE\xFF"))
        return {TextEncoding::Utf16BigEndian, 2};
    if (start.size() >= 2 && start[0] != '\0' && start[1] == '\0')
        return {TextEncoding::Utf16LittleEndian, 0};
    if (start.size() >= 2 && start[0] == '\0' && start[1] != '\0')
        return {TextEncoding::Utf16BigEndian, 0};
    return {TextEncoding::Utf8, 0};
}

} // namespace Host
