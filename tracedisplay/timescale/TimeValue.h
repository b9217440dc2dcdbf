// A time as the time scale labels it: relative to a reference, plain elapsed seconds or the time of day,
// split into hours, minutes and seconds and written with the user's separators.
#pragma once

#include <windows.h>

#include <string>

namespace StrixDraw
{

// Mode word of a time display.
namespace TimeMode
{
constexpr ULONG Relative = 1;
constexpr ULONG Elapsed = 2;
constexpr ULONG TimeOfDay = 3;
constexpr ULONG KindMask = 0xFF;
constexpr ULONG PlainSeconds = 0x10000000u;
constexpr ULONG Milliseconds = 0x20000000u;
constexpr ULONG AbsoluteStart = 0x40000000u;
constexpr ULONG TotalSeconds = 0x80000000u;
} // namespace TimeMode

// Format flags of a label.
namespace TimeFormat
{
constexpr ULONG UnitLetters = 0x80000;
constexpr ULONG KeepZeros = 0x100000;
constexpr ULONG Universal = 0x200000;
constexpr ULONG HoursModulo24 = 0x2000000;
constexpr ULONG AmPm = 0x4000000;
constexpr ULONG AlwaysHoursMinutes = 0x8000000;
constexpr ULONG UnitWord = 0x10000000;
constexpr ULONG HoursOnlyWhenSet = 0x20000000;
} // namespace TimeFormat

// The separators and designators a label is written with.
struct TimePunctuation
{
    std::wstring decimal = L".";
    std::wstring time = L":";
    std::wstring am = L"a.m.";
    std::wstring pm = L"p.m.";
    bool twelveHourClock = false;

    // The user's settings.
    static TimePunctuation User();
};

// Where the times of a record come from.
struct RecordTimes
{
    double recordStart = 0.0;
    double recordOffset = 0.0;
    double referenceStart = 0.0;
    double referenceOffset = 0.0;
};

class TimeValue
{
public:
    static constexpr int DefaultDigits = 6;

    explicit TimeValue(int digits = DefaultDigits);

    // The time t seconds into the record in the display mode; plain: t as it stands.
    void Set(ULONG mode, const RecordTimes& times, bool plain, double t, const TimePunctuation& punctuation);
    void Advance(double seconds) { value_ += seconds; }

    std::wstring Text(const TimePunctuation& punctuation) const;

    double Value() const { return value_; }
    ULONG FormatFlags() const { return format_; }

private:
    struct Parts
    {
        bool negative;
        long hours;
        long minutes;
        double seconds;
    };
    Parts Split() const;
    void AppendUnitWord(std::wstring& text, const Parts& parts, ULONG flags) const;

    double value_ = 0.0;
    int digits_;
    double carryThreshold_;
    ULONG mode_ = TimeMode::Elapsed;
    ULONG format_ = 0;
};

} // namespace StrixDraw
