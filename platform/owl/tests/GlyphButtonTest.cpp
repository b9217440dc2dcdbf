#include "OwlTestIds.h"
#include "Screenshot.h"

#include "platform/owl/controls/GlyphButton.h"
#include "platform/owl/gdi/DC.h"
#include "platform/owl/gdi/UIParts.h"

#include <gtest/gtest.h>

namespace
{

using namespace OWL;

constexpr int ButtonId = 400;

class ButtonHost : public TWindow
{
public:
    explicit ButtonHost(int x = 20) : TWindow(static_cast<TWindow*>(nullptr), L"Buttons")
    {
        Attr.Style = WS_POPUP | WS_VISIBLE;
        Attr.X = x;
        Attr.Y = 20;
        Attr.W = 220;
        Attr.H = 60;
        button = new TGlyphButton(this, ButtonId, L"Print", 10, 10, 100, 32);
        button->SetGlyph(new TBtnBitmap(GetModuleHandleW(nullptr), IDB_TEST_GLYPH));
        disabled = new TGlyphButton(this, ButtonId + 1, L"Copy", 115, 10, 100, 32);
    }
    void Clicked() { ++clicks; }

    TGlyphButton* button;
    TGlyphButton* disabled;
    int clicks = 0;

    DECLARE_RESPONSE_TABLE(ButtonHost);
};

DEFINE_RESPONSE_TABLE1(ButtonHost, TWindow)
    EV_BN_CLICKED(ButtonId, Clicked),
END_RESPONSE_TABLE;

// A button whose theme cannot draw the part it is asked for.
class BrokenThemeButton : public TGlyphButton
{
public:
    using TGlyphButton::TGlyphButton;
    void SetupWindow() override
    {
        TGlyphButton::SetupWindow();
        ThemePart = 9999;
    }
};

TEST(OwlGlyphButton, WhereTheThemeCannotDrawTheButtonGetsTheClassicFace)
{
    ButtonHost host(260);
    auto* broken = new BrokenThemeButton(&host, ButtonId + 2, L"Classic", 10, 10, 100, 32);
    broken->SetGlyph(new TBtnBitmap(GetModuleHandleW(nullptr), IDB_TEST_GLYPH));
    host.Create();
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(host.GetHandle(), L"owl_glyph_button_classic");
    TClientDC dc(broken->GetHandle());
    EXPECT_EQ(TColor::Sys3dFace.GetValue(), dc.GetPixel(TPoint(50, 4)).GetValue()) << "face";
    EXPECT_EQ(TColor::Sys3dHilight.GetValue(), dc.GetPixel(TPoint(0, 10)).GetValue()) << "raised edge";
    // The glyph sits at the left, vertically centred (face 2 pixels in); its grey became the face colour.
    EXPECT_EQ(RGB(160, 0, 0), dc.GetPixel(TPoint(4 + 8, 8 + 8)).GetValue());
    EXPECT_EQ(TColor::Sys3dFace.GetValue(), dc.GetPixel(TPoint(4 + 1, 8 + 1)).GetValue());
}

TEST(OwlGlyphButton, ShowsItsGlyphAndReportsAClickReleasedOverIt)
{
    ButtonHost host;
    host.Create();
    host.disabled->EnableWindow(false);
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(host.GetHandle(), L"owl_glyph_buttons");
    {
        TClientDC dc(host.button->GetHandle());
        EXPECT_EQ(RGB(160, 0, 0), dc.GetPixel(TPoint(4 + 8, 8 + 8)).GetValue());
    }
    EXPECT_TRUE(host.disabled->IsSet(TGlyphButton::biDisabled));
    EXPECT_TRUE(host.button->IsSet(TGlyphButton::biShowGlyph | TGlyphButton::biShowText));

    host.button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    EXPECT_TRUE(host.button->IsSet(TGlyphButton::biPushed));
    host.button->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    EXPECT_FALSE(host.button->IsSet(TGlyphButton::biPushed));
    EXPECT_EQ(1, host.clicks);

    host.button->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    host.button->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(500, 10));
    EXPECT_EQ(1, host.clicks) << "released outside: no click";
}

TEST(OwlUIBorder, EdgesAndInsidesOfTheStyles)
{
    struct Case
    {
        TUIBorder::TStyle style;
        COLORREF topLeft;
        int width;
    };
    const Case cases[] = {
        {TUIBorder::ButtonUp, TColor::Sys3dHilight.GetValue(), 2},
        {TUIBorder::ButtonDn, TColor::Sys3dDkShadow.GetValue(), 2},
        {TUIBorder::Recessed, TColor::Sys3dShadow.GetValue(), 1},
        {TUIBorder::Plain, GetSysColor(COLOR_WINDOWFRAME), 1},
    };
    TBitmap bitmap(40, 20);
    TMemoryDC dc(bitmap);
    for (const Case& test : cases)
    {
        dc.TextRect(TRect(0, 0, 40, 20), TColor::White);
        const TUIBorder border(TRect(0, 0, 40, 20), test.style);
        border.Paint(dc);
        EXPECT_EQ(test.topLeft, dc.GetPixel(TPoint(5, 0)).GetValue()) << test.style;
        EXPECT_EQ(TRect(test.width, test.width, 40 - test.width, 20 - test.width), border.GetClientRect());
        EXPECT_EQ(RGB(255, 255, 255), dc.GetPixel(TPoint(20, 10)).GetValue()) << "the inside stays";
    }
}

TEST(OwlUIFace, EtchedTextIsDrawnInHighlightUnderShadow)
{
    TBitmap bitmap(60, 20);
    TMemoryDC dc(bitmap);
    dc.TextRect(TRect(0, 0, 60, 20), TColor::Sys3dFace);
    TFont font(L"Arial", -16, 0, 0, 0, FW_BOLD);
    dc.SelectObject(font);
    TUIFace::DrawTextEtched(dc, TRect(0, 0, 60, 20), L"III", DT_LEFT | DT_TOP | DT_SINGLELINE);
    int shadow = 0, highlight = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
        {
            const COLORREF pixel = dc.GetPixel(TPoint(x, y)).GetValue();
            shadow += pixel == TColor::Sys3dShadow.GetValue();
            highlight += pixel == TColor::Sys3dHilight.GetValue();
        }
    EXPECT_GT(shadow, 10);
    EXPECT_GT(highlight, 3);
}

} // namespace
