#include "foundation/streams/BinaryStream.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/XOrv.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

static_assert(std::endian::native == std::endian::little, "the record format is the machine's byte order");
static_assert(sizeof(wchar_t) == 2, "strings are stored as UTF-16 units");

namespace Orv
{

namespace
{
constexpr std::streamoff HeaderSize = 4;

[[noreturn]] void ThrowDamagedString()
{
    throw XOrv(E_ORV_DAMAGED_STRING);
}
} // namespace

BinStream::BinStream(std::streambuf* buffer, bool ownsBuffer)
    : buffer_(buffer), state_(buffer ? StateGood : StateNoBuffer), ownsBuffer_(ownsBuffer)
{
}

BinStream::~BinStream()
{
    if (ownsBuffer_)
        delete buffer_;
}

void BinStream::Fail(std::uint32_t state)
{
    if (state_ == StateGood)
        state_ = state;
}

std::int64_t BinStream::Position(std::ios_base::openmode side)
{
    if (!IsGood())
        return -1;
    const std::streamoff position = buffer_->pubseekoff(0, std::ios_base::cur, side);
    if (position < 0)
        Fail(StateShortTransfer);
    return position < 0 ? -1 : static_cast<std::int64_t>(position);
}

// ---- writer ----

BinOStream::BinOStream(std::streambuf* buffer, bool ownsBuffer) : BinStreamInterface(buffer, ownsBuffer)
{
}

BinOStream::~BinOStream() = default;

HRESULT STDMETHODCALLTYPE BinOStream::Seek(ULONG position)
{
    if (IsGood() && Buffer()->pubseekpos(position, std::ios_base::out) < 0)
        Fail(StateShortTransfer);
    return Result();
}

void BinOStream::Put(const void* data, std::size_t n)
{
    if (!IsGood() || n == 0)
        return;
    const auto size = static_cast<std::streamsize>(n);
    if (Buffer()->sputn(static_cast<const char*>(data), size) != size)
        Fail(StateShortTransfer);
}

HRESULT STDMETHODCALLTYPE BinOStream::WriteBytes(const void* data, ULONG n)
{
    if (n > 0 && !data)
        return E_POINTER;
    Put(data, n);
    return Result();
}

HRESULT STDMETHODCALLTYPE BinOStream::WriteInt64(ULONG low, ULONG high)
{
    WriteU32(low);
    WriteU32(high);
    return Result();
}

HRESULT STDMETHODCALLTYPE BinOStream::WriteString(IAutoOrvString* text)
{
    return CatchReturn([&] {
        WriteString(String::FromInterface(text));
        return Result();
    });
}

HRESULT STDMETHODCALLTYPE BinOStream::Flush()
{
    if (IsGood() && Buffer()->pubsync() != 0)
        Fail(StateNoBuffer);
    return Result();
}

HRESULT STDMETHODCALLTYPE BinOStream::Close()
{
    if (IsGood() && Buffer()->pubseekpos(0, std::ios_base::out) < 0)
        Fail(StateShortTransfer);
    ReleaseAttached();
    return Result();
}

void BinOStream::WriteU32(std::uint32_t value)
{
    Put(&value, sizeof value);
}

void BinOStream::WriteString(const String& text)
{
    const auto units = static_cast<std::uint32_t>(text.Length() + 1);
    WriteU32(StringFlagsWritten);
    WriteU32(units);
    WriteU32(0u - units);
    Put(text.c_str(), std::size_t{units} * sizeof(wchar_t));
}

#define ORV_RESERVED_SLOT(Class, Slot)                                                                 \
    HRESULT STDMETHODCALLTYPE Class::Slot()                                                            \
    {                                                                                                  \
        return E_NOTIMPL;                                                                              \
    }
ORV_RESERVED_SLOT(BinOStream, Reserved6)
ORV_RESERVED_SLOT(BinOStream, Reserved13)
ORV_RESERVED_SLOT(BinOStream, Reserved14)
ORV_RESERVED_SLOT(BinOStream, Reserved15)
ORV_RESERVED_SLOT(BinOStream, Reserved16)
ORV_RESERVED_SLOT(BinOStream, Reserved17)
ORV_RESERVED_SLOT(BinOStream, Reserved18)
ORV_RESERVED_SLOT(BinIStream, Reserved5)
ORV_RESERVED_SLOT(BinIStream, Reserved12)
ORV_RESERVED_SLOT(BinIStream, Reserved13)
ORV_RESERVED_SLOT(BinIStream, Reserved14)
ORV_RESERVED_SLOT(BinIStream, Reserved15)
ORV_RESERVED_SLOT(BinIStream, Reserved16)
ORV_RESERVED_SLOT(BinIStream, Reserved17)
#undef ORV_RESERVED_SLOT

// ---- reader ----

BinIStream::BinIStream(std::streambuf* buffer, bool ownsBuffer) : BinStreamInterface(buffer, ownsBuffer)
{
}

BinIStream::~BinIStream() = default;

bool BinIStream::Get(void* data, std::size_t n)
{
    if (!IsGood())
        return false;
    const auto size = static_cast<std::streamsize>(n);
    if (Buffer()->sgetn(static_cast<char*>(data), size) == size)
        return true;
    Fail(StateShortTransfer);
    return false;
}

HRESULT STDMETHODCALLTYPE BinIStream::ReadByte(BYTE* value)
{
    if (!value)
        return E_POINTER;
    constexpr BYTE PastTheEnd = 0xFF;
    constexpr BYTE AfterFailure = 0;
    const bool wasGood = IsGood();
    if (!Get(value, 1))
        *value = wasGood ? PastTheEnd : AfterFailure;
    return Result();
}

HRESULT STDMETHODCALLTYPE BinIStream::ReadULongDefault(ULONG* value, ULONG fallback)
{
    if (!value)
        return E_POINTER;
    ULONG read = 0;
    *value = Get(&read, sizeof read) ? read : fallback;
    return Result();
}

HRESULT STDMETHODCALLTYPE BinIStream::ReadBytes(void* data, ULONG n)
{
    if (n > 0 && !data)
        return E_POINTER;
    if (n > 0)
        Get(data, n);
    return Result();
}

HRESULT STDMETHODCALLTYPE BinIStream::ReadString(IAutoOrvString** text)
{
    if (!text)
        return E_POINTER;
    *text = nullptr;
    return CatchReturn([&] {
        String read;
        ReadString(read);
        if (IsGood())
        {
            *text = read.Interface();
            (*text)->AddRef();
        }
        return Result();
    });
}

HRESULT STDMETHODCALLTYPE BinIStream::GetVersion(ULONG* version)
{
    if (!version)
        return E_POINTER;
    *version = version_;
    return Result();
}

std::uint32_t BinIStream::ReadU32()
{
    std::uint32_t value = 0;
    return Get(&value, sizeof value) ? value : 0;
}

void BinIStream::ReadHeader()
{
    if (!IsGood())
    {
        version_ = 0;
        return;
    }
    std::uint32_t word = 0;
    const bool read = Get(&word, sizeof word);
    if (read && (word & BinaryHeaderMask) == BinaryHeaderSignature)
    {
        version_ = (word >> 16) & 0xFF;
        return;
    }
    version_ = HeaderlessFormatVersion;
    if (read && Buffer()->pubseekoff(-HeaderSize, std::ios_base::cur, std::ios_base::in) < 0)
        Fail(StateShortTransfer);
}

std::optional<std::uint64_t> BinIStream::RemainingBytes()
{
    const std::int64_t here = Position();
    if (here < 0)
        return std::nullopt;
    const std::streamoff end = Buffer()->pubseekoff(0, std::ios_base::end, std::ios_base::in);
    if (end < 0 || Buffer()->pubseekpos(here, std::ios_base::in) != here)
    {
        Fail(StateShortTransfer);
        return std::nullopt;
    }
    return end > here ? static_cast<std::uint64_t>(end - here) : 0;
}

template <class Unit>
bool BinIStream::ReadUnits(std::basic_string<Unit>& read, std::uint64_t count)
{
    // A length is trusted only as far as the stream delivers units for it: the text grows by what has
    // arrived (doubling from a small first piece), so a damaged length costs no more memory than the
    // stream holds, and nothing has to measure the stream, which may not be able to seek.
    constexpr std::uint64_t FirstPieceBytes = 64;
    read.clear();
    while (read.size() < count)
    {
        const std::size_t done = read.size();
        const std::uint64_t piece =
            std::min<std::uint64_t>(count - done, std::max<std::uint64_t>(FirstPieceBytes / sizeof(Unit), done));
        read.resize(done + static_cast<std::size_t>(piece));
        if (!Get(read.data() + done, static_cast<std::size_t>(piece) * sizeof(Unit)))
            return false;
    }
    return true;
}

void BinIStream::ReadString(String& text)
{
    std::uint32_t flags = 0;
    std::uint32_t length = 0;
    if (version_ >= FirstCheckedStringVersion)
    {
        flags = ReadU32();
        length = ReadU32();
        const std::uint32_t check = ReadU32();
        if (length + check != 0)
            ThrowDamagedString();
    }
    else
    {
        length = ReadU32();
        if (length > OldStringMaxBytes)
            ThrowDamagedString();
    }
    if (!IsGood())
    {
        text.Clear();
        return;
    }
    if ((flags & StringFlagUtf16) != 0)
        ReadUtf16Text(length, text);
    else
        ReadAnsiText(length, text);
}

void BinIStream::ReadUtf16Text(std::uint32_t units, String& text)
{
    std::wstring read;
    if (!ReadUnits(read, units))
        ThrowDamagedString();
    // The terminator is usually among the units; a text written without one is taken whole.
    if (!read.empty() && read.back() == L'\0')
        read.pop_back();
    text = read.empty() ? String() : String(read);
}

void BinIStream::ReadAnsiText(std::uint32_t bytes, String& text)
{
    std::string read;
    if (!ReadUnits(read, bytes))
        ThrowDamagedString();
    text = String(read.c_str());
}

} // namespace Orv
