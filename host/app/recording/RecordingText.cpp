#include "host/app/recording/RecordingText.h"

#include "host/app/TextConversion.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace Host
{

namespace
{

// Samples of one record may deviate from a uniform time grid by this fraction of the interval.
constexpr double TimeGridTolerance = 1e-6;

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

struct Cell
{
    std::string_view text;
    size_t column; // 1-based character column of the cell's first character
};

struct Line
{
    std::string_view text;
    size_t number; // 1-based
};

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

bool IsComment(std::string_view line)
{
    const size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '#';
}

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

class RecordingTextReader
{
public:
    RecordingTextReader(std::string_view text, const std::string& file) : file_(file)
    {
        if (text.starts_with(Utf8ByteOrderMark))
            text.remove_prefix(Utf8ByteOrderMark.size());
        SplitLines(text);
    }

    Recording Read()
    {
        auto line = lines_.begin();
        while (line != lines_.end() && (IsBlank(line->text) || IsComment(line->text)))
            ++line;
        if (line == lines_.end())
            Fail(lines_.size() + 1, 1, "the file holds no header line (empty file)");
        Recording recording(ReadHeader(*line));
        ++line;

        std::vector<Line> record;
        for (; line != lines_.end(); ++line)
        {
            if (IsComment(line->text))
                continue;
            if (IsBlank(line->text))
                FlushRecord(recording, record);
            else
                record.push_back(*line);
        }
        FlushRecord(recording, record);
        if (recording.RecordCount() == 0)
            Fail(lines_.size() + 1, 1, "the file holds no samples");
        recording.RecordAt(recording.RecordCount() - 1).MarkComplete();
        recording.MarkFinished();
        return recording;
    }

private:
    [[noreturn]] void Fail(size_t line, size_t column, const std::string& message) const
    {
        throw RecordingFormatError(file_, line, column, message);
    }

    void SplitLines(std::string_view text)
    {
        size_t number = 1;
        while (!text.empty())
        {
            const size_t end = text.find('\n');
            lines_.push_back({text.substr(0, end), number++});
            if (end == std::string_view::npos)
                break;
            text.remove_prefix(end + 1);
        }
    }

    std::vector<Cell> SplitCells(std::string_view line) const
    {
        std::vector<Cell> cells;
        size_t start = 0;
        while (true)
        {
            const size_t end = line.find(separator_, start);
            const std::string_view raw = line.substr(start, end == std::string_view::npos ? end : end - start);
            const size_t lead = raw.find_first_not_of(" \t\r");
            cells.push_back({Trim(raw), start + (lead == std::string_view::npos ? 0 : lead) + 1});
            if (end == std::string_view::npos)
                return cells;
            start = end + 1;
        }
    }

    std::vector<ChannelInfo> ReadHeader(const Line& header)
    {
        separator_ = header.text.find('\t') != std::string_view::npos   ? '\t'
                     : header.text.find(';') != std::string_view::npos ? ';'
                                                                        : ',';
        const std::vector<Cell> cells = SplitCells(header.text);
        columnCount_ = cells.size();
        if (columnCount_ < 2)
            Fail(header.number, 1, "the header names no channel after the time column");
        std::vector<ChannelInfo> channels;
        for (size_t index = 1; index < cells.size(); ++index)
        {
            if (cells[index].text.empty())
                Fail(header.number, cells[index].column, "a channel column has no name");
            channels.push_back(ParseColumnName(cells[index].text));
        }
        return channels;
    }

    static ChannelInfo ParseColumnName(std::string_view text)
    {
        const size_t open = text.rfind('(');
        if (!text.ends_with(')') || open == std::string_view::npos || open == 0)
            return {std::string(text), {}};
        return {std::string(Trim(text.substr(0, open))), std::string(Trim(text.substr(open + 1, text.size() - open - 2)))};
    }

    double ParseNumber(const Cell& cell, size_t line) const
    {
        std::string_view text = cell.text;
        if (text.starts_with('+'))
            text.remove_prefix(1);
        double value = 0.0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size())
            Fail(line, cell.column, "'" + std::string(cell.text) + "' is not a number");
        if (!std::isfinite(value))
            Fail(line, cell.column, "'" + std::string(cell.text) + "' is not a finite number");
        return value;
    }

    std::vector<Cell> RowCells(const Line& line) const
    {
        std::vector<Cell> cells = SplitCells(line.text);
        if (cells.size() < columnCount_)
            Fail(line.number, line.text.find_last_not_of(" \t\r") + 2,
                 "the row has " + std::to_string(cells.size()) + " cells, the header " + std::to_string(columnCount_));
        if (cells.size() > columnCount_)
            Fail(line.number, cells[columnCount_].column,
                 "the row has " + std::to_string(cells.size()) + " cells, the header " + std::to_string(columnCount_));
        return cells;
    }

    // Checks one record's rows and appends it; rows is emptied.
    void FlushRecord(Recording& recording, std::vector<Line>& rows) const
    {
        if (rows.empty())
            return;
        if (rows.size() < 2)
            Fail(rows.front().number, 1, "a record needs at least two samples to give its sample interval");
        std::vector<double> times;
        std::vector<std::vector<float>> channels(columnCount_ - 1);
        for (const Line& row : rows)
        {
            const std::vector<Cell> cells = RowCells(row);
            times.push_back(ParseNumber(cells[0], row.number));
            for (size_t column = 1; column < cells.size(); ++column)
                channels[column - 1].push_back(static_cast<float>(ParseNumber(cells[column], row.number)));
        }
        const double interval = CheckUniformTime(times, rows);
        std::vector<std::span<const float>> spans(channels.begin(), channels.end());
        recording.AddRecord(interval).Append(spans);
        rows.clear();
    }

    // The interval of a uniform time column: the mean step, every step within tolerance of the first.
    double CheckUniformTime(const std::vector<double>& times, const std::vector<Line>& rows) const
    {
        const double step = times[1] - times[0];
        if (!(step > 0.0))
            Fail(rows[1].number, 1, "time does not increase");
        for (size_t index = 1; index < times.size(); ++index)
            if (std::abs(times[index] - times[index - 1] - step) > TimeGridTolerance * step)
                Fail(rows[index].number, 1,
                     "time is not uniform: step " + std::to_string(times[index] - times[index - 1]) +
                         " s where the record began with " + std::to_string(step) + " s");
        return (times.back() - times.front()) / static_cast<double>(times.size() - 1);
    }

    const std::string& file_;
    std::vector<Line> lines_;
    char separator_ = ',';
    size_t columnCount_ = 0;
};

std::string FormatLocation(const std::string& file, size_t line, size_t column, const std::string& message)
{
    return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message;
}

} // namespace

RecordingFormatError::RecordingFormatError(const std::string& file, size_t line, size_t column,
                                           const std::string& message)
    : std::runtime_error(FormatLocation(file, line, column, message)), line_(line), column_(column)
{
}

Recording ParseRecordingText(std::string_view text, const std::string& file)
{
    return RecordingTextReader(text, file).Read();
}

Recording LoadRecordingFile(const std::string& path)
{
    std::ifstream stream(std::filesystem::path(FromUtf8(path)), std::ios::binary);
    if (!stream)
        throw std::runtime_error(path + ": cannot open the file");
    std::ostringstream content;
    content << stream.rdbuf();
    if (stream.bad())
        throw std::runtime_error(path + ": cannot read the file");
    return ParseRecordingText(content.str(), path);
}

} // namespace Host
