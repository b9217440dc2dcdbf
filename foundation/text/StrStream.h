// Reading numbers and words out of a fixed wide text in place, without copying it.
#pragma once

#include <istream>
#include <streambuf>
#include <string>

namespace Orv
{

// The read-only form of a strstream buffer: the get area covers the text up to its NUL; the text is
// neither copied nor freed and nothing can be written.
template <class CharT>
class basic_strstreambuf : public std::basic_streambuf<CharT>
{
public:
    using Base = std::basic_streambuf<CharT>;
    using typename Base::int_type;
    using typename Base::off_type;
    using typename Base::pos_type;
    using typename Base::traits_type;

    enum StateBits : unsigned
    {
        Allocated = 1,
        Constant = 2,
        Dynamic = 4,
        Frozen = 8
    };

    explicit basic_strstreambuf(const CharT* text)
    {
        CharT* begin = const_cast<CharT*>(text ? text : Empty());
        this->setg(begin, begin, begin + traits_type::length(begin));
    }

    unsigned State() const { return Constant; }

protected:
    int_type pbackfail(int_type ch) override
    {
        const bool isEof = traits_type::eq_int_type(ch, traits_type::eof());
        if (this->gptr() == this->eback() ||
            (!isEof && !traits_type::eq(traits_type::to_char_type(ch), this->gptr()[-1])))
            return traits_type::eof();
        this->gbump(-1);
        return traits_type::not_eof(ch);
    }

    pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode which) override
    {
        if (!(which & std::ios_base::in) || (which & std::ios_base::out))
            return pos_type(off_type(-1));
        const off_type size = this->egptr() - this->eback();
        off_type base = 0;
        if (dir == std::ios_base::cur)
            base = this->gptr() - this->eback();
        else if (dir == std::ios_base::end)
            base = size;
        const off_type target = base + offset;
        if (target < 0 || target > size)
            return pos_type(off_type(-1));
        this->setg(this->eback(), this->eback() + target, this->egptr());
        return pos_type(target);
    }

    pos_type seekpos(pos_type position, std::ios_base::openmode which) override
    {
        return seekoff(off_type(position), std::ios_base::beg, which);
    }

private:
    static const CharT* Empty()
    {
        static const CharT empty[1] = {};
        return empty;
    }
};

template <class CharT>
class basic_istrstream : public std::basic_istream<CharT>
{
public:
    explicit basic_istrstream(const CharT* text) : std::basic_istream<CharT>(nullptr), m_buffer(text)
    {
        this->init(&m_buffer);
    }
    basic_istrstream(const basic_istrstream&) = delete;
    basic_istrstream& operator=(const basic_istrstream&) = delete;

    basic_strstreambuf<CharT>* rdbuf() const { return const_cast<basic_strstreambuf<CharT>*>(&m_buffer); }

private:
    basic_strstreambuf<CharT> m_buffer;
};

using wistrstream = basic_istrstream<wchar_t>;

} // namespace Orv
