#include "controls/windows/SmallWindowUtilities.h"
#include "graph/tests/support/Canvas.h"
#include "tracedisplay/drawers/EventDrawer.h"
#include "tracedisplay/drawers/GraticuleDrawer.h"
#include "tracedisplay/drawers/PolyLineTraceDrawer.h"
#include "tracedisplay/panes/ChildPaneBase.h"
#include "tracedisplay/tests/support/FakeScale.h"
#include "tracedisplay/tests/support/FakeTraceHost.h"

#include <gtest/gtest.h>

#include <cmath>

namespace StrixDraw
{
namespace
{

using GraphTest::DibCanvas;
using TraceTest::FakePane;

constexpr COLORREF Blue = RGB(0, 0, 255);
constexpr LONG Placement[2] = {0, 0};
const ChannelPair Unset{ChildPaneBase::UnsetPositionChannel, ChildPaneBase::UnsetPositionSub};

struct Strip
{
    explicit Strip(const OWL::TRect& rect = OWL::TRect(10, 10, 210, 110))
    {
        pane = new ChildPaneBase(0, &owner);
        pane->AddRef();
        pane->SetLayout(1, Placement, rect);
    }
    ~Strip() { pane->Release(); }

    template <class Drawer>
    Drawer* Add(Drawer* drawer, ULONG flags = 0, int alpha = OpaqueAlpha)
    {
        drawer->AddRef();
        pane->AddDrawer(flags, drawer, alpha);
        drawer->Release();
        return drawer;
    }
    ULONG KindAt(size_t i) const
    {
        ULONG kind = 0;
        pane->Drawer(i)->GetKind(&kind);
        return kind;
    }

