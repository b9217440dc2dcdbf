#include "views/cuvette/CuvetteLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

using namespace Sistra;

namespace
{

constexpr int LineHeight = 14;

std::array<LONG, 4> Sides(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

bool Overlap(const RECT& a, const RECT& b)
{
    RECT common{};
    return IntersectRect(&common, &a, &b) != FALSE;
}

bool Inside(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

CuvetteLayoutInput Input(SIZE client, int resultWidth, bool apply, bool equation)
{
    return CuvetteLayoutInput{client, {128, LineHeight}, {90, LineHeight}, {96, LineHeight}, {resultWidth, LineHeight},
                              apply, equation};
}

} // namespace

// At every size from the least up, in and out of workflow mode and with short and long fit texts, no
// control covers another, the help button or the plot, everything lies inside the laid-out area, and
// the fit's text has room on one line or on two.
TEST(CuvetteLayout, NoControlCoversAnotherAtAnySize)
{
    const SIZE sizes[] = {{0, 0}, {400, 300}, {520, 360}, {640, 480}, {800, 600}, {1600, 1000}};
    for (const int resultWidth : {180, 255, 330})
        for (const bool apply : {false, true})
            for (const bool equation : {false, true})
                for (const SIZE client : sizes)
                {
                    const CuvetteLayoutInput input = Input(client, resultWidth, apply, equation);
                    const SIZE least = LeastCuvetteSize(input);
                    const CuvetteLayout layout = LayOutCuvette(input);
                    const int w = std::max(client.cx, least.cx), h = std::max(client.cy, least.cy);
                    SCOPED_TRACE(testing::Message() << resultWidth << apply << equation << " " << w << "x" << h);
                    const RECT area{0, 0, w, h};
                    const RECT help{2, h - 25, 32, h - 2};
                    const RECT plot{layout.leftWidth, 0, layout.leftWidth + layout.plotWidth, h - 40 - layout.bandRise};
                    EXPECT_GE(layout.plotWidth, CuvettePlotLeastWidth);
                    std::vector<RECT> apart{help, plot, layout.table, layout.setFromSelection, layout.deleteRow,
                                            layout.group};
                    if (equation)
                        apart.insert(apart.end(), {layout.enable, layout.equationStart, layout.slope,
                                                   layout.equationMiddle, layout.intercept, layout.error});
                    for (size_t i = 0; i < apart.size(); ++i)
                    {
                        EXPECT_TRUE(Inside(area, apart[i])) << i;
                        for (size_t j = i + 1; j < apart.size(); ++j)
                            EXPECT_FALSE(Overlap(apart[i], apart[j])) << i << " " << j;
                    }
                    // Below the group's title line and inside its frame.
                    const RECT content{layout.group.left + 2, layout.group.top + LineHeight, layout.group.right - 2,
                                       layout.group.bottom - 2};
                    EXPECT_TRUE(Inside(content, layout.result));
                    const int textWidth = layout.result.right - layout.result.left;
                    const int lines = (layout.result.bottom - layout.result.top) / LineHeight;
                    EXPECT_GE(lines * textWidth, resultWidth);
                    if (apply)
                    {
                        EXPECT_TRUE(Inside(content, layout.apply));
                        EXPECT_FALSE(Overlap(layout.apply, layout.result));
                    }
                }
}

// Where everything fits, the controls stand where the view always put them.
TEST(CuvetteLayout, ARoomyViewKeepsTheStandardPlaces)
{
    const CuvetteLayout layout = LayOutCuvette(Input({900, 480}, 255, true, true));
    EXPECT_EQ(CuvettePlotWidth, layout.plotWidth);
    EXPECT_EQ((std::array<LONG, 4>{8, 8, 900 - 323, 480 - 155}), Sides(layout.table));
    EXPECT_EQ((std::array<LONG, 4>{900 - 417, 480 - 147, 900 - 321, 480 - 124}), Sides(layout.deleteRow));
    EXPECT_EQ((std::array<LONG, 4>{24, 480 - 78, 24 + 255, 480 - 78 + LineHeight}), Sides(layout.result));
    EXPECT_EQ((std::array<LONG, 4>{255 + 32, 480 - 83, 255 + 96, 480 - 60}), Sides(layout.apply));
    EXPECT_EQ((std::array<LONG, 4>{67, 480 - 22, 67 + 128 + 18, 480 - 4}), Sides(layout.enable));
    EXPECT_EQ(128 + 100, layout.equationStart.left);
}
