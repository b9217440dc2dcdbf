// Binary record streams: every persisted record is the sequence of little-endian values its writer
// wrote, read back in the same order. A stream over a COM stream begins with the header word
// 0x55vvAAAA, vv being the format version; strings have a versioned layout.
//
// Error discipline: the first failed transfer or position query sets a sticky state and every later
// operation does nothing. A record reader reads all its values and checks the state once at the end.
#pragma once

#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"
#include "hostapi/BinaryStreams.h"


#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <streambuf>

namespace Orv
{

// Header word and string layout.
constexpr std::uint32_t BinaryHeaderWord = 0x5515AAAA; // format version 21, the one written
constexpr std::uint32_t BinaryHeaderMask = 0xFF00FFFF;
constexpr std::uint32_t BinaryHeaderSignature = 0x5500AAAA;
constexpr std::uint32_t BinaryFormatVersion = 21;
constexpr std::uint32_t HeaderlessFormatVersion = 1;
constexpr std::uint32_t FirstCheckedStringVersion = 10;  // strings carry flags, length and check word
constexpr std::uint32_t StringFlagsWritten = 0x80000001; // UTF-16 units
constexpr std::uint32_t StringFlagUtf16 = 0x80000000;
constexpr std::uint32_t OldStringMaxBytes = 64000;       // the bound of the versions before 10

class BinStream
{
public:
    static constexpr std::uint32_t StateGood = 0;
    static constexpr std::uint32_t StateShortTransfer = 2; // a transfer, seek or position query fell short
    static constexpr std::uint32_t StateNoBuffer = 4;      // no stream buffer, or flushing it failed

    BinStream(const BinStream&) = delete;
    BinStream& operator=(const BinStream&) = delete;

    std::uint32_t State() const { return state_; }
    bool IsGood() const { return state_ == StateGood; }

protected:
    BinStream(std::streambuf* buffer, bool ownsBuffer);
    ~BinStream();

    std::streambuf* Buffer() const { return buffer_; }
    void Fail(std::uint32_t state);
    HRESULT Result() const { return IsGood() ? S_OK : E_FAIL; }
    // The full-width position, or -1 (and a bad state) when the buffer cannot tell it.
    std::int64_t Position(std::ios_base::openmode side);
    // Ties another object's life to the stream's; released by the stream.
    void AttachObject(IUnknown* object) { attached_ = ComPtr<IUnknown>(object); }
    void ReleaseAttached() { attached_.Reset(); }

private:
    std::streambuf* buffer_;
    std::uint32_t state_;
    bool ownsBuffer_;
    ComPtr<IUnknown> attached_;
};

// What reader and writer answer alike through their interfaces. The stream objects are not reference
// counted: their owner creates and destroys them.
template <class Interface, std::ios_base::openmode Side>
class BinStreamInterface : public Interface, public BinStream
{
public:
    static constexpr ULONG NotRefCounted = 1;
    static constexpr ULONG UnknownPosition = 0xFFFFFFFF;

    virtual ~BinStreamInterface() = default;

    using BinStream::AttachObject;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        if (object)
            *object = nullptr;
        return E_NOTIMPL;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return NotRefCounted; }
    ULONG STDMETHODCALLTYPE Release() override { return NotRefCounted; }
    HRESULT STDMETHODCALLTYPE GetStatus() override { return Result(); }
    // The low 32 bits of the position; all ones once the stream is bad.
    HRESULT STDMETHODCALLTYPE Tell(ULONG* position) override
    {
        if (!position)
            return E_POINTER;
        const std::int64_t full = Position();
        *position = full < 0 ? UnknownPosition : static_cast<ULONG>(full);
        return Result();
    }

    // The full-width position, or -1.
    std::int64_t Position() { return BinStream::Position(Side); }

protected:
    using BinStream::BinStream;
};

class BinOStream : public BinStreamInterface<IBinOutStream, std::ios_base::out>
{
public:
    // A stream over the buffer; a null buffer gives a stream that is bad from the start.
    explicit BinOStream(std::streambuf* buffer, bool ownsBuffer = false);
    ~BinOStream() override;

    HRESULT STDMETHODCALLTYPE Seek(ULONG position) override;
    HRESULT STDMETHODCALLTYPE Reserved6() override;
    HRESULT STDMETHODCALLTYPE WriteByte(BYTE value) override { return PutValue(value); }
    HRESULT STDMETHODCALLTYPE WriteShort(short value) override { return PutValue(value); }
    HRESULT STDMETHODCALLTYPE WriteLong(long value) override { return PutValue(value); }
    HRESULT STDMETHODCALLTYPE WriteULong(ULONG value) override { return PutValue(value); }
    HRESULT STDMETHODCALLTYPE WriteDouble(double value) override { return PutValue(value); }
    HRESULT STDMETHODCALLTYPE WriteBytes(const void* data, ULONG n) override;
    HRESULT STDMETHODCALLTYPE Reserved13() override;
    HRESULT STDMETHODCALLTYPE Reserved14() override;
    HRESULT STDMETHODCALLTYPE Reserved15() override;
    HRESULT STDMETHODCALLTYPE Reserved16() override;
    HRESULT STDMETHODCALLTYPE Reserved17() override;
    HRESULT STDMETHODCALLTYPE Reserved18() override;
    HRESULT STDMETHODCALLTYPE WriteString(IAutoOrvString* text) override;
    HRESULT STDMETHODCALLTYPE WriteInt64(ULONG low, ULONG high) override;
    HRESULT STDMETHODCALLTYPE Flush() override;
    // Positions the output at the start of the buffer and releases the attached object.
    HRESULT STDMETHODCALLTYPE Close() override;

