#include "Screenshot.h"

#include "platform/owl/gdi/PrintDC.h"

#include <gtest/gtest.h>

namespace
{

using namespace OWL;

// Draws a page laid out for the device: a frame around the page and a filled top-left quarter.
void DrawPage(TDC& dc)
{
    const int width = dc.GetDeviceCaps(HORZRES), height = dc.GetDeviceCaps(VERTRES);
    dc.FillRect(TRect(0, 0, width / 2, height / 2), TBrush(TColor(0, 0, 200)));
    TPen pen(TColor(200, 0, 0), width / 100);
    dc.SelectObject(pen);
    dc.SelectStockObject(NULL_BRUSH);
    dc.Rectangle(TRect(0, 0, width, height));
}

TEST(OwlPrintPreviewDC, APageForThePrinterIsDrawnScaledIntoThePreviewRectangleAndTheScreenContextIsLeftAsItWas)
{
    // A memory context stands for the printer: its page is the screen's size in pixels.
    const HDC printerHandle = CreateCompatibleDC(nullptr);
    TPrintDC printer(printerHandle, AutoDelete);
    const TSize page = printer.GetPageSize();
    ASSERT_GT(page.cx, 0);

    TBitmap bitmap(300, 260);
    TMemoryDC screen(bitmap);
    screen.TextRect(TRect(0, 0, 300, 260), TColor::White);
    const HGDIOBJ pen = GetCurrentObject(screen, OBJ_PEN);
    const TRect client(20, 10, 20 + 200, 10 + 200 * page.cy / page.cx);
    {
        TPrintPreviewDC preview(screen, printer, client, client);
        EXPECT_EQ(page.cx, preview.GetDeviceCaps(HORZRES));
        EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSY), preview.GetDeviceCaps(LOGPIXELSY));
        DrawPage(preview);
    }
    EXPECT_EQ(MM_TEXT, screen.GetMapMode());
    EXPECT_EQ(pen, GetCurrentObject(screen, OBJ_PEN));
    EXPECT_EQ(TRect(0, 0, 300, 260), screen.GetClipBox()) << "no clip left behind";

    const TPoint quarterCentre = client.TopLeft().OffsetBy(client.Width() / 4, client.Height() / 4);
    EXPECT_EQ(RGB(0, 0, 200), screen.GetPixel(quarterCentre).GetValue());
    EXPECT_EQ(RGB(255, 255, 255), screen.GetPixel(quarterCentre.OffsetBy(client.Width() / 2, 0)).GetValue());
    EXPECT_EQ(RGB(200, 0, 0), screen.GetPixel(TPoint(client.right - 1, client.top + client.Height() / 2)).GetValue())
        << "the page's right edge lands on the preview's";
    EXPECT_EQ(RGB(255, 255, 255), screen.GetPixel(TPoint(client.right + 5, client.top + 5)).GetValue())
        << "nothing outside the clip";
    OwlTest::SaveBitmapPng(bitmap, L"owl_print_preview");
}

} // namespace
