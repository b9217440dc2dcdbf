#include "host/app/recording/RecordingText.h"
#include "host/app/files/TextConversion.h"
#include "host/tests/RecordingFixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

namespace
{

using Host::ParseRecordingText;
using Host::RecordingFormatError;

TEST(RecordingText, ReadsChannelsUnitsRecordsAndIntervals)
{
    const Host::Recording recording = ParseRecordingText("# made by hand\n"
                                                         "Time (s)\tLV Pressure (mmHg)\tMarker\n"
                                                         "0.0000\t5.12\t1\n"
                                                         "0.0005\t5.20\t-2e-1\n"
                                                         "# a comment inside a record\n"
                                                         "0.0010\t5.25\t+3\n"
                                                         "\n\n"
                                                         "10.0\t1\t2\n"
                                                         "10.25\t3\t4\n",
                                                         "hand.txt");
    ASSERT_EQ(2u, recording.Channels().size());
    EXPECT_EQ("LV Pressure", recording.Channels()[0].name);
    EXPECT_EQ("mmHg", recording.Channels()[0].unit);
    EXPECT_EQ("Marker", recording.Channels()[1].name);
    EXPECT_EQ("", recording.Channels()[1].unit);
    ASSERT_EQ(2u, recording.RecordCount());
    EXPECT_TRUE(recording.IsFinished());

    const Host::Record& first = recording.RecordAt(0);
    EXPECT_TRUE(first.IsComplete());
    EXPECT_DOUBLE_EQ(0.0005, first.SampleInterval());
    ASSERT_EQ(3, first.Length());
    EXPECT_FLOAT_EQ(5.20f, first.Samples(0)[1]);
    EXPECT_FLOAT_EQ(-0.2f, first.Samples(1)[1]);
    EXPECT_FLOAT_EQ(3.0f, first.Samples(1)[2]);
    EXPECT_DOUBLE_EQ(0.25, recording.RecordAt(1).SampleInterval());
    EXPECT_FLOAT_EQ(4.0f, recording.RecordAt(1).Samples(1)[1]);
}

TEST(RecordingText, TakesCommaOrSemicolonAsSeparator)
{
    for (const char* text : {"Time (s),A (V)\n0,1.5\n1,2.5\n", "Time (s);A (V)\n0;1.5\n1;2.5\n"})
    {
        const Host::Recording recording = ParseRecordingText(text, "sep.csv");
        ASSERT_EQ(1u, recording.Channels().size()) << text;
        EXPECT_FLOAT_EQ(2.5f, recording.RecordAt(0).Samples(0)[1]) << text;
    }
}

struct BadText
{
    const char* what;
    const char* text;
    size_t line;
    size_t column;
    const char* message;
};

TEST(RecordingText, RefusesBadTextNamingFileLineAndColumn)
{
    const BadText cases[] = {
        {"non-numeric cell", "Time (s),A,B\n0,1,2\n0.1,x1,2\n", 3, 5, "'x1' is not a number"},
        {"number with trailing text", "Time (s),A\n0,1\n0.1,2.5mV\n", 3, 5, "not a number"},
        {"short row", "Time (s),A,B\n0,1,2\n0.1,1\n", 3, 6, "the row has 2 cells, the header 3"},
        {"long row", "Time (s),A\n0,1\n0.1,1,7\n", 3, 7, "the row has 3 cells, the header 2"},
        {"non-uniform time", "Time (s),A\n0.000,1\n0.100,1\n0.200,1\n0.350,1\n0.400,1\n", 5, 1, "time is not uniform"},
        {"time going back", "Time (s),A\n1,1\n0.5,1\n", 3, 1, "time does not increase"},
        {"empty file", "", 1, 1, "empty file"},
        {"only comments", "# nothing\n\n", 3, 1, "empty file"},
        {"header only", "Time (s),A\n", 2, 1, "no samples"},
        {"no channel column", "Time (s)\n0\n1\n", 1, 1, "no channel"},
        {"single-sample record", "Time (s),A\n0,1\n0.1,1\n\n5,1\n", 5, 1, "at least two samples"},
        {"infinite value", "Time (s),A\n0,1\n0.1,inf\n", 3, 5, "not a finite number"},
        {"sample beyond a float", "Time (s),A,B\n0,1,2\n0.1,2, -1e39\n", 3, 8, "'-1e39' is beyond the range of a sample"},
        {"number beyond a double", "Time (s),A\n0,1\n0.1,1e999\n", 3, 5, "'1e999' is beyond the range of a number"},
        {"long cell quoted in part", "Time (s),A\n0,1\n0.1,1234567890123456789012345678901234567890x\n", 3, 5,
         "'1234567890123456789012345678901234567890...' is not a number"},
        {"control character in the header", "# exported\nTime (s),A\x01" "B\n0,1\n1,2\n", 2, 11, "not a recording text"},
        {"binary before any line end", "\x7F" "ELF\x02\x01\x01", 1, 1, "control character 0x7F"},
        {"stamp off the grid, told with its digits", "Time (s),A\n0.000000,1\n0.001000,1\n0.002002,1\n0.003000,1\n", 4, 1,
         "0.002002 s lies 2e-06 s off the record's grid of 0.001 s steps"},
    };
    for (const BadText& bad : cases)
    {
        try
        {
            ParseRecordingText(bad.text, "bad.csv");
            ADD_FAILURE() << bad.what << ": accepted";
        }
        catch (const RecordingFormatError& e)
        {
            EXPECT_EQ(bad.line, e.Line()) << bad.what << ": " << e.what();
            EXPECT_EQ(bad.column, e.Column()) << bad.what << ": " << e.what();
            const std::string message = e.what();
            EXPECT_EQ(0u, message.find("bad.csv:" + std::to_string(bad.line) + ":" + std::to_string(bad.column) + ": "))
                << message;
            EXPECT_NE(std::string::npos, message.find(bad.message)) << bad.what << ": " << message;
        }
    }
}

TEST(RecordingText, AcceptsTimeWithinTheRelativeTolerance)
{
    const Host::Recording recording =
        ParseRecordingText("Time (s),A\n1000.0000000,1\n1000.0010000,2\n1000.0020000001,3\n", "near.csv");
    EXPECT_NEAR(0.001, recording.RecordAt(0).SampleInterval(), 1e-9);
}

// Exports round their time stamps to a few digits, and epoch-based clocks put a large offset before them.
TEST(RecordingText, AcceptsRoundedAndOffsetTimeStamps)
{
    struct Export
    {
        double rate;
        double offset;
        int decimals;
    };
    for (const Export& format : {Export{3000.0, 0.0, 5}, Export{1000.0, 1.7e9, 3}, Export{1024.0, 12.5, 4}})
    {
        std::string text = "Time (s),A\n";
        const int rows = 30001;
        char line[64];
        for (int row = 0; row < rows; ++row)
            text.append(line, static_cast<size_t>(std::snprintf(line, sizeof line, "%.*f,%d\n", format.decimals,
                                                                  format.offset + row / format.rate, row % 7)));
        const Host::Recording recording = ParseRecordingText(text, "export.csv");
        ASSERT_EQ(rows, recording.RecordAt(0).Length()) << format.rate;
        EXPECT_NEAR(1.0 / format.rate, recording.RecordAt(0).SampleInterval(), 1e-9) << format.rate;
    }
}

// A text of a few megabytes in each encoding, read through the file's blocks: lines and UTF-16 code units
// cut by a block's end join the next block.
TEST(RecordingText, FindsTheEndOfLinesOfEveryLength)
{
    // Lines are searched for their ends many bytes at a time: rows of 4 to 44 bytes, ends on every offset.
    std::string text = "Time (s),A (V)\n";
    for (int row = 0; row < 40; ++row)
        text += std::to_string(row) + "," + std::to_string(row) + "." + std::string(static_cast<size_t>(row), '0') + "\n";
    const Host::Recording recording = ParseRecordingText(text, "lengths.csv");
    ASSERT_EQ(40, recording.RecordAt(0).Length());
    for (int row = 0; row < 40; ++row)
        EXPECT_EQ(static_cast<float>(row), recording.RecordAt(0).Samples(0)[static_cast<size_t>(row)]) << row;
}

TEST(RecordingText, ReadsLargeFilesInUtf8AndUtf16Alike)
{
    std::string text = "Time (s),LV Volume (\xC2\xB5L)\n";
    for (int row = 0; row < 150000; ++row)
        text += std::to_string(row) + ".0," + std::to_string(row % 1000) + ".25\n";
    std::wstring wide = Host::FromUtf8(text);
    std::string littleEndian = "\xFF\xFE", bigEndian;
    for (wchar_t unit : wide)
    {
        littleEndian += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        bigEndian += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
    }
    for (const auto& [name, bytes] : {std::pair{"utf8", text}, std::pair{"utf16le", littleEndian}, std::pair{"utf16be", bigEndian}})
    {
        const HostTests::TemporaryFile file(std::string("encoding-") + name + ".csv", bytes);
        const Host::Recording recording = Host::LoadRecordingFile(file.Path());
        EXPECT_EQ("\xC2\xB5L", recording.Channels()[0].unit) << name;
        ASSERT_EQ(150000, recording.RecordAt(0).Length()) << name;
        EXPECT_EQ(999.25f, recording.RecordAt(0).Samples(0)[149999]) << name;
        EXPECT_EQ(1.0, recording.RecordAt(0).SampleInterval()) << name;
    }
}

// A file that is no text is refused at its first line by the parse and by the quick pass ahead of it, even
// one without end.
TEST(RecordingText, RefusesAFileThatIsNoTextAtItsFirstLine)
{
    std::string noise(size_t{1} << 21, '\0');
    uint32_t state = 12345;
    for (char& byte : noise)
        byte = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
    const HostTests::TemporaryFile file("recording-noise.bin", noise);
    for (const std::string& path : {file.Path(), std::string("Z:\\dev\\zero")})
        for (const bool scan : {false, true})
            try
            {
                scan ? static_cast<void>(Host::ScanRecordShapes(path)) : static_cast<void>(Host::LoadRecordingFile(path));
                ADD_FAILURE() << path << (scan ? " scanned" : " loaded");
            }
            catch (const RecordingFormatError& e)
            {
                EXPECT_EQ(1u, e.Line()) << e.what();
                EXPECT_NE(std::string::npos, std::string(e.what()).find("not a recording text")) << e.what();
            }
}

TEST(RecordingText, LoadsFilesAndNamesMissingOnes)
{
    const HostTests::TemporaryFile file("recording-text-test.csv", "Time (s),A (V)\r\n0,1\r\n0.5,2\r\n");
    const Host::Recording recording = Host::LoadRecordingFile(file.Path());
    EXPECT_DOUBLE_EQ(0.5, recording.RecordAt(0).SampleInterval());
    EXPECT_EQ("V", recording.Channels()[0].unit);

    const std::string missing = file.Path() + ".missing";
    try
    {
        Host::LoadRecordingFile(missing);
        ADD_FAILURE() << "a missing file was loaded";
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_NE(std::string::npos, std::string(e.what()).find(missing));
    }
}

TEST(RecordingFeed, DeliversRecordsInChunksAndCompletesEachWithItsLastSample)
{
    const Host::Recording source = HostTests::MakeRecording(0.1, {{{1, 2, 3, 4, 5}}, {{6, 7}}});
    Host::RecordingFeed feed(source);
    EXPECT_EQ(0u, feed.Live().RecordCount());

    feed.Feed(3);
    ASSERT_EQ(1u, feed.Live().RecordCount());
    EXPECT_EQ(3, feed.Live().RecordAt(0).Length());
    EXPECT_FALSE(feed.Live().RecordAt(0).IsComplete());

    feed.Feed(3); // the record's last two samples; the chunk does not reach into the next record
    EXPECT_EQ(5, feed.Live().RecordAt(0).Length());
    EXPECT_TRUE(feed.Live().RecordAt(0).IsComplete());
    EXPECT_EQ(1u, feed.Live().RecordCount());
    EXPECT_FALSE(feed.IsDone());

    feed.Feed(3);
    ASSERT_EQ(2u, feed.Live().RecordCount());
    EXPECT_FLOAT_EQ(7.0f, feed.Live().RecordAt(1).Samples(0)[1]);
    EXPECT_DOUBLE_EQ(0.1, feed.Live().RecordAt(1).SampleInterval());
    EXPECT_TRUE(feed.IsDone());
    EXPECT_TRUE(feed.Live().IsFinished());
}

} // namespace

