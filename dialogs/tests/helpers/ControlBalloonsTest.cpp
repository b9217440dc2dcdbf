#include "dialogs/helpers/ControlBalloons.h"

#include "platform/owl/tests/Screenshot.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

using namespace Sistra;

// A check box's balloon points at its box, an edit's at its middle.
TEST(ControlBalloons, ABalloonPointsAtTheBoxOfACheckBoxAndAtTheMiddleOfOtherControls)
{
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 300, 120, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND check = CreateWindowExW(0, L"BUTTON", L"Apply", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 10, 100, 20,
                                 parent, nullptr, nullptr, nullptr);
    HWND push = CreateWindowExW(0, L"BUTTON", L"Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 40, 100, 20, parent,
                                nullptr, nullptr, nullptr);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 120, 10, 80, 30, parent, nullptr, nullptr,
                                nullptr);
    const struct
    {
        HWND control;
        POINT anchor;
    } cases[] = {{check, {117, 117}}, {push, {160, 150}}, {edit, {260, 125}}};
    for (const auto& c : cases)
    {
        const POINT anchor = ControlBalloonAnchor(c.control);
        EXPECT_EQ(c.anchor.x, anchor.x);
        EXPECT_EQ(c.anchor.y, anchor.y);
    }

    HWND balloon = ShowValidationBalloon(check, ValidationResult(Orv::String(L"Not A Number"),
                                                                 Orv::String(L"The slope entered is not a number.")));
    ASSERT_TRUE(balloon);
    EXPECT_TRUE(IsWindowVisible(balloon));
    wchar_t title[64] = {};
    GetWindowTextW(balloon, title, 64);
    EXPECT_STREQ(L"Not A Number", title);
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(balloon, L"dialogs_validation_balloon");
    DestroyWindow(balloon);
    OwlTest::PumpMessages();
    EXPECT_FALSE(IsWindow(balloon));
    EXPECT_FALSE(ShowControlBalloon(nullptr, Orv::String(L"t"), Orv::String(L"x"))) << "no control, no balloon";
    DestroyWindow(parent);
}

namespace
{

// The rightmost column the text inks when drawn on one line, unclipped, in the font.
int InkWidth(const wchar_t* text, HFONT font)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1000, 40);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, font);
    RECT all{0, 0, 1000, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawTextW(dc, text, -1, &all, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    int width = 0;
    for (int x = 0; x < 1000; ++x)
        for (int y = 0; y < 40; ++y)
            if ((GetPixel(dc, x, y) & 0xFF) < 128)
                width = x + 1;
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return width;
}

} // namespace

// Wherever its button stands, even against the screen's edge, the balloon lies on the screen with its
// tail on the button, and its client area holds the whole of its text as the balloon's font inks it.
TEST(ControlBalloons, ABalloonStaysOnTheScreenBesideItsControlWithItsWholeText)
{
    const wchar_t* text = L"Select some pressure data in the Strix View before pressing this button";
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT work = monitor.rcWork;
    const POINT corners[] = {{work.left, work.top + 100},
                             {work.right - 60, work.top + 100},
                             {work.left, work.bottom - 40},
                             {work.right - 60, work.bottom - 40}};
    for (const POINT corner : corners)
    {
        HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, corner.x, corner.y, 60, 40, nullptr,
                                      nullptr, nullptr, nullptr);
        HWND button = CreateWindowExW(0, L"BUTTON", L"Get", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 2, 10, 40, 20,
                                      parent, nullptr, nullptr, nullptr);
        OwlTest::PumpMessages();
        HDC screen = GetDC(nullptr);
        std::map<std::pair<LONG, LONG>, COLORREF> before;
        const POINT tip = ControlBalloonAnchor(button);
        for (const LONG dx : {-1, 1})
            for (const LONG dy : {-5, 5})
                before[{tip.x + dx, tip.y + dy}] = GetPixel(screen, tip.x + dx, tip.y + dy);
        ReleaseDC(nullptr, screen);
        const auto beneath = [&](POINT at) { return before[{at.x, at.y}]; };
        HWND balloon = ShowControlBalloon(button, Orv::String(L"No Pressure Selection"), Orv::String(text));
        ASSERT_TRUE(balloon);
        OwlTest::PumpMessages();
        RECT window{}, client{};
        GetWindowRect(balloon, &window);
        GetClientRect(balloon, &client);
        EXPECT_GE(window.left, work.left) << corner.x << "," << corner.y;
        EXPECT_LE(window.right, work.right) << corner.x << "," << corner.y;
        EXPECT_GE(window.top, work.top) << corner.x << "," << corner.y;
        EXPECT_LE(window.bottom, work.bottom) << corner.x << "," << corner.y;

        // The tail: just inside its tip, on the anchor, the balloon draws over what lay beneath.
        const POINT anchor = ControlBalloonAnchor(button);
        const bool above = window.bottom <= anchor.y + 2;
        const bool leftHalf = anchor.x < (work.left + work.right) / 2;
        const POINT inTail{anchor.x + (leftHalf ? 1 : -1), anchor.y + (above ? -5 : 5)};
        HDC drawn = GetWindowDC(balloon);
        EXPECT_NE(beneath(inTail), GetPixel(drawn, inTail.x - window.left, inTail.y - window.top))
            << corner.x << "," << corner.y;
        ReleaseDC(balloon, drawn);

        const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        EXPECT_GE(client.right, InkWidth(text, font)) << corner.x << "," << corner.y;
        OwlTest::SaveWindowPng(balloon, L"dialogs_balloon_at_edge");
        DestroyWindow(balloon);
        DestroyWindow(parent);
        OwlTest::PumpMessages();
    }
}
