// Damaged and truncated records fed to the record readers: they must fail cleanly, with one of the two
// codes a record reader reports, and never allocate for a length the stream cannot hold.
#include "foundation/streams/StorageStreamBuf.h"
#include "foundation/com/XOrv.h"
#include "foundation/tests/AllocationWatch.h"
#include "foundation/tests/streams/MemoryStreams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>

namespace
{

using Orv::BinIStream;
using Orv::String;
using TestStreams::Bytes;

constexpr unsigned StreamCount = 10000;
constexpr unsigned Seed = 20261207;
// Fixed costs of a string besides its text: the representation's header and minimum capacity.
constexpr std::size_t AllocationSlack = 64;

// A record reader as the system's settings readers are written: all values first, then one look at the
// stream's state; a damaged string ends the read with its own code.
HRESULT ReadSampleRecord(BinIStream& in, bool throughInterface)
{
    try
    {
        const std::uint32_t entries = in.ReadU32() % 8;
        for (std::uint32_t i = 0; i < entries; ++i)
        {
            if (throughInterface)
            {
                IAutoOrvString* text = nullptr;
                const HRESULT hr = in.ReadString(&text);
                if (text)
                    text->Release();
                if (hr == Orv::E_ORV_DAMAGED_STRING)
                    return hr;
            }
            else
            {
                String text;
                in.ReadString(text);
            }
            double value = 0;
            in.ReadDouble(&value);
            BYTE flag = 0;
            in.ReadByte(&flag);
        }
        ULONG withDefault = 0;
        in.ReadULongDefault(&withDefault, 5);
        short small = 0;
        in.ReadShort(&small);
        long long wide = 0;
        in.ReadInt64(&wide);
        return in.IsGood() ? S_OK : Orv::E_ORV_READ_FAILED;
    }
    catch (const XOrv& error)
    {
        return error.Code();
    }
}

class RecordGenerator
{
public:
    explicit RecordGenerator(unsigned seed) : random_(seed) {}

    // One of four kinds in turn: a sound record cut short, a sound record with bytes changed, noise
    // after a header word, plain noise.
    Bytes Next(unsigned index)
    {
        switch (index % 4)
        {
        case 0: {
            Bytes record = SoundRecord();
            record.resize(Below(record.size() + 1));
            return record;
        }
        case 1: {
            Bytes record = SoundRecord();
            for (std::size_t n = 1 + Below(4); n > 0 && !record.empty(); --n)
                record[Below(record.size())] = RandomByte();
            return record;
        }
        case 2: {
            Bytes record = HeaderWord();
            for (std::size_t n = Below(257); n > 0; --n)
                record.push_back(RandomByte());
            return record;
        }
        default: {
            Bytes record(Below(65));
            std::generate(record.begin(), record.end(), [this] { return RandomByte(); });
            return record;
        }
        }
    }

    bool Chance(unsigned oneIn) { return Below(oneIn) == 0; }

private:
    std::size_t Below(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_); }
    std::uint8_t RandomByte() { return static_cast<std::uint8_t>(Below(256)); }

