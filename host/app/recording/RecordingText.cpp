// One pass over the text: the file is read in large blocks, cut into lines where it lies, and every cell is
// parsed straight into its record's float column. Nothing is kept per row but the samples and one float of
// the time check, so a recording costs little more than its samples while it is read.
#include "host/app/recording/RecordingText.h"

#include "host/app/recording/TextDecoding.h"
#include "host/app/files/TextConversion.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <emmintrin.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>

namespace Host
{

namespace
{

// The file is read in blocks of this size.
constexpr size_t ReadBlockBytes = size_t{1} << 20;
// Rows read before a record's size is estimated from their average length.
constexpr size_t RowsBeforeEstimate = 1024;
// A record's estimated rows are reserved with this margin; beyond them a column grows by a quarter, not by
// the double of a plain vector.
constexpr double EstimateMargin = 1.01;
constexpr size_t GrowthDivisor = 4;
// A record's columns give back what they reserved beyond their samples when it is more than this part.
constexpr size_t SlackDivisor = 16;
// Cells are quoted in errors up to this many characters.
constexpr size_t QuotedCellCharacters = 40;
// Time stamps finer than their own digits can say are held to the grid within this fraction of the interval.
constexpr double RelativeTimeTolerance = 1e-6;
// Doubles carry about this many ulps of error by the time a stamp is compared with the grid.
constexpr double TimeRoundingUlps = 4.0;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

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

// A header names its separator: a tab, else a semicolon, else a comma.
char SeparatorOf(std::string_view header)
{
    return header.find('\t') != std::string_view::npos ? '\t' : header.find(';') != std::string_view::npos ? ';' : ',';
}

// A line that holds samples: after the header, every line but a comment or a blank one.
bool StartsLikeARow(std::string_view line)
{
    return !line.empty() && (static_cast<unsigned>(line[0] - '0') < 10 || line[0] == '-');
}

enum class NumberRead
{
    Valid,
    OutOfRange,
    NotANumber,
    NotFinite
};

// A cell's trimmed text as a number: a leading '+' is taken, and the whole text must be the number.
NumberRead ReadNumber(std::string_view text, double& value)
{
    if (text.starts_with('+'))
        text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (!text.empty() && end == text.data() + text.size() && error == std::errc::result_out_of_range)
        return NumberRead::OutOfRange;
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return NumberRead::NotANumber;
    return std::isfinite(value) ? NumberRead::Valid : NumberRead::NotFinite;
}

// The cell as an error quotes it: at most QuotedCellCharacters characters, cut between characters.
std::string Quoted(std::string_view cell)
{
    size_t characters = 0;
    for (size_t index = 0; index < cell.size(); ++index)
        if ((static_cast<unsigned char>(cell[index]) & 0xC0) != 0x80 && characters++ == QuotedCellCharacters)
            return "'" + std::string(cell.substr(0, index)) + "...'";
    return "'" + std::string(cell) + "'";
}

// Places of the last printed digit of a number's text: 3 for "0.001", -2 for "5e2".
int DecimalsOf(std::string_view text)
{
    const size_t exponentAt = text.find_first_of("eE");
    const std::string_view mantissa = text.substr(0, exponentAt);
    const size_t point = mantissa.find('.');
    int decimals = point == std::string_view::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
    if (exponentAt != std::string_view::npos)
    {
        std::string_view exponent = text.substr(exponentAt + 1);
        if (exponent.starts_with('+'))
            exponent.remove_prefix(1);
        int power = 0;
        std::from_chars(exponent.data(), exponent.data() + exponent.size(), power);
        decimals -= power;
    }
    return decimals;
}

// Exact powers of ten: a mantissa below 2^53 divided by one of them is the correctly rounded value of the
// decimal, the same double std::from_chars gives.
constexpr double PowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
                                  1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// At most this many digits keep the mantissa below 2^53.
constexpr int SimpleDecimalDigits = 15;

// The number at text of the plain form an export writes, [+-]digits[.digits] with at most
// SimpleDecimalDigits digits, ending at end or at the separator. Returns where it ends, or nullptr for
// anything else, which then takes the general path with its checks and messages.
const char* ParseSimpleDecimal(const char* text, const char* end, char separator, double& value, int& decimals)
{
    const char* p = text;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    uint64_t mantissa = 0;
    int digits = 0;
    decimals = 0;
    bool point = false;
    for (; p < end; ++p)
    {
        const auto digit = static_cast<unsigned>(*p - '0');
        if (digit < 10)
        {
            mantissa = mantissa * 10 + digit;
            ++digits;
            decimals += point;
        }
        else if (*p == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0 || digits > SimpleDecimalDigits || (p < end && *p != separator))
        return nullptr;
    const double magnitude = static_cast<double>(mantissa) / PowersOfTen[decimals];
    value = negative ? -magnitude : magnitude;
    return p;
}

std::string ShortestText(double value)
{
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

std::string ThreeDigits(double value)
{
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 3).ptr);
}

// Mean length of the text of time stamps spread evenly from `from` to `to` seconds, printed with the given
// places: a stamp gains an integer digit at every power of ten.
double MeanStampLength(double from, double to, int decimals)
{
    constexpr int MostIntegerDigits = 20;
    const double places = decimals > 0 ? decimals + 1.0 : 0.0;
    from = std::abs(from);
    to = std::max(std::abs(to), from);
    if (!(to > from))
        return places + std::max(1.0, std::floor(std::log10(std::max(from, 1.0))) + 1.0);
    double weighted = 0.0;
    for (int digits = 1; digits <= MostIntegerDigits; ++digits)
    {
        const double low = digits == 1 ? 0.0 : std::pow(10.0, digits - 1);
        const double overlap = std::min(to, std::pow(10.0, digits)) - std::max(from, low);
        if (overlap > 0.0)
            weighted += overlap * digits;
    }
    return places + weighted / (to - from);
}

// The time of a row, read as the parser reads it, or nothing where the parser would find a fault.
std::optional<double> TimeOfRow(std::string_view line, char separator)
{
    const char* const begin = line.data();
    const char* const end = begin + line.size() - (line.ends_with('\r') ? 1 : 0);
    double value = 0.0;
    int decimals = 0;
    if (const char* stop = ParseSimpleDecimal(begin, end, separator, value, decimals); stop && stop != end)
        return value;
    const void* stop = std::memchr(begin, separator, static_cast<size_t>(end - begin));
    if (!stop)
        return std::nullopt;
    const std::string_view cell = Trim(std::string_view(begin, static_cast<size_t>(static_cast<const char*>(stop) - begin)));
    if (ReadNumber(cell, value) != NumberRead::Valid)
        return std::nullopt;
    return value;
}

// The interval of a record's uniform grid: its span over its steps.
double GridInterval(double first, double last, size_t rows)
{
    return (last - first) / static_cast<double>(rows - 1);
}

// A stamp may be off by its own rounding (half a unit of the last printed digit) and the grid by the rounding
// of its two ends (another half unit); stamps printed finer than that are held to a millionth of the interval.
double GridTolerance(int decimals, double first, double last, double interval)
{
    const double unit = std::pow(10.0, -std::min(decimals, DBL_DIG + 3));
    const double rounding = TimeRoundingUlps * DBL_EPSILON * std::max(std::abs(first), std::abs(last));
    return std::max(unit, RelativeTimeTolerance * interval) + rounding;
}

// The uniform time grid of one record. Its interval comes from the record's span, known only at its end;
// meanwhile each stamp is kept as a float residual from a provisional grid whose interval is re-estimated
// at every power-of-two row, so that the residuals stay within a few units of the stamps' last digit and a
// float holds them with room to spare.
class TimeGrid
{
public:
    // The next record's shape is known ahead: its stamps are checked as they come, and none is kept.
    void Expect(const RecordShape& shape) { expected_ = shape; }

