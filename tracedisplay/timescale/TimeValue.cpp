#include "tracedisplay/timescale/TimeValue.h"

#include "foundation/text/LocaleInfo.h"

#include <cmath>
#include <iomanip>
#include <sstream>

namespace StrixDraw
{

namespace
{
constexpr double ZeroSeconds = 1e-6;
constexpr double BelowTenSeconds = 9.999999;

std::wstring Fixed(double value, int precision)
{
    std::wostringstream text;
    text.imbue(std::locale::classic());
    text << std::fixed << std::setprecision(precision) << value;
    return text.str();
}

std::wstring TwoDigits(long value)
{
    return value < 10 ? L"0" + std::to_wstring(value) : std::to_wstring(value);
}

// Trailing zeros go down to one digit after the separator; that one goes too, with the separator,
// unless hours and minutes always show.
void TrimZeros(std::wstring& text, const std::wstring& decimal, bool keepOneZero)
{
    const size_t point = text.find(decimal);
    if (point == std::wstring::npos)
        return;
    const size_t firstDigit = point + decimal.size();
    size_t end = text.size();
    while (end > firstDigit + 1 && text[end - 1] == L'0')
        --end;
    text.resize(end);
    if (!keepOneZero && end == firstDigit + 1 && text[firstDigit] == L'0')
        text.resize(point);
}
} // namespace

TimePunctuation TimePunctuation::User()
{
    const LocaleInfo& locale = LocaleInfo::Get();
    TimePunctuation punctuation;
    punctuation.decimal = locale.decimalSeparator;
    punctuation.time = locale.timeSeparator;
    punctuation.am = locale.amDesignator;
    punctuation.pm = locale.pmDesignator;
    punctuation.twelveHourClock = !locale.is24HourClock;
    return punctuation;
}

TimeValue::TimeValue(int digits) : digits_(digits), carryThreshold_(0.51 * std::pow(10.0, -digits))
{
}

void TimeValue::Set(ULONG mode, const RecordTimes& times, bool plain, double t, const TimePunctuation& punctuation)
{
    mode_ = mode;
    const auto finiteOr0 = [](double v) { return std::isfinite(v) ? v : 0.0; };
    switch (mode & TimeMode::KindMask)
    {
    case TimeMode::Relative:
        format_ = TimeFormat::HoursOnlyWhenSet;
        if (plain)
            value_ = t;
        else if (std::isfinite(times.recordOffset) && std::isfinite(times.referenceOffset))
            value_ = (times.recordStart + times.recordOffset) - (times.referenceStart + times.referenceOffset) + t;
        else
            value_ = times.recordStart - times.referenceStart + t;
        break;
    case TimeMode::TimeOfDay:
        format_ = punctuation.twelveHourClock && !(mode & TimeMode::AbsoluteStart) ? TimeFormat::AmPm : 0;
        if (plain)
            value_ = t;
        else if (!(mode & TimeMode::AbsoluteStart))
            value_ = times.recordStart + t;
        else
            value_ = times.recordStart + finiteOr0(times.recordOffset) + t;
        break;
    default:
        format_ = TimeFormat::HoursOnlyWhenSet;
        value_ = t;
        break;
    }
}

// A value within the carry threshold of the next minute is that minute: no label shows 60 seconds.
TimeValue::Parts TimeValue::Split() const
{
    Parts parts{value_ < 0, 0, 0, 0.0};
    double rest = std::fabs(value_);
    double whole = std::floor(rest / 60.0);
    parts.seconds = rest - whole * 60.0;
    if (60.0 - parts.seconds < carryThreshold_)
    {
        whole += 1.0;
        parts.seconds = 0.0;
    }
    parts.hours = static_cast<long>(whole / 60.0);
    parts.minutes = static_cast<long>(whole - parts.hours * 60.0);
    return parts;
}

std::wstring TimeValue::Text(const TimePunctuation& punctuation) const
{
    if (mode_ & TimeMode::PlainSeconds)
    {
        std::wstring text = Fixed(value_, digits_);
        TrimZeros(text, L".", false);
        return text;
    }
    const Parts parts = Split();
    const bool inMilliseconds = (mode_ & TimeMode::Milliseconds) && (mode_ & TimeMode::KindMask) != TimeMode::TimeOfDay;
    ULONG flags = format_;
    std::wstring text;
    if (inMilliseconds)
    {
        const long hours = (flags & TimeFormat::HoursModulo24) ? parts.hours % 24 : parts.hours;
        const double seconds = (hours * 60.0 + parts.minutes) * 60.0 + parts.seconds;
        text = Fixed((parts.negative ? -seconds : seconds) * 1000.0, digits_);
    }
    else
    {
        if (flags & TimeFormat::HoursOnlyWhenSet)
            flags &= ~(TimeFormat::HoursModulo24 | TimeFormat::AmPm);
        else
            flags |= TimeFormat::HoursModulo24;
        if (parts.negative && (parts.seconds > ZeroSeconds || parts.minutes || parts.hours))
            text += L"-";
        long hour = (flags & TimeFormat::HoursModulo24) ? parts.hours % 24 : parts.hours;
        if (flags & TimeFormat::AmPm)
            hour = hour % 12 == 0 ? 12 : hour % 12;
        const bool letters = flags & TimeFormat::UnitLetters;
        bool minutesWritten = false;
        if ((flags & TimeFormat::AlwaysHoursMinutes) || !(flags & TimeFormat::HoursOnlyWhenSet))
        {
            text += std::to_wstring(hour) + punctuation.time + TwoDigits(parts.minutes) + punctuation.time;
            minutesWritten = true;
        }
        else
        {
            if (parts.hours)
                text += std::to_wstring(hour) + (letters ? L"h" : punctuation.time);
            if (parts.minutes || parts.hours)
            {
                text += (parts.hours ? TwoDigits(parts.minutes) : std::to_wstring(parts.minutes)) +
                        (letters ? L"m" : punctuation.time);
                minutesWritten = true;
            }
        }
        if (minutesWritten && parts.seconds < BelowTenSeconds)
            text += L"0";
        text += Fixed(parts.seconds, parts.seconds > ZeroSeconds ? digits_ : 0);
    }
    if (!(flags & TimeFormat::KeepZeros))
    {
        // The digits were written in the classic locale: use the user's separator after trimming.
        TrimZeros(text, L".", (flags & TimeFormat::AlwaysHoursMinutes) != 0);
        const size_t point = text.find(L'.');
        if (point != std::wstring::npos)
            text.replace(point, 1, punctuation.decimal);
    }
    if (flags & TimeFormat::UnitLetters)
        text += L"s";
    if ((flags & TimeFormat::AmPm) && !inMilliseconds)
        text += L" " + ((parts.hours % 24) < 12 ? punctuation.am : punctuation.pm);
    AppendUnitWord(text, parts, flags);
    if ((flags & TimeFormat::Universal) && (mode_ & TimeMode::AbsoluteStart) && !(flags & TimeFormat::HoursOnlyWhenSet))
        text += L" UT";
    return text;
}

void TimeValue::AppendUnitWord(std::wstring& text, const Parts& parts, ULONG flags) const
{
    if (!(flags & TimeFormat::UnitWord))
        return;
    const bool inMilliseconds = (mode_ & TimeMode::Milliseconds) && (mode_ & TimeMode::KindMask) != TimeMode::TimeOfDay;
    const bool secondsOnly = (flags & TimeFormat::HoursOnlyWhenSet) && !parts.hours && !parts.minutes;
    if (inMilliseconds)
        text += L" ms";
    else if (secondsOnly || (mode_ & TimeMode::TotalSeconds))
        text += L" s";
}

} // namespace StrixDraw