TEST(RecordingText, WrittenTextReadsBackToTheSameSamplesIntervalsAndChannels)
{
    // Random samples of every magnitude, in records of odd intervals and lengths.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-30, 30);
    Host::Recording written({{"LV Pressure", "mmHg"}, {"Marker", ""}});
    for (const auto& [interval, length] : std::vector<std::pair<double, size_t>>{{0.001, 257}, {1.0 / 3.0, 5}, {2e-5, 1000}})
    {
        std::vector<std::vector<float>> channels(2);
        for (auto& channel : channels)
            for (size_t tick = 0; tick < length; ++tick)
                channel.push_back(std::ldexp(mantissa(random), exponent(random)));
        written.AddRecord(interval, std::move(channels)).MarkComplete();
    }
    std::ostringstream text;
    Host::WriteRecordingText(written, text);
    // Time stamps at the interval's decimals: tick 7 of the first record, tick 999 of the third.
    for (const char* time : {"\n0.007,", "\n0.01998,"})
        EXPECT_NE(std::string::npos, text.str().find(time)) << time;

    const Host::Recording read = ParseRecordingText(text.str(), "written.csv");
    ASSERT_EQ(written.RecordCount(), read.RecordCount());
    EXPECT_EQ("LV Pressure", read.Channels()[0].name);
    EXPECT_EQ("mmHg", read.Channels()[0].unit);
    EXPECT_EQ("Marker", read.Channels()[1].name);
    for (size_t record = 0; record < written.RecordCount(); ++record)
    {
        EXPECT_NEAR(written.RecordAt(record).SampleInterval(), read.RecordAt(record).SampleInterval(),
                    1e-12 * written.RecordAt(record).SampleInterval());
        for (size_t channel = 0; channel < 2; ++channel)
        {
            const auto expected = written.RecordAt(record).Samples(channel), got = read.RecordAt(record).Samples(channel);
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.begin(), got.end())) << record << " " << channel;
        }
    }

    // A deleted channel is not written.
    written.DeleteChannel(0);
    std::ostringstream kept;
    Host::WriteRecordingText(written, kept);
    const Host::Recording withoutDeleted = ParseRecordingText(kept.str(), "written.csv");
    ASSERT_EQ(1u, withoutDeleted.Channels().size());
    EXPECT_EQ("Marker", withoutDeleted.Channels()[0].name);
}

// A tick's time stamp at the interval's decimals, also for an interval that rounded stamps left noisy.
TEST(RecordingText, TimeStampsKeepTheIntervalsDecimals)
{
    struct Case
    {
        double interval;
        int64_t tick;
        const char* text;
    };
    for (const Case& c : {Case{0.001, 7999, "7.999"}, Case{0.0005, 1, "0.0005"}, Case{0.0010000000000000002, 8000, "8"},
                          Case{2e-5, 999, "0.01998"}, Case{0.1, 0, "0"}})
        EXPECT_EQ(c.text, Host::TimeStamps(c.interval).Text(c.tick)) << c.interval << " " << c.tick;
}
