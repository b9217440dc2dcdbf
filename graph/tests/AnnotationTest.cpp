#include "graph/annotations/Annotation.h"
#include "support/Canvas.h"
#include "support/PlotFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using namespace MGraph1;

constexpr RECT Plot{10, 10, 210, 160};

class FixedTracker : public AnnotationTracker
{
public:
    bool Track(int32_t, TrackInfo& info) override
    {
        seen = info;
        info.resolvedX = resolveX;
        info.resolvedY = std::isnan(resolveY) ? resolveY : info.valueY;
        info.label = L"here";
        info.show = true;
        return answer;
    }
    bool answer = true;
    double resolveX = 50.0;
    double resolveY = 0.0;
    TrackInfo seen;
};

struct Tracking
{
    Tracking() : axes(Plot, 0, 199, 0, 149)
    {
        axes.Install(annotation);
        annotation.AttachObject(&tracker, 7, false);
    }
    GraphTest::TestAxes axes;
    FixedTracker tracker;
    BasicAnnotation annotation;
};

TEST(AnnotationTest, WithoutTrackerThereIsNoPositionNoTextAndNoDrawing)
{
    Tracking setup;
    setup.annotation.AttachObject(nullptr, -1, false);
    std::wstring text;
    EXPECT_FALSE(setup.annotation.TrackToPixel(60, 60, Plot, Plot));
    EXPECT_FALSE(setup.annotation.GetText(text));
    GraphTest::Metafile picture;
    setup.annotation.OnDraw(picture.Dc(), nullptr, Plot, Plot);
    EXPECT_EQ(0, picture.Count(EMR_LINETO));
}

TEST(AnnotationTest, TrackerAnswerSettlesPositionAndTextUnlessItIsNotANumber)
{
    Tracking setup;
    EXPECT_TRUE(setup.annotation.TrackToPixel(60, 100, Plot, Plot));
    EXPECT_EQ(50, setup.tracker.seen.relX);
    EXPECT_EQ(90, setup.tracker.seen.relY);
    EXPECT_DOUBLE_EQ(50.0, setup.tracker.seen.valueX);
    EXPECT_DOUBLE_EQ(59.0, setup.tracker.seen.valueY);
    std::wstring text;
    EXPECT_TRUE(setup.annotation.GetText(text));
    EXPECT_EQ(L"here", text);
    setup.tracker.resolveY = std::nan("");
    EXPECT_FALSE(setup.annotation.TrackToPixel(60, 100, Plot, Plot));
    EXPECT_FALSE(setup.annotation.GetText(text));
}

TEST(AnnotationTest, CrossAboveOrBelowThePlotBecomesAChevronAndBesideItNothing)
{
    struct Case
    {
        double x, y;
        int moves, lines; // MoveTo and LineTo records
        const char* name;
    } cases[] = {{50, 75, 2, 2, "cross"}, {50, 400, 1, 2, "chevron above"}, {50, -100, 1, 2, "chevron below"},
                 {-20, 75, 0, 0, "left"}, {250, 75, 0, 0, "right"}};
    for (const Case& c : cases)
    {
        Tracking setup;
        setup.tracker.resolveX = c.x;
        setup.annotation.SetPosition(c.x, c.y);
        GraphTest::Metafile picture;
        setup.annotation.OnDraw(picture.Dc(), nullptr, Plot, Plot);
        EXPECT_EQ(c.lines, picture.Count(EMR_LINETO)) << c.name;
        EXPECT_EQ(c.moves, picture.Count(EMR_MOVETOEX)) << c.name;
    }
}

TEST(AnnotationTest, InvertModeErasesTheLastCrossBeforeDrawingTheNextAndOnceItHasNoPosition)
{
    Tracking setup;
    setup.annotation.rasterMode = InvertRasterMode;
    setup.annotation.SetPosition(50, 75);
    GraphTest::DibCanvas canvas(220, 170);
    setup.annotation.OnDraw(canvas.Dc(), nullptr, Plot, Plot);
    const int before = canvas.CountPixels(RGB(0, 0, 0));
    EXPECT_GT(before, 0);
    setup.tracker.resolveX = 120;
    setup.annotation.SetPosition(120, 75);
    setup.annotation.OnDraw(canvas.Dc(), nullptr, Plot, Plot);
    EXPECT_EQ(before, canvas.CountPixels(RGB(0, 0, 0)));
    // An arm of each cross (the centre is inverted twice by the two strokes).
    EXPECT_EQ(RGB(255, 255, 255), canvas.Pixel(Plot.left + 50, 159 - 75 - 2));
    EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel(Plot.left + 120, 159 - 75 - 2));
    // The pointer gone, or a tracker that refuses: the cross leaves the screen.
    for (const bool pointerLeft : {true, false})
    {
        setup.tracker.answer = true;
        setup.annotation.SetPosition(120, 75);
        setup.annotation.OnDraw(canvas.Dc(), nullptr, Plot, Plot);
        EXPECT_EQ(before, canvas.CountPixels(RGB(0, 0, 0)));
        setup.tracker.answer = false;
        pointerLeft ? setup.annotation.Untrack() : void(setup.annotation.SetPosition(120, 75));
        setup.annotation.OnDraw(canvas.Dc(), nullptr, Plot, Plot);
        EXPECT_EQ(0, canvas.CountPixels(RGB(0, 0, 0))) << pointerLeft;
    }
}

TEST(AnnotationTest, ZeroScaleMapsEveryPixelToZeroAndResetClearsThePosition)
{
    Tracking setup;
    AxisTransform flat{0.0, 3.0};
    setup.annotation.UseXTransform(&flat);
    setup.annotation.TrackToPixel(150, 100, Plot, Plot);
    EXPECT_EQ(0.0, setup.tracker.seen.valueX);
    setup.annotation.Reset();
    EXPECT_EQ(-DBL_MAX, setup.annotation.x);
    EXPECT_EQ(-DBL_MAX, setup.annotation.y);
    EXPECT_EQ(-1, setup.annotation.trackerId);
}

} // namespace