    void Start(double time, int decimals)
    {
        first_ = last_ = time;
        rows_ = 1;
        decimals_ = decimals;
        provisional_.clear();
        if (expected_)
            StartWatch();
        else
            residuals_.assign(1, 0.0f);
    }

    // False when the stamp does not come after the first.
    bool Add(double time, int decimals)
    {
        if (rows_ == 1 && !(time > first_))
            return false;
        if ((rows_ & (rows_ - 1)) == 0) // a power of two
            provisional_.push_back((time - first_) / static_cast<double>(rows_));
        const auto residual = static_cast<float>((time - first_) - static_cast<double>(rows_) * provisional_.back());
        if (expected_)
            Watch(residual);
        else
            residuals_.push_back(residual);
        decimals_ = std::max(decimals_, decimals);
        last_ = time;
        ++rows_;
        return true;
    }

    void Reserve(size_t rows) { residuals_.reserve(rows); }
    double Last() const { return last_; }
    int Decimals() const { return decimals_; }
    size_t Rows() const { return rows_; }
    double Interval() const { return GridInterval(first_, last_, rows_); }

    double Tolerance() const { return GridTolerance(decimals_, first_, last_, Interval()); }

    // Whether the record came out as expected; a record that did not is not judged here.
    bool MetExpectation() const
    {
        return !expected_ || (expected_->rows == rows_ && SameBits(expected_->interval, Interval()) &&
                              SameBits(expected_->last, last_));
    }

