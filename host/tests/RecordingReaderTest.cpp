#include "host/app/recording/RecordingReader.h"
#include "host/tests/RecordingFixtures.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <sstream>

#include <gtest/gtest.h>

namespace
{

using Host::RecordingReader;

// Rows of ten-millisecond steps from the given time, two channels.
std::string Rows(int count, double from = 0.0)
{
    std::ostringstream text;
    for (int row = 0; row < count; ++row)
        text << from + row * 0.01 << ',' << row << ',' << -row * 0.5 << '\n';
    return text.str();
}

const std::string Header = "Time (s),A (V),B (mV)\n";

// Feeds the whole recording, a chunk at a time.
const Host::Recording& FeedAll(Host::SampleFeed& feed)
{
    while (!feed.IsDone())
        feed.Feed(1);
    return feed.Live();
}

void ExpectSameRecording(const Host::Recording& expected, const Host::Recording& actual, const std::string& what)
{
    ASSERT_EQ(expected.Channels().size(), actual.Channels().size()) << what;
    EXPECT_EQ(expected.Channels().back().unit, actual.Channels().back().unit) << what;
    ASSERT_EQ(expected.RecordCount(), actual.RecordCount()) << what;
    EXPECT_TRUE(actual.IsFinished()) << what;
    for (size_t index = 0; index < expected.RecordCount(); ++index)
    {
        const Host::Record& want = expected.RecordAt(index);
        const Host::Record& got = actual.RecordAt(index);
        EXPECT_EQ(std::bit_cast<uint64_t>(want.SampleInterval()), std::bit_cast<uint64_t>(got.SampleInterval())) << what;
        EXPECT_TRUE(got.IsComplete()) << what;
        for (size_t channel = 0; channel < expected.Channels().size(); ++channel)
            EXPECT_TRUE(std::ranges::equal(want.Samples(channel), got.Samples(channel))) << what << " record " << index;
    }
}

// Whatever the layout, the rows handed over in chunks make the recording the whole file makes; chunks of three
// rows cut records anywhere.
TEST(RecordingReader, HandsOverTheRecordingTheFileHoldsChunkByChunk)
{
    const struct
    {
        const char* what;
        std::string text;
    } cases[] = {
        {"one record", Header + Rows(10)},
        {"records, comments, blank lines", "# exported\n\n" + Header + Rows(4) + "# note\n" + Rows(3, 0.04) + "\n\n# next\n" +
                                               Rows(7, 30.0) + "\n" + Rows(2, 90.0) + "\n"},
        {"tab separated, carriage returns, no last newline", "Time (s)\tA (V)\r\n0.000\t1\r\n0.001\t2\r\n0.002\t3"},
        {"times the quick reading does not take", "Time (s),A (V)\n +0.5e0 ,1\n0.75,2\n1,3\n"},
    };
    for (const auto& [what, text] : cases)
    {
        const HostTests::TemporaryFile file("reader-chunks.csv", text);
        RecordingReader reader(file.Path(), 3);
        ASSERT_TRUE(reader.Streams()) << what;
        ExpectSameRecording(Host::LoadRecordingFile(file.Path()), FeedAll(reader), what);
        EXPECT_EQ(RecordingReader::Outcome::Streamed, reader.Settle()) << what;
    }
}

// A quick pass that finds other records than the parse (a file changed while it is read) sends the reading to
// the whole file: what was handed over does not count.
TEST(RecordingReader, ReadsTheWholeFileWhereTheQuickPassDisagrees)
{
    const std::string text = Header + Rows(8) + "\n" + Rows(5, 20.0);
    const HostTests::TemporaryFile file("reader-disagrees.csv", text);
    const auto found = Host::ScanRecordShapes(file.Path());
    ASSERT_TRUE(found && found->size() == 2);
    const auto changed = [&](auto change) {
        return [shapes = *found, change](const std::string&, const std::function<void()>&) mutable {
            change(shapes);
            return std::optional(shapes);
        };
    };
    const struct
    {
        const char* what;
        Host::ShapeScan scan;
    } cases[] = {
        {"an interval an ulp off", changed([](auto& s) { s[1].interval = std::nextafter(s[1].interval, 1.0); })},
        {"a row more", changed([](auto& s) { ++s[0].rows; })},
        {"far fewer rows: the record outgrows the room made for it", changed([](auto& s) { s[0].rows = 3; })},
        {"a record fewer", changed([](auto& s) { s.pop_back(); })},
        {"a record more", changed([](auto& s) { s.push_back(s.back()); })},
        {"no shapes", [](const std::string&, const std::function<void()>&) { return std::optional<std::vector<Host::RecordShape>>(); }},
    };
    for (const auto& [what, scan] : cases)
    {
        RecordingReader reader(file.Path(), 2, scan);
        if (reader.Streams())
        {
            EXPECT_THROW(FeedAll(reader), Host::ReadWholeFirst) << what;
        }
        ASSERT_EQ(RecordingReader::Outcome::Whole, reader.Settle()) << what;
        ExpectSameRecording(Host::LoadRecordingFile(file.Path()), reader.Whole(), what);
    }
}

// A fault anywhere in the text is all that is said, as the whole file's parse says it, whatever the work wrote
// meanwhile; where the quick pass cannot tell, the work runs once, over the whole recording. What runs while the
// reader looks for the records runs once, before any work, whatever the text holds. Streamed records
// are held to their grid as they come, with the tolerance of the decimals they end with. A faulty text may
// be read to its fault before the work could start: then the work does not run at all.
TEST(RecordingReader, RunWhileReadingReportsTheTextsFaultAlone)
{
    const struct
    {
        const char* what;
        std::string text;
        int runs; // at most, for a faulty text
    } cases[] = {
        {"a fault late in the text", Header + Rows(300) + "3.0,x,1\n", 1},
        {"a record of one row", Header + Rows(300) + "\n7,1,1\n", 0},
        {"a stamp off the grid", "Time (s),A\n0.000,1\n0.100,1\n0.200,1\n0.350,1\n0.400,1\n", 1},
        {"a stray only at the decimals the record ends with", "Time (s),A\n0,1\n1,1\n2,1\n3,1\n4.5,1\n", 1},
        {"stamps with exponents", "Time (s),A\n0,1\n5e2,1\n1e3,1\n\n2e3,1\n2.5e3,1\n", 1},
        {"no fault", Header + Rows(300), 1},
    };
    for (const auto& [what, text, runs] : cases)
    {
        const HostTests::TemporaryFile file("reader-fault.csv", text);
        std::string expected;
        try
        {
            expected = "work saw " + std::to_string(Host::LoadRecordingFile(file.Path()).RecordCount());
        }
        catch (const Host::RecordingFormatError& e)
        {
            expected = e.what();
        }
        std::ostringstream err;
        int calls = 0, meanwhiles = 0;
        const int status = Host::RunWhileReading(
            file.Path(), err,
            [&](const Host::Recording& recording, Host::SampleFeed* feed, std::ostream& runErr) {
                EXPECT_EQ(1, meanwhiles) << what << ": the work starts after what runs meanwhile";
                ++calls;
                runErr << "work saw " << (feed ? FeedAll(*feed) : recording).RecordCount();
                return 0;
            },
            [&](const std::string& message) {
                err << message;
                return 1;
            },
            [&] { ++meanwhiles; });
        const bool faulty = !expected.starts_with("work");
        EXPECT_TRUE(faulty ? calls <= runs : calls == runs) << what << ": " << calls << " runs";
        EXPECT_EQ(1, meanwhiles) << what;
        EXPECT_EQ(faulty ? 1 : 0, status) << what;
        EXPECT_EQ(expected, err.str()) << what;
    }
}

} // namespace
