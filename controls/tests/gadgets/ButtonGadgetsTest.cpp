#include "controls/gadgets/ButtonGadgets.h"
#include "controls/gadgets/GadgetWindows.h"
#include "controls/theme/DpiAndFonts.h"
#include "controls/windows/GdiPlusBitmaps.h"

#include "controls/tests/ControlsTestIds.h"
#include "controls/tests/DisabledImagePixels.h"
#include "platform/owl/tests/Screenshot.h"

#include <objbase.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

namespace
{

constexpr int ButtonId = 401;

// A square image of one opaque colour.
std::unique_ptr<Gdiplus::Bitmap> SquareImage(int side, Gdiplus::ARGB colour)
{
    GdiplusStarter::Instance();
    auto image = std::make_unique<Gdiplus::Bitmap>(side, side, PixelFormat32bppPARGB);
    Gdiplus::Graphics graphics(image.get());
    graphics.Clear(Gdiplus::Color(colour));
    return image;
}

std::unique_ptr<UxCustomButtonGadget> ImageButton(OWL::TButtonTextGadget::TStyle style, bool enabled = true)
{
    return std::make_unique<UxCustomButtonGadget>(ButtonId, SquareImage(16, 0xFFD02020), 1, style,
                                                  OWL::TButtonGadget::Command, enabled, OWL::TButtonGadget::Up,
                                                  false, 4);
}

// Restores the screen DPI the other tests see.
struct ScreenDpiScope
{
    explicit ScreenDpiScope(int dpi) { SetScreenDpi(dpi, dpi); }
    ~ScreenDpiScope() { SetScreenDpi(0, 0); }
};

TEST(UxSizableButtonGadget, TheImageAsksForItsSizeAtTheScreensDpiAndAnInvisibleGadgetForNothing)
{
    const struct
    {
        int dpi, extra;
    } cases[] = {{96, 16}, {144, 24}, {192, 32}};
    const auto gadget = ImageButton(OWL::TButtonTextGadget::sBitmap);
    OWL::TSize plain(0, 0);
    static_cast<OWL::TGadget&>(*gadget).OWL::TGadget::GetDesiredSize(plain);
    for (const auto& c : cases)
    {
        const ScreenDpiScope dpi(c.dpi);
        OWL::TSize size(0, 0);
        gadget->GetDesiredSize(size);
        EXPECT_EQ(plain.cx + c.extra, size.cx) << c.dpi;
        EXPECT_EQ(plain.cy + c.extra, size.cy) << c.dpi;
    }
    gadget->SetVisible(false);
    OWL::TSize hidden(5, 5);
    gadget->GetDesiredSize(hidden);
    EXPECT_EQ(OWL::TSize(0, 0), hidden);
}

TEST(UxSizableButtonGadget, APulseStartsOneTimerAndStopsWithItsMode)
{
    const auto gadget = ImageButton(OWL::TButtonTextGadget::sBitmap);
    EXPECT_FALSE(gadget->IsRunning());
    gadget->SetPressState(1);
    EXPECT_TRUE(gadget->IsRunning());
    gadget->SetPressState(2);
    EXPECT_TRUE(gadget->IsRunning());
    gadget->SetPressState(0);
    EXPECT_FALSE(gadget->IsRunning());
}

TEST(UxSizableButtonGadget, TheConstructorsDifferInWhatTheButtonShowsAndWhetherItsCheckFollowsTheEnabler)
{
    using Style = OWL::TButtonTextGadget::TStyle;
    const ScreenDpiScope dpi(96);
    UxSizableButtonGadget fromResource(ButtonId, UINT{IDP_CONTROLS_TEST_IMAGE});
    const auto handedOver = ImageButton(OWL::TButtonTextGadget::sBitmapText);
    UxSizableButtonGadget ownState(OWL::TResId(IDP_CONTROLS_TEST_IMAGE), ButtonId, OWL::TButtonGadget::NonExclusive);
    const struct
    {
        const char* name;
        UxSizableButtonGadget& gadget;
        Style style;
        UINT characters;
        OWL::TButtonGadget::TState checked;
        int imageWidth;
    } cases[] = {{"id and resource", fromResource, OWL::TButtonTextGadget::sBitmap, 4, OWL::TButtonGadget::Down, 13},
                 {"image handed over", *handedOver, OWL::TButtonTextGadget::sBitmapText, 4, OWL::TButtonGadget::Down, 16},
                 {"resource and id", ownState, OWL::TButtonTextGadget::sBitmap, 0, OWL::TButtonGadget::Up, 13}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.style, c.gadget.GetStyle()) << c.name;
        EXPECT_EQ(c.characters, c.gadget.GetNumChars()) << c.name;
        EXPECT_TRUE(c.gadget.GetEnabled()) << c.name;
        UxSizableButtonGadgetEnabler(c.gadget, nullptr).SetCheck(OWL::TCommandEnabler::Checked);
        EXPECT_EQ(c.checked, c.gadget.GetButtonState()) << c.name;
        OWL::TSize plain(0, 0), size(0, 0);
        c.gadget.OWL::TGadget::GetDesiredSize(plain);
        c.gadget.SetStyle(OWL::TButtonTextGadget::sBitmap);
        c.gadget.GetDesiredSize(size);
        EXPECT_EQ(plain.cx + c.imageWidth, size.cx) << c.name << ": the image at the screen's 96 dpi";
    }
    EXPECT_EQ(OWL::TButtonGadget::NonExclusive, ownState.GetButtonType());
}

