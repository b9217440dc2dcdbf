#include "graph/tests/support/Canvas.h"
#include "tracedisplay/timescale/TimeLabelDrawer.h"
#include "tracedisplay/timescale/TimeScale.h"
#include "tracedisplay/tests/support/FakeTraceHost.h"

#include "foundation/com/ResultCodes.h"
#include "foundation/streams/BinaryStream.h"

#include <gtest/gtest.h>

#include <sstream>

namespace StrixDraw
{
namespace
{

using GraphTest::DibCanvas;
using TraceTest::FakePane;

constexpr LONG Placement[2] = {0, 0};

TEST(TimeScaleTest, AlwaysHoldsOneTimeLabelDrawer)
{
    FakePane pane;
    Orv::ComPtr<TimeScale> scale(new TimeScale(&pane));
    ASSERT_EQ(1u, scale->DrawerCount());
    EXPECT_NE(nullptr, dynamic_cast<TimeLabelDrawer*>(scale->Drawer(0)));
    EXPECT_EQ(-1, scale->PaneIndex());
    EXPECT_TRUE(scale->IsActive());
    scale->RemoveDrawers(0, {ChildPaneBase::UnsetPositionChannel, ChildPaneBase::UnsetPositionSub});
    EXPECT_EQ(1u, scale->DrawerCount());
    scale->AttachStore(0, &pane.host);
    EXPECT_EQ(1u, scale->DrawerCount());
    EXPECT_GT(scale->StripHeight(), 10);
    EXPECT_GT(scale->LabelWidth(), 50);
}

TEST(TimeScaleTest, LoadsRecordsUpToItsOwnVersion)
{
    FakePane pane;
    Orv::ComPtr<TimeScale> scale(new TimeScale(&pane));
    for (const ULONG version : {0u, 1u, 2u, 3u})
    {
        std::stringbuf buffer;
        Orv::BinOStream out(&buffer);
        out.WriteULong(version);
        Orv::BinIStream in(&buffer);
        EXPECT_EQ(version < 3 ? S_OK : Orv::E_ORV_NEWER_VERSION, scale->Load(&in)) << version;
    }
    std::stringbuf saved;
    Orv::BinOStream out(&saved);
    EXPECT_EQ(S_OK, scale->Save(&out));
    Orv::BinIStream in(&saved);
    ULONG version = 0;
    in.ReadULong(&version);
    EXPECT_EQ(TimeScale::SavedVersion, version);
}

TEST(TimeScaleTest, LabelsTheStepsItTicks)
{
    FakePane pane;
    pane.caches = false;
    pane.timeAxis.secondsPerPosition = 0.01;
    Orv::ComPtr<TimeScale> scale(new TimeScale(&pane));
    const OWL::TRect strip(0, 0, 400, scale->StripHeight());
    scale->SetLayout(0, Placement, strip);
    DibCanvas canvas(400, strip.bottom);
    StripPaintContext context;
    scale->Paint(canvas.Dc(), context, strip, 0, 0xFF);
    canvas.SavePng("tracedisplay-time-scale");
    const auto* drawer = dynamic_cast<TimeLabelDrawer*>(scale->Drawer(0));
    ASSERT_NE(nullptr, drawer);
    const double pixelsPerStep = drawer->Step().seconds / 0.01;
    const int labelled = static_cast<int>(pixelsPerStep * drawer->LabelsEvery());
    // A tick at every step, text below the second labelled one, none left of the first tick's room.
    EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel(static_cast<int>(pixelsPerStep), 0));
    bool textBelowSecondLabel = false;
    for (int y = 3; y < strip.bottom; ++y)
        for (int dx = -4; dx <= 4; ++dx)
            textBelowSecondLabel |= canvas.Pixel(labelled + dx, y) == RGB(0, 0, 0);
    EXPECT_TRUE(textBelowSecondLabel);
    // Labels that would be cut by the strip's edges are left out.
    bool cutAtTheEdges = false;
    for (int y = 3; y < strip.bottom; ++y)
        for (const int x : {0, 1, 2, 397, 398, 399})
            cutAtTheEdges |= canvas.Pixel(x, y) == RGB(0, 0, 0);
    EXPECT_FALSE(cutAtTheEdges);
}

} // namespace
} // namespace StrixDraw
