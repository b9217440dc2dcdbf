#include "foundation/system/ShellDlgFont.h"
#include "foundation/text/StringResources.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

LOGFONTW Describe(const Orv::UniqueFont& font)
{
    LOGFONTW description{};
    GetObjectW(font.Get(), sizeof(description), &description);
    return description;
}

int ScreenPixelsPerInch()
{
    HDC screen = GetDC(nullptr);
    const int pixels = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return pixels;
}

class ShellDlgFont : public ::testing::Test
{
protected:
    void TearDown() override { Orv::SetApplicationLanguage(std::nullopt); }
};

TEST_F(ShellDlgFont, PointSizeIsConvertedForTheScreenWithTheEscapementKept)
{
    const Orv::UniqueFont font = ConstructShellDlgFont(nullptr, 14, 900);
    const LOGFONTW description = Describe(font);
    EXPECT_EQ(std::wstring(L"MS Shell Dlg 2"), description.lfFaceName);
    EXPECT_EQ(-MulDiv(14, ScreenPixelsPerInch(), 72), description.lfHeight);
    EXPECT_EQ(900, description.lfEscapement);
    EXPECT_EQ(900, description.lfOrientation);
    EXPECT_EQ(400, description.lfWeight);
}

TEST_F(ShellDlgFont, SizeZeroDependsOnTheApplicationsLanguage)
{
    const int pixels = ScreenPixelsPerInch();
    Orv::SetApplicationLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    EXPECT_EQ(-MulDiv(10, pixels, 72), Describe(ConstructShellDlgFont(nullptr, 0, 0)).lfHeight);
    Orv::SetApplicationLanguage(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    EXPECT_EQ(-MulDiv(12, pixels, 72), Describe(ConstructShellDlgFont(nullptr, 0, 0)).lfHeight);
    Orv::SetApplicationLanguage(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    EXPECT_EQ(-MulDiv(12, pixels, 72), Describe(ConstructShellDlgFont(nullptr, 0, 0)).lfHeight);
}

TEST_F(ShellDlgFont, CharacterCellGrowsWithThePointSize)
{
    const Orv::FontCharSize small = GetFontCharSize(ConstructShellDlgFont(nullptr, 8, 0).Get());
    const Orv::FontCharSize large = GetFontCharSize(ConstructShellDlgFont(nullptr, 24, 0).Get());
    EXPECT_GT(small.averageWidth, 0);
    EXPECT_GT(small.lineHeight, 0);
    EXPECT_GT(large.averageWidth, small.averageWidth);
    EXPECT_GT(large.lineHeight, small.lineHeight);
}

} // namespace
