#include "foundation/streams/StorageStreamBuf.h"
#include "foundation/tests/streams/MemoryStreams.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using Orv::StorageBinIStreamLite;
using Orv::StorageBinOStreamLite;
using Orv::String;
using TestStreams::Bytes;
using TestStreams::ContentOf;
using TestStreams::CountingStream;

const Bytes Header = {0xAA, 0xAA, 0x15, 0x55};

// Ten bytes of record after the header: 0..9.
void WriteTenBytes(StorageBinOStreamLite& writer)
{
    for (BYTE b = 0; b < 10; ++b)
        writer.WriteByte(b);
}

Bytes HeaderAndTenBytes()
{
    Bytes expected = Header;
    for (std::uint8_t b = 0; b < 10; ++b)
        expected.push_back(b);
    return expected;
}

TEST(StorageRecordStream, WriterBeginsAFreshStreamWithTheHeader)
{
    CountingStream stream;
    {
        StorageBinOStreamLite writer(&stream, false);
        EXPECT_TRUE(writer.IsGood());
    }
    EXPECT_EQ(Header, ContentOf(stream.Inner()));
    EXPECT_EQ(0u, stream.References());
}

TEST(StorageRecordStream, HeaderAndStringsHaveTheirGoldenBytes)
{
    CountingStream stream;
    {
        StorageBinOStreamLite writer(&stream, false);
        writer.WriteString(String(L"abc"));
    }
    const Bytes withAbc = ContentOf(stream.Inner());
    ASSERT_EQ(24u, withAbc.size());
    EXPECT_EQ((Bytes{0xAA, 0xAA, 0x15, 0x55, 0x01, 0x00, 0x00, 0x80, 0x04, 0x00, 0x00, 0x00, 0xFC, 0xFF,
                     0xFF, 0xFF, 0x61, 0x00, 0x62, 0x00, 0x63, 0x00, 0x00, 0x00}),
              withAbc);

    CountingStream empty;
    {
        StorageBinOStreamLite writer(&empty, false);
        writer.WriteString(String());
    }
    const Bytes withEmpty = ContentOf(empty.Inner());
    ASSERT_EQ(4u + 14u, withEmpty.size());
    EXPECT_EQ((Bytes{0x01, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}),
              Bytes(withEmpty.begin() + 4, withEmpty.end()));
}

TEST(StorageRecordStream, RecordWithAnInBlockSeekBackReachesTheStreamInOneWrite)
{
    CountingStream stream;
    {
        StorageBinOStreamLite writer(&stream, false);
        WriteTenBytes(writer);
        EXPECT_EQ(S_OK, writer.Seek(4 + 2));
        writer.WriteByte(0xEE);
        ULONG position = 0;
        writer.Tell(&position);
        EXPECT_EQ(4u + 3u, position);
        EXPECT_EQ(0u, stream.writeCalls);
    }
    Bytes expected = HeaderAndTenBytes();
    expected[4 + 2] = 0xEE;
    EXPECT_EQ(expected, ContentOf(stream.Inner()));
    EXPECT_EQ(1u, stream.writeCalls);
    EXPECT_EQ(std::vector<ULONG>{14}, stream.writeSizes);
}

TEST(StorageRecordStream, CloseKeepsTheRecordAndLeavesTheStreamAfterIt)
{
    CountingStream stream(STGM_READWRITE, Bytes(2, 0x77));
    stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_END, nullptr);
    StorageBinOStreamLite writer(&stream, false);
    WriteTenBytes(writer);
    writer.Seek(2); // back to the start of the record
    EXPECT_EQ(S_OK, writer.Close());
    EXPECT_EQ(0u, stream.References());

    Bytes expected(2, 0x77);
    const Bytes record = HeaderAndTenBytes();
    expected.insert(expected.end(), record.begin(), record.end());
    EXPECT_EQ(expected, ContentOf(stream.Inner()));
    ULARGE_INTEGER position{};
    stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position);
    EXPECT_EQ(expected.size(), position.QuadPart);
    EXPECT_EQ(E_FAIL, writer.WriteByte(1)); // the write has ended
}

TEST(StorageStreamBuffer, RelativeSeekBeyondTheWrittenBytesCountsFromThePutPosition)
{
    CountingStream stream;
    Orv::StorageOutStreamBuf buffer;
    ASSERT_NE(nullptr, buffer.Open(&stream, false));
    buffer.sputn("0123456789", 10);
    ASSERT_EQ(std::streamoff(2), std::streamoff(buffer.pubseekpos(2)));
    buffer.sputc('x');
    EXPECT_EQ(std::streamoff(3 + 20), std::streamoff(buffer.pubseekoff(20, std::ios_base::cur)));
    buffer.sputc('y');
    ASSERT_TRUE(buffer.Close());
    const Bytes content = ContentOf(stream.Inner());
    ASSERT_EQ(24u, content.size());
    EXPECT_EQ('x', content[2]);
    EXPECT_EQ('9', content[9]);
    EXPECT_EQ('y', content[23]);
}

