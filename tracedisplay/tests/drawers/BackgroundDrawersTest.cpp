#include "graph/tests/support/Canvas.h"
#include "tracedisplay/drawers/GraticuleDrawer.h"
#include "tracedisplay/drawers/PreTriggerBackground.h"
#include "tracedisplay/tests/support/FakeScale.h"
#include "tracedisplay/tests/support/FakeTraceHost.h"

#include <gtest/gtest.h>

namespace StrixDraw
{
namespace
{

using GraphTest::DibCanvas;
using TraceTest::FakePane;
using TraceTest::FakeScale;

TEST(PreTriggerBackgroundTest, ThePatternPeriodIsTheHeightRoundedUpToTwenty)
{
    for (const auto& [height, period] : {std::pair{1, 20}, {20, 20}, {21, 40}, {95, 100}})
    {
        DrawPreTriggerBackground background;
        background.Prepare(nullptr, height);
        EXPECT_EQ(period, background.Period()) << height;
    }
}

TEST(PreTriggerBackgroundTest, PreparingTheSameHeightAgainKeepsThePattern)
{
    DrawPreTriggerBackground background;
    background.Prepare(nullptr, 50);
    const HBITMAP pattern = background.Pattern();
    background.Prepare(nullptr, 50);
    EXPECT_EQ(pattern, background.Pattern());
    EXPECT_EQ(1, background.Draw(nullptr, 0, 10, 10));
}

TEST(PreTriggerBackgroundTest, StretchesDrawnSideBySideJoinWithoutASeam)
{
    DrawPreTriggerBackground background;
    background.Prepare(nullptr, 60);
    DibCanvas whole(150, 60);
    DibCanvas parts(150, 60);
    background.Draw(whole.Dc(), 1000, 0, 150);
    background.Draw(parts.Dc(), 1000, 0, 37);
    background.Draw(parts.Dc(), 1037, 37, 150);
    whole.SavePng("tracedisplay-pretrigger-hatch");
    int differences = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 150; ++x)
            differences += whole.Pixel(x, y) != parts.Pixel(x, y);
    EXPECT_EQ(0, differences);
    EXPECT_GT(whole.CountPixels(DrawPreTriggerBackground::HatchColour), 1000);
}

const RECT Strip{0, 0, 200, 100};
constexpr ULONG ScaleId = 3;

struct AttachedGraticule
{
    AttachedGraticule() : drawer(ScaleId, RGB(0, 128, 0), {1, 0})
    {
        drawer.AddRef();
        drawer.SetEnvironment(&pane);
        drawer.SetBounds(0, &Strip);
        drawer.Attach(0, &pane.host);
        scale.ticks = {{25, 0}, {50, 1}, {75, 0}};
        scale.limits[0] = 10.0;
        scale.limits[1] = 90.0;
    }
    void Scale(const ScalePair& pair = {-1.0, -100.0}) { drawer.SetScaling(ScaleId, 0, &pair, static_cast<IScaleControlView*>(&scale)); }

    FakePane pane;
    FakeScale scale;
    GraticuleDrawer drawer;
};

TEST(GraticuleDrawerTest, DrawsTheGridAndShadesOutsideTheDisplayedRange)
{
    AttachedGraticule g;
    g.Scale();
    DibCanvas canvas(200, 100);
    g.drawer.Draw(canvas.Dc(), 0, 200, 0, 0, 0, &Strip, 0, 0, 0);
    canvas.SavePng("tracedisplay-graticule");
    // value 90 is row 10, value 10 row 90: outside them the range shading.
    EXPECT_EQ(GraticuleDrawer::RangeShading, canvas.Pixel(3, 5));
    EXPECT_EQ(GraticuleDrawer::RangeShading, canvas.Pixel(3, 95));
    EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(3, 40));
    // Horizontal lines at the tick rows, vertical ones every 10 columns.
    EXPECT_NE(RGB(255, 255, 255), canvas.Pixel(33, 50));
    EXPECT_NE(RGB(255, 255, 255), canvas.Pixel(33, 25));
    EXPECT_NE(RGB(255, 255, 255), canvas.Pixel(30, 40));
    EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(33, 40));
}

