#include "platform/owl/gdi/DC.h"
#include "platform/owl/window/LayoutWindow.h"

#include "foundation/com/XOrv.h"

#include <gtest/gtest.h>

namespace
{

using namespace OWL;

TLayoutMetrics Pixels()
{
    TLayoutMetrics metrics;
    metrics.SetMeasurementUnits(lmPixels);
    return metrics;
}

class Strip : public TLayoutWindow
{
public:
    Strip() : TLayoutWindow(static_cast<TWindow*>(nullptr), L"Strip")
    {
        Attr.Style = WS_POPUP;
        Attr.W = 300;
        Attr.H = 100;
    }
};

TEST(OwlLayoutWindow, ChildrenArePlacedFromTheRightEdgeLeftwardsBySiblingAndParentConstraints)
{
    Strip strip;
    auto* combo = new TWindow(&strip);
    auto* check = new TWindow(&strip);
    auto* points = new TWindow(&strip);

    TLayoutMetrics comboMetrics = Pixels();
    comboMetrics.X.SameAs(lmParent, lmRight);
    comboMetrics.Y.SameAs(lmParent, lmTop, 1);
    comboMetrics.Width.Absolute(lmWidth, 44);
    comboMetrics.Height.Absolute(lmHeight, 24);
    strip.SetChildLayoutMetrics(*combo, comboMetrics);

    TLayoutMetrics checkMetrics = Pixels();
    checkMetrics.X.LeftOf(combo);
    checkMetrics.Y.SameAs(lmParent, lmCenter);
    checkMetrics.Width.Absolute(lmWidth, 30);
    checkMetrics.Height.Absolute(lmHeight, 24);
    strip.SetChildLayoutMetrics(*check, checkMetrics);

    TLayoutMetrics pointsMetrics = Pixels();
    pointsMetrics.X.LeftOf(check, 22);
    pointsMetrics.Y.SameAs(combo, lmTop);
    pointsMetrics.Width.PercentOf(lmParent, lmWidth, 20);
    pointsMetrics.Height.SameAs(combo, lmHeight);
    strip.SetChildLayoutMetrics(*points, pointsMetrics);

    strip.Create();
    EXPECT_EQ(TRect(256, 1, 300, 25), TRect(TPoint(combo->Attr.X, combo->Attr.Y), TSize(combo->Attr.W, combo->Attr.H)));
    EXPECT_EQ(TRect(226, 38, 256, 62), TRect(TPoint(check->Attr.X, check->Attr.Y), TSize(check->Attr.W, check->Attr.H)));
    EXPECT_EQ(TRect(144, 1, 204, 25),
              TRect(TPoint(points->Attr.X, points->Attr.Y), TSize(points->Attr.W, points->Attr.H)));

    strip.MoveWindow(TRect(0, 0, 400, 100));
    EXPECT_EQ(356, combo->Attr.X) << "a new size lays the children out again";
}

TEST(OwlLayoutWindow, PanesStackBelowOneAnotherWithMarginsAndKeepTheirOwnHeight)
{
    Strip strip;
    TWindow* previous = nullptr;
    std::vector<TWindow*> panes;
    for (int height : {30, 50, 20})
    {
        auto* pane = new TWindow(&strip);
        pane->Attr.H = height;
        TLayoutMetrics metrics = Pixels();
        metrics.X.SameAs(lmParent, lmLeft, 10);
        metrics.Width.Set(lmRight, lmSameAs, lmParent, lmRight, -10);
        if (previous)
            metrics.Y.Below(previous, 10);
        else
            metrics.Y.SameAs(lmParent, lmTop, 10);
        strip.SetChildLayoutMetrics(*pane, metrics);
        panes.push_back(pane);
        previous = pane;
    }
    const auto rects = strip.Solve(TSize(300, 200));
    EXPECT_EQ(TRect(10, 10, 290, 40), rects.at(panes[0]));
    EXPECT_EQ(TRect(10, 50, 290, 100), rects.at(panes[1]));
    EXPECT_EQ(TRect(10, 110, 290, 130), rects.at(panes[2]));

    delete panes[1];
    const auto after = strip.Solve(TSize(300, 200));
    EXPECT_EQ(2u, after.size()) << "a deleted child's metrics go with it";
}

TEST(OwlLayoutWindow, LayoutUnitsAreEighthsOfTheFontHeightAndCirclesAreRefused)
{
    Strip strip;
    auto* a = new TWindow(&strip);
    auto* b = new TWindow(&strip);
    TLayoutMetrics metrics; // layout units by default
    metrics.X.Absolute(lmLeft, 0);
    metrics.Y.Absolute(lmTop, 0);
    metrics.Width.Absolute(lmWidth, 80);
    metrics.Height.Absolute(lmHeight, 8);
    strip.SetChildLayoutMetrics(*a, metrics);
    TScreenDC dc;
    SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    const int fontHeight = dc.GetTextMetrics().tmHeight;
    EXPECT_EQ(TRect(0, 0, fontHeight * 10, fontHeight), strip.Solve(TSize(300, 100)).at(a));

    TLayoutMetrics aBesideB = Pixels(), bBesideA = Pixels();
    aBesideB.X.RightOf(b);
    bBesideA.X.RightOf(a);
    strip.SetChildLayoutMetrics(*a, aBesideB);
    strip.SetChildLayoutMetrics(*b, bBesideA);
    EXPECT_THROW(strip.Solve(TSize(300, 100)), XOrv);
}

} // namespace
