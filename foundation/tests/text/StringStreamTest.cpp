#include "foundation/text/StrStream.h"
#include "foundation/text/StringStream.h"

#include <gtest/gtest.h>

#include <locale>
#include <string>

namespace
{

using Orv::String;

std::wstring Text(const String& text)
{
    return std::wstring(text.c_str(), text.Length());
}

// A locale that groups thousands, as a user's might.
struct GroupingPunct : std::numpunct<wchar_t>
{
    wchar_t do_thousands_sep() const override { return L','; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(OStringStream, WritesThroughTheStandardOperators)
{
    Orv::OStringStream stream;
    stream << L"x = " << 42 << L", y = " << 1.5;
    EXPECT_EQ(L"x = 42, y = 1.5", Text(stream.Str()));
    EXPECT_STREQ(L"x = 42, y = 1.5", stream.c_str());
}

TEST(OStringStream, GrowsBeyondItsFirstBuffer)
{
    Orv::OStringStream stream;
    std::wstring expected;
    for (int i = 0; i < 1000; ++i)
    {
        stream << i << L';';
        expected += std::to_wstring(i) + L';';
    }
    EXPECT_EQ(expected, Text(stream.Str()));
}

TEST(OStringStream, TakingTwiceSharesAndLaterOutputLeavesTakenTextAlone)
{
    Orv::OStringStream stream;
    stream << L"first";
    const String once = stream.Str();
    const String twice = stream.Str();
    EXPECT_EQ(once.Interface(), twice.Interface());
    EXPECT_EQ(L"first", Text(twice));

    stream << L" more";
    EXPECT_EQ(L"first", Text(once));
    EXPECT_EQ(L"first more", Text(stream.Str()));
}

TEST(OStringStream, ClearStartsAfreshKeepingTakenTexts)
{
    Orv::OStringStream stream;
    stream << L"something long enough to grow";
    const String taken = stream.Str();
    stream.Clear();
    stream << L"ab";
    EXPECT_EQ(L"ab", Text(stream.Str()));
    EXPECT_EQ(L"something long enough to grow", Text(taken));
}

TEST(OStringStream, EmptyStreamGivesTheEmptyText)
{
    Orv::OStringStream stream;
    EXPECT_TRUE(stream.Str().IsEmpty());
    EXPECT_STREQ(L"", stream.c_str());
}

TEST(OStringStream, SeeksWithinTheWrittenText)
{
    Orv::OStringStream stream;
    stream << L"abcdef";
    EXPECT_EQ(6, static_cast<long>(stream.tellp()));
    stream.seekp(2);
    stream << L"XY";
    EXPECT_EQ(L"abXYef", Text(stream.Str()));
    stream.seekp(10);
    EXPECT_TRUE(stream.fail());
}

TEST(OStringStream, ReadsBackWhatWasWritten)
{
    Orv::StringStreamBuf buffer;
    std::wiostream stream(&buffer);
    stream << L"12 words";
    int number = 0;
    std::wstring word;
    stream >> number >> word;
    EXPECT_EQ(12, number);
    EXPECT_EQ(L"words", word);
    stream.clear();
    stream.seekg(1);
    stream.unget();
    EXPECT_EQ(L'1', stream.get());
}

TEST(ClassicStream, IgnoresTheGlobalLocalesGrouping)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new GroupingPunct));
    Orv::OStringStream userStream;
    Orv::ClassicStream classicStream;
    userStream << 1234567;
    classicStream << 1234567 << L' ' << 0.25;
    std::locale::global(previous);
    EXPECT_EQ(L"1,234,567", Text(userStream.Str()));
    EXPECT_EQ(L"1234567 0.25", Text(classicStream.Str()));
}

TEST(IStrStream, ParsesNumbersAndWordsInPlace)
{
    const wchar_t text[] = L"3 -0.5 word 4.60996e-05";
    Orv::wistrstream stream(text);
    int count = 0;
    double value = 0;
    std::wstring word;
    double small = 0;
    stream >> count >> value >> word >> small;
    EXPECT_EQ(3, count);
    EXPECT_DOUBLE_EQ(-0.5, value);
    EXPECT_EQ(L"word", word);
    EXPECT_DOUBLE_EQ(4.60996e-05, small);
    EXPECT_TRUE(stream.eof());
    stream.clear();
    stream.seekg(0);
    stream >> count;
    EXPECT_EQ(3, count);
}

TEST(IStrStream, NeverWritesIntoItsText)
{
    const wchar_t text[] = L"ab";
    Orv::wistrstream stream(text);
    EXPECT_EQ(L'a', stream.get());
    stream.putback(L'z');
    EXPECT_TRUE(stream.fail());
    EXPECT_STREQ(L"ab", text);
    Orv::wistrstream empty(nullptr);
    EXPECT_EQ(WEOF, empty.get());
}

} // namespace