TEST(StorageRecordStream, WritesLongerThanABlockArriveWhole)
{
    CountingStream stream;
    const std::wstring text(3000, L'x');
    {
        StorageBinOStreamLite writer(&stream, false);
        writer.WriteString(String(text));
        writer.WriteULong(0xCAFEF00D);
    }
    EXPECT_GT(stream.writeCalls, 1u);
    String read;
    stream.Inner()->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    StorageBinIStreamLite fromStart(stream.Inner());
    fromStart.ReadString(read);
    EXPECT_EQ(text, std::wstring(read.c_str(), read.Length()));
    EXPECT_EQ(0xCAFEF00Du, fromStart.ReadU32());
    EXPECT_TRUE(fromStart.IsGood());
}

TEST(StorageRecordStream, ReadOnlyStreamRefusesWritingUnlessForced)
{
    CountingStream readOnly(STGM_READ);
    {
        StorageBinOStreamLite writer(&readOnly, false);
        EXPECT_FALSE(writer.IsGood());
    }
    EXPECT_TRUE(ContentOf(readOnly.Inner()).empty());

    CountingStream forced(STGM_READ);
    {
        StorageBinOStreamLite writer(&forced, true);
        EXPECT_TRUE(writer.IsGood());
    }
    EXPECT_EQ(Header, ContentOf(forced.Inner()));
}

TEST(StorageRecordStream, ReaderTakesTheVersionFromTheHeader)
{
    CountingStream stream(STGM_READ, {0xAA, 0xAA, 0x09, 0x55, 0x02, 0x00, 0x00, 0x00, 'h', 'i'});
    StorageBinIStreamLite reader(&stream);
    EXPECT_EQ(9u, reader.Version());
    String text;
    reader.ReadString(text);
    EXPECT_EQ(L"hi", std::wstring(text.c_str(), text.Length()));
}

TEST(StorageRecordStream, ReaderOfHeaderlessDataStepsBackToItsStart)
{
    CountingStream stream(STGM_READ, {0x10, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00});
    StorageBinIStreamLite reader(&stream);
    EXPECT_EQ(1u, reader.Version());
    EXPECT_EQ(16u, reader.ReadU32());
    EXPECT_EQ(32u, reader.ReadU32());
}

TEST(StorageRecordStream, ReaderPositionIsLogicalThoughTheBlockReadAhead)
{
    Bytes content = Header;
    content.resize(2000, 0x01);
    CountingStream stream(STGM_READ, content);
    StorageBinIStreamLite reader(&stream);
    BYTE bytes[3] = {};
    reader.ReadBytes(bytes, 3);
    EXPECT_EQ(4 + 3, reader.Position());
    ULARGE_INTEGER streamPosition{};
    stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &streamPosition);
    EXPECT_EQ(1024u, streamPosition.QuadPart);
}

TEST(StorageRecordStream, ReaderLeavesTheStreamAfterWhatItConsumed)
{
    Bytes content = Header;
    content.resize(104, 0x02);
    CountingStream stream(STGM_READ, content);
    {
        StorageBinIStreamLite reader(&stream);
        reader.ReadU32();
    }
    ULARGE_INTEGER position{};
    stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position);
    EXPECT_EQ(8u, position.QuadPart);
    EXPECT_EQ(0u, stream.References());
}

TEST(StorageRecordStream, FlushWritesPendingBytesAndReportsARefusal)
{
    CountingStream stream;
    StorageBinOStreamLite writer(&stream, false);
    writer.WriteULong(1);
    EXPECT_EQ(S_OK, writer.Flush());
    EXPECT_EQ(8u, ContentOf(stream.Inner()).size());

    stream.refuseWrites = true;
    writer.WriteULong(2);
    EXPECT_EQ(E_FAIL, writer.Flush());
    EXPECT_EQ(Orv::BinStream::StateNoBuffer, writer.State());
    EXPECT_EQ(E_FAIL, writer.WriteULong(3));
}

TEST(StorageRecordStream, CloseReleasesTheAttachedObject)
{
    CountingStream stream;
    CountingStream attached;
    StorageBinOStreamLite writer(&stream, false);
    writer.AttachObject(&attached);
    EXPECT_EQ(1u, attached.References());
    writer.Close();
    EXPECT_EQ(0u, attached.References());

    CountingStream source(STGM_READ, Header);
    {
        StorageBinIStreamLite reader(&source);
        reader.AttachObject(&attached);
        EXPECT_EQ(1u, attached.References());
    }
    EXPECT_EQ(0u, attached.References());
}

TEST(StorageRecordStream, StreamThatCannotBeOpenedGivesABadStream)
{
    StorageBinIStreamLite reader(nullptr);
    EXPECT_EQ(Orv::BinStream::StateNoBuffer, reader.State());
    StorageBinOStreamLite writer(nullptr, true);
    EXPECT_EQ(Orv::BinStream::StateNoBuffer, writer.State());
    EXPECT_EQ(E_FAIL, writer.WriteULong(1));
}

} // namespace