    // The first row off the grid by more than the tolerance, how far, and its stamp as the grids give it back.
    struct Stray
    {
        size_t row;
        double deviation;
        double time;
    };
    std::optional<Stray> FindStray() const
    {
        if (expected_)
            return MetExpectation() ? strays_[static_cast<size_t>(Capped(decimals_) - lowest_)] : std::nullopt;
        const double interval = Interval();
        const double tolerance = Tolerance();
        for (size_t row = 1; row < rows_; ++row)
        {
            const double provisional = provisional_[static_cast<size_t>(std::bit_width(row)) - 1];
            const double deviation = residuals_[row] + static_cast<double>(row) * (provisional - interval);
            if (!(std::abs(deviation) <= tolerance))
                return Stray{row, deviation, first_ + static_cast<double>(row) * provisional + residuals_[row]};
        }
        return std::nullopt;
    }

    void Release() { std::vector<float>().swap(residuals_); }

private:
    static bool SameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }
    static int Capped(int decimals) { return std::min(decimals, DBL_DIG + 3); }

    // The record's decimals only grow from its first stamp's, and the tolerance shrinks as they do: one
    // watched tolerance for every number of decimals the record may end with.
    void StartWatch()
    {
        lowest_ = Capped(decimals_);
        tolerances_.clear();
        for (int decimals = lowest_; decimals <= DBL_DIG + 3; ++decimals)
            tolerances_.push_back(GridTolerance(decimals, first_, expected_->last, expected_->interval));
        strays_.assign(tolerances_.size(), std::nullopt);
        firstFound_ = strays_.size();
    }

    // The first stray of a tolerance is the first stray of every finer one too: those found are always the
    // finest, from firstFound_ on, and a row need only be held against the next coarser one.
    void Watch(float residual)
    {
        const double provisional = provisional_.back();
        const double deviation = residual + static_cast<double>(rows_) * (provisional - expected_->interval);
        size_t found = firstFound_;
        while (found > 0 && !(std::abs(deviation) <= tolerances_[found - 1]))
            --found;
        if (found == firstFound_)
            return;
        const Stray stray{rows_, deviation, first_ + static_cast<double>(rows_) * provisional + residual};
        std::fill(strays_.begin() + static_cast<std::ptrdiff_t>(found),
                  strays_.begin() + static_cast<std::ptrdiff_t>(firstFound_), stray);
        firstFound_ = found;
    }

    double first_ = 0.0;
    double last_ = 0.0;
    size_t rows_ = 0;
    int decimals_ = 0;
    std::vector<float> residuals_;
    std::vector<double> provisional_;
    std::optional<RecordShape> expected_;
    int lowest_ = 0;
    std::vector<double> tolerances_;          // by decimals from lowest_
    std::vector<std::optional<Stray>> strays_; // by decimals from lowest_
    size_t firstFound_ = 0;
};

class RecordingTextParser
{
public:
    // With a sink, the rows go to it a chunk of chunkRows at a time, and the recording keeps only the channels.
    RecordingTextParser(const std::string& file, uint64_t expectedBytes, RowSink* sink = nullptr, size_t chunkRows = 0)
        : file_(file), expectedBytes_(expectedBytes), sink_(sink), chunkRows_(chunkRows)
    {
    }

    void Line(std::string_view text)
    {
        ++lineNumber_;
        consumedBytes_ += text.size() + 1;
        if (!recording_)
        {
            if (!IsBlank(text) && !IsComment(text))
            {
                recording_.emplace(ReadHeader(text));
                if (sink_)
                    sink_->Channels(recording_->Channels());
            }
            return;
        }
        if (StartsLikeARow(text))
        {
            Row(text);
            return;
        }
        if (IsComment(text))
        {
            if (rowsInRecord_ > 0)
                commentsBeforeRow_.push_back(rowsInRecord_);
            return;
        }
        if (IsBlank(text))
            FlushRecord();
        else
            Row(text);
    }

    void LinesExpire() {}

    Recording Finish()
    {
        if (!recording_)
            Fail(lineNumber_ + 1, 1, "the file holds no header line (empty file)");
        FlushRecord();
        if (records_ == 0)
            Fail(lineNumber_ + 1, 1, "the file holds no samples");
        time_.Release();
        if (!sink_)
        {
            recording_->RecordAt(recording_->RecordCount() - 1).MarkComplete();
            recording_->MarkFinished();
        }
        return std::move(*recording_);
    }

private:
    [[noreturn]] void Fail(size_t line, size_t column, const std::string& message) const
    {
        throw RecordingFormatError(file_, line, column, message);
    }

