#include "controls/buttons/BmpTxtButton.h"
#include "controls/tests/DisabledImagePixels.h"

#include "platform/owl/tests/Screenshot.h"
#include "platform/owl/tests/TestPopup.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

namespace
{

constexpr int PushId = 301, ToggleId = 302, QuietId = 303;

class ToolArea : public OwlTest::TestPopup
{
public:
    ToolArea() : OwlTest::TestPopup(L"tools", 100, 100, 300, 60)
    {
        push = new OrvControls::TBmpTxtButton(this, PushId, L"&Copy", 5, 5, 90, 40, L"Copies the table.");
        toggle = new OrvControls::TBmpTxtButton(this, ToggleId, L"Online", 100, 5, 90, 40, L"");
        quiet = new OrvControls::TBmpTxtButton(this, QuietId, L"Print", 195, 5, 90, 40, L"");
        toggle->toggleMode = 1;
        push->SetBitmap(IDB_CONTROLS_ERROR);
        quiet->SetBitmap(IDB_CONTROLS_WARNING);
    }
    void Pushed() { ++pushes; }
    void Toggled() { ++toggles; }

    OrvControls::TBmpTxtButton* push;
    OrvControls::TBmpTxtButton* toggle;
    OrvControls::TBmpTxtButton* quiet;
    int pushes = 0, toggles = 0;

    DECLARE_RESPONSE_TABLE(ToolArea);
};

DEFINE_RESPONSE_TABLE1(ToolArea, OWL::TWindow)
    EV_BN_CLICKED(PushId, Pushed),
    EV_BN_CLICKED(ToggleId, Toggled),
END_RESPONSE_TABLE;

void Click(OWL::TWindow& button, int x, int y)
{
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

TEST(TBmpTxtButton, SendsBnClickedOnlyWhenReleasedInsideAndAlwaysEndsTheCapture)
{
    ToolArea area;
    ASSERT_TRUE(area.Create());
    Click(*area.push, 20, 20);
    EXPECT_EQ(1, area.pushes);
    Click(*area.push, 200, 20);
    EXPECT_EQ(1, area.pushes) << "released outside: no command";
    EXPECT_NE(area.push->GetHandle(), GetCapture());
    EXPECT_TRUE(area.push->Clicked());
    area.push->SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(area.push->Clicked());
}

TEST(TBmpTxtButton, AToggleStaysPressedAfterOneClickAndComesUpAfterTheNext)
{
    ToolArea area;
    ASSERT_TRUE(area.Create());
    Click(*area.toggle, 20, 20);
    EXPECT_EQ(1, area.toggle->toggleState);
    EXPECT_TRUE(area.toggle->IsSet(OWL::TGlyphButton::biPushed));
    Click(*area.toggle, 20, 20);
    EXPECT_EQ(0, area.toggle->toggleState);
    EXPECT_FALSE(area.toggle->IsSet(OWL::TGlyphButton::biPushed));
    EXPECT_EQ(2, area.toggles);
}

TEST(TBmpTxtButton, TheHelpPopupComesAfterTheFirstTickOnlyWithAHelpText)
{
    ToolArea area;
    ASSERT_TRUE(area.Create());
    area.quiet->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    area.quiet->SendMessage(WM_TIMER, OrvControls::TBmpTxtButton::HoverTimer);
    EXPECT_EQ(nullptr, area.quiet->CurrentPopup()) << "no help text, no popup";
    area.push->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    area.push->SendMessage(WM_TIMER, OrvControls::TBmpTxtButton::HoverTimer);
    EXPECT_NE(nullptr, area.push->CurrentPopup());
    for (int tick = 0; tick < 10; ++tick)
        area.push->SendMessage(WM_TIMER, OrvControls::TBmpTxtButton::HoverTimer);
    EXPECT_EQ(nullptr, area.push->CurrentPopup()) << "gone after five seconds";
    area.push->SendMessage(WM_MOUSELEAVE);
}

TEST(TBmpTxtButton, DrawsItsCaptionWithoutTheAmpersandAndAGreyGlyphWhenDisabled)
{
    ToolArea area;
    ASSERT_TRUE(area.Create());
    // The glyph stands at the left of the face, the caption in its middle.
    const auto glyph = [&] {
        area.quiet->Invalidate(true);
        area.quiet->UpdateWindow();
        const OWL::TRect client = area.quiet->GetClientRect();
        const COLORREF face = ControlsTests::PixelOf(area.quiet->GetHandle(), {client.right - 6, client.bottom - 6});
        return ControlsTests::ReadImagePixels(area.quiet->GetHandle(), RECT{4, 4, 26, client.bottom - 4}, face);
    };
    EXPECT_GT(glyph().coloured, 20) << "enabled, the warning glyph in its colours";
    area.quiet->EnableWindow(false);
    OwlTest::PumpMessages();
    EXPECT_TRUE(area.quiet->IsSet(OWL::TGlyphButton::biDisabled));
    const ControlsTests::ImagePixels disabled = glyph();
    EXPECT_EQ(0, disabled.coloured);
    EXPECT_GT(disabled.silhouette, 20) << "disabled, the glyph is there in grey";
    OwlTest::SaveWindowPng(area.GetHandle(), L"bmp_txt_buttons");
}

} // namespace