    FakePane owner;
    ChildPaneBase* pane;
};

TEST(ChildPaneBaseTest, DrawersAreSortedByLayerKeepingTheOrderOfEqualKinds)
{
    Strip strip;
    auto* firstTrace = strip.Add(new PolyLineTraceDrawer(1, &Blue, {1, 0}));
    strip.Add(new EventDrawer({4, 0}));
    auto* secondTrace = strip.Add(new PolyLineTraceDrawer(1, &Blue, {2, 0}));
    strip.Add(new GraticuleDrawer(1, RGB(0, 128, 0), {1, 0}));
    ASSERT_EQ(4u, strip.pane->DrawerCount());
    EXPECT_EQ(DrawerKind::Graticule, strip.KindAt(0));
    EXPECT_EQ(firstTrace, strip.pane->Drawer(1));
    EXPECT_EQ(secondTrace, strip.pane->Drawer(2));
    EXPECT_EQ(DrawerKind::Event, strip.KindAt(3));
    EXPECT_EQ(1, strip.pane->Layer(2).firstDrawer);
    EXPECT_EQ(3, strip.pane->Layer(2).endDrawer);
    EXPECT_FALSE(strip.pane->Layer(1).HasDrawers());
}

TEST(ChildPaneBaseTest, ATranslucentLayerIsNotComposedWithWhiteAsTransparent)
{
    Strip strip;
    strip.Add(new PolyLineTraceDrawer(1, &Blue, {1, 0}), AddDrawerFlag::OwnBitmap, 200);
    strip.Add(new EventDrawer({4, 0}), AddDrawerFlag::OwnBitmap | AddDrawerFlag::AlphaDeferred, 200);
    const LayerSegment& traces = strip.pane->Layer(2);
    EXPECT_TRUE(traces.flags & LayerFlag::Cached);
    EXPECT_FALSE(traces.flags & LayerFlag::WhiteTransparent);
    EXPECT_FALSE(traces.flags & LayerFlag::AlphaDeferred);
    EXPECT_EQ(200, traces.alpha);
    EXPECT_TRUE(strip.pane->Layer(4).flags & LayerFlag::AlphaDeferred);
    EXPECT_NE(nullptr, traces.bitmap);
}

TEST(ChildPaneBaseTest, RemovesAllDrawersOrThoseWhoseUpdateFlagsShareTheMask)
{
    Strip strip;
    strip.Add(new GraticuleDrawer(1, RGB(0, 128, 0), {1, 0}));
    strip.Add(new PolyLineTraceDrawer(1, &Blue, {1, 0}));
    strip.Add(new EventDrawer({4, 0}));
    strip.Add(new EventDrawer({5, 0}));
    strip.pane->RemoveDrawers(0, {5, 0});
    EXPECT_EQ(3u, strip.pane->DrawerCount());
    // Traces and events both carry 0x40000000 in their update flags; the graticule does not.
    strip.pane->RemoveDrawers(0x40000000u, Unset);
    ASSERT_EQ(1u, strip.pane->DrawerCount());
    EXPECT_EQ(DrawerKind::Graticule, strip.KindAt(0));
    strip.pane->RemoveDrawers(0, Unset);
    EXPECT_EQ(0u, strip.pane->DrawerCount());
    EXPECT_FALSE(strip.pane->Layer(0).HasDrawers());
}

TEST(ChildPaneBaseTest, InvalidatingASpanRecomposesTheLayersAboveAndRedrawsTheGivenOnes)
{
    Strip strip;
    strip.pane->ClearDirty();
    strip.pane->InvalidateSpan(50, 80, 2, 4, false);
    for (int layer = 0; layer < LayerCount; ++layer)
    {
        const LayerSegment& segment = strip.pane->Layer(layer);
        EXPECT_EQ(layer >= 2, !segment.dirty.IsEmpty()) << layer;
        EXPECT_EQ(layer == 2 || layer == 3, (segment.flags & LayerFlag::Stale) != 0) << layer;
    }
    EXPECT_EQ(OWL::TRect(50, 10, 80, 110), strip.pane->Layer(5).dirty);
    strip.pane->InvalidateSpan(20, 30, 2, 4, true);
    EXPECT_EQ(OWL::TRect(20, 10, 30, 110), strip.pane->Layer(0).dirty);
    EXPECT_TRUE(strip.pane->Layer(0).flags & LayerFlag::Stale);
}

TEST(ChildPaneBaseTest, HitTestIncludesTheLeftAndTopEdgesOnly)
{
    Strip strip;
    EXPECT_TRUE(strip.pane->HitTest({10, 10}));
    EXPECT_TRUE(strip.pane->HitTest({209, 109}));
    EXPECT_FALSE(strip.pane->HitTest({210, 50}));
    EXPECT_FALSE(strip.pane->HitTest({50, 110}));
}

TEST(ChildPaneBaseTest, AttachingAStoreKeepsOrDropsTheDrawers)
{
    Strip strip;
    auto* trace = strip.Add(new PolyLineTraceDrawer(1, &Blue, {1, 0}));
    strip.Add(new EventDrawer({4, 0}));
    strip.pane->AttachStore(0x80000000u, &strip.owner.host);
    ASSERT_EQ(2u, strip.pane->DrawerCount());
    EXPECT_EQ(trace, strip.pane->Drawer(0));
    double value = 1.0;
    EXPECT_EQ(S_OK, trace->GetValueAt(1, 0, &value, nullptr));
    strip.pane->AttachStore(0, &strip.owner.host);
    EXPECT_EQ(0u, strip.pane->DrawerCount());
}

TEST(ChildPaneBaseTest, LayingOutAgainAtTheSameSizeKeepsTheLayerBitmaps)
{
    Strip strip;
    strip.Add(new PolyLineTraceDrawer(1, &Blue, {1, 0}), AddDrawerFlag::OwnBitmap);
    const auto base = strip.pane->Layer(0).bitmap;
    const auto traces = strip.pane->Layer(2).bitmap;
    ASSERT_NE(nullptr, base);
    strip.pane->SetLayout(1, Placement, OWL::TRect(10, 10, 210, 110));
    EXPECT_EQ(base, strip.pane->Layer(0).bitmap);
    EXPECT_EQ(traces, strip.pane->Layer(2).bitmap);
    strip.pane->SetLayout(1, Placement, OWL::TRect(10, 10, 250, 110));
    EXPECT_NE(traces, strip.pane->Layer(2).bitmap);
}

// A strip moved at its size (the time scale strip when the pane grows taller) keeps its bitmaps, which
// take the strip's drawing at its new place.
TEST(ChildPaneBaseTest, AStripMovedAtTheSameSizeDrawsIntoItsBitmapsAtTheNewPlace)
{
    Strip strip;
    strip.Add(new PolyLineTraceDrawer(1, &Blue, {1, 0}), AddDrawerFlag::OwnBitmap);
    const auto base = strip.pane->Layer(0).bitmap;
    for (const OWL::TRect& place : {OWL::TRect(10, 200, 210, 300), OWL::TRect(40, 15, 240, 115)})
    {
        strip.pane->SetLayout(1, Placement, place);
        ASSERT_EQ(base, strip.pane->Layer(0).bitmap);
        POINT origin{};
        GetWindowOrgEx(base->GetHDC(), &origin);
        EXPECT_EQ(place.left, origin.x);
        EXPECT_EQ(place.top, origin.y);
    }
}

TEST(ChildPaneBaseTest, AStripWithoutHeightShowsOnlyASeparator)
{
    Strip strip(OWL::TRect(10, 50, 210, 50));
    strip.Add(new GraticuleDrawer(1, RGB(0, 128, 0), {1, 0}));
    DibCanvas canvas(220, 100);
    strip.pane->Paint(canvas.Dc(), {}, OWL::TRect(0, 0, 220, 100), 0, 0xFF);
    strip.pane->DrawBorder(canvas.Dc(), 0);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), canvas.Pixel(100, 50));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), canvas.Pixel(100, 49));
    EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(100, 52));
}