    std::vector<ChannelInfo> ReadHeader(std::string_view header)
    {
        separator_ = SeparatorOf(header);
        std::vector<ChannelInfo> channels;
        size_t start = 0;
        for (size_t column = 0;; ++column)
        {
            const size_t end = header.find(separator_, start);
            const std::string_view raw = header.substr(start, end == std::string_view::npos ? end : end - start);
            if (column > 0)
            {
                const std::string_view name = Trim(raw);
                if (name.empty())
                    Fail(lineNumber_, start + 1, "a channel column has no name");
                channels.push_back(ParseColumnName(name));
            }
            if (end == std::string_view::npos)
                break;
            start = end + 1;
        }
        if (channels.empty())
            Fail(lineNumber_, 1, "the header names no channel after the time column");
        columns_.resize(channels.size());
        return channels;
    }

    static ChannelInfo ParseColumnName(std::string_view text)
    {
        const size_t open = text.rfind('(');
        if (!text.ends_with(')') || open == std::string_view::npos || open == 0)
            return {std::string(text), {}};
        return {std::string(Trim(text.substr(0, open))), std::string(Trim(text.substr(open + 1, text.size() - open - 2)))};
    }

    size_t ColumnCount() const { return columns_.size() + 1; }

    std::string CellCountMessage(size_t cells) const
    {
        return "the row has " + std::to_string(cells) + " cells, the header " + std::to_string(ColumnCount());
    }

    [[noreturn]] void FailCellCount(std::string_view line) const
    {
        const size_t cells = static_cast<size_t>(std::count(line.begin(), line.end(), separator_)) + 1;
        if (cells < ColumnCount())
            Fail(lineNumber_, line.find_last_not_of(" \t\r") + 2, CellCountMessage(cells));
        size_t start = 0;
        for (size_t column = 0; column < ColumnCount(); ++column)
            start = line.find(separator_, start) + 1;
        const size_t end = std::min(line.find(separator_, start), line.size());
        const size_t lead = line.substr(0, end).find_first_not_of(" \t\r", start);
        Fail(lineNumber_, (lead == std::string_view::npos ? start : lead) + 1, CellCountMessage(cells));
    }

    // Parses one cell; column is the 1-based column of its first character.
    double Number(std::string_view cell, size_t column) const
    {
        double value = 0.0;
        switch (ReadNumber(cell, value))
        {
        case NumberRead::OutOfRange:
            Fail(lineNumber_, column, Quoted(cell) + " is beyond the range of a number");
        case NumberRead::NotANumber:
            Fail(lineNumber_, column, Quoted(cell) + " is not a number");
        case NumberRead::NotFinite:
            Fail(lineNumber_, column, Quoted(cell) + " is not a finite number");
        case NumberRead::Valid:
            break;
        }
        return value;
    }

    float Sample(std::string_view cell, size_t column) const
    {
        const double value = Number(cell, column);
        const auto sample = static_cast<float>(value);
        if (std::isinf(sample))
            Fail(lineNumber_, column,
                 Quoted(cell) + " is beyond the range of a sample (a magnitude of at most " + ThreeDigits(FLT_MAX) + ")");
        return sample;
    }

    void Row(std::string_view line)
    {
        if (rowsInRecord_ == 0)
            StartRecord();
        else if (sink_ && columns_.front().size() == chunkRows_)
            PassChunk();
        else if (!sink_ && (rowsInRecord_ == RowsBeforeEstimate || columns_.front().size() == columns_.front().capacity()))
            ReserveRows();
        const char* const begin = line.data();
        // The line end of a text written with carriage returns would send every last cell the long way.
        const char* const end = begin + line.size() - (line.ends_with('\r') ? 1 : 0);
        const char* cell = begin;
        const size_t last = ColumnCount() - 1;
        for (size_t column = 0; column <= last; ++column)
        {
            double value = 0.0;
            int decimals = 0;
            if (const char* stop = ParseSimpleDecimal(cell, end, separator_, value, decimals);
                stop && (stop == end) == (column == last))
            {
                if (column == 0)
                    Time(value, decimals, static_cast<size_t>(stop - cell));
                else
                    columns_[column - 1].push_back(static_cast<float>(value));
                cell = stop + 1;
                continue;
            }
            const char* stop = static_cast<const char*>(std::memchr(cell, separator_, static_cast<size_t>(end - cell)));
            if ((stop == nullptr) != (column == last))
                FailCellCount(line);
            if (!stop)
                stop = end;
            const char* first = cell;
            while (first < stop && IsSpace(*first))
                ++first;
            const char* after = stop;
            while (after > first && IsSpace(after[-1]))
                --after;
            const std::string_view text(first, static_cast<size_t>(after - first));
            const size_t place = static_cast<size_t>((first == stop ? cell : first) - begin) + 1;
            if (column == 0)
                Time(Number(text, place), DecimalsOf(text), text.size());
            else
                columns_[column - 1].push_back(Sample(text, place));
            cell = stop + 1;
        }
        ++rowsInRecord_;
    }

