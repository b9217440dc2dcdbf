#include "controls/windows/SmallWindowUtilities.h"

#include "foundation/system/SharedColours.h"
#include "platform/owl/tests/Screenshot.cpp"

#include <gtest/gtest.h>

namespace
{

using namespace OrvControls;

TEST(HsvColor, ChannelsAreBytesOverTwoHundredFiftySix)
{
    const HsvColor black(RGB(0, 0, 0));
    EXPECT_EQ(-1, black.hue);
    EXPECT_EQ(0, black.saturation);
    const HsvColor white(RGB(255, 255, 255));
    EXPECT_DOUBLE_EQ(255.0 / 256, white.value);
    EXPECT_EQ(0, white.hue);
    struct Case
    {
        COLORREF colour;
        double hue;
    };
    for (const Case& c : {Case{RGB(255, 0, 0), 0}, Case{RGB(0, 255, 0), 120}, Case{RGB(0, 0, 255), 240},
                          Case{RGB(255, 0, 255), 300}})
    {
        HsvColor hsv(c.colour);
        EXPECT_DOUBLE_EQ(c.hue, hsv.hue) << std::hex << c.colour;
        const double red = hsv.red, green = hsv.green, blue = hsv.blue;
        hsv.ToRgb();
        EXPECT_DOUBLE_EQ(red, hsv.red);
        EXPECT_DOUBLE_EQ(green, hsv.green);
        EXPECT_DOUBLE_EQ(blue, hsv.blue);
    }
}

TEST(ColourArithmetic, SaturationAndTintMoveTheChannelsAsTheyShould)
{
    EXPECT_EQ(RGB(254, 254, 254), COLORREF(AdjustColourSaturation(RGB(255, 255, 255), 0))) << "255 / 256 * 255";
    const COLORREF paler = AdjustColourSaturation(RGB(200, 0, 0), 0.5);
    EXPECT_GT(GetGValue(paler), 0);
    EXPECT_GT(GetRValue(paler), 190);
    const COLORREF darker = AdjustColourSaturation(RGB(200, 100, 100), -1);
    EXPECT_LT(GetRValue(darker), 200);
    EXPECT_EQ(AdjustColourSaturation(RGB(10, 20, 30), 1), AdjustColourSaturation(RGB(10, 20, 30), 7))
        << "an amount outside -1..1 counts as 1";

    EXPECT_EQ(RGB(110, 120, 120), TintColour(RGB(10, 20, 30), 1, 120)) << "each channel at most the level";
    EXPECT_EQ(RGB(0, 10, 10), TintColour(RGB(20, 30, 40), 1, 10)) << "and at least 0";
}

TEST(ScreenBitMapDC, ASizeOfZeroMakesNoBitmapAndThrowsNothing)
{
    const ScreenBitMapDC empty(0, 10);
    EXPECT_EQ(nullptr, empty.Bitmap());
    const ScreenBitMapDC drawable(8, 8);
    EXPECT_NE(nullptr, drawable.Bitmap());
}

class Parent : public OWL::TWindow
{
public:
    Parent() : OWL::TWindow(nullptr, L"parent") { Attr.Style = WS_POPUP | WS_VISIBLE; Attr.W = 200; Attr.H = 60; }
};

TEST(StaticText, CentresItsTextAndPaintsOnItsOwnBackground)
{
    Parent parent;
    StaticText* label = new StaticText(&parent, L"Pressure", StaticText::Centre, StaticText::Centre);
    label->Attr.W = 160;
    label->Attr.H = 40;
    label->SetColours(RGB(0, 0, 160), RGB(255, 255, 200));
    ASSERT_TRUE(parent.Create());
    EXPECT_EQ(static_cast<UINT>(TA_CENTER | 6), label->TextAlign());
    EXPECT_EQ(80, label->TextOffset().x);

    ScreenBitMapDC picture(160, 40);
    OWL::TRect all(0, 0, 160, 40);
    label->Paint(picture, false, all);
    EXPECT_EQ(RGB(255, 255, 200), GetPixel(picture, 2, 2));
    int textPixels = 0;
    for (int x = 0; x < 160; ++x)
        for (int y = 0; y < 40; ++y)
            textPixels += GetPixel(picture, x, y) == RGB(0, 0, 160);
    EXPECT_GT(textPixels, 20);
    EXPECT_EQ(RGB(255, 255, 200), GetPixel(picture, 5, 20)) << "centred text leaves the left edge clear";
    OwlTest::SaveBitmapPng(picture.Bitmap(), L"controls_static_text");

    StaticText vertical(&parent, L"x", StaticText::Centre, 0);
    EXPECT_EQ(0u, vertical.TextAlign() & TA_CENTER) << "vertical centring alone does not centre across";
}

TEST(FrameRectOpaque, DrawsOnePixelInsideTheRectangleInTheSharedFrameColour)
{
    ScreenBitMapDC picture(20, 20);
    PatBlt(picture, 0, 0, 20, 20, WHITENESS);
    const COLORREF before = SharedFrameColour;
    SharedFrameColour = RGB(0, 128, 0);
    const RECT rect{2, 3, 12, 15};
    FrameRectOpaque(picture, rect);
    SharedFrameColour = before;
    EXPECT_EQ(RGB(0, 128, 0), GetPixel(picture, 2, 3));
    EXPECT_EQ(RGB(0, 128, 0), GetPixel(picture, 11, 14));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(picture, 5, 6)) << "the inside stays";
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(picture, 12, 15)) << "the frame stays inside the rectangle";
}

TEST(DialogItemPlacement, TheItemsRectangleIsInTheDialogsClientCoordinates)
{
    HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_CAPTION, 100, 100, 300, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 7, 9, 40, 12, dialog, reinterpret_cast<HMENU>(42), nullptr, nullptr);
    const DialogItemPlacement placement(dialog, 42);
    EXPECT_EQ(7, placement.rect.left);
    EXPECT_EQ(9, placement.rect.top);
    EXPECT_EQ(47, placement.rect.right);
    DestroyWindow(dialog);
}

} // namespace