TEST(UxSizableButtonGadgetEnabler, AppliesEnableAndTextButNotTheCheckItIgnores)
{
    const auto gadget = ImageButton(OWL::TButtonTextGadget::sBitmapText);
    gadget->SetCommandEnableOptions(OWL::TButtonGadget::IgnoreCheck);
    UxSizableButtonGadgetEnabler enabler(*gadget, nullptr);
    enabler.Enable(false);
    enabler.SetCheck(OWL::TCommandEnabler::Checked);
    enabler.SetText(L"Stop");
    EXPECT_FALSE(gadget->GetEnabled());
    EXPECT_EQ(OWL::TButtonGadget::Up, gadget->GetButtonState());
    EXPECT_EQ(L"Stop", gadget->GetText());
}

// A themed strip with one image-and-text button, as the sampling pane and the trace strips hold it.
class Strip : public OrvControls::UxGadgetWindow
{
public:
    explicit Strip(UxCustomButtonGadget* button) : OrvControls::UxGadgetWindow(nullptr)
    {
        Attr.Style = WS_POPUP | WS_VISIBLE;
        Attr.X = 120;
        Attr.Y = 120;
        Insert(*button);
    }
};

// The red pixels of the window in a row through its middle.
int RedPixelsAcross(HWND window, int y)
{
    HDC dc = GetDC(window);
    int red = 0;
    for (int x = 0; x < 200; ++x)
        if (const COLORREF pixel = GetPixel(dc, x, y); pixel != CLR_INVALID && GetRValue(pixel) > 150 &&
                                                       GetGValue(pixel) < 80 && GetBValue(pixel) < 80)
            ++red;
    ReleaseDC(window, dc);
    return red;
}

TEST(UxSizableButtonGadget, DrawsItsImageCentredAndAsAColourlessSilhouetteWhenDisabled)
{
    auto* button = ImageButton(OWL::TButtonTextGadget::sBitmapText).release();
    button->SetText(L"Start ");
    button->SetLayoutStyle(OWL::TButtonTextGadget::lTextRight);
    Strip strip(button);
    ASSERT_TRUE(strip.Create());
    OwlTest::PumpMessages();
    UpdateWindow(strip.GetHandle());
    const int top = button->GetBounds().top + button->GetImageOrigin().y;
    EXPECT_EQ(16, RedPixelsAcross(strip.GetHandle(), top + 8)) << "the 16 x 16 image at its own size";
    EXPECT_EQ(0, RedPixelsAcross(strip.GetHandle(), top - 2));
    Sleep(100);
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(strip.GetHandle(), L"ux_button_gadget_enabled");

    button->SetEnabled(false);
    strip.Invalidate(true);
    UpdateWindow(strip.GetHandle());
    EXPECT_EQ(0, RedPixelsAcross(strip.GetHandle(), top + 8));
    EXPECT_NE(0u, button->GetPaintState() & UxSizableButtonGadget::PaintDisabled);
    // The image is still there, every pixel of its row grey and unlike the face beside it.
    const int left = button->GetBounds().left + button->GetImageOrigin().x;
    const ControlsTests::ImagePixels row =
        ControlsTests::ReadImagePixels(strip.GetHandle(), RECT{left, top + 8, left + 16, top + 9},
                                       ControlsTests::PixelOf(strip.GetHandle(), {left - 2, top + 8}));
    EXPECT_EQ(0, row.coloured);
    EXPECT_EQ(16, row.silhouette);
    Sleep(100);
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(strip.GetHandle(), L"ux_button_gadget_disabled");
}

