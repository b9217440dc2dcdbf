// Wide text streams that write straight into an Orv::String's buffer and hand the text out without
// copying it.
#pragma once

#include "foundation/text/String.h"

#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string_view>

namespace Orv
{

// A stream buffer over memory that it can ask for and grow.
class MemStreamBufBase : public std::wstreambuf
{
protected:
    // The buffer, its capacity and the units already in use.
    virtual wchar_t* GetBuffer(std::size_t& capacity, std::size_t& used) = 0;
    // Moves the written units into a buffer of the new capacity and returns it.
    virtual wchar_t* Grow(std::size_t newCapacity, std::size_t& capacity) = 0;
    virtual void Reserved() {}
};

class StringStreamBuf : public MemStreamBufBase
{
public:
    static constexpr std::uint32_t ModeInput = 1;
    static constexpr std::uint32_t ModeOutput = 2;

    explicit StringStreamBuf(std::uint32_t mode = ModeInput | ModeOutput) : m_mode(mode) {}

    // The text written so far, sharing the buffer; later output goes to a copy.
    String Str();
    const wchar_t* c_str();
    // Empties the text keeping its capacity.
    void Clear();
    // The units written so far, terminator excluded; valid until the next output.
    std::wstring_view Written() const;

protected:
    int_type overflow(int_type ch) override;
    int_type pbackfail(int_type ch) override;
    int_type underflow() override;
    pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode which) override;
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override;
    wchar_t* GetBuffer(std::size_t& capacity, std::size_t& used) override;
    wchar_t* Grow(std::size_t newCapacity, std::size_t& capacity) override;

private:
    void Start();
    void GrowTo(std::size_t capacity);
    // Points both areas into a new buffer at the same offsets.
    void Rebase(wchar_t* buffer, std::size_t capacity);
    void Finalise();
    std::size_t PutOffset() const { return static_cast<std::size_t>(pptr() - m_buffer); }
    std::size_t WrittenEnd() const;

    std::uint32_t m_mode;
    String m_text;
    bool m_taken = false;
    wchar_t* m_buffer = nullptr;
    std::size_t m_capacity = 0;
    // The furthest the put position has been, so that seeking back keeps what lies beyond.
    std::size_t m_highWater = 0;
};

class OStringStream : public std::wostream
{
public:
    OStringStream() : std::wostream(nullptr) { init(&m_buffer); }
    OStringStream(const OStringStream&) = delete;
    OStringStream& operator=(const OStringStream&) = delete;

    String Str() { return m_buffer.Str(); }
    const wchar_t* c_str() { return m_buffer.c_str(); }
    void Clear() { m_buffer.Clear(); }
    std::wstring_view Written() const { return m_buffer.Written(); }

private:
    StringStreamBuf m_buffer;
};

// Number text that does not depend on the user's locale: calculation texts, automation arguments,
// persisted texts.
class ClassicStream : public OStringStream
{
public:
    ClassicStream();
};

namespace Automation
{
using ClassicOStringStream = ClassicStream;
}

} // namespace Orv