TEST(ChildPaneBaseTest, PaintsItsLayersIntoTheCacheAndComposesThemOnTheScreen)
{
    Strip strip;
    strip.owner.host.source.value = [](LONGLONG p) { return 50.0 + 40.0 * std::sin(p / 20.0); };
    OrvEventBase beat;
    beat.tick = 63;
    beat.value = 1.0;
    strip.owner.host.source.events = {beat};
    strip.owner.host.source.eventType = 2;
    TraceTest::FakeScale scale;
    scale.ticks = {{25, 0}, {50, 1}, {75, 0}};
    const ScalePair upright{-1.0, -100.0};
    auto* graticule = strip.Add(new GraticuleDrawer(1, RGB(0, 128, 0), {1, 0}));
    auto* trace = strip.Add(new PolyLineTraceDrawer(1, &Blue, {1, 0}), AddDrawerFlag::OwnBitmap);
    strip.Add(new EventDrawer({4, 0}), AddDrawerFlag::OwnBitmap);
    strip.pane->AttachStore(0x80000000u, &strip.owner.host);
    graticule->SetScaling(1, 0, &upright, static_cast<IScaleControlView*>(&scale));
    trace->SetScaling(1, 0, &upright, nullptr);

    DibCanvas canvas(220, 120);
    StripPaintContext context;
    context.recordStartX = 10;
    strip.pane->Paint(canvas.Dc(), context, OWL::TRect(0, 0, 220, 120), 0, 0xFF);
    strip.pane->Compose(canvas.Dc(), 0, false);
    strip.pane->DrawBorder(canvas.Dc(), 0);
    canvas.SavePng("tracedisplay-child-pane");

    // value 50 + 40 sin(p / 20): at position 31 (near the crest) the trace is near row 10 + 10.
    EXPECT_TRUE(canvas.HasPixelNear(10 + 31, 10 + 10, Blue, 2));
    EXPECT_TRUE(canvas.HasPixelNear(10 + 94, 10 + 90, Blue, 2));
    EXPECT_EQ(strip.owner.host.typeColours.colour, canvas.Pixel(10 + 63, 10 + 3));
    EXPECT_TRUE(canvas.HasPixelNear(10 + 63, 10 + 60, EventDrawer::LineColour, 1));
    EXPECT_EQ(ChildPaneBase::FrameColour, canvas.Pixel(100, 9));
    for (const int layer : {0, 2, 4})
        EXPECT_TRUE(strip.pane->Layer(layer).dirty.IsEmpty()) << layer;
}

} // namespace
} // namespace StrixDraw