    Bytes HeaderWord()
    {
        static const std::uint32_t Words[] = {0x5515AAAA, 0x550AAAAA, 0x5509AAAA};
        if (Chance(4))
            return {};
        const std::uint32_t word = Words[Below(3)];
        return {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
    }

    // A record as the sample reader expects it, in today's format.
    Bytes SoundRecord()
    {
        std::stringbuf buffer(std::ios_base::out | std::ios_base::binary);
        Orv::BinOStream out(&buffer);
        out.WriteU32(Orv::BinaryHeaderWord);
        const auto entries = static_cast<std::uint32_t>(Below(5));
        out.WriteU32(entries);
        for (std::uint32_t i = 0; i < entries; ++i)
        {
            out.WriteString(String(std::wstring(Below(40), static_cast<wchar_t>(L'a' + i))));
            out.WriteDouble(static_cast<double>(i) / 3);
            out.WriteByte(static_cast<BYTE>(i));
        }
        out.WriteULong(7);
        out.WriteShort(-3);
        out.WriteInt64(1, 2);
        const std::string bytes = buffer.str();
        return Bytes(bytes.begin(), bytes.end());
    }

    std::mt19937 random_;
};

struct Outcome
{
    HRESULT result;
    std::size_t largestAllocation;
};

Outcome ReadThroughMemory(const Bytes& bytes, bool throughInterface)
{
    std::stringbuf buffer(std::string(bytes.begin(), bytes.end()), std::ios_base::in | std::ios_base::binary);
    AllocationWatch::largest = 0;
    AllocationWatch::watching = true;
    BinIStream in(&buffer);
    in.ReadHeader();
    const HRESULT result = ReadSampleRecord(in, throughInterface);
    AllocationWatch::watching = false;
    return {result, AllocationWatch::largest};
}

Outcome ReadThroughComStream(const Bytes& bytes, bool throughInterface)
{
    auto stream = TestStreams::MemoryStream(bytes);
    AllocationWatch::largest = 0;
    AllocationWatch::watching = true;
    Orv::StorageBinIStreamLite in(stream.Get());
    const HRESULT result = ReadSampleRecord(in, throughInterface);
    AllocationWatch::watching = false;
    return {result, AllocationWatch::largest};
}

TEST(BinaryStreamRobustness, DamagedAndTruncatedRecordsFailCleanlyWithoutLargeAllocations)
{
    RecordGenerator generator(Seed);
    unsigned succeeded = 0, damaged = 0, readFailed = 0;
    for (unsigned i = 0; i < StreamCount; ++i)
    {
        const Bytes bytes = generator.Next(i);
        const bool throughInterface = generator.Chance(2);
        const Outcome outcome =
            generator.Chance(10) ? ReadThroughComStream(bytes, throughInterface) : ReadThroughMemory(bytes, throughInterface);

        // The UTF-16 copy of an 8-bit text takes two bytes for each of its bytes; nothing else may be
        // larger than the stream.
        ASSERT_LE(outcome.largestAllocation, 2 * bytes.size() + AllocationSlack) << "stream " << i;
        if (outcome.result == S_OK)
            ++succeeded;
        else if (outcome.result == Orv::E_ORV_DAMAGED_STRING)
            ++damaged;
        else if (outcome.result == Orv::E_ORV_READ_FAILED)
            ++readFailed;
        else
            FAIL() << "stream " << i << " failed with 0x" << std::hex << outcome.result;
    }
    // The streams reach every outcome, so the run checks what it claims to.
    EXPECT_GT(succeeded, 0u);
    EXPECT_GT(damaged, 0u);
    EXPECT_GT(readFailed, 0u);
}

TEST(BinaryStreamRobustness, WatchSeesTheTextOfASoundString)
{
    std::stringbuf buffer(std::ios_base::out | std::ios_base::binary);
    Orv::BinOStream out(&buffer);
    out.WriteU32(Orv::BinaryHeaderWord);
    out.WriteU32(1);
    out.WriteString(String(std::wstring(3000, L'w')));
    const std::string written = buffer.str();
    const Outcome outcome = ReadThroughMemory(Bytes(written.begin(), written.end()), false);
    EXPECT_EQ(Orv::E_ORV_READ_FAILED, outcome.result); // the record's tail is missing
    EXPECT_GE(outcome.largestAllocation, 3000 * sizeof(wchar_t));
}

TEST(BinaryStreamRobustness, LengthsNearTheLimitsAllocateNothingLarge)
{
    for (const std::uint32_t length : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu})
    {
        Bytes bytes = {0xAA, 0xAA, 0x15, 0x55, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x80};
        for (const std::uint32_t word : {length, 0u - length})
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(static_cast<std::uint8_t>(word >> shift));
        bytes.resize(bytes.size() + 32, 0x41);
        const Outcome outcome = ReadThroughMemory(bytes, false);
        EXPECT_EQ(Orv::E_ORV_DAMAGED_STRING, outcome.result) << std::hex << length;
        EXPECT_LE(outcome.largestAllocation, 2 * bytes.size() + AllocationSlack);
    }
}

} // namespace
