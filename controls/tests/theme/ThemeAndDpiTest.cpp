#include "controls/balloon/BalloonHelp.h"
#include "controls/theme/DpiAndFonts.h"
#include "controls/theme/UxTheme.h"

#include "foundation/com/XOrv.h"
#include "platform/owl/Application.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

std::wstring MessageOf(const XOrv& error)
{
    return error.GetMessage().c_str();
}

TEST(UxTheme, ThemeHandlesOpenLazilyAndFailuresNameTheCall)
{
    ThemeDataHandle unknown(nullptr, L"NoSuchThemeClass");
    EXPECT_FALSE(unknown.IsOpen());
    if (OrvLinkingUtils::UxThemeDLL::Instance().IsAppThemed())
    {
        ThemeDataHandle button(nullptr, L"BUTTON");
        EXPECT_NE(nullptr, button.Get());
        EXPECT_TRUE(button.IsOpen());
        button.Close();
        EXPECT_FALSE(button.IsOpen());
    }
    try
    {
        unknown.Get();
        ADD_FAILURE() << "an unknown theme class opened";
    }
    catch (const XOrv& error)
    {
        EXPECT_EQ(OrvLinkingUtils::ThemeCallFailed, error.Code());
        EXPECT_EQ(L"Could not open theme data for the given class: NoSuchThemeClass.", MessageOf(error));
    }
    try
    {
        OrvLinkingUtils::UxThemeDLL::Instance().GetPartSize(nullptr, nullptr, 1, 1, nullptr, TS_TRUE);
        ADD_FAILURE() << "a part size without a theme";
    }
    catch (const XOrv& error)
    {
        EXPECT_EQ(L"Error calling UxThemeDLL::GetThemePartSize().", MessageOf(error));
    }
}

TEST(WindowDpi, AWindowOnNoMonitorTakesTheScreensDpi)
{
    const auto screen = GetScreenDpi();
    EXPECT_GT(screen.first, 0);
    EXPECT_EQ(screen, GetWindowDpi(nullptr));
    HWND hidden = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, -30000, -30000, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(screen, GetWindowDpi(hidden));
    DestroyWindow(hidden);
}

TEST(WindowDpi, AWindowOnTheScreenHas96DpiAndAForcedDpiScalesTheBalloonsSizes)
{
    HWND shown = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 50, 50, nullptr, nullptr, nullptr,
                                 nullptr);
    EXPECT_EQ(std::make_pair(96, 96), GetWindowDpi(shown)) << "the test display's";
    DestroyWindow(shown);
    const struct
    {
        int dpi, margin, tail;
    } cases[] = {{96, 8, 20}, {144, 12, 30}, {120, 10, 25}};
    for (const auto& c : cases)
    {
        SetScreenDpi(c.dpi, c.dpi);
        EXPECT_EQ(std::make_pair(c.dpi, c.dpi), GetWindowDpi(nullptr));
        const WTL::CBalloonHelp balloon;
        EXPECT_EQ(c.margin, balloon.margin) << c.dpi;
        EXPECT_EQ(c.tail, balloon.tailSize) << c.dpi;
    }
    SetScreenDpi(0, 0);
}

TEST(DialogFont, PointSizesFollowTheDeviceAndTheApplicationsLanguage)
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    EXPECT_EQ(MulDiv(10, dpi, 72), PointsToLogical(screen, 10));

    const OWL::TFont defaultSize = CreateShellDlgFontForPoints(nullptr, 0, true, false);
    EXPECT_EQ(MulDiv(10, dpi, 72), defaultSize.GetObject().lfHeight);
    EXPECT_EQ(700, defaultSize.GetObject().lfWeight);
    {
        OWL::TApplication japanese(L"test", GetModuleHandleW(nullptr));
        japanese.SetLangId(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
        EXPECT_EQ(MulDiv(12, dpi, 72), CreateShellDlgFontForPoints(nullptr, 0, false, false).GetObject().lfHeight);
    }

    HFONT rotated = nullptr;
    ASSERT_TRUE(CreateShellDlgFontFromPoints(screen, &rotated, 8, 900, 0, true));
    LOGFONTW font{};
    GetObjectW(rotated, sizeof font, &font);
    EXPECT_EQ(OUT_TT_ONLY_PRECIS, font.lfOutPrecision) << "a rotated font must be a TrueType one";
    EXPECT_EQ(900, font.lfOrientation);
    EXPECT_TRUE(font.lfItalic);
    DeleteObject(rotated);
    EXPECT_FALSE(CreateShellDlgFontIndirect(screen, nullptr, 12, 0, 0, false));
    ReleaseDC(nullptr, screen);
}

TEST(Monitors, RectanglesAreMovedOntoTheWorkAreaUpLeftDownRight)
{
    const RECT work = GetMonitorWorkArea(RECT{0, 0, 10, 10});
    const LONG w = work.right - work.left;
    const LONG h = work.bottom - work.top;
    struct Case
    {
        RECT in;
        RECT expected;
    };
    const Case cases[] = {
        {{work.right - 5, work.bottom - 5, work.right + 15, work.bottom + 25},
         {work.right - 20, work.bottom - 30, work.right, work.bottom}},
        {{work.left - 7, work.top - 9, work.left + 3, work.top + 1}, {work.left, work.top, work.left + 10, work.top + 10}},
        {{work.left + 10, work.top + 10, work.left + w + 110, work.top + h + 60},
         {work.left, work.top, work.left + w + 100, work.top + h + 50}},
    };
    for (const Case& c : cases)
    {
        RECT rect = c.in;
        KeepRectOnMonitor(rect);
        EXPECT_TRUE(EqualRect(&c.expected, &rect)) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
}

TEST(Monitors, APlacedWindowComesBackWhereItWasWhileItsSizeIsUnchanged)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    WindowPlacementMemory memory;
    memory.Place(window);
    const RECT work = GetMonitorWorkArea(memory.remembered);
    EXPECT_EQ(1, memory.valid);
    EXPECT_EQ((work.left + work.right) / 2 - 100, memory.remembered.left);
    EXPECT_EQ((work.top + work.bottom) / 2 - 50, memory.remembered.top);

    MoveWindow(window, 5, 5, 200, 100, FALSE);
    memory.Place(window);
    RECT placed{};
    GetWindowRect(window, &placed);
    EXPECT_TRUE(EqualRect(&memory.remembered, &placed));

    MoveWindow(window, 5, 5, 300, 100, FALSE);
    memory.Place(window);
    EXPECT_EQ((work.left + work.right) / 2 - 150, memory.remembered.left) << "a new size is centred anew";
    DestroyWindow(window);
}

} // namespace
