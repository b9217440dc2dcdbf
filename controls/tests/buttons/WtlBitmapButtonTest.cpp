#include "controls/buttons/WtlBitmapButton.h"
#include "controls/windows/GdiPlusBitmaps.h"

#include "platform/owl/tests/Screenshot.h"

#include <objbase.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

namespace
{

// A push button 60 x 40 on the screen, GDI+ started.
HWND ShownButton()
{
    GdiplusStarter::Instance();
    return CreateWindowExW(0, L"BUTTON", L"", WS_POPUP | WS_VISIBLE | BS_PUSHBUTTON, 300, 300, 60, 40, nullptr, nullptr,
                           nullptr, nullptr);
}

TEST(CWtlBitmapButton, ADisabledButtonShowsItsImageInGreyLuminance)
{
    HWND button = ShownButton();
    ASSERT_NE(nullptr, button);
    Gdiplus::Bitmap image(16, 16, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&image);
        graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
        Gdiplus::SolidBrush red(Gdiplus::Color(255, 200, 0, 0));
        graphics.FillRectangle(&red, 4, 4, 8, 8);
    }
    WTLControls::CWtlBitmapButton overlay;
    ASSERT_TRUE(overlay.SubclassWindow(button));
    overlay.SetBitmap(image);
    const RECT at = overlay.ImageRect();
    EXPECT_EQ(22, at.left) << "centred: 60 / 2 - 16 / 2";
    EXPECT_EQ(12, at.top);

    const auto pixel = [&] {
        RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = GetDC(button);
        const COLORREF colour = GetPixel(dc, at.left + 8, at.top + 8);
        ReleaseDC(button, dc);
        return colour;
    };
    EXPECT_EQ(RGB(200, 0, 0), pixel());
    EnableWindow(button, FALSE);
    const COLORREF grey = pixel();
    EXPECT_EQ(GetRValue(grey), GetGValue(grey));
    EXPECT_EQ(GetGValue(grey), GetBValue(grey));
    EXPECT_NEAR(static_cast<int>(200 * 0.299), GetRValue(grey), 2);
    OwlTest::SaveWindowPng(button, L"wtl_bitmap_button_disabled");
    overlay.UnsubclassWindow(TRUE);
    DestroyWindow(button);
}

// An icon and a borrowed image are drawn centred in their own modes; a disabled icon shows at half
// strength over the button's face.
TEST(CWtlBitmapButton, IconsAndImagesAreDrawnInTheirModes)
{
    HWND button = ShownButton();
    ASSERT_NE(nullptr, button);
    Gdiplus::Bitmap image(16, 16, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&image);
        graphics.Clear(Gdiplus::Color(255, 0, 0, 200));
    }
    HICON icon = nullptr;
    image.GetHICON(&icon);
    ASSERT_NE(nullptr, icon);
    WTLControls::CWtlBitmapButton overlay;
    ASSERT_TRUE(overlay.SubclassWindow(button));
    const auto centre = [&] {
        RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const RECT at = overlay.ImageRect();
        HDC dc = GetDC(button);
        const COLORREF colour = GetPixel(dc, at.left + 8, at.top + 8);
        ReleaseDC(button, dc);
        return colour;
    };
    overlay.SetImage(&image);
    EXPECT_EQ(WTLControls::CWtlBitmapButton::ImageMode, overlay.GetMode());
    EXPECT_EQ(RGB(0, 0, 200), centre());
    overlay.SetIcon(icon, SIZE{16, 16});
    EXPECT_EQ(WTLControls::CWtlBitmapButton::IconMode, overlay.GetMode());
    EXPECT_EQ(22, overlay.ImageRect().left);
    EXPECT_EQ(RGB(0, 0, 200), centre());
    EnableWindow(button, FALSE);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF half = centre();
    EXPECT_NEAR((GetBValue(face) + 200) / 2, GetBValue(half), 3);
    EXPECT_NEAR(GetRValue(face) / 2, GetRValue(half), 3);
    OwlTest::SaveWindowPng(button, L"wtl_bitmap_button_disabled_icon");
    overlay.UnsubclassWindow(TRUE);
    DestroyWindow(button);
}

} // namespace