    void Time(double time, int decimals, size_t textBytes)
    {
        timeTextBytes_ += textBytes;
        if (rowsInRecord_ == 0)
            time_.Start(time, decimals);
        else if (!time_.Add(time, decimals))
            Fail(lineNumber_, 1, "time does not increase");
    }

    void StartRecord()
    {
        firstLineOfRecord_ = lineNumber_;
        if (!sink_)
            return;
        time_.Expect(sink_->RecordStart());
        ReserveChunk();
    }

    void ReserveChunk()
    {
        for (std::vector<float>& column : columns_)
            column.reserve(chunkRows_);
    }

    void PassChunk()
    {
        sink_->Rows(TakeColumns());
        ReserveChunk();
    }

    std::vector<std::vector<float>> TakeColumns()
    {
        return std::exchange(columns_, std::vector<std::vector<float>>(columns_.size()));
    }

    // Reserves the rows the rest of the text is likely to hold in this record, from the length of the rows so
    // far; beyond that estimate a column grows by a quarter.
    void ReserveRows()
    {
        const size_t rows = columns_.front().size();
        size_t wanted = rows + rows / GrowthDivisor + 1;
        if (rows == RowsBeforeEstimate && expectedBytes_ > consumedBytes_)
            wanted = std::max(wanted, rows + static_cast<size_t>(EstimatedRowsLeft() * EstimateMargin) + 1);
        if (wanted <= columns_.front().capacity())
            return;
        for (std::vector<float>& column : columns_)
            column.reserve(wanted);
        time_.Reserve(wanted);
    }

    // Rows the rest of the text holds if it all belongs to this record: the cells but the time keep their
    // average length, and the time stamps grow by a digit at every power of ten.
    double EstimatedRowsLeft() const
    {
        const auto rows = static_cast<double>(columns_.front().size());
        const auto recordBytes = static_cast<double>(consumedBytes_ - recordStartBytes_);
        const double otherBytesPerRow = (recordBytes - static_cast<double>(timeTextBytes_)) / rows;
        const auto remaining = static_cast<double>(expectedBytes_ - consumedBytes_);
        double estimate = remaining / (recordBytes / rows);
        for (int refinement = 0; refinement < 3; ++refinement)
        {
            const double end = time_.Last() + estimate * time_.Interval();
            estimate = remaining / (otherBytesPerRow + MeanStampLength(time_.Last(), end, time_.Decimals()));
        }
        return estimate;
    }

    size_t LineOfRow(size_t row) const
    {
        const auto comments = std::upper_bound(commentsBeforeRow_.begin(), commentsBeforeRow_.end(), row);
        return firstLineOfRecord_ + row + static_cast<size_t>(comments - commentsBeforeRow_.begin());
    }

    void CheckUniformTime() const
    {
        const double interval = time_.Interval();
        if (!(interval > 0.0))
            Fail(LineOfRow(time_.Rows() - 1), 1, "time does not increase");
        const auto stray = time_.FindStray();
        if (!stray)
            return;
        Fail(LineOfRow(stray->row), 1,
             "time is not uniform: " + ShortestText(stray->time) + " s lies " +
                 ThreeDigits(std::abs(stray->deviation)) + " s off the record's grid of " + ShortestText(interval) +
                 " s steps from its first to its last time (tolerance " + ThreeDigits(time_.Tolerance()) + " s)");
    }

    void FlushRecord()
    {
        if (rowsInRecord_ == 0)
            return;
        if (rowsInRecord_ < 2)
            Fail(firstLineOfRecord_, 1, "a record needs at least two samples to give its sample interval");
        CheckUniformTime();
        ++records_;
        if (sink_)
            sink_->RecordEnd(TakeColumns(), {time_.Interval(), rowsInRecord_, time_.Last()});
        else
            AddRecord();
        rowsInRecord_ = 0;
        commentsBeforeRow_.clear();
        recordStartBytes_ = consumedBytes_;
        timeTextBytes_ = 0;
    }

