#include "dialogs/helpers/NumberFields.h"

#include "document/models/ModelValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace Sistra;

TEST(NumberFields, ParsingTellsAnEmptyBoxFromTextThatIsNoNumber)
{
    const struct
    {
        const wchar_t* text;
        double value;
    } cases[] = {{L"12", 12.0}, {L"12abc", 12.0}, {L" 3.5", 3.5}, {L"-1e-3", -0.001}, {L"0", 0.0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.value, ParseNumber(c.text)) << c.text;
    EXPECT_TRUE(IsBlankMarker(ParseNumber(L"")));
    for (const wchar_t* text : {L"abc", L"-", L".", L"e5", L"1e999"})
        EXPECT_TRUE(IsInvalidMarker(ParseNumber(text))) << text;
}

TEST(NumberFields, NumbersAreShownPlainWhereShortAndScientificElsewhere)
{
    const struct
    {
        double value;
        const wchar_t* text;
    } cases[] = {
        {0.0, L"0"},         {1e-40, L"0"},          {12345.6, L"12346"},  {-12345.6, L"-12346"},
        {123.456, L"123.46"}, {0.5, L"0.5"},         {9.87654, L"9.877"},  {0.001, L"1e-3"},
        {1e12, L"1e+12"},    {123456.0, L"1.235e+5"}, {2.5e100, L"2.5e+100"}, {-1e-6, L"-1e-6"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(c.text), FormatNumber(c.value).c_str()) << c.value;
}

// What a box shows reads back as the value it stands for, to the four digits shown at least.
TEST(NumberFields, AShownNumberReadsBackCloseToItsValue)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> exponent(-20.0, 9.9), sign(-1.0, 1.0);
    for (int round = 0; round < 2000; ++round)
    {
        const double value = std::copysign(std::pow(10.0, exponent(random)), sign(random));
        const double read = ParseNumber(FormatNumber(value));
        ASSERT_TRUE(std::isfinite(read)) << value;
        EXPECT_LT(std::fabs(read - value), 6e-4 * std::fabs(value)) << value;
    }
}

TEST(NumberFields, ABoxShowsNumbersEmptiesForBlankAndKeepsTypedTextForInvalid)
{
    HWND edit = CreateWindowExW(0, L"EDIT", L"typed", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(edit);
    SetWindowNumber(edit, InvalidMarker());
    EXPECT_EQ(std::wstring(L"typed"), GetWindowTextString(edit).c_str());
    SetWindowNumber(edit, 0.5);
    EXPECT_EQ(std::wstring(L"0.5"), GetWindowTextString(edit).c_str());
    SetWindowNumber(edit, BlankMarker());
    EXPECT_TRUE(GetWindowTextString(edit).IsEmpty());
    DestroyWindow(edit);
    EXPECT_TRUE(GetWindowTextString(edit).IsEmpty()) << "no window, no text";
}

TEST(NumberFields, PrefixCodesScaleByPowersOfAThousand)
{
    const struct
    {
        int code;
        double factor;
    } cases[] = {{2, 1e-18}, {6, 1e-6}, {7, 1e-3}, {8, 1.0}, {9, 1e3}, {11, 1e9}, {1, 1.0}, {0, 1.0}, {12, 1.0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(c.factor, PrefixFactor(c.code)) << c.code;

    // 0.002 L stored is shown as 2 mL; 2 uL typed is stored as 2e-6 L.
    const std::array<double, 3> shown = RescaleToPrefixes({0.002, 1.0, 1.0}, 7, 8);
    EXPECT_DOUBLE_EQ(2.0, shown[0]);
    EXPECT_DOUBLE_EQ(1e-3, shown[1]);
    EXPECT_DOUBLE_EQ(1.0, shown[2]);
    EXPECT_DOUBLE_EQ(2e-6, RescaleToPrefixes({2.0, 1.0, 1.0}, 8, 6)[0]);
}
