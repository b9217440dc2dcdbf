#include "tracedisplay/support/DrawingUtilities.h"

#include <gtest/gtest.h>

namespace StrixDraw
{
namespace
{

TEST(NiceStepTest, RoundsUpToTheNextNiceMultiple)
{
    struct Case
    {
        double step;
        bool twelve;
        double expected;
        int multiplier;
    };
    const Case cases[] = {{1.0, false, 2.0, 2},  {3.0, false, 5.0, 5},  {4.4, false, 5.0, 5},
                          {4.6, false, 10.0, 10}, {0.7, false, 1.0, 10}, {7.0, true, 12.0, 12},
                          {1.0, true, 2.0, 2},    {5.0, true, 6.0, 6},   {13.0, true, 20.0, 2}, {9.0, true, 12.0, 12}};
    for (const Case& c : cases)
    {
        double step = c.step;
        int multiplier = 0;
        const int returned = c.twelve ? NiceStep12(step, multiplier) : NiceStep125(step, multiplier);
        EXPECT_DOUBLE_EQ(c.expected, step) << c.step;
        EXPECT_EQ(returned, multiplier);
    }
}

} // namespace
} // namespace StrixDraw

namespace StrixDraw
{
namespace
{

TEST(ContrastColourTest, LiftsDarkAndLowersLightColoursOnlyOnBlack)
{
    struct Case
    {
        COLORREF colour;
        COLORREF background;
        COLORREF expected;
    };
    const Case cases[] = {{RGB(128, 128, 128), RGB(0, 0, 0), RGB(127, 127, 127)},
                          {RGB(200, 200, 200), RGB(0, 0, 0), RGB(56, 56, 56)},
                          {RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255)},
                          {RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 0)},
                          {RGB(10, 20, 30), RGB(255, 255, 255), RGB(10, 20, 30)},
                          {RGB(10, 20, 30), RGB(1, 0, 0), RGB(10, 20, 30)}};
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ContrastColour(c.colour, c.background)) << std::hex << c.colour;
}

class Printable : public DrawPrintableBase
{
};

TEST(DrawPrintableTest, AnswersWhetherAContextIsSetEvenWithoutAnOutPointer)
{
    Printable printable;
    VARIANT_BOOL flag = VARIANT_TRUE;
    EXPECT_EQ(S_FALSE, printable.IsPrinting(&flag));
    EXPECT_EQ(VARIANT_FALSE, flag);
    printable.SetPrintContext(7);
    EXPECT_EQ(S_OK, printable.IsPrinting(nullptr));
    EXPECT_EQ(S_OK, printable.IsPrinting(&flag));
    EXPECT_EQ(VARIANT_TRUE, flag);
    printable.ClearPrintContext();
    EXPECT_EQ(S_FALSE, printable.IsPrinting(nullptr));
}

TEST(ScrollLayersTest, MovesDirtyAreasWithTheDataAndAddsTheExposedStretch)
{
    LayerTable table;
    table.cacheRect = OWL::TRect(0, 10, 100, 60);
    for (LayerSegment& layer : table.layers)
        layer.firstDrawer = layer.endDrawer = -1;
    LayerSegment& traces = table.layers[2];
    traces.firstDrawer = 0;
    traces.endDrawer = 1;
    traces.flags |= LayerFlag::Cached | LayerFlag::Drawn;
    traces.dirty = OWL::TRect(5, 10, 30, 60);

    ScrollLayers(table, 0, false);
    EXPECT_EQ(OWL::TRect(5, 10, 30, 60), traces.dirty);
    ScrollLayers(table, -10, false);
    EXPECT_EQ(OWL::TRect(0, 10, 100, 60), traces.dirty);
    EXPECT_TRUE(traces.flags & LayerFlag::Stale);
    EXPECT_FALSE(traces.flags & LayerFlag::Drawn);
    EXPECT_TRUE(table.layers[3].dirty.IsEmpty());

    traces.dirty = OWL::TRect(50, 10, 60, 60);
    ScrollLayers(table, 20, false);
    EXPECT_EQ(OWL::TRect(0, 10, 80, 60), traces.dirty);
}

} // namespace
} // namespace StrixDraw
