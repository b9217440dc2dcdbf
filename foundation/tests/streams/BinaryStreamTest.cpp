#include "foundation/streams/BinaryStream.h"
#include "foundation/com/XOrv.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;
using Orv::BinIStream;
using Orv::BinOStream;
using Orv::String;

Bytes Word(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes joined;
    for (const Bytes& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

std::wstring Text(const String& text)
{
    return std::wstring(text.c_str(), text.Length());
}

// A writer over memory, and a reader over given bytes.
struct MemoryWriter
{
    std::stringbuf buffer{std::ios_base::out | std::ios_base::binary};
    BinOStream stream{&buffer};
    Bytes Written() const
    {
        const std::string s = buffer.str();
        return Bytes(s.begin(), s.end());
    }
};

struct MemoryReader
{
    explicit MemoryReader(const Bytes& bytes)
        : buffer(std::string(bytes.begin(), bytes.end()), std::ios_base::in | std::ios_base::binary)
    {
    }
    std::stringbuf buffer;
    BinIStream stream{&buffer};
};

// The string's own bytes: 12 + 2N, N counting the terminator.
const Bytes AbcGolden = {0x01, 0x00, 0x00, 0x80, 0x04, 0x00, 0x00, 0x00, 0xFC, 0xFF, 0xFF, 0xFF,
                         0x61, 0x00, 0x62, 0x00, 0x63, 0x00, 0x00, 0x00};
const Bytes EmptyGolden = {0x01, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00};

HRESULT CodeOfStringRead(MemoryReader& reader)
{
    try
    {
        String text;
        reader.stream.ReadString(text);
        return S_OK;
    }
    catch (const XOrv& error)
    {
        return error.Code();
    }
}

TEST(BinaryFormat, StringsHaveTheCheckedUtf16Layout)
{
    MemoryWriter writer;
    writer.stream.WriteString(String(L"abc"));
    writer.stream.WriteString(String());
    ASSERT_EQ(20u + 14u, writer.Written().size());
    EXPECT_EQ(Join({AbcGolden, EmptyGolden}), writer.Written());
}

TEST(BinaryFormat, HostStringsAreWrittenLikeOwnStrings)
{
    MemoryWriter writer;
    const String abc(L"abc");
    EXPECT_EQ(S_OK, writer.stream.WriteString(abc.Interface()));
    EXPECT_EQ(AbcGolden, writer.Written());
}

TEST(BinaryFormat, ValuesAreLittleEndianWithoutGaps)
{
    MemoryWriter writer;
    BinOStream& out = writer.stream;
    out.WriteByte(0x7F);
    out.WriteShort(static_cast<short>(0x1234));
    out.WriteLong(-2);
    out.WriteULong(0xA1B2C3D4);
    out.WriteInt64(0x11223344, 0x55667788);
    out.WriteDouble(1.0);
    out.WriteBytes("xy", 2);
    out.WriteBytes(nullptr, 0);
    EXPECT_EQ((Bytes{0x7F, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0xD4, 0xC3, 0xB2, 0xA1, 0x44, 0x33,
                     0x22, 0x11, 0x88, 0x77, 0x66, 0x55, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 'x', 'y'}),
              writer.Written());
    EXPECT_EQ(S_OK, out.GetStatus());
}

TEST(BinaryFormat, EveryValueSlotOfTheHostInterfaceReadsWhatItsWriterWrote)
{
    MemoryWriter writer;
    IBinOutStream& out = writer.stream;
    out.WriteByte(0x7F);
    out.WriteShort(-2);
    out.WriteLong(-300000);
    out.WriteULong(0xA1B2C3D4);
    out.WriteDouble(-0.125);
    out.WriteBytes("xyz", 3);
    out.WriteInt64(0x11223344, 0x85667788);
    out.WriteShort(0x1234);
    out.WriteLong(77);
    out.WriteInt64(1, 2);
    ASSERT_EQ(S_OK, out.GetStatus());

    MemoryReader reader(writer.Written());
    IBinInStream& in = reader.stream;
    BYTE byte = 0;
    short shortValue = 0;
    long longValue = 0;
    ULONG ulongValue = 0;
    double doubleValue = 0;
    char bytes[3] = {};
    std::int64_t int64Value = 0;
    unsigned short ushortValue = 0;
    ULONG ulongAgain = 0;
    std::uint64_t uint64Value = 0;
    EXPECT_EQ(S_OK, in.ReadByte(&byte));
    EXPECT_EQ(S_OK, in.ReadShort(&shortValue));
    EXPECT_EQ(S_OK, in.ReadLong(&longValue));
    EXPECT_EQ(S_OK, in.ReadULongDefault(&ulongValue, 5));
    EXPECT_EQ(S_OK, in.ReadDouble(&doubleValue));
    EXPECT_EQ(S_OK, in.ReadBytes(bytes, 3));
    EXPECT_EQ(S_OK, in.ReadInt64(&int64Value));
    EXPECT_EQ(S_OK, in.ReadUShort(&ushortValue));
    EXPECT_EQ(S_OK, in.ReadULong(&ulongAgain));
    EXPECT_EQ(S_OK, in.ReadUInt64(&uint64Value));
    EXPECT_EQ(0x7F, byte);
    EXPECT_EQ(-2, shortValue);
    EXPECT_EQ(-300000, longValue);
    EXPECT_EQ(0xA1B2C3D4u, ulongValue);
    EXPECT_EQ(-0.125, doubleValue);
    EXPECT_EQ("xyz", std::string(bytes, 3));
    EXPECT_EQ(static_cast<std::int64_t>(0x8566778811223344ull), int64Value);
    EXPECT_EQ(0x1234, ushortValue);
    EXPECT_EQ(77u, ulongAgain);
    EXPECT_EQ(0x0000000200000001ull, uint64Value);

    // Past the end every slot fails; the default slot then hands back its fallback.
    EXPECT_EQ(E_FAIL, in.ReadULongDefault(&ulongValue, 5));
    EXPECT_EQ(5u, ulongValue);
    ULONG position = 0;
    EXPECT_EQ(E_FAIL, in.Tell(&position));
    EXPECT_EQ(0xFFFFFFFFu, position);
}

TEST(BinaryFormat, ValuesReadBackInWriteOrder)
{
    MemoryWriter writer;
    writer.stream.WriteU32(42);
    writer.stream.WriteString(String(L"Pressure"));
    writer.stream.WriteDouble(-3.25);
    writer.stream.WriteInt32(-7);

    MemoryReader reader(writer.Written());
    BinIStream& in = reader.stream;
    EXPECT_EQ(42u, in.ReadU32());
    String text;
    in.ReadString(text);
    EXPECT_EQ(L"Pressure", Text(text));
    double value = 0;
    EXPECT_EQ(S_OK, in.ReadDouble(&value));
    EXPECT_EQ(-3.25, value);
    EXPECT_EQ(-7, in.ReadInt32());
    EXPECT_TRUE(in.IsGood());
}

TEST(BinaryHeader, VersionComesFromTheHeaderWord)
{
    for (const auto& [word, version] : {std::pair{0x550AAAAAu, 10u}, {0x5509AAAAu, 9u}, {0x5515AAAAu, 21u}})
    {
        MemoryReader reader(Word(word));
        reader.stream.ReadHeader();
        ULONG found = 0;
        EXPECT_EQ(S_OK, reader.stream.GetVersion(&found));
        EXPECT_EQ(version, found);
    }
}

TEST(BinaryHeader, DataWithoutHeaderIsVersionOneAndReadFromItsStart)
{
    MemoryReader reader({0x10, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00});
    reader.stream.ReadHeader();
    EXPECT_EQ(1u, reader.stream.Version());
    EXPECT_EQ(16u, reader.stream.ReadU32());
    EXPECT_EQ(5u, reader.stream.ReadU32());
}

TEST(BinaryHeader, StreamShorterThanAHeaderIsBadVersionOne)
{
    MemoryReader reader({0xAA, 0xAA, 0x15});
    reader.stream.ReadHeader();
    EXPECT_EQ(1u, reader.stream.Version());
    EXPECT_EQ(Orv::BinStream::StateShortTransfer, reader.stream.State());
    BYTE byte = 1;
    EXPECT_EQ(E_FAIL, reader.stream.ReadByte(&byte));
    EXPECT_EQ(0, byte);
    EXPECT_EQ(E_FAIL, reader.stream.GetStatus());
}

TEST(BinaryStringRead, CheckWordMismatchIsADamagedString)
{
    MemoryReader reader(Join({Word(0x80000001), Word(4), Word(0xFFFFFFFD), Bytes(8)}));
    EXPECT_EQ(Orv::E_ORV_DAMAGED_STRING, CodeOfStringRead(reader));
}

TEST(BinaryStringRead, LengthBeyondTheRemainingBytesIsADamagedString)
{
    // One unit short of what the length asks for.
    MemoryReader shortByOne(Join({Word(0x80000001), Word(4), Word(0xFFFFFFFC), Bytes(6)}));
    EXPECT_EQ(Orv::E_ORV_DAMAGED_STRING, CodeOfStringRead(shortByOne));

    // The largest length: N + 1 and 2N must not wrap into something small.
    MemoryReader huge(Join({Word(0x80000001), Word(0xFFFFFFFF), Word(1), Bytes(16)}));
    EXPECT_EQ(Orv::E_ORV_DAMAGED_STRING, CodeOfStringRead(huge));

    MemoryReader hugeNarrow(Join({Word(0x00000001), Word(0xFFFFFFFF), Word(1), Bytes(16)}));
    EXPECT_EQ(Orv::E_ORV_DAMAGED_STRING, CodeOfStringRead(hugeNarrow));
}

// A buffer that cannot seek, as a pipe; it counts the attempts.
class UnseekableBuffer : public std::stringbuf
{
public:
    explicit UnseekableBuffer(const Bytes& bytes)
        : std::stringbuf(std::string(bytes.begin(), bytes.end()), std::ios_base::in | std::ios_base::binary)
    {
    }
    int seeks = 0;

protected:
    pos_type seekoff(off_type, std::ios_base::seekdir, std::ios_base::openmode) override
    {
        ++seeks;
        return pos_type(off_type(-1));
    }
    pos_type seekpos(pos_type, std::ios_base::openmode) override
    {
        ++seeks;
        return pos_type(off_type(-1));
    }
};

TEST(BinaryStringRead, StringsOfEveryLayoutReadFromABufferThatCannotSeekWithoutSeeking)
{
    const Bytes longText(2 * 3000, 0x41);
    struct Case
    {
        std::uint32_t version;
        Bytes bytes;
        std::wstring expected;
    };
    const Case cases[] = {
        {Orv::BinaryFormatVersion, AbcGolden, L"abc"},
        {Orv::BinaryFormatVersion, Join({Word(0x80000001), Word(3000), Word(0u - 3000u), longText}),
         std::wstring(3000, L'\x4141')},
        {Orv::BinaryFormatVersion, Join({Word(0), Word(4), Word(0u - 4u), {'x', 'y', 'z', 0}}), L"xyz"},
        {Orv::HeaderlessFormatVersion, Join({Word(3), {'o', 'l', 'd'}}), L"old"},
    };
    for (const Case& c : cases)
    {
        UnseekableBuffer buffer(Join({Word(0x5500AAAA | c.version << 16), c.bytes, Word(7)}));
        BinIStream stream(&buffer);
        stream.ReadHeader();
        String text;
        stream.ReadString(text);
        EXPECT_TRUE(stream.IsGood()) << c.version;
        EXPECT_EQ(c.expected, Text(text));
        EXPECT_EQ(7u, stream.ReadU32()) << "the bytes after the string stay in place";
        EXPECT_EQ(0, buffer.seeks);
    }
}

TEST(BinaryStringRead, DamagedStringThroughTheInterfaceGivesItsCodeAndNoString)
{
    MemoryReader reader(Join({Word(0x80000001), Word(1000), Word(0u - 1000u), Bytes(10)}));
    IAutoOrvString* text = reinterpret_cast<IAutoOrvString*>(1);
    EXPECT_EQ(Orv::E_ORV_DAMAGED_STRING, reader.stream.ReadString(&text));
    EXPECT_EQ(nullptr, text);
}

TEST(BinaryStringRead, InterfaceReadHandsOutAReferencedString)
{
    MemoryReader reader(AbcGolden);
    IAutoOrvString* text = nullptr;
    ASSERT_EQ(S_OK, reader.stream.ReadString(&text));
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(L"abc", Text(String::FromInterface(text)));
    text->Release();
}

TEST(BinaryStringRead, NarrowTextIsConvertedUpToItsTerminator)
{
    MemoryReader reader(Join({Word(0x00000001), Word(3), Word(0xFFFFFFFD), Bytes{0x61, 0x62, 0x00}}));
    String text;
    reader.stream.ReadString(text);
    EXPECT_EQ(L"ab", Text(text));
}

TEST(BinaryStringRead, Utf16TextWithoutTerminatorIsTakenWhole)
{
    MemoryReader reader(Join({Word(0x80000001), Word(3), Word(0xFFFFFFFD), Bytes{0x61, 0, 0x62, 0, 0x63, 0}}));
    String text;
    reader.stream.ReadString(text);
    EXPECT_EQ(L"abc", Text(text));
    EXPECT_EQ(3u, text.Length());
}

TEST(BinaryStringRead, EmbeddedNulsStayInTheText)
{
    MemoryReader reader(Join({Word(0x80000001), Word(4), Word(0xFFFFFFFC), Bytes{0x61, 0, 0, 0, 0x63, 0, 0, 0}}));
    String text;
    reader.stream.ReadString(text);
    EXPECT_EQ(std::wstring(L"a\0c", 3), Text(text));
}

TEST(BinaryStringRead, OldStringsAreBoundedTo64000Bytes)
{
    MemoryReader reader(Join({Word(0x5509AAAA), Word(64000), Bytes(64000, 'x')}));
    reader.stream.ReadHeader();
    String text;
    reader.stream.ReadString(text);
    EXPECT_EQ(64000u, text.Length());
    EXPECT_TRUE(reader.stream.IsGood());

    MemoryReader tooLong(Join({Word(0x5509AAAA), Word(64001), Bytes(64001, 'x')}));
    tooLong.stream.ReadHeader();
    EXPECT_EQ(Orv::E_ORV_DAMAGED_STRING, CodeOfStringRead(tooLong));
}

TEST(BinaryStringRead, OldStringsReadWithOrWithoutTheirTerminator)
{
    MemoryReader reader(Join({Word(0x5509AAAA), Word(3), Bytes{'a', 'b', 0}, Word(2), Bytes{'c', 'd'}, Word(7)}));
    reader.stream.ReadHeader();
    String first, second;
    reader.stream.ReadString(first);
    reader.stream.ReadString(second);
    EXPECT_EQ(L"ab", Text(first));
    EXPECT_EQ(L"cd", Text(second));
    EXPECT_EQ(7u, reader.stream.ReadU32());
}

TEST(BinaryStringRead, HeaderlessDataReadsOldStrings)
{
    MemoryReader reader(Join({Word(2), Bytes{'o', 'k'}}));
    reader.stream.ReadHeader();
    String text;
    reader.stream.ReadString(text);
    EXPECT_EQ(L"ok", Text(text));
}

TEST(BinaryStreamState, AShortReadMakesEveryLaterCallFail)
{
    MemoryReader reader({0x01, 0x02, 0x03, 0x04, 0x05});
    BinIStream& in = reader.stream;
    EXPECT_EQ(0x04030201u, in.ReadU32());
    ULONG value = 0xDEAD;
    EXPECT_EQ(E_FAIL, in.ReadLong(&value));
    EXPECT_EQ(0xDEADu, value);
    EXPECT_EQ(E_FAIL, in.GetStatus());
    EXPECT_EQ(0u, in.ReadU32());
    ULONG withFallback = 0;
    EXPECT_EQ(E_FAIL, in.ReadULongDefault(&withFallback, 99));
    EXPECT_EQ(99u, withFallback);
    ULONG position = 0;
    EXPECT_EQ(E_FAIL, in.Tell(&position));
    EXPECT_EQ(0xFFFFFFFFu, position);
    String text(L"old");
    in.ReadString(text);
    EXPECT_TRUE(text.IsEmpty());
}

TEST(BinaryStreamState, ReadingAByteAtTheEndGivesAllOnesThenZero)
{
    MemoryReader reader({});
    BYTE byte = 0;
    EXPECT_EQ(E_FAIL, reader.stream.ReadByte(&byte));
    EXPECT_EQ(0xFF, byte);
    EXPECT_EQ(E_FAIL, reader.stream.ReadByte(&byte));
    EXPECT_EQ(0, byte);
}

// A buffer with room for a few bytes only, like a full device.
struct FixedBuffer : std::streambuf
{
    explicit FixedBuffer(std::size_t room) : storage(room) { setp(storage.data(), storage.data() + room); }
    std::vector<char> storage;
};

TEST(BinaryStreamState, AShortWriteStopsAllLaterWrites)
{
    FixedBuffer buffer(6);
    BinOStream out(&buffer);
    EXPECT_EQ(S_OK, out.WriteULong(1));
    EXPECT_EQ(E_FAIL, out.WriteULong(2));
    EXPECT_EQ(E_FAIL, out.WriteByte(3));
    EXPECT_EQ(Orv::BinStream::StateShortTransfer, out.State());
}

TEST(BinaryStreamState, NoBufferMeansAStreamThatIsBadFromTheStart)
{
    BinOStream out(nullptr);
    BinIStream in(nullptr);
    EXPECT_EQ(Orv::BinStream::StateNoBuffer, out.State());
    EXPECT_EQ(E_FAIL, out.WriteULong(1));
    EXPECT_EQ(Orv::BinStream::StateNoBuffer, in.State());
    in.ReadHeader();
    EXPECT_EQ(0u, in.Version());
}

TEST(BinaryStreamState, TellAndSeekWorkOnTheWritePosition)
{
    MemoryWriter writer;
    writer.stream.WriteULong(0x11111111);
    writer.stream.WriteULong(0x22222222);
    ULONG position = 0;
    EXPECT_EQ(S_OK, writer.stream.Tell(&position));
    EXPECT_EQ(8u, position);
    EXPECT_EQ(S_OK, writer.stream.Seek(2));
    writer.stream.WriteByte(0xEE);
    EXPECT_EQ((Bytes{0x11, 0x11, 0xEE, 0x11, 0x22, 0x22, 0x22, 0x22}), writer.Written());
}

} // namespace
