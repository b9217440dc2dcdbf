// The encodings a recording text arrives in: UTF-8 (with or without its byte order mark) and UTF-16 in
// either byte order, as spreadsheet programs save "Unicode text". UTF-16 is turned into UTF-8 piece by
// piece, so that the reader sees one encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Host
{

enum class TextEncoding
{
    Utf8,
    Utf16LittleEndian,
    Utf16BigEndian,
};

class TextDecoder
{
public:
    TextDecoder(TextEncoding encoding, size_t markLength) : encoding_(encoding), markLength_(markLength) {}

    TextEncoding Encoding() const { return encoding_; }
    bool IsUtf8() const { return encoding_ == TextEncoding::Utf8; }
    // Bytes of the byte order mark at the start of the text.
    size_t MarkLength() const { return markLength_; }

    // Appends the UTF-8 of the next bytes of UTF-16 text; a code unit or pair cut by the end of the
    // piece waits for the next one. Unpaired surrogates become U+FFFD.
    void Decode(std::string_view bytes, std::string& utf8);
    // The end of the text: what still waits is incomplete and becomes U+FFFD.
    void Finish(std::string& utf8);

private:
    void Unit(uint16_t unit, std::string& utf8);

    TextEncoding encoding_;
    size_t markLength_;
    std::string pendingByte_;
    uint16_t highSurrogate_ = 0;
};

// The encoding of a text from its first bytes: a byte order mark, or UTF-16 without one when the first
// character is ASCII with a zero byte beside it.
TextDecoder DetectTextEncoding(std::string_view start);

} // namespace Host