    void AddRecord()
    {
        std::vector<std::vector<float>> channels(columns_.size());
        for (size_t index = 0; index < columns_.size(); ++index)
        {
            std::vector<float>& column = columns_[index];
            if (column.capacity() - column.size() > column.size() / SlackDivisor)
                column.shrink_to_fit();
            channels[index] = std::move(column);
            column = {};
        }
        recording_->AddRecord(time_.Interval(), std::move(channels));
    }

    const std::string& file_;
    const uint64_t expectedBytes_;
    RowSink* const sink_;
    const size_t chunkRows_;
    size_t records_ = 0;
    uint64_t consumedBytes_ = 0;
    uint64_t recordStartBytes_ = 0;
    uint64_t timeTextBytes_ = 0;
    size_t lineNumber_ = 0;
    std::optional<Recording> recording_;
    char separator_ = ',';
    std::vector<std::vector<float>> columns_;
    TimeGrid time_;
    size_t rowsInRecord_ = 0;
    size_t firstLineOfRecord_ = 0;
    std::vector<size_t> commentsBeforeRow_;
};

// Hands each whole line of text to line and returns what follows the last line end. The platform's own search
// looks at one byte at a time, and a search per line starts again for every line; lines of an export are a few
// dozen bytes, so this marks the line ends of sixty-four bytes at once and walks the marks.
template <class Line>
std::string_view EachLine(std::string_view text, const Line& line)
{
    const char* start = text.data();
    const char* at = start;
    const char* const end = at + text.size();
    const __m128i newlines = _mm_set1_epi8('\n');
    const auto marks = [&](const char* bytes) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
        return static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, newlines))));
    };
    const auto take = [&](const char* newline) {
        line(std::string_view(start, static_cast<size_t>(newline - start)));
        start = newline + 1;
    };
    for (; end - at >= 64; at += 64)
        for (uint64_t found = marks(at) | marks(at + 16) << 16 | marks(at + 32) << 32 | marks(at + 48) << 48; found;
             found &= found - 1)
            take(at + std::countr_zero(found));
    for (; at < end; ++at)
        if (*at == '\n')
            take(at);
    return std::string_view(start, static_cast<size_t>(end - start));
}

// Holds the lines up to the header (comments, blank lines and the header itself) to being text: no control
// character but the tab and the carriage return. A file that is no text (a binary file, a device) has few
// line ends or none, and its lines would be read without end or cut into rows that fail far from the
// cause; it is refused at its first byte that no text holds. Bytes past ASCII are let through, so that a
// header saved in a legacy code page still reads. The header line is held to a length too, so that a file
// without line ends is not gathered whole into one line.
class HeaderTextCheck
{
public:
    explicit HeaderTextCheck(const std::string& file) : file_(file) {}

    bool Done() const { return done_; }

    void Scan(std::string_view text)
    {
        for (size_t index = 0; index < text.size() && !done_; ++index)
            Byte(static_cast<unsigned char>(text[index]));
    }

private:
    static constexpr size_t LongestHeaderBytes = size_t{1} << 24;

    enum class Line
    {
        Blank,
        Comment,
        Header
    };

    [[noreturn]] void Fail(const std::string& why) const
    {
        throw RecordingFormatError(file_, line_, column_, "the file is not a recording text: " + why);
    }

    void Byte(unsigned char byte)
    {
        if (byte == '\n')
        {
            done_ = kind_ == Line::Header;
            ++line_;
            column_ = 0;
            kind_ = Line::Blank;
            return;
        }
        if (++column_ > LongestHeaderBytes)
            Fail("its first line runs past " + std::to_string(LongestHeaderBytes) + " bytes without a line end");
        if ((byte < 0x20 && byte != '\t' && byte != '\r') || byte == 0x7F)
        {
            constexpr char Digits[] = "0123456789ABCDEF";
            Fail(std::string("it holds the control character 0x") + Digits[byte >> 4] + Digits[byte & 0xF] +
                 " (a recording is a text of columns: a header line, then a line per sample)");
        }
        if (kind_ == Line::Blank && !IsSpace(static_cast<char>(byte)))
            kind_ = byte == '#' ? Line::Comment : Line::Header;
    }

    const std::string& file_;
    bool done_ = false;
    size_t line_ = 1;
    size_t column_ = 0;
    Line kind_ = Line::Blank;
};

