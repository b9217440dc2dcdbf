#include "foundation/text/FormatStream.h"
#include "foundation/tests/TestStringIds.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <string>

namespace
{

using Orv::OFormatStringStream;
using Orv::String;

std::wstring Text(const String& text)
{
    return std::wstring(text.c_str(), text.Length());
}

template <class... Arguments>
std::wstring Format(const wchar_t* format, const Arguments&... arguments)
{
    OFormatStringStream stream{String(format)};
    ((stream << arguments), ...);
    return Text(stream.Str());
}

TEST(FormatStream, ArgumentsGoWhereTheirNumbersStand)
{
    EXPECT_EQ(L"3 of 7", Format(L"%1 of %2", 3, 7));
    EXPECT_EQ(L"b before a", Format(L"%2 before %1", L"a", L"b"));
    EXPECT_EQ(L"no args needed", Format(L"no args needed"));
    EXPECT_EQ(L"text argument", Format(L"%1 argument", String(L"text")));
    EXPECT_EQ(L"wide argument", Format(L"%1 argument", std::wstring(L"wide")));
}

TEST(FormatStream, AllTwentyPlaceholdersAreFilled)
{
    std::wstring format;
    std::wstring expected;
    for (int n = 20; n >= 1; --n)
    {
        format += L"%" + std::to_wstring(n) + L"|";
        expected += std::to_wstring(n * 10) + L"|";
    }
    OFormatStringStream stream{String(format.c_str())};
    for (int n = 1; n <= 20; ++n)
        stream << n * 10;
    EXPECT_EQ(expected, Text(stream.Str()));
}

TEST(FormatStream, EscapedPercentSignsAreUnescapedOnlyAroundPlaceholders)
{
    EXPECT_EQ(L"100% of x", Format(L"100%% of %1", L"x"));
    EXPECT_EQ(L"x is 100%", Format(L"%1 is 100%%", L"x"));
    EXPECT_EQ(L"100%%", Format(L"100%%"));
    EXPECT_EQ(L"%%x% and %", Format(L"%1%% and %%", L"%%x"));
}

TEST(FormatStream, PercentWithoutANumberStaysText)
{
    EXPECT_EQ(L"Rate %", Format(L"Rate %"));
    EXPECT_EQ(L"%0 and %x: 9", Format(L"%0 and %x: %1", 9));
}

TEST(FormatStream, BackslashEndsAPlaceholderWithoutOutput)
{
    EXPECT_EQ(L"50 items", Format(L"%1\\0 items", 5));
}

TEST(FormatStream, TheHighestNumberSetsHowManyArgumentsAreAwaited)
{
    EXPECT_EQ(L"[c]", Format(L"[%3]", L"a", L"b", L"c"));
    EXPECT_EQ(L"", Format(L"%1 of %2", 3));
    EXPECT_EQ(L"", Format(L"[%3]", L"a", L"b"));
}

TEST(FormatStream, ATemplateWithoutRecordsIsWrittenOnceOnly)
{
    OFormatStringStream stream{String(L"%25 stays")};
    for (int n = 1; n <= 30; ++n)
        stream << n;
    EXPECT_EQ(L"%25 stays", Text(stream.Str()));
}

TEST(FormatStream, SurplusArgumentsAreNeverOutput)
{
    EXPECT_EQ(L"1 and 2", Format(L"%1 and %2", 1, 2, 3, L"four"));
}

TEST(FormatStream, EmptyArgumentsAndRepeatedNumbers)
{
    EXPECT_EQ(L"<>", Format(L"<%1>", L""));
    EXPECT_EQ(L"a-a", Format(L"%1-%1", L"a"));
}

TEST(FormatStream, TemplatesComeFromTheModulesStringTableWithTokensReplaced)
{
    OFormatStringStream stream(IDS_TEST_FORMAT);
    stream << L"block 2" << 12;
    EXPECT_EQ(L"12 loops in block 2, analysed by Kymorama", Text(stream.Str()));
}

TEST(FormatStream, ArgumentsMayCarryStreamSettings)
{
    OFormatStringStream stream{String(L"%1 mmHg")};
    stream.ArgumentStream() << std::fixed << std::setprecision(2) << 12.3456;
    stream.EndArgument();
    EXPECT_EQ(L"12.35 mmHg", Text(stream.Str()));
}

TEST(FormatStream, MoreThanTwentyPlaceholdersKeepTheFirstTwenty)
{
    std::wstring format;
    for (int n = 1; n <= 22; ++n)
        format += L"%" + std::to_wstring(n > 20 ? 1 : n) + L" ";
    OFormatStringStream stream{String(format.c_str())};
    for (int n = 1; n <= 20; ++n)
        stream << L"x";
    const std::wstring text = Text(stream.Str());
    EXPECT_EQ(0u, text.find(L"x x x"));
    EXPECT_NE(std::wstring::npos, text.find(L"%1 %1 "));
}

} // namespace
