#include "dialogs/helpers/ControlBalloons.h"

#include "platform/owl/tests/Screenshot.h"

#include <gtest/gtest.h>

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