// Cuts text handed over in pieces of any size into lines; a line cut by the end of a piece waits for the
// rest. The encoding is told from the text's first bytes.
template <class Lines>
class LineSplitter
{
public:
    LineSplitter(Lines& lines, const std::string& file) : lines_(lines), check_(file) {}

    void Bytes(std::string_view piece)
    {
        if (!decoder_)
        {
            decoder_.emplace(DetectTextEncoding(piece));
            piece.remove_prefix(decoder_->MarkLength());
        }
        if (decoder_->IsUtf8())
            Utf8(piece);
        else
        {
            decoded_.clear();
            decoder_->Decode(piece, decoded_);
            Utf8(decoded_);
        }
    }

    void End()
    {
        if (decoder_ && !decoder_->IsUtf8())
        {
            decoded_.clear();
            decoder_->Finish(decoded_);
            Utf8(decoded_);
        }
        if (!carry_.empty())
            lines_.Line(carry_);
    }

private:
    // The lines handed over are views of the piece or of the carried line: each is told before its text goes.
    void Utf8(std::string_view text)
    {
        if (!check_.Done())
            check_.Scan(text);
        if (!carry_.empty())
        {
            const size_t end = text.find('\n');
            carry_.append(text.substr(0, end));
            if (end == std::string_view::npos)
                return;
            lines_.Line(carry_);
            lines_.LinesExpire();
            carry_.clear();
            text.remove_prefix(end + 1);
        }
        text = EachLine(text, [&](std::string_view line) { lines_.Line(line); });
        lines_.LinesExpire();
        carry_.assign(text);
    }

    Lines& lines_;
    HeaderTextCheck check_;
    std::optional<TextDecoder> decoder_;
    std::string decoded_;
    std::string carry_;
};

// Finds the shape of every record ahead of the parse: its rows, and its interval from its first and last time,
// read as the parser reads them. Lines are told apart as the parser tells them, and only the first and the last
// row of a record are read, so that it costs little more than finding the lines.
class RecordShapeScan
{
public:
    void Line(std::string_view text)
    {
        if (!header_)
        {
            header_ = !IsBlank(text) && !IsComment(text);
            if (header_)
                separator_ = SeparatorOf(text);
        }
        else if (StartsLikeARow(text))
            Row(text);
        else if (IsBlank(text))
            EndRecord();
        else if (!IsComment(text))
            Row(text);
    }

    // The last row seen may lie in text about to be overwritten: it keeps a copy.
    void LinesExpire()
    {
        if (rows_ > 0 && lastRow_.data() != kept_.data())
        {
            kept_.assign(lastRow_);
            lastRow_ = kept_;
        }
    }

    std::optional<std::vector<RecordShape>> Finish()
    {
        EndRecord();
        if (!header_ || unknown_ || shapes_.empty())
            return std::nullopt;
        return std::move(shapes_);
    }

private:
    void Row(std::string_view text)
    {
        if (rows_++ == 0)
            first_ = TimeOfRow(text, separator_);
        lastRow_ = text;
    }

    void EndRecord()
    {
        if (rows_ == 0)
            return;
        const std::optional<double> last = TimeOfRow(lastRow_, separator_);
        if (rows_ < 2 || !first_ || !last)
            unknown_ = true;
        else
            shapes_.push_back({GridInterval(*first_, *last, rows_), rows_, *last});
        rows_ = 0;
    }

    bool header_ = false;
    bool unknown_ = false;
    char separator_ = ',';
    size_t rows_ = 0;
    std::optional<double> first_;
    std::string_view lastRow_;
    std::string kept_;
    std::vector<RecordShape> shapes_;
};

// A recording text file read in large blocks.
class TextFile
{
public:
    explicit TextFile(const std::string& path) : path_(path), name_(FromUtf8(path)), stream_(name_, std::ios::binary)
    {
        if (!stream_)
            throw std::runtime_error(path + ": cannot open the file: " + std::strerror(errno));
    }

    // Its size in bytes, or 0 when the system cannot tell.
    uint64_t Size() const
    {
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(name_, error);
        return error ? 0 : size;
    }

    // Hands every block to lines and ends them; eachBlock runs before each block is read.
    template <class Lines>
    void ReadInto(Lines& consumer, const std::function<void()>& eachBlock)
    {
        LineSplitter<Lines> lines(consumer, path_);
        std::vector<char> block(ReadBlockBytes);
        while (stream_)
        {
            if (eachBlock)
                eachBlock();
            stream_.read(block.data(), static_cast<std::streamsize>(block.size()));
            lines.Bytes(std::string_view(block.data(), static_cast<size_t>(stream_.gcount())));
        }
        if (stream_.bad())
            throw std::runtime_error(path_ + ": cannot read the file");
        lines.End();
    }

private:
    const std::string& path_;
    std::filesystem::path name_;
    std::ifstream stream_;
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
    RecordingTextParser parser(file, text.size());
    LineSplitter<RecordingTextParser> lines(parser, file);
    lines.Bytes(text);
    lines.End();
    return parser.Finish();
}

