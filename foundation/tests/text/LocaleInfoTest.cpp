#include "foundation/text/LocaleInfo.h"

#include <gtest/gtest.h>

#include <clocale>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using Orv::LocaleHostString;
namespace HostIds = Orv::LocaleHostStrings;

// Regional settings from a table, answering as GetLocaleInfo does.
class TableSettings : public Orv::LocaleSettingsSource
{
public:
    std::map<LCTYPE, std::wstring> items = {
        {LOCALE_SDECIMAL, L"."},        {LOCALE_STHOUSAND, L","},          {LOCALE_STIME, L":"},
        {LOCALE_SDATE, L"/"},           {LOCALE_SLIST, L","},              {LOCALE_S1159, L"AM"},
        {LOCALE_S2359, L"PM"},          {LOCALE_ITIME, L"0"},              {LOCALE_ITIMEMARKPOSN, L"0"},
        {LOCALE_IDEFAULTCODEPAGE, L"437"}, {LOCALE_STIMEFORMAT, L"h:mm:ss tt"}, {LOCALE_SLONGDATE, L"dddd, MMMM d, yyyy"},
        {LOCALE_SSHORTDATE, L"M/d/yyyy"}, {LOCALE_IDATE, L"0"},
        {LOCALE_SABBREVMONTHNAME1 + 2, L"Mar"}, {LOCALE_SMONTHNAME1 + 2, L"March"},
        {LOCALE_SABBREVDAYNAME1 + 6, L"Sun"},  {LOCALE_SDAYNAME1 + 6, L"Sunday"},
    };

    // Comma as both decimal and date separator: the first of the ambiguities the checks report.
    void UseCommaForDecimalAndDate()
    {
        items[LOCALE_SDECIMAL] = L",";
        items[LOCALE_SDATE] = L",";
        items[LOCALE_SLIST] = L";";
    }

    int ReadNarrow(LCTYPE item, char* buffer, int size) const override
    {
        std::vector<wchar_t> wide(static_cast<std::size_t>(size) + 1);
        const int units = ReadWide(item, wide.data(), size);
        for (int i = 0; i < units; ++i)
            buffer[i] = static_cast<char>(wide[static_cast<std::size_t>(i)]);
        return units;
    }

    int ReadWide(LCTYPE item, wchar_t* buffer, int size) const override
    {
        const auto it = items.find(item);
        if (it == items.end())
            return 0;
        const int needed = static_cast<int>(it->second.size()) + 1;
        if (size == 0)
            return needed;
        if (size < needed)
            return 0;
        std::copy(it->second.c_str(), it->second.c_str() + needed, buffer);
        return needed;
    }
};

struct Shown
{
    std::wstring text;
    std::wstring title;
};

// Collects what would have been shown in a message box.
struct MessageRecorder
{
    std::vector<Shown> shown;
    Orv::LocaleMessageSink Sink()
    {
        return [this](const Orv::String& text, const Orv::String& title) {
            shown.push_back({text.c_str(), title.c_str()});
        };
    }
};

// Every test leaves the C runtime's numeric locale as the process started: unchosen.
class LocaleInfoTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        std::locale::global(std::locale::classic());
        std::setlocale(LC_NUMERIC, "C");
    }

    TableSettings settings;
    MessageRecorder recorder;
};

TEST_F(LocaleInfoTest, ReadsSeparatorsFlagsAndFormats)
{
    settings.items[LOCALE_ITIME] = L"1";
    settings.items[LOCALE_ITIMEMARKPOSN] = L"1";
    LocaleInfo info;
    ASSERT_TRUE(info.Read(settings));
    EXPECT_STREQ(".", info.narrowDecimalSeparator);
    EXPECT_STREQ(L",", info.listSeparator);
    EXPECT_STREQ(L"PM", info.pmDesignator);
    EXPECT_TRUE(info.is24HourClock);
    EXPECT_TRUE(info.timeMarkerLeads);
    EXPECT_EQ(437, info.oemCodePage);
    EXPECT_STREQ(L"M/d/yyyy", info.shortDateFormat.c_str());
    EXPECT_STREQ(L"dddd, MMMM d, yyyy", info.longDateFormat.c_str());
}

TEST_F(LocaleInfoTest, UnreadableSettingsStopReadingAndAreReportedWithoutInstalling)
{
    settings.items.erase(LOCALE_SLIST);
    LocaleInfo info;
    info.Init(settings, recorder.Sink());
    EXPECT_STREQ(L"/", info.dateSeparator); // read before the gap
    EXPECT_STREQ(L"", info.amDesignator);   // after it
    EXPECT_FALSE(info.localeInstalled);
    EXPECT_FALSE(std::has_facet<Orv::WideTimeGet>(std::locale()));
    ASSERT_EQ(1u, recorder.shown.size());
    EXPECT_STREQ(LocaleHostString(HostIds::SettingsUnreadable).c_str(), recorder.shown[0].text.c_str());
    EXPECT_STREQ(LocaleHostString(HostIds::Title).c_str(), recorder.shown[0].title.c_str());
}

