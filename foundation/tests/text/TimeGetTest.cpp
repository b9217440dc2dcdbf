#include "foundation/text/TimeGet.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

using State = std::ios_base::iostate;
using Iter = std::istreambuf_iterator<wchar_t>;

Orv::TimeGetSettings EnglishSettings(std::time_base::dateorder order, wchar_t dateSeparator)
{
    Orv::TimeGetSettings s;
    s.weekdayNames = {L"Sun", L"Sunday", L"Mon", L"Monday", L"Tue", L"Tuesday", L"Wed", L"Wednesday",
                      L"Thu", L"Thursday", L"Fri", L"Friday", L"Sat", L"Saturday"};
    s.monthNames = {L"Jan", L"January", L"Feb", L"February", L"Mar", L"March",     L"Apr", L"April",
                    L"May", L"May",     L"Jun", L"June",     L"Jul", L"July",      L"Aug", L"August",
                    L"Sep", L"September", L"Oct", L"October", L"Nov", L"November", L"Dec", L"December"};
    s.dateOrder = order;
    s.dateSeparator = dateSeparator;
    return s;
}

struct Parsed
{
    std::tm fields;
    State state;
    std::wstring rest;

    bool Failed() const { return (state & std::ios_base::failbit) != 0; }
    bool AtEnd() const { return (state & std::ios_base::eofbit) != 0; }
};

enum class Field
{
    Time,
    Date,
    Weekday,
    Year
};

// Reads one field through the facet found in the stream's locale, as the stream machinery does.
Parsed Read(Field field, const std::wstring& text, std::tm start = {},
            Orv::TimeGetSettings settings = EnglishSettings(std::time_base::mdy, L'/'))
{
    std::wistringstream in(text);
    in.imbue(std::locale(std::locale::classic(), new Orv::WideTimeGet(std::move(settings))));
    const auto& facet = std::use_facet<Orv::WideTimeGet>(in.getloc());
    Parsed p{start, std::ios_base::goodbit, {}};
    Iter b(in), e;
    switch (field)
    {
    case Field::Time: b = facet.get_time(b, e, in, p.state, &p.fields); break;
    case Field::Date: b = facet.get_date(b, e, in, p.state, &p.fields); break;
    case Field::Weekday: b = facet.get_weekday(b, e, in, p.state, &p.fields); break;
    case Field::Year: b = facet.get_year(b, e, in, p.state, &p.fields); break;
    }
    p.rest.assign(b, e);
    return p;
}

std::tm WithDate()
{
    std::tm t{};
    t.tm_mday = 5;
    return t;
}

TEST(TimeGet, HoursAndMinutesEndTheInput)
{
    const Parsed p = Read(Field::Time, L"12:30");
    EXPECT_FALSE(p.Failed());
    EXPECT_TRUE(p.AtEnd());
    EXPECT_EQ(12, p.fields.tm_hour);
    EXPECT_EQ(30, p.fields.tm_min);
}

TEST(TimeGet, HoursBeyondADayAreADurationOnlyWithoutADate)
{
    const Parsed duration = Read(Field::Time, L"36:15:00");
    EXPECT_FALSE(duration.Failed());
    EXPECT_EQ(36, duration.fields.tm_hour);
    EXPECT_EQ(15, duration.fields.tm_min);
    EXPECT_EQ(0, duration.fields.tm_sec);
    EXPECT_TRUE(Read(Field::Time, L"36:15:00", WithDate()).Failed());
    // Without seconds a duration is not accepted either.
    EXPECT_TRUE(Read(Field::Time, L"36:15").Failed());
}

TEST(TimeGet, MinutesAndSecondsBeforeTheDecimalPointLeaveTheFraction)
{
    const Parsed p = Read(Field::Time, L"02:05.5");
    EXPECT_FALSE(p.Failed());
    EXPECT_EQ(0, p.fields.tm_hour);
    EXPECT_EQ(2, p.fields.tm_min);
    EXPECT_EQ(5, p.fields.tm_sec);
    EXPECT_EQ(L".5", p.rest);
}

