#include "controls/balloon/BalloonHelp.h"

#include "platform/owl/tests/Screenshot.h"

#include <gtest/gtest.h>

namespace
{

const RECT Work{0, 0, 1000, 800};
constexpr int Margin = 8, Tail = 20;

struct PlacementCase
{
    POINT anchor;
    int quadrant;
    bool tailBelow;
};

TEST(BalloonPlacement, TheQuadrantDecidesWhereTheBalloonStandsAndTheTipIsOnTheAnchor)
{
    const PlacementCase cases[] = {
        {{700, 100}, 0, false}, {{200, 100}, 1, false}, {{200, 700}, 2, true}, {{700, 700}, 3, true}};
    for (const auto& c : cases)
    {
        const auto placement = WTL::PlaceBalloon(c.anchor, Work, {200, 100}, Margin, Tail, false);
        EXPECT_EQ(c.quadrant, placement.quadrant);
        EXPECT_EQ(c.anchor.x, placement.window.left + placement.tip.x);
        EXPECT_EQ(c.anchor.y, placement.window.top + placement.tip.y);
        EXPECT_EQ(c.tailBelow, placement.tip.y > 50) << "quadrants 2 and 3 stand above the anchor";
        const bool tailRight = placement.tip.x > 100;
        EXPECT_EQ(c.quadrant == 0 || c.quadrant == 3, tailRight);
    }
}

TEST(BalloonPlacement, ABalloonPushedByTheEdgeKeepsItsTipOnTheAnchor)
{
    for (const bool follows : {false, true})
    {
        const auto free = WTL::PlaceBalloon({500, 100}, Work, {400, 100}, Margin, Tail, follows);
        const auto pushed = WTL::PlaceBalloon({990, 100}, Work, {400, 100}, Margin, Tail, follows);
        EXPECT_LE(pushed.window.right, Work.right);
        EXPECT_EQ(990, pushed.window.left + pushed.tip.x);
        EXPECT_EQ(follows, pushed.a.x != free.a.x) << "the tail's base moves only under the option";
    }
}

// A balloon whose tooltip theme cannot be had: wherever the platform says the application is themed,
// its layout and painting meet a failing theme call.
class BrokenThemeBalloon : public WTL::CBalloonHelp
{
protected:
    void OpenThemes() override
    {
        tooltipTheme_ = std::make_unique<ThemeDataHandle>(m_hWnd, L"NoSuchThemeClass");
        textTheme_ = std::make_unique<ThemeDataHandle>(m_hWnd, L"NoSuchThemeClass");
    }
};

COLORREF PixelAt(POINT screen)
{
    HDC dc = GetDC(nullptr);
    const COLORREF colour = GetPixel(dc, screen.x, screen.y);
    ReleaseDC(nullptr, dc);
    return colour;
}

TEST(BalloonHelp, NearTheBottomRightItStandsAboveLeftWithItsTipOnTheAnchor)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const POINT anchor{monitor.rcWork.right - 60, monitor.rcWork.bottom - 40};
    WTL::CBalloonHelp balloon;
    balloon.SetIconFromResource(IDI_WARNING);
    ASSERT_TRUE(balloon.Create(nullptr, L"Invalid Value", L"Value must be in range 1 to 10.", &anchor,
                               WTL::CBalloonHelp::ShowCloseButton | WTL::CBalloonHelp::DisableFadeIn, nullptr, 0,
                               0x2111));
    EXPECT_EQ(3, balloon.Quadrant());
    EXPECT_EQ(anchor.x, balloon.TipOnScreen().x);
    EXPECT_EQ(anchor.y, balloon.TipOnScreen().y);
    RECT window{};
    GetWindowRect(balloon.m_hWnd, &window);
    EXPECT_LT(window.bottom, anchor.y + 3);
    EXPECT_LT(window.left, anchor.x);
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(balloon.m_hWnd, L"balloon_quadrant3");
    ReleaseCapture();
}

TEST(BalloonHelp, AFailingThemeCallDrawsTheClassicFaceInstead)
{
    BrokenThemeBalloon balloon;
    const POINT anchor{300, 200};
    ASSERT_TRUE(balloon.Create(nullptr, L"Title", L"The theme failed, the balloon still shows.", &anchor,
                               WTL::CBalloonHelp::DisableFadeIn, nullptr, 0, 0x2111));
    OwlTest::PumpMessages();
    EXPECT_FALSE(balloon.DrawsThemed());
    RECT client{};
    GetClientRect(balloon.m_hWnd, &client);
    EXPECT_GT(client.right, 100) << "laid out with classic measures";
    POINT inside{client.right - 2, client.bottom - 2};
    ClientToScreen(balloon.m_hWnd, &inside);
    EXPECT_EQ(balloon.Background(), PixelAt(inside)) << "painted with the classic background";
    OwlTest::SaveWindowPng(balloon.m_hWnd, L"balloon_theme_failed");
    ReleaseCapture();
}

TEST(BalloonHelp, ASelfDeletingBalloonGoesWhenHidden)
{
    auto* balloon = new WTL::CBalloonHelp;
    const POINT anchor{300, 300};
    ASSERT_TRUE(balloon->Create(nullptr, L"Link", L"", &anchor,
                                WTL::CBalloonHelp::DeleteThisOnClose | WTL::CBalloonHelp::DisableFadeIn |
                                    WTL::CBalloonHelp::DisableFadeOut,
                                nullptr, 0, 0x2111));
    const HWND handle = balloon->m_hWnd;
    balloon->Hide();
    OwlTest::PumpMessages();
    EXPECT_FALSE(IsWindow(handle));
}

} // namespace
