#include "platform/owl/window/CommandEnabler.h"
#include "platform/owl/window/Menu.h"
#include "platform/owl/window/Window.h"

#include <gtest/gtest.h>

namespace
{

using namespace OWL;

constexpr UINT CmCopy = 201, CmPrint = 202, CmNobody = 203, CmInner = 204;

class MenuOwner : public TWindow
{
public:
    MenuOwner() : TWindow(static_cast<TWindow*>(nullptr)) {}
    void CmCopyCommand() {}
    void CePrint(TCommandEnabler& enabler)
    {
        enabler.Enable(false);
        enabler.SetText(L"Print Loop View");
        enabler.SetCheck(TCommandEnabler::Checked);
    }
    DECLARE_RESPONSE_TABLE(MenuOwner);
};

DEFINE_RESPONSE_TABLE1(MenuOwner, TWindow)
    EV_COMMAND(CmCopy, CmCopyCommand),
    EV_COMMAND_ENABLE(CmPrint, CePrint),
END_RESPONSE_TABLE;

TEST(OwlMenu, APopupCopyHasTheItemsAndOwnSubmenusAndIsDestroyedWithItsObject)
{
    TMenu bar;
    TPopupMenu inner;
    inner.AppendMenu(MF_STRING, CmInner, L"Inner");
    bar.AppendMenu(MF_STRING, CmCopy, L"&Copy");
    bar.AppendMenu(MF_SEPARATOR);
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(inner.GetHandle()), L"More");
    HMENU copyHandle = nullptr;
    {
        TPopupMenu copy(bar);
        copyHandle = copy.GetHandle();
        ASSERT_EQ(3, copy.GetMenuItemCount());
        EXPECT_EQ(L"&Copy", copy.GetMenuString(0, MF_BYPOSITION));
        EXPECT_EQ(CmCopy, copy.GetMenuItemID(0));
        EXPECT_NE(nullptr, copy.GetSubMenu(2));
        EXPECT_NE(inner.GetHandle(), copy.GetSubMenu(2));
        EXPECT_EQ(CmInner, GetMenuItemID(copy.GetSubMenu(2), 0));
    }
    EXPECT_FALSE(IsMenu(copyHandle));
    RemoveMenu(bar, 2, MF_BYPOSITION); // the inner popup has an owner of its own
}

TEST(OwlMenu, OpeningAPopupAsksTheWindowAboutEachCommand)
{
    MenuOwner owner;
    owner.Create();
    TPopupMenu popup;
    popup.AppendMenu(MF_STRING | MF_GRAYED, CmCopy, L"Copy");
    popup.AppendMenu(MF_STRING, CmPrint, L"Print");
    popup.AppendMenu(MF_SEPARATOR);
    popup.AppendMenu(MF_STRING, CmNobody, L"Nobody");
    owner.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup.GetHandle()), 0);
    EXPECT_FALSE(popup.GetMenuState(CmCopy, MF_BYCOMMAND) & MF_GRAYED) << "a handled command is enabled";
    EXPECT_TRUE(popup.GetMenuState(CmPrint, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(popup.GetMenuState(CmPrint, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(L"Print Loop View", popup.GetMenuString(CmPrint, MF_BYCOMMAND));
    EXPECT_FALSE(popup.GetMenuState(CmNobody, MF_BYCOMMAND) & MF_GRAYED) << "an unanswered item is left alone";
}

} // namespace