TEST(TimeGet, MarkersAndBadFieldsFailWithoutTouchingTheRecord)
{
    std::tm start{};
    start.tm_hour = 7;
    const Parsed pm = Read(Field::Time, L"12:30 PM", start);
    EXPECT_TRUE(pm.Failed());
    EXPECT_EQ(L" PM", pm.rest);
    EXPECT_EQ(7, pm.fields.tm_hour);
    EXPECT_TRUE(Read(Field::Time, L"12").Failed());
    EXPECT_TRUE(Read(Field::Time, L"12:60").Failed());
    EXPECT_TRUE(Read(Field::Time, L"x:30").Failed());
}

TEST(TimeGet, DatesAcceptTheUserDateSeparator)
{
    const Parsed hyphen = Read(Field::Date, L"5-3-2012", {}, EnglishSettings(std::time_base::mdy, L'-'));
    EXPECT_FALSE(hyphen.Failed());
    EXPECT_TRUE(hyphen.AtEnd());
    EXPECT_EQ(4, hyphen.fields.tm_mon);
    EXPECT_EQ(3, hyphen.fields.tm_mday);
    EXPECT_EQ(112, hyphen.fields.tm_year);
    const Parsed fullStop = Read(Field::Date, L"5-3-2012", {}, EnglishSettings(std::time_base::mdy, L'.'));
    EXPECT_TRUE(fullStop.Failed());
    EXPECT_EQ(L"-3-2012", fullStop.rest);
}

TEST(TimeGet, DateFieldsFollowTheOrderOrAMonthName)
{
    const Parsed dmy = Read(Field::Date, L"24.12.99", {}, EnglishSettings(std::time_base::dmy, L'.'));
    EXPECT_FALSE(dmy.Failed());
    EXPECT_EQ(24, dmy.fields.tm_mday);
    EXPECT_EQ(11, dmy.fields.tm_mon);
    EXPECT_EQ(99, dmy.fields.tm_year);

    // A month name first makes the rest day and year, whatever the order.
    const Parsed named = Read(Field::Date, L"March 5, 2012", {}, EnglishSettings(std::time_base::dmy, L'.'));
    EXPECT_FALSE(named.Failed());
    EXPECT_EQ(2, named.fields.tm_mon);
    EXPECT_EQ(5, named.fields.tm_mday);
    EXPECT_EQ(112, named.fields.tm_year);

    // In year-day-month a month name in the middle turns the order into year-month-day.
    const Parsed ydm = Read(Field::Date, L"2012 Mar 7", {}, EnglishSettings(std::time_base::ydm, L'-'));
    EXPECT_FALSE(ydm.Failed());
    EXPECT_EQ(2, ydm.fields.tm_mon);
    EXPECT_EQ(7, ydm.fields.tm_mday);

    EXPECT_TRUE(Read(Field::Date, L"5 Mar 2012").Failed()); // month-day-year has no name in the middle
    EXPECT_TRUE(Read(Field::Date, L"13/1/2012").Failed());
    EXPECT_TRUE(Read(Field::Date, L"1/2/").Failed());
}

TEST(TimeGet, TwoDigitAndFourDigitYears)
{
    EXPECT_EQ(134, Read(Field::Year, L"34").fields.tm_year);
    EXPECT_EQ(35, Read(Field::Year, L"35").fields.tm_year);
    EXPECT_EQ(135, Read(Field::Year, L"135").fields.tm_year);
    EXPECT_EQ(99, Read(Field::Year, L"1999").fields.tm_year);
    std::tm start{};
    start.tm_year = -1;
    for (const wchar_t* bad : {L"136", L"1899", L"2036", L"x"})
    {
        const Parsed p = Read(Field::Year, bad, start);
        EXPECT_TRUE(p.Failed()) << bad;
        EXPECT_EQ(-1, p.fields.tm_year) << bad;
    }
}

TEST(TimeGet, WeekdayNamesMatchAbbreviatedOrFullIgnoringCase)
{
    EXPECT_EQ(2, Read(Field::Weekday, L"Tue").fields.tm_wday);
    EXPECT_EQ(2, Read(Field::Weekday, L"tuesday").fields.tm_wday);
    EXPECT_EQ(0, Read(Field::Weekday, L"Sun 5").fields.tm_wday);
    EXPECT_TRUE(Read(Field::Weekday, L"Tu").Failed());
    EXPECT_FALSE(Read(Field::Weekday, L"Tuesdays").Failed());
    EXPECT_EQ(L"s", Read(Field::Weekday, L"Tuesdays").rest);
}

} // namespace
