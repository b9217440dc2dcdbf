#include "controls/gadgets/ButtonGadgets.h"
#include "controls/gadgets/GadgetWindows.h"

#include "platform/owl/tests/Screenshot.h"

#include <objbase.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace
{

constexpr UINT LoopsCommand = 501, PointsCommand = 502;

// The window the menu's commands go to: it counts the menus opened for it and the commands it got.
class MenuOwner : public OWL::TWindow
{
public:
    MenuOwner() : OWL::TWindow(nullptr, L"Owner")
    {
        Attr.Style = WS_POPUP;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_INITMENUPOPUP)
            ++menusOpened;
        if (msg == WM_COMMAND)
            commands.push_back(LOWORD(wParam));
        return OWL::TWindow::WindowProc(msg, wParam, lParam);
    }
    int menusOpened = 0;
    std::vector<UINT> commands;
};

class Strip : public OrvControls::UxGadgetWindow
{
public:
    explicit Strip(OWL::TGadget& gadget) : OrvControls::UxGadgetWindow(nullptr)
    {
        Attr.Style = WS_POPUP | WS_VISIBLE;
        Attr.X = 140;
        Attr.Y = 140;
        Insert(gadget);
    }
};

HMENU ViewMenu()
{
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, LoopsCommand, L"Loops");
    AppendMenuW(menu, MF_STRING, PointsCommand, L"Points");
    return menu;
}

// What runs while a menu is open: the menu loop dispatches thread timers, so a timer plays the user.
struct OpenMenuScript
{
    std::function<void(HWND menu)> onFirst;
    int opened = 0;
    RECT firstMenu{};
    int ticks = 0;
};
OpenMenuScript* script = nullptr;

HWND ShownMenuWindow()
{
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

void CALLBACK PlayUser(HWND, UINT, UINT_PTR, DWORD)
{
    HWND menu = ShownMenuWindow();
    if (!menu)
    {
        script->ticks = 0;
        return;
    }
    // Every menu is answered once; one left open too long is closed, so that no test hangs.
    if (script->ticks++ == 0)
    {
        if (script->opened++ == 0)
        {
            GetWindowRect(menu, &script->firstMenu);
            script->onFirst(menu);
        }
        else
        {
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        }
    }
    else if (script->ticks > 40)
    {
        EndMenu();
    }
}

// Clicks the gadget with the script playing the user while its menu is open.
void ClickWithMenuScript(Strip& strip, const OWL::TGadget& gadget, OpenMenuScript& played)
{
    script = &played;
    SetCursorPos(1000, 900);
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, PlayUser);
    const OWL::TRect bounds = gadget.GetBounds();
    strip.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON,
                      MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2));
    // What the menu left in the queue: its command, or a click.
    OwlTest::PumpMessages();
    KillTimer(nullptr, timer);
    script = nullptr;
}

TEST(UxMenuGadget, OpensItsMenuBelowItselfAndTheChosenItemsCommandReachesTheOwnerOnce)
{
    MenuOwner owner;
    ASSERT_TRUE(owner.Create());
    HMENU menu = ViewMenu();
    auto* gadget = new Orv::UxMenuGadget(menu, &owner, nullptr, 1, OWL::TButtonTextGadget::sText,
                                         OWL::TButtonGadget::Command, true, OWL::TButtonGadget::Up, false, 4);
    DestroyMenu(menu);
    EXPECT_EQ(L"Loops", gadget->GetText()) << "the first item names the button";
    EXPECT_EQ(Orv::UxMenuGadget::CommandId, gadget->GetId());
    Strip strip(*gadget);
    ASSERT_TRUE(strip.Create());
    UpdateWindow(strip.GetHandle());
    OwlTest::SaveWindowPng(strip.GetHandle(), L"ux_menu_gadget");

    OpenMenuScript played;
    played.onFirst = [](HWND shown) {
        PostMessageW(shown, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(shown, WM_KEYDOWN, VK_RETURN, 0);
    };
    ClickWithMenuScript(strip, *gadget, played);

    EXPECT_EQ(1, played.opened);
    RECT under = gadget->GetBounds();
    MapWindowPoints(strip.GetHandle(), nullptr, reinterpret_cast<POINT*>(&under), 2);
    EXPECT_GE(played.firstMenu.top, under.bottom) << "the menu leaves the button visible";
    EXPECT_EQ(std::vector<UINT>{LoopsCommand}, owner.commands);
    EXPECT_NE(0, gadget->GetLastChoice());
    EXPECT_FALSE(gadget->IsPressed());
}

TEST(UxButtonMenuGadget, AClickThatClosesItsMenuOverTheButtonDoesNotOpenItAgain)
{
    MenuOwner owner;
    ASSERT_TRUE(owner.Create());
    HMENU menu = ViewMenu();
    auto* gadget = new Orv::UxButtonMenuGadget(menu, &owner, L"Show", nullptr, 1, OWL::TButtonTextGadget::sText,
                                               OWL::TButtonGadget::Command, true, OWL::TButtonGadget::Up, false, 4);
    DestroyMenu(menu);
    EXPECT_EQ(L"Show", gadget->GetText());
    gadget->SetBounds(OWL::TRect(0, 0, 80, 0)); // its width is the caller's
    Strip strip(*gadget);
    ASSERT_TRUE(strip.Create());

    OpenMenuScript played;
    const OWL::TRect bounds = gadget->GetBounds();
    played.onFirst = [&](HWND) {
        PostMessageW(strip.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2));
    };
    ClickWithMenuScript(strip, *gadget, played);

    EXPECT_EQ(1, played.opened);
    EXPECT_EQ(1, owner.menusOpened);
    EXPECT_TRUE(owner.commands.empty());
}

} // namespace
