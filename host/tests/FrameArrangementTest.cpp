// The frame fills its views' area with the views a workflow step placed, keeping the step's rows and
// order, and gives the view the step is about the larger part of its row and column.
#include "host/app/gui/FrameArrangement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

using Host::PlacedShare;

constexpr RECT Area{240, 210, 1184, 842};

long AreaOf(const RECT& place)
{
    return (place.right - place.left) * (place.bottom - place.top);
}

struct Arrangement
{
    const char* step;
    std::vector<PlacedShare> placed; // in percent, as the workflow places them
    size_t focus;                    // the index of the view the step is about
};

// The module's arrangements (its main data view left out: the frame keeps that above them).
const Arrangement Steps[] = {
    {"cuvette", {{0, 0, 100, 50, true}}, 0},
    {"saline", {{0, 0, 50, 60, true}, {50, 0, 100, 60}}, 0},
    {"analysis", {{0, 0, 100, 50}, {0, 50, 40, 100, true}}, 1},
    {"occlusion", {{0, 0, 33, 50}, {33, 0, 66, 50}, {66, 0, 100, 50}, {0, 50, 40, 100, true}}, 3},
    {"no focus", {{0, 0, 30, 100}, {30, 0, 100, 100}}, 1},
};

TEST(FrameArrangement, TheViewsFillTheAreaWithoutOverlapAndTheStepsViewIsTheLargest)
{
    for (const Arrangement& step : Steps)
    {
        std::vector<PlacedShare> shares = step.placed;
        for (PlacedShare& share : shares)
            share = {share.left / 100, share.top / 100, share.right / 100, share.bottom / 100, share.focus};
        const std::vector<RECT> places = Host::ArrangeInRows(shares, Area);
        ASSERT_EQ(shares.size(), places.size()) << step.step;
        long covered = 0;
        for (size_t i = 0; i < places.size(); ++i)
        {
            RECT inside{};
            EXPECT_TRUE(IntersectRect(&inside, &places[i], &Area) && EqualRect(&inside, &places[i])) << step.step << i;
            covered += AreaOf(places[i]);
            for (size_t j = i + 1; j < places.size(); ++j)
                EXPECT_FALSE(IntersectRect(&inside, &places[i], &places[j])) << step.step << i << j;
            if (i != step.focus)
            {
                EXPECT_GT(AreaOf(places[step.focus]), AreaOf(places[i])) << step.step << i;
            }
        }
        EXPECT_EQ(AreaOf(Area), covered) << step.step;
    }
}

// The document's rows and order stay: a view placed above another stays above it, one placed left of
// another in its row stays left of it.
TEST(FrameArrangement, TheDocumentsRowsAndOrderStay)
{
    const std::vector<PlacedShare> occlusion = {
        {0.66, 0, 1, 0.5}, {0, 0.5, 0.4, 1, true}, {0, 0, 0.33, 0.5}, {0.33, 0, 0.66, 0.5}};
    const std::vector<RECT> places = Host::ArrangeInRows(occlusion, Area);
    EXPECT_EQ(places[2].top, places[0].top);
    EXPECT_LT(places[2].left, places[3].left);
    EXPECT_LT(places[3].left, places[0].left);
    EXPECT_EQ(places[0].bottom, places[1].top);
    EXPECT_EQ(Area.right, places[0].right);
}

TEST(FrameArrangement, TheDataViewAboveTakesWhatItsLanesNeedWithinAFifthAndAThird)
{
    const std::pair<int, int> cases[] = {{100, 180}, {200, 200}, {400, 300}};
    for (const auto& [needed, height] : cases)
        EXPECT_EQ(height, Host::TopWindowHeight(900, needed)) << needed;
}

} // namespace

// Views nobody placed: the focus takes the largest tile and at least the least size it names, whatever
// the count and the area; the rows below it are at least usable and as wide as their views name, reaching
// below the area (which scrolls) where it is too small for that, and the views fill the area's width
// without overlap.
TEST(FrameArrangement, UnplacedViewsTileAroundTheFocusWhichGetsTheLargestTileAndItsLeastSize)
{
    constexpr SIZE Least{480, 260};
    const std::vector<int> wide{0, 0, 0, 341, 0, 0, 421, 0};
    const struct
    {
        size_t count;
        int focus, companion;
        RECT area;
        std::vector<int> leastWidths;
    } cases[] = {{8, 0, 7, {0, 0, 1184, 600}}, {8, 3, 1, {0, 0, 784, 390}}, {8, 2, 5, {0, 0, 1584, 740}},
                 {3, 1, -1, {0, 0, 784, 390}}, {2, 1, 0, {0, 0, 784, 390}}, {1, 0, -1, {0, 0, 600, 400}},
                 {8, 0, 7, {0, 0, 1184, 600}, wide}, {8, 0, 7, {0, 0, 784, 390}, wide}, {8, 0, 7, {0, 0, 1584, 740}, wide},
                 {3, 0, -1, {0, 0, 300, 390}, {0, 0, 421}}};
    for (const auto& c : cases)
    {
        const SIZE size{c.area.right - c.area.left, c.area.bottom - c.area.top};
        const std::vector<RECT> places = Host::ArrangeInRows(Host::TiledShares(c.count, c.focus, c.companion, size, c.leastWidths),
                                                             c.area, Least, Host::UsableTile.cy);
        ASSERT_EQ(c.count, places.size());
        const RECT& focus = places[static_cast<size_t>(c.focus)];
        EXPECT_GE(focus.right - focus.left, std::min(Least.cx, size.cx)) << c.count << " " << size.cx;
        EXPECT_GE(focus.bottom - focus.top, std::min(Least.cy, size.cy)) << c.count << " " << size.cx;
        EXPECT_LE(focus.bottom, c.area.bottom);
        long covered = 0, bottom = c.area.bottom;
        for (size_t i = 0; i < places.size(); ++i)
        {
            covered += AreaOf(places[i]);
            bottom = std::max(bottom, places[i].bottom);
            if (places[i].top >= focus.bottom)
            {
                const int least = i < c.leastWidths.size() ? std::max<int>(c.leastWidths[i], Host::UsableTile.cx) : Host::UsableTile.cx;
                EXPECT_GE(places[i].right - places[i].left, std::min<int>(least, size.cx)) << c.count << " " << size.cx << " " << i;
                EXPECT_GE(places[i].bottom - places[i].top, Host::UsableTile.cy) << c.count << " " << size.cx << " " << i;
            }
            if (static_cast<int>(i) != c.focus)
            {
                EXPECT_GT(AreaOf(focus), AreaOf(places[i])) << c.count << " " << size.cx << " " << i;
            }
            for (size_t j = i + 1; j < places.size(); ++j)
            {
                RECT inside{};
                EXPECT_FALSE(IntersectRect(&inside, &places[i], &places[j])) << c.count << " " << i << " " << j;
            }
        }
        EXPECT_EQ(AreaOf(RECT{c.area.left, c.area.top, c.area.right, bottom}), covered) << c.count << " " << size.cx;
    }
}
