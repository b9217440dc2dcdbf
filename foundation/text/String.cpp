#include "foundation/text/String.h"

#include "foundation/com/ComPtr.h"
#include "foundation/text/StringRep.h"
#include "foundation/com/XOrv.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <istream>
#include <locale>
#include <new>
#include <vector>

namespace Orv
{

using OrvString::MinimumCapacity;
using OrvString::StringRep;

namespace
{
std::uint32_t ToUnits(std::size_t units)
{
    if (units >= OrvString::MaximumCapacity)
        throw std::bad_alloc();
    return static_cast<std::uint32_t>(units);
}

// Appends grow to one and a half times what they need, so that repeated appends stay amortised.
std::uint32_t GrownCapacity(std::size_t neededUnits)
{
    return ToUnits(static_cast<std::size_t>(1.5 * static_cast<double>(neededUnits)));
}

StringRep* NewRep(const wchar_t* text, std::size_t chars, std::size_t capacity)
{
    return StringRep::Create(text, ToUnits(chars), ToUnits(capacity));
}
} // namespace

String::BstrOutArg::~BstrOutArg() noexcept(false)
{
    m_target->TakeBSTR();
}

void String::BufferWriter::ReleaseBuffer()
{
    if (!m_target)
        return;
    StringRep* rep = m_target->Rep();
    const wchar_t* text = rep->Text();
    const std::size_t chars = std::find(text, text + rep->Capacity(), L'\0') - text;
    rep->SetChars(static_cast<std::uint32_t>(std::min<std::size_t>(chars, rep->Capacity() - 1)));
    rep->Invalidate();
    m_target = nullptr;
}

String::String() : m_text(StringRep::SharedEmpty()->Text()) {}

String::String(const String& other) : m_text(other.m_text)
{
    other.Rep()->AddRef();
}

String::String(const wchar_t* text) : m_text(nullptr)
{
    const std::size_t chars = text ? std::wcslen(text) : 0;
    m_text = chars == 0 ? StringRep::SharedEmpty()->Text() : NewRep(text, chars, chars + 1)->Text();
}

String::String(const char* text) : m_text(nullptr)
{
    InitFromNarrow(text, -1);
}

String::String(const wchar_t* text, int count) : m_text(nullptr)
{
    if (count < 0)
        throw xmsg("Orv::String size too big");
    const std::size_t chars = text ? wcsnlen(text, static_cast<std::size_t>(count)) : 0;
    m_text = chars == 0 ? StringRep::SharedEmpty()->Text() : NewRep(text, chars, chars + 1)->Text();
}

String::String(const std::wstring& text) : m_text(NewRep(text.data(), text.size(), text.size() + 1)->Text()) {}

String::String(std::size_t count, wchar_t ch) : m_text(NewRep(nullptr, 0, count + 1)->Text())
{
    std::fill_n(m_text, count, ch);
    Rep()->SetChars(static_cast<std::uint32_t>(count));
}

String::String(HINSTANCE module, UINT id, bool substituteTokens) : m_text(StringRep::SharedEmpty()->Text())
{
    InitFromResource(module, id, substituteTokens);
}

String::~String()
{
    if (m_text)
        Rep()->Release();
}

String& String::operator=(const String& other)
{
    other.Rep()->AddRef();
    Rep()->Release();
    m_text = other.m_text;
    return *this;
}

String& String::operator=(wchar_t ch)
{
    StringRep* rep = Rep();
    if (!rep->IsUnshared())
    {
        Attach(StringRep::Create(&ch, 1, MinimumCapacity));
        return *this;
    }
    rep->Text()[0] = ch;
    rep->SetChars(1);
    rep->Invalidate();
    return *this;
}

void String::Assign(const wchar_t* text)
{
    *this = String(text);
}

String String::FromInterface(IAutoOrvString* text)
{
    String result;
    if (text && text->GetKind() == OrvStringKindNative)
    {
        auto* rep = static_cast<StringRep*>(static_cast<IOrvString*>(text));
        rep->AddRef();
        result.Attach(rep);
    }
    else
    {
        result.Assign(text);
    }
    return result;
}

void String::Assign(IAutoOrvString* text)
{
    if (!text)
    {
        *this = String();
        return;
    }
    ULONG chars = 0;
    ULONG format = 0;
    HRESULT hr = text->GetLengthAndFormat(&chars, &format);
    if (FAILED(hr))
        throw XOrv(hr);
    const std::uint32_t units = ToUnits(std::size_t{chars} + 1);
    if (format == OrvStringFormatUtf16)
    {
        StringRep* rep = StringRep::Create(std::max(units, MinimumCapacity));
        hr = text->CopyText(static_cast<long>(2 * units), rep->Text());
        if (FAILED(hr))
        {
            rep->Release();
            throw XOrv(hr);
        }
        rep->SetChars(chars);
        Attach(rep);
        return;
    }
    std::vector<char> narrow(units);
    hr = text->CopyText(static_cast<long>(units), narrow.data());
    if (FAILED(hr))
        throw XOrv(hr);
    narrow[chars] = '\0';
    String converted(narrow.data());
    *this = converted;
}

void String::AssignAndRelease(IAutoOrvString* text)
{
    // The caller's reference goes however Assign ends.
    const ComPtr<IAutoOrvString> release = ComPtr<IAutoOrvString>::Adopt(text);
    Assign(text);
}

IOrvString* String::Interface() const
{
    return Rep();
}

String::BstrOutArg String::OutArg()
{
    Rep()->Release();
    m_text = nullptr;
    return BstrOutArg(*this);
}

void String::TakeBSTR()
{
    BSTR bstr = reinterpret_cast<BSTR>(m_text);
    m_text = StringRep::SharedEmpty()->Text();
    const UINT chars = SysStringLen(bstr);
    if (chars > 0)
    {
        // A BSTR that already carries its terminator in its length keeps it as the terminator.
        const std::size_t textChars = bstr[chars - 1] == L'\0' ? chars - 1 : chars;
        try
        {
            Attach(NewRep(bstr, textChars, textChars + 1));
        }
        catch (...)
        {
            SysFreeString(bstr);
            throw;
        }
    }
    SysFreeString(bstr);
}

const char* String::Narrow()
{
    MakeUnique();
    return Rep()->MakeNarrowCopy();
}

std::size_t String::Length() const
{
    return Rep()->Chars();
}

std::size_t String::BufferCapacity() const
{
    return Rep()->Capacity();
}

bool String::IsShared() const
{
    return !Rep()->IsUnshared();
}

void String::Reserve(std::size_t capacity)
{
    capacity = std::max<std::size_t>(capacity, MinimumCapacity);
    StringRep* rep = Rep();
    if (rep->IsUnshared() && rep->Capacity() == capacity)
        return;
    // A capacity below the text cuts the text, keeping its terminator.
    Attach(NewRep(m_text, std::min<std::size_t>(rep->Chars(), capacity - 1), capacity));
}

void String::ResetToCapacity(std::size_t capacity)
{
    Attach(StringRep::Create(ToUnits(std::max<std::size_t>(capacity, MinimumCapacity))));
}

void String::MakeUnique()
{
    StringRep* rep = Rep();
    if (rep->IsUnshared())
        rep->Invalidate();
    else
        Attach(NewRep(m_text, rep->Chars(), rep->Capacity()));
}

void String::Clear()
{
    StringRep* rep = Rep();
    if (!rep->IsUnshared())
    {
        Attach(StringRep::Create(std::max(rep->Capacity(), MinimumCapacity)));
        return;
    }
    rep->FreeNarrowCopy();
    rep->SetChars(0);
}

String& String::operator+=(const String& text)
{
    Append(text.m_text, text.Length());
    return *this;
}

String& String::operator+=(const wchar_t* text)
{
    Append(text, text ? std::wcslen(text) : 0);
    return *this;
}

String& String::operator+=(wchar_t ch)
{
    Append(&ch, 1);
    return *this;
}

void String::Append(const wchar_t* text, std::size_t chars)
{
    StringRep* rep = Rep();
    const std::size_t oldChars = rep->Chars();
    const std::size_t neededUnits = oldChars + chars + 1;
    if (rep->IsUnshared() && neededUnits <= rep->Capacity())
    {
        // The appended text may be part of this very buffer; it lies before the terminator, so the
        // move never overlaps its own destination.
        std::memmove(m_text + oldChars, text, chars * sizeof(wchar_t));
        rep->SetChars(static_cast<std::uint32_t>(oldChars + chars));
        rep->Invalidate();
        return;
    }
    const std::size_t capacity = neededUnits > rep->Capacity() ? GrownCapacity(neededUnits) : rep->Capacity();
    StringRep* grown = NewRep(m_text, oldChars, capacity);
    std::memcpy(grown->Text() + oldChars, text, chars * sizeof(wchar_t));
    grown->SetChars(static_cast<std::uint32_t>(oldChars + chars));
    Attach(grown);
}

void String::EraseRange(std::size_t from, std::size_t to)
{
    if (to <= from)
        return;
    MakeUnique();
    StringRep* rep = Rep();
    const std::size_t chars = rep->Chars();
    if (from >= chars)
        return;
    if (to >= chars)
    {
        rep->SetChars(static_cast<std::uint32_t>(from));
        return;
    }
    std::memmove(m_text + from, m_text + to, (chars - to) * sizeof(wchar_t));
    rep->SetChars(static_cast<std::uint32_t>(chars - (to - from)));
}

void String::Replace(std::size_t pos, std::size_t count, const String& text)
{
    // A position beyond the end appends, as the position at the end does.
    if (pos >= Length())
    {
        *this += text;
        return;
    }
    const String insert(text); // keeps the inserted text intact when it is this string itself
    EraseRange(pos, pos + std::min(count, Length() - pos));
    const std::size_t inserted = insert.Length();
    if (inserted == 0)
        return;
    const std::size_t chars = Length();
    const std::size_t neededUnits = chars + inserted + 1;
    if (neededUnits > BufferCapacity())
        Reserve(neededUnits);
    MakeUnique();
    std::memmove(m_text + pos + inserted, m_text + pos, (chars - pos) * sizeof(wchar_t));
    std::memcpy(m_text + pos, insert.m_text, inserted * sizeof(wchar_t));
    Rep()->SetChars(static_cast<std::uint32_t>(chars + inserted));
}

void String::Erase(std::size_t pos, std::size_t count)
{
    Replace(pos, count, String());
}

String::BufferWriter String::GetBuffer(std::size_t chars)
{
    StringRep* rep = Rep();
    if (rep->IsUnshared() && chars + 1 <= rep->Capacity())
        rep->FreeNarrowCopy();
    else
        Attach(StringRep::Create(ToUnits(std::max<std::size_t>(chars + 1, MinimumCapacity))));
    Rep()->SetChars(0);
    m_text[chars] = L'\0';
    return BufferWriter(*this);
}

void String::SemicolonsToCommas()
{
    MakeUnique();
    std::replace(m_text, m_text + Length(), L';', L',');
}

bool String::operator==(const String& other) const
{
    return m_text == other.m_text ||
           (Length() == other.Length() && std::equal(m_text, m_text + Length(), other.m_text));
}

bool String::operator<(const String& other) const
{
    return std::lexicographical_compare(m_text, m_text + Length(), other.m_text, other.m_text + other.Length());
}

String String::Mid(std::size_t pos, std::size_t count) const
{
    const std::size_t chars = Length();
    if (pos >= chars || count == 0)
        return String();
    String result;
    result.Attach(NewRep(m_text + pos, std::min(count, chars - pos), 0));
    return result;
}

int String::FindLastOf(const wchar_t* chars, std::size_t count) const
{
    if (!chars || count == 0)
        return -1;
    for (std::size_t i = Length(); i-- > 0;)
    {
        if (std::wmemchr(chars, m_text[i], count))
            return static_cast<int>(i);
    }
    return -1;
}

OrvString::StringRep* String::Rep() const
{
    return StringRep::FromText(m_text);
}

void String::Attach(OrvString::StringRep* rep)
{
    wchar_t* old = m_text;
    m_text = rep->Text();
    if (old)
        StringRep::FromText(old)->Release();
}

void String::InitFromNarrow(const char* text, int bytes)
{
    m_text = StringRep::SharedEmpty()->Text();
    if (!text)
        return;
    const int units = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
    if (units <= 1)
        return;
    StringRep* rep = StringRep::Create(std::max(static_cast<std::uint32_t>(units), MinimumCapacity));
    MultiByteToWideChar(CP_ACP, 0, text, bytes, rep->Text(), units);
    rep->SetChars(static_cast<std::uint32_t>(units - 1));
    Attach(rep);
}

std::wistream& operator>>(std::wistream& in, String& text)
{
    text.Clear();
    const std::wistream::sentry ready(in);
    if (!ready)
        return in;
    const auto& types = std::use_facet<std::ctype<wchar_t>>(in.getloc());
    std::wstreambuf* source = in.rdbuf();
    using Traits = std::wstreambuf::traits_type;
    std::size_t read = 0;
    for (;;)
    {
        const Traits::int_type next = source->sgetc();
        if (Traits::eq_int_type(next, Traits::eof()))
        {
            in.setstate(std::ios_base::eofbit);
            break;
        }
        const wchar_t ch = Traits::to_char_type(next);
        if (types.is(std::ctype_base::space, ch))
            break;
        // The word is read into the free room, which doubles while the word goes on.
        if (text.Length() + 1 >= text.BufferCapacity())
            text.Reserve(2 * text.BufferCapacity());
        text.m_text[text.Length()] = ch;
        text.Rep()->SetChars(static_cast<std::uint32_t>(text.Length() + 1));
        source->sbumpc();
        ++read;
    }
    if (read == 0)
        in.setstate(std::ios_base::failbit);
    return in;
}

} // namespace Orv
