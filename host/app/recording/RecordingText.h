// The recording text format: a header of `Name (unit)` columns, time in seconds in the first column,
// comma, tab or semicolon separated, a blank line between records, '#' comment lines.
#pragma once

#include "host/app/recording/Recording.h"

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

} // namespace Host
