#include "foundation/text/StringStream.h"

#include "foundation/text/StringRep.h"

#include <algorithm>
#include <locale>

namespace Orv
{

namespace
{
constexpr std::size_t LargestStreamCapacity = OrvString::MaximumCapacity;
// Output after a take doubles the buffer when fewer than this many units are free.
constexpr std::size_t RoomAfterTake = 8;
} // namespace

String StringStreamBuf::Str()
{
    Finalise();
    return m_text;
}

const wchar_t* StringStreamBuf::c_str()
{
    Finalise();
    return m_text.c_str();
}

void StringStreamBuf::Clear()
{
    m_text.Clear();
    m_buffer = m_text.m_text;
    m_capacity = m_text.BufferCapacity();
    m_highWater = 0;
    m_taken = false;
    setp(m_buffer, m_buffer + m_capacity - 1);
    if (m_mode & ModeInput)
        setg(m_buffer, m_buffer, m_buffer);
}

std::wstring_view StringStreamBuf::Written() const
{
    return m_buffer ? std::wstring_view(m_buffer, WrittenEnd()) : std::wstring_view();
}

wchar_t* StringStreamBuf::GetBuffer(std::size_t& capacity, std::size_t& used)
{
    m_text.Reserve(m_text.BufferCapacity());
    capacity = m_text.BufferCapacity();
    used = m_text.Length();
    return m_text.m_text;
}

wchar_t* StringStreamBuf::Grow(std::size_t newCapacity, std::size_t& capacity)
{
    m_text.Rep()->SetChars(static_cast<std::uint32_t>(WrittenEnd()));
    m_text.Reserve(newCapacity);
    capacity = m_text.BufferCapacity();
    return m_text.m_text;
}

void StringStreamBuf::Start()
{
    std::size_t used = 0;
    m_buffer = GetBuffer(m_capacity, used);
    m_highWater = used;
    // The last unit stays free for the terminator that a take writes.
    setp(m_buffer, m_buffer + m_capacity - 1);
    pbump(static_cast<int>(used));
    if (m_mode & ModeInput)
        setg(m_buffer, m_buffer, m_buffer);
}

void StringStreamBuf::GrowTo(std::size_t capacity)
{
    m_highWater = WrittenEnd();
    std::size_t granted = 0;
    wchar_t* buffer = Grow(capacity, granted);
    Rebase(buffer, granted);
}

void StringStreamBuf::Rebase(wchar_t* buffer, std::size_t capacity)
{
    const std::size_t put = PutOffset();
    const std::size_t get = gptr() ? static_cast<std::size_t>(gptr() - m_buffer) : 0;
    const std::size_t getEnd = egptr() ? static_cast<std::size_t>(egptr() - m_buffer) : 0;
    m_buffer = buffer;
    m_capacity = capacity;
    setp(m_buffer, m_buffer + m_capacity - 1);
    pbump(static_cast<int>(put));
    if (m_mode & ModeInput)
        setg(m_buffer, m_buffer + get, m_buffer + getEnd);
}

std::size_t StringStreamBuf::WrittenEnd() const
{
    return std::max(m_highWater, PutOffset());
}

void StringStreamBuf::Finalise()
{
    if (m_taken || !m_buffer)
    {
        m_taken = true;
        return;
    }
    std::size_t chars = WrittenEnd();
    if (chars > 0 && m_buffer[chars - 1] == L'\0')
        --chars;
    m_text.Rep()->SetChars(static_cast<std::uint32_t>(chars));
    // Closing the put area sends the next output through overflow, which unshares the text first.
    // The terminator is not part of the written text: further output overwrites it.
    m_highWater = chars;
    wchar_t* put = m_buffer + std::min(PutOffset(), chars);
    setp(put, put);
    m_taken = true;
}

StringStreamBuf::int_type StringStreamBuf::overflow(int_type ch)
{
    if (traits_type::eq_int_type(ch, traits_type::eof()))
        return traits_type::not_eof(ch);
    if (!(m_mode & ModeOutput))
        return traits_type::eof();
    if (!m_buffer)
        Start();
    if (m_taken)
    {
        const std::size_t used = PutOffset();
        GrowTo(used + RoomAfterTake > m_capacity ? 2 * m_capacity : m_capacity);
        m_taken = false;
    }
    if (pptr() == epptr())
    {
        const std::size_t used = PutOffset();
        const std::size_t capacity = std::max(std::min(2 * used, LargestStreamCapacity), m_capacity + 1);
        if (capacity > LargestStreamCapacity)
            return traits_type::eof();
        GrowTo(capacity);
    }
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
    return ch;
}

StringStreamBuf::int_type StringStreamBuf::underflow()
{
    if (!(m_mode & ModeInput) || !m_buffer)
        return traits_type::eof();
    setg(eback(), gptr(), m_buffer + WrittenEnd());
    return gptr() < egptr() ? traits_type::to_int_type(*gptr()) : traits_type::eof();
}

StringStreamBuf::int_type StringStreamBuf::pbackfail(int_type ch)
{
    if (!gptr() || gptr() == eback())
        return traits_type::eof();
    const bool isEof = traits_type::eq_int_type(ch, traits_type::eof());
    if (!isEof && !traits_type::eq(traits_type::to_char_type(ch), gptr()[-1]))
        return traits_type::eof();
    gbump(-1);
    return traits_type::not_eof(ch);
}

StringStreamBuf::pos_type StringStreamBuf::seekoff(off_type offset, std::ios_base::seekdir dir,
                                                   std::ios_base::openmode which)
{
    const pos_type failed(off_type(-1));
    const bool out = (which & std::ios_base::out) && (m_mode & ModeOutput);
    const bool in = (which & std::ios_base::in) && (m_mode & ModeInput);
    if ((!out && !in) || (out && in && dir == std::ios_base::cur))
        return failed;
    if (!m_buffer)
        Start();
    if (m_taken)
    {
        GrowTo(m_capacity);
        m_taken = false;
    }
    const std::size_t end = WrittenEnd();
    off_type base = 0;
    if (dir == std::ios_base::cur)
        base = static_cast<off_type>(out ? PutOffset() : static_cast<std::size_t>(gptr() - m_buffer));
    else if (dir == std::ios_base::end)
        base = static_cast<off_type>(end);
    const off_type target = base + offset;
    if (target < 0 || target > static_cast<off_type>(end))
        return failed;
    if (out)
    {
        m_highWater = end;
        setp(m_buffer, m_buffer + m_capacity - 1);
        pbump(static_cast<int>(target));
    }
    if (in)
        setg(m_buffer, m_buffer + target, m_buffer + end);
    return pos_type(target);
}

StringStreamBuf::pos_type StringStreamBuf::seekpos(pos_type position, std::ios_base::openmode which)
{
    return seekoff(off_type(position), std::ios_base::beg, which);
}

ClassicStream::ClassicStream()
{
    imbue(std::locale::classic());
}

} // namespace Orv