TEST(UxSizableButtonGadget, AnImageAndTextButtonAsksForItsImageAtTheScreensDpiBesideOrAboveItsText)
{
    auto* button = ImageButton(OWL::TButtonTextGadget::sBitmapText).release();
    button->SetText(L"Start");
    Strip strip(button);
    ASSERT_TRUE(strip.Create());
    // Beside the text the image adds its width and the gap, above it its height.
    const struct
    {
        OWL::TButtonTextGadget::TLayoutStyle layout;
        int dpi, extra;
    } cases[] = {{OWL::TButtonTextGadget::lTextBottom, 96, 16},
                 {OWL::TButtonTextGadget::lTextBottom, 144, 24},
                 {OWL::TButtonTextGadget::lTextRight, 96, 16 + UxSizableButtonGadget::ImageTextGap},
                 {OWL::TButtonTextGadget::lTextRight, 144, 24 + UxSizableButtonGadget::ImageTextGap}};
    for (const auto& c : cases)
    {
        const ScreenDpiScope dpi(c.dpi);
        button->SetLayoutStyle(c.layout);
        OWL::TSize textOnly(0, 0), both(0, 0);
        button->SetStyle(OWL::TButtonTextGadget::sText);
        button->GetDesiredSize(textOnly);
        button->SetStyle(OWL::TButtonTextGadget::sBitmapText);
        button->GetDesiredSize(both);
        const bool beside = c.layout == OWL::TButtonTextGadget::lTextRight;
        EXPECT_EQ((beside ? textOnly.cx : textOnly.cy) + c.extra, beside ? both.cx : both.cy)
            << c.layout << " at " << c.dpi;
    }
}

TEST(UxSizableButtonGadget, AShrinkWrappedTextBesideItsImageHasRoomForAllOfIt)
{
    for (const auto layout : {OWL::TButtonTextGadget::lTextRight, OWL::TButtonTextGadget::lTextLeft})
    {
        auto* button = ImageButton(OWL::TButtonTextGadget::sBitmapText).release();
        button->SetText(L"Start sampling");
        button->SetLayoutStyle(layout);
        Strip strip(button);
        ASSERT_TRUE(strip.Create());
        OWL::TRect text, image;
        button->Layout(button->GetInnerRect(), text, image);
        EXPECT_GE(text.Width(), button->GetTextSize().cx) << "layout " << layout;
        EXPECT_GE(image.Width(), 16) << "layout " << layout;
        if (layout == OWL::TButtonTextGadget::lTextRight)
        {
            UpdateWindow(strip.GetHandle());
            Sleep(100);
            OwlTest::PumpMessages();
            OwlTest::SaveWindowPng(strip.GetHandle(), L"ux_button_gadget_text_beside");
        }
    }
}

TEST(UxGadgetWindow, ThePointerLightsTheButtonUpUntilItLeavesTheStrip)
{
    auto* button = ImageButton(OWL::TButtonTextGadget::sBitmap).release();
    Strip strip(button);
    ASSERT_TRUE(strip.Create());
    const OWL::TRect bounds = button->GetBounds();
    const LPARAM over = MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    for (int move = 0; move < 3; ++move)
        strip.SendMessage(WM_MOUSEMOVE, 0, over);
    EXPECT_TRUE(strip.IsTrackingMouse());
    EXPECT_NE(0u, button->GetPaintState() & UxSizableButtonGadget::PaintHot);
    strip.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(strip.IsTrackingMouse());
    EXPECT_EQ(0u, button->GetPaintState() & UxSizableButtonGadget::PaintHot);
}

} // namespace