Recording LoadRecordingFile(const std::string& path)
{
    TextFile file(path);
    RecordingTextParser parser(path, file.Size());
    file.ReadInto(parser, {});
    return parser.Finish();
}

std::optional<std::vector<RecordShape>> ScanRecordShapes(const std::string& path, const std::function<void()>& eachBlock)
{
    std::optional<TextFile> file;
    try
    {
        file.emplace(path);
    }
    catch (const std::runtime_error&)
    {
        return std::nullopt;
    }
    RecordShapeScan scan;
    file->ReadInto(scan, eachBlock);
    return scan.Finish();
}

void ReadRecordingRows(const std::string& path, RowSink& sink, size_t chunkRows, const std::function<void()>& eachBlock)
{
    TextFile file(path);
    RecordingTextParser parser(path, file.Size(), &sink, chunkRows);
    file.ReadInto(parser, eachBlock);
    parser.Finish();
}

namespace
{

template <class Number>
void WriteNumber(std::ostream& out, Number value)
{
    char digits[40];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value);
    out.write(digits, written.ptr - digits);
}

// The fewest decimals (at most 17) that give the sample interval to within a ten-trillionth of itself: an interval
// taken from rounded time stamps carries the rounding's noise in its last digits.
int IntervalDecimals(double interval)
{
    constexpr int MostDecimals = 17;
    constexpr double RelativeTolerance = 1e-13;
    for (int decimals = 0; decimals < MostDecimals; ++decimals)
    {
        const double scale = std::pow(10.0, decimals);
        if (std::fabs(std::round(interval * scale) / scale - interval) <= RelativeTolerance * std::fabs(interval))
            return decimals;
    }
    return MostDecimals;
}

void WriteTime(std::ostream& out, double seconds, int decimals)
{
    char digits[64];
    const std::to_chars_result written =
        std::to_chars(digits, digits + sizeof digits, seconds, std::chars_format::fixed, decimals);
    std::string_view text(digits, static_cast<size_t>(written.ptr - digits));
    if (text.find('.') != std::string_view::npos)
        text = text.substr(0, text.find_last_not_of('0') + 1);
    if (text.ends_with('.'))
        text.remove_suffix(1);
    out << (text == "-0" ? std::string_view("0") : text);
}

std::string ColumnTitle(const ChannelInfo& channel)
{
    return channel.unit.empty() ? channel.name : channel.name + " (" + channel.unit + ")";
}

} // namespace

TimeStamps::TimeStamps(double sampleInterval) : decimals_(IntervalDecimals(sampleInterval))
{
    const double scale = std::pow(10.0, decimals_);
    interval_ = std::round(sampleInterval * scale) / scale;
}

void TimeStamps::Write(std::ostream& out, int64_t tick) const
{
    WriteTime(out, static_cast<double>(tick) * interval_, decimals_);
}

std::string TimeStamps::Text(int64_t tick) const
{
    std::ostringstream text;
    Write(text, tick);
    return text.str();
}

void WriteRecordingText(const Recording& recording, std::ostream& out)
{
    // A deleted channel's data are gone: the text holds the others.
    std::vector<size_t> kept;
    for (size_t channel = 0; channel < recording.Channels().size(); ++channel)
        if (!recording.Channels()[channel].deleted)
            kept.push_back(channel);
    out << "Time (s)";
    for (size_t channel : kept)
        out << ',' << ColumnTitle(recording.Channels()[channel]);
    out << '\n';
    for (size_t index = 0; index < recording.RecordCount(); ++index)
    {
        const Record& record = recording.RecordAt(index);
        if (index > 0)
            out << '\n';
        const TimeStamps stamps(record.SampleInterval());
        for (int64_t tick = 0; tick < record.Length(); ++tick)
        {
            stamps.Write(out, tick);
            for (size_t channel : kept)
            {
                out << ',';
                WriteNumber(out, record.Samples(channel)[static_cast<size_t>(tick)]);
            }
            out << '\n';
        }
    }
    out.flush();
    if (!out)
        throw std::runtime_error("the recording could not be written");
}

} // namespace Host
