// The recording text format: a header of `Name (unit)` columns, time in seconds in the first column,
// comma, tab or semicolon separated, a blank line between records, '#' comment lines.
#pragma once

#include "host/app/recording/Recording.h"

#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Host
{

// A recording text that cannot be read; names the place of the fault.
class RecordingFormatError : public std::runtime_error
{
public:
    RecordingFormatError(const std::string& file, size_t line, size_t column, const std::string& message);

    size_t Line() const { return line_; }
    size_t Column() const { return column_; }

private:
    size_t line_;
    size_t column_;
};

// Reads a whole recording text; file names it in errors. Either the complete recording or an error.
Recording ParseRecordingText(std::string_view text, const std::string& file);

// Reads a recording text file (path in UTF-8).
Recording LoadRecordingFile(const std::string& path);

// Writes the recording as a recording text that reads back to the same samples: comma separated, each
// record's time from 0, a blank line between records, every number in the shortest form that reads back
// to it; a deleted channel has no column. Throws std::runtime_error when the stream fails.
void WriteRecordingText(const Recording& recording, std::ostream& out);

// The time stamps of a record's ticks as a person writes them: at the sample interval's decimals, without
// trailing zeros ("7.999", not "7.9990000000000006"); an interval taken from rounded stamps keeps its noise
// out of them.
class TimeStamps
{
public:
    explicit TimeStamps(double sampleInterval);
    void Write(std::ostream& out, int64_t tick) const;
    std::string Text(int64_t tick) const;

private:
    int decimals_;
    double interval_;
};

// The shape of one record of a text: its rows, its last time, and the sample interval its first and last time
// give.
struct RecordShape
{
    double interval;
    size_t rows;
    double last;
};

// The records' shapes found in a quick pass over a recording text file that reads only the first and the last
// time of each record; nothing when the pass cannot tell them (the file does not open, a record has one row,
// such a time is no number). The parse may still find faults the pass does not look for. eachBlock runs
// before each block of the file is read, and may throw to stop the pass.
std::optional<std::vector<RecordShape>> ScanRecordShapes(const std::string& path,
                                                         const std::function<void()>& eachBlock = {});

// Takes the rows of a recording text as they are parsed, a chunk at a time, in place of a recording.
class RowSink
{
public:
    virtual ~RowSink() = default;
    virtual void Channels(const std::vector<ChannelInfo>& channels) = 0;
    // A record starts; returns the shape it is expected to have. Its times are checked against that shape as
    // they come, and a record that does not have it is not judged: RecordEnd tells the shape it has.
    virtual RecordShape RecordStart() = 0;
    // Rows of the current record, a vector per channel.
    virtual void Rows(std::vector<std::vector<float>> columns) = 0;
    // The last rows of the current record, with the shape it has.
    virtual void RecordEnd(std::vector<std::vector<float>> columns, const RecordShape& shape) = 0;
};

// Parses a recording text file as LoadRecordingFile does, with its faults, but hands the rows to sink in
// chunks of chunkRows as they are parsed; eachBlock runs before each block of the file is read.
void ReadRecordingRows(const std::string& path, RowSink& sink, size_t chunkRows,
                       const std::function<void()>& eachBlock = {});

} // namespace Host