TEST_F(LocaleInfoTest, AmbiguousSeparatorsAreCollectedInOrder)
{
    LocaleInfo info;
    settings.UseCommaForDecimalAndDate();
    ASSERT_TRUE(info.Read(settings));
    EXPECT_STREQ(LocaleHostString(HostIds::DateSeparatorIsDecimal).c_str(), info.Problems().c_str());

    settings.items[LOCALE_SDECIMAL] = L"::";
    settings.items[LOCALE_SLIST] = L"::";
    ASSERT_TRUE(info.Read(settings));
    const std::wstring expected = std::wstring(LocaleHostString(HostIds::ListSeparatorIsDecimal).c_str()) +
                                  LocaleHostString(HostIds::UnusualDecimalSeparator).c_str() + L" 3a 3a";
    EXPECT_EQ(expected, info.Problems().c_str());

    settings.items[LOCALE_SDECIMAL] = L".";
    ASSERT_TRUE(info.Read(settings));
    EXPECT_TRUE(info.Problems().IsEmpty());
}

TEST_F(LocaleInfoTest, StreamLocaleWritesTheUserDecimalSeparatorAndNoGrouping)
{
    settings.items[LOCALE_SDECIMAL] = L",";
    settings.items[LOCALE_STHOUSAND] = L".";
    LocaleInfo info;
    ASSERT_TRUE(info.Read(settings));
    const std::locale locale = info.MakeStreamLocale(settings);

    std::wostringstream wide;
    wide.imbue(locale);
    wide << std::fixed;
    wide.precision(1);
    wide << 1234567.25 << L' ' << 9876543;
    EXPECT_EQ(L"1234567,2 9876543", wide.str());

    std::ostringstream narrow;
    narrow.imbue(locale);
    narrow << std::fixed;
    narrow.precision(1);
    narrow << 1234567.5 << ' ' << 1000000;
    EXPECT_EQ("1234567,5 1000000", narrow.str());
}

TEST_F(LocaleInfoTest, StreamLocaleReadsDatesInTheUserOrderAndSeparator)
{
    settings.items[LOCALE_SDATE] = L"-";
    settings.items[LOCALE_IDATE] = L"1";
    LocaleInfo info;
    ASSERT_TRUE(info.Read(settings));
    std::wistringstream in(L"5-Mar-2012");
    in.imbue(info.MakeStreamLocale(settings));
    const auto& facet = std::use_facet<Orv::WideTimeGet>(in.getloc());
    EXPECT_EQ(std::time_base::dmy, facet.date_order());
    std::tm t{};
    std::ios_base::iostate state = std::ios_base::goodbit;
    facet.get_date(std::istreambuf_iterator<wchar_t>(in), {}, in, state, &t);
    EXPECT_FALSE(state & std::ios_base::failbit);
    EXPECT_EQ(5, t.tm_mday);
    EXPECT_EQ(2, t.tm_mon);
    EXPECT_EQ(112, t.tm_year);
}

TEST_F(LocaleInfoTest, InitInstallsTheGlobalLocaleUntilDestroyedAndReportsOnce)
{
    settings.UseCommaForDecimalAndDate();
    {
        LocaleInfo info;
        info.Init(settings, recorder.Sink());
        EXPECT_TRUE(info.localeInstalled);
        EXPECT_TRUE(std::has_facet<Orv::WideTimeGet>(std::locale()));
        std::wostringstream text;
        text << 1234.5;
        EXPECT_EQ(L"1234,5", text.str());
        ASSERT_EQ(1u, recorder.shown.size());
        EXPECT_NE(std::wstring::npos,
                  recorder.shown[0].text.find(LocaleHostString(HostIds::DateSeparatorIsDecimal).c_str()));
    }
    EXPECT_FALSE(std::has_facet<Orv::WideTimeGet>(std::locale()));
}

TEST_F(LocaleInfoTest, ANumericLocaleChosenByTheProcessIsLeftAlone)
{
    ASSERT_NE(nullptr, std::setlocale(LC_NUMERIC, ""));
    if (std::string(std::setlocale(LC_NUMERIC, nullptr)) == "C")
        GTEST_SKIP() << "the user's locale is the C locale here";
    settings.UseCommaForDecimalAndDate();
    LocaleInfo info;
    info.Init(settings, recorder.Sink());
    EXPECT_FALSE(info.localeInstalled);
    EXPECT_FALSE(std::has_facet<Orv::WideTimeGet>(std::locale()));
    EXPECT_TRUE(recorder.shown.empty());
}

} // namespace

namespace
{

TEST(LocaleInfoSystem, TheUserSettingsOfThisMachineAreReadable)
{
    LocaleInfo info;
    ASSERT_TRUE(info.Read(Orv::UserLocaleSettings()));
    wchar_t list[LocaleInfo::SeparatorUnits] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SLIST, list, LocaleInfo::SeparatorUnits);
    EXPECT_STREQ(list, info.listSeparator);
    EXPECT_FALSE(info.shortDateFormat.IsEmpty());
    EXPECT_NE(0, info.decimalSeparator[0]);
}

} // namespace
