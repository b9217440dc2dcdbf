#include "foundation/text/TimeGet.h"

#include <climits>
#include <cwctype>

namespace Orv
{

std::locale::id time_get<wchar_t, std::istreambuf_iterator<wchar_t>>::id;
std::locale::id time_getEx<wchar_t, std::istreambuf_iterator<wchar_t>>::id;

namespace
{

using Iter = std::istreambuf_iterator<wchar_t>;
using State = std::ios_base::iostate;

constexpr int MaxHoursOfDay = 23;
constexpr int MaxMinutesOrSeconds = 59;
constexpr int MaxMonth = 12;
constexpr int MaxDayOfMonth = 31;
// Years are read as 0-2035: four-digit years from 1900, two-digit 00-34 as 2000-2034 and 35-99 as
// 1935-1999, and 100-135 as years since 1900.
constexpr int MaxYear = 2035;
constexpr int FirstFullYear = 1900;
constexpr int FirstTwentiethCenturyTwoDigitYear = 35;
constexpr int MaxYearsSince1900 = 135;

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// A decimal integer with an optional sign, which must lie in [low, high]. End of input after the
// digits sets eofbit; no digits or a value out of range set failbit.
int ReadInteger(Iter& b, const Iter& e, int low, int high, State& err)
{
    if (b == e)
    {
        err |= std::ios_base::eofbit | std::ios_base::failbit;
        return 0;
    }
    bool negative = false;
    if (*b == L'+' || *b == L'-')
    {
        negative = *b == L'-';
        ++b;
    }
    long long value = 0;
    bool anyDigit = false;
    while (b != e && IsDigit(*b))
    {
        anyDigit = true;
        if (value <= INT_MAX)
            value = value * 10 + (*b - L'0');
        ++b;
    }
    if (b == e)
        err |= std::ios_base::eofbit;
    if (negative)
        value = -value;
    if (!anyDigit || value < low || value > high)
    {
        err |= std::ios_base::failbit;
        return 0;
    }
    return static_cast<int>(value);
}

// Consumes the longest run of input that stays a prefix of some name (ignoring case) and returns
// the index of the first name it spells out completely, or -1.
template <std::size_t N>
int MatchName(Iter& b, const Iter& e, const std::array<std::wstring, N>& names, State& err)
{
    std::array<bool, N> alive{};
    for (std::size_t i = 0; i < N; ++i)
        alive[i] = !names[i].empty();
    std::size_t length = 0;
    for (; b != e; ++b, ++length)
    {
        const auto c = std::towlower(*b);
        std::array<bool, N> next{};
        bool any = false;
        for (std::size_t i = 0; i < N; ++i)
        {
            next[i] = alive[i] && names[i].size() > length && std::towlower(names[i][length]) == c;
            any = any || next[i];
        }
        if (!any)
            break;
        alive = next;
    }
    if (b == e)
        err |= std::ios_base::eofbit;
    for (std::size_t i = 0; i < N; ++i)
        if (alive[i] && names[i].size() == length)
            return static_cast<int>(i);
    err |= std::ios_base::failbit;
    return -1;
}

bool HasFailed(State err)
{
    return (err & std::ios_base::failbit) != 0;
}

} // namespace

time_get<wchar_t, Iter>::time_get(TimeGetSettings settings, std::size_t refs)
    : std::locale::facet(refs), settings_(std::move(settings))
{
}

std::time_base::dateorder time_get<wchar_t, Iter>::do_date_order() const
{
    return settings_.dateOrder;
}

Iter time_get<wchar_t, Iter>::do_get_time(Iter b, Iter e, std::ios_base& io, State& err, std::tm* t) const
{
    // With a date in the record this is a time of day; without, it may be a duration of any hours.
    const bool hasDate = t->tm_mday != 0;
    State local = std::ios_base::goodbit;
    const int hours = ReadInteger(b, e, 0, hasDate ? MaxHoursOfDay : INT_MAX, local);
    if (local != std::ios_base::goodbit)
    {
        err |= local | std::ios_base::failbit;
        return b;
    }
    const wchar_t colon = std::use_facet<std::ctype<wchar_t>>(io.getloc()).widen(':');
    if (b == e || *b != colon)
    {
        err |= std::ios_base::failbit;
        return b;
    }
    ++b;
    const int minutes = ReadInteger(b, e, 0, MaxMinutesOrSeconds, local);
    if (HasFailed(local))
    {
        err |= local;
        return b;
    }
    if (local & std::ios_base::eofbit)
    {
        if (hours > MaxHoursOfDay)
        {
            err |= std::ios_base::eofbit | std::ios_base::failbit;
            return b;
        }
        t->tm_hour = hours;
        t->tm_min = minutes;
        err |= std::ios_base::eofbit;
        return b;
    }
    // "mm:ss.f": what was read as hours and minutes are minutes and seconds; the fraction is the caller's.
    if (*b == std::use_facet<std::numpunct<wchar_t>>(io.getloc()).decimal_point())
    {
        t->tm_sec = minutes;
        t->tm_min = hours;
        t->tm_hour = 0;
        return b;
    }
    if (*b != colon)
    {
        err |= std::ios_base::failbit;
        return b;
    }
    ++b;
    const int seconds = ReadInteger(b, e, 0, MaxMinutesOrSeconds, local);
    err |= local;
    if (HasFailed(local))
        return b;
    t->tm_hour = hours;
    t->tm_min = minutes;
    t->tm_sec = seconds;
    return b;
}

bool time_get<wchar_t, Iter>::IsFieldSeparator(wchar_t c) const
{
    return c == L':' || c == L',' || c == L'/' || c == settings_.dateSeparator;
}

void time_get<wchar_t, Iter>::SkipSeparator(Iter& b, const Iter& e) const
{
    while (b != e && std::iswspace(*b))
        ++b;
    if (b != e && IsFieldSeparator(*b))
        ++b;
    while (b != e && std::iswspace(*b))
        ++b;
}

Iter time_get<wchar_t, Iter>::do_get_date(Iter b, Iter e, std::ios_base& io, State& err, std::tm* t) const
{
    dateorder order = do_date_order();
    if (order == no_order)
        order = mdy;
    std::tm fields = *t;
    State local = std::ios_base::goodbit;
    auto readMonth = [&] { fields.tm_mon = ReadInteger(b, e, 1, MaxMonth, local) - 1; };
    auto readDay = [&] { fields.tm_mday = ReadInteger(b, e, 1, MaxDayOfMonth, local); };
    auto readYear = [&] { b = do_get_year(b, e, io, local, &fields); };
    auto readMonthName = [&] { b = do_get_monthname(b, e, io, local, &fields); };
    auto startsWithDigit = [&] { return b != e && IsDigit(*b); };

    // Field 1: by the order, or a month name, which makes it month-day-year.
    if (startsWithDigit())
    {
        if (order == mdy)
            readMonth();
        else if (order == dmy)
            readDay();
        else
            readYear();
    }
    else
    {
        readMonthName();
        order = mdy;
    }
    if (!HasFailed(local))
    {
        SkipSeparator(b, e);
        // Field 2: a digit starts the month or the day; a month name is not allowed after a month.
        if (startsWithDigit())
        {
            if (order == dmy || order == ymd)
                readMonth();
            else
                readDay();
        }
        else if (order == mdy)
            local |= std::ios_base::failbit;
        else
        {
            readMonthName();
            if (order == ydm)
                order = ymd;
        }
    }
    if (!HasFailed(local))
    {
        SkipSeparator(b, e);
        // Field 3: the year after month and day, or what the year-first orders still lack.
        if (b == e)
            local |= std::ios_base::eofbit | std::ios_base::failbit;
        else if (startsWithDigit())
        {
            if (order == ydm)
                readMonth();
            else if (order == ymd)
                readDay();
            else
                readYear();
        }
        else if (order == ydm)
            readMonthName();
        else
            local |= std::ios_base::failbit;
    }
    if (b == e)
        local |= std::ios_base::eofbit;
    err |= local;
    if (!HasFailed(local))
        *t = fields;
    return b;
}

Iter time_get<wchar_t, Iter>::do_get_weekday(Iter b, Iter e, std::ios_base&, State& err, std::tm* t) const
{
    const int index = MatchName(b, e, settings_.weekdayNames, err);
    if (index >= 0)
        t->tm_wday = index / 2;
    return b;
}

Iter time_get<wchar_t, Iter>::do_get_monthname(Iter b, Iter e, std::ios_base&, State& err, std::tm* t) const
{
    const int index = MatchName(b, e, settings_.monthNames, err);
    if (index >= 0)
        t->tm_mon = index / 2;
    return b;
}

Iter time_get<wchar_t, Iter>::do_get_year(Iter b, Iter e, std::ios_base&, State& err, std::tm* t) const
{
    State local = std::ios_base::goodbit;
    const int year = ReadInteger(b, e, 0, MaxYear, local);
    if (!HasFailed(local))
    {
        if (year >= FirstFullYear)
            t->tm_year = year - FirstFullYear;
        else if (year < FirstTwentiethCenturyTwoDigitYear)
            t->tm_year = year + 100;
        else if (year <= MaxYearsSince1900)
            t->tm_year = year;
        else
            local |= std::ios_base::failbit;
    }
    err |= local;
    return b;
}

} // namespace Orv
