#include "Screenshot.h"

#include "platform/owl/gdi/DC.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

using namespace OWL;

struct Originals
{
    HGDIOBJ font, pen, brush, bitmap;
};

Originals CurrentObjects(HDC dc)
{
    return {GetCurrentObject(dc, OBJ_FONT), GetCurrentObject(dc, OBJ_PEN), GetCurrentObject(dc, OBJ_BRUSH),
            GetCurrentObject(dc, OBJ_BITMAP)};
}

void ExpectSameObjects(const Originals& expected, HDC dc, const char* when)
{
    const Originals now = CurrentObjects(dc);
    EXPECT_EQ(expected.font, now.font) << when;
    EXPECT_EQ(expected.pen, now.pen) << when;
    EXPECT_EQ(expected.brush, now.brush) << when;
    EXPECT_EQ(expected.bitmap, now.bitmap) << when;
}

TEST(OwlDC, EveryObjectATDCSelectedIsPutBackWhenItEndsOrIsToldTo)
{
    const HDC raw = CreateCompatibleDC(nullptr);
    const Originals before = CurrentObjects(raw);
    TFont font(L"Arial", 20);
    TPen pen(TColor(255, 0, 0), 3);
    TBrush brush(TColor(0, 255, 0));
    TBitmap bitmap(16, 16);

    using Select = std::function<void(TDC&)>;
    const std::vector<std::pair<const char*, Select>> selections = {
        {"font", [&](TDC& dc) { dc.SelectObject(font); }},
        {"pen", [&](TDC& dc) { dc.SelectObject(pen); }},
        {"brush", [&](TDC& dc) { dc.SelectObject(brush); }},
        {"bitmap", [&](TDC& dc) { dc.SelectObject(bitmap); }},
        {"stock object then own", [&](TDC& dc) {
             dc.SelectStockObject(BLACK_PEN);
             dc.SelectObject(pen);
         }},
        {"all, twice", [&](TDC& dc) {
             for (int i = 0; i < 2; ++i)
             {
                 dc.SelectObject(font);
                 dc.SelectObject(pen);
                 dc.SelectObject(brush);
                 dc.SelectObject(bitmap);
             }
         }},
    };
    for (const auto& [name, select] : selections)
    {
        {
            TDC dc(raw);
            select(dc);
            dc.RestoreObjects();
            ExpectSameObjects(before, raw, name);
            select(dc);
        }
        ExpectSameObjects(before, raw, name);
    }
    DeleteDC(raw);
}

TEST(OwlDC, EachKindIsRestoredOnItsOwn)
{
    const HDC raw = CreateCompatibleDC(nullptr);
    const Originals before = CurrentObjects(raw);
    TPen pen(TColor::Black);
    TBrush brush(TColor::White);
    TDC dc(raw);
    dc.SelectObject(pen);
    dc.SelectObject(brush);
    dc.RestorePen();
    EXPECT_EQ(before.pen, GetCurrentObject(raw, OBJ_PEN));
    EXPECT_EQ(brush.GetHandle(), GetCurrentObject(raw, OBJ_BRUSH));
    dc.RestoreBrush();
    EXPECT_EQ(before.brush, GetCurrentObject(raw, OBJ_BRUSH));
    DeleteDC(raw);
}

TEST(OwlDC, GuardsPutBackTheSelectionAndTheSavedState)
{
    TMemoryDC dc;
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    const COLORREF textColor = GetTextColor(dc);
    {
        TPen red(TColor(255, 0, 0));
        SelectedObject selected(dc, red);
        EXPECT_EQ(red.GetHandle(), GetCurrentObject(dc, OBJ_PEN));
        EXPECT_EQ(pen, selected.Previous());
        SavedDCState saved(dc);
        dc.SetMapMode(MM_ANISOTROPIC);
        dc.SetTextColor(TColor(1, 2, 3));
    }
    EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(MM_TEXT, dc.GetMapMode());
    EXPECT_EQ(textColor, GetTextColor(dc));
}

TEST(OwlDC, AMemoryDCDrawsIntoItsBitmapWhereTheShapesSay)
{
    TBitmap bitmap(120, 80);
    {
        TMemoryDC dc(bitmap);
        dc.TextRect(TRect(0, 0, 120, 80), TColor::White);
        dc.FillRect(TRect(10, 10, 50, 40), TBrush(TColor(0, 128, 0)));
        TPen pen(TColor(0, 0, 255), 1);
        dc.SelectObject(pen);
        dc.MoveTo(60, 70);
        dc.LineTo(110, 70);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(TColor::Black);
        TFont font(L"Arial", -12);
        dc.SelectObject(font);
        dc.TextOut(60, 10, L"TDC");
        EXPECT_EQ(RGB(0, 128, 0), dc.GetPixel(TPoint(30, 25)).GetValue());
        EXPECT_EQ(RGB(255, 255, 255), dc.GetPixel(TPoint(55, 25)).GetValue());
        EXPECT_EQ(RGB(0, 0, 255), dc.GetPixel(TPoint(80, 70)).GetValue());
        EXPECT_GT(dc.GetTextExtent(L"TDC").cx, 10);
    }
    EXPECT_FALSE(OwlTest::SaveBitmapPng(bitmap, L"owl_memory_dc").empty());
}

TEST(OwlGdi, ObjectsOverForeignHandlesAreNotDeletedAndSystemColoursFollowTheScheme)
{
    const HBRUSH stock = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    {
        TBrush borrowed(stock, NoAutoDelete);
    }
    EXPECT_EQ(OBJ_BRUSH, static_cast<int>(GetObjectType(stock)));
    HPEN own = CreatePen(PS_SOLID, 1, 0);
    {
        TPen owned(own, AutoDelete);
    }
    EXPECT_EQ(0u, GetObjectType(own));

    EXPECT_TRUE(TColor::Sys3dFace.IsSysColor());
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), TColor::Sys3dFace.GetValue());
    EXPECT_FALSE(TColor::None.IsSysColor());
    EXPECT_EQ(RGB(1, 2, 3), TColor(1, 2, 3).GetValue());
}

TEST(OwlGeometry, RectangleArithmetic)
{
    const TRect a(0, 0, 10, 10), b(5, 5, 20, 15);
    EXPECT_EQ(TRect(5, 5, 10, 10), a & b);
    EXPECT_EQ(TRect(0, 0, 20, 15), a | b);
    EXPECT_EQ(TRect(), a & TRect(10, 0, 20, 10)) << "touching edges share nothing";
    EXPECT_EQ(b, TRect() | b);
    EXPECT_TRUE(a.Contains(TPoint(9, 9)));
    EXPECT_FALSE(a.Contains(TPoint(10, 9)));
    EXPECT_EQ(TRect(-1, -2, 11, 12), a.InflatedBy(1, 2));
    EXPECT_EQ(TRect(1, 2, 5, 7), TRect(5, 7, 1, 2).Normalized());
    EXPECT_EQ(TSize(15, 10), b.Size());
}

} // namespace
