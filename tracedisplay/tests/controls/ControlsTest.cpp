#include "tracedisplay/controls/MenuResource.h"
#include "tracedisplay/controls/NoEraseGadgetWindow.h"
#include "tracedisplay/controls/ScrollBarWin.h"
#include "tracedisplay/tests/support/TestFrame.h"

#include "platform/owl/window/Window.h"

#include <gtest/gtest.h>

#include <vector>

namespace StrixDraw
{
namespace
{

class RecordingListener : public ScrollListener
{
public:
    void OnHScroll(UINT code) override { codes.push_back(code); }
    std::vector<UINT> codes;
};

using Frame = TraceTest::TestFrame;

TEST(ScrollBarWinTest, KeepsItsStepsBeforeItHasAWindowAndSendsScrollCodesToTheListener)
{
    RecordingListener listener;
    Frame frame;
    auto* bar = new ScrollBarWin(&frame, &listener);
    const int page = bar->GetPageMagnitude();
    bar->SetPageMagnitude(page + 20);
    EXPECT_EQ(page, bar->GetPageMagnitude());
    bar->SetLineMagnitude(7);
    EXPECT_EQ(7, bar->GetLineMagnitude());
    EXPECT_FALSE(bar->IsEnabled());
    EXPECT_EQ(0, bar->Attr.Style & (WS_GROUP | WS_TABSTOP));

    ASSERT_TRUE(frame.Create());
    EXPECT_EQ(ScrollBarWin::ControlId, GetDlgCtrlID(bar->GetHandle()));
    EXPECT_EQ(7, bar->GetLineMagnitude());
    bar->SetRect(OWL::TRect(0, 80, 300, 100));
    EXPECT_TRUE(bar->IsEnabled());
    bar->Enable(false);
    EXPECT_FALSE(bar->IsEnabled());
    SendMessageW(frame.GetHandle(), WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar->GetHandle()));
    SendMessageW(frame.GetHandle(), WM_HSCROLL, SB_PAGEUP, reinterpret_cast<LPARAM>(bar->GetHandle()));
    EXPECT_EQ((std::vector<UINT>{SB_LINEDOWN, SB_PAGEUP}), listener.codes);
    frame.Destroy();
}

TEST(NoEraseGadgetWindowTest, NeverErasesItsBackground)
{
    Frame frame;
    auto* bar = new OrvControls::UxNoEraseGadgetWindow(&frame);
    ASSERT_TRUE(frame.Create());
    EXPECT_TRUE(bar->IsSetUp());
    EXPECT_EQ(0, GetWindowLongW(bar->GetHandle(), GWL_STYLE) & WS_BORDER);
    HDC dc = GetDC(bar->GetHandle());
    EXPECT_EQ(1, SendMessageW(bar->GetHandle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    ReleaseDC(bar->GetHandle(), dc);
    frame.Destroy();
}

TEST(MenuResourceTest, FindsAMenuOfAnotherLanguageAndNothingForAMissingOne)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const Orv::MenuResource german = Orv::FindMenuResource(instance, L"GERMANONLYMENU", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    EXPECT_NE(nullptr, german.data);
    const Orv::MenuResource missing = Orv::FindMenuResource(instance, L"NOSUCHMENU", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    EXPECT_EQ(nullptr, missing.handle);
    EXPECT_EQ(nullptr, missing.data);
    Orv::MenuBase menu(instance, L"GERMANONLYMENU", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_EQ(1, menu.GetMenuItemCount());
    EXPECT_EQ(1131u, GetMenuItemID(menu.GetSubMenu(0), 1));
}

} // namespace
} // namespace StrixDraw
