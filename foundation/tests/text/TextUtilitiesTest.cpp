#include "foundation/text/TextUtilities.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

namespace
{

TEST(TextUtilities, IntToWStringWritesPlainDecimalDigits)
{
    EXPECT_EQ(L"0", IntToWString(0));
    EXPECT_EQ(L"-2147483648", IntToWString(INT_MIN));
    EXPECT_EQ(L"1234567", IntToWString(1234567));
}

TEST(TextUtilities, WriteNarrowTextConvertsOrInsertsNothing)
{
    std::wostringstream out;
    WriteNarrowText(out, "mmHg") << L'|';
    WriteNarrowText(out, nullptr) << L'|';
    WriteNarrowText(out, "") << L'|';
    EXPECT_EQ(L"mmHg|||", out.str());
}

TEST(TextUtilities, FormatUnitsChangeHasNoOtherSpacing)
{
    const Orv::String text = FormatUnitsChange(L"mV", L"mmHg", L"0 1", L"0 100", L"P");
    EXPECT_STREQ(L"mV->mmHg;0 1->0 100 P", text.c_str());
    EXPECT_STREQ(L"->;-> ", FormatUnitsChange(L"", L"", L"", L"", L"").c_str());
}

} // namespace
