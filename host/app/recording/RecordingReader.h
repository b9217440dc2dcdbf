// A recording text read while it is analysed: a thread of the host's reads and parses the file and hands the
// rows over as they are parsed, the way a sampled recording arrives, so that the analysis need not wait for the
// whole file. The analysis and everything it calls stay on the thread that feeds.
#pragma once

#include "host/app/recording/Recording.h"
#include "host/app/recording/RecordingText.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace Host
{

// The rows cannot be handed over as they are parsed after all: the recording is read whole first.
class ReadWholeFirst : public std::exception
{
public:
    const char* what() const noexcept override { return "the recording is read whole before it is analysed"; }
};

// How the records' shapes are found ahead of the parse (ScanRecordShapes).
using ShapeScan = std::function<std::optional<std::vector<RecordShape>>(const std::string&, const std::function<void()>&)>;

// Reads a recording text file on a thread of its own. A live record needs its sample interval when it starts,
// and a text gives it only at the record's end; so a quick pass finds every record's shape first, and the
// parse checks each record against it. Where the pass cannot tell, or the parse disagrees, the file is read
// whole instead and nothing that was handed over counts.
class RecordingReader final : public SampleFeed, private RowSink
{
public:
    // The reader runs ahead of the analysis as far as it can, so that the text's fault, if any, is known early
    // and the parse's own memory goes early. The rows are not doubled meanwhile: a chunk's columns are large
    // enough that the system takes them back once they are fed, and the live recording's room is only
    // reserved until the rows arrive.
    static constexpr size_t DefaultChunkRows = size_t{1} << 18;

    explicit RecordingReader(std::string path, size_t chunkRows = DefaultChunkRows, ShapeScan scan = ScanRecordShapes);
    ~RecordingReader() override;
    RecordingReader(const RecordingReader&) = delete;
    RecordingReader& operator=(const RecordingReader&) = delete;

    // Waits for the header. True: the rows come into Live() as they are parsed, through Feed. False: the file
    // is read whole first (Whole).
    bool Streams();
    const Recording& Live() const override { return live_; }
    // Waits for the next chunk parsed and appends it to the live recording (a chunk is as large as the reader
    // makes it: count is not used). Throws the text's fault, or ReadWholeFirst.
    void Feed(int64_t count) override;

    enum class Outcome
    {
        Streamed, // the whole text was read without fault
        Failed,   // Whole throws the fault
        Whole,    // the rows were not all handed over; Whole gives the recording
    };
    // Waits for the end of the reading; chunks not fed yet are dropped.
    Outcome Settle();
    // The recording read whole; waits for it, and throws the fault of the text.
    const Recording& Whole();

private:
    struct Chunk
    {
        std::vector<std::vector<float>> columns;
        std::optional<RecordShape> start; // the shape of the record the chunk starts
        bool recordEnd = false;
        bool last = false;
        std::vector<std::vector<float>> room; // with start: the record's room, made by the reader
    };
    enum class Phase
    {
        Scanning,
        Streaming,
        Ended,
        Falling,
        Whole,
        Failed
    };

    void Run(std::stop_token stop);
    void ReadWhole();
    void Append(Chunk& chunk);
    void Post(Chunk chunk);
    Chunk Passed(std::vector<std::vector<float>> columns, bool recordEnd);
    size_t RoomRowsFed() const;
    size_t RoomRowsToTouch() const;
    void TouchRoomAhead(const std::unique_lock<std::mutex>& lock);
    void AfterTheParse();
    void PostPending(bool last);
    void SetPhase(Phase phase, std::exception_ptr fault = nullptr);
    void Channels(const std::vector<ChannelInfo>& channels) override;
    RecordShape RecordStart() override;
    void Rows(std::vector<std::vector<float>> columns) override;
    void RecordEnd(std::vector<std::vector<float>> columns, const RecordShape& shape) override;

    const std::string path_;
    const size_t chunkRows_;
    const ShapeScan scan_;
    // The main thread's.
    Recording live_;
    bool declared_ = false;
    std::vector<std::vector<std::vector<float>>> roomsDropped_; // rooms of records that were not fed: the
                                                                 // reader may still touch them
    // The reader's.
    std::optional<std::vector<RecordShape>> shapes_;
    size_t record_ = 0;
    std::optional<RecordShape> starting_;
    std::optional<Chunk> pending_; // a record's last chunk, held until it is known whether another record follows
    // The current record's room: made here and handed over with its first chunk, its pages touched a little
    // ahead of the rows fed, so that the feeding thread copies into memory the system has already given (an
    // hour's first touches cost it more than the copy), and no further, so that the rows are not doubled while
    // the parse runs ahead. Touched only under the mutex, above the rows fed (the feeding thread appends only
    // rows it took under the mutex) and below the shape's rows (as long as the rows fit that shape the record
    // keeps its room).
    std::vector<float*> roomStarts_;
    size_t roomRecord_ = 0;
    size_t roomRows_ = 0;
    size_t rowsTouched_ = 0;
    // Shared under the mutex.
    std::mutex mutex_;
    std::condition_variable_any changed_;
    Phase phase_ = Phase::Scanning;
    std::vector<ChannelInfo> channels_;
    std::deque<Chunk> queue_;
    size_t recordsFed_ = 0; // records the feeding thread started
    size_t rowsFed_ = 0;    // rows it took of the last of them
    // Columns the feeding thread has copied: the reader lets them go, since under Wine giving a chunk's memory
    // back costs the thread that does it more than copying the chunk did.
    std::vector<std::vector<float>> retired_;
    bool lastFed_ = false;
    bool stopping_ = false; // the reader is going: the thread ends at its next wait
    std::optional<Recording> whole_;
    std::exception_ptr fault_;
    // Last, so that it stops and joins before anything it uses goes.
    std::jthread thread_;
};

// Runs work over a recording text while it is read. Work gets the recording, growing while the rows arrive
// through the feed, or read whole (no feed); what it writes to its err stream is held until the text has been
// read. A fault of the text is reported alone, through readFailed, as when the file is read before the work
// starts; where the rows cannot be handed over as they are parsed, the work runs again over the whole recording.
// Meanwhile runs once, on this thread, while the reader looks for the records before the first row can come.
int RunWhileReading(const std::string& path, std::ostream& err,
                    const std::function<int(const Recording&, SampleFeed*, std::ostream&)>& work,
                    const std::function<int(const std::string&)>& readFailed,
                    const std::function<void()>& meanwhile = {});

} // namespace Host