TEST(GraticuleDrawerTest, AScaleWithoutLinesTurnsTheGridOff)
{
    AttachedGraticule g;
    g.scale.failTicks = true;
    g.Scale();
    DibCanvas canvas(200, 100);
    g.drawer.Draw(canvas.Dc(), 0, 200, 0, 0, 0, &Strip, 0, 0, 0);
    const COLORREF system = GetSysColor(22);
    EXPECT_EQ(canvas.Width() * canvas.Height(), canvas.CountPixels(system));
}

TEST(GraticuleDrawerTest, AStripNotYetScaledShowsThePaneBackground)
{
    AttachedGraticule g;
    g.pane.strip = &g;
    g.drawer.SetOwner(&g);
    g.pane.background = RGB(10, 20, 30);
    DibCanvas canvas(200, 100);
    g.drawer.Draw(canvas.Dc(), 0, 200, 0, 0, 0, &Strip, 0, 0, 0);
    EXPECT_EQ(RGB(10, 20, 30), canvas.Pixel(5, 5));
}

TEST(GraticuleDrawerTest, FarOffLevelsAreClampedAndStillFillToTheEdge)
{
    AttachedGraticule g;
    g.pane.strip = &g;
    g.drawer.SetOwner(&g);
    g.Scale();
    LevelSettings& levels = *g.drawer.GetLevelSettings();
    levels.levels = {1e9, 50.0};
    levels.flags = LevelSettings::Level1On | LevelSettings::Level2On | LevelSettings::FillAbove |
                   LevelSettings::FillBetween | LevelSettings::FillBelow;
    DibCanvas canvas(200, 100);
    g.drawer.Draw(canvas.Dc(), 0, 200, 0, 0, 0, &Strip, 0, 0, 0);
    EXPECT_EQ(-LevelSettings::RowLimit, levels.rows[0]);
    EXPECT_EQ(50, levels.rows[1]);
    EXPECT_EQ(levels.fillBetween, canvas.Pixel(155, 45));
    EXPECT_EQ(levels.fillBelow, canvas.Pixel(155, 52));
}

TEST(GraticuleDrawerTest, OnlyAHeightChangeResizesThePreTriggerPattern)
{
    AttachedGraticule g;
    g.drawer.PrepareRecord(0);
    const DrawPreTriggerBackground* background = g.drawer.PreTriggerBackground();
    ASSERT_NE(nullptr, background);
    const HBITMAP pattern = background->Pattern();
    g.drawer.PrepareRecord(0);
    EXPECT_EQ(pattern, background->Pattern());
    const RECT taller{0, 0, 200, 130};
    g.drawer.SetBounds(0, &taller);
    EXPECT_EQ(130, background->Height());
    EXPECT_EQ(130, g.drawer.ColumnHeight());
}

TEST(GraticuleDrawerTest, ATriggerLineOnlyForARealPreTrigger)
{
    for (const LONGLONG preTrigger : {-5LL, -1LL, 0LL})
    {
        AttachedGraticule g;
        g.Scale();
        DibCanvas canvas(200, 100);
        g.drawer.Draw(canvas.Dc(), 0, 200, preTrigger, 0, 20, &Strip, 0, 0, 0);
        const bool line = canvas.HasPixelNear(25, 50, GraticuleDrawer::TriggerColour, 1);
        EXPECT_EQ(preTrigger == -5, line) << preTrigger;
    }
}

TEST(GraticuleDrawerTest, ALaterRecordsBackgroundStartsAtItsOffsetAndItsGridAfterThePreTrigger)
{
    for (const LONG record : {0, 1})
    {
        AttachedGraticule g;
        g.pane.background = RGB(0, 0, 0);
        g.pane.grid = {0.0, 0.0, 1.0, 1};
        g.Scale();
        DibCanvas canvas(200, 100, RGB(1, 2, 3));
        const RECT clip{10, 0, 200, 100};
        g.drawer.Draw(canvas.Dc(), 0, 180, -5, record, 20, &clip, DrawFlag::NoTriggerLine, 0, 0);
        EXPECT_EQ(record == 0 ? RGB(0, 0, 0) : RGB(1, 2, 3), canvas.Pixel(15, 40)) << record;
        EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel(22, 40)) << record;
        EXPECT_NE(RGB(0, 0, 0), canvas.Pixel(26, 40)) << record;
    }
}

} // namespace
} // namespace StrixDraw