    void WriteU32(std::uint32_t value);
    void WriteInt32(std::int32_t value) { WriteU32(static_cast<std::uint32_t>(value)); }
    // Flags, length with terminator N, -N, then the N UTF-16 units.
    void WriteString(const String& text);

protected:
    void Put(const void* data, std::size_t n);

private:
    template <class T>
    HRESULT PutValue(T value)
    {
        static_assert(sizeof(T) <= 8 && sizeof(long) == 4, "values are 1, 2, 4 or 8 bytes on disk");
        Put(&value, sizeof value);
        return Result();
    }
};

class BinIStream : public BinStreamInterface<IBinInStream, std::ios_base::in>
{
public:
    // A reader over the buffer. Without a header read it expects the layout the writer writes today.
    explicit BinIStream(std::streambuf* buffer, bool ownsBuffer = false);
    ~BinIStream() override;

    HRESULT STDMETHODCALLTYPE Reserved5() override;
    HRESULT STDMETHODCALLTYPE ReadByte(BYTE* value) override;
    HRESULT STDMETHODCALLTYPE ReadShort(void* value) override { return ReadFixed<2>(value); }
    HRESULT STDMETHODCALLTYPE ReadLong(void* value) override { return ReadFixed<4>(value); }
    HRESULT STDMETHODCALLTYPE ReadULongDefault(ULONG* value, ULONG fallback) override;
    HRESULT STDMETHODCALLTYPE ReadDouble(double* value) override { return ReadFixed<sizeof(double)>(value); }
    HRESULT STDMETHODCALLTYPE ReadBytes(void* data, ULONG n) override;
    HRESULT STDMETHODCALLTYPE Reserved12() override;
    HRESULT STDMETHODCALLTYPE Reserved13() override;
    HRESULT STDMETHODCALLTYPE Reserved14() override;
    HRESULT STDMETHODCALLTYPE Reserved15() override;
    HRESULT STDMETHODCALLTYPE Reserved16() override;
    HRESULT STDMETHODCALLTYPE Reserved17() override;
    HRESULT STDMETHODCALLTYPE ReadString(IAutoOrvString** text) override;
    HRESULT STDMETHODCALLTYPE GetVersion(ULONG* version) override;
    HRESULT STDMETHODCALLTYPE ReadUShort(void* value) override { return ReadFixed<2>(value); }
    HRESULT STDMETHODCALLTYPE ReadULong(void* value) override { return ReadFixed<4>(value); }
    HRESULT STDMETHODCALLTYPE ReadInt64(void* value) override { return ReadFixed<8>(value); }
    HRESULT STDMETHODCALLTYPE ReadUInt64(void* value) override { return ReadFixed<8>(value); }

    // 0 without reading once the state is bad; a short read sets the state.
    std::uint32_t ReadU32();
    std::int32_t ReadInt32() { return static_cast<std::int32_t>(ReadU32()); }
    // Takes the format version from a header word, or, when there is none, steps back so that the
    // first four bytes are read again as data (version 1).
    void ReadHeader();
    // Any version's layout. A damaged string (bad check word, old length above 64000, a length beyond
    // the bytes that remain) throws XOrv 0xA0048203; a failed stream leaves the string empty.
    void ReadString(String& text);
    std::uint32_t Version() const { return version_; }
    // The bytes between the read position and the end, so that a count read from a record can be checked
    // before anything is allocated for it; none (and a bad state) when the buffer cannot tell.
    std::optional<std::uint64_t> RemainingBytes();

protected:
    // Reads n bytes into data; false (and a bad state) when fewer arrived.
    bool Get(void* data, std::size_t n);

private:
    // A fixed-size value reaches the caller's variable only when all its bytes arrived.
    template <std::size_t N>
    HRESULT ReadFixed(void* value)
    {
        if (!value)
            return E_POINTER;
        unsigned char bytes[N];
        if (Get(bytes, N))
            std::memcpy(value, bytes, N);
        return Result();
    }
    // Reads count units into read; false (and a bad state) when the stream ends first.
    template <class Unit>
    bool ReadUnits(std::basic_string<Unit>& read, std::uint64_t count);
    void ReadUtf16Text(std::uint32_t units, String& text);
    void ReadAnsiText(std::uint32_t bytes, String& text);

    std::uint32_t version_ = BinaryFormatVersion;
};

} // namespace Orv
